#pragma once

#include "platform/gui/Form.h"

class TScanGridForm : public platform::gui::TForm {
 public:
  TScanGridForm();
};

extern TScanGridForm* ScanGridForm;
