#include "app/output/GridTransform.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "AppTest.h"
#include "clues/ClueFixture.h"
#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/XwdProcsUnit.h"

namespace {

// The grid of `rows` (see SetGrid) as a record of its own.
TXwdPuzzle Grid(const std::string& rows) {
  SetGrid(rows);
  TXwdPuzzle grid = Puzzle;
  Puzzle = TXwdPuzzle{};
  return grid;
}

// Links every word to the slot of its ordinal, with the clue "clue <ordinal>".
void ClueEveryWord(TXwdPuzzle& p) {
  for (const TWordRef& word : NumberWords(p)) {
    if (word.Ordinal > MaxClues) break;
    WordLink(p, word) = static_cast<std::uint16_t>(word.Ordinal);
    p.SetClue(word.Ordinal, "clue " + std::to_string(word.Ordinal));
  }
}

TXwdPuzzle Transformed(const TXwdPuzzle& old, TTransformMode mode) {
  auto scratch = std::make_unique<TXwdPuzzle>();
  MapGrid(old, mode, *scratch);
  ReattachClues(old, *scratch);
  TXwdPuzzle result = old;
  CopyBack(*scratch, result);
  return result;
}

std::string Row(const TXwdPuzzle& p, int y) {
  std::string row;
  for (int x = 1; x <= p.GridSize; ++x) row += static_cast<char>(p.Solution(x, y));
  return row;
}

std::string WordKey(const TXwdPuzzle& p, const TWordRef& word) {
  return (word.Dir == DirAcross ? "a " : "d ") + GetEntryWord(p, word.X, word.Y, word.Dir == DirAcross ? 'a' : 'd');
}

// Every word that has a clue, by direction and text, with its clue.
std::map<std::string, std::string> CluedWords(const TXwdPuzzle& p) {
  std::map<std::string, std::string> clued;
  for (const TWordRef& word : NumberWords(p))
    if (const std::string clue = p.Clue(WordLink(p, word)); !clue.empty()) clued[WordKey(p, word)] = clue;
  return clued;
}

// After a transform each linked word names the slot of its own ordinal.
void ExpectLinksAreOrdinals(const TXwdPuzzle& p) {
  for (const TWordRef& word : NumberWords(p)) {
    const int link = WordLink(p, word);
    if (link != 0) {
      EXPECT_EQ(link, word.Ordinal) << WordKey(p, word);
    }
  }
}

TEST(GridTransform, MovesEveryCellToItsPlace) {
  const TXwdPuzzle old = Grid(
      "ABCDE"
      "FGHIJ"
      "KLMNO"
      "PQRST"
      "UVWXY");
  struct Case {
    TTransformMode mode;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {tmInvert, {"AFKPU", "BGLQV", "CHMRW", "DINSX", "EJOTY"}},
      {tmRotate, {"UPKFA", "VQLGB", "WRMHC", "XSNID", "YTOJE"}},
      {tmFlip, {"UVWXY", "PQRST", "KLMNO", "FGHIJ", "ABCDE"}},
  };
  for (const Case& c : cases) {
    const TXwdPuzzle after = Transformed(old, c.mode);
    EXPECT_EQ(after.GridSize, 5);
    for (int y = 1; y <= 5; ++y)
      EXPECT_EQ(Row(after, y), c.rows[static_cast<std::size_t>(y - 1)]) << c.mode << " row " << y;
  }
}

TEST(GridTransform, TurnsBackToTheSameGridAndClues) {
  // Every word a palindrome and no word twice, so that every clue survives every mode.
  TXwdPuzzle start = Grid(
      "ABCBA"
      "F#G#H"
      "IJKJI"
      "F#G#H"
      "ARCRA");
  ClueEveryWord(start);
  ASSERT_EQ(CluedWords(start).size(), 6u);
  struct Case {
    TTransformMode mode;
    int times;
  };
  for (const Case c : {Case{tmInvert, 2}, Case{tmFlip, 2}, Case{tmRotate, 4}}) {
    TXwdPuzzle p = start;
    for (int i = 0; i < c.times; ++i) {
      p = Transformed(p, c.mode);
      EXPECT_EQ(CluedWords(p).size(), 6u) << c.mode << " turn " << i + 1;
    }
    EXPECT_EQ(p, start) << c.mode;
  }
  // Any grid at all comes back, letters and black squares.
  const TXwdPuzzle asymmetric = Grid(
      "AB#DE"
      "F#HIJ"
      "KLMN#"
      "#QRST"
      "UV.?Y");
  for (const Case c : {Case{tmInvert, 2}, Case{tmFlip, 2}, Case{tmRotate, 4}}) {
    TXwdPuzzle p = asymmetric;
    for (int i = 0; i < c.times; ++i) p = Transformed(p, c.mode);
    EXPECT_EQ(p.SolutionCells, asymmetric.SolutionCells) << c.mode;
  }
}

TEST(GridTransform, CluesFollowTheWordsThatStillRead) {
  // Down POT and TOP read each other backwards; EAR does not.
  TXwdPuzzle old = Grid(
      "P#T#E"
      "O#O#A"
      "T#P#R"
      "#####"
      "CATS#");
  old.WordIdx(1, 1).Down = 1;
  old.WordIdx(3, 1).Down = 2;
  old.WordIdx(5, 1).Down = 3;
  old.WordIdx(1, 5).Across = 4;
  old.SetClue(1, "Cooking vessel");
  old.SetClue(2, "Summit");
  old.SetClue(3, "Hearing organ");
  old.SetClue(4, "Felines");
  struct Case {
    TTransformMode mode;
    std::map<std::string, std::string> clued;
  };
  const Case cases[] = {
      {tmInvert,
       {{"a POT", "Cooking vessel"}, {"a TOP", "Summit"}, {"a EAR", "Hearing organ"}, {"d CATS", "Felines"}}},
      // Across words turn into down words reading the same; down words into across words
      // reading backwards, so POT and TOP swap places and EAR loses its clue.
      {tmRotate, {{"a POT", "Cooking vessel"}, {"a TOP", "Summit"}, {"d CATS", "Felines"}}},
      {tmFlip, {{"d POT", "Cooking vessel"}, {"d TOP", "Summit"}, {"a CATS", "Felines"}}},
  };
  for (const Case& c : cases) {
    const TXwdPuzzle after = Transformed(old, c.mode);
    EXPECT_EQ(CluedWords(after), c.clued) << c.mode;
    ExpectLinksAreOrdinals(after);
    // Slots that no word took are empty.
    int filled = 0;
    for (int slot = 1; slot <= MaxClues; ++slot) filled += after.Clue(slot).empty() ? 0 : 1;
    EXPECT_EQ(filled, static_cast<int>(c.clued.size())) << c.mode;
  }
}

TEST(GridTransform, LeavesTheSolversLettersTheBylineAndCellsOutsideTheGrid) {
  TXwdPuzzle old = Grid(
      "CAT"
      "A#O"
      "TOP");
  ClueEveryWord(old);
  old.Entries(1, 1) = 'X';
  old.Entries(3, 2) = 'Y';
  old.BylineText.Assign("Ann|4");
  old.Solution(10, 10) = 'Q';
  old.WordIdx(10, 10) = {7, 8};
  const TXwdPuzzle after = Transformed(old, tmRotate);
  EXPECT_EQ(after.EntryCells, old.EntryCells);
  EXPECT_EQ(after.BylineText, old.BylineText);
  EXPECT_EQ(after.Solution(10, 10), 'Q');
  EXPECT_EQ(after.WordIdx(10, 10), (TWordIdxPair{7, 8}));
}

TEST(GridTransform, TakesEachClueFromTheSlotItsWordLinks) {
  // Grid edits left CAT linked to slot 5 and a stale clue in slot 1, CAT's ordinal.
  TXwdPuzzle old = Grid(
      "CAT"
      "###"
      "DOG");
  old.WordIdx(1, 1).Across = 5;
  old.SetClue(5, "Feline");
  old.SetClue(1, "Stale");
  old.WordIdx(1, 3).Across = 2;
  old.SetClue(2, "Canine");
  const TXwdPuzzle after = Transformed(old, tmInvert);
  const std::map<std::string, std::string> expected{{"d CAT", "Feline"}, {"d DOG", "Canine"}};
  EXPECT_EQ(CluedWords(after), expected);
  ExpectLinksAreOrdinals(after);
  for (int slot = 1; slot <= MaxClues; ++slot) EXPECT_NE(after.Clue(slot), "Stale");
}

TEST(GridTransform, NoWordBeyondTheClueSlotsGivesOrTakesAClue) {
  // 256 words of two letters; a block at the top with its own letters, all else E.
  TXwdPuzzle old = Grid(ManyWordsGrid());
  old.Solution(1, 1) = 'Q';
  old.Solution(2, 1) = 'U';
  old.Solution(1, 2) = 'I';
  old.Solution(2, 2) = 'Z';
  ClueEveryWord(old);
  const std::vector<TWordRef> oldWords = NumberWords(old);
  ASSERT_EQ(oldWords.size(), 256u);
  ASSERT_EQ(WordKey(old, oldWords[0]), "a QU");
  // A word beyond the slots with a link from elsewhere gives nothing.
  WordLink(old, oldWords[210]) = 3;
  old.SetClue(3, "Stray");
  WordLink(old, oldWords[2]) = 0;

  // Flipped, the top block lands in the bottom rows, beyond the 179 clue slots.
  const TXwdPuzzle after = Transformed(old, tmFlip);
  const std::vector<TWordRef> newWords = NumberWords(after);
  ASSERT_EQ(newWords.size(), 256u);
  for (const TWordRef& word : newWords) {
    const int link = WordLink(after, word);
    EXPECT_LE(link, MaxClues);
    if (word.Ordinal > MaxClues) {
      EXPECT_EQ(link, 0) << word.Ordinal;
    } else {
      EXPECT_NE(after.Clue(link), "Stray") << word.Ordinal;
    }
  }
  const auto clued = CluedWords(after);
  EXPECT_EQ(clued.count("a QU"), 0u);
  EXPECT_EQ(clued.count("a IZ"), 0u);
  ExpectLinksAreOrdinals(after);
}

TEST(GridTransform, PlaceholdersRepeatedWordsAndEmptyFirstSquares) {
  struct Case {
    const char* name;
    std::string rows;
    std::vector<std::string> clues;  // of the new words, in word order
  };
  const Case cases[] = {
      // Old and new words read a placeholder alike.
      {"placeholder", "C?T###DOG", {"clue 1", "clue 2"}},
      // The first CAT takes one clue, the second the other.
      {"repeated word", "CAT###CAT", {"clue 1", "clue 2"}},
      // A word without its first letter neither gives nor takes a clue.
      {"empty first square", ".AT###DOG", {"", "clue 2"}},
  };
  for (const Case& c : cases) {
    TXwdPuzzle old = Grid(c.rows);
    ClueEveryWord(old);
    const TXwdPuzzle after = Transformed(old, tmInvert);
    std::vector<std::string> clues;
    for (const TWordRef& word : NumberWords(after)) clues.push_back(after.Clue(WordLink(after, word)));
    EXPECT_EQ(clues, c.clues) << c.name;
  }
}

}  // namespace
