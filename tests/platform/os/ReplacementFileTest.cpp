#include "platform/os/ReplacementFile.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/platform/os/FileFolderTest.h"

namespace platform::os {
namespace {

namespace fs = std::filesystem;

class ReplacementFileTest : public FileFolderTest {
 protected:
  std::size_t Files() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
  }
  static unsigned Mode(const std::string& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
  }
};

TEST_F(ReplacementFileTest, TheTargetChangesOnlyAtTheCommit) {
  const std::string path = Make("t.dbf", "old content");
  chmod(path.c_str(), 0640);
  ReplacementFile file;
  ASSERT_EQ(file.Begin(path), 0);
  ASSERT_EQ(file.File().WriteAt(0, "new", 3).code, 0);
  EXPECT_EQ(Content(path), "old content");
  EXPECT_EQ(Files(), 2u);
  ASSERT_EQ(file.Commit(), 0);
  EXPECT_EQ(Content(path), "new");
  EXPECT_EQ(Mode(path), 0640u) << "the permissions of the file it replaced";
  EXPECT_EQ(Files(), 1u);
}

TEST_F(ReplacementFileTest, AnUncommittedReplacementLeavesNothingBehind) {
  const std::string path = Make("t.dbf", "old content");
  {
    ReplacementFile file;
    ASSERT_EQ(file.Begin(path), 0);
    file.File().WriteAt(0, "partial", 7);
  }
  EXPECT_EQ(Content(path), "old content");
  EXPECT_EQ(Files(), 1u);
  {
    ReplacementFile file;
    ASSERT_EQ(file.Begin(folder_ + "/new.dbf"), 0);
  }
  EXPECT_EQ(Files(), 1u) << "no new file either";
}

TEST_F(ReplacementFileTest, ATargetHeldByAnotherOpenIsRefused) {
  const std::string path = Make("t.dbf", "old content");
  BinaryFile other;
  ASSERT_EQ(other.Open(path, FileAccess::kRead, ShareMode::kShared), 0);
  ReplacementFile file;
  EXPECT_EQ(file.Begin(path), 32);
  EXPECT_EQ(Files(), 1u);
}

TEST_F(ReplacementFileTest, ALinkKeepsPointingAtTheNewContent) {
  const std::string path = Make("t.dbf", "old content");
  const std::string link = folder_ + "/link.dbf";
  fs::create_symlink(path, link);
  ReplacementFile file;
  ASSERT_EQ(file.Begin(link), 0);
  file.File().WriteAt(0, "new", 3);
  ASSERT_EQ(file.Commit(), 0);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Content(path), "new");
}

}  // namespace
}  // namespace platform::os
