#pragma once
// The small note shown while the puzzle is saved, printed or exported.

#include <QLabel>
#include <QPointer>
#include <cstdint>

#include "platform/gui/Form.h"

class TInfoWin : public platform::gui::TForm {
 public:
  TInfoWin();

  std::uint8_t InfoMode = 0;  // 1 saving, 2 printing, 3 exporting; set before showing
  QLabel* Panel;
  QLabel* SavImg;
  QLabel* PntImg;

 protected:
  void FormShow() override;
};

extern TInfoWin* InfoWin;

// Shows the note for the length of a piece of work and closes it on every path, also when the
// work raises; the window that was active before is active again afterwards, so the keyboard
// stays where the user left it.
class TInfoNote {
 public:
  explicit TInfoNote(std::uint8_t mode);
  ~TInfoNote();
  TInfoNote(const TInfoNote&) = delete;
  TInfoNote& operator=(const TInfoNote&) = delete;

 private:
  QPointer<QWidget> previouslyActive_;
};
