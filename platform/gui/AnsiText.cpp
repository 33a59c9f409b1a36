#include "platform/gui/AnsiText.h"

#include "platform/os/CodePage1252.h"

namespace platform::gui {

QString FromAnsi(std::string_view ansi) {
  QString out;
  out.reserve(static_cast<qsizetype>(ansi.size()));
  for (char c : ansi) out += QChar(static_cast<char16_t>(os::AnsiToUnicode(static_cast<std::uint8_t>(c))));
  return out;
}

std::string ToAnsi(const QString& text, char fallback) {
  return os::Utf8ToAnsi(text.toStdString(), fallback);
}

}  // namespace platform::gui
