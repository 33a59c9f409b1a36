#pragma once

#include "platform/gui/Form.h"

class TXwdClockForm : public platform::gui::TForm {
 public:
  TXwdClockForm();
};

extern TXwdClockForm* XwdClockForm;
