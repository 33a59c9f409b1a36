#pragma once
// A desktop for tests, standing in for both the process starter and the window finder: the
// program files that start, their processes and windows, and what was asked of them. Nothing
// real is started or raised.

#include <QString>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/gui/ProcessStarter.h"
#include "platform/gui/WindowFinder.h"

namespace testing_support {

class FakeDesktop final : public platform::gui::ProcessStarter, public platform::gui::WindowFinder {
 public:
  static constexpr int kNeverOpensAWindow = -1;

  // A program file that starts. Once started it opens a window titled title after the given
  // number of searches for its process's window (kNeverOpensAWindow: none).
  void AddProgram(const QString& path, const QString& title, int searchesBeforeWindow = 0);
  // A program that was running before, started elsewhere, with one window; its process id.
  std::int64_t RunElsewhere(const QString& title);
  // A started process that has not opened its window yet opens it now; its id.
  platform::gui::WindowId OpenWindowNow(std::int64_t pid);
  // The process ends and its windows close.
  void EndProcess(std::int64_t pid);
  // The window id now belongs to another process, as X reuses the ids of closed windows.
  void HandOver(platform::gui::WindowId window, std::int64_t pid);
  void Minimize(platform::gui::WindowId window);

  // Every program asked to start, in order, whether it started or not.
  const std::vector<QString>& StartRequests() const { return startRequests_; }
  // The process of the last program that started, 0 before any.
  std::int64_t LastStarted() const { return lastStarted_; }
  // The first window of a process, 0 for none.
  platform::gui::WindowId WindowOf(std::int64_t pid) const;
  // The window at the front, 0 before any was brought there.
  platform::gui::WindowId Front() const { return front_; }
  // The windows restored from minimised, in order.
  const std::vector<platform::gui::WindowId>& Restored() const { return restored_; }

  std::optional<std::int64_t> Start(const QString& program) override;
  bool IsRunning(std::int64_t pid) const override;

  bool CanFind() const override { return true; }
  platform::gui::WindowId FindByTitle(const QString& title) override;
  platform::gui::WindowId FindByProcess(std::int64_t pid) override;
  std::optional<std::int64_t> ProcessOf(platform::gui::WindowId window) override;
  bool BringToTop(platform::gui::WindowId window) override;
  bool IsMinimized(platform::gui::WindowId window) override;
  void Restore(platform::gui::WindowId window) override;

 private:
  struct Program {
    QString title;
    int searchesBeforeWindow = 0;
  };
  struct Process {
    bool running = true;
    QString title;  // of the window still to open
    int searchesBeforeWindow = kNeverOpensAWindow;
  };
  struct Window {
    std::int64_t pid = 0;
    QString title;
    bool minimized = false;
  };

  platform::gui::WindowId OpenWindow(std::int64_t pid, const QString& title);

  std::map<QString, Program> programs_;
  std::map<std::int64_t, Process> processes_;
  std::map<platform::gui::WindowId, Window> windows_;  // by id: the oldest window first
  std::vector<QString> startRequests_;
  std::vector<platform::gui::WindowId> restored_;
  std::int64_t nextPid_ = 1000;
  platform::gui::WindowId nextWindow_ = 0x400001;
  std::int64_t lastStarted_ = 0;
  platform::gui::WindowId front_ = 0;
};

}  // namespace testing_support
