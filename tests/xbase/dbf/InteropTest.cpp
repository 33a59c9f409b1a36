// Tables written here read alike with other dBase programs, and theirs read alike here.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/xbase/ExternalTool.h"
#include "tests/xbase/dbf/DbfTest.h"
#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/dbf/TypedSlots.h"
#include "xbase/dbf/ovdbflow.h"

namespace xbase {
namespace {

struct Row {
  bool deleted;
  const char* name;
  int qty;
  double price;
  bool ok;
  const char* born;  // displayed, MM/DD/YY
};

const Row kRows[] = {
    {false, "alpha", 42, -12.5, true, "03/15/24"},
    {true, "beta", 0, 0, false, ""},
    {false, "gamma", 7, 1.25, false, "12/31/99"},
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The typed record's slots of a table of NAME C(10), QTY N(5), PRICE N(8,2), OK L, BORN D
// (and NOTES M).
enum Slot { kName = 1, kQty = 12, kPrice = 16, kOk = 24, kBorn = 25, kNotes = 36 };

class InteropTest : public DbfTest {
 protected:
  // Creates a table here and fills it with kRows.
  std::string WriteHere(const std::string& name, std::uint8_t version, bool memo) {
    DefaultVersionByte = version;
    std::vector<FieldEntry> fields = {
        {"NAME", 'C', 10}, {"QTY", 'N', 5}, {"PRICE", 'N', 8, 2}, {"OK", 'L', 1}, {"BORN", 'D', 8}};
    if (memo) fields.push_back({"NOTES", 'M', 10});
    DbfTable table;
    CreateDBF(table, At(name), fields);
    Open(table, table.FileName);
    std::vector<std::uint8_t> typed(TypedRecordSize(table), 0);
    for (const Row& row : kRows) {
      typed[0] = row.deleted;
      PutSlotText(&typed[kName], 10, row.name);
      PutSlotInt32(&typed[kQty], row.qty);
      PutSlotDouble(&typed[kPrice], row.price);
      typed[kOk] = row.ok;
      PutSlotText(&typed[kBorn], 10, row.born);
      GatherRecord(table, typed);
      AppendDbfRecord(table);
    }
    CloseDbf(table);
    return At(name);
  }

  // Opens a table written elsewhere and checks every record against kRows.
  void ExpectRowsHere(const std::string& path) {
    DbfTable table;
    Open(table, path);
    ASSERT_GE(table.FieldCount, 5);
    const char* names[] = {"NAME", "QTY", "PRICE", "OK", "BORN"};
    const char types[] = {'C', 'N', 'N', 'L', 'D'};
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(table.FieldTable[i].Name, names[i]);
      EXPECT_EQ(table.FieldTable[i].FieldType, types[i]);
    }
    ASSERT_EQ(table.RecordCount, 3u);
    std::vector<std::uint8_t> typed(TypedRecordSize(table));
    for (std::uint32_t n = 1; n <= 3; ++n) {
      const Row& row = kRows[n - 1];
      SCOPED_TRACE(row.name);
      GetDbfRecord(table, n);
      ScatterRecord(table, typed);
      EXPECT_EQ(typed[0], row.deleted);
      EXPECT_EQ(RTrimStr(GetSlotText(&typed[kName], 10)), row.name);
      EXPECT_EQ(GetSlotInt32(&typed[kQty]), row.qty);
      EXPECT_EQ(GetSlotDouble(&typed[kPrice]), row.price);
      EXPECT_EQ(typed[kOk], row.ok);
      const std::string born = GetSlotText(&typed[kBorn], 10);
      EXPECT_EQ(born, *row.born ? row.born : "  /  /  ");
    }
    CloseDbf(table);
  }

  // Every record as "deleted flag|fields" through Perl's XBase module.
  static std::vector<std::string> PerlRecords(const std::string& path) {
    return Lines(RunTool("perl -MXBase -e '"
                         "my $t = XBase->new(shift) or die XBase->errstr;"
                         "for my $i (0 .. $t->last_record) {"
                         "  print join(\"|\", map { defined $_ ? $_ : \"NULL\" } "
                         "$t->get_record($i)), \"\\n\" }' " +
                         path)
                     .output);
  }

  // Every record as "deleted|fields" through python3-dbf.
  std::vector<std::string> PythonRecords(const std::string& path) const {
    const std::string script = Write("read.py",
                                     "import dbf, sys\n"
                                     "t = dbf.Table(sys.argv[1])\n"
                                     "t.open(dbf.READ_ONLY)\n"
                                     "for r in t:\n"
                                     "    values = [str(dbf.is_deleted(r))]\n"
                                     "    values += [str(v).strip() for v in r]\n"
                                     "    print('|'.join(values))\n");
    return Lines(RunTool(std::string(kPython) + " " + script + " " + path).output);
  }

  // Every record of xbase64's dumprecs as "*" for deleted, then the stored field texts.
  static std::vector<std::string> DumprecsRecords(const std::string& path) {
    std::vector<std::string> records;
    for (const auto& line : Lines(RunTool("dumprecs " + path).output)) {
      if (line.rfind("REC NUMBER", 0) == 0) {
        records.emplace_back(" ");
      } else if (line == "Record deleted..." && !records.empty()) {
        records.back() = "*";
      } else if (const auto equals = line.find(" = '"); equals != std::string::npos &&
                                                        !records.empty()) {
        records.back() += "|" + line.substr(equals + 4, line.size() - equals - 5);
      }
    }
    return records;
  }
};

TEST_F(InteropTest, PerlXBaseReadsTablesWrittenHere) {
  if (!HasPerlXBase() || !HasProgram("/usr/bin/dbf_dump")) GTEST_SKIP() << "no Perl XBase";
  for (const bool memo : {false, true}) {
    SCOPED_TRACE(memo ? "0x83 with memo" : "0x03");
    const std::string path = WriteHere(memo ? "memo.dbf" : "plain.dbf", 0x83, memo);
    const std::string noMemo = memo ? "|NULL" : "";
    EXPECT_EQ(PerlRecords(path), (std::vector<std::string>{"0|alpha|42|-12.5|1|20240315" + noMemo,
                                                           "1|beta|0|0|0|NULL" + noMemo,
                                                           "0|gamma|7|1.25|0|19991231" + noMemo}));
    const std::string tail = memo ? "|" : "";
    EXPECT_EQ(Lines(RunTool("dbf_dump --fs '|' " + path).output),
              (std::vector<std::string>{"alpha|42|-12.5|1|20240315" + tail,
                                        "gamma|7|1.25|0|19991231" + tail}));
    const std::string info = RunTool("dbf_dump --info " + path).output;
    EXPECT_NE(info.find(memo ? "Version:\t0x83" : "Version:\t0x03"), std::string::npos) << info;
    EXPECT_NE(info.find("Num of records:\t3"), std::string::npos) << info;
  }
}

TEST_F(InteropTest, PythonDbfReadsTablesWrittenHere) {
  if (!HasPythonDbf()) GTEST_SKIP() << "no python3-dbf";
  for (const bool memo : {false, true}) {
    SCOPED_TRACE(memo ? "0x83 with memo" : "0x03");
    const std::string path = WriteHere(memo ? "memo.dbf" : "plain.dbf", 0x83, memo);
    const std::string tail = memo ? "|" : "";
    EXPECT_EQ(PythonRecords(path),
              (std::vector<std::string>{"False|alpha|42|-12.5|True|2024-03-15" + tail,
                                        "True|beta|0|0.0|False|None" + tail,
                                        "False|gamma|7|1.25|False|1999-12-31" + tail}));
  }
}

TEST_F(InteropTest, DbviewAndXbase64ReadTablesWrittenHere) {
  if (!HasProgram("/usr/bin/dbview") || !HasProgram("/usr/bin/dumprecs"))
    GTEST_SKIP() << "no dbview or xbase64 tools";
  for (const bool memo : {false, true}) {
    SCOPED_TRACE(memo ? "0x83 with memo" : "0x03");
    const std::string path = WriteHere(memo ? "memo.dbf" : "plain.dbf", 0x83, memo);
    const std::string tail = memo ? "|" : "";
    EXPECT_EQ(Lines(RunTool("dbview -b -D -t -d '|' " + path).output),
              (std::vector<std::string>{" |alpha|42|-12.50|T|20240315|" + tail,
                                        "*|beta|0|0.00|F||" + tail,
                                        " |gamma|7|1.25|F|19991231|" + tail}));
    EXPECT_EQ(DumprecsRecords(path),
              (std::vector<std::string>{" |alpha     |   42|  -12.50|T|20240315" + tail,
                                        "*|beta      |    0|    0.00|F|        " + tail,
                                        " |gamma     |    7|    1.25|F|19991231" + tail}));
  }
}

TEST_F(InteropTest, TablesWrittenByPythonDbfReadHere) {
  if (!HasPythonDbf()) GTEST_SKIP() << "no python3-dbf";
  const std::string script =
      Write("write.py",
            "import dbf, datetime, sys\n"
            "t = dbf.Table(sys.argv[1], 'NAME C(10); QTY N(5,0); PRICE N(8,2); OK L; BORN D;"
            " NOTES M', dbf_type='db3')\n"
            "t.open(dbf.READ_WRITE)\n"
            "t.append(('alpha', 42, -12.5, True, datetime.date(2024, 3, 15), 'a memo text'))\n"
            "t.append(('beta', 0, 0, False, None, ''))\n"
            "t.append(('gamma', 7, 1.25, False, datetime.date(1999, 12, 31), ''))\n"
            "dbf.delete(t[1])\n"
            "t.close()\n");
  const ToolResult written = RunTool(std::string(kPython) + " " + script + " " + At("py.dbf"));
  ASSERT_EQ(written.status, 0) << written.output;
  ExpectRowsHere(At("py.dbf"));

  DbfTable table;
  Open(table, At("py.dbf"));
  EXPECT_EQ(table.Header[0], 0x83);
  EXPECT_TRUE(table.HasMemo);
  std::vector<std::uint8_t> typed(TypedRecordSize(table));
  GetDbfRecord(table, 1);
  ScatterRecord(table, typed);
  EXPECT_GT(GetSlotInt32(&typed[kNotes]), 0) << "the memo's block number";
}

TEST_F(InteropTest, TablesWrittenByPerlXBaseReadHere) {
  if (!HasPerlXBase()) GTEST_SKIP() << "no Perl XBase";
  const ToolResult written = RunTool(
      "perl -MXBase -e '"
      "my $t = XBase->create(name => shift, field_names => [qw(NAME QTY PRICE OK BORN)],"
      " field_types => [qw(C N N L D)], field_lengths => [10, 5, 8, 1, 8],"
      " field_decimals => [0, 0, 2, 0, 0]) or die XBase->errstr;"
      "$t->set_record(0, \"alpha\", 42, -12.5, 1, \"20240315\");"
      "$t->set_record(1, \"beta\", 0, 0, 0, undef);"
      "$t->set_record(2, \"gamma\", 7, 1.25, 0, \"19991231\");"
      "$t->delete_record(1); $t->close;' " +
      At("perl.dbf"));
  ASSERT_EQ(written.status, 0) << written.output;
  ExpectRowsHere(At("perl.dbf"));
}

// Which readers take which version byte is recorded in README.md; these are the readers that
// take the dBase IV and FoxPro tables written here.
TEST_F(InteropTest, DbaseIVAndFoxProTablesReadElsewhere) {
  if (!HasProgram("/usr/bin/dbf_dump") || !HasProgram("/usr/bin/dumprecs") || !HasPythonDbf())
    GTEST_SKIP() << "a reader is missing";
  for (const std::uint8_t version : {0x8B, 0xF5}) {
    SCOPED_TRACE(static_cast<int>(version));
    const std::string path = WriteHere(version == 0x8B ? "d4.dbf" : "fox.dbf", version, true);
    EXPECT_EQ(Lines(RunTool("dbf_dump --fs '|' " + path).output),
              (std::vector<std::string>{"alpha|42|-12.5|1|20240315|", "gamma|7|1.25|0|19991231|"}));
    EXPECT_EQ(DumprecsRecords(path).size(), 3u);
    if (version == 0xF5) {
      EXPECT_EQ(PythonRecords(path).size(), 3u);
    }
  }
}

}  // namespace
}  // namespace xbase
