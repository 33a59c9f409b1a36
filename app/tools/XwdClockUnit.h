#pragma once
// The solving clock: a small window that counts the solving time in seconds, up to nine hours
// and 59 minutes before it starts again at zero.

#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include "platform/gui/Form.h"

class TXwdClockForm : public platform::gui::TForm {
 public:
  TXwdClockForm();

  QTimer* Timer1;
  QLabel* TimeLbl;
  QToolButton* ClockBtn;
  QToolButton* ResetBtn;

  // Stops the time where it stands, as the pause button does: a solved puzzle takes no longer.
  void StopClock();

  // Handlers.
  void Timer1Timer();
  void ClockBtnClick();
  void ResetBtnClick();

 protected:
  void FormShow() override;
  void FormFramed() override;

 private:
  // At the bottom left of the screen, 8 pixels from its edges, frame included.
  void PlaceAtBottomLeft();
  void ShowTime();
  void SetPaused(bool paused);

  int seconds_ = 0;  // 0..3599
  int hours_ = 0;    // 0..9
};

extern TXwdClockForm* XwdClockForm;
