#include <QApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include "AppTest.h"
#include "app/grid/GridCursor.h"
#include "app/grid/XwdClueUnit.h"
#include "app/grid/XwdGridUnit.h"
#include "app/main/XwdMainUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "clues/ClueFixture.h"

namespace {

class ClueList : public AppTest {
 protected:
  // Four words whose clue slots differ from their ordinals; 2 Down has no clue.
  void Open() {
    SetGrid(kFourWords);
    LinkClue(1, 1, 'a', 3, "Felines");
    LinkClue(1, 1, 'd', 1, "Auto");
    LinkClue(1, 3, 'a', 2, "Engrossed");
    EditMode = emSolve;
    SquareSize = 20;
    CluesForm->Show();
  }
  static void Pick(int line) {
    CluesForm->SetItemIndex(line);
    CluesForm->ClueListClick();
  }
};

TEST_F(ClueList, OneLinePerWordInOrdinalOrder) {
  Open();
  EXPECT_EQ(Lines(CluesForm->ClueList), (QStringList{"Felines", "Auto", "", "Engrossed"}));
  EXPECT_EQ(CluesForm->ItemIndex(), -1);
  EXPECT_EQ(CluesForm->Caption(), "Clues");
}

TEST_F(ClueList, APickedLineSelectsTheWordOfItsOrdinal) {
  Open();
  struct Case { int line; int x, y, dir; const char* clue; const char* mode; };
  for (const Case& c : {Case{0, 1, 1, 1, "Felines", "Across Clue"}, Case{1, 1, 1, 2, "Auto", "Down Clue"},
                        Case{2, 3, 1, 2, "", "Down Clue"}, Case{3, 1, 3, 1, "Engrossed", "Across Clue"}}) {
    Pick(c.line);
    EXPECT_EQ(XwdGridForm->Direction, c.dir) << c.line;
    EXPECT_EQ(XwdGridForm->CursorPos, PackCursor((c.x - 1) * 20, (c.y - 1) * 20)) << c.line;
    EXPECT_EQ(XwdMainForm->DataMemo->toPlainText(), c.clue) << c.line;
    EXPECT_EQ(XwdMainForm->ModeLabel->text(), c.mode) << c.line;
  }
}

TEST_F(ClueList, APickWithoutALineDoesNothing) {
  Open();
  Pick(1);
  Pick(-1);
  EXPECT_EQ(XwdGridForm->Direction, 2);
  EXPECT_EQ(XwdGridForm->CursorPos, PackCursor(0, 0));
}

TEST_F(ClueList, AClickedLinePicks) {
  Open();
  QListWidgetItem* line = CluesForm->ClueList->item(3);
  CluesForm->ClueList->setCurrentItem(line);
  emit CluesForm->ClueList->itemClicked(line);
  EXPECT_EQ(XwdGridForm->CursorPos, PackCursor(0, 40));
  EXPECT_EQ(XwdGridForm->Direction, 1);
}

TEST_F(ClueList, SelectingALineFromTheProgramIsNoPick) {
  Open();
  CluesForm->SetItemIndex(3);
  EXPECT_EQ(XwdGridForm->Direction, 0);
  EXPECT_EQ(CluesForm->SelectedClue(), "Engrossed");
}

TEST_F(ClueList, TheKeyboardPicksToo) {
  Open();
  Pick(0);
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(CluesForm->ClueList, &down);
  EXPECT_EQ(CluesForm->ItemIndex(), 1);
  EXPECT_EQ(XwdGridForm->Direction, 2);
  EXPECT_EQ(XwdMainForm->DataMemo->toPlainText(), "Auto");
}

TEST_F(ClueList, LettersTypedInTheListGoToTheGrid) {
  Open();
  XwdProcs->WriteSetting("ScreenSquare", 20);
  XwdGridForm->Show();
  Pick(3);  // 3 Across, RAPT
  struct Case { QString text; Qt::Key key; std::uint8_t entry; bool forwarded; };
  for (const Case& c : {Case{"b", Qt::Key_B, 'B', true}, Case{"Q", Qt::Key_Q, 'Q', true},
                        Case{"1", Qt::Key_1, 0, false}, Case{" ", Qt::Key_Space, 0, false},
                        Case{QString::fromUtf8("\u00c9"), Qt::Key_Eacute, 0, false}}) {
    const int before = UnpackCursor(XwdGridForm->CursorPos).X;
    QKeyEvent key(QEvent::KeyPress, c.key, Qt::NoModifier, c.text);
    QApplication::sendEvent(CluesForm->ClueList, &key);
    const int column = before / 20 + 1;
    EXPECT_EQ(Puzzle.Entries(column, 3), c.entry) << c.text.toStdString();
    EXPECT_EQ(UnpackCursor(XwdGridForm->CursorPos).X != before, c.forwarded) << c.text.toStdString();
  }
  QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, "\b");
  QApplication::sendEvent(CluesForm->ClueList, &backspace);
  EXPECT_EQ(UnpackCursor(XwdGridForm->CursorPos).X, 20) << "back on the second square";
  EXPECT_EQ(CluesForm->ItemIndex(), 3) << "a forwarded key does not move the list";
}

TEST_F(ClueList, LinesTakeTheSolveFontAndAreTallEnoughForIt) {
  XwdProcs->WriteSetting("SolveFontName", "Courier New");
  XwdProcs->WriteSetting("SolveFontStyle", 2);
  XwdProcs->WriteSetting("SolveFontColor", "clMaroon");
  for (int points : {8, 11, 24}) {
    XwdProcs->WriteSetting("SolveFontSize", points);
    Open();
    QListWidget* list = CluesForm->ClueList;
    EXPECT_EQ(list->font().pointSize(), points);
    EXPECT_TRUE(list->font().italic());
    EXPECT_EQ(list->palette().color(QPalette::Text), QColor(0x80, 0, 0));
    // 17 pixels as designed, or what the font needs when it needs more: no line is cut.
    const int fontHeight = QFontMetrics(list->font()).height();
    EXPECT_EQ(list->visualItemRect(list->item(0)).height(), std::max(17, fontHeight)) << points;
    if (points == 24) {
      EXPECT_GT(fontHeight, 17);
    }
    CluesForm->Hide();
  }
}

TEST_F(ClueList, CannotBeClosedByTheUser) {
  Open();
  EXPECT_FALSE(CluesForm->Close());
  EXPECT_TRUE(CluesForm->Visible());
  AllowChildClose = 1;
  EXPECT_TRUE(CluesForm->Close());
}

}  // namespace
