#include "platform/gui/WindowFinder.h"

#include <QGuiApplication>
#include <memory>

#include "platform/gui/X11WindowFinder.h"

namespace platform::gui {
namespace {

WindowFinder* installed = nullptr;

std::unique_ptr<WindowFinder> DesktopFinder() {
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    auto x11 = std::make_unique<X11WindowFinder>(qgetenv("DISPLAY").toStdString());
    if (x11->Connected()) return x11;
  }
  return std::make_unique<NullWindowFinder>();
}

}  // namespace

WindowFinder& CurrentWindowFinder() {
  if (installed) return *installed;
  static const std::unique_ptr<WindowFinder> desktop = DesktopFinder();
  return *desktop;
}

void InstallWindowFinder(WindowFinder* finder) { installed = finder; }

}  // namespace platform::gui
