#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include "AppTest.h"
#include "app/clues/DefListUnit.h"
#include "app/clues/XwdAutoUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "clues/ClueFixture.h"

namespace {

class DefList : public AppTest {
 protected:
  // Four words whose clue slots differ from their ordinals, with Autoclue and the list open.
  void Open() {
    SetGrid(kFourWords);
    LinkClue(1, 1, 'a', 4, "Felines");
    LinkClue(1, 1, 'd', 3, "Auto");
    LinkClue(3, 1, 'd', 1, "Peaks | summits");
    LinkClue(1, 3, 'a', 2, "Engrossed");
    EditMode = emLetters;
    AutoclueForm->Show();
    AutoclueForm->ListdefsBtnClick();
  }
  static void Pick(QListWidget* list, int row) {
    list->setCurrentRow(row);
    DefListForm->DefListMouseUp(list);
  }
};

TEST_F(DefList, LineFormat) {
  SetGrid("CAT"
          "###"
          "C.T");
  struct Case { int number; int y; const char* line; };
  for (const Case& c : {Case{7, 1, "    7  Feline  | CAT"}, Case{12, 1, "  12  Feline  | CAT"},
                        Case{123, 1, "123  Feline  | CAT"}, Case{9, 3, "    9  Feline  | C_T"}})
    EXPECT_EQ(TDefListForm::FormatDefLine(1, c.y, c.number, 'a', "Feline"), c.line) << c.number;
}

TEST_F(DefList, ListsEveryWordByItsPrintedNumberAndLinkedClue) {
  Open();
  EXPECT_EQ(Lines(DefListForm->AcrList), (QStringList{"    1  Felines  | CATS", "    3  Engrossed  | RAPT"}));
  EXPECT_EQ(Lines(DefListForm->DwnList), (QStringList{"    1  Auto  | CAR", "    2  Peaks | summits  | TOPS"}));
  EXPECT_TRUE(DefListForm->AcrList->selectedItems().isEmpty());
  EXPECT_TRUE(DefListForm->DwnList->selectedItems().isEmpty());
  EXPECT_EQ(DefListForm->AcrLbl->text(), "ACROSS");
  EXPECT_EQ(DefListForm->DwnLbl->text(), "    DOWN");
}

TEST_F(DefList, APickedLineShowsItsWordInAutoclue) {
  Open();
  struct Case { QListWidget* list; int row; int ordinal; const char* number; const char* clue; };
  for (const Case& c : {Case{DefListForm->DwnList, 0, 2, "1  Down", "Auto"},
                        Case{DefListForm->AcrList, 1, 4, "3  Across", "Engrossed"},
                        Case{DefListForm->DwnList, 1, 3, "2  Down", "Peaks | summits"},
                        Case{DefListForm->AcrList, 0, 1, "1  Across", "Felines"}}) {
    Pick(c.list, c.row);
    EXPECT_EQ(AutoclueForm->WordCount, c.ordinal);
    EXPECT_EQ(AutoclueForm->NumLbl->text(), c.number);
    EXPECT_EQ(AutoclueForm->DefEdit->text(), c.clue);
    QListWidget* other = c.list == DefListForm->AcrList ? DefListForm->DwnList : DefListForm->AcrList;
    EXPECT_TRUE(other->selectedItems().isEmpty()) << "the other list's selection is cleared";
  }
  EXPECT_EQ(PuzzleModified, 0);
}

TEST_F(DefList, AMouseReleaseOverTheListPicks) {
  Open();
  DefListForm->DwnList->setCurrentRow(1);
  QWidget* viewport = DefListForm->DwnList->viewport();
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), viewport->mapToGlobal(QPointF(5, 5)),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &release);
  EXPECT_EQ(AutoclueForm->WordCount, 3);
}

TEST_F(DefList, AClickWithoutASelectedLineChangesNothing) {
  Open();
  AutoclueForm->NextBtnClick();
  DefListForm->AcrList->setCurrentRow(0);
  DefListForm->DefListMouseUp(DefListForm->DwnList);
  EXPECT_EQ(AutoclueForm->WordCount, 2);
  EXPECT_TRUE(DefListForm->AcrList->selectedItems().isEmpty());
}

TEST_F(DefList, TypingInAutoclueRewritesTheWordsLine) {
  Open();
  AutoclueForm->NextBtnClick();  // 1 Down
  AutoclueForm->DefEdit->setText("Motor car");
  EXPECT_EQ(Lines(DefListForm->DwnList), (QStringList{"    1  Motor car  | CAR", "    2  Peaks | summits  | TOPS"}));
  EXPECT_EQ(Lines(DefListForm->AcrList), (QStringList{"    1  Felines  | CATS", "    3  Engrossed  | RAPT"}));
}

TEST_F(DefList, FullScreenEditAndBackRestoresBothWindows) {
  Open();
  AutoclueForm->SetBounds(-40, 100, 500, AutoclueForm->Height());
  DefListForm->SetBounds(-20, 300, 400, 250);
  const QRect autoclue = AutoclueForm->frameGeometry(), list = DefListForm->frameGeometry();
  DefListForm->ViewBtnClick();
  EXPECT_EQ(DefListForm->ViewBtn->toolTip(), "Normal view");
  EXPECT_EQ(AutoclueForm->frameGeometry(), QRect(8, 8, 1024 - 16, autoclue.height()));
  EXPECT_EQ(DefListForm->frameGeometry(),
            QRect(8, autoclue.height() + 12, 1024 - 16, 768 - autoclue.height() - 16));
  DefListForm->ViewBtnClick();
  EXPECT_EQ(DefListForm->ViewBtn->toolTip(), "Full screen edit");
  EXPECT_EQ(AutoclueForm->frameGeometry(), autoclue);
  EXPECT_EQ(DefListForm->frameGeometry(), list);
}

}  // namespace
