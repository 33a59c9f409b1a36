#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/os/ByteRangeLocks.h"
#include "platform/os/MessagePump.h"
#include "tests/xbase/workarea/WorkAreaTest.h"

namespace xbase {
namespace {

class LocksTest : public WorkAreaTest {
 protected:
  void TearDown() override { platform::os::MessagePump = {}; }

  // The first lock on the range held by any open other than a fresh one of the table.
  std::optional<platform::os::ForeignLock> Probe(std::uint64_t offset, std::uint64_t length) {
    const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_GE(fd, 0);
    auto lock = platform::os::ProbeFileRange(fd, static_cast<std::int64_t>(offset),
                                             static_cast<std::int64_t>(length));
    close(fd);
    return lock;
  }

  // Any byte-range lock below the share byte at 4 GiB.
  std::optional<platform::os::ForeignLock> ProbeAny() { return Probe(0, 0x1'0000'0000); }

  // Opens the five-record table in areas 1 and 2 (area 1 current).
  void TwoAreas(const std::string& options = "") {
    path_ = UsePeople(5, {}, options);
    Select(2);
    Use(path_ + " ALIAS SECOND", nullptr, 0);
    Select(1);
  }

  std::string path_;
};

// Header 129 bytes, records 13 bytes.
constexpr std::uint64_t RecordLock(std::uint64_t n) { return LockBase + 129 + (n - 1) * 13; }

TEST_F(LocksTest, LocksLieAtTheirOffsets) {
  path_ = UsePeople(5);
  ASSERT_TRUE(ALock());
  auto lock = ProbeAny();
  ASSERT_TRUE(lock.has_value());
  EXPECT_EQ(lock->offset, static_cast<std::int64_t>(LockBase + 1));
  EXPECT_EQ(lock->length, 1);
  ASSERT_TRUE(FLock());
  EXPECT_TRUE(Probe(LockBase, 1).has_value());
  EXPECT_FALSE(Probe(LockBase + 2, 200).has_value());
  FUnlock();
  EXPECT_FALSE(Probe(LockBase, 1).has_value());
  EXPECT_TRUE(Probe(LockBase + 1, 1).has_value());
  Unlock();
  EXPECT_FALSE(ProbeAny().has_value()) << "everything released";

  Go(3);
  ASSERT_TRUE(RLock());
  lock = ProbeAny();
  ASSERT_TRUE(lock.has_value());
  EXPECT_EQ(lock->offset, static_cast<std::int64_t>(RecordLock(3)));
  EXPECT_EQ(lock->length, 13);
  EXPECT_FALSE(Probe(RecordLock(2), 13).has_value());
  EXPECT_FALSE(Probe(RecordLock(4), 13).has_value());
}

TEST_F(LocksTest, LockStates) {
  UsePeople(5);
  Go(1);
  EXPECT_TRUE(ALock());
  EXPECT_TRUE(ALock()) << "held already";
  EXPECT_FALSE(RLock()) << "not while appending";
  Unlock();
  EXPECT_EQ(WorkArea(1)->LockState, LockNone);
  EXPECT_TRUE(RLock());
  EXPECT_TRUE(RLock());
  EXPECT_EQ(WorkArea(1)->RecordLockCount(), 1u) << "one node for one record";
  EXPECT_FALSE(ALock()) << "not while records are locked";
  EXPECT_TRUE(IsLocked(1));
  EXPECT_FALSE(IsLocked(2));
  WorkArea(1)->LockState = LockFileAll;
  EXPECT_TRUE(IsLocked(2));
  EXPECT_FALSE(RLock());
  EXPECT_FALSE(ALock());
}

TEST_F(LocksTest, TheRecordLockLimit) {
  UsePeople(5);
  RecordLockLimit = 2;
  Go(1);
  ASSERT_TRUE(RLock());
  Go(2);
  ASSERT_TRUE(RLock());
  Go(3);
  QuietErrors();
  EXPECT_FALSE(RLock());
  EXPECT_EQ(ErrorCode, 212);
  EXPECT_EQ(LastErrorMessage, "Orvel record lock limit exceeded [RLock]");
}

TEST_F(LocksTest, UnlockingSingleRecords) {
  TwoAreas();
  for (std::int32_t n : {2, 4, 5}) {
    Go(n);
    ASSERT_TRUE(RLock());
  }
  const auto lockable = [](std::int32_t n) {  // by the other area
    Select(2);
    Go(n);
    const bool locked = RLock();
    if (locked) UnlockRec(n);
    Select(1);
    return locked;
  };
  EXPECT_TRUE(UnlockRec(-1)) << "the oldest";
  EXPECT_TRUE(lockable(2));
  EXPECT_FALSE(lockable(5));
  EXPECT_TRUE(UnlockRec(-2)) << "the newest";
  EXPECT_TRUE(lockable(5));
  EXPECT_FALSE(lockable(4));
  EXPECT_EQ(WorkArea(1)->LockState, LockRecords);
  EXPECT_TRUE(UnlockRec(4));
  EXPECT_EQ(WorkArea(1)->LockState, LockNone) << "the last node is gone";

  // Not locked: stored, not reported (raising is on in this test).
  EXPECT_FALSE(UnlockRec(3));
  EXPECT_EQ(ErrorCode, 220);
  EXPECT_EQ(LastErrorMessage, "Record not locked. [UnlockRec(3)]");
  EXPECT_FALSE(UnlockRec(-9));
  EXPECT_EQ(LastErrorMessage, "[UnlockRec(-9)]");
  Go(1);
  ASSERT_TRUE(RLock());
  Go(3);
  ASSERT_TRUE(RLock());
  EXPECT_TRUE(UnlockRec(-3));
  EXPECT_TRUE(lockable(1));
  EXPECT_TRUE(lockable(3));
}

// Releasing every record lock while none is held leaves the append lock and its state alone.
TEST_F(LocksTest, UnlockingAllRecordsKeepsTheAppendLock) {
  path_ = UsePeople(5);
  ASSERT_TRUE(ALock());
  EXPECT_TRUE(UnlockRec(-3));
  EXPECT_EQ(WorkArea(1)->LockState, LockAppend);
  EXPECT_TRUE(Probe(LockBase + 1, 1).has_value());
  EXPECT_TRUE(ALock());
  Append();
  EXPECT_EQ(ErrorCode, 0);
  EXPECT_EQ(RecNo(), 6u);
  Unlock();
  EXPECT_FALSE(Probe(LockBase + 1, 1).has_value()) << "free for other programs";
  CloseArea();
  const std::string bytes = Contents(path_);
  EXPECT_EQ(bytes.size(), 129u + 6 * 13 + 1);
  EXPECT_EQ(bytes.back(), '\x1A');
}

TEST_F(LocksTest, TwoAreasOfOneProgramConflictAsTwoProgramsDo) {
  TwoAreas();
  Go(1);
  ASSERT_TRUE(RLock());
  ASSERT_TRUE(FLock());
  EXPECT_FALSE(FLock()) << "a lock is not taken twice";
  Select(2);
  Go(1);
  EXPECT_FALSE(RLock());
  EXPECT_FALSE(FLock());
  Go(2);
  EXPECT_TRUE(RLock());
  CloseArea();  // the other area's close keeps area 1's locks
  Select(3);
  Use(path_ + " ALIAS THIRD", nullptr, 0);
  Go(1);
  EXPECT_FALSE(RLock());
  Select(1);
  CloseArea();
  Select(3);
  EXPECT_TRUE(RLock()) << "closing an area releases its locks";
  EXPECT_TRUE(FLock());
}

// While another open holds the append lock it may be writing its record where the end byte
// would go: a close then leaves the end byte to that open.
TEST_F(LocksTest, AClosingAreaLeavesTheEndByteToAnAppendInProgress) {
  TwoAreas();
  ASSERT_TRUE(ALock());
  Append();  // record 6, over the end byte
  Unlock();
  Select(2);
  ASSERT_TRUE(ALock());
  Select(1);
  CloseArea();
  std::string bytes = Contents(path_);
  EXPECT_EQ(bytes.size(), 129u + 6 * 13) << "no end byte where record 7 goes";
  EXPECT_EQ(static_cast<unsigned char>(bytes[4]), 6);

  Select(2);
  Append();  // record 7
  CloseArea();
  bytes = Contents(path_);
  EXPECT_EQ(bytes.size(), 129u + 7 * 13 + 1);
  EXPECT_EQ(bytes[129 + 6 * 13], ' ') << "record 7 keeps its deleted flag";
  EXPECT_EQ(bytes.back(), '\x1A');
  EXPECT_EQ(static_cast<unsigned char>(bytes[4]), 7);
}

TEST_F(LocksTest, OnlyRecordsOfTheTableCanBeLocked) {
  path_ = UsePeople(0);
  EXPECT_FALSE(RLock()) << "an empty table has no record";
  EXPECT_EQ(ErrorCode, 0);
  EXPECT_FALSE(ProbeAny().has_value()) << "nothing locked, least of all the append byte";
  Select(2);
  UsePeople(2, {}, "", "two.dbf");
  GoBottom();
  Skip(1);
  EXPECT_FALSE(RLock()) << "no record at EOF";
  EXPECT_EQ(WorkArea(2)->LockState, LockNone);
}

TEST_F(LocksTest, ExclusiveAreasKeepListEntriesOnly) {
  path_ = UsePeople(3, {}, " EXCLUSIVE");
  Go(2);
  ASSERT_TRUE(RLock());
  EXPECT_TRUE(IsLocked(2));
  EXPECT_FALSE(ProbeAny().has_value());
  Unlock();
  EXPECT_EQ(ErrorCode, 0) << "no release of what was never locked";
  ASSERT_TRUE(ALock());
  EXPECT_FALSE(ProbeAny().has_value());
  Unlock();
  EXPECT_EQ(ErrorCode, 0);
}

TEST_F(LocksTest, WithoutNetworkLockingNothingReachesTheFile) {
  NetworkLocking = false;
  path_ = UsePeople(3);
  EXPECT_TRUE(WorkArea(1)->ExclusiveFlag);
  EXPECT_TRUE(FLock());
  Go(2);
  EXPECT_TRUE(RLock());
  EXPECT_FALSE(ProbeAny().has_value());
  EXPECT_EQ(LockRegion(false, WorkArea(1)->DataFile.Descriptor(), LockBase, 1), 0u);
  EXPECT_FALSE(ProbeAny().has_value());
}

TEST_F(LocksTest, RetriesWaitAndAskTheCallback) {
  TwoAreas();
  Select(2);
  Go(1);
  ASSERT_TRUE(RLock());
  Select(1);
  Go(1);
  int pumped = 0, asked = 0;
  platform::os::MessagePump.ProcessMessages = [&] { ++pumped; };
  platform::os::MessagePump.Terminating = [] { return true; };  // so no wait lasts
  LockRetryCount = 2;
  LockRetryWait = 1;
  LockRetryCallback = [&] { return ++asked == 1; };  // one more round, then give up
  EXPECT_FALSE(RLock());
  EXPECT_EQ(pumped, 4) << "two waits a round";
  EXPECT_EQ(asked, 2);

  // The holder lets go while this one waits.
  pumped = 0;
  platform::os::MessagePump.ProcessMessages = [&] {
    ++pumped;
    Select(2);
    Unlock();
    Select(1);
  };
  EXPECT_TRUE(RLock());
  EXPECT_EQ(pumped, 1);
}

TEST_F(LocksTest, ReopeningKeepsTheRecordLocks) {
  TwoAreas();
  Go(2);
  ASSERT_TRUE(RLock());
  EXPECT_EQ(ReopenDbf(true), 32) << "another area has the table open";
  Select(2);
  CloseArea();
  Select(1);
  EXPECT_EQ(ReopenDbf(true), 0);
  EXPECT_TRUE(WorkArea(1)->ExclusiveFlag);
  EXPECT_TRUE(Probe(RecordLock(2), 13).has_value());
  Select(2);
  QuietErrors();
  Use(path_ + " ALIAS SECOND", nullptr, 0);
  EXPECT_EQ(ErrorCode, 32) << "held exclusively now";
  Select(1);
  Unlock();  // the lock taken while shared is released while exclusive
  EXPECT_FALSE(ProbeAny().has_value());
  EXPECT_EQ(ReopenDbf(false), 0);
  EXPECT_FALSE(WorkArea(1)->ExclusiveFlag);
  EXPECT_TRUE(RLock());
  Select(2);
  Use(path_ + " ALIAS SECOND", nullptr, 0);
  EXPECT_EQ(ErrorCode, 0);
  Go(2);
  EXPECT_FALSE(RLock());
  Select(3);
  UsePeople(1, {}, " EXCLUSIVE", "mine.dbf");
  EXPECT_EQ(ReopenDbf(false), 5) << "opened exclusively";
}

TEST_F(LocksTest, RecordLocksStayBelowFourGigabytes) {
  // Sixteen fields of 250 bytes: records of 4001 bytes after a 545-byte header, in a sparse
  // file of about 3.2 GB.
  DbfImage image;
  for (int i = 0; i < 16; ++i) image.Field("F" + std::to_string(i), 'C', 250);
  path_ = Write("large.dbf", image.Bytes());
  constexpr std::uint64_t records = 805200;
  std::filesystem::resize_file(path_, 545 + records * 4001);
  Use(path_, nullptr, 0);
  ASSERT_EQ(RecCount(), records);
  Go(805000);  // its lock ends below 4 GiB
  EXPECT_TRUE(RLock());
  const auto lock = Probe(LockBase, 0xC0000000);
  ASSERT_TRUE(lock.has_value());
  EXPECT_EQ(lock->offset, static_cast<std::int64_t>(LockBase + 545 + 804999ull * 4001));
  Unlock();
  Go(805200);
  QuietErrors();
  EXPECT_FALSE(RLock());
  EXPECT_EQ(ErrorCode, 212);
  EXPECT_FALSE(ProbeAny().has_value());
  CloseArea();
}

}  // namespace
}  // namespace xbase
