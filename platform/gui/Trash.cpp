#include "platform/gui/Trash.h"

#include <QFile>

namespace platform::gui {

bool MoveToTrash(const QString& path) { return QFile::moveToTrash(path); }

}  // namespace platform::gui
