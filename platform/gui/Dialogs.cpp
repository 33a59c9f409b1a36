#include "platform/gui/Dialogs.h"

#include "platform/gui/QtDialogs.h"

namespace platform::gui {
namespace {

Dialogs* installed = nullptr;

}  // namespace

Dialogs& CurrentDialogs() {
  if (installed) return *installed;
  static QtDialogs qtDialogs;
  return qtDialogs;
}

void InstallDialogs(Dialogs* dialogs) { installed = dialogs; }

}  // namespace platform::gui
