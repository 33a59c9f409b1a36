#pragma once
// The program's printer, as the class library's printer object: a list of printers with the
// current one, the page (printable area in device pixels, portrait or landscape), and the print
// job: BeginDoc starts a job on page 1, NewPage ends a page and starts the next, EndDoc ends the
// job, Abort throws it away. Drawing goes to Canvas in device pixels, with the origin at the
// top-left corner of the printable area.
//
// Failures raise EPrinter with the system's reason; the job then stays open until the caller
// aborts it.

#include <QString>
#include <QStringList>
#include <stdexcept>

#include "platform/gui/Canvas.h"

namespace platform::gui {

enum class TPrinterOrientation { poPortrait, poLandscape };

class EPrinter : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TPrinter {
 public:
  virtual ~TPrinter() = default;

  // The job's name; a job takes the title in force when it begins.
  QString Title;
  // The file being printed: with no printer to print on, the job goes to a PDF file beside it.
  QString Document;
  // Which copy of a print run the next job is. A job that goes to a PDF file writes copy k of
  // 2 or more beside the first copy as "<name>-k.pdf", so that no copy replaces another.
  int Copy = 1;

  // The names of the printers and the index of the current one.
  virtual QStringList Printers() const = 0;
  virtual int PrinterIndex() const = 0;
  // Where the current job goes, or the next job would go: a printer's name or a file's path.
  virtual QString JobTarget() const = 0;

  virtual TPrinterOrientation Orientation() const = 0;
  virtual void SetOrientation(TPrinterOrientation orientation) = 0;
  // The printable area and the resolution in pixels per inch.
  virtual int PageWidth() const = 0;
  virtual int PageHeight() const = 0;
  virtual int XResolution() const = 0;
  virtual int YResolution() const = 0;

  // Draws on the current page; between jobs it only measures text, in the printer's pixels.
  virtual platform::gui::Canvas& Canvas() = 0;

  bool Printing() const { return printing_; }
  int PageNumber() const { return pageNumber_; }

  // BeginDoc raises EPrinter when a job is already open, NewPage and EndDoc when none is.
  void BeginDoc();
  void NewPage();
  void EndDoc();
  // Throws the open job away (a file is not written, a queued job is cancelled); nothing
  // happens when no job is open. It never raises.
  void Abort() noexcept;

 protected:
  virtual void StartJob() = 0;
  virtual void StartNextPage() = 0;
  virtual void FinishJob() = 0;
  virtual void CancelJob() noexcept = 0;

 private:
  bool printing_ = false;
  int pageNumber_ = 0;
};

// The printer in force: the Qt printer unless a test installed another.
TPrinter& Printer();
// nullptr restores the Qt printer. The caller keeps ownership.
void InstallPrinter(TPrinter* printer);

}  // namespace platform::gui
