#pragma once
// The printer on Qt. Its settings are the one QPrinter that Printer Setup changes. A job goes to
// the printer queue chosen there or, with none (no queue installed), to a PDF file: the one the
// user named in Printer Setup, else the document's name with ".pdf" beside it. A file named for
// one document is that document's: another document prints into the same folder under its own
// name. Pages are drawn at 600 pixels per inch.
//
// A PDF is written through a QSaveFile, opened unbuffered so that a failed write (a full disk)
// is seen: EndDoc commits it, and a failure or Abort leaves no file behind. Qt's own PDF output
// would ignore write errors.

#include <QPainter>
#include <QPrinter>
#include <QWidget>
#include <memory>

#include "platform/gui/Printer.h"
#include "platform/gui/QtCanvas.h"

class QPdfWriter;

namespace platform::gui {

// The program's one QPrinter, which Printer Setup shows and changes, and the printer over it.
QPrinter& SharedPrinter();
class QtPrinter;
QtPrinter& SharedQtPrinter();

// "Sunday.xwd" prints to "Sunday.pdf" in the same folder; a document without a name to
// "print.pdf" in the current folder.
QString PdfBeside(const QString& document);
// Copy 1 is the file itself; copy k goes beside it as "<name>-k.pdf".
QString PdfCopy(const QString& pdf, int copy);

class QtPrinter final : public TPrinter {
 public:
  explicit QtPrinter(QPrinter& printer);
  ~QtPrinter() override;

  QStringList Printers() const override;
  int PrinterIndex() const override;
  QString JobTarget() const override;

  TPrinterOrientation Orientation() const override;
  void SetOrientation(TPrinterOrientation orientation) override;
  int PageWidth() const override;
  int PageHeight() const override;
  int XResolution() const override;
  int YResolution() const override;

  platform::gui::Canvas& Canvas() override { return canvas_; }

  // Printer Setup: Qt's print dialog on the printer's settings. It proposes the PDF file that
  // the document's jobs go to; while that is the file beside the document, accepting it
  // unchanged keeps jobs going beside each document. Returns whether the user accepted.
  bool Setup(QWidget* parent);

 protected:
  void StartJob() override;
  void StartNextPage() override;
  void FinishJob() override;
  void CancelJob() noexcept override;

 private:
  // The queue's name, or an empty name when jobs go to a PDF file.
  QString Queue() const;
  // The PDF file of the document's first copy.
  QString DocumentPdf() const;
  // The PDF file of the next job (or the current one).
  QString PdfTarget() const;
  void ClosePdf() noexcept;

  QPrinter& printer_;
  QPainter painter_;
  QtCanvas canvas_;
  class PdfFile;
  std::unique_ptr<PdfFile> pdfFile_;
  std::unique_ptr<QPdfWriter> pdfWriter_;
  QString jobTarget_;
  // The document that the PDF file named in Printer Setup was named for.
  QString fileNamedFor_;
};

}  // namespace platform::gui
