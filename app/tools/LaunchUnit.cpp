#include "app/tools/LaunchUnit.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <chrono>

#include "platform/gui/ProcessStarter.h"

using namespace platform::gui;

TLaunchModule* LaunchModule = nullptr;

namespace {

struct KnownTool {
  const char* fileName;
  const char* title;
};

constexpr KnownTool kKnownTools[] = {
    {"Hintvault.exe", "Quillmere Hintvault"},
    {"Postwick.exe", "Quillmere Postwick"},
    {"Jotterly.exe", "Quillmere Jotterly"},
};

constexpr auto kWindowWait = std::chrono::milliseconds(1000);
constexpr auto kWindowPoll = std::chrono::milliseconds(50);

}  // namespace

QString TLaunchModule::ToolWindowTitle(const QString& Path) {
  const QString fileName = QFileInfo(Path).fileName();
  for (const KnownTool& tool : kKnownTools)
    if (fileName == QLatin1String(tool.fileName)) return QString::fromLatin1(tool.title);
  return QString();
}

void TLaunchModule::LaunchTool(const QString& Path) {
  WindowFinder& finder = CurrentWindowFinder();
  // Where other windows cannot be seen there is nothing to bring forward.
  if (!finder.CanFind()) {
    StartToolProcess(Path);
    return;
  }
  const int slot = CurrentSlot;
  platform::gui::WindowId& window = ToolWindows[slot];
  const std::int64_t process = ToolProcesses[slot];
  const bool running = process != 0 && CurrentProcessStarter().IsRunning(process);
  const QString title = ToolWindowTitle(Path);
  if (!title.isEmpty()) {
    window = finder.FindByTitle(title);
  } else if (window != 0 && (!running || finder.ProcessOf(window) != process)) {
    // A window remembered from the last start counts only while that process still runs and
    // owns it: X reuses the ids of closed windows.
    window = 0;
  }
  // The program started last for this item still runs: its window may have come after the
  // wait, or it is still to come. Either way no second copy is started.
  if (window == 0 && running) {
    window = finder.FindByProcess(process);
    if (window == 0) return;
  }
  if (window == 0 || !finder.BringToTop(window)) {
    StartToolProcess(Path);
    return;
  }
  if (finder.IsMinimized(window)) finder.Restore(window);
}

bool TLaunchModule::StartToolProcess(const QString& Path) {
  WindowFinder& finder = CurrentWindowFinder();
  const int slot = CurrentSlot;
  const auto process = CurrentProcessStarter().Start(Path);
  if (!process) return false;
  ToolProcesses[slot] = *process;
  ToolWindows[slot] = 0;
  // The program needs a moment to open its window; a finder that sees no windows needs none.
  // The wait runs the events meanwhile, so this program's windows keep painting.
  if (finder.CanFind()) {
    const auto until = std::chrono::steady_clock::now() + kWindowWait;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
      ToolWindows[slot] = finder.FindByProcess(*process);
      if (ToolWindows[slot] != 0 || std::chrono::steady_clock::now() >= until) loop.quit();
    });
    ToolWindows[slot] = finder.FindByProcess(*process);
    if (ToolWindows[slot] == 0) {
      poll.start(kWindowPoll);
      loop.exec();
    }
  }
  return ToolWindows[slot] != 0;
}
