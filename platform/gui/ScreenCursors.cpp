#include "platform/gui/ScreenCursors.h"

#include <QPixmap>
#include <map>

namespace platform::gui {
namespace {

// Never destroyed: a cursor picture must not outlive the application object, and static
// destructors run after it.
std::map<int, QCursor>& Cursors() {
  static auto* cursors = new std::map<int, QCursor>;
  return *cursors;
}

}  // namespace

void RegisterCursorResource(int number, const QString& name, QPoint hotSpot) {
  const QPixmap picture(QStringLiteral(":/cursors/%1.xpm").arg(name));
  Cursors()[number] = picture.isNull() ? QCursor(Qt::ArrowCursor) : QCursor(picture, hotSpot.x(), hotSpot.y());
}

QCursor ScreenCursor(int number) {
  const auto found = Cursors().find(number);
  return found == Cursors().end() ? QCursor(Qt::ArrowCursor) : found->second;
}

}  // namespace platform::gui
