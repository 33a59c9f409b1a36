#include "app/clues/XwdAutoUnit.h"

TAutoclueForm* AutoclueForm = nullptr;

TAutoclueForm::TAutoclueForm() {
  setWindowFlags(Qt::Tool);
  SetCaption("Autoclue");
}

void TAutoclueForm::LoadAutoPrefs() {}
void TAutoclueForm::RestoreAutoclueBounds() {}
std::string TAutoclueForm::GetSelectedGridWord() { return ">"; }
void TAutoclueForm::FindNextWord(const std::string&) {}
