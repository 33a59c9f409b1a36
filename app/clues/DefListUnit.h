#pragma once
// The definition list: every clue of the puzzle, across and down.

#include "platform/gui/Form.h"

class TDefListForm : public platform::gui::TForm {
 public:
  TDefListForm();
};

extern TDefListForm* DefListForm;
