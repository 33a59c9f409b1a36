#include <gtest/gtest.h>

#include <array>

#include "PrintTest.h"
#include "app/output/PuzzlePagePrint.h"
#include "platform/gui/FontStyle.h"

namespace {

using namespace platform::gui;
using testing_support::CanvasCall;
using testing_support::PrintedPage;

// On the 5100 by 6600 page at 600 pixels per inch, with every text 60 pixels a character and
// 113 high: a quarter-inch margin, five columns of 960, lines of 115, 55 lines a column.
constexpr int kMargin = 150;
constexpr int kColumn = 960;
constexpr int kRight = kMargin + 5 * kColumn;
constexpr int kLine = 115;
constexpr int kColumnTop = 3 * kLine + 10;
constexpr int kIndent = 180;  // "999"

int CellSize(int n) { return 17 * (5100 / 28) / n; }

// A clue that wraps to six lines in a full column (nine characters a line) and to twelve beside
// the grid (four).
const std::string kSixLines = "abcd abcd abcd abcd abcd abcd abcd abcd abcd abcd abcd abcd";

struct Entry {
  int Page = 0;  // from 0
  int Column = 0;  // 1 to 5
  CanvasCall Number;
  std::vector<CanvasCall> Lines;
};

class PrintPuzzlePage : public PrintTest {
 protected:
  void Print() {
    printer.Pages.clear();
    ::PrintPuzzlePage(printer, Layout());
    printer.EndDoc();
  }
  // The numbered entries of the lists, in the order printed.
  std::vector<Entry> Entries() const {
    std::vector<Entry> entries;
    for (std::size_t page = 0; page < printer.Pages.size(); ++page)
      for (const CanvasCall& text : Texts(printer.Pages[page])) {
        if (text.Font.Name != "Times New Roman") continue;
        bool isNumber = false;
        text.Text.trimmed().toInt(&isNumber);
        if (isNumber)
          entries.push_back({static_cast<int>(page), (text.Left - kMargin) / kColumn + 1, text, {}});
        else if (!entries.empty())
          entries.back().Lines.push_back(text);
      }
    return entries;
  }
  // The clue numbers of the entries, in the order printed.
  static std::vector<int> Numbers(const std::vector<Entry>& entries) {
    std::vector<int> numbers;
    for (const Entry& entry : entries) numbers.push_back(entry.Number.Text.trimmed().toInt());
    return numbers;
  }
};

TEST_F(PrintPuzzlePage, RuleQuotedTitleAndTheNumberedGridAtTheRight) {
  SetGrid(kSmallGrid);
  Print();
  ASSERT_EQ(printer.Pages.size(), 1u);
  const PrintedPage& page = printer.Pages[0];
  const auto lines = page.Calls.front().What == CanvasCall::Kind::MoveTo ? page.Calls[1] : CanvasCall{};
  EXPECT_EQ((std::array{lines.Left, lines.Top, lines.Right, lines.Bottom}), (std::array{kMargin, kLine, kRight + 2, kLine}));
  EXPECT_EQ(lines.Pen.Width, 4);
  const CanvasCall title = TextCall(page, QString::fromUtf8("\u201CSunday\u201D"));
  EXPECT_EQ(std::pair(title.Left, title.Top), std::pair(kMargin, kLine + 8));
  EXPECT_EQ(title.Font.Name, "Arial");
  EXPECT_EQ(title.Font.Size(), 12);
  EXPECT_EQ(title.Font.Style, fsBold);

  const int cell = CellSize(5);
  const int gridLeft = kRight - 5 * cell;
  std::vector<CanvasCall> rectangles;
  for (const CanvasCall& call : page.Calls)
    if (call.What == CanvasCall::Kind::Rectangle) rectangles.push_back(call);
  ASSERT_EQ(rectangles.size(), 26u);
  EXPECT_EQ((std::array{rectangles[0].Left, rectangles[0].Top, rectangles[0].Right, rectangles[0].Bottom}),
            (std::array{gridLeft - 3, kColumnTop - 2, kRight + 2, kColumnTop + 5 * cell + 3}));
  EXPECT_EQ(rectangles[0].Pen.Width, 2);
  EXPECT_EQ((std::array{rectangles[7].Left, rectangles[7].Top, rectangles[7].Right, rectangles[7].Bottom}),
            (std::array{gridLeft + cell, kColumnTop + cell, gridLeft + 2 * cell + 1, kColumnTop + 2 * cell + 1}));
  EXPECT_EQ(rectangles[7].Brush.Color, clBlack);
  EXPECT_EQ(rectangles[7].Pen.Width, 1);
  // Numbers without letters.
  const CanvasCall two = TextCall(page, "2");
  EXPECT_EQ(std::pair(two.Left, two.Top), std::pair(gridLeft + 2 * cell + 4, kColumnTop + 2));
  EXPECT_FALSE(HasText(page, "A"));
  // The lists: ACROSS at the top of the first column, the numbers ending at the indent.
  const CanvasCall across = TextCall(page, "ACROSS");
  EXPECT_EQ(std::pair(across.Left, across.Top), std::pair(kMargin, kColumnTop));
  EXPECT_EQ(across.Font.Style, fsBold);
  const std::vector<Entry> entries = Entries();
  EXPECT_EQ(Numbers(entries), (std::vector<int>{1, 4, 5, 1, 2, 3}));
  EXPECT_EQ(std::pair(entries[0].Number.Left + 3 * 60, entries[0].Number.Top), std::pair(kMargin + kIndent, kColumnTop + kLine));
  const CanvasCall down = TextCall(page, "DOWN");
  EXPECT_EQ(std::pair(down.Left, down.Top), std::pair(kMargin, kColumnTop + 5 * kLine)) << "after a blank line";
}

TEST_F(PrintPuzzlePage, GridNumbersGetSmallerForLargerGrids) {
  struct Case { int n; int points; };
  for (const Case& c : {Case{5, 7}, Case{11, 9}, Case{13, 9}, Case{15, 9}, Case{17, 7}, Case{21, 7}, Case{23, 6}}) {
    SetGrid(std::string(static_cast<std::size_t>(c.n * c.n), 'A'));
    Print();
    const CanvasCall one = TextCall(printer.Pages[0], "1");
    EXPECT_EQ(one.Font.Size(), c.points) << c.n;
    EXPECT_EQ(one.Font.Name, "Arial") << c.n;
  }
}

TEST_F(PrintPuzzlePage, QuotesBecomeTypographic) {
  SetGrid(kSmallGrid);
  SetClues({"\"a\" \"b\" c's", "\"Again\""});
  Print();
  const std::vector<Entry> entries = Entries();
  ASSERT_EQ(entries[0].Lines.size(), 1u);
  EXPECT_EQ(entries[0].Lines[0].Text, QString::fromUtf8("\u201Ca\u201D \u201Cb\u201D c\u2019s"));
  EXPECT_EQ(entries[0].Lines[0].Left, kMargin + kIndent + 60);
  ASSERT_EQ(entries[3].Lines.size(), 1u);
  EXPECT_EQ(entries[3].Lines[0].Text, QString::fromUtf8("\u201CAgain\u201D")) << "each clue opens again";
}

TEST_F(PrintPuzzlePage, CluesFlowThroughFiveColumnsOntoTheNextPage) {
  const int n = 23;
  SetGrid(std::string(n * n, 'A'));
  SetClues(std::vector<std::string>(2 * n, kSixLines));
  Print();
  ASSERT_EQ(printer.Pages.size(), 2u);
  const std::vector<Entry> entries = Entries();
  std::vector<int> expected;
  for (int i = 1; i <= 2 * n - 1; i += (i == 1 ? 23 : 1)) expected.push_back(i);  // across: 1, 24 to 45
  expected.resize(n);
  for (int i = 1; i <= n; ++i) expected.push_back(i);
  EXPECT_EQ(Numbers(entries), expected);

  const int gridFoot = kColumnTop + n * CellSize(n);
  const int lastLine = 55 * kLine;
  std::pair<int, int> place{0, 1};
  for (const Entry& entry : entries) {
    const std::string label = entry.Number.Text.toStdString() + " on page " + std::to_string(entry.Page + 1);
    // In order, never back.
    const std::pair<int, int> here{entry.Page, entry.Column};
    ASSERT_GE(here, place) << label;
    if (here != place && entry.Column > 1) {
      // Later pages keep the places of the first: beside the grid in the second column, below
      // it from the third. A DOWN heading may come first.
      const int top = entry.Column == 2 ? kColumnTop : gridFoot + kLine;
      EXPECT_TRUE(entry.Number.Top >= top && entry.Number.Top <= top + 2 * kLine && (entry.Number.Top - top) % kLine == 0)
          << label << " at " << entry.Number.Top;
    }
    place = here;
    // A clue is never split, and no line falls below the column's last line.
    ASSERT_FALSE(entry.Lines.empty()) << label;
    for (std::size_t i = 0; i < entry.Lines.size(); ++i) {
      EXPECT_EQ(entry.Lines[i].Left, entry.Number.Left + kIndent + 60) << label;
      EXPECT_EQ(entry.Lines[i].Top, entry.Number.Top + static_cast<int>(i) * kLine) << label;
    }
    EXPECT_LE(entry.Lines.back().Top, lastLine) << label;
    // Narrow beside the grid's place, the full column below it.
    const bool besideGrid = entry.Column == 2 && entry.Number.Top < gridFoot + 3;
    EXPECT_EQ(entry.Lines.size(), besideGrid ? 12u : 6u) << label;
  }
  EXPECT_EQ(entries.back().Page, 1);
  const PrintedPage& second = printer.Pages[1];
  const CanvasCall header = TextCall(second, "Sunday / page 2");
  EXPECT_EQ(std::pair(header.Left, header.Top), std::pair(kMargin, kLine));
  EXPECT_EQ(header.Font.Style, fsBold);
  EXPECT_EQ(KindOf(second), "puzzle");
}

TEST_F(PrintPuzzlePage, PageLengthShortensEveryColumnAndEachPageReadsItsNumber) {
  const int n = 23;
  SetGrid(std::string(n * n, 'A'));
  SetClues(std::vector<std::string>(2 * n, kSixLines));
  XwdProcs->WriteSetting("PageLength", 15);
  Print();
  const int lastLine = (55 - 15) * kLine;
  ASSERT_GE(printer.Pages.size(), 4u);
  for (std::size_t page = 1; page < printer.Pages.size(); ++page)
    EXPECT_TRUE(HasText(printer.Pages[page], QStringLiteral("Sunday / page %1").arg(page + 1))) << page + 1;
  int lowest = 0;
  for (const Entry& entry : Entries()) lowest = std::max(lowest, entry.Lines.back().Top);
  EXPECT_LE(lowest, lastLine);
  EXPECT_GT(lowest, lastLine - 6 * kLine);
}

TEST_F(PrintPuzzlePage, DownStartsTheNextColumnWhenItsHeadingAndTwoLinesDoNotFit) {
  // Across clues of one line fill the first column down to two lines above its foot.
  SetGrid(std::string(5 * 5, 'A'));
  printer.Height = (10 + 2) * kLine;  // ten lines a column: ACROSS and five clues leave too few
  SetClues({"a", "", "b", "", "c", "", "d", "", "e", ""});
  Print();
  const CanvasCall down = TextCall(printer.Pages[0], "DOWN");
  EXPECT_EQ(std::pair(down.Left, down.Top), std::pair(kMargin + kColumn, kColumnTop));
}

}  // namespace
