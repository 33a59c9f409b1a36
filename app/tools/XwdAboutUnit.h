#pragma once

#include "platform/gui/Form.h"

class TXwdAboutForm : public platform::gui::TForm {
 public:
  TXwdAboutForm();
};

extern TXwdAboutForm* XwdAboutForm;
