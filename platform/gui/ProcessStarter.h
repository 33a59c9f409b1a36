#pragma once
// Starts other programs: the configured file itself, detached from this program, with no
// arguments and no shell, so a path with blanks or shell characters runs that one file.

#include <QString>
#include <cstdint>
#include <optional>

namespace platform::gui {

class ProcessStarter {
 public:
  virtual ~ProcessStarter() = default;
  // The process id of the started program; nothing when the file cannot be run.
  virtual std::optional<std::int64_t> Start(const QString& program) = 0;
  // Whether the process still runs (an ended process that no one collected yet does not).
  virtual bool IsRunning(std::int64_t pid) const = 0;
};

ProcessStarter& CurrentProcessStarter();
// nullptr restores the real starter. The caller keeps ownership.
void InstallProcessStarter(ProcessStarter* starter);

}  // namespace platform::gui
