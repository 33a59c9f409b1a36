// Tables shared by separate programs: peers (tools/peer) open one table and are driven step by
// step; the test reads the results back with the library and, where Debian has one, with an
// independent reader.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <sstream>

#include "platform/os/ByteRangeLocks.h"
#include "tests/xbase/ExternalTool.h"
#include "tests/xbase/dbf/DbfTest.h"
#include "tests/xbase/multiprocess/PeerExpect.h"
#include "xbase/core/ovutils.h"
#include "xbase/workarea/TypedFieldText.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {
namespace {

// The shared table: TAG C(12), N N(5,0), so a header of 32 + 2 * 32 + 1 bytes and records of
// 1 + 12 + 5 bytes.
constexpr std::uint64_t kHeader = 97;
constexpr std::uint64_t kRecord = 18;

class SharingTest : public DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    DbfImage image;
    image.Field("TAG", 'C', 12).Field("N", 'N', 5);
    for (int n = 1; n <= 5; ++n) image.Record("start" + std::to_string(n) + "      " + "    " + std::to_string(n));
    path_ = Write("shared.dbf", image.Bytes());
  }

  // A new peer with the shared table open.
  static PeerProcess& Joined(PeerGroup& peers) {
    PeerProcess& peer = peers.Start();
    Expect(peer, "use shared", "SHARED");
    return peer;
  }

  std::optional<platform::os::ForeignLock> Probe(std::uint64_t offset, std::uint64_t length) const {
    const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    auto lock = platform::os::ProbeFileRange(fd, static_cast<std::int64_t>(offset),
                                             static_cast<std::int64_t>(length));
    close(fd);
    return lock;
  }

  // The tag of every record, as this library reads the table.
  std::vector<std::string> Tags() {
    Use(path_, nullptr, 0);
    std::vector<std::string> tags;
    for (GoTop(); !dEOF(); Skip(1)) tags.push_back(RTrimStr(TypedFieldText(1)));
    CloseArea();
    return tags;
  }

  static std::uint32_t HeaderCount(const std::string& bytes) {
    std::uint32_t count = 0;
    for (int i = 3; i >= 0; --i) count = count << 8 | static_cast<unsigned char>(bytes[4 + i]);
    return count;
  }

  std::string path_;
};

std::string RecordLockOf(int n) {
  return "w " + std::to_string(LockBase + kHeader + (n - 1) * kRecord) +
         " " + std::to_string(kRecord);
}

TEST_F(SharingTest, RecordLockConflictAndRelease) {
  PeerGroup peers(temp.path());
  PeerProcess& a = Joined(peers);
  PeerProcess& b = Joined(peers);
  Expect(a, "go 3", "3");
  Expect(a, "rlock", "1");
  Expect(b, "go 3", "3");
  Expect(b, "rlock", "0");
  Expect(b, "go 4", "4");
  Expect(b, "rlock", "1");
  // A's lock at exactly LockBase + header + 2 records, seen by a third open.
  Expect(b, "probe " + std::to_string(LockBase) + " " + std::to_string(kHeader + 3 * kRecord), RecordLockOf(3));
  const auto lock = Probe(LockBase + kHeader + 2 * kRecord - 1, 1);
  EXPECT_FALSE(lock.has_value()) << "nothing just before it";
  EXPECT_TRUE(Probe(LockBase + kHeader + 3 * kRecord - 1, 1).has_value());
  Expect(b, "replace TAG=fromB", "4");
  Expect(a, "unlock", "-");
  Expect(b, "go 3", "3");
  Expect(b, "rlock", "1");
  Expect(b, "replace TAG=fromB3", "3");
  Expect(a, "go 3", "3");
  Expect(a, "get TAG", "fromB3");  // A reads B's change
}

TEST_F(SharingTest, AWalkSeesWhatAnotherProgramWroteMeanwhileInEitherDirection) {
  PeerGroup peers(temp.path());
  PeerProcess& walker = Joined(peers);
  PeerProcess& writer = Joined(peers);
  Expect(walker, "go 1", "1");
  Expect(walker, "skip 1", "2");
  for (const auto& [n, tag] : {std::pair{"3", "ahead"}, std::pair{"1", "behind"}}) {
    Expect(writer, std::string("go ") + n, n);
    Expect(writer, "rlock", "1");
    Expect(writer, std::string("replace TAG=") + tag, n);
    Expect(writer, "unlock", "-");
  }
  Expect(walker, "skip 1", "3");
  Expect(walker, "get TAG", "ahead");
  Expect(walker, "skip -2", "1");
  Expect(walker, "get TAG", "behind");
}

TEST_F(SharingTest, AppendsAreExclusiveAndNumberedInTurn) {
  PeerGroup peers(temp.path());
  PeerProcess& a = Joined(peers);
  PeerProcess& b = Joined(peers);
  Expect(a, "alock", "1");
  Expect(b, "alock", "0");
  Expect(b, "append TAG=refused", "1", 5);
  Expect(a, "append TAG=fromA N=1", "6");
  Expect(a, "unlock", "-");
  Expect(b, "alock", "1");
  Expect(b, "reccount", "6");
  Expect(b, "append TAG=fromB N=2", "7");
  Expect(b, "unlock", "-");
  Expect(a, "reccount", "7");
  Expect(a, "go 7", "7");
  Expect(a, "get TAG", "fromB");
  a.Finish();
  b.Finish();
  EXPECT_EQ(Tags(), (std::vector<std::string>{"start1", "start2", "start3", "start4", "start5",
                                              "fromA", "fromB"}));
}

TEST_F(SharingTest, AnAppendWhileAnotherCloses) {
  PeerGroup peers(temp.path());
  PeerProcess& a = Joined(peers);
  PeerProcess& b = Joined(peers);
  Expect(a, "alock", "1");
  Expect(a, "append TAG=fromA", "6");
  Expect(a, "unlock", "-");
  Expect(b, "alock", "1");
  Expect(b, "append TAG=fromB", "7");
  Expect(a, "close", "-");  // B still holds the append lock: the end byte is left to B
  std::string bytes = Contents(path_);
  ASSERT_EQ(bytes.size(), kHeader + 7 * kRecord);
  EXPECT_EQ(bytes[kHeader + 6 * kRecord], ' ') << "B's record is intact";
  EXPECT_EQ(HeaderCount(bytes), 7u);
  Expect(b, "unlock", "-");
  Expect(b, "close", "-");
  bytes = Contents(path_);
  EXPECT_EQ(bytes.size(), kHeader + 7 * kRecord + 1);
  EXPECT_EQ(bytes.find('\x1A'), bytes.size() - 1) << "exactly one end byte";
  EXPECT_EQ(HeaderCount(bytes), 7u);
  EXPECT_EQ(Tags().back(), "fromB");
}

// Other programs count a table's records by its header: a shared append writes the count at
// once, so that they read the new record while the appenders still have the table open.
TEST_F(SharingTest, OtherReadersSeeASharedAppendAtOnce) {
  PeerGroup peers(temp.path());
  PeerProcess& a = Joined(peers);
  PeerProcess& b = Joined(peers);
  Expect(a, "alock", "1");
  Expect(a, "append TAG=fromA", "6");
  Expect(a, "unlock", "-");
  Expect(b, "lockappend TAG=fromB", "7");
  EXPECT_EQ(HeaderCount(Contents(path_)), 7u);
  if (HasPerlXBase()) {
    const std::string dump = RunTool("dbf_dump " + path_).output;
    EXPECT_NE(dump.find("fromA"), std::string::npos) << dump;
    EXPECT_NE(dump.find("fromB"), std::string::npos) << dump;
  }
  if (HasPythonDbf()) {
    const std::string script = Write("count.py",
                                     "import dbf, sys\n"
                                     "t = dbf.Table(sys.argv[1])\n"
                                     "t.open(dbf.READ_ONLY)\n"
                                     "print(len(t), t[-1].tag.strip())\n");
    EXPECT_EQ(RunTool(std::string(kPython) + " " + script + " " + path_).output, "7 fromB\n");
  }
}

TEST_F(SharingTest, ExclusiveAgainstShared) {
  PeerGroup peers(temp.path());
  PeerProcess& a = peers.Start();
  PeerProcess& b = peers.Start();
  Expect(a, "use shared EXCLUSIVE", "SHARED");
  Expect(b, "use shared", "-", 32);
  Expect(b, "use shared exclusive", "-", 32);
  Expect(a, "close", "-");
  Expect(b, "use shared", "SHARED");
  Expect(a, "use shared EXCLUSIVE", "-", 32);
  Expect(a, "use shared", "SHARED");
}

TEST_F(SharingTest, AKilledHoldersLocksVanish) {
  PeerGroup peers(temp.path());
  PeerProcess& a = peers.Start();
  PeerProcess& b = peers.Start();
  Expect(a, "use shared", "SHARED");
  Expect(a, "alock", "1");
  Expect(a, "append TAG=beforeKill", "6");
  Expect(a, "unlock", "-");
  Expect(a, "go 2", "2");
  Expect(a, "rlock", "1");
  Expect(b, "use shared", "SHARED");
  Expect(b, "go 2", "2");
  Expect(b, "rlock", "0");
  const int status = a.Kill(SIGKILL);
  EXPECT_TRUE(WIFSIGNALED(status));
  Expect(b, "rlock", "1");
  Expect(b, "reccount", "6");
  Expect(b, "close", "-");
  EXPECT_EQ(Tags().size(), 6u) << "the table opens and counts the record of the killed peer";
}

TEST_F(SharingTest, TwoAreasOfOnePeerConflictAsTwoPeersDo) {
  PeerGroup peers(temp.path());
  PeerProcess& a = peers.Start();
  PeerProcess& b = peers.Start();
  Expect(a, "use shared", "SHARED");
  Expect(a, "select 2", "2");
  Expect(a, "use shared ALIAS second", "SECOND");
  Expect(a, "go 1", "1");
  Expect(a, "rlock", "1");
  Expect(a, "select 1", "1");
  Expect(a, "go 1", "1");
  Expect(a, "rlock", "0");
  Expect(b, "use shared", "SHARED");
  Expect(b, "go 1", "1");
  Expect(b, "rlock", "0");
  Expect(a, "select 2", "2");
  Expect(a, "close", "-");
  Expect(b, "rlock", "1");
}

// Four peers append 200 records each, competing for the append lock in every round.
TEST_F(SharingTest, FourPeersAppendUnderTheAppendLock) {
  DbfImage image;
  image.Field("TAG", 'C', 12).Field("N", 'N', 5);
  path_ = Write("stress.dbf", image.Bytes());
  constexpr int kPeers = 4, kEach = 200;
  PeerGroup peers(temp.path(), std::chrono::seconds(120));
  std::vector<int> done(kPeers, 0);
  for (int p = 0; p < kPeers; ++p) Expect(peers.Start(), "use stress", "STRESS");
  std::set<int> recordNumbers;
  for (bool more = true; more;) {
    more = false;
    std::vector<int> racing;
    for (int p = 0; p < kPeers; ++p) {
      if (done[p] == kEach) continue;
      peers[p].Send("alock");
      racing.push_back(p);
    }
    for (int p : racing) {
      const PeerAnswer granted = peers[p].Receive();
      ASSERT_EQ(granted.code, 0);
      if (granted.result != "1") continue;
      const PeerAnswer appended = peers[p].Ask("append TAG=p" + std::to_string(p) + "s" +
                                               std::to_string(done[p]) + " N=" + std::to_string(p));
      ASSERT_EQ(appended.code, 0);
      EXPECT_TRUE(recordNumbers.insert(std::stoi(appended.result)).second) << appended.result;
      Expect(peers[p], "unlock", "-");
      ++done[p];
    }
    for (int p = 0; p < kPeers; ++p) more = more || done[p] < kEach;
  }
  for (int p = 0; p < kPeers; ++p) EXPECT_EQ(peers[p].Finish(), 0);

  EXPECT_EQ(recordNumbers.size(), 800u);
  EXPECT_EQ(*recordNumbers.begin(), 1);
  EXPECT_EQ(*recordNumbers.rbegin(), 800);
  const std::string bytes = Contents(path_);
  EXPECT_EQ(HeaderCount(bytes), 800u);
  EXPECT_EQ(bytes.size(), kHeader + 800 * kRecord + 1);
  EXPECT_EQ(bytes.back(), '\x1A');
  std::vector<std::string> tags = Tags();
  std::set<std::string> unique(tags.begin(), tags.end());
  EXPECT_EQ(tags.size(), 800u);
  EXPECT_EQ(unique.size(), 800u) << "each tag once";

  if (!HasProgram("/usr/bin/dbf_dump")) GTEST_SKIP() << "dbf_dump is not installed";
  const ToolResult dump = RunTool("/usr/bin/dbf_dump " + path_);
  ASSERT_EQ(dump.status, 0) << dump.output;
  std::set<std::string> dumped;
  std::istringstream lines(dump.output);
  for (std::string line; std::getline(lines, line);) dumped.insert(line.substr(0, line.find(':')));
  EXPECT_EQ(dumped, unique) << "the independent reader reads every record";
}

}  // namespace
}  // namespace xbase
