#pragma once
// The solver's clue list beside the grid: line k holds the clue of the word with ordinal k + 1.
// Picking a line selects its word in the grid; letters typed in the list go to the grid.

#include <cstdint>
#include <string>

#include "platform/gui/Form.h"
#include "platform/gui/ListBox.h"

class TCluesForm : public platform::gui::TForm {
 public:
  TCluesForm();

  platform::gui::TListBox* ClueList;

  int ItemIndex() const { return ClueList->currentRow(); }
  // Selects a line (-1: none) without counting as the user's pick.
  void SetItemIndex(int index);
  // The text of the selected line (Windows-1252), empty with no selection.
  std::string SelectedClue() const;

  void LoadCluePrefs();
  void RestoreCluesBounds();

  // Handlers.
  void ClueListClick();
  // Backspace and letters go to the grid's selected word and set Key to 0; other keys stay.
  void ClueListKeyPress(std::uint8_t& Key);

 protected:
  void FormShow() override;
  void FormCloseQuery(bool& CanClose) override;
};

extern TCluesForm* CluesForm;
