#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "AppTest.h"
#include "app/grid/XwdClueUnit.h"
#include "app/grid/XwdGridUnit.h"
#include "app/main/XwdMainUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "app/tools/XwdMsgUnit.h"
#include "platform/gui/Dialogs.h"

namespace {

using namespace platform::gui;

const QString kCorrupt = "Puzzle not in Quillmere format or is corrupt.";

class FileCommands : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    XwdMainForm->Show();
  }
  // A small finished puzzle with a clue, saved under `name`.
  QString Finished(const QString& name) {
    SetGrid("AB# CDE #FG");
    Puzzle.WordIdx(1, 1).Across = 1;
    Puzzle.SetClue(1, "First two");
    Puzzle.BylineText.Assign("Ann|2");
    const QString path = TempPath(name);
    XwdProcs->SavePuzzle(path);
    return path;
  }
  void OpenForSolving(const QString& path) {
    dialogs.ExpectOpen(path);
    XwdMainForm->Solve1->trigger();
  }
  void OpenForConstructing(const QString& path) {
    dialogs.ExpectOpen(path);
    XwdMainForm->ConstructOpen1->trigger();
  }
  QString Setting(const QString& name) { return XwdProcs->ReadSetting(name, ""); }
};

TEST_F(FileCommands, OpenSetsModeNameAndDialog) {
  const QString path = Finished("one.xwd");
  Puzzle = TXwdPuzzle{};
  OpenForSolving(path);
  EXPECT_EQ(EditMode, emSolve);
  EXPECT_EQ(PuzzleFileName, path);
  EXPECT_EQ(Puzzle.Clue(1), "First two");
  const auto& request = dialogs.Log().back().File;
  EXPECT_EQ(request.Title, "Open puzzle for solving");
  EXPECT_EQ(request.Filter, "Quillmere Crossword Puzzle |*.xwd");
  EXPECT_EQ(request.DefaultExt, "xwd");
  EXPECT_EQ(request.FileName, "");
  EXPECT_EQ(request.Options, unsigned(ofHideReadOnly | ofPathMustExist | ofFileMustExist));

  OpenForConstructing(path);
  EXPECT_EQ(EditMode, emLetters);
  EXPECT_EQ(dialogs.Log().back().File.Title, "Open puzzle for constructing");
}

TEST_F(FileCommands, FailedOpenKeepsThePreviousPuzzle) {
  const QString good = Finished("good.xwd");
  OpenForConstructing(good);
  const TXwdPuzzle shown = Puzzle;
  const QString bad = TempPath("bad.xwd");
  WriteFile(bad, QByteArray(100, 'x'));
  dialogs.ExpectOpen(bad);
  dialogs.ExpectMessage(mrOk);
  XwdMainForm->Solve1->trigger();
  EXPECT_EQ(dialogs.Log().back().Text, kCorrupt);
  EXPECT_TRUE(Puzzle == shown);
  EXPECT_EQ(PuzzleFileName, good);
  EXPECT_EQ(EditMode, emLetters);
}

TEST_F(FileCommands, CancelledOpenDialogChangesNothing) {
  const QString good = Finished("good.xwd");
  OpenForConstructing(good);
  dialogs.ExpectOpen(std::nullopt);
  XwdMainForm->Solve1->trigger();
  EXPECT_EQ(EditMode, emLetters);
  EXPECT_EQ(PuzzleFileName, good);
}

// Open, New and a history entry ask the save question before they leave a changed puzzle.
TEST_F(FileCommands, SaveQuestionBeforeLeavingAChangedPuzzle) {
  enum Command { Open, New, History };
  struct Case { Command command; bool construct; int answer; bool goesOn; bool saved; };
  const Case cases[] = {
      {Open, false, mrNone, true, true},  // solving: saved without a question
      {Open, true, mrYes, true, true},
      {Open, true, mrNo, true, false},
      {Open, true, mrCancel, false, false},
      {New, false, mrNone, true, true},
      {New, true, mrNo, true, false},
      {New, true, mrCancel, false, false},
      {History, false, mrNone, true, true},
      {History, true, mrYes, true, true},
      {History, true, mrCancel, false, false},
  };
  for (const Case& c : cases) {
    const QString first = Finished("first.xwd");
    const QString second = Finished("second.xwd");
    const QString fresh = TempPath("fresh.xwd");
    const QByteArray before = ReadFile(first);
    OpenForSolving(second);  // the second history item from now on
    if (c.construct)
      OpenForConstructing(first);
    else
      OpenForSolving(first);
    Puzzle.Solution(1, 1) = 'Z';
    Puzzle.Entries(1, 1) = 'Z';
    PuzzleModified = 1;
    if (c.answer != mrNone) dialogs.ExpectMessage(c.answer);
    QString next;
    switch (c.command) {
      case Open:
        next = second;
        if (c.goesOn) dialogs.ExpectOpen(second);
        XwdMainForm->Solve1->trigger();
        break;
      case New:
        next = fresh;
        if (c.goesOn) dialogs.ExpectSave(fresh);
        XwdMainForm->NewItems[0]->trigger();
        break;
      case History:
        next = second;
        XwdMainForm->History[1]->trigger();
        break;
    }
    const std::string what = std::to_string(c.command) + "/" + std::to_string(c.answer);
    EXPECT_EQ(PuzzleFileName, c.goesOn ? next : first) << what;
    EXPECT_EQ(ReadFile(first) != before, c.saved) << what;
    if (!c.goesOn) {
      EXPECT_EQ(PuzzleModified, 1) << what;
      EXPECT_EQ(Puzzle.Solution(1, 1), 'Z') << what;
    }
    TearDown();
    SetUp();
  }
}

TEST_F(FileCommands, NewPuzzleMakesSavesAndPresents) {
  XwdProcs->WriteSetting("Name", "Nell");
  XwdProcs->WriteSetting("GridLanguage", 3);
  const QString path = TempPath("fresh.xwd");
  dialogs.ExpectSave(path);
  XwdMainForm->NewItems[2]->trigger();  // "15x"
  const auto& request = dialogs.Log().back().File;
  EXPECT_EQ(request.Title, "New 15x puzzle for constructing");
  EXPECT_EQ(request.FileName, "untitled.xwd");
  EXPECT_EQ(request.Options, unsigned(ofOverwritePrompt | ofHideReadOnly));
  const QByteArray bytes = ReadFile(path);
  ASSERT_EQ(bytes.size(), 14156);
  EXPECT_EQ(bytes[0], 15);
  EXPECT_EQ(Puzzle.BylineText.Text(), "Nell|3");
  EXPECT_EQ(EditMode, emLetters);
  EXPECT_EQ(PuzzleFileName, path);
  EXPECT_EQ(PuzzleModified, 0);
  EXPECT_EQ(XwdMainForm->ModeLabel->text(), "Specifications");
}

TEST_F(FileCommands, NewPuzzleRefusesAnotherExtension) {
  for (const char* name : {"puzzle.txt", "puzzle.xwdx"}) {
    const QString path = TempPath(name);
    dialogs.ExpectSave(path);
    dialogs.ExpectMessage(mrOk);
    XwdMainForm->NewItems[0]->trigger();
    EXPECT_EQ(dialogs.Log().back().Text, "Not a valid Quillmere puzzle.");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(EditMode, 0);
  }
  const QString upper = TempPath("UPPER.XWD");
  dialogs.ExpectSave(upper);
  XwdMainForm->NewItems[0]->trigger();
  EXPECT_TRUE(QFile::exists(upper));
}

// A new file that cannot be written leaves the current puzzle, its name and its mode as they were.
TEST_F(FileCommands, FailedSaveOfANewFileKeepsTheCurrentPuzzle) {
  for (int command = 0; command < 3; ++command) {
    const QString first = Finished("first.xwd");
    OpenForConstructing(first);
    Puzzle.SetClue(1, "Unsaved");
    PuzzleModified = 1;
    const TXwdPuzzle shown = Puzzle;
    QAction* items[] = {XwdMainForm->NewItems[0], XwdMainForm->SavePuzzleAs1, XwdMainForm->CopyGridAs1};
    if (items[command] != XwdMainForm->SavePuzzleAs1) dialogs.ExpectMessage(mrNo);  // the save question
    dialogs.ExpectSave(TempPath("missing-folder/new.xwd"));
    dialogs.ExpectMessage(mrOk);  // the I/O error report
    items[command]->trigger();
    EXPECT_EQ(dialogs.Log().back().Type, MsgDlgType::Error) << command;
    EXPECT_TRUE(Puzzle == shown) << command;
    EXPECT_EQ(PuzzleFileName, first) << command;
    EXPECT_EQ(EditMode, emLetters) << command;
    EXPECT_FALSE(QFileInfo::exists(TempPath("missing-folder"))) << command;
    TearDown();
    SetUp();
  }
}

TEST_F(FileCommands, SaveWritesThePuzzleUnderTheNote) {
  const QString path = Finished("first.xwd");
  OpenForConstructing(path);
  Puzzle.SetClue(1, "Saved now");
  PuzzleModified = 1;
  XwdMainForm->Save1->trigger();
  EXPECT_EQ(PuzzleModified, 0);
  EXPECT_FALSE(InfoWin->Visible());
  TXwdPuzzle saved = Puzzle;
  Puzzle = TXwdPuzzle{};
  XwdProcs->LoadPuzzle(path);
  EXPECT_TRUE(Puzzle == saved);

  // A save that fails is reported, and the note goes away all the same.
  PuzzleFileName = TempPath("missing-folder/first.xwd");
  PuzzleModified = 1;
  dialogs.ExpectMessage(mrOk);
  XwdMainForm->Save1->trigger();
  EXPECT_EQ(dialogs.Log().back().Type, MsgDlgType::Error);
  EXPECT_EQ(PuzzleModified, 1);
  EXPECT_FALSE(InfoWin->Visible());
}

TEST_F(FileCommands, SaveAsSwitchesTheCurrentFile) {
  const QString first = Finished("first.xwd");
  OpenForConstructing(first);
  const QByteArray original = ReadFile(first);
  Puzzle.SetClue(1, "Changed");
  PuzzleModified = 1;
  const QString second = TempPath("second.xwd");
  dialogs.ExpectSave(second);
  XwdMainForm->SavePuzzleAs1->trigger();
  EXPECT_EQ(dialogs.Log().back().File.Title, "Save puzzle as...");
  EXPECT_EQ(PuzzleFileName, second);
  EXPECT_EQ(PuzzleModified, 0);

  Puzzle.SetClue(1, "Later");
  XwdMainForm->Save1->trigger();
  EXPECT_EQ(ReadFile(first), original);
  XwdProcs->LoadPuzzle(second);
  EXPECT_EQ(Puzzle.Clue(1), "Later");
}

TEST_F(FileCommands, CopyGridAsKeepsOnlyTheBlackSquares) {
  const QString first = Finished("first.xwd");
  OpenForConstructing(first);
  const QByteArray original = ReadFile(first);
  const QString copy = TempPath("copy.xwd");
  dialogs.ExpectSave(copy);
  XwdMainForm->CopyGridAs1->trigger();
  EXPECT_EQ(dialogs.Log().back().File.Title, "Copy grid as...");
  EXPECT_EQ(PuzzleFileName, copy);
  EXPECT_EQ(ReadFile(first), original);
  Puzzle = TXwdPuzzle{};
  XwdProcs->LoadPuzzle(copy);
  EXPECT_EQ(Puzzle.Solution(3, 1), BlackSquare);
  EXPECT_EQ(Puzzle.Solution(1, 3), BlackSquare);
  EXPECT_EQ(Puzzle.Solution(1, 1), EmptySquare);
  EXPECT_EQ(Puzzle.Clue(1), "");
  EXPECT_EQ(Puzzle.WordIdx(1, 1).Across, 0);
}

TEST_F(FileCommands, CopyGridAsAsksAboutUnsavedChanges) {
  const QString first = Finished("first.xwd");
  OpenForConstructing(first);
  PuzzleModified = 1;
  dialogs.ExpectMessage(mrCancel);
  XwdMainForm->CopyGridAs1->trigger();
  EXPECT_EQ(dialogs.Log().back().Text, "Puzzle has changed. Save current changes?");
  EXPECT_EQ(PuzzleFileName, first);
  EXPECT_EQ(PuzzleModified, 1);
}

TEST_F(FileCommands, RevertDiscardsChanges) {
  const QString path = Finished("first.xwd");
  OpenForConstructing(path);
  Puzzle.Solution(1, 1) = 'Z';
  PuzzleModified = 1;
  dialogs.ExpectMessage(mrNo);
  XwdMainForm->ReverttoSaved1->trigger();
  EXPECT_EQ(dialogs.Log().back().Text, "Discard all recent changes and return to last saved puzzle?");
  EXPECT_EQ(Puzzle.Solution(1, 1), 'Z');

  XwdGridForm->Direction = 2;
  XwdMainForm->DataMemo->setPlainText("stale");
  dialogs.ExpectMessage(mrYes);
  XwdMainForm->ReverttoSaved1->trigger();
  EXPECT_EQ(Puzzle.Solution(1, 1), 'A');
  EXPECT_EQ(PuzzleModified, 0);
  EXPECT_EQ(XwdGridForm->Direction, 0);
  EXPECT_TRUE(XwdMainForm->DataMemoText().rfind("Size of Grid: 3", 0) == 0);
  EXPECT_EQ(EditMode, emLetters);
}

TEST_F(FileCommands, RevertInSolveModeClearsTheClueStatus) {
  const QString path = Finished("first.xwd");
  OpenForSolving(path);
  CluesForm->ClueList->addItem("First two");
  CluesForm->SetItemIndex(0);
  XwdMainForm->ModeLabel->setText("Across Clue");
  XwdMainForm->DataMemo->setPlainText("First two");
  dialogs.ExpectMessage(mrYes);
  XwdMainForm->ReverttoSaved1->trigger();
  EXPECT_EQ(XwdMainForm->ModeLabel->text(), "");
  EXPECT_EQ(XwdMainForm->DataMemoText(), "");
  EXPECT_EQ(CluesForm->ItemIndex(), -1);
}

// A failed Revert says what the system said, and keeps the record on screen.
TEST_F(FileCommands, FailedRevertKeepsTheRecord) {
  struct Case {
    const char* what;
    std::function<void(const QString& path)> spoil;
    QString report;
  };
  for (const Case& c : {Case{"cut short", [](const QString& path) { WriteFile(path, QByteArray(10, 'x')); },
                             "Read beyond end of file"},
                        Case{"gone", [](const QString& path) { QFile::remove(path); }, "No such file or directory"}}) {
    SCOPED_TRACE(c.what);
    const QString path = Finished("first.xwd");
    OpenForConstructing(path);
    Puzzle.Solution(1, 1) = 'Z';
    PuzzleModified = 1;
    c.spoil(path);
    dialogs.ExpectMessage(mrYes);
    dialogs.ExpectMessage(mrOk);
    XwdMainForm->ReverttoSaved1->trigger();
    EXPECT_EQ(dialogs.Log().back().Text, c.report);
    EXPECT_EQ(Puzzle.Solution(1, 1), 'Z');
    EXPECT_EQ(PuzzleModified, 1);
  }
}

// ---- History ---------------------------------------------------------------------------------

TEST_F(FileCommands, HistoryKeepsTheLastThreeMostRecentFirst) {
  QStringList paths;
  for (const char* name : {"alpha.xwd", "bravo.xwd", "charlie.xwd", "delta.xwd"}) paths << Finished(name);
  OpenForSolving(paths[0]);
  OpenForConstructing(paths[1]);
  OpenForSolving(paths[2]);
  OpenForConstructing(paths[3]);
  EXPECT_EQ(Setting("HistoryPuzzle1"), paths[3] + " /c");
  EXPECT_EQ(Setting("HistoryPuzzle2"), paths[2] + " /s");
  EXPECT_EQ(Setting("HistoryPuzzle3"), paths[1] + " /c");
  EXPECT_EQ(Setting("CurrentPuzzle"), paths[3]);
  const auto& items = XwdMainForm->History;
  EXPECT_EQ(items[0]->text(), "&1 DELTA");
  EXPECT_EQ(items[1]->text(), "&2 CHARLIE");
  EXPECT_EQ(items[2]->text(), "&3 BRAVO");
  EXPECT_EQ(items[0]->data().toInt(), 0);  // construct icon
  EXPECT_EQ(items[1]->data().toInt(), 1);  // solve icon
  for (QAction* item : items) EXPECT_TRUE(item->isVisible());
  EXPECT_TRUE(XwdMainForm->HistorySeparator->isVisible());
}

TEST_F(FileCommands, HistoryHoldsAPathOnceForEachMode) {
  const QString path = Finished("both.xwd");
  OpenForConstructing(path);
  OpenForSolving(path);
  EXPECT_EQ(Setting("HistoryPuzzle1"), path + " /s");
  EXPECT_EQ(Setting("HistoryPuzzle2"), path + " /c");
  EXPECT_FALSE(XwdMainForm->History[2]->isVisible());
}

TEST_F(FileCommands, HistorySkipsMalformedEntries) {
  const QString path = Finished("ok.xwd");
  XwdProcs->WriteSetting("HistoryPuzzle1", "/x");
  XwdProcs->WriteSetting("HistoryPuzzle2", path + " /s");
  XwdProcs->WriteSetting("HistoryPuzzle3", path + " /q");
  XwdMainForm->RebuildHistory();
  EXPECT_EQ(XwdMainForm->History[0]->text(), "&1 OK");
  EXPECT_FALSE(XwdMainForm->History[1]->isVisible());
  EXPECT_EQ(Setting("HistoryPuzzle1"), path + " /s");
}

TEST_F(FileCommands, HistoryOpensInItsMode) {
  const QString a = Finished("alpha.xwd");
  const QString b = Finished("bravo.xwd");
  OpenForSolving(a);
  OpenForConstructing(b);
  XwdMainForm->History[1]->trigger();  // alpha, solving
  EXPECT_EQ(PuzzleFileName, a);
  EXPECT_EQ(EditMode, emSolve);
  EXPECT_EQ(QDir::currentPath(), QFileInfo(a).absolutePath());
  EXPECT_EQ(Setting("HistoryPuzzle1"), a + " /s");
}

TEST_F(FileCommands, HistoryOfTheOpenPuzzleDoesNothing) {
  const QString a = Finished("alpha.xwd");
  OpenForConstructing(a);
  OpenForSolving(a);  // history: alpha /s, alpha /c
  Puzzle.Entries(1, 1) = 'Q';
  PuzzleModified = 1;
  XwdMainForm->History[1]->trigger();  // the same file in the other mode: no question, no change
  EXPECT_EQ(EditMode, emSolve);
  EXPECT_EQ(PuzzleModified, 1);
  EXPECT_EQ(Puzzle.Entries(1, 1), 'Q');
}

TEST_F(FileCommands, HistoryReportsMissingAndCorruptFiles) {
  const QString a = Finished("alpha.xwd");
  const QString gone = Finished("gone.xwd");
  const QString broken = Finished("broken.xwd");
  OpenForSolving(gone);
  OpenForSolving(broken);
  OpenForConstructing(a);
  QFile::remove(gone);
  WriteFile(broken, QByteArray(50, 'x'));
  const TXwdPuzzle shown = Puzzle;

  dialogs.ExpectMessage(mrOk);
  XwdMainForm->History[2]->trigger();  // gone
  EXPECT_EQ(dialogs.Log().back().Text, "Unable to locate this puzzle from path in history list.");
  dialogs.ExpectMessage(mrOk);
  XwdMainForm->History[1]->trigger();  // broken
  EXPECT_EQ(dialogs.Log().back().Text, kCorrupt);
  // A puzzle is on screen: it stays, with its name and mode.
  EXPECT_TRUE(Puzzle == shown);
  EXPECT_EQ(PuzzleFileName, a);
  EXPECT_EQ(EditMode, emLetters);
}

TEST_F(FileCommands, FailedHistoryOpenBeforeAnyPuzzleLeavesNoName) {
  XwdProcs->WriteSetting("HistoryPuzzle1", TempPath("gone.xwd") + " /c");
  XwdMainForm->RebuildHistory();
  dialogs.ExpectMessage(mrOk);
  XwdMainForm->History[0]->trigger();
  EXPECT_TRUE(PuzzleFileName.isEmpty());
  EXPECT_EQ(EditMode, 0);
}

}  // namespace
