#include "platform/gui/QtPrinter.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSaveFile>

namespace platform::gui {

// A save file that writes every byte or fails. A short write (a full disk) would go unseen: the
// PDF writer ignores how much was written, and the file would be committed cut off. Writing
// the rest again meets the disk's error. The save file forgets the error's reason when it is
// closed, so the first failed write keeps it for the report.
class QtPrinter::PdfFile final : public QSaveFile {
 public:
  using QSaveFile::QSaveFile;

  // Why the file could not be written: the first failed write's reason, else the last error.
  QString Failure() const { return writeError_.isEmpty() ? errorString() : writeError_; }

 protected:
  qint64 writeData(const char* data, qint64 length) override {
    qint64 written = 0;
    while (written < length) {
      const qint64 n = QSaveFile::writeData(data + written, length - written);
      if (n <= 0) {
        if (writeError_.isEmpty()) writeError_ = errorString();
        return -1;
      }
      written += n;
    }
    return written;
  }

 private:
  QString writeError_;
};

namespace {

// The resolution of every page: fine enough that a pixel-wide line shows as a line.
constexpr int kPageResolution = 600;

}  // namespace

QPrinter& SharedPrinter() {
  // Never destroyed: its print engine comes from a plugin that is gone once the application
  // object has been destroyed.
  static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
  return *printer;
}

QtPrinter& SharedQtPrinter() {
  // Never destroyed, like the printer it drives.
  static QtPrinter* printer = new QtPrinter(SharedPrinter());
  return *printer;
}

QString PdfBeside(const QString& document) {
  if (document.isEmpty()) return QDir::current().absoluteFilePath("print.pdf");
  const QFileInfo file(document);
  return file.absoluteDir().filePath(file.completeBaseName() + ".pdf");
}

QString PdfCopy(const QString& pdf, int copy) {
  if (copy <= 1) return pdf;
  const QFileInfo file(pdf);
  const QString suffix = file.suffix().isEmpty() ? QString() : "." + file.suffix();
  return file.dir().filePath(QStringLiteral("%1-%2%3").arg(file.completeBaseName()).arg(copy).arg(suffix));
}

// Between jobs the canvas measures on the printer itself, at the resolution the job will have.
QtPrinter::QtPrinter(QPrinter& printer)
    : printer_(printer), canvas_(painter_, &printer, CanvasSurface::Printer) {
  printer_.setResolution(kPageResolution);
}

QtPrinter::~QtPrinter() { Abort(); }

bool QtPrinter::Setup(QWidget* parent) {
  const bool toFile = Queue().isEmpty();
  const QString named = printer_.outputFileName();
  const bool besideDocument = toFile && named.isEmpty();
  // Naming a file would turn a printer queue into a PDF file.
  const QString proposal = DocumentPdf();
  if (toFile) printer_.setOutputFileName(proposal);
  QPrintDialog dialog(&printer_, parent);
  dialog.setWindowTitle(QCoreApplication::translate("QtPrinter", "Printer Setup"));
  // Setting up chooses the printer and its paper; what to print is decided by each print run.
  dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
  // Its button takes the choice and prints nothing.
  if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
    if (QPushButton* take = buttons->button(QDialogButtonBox::Ok))
      take->setText(QCoreApplication::translate("QtPrinter", "OK"));
  const bool accepted = dialog.exec() == QDialog::Accepted;
  if (!accepted) {
    if (toFile) printer_.setOutputFileName(named);
  } else if (besideDocument && printer_.outputFileName() == proposal) {
    printer_.setOutputFileName({});
  } else {
    fileNamedFor_ = Document;
  }
  printer_.setResolution(kPageResolution);
  return accepted;
}

QString QtPrinter::Queue() const {
  if (printer_.outputFormat() != QPrinter::NativeFormat) return {};
  return printer_.printerName();
}

QString QtPrinter::DocumentPdf() const {
  // Printer Setup names the file only when the user chose to print to one.
  const QString named = printer_.outputFormat() == QPrinter::PdfFormat ? printer_.outputFileName() : QString();
  const QString beside = PdfBeside(Document);
  if (named.isEmpty()) return beside;
  const QFileInfo file(named);
  if (Document == fileNamedFor_) return file.absoluteFilePath();
  return file.absoluteDir().filePath(QFileInfo(beside).fileName());
}

QString QtPrinter::PdfTarget() const { return PdfCopy(DocumentPdf(), Copy); }

QStringList QtPrinter::Printers() const {
  QStringList names = QPrinterInfo::availablePrinterNames();
  const QString queue = Queue();
  const QString current = queue.isEmpty() ? PdfTarget() : queue;
  if (!names.contains(current)) names.append(current);
  return names;
}

int QtPrinter::PrinterIndex() const {
  const QString queue = Queue();
  return static_cast<int>(Printers().indexOf(queue.isEmpty() ? PdfTarget() : queue));
}

QString QtPrinter::JobTarget() const {
  if (Printing()) return jobTarget_;
  const QString queue = Queue();
  return queue.isEmpty() ? PdfTarget() : queue;
}

TPrinterOrientation QtPrinter::Orientation() const {
  return printer_.pageLayout().orientation() == QPageLayout::Landscape ? TPrinterOrientation::poLandscape
                                                                       : TPrinterOrientation::poPortrait;
}

void QtPrinter::SetOrientation(TPrinterOrientation orientation) {
  printer_.setPageOrientation(orientation == TPrinterOrientation::poLandscape ? QPageLayout::Landscape
                                                                              : QPageLayout::Portrait);
}

int QtPrinter::PageWidth() const { return printer_.pageLayout().paintRectPixels(printer_.resolution()).width(); }
int QtPrinter::PageHeight() const { return printer_.pageLayout().paintRectPixels(printer_.resolution()).height(); }
int QtPrinter::XResolution() const { return printer_.resolution(); }
int QtPrinter::YResolution() const { return printer_.resolution(); }

void QtPrinter::StartJob() {
  jobTarget_ = JobTarget();
  if (!Queue().isEmpty()) {
    printer_.setDocName(Title);
    if (!painter_.begin(&printer_)) throw EPrinter("The printer did not accept the job");
    return;
  }
  pdfFile_ = std::make_unique<PdfFile>(jobTarget_);
  if (!pdfFile_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    const QString reason = pdfFile_->errorString();
    pdfFile_.reset();
    throw EPrinter(reason.toStdString());
  }
  pdfWriter_ = std::make_unique<QPdfWriter>(pdfFile_.get());
  pdfWriter_->setPageLayout(printer_.pageLayout());
  pdfWriter_->setResolution(printer_.resolution());
  pdfWriter_->setTitle(Title);
  pdfWriter_->setCreator(QCoreApplication::applicationName());
  if (!painter_.begin(pdfWriter_.get())) {
    ClosePdf();
    throw EPrinter("The PDF file could not be started");
  }
}

void QtPrinter::StartNextPage() {
  if (pdfWriter_) {
    if (!pdfWriter_->newPage()) throw EPrinter(pdfFile_->Failure().toStdString());
  } else if (!printer_.newPage()) {
    throw EPrinter("The printer did not accept a new page");
  }
}

void QtPrinter::FinishJob() {
  if (!pdfWriter_) {
    if (!painter_.end()) throw EPrinter("The printer did not finish the job");
    return;
  }
  painter_.end();
  pdfWriter_.reset();
  const bool written = pdfFile_->commit();
  const QString reason = pdfFile_->Failure();
  pdfFile_.reset();
  if (!written) throw EPrinter(reason.toStdString());
}

void QtPrinter::CancelJob() noexcept {
  if (pdfWriter_) {
    ClosePdf();
    return;
  }
  printer_.abort();
  if (painter_.isActive()) painter_.end();
}

void QtPrinter::ClosePdf() noexcept {
  if (painter_.isActive()) painter_.end();
  pdfWriter_.reset();
  // Without a commit the save file removes what it wrote.
  if (pdfFile_) pdfFile_->cancelWriting();
  pdfFile_.reset();
}

}  // namespace platform::gui
