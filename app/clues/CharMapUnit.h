#pragma once
// The special characters that a keyboard lacks, for inserting into a clue.

#include "platform/gui/Form.h"

class TCharMapForm : public platform::gui::TForm {
 public:
  TCharMapForm();
};

extern TCharMapForm* CharMapForm;
