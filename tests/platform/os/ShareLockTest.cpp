#include "platform/os/ShareLock.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace platform::os {
namespace {

// A file and any number of independent opens of it.
class ShareLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (std::filesystem::temp_directory_path() / "sharelock-XXXXXX").string();
    const int fd = mkstemp(path_.data());
    ASSERT_GE(fd, 0);
    close(fd);
  }
  void TearDown() override {
    for (int fd : fds_) close(fd);
    unlink(path_.c_str());
  }
  int Open() {
    const int fd = open(path_.c_str(), O_RDWR | O_CLOEXEC);
    EXPECT_GE(fd, 0);
    fds_.push_back(fd);
    return fd;
  }
  static bool IsConflict(int error) { return error == EAGAIN || error == EACCES; }

  std::string path_;

 private:
  std::vector<int> fds_;
};

TEST_F(ShareLockTest, SharedOpensJoinAndExclusiveOnesConflictWithinOneProcess) {
  const int a = Open(), b = Open(), c = Open();
  EXPECT_EQ(LockShareByte(a, ShareMode::kShared), 0);
  EXPECT_EQ(LockShareByte(b, ShareMode::kShared), 0);
  EXPECT_TRUE(IsConflict(LockShareByte(c, ShareMode::kExclusive)));
  EXPECT_TRUE(IsConflict(LockShareByte(a, ShareMode::kExclusive))) << "b still shares";
}

TEST_F(ShareLockTest, ExclusiveKeepsEveryOtherOpenOut) {
  const int a = Open(), b = Open();
  EXPECT_EQ(LockShareByte(a, ShareMode::kExclusive), 0);
  EXPECT_TRUE(IsConflict(LockShareByte(b, ShareMode::kShared)));
  EXPECT_TRUE(IsConflict(LockShareByte(b, ShareMode::kExclusive)));
}

TEST_F(ShareLockTest, ClosingAnotherDescriptorKeepsTheLock) {
  const int a = Open();
  EXPECT_EQ(LockShareByte(a, ShareMode::kExclusive), 0);
  close(open(path_.c_str(), O_RDONLY | O_CLOEXEC));  // a classic POSIX lock would be dropped here
  EXPECT_TRUE(IsConflict(LockShareByte(Open(), ShareMode::kShared)));
}

TEST_F(ShareLockTest, ALoneOpenConvertsItsLock) {
  const int a = Open(), b = Open();
  EXPECT_EQ(LockShareByte(a, ShareMode::kShared), 0);
  EXPECT_EQ(LockShareByte(a, ShareMode::kExclusive), 0);
  EXPECT_TRUE(IsConflict(LockShareByte(b, ShareMode::kShared)));
  EXPECT_EQ(LockShareByte(a, ShareMode::kShared), 0);
  EXPECT_EQ(LockShareByte(b, ShareMode::kShared), 0);
}

}  // namespace
}  // namespace platform::os
