#include "platform/os/BinaryFile.h"

#include <fcntl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/platform/os/FileFolderTest.h"

namespace platform::os {
namespace {

namespace fs = std::filesystem;

using BinaryFileTest = FileFolderTest;

TEST_F(BinaryFileTest, ReadsAndWritesAtOffsets) {
  const std::string path = Make("t.bin", "0123456789");
  BinaryFile file;
  ASSERT_EQ(file.Open(path, FileAccess::kReadWrite, ShareMode::kShared), 0);
  EXPECT_NE(fcntl(file.Descriptor(), F_GETFD) & FD_CLOEXEC, 0);

  char buffer[8] = {};
  Transfer read = file.ReadAt(6, buffer, sizeof buffer);
  EXPECT_EQ(read.count, 4u) << "a read stops at the end of the file";
  EXPECT_EQ(read.code, 0);
  EXPECT_EQ(std::string(buffer, read.count), "6789");

  const Transfer written = file.WriteAt(12, "ab", 2);
  EXPECT_EQ(written.count, 2u);
  EXPECT_EQ(written.code, 0);
  std::uint64_t size = 0;
  EXPECT_EQ(file.Size(size), 0);
  EXPECT_EQ(size, 14u);
  EXPECT_EQ(file.Truncate(11), 0);
  EXPECT_EQ(file.Sync(), 0);
  EXPECT_EQ(file.Close(), 0);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(Content(path), std::string("0123456789\0", 11));
}

TEST_F(BinaryFileTest, ReadsInSequenceComeFromAWindowThatWritesDrop) {
  const std::string path = Make("t.bin", "0123456789abcdefghij");
  BinaryFile file;
  ASSERT_EQ(file.Open(path, FileAccess::kReadWrite, ShareMode::kShared), 0);
  char buffer[8] = {};
  const auto read = [&](std::uint64_t offset, std::size_t length) {
    const Transfer t = file.ReadAhead(offset, buffer, length, 16);
    EXPECT_EQ(t.code, 0);
    return std::string(buffer, t.count);
  };
  EXPECT_EQ(read(0, 4), "0123");  // in sequence from the start: the window is bytes 0 to 15
  // Another open changes the file: the window does not see it.
  std::fstream(path, std::ios::in | std::ios::out | std::ios::binary).seekp(5).write("X", 1);
  EXPECT_EQ(read(4, 4), "4567");
  EXPECT_EQ(read(18, 2), "ij");  // outside the window and out of sequence: read at once
  EXPECT_EQ(file.ReadAt(4, buffer, 2).count, 2u);
  EXPECT_EQ(std::string(buffer, 2), "4X");  // ReadAt never uses the window
  // A write of this file drops the window.
  EXPECT_EQ(file.WriteAt(19, "Z", 1).code, 0);
  EXPECT_EQ(read(2, 4), "234X");
  EXPECT_EQ(read(6, 4), "6789");  // in sequence: a new window from 6
  EXPECT_EQ(read(10, 4), "abcd");
  EXPECT_EQ(read(14, 8), "efghiZ");  // a window cut short by the end of the file
  EXPECT_EQ(file.Truncate(12), 0);
  EXPECT_EQ(read(4, 4), "4X67");
  EXPECT_EQ(read(8, 8), "89ab");
}

TEST_F(BinaryFileTest, FailuresGiveDosCodes) {
  BinaryFile file;
  EXPECT_EQ(file.Open(folder_ + "/missing", FileAccess::kRead, ShareMode::kShared), 2);
  const std::string path = Make("r.bin", "abc");
  EXPECT_EQ(file.Open(path + "/below", FileAccess::kRead, ShareMode::kShared), 3);
  EXPECT_EQ(file.Open(folder_, FileAccess::kReadWrite, ShareMode::kShared), 5);
  EXPECT_EQ(file.CreateNew(path), 80) << "the file exists";
  EXPECT_EQ(Content(path), "abc");
  EXPECT_FALSE(file.IsOpen());

  ASSERT_EQ(file.Open(path, FileAccess::kRead, ShareMode::kShared), 0);
  EXPECT_NE(file.WriteAt(0, "x", 1).code, 0) << "opened for reading only";
  EXPECT_EQ(Content(path), "abc");
}

TEST_F(BinaryFileTest, ShareModesBetweenOpens) {
  const std::string path = Make("s.bin", "abc");
  BinaryFile first, second;
  ASSERT_EQ(first.Open(path, FileAccess::kRead, ShareMode::kShared), 0);
  EXPECT_EQ(second.Open(path, FileAccess::kReadWrite, ShareMode::kShared), 0);
  BinaryFile third;
  EXPECT_EQ(third.Open(path, FileAccess::kReadWrite, ShareMode::kExclusive), 32);
  EXPECT_FALSE(third.IsOpen());

  first.Close();
  second.Close();
  EXPECT_EQ(third.Open(path, FileAccess::kRead, ShareMode::kExclusive), 0)
      << "an exclusive open that only reads";
  EXPECT_EQ(first.Open(path, FileAccess::kRead, ShareMode::kShared), 32);
}

TEST_F(BinaryFileTest, CreateEmptiesAFileUnlessHeld) {
  const std::string path = Make("c.bin", "old content");
  {
    BinaryFile holder;
    ASSERT_EQ(holder.Open(path, FileAccess::kRead, ShareMode::kShared), 0);
    BinaryFile created;
    EXPECT_EQ(created.Create(path), 32);
    EXPECT_FALSE(created.IsOpen());
    EXPECT_EQ(Content(path), "old content");
  }
  BinaryFile created;
  ASSERT_EQ(created.Create(path), 0);
  EXPECT_EQ(Content(path), "");
  BinaryFile other;
  EXPECT_EQ(other.Open(path, FileAccess::kRead, ShareMode::kShared), 32)
      << "a new file is held exclusively";

  BinaryFile fresh;
  EXPECT_EQ(fresh.Create(folder_ + "/new.bin"), 0);
  EXPECT_TRUE(fs::exists(folder_ + "/new.bin"));
}

TEST_F(BinaryFileTest, MovingHandsTheOpenOver) {
  const std::string path = Make("m.bin", "abc");
  BinaryFile first;
  ASSERT_EQ(first.Open(path, FileAccess::kReadWrite, ShareMode::kExclusive), 0);
  BinaryFile second = std::move(first);
  EXPECT_FALSE(first.IsOpen());
  EXPECT_TRUE(second.IsOpen());
  second = BinaryFile();
  BinaryFile third;
  EXPECT_EQ(third.Open(path, FileAccess::kReadWrite, ShareMode::kExclusive), 0)
      << "the moved-over open was closed";
}

}  // namespace
}  // namespace platform::os
