#include <gtest/gtest.h>

#include "AppTest.h"
#include "app/grid/GridDesign.h"
#include "app/puzzle/XwdProcsUnit.h"

namespace {

class GridDesign : public ::testing::Test {
 protected:
  void SetUp() override { Puzzle = TXwdPuzzle{}; }
  void TearDown() override { Puzzle = TXwdPuzzle{}; }

  // Every cell that is black, in column order.
  static std::vector<TGridCell> Blacks() {
    std::vector<TGridCell> found;
    for (int x = 1; x <= Puzzle.GridSize; ++x)
      for (int y = 1; y <= Puzzle.GridSize; ++y)
        if (Puzzle.Solution(x, y) == BlackSquare) found.push_back({x, y});
    return found;
  }
};

TEST_F(GridDesign, SymmetryPaintsHalfTurnPairs) {
  struct Case { bool symmetric; bool clear; TGridCell cell; std::vector<TGridCell> changed; };
  const std::vector<Case> cases = {
      {true, false, {1, 1}, {{1, 1}, {15, 15}}},
      {true, false, {3, 12}, {{3, 12}, {13, 4}}},
      {true, true, {8, 8}, {{8, 8}}},  // the centre is its own partner
      {false, false, {1, 1}, {{1, 1}}},
      {true, false, {16, 1}, {}},
      {true, false, {0, 4}, {}},
  };
  for (const Case& c : cases) {
    Puzzle = TXwdPuzzle{};
    Puzzle.GridSize = 15;
    // A full grid of letters, so that a clear is seen.
    Puzzle.SolutionCells.fill('E');
    const auto changed = SetSquare(Puzzle, c.cell.X, c.cell.Y, c.clear, c.symmetric);
    EXPECT_EQ(changed, c.changed) << c.cell.X << "," << c.cell.Y;
    for (const TGridCell& cell : c.changed)
      EXPECT_EQ(Puzzle.Solution(cell.X, cell.Y), c.clear ? EmptySquare : BlackSquare) << cell.X << "," << cell.Y;
    int changedCount = 0;
    for (std::uint8_t v : Puzzle.SolutionCells) changedCount += v != 'E';
    EXPECT_EQ(changedCount, static_cast<int>(c.changed.size()));
  }
}

TEST_F(GridDesign, ReplacesWhateverTheSquareHeldAndLeavesEntries) {
  SetGrid("A?#"
          "..."
          "...");
  Puzzle.Entries(1, 1) = 'Q';
  SetSquare(Puzzle, 1, 1, false, false);
  SetSquare(Puzzle, 2, 1, false, false);
  SetSquare(Puzzle, 3, 1, true, false);
  EXPECT_EQ(Blacks(), (std::vector<TGridCell>{{1, 1}, {2, 1}}));
  EXPECT_EQ(Puzzle.Solution(3, 1), EmptySquare);
  EXPECT_EQ(Puzzle.Entries(1, 1), 'Q');
  SetSquare(Puzzle, 1, 1, false, false);
  EXPECT_EQ(Puzzle.Solution(1, 1), BlackSquare) << "black stays black";
}

TEST_F(GridDesign, DropsTheCluesTheSquareLinksAndOnlyThose) {
  Puzzle.GridSize = 15;
  for (int slot : {5, 7, 12, 179}) Puzzle.SetClue(slot, "clue " + std::to_string(slot));
  Puzzle.WordIdx(1, 1) = {12, 5};
  Puzzle.WordIdx(15, 15) = {179, 0};
  Puzzle.WordIdx(2, 1) = {0, 7};
  SetSquare(Puzzle, 1, 1, false, true);
  EXPECT_EQ(Puzzle.WordIdx(1, 1), (TWordIdxPair{0, 0}));
  EXPECT_EQ(Puzzle.WordIdx(15, 15), (TWordIdxPair{0, 0}));
  for (int slot : {5, 12, 179}) {
    EXPECT_EQ(Puzzle.Clue(slot), "") << slot;
    EXPECT_EQ(Puzzle.Clues[static_cast<std::size_t>(slot - 1)].Length, 0) << slot;
  }
  EXPECT_EQ(Puzzle.Clue(7), "clue 7") << "a neighbour's link stays";
  EXPECT_EQ(Puzzle.WordIdx(2, 1), (TWordIdxPair{0, 7}));

  // Clearing the square again drops links given to it since.
  Puzzle.WordIdx(1, 1).Across = 7;
  SetSquare(Puzzle, 1, 1, true, false);
  EXPECT_EQ(Puzzle.Clue(7), "");
  EXPECT_EQ(Puzzle.WordIdx(1, 1).Across, 0);
}

TEST_F(GridDesign, LinksThatNameNoSlotAreZeroedWithoutTouchingTheRecord) {
  Puzzle.GridSize = 5;
  Puzzle.BylineText.Assign("Ann|4");
  for (int slot = 1; slot <= MaxClues; ++slot) Puzzle.SetClue(slot, "kept");
  Puzzle.WordIdx(2, 2) = {180, 65535};
  const TXwdPuzzle before = Puzzle;
  SetSquare(Puzzle, 2, 2, false, false);
  EXPECT_EQ(Puzzle.WordIdx(2, 2), (TWordIdxPair{0, 0}));
  EXPECT_EQ(Puzzle.Clues, before.Clues);
  EXPECT_EQ(Puzzle.BylineText, before.BylineText);
}

}  // namespace
