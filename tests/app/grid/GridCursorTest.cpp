#include <gtest/gtest.h>

#include "AppTest.h"
#include "app/grid/GridCursor.h"
#include "app/puzzle/XwdProcsUnit.h"

namespace {

constexpr int S = 10;

class GridCursor : public ::testing::Test {
 protected:
  void SetUp() override { Puzzle = TXwdPuzzle{}; }
  void TearDown() override { Puzzle = TXwdPuzzle{}; }

  // The point at the middle of a cell, offset as a click inside it would be.
  static TGridPoint In(int x, int y) { return {(x - 1) * S + 3, (y - 1) * S + 6}; }
};

TEST_F(GridCursor, PacksTwoSixteenBitHalves) {
  EXPECT_EQ(PackCursor(0x1234, 0x0056), 0x00561234u);
  EXPECT_EQ(UnpackCursor(0x00561234u), (TGridPoint{0x1234, 0x56}));
  // A step back from column 1 wraps and the step forward returns exactly.
  const std::uint32_t start = PackCursor(3, 7);
  const std::uint32_t back = MoveCursor(start, -S, 0);
  EXPECT_EQ(UnpackCursor(back).X, 65536 + 3 - S);
  EXPECT_EQ(MoveCursor(back, S, 0), start);
  EXPECT_EQ(MoveCursor(MoveCursor(start, 0, -S), 0, S), start);
}

TEST_F(GridCursor, ArrowsJumpOverBlackSquaresAndStayWhenNothingLiesBeyond) {
  SetGrid(
      "A.#B#"
      ".#.#."
      "##..."
      "....#"
      "#...#");
  struct Case {
    TGridPoint from;
    int dx, dy;
    std::optional<TGridPoint> to;
  };
  const std::vector<Case> cases = {
      {In(2, 1), 1, 0, In(4, 1)},        // over one black square
      {In(4, 1), 1, 0, In(4, 1)},        // only black beyond: back to the start
      {In(4, 1), -1, 0, In(2, 1)},
      {In(1, 1), -1, 0, std::nullopt},   // column 1
      {In(5, 2), 1, 0, std::nullopt},    // column N
      {In(3, 2), -1, 0, In(1, 2)},
      {In(3, 3), -1, 0, In(3, 3)},       // two black squares to the edge
      {In(1, 2), 0, 1, In(1, 4)},        // down over one black square
      {In(1, 4), 0, 1, In(1, 4)},        // black in the last row: back up
      {In(2, 3 + 2), 0, -1, In(2, 4)},
      {In(2, 4), 0, -1, In(2, 1)},       // over two black squares
      {In(3, 1), 0, -1, std::nullopt},   // row 1
      {In(4, 5), 0, 1, std::nullopt},    // row N
  };
  for (const Case& c : cases) {
    const auto to = ArrowTarget(Puzzle, S, c.from, c.dx, c.dy);
    EXPECT_EQ(to.has_value(), c.to.has_value()) << c.from.X << "," << c.from.Y << " by " << c.dx << "," << c.dy;
    if (to && c.to) {
      EXPECT_EQ(to->X, c.to->X) << c.from.X << "," << c.from.Y << " by " << c.dx << "," << c.dy;
      EXPECT_EQ(to->Y, c.to->Y) << c.from.X << "," << c.from.Y << " by " << c.dx << "," << c.dy;
    }
  }
}

}  // namespace
