// Memo files: new files and their first memos byte for byte, block sizes, dialects, and files
// that cannot be opened.

#include <gtest/gtest.h>

#include "tests/xbase/memo/MemoTest.h"
#include "xbase/memo/MemoDescriptor.h"

namespace xbase {
namespace {

using MemoFilesTest = MemoTest;

std::string Zeros(std::size_t n) { return std::string(n, '\0'); }

TEST_F(MemoFilesTest, NewFilesAndTheirFirstMemos) {
  struct Case {
    Dialect dialect;
    std::string created;    // the new file
    std::int32_t first;     // AddMemo("abc")
    std::string afterFirst;
    std::int32_t second;    // AddMemo("de")
    std::uint32_t nextFree;  // after the second
  };
  const std::string header3 = "\x02" + Zeros(511);
  const std::string header4 = std::string("\x02\0\0\0\0\0\0\0memo\0\0\0\0\0\0\x02\x01\0\x02\0\0", 24);
  const std::string headerFox = Zeros(3) + "\x09" + Zeros(3) + "\x40" + Zeros(504);
  for (const Case& c : {
           Case{kDbase3, "\x01" + Zeros(511) + "\x1A", 1,
                header3 + "abc\x1A\x1A" + Zeros(507), 2, 3},
           Case{kDbase4, std::string("\x01\0\0\0\0\0\0\0memo\0\0\0\0\0\0\x02\x01\0\x02\0\0", 24), 1,
                header4 + Zeros(488) + std::string("\xFF\xFF\x08\0\x0B\0\0\0abc", 11), 2, 3},
           Case{kFoxPro, Zeros(3) + "\x08" + Zeros(3) + "\x40" + Zeros(504), 8,
                headerFox + std::string("\0\0\0\x01\0\0\0\x03" "abc", 11), 9, 10},
       }) {
    SCOPED_TRACE(DialectName(c.dialect));
    CreateMemoTable(c.dialect);
    EXPECT_EQ(MemoFile(), c.created);
    EXPECT_EQ(AddMemo("abc"), c.first);
    EXPECT_EQ(MemoFile(), c.afterFirst);
    // The second memo starts on the next block boundary: the first is padded now.
    EXPECT_EQ(AddMemo("de"), c.second);
    EXPECT_EQ(NextFree(), c.nextFree);
    EXPECT_EQ(LinesText(c.first), "abc");
    EXPECT_EQ(LinesText(c.second), "de");
    CloseArea();
  }
}

TEST_F(MemoFilesTest, BlockSizesAtOpen) {
  // The memo file is replaced by hand; the first memo's offset shows the block size read.
  struct Case {
    const char* what;
    Dialect dialect;
    std::string header;
    std::size_t offset;  // of the first memo
  };
  const std::string fox0 = Zeros(512);
  std::string fox128 = Zeros(512);
  fox128[7] = '\x80';
  const std::string dbase4Of64 = std::string("\x01\0\0\0\0\0\0\0memo\0\0\0\0\0\0\x02\x01\x40\0\0\0", 24);
  const std::string dbase4Of0 = std::string("\x01\0\0\0\0\0\0\0memo\0\0\0\0\0\0\x02\x01\0\0\0\0", 24);
  std::string dbase3Claiming64 = Zeros(512);
  dbase3Claiming64[20] = 64;
  for (const Case& c : {
           Case{"FoxPro with size 0 takes the default", kFoxPro, fox0, 512},
           Case{"FoxPro with 128-byte blocks", kFoxPro, fox128, 512},
           Case{"dBase IV with 64-byte blocks", kDbase4, dbase4Of64, 64},
           Case{"dBase IV with size 0 takes the default", kDbase4, dbase4Of0, 512},
           Case{"dBase III always has 512", kDbase3, dbase3Claiming64, 512},
           Case{"dBase III without a header", kDbase3, "", 512},
       }) {
    SCOPED_TRACE(c.what);
    CreateMemoTable(c.dialect);
    CloseArea();
    Write(std::string("memo.") + c.dialect.extension, c.header);
    Use(At("memo.dbf"), nullptr, 0);
    DefaultMemoBlockSize = 512;
    const std::int32_t block = AddMemo("x");
    const std::string file = MemoFile();
    ASSERT_GT(file.size(), c.offset);
    EXPECT_EQ(file[c.offset], c.dialect.version == 0x8B ? '\xFF' : c.dialect.version == 0xF5 ? '\0' : 'x');
    EXPECT_EQ(LinesText(block), "x");
    CloseArea();
  }
}

TEST_F(MemoFilesTest, FilesThatCannotServeFailTheUse) {
  struct Case {
    const char* what;
    Dialect dialect;
    std::string content;  // nothing: no memo file
    std::uint16_t code;
  };
  for (const Case& c : {
           Case{"FoxPro header of 7 bytes", kFoxPro, Zeros(7), 100},
           Case{"dBase IV header of 23 bytes", kDbase4, Zeros(23), 100},
           Case{"no memo file", kDbase4, {}, 2},
       }) {
    SCOPED_TRACE(c.what);
    CreateMemoTable(c.dialect);
    CloseArea();
    if (c.content.empty())
      std::remove(MemoPath().c_str());
    else
      Write(std::string("memo.") + c.dialect.extension, c.content);
    QuietErrors();
    Use(At("memo.dbf"), nullptr, 0);
    EXPECT_EQ(ErrorCode, c.code);
    EXPECT_EQ(WorkArea(1), nullptr);
    SetRaiseErrors(true);
    SetImmediateErrors(true);
  }
}

TEST_F(MemoFilesTest, DialectAndExtensionOfEachVersionByte) {
  struct Case {
    std::uint8_t version;
    std::uint8_t dialect;
    const char* memo;
  };
  for (const Case& c : {Case{0x83, 0x83, "memo.dbt"}, Case{0x8B, 0x8B, "memo.dbt"},
                        Case{0x8C, 0x8C, "memo.dbt"}, Case{0xF5, 0xF5, "memo.fpt"}}) {
    SCOPED_TRACE(c.version);
    CreateMemoTable({c.version, 512, c.version == 0xF5 ? "fpt" : "dbt"});
    DefaultVersionByte = 0x8B;
    EXPECT_EQ(GetMemoType(), c.dialect);
    EXPECT_EQ(IsFoxProMemo(), c.dialect == 0xF5);
    EXPECT_EQ(IsDbase3Memo(), c.dialect == 0x83);
    EXPECT_EQ(IsDbase4Memo(), c.dialect == 0x8B || c.dialect == 0x8C);
    EXPECT_EQ(LinesText(AddMemo("text")), "text");
    CloseArea();
  }
  // A table without memo fields has the default dialect, and CreateMemo gives it a memo file.
  Use(Write("plain.dbf", People(1).Bytes()), nullptr, 0);
  DefaultVersionByte = 0xF5;
  EXPECT_EQ(GetMemoType(), 0xF5);
  CreateMemo(At("plain"));
  EXPECT_TRUE(IsFoxProMemo());
  EXPECT_EQ(Contents(At("plain.FPT")).size(), 512u);
  EXPECT_EQ(LinesText(AddMemo("late")), "late");
}

TEST_F(MemoFilesTest, CreateMemoWritesTheTablesOwnDialect) {
  // Whatever the default says, the new file is the one its table reads.
  struct Case {
    Dialect table;
    std::uint8_t otherDefault;
    std::size_t size;
  };
  for (const Case& c : {Case{kFoxPro, 0x8B, 512}, Case{kDbase3, 0xF5, 513}, Case{kDbase4, 0x83, 24}}) {
    SCOPED_TRACE(DialectName(c.table));
    CreateMemoTable({c.table.version, 512, c.table.extension});
    AddMemo("in the old file");
    DefaultVersionByte = c.otherDefault;
    CreateMemo(At("memo"));
    const MemoDescriptor& memo = *WorkArea(1)->MemoDescriptor;
    EXPECT_EQ(memo.Dialect, c.table.version);
    EXPECT_EQ(UpperStr(memo.MemoFileName.substr(memo.MemoFileName.size() - 4)),
              c.table.version == 0xF5 ? ".FPT" : ".DBT");
    EXPECT_EQ(Contents(memo.MemoFileName).size(), c.size);
    EXPECT_EQ(LinesText(AddMemo("in its dialect")), "in its dialect");
    CloseArea();
  }
}

TEST_F(MemoFilesTest, OneMemoFileAnArea) {
  CreateMemoTable(kDbase4);
  QuietErrors();
  OpenMemofile(At("memo"));
  EXPECT_EQ(ErrorCode, 1007);
  EXPECT_EQ(LastErrorMessage, MemoPath() + " [USE]");
  // Without a table: 1019 for the memo routines.
  CloseArea();
  Use(Write("plain.dbf", People(1).Bytes()), nullptr, 0);
  EXPECT_EQ(AddMemo("x"), 0);
  EXPECT_EQ(ErrorCode, 1019);
  EXPECT_EQ(LastErrorMessage, At("plain.dbf") + " No Memo Field [AddMemo]");
}

TEST_F(MemoFilesTest, StartUpFillsTheHookTable) {
  MemoHookTable = {};
  ResetForTests();
  EXPECT_TRUE(MemoHookTable.AssignMemo);
  EXPECT_TRUE(MemoHookTable.PackMemofile);
  EXPECT_TRUE(MemoHookTable.OpenMemo);
  EXPECT_TRUE(MemoHookTable.CloseMemo);
  EXPECT_TRUE(MemoHookTable.Slot4);
  EXPECT_TRUE(MemoHookTable.Slot5);
  EXPECT_TRUE(MemoHookTable.CreateMemo);
  EXPECT_TRUE(MemoHookTable.AddMemo);
}

}  // namespace
}  // namespace xbase
