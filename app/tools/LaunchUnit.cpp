#include "app/tools/LaunchUnit.h"

#include <QProcess>

TLaunchModule* LaunchModule = nullptr;

// The configured file itself is the program: no shell, no splitting of the path.
void TLaunchModule::LaunchTool(const QString& Path) { QProcess::startDetached(Path, {}); }
