#pragma once
// Font styles as the class library stores them: a set of bits, bold 1, italic 2, underline 4,
// strike-out 8.

#include <QFont>
#include <QString>

namespace platform::gui {

enum FontStyleBit : int { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

QFont MakeFont(const QString& name, int pointSize, int style);
int FontStyleOf(const QFont& font);

}  // namespace platform::gui
