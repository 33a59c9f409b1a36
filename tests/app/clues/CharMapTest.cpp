#include <QApplication>
#include <QHeaderView>
#include <gtest/gtest.h>

#include "AppTest.h"
#include "app/clues/CharMapUnit.h"
#include "app/clues/XwdAutoUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "clues/ClueFixture.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/SystemMetrics.h"

namespace {

class CharMap : public AppTest {
 protected:
  void OpenAutoclue() {
    SetGrid(kFourWords);
    EditMode = emLetters;
    AutoclueForm->Show();
    AutoclueForm->CharsBtnClick();
  }
};

TEST_F(CharMap, CellsHoldTheirCharactersAndClickingStoresTheByte) {
  OpenAutoclue();
  struct Case { int col, row; const char* text; };
  for (const Case& c : {Case{0, 0, "___"}, Case{1, 0, "\xA2"}, Case{2, 0, "\xA3"}, Case{3, 0, "\xA1"},
                        Case{5, 0, "\x85"}, Case{2, 2, "\x9A"}, Case{3, 2, "\x8A"}, Case{0, 3, "\xBF"},
                        Case{4, 9, "\xFF"}, Case{5, 9, "\x83"}, Case{9, 9, "\x99"}}) {
    EXPECT_EQ(TCharMapForm::CellText(c.col, c.row), c.text) << c.col << "," << c.row;
    EXPECT_EQ(CharMapForm->CharGrid->item(c.row, c.col)->text(), platform::gui::FromAnsi(c.text));
    AutoclueForm->DefEdit->clear();
    emit CharMapForm->CharGrid->cellClicked(c.row, c.col);
    EXPECT_EQ(Puzzle.Clue(1), c.text) << c.col << "," << c.row;
  }
}

TEST_F(CharMap, InsertsInFrontOfTheSelectionAndKeepsIt) {
  OpenAutoclue();
  AutoclueForm->DefEdit->setText("big cat");
  AutoclueForm->DefEdit->setSelection(4, 3);
  CharMapForm->CharGridSelectCell(9, 1);
  EXPECT_EQ(Puzzle.Clue(1), "big \xAE" "cat");
  AutoclueForm->DefEdit->setCursorPosition(3);
  CharMapForm->CharGridSelectCell(0, 0);
  EXPECT_EQ(Puzzle.Clue(1), "big___ \xAE" "cat");
}

// The blank's cell draws its text, and the window leaves the title bar room for the caption.
TEST_F(CharMap, TheBlankIsDrawnAndTheCaptionFits) {
  OpenAutoclue();
  const QTableWidget* grid = CharMapForm->CharGrid;
  const QImage cells = grid->viewport()->grab().toImage();
  const QRect blank = grid->visualItemRect(grid->item(0, 0));
  const QColor background = cells.pixelColor(blank.topLeft() + QPoint(1, 1));
  int drawn = 0;
  for (int y = blank.top(); y <= blank.bottom(); ++y)
    for (int x = blank.left(); x <= blank.right(); ++x) drawn += cells.pixelColor(x, y) != background;
  EXPECT_GT(drawn, 4);

  QFont bold = QApplication::font();
  bold.setBold(true);
  const int caption = QFontMetrics(bold).horizontalAdvance("Special Characters");
  EXPECT_GE(CharMapForm->Width(), caption + 4 * platform::gui::GetSystemMetrics(platform::gui::SM_CYSMCAPTION));
  EXPECT_EQ(grid->horizontalHeader()->length(), grid->viewport()->width()) << "the columns fill the window";
}

TEST_F(CharMap, StartsWithoutASelectedCell) {
  EXPECT_EQ(CharMapForm->CharGrid->currentRow(), -1);
  EXPECT_EQ(CharMapForm->CharGrid->rowCount(), 10);
  EXPECT_EQ(CharMapForm->CharGrid->columnCount(), 10);
}

TEST_F(CharMap, CellsFollowThePixelsPerInch) {
  struct Case { int ppi, width, height; };
  for (const Case& c : {Case{96, 16, 19}, Case{120, 20, 24}, Case{144, 24, 28}}) {
    platform::gui::FixedMetrics metrics;
    metrics.PixelsPerInch = c.ppi;
    platform::gui::SetFixedMetrics(metrics);
    TCharMapForm form;
    form.Create();
    EXPECT_EQ(form.CharGrid->horizontalHeader()->defaultSectionSize(), c.width) << c.ppi;
    EXPECT_EQ(form.CharGrid->verticalHeader()->defaultSectionSize(), c.height) << c.ppi;
  }
}

}  // namespace
