#pragma once
// The program's numbered mouse cursors: 0 is the default arrow, and windows register cursors
// of their own under other numbers, from pictures compiled in as ":/cursors/<name>.xpm".

#include <QCursor>
#include <QPoint>
#include <QString>

namespace platform::gui {

constexpr int crDefault = 0;

// Loads the cursor picture `name` with its hot spot and keeps it under `number`.
void RegisterCursorResource(int number, const QString& name, QPoint hotSpot);
// The cursor kept under `number`; the arrow for a number nothing was registered under.
QCursor ScreenCursor(int number);

}  // namespace platform::gui
