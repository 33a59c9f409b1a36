#pragma once
// Autoclue: where the constructor writes the clues, word by word.

#include "platform/gui/Form.h"

class TAutoclueForm : public platform::gui::TForm {
 public:
  TAutoclueForm();

  void LoadAutoPrefs();
  void RestoreAutoclueBounds();
};

extern TAutoclueForm* AutoclueForm;
