#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/os/ShareLock.h"
#include "tests/xbase/LibraryTest.h"
#include "tests/xbase/TempFolder.h"
#include "xbase/core/ovutils.h"

namespace xbase {
namespace {

namespace fs = std::filesystem;

using FileNamesTest = LibraryTest;

TEST_F(FileNamesTest, SplitAndExtensions) {
  struct Case {
    const char* path;
    const char* dir;
    const char* name;
    const char* ext;
    const char* stripped;
    const char* defaulted;  // DefaultExtension(path, "DBF")
    const char* forced;     // ForceExtension(path, "NDX")
  };
  for (const auto& c : {
           Case{"c:\\data\\clues", "c:\\data\\", "clues", "", "c:\\data\\clues",
                "c:\\data\\clues.DBF", "c:\\data\\clues.NDX"},
           Case{"clues.dat", "", "clues", ".dat", "clues", "clues.dat", "clues.NDX"},
           Case{"/home/u/my.data/clues", "/home/u/my.data/", "clues", "", "/home/u/my.data/clues",
                "/home/u/my.data/clues.DBF", "/home/u/my.data/clues.NDX"},
           Case{"/home/u/my.data\\t.x.dbf", "/home/u/my.data\\", "t.x", ".dbf",
                "/home/u/my.data\\t.x", "/home/u/my.data\\t.x.dbf", "/home/u/my.data\\t.x.NDX"},
           Case{"trailing.", "", "trailing", ".", "trailing", "trailing.", "trailing.NDX"},
           Case{"blanks  ", "", "blanks  ", "", "blanks  ", "blanks.DBF", "blanks  .NDX"},
       }) {
    SCOPED_TRACE(c.path);
    std::string dir, name, ext;
    FSplit(c.path, dir, name, ext);
    EXPECT_EQ(dir, c.dir);
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(ext, c.ext);
    EXPECT_EQ(StripExtension(c.path), c.stripped);
    EXPECT_EQ(FileNameOf(c.path), std::string(c.name) + c.ext);
    EXPECT_EQ(BaseNameOf(c.path), c.name);
    EXPECT_EQ(DefaultExtension(c.path, "DBF"), c.defaulted);
    EXPECT_EQ(ForceExtension(c.path, "NDX"), c.forced);
  }
}

TEST_F(FileNamesTest, LongNamesAreNeverCut) {
  const std::string folder = "/" + std::string(300, 'd') + "/";
  const std::string name = std::string(200, 'n');
  EXPECT_EQ(DefaultExtension(folder + name, "DBF"), folder + name + ".DBF");
  std::string dir, base, ext;
  FSplit(folder + name + ".dbf", dir, base, ext);
  EXPECT_EQ(dir, folder);
  EXPECT_EQ(base, name);
  EXPECT_EQ(FullPathName(folder + name), folder + name);
}

TEST_F(FileNamesTest, FullPathNameResolvesDotsByTextAlone) {
  const std::string cwd = fs::current_path().string();
  struct Case {
    std::string name;
    std::string full;
  };
  for (const auto& c : {
           Case{"/a/b/../c/./d.dbf", "/a/c/d.dbf"},
           Case{"\\a\\b\\..\\d.dbf", "/a/d.dbf"},
           Case{"/../..//x", "/x"},
           Case{"/a/b/", "/a/b/"},
           Case{"/", "/"},
           Case{"no/such/thing.dbf", cwd + "/no/such/thing.dbf"},
           Case{"./t.dbf", cwd + "/t.dbf"},
       }) {
    EXPECT_EQ(FullPathName(c.name), c.full) << c.name;
  }
}

class FilesTest : public LibraryTest {
 protected:
  TempFolder temp;
  std::string At(const std::string& relative) const { return temp.path() + "/" + relative; }
};

TEST_F(FilesTest, WalkPathNamesGivesTheSpellingOnDisk) {
  temp.Write("Data/Clues.dbf");
  temp.Write("Data/clues.NDX");
  struct Case {
    std::string path;
    std::string walked;
  };
  for (const auto& c : {
           Case{At("Data/Clues.dbf"), At("Data/Clues.dbf")},
           Case{At("DATA/CLUES.DBF"), At("Data/Clues.dbf")},
           Case{At("data/clues.ndx"), At("Data/clues.NDX")},
           Case{At("data/./x/../Clues.DBF"), At("Data/Clues.dbf")},
           Case{At("data/"), At("Data/")},
           Case{At("Data/missing.dbf"), ""},
           Case{At("Nowhere/Clues.dbf"), ""},
       }) {
    EXPECT_EQ(WalkPathNames(c.path), c.walked) << c.path;
  }
}

TEST_F(FilesTest, AnExactNameWinsOverOneThatDiffersInCase) {
  temp.Write("t.dbf", "lower");
  temp.Write("T.DBF", "upper");
  temp.Write("only.dbf");
  EXPECT_EQ(WalkPathNames(At("T.DBF")), At("T.DBF"));
  EXPECT_EQ(WalkPathNames(At("t.dbf")), At("t.dbf"));
  EXPECT_EQ(WalkPathNames(At("ONLY.DBF")), At("only.dbf"));
}

TEST_F(FilesTest, NamesDifferingInAccentedCaseMatch) {
  temp.Write("\xC3\xA9t\xC3\xA9.dbf");  // "été.dbf" in UTF-8
  EXPECT_EQ(WalkPathNames(At("\xC3\x89T\xC3\x89.DBF")), At("\xC3\xA9t\xC3\xA9.dbf"));
}

TEST_F(FilesTest, FileFoundAndDatedToday) {
  const std::string file = temp.Write("Today.txt");
  fs::create_directories(At("folder"));
  EXPECT_TRUE(FileFound(file));
  EXPECT_TRUE(FileFound(At("TODAY.TXT")));
  EXPECT_FALSE(FileFound(At("none.txt")));
  EXPECT_FALSE(FileFound(At("folder"))) << "a folder is no file";
  EXPECT_TRUE(FileIsDatedToday(At("today.TXT")));

  const std::string old = temp.Write("old.txt");
  const timespec times[2] = {{86400 * 400, 0}, {86400 * 400, 0}};  // in February 1971
  ASSERT_EQ(utimensat(AT_FDCWD, old.c_str(), times, 0), 0);
  EXPECT_FALSE(FileIsDatedToday(old));
  EXPECT_FALSE(FileIsDatedToday(At("none.txt")));
}

// Another open of the file that holds it the way an exclusive table open does.
class HeldFile {
 public:
  explicit HeldFile(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_CLOEXEC)) {
    EXPECT_GE(fd_, 0);
    EXPECT_EQ(platform::os::LockShareByte(fd_, platform::os::ShareMode::kExclusive), 0);
  }
  ~HeldFile() { close(fd_); }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

 private:
  int fd_;
};

TEST_F(FilesTest, EraseFileDeletesUnlessHeld) {
  const std::string file = temp.Write("Gone.dbf");
  EXPECT_EQ(EraseFile(At("GONE.DBF")), 0);
  EXPECT_FALSE(fs::exists(file));

  EXPECT_EQ(EraseFile(At("never.dbf")), 2);
  EXPECT_EQ(ErrorCode, 2);

  const std::string held = temp.Write("held.dbf");
  {
    HeldFile other(held);
    EXPECT_EQ(EraseFile(held), 32);
    EXPECT_TRUE(fs::exists(held));
  }
  EXPECT_EQ(EraseFile(held), 0);
  EXPECT_FALSE(fs::exists(held));
}

TEST_F(FilesTest, EraseFilesByMaskIgnoresCaseAndSparesOthers) {
  temp.Write("a.ntx");
  temp.Write("B.NTX");
  temp.Write("c.ntx.keep");
  temp.Write("d.dbf");
  fs::create_directories(At("dir.ntx"));
  EraseFiles(At("*.NTX"));
  EXPECT_EQ(ErrorCode, 0);
  EXPECT_FALSE(fs::exists(At("a.ntx")));
  EXPECT_FALSE(fs::exists(At("B.NTX")));
  EXPECT_TRUE(fs::exists(At("c.ntx.keep")));
  EXPECT_TRUE(fs::exists(At("d.dbf")));
  EXPECT_TRUE(fs::exists(At("dir.ntx"))) << "only regular files are erased";
}

TEST_F(FilesTest, EraseFilesMaskPatterns) {
  temp.Write("tmp1.x");
  temp.Write("tmp22.x");
  temp.Write("tmp3");
  temp.Write("other.x");
  EraseFiles(At("tmp?.*"));
  EXPECT_FALSE(fs::exists(At("tmp1.x")));
  EXPECT_FALSE(fs::exists(At("tmp3"))) << "name.* also matches a name without extension";
  EXPECT_TRUE(fs::exists(At("tmp22.x")));
  EXPECT_TRUE(fs::exists(At("other.x")));

  EraseFiles(At("nowhere/*.x"));
  EXPECT_EQ(ErrorCode, 0) << "a missing folder matches nothing";
}

TEST_F(FilesTest, EraseFilesReportsWhatItCouldNotErase) {
  temp.Write("one.tmp");
  const std::string held = temp.Write("two.tmp");
  const std::string mask = At("*.tmp");
  HeldFile other(held);
  try {
    EraseFiles(mask);
    FAIL() << "no error";
  } catch (const EOrvelError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Error # 5 (File access denied)\r\nCould not erase 1 files like " + mask);
  }
  EXPECT_EQ(ErrorCode, 5);
  EXPECT_FALSE(fs::exists(At("one.tmp")));
  EXPECT_TRUE(fs::exists(held));
}

TEST_F(FilesTest, EraseFilesOfOneMissingFileReportsItsCode) {
  const std::string name = At("missing.tmp");
  SetImmediateErrors(false);
  EraseFiles(name);
  EXPECT_EQ(ErrorCode, 2);
  EXPECT_EQ(LastErrorMessage, "Error erasing " + name);
}

// Points TMPDIR at a folder for the lifetime of the object.
class TempDirVariable {
 public:
  explicit TempDirVariable(const std::string& folder) {
    if (const char* old = std::getenv("TMPDIR")) saved_ = old;
    setenv("TMPDIR", folder.c_str(), 1);
  }
  ~TempDirVariable() {
    if (saved_.empty()) unsetenv("TMPDIR"); else setenv("TMPDIR", saved_.c_str(), 1);
  }
  TempDirVariable(const TempDirVariable&) = delete;
  TempDirVariable& operator=(const TempDirVariable&) = delete;

 private:
  std::string saved_;
};

TEST_F(FilesTest, UniqueFilenameCreatesANewFileWithThePrefix) {
  TempDirVariable tmpdir(temp.path());
  const std::string first = UniqueFilename();
  const std::string second = UniqueFilename();
  EXPECT_NE(first, second);
  for (const auto& name : {first, second}) {
    EXPECT_TRUE(fs::is_regular_file(name)) << name;
    EXPECT_EQ(fs::file_size(name), 0u);
    EXPECT_EQ(fs::path(name).parent_path(), fs::path(temp.path()));
    EXPECT_EQ(fs::path(name).filename().string().substr(0, 3), "OVP");
  }
  TempFilePrefix = "IDX";
  EXPECT_EQ(fs::path(UniqueFilename()).filename().string().substr(0, 3), "IDX");
}

TEST_F(FilesTest, UniqueFilenameFailureReportsAndGivesNoName) {
  TempDirVariable tmpdir(At("no-such-folder"));
  SetImmediateErrors(false);
  EXPECT_EQ(UniqueFilename(), "");
  EXPECT_EQ(ErrorCode, 2);
  EXPECT_EQ(LastErrorMessage, "Error requesting unique file name [UniqueFilename]");
}

TEST_F(FilesTest, DiskSpaceIsCappedAndAnswersForTheCurrentFolder) {
  const std::int32_t here = DiskSpace(temp.path());
  EXPECT_GT(here, 0);
  EXPECT_LE(here, 0x7FFFFFFF);
  EXPECT_EQ(DiskSpace(At("no/such/folder")), 0x7FFFFFFF) << "a failed query";
  EXPECT_GT(DiskSpace(""), 0);
  EXPECT_GT(DiskSpaceOfDrive(0), 0);
  EXPECT_GT(DiskSpaceOfDrive(3), 0);
}

}  // namespace
}  // namespace xbase
