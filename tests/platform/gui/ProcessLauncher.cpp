// Starts the program its first argument names through the process starter, writes the started
// process's id into the file its second argument names, and ends: the tests check that the
// program outlives it.

#include <QCoreApplication>
#include <QFile>

#include "platform/gui/ProcessStarter.h"

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc != 3) return 2;
  const auto pid = platform::gui::CurrentProcessStarter().Start(QString::fromLocal8Bit(argv[1]));
  QFile out(QString::fromLocal8Bit(argv[2]));
  if (!out.open(QIODevice::WriteOnly)) return 2;
  out.write(pid ? QByteArray::number(static_cast<qlonglong>(*pid)) : QByteArray("none"));
  return 0;
}
