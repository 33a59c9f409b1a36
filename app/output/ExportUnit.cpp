#include "app/output/ExportUnit.h"

TExportForm* ExportForm = nullptr;

void TExportForm::TransformGrid(int) {}
