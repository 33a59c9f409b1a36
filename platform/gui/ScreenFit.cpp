#include "platform/gui/ScreenFit.h"

#include <algorithm>

#include "platform/gui/SystemMetrics.h"

namespace platform::gui {

QRect FitToScreen(const QRect& outer, const QRect& screen, int titleHeight, ScreenFit fit) {
  QRect fitted = outer;
  if (fit == ScreenFit::Whole) {
    // Right and bottom first, so a window larger than the screen keeps its top-left corner on it.
    if (fitted.right() > screen.right()) fitted.moveRight(screen.right());
    if (fitted.bottom() > screen.bottom()) fitted.moveBottom(screen.bottom());
    if (fitted.left() < screen.left()) fitted.moveLeft(screen.left());
    if (fitted.top() < screen.top()) fitted.moveTop(screen.top());
    return fitted;
  }
  const int third = std::max(1, outer.width() / 3);
  const int leftmost = screen.left() - (outer.width() - third);
  const int rightmost = screen.left() + screen.width() - third;
  fitted.moveLeft(std::clamp(fitted.left(), leftmost, rightmost));
  const int lowest = screen.top() + screen.height() - std::max(1, titleHeight);
  fitted.moveTop(std::clamp(fitted.top(), screen.top(), std::max(screen.top(), lowest)));
  return fitted;
}

QRect MetricsScreen() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

}  // namespace platform::gui
