#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "platform/gui/QtPrinter.h"
#include "tests/support/PdfReader.h"
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
  // A file named in Printer Setup takes the jobs instead.
  settings.setOutputFileName(folder.filePath("chosen.pdf"));
  EXPECT_EQ(printer.Printers().value(printer.PrinterIndex()), folder.filePath("chosen-2.pdf"));
  printer.Copy = 1;
  EXPECT_EQ(printer.JobTarget(), folder.filePath("chosen.pdf"));
}

TEST_F(PrinterPdf, SetupProposesThePdfBesideTheDocumentAndKeepsFollowingIt) {
  // The dialog is accepted as it opens; what it showed is kept.
  QString proposed;
  QTimer::singleShot(0, [&] {
    proposed = settings.outputFileName();
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->accept();
  });
  EXPECT_TRUE(printer.Setup(nullptr));
  EXPECT_EQ(proposed, folder.filePath("Job.pdf"));
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
