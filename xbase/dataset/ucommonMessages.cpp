// The dataset classes' messages and message mode.

#include "platform/db/Application.h"
#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/dataset/ucommon.h"

namespace xbase {

std::uint8_t MessageMode = 2;

std::uint8_t SetMessageMode(std::uint8_t m) {
  const std::uint8_t old = MessageMode;
  if (m != 0) MessageMode = m;
  return old;
}

std::string FormatLibText(std::string_view format, const std::vector<std::string>& args) {
  std::string text;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '%' && i + 1 < format.size()) {
      const char kind = format[i + 1];
      if (kind == '%') {
        text += '%';
        ++i;
        continue;
      }
      if (kind == 's' || kind == 'd') {
        if (next < args.size()) text += args[next++];
        ++i;
        continue;
      }
    }
    text += c;
  }
  return text;
}

void ShowLibMessage(std::string_view format, const std::vector<std::string>& args) {
  if (MessageMode == 2) platform::db::ShowMessage(FormatLibText(OemToAnsiStr(std::string(format)), args));
}

void ShowLibText(std::string_view text) {
  if (MessageMode == 2) platform::db::ShowMessage(OemToAnsiStr(std::string(text)));
}

std::string TrimText(std::string_view s) { return AllTrim(s); }

}  // namespace xbase
