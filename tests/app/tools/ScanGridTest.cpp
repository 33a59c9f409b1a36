#include "app/tools/ScanGridUnit.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "clues/ClueFixture.h"
#include "grid/GridFixture.h"
#include "app/grid/GridCursor.h"
#include "app/main/XwdMainUnit.h"
#include "app/puzzle/WordGeometry.h"
#include "platform/gui/FontStyle.h"
#include "tests/support/RecordingCanvas.h"

namespace {

using namespace platform::gui;
using testing_support::CanvasCall;
using testing_support::RecordingCanvas;

// HATE down; CAT, DOG and ATOM across.
const std::string kAtWords =
    "H#CAT"
    "A####"
    "T#DOG"
    "E####"
    "#ATOM";

// STONE, STORE and two words ONE, one across and one down.
const std::string kLookAlikes =
    "STONE##"
    "######O"
    "STORE#N"
    "######E"
    "ONE####"
    "#######"
    "#######";

class ScanGrid : public GridWindow {
 protected:
  void OpenScan(const std::string& rows, std::uint8_t mode = emLetters) {
    Open(rows, mode);
    ScanGridForm->Show();
  }
  static void ScanFor(const QString& text) {
    ScanGridForm->ScanEdit->setText(text);
    ScanGridForm->ScanBtn->click();
  }
  static void Pick(int line) {
    ScanGridForm->ScanList->setCurrentRow(line);
    ScanGridForm->ScanListClick();
  }
  // The message that stands over the list while the scan pauses.
  static QString MessageDuringPause(const std::function<void()>& scan) {
    const auto shown = std::make_shared<QString>();
    QTimer::singleShot(0, ScanGridForm, [shown] {
      if (ScanGridForm->ErrPanel->isVisible()) *shown = ScanGridForm->ErrPanel->text();
    });
    scan();
    EXPECT_FALSE(ScanGridForm->ErrPanel->isVisible()) << "the message goes after its pause";
    return *shown;
  }
};

TEST(ScanLogic, SimilarEntries) {
  struct Case {
    std::string a, b;
    bool similar;
  };
  const Case cases[] = {
      {"STONE", "STORE", true},          {"RATE", "GATE", true},    {"AB", "AB", true},
      {"AB", "ABC", false},              {"ONE", "ONE", true},      {"CAT", "DOG", false},
      {std::string("CA\0", 3), "CAT", false}, {"CAT", std::string("C\0T", 3), false},
      {"STONE", "ONE", true},            {"ST", "STONE", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsSimilarEntry(c.a, c.b), c.similar) << c.a << " / " << c.b;
}

TEST_F(ScanGrid, ScanForListsEachWordThatContainsTheTextOnce) {
  OpenScan(kAtWords);
  ScanFor("AT");
  const std::vector<TScanHit> expected = {
      {"HATE", 1, 1, DirDown}, {"CAT", 3, 1, DirAcross}, {"ATOM", 2, 5, DirAcross}};
  EXPECT_EQ(ScanGridForm->Hits(), expected);
  EXPECT_EQ(Lines(ScanGridForm->ScanList), QStringList({"HATE", "CAT", "ATOM"}));
  // Again, and with Enter: still each word once.
  ScanGridForm->ScanBtn->click();
  QTest::keyClick(ScanGridForm->ScanEdit, Qt::Key_Return);
  EXPECT_EQ(ScanGridForm->Hits(), expected);
  EXPECT_EQ(ScanGridForm->ScanList->count(), 3);
  EXPECT_FALSE(ScanGridForm->ErrPanel->isVisible());
  // Typing empties the list.
  QTest::keyClicks(ScanGridForm->ScanEdit, "o");
  EXPECT_EQ(ScanGridForm->ScanList->count(), 0);
  EXPECT_TRUE(ScanGridForm->Hits().empty());
}

TEST_F(ScanGrid, ScansThatFindNothingSaySoOverTheList) {
  OpenScan(kAtWords);
  EXPECT_EQ(MessageDuringPause([] { ScanFor(""); }), "Nothing to Scan For");
  EXPECT_EQ(MessageDuringPause([] { ScanFor("XYZ"); }), "Scan Entry Not Found");
  EXPECT_EQ(ScanGridForm->ScanList->count(), 0);
  EXPECT_EQ(MessageDuringPause([] { ScanGridForm->AllBtn->click(); }), "No Matches Found");
  // Centred over the list.
  const QRect list = ScanGridForm->ScanList->geometry();
  const QRect panel = ScanGridForm->ErrPanel->geometry();
  EXPECT_EQ(panel.left(), list.left() + (list.width() - panel.width()) / 2);
  EXPECT_EQ(panel.top(), list.top() + (list.height() - panel.height()) / 2);
}

TEST_F(ScanGrid, TheEditTakesCapitalsOfTheGridsCharacterSet) {
  OpenScan(kAtWords);
  // Typed one character at a time, as a keyboard with these letters would.
  for (const QChar c : QString::fromUtf8("atÿšœß€Ω")) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(ScanGridForm->ScanEdit, &press);
  }
  EXPECT_EQ(ScanGridForm->ScanEdit->text(), QString::fromUtf8("ATŸŠŒß€"));
  ScanGridForm->ScanEdit->clear();
  QTest::keyClicks(ScanGridForm->ScanEdit, QString(30, 'a'));
  EXPECT_EQ(ScanGridForm->ScanEdit->text(), QString(23, 'A'));
}

TEST_F(ScanGrid, ShowingTheWindowEmptiesIt) {
  OpenScan(kAtWords);
  ScanFor("AT");
  ScanGridForm->Close();
  ScanGridForm->Show();
  EXPECT_TRUE(ScanGridForm->ScanEdit->text().isEmpty());
  EXPECT_EQ(ScanGridForm->ScanList->count(), 0);
  EXPECT_GE(ScanGridForm->minimumWidth(), 269);
}

// Scan results belong to the puzzle they were made for: every puzzle shown empties them, and a
// puzzle shown for solving also takes the window away, so that no scan lists a solver's answers.
TEST_F(ScanGrid, APuzzleShownEmptiesTheScanAndSolvingTakesTheWindowAway) {
  struct Case {
    const char* name;
    std::uint8_t mode;
    bool stays;
  };
  for (const Case& c : {Case{"constructing", emLetters, true}, Case{"solving", emSolve, false}}) {
    SCOPED_TRACE(c.name);
    OpenScan(kLookAlikes);
    PuzzleFileName = WritePuzzle("next.xwd", kLookAlikes);
    ScanGridForm->AllBtn->click();
    ASSERT_GT(ScanGridForm->ScanList->count(), 0);
    ASSERT_TRUE(ScanGridForm->ExImg->isVisibleTo(ScanGridForm));
    EditMode = c.mode;
    XwdMainForm->ShowPuzzle();
    EXPECT_EQ(ScanGridForm->Visible(), c.stays);
    EXPECT_EQ(ScanGridForm->ScanList->count(), 0);
    EXPECT_TRUE(ScanGridForm->Hits().empty());
    EXPECT_TRUE(ScanGridForm->ScanEdit->text().isEmpty());
    EXPECT_FALSE(ScanGridForm->ExImg->isVisibleTo(ScanGridForm));
  }
}

TEST_F(ScanGrid, ScanAllGroupsWordsThatLookAlike) {
  OpenScan(kLookAlikes);
  ScanGridForm->ScanEdit->setText("ST");
  ScanGridForm->AllBtn->click();
  EXPECT_TRUE(ScanGridForm->ScanEdit->text().isEmpty());
  // STONE heads its group; the ONE across belongs to two groups; the second ONE repeats the first.
  const std::vector<TScanHit> expected = {
      {"STONE", 1, 1, DirAcross},   {"    ONE", 7, 2, DirDown}, {"    STORE", 1, 3, DirAcross},
      {"    ONE", 1, 5, DirAcross}, {"ONE", 7, 2, DirDown},     {"    ONE ", 1, 5, DirAcross}};
  EXPECT_EQ(ScanGridForm->Hits(), expected);
  EXPECT_FALSE(ScanGridForm->ExImg->isHidden());
  // Pressed again: the same lines once.
  ScanGridForm->AllBtn->click();
  EXPECT_EQ(ScanGridForm->Hits(), expected);
  // Typing hides the mark again.
  QTest::keyClicks(ScanGridForm->ScanEdit, "A");
  EXPECT_TRUE(ScanGridForm->ExImg->isHidden());
}

TEST_F(ScanGrid, ScanAllWithoutRepeatsShowsNoMark) {
  OpenScan(
      "STONE"
      "#####"
      "STORE"
      "#####"
      "#####");
  ScanGridForm->AllBtn->click();
  EXPECT_EQ(Lines(ScanGridForm->ScanList), QStringList({"STONE", "    STORE"}));
  EXPECT_TRUE(ScanGridForm->ExImg->isHidden());
}

TEST_F(ScanGrid, LinesAreDrawnByKind) {
  OpenScan(kLookAlikes);
  ScanGridForm->AllBtn->click();
  struct Case {
    int line;
    bool selected;
    QString text;
    TColor color;
    bool bold;
  };
  const Case cases[] = {
      {0, false, "STONE", clBlack, true},   {1, false, "    ONE", clBlack, false},
      {5, false, "    ONE ", clRed, true},  {5, true, "    ONE ", clWhite, true},
      {0, true, "STONE", clWhite, true},
  };
  const QRect rect(0, 30, 200, TScanGridForm::ItemHeight);
  for (const Case& c : cases) {
    RecordingCanvas canvas;
    ScanGridForm->ScanListDrawItem(canvas, c.line, rect, c.selected);
    const auto texts = canvas.CallsOf(CanvasCall::Kind::Text);
    ASSERT_EQ(texts.size(), 1u) << c.line;
    EXPECT_EQ(texts[0].Text, c.text);
    EXPECT_EQ(texts[0].Left, 2);
    EXPECT_EQ(texts[0].Top, 30);
    EXPECT_EQ(texts[0].Font.Color, c.color) << c.line;
    EXPECT_EQ((texts[0].Font.Style & fsBold) != 0, c.bold) << c.line;
    EXPECT_EQ(texts[0].Font.Name, "Times New Roman");
    // The line's background: the selection colour or the list's.
    const auto fills = canvas.CallsOf(CanvasCall::Kind::Rectangle);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(QRect(QPoint(fills[0].Left, fills[0].Top), QPoint(fills[0].Right - 1, fills[0].Bottom - 1)), rect);
    EXPECT_EQ(fills[0].Brush.Color, c.selected ? clHighlight : clWindow);
  }
  // Scan For results are regular, and an empty square shows as a placeholder.
  ScanGridForm->ScanEdit->setText("STO");
  Puzzle.Solution(5, 3) = EmptySquare;
  ScanGridForm->ScanBtn->click();
  RecordingCanvas canvas;
  ScanGridForm->ScanListDrawItem(canvas, 1, rect, false);
  const auto texts = canvas.CallsOf(CanvasCall::Kind::Text);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].Text, "STOR_");
  EXPECT_EQ(texts[0].Font.Style & fsBold, 0);
}

TEST_F(ScanGrid, PickingALineSelectsItsWordInTheGrid) {
  OpenScan(kAtWords);
  ScanFor("AT");
  Pick(0);
  EXPECT_EQ(XwdGridForm->Direction, DirDown);
  EXPECT_EQ(XwdGridForm->CursorPos, PackCursor(0, 0));
  for (int y = 1; y <= 4; ++y) EXPECT_EQ(NearCorner(1, y), Rgb(clYellow)) << y;

  Pick(2);
  EXPECT_EQ(XwdGridForm->Direction, DirAcross);
  EXPECT_EQ(XwdGridForm->CursorPos, PackCursor(10, 40));
  for (int y = 1; y <= 4; ++y) EXPECT_EQ(NearCorner(1, y), Rgb(clWhite)) << y;
  for (int x = 2; x <= 5; ++x) EXPECT_EQ(NearCorner(x, 5), Rgb(clYellow)) << x;
  // The selection takes letters.
  Type('Z');
  EXPECT_EQ(Puzzle.Solution(2, 5), 'Z');
}

TEST_F(ScanGrid, PickingALineWhileDesigningSquaresOnlyShowsTheWord) {
  OpenScan(kAtWords, emSquares);
  ScanFor("AT");
  Pick(0);
  for (int y = 1; y <= 4; ++y) EXPECT_EQ(NearCorner(1, y), Rgb(clYellow)) << y;
  EXPECT_EQ(XwdGridForm->Direction, 0);
  // The next pick replaces the word shown.
  Pick(1);
  for (int y = 1; y <= 4; ++y) EXPECT_EQ(NearCorner(1, y), Rgb(clWhite)) << y;
  for (int x = 3; x <= 5; ++x) EXPECT_EQ(NearCorner(x, 1), Rgb(clYellow)) << x;
  // A square made black in the word, then letters: nothing is selected to type into.
  XwdGridForm->ToggleSquare(3 * SquareSize + 1, 1, false);
  EditMode = emLetters;
  Type('Z');
  EXPECT_EQ(Puzzle.Solution(4, 1), BlackSquare);
  EXPECT_EQ(Puzzle.Solution(5, 1), 'T');
}

TEST_F(ScanGrid, ALineWhoseWordIsGoneSelectsNothing) {
  OpenScan(kAtWords);
  ScanFor("DOG");
  Puzzle.Solution(4, 3) = BlackSquare;
  Pick(0);
  EXPECT_EQ(XwdGridForm->Direction, 0);
}

TEST_F(ScanGrid, ListsMoreLinesThanTheGridHasClueSlots) {
  // 256 words of two letters, every one EE.
  OpenScan(ManyWordsGrid());
  ScanFor("E");
  const std::vector<TWordRef> words = NumberWords(Puzzle);
  ASSERT_EQ(ScanGridForm->ScanList->count(), 256);
  Pick(200);
  EXPECT_EQ(XwdGridForm->Direction, words[200].Dir);
  EXPECT_EQ(XwdGridForm->CursorPos, PackCursor((words[200].X - 1) * SquareSize, (words[200].Y - 1) * SquareSize));
}

}  // namespace
