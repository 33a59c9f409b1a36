#include "app/clues/DefListUnit.h"

TDefListForm* DefListForm = nullptr;

TDefListForm::TDefListForm() {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  SetCaption("Definitions");
}
