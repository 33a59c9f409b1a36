#include "platform/gui/SystemMetrics.h"

#include <QApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <cmath>

namespace platform::gui {
namespace {

std::optional<FixedMetrics> fixedMetrics;

int FixedValue(const FixedMetrics& fixed, SystemMetric metric) {
  switch (metric) {
    case SM_CXSCREEN: return fixed.ScreenWidth;
    case SM_CYSCREEN: return fixed.ScreenHeight;
    case SM_CYCAPTION: return fixed.CaptionHeight;
    case SM_CYMENU: return fixed.MenuHeight;
    case SM_CXFULLSCREEN: return fixed.FullScreenWidth;
    case SM_CYFULLSCREEN: return fixed.FullScreenHeight;
    case SM_CYSMCAPTION: return fixed.SmallCaptionHeight;
  }
  return 0;
}

int TitleBarHeight(Qt::WindowFlags kind) {
  QStyleOptionTitleBar option;
  option.titleBarFlags = kind;
  option.fontMetrics = QFontMetrics(QApplication::font());
  return QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight, &option);
}

int MenuBarHeight() {
  QMenuBar bar;
  bar.addMenu(QStringLiteral("&File"));
  return bar.sizeHint().height();
}

}  // namespace

int GetSystemMetrics(SystemMetric metric) {
  if (fixedMetrics) return FixedValue(*fixedMetrics, metric);
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return FixedValue(FixedMetrics{}, metric);
  switch (metric) {
    case SM_CXSCREEN: return screen->geometry().width();
    case SM_CYSCREEN: return screen->geometry().height();
    case SM_CYCAPTION: return TitleBarHeight(Qt::Window);
    case SM_CYMENU: return MenuBarHeight();
    case SM_CXFULLSCREEN: return screen->availableGeometry().width();
    // The client area of a maximised window: the work area less its caption.
    case SM_CYFULLSCREEN: return screen->availableGeometry().height() - TitleBarHeight(Qt::Window);
    case SM_CYSMCAPTION: return TitleBarHeight(Qt::Tool);
  }
  return 0;
}

int ScreenPixelsPerInch() {
  if (fixedMetrics) return fixedMetrics->PixelsPerInch;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return FixedMetrics{}.PixelsPerInch;
  return static_cast<int>(std::lround(screen->logicalDotsPerInchY()));
}

void SetFixedMetrics(std::optional<FixedMetrics> metrics) { fixedMetrics = metrics; }

}  // namespace platform::gui
