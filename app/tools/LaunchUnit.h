#pragma once
// The companion programs of the Tools menu: brings a running one to the front, or starts it.
// Programs of the family are found again by their window titles; others by the window of the
// process started last for their menu item.

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>

#include "platform/gui/WindowFinder.h"

class TLaunchModule : public QObject {
 public:
  static constexpr int SlotCount = 6;  // the Tools menu positions, the separator's included

  int CurrentSlot = 0;  // the Tools menu position of the program
  // Per slot: the window of its program and the process started last for it.
  std::array<platform::gui::WindowId, SlotCount> ToolWindows{};
  std::array<std::int64_t, SlotCount> ToolProcesses{};

  // Brings the current slot's program to the front, restoring it when minimised, or starts it;
  // while the process started for the slot still runs it is never started a second time.
  void LaunchTool(const QString& Path);
  // The window title of a program of the family, by the file name of its path; empty for others.
  static QString ToolWindowTitle(const QString& Path);
  // Starts the program and waits up to a second for its window, the events running meanwhile;
  // whether one was found. A program that cannot start is not reported.
  bool StartToolProcess(const QString& Path);
};

extern TLaunchModule* LaunchModule;
