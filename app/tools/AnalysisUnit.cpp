#include "app/tools/AnalysisUnit.h"

TAnalysisForm* AnalysisForm = nullptr;

TAnalysisForm::TAnalysisForm() { SetCaption("Puzzle Analysis"); }
