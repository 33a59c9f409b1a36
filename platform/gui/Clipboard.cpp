#include "platform/gui/Clipboard.h"

#include "platform/gui/QtClipboard.h"

namespace platform::gui {
namespace {

Clipboard* installed = nullptr;

}  // namespace

Clipboard& CurrentClipboard() {
  if (installed) return *installed;
  static QtClipboard systemClipboard;
  return systemClipboard;
}

void InstallClipboard(Clipboard* clipboard) { installed = clipboard; }

}  // namespace platform::gui
