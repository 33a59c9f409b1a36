#include "app/clues/CluesDBUnit.h"

TCluesDBForm* CluesDBForm = nullptr;

TCluesDBForm::TCluesDBForm() { setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint); }
