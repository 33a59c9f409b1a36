#pragma once
// The clue database window beside Autoclue. Until the table library stands, the window only
// says that the clue table is not available.

#include <QLabel>
#include <string>

#include "platform/gui/Form.h"

class TCluesDBForm : public platform::gui::TForm {
 public:
  TCluesDBForm();

  QLabel* NoTableLbl;

  // Whether the clue table is open for look-ups and additions.
  bool TableOpen() const { return false; }
  // Shows the entry of an answer (Windows-1252).
  void LookupEntry(const std::string& Word);

 protected:
  void FormShow() override;
  void FormHide() override;
};

extern TCluesDBForm* CluesDBForm;
