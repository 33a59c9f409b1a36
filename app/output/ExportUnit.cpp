#include "app/output/ExportUnit.h"

TExportForm* ExportForm = nullptr;
