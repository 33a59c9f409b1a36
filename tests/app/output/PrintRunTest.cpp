#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "PrintTest.h"
#include "app/main/XwdMainUnit.h"
#include "app/output/XwdPrintUnit.h"
#include "app/tools/XwdMsgUnit.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Printer.h"

namespace {

using namespace platform::gui;
using testing_support::DialogKind;

class PrintWindow : public PrintTest {
 protected:
  void SetUp() override {
    PrintTest::SetUp();
    SetGrid(kSmallGrid);
    SetClues({"First across", "First down", "Second down", "Third down", "Middle", "Last"});
    PuzzleFileName = TempPath("Sunday.xwd");
  }

  static void Check(const std::vector<QCheckBox*>& boxes) {
    for (QCheckBox* box : {XwdPrintForm->MSChk, XwdPrintForm->MSGChk, XwdPrintForm->NGChk, XwdPrintForm->SGChk,
                           XwdPrintForm->PPChk, XwdPrintForm->GrayChk})
      box->setChecked(std::find(boxes.begin(), boxes.end(), box) != boxes.end());
  }

  // Shows the window as Print does and prints `copies` copies of the checked formats.
  void Run(const std::vector<QCheckBox*>& boxes, const QString& copies = "1") {
    XwdPrintForm->Show();
    Check(boxes);
    XwdPrintForm->CopyEd->setText(copies);
    XwdPrintForm->PrintBtn->click();
    XwdPrintForm->Hide();
  }

  // The text of the last message box.
  QString LastMessage() const { return dialogs.Log().empty() ? QString() : dialogs.Log().back().Text; }
};

using PrintRun = PrintWindow;

// ---- The window -----------------------------------------------------------------------------

TEST_F(PrintWindow, ShowingFillsTheWindowFromTheSettings) {
  XwdProcs->WriteSetting("PrintMSS", true);
  XwdProcs->WriteSetting("PrintSGr", true);
  XwdProcs->WriteSetting("PrintGSq", true);
  XwdPrintForm->CopyEd->setText("7");
  XwdPrintForm->DefChk->setChecked(true);
  XwdPrintForm->PrintBar->setValue(5);
  XwdPrintForm->Show();
  EXPECT_EQ(XwdPrintForm->Caption(), "Print Puzzle");
  EXPECT_TRUE(XwdPrintForm->MSChk->isChecked());
  EXPECT_FALSE(XwdPrintForm->MSGChk->isChecked());
  EXPECT_FALSE(XwdPrintForm->NGChk->isChecked());
  EXPECT_TRUE(XwdPrintForm->SGChk->isChecked());
  EXPECT_FALSE(XwdPrintForm->PPChk->isChecked());
  EXPECT_TRUE(XwdPrintForm->GrayChk->isChecked());
  EXPECT_EQ(XwdPrintForm->CopyEd->text(), "1");
  EXPECT_FALSE(XwdPrintForm->DefChk->isChecked());
  EXPECT_EQ(XwdPrintForm->PrintBar->value(), 0);
  EXPECT_EQ(XwdPrintForm->PrnLbl->text(), "Recording printer");
  EXPECT_EQ(XwdPrintForm->TitleEdit->text(), "Sunday");
  EXPECT_EQ(printer.Document, PuzzleFileName);
}

TEST_F(PrintWindow, ShowingMeasuresTheManuscriptPageInPortrait) {
  printer.PageOrientation = TPrinterOrientation::poLandscape;
  XwdPrintForm->Show();
  EXPECT_EQ(printer.Orientation(), TPrinterOrientation::poPortrait);
  const TManuscriptMetrics& m = XwdPrintForm->Metrics;
  EXPECT_EQ(m.LineHeight, 118);
  EXPECT_EQ(m.LeftMargin, 480);  // 69 characters centred on 5100 pixels
  EXPECT_EQ(m.ColumnWidth, 2400);
  EXPECT_EQ(m.LinesPerPage, 53);  // 6600 div 118 = 55, less 2
  EXPECT_EQ(printer.Canvas().Font.Name, "Courier New");
  EXPECT_EQ(printer.Canvas().Font.Size(), 12);
  EXPECT_TRUE(printer.Pages.empty());
}

TEST_F(PrintWindow, BottomMarginShortensThePageButOneEntryStillFits) {
  struct Case { int lines; int margin; int linesPerPage; };
  // A page too short for an entry below a continuation header keeps room for one.
  for (const Case& c : {Case{66, 3, 61}, Case{66, 0, 64}, Case{5, 0, 4}, Case{66, 70, 4}}) {
    printer.Height = c.lines * 118;
    XwdProcs->WriteSetting("PageBottomMargin", c.margin);
    XwdPrintForm->Show();
    EXPECT_EQ(XwdPrintForm->Metrics.LinesPerPage, c.linesPerPage) << c.lines << " lines, margin " << c.margin;
    XwdPrintForm->Hide();
  }
}

TEST_F(PrintWindow, TitleProposesTheFileNameWithoutItsExtension) {
  struct Case { const char* file; const char* title; };
  for (const Case& c : {Case{"Sunday.xwd", "Sunday"}, Case{"sunday", "sunday"}, Case{"Sunday.puzzle.xwd", "Sunday.puzzle"},
                        Case{"ab.xwd", "ab"}}) {
    PuzzleFileName = TempPath(c.file);
    XwdPrintForm->TitleEdit->clear();
    XwdPrintForm->Show();
    EXPECT_EQ(XwdPrintForm->TitleEdit->text(), c.title) << c.file;
    XwdPrintForm->Hide();
  }
  // A title of the user's own stays from one showing to the next.
  XwdPrintForm->TitleEdit->setText("My Own");
  XwdPrintForm->Show();
  XwdPrintForm->Hide();
  XwdPrintForm->Show();
  EXPECT_EQ(XwdPrintForm->TitleEdit->text(), "My Own");
}

TEST_F(PrintWindow, DefaultWritesTheChoicesEachTimeItIsChecked) {
  XwdPrintForm->Show();
  Check({XwdPrintForm->MSGChk, XwdPrintForm->PPChk, XwdPrintForm->GrayChk});
  // -1 where nothing is stored.
  const auto stored = [] {
    std::vector<int> values;
    for (const char* name : {"PrintMSS", "PrintMSG", "PrintNGr", "PrintSGr", "PrintPPg", "PrintGSq"})
      values.push_back(XwdProcs->ReadSetting(name, -1));
    return values;
  };
  EXPECT_EQ(stored(), (std::vector<int>(6, -1))) << "showing writes nothing";
  XwdPrintForm->DefChk->click();
  EXPECT_EQ(stored(), (std::vector<int>{0, 1, 0, 0, 1, 1}));
  Check({XwdPrintForm->MSChk});
  XwdPrintForm->DefChk->click();  // unchecked: nothing is written
  EXPECT_EQ(stored(), (std::vector<int>{0, 1, 0, 0, 1, 1}));
  XwdPrintForm->DefChk->click();
  EXPECT_EQ(stored(), (std::vector<int>{1, 0, 0, 0, 0, 0}));
}

TEST_F(PrintWindow, UpDownStepsTheCopiesWithinItsRange) {
  XwdPrintForm->Show();
  QLineEdit* copies = XwdPrintForm->CopyEd;
  QTest::keyClick(copies, Qt::Key_Up);
  QTest::keyClick(copies, Qt::Key_Up);
  EXPECT_EQ(copies->text(), "3");
  QTest::keyClick(copies, Qt::Key_Down);
  EXPECT_EQ(copies->text(), "2");
  // A typed value out of range or no number at all stays until the arrows step from the last
  // position.
  copies->setText("0");
  EXPECT_EQ(copies->text(), "0");
  QTest::keyClick(copies, Qt::Key_Up);
  EXPECT_EQ(copies->text(), "3");
  copies->setText("99");
  QTest::keyClick(copies, Qt::Key_Up);
  EXPECT_EQ(copies->text(), "99");
  copies->setText("1");
  QTest::keyClick(copies, Qt::Key_Down);
  EXPECT_EQ(copies->text(), "1");
}

TEST_F(PrintWindow, TheCopiesBoxTakesUpToTwoDigitsAndNothingElse) {
  XwdPrintForm->Show();
  QLineEdit* copies = XwdPrintForm->CopyEd;
  copies->selectAll();
  QTest::keyClicks(copies, "x3-y 7.5");
  EXPECT_EQ(copies->text(), "37");
}

// Print is offered only while it would print: a format checked and a number of copies given.
// Enter, which presses Print, then does nothing either, and the window stays open.
TEST_F(PrintWindow, PrintIsOfferedWhileAFormatIsCheckedAndCopiesAreGiven) {
  dialogs.ExpectModal([this](TForm& form) {
    TXwdPrintForm* f = XwdPrintForm;
    EXPECT_FALSE(f->PrintBtn->isEnabled()) << "no format stored";
    QApplication::setActiveWindow(&form);
    QTest::keyClick(f->TitleEdit, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(form.ModalResult(), mrNone);
    Check({f->SGChk});
    EXPECT_TRUE(f->PrintBtn->isEnabled());
    f->CopyEd->clear();
    EXPECT_FALSE(f->PrintBtn->isEnabled()) << "no copies";
    QTest::keyClicks(f->CopyEd, "2");
    EXPECT_TRUE(f->PrintBtn->isEnabled());
    Check({f->GrayChk});
    EXPECT_FALSE(f->PrintBtn->isEnabled()) << "Gray Squares is no format";
    return mrCancel;
  });
  XwdPrintForm->ShowModal();
  EXPECT_TRUE(printer.Log.empty());
  XwdProcs->WriteSetting("PrintPPg", true);
  XwdPrintForm->Show();
  EXPECT_TRUE(XwdPrintForm->PrintBtn->isEnabled()) << "a format stored";
}

TEST_F(PrintWindow, AltPPrintsAndClosesTheWindow) {
  XwdProcs->WriteSetting("PrintPPg", true);
  dialogs.ExpectModal([](TForm& form) {
    QApplication::setActiveWindow(&form);
    QTest::keyClick(&form, Qt::Key_P, Qt::AltModifier);
    // A mnemonic presses its button a moment later.
    EXPECT_TRUE(QTest::qWaitFor([&form] { return form.ModalResult() != mrNone; }));
    return mrNone;
  });
  EXPECT_EQ(XwdPrintForm->ShowModal(), mrOk);
  EXPECT_EQ(printer.Log, (std::vector<std::string>{"BeginDoc", "EndDoc"}));
}

// ---- The print run --------------------------------------------------------------------------

TEST_F(PrintRun, EachCopyIsOneJobOfTheCheckedFormats) {
  struct Case {
    std::vector<QCheckBox*> boxes;
    const char* copies;
    int jobs;
    std::vector<std::string> pages;  // of each job
    int barMax;
  };
  TXwdPrintForm* f = XwdPrintForm;
  const std::vector<Case> cases = {
      {{}, "3", 0, {}, 100},
      {{f->MSChk, f->PPChk}, "3", 3, {"manuscript", "grid", "puzzle"}, 7},
      {{f->MSChk, f->MSGChk}, "1", 1, {"manuscript", "grid", "grid"}, 3},
      {{f->NGChk, f->SGChk, f->PPChk}, "2", 2, {"grid", "grid", "puzzle"}, 7},
      {{f->MSChk}, "0", 0, {}, 1},
      {{f->PPChk, f->SGChk}, "-4", 0, {}, 1},
  };
  for (const Case& c : cases) {
    printer.Log.clear();
    printer.Jobs.clear();
    printer.Pages.clear();
    Run(c.boxes, c.copies);
    const std::string label = std::to_string(c.boxes.size()) + " formats x " + c.copies;
    ASSERT_EQ(static_cast<int>(printer.Jobs.size()), c.jobs) << label;
    for (int job = 1; job <= c.jobs; ++job) {
      EXPECT_EQ(JobKinds(job), c.pages) << label << ", job " << job;
      EXPECT_EQ(printer.Jobs[static_cast<std::size_t>(job - 1)].Copy, job) << label;
      EXPECT_EQ(printer.Jobs[static_cast<std::size_t>(job - 1)].Title, "Sunday") << label;
    }
    std::vector<std::string> log;
    for (int job = 0; job < c.jobs; ++job) {
      log.push_back("BeginDoc");
      log.insert(log.end(), c.pages.size() - 1, "NewPage");
      log.push_back("EndDoc");
    }
    EXPECT_EQ(printer.Log, log) << label;
    EXPECT_EQ(f->PrintBar->maximum(), c.barMax) << label;
    EXPECT_EQ(f->PrintBar->value(), c.boxes.size() ? c.barMax : 0) << label << ": the bar ends full";
    EXPECT_EQ(printer.Copy, 1) << label;
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << label;
  }
}

TEST_F(PrintRun, GraySquaresColourTheBlackSquaresOfThisAndLaterRuns) {
  const auto blackSquareFill = [this] {
    for (const auto& call : printer.Pages.back().Calls)
      if (call.What == testing_support::CanvasCall::Kind::Rectangle && call.Brush.Color != clWhite) return call.Brush.Color;
    return clWhite;
  };
  Run({XwdPrintForm->NGChk, XwdPrintForm->GrayChk});
  EXPECT_EQ(blackSquareFill(), TColor(0xC0C0C0));
  EXPECT_EQ(XwdPrintForm->SquareColor, TColor(0xC0C0C0));
  // The solver's quick print keeps the colour of the last run.
  XwdPrintForm->QuickPrintPuzzle();
  EXPECT_EQ(blackSquareFill(), TColor(0xC0C0C0));
  Run({XwdPrintForm->NGChk});
  EXPECT_EQ(blackSquareFill(), clBlack);
}

TEST_F(PrintRun, AFailureAbortsTheJobAndTheNextRunStartsAfresh) {
  printer.FailAt("NewPage", 2);
  dialogs.ExpectMessage(mrOk);
  Run({XwdPrintForm->MSChk, XwdPrintForm->PPChk}, "2");
  EXPECT_EQ(printer.Log, (std::vector<std::string>{"BeginDoc", "NewPage", "NewPage", "Abort"}));
  EXPECT_EQ(LastMessage(), "Printing to Recording printer failed: injected failure");
  EXPECT_EQ(dialogs.Log().back().Type, MsgDlgType::Error);
  EXPECT_FALSE(printer.Printing());
  EXPECT_EQ(printer.Copy, 1);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  printer.Log.clear();
  Run({XwdPrintForm->MSChk, XwdPrintForm->PPChk}, "1");
  EXPECT_EQ(printer.Log, (std::vector<std::string>{"BeginDoc", "NewPage", "NewPage", "EndDoc"}));
}

TEST_F(PrintRun, AFailureInALaterCopyKeepsTheFinishedOnes) {
  printer.FailAt("BeginDoc", 2);
  dialogs.ExpectMessage(mrOk);
  Run({XwdPrintForm->SGChk}, "3");
  EXPECT_EQ(printer.Log, (std::vector<std::string>{"BeginDoc", "EndDoc", "BeginDoc"}));
  EXPECT_EQ(printer.Jobs.size(), 1u);
  EXPECT_EQ(LastMessage(), "Printing to Recording printer failed: injected failure");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PrintRun, QuickPrintPrintsThePuzzlePageTitledWithTheFileName) {
  XwdPrintForm->TitleEdit->setText("Chosen Title");
  XwdPrintForm->QuickPrintPuzzle();
  EXPECT_EQ(printer.Log, (std::vector<std::string>{"BeginDoc", "EndDoc"}));
  ASSERT_EQ(printer.Jobs.size(), 1u);
  EXPECT_EQ(printer.Jobs[0].Title, "Sunday");
  EXPECT_EQ(JobKinds(1), (std::vector<std::string>{"puzzle"}));
  EXPECT_TRUE(HasText(printer.Pages[0], QString::fromUtf8("\u201CSunday\u201D")));
  EXPECT_EQ(printer.Document, PuzzleFileName);
}

TEST_F(PrintRun, SolveModePrintReportsAFailureAfterClosingTheNote) {
  EditMode = emSolve;
  printer.FailAt("EndDoc", 1);
  dialogs.ExpectMessage(mrOk);
  Guard([] { XwdMainForm->Print1Click(); });
  EXPECT_EQ(printer.Log, (std::vector<std::string>{"BeginDoc", "EndDoc"}));
  EXPECT_EQ(LastMessage(), "Printing to Recording printer failed: injected failure");
  EXPECT_FALSE(InfoWin->Visible());
  EXPECT_FALSE(printer.Printing());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // Then it prints again.
  Guard([] { XwdMainForm->Print1Click(); });
  EXPECT_EQ(printer.Jobs.size(), 2u);
  EXPECT_EQ(printer.Log.back(), "EndDoc");
}

}  // namespace
