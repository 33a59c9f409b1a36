#include "app/tools/LaunchUnit.h"

#include <QFileInfo>
#include <chrono>
#include <thread>

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
  platform::gui::WindowId& window = ToolWindows[CurrentSlot];
  const QString title = ToolWindowTitle(Path);
  if (!title.isEmpty()) {
    window = finder.FindByTitle(title);
  } else if (window != 0) {
    // A window remembered from the last start counts only while that process still runs and
    // owns it: X reuses the ids of closed windows.
    const std::int64_t process = ToolProcesses[CurrentSlot];
    if (!CurrentProcessStarter().IsRunning(process) || finder.ProcessOf(window) != process) window = 0;
  }
  if (window == 0 || !finder.BringToTop(window)) {
    StartToolProcess(Path);
    return;
  }
  if (finder.IsMinimized(window)) finder.Restore(window);
}

bool TLaunchModule::StartToolProcess(const QString& Path) {
  WindowFinder& finder = CurrentWindowFinder();
  platform::gui::WindowId& window = ToolWindows[CurrentSlot];
  const auto process = CurrentProcessStarter().Start(Path);
  if (!process) return false;
  ToolProcesses[CurrentSlot] = *process;
  window = 0;
  // The program needs a moment to open its window; a finder that sees no windows needs none.
  if (finder.CanFind()) {
    const auto until = std::chrono::steady_clock::now() + kWindowWait;
    while ((window = finder.FindByProcess(*process)) == 0 && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(kWindowPoll);
  }
  return window != 0;
}
