#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>

#include "GridFixture.h"
#include "app/grid/XwdClueUnit.h"
#include "app/main/XwdMainUnit.h"
#include "platform/gui/InputEvents.h"
#include "tests/support/RecordingCanvas.h"

namespace {

using namespace platform::gui;

std::uint8_t Stored(int x, int y) { return EditMode == emSolve ? Puzzle.Entries(x, y) : Puzzle.Solution(x, y); }

void SendKey(Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
  QCoreApplication::sendEvent(XwdGridForm, &event);
}

// What the grid stores for one typed character, by grid language and mode; nothing when the
// character is refused.
TEST_F(GridWindow, AcceptedCharactersByLanguageAndMode) {
  struct Case {
    int language;
    std::uint8_t mode;
    int typed;
    std::optional<std::uint8_t> stored;
  };
  const std::vector<Case> cases = {
      {0, emLetters, 'a', 'A'},         {0, emSolve, 'a', 'A'},          {0, emLetters, 'Q', 'Q'},
      {0, emLetters, '?', std::nullopt}, {0, emSolve, '?', std::nullopt}, {0, emLetters, '1', std::nullopt},
      {0, emLetters, 233, std::nullopt}, {1, emLetters, 233, std::nullopt}, {8, emSolve, 233, std::nullopt},
      {0, emLetters, 201, std::nullopt}, {1, emLetters, 201, 201},        {2, emSolve, 201, 201},
      {3, emLetters, 201, 201},         {8, emSolve, 201, 201},           {4, emLetters, 201, std::nullopt},
      {7, emSolve, 201, std::nullopt},  {4, emLetters, 223, 223},         {5, emSolve, 197, 197},
      {6, emLetters, 216, 216},         {7, emSolve, 216, 216},           {6, emLetters, 196, std::nullopt},
      {8, emLetters, 138, 138},         {7, emLetters, 138, std::nullopt}, {8, emSolve, 215, std::nullopt},
      {8, emLetters, 222, std::nullopt}, {8, emLetters, 219, std::nullopt}, {8, emSolve, 219, std::nullopt},
      {2, emSolve, 209, 209},           {0, emLetters, '+', PlaceholderLetter},
  };
  for (const Case& c : cases) {
    Puzzle.BylineText.Assign("Ann|" + std::to_string(c.language));
    XwdProcs->WriteSetting("GridLanguage", c.language);
    Puzzle.EntryCells.fill(EmptySquare);
    Open(kEmpty5, c.mode);
    Puzzle.Solution(1, 1) = 'S';
    Click(1, 1);
    Type(static_cast<char>(c.typed));
    const std::string label = "language " + std::to_string(c.language) + " mode " + std::to_string(c.mode) +
                              " key " + std::to_string(c.typed);
    if (c.stored) {
      EXPECT_EQ(Stored(1, 1), *c.stored) << label;
      EXPECT_EQ(CursorCell(), std::pair(2, 1)) << label;
    } else {
      EXPECT_EQ(Stored(1, 1), c.mode == emSolve ? 0 : 'S') << label;
      EXPECT_EQ(CursorCell(), std::pair(1, 1)) << label;
      EXPECT_EQ(PuzzleModified, 0) << label;
    }
    XwdGridForm->Hide();
    PuzzleModified = 0;
  }
}

TEST_F(GridWindow, LanguageOfTheSettingWhileConstructingAndOfThePuzzleWhileSolving) {
  XwdProcs->WriteSetting("GridLanguage", 1);
  Puzzle.BylineText.Assign("Ann|4");
  Open(kEmpty5, emLetters);
  EXPECT_TRUE(LetterSet.Contains(201));
  EXPECT_FALSE(LetterSet.Contains(196));
  XwdGridForm->Hide();
  EditMode = emSolve;
  XwdGridForm->Show();
  EXPECT_FALSE(LetterSet.Contains(201));
  EXPECT_TRUE(LetterSet.Contains(196));
}

TEST_F(GridWindow, ALanguageNumberWithoutALanguage) {
  // Set by hand to 9, the setting leaves the set of the last build.
  XwdProcs->WriteSetting("GridLanguage", 4);
  Open(kEmpty5, emLetters);
  XwdProcs->WriteSetting("GridLanguage", 9);
  XwdGridForm->BuildLetterSet();
  EXPECT_TRUE(LetterSet.Contains(196));
  // A puzzle's byline digit 9, or no digit, reads as English.
  for (const char* byline : {"Ann|9", "Ann|x", "Ann"}) {
    Puzzle.BylineText.Assign(byline);
    EditMode = emSolve;
    XwdGridForm->BuildLetterSet();
    TLetterSet english;
    LanguageSetFor(0, english);
    EXPECT_EQ(LetterSet, english) << byline;
  }
}

TEST_F(GridWindow, TypingFillsTheWordAndTheLastLetterEndsTheSelection) {
  Open("#...."
       "....."
       "....."
       "....."
       ".....",
       emLetters);
  Click(3, 1);
  for (char c : {'c', 'a', 't'}) Type(c);
  EXPECT_EQ(Puzzle.Solution(3, 1), 'C');
  EXPECT_EQ(Puzzle.Solution(4, 1), 'A');
  EXPECT_EQ(Puzzle.Solution(5, 1), 'T');
  EXPECT_EQ(Puzzle.Solution(2, 1), EmptySquare);
  EXPECT_EQ(PuzzleModified, 1);
  EXPECT_EQ(XwdGridForm->Direction, 0);
  for (int x : {3, 4, 5}) EXPECT_EQ(NearCorner(x, 1), Rgb(clWhite)) << "typed squares leave the highlight";
  Type('x');
  EXPECT_EQ(Puzzle.Solution(5, 1), 'T') << "no word selected";
  EXPECT_EQ(Puzzle.Solution(1, 2), EmptySquare);

  // Down the same way, stopping at the edge.
  Click(2, 3, true);
  for (char c : {'d', 'o', 'g', 's'}) Type(c);
  EXPECT_EQ(Puzzle.Solution(2, 3), 'D');
  EXPECT_EQ(Puzzle.Solution(2, 5), 'G');
  EXPECT_EQ(XwdGridForm->Direction, 0);
}

TEST_F(GridWindow, TypingStopsAtABlackSquare) {
  Open("..#.."
       "....."
       "....."
       "....."
       ".....",
       emLetters);
  Click(1, 1);
  for (char c : {'a', 'b', 'c'}) Type(c);
  EXPECT_EQ(Puzzle.Solution(2, 1), 'B');
  EXPECT_EQ(Puzzle.Solution(3, 1), BlackSquare);
  EXPECT_EQ(Puzzle.Solution(4, 1), EmptySquare);
}

TEST_F(GridWindow, BlankAndDeleteEmptyTheSquareAndMoveOn) {
  for (std::uint8_t mode : {emLetters, emSolve}) {
    Open("ABCDE"
         "....."
         "....."
         "....."
         ".....",
         mode);
    for (int x = 1; x <= 5; ++x) Puzzle.Entries(x, 1) = Puzzle.Solution(x, 1);
    Click(1, 1);
    Type(' ');
    KeyDown(VK_DELETE);
    SendKey(Qt::Key_Delete, QString());
    EXPECT_EQ(Stored(1, 1), EmptySquare) << int(mode);
    EXPECT_EQ(Stored(2, 1), EmptySquare) << int(mode);
    EXPECT_EQ(Stored(3, 1), EmptySquare) << int(mode);
    EXPECT_EQ(Stored(4, 1), 'D') << int(mode);
    EXPECT_EQ(CursorCell(), std::pair(4, 1)) << int(mode);
    XwdGridForm->Hide();
  }
}

TEST_F(GridWindow, EnterMovesOnWithoutChangingTheSquare) {
  Open("A?..."
       "....."
       "....."
       "....."
       ".....",
       emLetters);
  const TXwdPuzzle before = Puzzle;
  Click(1, 1);
  for (int i = 0; i < 3; ++i) Type('\r');
  EXPECT_EQ(Puzzle, before);
  EXPECT_EQ(PuzzleModified, 1);
  EXPECT_EQ(CursorCell(), std::pair(4, 1));
  XwdGridForm->Hide();

  Open("ABCDE"
       "....."
       "....."
       "....."
       ".....",
       emSolve);
  Puzzle.Entries(1, 1) = 'X';
  const TXwdPuzzle solving = Puzzle;
  Click(1, 1);
  SendKey(Qt::Key_Return, "\r");
  SendKey(Qt::Key_Enter, "\r");
  EXPECT_EQ(Puzzle, solving);
  EXPECT_EQ(CursorCell(), std::pair(3, 1));
}

TEST_F(GridWindow, BackspaceStepsBackWithoutErasing) {
  Open("#...."
       "....."
       "....."
       "....."
       ".....",
       emLetters);
  Click(2, 1);
  for (char c : {'a', 'b', 'c'}) Type(c);
  ASSERT_EQ(CursorCell(), std::pair(5, 1));
  Type('\b');
  EXPECT_EQ(CursorCell(), std::pair(4, 1));
  EXPECT_EQ(Puzzle.Solution(4, 1), 'C');
  EXPECT_EQ(NearCorner(4, 1), Rgb(clYellow)) << "the square is highlighted again";
  SendKey(Qt::Key_Backspace, "\b");
  Type('\b');
  EXPECT_EQ(CursorCell(), std::pair(2, 1));
  Type('\b');
  EXPECT_EQ(CursorCell(), std::pair(2, 1)) << "the word's first square holds";
  EXPECT_EQ(Puzzle.Solution(2, 1), 'A');
  EXPECT_EQ(Puzzle.Solution(3, 1), 'B');
  EXPECT_EQ(XwdGridForm->Direction, 1);
  Type('x');
  EXPECT_EQ(Puzzle.Solution(2, 1), 'X');
}

TEST_F(GridWindow, BackspaceAtColumnOrRowOneComesBackToTheSameSquare) {
  Open(kEmpty5, emLetters);
  Click(1, 3);
  const std::uint32_t start = XwdGridForm->CursorPos;
  Type('\b');
  EXPECT_EQ(XwdGridForm->CursorPos, start);
  Click(4, 1, true);
  const std::uint32_t top = XwdGridForm->CursorPos;
  Type('\b');
  EXPECT_EQ(XwdGridForm->CursorPos, top);
  EXPECT_EQ(XwdGridForm->Direction, 2);
}

TEST_F(GridWindow, PlusStoresThePlaceholderWhileConstructing) {
  Open("AB..."
       "....."
       "....."
       "....."
       ".....",
       emLetters, 20);
  Click(1, 1);
  Type('+');
  EXPECT_EQ(Puzzle.Solution(1, 1), PlaceholderLetter);
  EXPECT_EQ(XwdGridForm->Cheated, 0);
  testing_support::RecordingCanvas canvas;
  XwdGridForm->SetCanvas(&canvas);
  XwdGridForm->DrawCell(0, 0, clWhite);
  ASSERT_EQ(canvas.CallsOf(testing_support::CanvasCall::Kind::Text).size(), 1u);
  EXPECT_EQ(canvas.CallsOf(testing_support::CanvasCall::Kind::Text)[0].Text, "?");
  XwdGridForm->SetCanvas(nullptr);
}

TEST_F(GridWindow, PlusRevealsTheSolutionLetterWhileSolving) {
  Open("AB?.."
       "....."
       "....."
       "....."
       ".....",
       emSolve);
  Puzzle.Entries(3, 1) = 'Q';
  Puzzle.Entries(4, 1) = 'R';
  Click(1, 1);
  for (int i = 0; i < 4; ++i) Type('+');
  EXPECT_EQ(Puzzle.Entries(1, 1), 'A');
  EXPECT_EQ(Puzzle.Entries(2, 1), 'B');
  EXPECT_EQ(Puzzle.Entries(3, 1), EmptySquare) << "a placeholder reveals nothing";
  EXPECT_EQ(Puzzle.Entries(4, 1), EmptySquare) << "an empty solution square reveals nothing";
  EXPECT_EQ(Puzzle.Solution(1, 1), 'A');
  EXPECT_EQ(XwdGridForm->Cheated, 1);
}

TEST_F(GridWindow, TheLastLetterWhileSolvingClearsTheClueLine) {
  Open("..#"
       "..."
       "...",
       emSolve);
  for (int i = 0; i < 4; ++i) CluesForm->ClueList->addItem("clue");
  Puzzle.WordIdx(1, 1).Across = 1;
  Click(1, 1);
  ASSERT_EQ(CluesForm->ItemIndex(), 0);
  ASSERT_EQ(XwdMainForm->ModeLabel->text(), "Across Clue");
  Type('o');
  Type('x');
  EXPECT_EQ(XwdGridForm->Direction, 0);
  EXPECT_EQ(CluesForm->ItemIndex(), -1);
  EXPECT_EQ(XwdMainForm->ModeLabel->text(), "");
  EXPECT_EQ(Puzzle.Entries(2, 1), 'X');
}

TEST_F(GridWindow, KeysDoNothingInGridDesignOrWithoutASelection) {
  Open(kEmpty5, emLetters);
  const TXwdPuzzle before = Puzzle;
  Type('a');
  KeyDown(VK_DELETE);
  KeyDown(VK_RIGHT);
  EXPECT_EQ(Puzzle, before);
  EXPECT_EQ(XwdGridForm->Direction, 0);
  Click(1, 1);
  EditMode = emSquares;
  Type('a');
  KeyDown(VK_DELETE);
  KeyDown(VK_RIGHT);
  EXPECT_EQ(Puzzle, before);
  EXPECT_EQ(CursorCell(), std::pair(1, 1));
  EXPECT_EQ(PuzzleModified, 0);
}

TEST_F(GridWindow, AKeyForASquareMadeBlackEndsTheSelection) {
  Open(kEmpty5, emLetters);
  Click(2, 1);
  XwdGridForm->SymmetryOn = 0;
  EditMode = emSquares;
  XwdGridForm->ToggleSquare(15, 5, false);
  EditMode = emLetters;
  PuzzleModified = 0;
  for (std::uint16_t key : {std::uint16_t{VK_RIGHT}, std::uint16_t{VK_DELETE}}) {
    Click(2, 1);
    XwdGridForm->Direction = 1;
    Puzzle.Solution(2, 1) = BlackSquare;
    KeyDown(key);
    EXPECT_EQ(XwdGridForm->Direction, 0) << key;
    EXPECT_EQ(Puzzle.Solution(2, 1), BlackSquare) << key;
    Puzzle.Solution(2, 1) = EmptySquare;
  }
  Click(2, 1);
  Puzzle.Solution(2, 1) = BlackSquare;
  Type('a');
  EXPECT_EQ(Puzzle.Solution(2, 1), BlackSquare);
  EXPECT_EQ(Puzzle.Solution(3, 1), EmptySquare);
  EXPECT_EQ(XwdGridForm->Direction, 0);
  EXPECT_EQ(PuzzleModified, 0);
  EXPECT_EQ(Centre(3, 1), Rgb(clWhite)) << "the rest of the old highlight is removed";
}

TEST_F(GridWindow, ArrowsMoveOverBlackSquaresAndSelectByTheirAxis) {
  Open(".#.#."
       "....."
       "#...."
       "....."
       ".#...",
       emLetters);
  struct Step { std::uint16_t key; std::pair<int, int> cell; int direction; };
  Click(1, 1);
  for (const Step& s : {Step{VK_RIGHT, {3, 1}, 1}, Step{VK_RIGHT, {5, 1}, 1}, Step{VK_RIGHT, {5, 1}, 1},
                        Step{VK_DOWN, {5, 2}, 2}, Step{VK_LEFT, {4, 2}, 1}, Step{VK_UP, {4, 2}, 2},
                        Step{VK_DOWN, {4, 3}, 2}, Step{VK_LEFT, {3, 3}, 1}, Step{VK_LEFT, {2, 3}, 1},
                        Step{VK_LEFT, {2, 3}, 1}, Step{VK_DOWN, {2, 4}, 2}, Step{VK_DOWN, {2, 4}, 2},
                        Step{VK_UP, {2, 3}, 2}, Step{VK_UP, {2, 2}, 2}, Step{VK_UP, {2, 2}, 2}}) {
    std::uint16_t key = s.key;
    XwdGridForm->FormKeyDown(key, 0);
    EXPECT_EQ(CursorCell(), s.cell) << "key " << s.key << " to " << s.cell.first << "," << s.cell.second;
    EXPECT_EQ(XwdGridForm->Direction, s.direction) << "key " << s.key << " to " << s.cell.first << "," << s.cell.second;
  }
  // With swapped buttons, left and right select the down word.
  XwdGridForm->SwapButtons = 1;
  SendKey(Qt::Key_Right, QString());
  EXPECT_EQ(CursorCell(), std::pair(3, 2));
  EXPECT_EQ(XwdGridForm->Direction, 2);
}

TEST_F(GridWindow, KeysFromTheWindowSystemArriveAsWindows1252) {
  XwdProcs->WriteSetting("GridLanguage", 1);
  Open(kEmpty5, emLetters);
  Click(1, 1);
  SendKey(Qt::Key_E, QString::fromUtf8("\xC3\xA9"));  // é: refused, only capitals
  SendKey(Qt::Key_E, QString::fromUtf8("\xC3\x89"), Qt::ShiftModifier);  // É
  SendKey(Qt::Key_unknown, QString::fromUtf8("\xE2\x82\xAC"));  // €: code 128, in no set
  SendKey(Qt::Key_unknown, QString::fromUtf8("\xD0\x96"));  // Cyrillic: not in Windows-1252
  SendKey(Qt::Key_B, "b");
  EXPECT_EQ(Puzzle.Solution(1, 1), 201);
  EXPECT_EQ(Puzzle.Solution(2, 1), 'B');
  EXPECT_EQ(CursorCell(), std::pair(3, 1));
}

}  // namespace
