// A memo's stored text as lines and back.

#include "xbase/memo/MemoLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace xbase {
namespace {

struct Line {
  std::string text;
  int end;
  bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& line) {
  return out << '"' << line.text << "\"/" << line.end;
}

std::vector<Line> Split(const std::string& stored, std::size_t maxLines = 0) {
  MemoLineTable table;
  SplitMemoLines(stored, maxLines, table);
  std::vector<Line> lines;
  for (const MemoLine& line : table.Lines) lines.push_back({line.Text, line.End});
  return lines;
}

TEST(MemoLinesTest, TheLineReadersRules) {
  const std::string x253(253, 'x');
  const std::string words = std::string(250, 'a') + " " + std::string(20, 'b');
  struct Case {
    const char* what;
    std::string stored;
    std::vector<Line> lines;
  };
  for (const Case& c : {
           Case{"nothing", "", {}},
           Case{"two words, CR LF between", "two\r\nwords", {{"two", 13}, {"words", 0}}},
           Case{"CR alone", "a\rb", {{"a", 13}, {"b", 0}}},
           Case{"soft return", "a\x8D\nb", {{"a", 0x8D}, {"b", 0}}},
           Case{"soft return without LF", "a\x8D" "b", {{"a", 0x8D}, {"b", 0}}},
           Case{"a final line end adds no line", "a\r\n", {{"a", 13}}},
           Case{"empty lines", "\r\n\r\n", {{"", 13}, {"", 13}}},
           Case{"an LF alone is a character", "a\nb", {{"a\nb", 0}}},
           Case{"0x03 ends the text", "ab\x03" "cd\r\n", {{"ab", 0}}},
           Case{"600 characters without blanks", std::string(600, 'x'),
                {{x253, 0}, {x253, 0}, {std::string(94, 'x'), 0}}},
           Case{"a long line breaks after its last blank", words,
                {{std::string(250, 'a') + " ", 0}, {std::string(20, 'b'), 0}}},
           Case{"a blank at the width stays on the line", std::string(253, 'c') + " d",
                {{std::string(253, 'c') + " ", 0}, {"d", 0}}},
       }) {
    EXPECT_EQ(Split(c.stored), c.lines) << c.what;
  }
}

TEST(MemoLinesTest, LineLimits) {
  std::string five;
  for (int i = 1; i <= 5; ++i) five += "line" + std::to_string(i) + "\r\n";
  EXPECT_EQ(Split(five, 2), (std::vector<Line>{{"line1", 13}, {"line2", 13}}));
  std::string many;
  for (int i = 0; i < 1100; ++i) many += "l\r\n";
  EXPECT_EQ(Split(many).size(), MaxMemoLines);
}

TEST(MemoLinesTest, ATableThatCannotTakeTheWholeTextSaysSo) {
  std::string full;
  for (std::size_t i = 0; i < MaxMemoLines; ++i) full += "l\r\n";
  struct Case {
    const char* what;
    std::string stored;
    std::size_t maxLines;
    bool cut;
  };
  for (const Case& c : {
           Case{"as many lines as the table holds", full, 0, false},
           Case{"one more, without a line end", full + "x", 0, true},
           Case{"one more, empty", full + "\r\n", 0, true},
           Case{"more after the end mark is no text", full + "\x03more", 0, false},
           Case{"five lines read as two", "a\r\nb\r\nc\r\nd\r\ne", 2, true},
           Case{"no text", "", 0, false},
       }) {
    MemoLineTable table;
    SplitMemoLines(c.stored, c.maxLines, table);
    EXPECT_EQ(table.Cut, c.cut) << c.what;
    if (c.maxLines == 0) EXPECT_EQ(FitsMemoLines(c.stored), !c.cut) << c.what;
  }
  // Lines of 254 characters without a blank read back as two each.
  std::string wide;
  for (std::size_t i = 0; i < MaxMemoLines / 2; ++i) wide += std::string(254, 'w') + "\r\n";
  EXPECT_TRUE(FitsMemoLines(wide));
  EXPECT_FALSE(FitsMemoLines(wide + "x"));
}

TEST(MemoLinesTest, LinesWriteBackAsTheyWereRead) {
  for (const std::string& stored : {
           std::string(600, 'x'),
           std::string(250, 'a') + " " + std::string(300, 'b') + "\r\nend",
           std::string("soft\x8D\nhard\r\n\r\nlast"),
           std::string("\xE4\xF6\xFC\r\n\x80"),
       }) {
    MemoLineTable table;
    SplitMemoLines(stored, 0, table);
    EXPECT_EQ(table.StoredText(), stored);
  }
  MemoLineTable table;
  table.Lines = {{"a", LineEndHard}, {"b", LineEndSoft}, {"c", LineEndNone}};
  table.Pending = "d";
  EXPECT_EQ(table.StoredText(), "a\r\nb\x8D\ncd");
}

}  // namespace
}  // namespace xbase
