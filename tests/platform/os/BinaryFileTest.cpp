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

// The read-ahead block's or the kept blocks' copy of the bytes at offset, "(none)" without one.
std::string HeldBytes(const BinaryFile& file, std::uint64_t offset, std::size_t length) {
  const std::uint8_t* bytes = file.ReadAheadBytes(offset, length);
  return bytes == nullptr ? std::string("(none)")
                          : std::string(reinterpret_cast<const char*>(bytes), length);
}

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

TEST_F(BinaryFileTest, TheReadAheadBlockHoldsWhatThisOpenLastWrote) {
  const std::string path = Make("t.bin", "0123456789abcdefghij");
  BinaryFile file;
  ASSERT_EQ(file.Open(path, FileAccess::kReadWrite, ShareMode::kShared), 0);
  const auto ahead = [&](std::uint64_t offset, std::size_t length) {
    return HeldBytes(file, offset, length);
  };
  EXPECT_EQ(ahead(0, 1), "(none)");  // no block yet
  const Transfer filled = file.ReadAhead(4, 8);
  EXPECT_EQ(filled.count, 8u);
  EXPECT_EQ(filled.code, 0);
  EXPECT_EQ(ahead(4, 8), "456789ab");
  EXPECT_EQ(ahead(3, 2), "(none)");   // begins before the block
  EXPECT_EQ(ahead(11, 2), "(none)");  // ends after it
  EXPECT_EQ(ahead(12, 0), "");        // nothing at its end

  // Another open's change is not seen: the block is for files nobody else changes.
  std::fstream(path, std::ios::in | std::ios::out | std::ios::binary).seekp(5).write("X", 1);
  EXPECT_EQ(ahead(5, 1), "5");

  // Writes of this open go into the block where they meet it, at either end.
  EXPECT_EQ(file.WriteAt(2, "ABC", 3).code, 0);
  EXPECT_EQ(file.WriteAt(10, "YZW", 3).code, 0);
  EXPECT_EQ(file.WriteAt(0, "Q", 1).code, 0);  // outside
  EXPECT_EQ(ahead(4, 8), "C56789YZ");

  // Cut short by the end of the file: the block holds what there was.
  EXPECT_EQ(file.ReadAhead(16, 8).count, 4u);
  EXPECT_EQ(ahead(16, 4), "ghij");
  EXPECT_EQ(ahead(18, 4), "(none)");

  // Truncation and closing drop the block; a moved file takes it along.
  EXPECT_EQ(file.Truncate(18), 0);
  EXPECT_EQ(ahead(16, 1), "(none)");
  file.ReadAhead(0, 4);
  BinaryFile moved(std::move(file));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(moved.ReadAheadBytes(0, 4)), 4), "Q1AB");
  EXPECT_EQ(file.ReadAheadBytes(0, 1), nullptr);
  EXPECT_EQ(moved.Close(), 0);
  EXPECT_EQ(moved.ReadAheadBytes(0, 1), nullptr);

  // After a failed write nothing tells what the file holds: the block goes.
  BinaryFile reading;
  ASSERT_EQ(reading.Open(path, FileAccess::kRead, ShareMode::kShared), 0);
  reading.ReadAhead(0, 4);
  EXPECT_NE(reading.WriteAt(8, "x", 1).code, 0);
  EXPECT_EQ(reading.ReadAheadBytes(0, 1), nullptr);
}

TEST_F(BinaryFileTest, KeptBlocksHoldWhatThisOpenLastWrote) {
  const std::string path = Make("t.bin", "0123456789abcdefghij");
  BinaryFile file;
  ASSERT_EQ(file.Open(path, FileAccess::kReadWrite, ShareMode::kShared), 0);
  const auto kept = [&](std::uint64_t offset, std::size_t length) {
    return HeldBytes(file, offset, length);
  };
  const auto readAndKeep = [&](std::uint64_t offset, std::size_t length) {
    char buffer[32];
    return file.ReadAndKeep(offset, buffer, length).count;
  };
  // Blocks of 4 bytes from offset 2 on, room for 3: 2..5, 6..9 and 10..13.
  file.LayKeptBlocks(2, 4, 3);
  EXPECT_EQ(readAndKeep(3, 8), 8u);    // holds block 6..9 whole
  EXPECT_EQ(readAndKeep(10, 10), 10u);  // 10..13 has room, 14..17 not
  EXPECT_EQ(readAndKeep(0, 4), 4u);    // no whole block
  struct Case {
    std::uint64_t offset;
    std::size_t length;
    const char* kept;
  };
  for (const Case& c : {Case{6, 4, "6789"}, Case{7, 2, "78"}, Case{10, 4, "abcd"}, Case{9, 2, "(none)"},
                        Case{2, 1, "(none)"}, Case{14, 1, "(none)"}}) {
    EXPECT_EQ(kept(c.offset, c.length), c.kept) << c.offset << ", " << c.length;
  }

  // Writes of this open go into the blocks they meet; more room keeps the blocks.
  EXPECT_EQ(file.WriteAt(8, "XYZW", 4).code, 0);
  file.LayKeptBlocks(2, 4, 5);
  EXPECT_EQ(kept(6, 8), "(none)");  // two blocks are not one
  EXPECT_EQ(kept(6, 4) + kept(10, 4), "67XYZWcd");

  // Another layout forgets them.
  file.LayKeptBlocks(2, 8, 5);
  EXPECT_EQ(kept(2, 4), "(none)");

  // The read-ahead block's whole blocks are kept on asking, and stay when it is replaced.
  file.ReadAhead(0, 18);
  file.KeepReadAhead();
  file.ReadAhead(17, 1);
  EXPECT_EQ(kept(2, 8) + kept(10, 4), "234567XYZWcd");
  EXPECT_EQ(kept(18, 1), "(none)");

  // A short read keeps nothing; a truncation drops every block.
  EXPECT_EQ(readAndKeep(18, 8), 2u);
  EXPECT_EQ(kept(18, 2), "(none)");
  EXPECT_EQ(file.Truncate(20), 0);
  EXPECT_EQ(kept(2, 8), "(none)");

  BinaryFile reading;
  ASSERT_EQ(reading.Open(path, FileAccess::kRead, ShareMode::kShared), 0);
  reading.LayKeptBlocks(0, 4, 4);
  char buffer[4];
  reading.ReadAndKeep(0, buffer, 4);
  BinaryFile moved(std::move(reading));
  EXPECT_NE(moved.ReadAheadBytes(0, 4), nullptr) << "a moved file takes its blocks along";
  EXPECT_EQ(reading.ReadAheadBytes(0, 4), nullptr);
  EXPECT_NE(moved.WriteAt(12, "x", 1).code, 0);
  EXPECT_EQ(moved.ReadAheadBytes(0, 4), nullptr) << "after a failed write nothing is known";
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
