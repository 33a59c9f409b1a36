#pragma once
// The user's language, the stand-in for the Windows user default language: it comes from the
// POSIX locale variables, read when asked, never from setlocale.

#include <string>
#include <string_view>

namespace platform::os {

struct Language {
  std::string language;   // ISO 639 code in lower case ("fr"); empty for the C and POSIX locales
  std::string territory;  // ISO 3166 code in upper case ("CA"); empty when the name has none
};

// Parses a locale name of the form language[_territory][.codeset][@modifier].
Language ParseLocaleName(std::string_view name);

// The language of LC_ALL, else LC_TIME, else LANG: the first of them that is set and not empty.
Language UserLanguage();

}  // namespace platform::os
