#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>

#include "PrintTest.h"
#include "app/output/GridPagePrint.h"
#include "platform/gui/FontStyle.h"

namespace {

using namespace platform::gui;
using testing_support::CanvasCall;
using testing_support::PrintedPage;

// Numbered squares: 1 (A), 2 (C), 3 (E), 4 (I), 5 (Q); four black squares; an empty square and
// a placeholder in the last row.
constexpr const char* kSmallGrid =
    "ABCDE"
    "F#G#H"
    "IJKLM"
    "N#O#P"
    "Q.S?W";

class PrintGridPage : public PrintTest {
 protected:
  const PrintedPage& Print(int kind, TColor squareColor = clBlack) {
    TPrintLayout layout = Layout();
    layout.SquareColor = squareColor;
    printer.Pages.clear();
    ::PrintGridPage(printer, layout, kind);
    printer.EndDoc();
    return printer.Pages.back();
  }
  static std::vector<CanvasCall> Rectangles(const PrintedPage& page) {
    std::vector<CanvasCall> rectangles;
    for (const CanvasCall& call : page.Calls)
      if (call.What == CanvasCall::Kind::Rectangle) rectangles.push_back(call);
    return rectangles;
  }
  // The texts drawn after the page header.
  static std::vector<CanvasCall> CellTexts(const PrintedPage& page) {
    std::vector<CanvasCall> texts = Texts(page);
    texts.erase(texts.begin(), texts.begin() + 2);
    return texts;
  }
};

// A 15 by 15 grid on a page 5100 pixels wide: squares of 199 pixels, 2985 in all, from 1057.
TEST_F(PrintGridPage, TheGridIsLargeAndCentredBelowTheMiddle) {
  SetGrid(std::string(15 * 15, 'A'));
  const PrintedPage& page = Print(2);
  const auto rectangles = Rectangles(page);
  ASSERT_EQ(rectangles.size(), 1u + 225u);
  const int top = (6600 - 2985) / 2 + 2 * 199;
  const CanvasCall& frame = rectangles[0];
  EXPECT_EQ((std::array{frame.Left, frame.Top, frame.Right, frame.Bottom}),
            (std::array{1057 - 3, top - 3, 1057 + 2985 + 4, top + 2985 + 4}));
  EXPECT_EQ(frame.Pen.Width, 4);
  EXPECT_EQ(frame.Brush.Color, clWhite);
  const CanvasCall& first = rectangles[1];
  EXPECT_EQ((std::array{first.Left, first.Top, first.Right, first.Bottom}), (std::array{1057, top, 1257, top + 200}));
  EXPECT_EQ(first.Pen.Width, 1);
  // Neighbours share their border line.
  EXPECT_EQ(rectangles[2].Left, first.Right - 1);
  EXPECT_EQ(rectangles[16].Top, first.Bottom - 1);
  const CanvasCall& last = rectangles.back();
  EXPECT_EQ((std::array{last.Right, last.Bottom}), (std::array{1057 + 2985 + 1, top + 2985 + 1}));
}

TEST_F(PrintGridPage, HeaderHasTitleAndPageNumberOnly) {
  SetGrid(kSmallGrid);
  const auto texts = Texts(Print(1));
  EXPECT_EQ(texts[0].Text, "Sunday");
  EXPECT_EQ(texts[0].Font.Name, "Courier New");
  EXPECT_EQ(std::pair(texts[1].Left, texts[1].Text), std::pair(63 * 60, QString("Page 1")));
  EXPECT_EQ(texts[2].Font.Name, "Arial") << "the cells come next";
}

TEST_F(PrintGridPage, EachKindShowsItsNumbersAndLetters) {
  SetGrid(kSmallGrid);
  const int size = 5100 / 26 + 3;  // 199
  const int left = (5100 - 5 * size) / 2;
  const int top = (6600 - 5 * size) / 2 + 2 * size;
  const auto cell = [&](int x, int y) { return std::pair(left + (x - 1) * size, top + (y - 1) * size); };
  struct Drawn { int x, y; QString text; int dx, dy; int points; };
  const auto check = [&](int kind, const std::vector<Drawn>& expected, int style) {
    const auto texts = CellTexts(Print(kind));
    ASSERT_EQ(texts.size(), expected.size()) << "kind " << kind;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const Drawn& e = expected[i];
      const auto [cellX, cellY] = cell(e.x, e.y);
      EXPECT_EQ(texts[i].Text, e.text) << "kind " << kind << " #" << i;
      EXPECT_EQ(std::pair(texts[i].Left, texts[i].Top), std::pair(cellX + e.dx, cellY + e.dy))
          << "kind " << kind << " " << e.text.toStdString();
      EXPECT_EQ(texts[i].Font.Size(), e.points) << "kind " << kind << " " << e.text.toStdString();
      EXPECT_EQ(texts[i].Font.Style, style) << "kind " << kind;
    }
  };
  // Kind 1: the number at the top left in 8 points, the letter at the bottom right in 12, by
  // the width of "M" with "I" 4 pixels right and "M" 2, "W" 3 pixels left of the others.
  const int dx = size - 60 - 9, dy = size - 113 - 2;
  std::vector<Drawn> kind1;
  const char* cells = kSmallGrid;
  const std::map<std::pair<int, int>, int> numbers = {{{1, 1}, 1}, {{3, 1}, 2}, {{5, 1}, 3}, {{1, 3}, 4}, {{1, 5}, 5}};
  const std::map<char, int> nudge = {{'I', 4}, {'M', -2}, {'W', -3}};
  for (int y = 1; y <= 5; ++y)
    for (int x = 1; x <= 5; ++x) {
      const char c = cells[(y - 1) * 5 + (x - 1)];
      if (c == '#') continue;
      if (numbers.count({x, y})) kind1.push_back({x, y, QString::number(numbers.at({x, y})), 5, 3, 8});
      if (c == '.') continue;
      const int n = nudge.count(c) ? nudge.at(c) : 0;
      kind1.push_back({x, y, QString(QChar(c == '?' ? ' ' : c)), dx + n, dy, 12});
    }
  check(1, kind1, 0);
  // Kind 2: numbers only, in 9 points.
  std::vector<Drawn> kind2;
  for (const auto& [at, number] : numbers) kind2.push_back({at.first, at.second, QString::number(number), 5, 4, 9});
  std::sort(kind2.begin(), kind2.end(), [](const Drawn& a, const Drawn& b) { return std::pair(a.y, a.x) < std::pair(b.y, b.x); });
  check(2, kind2, 0);
  // Kind 3: letters centred, bold, as high as the square less 14 pixels; empty squares stay
  // empty, a placeholder prints a blank.
  const auto texts = CellTexts(Print(3));
  ASSERT_EQ(texts.size(), 20u);
  EXPECT_EQ(texts[0].Font.Height(), size - 14);
  EXPECT_EQ(texts[0].Font.Style, fsBold);
  EXPECT_EQ(std::pair(texts[0].Left, texts[0].Top), std::pair(cell(1, 1).first + (size - 60) / 2, cell(1, 1).second + (size - 113) / 2));
  EXPECT_EQ(texts.back().Text, "W");
  EXPECT_EQ(texts[texts.size() - 2].Text, " ");
}

TEST_F(PrintGridPage, GraySquaresFillOnlyTheBlackSquares) {
  SetGrid(kSmallGrid);
  for (int kind : {1, 2, 3}) {
    int gray = 0;
    for (const CanvasCall& r : Rectangles(Print(kind, 0xC0C0C0))) {
      EXPECT_EQ(r.Pen.Color, clBlack) << "kind " << kind;
      if (r.Brush.Color == TColor(0xC0C0C0))
        ++gray;
      else
        EXPECT_EQ(r.Brush.Color, clWhite);
    }
    EXPECT_EQ(gray, 4) << "kind " << kind;
  }
}

}  // namespace
