// Memo fields read and written as text files, and Locate over memo lines.

#include <gtest/gtest.h>

#include "tests/xbase/memo/MemoTest.h"
#include "xbase/core/MemoTextFile.h"

namespace xbase {
namespace {

using MemoTextDriverTest = MemoTest;

std::vector<std::string> ReadLines(std::int32_t block) {
  MemoTextFile file;
  AssignMemo(file, block);
  EXPECT_EQ(file.Open(TextFileMode::Input), 0);
  std::vector<std::string> lines;
  std::string line;
  while (!file.Eof()) {
    EXPECT_EQ(file.ReadLine(line), 0);
    lines.push_back(line);
  }
  EXPECT_EQ(file.Close(), 0);
  return lines;
}

// Writes the lines with WriteLine, then `tail` with Write, in the given mode; the new block.
std::int32_t WriteText(std::int32_t block, const std::vector<std::string>& lines,
                       const std::string& tail = "", TextFileMode mode = TextFileMode::Output) {
  MemoTextFile file;
  AssignMemo(file, block);
  EXPECT_EQ(file.Open(mode), 0);
  for (const std::string& line : lines) EXPECT_EQ(file.WriteLine(line), 0);
  if (!tail.empty()) {
    EXPECT_EQ(file.Write(tail), 0);
  }
  EXPECT_EQ(file.Close(), 0);
  return block;
}

TEST_F(MemoTextDriverTest, ReadingJoinsWhatOnlyWidthOrSoftReturnsBroke) {
  CreateMemoTable(kDbase4);
  struct Case {
    std::string stored;
    std::vector<std::string> lines;
  };
  for (const Case& c : {
           Case{"two\r\nwords", {"two", "words"}},
           Case{std::string(600, 'x') + "\r\nend", {std::string(600, 'x'), "end"}},
           Case{"soft\x8D\nreturn\r\nhard", {"softreturn", "hard"}},
           Case{"a\nb", {"a", "b"}},
       }) {
    EXPECT_EQ(ReadLines(AddMemo(c.stored)), c.lines) << c.stored;
  }
  EXPECT_EQ(ReadLines(0), std::vector<std::string>{});
}

TEST_F(MemoTextDriverTest, WrittenTextIsStoredExactlyAsWritten) {
  struct Case {
    Dialect dialect;
    std::string run;  // the stored bytes of "abc" written without a line end
  };
  for (const Case& c : {Case{kDbase3, "abc\x1A\x1A"},
                        Case{kDbase4, std::string("\xFF\xFF\x08\0\x0B\0\0\0abc", 11)},
                        Case{kFoxPro, std::string("\0\0\0\x01\0\0\0\x03" "abc", 11)}}) {
    SCOPED_TRACE(DialectName(c.dialect));
    CreateMemoTable(c.dialect);
    const std::int32_t block = WriteText(0, {}, "abc");
    const std::size_t at = block * c.dialect.blockSize;
    EXPECT_EQ(MemoFile().substr(at, c.run.size()), c.run);
    EXPECT_EQ(MemoFile().size(), at + (c.dialect.version == 0x83 ? 512 : c.run.size()));

    const std::string line300(300, 'w');
    const std::int32_t wide = WriteText(0, {line300, "next"});
    EXPECT_EQ(StreamText(wide), line300 + "\r\nnext\r\n");
    EXPECT_EQ(ReadLines(wide), (std::vector<std::string>{line300, "next"}));

    const std::int32_t soft = WriteText(0, {}, "soft\x8D\nreturn\r\n");
    EXPECT_EQ(StreamText(soft), "soft\x8D\nreturn\r\n");
    CloseArea();
  }
}

TEST_F(MemoTextDriverTest, RewritingKeepsTheBlockUntilTheTextIsStored) {
  CreateMemoTable(kDbase3);
  std::int32_t block = AddMemo("first");
  const std::int32_t old = block;
  {
    MemoTextFile file;
    AssignMemo(file, block);
    ASSERT_EQ(file.Open(TextFileMode::Output), 0);
    ASSERT_EQ(file.WriteLine("second"), 0);
    EXPECT_EQ(block, old);
    ASSERT_EQ(file.Close(), 0);
  }
  EXPECT_NE(block, old);
  EXPECT_EQ(StreamText(block), "second\r\n");
  // Appending starts a line of its own after what is there.
  const std::int32_t appended = WriteText(AddMemo("one"), {"two"}, "", TextFileMode::Append);
  EXPECT_EQ(StreamText(appended), "one\r\ntwo\r\n");
  // An empty text leaves no memo.
  EXPECT_EQ(WriteText(block, {}), 0);
}

// "line 1" CR LF ... "line <count>", the last without a line end (as AddMemo stores it).
std::string NumberedLines(int count, const std::string& word = "line") {
  std::string text;
  for (int i = 1; i <= count; ++i) text += word + " " + std::to_string(i) + (i < count ? "\r\n" : "");
  return text;
}

// The codes of a text file's last Write (or of its Open when that failed) and of its Close.
using Codes = std::pair<std::uint16_t, std::uint16_t>;

// Writes text through the driver in a mode, 100 characters a Write.
Codes WriteThrough(std::int32_t& block, TextFileMode mode, const std::string& text) {
  MemoTextFile file;
  AssignMemo(file, block);
  const std::uint16_t opened = file.Open(mode);
  if (opened != 0) return {opened, file.Close()};
  std::uint16_t code = 0;
  for (std::size_t at = 0; at < text.size() && code == 0; at += 100) code = file.Write(text.substr(at, 100));
  return {code, file.Close()};
}

TEST_F(MemoTextDriverTest, AMemoLongerThanTheLineTableIsNeverCutShort) {
  const std::string text = NumberedLines(2001);
  std::vector<std::string> first;
  for (int i = 1; i <= static_cast<int>(MaxMemoLines); ++i) first.push_back("line " + std::to_string(i));
  for (const Dialect& dialect : kDialects) {
    SCOPED_TRACE(DialectName(dialect));
    CreateMemoTable(dialect);
    const std::int32_t block = AddMemo(text);
    AddMemo("after");
    const std::string stored = MemoFile();
    // Reading gives the lines the table holds, and GetMemo says that more follow.
    EXPECT_EQ(ReadLines(block), first);
    MemoLineTable lines;
    ASSERT_TRUE(GetMemo(block, 0, lines));
    EXPECT_TRUE(lines.Cut);
    // Appending would write back only those lines: the open fails and binds nothing.
    std::int32_t bound = block;
    EXPECT_EQ(WriteThrough(bound, TextFileMode::Append, ""), Codes(100, 103));
    EXPECT_EQ(WriteThrough(bound, TextFileMode::Append, "more\r\n"), Codes(100, 103));
    EXPECT_EQ(bound, block);
    // Writing it anew meets the limit: the Write and the Close fail, the old memo stays.
    EXPECT_EQ(WriteThrough(bound, TextFileMode::Output, NumberedLines(2001, "new") + "\r\n"),
              Codes(101, 101));
    EXPECT_EQ(bound, block);
    EXPECT_TRUE(MemoFile() == stored) << "the memo file changed";
    EXPECT_TRUE(StreamText(block) == text) << "the memo changed";
    CloseArea();
  }
}

TEST_F(MemoTextDriverTest, WritingStopsAtTheLineTablesLimit) {
  CreateMemoTable(kDbase4);
  const std::string full = NumberedLines(static_cast<int>(MaxMemoLines));
  const std::int32_t block = AddMemo(full);
  struct Case {
    const char* what;
    TextFileMode mode;
    std::string text;
    Codes codes;
  };
  const std::string wide = std::string(254, 'w') + "\r\n";
  std::string wideLines;
  for (std::size_t i = 0; i <= MaxMemoLines / 2; ++i) wideLines += wide;
  for (const Case& c : {
           Case{"one more line after a full memo", TextFileMode::Append, "more\r\n", {101, 101}},
           Case{"an unfinished line after a full memo", TextFileMode::Append, "more", {0, 101}},
           Case{"lines that read back as two each", TextFileMode::Output, wideLines, {0, 101}},
       }) {
    SCOPED_TRACE(c.what);
    std::int32_t bound = block;
    EXPECT_EQ(WriteThrough(bound, c.mode, c.text), c.codes);
    EXPECT_EQ(bound, block);
    EXPECT_TRUE(StreamText(bound) == full) << "the memo changed";
  }
  // A full memo appended nothing to is written back whole.
  std::int32_t bound = block;
  EXPECT_EQ(WriteThrough(bound, TextFileMode::Append, ""), Codes(0, 0));
  EXPECT_TRUE(StreamText(bound) == full + "\r\n");
}

TEST_F(MemoTextDriverTest, DriverFailuresAnswerTheRuntimesCodes) {
  CreateMemoTable(kDbase4, "memo", "");
  std::int32_t block = AddMemo("kept");
  Select(2);
  Use(At("memo.dbf") + " ALIAS SECOND", nullptr, 0);
  ASSERT_TRUE(LockMemoFile());
  Select(1);
  MemoLockTries = 1;
  QuietErrors();

  const std::int32_t old = block;
  MemoTextFile file;
  AssignMemo(file, block);
  ASSERT_EQ(file.Open(TextFileMode::Output), 0);
  ASSERT_EQ(file.WriteLine("lost"), 0);
  EXPECT_EQ(file.Close(), 101);
  EXPECT_EQ(ErrorCode, 1017);
  EXPECT_EQ(block, old);
  EXPECT_EQ(StreamText(block), "kept");

  std::int32_t beyond = 999;
  AssignMemo(file, beyond);
  EXPECT_EQ(file.Open(TextFileMode::Input), 100);
  EXPECT_EQ(ErrorCode, 1003);

  // A table without a memo file binds nothing.
  Select(3);
  Use(Write("plain.dbf", People(1).Bytes()), nullptr, 0);
  MemoTextFile unbound;
  AssignMemo(unbound, block);
  EXPECT_EQ(ErrorCode, 1019);
  EXPECT_EQ(unbound.Open(TextFileMode::Input), 102);
}

TEST_F(MemoTextDriverTest, TheDriverWorksInTheAreaItWasBoundIn) {
  CreateMemoTable(kFoxPro);
  std::int32_t block = AddMemo("area one");
  MemoTextFile file;
  AssignMemo(file, block);
  Select(2);
  ASSERT_EQ(file.Open(TextFileMode::Input), 0);
  std::string line;
  ASSERT_EQ(file.ReadLine(line), 0);
  EXPECT_EQ(line, "area one");
  EXPECT_EQ(CurrentArea(), 2);
  EXPECT_EQ(file.Close(), 0);
}

TEST_F(MemoTextDriverTest, LocateFindsALineThatHoldsTheValue) {
  CreateMemoTable(kDbase3);
  AppendRecord("none", 0);
  AppendRecord("hay", AddMemo("hay\r\nmore hay"));
  AppendRecord("needle", AddMemo("hay\r\nthe Needle here\r\nhay"));
  AppendRecord("split", AddMemo("nee\x8D\ndle"));  // joined by the soft return
  AppendRecord("again", AddMemo("needle"));
  LocateValue = "needle";
  LocateFrom(1, Locate("NOTES"));
  EXPECT_EQ(Text("NAME"), "split");
  Continue();
  EXPECT_EQ(Text("NAME"), "again");
  LocateValue = "NEEDLE";
  LocateFrom(1, Locate("NOTES NOCASE"));
  EXPECT_EQ(Text("NAME"), "needle");
  LocateValue = "straw";
  LocateFrom(1, Locate("NOTES"));
  EXPECT_TRUE(dEOF());
}

}  // namespace
}  // namespace xbase
