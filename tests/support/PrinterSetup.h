#pragma once
// Printer Setup on Qt's real print dialog, answered as it opens.

#include <QString>

#include "platform/gui/QtPrinter.h"

namespace testing_support {

// Runs the printer's Printer Setup and accepts the dialog, after typing `pdf` as the file to
// print to when one is given (a file that does not exist yet, or the dialog would ask before
// replacing it). Returns the file the dialog proposed.
QString AcceptPrinterSetup(platform::gui::QtPrinter& printer, const QString& pdf = {});

}  // namespace testing_support
