#include "app/main/LibraryMessageDisplay.h"

#include "platform/gui/AnsiText.h"
#include "platform/gui/SystemMetrics.h"

using platform::gui::FromAnsi;
using platform::gui::GetSystemMetrics;

xbase::MsgExtent TLibraryMessageDisplay::TextExtent(const std::string& text, const std::string& fontName) {
  const QSize size = platform::gui::MessageWindow::TextSize(FromAnsi(text), FromAnsi(fontName));
  return {size.width(), size.height()};
}

int TLibraryMessageDisplay::CaptionHeight() { return GetSystemMetrics(platform::gui::SM_CYCAPTION); }

xbase::FormHandle TLibraryMessageDisplay::ActiveForm() { return platform::gui::ActiveApplicationWindow(); }

xbase::MsgBounds TLibraryMessageDisplay::FormBounds(xbase::FormHandle form) {
  const QRect frame = static_cast<const QWidget*>(form)->frameGeometry();
  return {frame.left(), frame.top(), frame.width(), frame.height()};
}

xbase::MsgBounds TLibraryMessageDisplay::ScreenBounds() {
  return {0, 0, GetSystemMetrics(platform::gui::SM_CXSCREEN), GetSystemMetrics(platform::gui::SM_CYSCREEN)};
}

void TLibraryMessageDisplay::Placed(const xbase::TOvMsg& window) {
  auto& shown = windows_[&window];
  if (!shown) shown = std::make_unique<platform::gui::MessageWindow>();
  const xbase::MsgBounds bounds = window.Bounds();
  shown->Place(QRect(bounds.Left, bounds.Top, bounds.Width, bounds.Height), FromAnsi(window.Caption()));
}

void TLibraryMessageDisplay::TextShown(const xbase::TOvMsg& window) {
  if (platform::gui::MessageWindow* shown = WindowOf(window)) shown->ShowText(FromAnsi(window.Text()));
}

void TLibraryMessageDisplay::Destroyed(const xbase::TOvMsg& window) { windows_.erase(&window); }

platform::gui::MessageWindow* TLibraryMessageDisplay::WindowOf(const xbase::TOvMsg& window) const {
  const auto found = windows_.find(&window);
  return found != windows_.end() ? found->second.get() : nullptr;
}
