#pragma once
// Finds the top-level windows of other programs, by title or by process, and brings them to
// the front. On X11 it asks the window manager (the EWMH client list); where a program cannot
// see other programs' windows (Wayland, the offscreen platform) it finds nothing.

#include <QString>
#include <cstdint>
#include <optional>

namespace platform::gui {

// A top-level window of the desktop; 0 is no window.
using WindowId = std::uint64_t;

class WindowFinder {
 public:
  virtual ~WindowFinder() = default;
  // Whether this finder can see other programs' windows at all; one that cannot finds nothing,
  // so there is no point in waiting for a window.
  virtual bool CanFind() const = 0;
  // The first managed top-level window whose title is exactly title, or 0.
  virtual WindowId FindByTitle(const QString& title) = 0;
  // The first managed top-level window of the process, or 0.
  virtual WindowId FindByProcess(std::int64_t pid) = 0;
  // The process a window belongs to, when the window says so.
  virtual std::optional<std::int64_t> ProcessOf(WindowId window) = 0;
  // Asks for the window to come to the front with the keyboard; false when it is no longer
  // a window of the desktop.
  virtual bool BringToTop(WindowId window) = 0;
  virtual bool IsMinimized(WindowId window) = 0;
  // Shows a minimised window again, at the front.
  virtual void Restore(WindowId window) = 0;
};

// The finder of the desktop the program runs on: X11 under the xcb platform, else one that
// finds nothing. Made at its first use.
WindowFinder& CurrentWindowFinder();
// nullptr restores the desktop's finder. The caller keeps ownership.
void InstallWindowFinder(WindowFinder* finder);

// The finder that finds nothing.
class NullWindowFinder final : public WindowFinder {
 public:
  bool CanFind() const override { return false; }
  WindowId FindByTitle(const QString&) override { return 0; }
  WindowId FindByProcess(std::int64_t) override { return 0; }
  std::optional<std::int64_t> ProcessOf(WindowId) override { return std::nullopt; }
  bool BringToTop(WindowId) override { return false; }
  bool IsMinimized(WindowId) override { return false; }
  void Restore(WindowId) override {}
};

}  // namespace platform::gui
