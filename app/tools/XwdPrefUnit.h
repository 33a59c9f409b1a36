#pragma once
// The preferences window.

#include <QCheckBox>

#include "platform/gui/Form.h"

class TXwdPrefForm : public platform::gui::TForm {
 public:
  TXwdPrefForm();

  QCheckBox* ViewChk;   // "Change Screen Layout"
  char arrangement = 0;  // 0, 1..4, or 'c' for the custom arrangement
};

extern TXwdPrefForm* XwdPrefForm;
