#include "platform/gui/Printer.h"

#include "platform/gui/QtPrinter.h"

namespace platform::gui {
namespace {

TPrinter* installed = nullptr;

}  // namespace

void TPrinter::BeginDoc() {
  if (printing_) throw EPrinter("Printing in progress");
  StartJob();
  printing_ = true;
  pageNumber_ = 1;
}

void TPrinter::NewPage() {
  if (!printing_) throw EPrinter("Printer is not currently printing");
  StartNextPage();
  ++pageNumber_;
}

void TPrinter::EndDoc() {
  if (!printing_) throw EPrinter("Printer is not currently printing");
  // The job is over whatever the outcome: a failed ending has already thrown it away.
  printing_ = false;
  FinishJob();
}

void TPrinter::Abort() noexcept {
  if (!printing_) return;
  printing_ = false;
  CancelJob();
}

TPrinter& Printer() {
  return installed ? *installed : SharedQtPrinter();
}

void InstallPrinter(TPrinter* printer) { installed = printer; }

}  // namespace platform::gui
