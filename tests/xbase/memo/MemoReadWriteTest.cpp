// Reading memos into lines, appending and rewriting them, the memo lock, and memo files that
// say things they cannot hold.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "platform/os/ByteRangeLocks.h"
#include "tests/xbase/memo/MemoTest.h"
#include "xbase/core/ByteOrder.h"

namespace xbase {
namespace {

using MemoReadWriteTest = MemoTest;

std::string Le32(std::uint32_t v) {
  std::string bytes(4, '\0');
  PutLE32(reinterpret_cast<std::uint8_t*>(bytes.data()), v);
  return bytes;
}

std::string Be32(std::uint32_t v) {
  std::string bytes(4, '\0');
  PutBE32(reinterpret_cast<std::uint8_t*>(bytes.data()), v);
  return bytes;
}

TEST_F(MemoReadWriteTest, BlockZeroIsNoMemoAndBlocksOutsideTheFileAreRefused) {
  CreateMemoTable(kDbase3);
  MemoLineTable text;
  text.Lines = {{"stale", 13}};
  EXPECT_TRUE(GetMemo(0, 0, text));
  EXPECT_TRUE(text.Empty());
  const std::int32_t block = AddMemo("x");  // the file is 1024 bytes now
  EXPECT_EQ(LinesText(-block), "x");        // a negative block is its absolute value
  QuietErrors();
  for (const std::int32_t beyond : {2, 3, 1000000}) {
    EXPECT_FALSE(GetMemo(beyond, 0, text)) << beyond;
    EXPECT_EQ(ErrorCode, 1003);
    EXPECT_EQ(LastErrorMessage, MemoPath() + " Record # 0 [GetMemo]");
  }
}

TEST_F(MemoReadWriteTest, AppendedMemosLoseTrailingBlanksAndBlankTextsAreNotStored) {
  for (const Dialect& dialect : kDialects) {
    SCOPED_TRACE(DialectName(dialect));
    CreateMemoTable(dialect);
    const std::string before = MemoFile();
    EXPECT_EQ(AddMemo("  \r\n\t "), 0);
    EXPECT_EQ(MemoFile(), before);
    EXPECT_EQ(StreamText(AddMemo("  text \r\n ")), "  text");
    CloseArea();
  }
}

TEST_F(MemoReadWriteTest, Dbase3MemosFillWholeBlocksEndingWithTwoEndMarks) {
  CreateMemoTable(kDbase3);
  const std::string text(1000, 'm');
  ASSERT_EQ(AddMemo(text), 1);
  EXPECT_EQ(MemoFile().substr(512), text + "\x1A\x1A" + std::string(22, '\0'));
  EXPECT_EQ(AddMemo("next"), 3);
}

TEST_F(MemoReadWriteTest, Dbase3TextsThatWouldEndAPlainMemoEarlyTakeTheGroupHeader) {
  const std::string endMark = "before\x1A" "after";
  const std::string zero("zero\0byte", 9);
  CreateMemoTable(kDbase3);
  std::vector<std::pair<std::int32_t, std::string>> written;
  for (const std::string& text : {endMark, zero}) {
    SCOPED_TRACE(text);
    const std::int32_t added = AddMemo(text);
    ASSERT_LT(added, 0) << "the negated block tells of the header";
    const std::string header = "\xFF\xFF\x08" + std::string(1, '\0') + static_cast<char>(text.size() + 8) +
                               std::string(3, '\0');
    EXPECT_EQ(MemoFile().substr(-added * 512), header + text);
    std::int32_t rewritten = AddMemo("old");
    MemoLineTable lines;
    SplitMemoLines(text, 0, lines);
    ASSERT_TRUE(EditMemo(lines, rewritten, rewritten));
    EXPECT_LT(rewritten, 0);
    for (const std::int32_t block : {added, rewritten}) {
      EXPECT_EQ(LinesText(block), text);
      EXPECT_EQ(StreamText(block), text);
      written.emplace_back(block, text);
    }
  }
  // Other texts stay plain, their blocks positive.
  const std::int32_t plain = AddMemo("plain\r\ntext");
  EXPECT_GT(plain, 0);
  EXPECT_EQ(MemoFile().substr(plain * 512, 13), "plain\r\ntext\x1A\x1A");
  written.emplace_back(plain, "plain\r\ntext");
  // A pack copies them as they are.
  for (const auto& [block, text] : written) AppendRecord("r", block);
  PackMemofile();
  GoTop();
  for (const auto& [block, text] : written) {
    const std::int32_t packed = MemoBlockOfField(Text("NOTES"));
    EXPECT_EQ(packed < 0, block < 0);
    EXPECT_EQ(StreamText(packed), text);
    Skip(1);
  }
  // The other dialects store every text with its length.
  for (const Dialect& dialect : {kDbase4, kFoxPro}) {
    CloseArea();
    CreateMemoTable(dialect, "other");
    const std::int32_t block = AddMemo(endMark);
    EXPECT_GT(block, 0);
    EXPECT_EQ(LinesText(block), endMark);
  }
}

TEST_F(MemoReadWriteTest, StoredLengthsAreBelievedOnlyAsFarAsTheFileGoes) {
  // Runs written by hand behind a 64-byte-block header; each case's memo at block 1.
  struct Case {
    const char* what;
    Dialect dialect;
    std::string run;
    std::string text;
  };
  const std::string next = "NEXT MEMO";
  for (const Case& c : {
           Case{"dBase IV length 0", kDbase4, "\xFF\xFF\x08" + std::string(1, '\0') + Le32(0) + next, ""},
           Case{"dBase IV length below its header", kDbase4, "\xFF\xFF\x08" + std::string(1, '\0') + Le32(5) + next, ""},
           Case{"dBase IV length past the end", kDbase4, "\xFF\xFF\x08" + std::string(1, '\0') + Le32(9999) + "abc", "abc"},
           Case{"FoxPro length 0", kFoxPro, Be32(1) + Be32(0) + next, ""},
           Case{"FoxPro length past the end", kFoxPro, Be32(1) + Be32(70000) + "abc", "abc"},
           Case{"dBase III without an end mark", kDbase3, "abc", "abc"},
           Case{"a run shorter than a header", kDbase4, "ab", "ab"},
       }) {
    SCOPED_TRACE(c.what);
    CreateMemoTable(c.dialect);
    CloseArea();
    std::string file = MemoFile();
    file.resize(512, '\0');
    file += c.run;
    Write(std::string("memo.") + c.dialect.extension, file);
    Use(At("memo.dbf"), nullptr, 0);
    const std::int32_t block = c.dialect.version == 0xF5 ? 8 : 1;
    EXPECT_EQ(LinesText(block), c.text);
    EXPECT_EQ(StreamText(block), c.text);
    CloseArea();
  }
}

TEST_F(MemoReadWriteTest, RewritesReplaceTheMemoAndKeepOthers) {
  for (const Dialect& dialect : kDialects) {
    SCOPED_TRACE(DialectName(dialect));
    CreateMemoTable(dialect);
    const std::int32_t first = AddMemo(std::string(300, 'a'));
    const std::int32_t other = AddMemo("other");
    MemoLineTable text;
    SplitMemoLines("short\r\n", 0, text);
    std::int32_t block = 0;
    ASSERT_TRUE(EditMemo(text, first, block));
    // dBase IV rewrites in place what fits the old run; the others add a run at the end.
    EXPECT_EQ(block == first, dialect.version == 0x8B);
    EXPECT_EQ(StreamText(block), "short\r\n");
    EXPECT_EQ(StreamText(other), "other");
    SplitMemoLines(std::string(2000, 'g'), 0, text);
    std::int32_t grown = 0;
    ASSERT_TRUE(EditMemo(text, block, grown));
    EXPECT_GT(grown, other);
    EXPECT_EQ(StreamText(grown), std::string(2000, 'g'));
    EXPECT_EQ(StreamText(other), "other");
    // An empty text is no memo.
    text.Clear();
    ASSERT_TRUE(EditMemo(text, grown, block));
    EXPECT_EQ(block, 0);
    CloseArea();
  }
}

class MemoLockTest : public MemoReadWriteTest {
 protected:
  void SetUp() override {
    MemoReadWriteTest::SetUp();
    MemoLockTries = 3;
    MemoLockWait = std::chrono::milliseconds(20);
  }

  // The memo table opened shared in areas 1 and 2; area 1 current.
  void OpenTwice(const Dialect& dialect) {
    CreateMemoTable(dialect, "memo", "");
    Select(2);
    Use(At("memo.dbf") + " ALIAS SECOND", nullptr, 0);
    Select(1);
  }

  // Whether another open than the areas holds byte 10 of the memo file.
  bool LockSeen() const {
    const int fd = open(MemoPath().c_str(), O_RDONLY | O_CLOEXEC);
    const bool locked = platform::os::ProbeFileRange(fd, 10, 1).has_value();
    close(fd);
    return locked;
  }
};

TEST_F(MemoLockTest, AWriterWaitsForTheLockThenFailsAndHoldsNothing) {
  OpenTwice(kDbase4);
  Select(2);
  ASSERT_TRUE(LockMemoFile());
  EXPECT_TRUE(LockSeen());
  Select(1);
  QuietErrors();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(AddMemo("blocked"), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
  EXPECT_EQ(ErrorCode, 1017);
  EXPECT_EQ(LastErrorMessage, MemoPath() + " [AddMemo()]");
  Select(2);
  ASSERT_TRUE(UnlockMemoFile());
  EXPECT_FALSE(LockSeen());
  Select(1);
  const std::int32_t block = AddMemo("free");
  EXPECT_EQ(StreamText(block), "free");
  EXPECT_FALSE(LockSeen()) << "released after the write";
}

TEST_F(MemoLockTest, AFailedRewriteKeepsTheOldMemo) {
  OpenTwice(kDbase4);
  const std::int32_t old = AddMemo("old text");
  Select(2);
  ASSERT_TRUE(LockMemoFile());
  Select(1);
  QuietErrors();
  MemoLineTable text;
  SplitMemoLines("new text", 0, text);
  std::int32_t block = 0;
  EXPECT_FALSE(EditMemo(text, old, block));
  EXPECT_EQ(block, old);
  EXPECT_EQ(StreamText(old), "old text");
}

}  // namespace
}  // namespace xbase
