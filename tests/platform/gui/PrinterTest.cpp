#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <set>

#include "platform/gui/QtPrinter.h"
#include "tests/support/PdfReader.h"
#include "tests/support/PrinterSetup.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RecordingPrinter.h"

namespace {

using namespace platform::gui;
using testing_support::RecordingPrinter;

// ---- Jobs and pages -------------------------------------------------------------------------

TEST(PrinterJob, PagesAreCountedWithinAJob) {
  RecordingPrinter printer;
  EXPECT_FALSE(printer.Printing());
  EXPECT_THROW(printer.NewPage(), EPrinter);
  EXPECT_THROW(printer.EndDoc(), EPrinter);
  printer.Abort();  // no job: nothing happens
  printer.BeginDoc();
  EXPECT_TRUE(printer.Printing());
  EXPECT_EQ(printer.PageNumber(), 1);
  EXPECT_THROW(printer.BeginDoc(), EPrinter) << "one job at a time";
  printer.NewPage();
  printer.NewPage();
  EXPECT_EQ(printer.PageNumber(), 3);
  printer.EndDoc();
  EXPECT_FALSE(printer.Printing());
  printer.BeginDoc();
  EXPECT_EQ(printer.PageNumber(), 1);
  printer.Abort();
  EXPECT_FALSE(printer.Printing());
  EXPECT_EQ(printer.Log, (std::vector<std::string>{"BeginDoc", "NewPage", "NewPage", "EndDoc", "BeginDoc", "Abort"}));
}

TEST(PrinterJob, AFailedStartOrEndLeavesNoJobOpen) {
  RecordingPrinter printer;
  printer.FailAt("BeginDoc", 1);
  printer.FailAt("EndDoc", 1);
  EXPECT_THROW(printer.BeginDoc(), EPrinter);
  EXPECT_FALSE(printer.Printing());
  printer.BeginDoc();
  EXPECT_THROW(printer.EndDoc(), EPrinter);
  EXPECT_FALSE(printer.Printing());
}

// ---- Where jobs go --------------------------------------------------------------------------

TEST(PrinterTargets, PdfFilesAreNamedAfterTheDocumentAndTheCopy) {
  struct Case { const char* document; const char* pdf; };
  for (const Case& c : {Case{"/p/Sunday.xwd", "/p/Sunday.pdf"}, Case{"/p/sunday", "/p/sunday.pdf"},
                        Case{"/p.q/Sunday.old.xwd", "/p.q/Sunday.old.pdf"}})
    EXPECT_EQ(PdfBeside(c.document), c.pdf) << c.document;
  EXPECT_EQ(PdfBeside(""), QDir::current().absoluteFilePath("print.pdf"));
  struct Copy { const char* pdf; int copy; const char* name; };
  for (const Copy& c : {Copy{"/p/Sunday.pdf", 1, "/p/Sunday.pdf"}, Copy{"/p/Sunday.pdf", 2, "/p/Sunday-2.pdf"},
                        Copy{"/p/Sunday.pdf", 12, "/p/Sunday-12.pdf"}, Copy{"/p/out", 3, "/p/out-3"}})
    EXPECT_EQ(PdfCopy(c.pdf, c.copy), c.name) << c.pdf << " copy " << c.copy;
}

class PrinterPdf : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "a printer queue is installed";
    ASSERT_TRUE(folder.isValid());
    printer.Document = folder.filePath("Job.xwd");
  }

  QTemporaryDir folder;
  QPrinter settings{QPrinter::HighResolution};
  QtPrinter printer{settings};
};

TEST_F(PrinterPdf, WithoutAPrinterJobsGoToAPdfBesideTheDocument) {
  const QString pdf = folder.filePath("Job.pdf");
  EXPECT_EQ(printer.Printers().value(printer.PrinterIndex()), pdf);
  EXPECT_EQ(printer.JobTarget(), pdf);
  printer.Copy = 2;
  EXPECT_EQ(printer.JobTarget(), folder.filePath("Job-2.pdf"));
}

// A file named in Printer Setup takes the jobs of the document it was named for; another
// document prints into its folder under its own name, so that no puzzle's print replaces
// another's.
TEST_F(PrinterPdf, AFileNamedInSetupBelongsToItsDocument) {
  ASSERT_TRUE(QDir(folder.path()).mkdir("prints"));
  const QString chosen = folder.filePath("prints/chosen.pdf");
  EXPECT_EQ(testing_support::AcceptPrinterSetup(printer, chosen), folder.filePath("Job.pdf"));
  EXPECT_EQ(printer.JobTarget(), chosen);
  printer.Copy = 2;
  EXPECT_EQ(printer.Printers().value(printer.PrinterIndex()), folder.filePath("prints/chosen-2.pdf"));
  printer.Copy = 1;

  printer.Document = folder.filePath("Other.xwd");
  EXPECT_EQ(printer.JobTarget(), folder.filePath("prints/Other.pdf"));
  printer.Document = folder.filePath("Job.xwd");
  EXPECT_EQ(printer.JobTarget(), chosen);

  // Set up again for the other document: the dialog proposes its file, which then is its own.
  printer.Document = folder.filePath("Other.xwd");
  EXPECT_EQ(testing_support::AcceptPrinterSetup(printer), folder.filePath("prints/Other.pdf"));
  EXPECT_EQ(printer.JobTarget(), folder.filePath("prints/Other.pdf"));
  printer.Document = folder.filePath("Job.xwd");
  EXPECT_EQ(printer.JobTarget(), folder.filePath("prints/Job.pdf"));
}

TEST_F(PrinterPdf, ACancelledSetupKeepsTheTarget) {
  ASSERT_TRUE(QDir(folder.path()).mkdir("prints"));
  const QString chosen = folder.filePath("prints/chosen.pdf");
  testing_support::AcceptPrinterSetup(printer, chosen);
  printer.Document = folder.filePath("Other.xwd");
  QTimer::singleShot(0, [] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
  });
  EXPECT_FALSE(printer.Setup(nullptr));
  EXPECT_EQ(printer.JobTarget(), folder.filePath("prints/Other.pdf"));
  printer.Document = folder.filePath("Job.xwd");
  EXPECT_EQ(printer.JobTarget(), chosen);
}

TEST_F(PrinterPdf, SetupProposesThePdfBesideTheDocumentAndKeepsFollowingIt) {
  // The dialog is accepted as it opens; what it showed is kept.
  EXPECT_EQ(testing_support::AcceptPrinterSetup(printer), folder.filePath("Job.pdf"));
  // Accepted unchanged, jobs still go beside whatever document is printed next.
  printer.Document = folder.filePath("Other.xwd");
  EXPECT_EQ(printer.JobTarget(), folder.filePath("Other.pdf"));
}

// Setting up chooses the printer and prints nothing: the button that takes the choice says OK.
TEST_F(PrinterPdf, SetupTakesTheChoiceWithOkNotPrint) {
  std::string caption;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    if (auto* buttons = dialog->findChild<QDialogButtonBox*>())
      caption = buttons->button(QDialogButtonBox::Ok)->text().remove('&').toStdString();
    dialog->reject();
  });
  EXPECT_FALSE(printer.Setup(nullptr));
  EXPECT_EQ(caption, "OK");
}

TEST_F(PrinterPdf, AJobIsWrittenWhenItEnds) {
  const QString pdf = folder.filePath("Job.pdf");
  printer.Title = "Job Title";
  printer.BeginDoc();
  printer.Canvas().Font.Name = "Arial";
  printer.Canvas().Font.SetSize(12);
  printer.Canvas().TextOut(0, 0, "first page");
  printer.NewPage();
  printer.Canvas().TextOut(0, 0, QString::fromUtf8("second \u201Cpage\u201D"));
  EXPECT_FALSE(QFile::exists(pdf)) << "nothing before the end";
  EXPECT_EQ(printer.JobTarget(), pdf);
  printer.EndDoc();
  EXPECT_EQ(testing_support::PdfPageCount(pdf), 2);
  EXPECT_EQ(testing_support::PdfTitle(pdf), "Job Title");
  const QString text = testing_support::PdfPageTexts(pdf).join('\f');
  EXPECT_TRUE(text.contains("first page"));
  EXPECT_TRUE(text.contains(QString::fromUtf8("second \u201Cpage\u201D")));
}

TEST_F(PrinterPdf, AnAbortedJobLeavesTheOldFileAsItWas) {
  const QString pdf = folder.filePath("Job.pdf");
  {
    QFile old(pdf);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
  }
  printer.BeginDoc();
  printer.Canvas().TextOut(0, 0, "thrown away");
  printer.Abort();
  EXPECT_FALSE(printer.Printing());
  QFile old(pdf);
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "old");
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"Job.pdf"});
}

TEST_F(PrinterPdf, AMissingFolderFailsAtTheStart) {
  printer.Document = folder.filePath("missing/Job.xwd");
  try {
    printer.BeginDoc();
    FAIL() << "the job began";
  } catch (const EPrinter& error) {
    EXPECT_STRNE(error.what(), "");
  }
  EXPECT_FALSE(printer.Printing());
  EXPECT_FALSE(QDir(folder.filePath("missing")).exists());
}

// Pages are drawn at 600 pixels per inch, whatever resolution the printer's settings began
// with; a pen one pixel wide is one pixel of the page, none a hairline.
TEST_F(PrinterPdf, PagesAreDrawnAt600PixelsPerInchWithLinesOfTheirWidth) {
  EXPECT_EQ(printer.XResolution(), 600);
  EXPECT_EQ(printer.YResolution(), 600);
  printer.BeginDoc();
  Canvas& canvas = printer.Canvas();
  for (int width : {1, 0, 4}) {
    canvas.Pen.Width = width;
    canvas.MoveTo(100, 100 * width + 100);
    canvas.LineTo(2000, 100 * width + 100);
    canvas.Rectangle(100, 600 + 300 * width, 400, 800 + 300 * width);
  }
  printer.EndDoc();
  const QString pdf = folder.filePath("Job.pdf");
  const QStringList pages = testing_support::PdfPageContents(pdf);
  ASSERT_EQ(pages.size(), 1);
  // The page's scale from pixels to points.
  const auto scale = QRegularExpression(R"(([\d.]+) 0 0 -([\d.]+) [-\d.]+ [-\d.]+ cm)").match(pages[0]);
  ASSERT_TRUE(scale.hasMatch()) << pages[0].toStdString();
  EXPECT_DOUBLE_EQ(scale.captured(1).toDouble(), 72.0 / 600);
  const std::vector<double> widths = testing_support::PdfLineWidths(pdf);
  EXPECT_EQ(std::set<double>(widths.begin(), widths.end()), (std::set<double>{1, 4}));
}

// Each character advances a whole number of pixels, and the width of a text is their sum: the
// text is printed as wide as it was measured.
TEST_F(PrinterPdf, TextIsPrintedAsWideAsItsCharactersAddUp) {
  Canvas& canvas = printer.Canvas();
  canvas.Font.Name = "Arial";
  canvas.Font.SetSize(9);  // an "i" is 16.7 pixels wide, 17 when rounded
  const QString text(40, 'i');
  const int width = canvas.TextWidth(text);
  EXPECT_EQ(width, 40 * canvas.TextWidth("i"));
  printer.BeginDoc();
  canvas.TextOut(300, 300, text);
  printer.EndDoc();
  const auto words = testing_support::PdfPageWords(folder.filePath("Job.pdf"), 1);
  ASSERT_EQ(words.size(), 1u);
  EXPECT_NEAR(words[0].Right - words[0].Left, width * 72.0 / 600, 0.1);
}

// A file system of four kilobytes, mounted in a namespace of the printing program's own: no
// other way lets a test fill a disk.
TEST(PrinterFullDisk, AFullDiskIsReportedWithItsReason) {
  if (QProcess::execute("unshare", {"-rm", "true"}) != 0) GTEST_SKIP() << "no mount namespace to be had";
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  QProcess job;
  job.start("unshare", {"-rm", "sh", "-c", R"(mount -t tmpfs -o size=4k tmpfs "$1" && exec "$2" "$1/Job.xwd")", "sh",
                        folder.path(), PRINT_TO_PDF});
  ASSERT_TRUE(job.waitForFinished(60000));
  EXPECT_EQ(job.exitCode(), 1) << job.readAllStandardError().toStdString();
  EXPECT_EQ(QString::fromUtf8(job.readAllStandardOutput()), "No space left on device");
}

TEST_F(PrinterPdf, TheCanvasMeasuresAsTheJobWillPrint) {
  printer.SetOrientation(TPrinterOrientation::poPortrait);
  EXPECT_LT(printer.PageWidth(), printer.PageHeight());
  EXPECT_EQ(printer.XResolution(), settings.resolution());
  Canvas& canvas = printer.Canvas();
  canvas.Font.Name = "Courier New";
  canvas.Font.SetSize(12);
  const int before = canvas.TextWidth("M");
  const int height = canvas.TextHeight("I");
  // 12 points of a font whose characters are 0.6 of its size wide.
  EXPECT_NEAR(before, 12 * settings.resolution() / 72 * 6 / 10, 1);
  printer.BeginDoc();
  EXPECT_EQ(canvas.TextWidth("M"), before);
  EXPECT_EQ(canvas.TextHeight("I"), height);
  printer.Abort();
  printer.SetOrientation(TPrinterOrientation::poLandscape);
  EXPECT_GT(printer.PageWidth(), printer.PageHeight());
  EXPECT_EQ(printer.Orientation(), TPrinterOrientation::poLandscape);
}

}  // namespace
