// Programs killed (SIGKILL) at chosen writes while they change a shared table and its index:
// the peer's faultafter command kills it right after its n-th write to a file. The survivors'
// next writes go on at once, every key that was there stays found, the next program to open
// the index either finds every record or is told to rebuild it, and no record is lost.

#include <gtest/gtest.h>
#include <signal.h>

#include <set>

#include "tests/xbase/multiprocess/SharedIndexTest.h"

namespace xbase {
namespace {

using CrashRecoveryTest = SharedIndexTest;

std::string Number(int n) { return std::to_string(n); }

// The tag of record n past the five of the fixture: U006, U007, ... (after T1 .. T5 in key order).
std::string Tag(int n) {
  std::string digits = Number(n);
  return "U" + std::string(3 - digits.size(), '0') + digits;
}

class CrashTest : public CrashRecoveryTest {
 protected:
  // The table grown to `records` records, indexed on TAG.
  void Grow(int records) {
    Use(table_ + " EXCLUSIVE", nullptr, 0);
    for (int n = 6; n <= records; ++n) {
      ClearRecord();
      SetTypedFieldText(1, Tag(n));
      SetTypedFieldText(2, Number(n));
      Append();
    }
    MakeIndex("tags", "TAG", false, 0, false, false, nullptr, 0);
    CloseArea();
  }

  static std::string TagOf(int n) { return n <= 5 ? "T" + Number(n) : Tag(n); }

  // A peer with the table and its index open.
  static PeerProcess& JoinedWithTags(PeerGroup& peers) {
    PeerProcess& peer = Joined(peers);
    Expect(peer, "setindex tags", "1");
    return peer;
  }

  // The peers still running end as their input does.
  static void FinishLiving(PeerGroup& peers) {
    for (std::size_t i = 0; i < peers.size(); ++i)
      if (peers[i].Pid() > 0) peers[i].Finish();
  }

  // Every record up to `records` is found by its key.
  static void ExpectEveryKeyFound(PeerProcess& peer, int records) {
    for (int n = 1; n <= records; ++n) Expect(peer, "find " + TagOf(n), "1 " + Number(n));
  }

  // The next program opens the index: whole, or refused as one to rebuild.
  static void ExpectWholeOrToldToRebuild(PeerProcess& next, bool told, int records) {
    const PeerAnswer opened = next.Ask("setindex tags");
    if (told) {
      EXPECT_EQ(opened.code, 222);
      const std::string message = next.Ask("lasterror").result;
      EXPECT_NE(message.find("rebuild it"), std::string::npos) << message;
    } else {
      EXPECT_EQ(opened.code, 0) << opened.result;
      ExpectEveryKeyFound(next, records);
    }
  }

  // Rebuilt, the index holds every record the table has: none was lost.
  void ExpectNoRecordLost(int records) {
    Use(table_ + " EXCLUSIVE", nullptr, 0);
    EXPECT_EQ(RecCount(), static_cast<std::uint32_t>(records));
    IndexOnExpr("TAG", "tags");
    std::set<std::string> tags;
    for (GoTop(); !dEOF(); Skip(1)) tags.insert(RTrimStr(TypedFieldText(1)));
    EXPECT_EQ(tags.size(), static_cast<std::size_t>(records));
    CloseArea();
  }
};

struct SplitCase {
  const char* what;
  int records;   // before the killed append; the append splits a full leaf
  int writes;    // the writes to the index of that append, the header last
  int killedAt;  // the write after which the program dies
};

std::ostream& operator<<(std::ostream& out, const SplitCase& c) {
  return out << c.what << ", killed after write " << c.killedAt;
}

std::vector<SplitCase> SplitCases() {
  std::vector<SplitCase> cases;
  // 31 keys of 8 bytes fill the root leaf: new node, new root, header, shortened root, header.
  for (int n = 1; n <= 5; ++n) cases.push_back({"root split", 31, 5, n});
  // Built in one pass, 62 keys fill two leaves under a root: new node, root, leaf, header.
  for (int n = 1; n <= 4; ++n) cases.push_back({"leaf split", 62, 4, n});
  return cases;
}

class SplitKillTest : public CrashTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(SplitKillTest, AKillInTheMiddleOfASplitLosesNoKey) {
  const SplitCase& c = GetParam();
  Grow(c.records);
  PeerGroup peers(temp.path());
  PeerProcess& survivor = JoinedWithTags(peers);
  PeerProcess& killed = JoinedWithTags(peers);
  const int added = c.records + 1;
  Expect(killed, "faultafter " + Number(c.killedAt) + " tags.NDX kill", "-");
  killed.Send("lockappend TAG=" + Tag(added) + " N=" + Number(added));
  ASSERT_FALSE(killed.AwaitStop());
  // Every key that was there is found through the half-written tree.
  ExpectEveryKeyFound(survivor, c.records);
  const int next = added + 1;
  Expect(survivor, "lockappend TAG=" + Tag(next) + " N=" + Number(next), Number(next));
  Expect(survivor, "find " + Tag(next), "1 " + Number(next));
  if (HasPerlXBase()) EXPECT_EQ(RunTool("index_dump " + At("tags.NDX") + " ''").status, 0);
  // Cut before its last header, the change lacks the table's count: the next program is told.
  ExpectWholeOrToldToRebuild(Joined(peers), c.killedAt < c.writes, next);
  FinishLiving(peers);
  ExpectNoRecordLost(next);
}

INSTANTIATE_TEST_SUITE_P(Splits, SplitKillTest, ::testing::ValuesIn(SplitCases()));

// A record whose key changes leaves its old key before it gets the new one: a kill in between
// leaves the changing stamp, and the next program is told.
TEST_F(CrashTest, AKillInTheMiddleOfAKeyChangeIsToldToTheNextProgram) {
  for (int killedAt = 1; killedAt <= 2; ++killedAt) {
    SCOPED_TRACE(killedAt);
    WriteTable();
    Grow(40);
    PeerGroup peers(temp.path());
    PeerProcess& survivor = JoinedWithTags(peers);
    PeerProcess& killed = JoinedWithTags(peers);
    Expect(killed, "go 3", "3");
    Expect(killed, "rlock", "1");
    Expect(killed, "faultafter " + Number(killedAt) + " tags.NDX kill", "-");
    killed.Send("replace TAG=A3");
    ASSERT_FALSE(killed.AwaitStop());
    for (int n = 1; n <= 40; ++n)
      if (n != 3) Expect(survivor, "find " + TagOf(n), "1 " + Number(n));
    Expect(survivor, "lockappend TAG=" + Tag(41) + " N=41", "41");
    ExpectWholeOrToldToRebuild(Joined(peers), true, 41);
    FinishLiving(peers);
    ExpectNoRecordLost(41);
  }
}

// Killed after its record was written and before its key: the index lacks a record, which its
// stamp shows to the next program even after the survivors' writes.
TEST_F(CrashTest, AKillBetweenTheRecordAndItsKeyIsToldToTheNextProgram) {
  Grow(5);
  PeerGroup peers(temp.path());
  PeerProcess& survivor = JoinedWithTags(peers);
  PeerProcess& killed = JoinedWithTags(peers);
  Expect(killed, "faultafter 1 shared.dbf kill", "-");
  killed.Send("lockappend TAG=" + Tag(6) + " N=6");
  ASSERT_FALSE(killed.AwaitStop());
  Expect(survivor, "lockappend TAG=" + Tag(7) + " N=7", "7");
  Expect(survivor, "find " + Tag(7), "1 7");
  ExpectWholeOrToldToRebuild(Joined(peers), true, 7);
  FinishLiving(peers);
  ExpectNoRecordLost(7);
}

// Killed in the middle of shared appends, after a record and before the header's count: the
// next exclusive user counts the record and appends after it.
TEST_F(CrashTest, TheNextExclusiveUserKeepsTheRecordsOfAKilledAppender) {
  PeerGroup peers(temp.path());
  PeerProcess& killed = Joined(peers);
  // Each append writes its record, then the header's count: the fifth write is the third record.
  Expect(killed, "faultafter 5 shared.dbf kill", "-");
  for (int n = 6; n <= 8; ++n) killed.Send("lockappend TAG=" + Tag(n) + " N=" + Number(n));
  ASSERT_FALSE(killed.AwaitStop());
  EXPECT_EQ(static_cast<unsigned char>(Contents(table_)[4]), 7) << "the header counts two of the three";
  std::vector<std::string> warnings;
  ErrorHookTable.Warning = [&](std::uint16_t, const std::string& message) { warnings.push_back(message); };
  Use(table_ + " EXCLUSIVE", nullptr, 0);
  ErrorHookTable.Warning = nullptr;
  EXPECT_EQ(RecCount(), 8u);
  EXPECT_EQ(warnings.size(), 1u);
  ClearRecord();
  SetTypedFieldText(1, "NEW");
  Append();
  EXPECT_EQ(RecNo(), 9u);
  Go(8);
  EXPECT_EQ(RTrimStr(TypedFieldText(1)), Tag(8));
  CloseArea();
  if (HasPerlXBase()) {
    const ToolResult dump = RunTool("dbf_dump " + table_);
    EXPECT_EQ(std::count(dump.output.begin(), dump.output.end(), '\n'), 9) << dump.output;
  }
}

}  // namespace
}  // namespace xbase
