#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QMouseEvent>

#include "GridFixture.h"
#include "app/clues/XwdAutoUnit.h"
#include "app/grid/XwdClueUnit.h"
#include "app/main/XwdMainUnit.h"
#include "app/puzzle/WordGeometry.h"

namespace {

using namespace platform::gui;

// A mouse event delivered to the grid window as the window system would.
void SendMouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMouseEvent event(type, QPointF(at), XwdGridForm->mapToGlobal(QPointF(at)), button, buttons, modifiers);
  QCoreApplication::sendEvent(XwdGridForm, &event);
}

QPoint Middle(int x, int y) { return {(x - 1) * SquareSize + SquareSize / 2, (y - 1) * SquareSize + SquareSize / 2}; }



TEST_F(GridWindow, ClicksSetSquaresInHalfTurnPairs) {
  Open(kEmpty15, emSquares);
  SendMouse(QEvent::MouseButtonPress, Middle(1, 1), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(Puzzle.Solution(1, 1), BlackSquare);
  EXPECT_EQ(Puzzle.Solution(15, 15), BlackSquare);
  EXPECT_EQ(Centre(1, 1), Rgb(clBlack));
  EXPECT_EQ(Centre(15, 15), Rgb(clBlack));
  EXPECT_EQ(PuzzleModified, 1);

  SendMouse(QEvent::MouseButtonPress, Middle(15, 15), Qt::RightButton, Qt::RightButton);
  EXPECT_EQ(Puzzle.Solution(1, 1), EmptySquare);
  EXPECT_EQ(Puzzle.Solution(15, 15), EmptySquare);
  EXPECT_EQ(Centre(1, 1), Rgb(clWhite));

  // The centre square is its own partner; the middle button counts as the right one.
  Puzzle.Solution(8, 8) = 'E';
  SendMouse(QEvent::MouseButtonPress, Middle(8, 8), Qt::MiddleButton, Qt::MiddleButton);
  EXPECT_EQ(Puzzle.Solution(8, 8), EmptySquare);

  XwdGridForm->SymmetryOn = 0;
  SendMouse(QEvent::MouseButtonPress, Middle(2, 3), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(Puzzle.Solution(2, 3), BlackSquare);
  EXPECT_EQ(Puzzle.Solution(14, 13), EmptySquare);
}

TEST_F(GridWindow, ToggleDropsTheSquaresClueLinks) {
  Open(kEmpty5, emSquares);
  Puzzle.SetClue(12, "twelve");
  Puzzle.SetClue(3, "three");
  Puzzle.WordIdx(1, 1).Across = 12;
  Puzzle.WordIdx(5, 5).Down = 3;
  XwdGridForm->ToggleSquare(5, 5, false);
  EXPECT_EQ(Puzzle.Clue(12), "");
  EXPECT_EQ(Puzzle.Clue(3), "");
  EXPECT_EQ(Puzzle.WordIdx(1, 1), (TWordIdxPair{0, 0}));
  EXPECT_EQ(Puzzle.WordIdx(5, 5), (TWordIdxPair{0, 0}));
}

TEST_F(GridWindow, AClickOutsideTheGridStillMarksThePuzzleChanged) {
  Open("...."
       "...."
       "...."
       "....",
       emSquares);
  const TXwdPuzzle before = Puzzle;
  XwdGridForm->ToggleSquare(45, 5, false);
  XwdGridForm->ToggleSquare(-3, 5, false);
  EXPECT_EQ(Puzzle, before);
  EXPECT_EQ(PuzzleModified, 1);
}

TEST_F(GridWindow, DragPaintsOnlyWithOneButtonAndNoKeys) {
  struct Case {
    const char* name;
    TShiftState shift;
    std::uint8_t mode;
    std::uint8_t expected;
  };
  for (const Case& c : {Case{"left", ssLeft, emSquares, BlackSquare}, Case{"right", ssRight, emSquares, EmptySquare},
                        Case{"both", ssLeft | ssRight, emSquares, 'E'}, Case{"shift", ssLeft | ssShift, emSquares, 'E'},
                        Case{"ctrl", ssLeft | ssCtrl, emSquares, 'E'}, Case{"alt", ssRight | ssAlt, emSquares, 'E'},
                        Case{"middle", ssMiddle, emSquares, 'E'}, Case{"none", 0, emSquares, 'E'},
                        Case{"letters", ssLeft, emLetters, 'E'}, Case{"solve", ssLeft, emSolve, 'E'}}) {
    Open("EEEEE"
         "EEEEE"
         "EEEEE"
         "EEEEE"
         "EEEEE",
         c.mode);
    XwdGridForm->SymmetryOn = 0;
    for (int x = 1; x <= 5; ++x) XwdGridForm->FormMouseMove(c.shift, Middle(x, 2).x(), Middle(x, 2).y());
    for (int x = 1; x <= 5; ++x) EXPECT_EQ(Puzzle.Solution(x, 2), c.expected) << c.name << " column " << x;
    XwdGridForm->Hide();
  }
}

TEST_F(GridWindow, DragLeftOfOrAboveTheGridChangesNothing) {
  Open("EEEE"
       "EEEE"
       "EEEE"
       "EEEE",
       emSquares);
  for (QPoint at : {QPoint(-3, 5), QPoint(5, -3), QPoint(-9, -9), QPoint(-1, 35)})
    XwdGridForm->FormMouseMove(ssLeft, at.x(), at.y());
  for (std::uint8_t cell : Puzzle.SolutionCells) EXPECT_NE(cell, BlackSquare);

  // A real drag: Qt keeps delivering moves to the window that had the press.
  SendMouse(QEvent::MouseButtonPress, Middle(2, 2), Qt::LeftButton, Qt::LeftButton);
  SendMouse(QEvent::MouseMove, QPoint(-4, 15), Qt::NoButton, Qt::LeftButton);
  SendMouse(QEvent::MouseMove, Middle(3, 2), Qt::NoButton, Qt::LeftButton);
  SendMouse(QEvent::MouseMove, Middle(3, 3), Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(Puzzle.Solution(1, 2), 'E');
  EXPECT_EQ(Puzzle.Solution(2, 2), BlackSquare);
  EXPECT_EQ(Puzzle.Solution(3, 2), BlackSquare);
  EXPECT_EQ(Puzzle.Solution(3, 3), BlackSquare) << "the partner of (2, 2)";
  EXPECT_EQ(Puzzle.Solution(2, 3), BlackSquare) << "the partner of (3, 2)";
  EXPECT_EQ(Puzzle.Solution(2, 4), 'E');
}

TEST_F(GridWindow, ButtonsChooseTheDirectionAndSwapButtonsExchangesThem) {
  Open(kEmpty5, emLetters);
  struct Case { Qt::MouseButton button; std::uint8_t swap; int direction; };
  for (const Case& c : {Case{Qt::LeftButton, 0, 1}, Case{Qt::RightButton, 0, 2}, Case{Qt::MiddleButton, 0, 2},
                        Case{Qt::LeftButton, 1, 2}, Case{Qt::RightButton, 1, 1}}) {
    XwdGridForm->SwapButtons = c.swap;
    SendMouse(QEvent::MouseButtonPress, Middle(3, 4) + QPoint(1, 2), c.button, c.button);
    EXPECT_EQ(XwdGridForm->Direction, c.direction) << c.button << " swap " << int(c.swap);
    EXPECT_EQ(XwdGridForm->CursorPos, static_cast<std::uint32_t>((Middle(3, 4).y() + 2) << 16 | (Middle(3, 4).x() + 1)))
        << "the clicked point itself";
  }
}

TEST_F(GridWindow, ClickOnABlackSquareEndsTheSelection) {
  Open("..#"
       "..."
       "...",
       emLetters);
  Click(1, 1);
  ASSERT_EQ(XwdGridForm->Direction, 1);
  Click(3, 1);
  EXPECT_EQ(XwdGridForm->Direction, 0);
  EXPECT_EQ(Centre(1, 1), Rgb(clWhite));
  Click(2, 2);
  XwdGridForm->SelectWordAt(-2, 5, false);
  EXPECT_EQ(XwdGridForm->Direction, 0);
}

class GridSolving : public GridWindow {
 protected:
  // A grid with slots that no longer match the word order, as after an edit of the grid:
  //   1 2 3 . .      words in order: 1A (1,1) ordinal 1, 1D ordinal 2, 2D (2,1) 3, 3D (3,1) 4,
  //   4 . . . .      4A (1,2) 5 ...
  void OpenPuzzle() {
    Open("...##"
         "....."
         "....."
         "....."
         ".....",
         emSolve);
    words = NumberWords(Puzzle);
    for (const TWordRef& word : words) {
      CluesForm->ClueList->addItem(QString("line %1").arg(word.Ordinal));
      // Slots run backwards from 30, so no slot equals its word's ordinal.
      WordLink(Puzzle, word) = static_cast<std::uint16_t>(30 - word.Ordinal);
    }
  }
  std::vector<TWordRef> words;
};

TEST_F(GridSolving, ClickSelectsTheClueLineOfTheWordsOrdinal) {
  OpenPuzzle();
  const TWordRef across2 = *std::find_if(words.begin(), words.end(), [](const TWordRef& w) { return w.X == 1 && w.Y == 2 && w.Dir == DirAcross; });
  Click(3, 2);
  EXPECT_EQ(XwdGridForm->Direction, 1);
  for (int x : {1, 2}) EXPECT_EQ(Centre(x, 2), Rgb(clWhite)) << x;
  for (int x : {3, 4, 5}) EXPECT_EQ(Centre(x, 2), Rgb(clYellow)) << x;
  EXPECT_EQ(CluesForm->ItemIndex(), across2.Ordinal - 1);
  EXPECT_EQ(XwdMainForm->ModeLabel->text(), "Across Clue");
  EXPECT_EQ(XwdMainForm->DataMemo->toPlainText(), QString("line %1").arg(across2.Ordinal));

  Click(3, 4, true);
  const TWordRef down3 = *std::find_if(words.begin(), words.end(), [](const TWordRef& w) { return w.X == 3 && w.Y == 1 && w.Dir == DirDown; });
  EXPECT_EQ(CluesForm->ItemIndex(), down3.Ordinal - 1);
  EXPECT_EQ(XwdMainForm->ModeLabel->text(), "Down Clue");
}

TEST_F(GridSolving, WordWithoutAClueSelectsNoLine) {
  OpenPuzzle();
  Puzzle.WordIdx(1, 3).Across = 0;
  Click(2, 2);
  ASSERT_GE(CluesForm->ItemIndex(), 0);
  Click(4, 3);
  EXPECT_EQ(XwdGridForm->Direction, 1);
  EXPECT_EQ(CluesForm->ItemIndex(), -1);
  EXPECT_EQ(XwdMainForm->DataMemo->toPlainText(), "") << "the status is cleared";
}

TEST_F(GridSolving, ClickOnABlackSquareClearsTheClueLine) {
  OpenPuzzle();
  Click(1, 1);
  ASSERT_EQ(CluesForm->ItemIndex(), 0);
  Click(5, 1);
  EXPECT_EQ(XwdGridForm->Direction, 0);
  EXPECT_EQ(CluesForm->ItemIndex(), -1);
}

TEST_F(GridWindow, ClickRestartsAVisibleAutoclueOnTheWord) {
  Open(kEmpty5, emLetters);
  AutoclueForm->CurX = 4;
  AutoclueForm->CurY = 4;
  AutoclueForm->CurDir = 'a';
  AutoclueForm->WordCount = 7;
  AutoclueForm->ClueNumber = 5;
  Click(1, 1);
  EXPECT_EQ(AutoclueForm->CurX, 4) << "a hidden Autoclue is left alone";
  AutoclueForm->Show();
  AutoclueForm->NextBtnClick();
  Click(1, 1);
  EXPECT_EQ(AutoclueForm->CurX, 1) << "the walk starts again and stops on the clicked word";
  EXPECT_EQ(AutoclueForm->CurY, 1);
  EXPECT_EQ(AutoclueForm->CurDir, 'a');
  EXPECT_EQ(AutoclueForm->WordCount, 1);
  EXPECT_EQ(AutoclueForm->ClueNumber, 1);
  AutoclueForm->Hide();
}

TEST_F(GridWindow, AClickOutsideAnyWordBringsAVisibleAutoclueForward) {
  Open("#...."
       "....."
       "....."
       "....."
       ".....",
       emLetters);
  AutoclueForm->Show();
  XwdGridForm->activateWindow();
  QCoreApplication::processEvents();
  ASSERT_EQ(QApplication::activeWindow(), XwdGridForm);
  Click(1, 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(XwdGridForm->Direction, 0);
  EXPECT_EQ(QApplication::activeWindow(), AutoclueForm) << "in front and active, as the clue is typed there";
  AutoclueForm->Hide();
}

}  // namespace
