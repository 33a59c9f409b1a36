#include "platform/gui/Pause.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <cmath>

namespace platform::gui {
namespace {

double pauseScale = 1.0;

}  // namespace

void Pause(int milliseconds) {
  const long scaled = std::lround(milliseconds * pauseScale);
  if (scaled <= 0) {
    QCoreApplication::processEvents();
    return;
  }
  // Each pause owns its loop and timer, so a pause started inside another ends on its own.
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(static_cast<int>(std::min<long>(scaled, INT_MAX)));
  loop.exec();
}

void SetPauseScale(double scale) { pauseScale = scale; }

double PauseScale() { return pauseScale; }

}  // namespace platform::gui
