#pragma once
// The program's one printer: Printer Setup changes it and every print run uses it.

#include <QPrinter>

namespace platform::gui {

QPrinter& SharedPrinter();

}  // namespace platform::gui
