#pragma once

#include "platform/gui/Form.h"

class TScoreForm : public platform::gui::TForm {
 public:
  TScoreForm();
};

extern TScoreForm* ScoreForm;
