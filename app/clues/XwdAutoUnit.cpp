#include "app/clues/XwdAutoUnit.h"

TAutoclueForm* AutoclueForm = nullptr;

TAutoclueForm::TAutoclueForm() {
  setWindowFlags(Qt::Tool);
  SetCaption("Autoclue");
}

void TAutoclueForm::LoadAutoPrefs() {}
void TAutoclueForm::RestoreAutoclueBounds() {}
