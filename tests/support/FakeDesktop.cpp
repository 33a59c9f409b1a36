#include "tests/support/FakeDesktop.h"

namespace testing_support {

using platform::gui::WindowId;

void FakeDesktop::AddProgram(const QString& path, const QString& title, int searchesBeforeWindow) {
  programs_[path] = Program{title, searchesBeforeWindow};
}

std::int64_t FakeDesktop::RunElsewhere(const QString& title) {
  const std::int64_t pid = nextPid_++;
  processes_[pid] = Process{};
  OpenWindow(pid, title);
  return pid;
}

WindowId FakeDesktop::OpenWindowNow(std::int64_t pid) {
  Process& process = processes_.at(pid);
  process.searchesBeforeWindow = kNeverOpensAWindow;
  return OpenWindow(pid, process.title);
}

void FakeDesktop::EndProcess(std::int64_t pid) {
  processes_[pid].running = false;
  std::erase_if(windows_, [pid](const auto& entry) { return entry.second.pid == pid; });
}

void FakeDesktop::HandOver(WindowId window, std::int64_t pid) { windows_[window].pid = pid; }

void FakeDesktop::Minimize(WindowId window) { windows_.at(window).minimized = true; }

WindowId FakeDesktop::WindowOf(std::int64_t pid) const {
  for (const auto& [id, window] : windows_)
    if (window.pid == pid) return id;
  return 0;
}

WindowId FakeDesktop::OpenWindow(std::int64_t pid, const QString& title) {
  const WindowId id = nextWindow_++;
  windows_[id] = Window{pid, title, false};
  front_ = id;
  return id;
}

std::optional<std::int64_t> FakeDesktop::Start(const QString& program) {
  startRequests_.push_back(program);
  const auto found = programs_.find(program);
  if (found == programs_.end()) return std::nullopt;
  const std::int64_t pid = nextPid_++;
  processes_[pid] = Process{true, found->second.title, found->second.searchesBeforeWindow};
  lastStarted_ = pid;
  return pid;
}

bool FakeDesktop::IsRunning(std::int64_t pid) const {
  const auto found = processes_.find(pid);
  return found != processes_.end() && found->second.running;
}

WindowId FakeDesktop::FindByTitle(const QString& title) {
  for (const auto& [id, window] : windows_)
    if (window.title == title) return id;
  return 0;
}

WindowId FakeDesktop::FindByProcess(std::int64_t pid) {
  const auto process = processes_.find(pid);
  if (process != processes_.end() && process->second.running && process->second.searchesBeforeWindow >= 0) {
    if (process->second.searchesBeforeWindow == 0) {
      process->second.searchesBeforeWindow = kNeverOpensAWindow;
      OpenWindow(pid, process->second.title);
    } else {
      --process->second.searchesBeforeWindow;
    }
  }
  return WindowOf(pid);
}

std::optional<std::int64_t> FakeDesktop::ProcessOf(WindowId window) {
  const auto found = windows_.find(window);
  if (found == windows_.end()) return std::nullopt;
  return found->second.pid;
}

bool FakeDesktop::BringToTop(WindowId window) {
  if (!windows_.contains(window)) return false;
  front_ = window;
  return true;
}

bool FakeDesktop::IsMinimized(WindowId window) {
  const auto found = windows_.find(window);
  return found != windows_.end() && found->second.minimized;
}

void FakeDesktop::Restore(WindowId window) {
  const auto found = windows_.find(window);
  if (found == windows_.end()) return;
  found->second.minimized = false;
  front_ = window;
  restored_.push_back(window);
}

}  // namespace testing_support
