#include "platform/os/ByteRangeLocks.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <limits>
#include <string>
#include <vector>

#include "tests/xbase/TempFolder.h"

namespace platform::os {
namespace {

// Every open of the test file is its own open file description, as two work areas are.
class ByteRangeLocksTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = folder_.Write("table.dbf", std::string(64, ' ')); }
  void TearDown() override {
    for (int fd : fds_) CloseLockedFile(fd);
  }
  int Open() {
    const int fd = open(path_.c_str(), O_RDWR | O_CLOEXEC);
    EXPECT_GE(fd, 0);
    fds_.push_back(fd);
    return fd;
  }
  void Close(int fd) {
    std::erase(fds_, fd);
    EXPECT_EQ(CloseLockedFile(fd), 0);
  }

  xbase::TempFolder folder_;
  std::string path_;
  std::vector<int> fds_;
};

TEST_F(ByteRangeLocksTest, TwoOpensOfOneProcessConflict) {
  const int a = Open(), b = Open();
  ASSERT_EQ(LockFileRange(a, 0x40000000 + 97, 30), 0);
  EXPECT_EQ(LockFileRange(b, 0x40000000 + 97 + 29, 1), kErrorLockViolation);
  EXPECT_EQ(LockFileRange(b, 0x40000000 + 96, 2), kErrorLockViolation);
  EXPECT_EQ(LockFileRange(b, 0x40000000 + 97 + 30, 30), 0) << "the neighbouring record is free";
  EXPECT_EQ(LockFileRange(b, 0x40000000 + 67, 30), 0) << "so is the record before";

  const auto seen = ProbeFileRange(b, 0x40000000, 0x1000);
  ASSERT_TRUE(seen.has_value());
  EXPECT_TRUE(seen->exclusive);
  EXPECT_EQ(seen->offset, 0x40000000 + 97);
  EXPECT_EQ(seen->length, 30);

  ASSERT_EQ(UnlockFileRange(a, 0x40000000 + 97, 30), 0);
  EXPECT_EQ(LockFileRange(b, 0x40000000 + 97, 30), 0);
}

TEST_F(ByteRangeLocksTest, ADescriptorCannotLockWhatItHolds) {
  const int a = Open();
  ASSERT_EQ(LockFileRange(a, 1000, 10), 0);
  struct Case { std::int64_t offset, length; };
  for (const auto c : {Case{1000, 10}, Case{1000, 1}, Case{1009, 5}, Case{995, 6}, Case{990, 40}})
    EXPECT_EQ(LockFileRange(a, c.offset, c.length), kErrorLockViolation) << c.offset << "+" << c.length;
  EXPECT_EQ(LockFileRange(a, 1010, 1), 0);
  EXPECT_EQ(LockFileRange(a, 999, 1), 0);
  // One unlock releases the one lock: nothing was merged or counted twice.
  ASSERT_EQ(UnlockFileRange(a, 1000, 10), 0);
  EXPECT_EQ(UnlockFileRange(a, 1000, 10), kErrorNotLocked);
  const int b = Open();
  EXPECT_EQ(LockFileRange(b, 1000, 10), 0);
}

TEST_F(ByteRangeLocksTest, OnlyAnExactlyHeldRangeUnlocks) {
  const int a = Open(), b = Open();
  ASSERT_EQ(LockFileRange(a, 2000, 10), 0);
  struct Case { std::int64_t offset, length; };
  for (const auto c : {Case{2000, 5}, Case{2005, 5}, Case{2000, 11}, Case{1999, 10}, Case{5000, 1}})
    EXPECT_EQ(UnlockFileRange(a, c.offset, c.length), kErrorNotLocked) << c.offset << "+" << c.length;
  EXPECT_EQ(UnlockFileRange(b, 2000, 10), kErrorNotLocked) << "another open's lock";
  // The failed unlocks released nothing.
  EXPECT_EQ(LockFileRange(b, 2000, 1), kErrorLockViolation);
  EXPECT_EQ(LockFileRange(b, 2009, 1), kErrorLockViolation);
  EXPECT_TRUE(HoldsFileRange(a, 2000, 10));
  EXPECT_EQ(UnlockFileRange(a, 2000, 10), 0);
  EXPECT_FALSE(HoldsFileRange(a, 2000, 10));
}

TEST_F(ByteRangeLocksTest, OffsetsBeyondFourGigabytes) {
  const int a = Open(), b = Open();
  const std::int64_t far = 0x1'4000'0000 + 5;
  ASSERT_EQ(LockFileRange(a, far, 7), 0);
  EXPECT_FALSE(ProbeFileRange(b, far - 0x1'0000'0000, 7).has_value()) << "no wrap to 32 bits";
  const auto seen = ProbeFileRange(b, far - 100, 200);
  ASSERT_TRUE(seen.has_value());
  EXPECT_EQ(seen->offset, far);
  EXPECT_EQ(seen->length, 7);
}

TEST_F(ByteRangeLocksTest, ClosingAnotherOpenKeepsTheLocks) {
  const int a = Open(), b = Open(), c = Open();
  ASSERT_EQ(LockFileRange(a, 0x40000001, 1), 0);
  Close(c);
  EXPECT_EQ(LockFileRange(b, 0x40000001, 1), kErrorLockViolation);
  Close(a);
  EXPECT_EQ(LockFileRange(b, 0x40000001, 1), 0) << "the last close of an open drops its locks";
}

TEST_F(ByteRangeLocksTest, AReusedDescriptorNumberStartsEmpty) {
  const int a = Open();
  ASSERT_EQ(LockFileRange(a, 300, 3), 0);
  Close(a);
  const int again = Open();
  ASSERT_EQ(again, a) << "the lowest free number is reused";
  EXPECT_FALSE(HoldsFileRange(again, 300, 3));
  EXPECT_EQ(UnlockFileRange(again, 300, 3), kErrorNotLocked);
  EXPECT_EQ(LockFileRange(again, 300, 3), 0);
}

TEST_F(ByteRangeLocksTest, ImpossibleRangesLockNothing) {
  const int a = Open(), b = Open();
  struct Case { std::int64_t offset, length; };
  for (const auto c : {Case{10, 0}, Case{10, -1}, Case{-1, 5},
                       Case{std::numeric_limits<std::int64_t>::max() - 2, 5}}) {
    EXPECT_NE(LockFileRange(a, c.offset, c.length), 0) << c.offset << "+" << c.length;
  }
  EXPECT_FALSE(ProbeFileRange(b, 0, 0).has_value()) << "a zero length must not lock to the end";
}

TEST_F(ByteRangeLocksTest, TheProbeIgnoresItsOwnOpen) {
  const int a = Open();
  ASSERT_EQ(LockFileRange(a, 40, 2), 0);
  EXPECT_FALSE(ProbeFileRange(a, 40, 2).has_value());
}

}  // namespace
}  // namespace platform::os
