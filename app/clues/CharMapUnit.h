#pragma once
// The special characters that a keyboard lacks (accented and typographic characters and the
// answer blank "___"), ten by ten; a click inserts one into Autoclue's clue.

#include <QTableWidget>
#include <string>

#include "platform/gui/Form.h"

class TCharMapForm : public platform::gui::TForm {
 public:
  TCharMapForm();

  QTableWidget* CharGrid;

  // The Windows-1252 text of a cell: the code 161 + column + 10 * row, but for the cells that
  // hold the blank and the characters below 161 or above 255.
  static std::string CellText(int ACol, int ARow);

  // Handlers.
  void CharGridSelectCell(int ACol, int ARow);

 protected:
  void FormCreate() override;
};

extern TCharMapForm* CharMapForm;
