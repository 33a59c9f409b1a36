#pragma once
// The clue database window beside Autoclue.

#include "platform/gui/Form.h"

class TCluesDBForm : public platform::gui::TForm {
 public:
  TCluesDBForm();
};

extern TCluesDBForm* CluesDBForm;
