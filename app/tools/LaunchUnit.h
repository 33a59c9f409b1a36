#pragma once
// Starts the companion programs whose paths the user configured.

#include <QObject>
#include <QString>

class TLaunchModule : public QObject {
 public:
  int CurrentSlot = 0;  // the Tools menu position of the program

  void LaunchTool(const QString& Path);
};

extern TLaunchModule* LaunchModule;
