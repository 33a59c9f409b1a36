#include <QApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include "AppTest.h"
#include "app/clues/XwdAutoUnit.h"
#include "app/grid/XwdClueUnit.h"
#include "app/grid/XwdGridUnit.h"
#include "app/main/XwdMainUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "app/tools/ScoreUnit.h"
#include "clues/ClueFixture.h"
#include "platform/gui/Dialogs.h"

namespace {

using namespace platform::gui;

void Type(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &key);
  }
}

void PressEnter(QWidget* widget) {
  QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
  QApplication::sendEvent(widget, &key);
}

class CluingAndSolving : public AppTest {};

// A constructor writes every clue with Autoclue and saves; a solver opens the puzzle, fills it
// from the clue list and scores it.
TEST_F(CluingAndSolving, ThroughTheWholeProgram) {
  SetGrid(kFourWords);
  Puzzle.BylineText.Assign("Ann|0");
  const QString path = TempPath("four.xwd");
  XwdProcs->SavePuzzle(path);
  XwdMainForm->SetCommandLine({path, "-C"});
  XwdMainForm->Show();

  XwdMainForm->AutoclueBtnClick();
  ASSERT_TRUE(AutoclueForm->Visible());
  const QStringList clues = {"Felines", "Auto", "Peaks", "Engrossed"};
  for (const QString& clue : clues) {
    AutoclueForm->DefEdit->setText(clue);
    PressEnter(AutoclueForm->DefEdit);
  }
  EXPECT_EQ(AutoclueForm->NumLbl->text(), "3  Across") << "the walk ends on the last word";
  XwdMainForm->Save1Click();
  EXPECT_EQ(PuzzleModified, 0);

  dialogs.ExpectOpen(path);
  XwdMainForm->Open1Click(XwdMainForm->Solve1);
  ASSERT_EQ(EditMode, emSolve);
  ASSERT_TRUE(CluesForm->Visible());
  ASSERT_EQ(CluesForm->ClueList->count(), 4);
  for (int line = 0; line < 4; ++line) EXPECT_EQ(CluesForm->ClueList->item(line)->text(), clues[line]);

  const QStringList answers = {"cats", "car", "tops", "rapt"};
  for (int line = 0; line < 4; ++line) {
    CluesForm->SetItemIndex(line);
    CluesForm->ClueListClick();
    EXPECT_EQ(XwdMainForm->DataMemo->toPlainText(), clues[line]);
    Type(CluesForm->ClueList, answers[line]);
  }
  dialogs.ExpectModal([](TForm&) { return mrCancel; });
  XwdMainForm->ScorePuzzle1Click();
  EXPECT_EQ(ScoreForm->BannerLbl->text(), "CONGRATULATIONS!");
  EXPECT_FALSE(ScoreForm->CheatLbl->isVisible());
}

}  // namespace
