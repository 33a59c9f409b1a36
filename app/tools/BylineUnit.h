#pragma once
// The byline editor: the author's name in front of the grid-language digit.

#include <QLineEdit>
#include <QPushButton>

#include "platform/gui/Form.h"

class TBylineForm : public platform::gui::TForm {
 public:
  TBylineForm();

  QLineEdit* BylineEdit;
  QPushButton* CancelBtn;
  QPushButton* SaveBtn;

  void SaveBtnClick();

 protected:
  void FormShow() override;
};

extern TBylineForm* BylineForm;
