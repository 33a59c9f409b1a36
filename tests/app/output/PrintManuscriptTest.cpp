#include <gtest/gtest.h>

#include <random>

#include "PrintTest.h"
#include "app/output/ManuscriptPrint.h"
#include "app/output/TextWrap.h"
#include "platform/gui/FontStyle.h"

namespace {

using namespace platform::gui;
using testing_support::CanvasCall;
using testing_support::PrintedPage;

constexpr int W = 60;    // a character
constexpr int LH = 118;  // a line
constexpr int kLeft = 480;

class PrintManuscript : public PrintTest {
 protected:
  void Print() {
    ::PrintManuscript(printer, Layout());
    printer.EndDoc();
  }
  // The texts drawn at `y` on a page, left to right as drawn.
  static std::vector<CanvasCall> Line(const PrintedPage& page, int y) {
    std::vector<CanvasCall> line;
    for (const CanvasCall& call : Texts(page))
      if (call.Top == y) line.push_back(call);
    return line;
  }
  static std::pair<int, QString> At(const CanvasCall& call) { return {call.Left, call.Text}; }
};

TEST_F(PrintManuscript, FirstPageCarriesTitlePageNumberAndSpecifications) {
  SetGrid(kSmallGrid);
  Print();
  const PrintedPage& page = printer.Pages[0];
  const CanvasCall title = TextCall(page, "Sunday");
  EXPECT_EQ(std::pair(title.Left, title.Top), std::pair(kLeft, 2 * LH));
  EXPECT_EQ(title.Font.Style, fsBold);
  EXPECT_EQ(title.Font.Name, "Courier New");
  // 63 character widths from the printable area's edge, not from the margin.
  const CanvasCall number = TextCall(page, "Page 1");
  EXPECT_EQ(std::pair(number.Left, number.Top), std::pair(63 * W, 2 * LH));
  EXPECT_EQ(number.Font.Style, fsBold);
  // The specifications cut before their pars, at the right.
  const int specsX = kLeft + 46 * W;
  EXPECT_EQ(At(Line(page, 5 * LH).at(0)), std::pair(specsX, QString::fromUtf8("Size of Grid: 15\u00D7")));
  EXPECT_EQ(At(Line(page, 6 * LH).at(0)), std::pair(specsX, QString("Black Squares: 38 ")));
  EXPECT_EQ(At(Line(page, 7 * LH).at(0)), std::pair(specsX, QString("Word Count: 78 ")));
  EXPECT_EQ(Line(page, 7 * LH).at(0).Font.Style, 0);
  EXPECT_EQ(At(Line(page, 9 * LH).at(0)), std::pair(kLeft, QString("ACROSS")));
}

TEST_F(PrintManuscript, ListsNumberClueAndAnswerThenTheGridOnTheNextPage) {
  SetGrid(kSmallGrid);
  SetClues({"First across", "First down", "Second down", "Third down", "Middle", "Last"});
  Print();
  ASSERT_EQ(printer.Pages.size(), 2u);
  const PrintedPage& page = printer.Pages[0];
  const int answerX = kLeft + 46 * W;
  struct Row { int line; QString clue; QString answer; };
  for (const Row& r : {Row{11, "  1 First across", "ABCDE"}, Row{13, "  4 Middle", "IJKLM"}, Row{15, "  5 Last", "QRSTW"},
                       Row{19, "  1 First down", "AFINQ"}, Row{21, "  2 Second down", "CGKOS"},
                       Row{23, "  3 Third down", "EHMPW"}}) {
    const auto line = Line(page, r.line * LH);
    ASSERT_EQ(line.size(), 2u) << r.clue.toStdString();
    EXPECT_EQ(At(line[0]), std::pair(answerX, r.answer));
    EXPECT_EQ(At(line[1]), std::pair(kLeft, r.clue));
    EXPECT_EQ(line[1].Font.Style, 0);
  }
  EXPECT_EQ(At(Line(page, 17 * LH).at(0)), std::pair(kLeft, QString("DOWN")));
  // The manuscript grid ends the manuscript, with its own page number and no specifications.
  const PrintedPage& grid = printer.Pages[1];
  EXPECT_EQ(grid.Job, 1);
  EXPECT_EQ(KindOf(grid), "grid");
  EXPECT_TRUE(HasText(grid, "Page 2"));
  EXPECT_FALSE(HasText(grid, "Word Count: 78 "));
}

TEST_F(PrintManuscript, DefinitionsAtLeftDecidesTheColumns) {
  SetGrid(kSmallGrid);
  SetClues({"First across"});
  struct Case { int stored; int clueX; int answerX; };
  // -1: nothing stored.
  for (const Case& c : {Case{-1, kLeft, kLeft + 46 * W}, Case{1, kLeft, kLeft + 46 * W}, Case{0, kLeft + 25 * W, kLeft}}) {
    if (c.stored >= 0) XwdProcs->WriteSetting("DefsOnLeft", c.stored != 0);
    printer.Pages.clear();
    Print();
    const auto line = Line(printer.Pages[0], 11 * LH);
    ASSERT_EQ(line.size(), 2u);
    EXPECT_EQ(At(line[0]), std::pair(c.answerX, QString("ABCDE"))) << c.stored;
    EXPECT_EQ(At(line[1]), std::pair(c.clueX, QString("  1 First across"))) << c.stored;
  }
}

TEST_F(PrintManuscript, UnfinishedAnswersKeepTheirEmptyPlaces) {
  SetGrid(
      "A.C?E"
      "F#G#H"
      "IJKLM"
      "N#O#P"
      "QRSTW");
  Print();
  const auto line = Line(printer.Pages[0], 11 * LH);
  ASSERT_EQ(line.size(), 2u);
  EXPECT_EQ(line[0].Text, QString("A") + QChar(0) + "C?E");
  EXPECT_EQ(line[1].Text, "  1 ") << "no clue written";
}

TEST_F(PrintManuscript, LongCluesWrapDoubleSpaced) {
  SetGrid(kSmallGrid);
  const std::string letters(60, 'x');
  SetClues({letters, "aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii"});
  Print();
  const PrintedPage& page = printer.Pages[0];
  const int indent = kLeft + 4 * W;
  // No blank: 33 letters and a hyphen fill the first line, the other 27 follow below the text.
  EXPECT_EQ(At(Line(page, 11 * LH).at(1)), std::pair(kLeft, QString::fromStdString("  1 " + letters.substr(0, 33) + "-")));
  EXPECT_EQ(At(Line(page, 13 * LH).at(0)), std::pair(indent, QString::fromStdString(letters.substr(0, 27))));
  EXPECT_EQ(Line(page, 13 * LH).size(), 1u);
  EXPECT_EQ(At(Line(page, 15 * LH).at(1)), std::pair(kLeft, QString("  4 ")));  // the next entry

  // The down list: a break at the last blank before which the line fits the column.
  const int down = 21;  // DOWN at 19
  EXPECT_EQ(At(Line(page, down * LH).at(1)), std::pair(kLeft, QString("  1 aaaa bbbb cccc dddd eeee ffff gggg")));
  EXPECT_EQ(At(Line(page, (down + 2) * LH).at(0)), std::pair(indent, QString("hhhh iiii")));
}

TEST_F(PrintManuscript, AMiddlePieceWhoseFourthCharacterIsABlankStartsAtTheClueColumn) {
  SetGrid(kSmallGrid);
  SetClues({std::string(14, 'a') + " the " + std::string(28, 'b')});
  TPrintLayout layout = Layout();
  layout.Manuscript.ColumnWidth = 20 * W;  // a column this narrow lets a middle piece be wrapped again
  ::PrintManuscript(printer, layout);
  printer.EndDoc();
  const PrintedPage& page = printer.Pages[0];
  EXPECT_EQ(At(Line(page, 11 * LH).at(1)), std::pair(kLeft, QString::fromStdString("  1 " + std::string(14, 'a'))));
  EXPECT_EQ(At(Line(page, 13 * LH).at(0)), std::pair(kLeft, QString::fromStdString("the " + std::string(13, 'b') + "-")));
  EXPECT_EQ(At(Line(page, 15 * LH).at(0)), std::pair(kLeft + 4 * W, QString::fromStdString(std::string(15, 'b'))));
}

TEST_F(PrintManuscript, ContinuationPagesCarryTitleAndNumberOnly) {
  SetGrid(std::string(15 * 15, 'A'));  // 15 across and 15 down words
  Print();
  // Page 1 takes lines 11 to 53: the across words, DOWN at 41 and six down words.
  ASSERT_EQ(printer.Pages.size(), 3u);
  const PrintedPage& first = printer.Pages[0];
  EXPECT_EQ(At(Line(first, 41 * LH).at(0)), std::pair(kLeft, QString("DOWN")));
  EXPECT_EQ(Line(first, 53 * LH).at(1).Text, "  6 ");
  const PrintedPage& second = printer.Pages[1];
  const auto texts = Texts(second);
  ASSERT_GE(texts.size(), 4u);
  EXPECT_EQ(At(texts[0]), std::pair(kLeft, QString("Sunday")));
  EXPECT_EQ(At(texts[1]), std::pair(63 * W, QString("Page 2")));
  EXPECT_EQ(texts[2].Top, 4 * LH) << "the body starts on line 4";
  EXPECT_EQ(Line(second, 4 * LH).at(1).Text, "  7 ");
  EXPECT_FALSE(HasText(second, "Word Count: 78 "));
  EXPECT_TRUE(HasText(printer.Pages[2], "Page 3"));
}

TEST_F(PrintManuscript, AWrappedEntryThatWouldRunOffThePageStartsTheNext) {
  SetGrid(kSmallGrid);
  printer.Height = 17 * LH;  // 15 lines: the third across entry falls on the last one
  struct Case { std::string clue; int page; int line; };
  for (const Case& c : {Case{"Last", 0, 15}, Case{std::string(60, 'x'), 1, 4}}) {
    SetClues({"First across", "", "", "", "Middle", c.clue});
    printer.Pages.clear();
    Print();
    const auto line = Line(printer.Pages[static_cast<std::size_t>(c.page)], c.line * LH);
    ASSERT_EQ(line.size(), 2u) << c.clue;
    EXPECT_EQ(line[0].Text, "QRSTW") << c.clue;
    EXPECT_TRUE(line[1].Text.startsWith("  5 ")) << c.clue;
    // Nothing is drawn below the last line of a page.
    for (const PrintedPage& page : printer.Pages) {
      if (KindOf(page) != "manuscript") continue;
      for (const CanvasCall& text : Texts(page)) EXPECT_LE(text.Top, 15 * LH) << text.Text.toStdString();
    }
  }
}

// A list's heading goes to the next page with the list's first entry when the entry, all its
// lines, would not fit below it.
TEST_F(PrintManuscript, AHeadingStaysWithTheFirstEntryOfItsList) {
  SetGrid(kSmallGrid);
  // The across entries take lines 11, 13 and 15; DOWN comes on line 17.
  struct Case { int linesPerPage; std::string firstDown; std::size_t page; int line; };
  for (const Case& c : {Case{19, "Downward", 0, 17}, Case{17, "Downward", 1, 4}, Case{19, std::string(60, 'x'), 1, 4},
                        Case{21, std::string(60, 'x'), 0, 17}}) {
    const std::string label = std::to_string(c.linesPerPage) + " lines, " + c.firstDown;
    printer.Height = (c.linesPerPage + 2) * LH;
    SetClues({"First across", c.firstDown, "Second down", "Third down", "Middle", "Last"});
    printer.Pages.clear();
    Print();
    ASSERT_GT(printer.Pages.size(), c.page) << label;
    const PrintedPage& page = printer.Pages[c.page];
    EXPECT_EQ(At(Line(page, c.line * LH).at(0)), std::pair(kLeft, QString("DOWN"))) << label;
    const auto entry = Line(page, (c.line + 2) * LH);
    ASSERT_EQ(entry.size(), 2u) << label;
    EXPECT_EQ(entry[0].Text, "AFINQ") << label;
    if (c.page > 0) EXPECT_FALSE(HasText(printer.Pages[0], "DOWN")) << label;
  }
}

// ---- The word wrap --------------------------------------------------------------------------

TEST(PrintWrap, EndsForAnyMetricsAndKeepsEveryCharacter) {
  testing_support::RecordingCanvas canvas;
  const std::vector<std::string> texts = {
      "  1 " + std::string(60, 'x'), "  1 a b c d e f g h i j k l m n o p", "    ", "x",
      "  9 supercalifragilistic expialidocious", " leading and trailing blanks ", "ab  cd   ef    gh"};
  struct Metrics { int charWidth; int width; int reserve; };
  for (const Metrics& m : {Metrics{60, 2400, 240}, Metrics{10, 25, 10}, Metrics{10, 5, 10}, Metrics{10, 1, 0},
                           Metrics{0, 100, 0}, Metrics{60, 30, 240}})
    for (std::size_t keep : {std::size_t{1}, std::size_t{5}})
      for (const std::string& text : texts) {
        canvas.CharWidth = m.charWidth;
        const std::vector<std::string> pieces = WrapText(canvas, text, m.width, keep, m.reserve);
        ASSERT_FALSE(pieces.empty());
        // Breaks drop one blank or add one hyphen; the letters stay in order.
        std::string letters, joined;
        for (char c : text)
          if (c != ' ') letters += c;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
          std::string piece = pieces[i];
          if (i + 1 < pieces.size() && !piece.empty() && piece.back() == '-') piece.pop_back();
          for (char c : piece)
            if (c != ' ') joined += c;
        }
        EXPECT_EQ(joined, letters) << text << " keep " << keep << " width " << m.width;
        EXPECT_LE(pieces.size(), text.size() + 1) << text;
      }
}

TEST(PrintWrap, AWidthOfZeroOrLessLeavesTheTextWhole) {
  testing_support::RecordingCanvas canvas;
  for (int width : {0, -50})
    EXPECT_EQ(WrapText(canvas, "a long line of text", width, 5, 32), std::vector<std::string>{"a long line of text"});
}

}  // namespace
