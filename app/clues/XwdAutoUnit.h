#pragma once
// Autoclue: where the constructor writes the clues, word by word.

#include <string>

#include "platform/gui/Form.h"

class TAutoclueForm : public platform::gui::TForm {
 public:
  TAutoclueForm();

  // The word walk: the current word's first square, its number, ordinal and direction.
  int CurX = 0;
  int CurY = 1;
  int ClueNumber = 0;
  int WordCount = 0;
  char CurDir = 'd';

  void LoadAutoPrefs();
  void RestoreAutoclueBounds();
  std::string GetSelectedGridWord();
  void FindNextWord(const std::string& Target);
};

extern TAutoclueForm* AutoclueForm;
