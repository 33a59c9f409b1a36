#pragma once
// The solver's clue list beside the grid: one line per word in word order.

#include <QListWidget>
#include <string>

#include "platform/gui/Form.h"

class TCluesForm : public platform::gui::TForm {
 public:
  TCluesForm();

  QListWidget* ClueList;

  int ItemIndex() const { return ClueList->currentRow(); }
  void SetItemIndex(int index);
  // The text of the selected line (Windows-1252), empty with no selection.
  std::string SelectedClue() const;

  void LoadCluePrefs();
  void RestoreCluesBounds();

 protected:
  void FormCloseQuery(bool& CanClose) override;
};

extern TCluesForm* CluesForm;
