#include <gtest/gtest.h>

#include "app/grid/GridLayout.h"
#include "app/puzzle/XwdProcsUnit.h"

namespace {

TEST(GridLayout, SquareSizeFromTheWindowWidth) {
  struct Case { int width, n, square; };
  for (const Case& c : {Case{400, 15, 26}, Case{399, 15, 26}, Case{390, 15, 26}, Case{389, 15, 25}, Case{209, 23, 9},
                        Case{10, 15, MinSquareSize}, Case{0, 15, MinSquareSize}, Case{-50, 15, MinSquareSize}})
    EXPECT_EQ(SquareSizeForWidth(c.width, c.n), c.square) << c.width << " / " << c.n;
  EXPECT_EQ(GridWindowWidth(15, 26), 399);
  EXPECT_EQ(GridWindowHeight(15, 26, 15), 414);
}

TEST(GridLayout, SnappedWidthKeepsItsSquaresFromTenSquaresUp) {
  for (int n = 10; n <= MaxGridSize; ++n)
    for (int s : {4, 17, 30}) EXPECT_EQ(SquareSizeForWidth(GridWindowWidth(n, s), n), s) << n << " " << s;
}

TEST(GridLayout, StoredSquareSizeIsAtLeastTheMinimum) {
  for (int stored : {-3, 0, 1, 3}) EXPECT_EQ(UsableSquareSize(stored), MinSquareSize) << stored;
  EXPECT_EQ(UsableSquareSize(21), 21);
}

TEST(GridLayout, FontScalesWithTheSquaresRoundingHalvesToEven) {
  struct Case { int font, square, defaultSquare, points; };
  for (const Case& c : {Case{11, 20, 20, 11}, Case{11, 40, 20, 22}, Case{11, 30, 20, 16}, Case{11, 10, 20, 6},
                        Case{10, 25, 20, 12}, Case{14, 25, 20, 18}, Case{11, 1, 20, 1}, Case{11, 0, 20, 1},
                        Case{0, 20, 20, 1}, Case{11, 20, 0, 220}, Case{11, 20, -5, 220}})
    EXPECT_EQ(ScaledFontSize(c.font, c.square, c.defaultSquare), c.points)
        << c.font << " x " << c.square << " / " << c.defaultSquare;
}

TEST(GridLayout, PixelsLeftOfOrAboveTheGridHaveNoCell) {
  struct Case { int pixel, cell; };
  for (const Case& c : {Case{0, 1}, Case{9, 1}, Case{10, 2}, Case{-1, 0}, Case{-9, 0}, Case{-10, 0}, Case{65535, 6554}})
    EXPECT_EQ(CellOf(c.pixel, 10), c.cell) << c.pixel;
  EXPECT_EQ(CornerOf(3, 10), 20);
}

TEST(GridLayout, GridCellsLieInOneToN) {
  TXwdPuzzle puzzle;
  puzzle.GridSize = 5;
  EXPECT_TRUE(IsGridCell(puzzle, 1, 1));
  EXPECT_TRUE(IsGridCell(puzzle, 5, 5));
  for (auto [x, y] : {std::pair{0, 1}, {1, 0}, {6, 1}, {1, 6}, {-1, -1}}) EXPECT_FALSE(IsGridCell(puzzle, x, y)) << x << "," << y;
  puzzle.GridSize = 40;
  EXPECT_FALSE(IsGridCell(puzzle, 24, 1)) << "never beyond the record's 23 columns";
}

}  // namespace
