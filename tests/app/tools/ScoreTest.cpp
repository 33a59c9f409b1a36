#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "AppTest.h"
#include "app/grid/XwdClueUnit.h"
#include "app/grid/XwdGridUnit.h"
#include "app/main/XwdMainUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "app/tools/ScoreUnit.h"
#include "app/tools/XwdClockUnit.h"
#include "platform/gui/Dialogs.h"

namespace {

using namespace platform::gui;
using testing_support::PlayedSound;

// A 3 by 3 puzzle: answers CAT / A#O / BOX; entries typed row by row ('.' empty).
void SetEntries(const std::string& rows) {
  for (int y = 1; y <= 3; ++y)
    for (int x = 1; x <= 3; ++x) {
      const char c = rows[static_cast<std::size_t>((y - 1) * 3 + (x - 1))];
      Puzzle.Entries(x, y) = c == '.' || c == '#' ? 0 : static_cast<std::uint8_t>(c);
    }
}

class ScoreCard : public AppTest {
 protected:
  // Opens a puzzle file for solving through the main window.
  QString Solve(const std::string& answers, const std::string& entries) {
    SetGrid(answers);
    SetEntries(entries);
    Puzzle.BylineText.Assign("Ann|0");
    const QString path = TempPath("score.xwd");
    XwdProcs->SavePuzzle(path);
    XwdMainForm->SetCommandLine({path});
    XwdMainForm->Show();
    sounds.Clear();
    return path;
  }
};

TEST_F(ScoreCard, Verdicts) {
  struct Case { const char* name; const char* answers; const char* entries; bool solved; };
  for (const Case& c : {Case{"all right", "CATA#OBOX", "CATA#OBOX", true},
                        Case{"one wrong letter", "CATA#OBOX", "CATA#OBOY", false},
                        Case{"an empty entry", "CATA#OBOX", "CA.A#OBOX", false},
                        Case{"a placeholder answer", "CA?A#OBOX", "CA?A#OBOX", false},
                        Case{"empty in both", "CA.A#OBOX", "CA.A#OBOX", true},
                        Case{"an entry under a black square", "CATA#OBOX", "CATAXOBOX", true}}) {
    SetGrid(c.answers);
    SetEntries(c.entries);
    sounds.Clear();
    ScoreForm->BeginModal();
    EXPECT_EQ(IsPuzzleSolved(Puzzle), c.solved) << c.name;
    EXPECT_EQ(ScoreForm->BannerLbl->text(), c.solved ? "CONGRATULATIONS!" : "PUZZLE INCORRECT!") << c.name;
    EXPECT_EQ(ScoreForm->BannerLbl->palette().color(QPalette::WindowText),
              c.solved ? QColor(0, 0, 0x80) : QColor(0xFF, 0, 0))
        << c.name;
    EXPECT_EQ(ScoreForm->DeleteBtn->isEnabled(), c.solved) << c.name;
    EXPECT_EQ(ScoreForm->ShowErrsBtn->isEnabled(), !c.solved) << c.name;
    EXPECT_EQ(sounds.Played(), (std::vector<PlayedSound>{{c.solved ? "WAVE_2" : "WAVE_3", true}})) << c.name;
    ScoreForm->EndModal();
  }
}

// The solving time ends with the solving: the congratulations stop the clock where it stands,
// a wrong answer leaves it running.
TEST_F(ScoreCard, ASolvedPuzzleStopsTheClock) {
  Solve("CATA#OBOX", "CATA#OBO.");
  XwdMainForm->Clock1->trigger();
  ASSERT_TRUE(XwdClockForm->Visible());
  for (int i = 0; i < 7; ++i) XwdClockForm->Timer1Timer();
  for (const bool solved : {false, true}) {
    SCOPED_TRACE(solved ? "solved" : "not solved");
    if (solved) SetEntries("CATA#OBOX");
    dialogs.ExpectModal([](TForm&) { return mrCancel; });
    XwdMainForm->ScorePuzzle1->trigger();
    EXPECT_EQ(XwdClockForm->Timer1->isActive(), !solved);
    EXPECT_EQ(XwdClockForm->ClockBtn->toolTip(), solved ? "Continue clock" : "Pause clock");
  }
  EXPECT_EQ(XwdClockForm->TimeLbl->text(), "0:00:07");
}

TEST_F(ScoreCard, CheatLabelOnlyForACheatedSolution) {
  SetGrid("CATA#OBOX");
  for (const std::uint8_t cheated : {0, 1}) {
    SetEntries("CATA#OBOX");
    XwdGridForm->Cheated = cheated;
    ScoreForm->BeginModal();
    EXPECT_EQ(ScoreForm->CheatLbl->isVisible(), cheated == 1);
    ScoreForm->EndModal();
    SetEntries("CATA#OBO.");
    ScoreForm->BeginModal();
    EXPECT_FALSE(ScoreForm->CheatLbl->isVisible()) << "only with the congratulations";
    ScoreForm->EndModal();
  }
}

TEST_F(ScoreCard, NoSoundsAtSoundLevelZero) {
  SoundLevel = 0;
  SetGrid("CATA#OBOX");
  ScoreForm->BeginModal();
  ScoreForm->EndModal();
  EXPECT_TRUE(sounds.Played().empty());
}

TEST_F(ScoreCard, StartOverEmptiesTheEntriesAndSavesAtOnce) {
  const QString path = Solve("CATA#OBOX", "CATA#OB..");
  PuzzleModified = 1;
  dialogs.ExpectModal([](TForm&) {
    ScoreForm->StartOverBtnClick();
    return mrNone;
  });
  XwdMainForm->ScorePuzzle1Click();
  EXPECT_EQ(ScoreForm->ModalResult(), mrCancel);
  const QByteArray file = ReadFile(path);
  ASSERT_EQ(file.size(), 14156);
  EXPECT_EQ(file.mid(531, 529), QByteArray(529, '\0'));
  EXPECT_EQ(Puzzle.Entries(1, 1), 0);
  EXPECT_EQ(PuzzleModified, 0);
  EXPECT_EQ(PuzzleFileName, path);
}

TEST_F(ScoreCard, AFailedStartOverSaveIsReportedAndKeepsTheChange) {
  Solve("CATA#OBOX", "CATA#OB..");
  PuzzleFileName = TempPath("no such folder/score.xwd");
  dialogs.ExpectModal([](TForm&) {
    ScoreForm->StartOverBtnClick();
    return mrNone;
  });
  dialogs.ExpectMessage(mrOk);
  XwdMainForm->ScorePuzzle1Click();
  EXPECT_EQ(dialogs.Log().back().Type, MsgDlgType::Error);
  EXPECT_EQ(PuzzleModified, 1);
  EXPECT_EQ(Puzzle.Entries(1, 1), 0);
  EXPECT_EQ(sounds.Played(), (std::vector<PlayedSound>{{"WAVE_3", true}, {"WAVE_7", true}}));
}

TEST_F(ScoreCard, RecycleBinMovesTheSolvedPuzzleToTheTrash) {
  const QString path = Solve("CATA#OBOX", "CATA#OBOX");
  dialogs.ExpectModal([](TForm&) { return mrAbort; });
  XwdMainForm->ScorePuzzle1Click();
  EXPECT_FALSE(QFileInfo::exists(path));
  EXPECT_TRUE(QFileInfo::exists(TempPath("data/Trash/files/score.xwd")));
  EXPECT_TRUE(PuzzleFileName.isEmpty());
  EXPECT_EQ(XwdProcs->ReadSetting("HistoryPuzzle1", "x"), "");
  EXPECT_EQ(XwdProcs->ReadSetting("CurrentPuzzle", "x"), "");
  EXPECT_FALSE(XwdGridForm->Visible());
  EXPECT_FALSE(CluesForm->Visible());
  EXPECT_EQ(XwdMainForm->Byline->text(), "!!! DELETED !!!");
  for (QAction* item : {XwdMainForm->Save1, XwdMainForm->Print1, XwdMainForm->ScorePuzzle1, XwdMainForm->ReverttoSaved1})
    EXPECT_FALSE(item->isEnabled());
  EXPECT_FALSE(XwdMainForm->CheatBtn->isEnabled());
}

TEST_F(ScoreCard, AFailedRecycleChangesNothing) {
  const QString path = Solve("CATA#OBOX", "CATA#OBOX");
  ASSERT_TRUE(QFile::remove(path));
  dialogs.ExpectModal([](TForm&) { return mrAbort; });
  dialogs.ExpectMessage(mrOk);
  XwdMainForm->ScorePuzzle1Click();
  EXPECT_EQ(dialogs.Log().back().Text, "Unable to move the puzzle to the trash.");
  EXPECT_EQ(PuzzleFileName, path);
  EXPECT_EQ(XwdProcs->ReadSetting("HistoryPuzzle1", ""), path + " /s");
  EXPECT_TRUE(XwdGridForm->Visible());
  EXPECT_TRUE(CluesForm->Visible());
  EXPECT_TRUE(XwdMainForm->Save1->isEnabled());
  EXPECT_NE(XwdMainForm->Byline->text(), "!!! DELETED !!!");
}

}  // namespace
