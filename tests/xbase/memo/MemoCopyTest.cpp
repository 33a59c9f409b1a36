// Copying memos between the dialects, and packing memo files.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/FileSizeLimit.h"
#include "tests/xbase/memo/MemoTest.h"
#include "xbase/core/ByteOrder.h"

namespace xbase {
namespace {

using MemoCopyTest = MemoTest;

enum class Source { Dbase3Plain, Dbase3Header, Dbase4, FoxPro };

TEST_F(MemoCopyTest, EveryLayoutCopiesIntoEveryDialect) {
  const std::string text = "copied\r\ntext";
  for (const Source source : {Source::Dbase3Plain, Source::Dbase3Header, Source::Dbase4, Source::FoxPro}) {
    for (const Dialect& dest : kDialects) {
      const int kind = static_cast<int>(source);
      SCOPED_TRACE("source " + std::to_string(kind) + " into " + DialectName(dest));
      Select(2);
      CreateMemoTable(source == Source::Dbase4 ? kDbase4 : source == Source::FoxPro ? kFoxPro : kDbase3,
                      "from" + std::to_string(kind) + std::to_string(dest.version));
      const std::int32_t from = source == Source::Dbase3Header ? GroupHeaderMemo(text) : AddMemo(text);
      Select(1);
      CreateMemoTable(dest, "to" + std::to_string(kind) + std::to_string(dest.version));
      const std::int32_t copied = CopyMemo(2, from, false);
      // A fresh file's first memo goes where its first block is.
      EXPECT_EQ(std::abs(copied), dest.version == 0xF5 ? 8 : 1);
      EXPECT_GT(copied, 0) << "no header needed for a dBase III copy of plain text";
      EXPECT_EQ(StreamText(copied), text);
      if (dest.version == 0x8B) {
        // The length counts the header, and no end mark follows.
        EXPECT_EQ(MemoFile().substr(512), std::string("\xFF\xFF\x08\0\x14\0\0\0", 8) + text);
      }
      CloseArea();
      Select(2);
      CloseArea();
    }
  }
}

TEST_F(MemoCopyTest, TextThatWouldEndAPlainMemoEarlyKeepsItsHeader) {
  Select(2);
  CreateMemoTable(kDbase4, "from");
  Select(1);
  CreateMemoTable(kDbase3, "to");
  for (const std::string& text : {std::string("zero\0byte", 9), std::string("end\x1Amark")}) {
    Select(2);
    const std::int32_t from = StreamMemo(text);
    Select(1);
    const std::int32_t copied = CopyMemo(2, from, false);
    EXPECT_LT(copied, 0);
    EXPECT_EQ(StreamText(copied), text);
  }
  // At the same block number.
  Select(2);
  const std::int32_t from = AddMemo("same");
  Select(1);
  EXPECT_EQ(CopyMemo(2, from, true), from);
  EXPECT_EQ(StreamText(from), "same");
  EXPECT_EQ(CopyMemo(2, 0, false), 0);
}

class MemoPackTest : public MemoCopyTest {
 protected:
  // Records: "one"; no memo; "three" (rewritten twice before); a pointer past the end.
  void FillTable(const Dialect& dialect) {
    CreateMemoTable(dialect);
    AppendRecord("one", AddMemo("one"));
    AppendRecord("none", 0);
    std::int32_t three = AddMemo("3");
    MemoLineTable text;
    for (const char* version : {"three?", "three"}) {
      SplitMemoLines(version, 0, text);
      ASSERT_TRUE(EditMemo(text, three, three));
    }
    AppendRecord("three", three);
    AppendRecord("lost", 99999);
  }

  static std::vector<std::string> Memos() {
    std::vector<std::string> texts;
    for (GoTop(); !dEOF(); Skip(1)) {
      const std::int32_t block = MemoBlockOfField(Text("NOTES"));
      texts.push_back(Text("NAME") + "=" + (block == 0 ? "-" : StreamText(block)));
    }
    return texts;
  }
};

TEST_F(MemoPackTest, APackKeepsWhatRecordsPointToInReverseRecordOrder) {
  for (const Dialect& dialect : kDialects) {
    SCOPED_TRACE(DialectName(dialect));
    FillTable(dialect);
    QuietErrors();
    PackMemofile();
    EXPECT_EQ(ErrorCode, 1003);
    EXPECT_EQ(LastErrorMessage, MemoPath() + " Memo block # 99999 Record # 4 [PackMemo]");
    EXPECT_EQ(Memos(), (std::vector<std::string>{"one=one", "none=-", "three=three", "lost=-"}));
    const std::int32_t first = dialect.version == 0xF5 ? 8 : 1;
    Go(3);
    EXPECT_EQ(std::abs(MemoBlockOfField(Text("NOTES"))), first) << "the last record's memo first";
    const std::size_t size = MemoFile().size();
    EXPECT_LT(size, 4u * 512);
    EXPECT_EQ(NextFree(), (size + dialect.blockSize - 1) / dialect.blockSize);
    EXPECT_FALSE(std::filesystem::exists(At("memo.$$$")));
    // The packed file takes new memos as any other.
    EXPECT_EQ(StreamText(AddMemo("new")), "new");
    CloseArea();
    SetRaiseErrors(true);
    SetImmediateErrors(true);
  }
}

TEST_F(MemoPackTest, ATableWithoutMemosPacksToTheHeaderAlone) {
  for (const Dialect& dialect : kDialects) {
    SCOPED_TRACE(DialectName(dialect));
    CreateMemoTable(dialect);
    const std::string empty = MemoFile();
    AddMemo("unreferenced");
    AppendRecord("blank", 0);
    PackMemofile();
    EXPECT_EQ(MemoFile(), empty);
    CloseArea();
  }
}

TEST_F(MemoPackTest, APackThatFailsChangesNothing) {
  FillTable(kDbase4);
  const std::string table = Contents(At("memo.dbf"));
  const std::string memoFile = MemoFile();
  EXPECT_THROW(PackMemofile(), EOrvelError);  // the pointer past the end, raised
  EXPECT_EQ(Contents(At("memo.dbf")), table);
  EXPECT_EQ(MemoFile(), memoFile);
  EXPECT_FALSE(std::filesystem::exists(At("memo.$$$")));
  EXPECT_EQ(StreamText(AddMemo("still works")), "still works");
}

TEST_F(MemoPackTest, APaddingThatCannotBeWrittenIsThePacksError) {
  FillTable(kDbase4);
  const std::string memoFile = MemoFile();
  QuietErrors();
  {
    // Room for the new file's header and its first memo, not for the block after it.
    const testing_support::FileSizeLimit limit(800);
    PackMemofile();
  }
  EXPECT_EQ(ErrorCode, 1005);
  EXPECT_EQ(LastErrorMessage, MemoPath() + " [PackMemo]");
  EXPECT_EQ(MemoFile(), memoFile);
  EXPECT_FALSE(std::filesystem::exists(At("memo.$$$")));
}

TEST_F(MemoPackTest, APackNeedsTheTableExclusively) {
  CreateMemoTable(kDbase3, "memo", "");
  ASSERT_TRUE(ALock());
  AppendRecord("one", AddMemo("one"));
  Unlock();
  const std::string memoFile = MemoFile();
  QuietErrors();
  PackMemofile();
  EXPECT_EQ(ErrorCode, 225);
  EXPECT_EQ(LastErrorMessage, MemoPath() + " [PackMemofile]");
  EXPECT_EQ(MemoFile(), memoFile);
}

}  // namespace
}  // namespace xbase
