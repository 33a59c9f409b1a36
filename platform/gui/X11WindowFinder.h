#pragma once
// The window finder of an X11 desktop, through its own connection to the X server: the window
// manager's client list (_NET_CLIENT_LIST), the windows' titles (_NET_WM_NAME, else WM_NAME)
// and process ids (_NET_WM_PID, else the X server's own word on the client that made the
// window, through the X-Resource extension), and activation through the window manager
// (_NET_ACTIVE_WINDOW).

#include <string>

#include "platform/gui/WindowFinder.h"

namespace platform::gui {

class X11WindowFinder final : public WindowFinder {
 public:
  // Connects to the display named ("" for $DISPLAY).
  explicit X11WindowFinder(const std::string& display);
  ~X11WindowFinder() override;
  X11WindowFinder(const X11WindowFinder&) = delete;
  X11WindowFinder& operator=(const X11WindowFinder&) = delete;

  // Without a connection it finds nothing.
  bool Connected() const { return ewmh_ != nullptr; }

  bool CanFind() const override { return Connected(); }
  WindowId FindByTitle(const QString& title) override;
  WindowId FindByProcess(std::int64_t pid) override;
  std::optional<std::int64_t> ProcessOf(WindowId window) override;
  bool BringToTop(WindowId window) override;
  bool IsMinimized(WindowId window) override;
  void Restore(WindowId window) override;

 private:
  struct Connection;
  Connection* ewmh_ = nullptr;
};

}  // namespace platform::gui
