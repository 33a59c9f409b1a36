#include "app/output/ExportUnit.h"

TExportForm* ExportForm = nullptr;

void TExportForm::ExportText(const QString&) {}
void TExportForm::CopyCluesToClipboard() {}
void TExportForm::ExportEps(const QString&, int) {}
void TExportForm::ExportMetafile(const QString&, int) {}
void TExportForm::ExportRtf(const QString&) {}
