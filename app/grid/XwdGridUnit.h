#pragma once
// The grid window: the one window that shows the puzzle grid, in every editing mode, and holds
// the current word (CursorPos and Direction) that the other windows read and set.

#include <cstdint>

#include "platform/gui/Colors.h"
#include "platform/gui/Form.h"

class TXwdGridForm : public platform::gui::TForm {
 public:
  TXwdGridForm();

  platform::gui::TColor FilledColor = platform::gui::clBlack;
  platform::gui::TColor BlankColor = platform::gui::clWhite;
  std::uint32_t CursorPos = 0;  // low half x, high half y, client pixels
  std::int32_t Direction = 0;   // 0 none, 1 across, 2 down
  std::uint8_t Cheated = 0;
  std::uint8_t SymmetryOn = 0;
  std::uint8_t SwapButtons = 0;

  void LoadGridPrefs();
  void BuildLetterSet();
  void RestoreGridBounds();
  void HighlightWord(int X, int Y, platform::gui::TColor Colour);

  // The answer peek of the cheat button, and the score card's error marks and celebration.
  void ShowAnswers();
  void MarkWrongEntries();
  void CelebrateSolved();

 protected:
  void FormCreate() override;
  void FormShow() override;
  void FormCloseQuery(bool& CanClose) override;
};

extern TXwdGridForm* XwdGridForm;
