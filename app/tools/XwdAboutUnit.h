#pragma once
// The about box: the program's picture and name, and two figures of the machine, its physical
// memory and the free system resources.

#include <QLabel>
#include <QPushButton>
#include <cstdint>

#include "platform/gui/Form.h"

// A memory size in bytes as the box shows it: whole kilobytes, digits grouped, " KB".
QString MemoryText(std::uint64_t Bytes);

class TXwdAboutForm : public platform::gui::TForm {
 public:
  TXwdAboutForm();

  QLabel* ProgramIcon;
  QLabel* ProductName;
  QLabel* Comments;
  QLabel* MemoryLbl;
  QLabel* PhysMem;
  QLabel* FreeRes;
  QPushButton* OKButton;

 protected:
  void FormShow() override;
};

extern TXwdAboutForm* XwdAboutForm;
