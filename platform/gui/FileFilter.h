#pragma once
// The class library's file-dialog conventions, translated for Qt's file dialog.

#include <QString>
#include <QStringList>

namespace platform::gui {

// "Description|*.ext;*.e2|Other|*.oth" becomes one Qt name filter per pair, in order, so the
// 1-based filter index of the pair is its position + 1. A trailing description without
// patterns is dropped.
QStringList ToQtNameFilters(const QString& filter);

// Appends "." + defaultExt when the file name part has no extension.
QString WithDefaultExt(const QString& fileName, const QString& defaultExt);

}  // namespace platform::gui
