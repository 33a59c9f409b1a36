#pragma once
// How a window's outer bounds keep to the screen.

#include <QRect>

namespace platform::gui {

enum class ScreenFit {
  // The title bar stays on the screen and at least a third of the width with it, so the user
  // can still take hold of the window: for places the user chose.
  Reachable,
  // The whole window, frame included, lies on the screen: it moves up and left until it fits
  // (to the top-left corner when it is larger than the screen). For places the program chooses.
  Whole,
};

// The outer bounds moved, not resized, to keep to the screen as fit says; titleHeight is the
// height of the frame above the client area.
QRect FitToScreen(const QRect& outer, const QRect& screen, int titleHeight, ScreenFit fit);

// The screen of the system metrics: origin, SM_CXSCREEN by SM_CYSCREEN.
QRect MetricsScreen();

}  // namespace platform::gui
