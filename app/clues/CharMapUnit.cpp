#include "app/clues/CharMapUnit.h"

TCharMapForm* CharMapForm = nullptr;

TCharMapForm::TCharMapForm() {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  SetCaption("Special Characters");
}
