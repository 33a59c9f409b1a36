// Index files shared by separate programs through the table's semaphore file: peers (tools/peer)
// open one table with its indexes and are driven step by step, with lock tries and the read
// timeout set short; the test reads the semaphore file's 4 bytes and checks the files with the
// library, Perl's XBase and xbase64's checkndx.

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <set>

#include "tests/xbase/multiprocess/SharedIndexTest.h"

namespace xbase {
namespace {

using IndexSharingTest = SharedIndexTest;

// A key written between a program's opening of the table and of its index points to a record
// the program did not count when it opened the table.
TEST_F(IndexSharingTest, AnIndexOpenedAfterAnotherPeersAppendFindsTheNewRecord) {
  PeerGroup peers(temp.path());
  PeerProcess& a = Joined(peers);
  Expect(a, "index TAG TO tags", "1");
  PeerProcess& b = Joined(peers);
  Expect(a, "lockappend TAG=NEW1 N=6", "6");
  Expect(b, "setindex tags", "1");
  Expect(b, "find NEW1", "1 6");
  Expect(b, "list", "6,1,2,3,4,5");
}

TEST_F(IndexSharingTest, APeerSeesAnotherPeersNewKeysWithoutReopening) {
  PeerGroup peers(temp.path());
  PeerProcess& a = Joined(peers);
  Expect(a, "index TAG TO tags", "1");
  PeerProcess& b = Joined(peers);
  Expect(b, "setindex tags", "1");
  EXPECT_EQ(Read(), (SemaphoreCounts{2, 0, 0}));
  Expect(b, "find NEW1", "0 6");
  Expect(a, "lockappend TAG=NEW1 N=6", "6");
  EXPECT_EQ(Read(), (SemaphoreCounts{2, 0, 1}));
  Expect(b, "find NEW1", "1 6");
  Expect(a, "lockappend TAG=NEW2 N=7", "7");
  Expect(a, "lockappend TAG=A0 N=8", "8");
  EXPECT_EQ(Read(), (SemaphoreCounts{2, 0, 3}));
  Expect(b, "find A0", "1 8");
  Expect(b, "list", "8,6,7,1,2,3,4,5");
  // B's own writes reach A the same way.
  Expect(b, "go 3", "3");
  Expect(b, "rlock", "1");
  Expect(b, "replace TAG=ZZ", "3");
  Expect(b, "unlock", "-");
  Expect(a, "find ZZ", "1 3");
  EXPECT_EQ(Read(), (SemaphoreCounts{2, 0, 4}));
}

TEST_F(IndexSharingTest, ANodeCacheIsEmptiedByAnotherPeersWrite) {
  PeerGroup peers(temp.path());
  PeerProcess& a = Joined(peers);
  Expect(a, "index TAG TO tags", "1");
  PeerProcess& b = Joined(peers);
  Expect(b, "nodecache on", "-");
  Expect(b, "setindex tags", "1");
  // Enough keys for a tree of several levels, every node of it in B's cache.
  a.Send("semtries 40 5");
  for (int i = 0; i < 300; ++i) a.Send("lockappend TAG=A" + std::to_string(1000 + i) + " N=" + std::to_string(i));
  for (int i = 0; i < 301; ++i) ASSERT_EQ(a.Receive().code, 0);
  Expect(b, "find A1150", "1 156");
  Expect(b, "list", [] {
    std::string list;
    for (int r = 6; r <= 305; ++r) list += std::to_string(r) + ",";
    return list + "1,2,3,4,5";
  }());
  Expect(a, "lockappend TAG=A0999 N=0", "306");
  Expect(b, "find A0999", "1 306");
  Expect(a, "go 156", "156");
  Expect(a, "rlock", "1");
  Expect(a, "replace TAG=ZZ", "156");
  Expect(b, "find A1150", "0 307");
  Expect(b, "find ZZ", "1 156");
}

TEST_F(IndexSharingTest, WritersWaitForReadersAndReadersForWriters) {
  PeerGroup peers(temp.path());
  PeerProcess& a = Joined(peers);
  Expect(a, "index TAG TO tags", "1");
  PeerProcess& b = Joined(peers);
  Expect(b, "setindex tags", "1");
  // A writer waits while a reader holds its bracket, and goes on when it ends.
  Expect(b, "read on", "-");
  EXPECT_EQ(Read(), (SemaphoreCounts{2, 1, 0}));
  a.Send("lockappend TAG=W1 N=6");
  Expect(b, "read off", "-");
  const PeerAnswer written = a.Receive();
  EXPECT_EQ(written.code, 0);
  EXPECT_EQ(written.result, "6");
  // Past the read timeout the writer gives up with the timeout text.
  Expect(b, "read on", "-");
  const PeerAnswer timedOut = a.Ask("lockappend TAG=W2 N=7");
  EXPECT_EQ(timedOut.code, 1202);
  EXPECT_NE(timedOut.result.find("1 second timeout, cannot read: " + Semaphore()), std::string::npos)
      << timedOut.result;
  Expect(b, "read off", "-");
  Expect(a, "reccount", "6");
  // A reader during a held write cannot register.
  Expect(a, "write on", "-");
  EXPECT_EQ(Read(), (SemaphoreCounts{2, 1, 1}));
  const PeerAnswer refused = b.Ask("find W1");
  EXPECT_EQ(refused.code, 1202);
  EXPECT_NE(refused.result.find("Cannot lock index semaphore file: " + Semaphore() + " INCREAD"),
            std::string::npos)
      << refused.result;
  Expect(a, "write off", "-");
  EXPECT_EQ(Read(), (SemaphoreCounts{2, 0, 2}));
  Expect(b, "find W1", "1 6");
}

// A program killed while it is counted, as a reader or as the writer, holds nobody up: the
// kernel drops its locks, and the next writer counts only the living.
TEST_F(IndexSharingTest, AProgramKilledWhileCountedHoldsNobodyUp) {
  PeerGroup peers(temp.path());
  PeerProcess& b = Joined(peers);
  Expect(b, "index TAG TO tags", "1");
  int records = 5;
  for (const char* bracket : {"read on", "write on"}) {
    SCOPED_TRACE(bracket);
    PeerProcess& a = Joined(peers);
    Expect(a, "setindex tags", "1");
    const std::string killed = std::to_string(++records);
    Expect(a, "lockappend TAG=K" + killed + " N=" + killed, killed);
    Expect(a, bracket, "-");
    EXPECT_EQ(Read().readers, 1);
    a.Kill(SIGKILL);
    Expect(b, "find K" + killed, "1 " + killed);
    const std::string survivor = std::to_string(++records);
    Expect(b, "lockappend TAG=B" + survivor + " N=" + survivor, survivor);
    const SemaphoreCounts counters = Read();
    EXPECT_EQ(counters.logins, 1);
    EXPECT_EQ(counters.readers, 0);
  }
  Expect(b, "list", "7,9,6,8,1,2,3,4,5");
  EXPECT_EQ(testing::ReadNdxTree(At("tags.NDX")).fault, "");
  ExpectPerlReads(At("tags.NDX"), records);
  // The last living program out erases the file.
  Expect(b, "closeindex", "-");
  EXPECT_FALSE(std::filesystem::exists(Semaphore()));
}

// B opens the index while A is between the first node write of a root split and its header.
// B waits for A's write to end before it reads the header, so it never writes back the header
// it would have read in the middle: the split is kept, and A's later keys with it.
TEST_F(IndexSharingTest, AnIndexOpenedInTheMiddleOfAnotherProgramsWriteKeepsThatWrite) {
  {
    Use(table_ + " EXCLUSIVE", nullptr, 0);
    // 31 keys fill the root leaf of a C(8) index: the next one splits it.
    for (int n = 6; n <= 31; ++n) {
      ClearRecord();
      SetTypedFieldText(1, "T" + std::to_string(n));
      SetTypedFieldText(2, std::to_string(n));
      Append();
    }
    MakeIndex("tags", "TAG", false, 0, false, false, nullptr, 0);
    MakeIndex("nums", "N", false, 0, false, false, nullptr, 0);
    CloseArea();
  }
  PeerGroup peers(temp.path());
  PeerProcess& a = Joined(peers);
  Expect(a, "setindex tags", "1");
  PeerProcess& b = Joined(peers);
  Expect(b, "semtries 4000 5", "-");
  Expect(b, "readtimeout 20", "-");
  Expect(b, "setindex nums", "1");  // B is logged in: its next open reads the header at once
  Expect(a, "faultafter 1 tags.NDX stop", "-");
  a.Send("lockappend TAG=A32 N=32");
  ASSERT_TRUE(a.AwaitStop());
  b.Send("indexto 2 tags");
  b.AwaitLockWait();
  a.Continue();
  EXPECT_EQ(a.Receive().code, 0);
  const PeerAnswer opened = b.Receive();
  EXPECT_EQ(opened.code, 0) << opened.result;
  for (int n = 33; n <= 80; ++n) Expect(a, "lockappend TAG=A" + std::to_string(n) + " N=" + std::to_string(n), std::to_string(n));
  Expect(b, "order 2", "2");
  Expect(b, "find A80", "1 80");
  Expect(b, "find T1", "1 1");
  for (PeerProcess* peer : {&a, &b}) peer->Finish();
  const auto keys = Walked({"tags"});
  EXPECT_EQ(keys.at("tags").size(), 80u);
  EXPECT_EQ(testing::ReadNdxTree(At("tags.NDX")).fault, "");
  ExpectCheckndx(table_, At("tags.NDX"), 80);
  ExpectPerlReads(At("tags.NDX"), 80);
}

// A write whose lock is not granted (a reader holds the index past the time-out) writes
// nothing when the error hook returns: no record, no key, no step of the generation, and the
// next write after the reader has gone is whole.
TEST_F(IndexSharingTest, AWriteWithoutItsLockWritesNothing) {
  PeerGroup peers(temp.path());
  PeerProcess& b = Joined(peers);
  Expect(b, "index TAG TO tags", "1");
  int reports = 0;
  ErrorCallback = [&] { ++reports; };
  SemaphoreLockTries = TableLockTries = 40;
  SemaphorePauseMs = 5;
  ReadTimeoutSeconds = 1;
  Use(table_, nullptr, 0);
  ASSERT_TRUE(SetIndexTo("tags", 1));
  Expect(b, "read on", "-");
  const std::string tableBefore = Contents(table_), indexBefore = Contents(At("tags.NDX"));
  const SemaphoreCounts countersBefore = Read();
  ASSERT_TRUE(ALock());
  ClearRecord();
  SetTypedFieldText(1, "W1");
  Append();
  EXPECT_EQ(ErrorCode, 1202);
  EXPECT_NE(LastErrorMessage.find("The index is busy"), std::string::npos) << LastErrorMessage;
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(Contents(table_), tableBefore);
  EXPECT_EQ(Contents(At("tags.NDX")), indexBefore);
  EXPECT_EQ(Read(), countersBefore);
  Expect(b, "read off", "-");
  Append();
  EXPECT_EQ(ErrorCode, 0);
  Unlock();
  EXPECT_EQ(Read().generation, countersBefore.generation + 1);
  Expect(b, "find W1", "1 6");
  CloseArea();
  ErrorCallback = nullptr;
}

// A rebuild killed half-way leaves the index it was to replace as it was.
TEST_F(IndexSharingTest, ARebuildKilledHalfWayLeavesTheOldIndex) {
  PeerGroup peers(temp.path());
  PeerProcess& a = Joined(peers);
  Expect(a, "index TAG TO tags", "1");
  const std::string before = Contents(At("tags.NDX"));
  // Killed at the rebuild's first write to an index file.
  Expect(a, "faultafter 1 tags.NDX kill", "-");
  a.Send("reindex");
  EXPECT_FALSE(a.AwaitStop());
  EXPECT_EQ(Contents(At("tags.NDX")), before);
  PeerProcess& b = Joined(peers);
  Expect(b, "setindex tags", "1");
  Expect(b, "find T4", "1 4");
}

TEST_F(IndexSharingTest, FourPeersAppendWithTwoOrdersOpen) {
  {
    Use(table_ + " EXCLUSIVE", nullptr, 0);
    MakeIndex("tags", "TAG", false, 0, false, false, nullptr, 0);
    MakeIndex("nums", "N", false, 0, false, false, nullptr, 0);
    CloseArea();
  }
  PeerGroup peers(temp.path());
  const int perPeer = 200;
  for (int p = 0; p < 4; ++p) {
    PeerProcess& peer = Joined(peers);
    Expect(peer, "semtries 2000 1", "-");
    Expect(peer, "readtimeout 20", "-");
    Expect(peer, "setindex tags nums", "1");
  }
  EXPECT_EQ(Read().logins, 4);
  // Every peer gets all its appends at once, and they run side by side.
  for (int p = 0; p < 4; ++p) {
    for (int i = 0; i < perPeer; ++i) {
      const int n = 100 + p * perPeer + i;
      peers[p].Send("lockappend TAG=P" + std::to_string(p) + "_" + std::to_string(i) + " N=" + std::to_string(n));
    }
  }
  for (int p = 0; p < 4; ++p) {
    for (int i = 0; i < perPeer; ++i) {
      const PeerAnswer answer = peers[p].Receive();
      ASSERT_EQ(answer.code, 0) << "peer " << p << " append " << i << ": " << answer.result;
    }
  }
  const SemaphoreCounts counters = Read();
  EXPECT_EQ(counters.readers, 0);
  EXPECT_EQ(counters.generation, 4 * perPeer);
  for (int p = 0; p < 4; ++p) peers[p].Finish();
  EXPECT_FALSE(std::filesystem::exists(Semaphore()));

  const int records = 5 + 4 * perPeer;
  const auto keys = Walked({"tags", "nums"});
  for (const auto& [file, list] : keys) {
    SCOPED_TRACE(file);
    EXPECT_EQ(list.size(), static_cast<std::size_t>(records));
    EXPECT_EQ(std::set<std::string>(list.begin(), list.end()).size(), static_cast<std::size_t>(records));
    const testing::NdxTree tree = testing::ReadNdxTree(At(file + ".NDX"));
    EXPECT_EQ(tree.fault, "");
    ExpectCheckndx(table_, At(file + ".NDX"), records);
    ExpectPerlReads(At(file + ".NDX"), records);
  }
}

TEST_F(IndexSharingTest, LoggingInAndOutAndFilesInUse) {
  PeerGroup peers(temp.path());
  PeerProcess& a = Joined(peers);
  Expect(a, "index TAG TO tags", "1");
  PeerProcess& b = Joined(peers);
  Expect(b, "setindex tags", "1");
  const std::string before = Contents(At("tags.NDX"));
  // Neither a new build nor a rebuild replaces the file under the other peer; the build that is
  // refused leaves the orders B had.
  Expect(b, "index N TO tags", "1", 225);
  Expect(b, "find T2", "1 2");
  const PeerAnswer rebuilt = b.Ask("reindex");
  EXPECT_EQ(rebuilt.code, 225);
  EXPECT_EQ(Contents(At("tags.NDX")), before);
  Expect(a, "find T3", "1 3");
  // The last one out erases the semaphore file.
  Expect(b, "closeindex", "-");
  EXPECT_EQ(Read().logins, 1);
  Expect(a, "closeindex", "-");
  EXPECT_FALSE(std::filesystem::exists(Semaphore()));
  Expect(a, "close", "-");
  Expect(b, "close", "-");
  // An exclusive area makes none.
  PeerProcess& c = Joined(peers, " EXCLUSIVE");
  Expect(c, "setindex tags", "1");
  Expect(c, "find T2", "1 2");
  EXPECT_FALSE(std::filesystem::exists(Semaphore()));
}

}  // namespace
}  // namespace xbase
