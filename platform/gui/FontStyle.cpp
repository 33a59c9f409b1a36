#include "platform/gui/FontStyle.h"

namespace platform::gui {

QFont MakeFont(const QString& name, int pointSize, int style) {
  QFont font(name);
  if (pointSize > 0) font.setPointSize(pointSize);
  font.setBold(style & fsBold);
  font.setItalic(style & fsItalic);
  font.setUnderline(style & fsUnderline);
  font.setStrikeOut(style & fsStrikeOut);
  return font;
}

int FontStyleOf(const QFont& font) {
  return (font.bold() ? fsBold : 0) | (font.italic() ? fsItalic : 0) |
         (font.underline() ? fsUnderline : 0) | (font.strikeOut() ? fsStrikeOut : 0);
}

}  // namespace platform::gui
