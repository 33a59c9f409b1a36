#include "platform/gui/HelpViewer.h"

#include "platform/gui/QtHelpViewer.h"

namespace platform::gui {
namespace {

HelpViewer* installed = nullptr;

}  // namespace

HelpViewer& CurrentHelpViewer() {
  if (installed) return *installed;
  static QtHelpViewer qtViewer;
  return qtViewer;
}

void InstallHelpViewer(HelpViewer* viewer) { installed = viewer; }

}  // namespace platform::gui
