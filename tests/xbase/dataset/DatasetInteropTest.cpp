// Datasets and Debian's dBase readers and writers: tables created from DbfFields lines read
// with the corrected fields elsewhere, and tables written by python3-dbf read here through the
// field classes.

#include <gtest/gtest.h>

#include <sstream>

#include "platform/db/DateTime.h"
#include "tests/xbase/ExternalTool.h"
#include "tests/xbase/dataset/DatasetTest.h"
#include "xbase/dataset/uovfds.h"

namespace xbase {
namespace {

using platform::db::EncodeDate;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class DatasetInteropTest : public DatasetTest {
 protected:
  // A FoxPro table (its F fields stay F) from lines that need every kind of correction.
  std::string CreateClues() {
    DefaultVersionByte = 0xF5;
    const std::vector<std::string> lines = {"ENTRY,C,30,0",  "MORE,L,1,0",   "NOTE,X,1,0",
                                            "AMOUNT,N,25,3", "RATE,F,30,20", "FLAG,Y,1,0",
                                            "BORN,D,8,0",    "PIC,G,10,0",   "LONG,C,300,0"};
    EXPECT_TRUE(CreateTableFromDbfFields(&lines, At("clues"), "CLUES"));
    return At("clues.DBF");
  }
};

TEST_F(DatasetInteropTest, PerlXBaseReadsTheCorrectedFieldsOfACreatedTable) {
  if (!HasPerlXBase() || !HasProgram("/usr/bin/dbf_dump")) GTEST_SKIP() << "no Perl XBase";
  const std::string info = RunTool("dbf_dump --info " + CreateClues()).output;
  const std::vector<std::string> lines = Lines(info);
  const auto fields = std::find(lines.begin(), lines.end(), "Num\tName\t\tType\tLen\tDecimal");
  ASSERT_NE(fields, lines.end()) << info;
  EXPECT_EQ(std::vector<std::string>(fields + 1, lines.end()),
            (std::vector<std::string>{"1.\tENTRY           C       30      0",
                                      "2.\tMORE            L       1       0",
                                      "3.\tAMOUNT          N       20      3",
                                      "4.\tRATE            F       20      18",
                                      "5.\tFLAG            C       1       0",
                                      "6.\tBORN            D       8       0",
                                      "7.\tPIC             M       10      0",
                                      "8.\tLONG            C       254     0"}));
}

TEST_F(DatasetInteropTest, PythonDbfReadsTheCorrectedFieldsOfACreatedTable) {
  if (!HasPythonDbf()) GTEST_SKIP() << "no python3-dbf";
  const std::string script = Write("structure.py",
                                   "import dbf, sys\n"
                                   "t = dbf.Table(sys.argv[1])\n"
                                   "for field in t.structure(): print(field)\n");
  EXPECT_EQ(Lines(RunTool(std::string(kPython) + " " + script + " " + CreateClues()).output),
            (std::vector<std::string>{"entry C(30)", "more L", "amount N(20,3)", "rate F(20,18)", "flag C(1)",
                                      "born D", "pic M", "long C(254)"}));
}

// A table written by python3-dbf in a code page: three records, the second deleted.
class PythonTableTest : public DatasetInteropTest, public ::testing::WithParamInterface<const char*> {
 protected:
  std::string WriteWithPython(const std::string& codepage) {
    const std::string script =
        Write("write.py",
              "import dbf, datetime, sys\n"
              "t = dbf.Table(sys.argv[1], 'NAME C(10); QTY N(5,0); PRICE N(8,2); RATE F(10,3); OK L;"
              " BORN D; NOTES M', dbf_type='db3', codepage=sys.argv[2])\n"
              "t.open(dbf.READ_WRITE)\n"
              "t.append(('Caf\\xe9', 42, -12.5, 1.125, True, datetime.date(1999, 12, 31), 'a memo'))\n"
              "t.append(('gone', -7, 0.25, -2.5, False, None, 'deleted'))\n"
              "dbf.delete(t[-1])\n"
              "t.append(('', 0, 0, 0, False, None, ''))\n"
              "t.close()\n");
    const std::string path = At("python.dbf");
    const ToolResult result = RunTool(std::string(kPython) + " " + script + " " + path + " " + codepage);
    EXPECT_EQ(result.status, 0) << result.output;
    return path;
  }

  // The memo field's stored text of record n (1-based) as a block number.
  int MemoBlock(const std::string& path, int n) {
    const std::string file = Contents(path);
    const std::size_t header = static_cast<unsigned char>(file[8]) | static_cast<unsigned char>(file[9]) << 8;
    const std::string text = file.substr(header + (n - 1) * 53 + 43, 10);
    return text.find_first_not_of(' ') == std::string::npos ? 0 : std::stoi(text);
  }
};

TEST_P(PythonTableTest, EveryFieldReadsBackThroughTheFieldClasses) {
  if (!HasPythonDbf()) GTEST_SKIP() << "no python3-dbf";
  const std::string codepage = GetParam();
  const std::string path = WriteWithPython(codepage);
  for (const bool hide : {false, true}) {
    SCOPED_TRACE(codepage + (hide ? ", deleted hidden" : ""));
    TableDataSet data("PYTHON");
    data.SetTableLanguage(codepage == "cp1252" ? tlAnsi : tlOem);
    data.SetDbfFileName(path);
    data.SetHideDeletedRecs(hide);
    data.Open();
    const auto field = [&](const char* name) -> platform::db::TField& { return data.FieldByName(name); };
    EXPECT_EQ(field("NAME").AsString(), "Caf\xE9");
    EXPECT_EQ(field("QTY").AsInteger(), 42);
    EXPECT_EQ(field("PRICE").AsFloat(), -12.5);
    EXPECT_EQ(field("RATE").AsFloat(), 1.125);
    EXPECT_EQ(field("RATE").DataType(), platform::db::ftFloat);
    EXPECT_TRUE(field("OK").AsBoolean());
    EXPECT_EQ(field("BORN").AsDateTime(), EncodeDate(1999, 12, 31));
    EXPECT_EQ(field("NOTES").AsString(), std::to_string(MemoBlock(path, 1)));
    EXPECT_NE(MemoBlock(path, 1), 0);
    data.Next();
    if (!hide) {
      EXPECT_EQ(field("NAME").AsString(), "gone");
      EXPECT_EQ(field("QTY").AsInteger(), -7);
      EXPECT_EQ(field("PRICE").AsFloat(), 0.25);
      EXPECT_EQ(field("RATE").AsFloat(), -2.5);
      EXPECT_FALSE(field("OK").AsBoolean());
      EXPECT_TRUE(field("BORN").IsNull());
      EXPECT_EQ(field("NOTES").AsString(), std::to_string(MemoBlock(path, 2)));
      data.Next();
    }
    EXPECT_EQ(field("NAME").AsString(), "");
    EXPECT_EQ(field("QTY").AsInteger(), 0);
    EXPECT_TRUE(field("BORN").IsNull());
    EXPECT_EQ(data.FieldText("BORN"), "  /  /    ");
    data.Next();
    EXPECT_TRUE(data.Eof());
    EXPECT_EQ(data.RecordCount(), 3);
  }
}

INSTANTIATE_TEST_SUITE_P(CodePages, PythonTableTest, ::testing::Values("cp1252", "cp850"));

TEST_F(DatasetInteropTest, Dbase3MemosWrittenThroughTheBlobStreamReadElsewhere) {
  DefaultVersionByte = 0x83;
  const std::string plain = "Seen on every\r\nwindowsill";
  const std::string marked = "end\x1Amark";
  {
    TOvDbf data;
    data.SetName("NOTES");
    data.DbfFields() = {"NAME,C,8,0", "NOTE,M,10,0"};
    data.SetDbfFileName(At("notes.dbf"));
    data.Open();
    for (const auto& [name, note] : {std::pair{"PLAIN", plain}, std::pair{"MARKED", marked}}) {
      data.Append();
      data.FieldByName("NAME").SetAsString(name);
      data.FieldByName("NOTE").SetAsString(note);
      data.Post();
    }
    data.Close();
  }
  // The memo fields as stored: a plain memo's block, and the negated block of the one that
  // holds an end mark and so the group header.
  const std::string file = Contents(At("notes.dbf"));
  const std::size_t header = static_cast<unsigned char>(file[8]) | static_cast<unsigned char>(file[9]) << 8;
  EXPECT_EQ(file.substr(header + 9, 10), "         1");
  EXPECT_EQ(file.substr(header + 19 + 9, 10), "        -2");
  {
    TOvDbf data;
    data.SetDbfFileName(At("notes.dbf"));
    data.Open();
    EXPECT_EQ(data.FieldByName("NOTE").AsString(), plain);
    data.Next();
    EXPECT_EQ(data.FieldByName("NOTE").AsString(), marked);
  }
  if (HasPythonDbf()) {
    const std::string script = Write("notes.py",
                                     "import dbf, sys\n"
                                     "t = dbf.Table(sys.argv[1])\n"
                                     "t.open(dbf.READ_ONLY)\n"
                                     "print(repr(t[0].note))\n");
    EXPECT_EQ(RunTool(std::string(kPython) + " " + script + " " + At("notes.dbf")).output,
              "'Seen on every\\r\\nwindowsill'\n");
  }
  if (HasProgram("/usr/bin/dbf_dump")) {
    const std::string dump = RunTool("dbf_dump --fs '|' " + At("notes.dbf")).output;
    EXPECT_EQ(dump.substr(0, dump.find('\n')), "PLAIN|Seen on every\r");
  }
}

}  // namespace
}  // namespace xbase
