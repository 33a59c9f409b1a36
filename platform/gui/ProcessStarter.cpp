#include "platform/gui/ProcessStarter.h"

#include <QFile>
#include <QProcess>

namespace platform::gui {
namespace {

class DetachedProcessStarter final : public ProcessStarter {
 public:
  std::optional<std::int64_t> Start(const QString& program) override {
    // The program is one argument of its own: Qt neither splits it nor hands it to a shell.
    // A detached start leaves the program in a session of its own, so it outlives this one.
    qint64 pid = 0;
    if (program.isEmpty() || !QProcess::startDetached(program, {}, QString(), &pid)) return std::nullopt;
    return pid;
  }

  bool IsRunning(std::int64_t pid) const override {
    if (pid <= 0) return false;
    // "pid (name) S ...": the state follows the name, which may itself hold blanks and ")".
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');
    if (end < 0 || end + 2 >= line.size()) return false;
    const char state = line.at(end + 2);
    return state != 'Z' && state != 'X';
  }
};

ProcessStarter* installed = nullptr;

}  // namespace

ProcessStarter& CurrentProcessStarter() {
  if (installed) return *installed;
  static DetachedProcessStarter detached;
  return detached;
}

void InstallProcessStarter(ProcessStarter* starter) { installed = starter; }

}  // namespace platform::gui
