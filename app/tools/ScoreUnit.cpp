#include "app/tools/ScoreUnit.h"

TScoreForm* ScoreForm = nullptr;

TScoreForm::TScoreForm() { SetCaption("Score Card"); }
