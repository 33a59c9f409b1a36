#include "platform/os/UserLanguage.h"

#include <cstdlib>

namespace platform::os {
namespace {

std::string AsciiCase(std::string_view text, bool upper) {
  std::string out(text);
  for (char& c : out) {
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
}

}  // namespace

Language ParseLocaleName(std::string_view name) {
  name = name.substr(0, name.find_first_of(".@"));
  if (name == "C" || name == "POSIX") return {};
  const auto underscore = name.find('_');
  if (underscore == std::string_view::npos) return {AsciiCase(name, false), {}};
  return {AsciiCase(name.substr(0, underscore), false),
          AsciiCase(name.substr(underscore + 1), true)};
}

Language UserLanguage() {
  for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return ParseLocaleName(value);
  }
  return {};
}

}  // namespace platform::os
