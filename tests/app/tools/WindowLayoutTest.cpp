// The window layout on a fixed 1024 by 768 screen (a small caption of 15, squares of 30): the
// bounds each arrangement stores, and Auto Arrange placing the open windows from them.

#include <gtest/gtest.h>

#include <QRect>

#include "AppTest.h"
#include "app/clues/XwdAutoUnit.h"
#include "app/grid/XwdClueUnit.h"
#include "app/grid/XwdGridUnit.h"
#include "app/main/XwdMainUnit.h"
#include "app/puzzle/XwdProcsUnit.h"

namespace {

class WindowLayout : public AppTest {
 protected:
  // A 15 by 15 puzzle presented for constructing, with a main window of at least 300 by 400.
  void Present() {
    Puzzle.GridSize = 15;
    Puzzle.BylineText.Assign("Ann|0");
    const QString path = TempPath("layout.xwd");
    XwdProcs->SavePuzzle(path);
    Puzzle = TXwdPuzzle{};
    XwdMainForm->SetCommandLine({path, "-C"});
    XwdMainForm->Show();
    ASSERT_TRUE(XwdGridForm->Visible());
    // 300 by 400 with its frame.
    const QSize frame = XwdMainForm->frameGeometry().size() - XwdMainForm->size();
    XwdMainForm->setMinimumSize(QSize(300, 400) - frame);
    ASSERT_EQ(XwdMainForm->MinimumBounds(), QSize(300, 400));
  }

  static QString Stored(const char* name) { return XwdProcs->ReadSetting(name, "(none)"); }

  static QRect Bounds(const platform::gui::TForm* form) {
    return {form->Left(), form->Top(), form->Width(), form->Height()};
  }
};

TEST_F(WindowLayout, FixedArrangementsStoreTheirBounds) {
  Present();
  ASSERT_EQ(DefaultSquareSize, 30);
  // R = 1024 - 300 - 4 = 720; the grid window is 15 + 23 x 30 + 9 = 714 high.
  struct Case {
    char code;
    const char* main;
    const char* grid;
    const char* clues;
  };
  const Case cases[] = {
      {1, "720,2,300,400", "2,2,720,714", "720,404,300,362"},
      {2, "720,364,300,400", "2,2,720,714", "720,2,300,362"},
      {3, "2,364,300,400", "304,2,720,714", "2,2,300,362"},
      {4, "2,2,300,400", "304,2,720,714", "2,404,300,362"},
  };
  for (const Case& c : cases) {
    XwdProcs->WriteSetting("ScreenBoundsAutoclue", "1,2,3,4");
    XwdProcs->WriteSetting("ScreenSquare", 17);
    XwdMainForm->SaveScreenLayout(c.code);
    EXPECT_EQ(Stored("ScreenBoundsMain"), c.main) << int(c.code);
    EXPECT_EQ(Stored("ScreenBoundsGrid"), c.grid) << int(c.code);
    EXPECT_EQ(Stored("ScreenBoundsClues"), c.clues) << int(c.code);
    EXPECT_EQ(Stored("ScreenBoundsAutoclue"), "") << "Autoclue takes its own place: " << int(c.code);
    EXPECT_EQ(XwdProcs->ReadSetting("ScreenSquare", 0), 30) << int(c.code);
  }
}

TEST_F(WindowLayout, CustomArrangementStoresTheBoundsOfTheVisibleWindows) {
  Present();
  XwdProcs->WriteSetting("ScreenBoundsClues", "9,9,9,9");
  XwdProcs->WriteSetting("ScreenBoundsAutoclue", "8,8,8,8");
  XwdMainForm->SetBounds(100, 50, 320, 420);
  XwdGridForm->SetBounds(30, 40, XwdGridForm->Width(), XwdGridForm->Height());
  const QRect grid = Bounds(XwdGridForm);
  SquareSize = 25;
  ASSERT_FALSE(CluesForm->Visible());
  ASSERT_FALSE(AutoclueForm->Visible());

  XwdMainForm->SaveScreenLayout('c');
  EXPECT_EQ(Stored("ScreenBoundsMain"), "100,50,320,420");
  EXPECT_EQ(Stored("ScreenBoundsGrid"), QString("30,40,%1,%2").arg(grid.width()).arg(grid.height()));
  EXPECT_EQ(Stored("ScreenBoundsClues"), "9,9,9,9") << "a hidden window keeps its stored place";
  EXPECT_EQ(Stored("ScreenBoundsAutoclue"), "8,8,8,8");
  EXPECT_EQ(XwdProcs->ReadSetting("ScreenSquare", 0), 25) << "the grid keeps its present squares";

  CluesForm->Show();
  CluesForm->SetBounds(600, 300, 250, 400);
  AutoclueForm->Show();
  AutoclueForm->SetBounds(200, 500, 500, AutoclueForm->Height());
  const int autoclueHeight = AutoclueForm->Height();
  XwdMainForm->SaveScreenLayout('c');
  EXPECT_EQ(Stored("ScreenBoundsClues"), "600,300,250,400");
  EXPECT_EQ(Stored("ScreenBoundsAutoclue"), QString("200,500,500,%1").arg(autoclueHeight));
}

TEST_F(WindowLayout, AnyOtherCodeStoresOnlyTheSquareSize) {
  Present();
  for (const char* name : {"ScreenBoundsMain", "ScreenBoundsGrid", "ScreenBoundsClues", "ScreenBoundsAutoclue"})
    XwdProcs->WriteSetting(name, "1,2,3,4");
  for (char code : {char(0), char(5), 'x'}) {
    XwdProcs->WriteSetting("ScreenSquare", 17);
    XwdMainForm->SaveScreenLayout(code);
    EXPECT_EQ(XwdProcs->ReadSetting("ScreenSquare", 0), 30) << int(code);
    for (const char* name : {"ScreenBoundsMain", "ScreenBoundsGrid", "ScreenBoundsClues", "ScreenBoundsAutoclue"})
      EXPECT_EQ(Stored(name), "1,2,3,4") << name << " " << int(code);
  }
}

TEST_F(WindowLayout, AutoArrangePlacesOnlyTheVisibleWindows) {
  Present();
  CluesForm->Show();
  CluesForm->Hide();
  const QRect hiddenClues = Bounds(CluesForm);
  XwdProcs->WriteSetting("ScreenBoundsMain", "700,10,320,420");
  XwdProcs->WriteSetting("ScreenBoundsGrid", "20,30,500,500");
  XwdProcs->WriteSetting("ScreenBoundsClues", "710,440,300,300");
  XwdMainForm->SetBounds(5, 5, 300, 400);
  XwdGridForm->SetBounds(300, 300, XwdGridForm->Width(), XwdGridForm->Height());

  XwdMainForm->AutoArrange1->trigger();
  EXPECT_EQ(Bounds(XwdMainForm), QRect(700, 10, 320, 420));
  EXPECT_EQ(Bounds(XwdGridForm).topLeft(), QPoint(20, 30)) << "the grid takes only its corner";
  EXPECT_FALSE(CluesForm->Visible());
  EXPECT_EQ(Bounds(CluesForm), hiddenClues);

  CluesForm->Show();
  CluesForm->SetBounds(0, 0, 200, 200);
  XwdMainForm->AutoArrange1->trigger();
  EXPECT_EQ(Bounds(CluesForm), QRect(710, 440, 300, 300));
}

// A stored value that is not four integers counts as none: every window takes its default place.
TEST_F(WindowLayout, MalformedBoundsGiveTheDefaultPlace) {
  Present();
  CluesForm->Show();
  AutoclueForm->Show();
  for (const char* bad : {"", "1,2,3", "a,b,c,d", "1,2,3,4,5", "1,,3,4"}) {
    for (const char* name : {"ScreenBoundsMain", "ScreenBoundsGrid", "ScreenBoundsClues", "ScreenBoundsAutoclue"})
      XwdProcs->WriteSetting(name, bad);
    XwdMainForm->AutoArrange1->trigger();
    // The main window at the top right, 4 pixels from the edge, at its smallest; the clue list
    // under it; the grid at the top left; Autoclue in the middle, half the screen wide.
    EXPECT_EQ(Bounds(XwdMainForm), QRect(720, 2, 300, 400)) << bad;
    EXPECT_EQ(Bounds(XwdGridForm).topLeft(), QPoint(2, 2)) << bad;
    EXPECT_EQ(Bounds(CluesForm), QRect(720, 404, 300, 362)) << bad;
    const QRect autoclue = Bounds(AutoclueForm);
    EXPECT_EQ(autoclue.left(), 256) << bad;
    EXPECT_EQ(autoclue.width(), 512) << bad;
    EXPECT_EQ(autoclue.top(), (768 - autoclue.height()) / 2) << bad;
  }
}

}  // namespace
