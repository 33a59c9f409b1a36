#include "platform/gui/Printer.h"

namespace platform::gui {

QPrinter& SharedPrinter() {
  // Never destroyed: its print engine comes from a plugin that is gone once the application
  // object has been destroyed.
  static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
  return *printer;
}

}  // namespace platform::gui
