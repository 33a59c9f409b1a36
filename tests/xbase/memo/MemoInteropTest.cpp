// Memo files written here read byte for byte with Debian's dBase readers, and theirs here:
// Perl's XBase module (the module behind dbf_dump), python3-dbf (dBase III and FoxPro) and
// xbase64's dumprecs (memo lengths).

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "tests/xbase/ExternalTool.h"
#include "tests/xbase/HexText.h"
#include "tests/xbase/memo/MemoTest.h"
#include "xbase/core/MemoTextFile.h"

namespace xbase {
namespace {

using Memos = std::map<std::string, std::string>;  // record name -> memo bytes

std::string Unhex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

// Lines "<name> <hex of the memo>" into a map; "NULL" or nothing for no memo.
Memos ParseMemos(const std::string& output) {
  Memos memos;
  std::istringstream in(output);
  for (std::string name, hex; in >> name;) {
    std::getline(in >> std::ws, hex);
    memos[name] = hex == "NULL" ? "" : Unhex(hex);
  }
  return memos;
}

std::string WithoutEndMarks(std::string bytes) {
  std::erase(bytes, '\x1A');
  return bytes;
}

// Records whose memo only this library reads whole: in dBase III a text holding 0x1A or a zero
// byte takes the group header and a negated block, which the other readers do not know.
constexpr std::string_view kOwnHeader = "own";

// The memos another reader is to read as written: in dBase III without those records.
Memos ForOtherReaders(Memos memos, const Dialect& dialect) {
  if (dialect.version == 0x83)
    std::erase_if(memos, [](const auto& memo) { return memo.first.starts_with(kOwnHeader); });
  return memos;
}

class MemoInteropTest : public MemoTest {
 protected:
  // Writes memos of every kind into a new table of the dialect; what each record holds.
  Memos WriteHere(const Dialect& dialect, const std::string& name) {
    CreateMemoTable(dialect, name);
    Memos memos;
    const auto add = [&](const std::string& record, const std::string& bytes, std::int32_t block) {
      AppendRecord(record, block);
      memos[record] = bytes;
    };
    std::string blocks;
    for (int i = 0; i < 40; ++i) blocks += "line " + std::to_string(i) + " of several blocks\r\n";
    blocks += "end";
    const std::string latin = "Gr\xFC\xDF" "e, caf\xE9, na\xEFve \x96 \x80 \xC6\xD8\xC5";
    for (const std::string& text : {std::string("short memo"), blocks, std::string(700, 'L'), latin}) {
      const std::string record = text.size() == 10 ? "short" : text.size() == 700 ? "line700"
                                 : text == latin ? "latin" : "blocks";
      add(record, text, AddMemo(text));
    }
    add("ownbytes", AllBytes(), AddMemo(AllBytes()));
    add("ownmark", "before\x1A" "after", AddMemo("before\x1A" "after"));

    // Longer than the text driver's line table: neither an append nor a rewrite through it
    // may cut it.
    std::string lines;
    for (int i = 1; i <= 2001; ++i) lines += "line " + std::to_string(i) + (i < 2001 ? "\r\n" : "");
    std::int32_t long_ = AddMemo(lines);
    for (const TextFileMode mode : {TextFileMode::Append, TextFileMode::Output}) {
      MemoTextFile file;
      AssignMemo(file, long_);
      if (file.Open(mode) == 0) {
        std::uint16_t code = 0;
        for (int i = 1; i <= 2001 && code == 0; ++i) code = file.WriteLine("new " + std::to_string(i));
        EXPECT_NE(code, 0);
        EXPECT_NE(file.Close(), 0);
      }
    }
    add("long", lines, long_);

    std::int32_t block = 0;
    MemoTextFile file;
    AssignMemo(file, block);
    EXPECT_EQ(file.Open(TextFileMode::Output), 0);
    EXPECT_EQ(file.WriteLine("written by the driver"), 0);
    EXPECT_EQ(file.WriteLine(std::string(700, 'D')), 0);
    EXPECT_EQ(file.Write(latin), 0);
    EXPECT_EQ(file.Close(), 0);
    add("driver", "written by the driver\r\n" + std::string(700, 'D') + "\r\n" + latin, block);

    block = AddMemo("small");
    AssignMemo(file, block);
    EXPECT_EQ(file.Open(TextFileMode::Output), 0);
    EXPECT_EQ(file.Write(std::string(2000, 'G')), 0);
    EXPECT_EQ(file.Close(), 0);
    add("grown", std::string(2000, 'G'), block);

    add("streamed", latin + "\r\n" + blocks, StreamMemo(latin + "\r\n" + blocks));
    add("ownstream", AllBytes(), StreamMemo(AllBytes()));
    CloseArea();
    return memos;
  }

  // Every record's memo as Perl's XBase module reads it.
  Memos PerlMemos(const std::string& path) const {
    const std::string script = Write("memos.pl",
                                     "use XBase;\n"
                                     "my $t = XBase->new(shift) or die XBase->errstr;\n"
                                     "for my $i (0 .. $t->last_record) {\n"
                                     "  my @r = $t->get_record($i);\n"
                                     "  print \"$r[1] \", defined $r[2] ? unpack('H*', $r[2]) : 'NULL', \"\\n\";\n"
                                     "}\n");
    return ParseMemos(RunTool("perl " + script + " " + path).output);
  }

  // The same through python3-dbf, whose code page cp437 maps every byte to a character.
  Memos PythonMemos(const std::string& path) const {
    const std::string script = Write("memos.py",
                                     "import dbf, sys\n"
                                     "t = dbf.Table(sys.argv[1], codepage='cp437')\n"
                                     "t.open(dbf.READ_ONLY)\n"
                                     "for i in range(len(t)):\n"
                                     "    try:\n"
                                     "        r = t[i]\n"
                                     "        m = r.notes\n"
                                     "        print(r.name.strip(), m.encode('cp437').hex() if m else 'NULL')\n"
                                     "    except OSError:\n"
                                     "        print('unreadable NULL')\n");
    return ParseMemos(RunTool(std::string(kPython) + " " + script + " " + path).output);
  }

  // The memo lengths dumprecs reports, in record order.
  static std::vector<std::size_t> DumprecsLengths(const std::string& path) {
    std::vector<std::size_t> lengths;
    std::istringstream in(RunTool("dumprecs " + path).output);
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("M NOTES len = ", 0) == 0) lengths.push_back(std::stoul(line.substr(14)));
    }
    return lengths;
  }

  // Every record's memo as read here through a stream, and checked against the driver's lines.
  Memos MemosHere(const std::string& path) {
    Use(path, nullptr, 0);
    Memos memos;
    for (GoTop(); !dEOF(); Skip(1)) {
      const std::int32_t block = MemoBlockOfField(Text("NOTES"));
      memos[Text("NAME")] = StreamText(block);
    }
    CloseArea();
    return memos;
  }
};

TEST_F(MemoInteropTest, PerlXBaseReadsMemosWrittenHere) {
  if (!HasPerlXBase() || !HasProgram("/usr/bin/dbf_dump")) GTEST_SKIP() << "no Perl XBase";
  for (const Dialect& dialect : kDialects) {
    SCOPED_TRACE(DialectName(dialect));
    const std::string name = "perl" + std::to_string(dialect.version);
    const Memos written = WriteHere(dialect, name);
    EXPECT_EQ(ForOtherReaders(PerlMemos(At(name + ".dbf")), dialect), ForOtherReaders(written, dialect));
    EXPECT_EQ(MemosHere(At(name + ".dbf")), written);
    const std::string dump = RunTool("dbf_dump --fs '|' " + At(name + ".dbf")).output;
    EXPECT_EQ(dump.rfind("short|short memo\n", 0), 0u) << dump.substr(0, 80);
  }
}

TEST_F(MemoInteropTest, PythonDbfReadsMemosWrittenHere) {
  if (!HasPythonDbf()) GTEST_SKIP() << "no python3-dbf";
  for (const Dialect& dialect : {kDbase3, kFoxPro}) {
    SCOPED_TRACE(DialectName(dialect));
    const std::string name = "python" + std::to_string(dialect.version);
    const Memos written = WriteHere(dialect, name);
    Memos read = PythonMemos(At(name + ".dbf"));
    read.erase("unreadable");
    EXPECT_EQ(ForOtherReaders(read, dialect), ForOtherReaders(written, dialect));
  }
}

TEST_F(MemoInteropTest, PythonDbfAppendsAfterMemosWrittenHereWhileTheFileIsOpenHere) {
  if (!HasPythonDbf()) GTEST_SKIP() << "no python3-dbf";
  // python3-dbf puts a new memo at the header's next free block: the header that the writes
  // here keep, through their mapping of it, is what it reads while the file is open here.
  const std::string script = Write("append.py",
                                   "import dbf, sys\n"
                                   "t = dbf.Table(sys.argv[1], codepage='cp437')\n"
                                   "t.open(dbf.READ_WRITE)\n"
                                   "t.append(('python', 'memo from python'))\n"
                                   "t.close()\n");
  const std::vector<std::string> texts = {"first memo written here", std::string(700, 'm'), "last"};
  for (const Dialect& dialect : {kDbase3, kFoxPro}) {
    for (const std::string options : {" EXCLUSIVE", ""}) {
      SCOPED_TRACE(DialectName(dialect) + options);
      const std::string path = CreateMemoTable(dialect, "open" + std::to_string(dialect.version), options);
      std::vector<std::int32_t> blocks;
      for (const std::string& text : texts) blocks.push_back(AddMemo(text));
      const ToolResult result = RunTool(std::string(kPython) + " " + script + " " + path);
      ASSERT_EQ(result.status, 0) << result.output;
      CloseArea();
      EXPECT_EQ(PythonMemos(path), (Memos{{"python", "memo from python"}}));
      Use(path, nullptr, 0);
      for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(StreamText(blocks[i]), texts[i]);
      CloseArea();
    }
  }
}

TEST_F(MemoInteropTest, Xbase64ReadsTheLengthsOfMemosWrittenHere) {
  if (!HasProgram("/usr/bin/dumprecs")) GTEST_SKIP() << "no xbase64 tools";
  for (const Dialect& dialect : kDialects) {
    SCOPED_TRACE(DialectName(dialect));
    const std::string name = "xb" + std::to_string(dialect.version);
    const Memos written = WriteHere(dialect, name);
    // dumprecs goes in record order, which WriteHere does not keep: compare the sorted lengths.
    std::vector<std::size_t> expected;
    for (const auto& [record, bytes] : ForOtherReaders(written, dialect)) expected.push_back(bytes.size());
    std::vector<std::size_t> lengths = DumprecsLengths(At(name + ".dbf"));
    std::sort(expected.begin(), expected.end());
    std::sort(lengths.begin(), lengths.end());
    EXPECT_EQ(lengths.size(), written.size());
    EXPECT_TRUE(std::includes(lengths.begin(), lengths.end(), expected.begin(), expected.end()));
  }
}

TEST_F(MemoInteropTest, MemosWrittenByPerlXBaseReadHere) {
  if (!HasPerlXBase()) GTEST_SKIP() << "no Perl XBase";
  for (const char* version : {"3", "0x0B", "0xF5"}) {
    SCOPED_TRACE(version);
    // A dBase III memo ends at its first 0x1A here.
    const bool dbase3 = std::string(version) == "3";
    const std::string all = dbase3 ? WithoutEndMarks(AllBytes()) : AllBytes();
    const std::string path = At(std::string("byperl") + version + ".dbf");
    const std::string script =
        Write("write.pl",
              "use XBase;\n"
              "my ($path, $version, $all) = @ARGV;\n"
              "my $t = XBase->create(name => $path, version => oct($version),\n"
              "  field_names => ['NAME', 'NOTES'], field_types => ['C', 'M'],\n"
              "  field_lengths => [10, 10], field_decimals => [0, 0]) or die XBase->errstr;\n"
              "$t->set_record(0, 'short', 'short memo') or die $t->errstr;\n"
              "$t->set_record(1, 'allbytes', pack('H*', $all)) or die $t->errstr;\n"
              "$t->set_record(2, 'grown', 'small') or die $t->errstr;\n"
              "$t->update_record_hash(2, NOTES => 'G' x 2000) or die $t->errstr;\n"
              "$t->close;\n");
    const ToolResult result = RunTool("perl " + script + " " + path + " " + version + " " + Hex(all));
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(MemosHere(path), (Memos{{"short", "short memo"}, {"allbytes", all},
                                      {"grown", std::string(2000, 'G')}}));
  }
}

TEST_F(MemoInteropTest, MemosWrittenByPythonDbfReadHere) {
  if (!HasPythonDbf()) GTEST_SKIP() << "no python3-dbf";
  for (const char* type : {"db3", "fp"}) {
    SCOPED_TRACE(type);
    const bool dbase3 = std::string(type) == "db3";
    const std::string all = dbase3 ? WithoutEndMarks(AllBytes()) : AllBytes();
    const std::string path = At(std::string("bypython") + type + ".dbf");
    const std::string script =
        Write("write.py",
              "import dbf, sys\n"
              "path, kind, all = sys.argv[1], sys.argv[2], bytes.fromhex(sys.argv[3])\n"
              "t = dbf.Table(path, 'NAME C(10); NOTES M', dbf_type=kind, codepage='cp437')\n"
              "t.open(dbf.READ_WRITE)\n"
              "t.append(('short', 'short memo'))\n"
              "t.append(('allbytes', all.decode('cp437')))\n"
              "t.append(('grown', 'small'))\n"
              "with t[2] as r:\n"
              "    r.notes = 'G' * 2000\n"
              "t.close()\n");
    const ToolResult result =
        RunTool(std::string(kPython) + " " + script + " " + path + " " + type + " " + Hex(all));
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(MemosHere(path), (Memos{{"short", "short memo"}, {"allbytes", all},
                                      {"grown", std::string(2000, 'G')}}));
  }
}

}  // namespace
}  // namespace xbase
