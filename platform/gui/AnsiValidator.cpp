#include "platform/gui/AnsiValidator.h"

#include "platform/os/CodePage1252.h"

namespace platform::gui {

QValidator::State AnsiValidator::validate(QString& input, int&) const {
  for (const char32_t cp : input.toUcs4()) {
    const auto byte = os::UnicodeToAnsi(cp);
    if (!byte || *byte < 32) return Invalid;
  }
  return Acceptable;
}

}  // namespace platform::gui
