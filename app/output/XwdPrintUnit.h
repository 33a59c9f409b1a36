#pragma once
// The print window: chooses the printed formats and owns every print routine.

#include <QLineEdit>
#include <string>

#include "platform/gui/Form.h"

class TXwdPrintForm : public platform::gui::TForm {
 public:
  TXwdPrintForm();

  QLineEdit* TitleEdit;
  std::string SpecsText;  // the main window's specifications, Windows-1252

  // Prints the solver's puzzle page as one job.
  void QuickPrintPuzzle();
};

extern TXwdPrintForm* XwdPrintForm;
