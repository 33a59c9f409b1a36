// Printing through Qt into PDF files, read back with poppler's pdfinfo and pdftotext. With no
// printer queue installed (as on a fresh machine) every job goes to a PDF file. Assertions hold
// for any fonts: page counts, texts, their order and the columns their places fall in.

#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <functional>

#include "PrintTest.h"
#include "app/main/XwdMainUnit.h"
#include "app/output/PrintLayout.h"
#include "app/output/XwdPrintUnit.h"
#include "app/tools/XwdMsgUnit.h"
#include "platform/gui/QtPrinter.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/PdfReader.h"
#include "tests/support/PrinterSetup.h"

namespace {

using namespace platform::gui;
using namespace testing_support;

class PrintPdf : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    savedFormat_ = SharedPrinter().outputFormat();
    savedOutput_ = SharedPrinter().outputFileName();
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "a printer queue is installed";
    SetGrid(kSmallGrid);
    const char* clues[] = {"Bold \"first\" it's", "Downward", "Second down", "Third down", "Middle", "Last"};
    for (int slot = 1; slot <= 6; ++slot) Puzzle.SetClue(slot, clues[slot - 1]);
    for (const TWordRef& word : NumberWords(Puzzle)) WordLink(Puzzle, word) = static_cast<std::uint16_t>(word.Ordinal);
    PuzzleFileName = WritePuzzle("Sunday.xwd", "");
    pdf = TempPath("Sunday.pdf");
  }
  void TearDown() override {
    SharedPrinter().setOutputFormat(savedFormat_);
    SharedPrinter().setOutputFileName(savedOutput_);
    AppTest::TearDown();
  }

  // The manuscript alone, through the print window.
  void PrintManuscript() {
    XwdProcs->WriteSetting("PrintMSS", true);
    EditMode = emLetters;
    dialogs.ExpectModal([](TForm&) {
      XwdPrintForm->PrintBtn->click();
      return mrNone;
    });
    XwdMainForm->Print1Click();
  }

  // Print in construct mode: the print window with every format checked, `copies` typed and
  // the Print button pressed; when the run fails, the error report is answered.
  void PrintAll(const QString& copies = "1", bool fails = false) {
    EditMode = emLetters;
    dialogs.ExpectModal([copies](TForm&) {
      for (QCheckBox* box : {XwdPrintForm->MSChk, XwdPrintForm->MSGChk, XwdPrintForm->NGChk, XwdPrintForm->SGChk,
                             XwdPrintForm->PPChk})
        box->setChecked(true);
      XwdPrintForm->CopyEd->setText(copies);
      XwdPrintForm->PrintBtn->click();
      return mrNone;
    });
    if (fails) dialogs.ExpectMessage(mrOk);
    XwdMainForm->Print1Click();
  }

  // What the note window says while `action` runs, each text once, and whether the note was
  // wide enough for it.
  struct Note {
    QString Text;
    bool Fits = false;
    bool operator==(const Note&) const = default;
    friend void PrintTo(const Note& note, std::ostream* out) {
      *out << '"' << note.Text.toStdString() << '"' << (note.Fits ? "" : " (cut off)");
    }
  };
  static std::vector<Note> NotesShown(const std::function<void()>& action) {
    std::vector<Note> notes;
    // Looked at whenever the program lets events run, as its pauses do.
    const QMetaObject::Connection watch =
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, [&notes] {
          if (!InfoWin->Visible()) return;
          const Note note{InfoWin->Panel->text(), InfoWin->Width() >= InfoWin->Panel->sizeHint().width()};
          if (notes.empty() || notes.back() != note) notes.push_back(note);
        });
    action();
    QObject::disconnect(watch);
    return notes;
  }
  static std::vector<Note> PrintingThenPrinted(const QString& where) {
    return {{"Printing puzzle ...   ", true}, {"Printed to " + where + "   ", true}};
  }

  // Where the printable area's five columns of the puzzle page begin, in points.
  static std::vector<double> ColumnStarts() {
    const QPrinter& printer = SharedPrinter();
    const double toPoints = 72.0 / printer.resolution();
    const int width = printer.pageLayout().paintRectPixels(printer.resolution()).width();
    const int margin = printer.resolution() / 4;
    const int column = (width - 2 * margin) / 5;
    std::vector<double> starts;
    for (int k = 0; k < 5; ++k)
      starts.push_back(printer.pageLayout().paintRect(QPageLayout::Point).left() + (margin + k * column) * toPoints);
    return starts;
  }

  QString pdf;

 private:
  QPrinter::OutputFormat savedFormat_ = QPrinter::PdfFormat;
  QString savedOutput_;
};

TEST_F(PrintPdf, SolveModePrintWritesThePuzzlePageBesideThePuzzle) {
  EditMode = emSolve;
  const QSize noteSize(InfoWin->Width(), InfoWin->Height());
  EXPECT_EQ(NotesShown([] { XwdMainForm->Print1Click(); }), PrintingThenPrinted(pdf));
  EXPECT_EQ(QSize(InfoWin->Width(), InfoWin->Height()), noteSize) << "the note's own size again";
  ASSERT_TRUE(QFile::exists(pdf));
  EXPECT_EQ(PdfPageCount(pdf), 1);
  EXPECT_EQ(PdfTitle(pdf), "Sunday");
  const QString text = PdfPageTexts(pdf).value(0);
  EXPECT_TRUE(text.contains(QString::fromUtf8("\u201CSunday\u201D"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromUtf8("Bold \u201Cfirst\u201D it\u2019s"))) << text.toStdString();

  // The lists fill the first column in order; the numbered grid stands at the right.
  const std::vector<PdfWord> words = PdfPageWords(pdf, 1);
  const std::vector<double> columns = ColumnStarts();
  std::vector<QString> listed;
  double gridLeft = 1e9;
  for (const PdfWord& word : words) {
    if (word.Left >= columns[1]) {
      gridLeft = std::min(gridLeft, word.Left);
      continue;
    }
    EXPECT_GE(word.Left, columns[0] - 1) << word.Text.toStdString();
    bool isNumber = false;
    word.Text.toInt(&isNumber);
    if (isNumber || word.Text == "ACROSS" || word.Text == "DOWN") listed.push_back(word.Text);
  }
  EXPECT_EQ(listed, (std::vector<QString>{"ACROSS", "1", "4", "5", "DOWN", "1", "2", "3"}));
  // About 17/28 of the page wide, from the right: over the right part of the second column.
  EXPECT_GT(gridLeft, columns[1]);
  EXPECT_LT(gridLeft, columns[2]);
  EXPECT_FALSE(InfoWin->Visible());
}

TEST_F(PrintPdf, EveryFormatPrintsInOrderAndEachCopyIsAFile) {
  XwdPrintForm->TitleEdit->setText("My Puzzle");
  // The print window closes, and the note says where the copies went.
  EXPECT_EQ(NotesShown([this] { PrintAll("2"); }),
            (std::vector<Note>{{"Printed to " + pdf + " and Sunday-2.pdf   ", true}}));
  EXPECT_FALSE(XwdPrintForm->Visible());
  for (const QString& file : {pdf, TempPath("Sunday-2.pdf")}) {
    ASSERT_TRUE(QFile::exists(file)) << file.toStdString();
    // Manuscript, its grid, manuscript grid, numbered grid, solution grid, puzzle page.
    EXPECT_EQ(PdfPageCount(file), 6) << file.toStdString();
    EXPECT_EQ(PdfTitle(file), "My Puzzle");
    const QStringList pages = PdfPageTexts(file);
    ASSERT_EQ(pages.size(), 6);
    for (int page = 0; page < 5; ++page) {
      const QString& text = pages[page];
      const QString number = QStringLiteral("Page %1").arg(page + 1);
      ASSERT_TRUE(text.contains(number)) << text.toStdString();
      EXPECT_LT(text.indexOf("My Puzzle"), text.indexOf(number)) << "the title at the left";
    }
    // The manuscript: specifications, then the clues with their answers in scan order.
    const QString& manuscript = pages[0];
    EXPECT_TRUE(manuscript.contains(QString::fromUtf8("Size of Grid: 5\u00D7")));
    qsizetype at = 0;
    for (const char* expected : {"ACROSS", "1 Bold \"first\" it's", "ABCDE", "4 Middle", "IJKLM", "5 Last", "QRSTW", "DOWN",
                                 "1 Downward", "AFINQ", "2 Second down", "CGKOS", "3 Third down", "EHMPW"}) {
      const qsizetype next = manuscript.indexOf(QString::fromUtf8(expected), at);
      EXPECT_GE(next, at) << expected << " in\n" << manuscript.toStdString();
      at = std::max(at, next);
    }
    EXPECT_FALSE(pages[1].contains("Size of Grid")) << "grid pages have no specifications";
    EXPECT_TRUE(pages[5].contains(QString::fromUtf8("\u201CMy Puzzle\u201D")));
  }
  EXPECT_FALSE(QFile::exists(TempPath("Sunday-3.pdf")));
}

TEST_F(PrintPdf, AFileChosenInPrinterSetupTakesTheJobs) {
  const QString chosen = TempPath("chosen.pdf");
  SharedQtPrinter().Document = PuzzleFileName;
  AcceptPrinterSetup(SharedQtPrinter(), chosen);
  PrintAll("3");
  EXPECT_EQ(XwdPrintForm->PrnLbl->text(), chosen);
  for (const QString& copy : {chosen, TempPath("chosen-2.pdf"), TempPath("chosen-3.pdf")})
    EXPECT_EQ(PdfPageCount(copy), 6) << copy.toStdString();
  EXPECT_FALSE(QFile::exists(pdf));
}

// The solver's Print goes to the file chosen in Printer Setup for this puzzle; another puzzle
// prints into that folder under its own name, and the first print stays.
TEST_F(PrintPdf, SolveModePrintFollowsThePuzzleIntoTheChosenFolderAndSaysWhere) {
  EditMode = emSolve;
  ASSERT_TRUE(QDir(TempPath("")).mkdir("prints"));
  const QString chosen = TempPath("prints/final.pdf");
  SharedQtPrinter().Document = PuzzleFileName;
  AcceptPrinterSetup(SharedQtPrinter(), chosen);
  EXPECT_EQ(NotesShown([] { XwdMainForm->Print1Click(); }), PrintingThenPrinted(chosen));
  EXPECT_EQ(PdfTitle(chosen), "Sunday");

  PuzzleFileName = WritePuzzle("Monday.xwd", "");
  const QString monday = TempPath("prints/Monday.pdf");
  EXPECT_EQ(NotesShown([] { XwdMainForm->Print1Click(); }), PrintingThenPrinted(monday));
  EXPECT_EQ(PdfTitle(monday), "Monday");
  EXPECT_EQ(PdfTitle(chosen), "Sunday");
  EXPECT_FALSE(QFile::exists(TempPath("Monday.pdf")));
}

TEST_F(PrintPdf, AFolderThatIsMissingFailsAndLeavesNothing) {
  PuzzleFileName = TempPath("missing/Sunday.xwd");
  PrintAll("1", true);
  ASSERT_FALSE(dialogs.Log().empty());
  const QString message = dialogs.Log().back().Text;
  const QString prefix = "Printing to " + TempPath("missing/Sunday.pdf") + " failed: ";
  EXPECT_TRUE(message.startsWith(prefix) && message.size() > prefix.size()) << message.toStdString();
  EXPECT_FALSE(QDir(TempPath("missing")).exists());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  PuzzleFileName = TempPath("Sunday.xwd");
  PrintAll();
  EXPECT_EQ(PdfPageCount(pdf), 6);
}

// A file larger than the process may write fails as a full disk does.
TEST_F(PrintPdf, AFailedWriteLeavesNoFileSaysWhyAndTheNextRunPrints) {
  {
    const FileSizeLimit limit(4096);
    PrintAll("1", true);
  }
  ASSERT_FALSE(dialogs.Log().empty());
  EXPECT_EQ(dialogs.Log().back().Text, "Printing to " + pdf + " failed: File too large");
  EXPECT_EQ(QDir(TempPath("")).entryList({"Sunday*"}, QDir::Files), QStringList{"Sunday.xwd"});
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  PrintAll();
  EXPECT_EQ(PdfPageCount(pdf), 6);
}

// The manuscript's clue column is 40 characters of the fixed-pitch font wide, whatever the
// font's widths do in fractions of a pixel: a line of 40 characters fits, and a clue of 60
// letters breaks after 33 of them.
TEST_F(PrintPdf, TheManuscriptWrapsByWholeCharacters) {
  const std::string letters(60, 'x');
  const std::string fits = "abcdefgh ijklmnop rstuvwxyz abcdefgh";  // 36 characters after "  4 "
  Puzzle.SetClue(1, letters);
  Puzzle.SetClue(5, fits);
  PrintManuscript();
  QStringList lines;
  for (const QString& line : PdfPageTexts(pdf).value(0).split('\n'))
    if (!line.trimmed().isEmpty()) lines << line.simplified();
  const qsizetype first = lines.indexOf(QString::fromStdString("1 " + letters.substr(0, 33) + "- ABCDE"));
  ASSERT_GE(first, 0) << lines.join('\n').toStdString();
  EXPECT_EQ(lines.value(first + 1), QString::fromStdString(letters.substr(0, 27)));
  EXPECT_TRUE(lines.contains(QString::fromStdString("4 " + fits + " IJKLM"))) << lines.join('\n').toStdString();
}

// The drawing of every format: pages of 600 pixels per inch, where every line is at least a pixel
// wide and the borders of the squares exactly one.
TEST_F(PrintPdf, NoPrintedLineIsAHairline) {
  PrintAll();
  const QStringList pages = PdfPageContents(pdf);
  ASSERT_EQ(pages.size(), 6);
  for (const QString& page : pages) {
    const auto scale = QRegularExpression(R"(([\d.]+) 0 0 -[\d.]+ [-\d.]+ [-\d.]+ cm)").match(page);
    EXPECT_DOUBLE_EQ(scale.captured(1).toDouble(), 72.0 / 600);
  }
  const std::vector<double> widths = PdfLineWidths(pdf);
  ASSERT_FALSE(widths.empty());
  for (double width : widths) EXPECT_GE(width, 1);
  EXPECT_NE(std::find(widths.begin(), widths.end(), 1.0), widths.end());
}

// A heading is never left alone at the foot of a page: with the page one line too short for
// the first down entry, DOWN goes with it to the next page.
TEST_F(PrintPdf, TheDownHeadingStartsTheNextPageWithItsFirstEntry) {
  // ACROSS on line 9, the across entries on 11, 13 and 15, DOWN on 17: the page ends there.
  const int lines = MeasureManuscriptPage(SharedQtPrinter(), 0).LinesPerPage;
  XwdProcs->WriteSetting("PageBottomMargin", lines - 17);
  PrintManuscript();
  const QStringList pages = PdfPageTexts(pdf);
  ASSERT_EQ(pages.size(), 3);  // the manuscript's two pages and its grid
  EXPECT_TRUE(pages[0].contains("5 Last")) << pages[0].toStdString();
  EXPECT_FALSE(pages[0].contains("DOWN")) << pages[0].toStdString();
  const qsizetype heading = pages[1].indexOf("DOWN");
  EXPECT_GE(heading, 0) << pages[1].toStdString();
  EXPECT_GT(pages[1].indexOf("1 Downward"), heading) << pages[1].toStdString();
}

}  // namespace
