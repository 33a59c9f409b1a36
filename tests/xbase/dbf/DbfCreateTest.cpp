#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/FileSizeLimit.h"
#include "tests/xbase/ExternalTool.h"
#include "tests/xbase/dbf/DbfTest.h"
#include "xbase/core/ovcommon.h"
#include "xbase/core/timedate.h"
#include "xbase/dbf/ovdbflow.h"

namespace xbase {
namespace {

namespace fs = std::filesystem;
using testing_support::FileSizeLimit;

std::string Descriptor(const std::string& name, char type, std::uint8_t length,
                       std::uint8_t decimals = 0) {
  std::string d(32, '\0');
  d.replace(0, name.size(), name);
  d[11] = type;
  d[16] = static_cast<char>(length);
  d[17] = static_cast<char>(decimals);
  return d;
}

std::string Level7Descriptor(const std::string& name, char type, std::uint8_t length) {
  std::string d(48, '\0');
  d.replace(0, name.size(), name);
  d[32] = type;
  d[33] = static_cast<char>(length);
  return d;
}

// The first bytes of a new table's header up to the record length.
std::string Prolog(std::uint8_t version, std::uint16_t headerLength, std::uint16_t recordLength) {
  const CalendarDate today = Today();
  std::string p(32, '\0');
  p[0] = static_cast<char>(version);
  p[1] = static_cast<char>(today.year - 1900);
  p[2] = static_cast<char>(today.month);
  p[3] = static_cast<char>(today.day);
  p[8] = static_cast<char>(headerLength & 0xFF);
  p[9] = static_cast<char>(headerLength >> 8);
  p[10] = static_cast<char>(recordLength & 0xFF);
  p[11] = static_cast<char>(recordLength >> 8);
  return p;
}

class CreateTest : public DbfTest {
 protected:
  void Create(const std::string& name, std::vector<FieldEntry> fields) {
    CreateDBF(area, At(name), fields);
  }
  DbfTable area;
};

TEST_F(CreateTest, TableWithoutMemoIsVersion3) {
  Create("plain", {{"entry", 'C', 10}, {"Count", 'n', 5, 2}});
  EXPECT_EQ(ErrorCode, 0);
  const std::string path = At("plain.DBF");
  const std::string expected = Prolog(0x03, 97, 16) + Descriptor("ENTRY", 'C', 10) +
                               Descriptor("COUNT", 'N', 5, 2) + "\x0D\x1A";
  EXPECT_EQ(Contents(path), expected);
  EXPECT_FALSE(fs::exists(At("plain.DBT")));

  EXPECT_EQ(area.FileName, path);
  EXPECT_EQ(area.State, AreaClosed);
  EXPECT_EQ(area.HeaderLength, 97);
  EXPECT_EQ(area.RecordLength, 16);
  EXPECT_FALSE(area.HasMemo);
  EXPECT_EQ(area.RecordCount, 0u);
  EXPECT_FALSE(area.DataFile.IsOpen());
}

TEST_F(CreateTest, MemoTableIs8BWithADbaseIVMemoFile) {
  Create("clues.dbf", {{"ENTRY", 'C', 10}, {"NOTES", 'M', 4}});
  const std::string table = Contents(At("clues.dbf"));
  EXPECT_EQ(table, Prolog(0x8B, 97, 21) + Descriptor("ENTRY", 'C', 10) +
                       Descriptor("NOTES", 'M', 10) + "\x0D\x1A");
  EXPECT_TRUE(area.HasMemo);
  const std::string memo = Contents(At("clues.dbt"));
  EXPECT_EQ(memo, std::string("\x01\0\0\0\0\0\0\0clues\0\0\0\0\0\x02\x01\x00\x02\0\0", 24));
}

TEST_F(CreateTest, MemoFileNameFollowsTheTablesCase) {
  Create("UPPER", {{"NOTES", 'M', 10}});
  EXPECT_TRUE(fs::exists(At("UPPER.DBT")));
  Create("Mixed.Dbf", {{"NOTES", 'M', 10}});
  EXPECT_TRUE(fs::exists(At("Mixed.dbt")));
  const std::string memo = Contents(At("Mixed.dbt"));
  EXPECT_EQ(memo.substr(8, 8), std::string("Mixed\0\0\0", 8));
}

TEST_F(CreateTest, DbaseIIIMemoFile) {
  DefaultVersionByte = 0x83;
  Create("d3", {{"PRICE", 'F', 8, 2}, {"NOTES", 'M', 10}});
  EXPECT_EQ(Contents(At("d3.DBF")), Prolog(0x83, 97, 19) + Descriptor("PRICE", 'N', 8, 2) +
                                        Descriptor("NOTES", 'M', 10) + "\x0D\x1A")
      << "F is made N";
  std::string memo(513, '\0');
  memo[0] = 0x01;
  memo[512] = 0x1A;
  EXPECT_EQ(Contents(At("d3.DBT")), memo);
}

TEST_F(CreateTest, FoxProMemoFileWithBlockSize64) {
  DefaultVersionByte = 0xF5;
  DefaultMemoBlockSize = 64;
  Create("fox", {{"NOTES", 'M', 10}});
  EXPECT_EQ(Contents(At("fox.DBF")).substr(0, 1), "\xF5");
  std::string memo(512, '\0');
  memo[3] = 8;  // 511 div 64 + 1, big-endian
  memo[7] = 64;
  EXPECT_EQ(Contents(At("fox.FPT")), memo);
}

TEST_F(CreateTest, Level7Tables) {
  DefaultVersionByte = 0x8C;
  Create("seven", {{"NAME", 'C', 20}, {"BORN", 'D', 0}});
  const std::string block = std::string("DBWINWE0") + std::string(28, '\0');
  EXPECT_EQ(Contents(At("seven.DBF")), Prolog(0x04, 165, 29) + block +
                                           Level7Descriptor("NAME", 'C', 20) +
                                           Level7Descriptor("BORN", 'D', 8) + "\x0D\x1A");
  EXPECT_EQ(area.HeaderLength, 2 * 48 + 69);

  Create("sevenmemo", {{"NOTES", 'M', 10}, {"PIC", 'g', 10}});
  EXPECT_EQ(static_cast<std::uint8_t>(Contents(At("sevenmemo.DBF"))[0]), 0x8C);
  EXPECT_TRUE(fs::exists(At("sevenmemo.DBT")));
}

TEST_F(CreateTest, LengthsFollowTheType) {
  Create("lengths", {{"D", 'D', 20}, {"M", 'M', 4}, {"L", 'L', 9}, {"C", 'C', 3, 2},
                     {"N", 'N', 4, 2}});
  DbfTable opened;
  Open(opened, At("lengths.DBF"));
  ASSERT_EQ(opened.FieldCount, 5);
  struct Expected {
    int length, decimals;
  };
  const Expected expected[] = {{8, 0}, {10, 0}, {1, 0}, {3, 0}, {4, 2}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(opened.FieldTable[i].Length, expected[i].length) << i;
    EXPECT_EQ(opened.FieldTable[i].Decimals, expected[i].decimals) << i;
  }
  EXPECT_EQ(opened.RecordLength, 1 + 8 + 10 + 1 + 3 + 4);
}

TEST_F(CreateTest, CustomVersionBytesAreWritten) {
  CustomVersionByte = 0x31;
  CustomMemoVersionByte = 0x32;
  Create("custom", {{"A", 'C', 1}});
  EXPECT_EQ(Contents(At("custom.DBF"))[0], 0x31);
  Create("custommemo", {{"A", 'M', 1}, {"B", 'B', 1}});
  EXPECT_EQ(Contents(At("custommemo.DBF"))[0], 0x32);
  EXPECT_TRUE(fs::exists(At("custommemo.DBT"))) << "the memo file follows DefaultVersionByte";
}

TEST_F(CreateTest, RefusedDefinitionsCreateNothing) {
  SetImmediateErrors(false);
  const std::vector<FieldEntry> tooMany(256, FieldEntry{"F", 'C', 1});
  struct Case {
    const char* what;
    std::vector<FieldEntry> fields;
  };
  for (const auto& c : {
           Case{"a C field of length 0", {{"A", 'C', 1}, {"B", 'C', 0}}},
           Case{"an N field of length 0", {{"N", 'N', 0}}},
           Case{"an empty name", {{"   ", 'C', 1}}},
           Case{"a type not accepted", {{"A", 'X', 1}}},
           Case{"a picture type outside 8B and 8C tables", {{"A", 'B', 10}}},
           Case{"no fields", {}},
           Case{"256 fields", tooMany},
       }) {
    SCOPED_TRACE(c.what);
    DefaultVersionByte = 0x83;
    Create("refused", c.fields);
    EXPECT_EQ(ErrorCode, 211);
    EXPECT_EQ(LastErrorMessage, "Invalid dBASE field definition [CreateDBF]");
    EXPECT_FALSE(fs::exists(At("refused.DBF")));
    EXPECT_FALSE(fs::exists(At("refused.DBT")));
    EXPECT_EQ(area.State, AreaClosed);
  }
}

TEST_F(CreateTest, MemoBlockSizeZeroCreatesNothing) {
  SetImmediateErrors(false);
  DefaultMemoBlockSize = 0;
  for (const std::uint8_t version : {0x8B, 0xF5}) {
    DefaultVersionByte = version;
    Create("zero", {{"NOTES", 'M', 10}});
    EXPECT_EQ(ErrorCode, 220);
    EXPECT_EQ(LastErrorMessage, "Invalid memo block size 0 [CreateDBF]");
    EXPECT_FALSE(fs::exists(At("zero.DBF")));
  }
  CreateMemoFileForVersion(At("zero"), 0xF5, 0, "test");
  EXPECT_EQ(ErrorCode, 220);
  EXPECT_FALSE(fs::exists(At("zero.FPT")));

  Create("nomemo", {{"A", 'C', 1}});
  EXPECT_EQ(ErrorCode, 0) << "a table without memo needs no block size";
}

TEST_F(CreateTest, ATableInUseIsNotReplaced) {
  const std::string path = Write("busy.dbf", DbfImage().Field("A", 'C', 1).Record("x").Bytes());
  const std::string before = Contents(path);
  DbfTable other;
  Open(other, path, OpenModeShared);
  SetImmediateErrors(false);
  Create("BUSY.DBF", {{"B", 'C', 2}});
  EXPECT_EQ(ErrorCode, 32);
  EXPECT_EQ(LastErrorMessage, "Error writing " + path + ". [CreateDbf]");
  EXPECT_EQ(Contents(path), before);
  EXPECT_FALSE(fs::exists(At("BUSY.DBF"))) << "the name found the table on disk";
  EXPECT_FALSE(area.DataFile.IsOpen());
  CloseDbf(other);

  Create("BUSY.DBF", {{"B", 'C', 2}});
  EXPECT_EQ(ErrorCode, 0);
  EXPECT_EQ(Contents(path).size(), 65u + 1);
}

// On a full disk a table of that name stays as it was, with its memo file, and nothing of the
// new one is left behind.
TEST_F(CreateTest, AFullDiskLeavesTheOldTableAsItWas) {
  struct Case {
    const char* what;
    rlim_t limit;  // bytes a file may take
    bool memo;     // the new table has a memo field
  };
  for (const Case& c : {Case{"the table does not fit", 40, false},
                        Case{"the memo file does not fit", 300, true}}) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    DbfImage image;
    image.Field("WORD", 'C', 8).Field("N", 'N', 3);
    image.Record("crossing  1").Record("puzzle    2");
    const std::string table = folder.Write("old.dbf", image.Bytes());
    const std::string memo = folder.Write("old.dbt", std::string(1024, 'm'));  // another's
    std::vector<FieldEntry> fields = {{"ENTRY", 'C', 20}};
    if (c.memo) fields.push_back({"MORE", 'M', 10});
    DefaultVersionByte = 0x83;
    SetImmediateErrors(false);
    {
      FileSizeLimit limit(c.limit);
      CreateDBF(area, table, fields);
    }
    EXPECT_EQ(ErrorCode, 101);
    EXPECT_EQ(Contents(table), image.Bytes());
    EXPECT_EQ(Contents(memo), std::string(1024, 'm'));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2)
        << "no temporary file is left";
    if (HasProgram("/usr/bin/dbf_dump") && HasPerlXBase()) {
      const ToolResult dump = RunTool("dbf_dump --fs '|' " + table);
      EXPECT_EQ(dump.output, "crossing|1\npuzzle|2\n");
    }
  }
}

TEST_F(CreateTest, ANewTableThatCannotBeWrittenLeavesNoFile) {
  SetImmediateErrors(false);
  {
    FileSizeLimit limit(40);
    Create("new", {{"ENTRY", 'C', 20}});
  }
  EXPECT_EQ(ErrorCode, 101);
  EXPECT_EQ(LastErrorMessage, "Error writing " + At("new.DBF") + ". [CreateDbf]");
  EXPECT_TRUE(fs::is_empty(temp.path()));
}

TEST_F(CreateTest, NewTableOpensAndTakesRecords) {
  Create("round", {{"WORD", 'C', 4}, {"N", 'N', 3}, {"OK", 'L', 1}});
  DbfTable table;
  Open(table, At("round.DBF"));
  EXPECT_EQ(table.RecordCount, 0u);
  EXPECT_TRUE(table.EofFlag);
  for (const char* record : {" abcd  1T", " efgh 22F", "*ijkl333T"}) {
    table.RecordBuffer.assign(record, record + 9);
    AppendDbfRecord(table);
  }
  CloseDbf(table);
  Open(table, At("round.DBF"));
  EXPECT_EQ(table.RecordCount, 3u);
  GetDbfRecord(table, 3);
  EXPECT_EQ(std::string(table.RecordBuffer.begin(), table.RecordBuffer.end()), "*ijkl333T");
  EXPECT_EQ(Contents(At("round.DBF")).size(), 32u * 4 + 1 + 3 * 9 + 1);
}

TEST_F(CreateTest, MemoFileExtensions) {
  EXPECT_EQ(MemoFileExt(0xF5), "FPT");
  EXPECT_EQ(MemoFileExt(0x83), "DBT");
  EXPECT_EQ(MemoFileExt(0x8B), "DBT");
  EXPECT_EQ(MemoFileExt(0x30), "DBT") << "not accepted: the default's extension";
  DefaultVersionByte = 0xF5;
  EXPECT_EQ(MemoFileExt(0x99), "FPT");
  CustomVersionByte = 0x30;
  EXPECT_EQ(MemoFileExt(0x30), "FPT");
}

}  // namespace
}  // namespace xbase
