#pragma once

#include "platform/gui/Form.h"

class TAnalysisForm : public platform::gui::TForm {
 public:
  TAnalysisForm();
};

extern TAnalysisForm* AnalysisForm;
