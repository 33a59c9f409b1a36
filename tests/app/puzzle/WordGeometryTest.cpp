#include "app/puzzle/WordGeometry.h"

#include <gtest/gtest.h>

#include "AppTest.h"
#include "app/puzzle/XwdProcsUnit.h"

namespace {

using WordGeometry = AppTest;

TEST_F(WordGeometry, NumbersAcrossBeforeDownWithOneNumberPerStartCell) {
  SetGrid(
      "...#."
      ".#..."
      "....."
      "..#.#"
      "#...#");
  const std::vector<TWordRef> expected = {
      {1, 1, DirAcross, 1, 1}, {1, 1, DirDown, 2, 1}, {3, 1, DirDown, 3, 2},
      {5, 1, DirDown, 4, 3},   {3, 2, DirAcross, 5, 4}, {4, 2, DirDown, 6, 5},
      {1, 3, DirAcross, 7, 6}, {2, 3, DirDown, 8, 7}, {1, 4, DirAcross, 9, 8},
      {2, 5, DirAcross, 10, 9},
  };
  EXPECT_EQ(NumberWords(Puzzle), expected);
}

TEST_F(WordGeometry, EmptyAndAllBlackGridsHaveNoWords) {
  Puzzle.GridSize = 0;
  EXPECT_TRUE(NumberWords(Puzzle).empty());
  SetGrid("####");
  EXPECT_TRUE(NumberWords(Puzzle).empty());
}

TEST_F(WordGeometry, WordLinkIsTheMemberOfTheStartCell) {
  SetGrid("....");
  Puzzle.WordIdx(1, 1) = {7, 9};
  const std::vector<TWordRef> words = NumberWords(Puzzle);
  ASSERT_EQ(words.size(), 4u);
  EXPECT_EQ(WordLink(Puzzle, words[0]), 7);
  EXPECT_EQ(WordLink(Puzzle, words[1]), 9);
  WordLink(Puzzle, words[1]) = 3;
  EXPECT_EQ(Puzzle.WordIdx(1, 1).Down, 3);
}

}  // namespace
