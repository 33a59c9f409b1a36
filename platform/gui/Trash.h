#pragma once

#include <QString>

namespace platform::gui {

// Moves a file to the user's trash (the freedesktop trash under the data folder).
// Returns false, leaving the file where it was, when that is not possible.
bool MoveToTrash(const QString& path);

}  // namespace platform::gui
