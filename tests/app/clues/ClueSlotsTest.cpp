#include "app/clues/ClueSlots.h"

#include <gtest/gtest.h>

#include "AppTest.h"
#include "clues/ClueFixture.h"

namespace {

class ClueSlots : public ::testing::Test {
 protected:
  void SetUp() override {
    Puzzle = TXwdPuzzle{};
    SetGrid(kFourWords);
  }
  static TWordRef Word(int ordinal) { return NumberWords(Puzzle).at(static_cast<std::size_t>(ordinal - 1)); }
};

TEST_F(ClueSlots, LinkedWordShowsItsOwnClueWhateverItsOrdinal) {
  LinkClue(1, 1, 'a', 4, "Felines");
  LinkClue(1, 3, 'a', 1, "Engrossed");
  EXPECT_EQ(ClueSlotOf(Puzzle, Word(1)), (TClueSlot{4, "Felines"}));
  EXPECT_EQ(ClueSlotOf(Puzzle, Word(4)), (TClueSlot{1, "Engrossed"}));
}

TEST_F(ClueSlots, UnlinkedWordTakesItsOrdinalSlotWhenNoCellNamesIt) {
  Puzzle.SetClue(2, "left by an earlier numbering");
  EXPECT_EQ(ClueSlotOf(Puzzle, Word(2)), (TClueSlot{2, "left by an earlier numbering"}));
  EXPECT_EQ(ClueSlotOf(Puzzle, Word(3)), (TClueSlot{3, ""}));
}

TEST_F(ClueSlots, UnlinkedWordTakesTheLowestFreeSlotWhenItsOwnIsTaken) {
  LinkClue(1, 1, 'a', 2, "Felines");
  LinkClue(1, 3, 'a', 1, "Engrossed");
  EXPECT_EQ(ClueSlotOf(Puzzle, Word(2)), (TClueSlot{3, ""}));
}

TEST_F(ClueSlots, ALinkOfACellThatNoLongerStartsAWordStillHoldsItsSlot) {
  Puzzle.WordIdx(2, 1).Across = 3;  // (2, 1) starts no word
  Puzzle.SetClue(3, "kept for later");
  Puzzle.WordIdx(1, 1).Across = 1;
  Puzzle.WordIdx(1, 1).Down = 2;
  EXPECT_EQ(ClueSlotOf(Puzzle, Word(3)).Slot, 4);
}

TEST_F(ClueSlots, LinksOutsideTheSlotsCountAsNone) {
  Puzzle.WordIdx(1, 1).Across = 180;
  EXPECT_EQ(LinkedSlot(Puzzle, Word(1)), 0);
  EXPECT_EQ(ClueSlotOf(Puzzle, Word(1)), (TClueSlot{1, ""}));
}

TEST_F(ClueSlots, NoSlotBeyondTheWordLimitOrWhenAllAreTaken) {
  SetGrid(ManyWordsGrid());
  const auto words = NumberWords(Puzzle);
  ASSERT_GT(words.size(), 180u);
  WordLink(Puzzle, words[179]) = 5;
  EXPECT_EQ(ClueSlotOf(Puzzle, words[179]), TClueSlot{}) << "ordinal 180";
  for (int i = 0; i < MaxClues; ++i) WordLink(Puzzle, words[static_cast<std::size_t>(i)]) = static_cast<std::uint16_t>(i + 1);
  WordLink(Puzzle, words[5]) = 0;
  WordLink(Puzzle, words[7]) = 6;  // two words share a slot, so one slot is left without a word
  EXPECT_EQ(ClueSlotOf(Puzzle, words[5]).Slot, 8);
  Puzzle.WordIdx(3, 3).Down = 8;
  EXPECT_EQ(ClueSlotOf(Puzzle, words[5]), TClueSlot{}) << "every slot is named";
}

}  // namespace
