#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "AppTest.h"
#include "app/clues/XwdAutoUnit.h"
#include "app/grid/XwdGridUnit.h"
#include "app/main/XwdMainUnit.h"
#include "app/output/ExportUnit.h"
#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/Colors.h"
#include "platform/gui/Dialogs.h"

namespace {

using namespace platform::gui;

using TransformCommand = AppTest;

std::string WordText(const TXwdPuzzle& p, const TWordRef& word) {
  return GetEntryWord(p, word.X, word.Y, word.Dir == DirAcross ? 'a' : 'd');
}

TEST_F(TransformCommand, InvertKeepsEveryClueOfAFinishedPuzzle) {
  // A filled 15 by 15 grid of 48 different words, each with its clue.
  Puzzle.GridSize = 15;
  for (int x = 1; x <= 15; ++x)
    for (int y = 1; y <= 15; ++y)
      Puzzle.Solution(x, y) = x % 4 == 0 && y % 4 == 0
                                  ? BlackSquare
                                  : static_cast<std::uint8_t>('A' + (3 * x * x + 5 * y + 7 * x * y) % 26);
  const std::vector<TWordRef> oldWords = NumberWords(Puzzle);
  ASSERT_EQ(oldWords.size(), 48u);
  for (const TWordRef& word : oldWords) {
    WordLink(Puzzle, word) = static_cast<std::uint16_t>(word.Ordinal);
    Puzzle.SetClue(word.Ordinal, "Clue of " + WordText(Puzzle, word));
  }
  const TXwdPuzzle old = Puzzle;

  ExportForm->TransformGrid(1);

  const std::vector<TWordRef> newWords = NumberWords(Puzzle);
  ASSERT_EQ(newWords.size(), 48u);
  for (const TWordRef& word : newWords) {
    EXPECT_EQ(WordLink(Puzzle, word), word.Ordinal);
    EXPECT_EQ(Puzzle.Clue(word.Ordinal), "Clue of " + WordText(Puzzle, word));
    // The word is the old word of the other direction at the mirrored square.
    EXPECT_EQ(WordText(Puzzle, word), GetEntryWord(old, word.Y, word.X, word.Dir == DirAcross ? 'd' : 'a'));
  }
}

class TransformMenu : public AppTest {
 protected:
  // Opens for constructing a 5 by 5 puzzle with one black square at the top left.
  void Open() {
    Puzzle.BylineText.Assign("Ann|0");
    XwdProcs->WriteSetting("ScreenSquare", 10);
    path_ = WritePuzzle("turn.xwd",
                        "#CAT."
                        "....."
                        "....."
                        "....."
                        ".....");
    XwdMainForm->SetCommandLine({path_, "-C"});
    XwdMainForm->Show();
  }
  static QRgb Centre(int x, int y) {
    const int s = SquareSize;
    return XwdGridForm->BackBuffer().pixel((x - 1) * s + s / 2, (y - 1) * s + s / 2);
  }
  static QRgb Rgb(TColor color) { return ToQColor(color).rgb(); }

  QString path_;
};

TEST_F(TransformMenu, NoChangesNothing) {
  Open();
  const TXwdPuzzle before = Puzzle;
  dialogs.ExpectMessage(mrNo);
  XwdMainForm->Rotate1->trigger();
  EXPECT_EQ(dialogs.Log().back().Text, "Some definition may be lost in transformation. Rotate?");
  EXPECT_EQ(Puzzle, before);
  EXPECT_EQ(PuzzleModified, 0);
}

TEST_F(TransformMenu, YesTurnsTheGridShowsItAndSavesIt) {
  Open();
  XwdGridForm->Direction = DirAcross;
  dialogs.ExpectMessage(mrYes);
  XwdMainForm->Rotate1->trigger();
  // A quarter turn clockwise: the top-left square goes to the top right.
  EXPECT_EQ(Puzzle.Solution(5, 1), BlackSquare);
  EXPECT_EQ(Puzzle.Solution(5, 2), 'C');
  EXPECT_EQ(Puzzle.Solution(1, 1), EmptySquare);
  EXPECT_EQ(XwdGridForm->Direction, 0);
  EXPECT_EQ(PuzzleModified, 1);
  EXPECT_EQ(Centre(5, 1), Rgb(clBlack));
  EXPECT_EQ(Centre(1, 1), Rgb(clWhite));

  XwdMainForm->Save1->trigger();
  EXPECT_EQ(PuzzleModified, 0);
  const TXwdPuzzle turned = Puzzle;
  Puzzle = TXwdPuzzle{};
  XwdProcs->LoadPuzzle(path_);
  EXPECT_EQ(Puzzle, turned);
}

TEST_F(TransformMenu, YesClosesAutoclueWhoseWordHasMoved) {
  Open();
  dialogs.ExpectMessage(mrYes);  // the grid is not finished: start Autoclue anyway
  XwdMainForm->AutoclueBtn->click();
  ASSERT_TRUE(AutoclueForm->Visible());
  dialogs.ExpectMessage(mrNo);
  XwdMainForm->Invert1->trigger();
  EXPECT_TRUE(AutoclueForm->Visible());
  dialogs.ExpectMessage(mrYes);
  XwdMainForm->Invert1->trigger();
  EXPECT_FALSE(AutoclueForm->Visible());
}

}  // namespace
