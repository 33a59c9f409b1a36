#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

#include "AppTest.h"
#include "app/clues/CharMapUnit.h"
#include "app/clues/CluesDBUnit.h"
#include "app/clues/DefListUnit.h"
#include "app/clues/XwdAutoUnit.h"
#include "app/grid/XwdClueUnit.h"
#include "app/grid/XwdGridUnit.h"
#include "app/main/XwdMainUnit.h"
#include "app/output/ExportUnit.h"
#include "app/output/XwdPrintUnit.h"
#include "app/puzzle/SFXUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "app/tools/AnalysisUnit.h"
#include "app/tools/BylineUnit.h"
#include "app/tools/LaunchUnit.h"
#include "app/tools/ScanGridUnit.h"
#include "app/tools/ScoreUnit.h"
#include "app/tools/XwdAboutUnit.h"
#include "app/tools/XwdClockUnit.h"
#include "app/tools/XwdMsgUnit.h"
#include "app/tools/XwdPrefUnit.h"
#include "platform/gui/Dialogs.h"

namespace {

using namespace platform::gui;

class MainWindow : public AppTest {
 protected:
  void Start(const QStringList& arguments = {}) {
    XwdMainForm->SetCommandLine(arguments);
    XwdMainForm->Show();
  }
  // A 15 by 15 puzzle file with no black squares.
  QString EmptyFifteen(const QString& name = "fifteen.xwd") {
    Puzzle = TXwdPuzzle{};
    Puzzle.GridSize = 15;
    Puzzle.BylineText.Assign("Ann|0");
    const QString path = TempPath(name);
    XwdProcs->SavePuzzle(path);
    Puzzle = TXwdPuzzle{};
    return path;
  }
  // An 11 by 11 puzzle by "Old Name" (language 5), open for constructing.
  void StartConstructingOldName() {
    Puzzle.GridSize = 11;
    Puzzle.BylineText.Assign("Old Name|5");
    const QString path = TempPath("byline.xwd");
    XwdProcs->SavePuzzle(path);
    Start({path, "-C"});
  }
};

TEST_F(MainWindow, EveryWindowAndModuleExistsFromTheStart) {
  const std::vector<const QObject*> all = {
      XwdMainForm, XwdProcs,  BylineForm, CharMapForm,  CluesDBForm,  DefListForm, ExportForm,
      LaunchModule, ScanGridForm, ScoreForm, SoundFX,   XwdAboutForm, AutoclueForm, XwdClockForm,
      CluesForm,    XwdGridForm,  InfoWin,   XwdPrefForm, XwdPrintForm, AnalysisForm};
  for (std::size_t i = 0; i < all.size(); ++i) EXPECT_NE(all[i], nullptr) << "window " << i + 1;
  // The full-screen client height less a menu bar, over 23 squares: (709 - 19) div 23.
  EXPECT_EQ(DefaultSquareSize, 30);
}

TEST_F(MainWindow, StartsAsTheLogoWindowWithoutArguments) {
  Start();
  EXPECT_TRUE(XwdMainForm->LogoImage->isVisible());
  EXPECT_FALSE(XwdMainForm->DataMemo->isVisible());
  EXPECT_FALSE(XwdMainForm->Save1->isEnabled());
  EXPECT_FALSE(XwdMainForm->SpecialMenu->isEnabled());
  EXPECT_TRUE(XwdMainForm->Solve1->isEnabled());
  EXPECT_FALSE(XwdGridForm->Visible());
  EXPECT_EQ(EditMode, 0);
  // A window of fixed size around the logo, and the pictures are the program's own.
  EXPECT_EQ(XwdMainForm->minimumSize(), XwdMainForm->maximumSize());
  EXPECT_EQ(XwdMainForm->width(), XwdMainForm->LogoImage->width() + 8);
  EXPECT_FALSE(XwdMainForm->LogoImage->pixmap().isNull());
  for (QToolButton* button : {XwdMainForm->MouseBtn, XwdMainForm->SymmetryBtn, XwdMainForm->AutoclueBtn})
    EXPECT_FALSE(button->icon().isNull());
}

TEST_F(MainWindow, CommandLineChoosesTheMode) {
  struct Case { const char* second; std::uint8_t mode; };
  for (const Case& c : {Case{nullptr, emSolve}, Case{"-C", emLetters}, Case{"-c", emLetters}, Case{"-x", emSolve}}) {
    const QString path = EmptyFifteen();
    QStringList arguments{path};
    if (c.second) arguments << c.second;
    Start(arguments);
    EXPECT_EQ(EditMode, c.mode) << (c.second ? c.second : "(none)");
    EXPECT_EQ(PuzzleFileName, path);
    EXPECT_TRUE(XwdGridForm->Visible());
    EXPECT_EQ(CluesForm->Visible(), c.mode == emSolve);
    TearDown();
    SetUp();
  }
}

TEST_F(MainWindow, CommandLinePathBecomesAbsolute) {
  const QString path = EmptyFifteen("relative.xwd");
  const QString previous = QDir::currentPath();
  QDir::setCurrent(QFileInfo(path).absolutePath());
  Start({"relative.xwd"});
  QDir::setCurrent(previous);
  EXPECT_EQ(PuzzleFileName, path);
  EXPECT_EQ(XwdProcs->ReadSetting("HistoryPuzzle1", ""), path + " /s");
}

TEST_F(MainWindow, MissingCommandLineFileKeepsTheLogoAndBuildsTheHistory) {
  const QString known = EmptyFifteen("known.xwd");
  XwdProcs->WriteSetting("HistoryPuzzle1", known + " /c");
  dialogs.ExpectMessage(mrOk);
  Start({TempPath("nowhere.xwd")});
  ASSERT_FALSE(dialogs.Log().empty());
  EXPECT_EQ(dialogs.Log().back().Text, "Puzzle not in Quillmere format or is corrupt.");
  EXPECT_EQ(sounds.Played(), (std::vector<testing_support::PlayedSound>{{"WAVE_7", true}}));
  EXPECT_TRUE(PuzzleFileName.isEmpty());
  EXPECT_TRUE(XwdMainForm->LogoImage->isVisible());
  EXPECT_TRUE(XwdMainForm->History[0]->isVisible());
  EXPECT_EQ(XwdMainForm->History[0]->text(), "&1 KNOWN");
}

TEST_F(MainWindow, ShowPuzzleEnablesByMode) {
  struct Case { const char* mode; QStringList extra; bool solving; };
  for (const Case& c : {Case{"solve", {}, true}, Case{"construct", {"-C"}, false}}) {
    Start(QStringList{EmptyFifteen()} + c.extra);
    auto* f = XwdMainForm;
    for (QAction* item : {f->Save1, f->Print1, f->ReverttoSaved1, f->AutoArrange1}) EXPECT_TRUE(item->isEnabled()) << c.mode;
    for (QAction* item : {f->SavePuzzleAs1, f->CopyGridAs1, f->ScanGrid1}) EXPECT_EQ(item->isEnabled(), !c.solving) << c.mode;
    EXPECT_EQ(f->SpecialMenu->isEnabled(), !c.solving) << c.mode;
    for (QAction* item : {f->ScorePuzzle1, f->Clock1}) EXPECT_EQ(item->isEnabled(), c.solving) << c.mode;
    for (QToolButton* b : {f->SquaresBtn, f->LettersBtn, f->SymmetryBtn, f->AutoclueBtn}) {
      EXPECT_EQ(b->isEnabled(), !c.solving) << c.mode;
      EXPECT_EQ(b->toolTip().isEmpty(), c.solving) << c.mode << ": a hint only while enabled";
    }
    EXPECT_EQ(f->CheatBtn->isEnabled(), c.solving);
    EXPECT_EQ(f->UpdateBtn->isVisibleTo(f), !c.solving);
    EXPECT_EQ(CluesForm->Visible(), c.solving);
    EXPECT_TRUE(f->Byline->isVisible());
    if (c.solving) {
      EXPECT_EQ(f->Byline->text(), "by Ann");
      EXPECT_EQ(f->ModeLabel->text(), "");
    } else {
      EXPECT_EQ(f->Byline->text(), "");
      EXPECT_EQ(f->ModeLabel->text(), "Specifications");
      EXPECT_TRUE(f->LettersBtn->isChecked());
    }
    EXPECT_FALSE(f->LogoImage->isVisible());
    EXPECT_EQ(XwdGridForm->Caption(), "FIFTEEN");
    TearDown();
    SetUp();
  }
}

TEST_F(MainWindow, BylineWithoutANameReadsAsAQuillmerePuzzle) {
  Puzzle.GridSize = 11;
  const QString path = TempPath("anon.xwd");
  XwdProcs->SavePuzzle(path);
  Start({path});
  EXPECT_EQ(XwdMainForm->Byline->text(), "a Quillmere puzzle");
}

TEST_F(MainWindow, SpecificationsText) {
  struct Case { const char* rows; int size; std::string text; };
  const Case cases[] = {
      {"", 15, "Size of Grid: 15\xD7\r\nBlack Squares: 0  Par: 37\r\nWord Count: 30  Par: 78\r\n"},
      {"", 12, "Size of Grid: 12\xD7\r\nBlack Squares: 0  Par: 24\r\nWord Count: 24  Par: 0\r\n"},
      {"ABC# D#EF GHIJ #KLM", 0, "Size of Grid: 4\xD7\r\nBlack Squares: 3  Par: 2\r\nWord Count: 8  Par: 0\r\n"},
  };
  for (const Case& c : cases) {
    Puzzle = TXwdPuzzle{};
    const QString path = WritePuzzle("specs.xwd", c.rows, c.size);
    Start({path, "-C"});
    EXPECT_EQ(XwdMainForm->DataMemoText(), c.text) << c.size;
    TearDown();
    SetUp();
  }
}

TEST_F(MainWindow, DownButtonFollowsTheMode) {
  Start({EmptyFifteen(), "-C"});
  XwdMainForm->SquaresBtn->click();
  EXPECT_EQ(EditMode, emSquares);
  dialogs.ExpectSave(TempPath("copy.xwd"));
  XwdMainForm->SavePuzzleAs1->trigger();
  EXPECT_EQ(EditMode, emSquares);
  EXPECT_TRUE(XwdMainForm->SquaresBtn->isChecked());
  EXPECT_FALSE(XwdMainForm->LettersBtn->isChecked());
}

TEST_F(MainWindow, ToolButtonsAndClock) {
  Start({EmptyFifteen(), "-C"});
  auto* f = XwdMainForm;
  f->MouseBtn->click();
  EXPECT_EQ(XwdGridForm->SwapButtons, 1);
  f->MouseBtn->click();
  EXPECT_EQ(XwdGridForm->SwapButtons, 0);

  EXPECT_EQ(XwdGridForm->SymmetryOn, 1);
  f->SymmetryBtn->click();
  EXPECT_EQ(XwdGridForm->SymmetryOn, 0);
  EXPECT_EQ(f->SymmetryBtn->toolTip(), "Grid symmetry is OFF");
  f->SymmetryBtn->click();
  EXPECT_EQ(f->SymmetryBtn->toolTip(), "Grid symmetry is ON");

  // Designing ends the selected word and closes Autoclue.
  XwdGridForm->Direction = 1;
  dialogs.ExpectMessage(mrYes);
  f->AutoclueBtn->click();
  ASSERT_TRUE(AutoclueForm->Visible());
  f->SquaresBtn->click();
  EXPECT_EQ(EditMode, emSquares);
  EXPECT_EQ(XwdGridForm->Direction, 0);
  EXPECT_FALSE(AutoclueForm->Visible());
  f->LettersBtn->click();
  EXPECT_EQ(EditMode, emLetters);

  // The clock of a solver: shown and hidden again; a newly shown puzzle closes it.
  dialogs.ExpectOpen(PuzzleFileName);
  f->Solve1->trigger();
  f->Clock1->trigger();
  EXPECT_TRUE(XwdClockForm->Visible());
  f->Clock1->trigger();
  EXPECT_FALSE(XwdClockForm->Visible());
  f->Clock1->trigger();
  dialogs.ExpectOpen(PuzzleFileName);
  f->Solve1->trigger();
  EXPECT_FALSE(XwdClockForm->Visible());
}

TEST_F(MainWindow, ExportDialogsPerItem) {
  const QString path = EmptyFifteen("grid.xwd");
  Start({path, "-C"});
  const QString stem = QFileInfo(path).absolutePath() + "/grid";
  struct Case { QAction* item; const char* title; const char* extension; const char* filter; const char* defaultExt; };
  const Case cases[] = {
      {XwdMainForm->ExportMetafile1, "Export Metafile", ".wmf", "Windows Metafile|*.wmf", "wmf"},
      {XwdMainForm->ExportEPS1, "Export EPS", ".eps",
       "Encapsulated PostScript|*.eps|Light Encapsulated PostScript|*.eps", "eps"},
      {XwdMainForm->ExportRTFFile1, "Export RTF File", ".rtf", "Rich Text Format|*.rtf", "rtf"},
  };
  for (const Case& c : cases) {
    dialogs.ExpectSave(std::nullopt);
    c.item->trigger();
    const FileDialogRequest& request = dialogs.Log().back().File;
    EXPECT_EQ(request.Title, c.title);
    EXPECT_EQ(request.FileName, stem + c.extension);
    EXPECT_EQ(request.Filter, c.filter);
    EXPECT_EQ(request.DefaultExt, c.defaultExt);
    EXPECT_EQ(request.Options, unsigned(ofOverwritePrompt | ofHideReadOnly | ofNoChangeDir));
  }
  // A chosen file shows the note while the export runs.
  dialogs.ExpectSave(TempPath("grid.rtf"));
  XwdMainForm->ExportRTFFile1->trigger();
  EXPECT_EQ(ExportForm->SpecsText, XwdMainForm->DataMemoText());
  EXPECT_FALSE(InfoWin->Visible());
}

TEST_F(MainWindow, GuidelinesToggleTheirCaption) {
  Start({EmptyFifteen(), "-C"});
  EXPECT_EQ(XwdMainForm->ShowGuidelines1->text(), "Sho&w Guidelines");
  XwdMainForm->ShowGuidelines1->trigger();
  EXPECT_EQ(XwdMainForm->ShowGuidelines1->text(), "&Hide Guidelines");
  EXPECT_TRUE(XwdMainForm->GuidelinesShown());
  XwdMainForm->ShowGuidelines1->trigger();
  EXPECT_FALSE(XwdMainForm->GuidelinesShown());
}

TEST_F(MainWindow, ToolItemsFollowTheirPaths) {
  XwdProcs->WriteSetting("DictPath", "/usr/bin/true");
  XwdProcs->WriteSetting("PostPath", "/usr/bin/true");
  Start();
  const auto& items = XwdMainForm->ToolItems;
  EXPECT_TRUE(items[0]->isEnabled());
  EXPECT_FALSE(items[1]->isEnabled());
  EXPECT_FALSE(items[3]->isEnabled());
  EXPECT_FALSE(items[4]->isEnabled());
  EXPECT_TRUE(items[5]->isEnabled());
  EXPECT_TRUE(XwdMainForm->DictBtn->isEnabled());
  EXPECT_EQ(XwdMainForm->DictBtn->toolTip(), "Open dictionary");
  XwdProcs->WriteSetting("DictPath", "");
  XwdMainForm->LoadToolPaths();
  EXPECT_FALSE(XwdMainForm->DictBtn->isEnabled());
  EXPECT_TRUE(XwdMainForm->DictBtn->toolTip().isEmpty());
}

TEST_F(MainWindow, SoundLevelComesFromTheSettings) {
  XwdProcs->WriteSetting("PlaySounds", 0);
  Start();
  EXPECT_EQ(SoundLevel, 0);
}

TEST_F(MainWindow, HelpCommandsGoToTheViewer) {
  Start();
  XwdMainForm->HelpContents1->trigger();
  XwdMainForm->HelpKeywordIndex1->trigger();
  ASSERT_EQ(help.Calls().size(), 2u);
  EXPECT_TRUE(help.Calls()[0].HelpFile.endsWith("/quillmeredemo.hlp"));
  EXPECT_EQ(help.Calls()[0].Command, testing_support::HelpCall::Contents);
  EXPECT_EQ(help.Calls()[1].Command, testing_support::HelpCall::KeywordIndex);
  EXPECT_EQ(help.Calls()[1].Keyword, "");
}

TEST_F(MainWindow, AutoclueWarnsOnAnUnfinishedGrid) {
  Start({EmptyFifteen(), "-C"});
  dialogs.ExpectMessage(mrNo);
  XwdMainForm->AutoclueBtn->click();
  EXPECT_EQ(dialogs.Log().back().Text,
            "Running Autoclue before completing puzzle is not recommended. Start Autoclue anyway?");
  EXPECT_FALSE(AutoclueForm->Visible());
  dialogs.ExpectMessage(mrYes);
  XwdMainForm->AutoclueBtn->click();
  EXPECT_TRUE(AutoclueForm->Visible());
}

TEST_F(MainWindow, TransformAsksWithTheCommandsName) {
  Start({EmptyFifteen(), "-C"});
  struct Case { QAction* item; const char* text; };
  for (const Case& c : {Case{XwdMainForm->Invert1, "Invert"}, Case{XwdMainForm->Rotate1, "Rotate"},
                        Case{XwdMainForm->Flip1, "Flip"}}) {
    dialogs.ExpectMessage(mrNo);
    c.item->trigger();
    EXPECT_EQ(dialogs.Log().back().Text, QString("Some definition may be lost in transformation. ") + c.text + "?");
    EXPECT_EQ(PuzzleModified, 0);
  }
  XwdGridForm->Direction = 1;
  dialogs.ExpectMessage(mrYes);
  XwdMainForm->Flip1->trigger();
  EXPECT_EQ(PuzzleModified, 1);
  EXPECT_EQ(XwdGridForm->Direction, 0);
}

// Enter is Save, as in every dialog with a default button; with the keyboard on Cancel it is
// Cancel.
TEST_F(MainWindow, EnterInTheBylineEditorSaves) {
  StartConstructingOldName();
  dialogs.ExpectModal([](TForm& form) {
    auto& byline = dynamic_cast<TBylineForm&>(form);
    QTest::keyClicks(byline.BylineEdit, "New Name");
    QTest::keyClick(byline.BylineEdit, Qt::Key_Return);
    EXPECT_EQ(form.ModalResult(), mrOk);
    return mrNone;
  });
  XwdMainForm->Byline1->trigger();
  EXPECT_EQ(Puzzle.BylineText.Text(), "New Name|5");
  EXPECT_EQ(PuzzleModified, 1);

  PuzzleModified = 0;
  dialogs.ExpectModal([](TForm& form) {
    auto& byline = dynamic_cast<TBylineForm&>(form);
    byline.BylineEdit->setText("Other Name");
    byline.CancelBtn->setFocus();
    QTest::keyClick(byline.CancelBtn, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(form.ModalResult(), mrCancel);
    return mrNone;
  });
  XwdMainForm->Byline1->trigger();
  EXPECT_EQ(Puzzle.BylineText.Text(), "New Name|5");
  EXPECT_EQ(PuzzleModified, 0);
}

TEST_F(MainWindow, BylineEditorKeepsTheLanguageDigit) {
  StartConstructingOldName();
  dialogs.ExpectModal([](TForm& form) {
    auto& byline = dynamic_cast<TBylineForm&>(form);
    EXPECT_EQ(byline.BylineEdit->text(), "Old Name");
    EXPECT_EQ(byline.BylineEdit->selectedText(), "Old Name");
    byline.BylineEdit->setText(QString(70, 'x'));
    byline.SaveBtn->click();
    return mrNone;
  });
  XwdMainForm->Byline1->trigger();
  EXPECT_EQ(Puzzle.BylineText.Text(), std::string(58, 'x') + "|5");
  EXPECT_EQ(PuzzleModified, 1);

  dialogs.ExpectModal([](TForm& form) {
    auto& byline = dynamic_cast<TBylineForm&>(form);
    byline.BylineEdit->setText("Ignored");
    byline.CancelBtn->click();
    return mrNone;
  });
  XwdMainForm->Byline1->trigger();
  EXPECT_EQ(Puzzle.BylineText.Text(), std::string(58, 'x') + "|5");

  dialogs.ExpectModal([](TForm& form) {
    auto& byline = dynamic_cast<TBylineForm&>(form);
    byline.BylineEdit->setText("Ignored too");
    QApplication::setActiveWindow(&byline);
    QTest::keyClick(byline.BylineEdit, Qt::Key_Escape);
    EXPECT_EQ(byline.ModalResult(), mrCancel) << "Escape is the Cancel button";
    return mrNone;
  });
  XwdMainForm->Byline1->trigger();
  EXPECT_EQ(Puzzle.BylineText.Text(), std::string(58, 'x') + "|5");
}

// The byline holds Windows-1252 characters: the editor refuses others rather than store them as "?".
TEST_F(MainWindow, BylineEditorTakesOnlyCharactersThePuzzleCanHold) {
  Puzzle.GridSize = 11;
  Puzzle.BylineText.Assign("|2");
  const QString path = TempPath("byline.xwd");
  XwdProcs->SavePuzzle(path);
  Start({path, "-C"});
  dialogs.ExpectModal([](TForm& form) {
    QLineEdit* edit = dynamic_cast<TBylineForm&>(form).BylineEdit;
    edit->insert(QString::fromUtf8("Zo\u00eb \u20ac"));
    edit->insert(QString::fromUtf8("\u65e5"));
    EXPECT_EQ(edit->text(), QString::fromUtf8("Zo\u00eb \u20ac"));
    dynamic_cast<TBylineForm&>(form).SaveBtn->click();
    return mrNone;
  });
  XwdMainForm->Byline1->trigger();
  EXPECT_EQ(Puzzle.BylineText.Text(), "Zo\xEB \x80|2");
}

TEST_F(MainWindow, CtrlXCutsInTextEditsAndExitsElsewhere) {
  Start({EmptyFifteen(), "-C"});
  QLineEdit* edit = BylineForm->BylineEdit;
  BylineForm->Show();
  edit->setText("Ann");
  edit->selectAll();
  QApplication::setActiveWindow(BylineForm);
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), "") << "Ctrl+X is Cut in a text edit";
  EXPECT_TRUE(XwdMainForm->Visible());
  BylineForm->Hide();

  QApplication::setActiveWindow(XwdMainForm);
  QTest::keyClick(XwdMainForm, Qt::Key_X, Qt::ControlModifier);
  EXPECT_FALSE(XwdMainForm->Visible()) << "elsewhere Ctrl+X is Exit";
}

TEST_F(MainWindow, PrintOutsideSolveModePassesTheSpecifications) {
  Start({EmptyFifteen(), "-C"});
  dialogs.ExpectModal([](TForm&) { return mrCancel; });
  XwdMainForm->Print1->trigger();
  EXPECT_EQ(XwdPrintForm->SpecsText, "Size of Grid: 15\xD7\r\nBlack Squares: 0  Par: 37\r\nWord Count: 30  Par: 78\r\n");
}

// ---- Recycle Bin on the score card ----------------------------------------------------------

TEST_F(MainWindow, RecycleBinTakesThePuzzleAway) {
  const QString other = EmptyFifteen("other.xwd");
  const QString done = EmptyFifteen("done.xwd");
  Start({other});
  dialogs.ExpectOpen(done);
  XwdMainForm->Solve1->trigger();
  dialogs.ExpectModal([](TForm&) { return mrAbort; });
  XwdMainForm->ScorePuzzle1->trigger();

  EXPECT_FALSE(QFile::exists(done));
  EXPECT_TRUE(QFile::exists(TempPath("data/Trash/files/done.xwd")));
  auto* f = XwdMainForm;
  for (QAction* item : {f->Save1, f->Print1, f->ScorePuzzle1, f->ReverttoSaved1}) EXPECT_FALSE(item->isEnabled());
  EXPECT_FALSE(f->CheatBtn->isEnabled());
  EXPECT_TRUE(f->CheatBtn->toolTip().isEmpty());
  EXPECT_EQ(f->Byline->text(), "!!! DELETED !!!");
  EXPECT_FALSE(XwdGridForm->Visible());
  EXPECT_FALSE(CluesForm->Visible());
  EXPECT_EQ(XwdProcs->ReadSetting("CurrentPuzzle", "x"), "");
  EXPECT_EQ(XwdProcs->ReadSetting("HistoryPuzzle1", ""), other + " /s");
  EXPECT_EQ(f->History[0]->text(), "&1 OTHER");
  EXPECT_FALSE(f->History[1]->isVisible());

  // The next puzzle has its commands back.
  dialogs.ExpectOpen(other);
  f->Solve1->trigger();
  for (QAction* item : {f->Save1, f->Print1, f->ScorePuzzle1, f->ReverttoSaved1}) EXPECT_TRUE(item->isEnabled());
  EXPECT_TRUE(f->CheatBtn->isEnabled());
}

TEST_F(MainWindow, AFailedRecycleChangesNothing) {
  const QString path = EmptyFifteen("done.xwd");
  Start({path});
  QFile::remove(path);
  PuzzleModified = 1;
  dialogs.ExpectModal([](TForm&) { return mrAbort; });
  dialogs.ExpectMessage(mrOk);
  XwdMainForm->ScorePuzzle1->trigger();
  EXPECT_EQ(dialogs.Log().back().Text, "Unable to move the puzzle to the trash.");
  EXPECT_EQ(dialogs.Log().back().Type, MsgDlgType::Error);
  EXPECT_EQ(PuzzleModified, 1);
  EXPECT_EQ(PuzzleFileName, path);
  EXPECT_TRUE(XwdMainForm->Save1->isEnabled());
  EXPECT_EQ(XwdMainForm->Byline->text(), "by Ann");
  EXPECT_TRUE(XwdGridForm->Visible());
  EXPECT_EQ(XwdProcs->ReadSetting("HistoryPuzzle1", ""), path + " /s");
}

// ---- Closing ---------------------------------------------------------------------------------

// With a puzzle open every menu of the menu bar stays in reach, none behind its extension button.
TEST_F(MainWindow, TheWholeMenuBarStaysInReach) {
  Start({EmptyFifteen()});
  XwdMainForm->resize(XwdMainForm->minimumSize());
  auto* bar = XwdMainForm->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  QApplication::processEvents();
  ASSERT_EQ(bar->actions().size(), 5);
  for (QAction* menu : bar->actions())
    EXPECT_TRUE(bar->rect().contains(bar->actionGeometry(menu))) << menu->text().toStdString();
}

// Escape in a modal window does what its Cancel (or Close) would.
TEST_F(MainWindow, EscapeClosesEveryModalWindow) {
  SetGrid("AB CD");
  for (TForm* form : std::initializer_list<TForm*>{BylineForm, ScoreForm, XwdAboutForm, AnalysisForm, XwdPrefForm,
                                                   XwdPrintForm}) {
    SCOPED_TRACE(form->Caption().toStdString());
    dialogs.ExpectModal([](TForm& shown) {
      QApplication::setActiveWindow(&shown);
      QWidget* focus = shown.focusWidget();
      QTest::keyClick(focus != nullptr ? focus : &shown, Qt::Key_Escape);
      return mrNone;
    });
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_FALSE(form->Visible());
  }
}

TEST_F(MainWindow, ClosingAsksOnlyForUnsavedConstructChanges) {
  struct Case { bool construct; bool modified; int answer; bool closes; bool saved; };
  const Case cases[] = {
      {false, true, mrNone, true, true},     // solve mode saves without a question
      {true, false, mrNone, true, false},    // nothing changed: no question
      {true, true, mrYes, true, true},
      {true, true, mrNo, true, false},
      {true, true, mrCancel, false, false},
  };
  for (const Case& c : cases) {
    const QString path = EmptyFifteen();
    const QByteArray before = ReadFile(path);
    Start(c.construct ? QStringList{path, "-C"} : QStringList{path});
    Puzzle.Solution(1, 1) = 'A';
    Puzzle.Entries(1, 1) = 'A';
    PuzzleModified = c.modified;
    if (c.answer != mrNone) dialogs.ExpectMessage(c.answer);
    EXPECT_EQ(XwdMainForm->Close(), c.closes);
    EXPECT_EQ(ReadFile(path) != before, c.saved);
    if (c.answer != mrNone) {
      EXPECT_EQ(dialogs.Log().back().Text, "Puzzle has changed. Save current changes?");
    }
    if (c.closes) {
      EXPECT_EQ(help.Calls().back().Command, testing_support::HelpCall::Quit);
    }
    TearDown();
    SetUp();
  }
}

TEST_F(MainWindow, AFailedSaveOnClosingKeepsTheWindowOpen) {
  const QString path = EmptyFifteen();
  Start({path});
  PuzzleModified = 1;
  QFile::remove(path);
  QDir().rmdir(QFileInfo(path).absolutePath());  // fails while the folder holds other files
  PuzzleFileName = TempPath("no-such-folder/fifteen.xwd");
  dialogs.ExpectMessage(mrOk);
  EXPECT_FALSE(XwdMainForm->Close());
  EXPECT_EQ(dialogs.Log().back().Type, MsgDlgType::Error);
  EXPECT_EQ(PuzzleModified, 1);
}

// A solver whose puzzle cannot be written is not kept in the program: once the save on closing
// failed, closing asks the save question, and No leaves without the changes.
TEST_F(MainWindow, AfterAFailedSaveOnClosingASolverMayLeaveWithoutSaving) {
  Start({EmptyFifteen()});
  PuzzleModified = 1;
  PuzzleFileName = TempPath("no-such-folder/fifteen.xwd");
  dialogs.ExpectMessage(mrOk);  // the error
  EXPECT_FALSE(XwdMainForm->Close());

  struct Case { int answer; bool closes; };
  for (const Case& c : {Case{mrCancel, false}, Case{mrYes, false}, Case{mrNo, true}}) {
    dialogs.ExpectMessage(c.answer);
    if (c.answer == mrYes) dialogs.ExpectMessage(mrOk);  // the save fails again
    EXPECT_EQ(XwdMainForm->Close(), c.closes) << c.answer;
    EXPECT_EQ(dialogs.Log()[dialogs.Log().size() - (c.answer == mrYes ? 2 : 1)].Text,
              "Puzzle has changed. Save current changes?")
        << c.answer;
  }
  EXPECT_EQ(PuzzleModified, 0);
  EXPECT_FALSE(QFileInfo::exists(TempPath("no-such-folder")));
}

TEST_F(MainWindow, TheNextPuzzleIsSavedOnClosingWithoutAQuestionAgain) {
  Start({EmptyFifteen()});
  PuzzleModified = 1;
  PuzzleFileName = TempPath("no-such-folder/fifteen.xwd");
  dialogs.ExpectMessage(mrOk);  // the error
  EXPECT_FALSE(XwdMainForm->Close());
  PuzzleModified = 0;
  const QString next = EmptyFifteen("next.xwd");
  dialogs.ExpectOpen(next);
  XwdMainForm->Solve1->trigger();
  Puzzle.Entries(1, 1) = 'A';
  PuzzleModified = 1;
  EXPECT_TRUE(XwdMainForm->Close());
  XwdProcs->LoadPuzzle(next);
  EXPECT_EQ(Puzzle.Entries(1, 1), 'A');
}

}  // namespace
