#pragma once
// Windows-1252 ("ANSI") characters: the single-byte text of puzzle files, clue tables and the
// table library. Text becomes Unicode only at the user-interface boundary.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::os {

// Every byte maps to one code point; the five bytes Windows-1252 leaves undefined map to the
// C1 control of the same value, so every byte round-trips.
char32_t AnsiToUnicode(std::uint8_t ch);

// The byte for a code point, or nothing when Windows-1252 has no such character.
std::optional<std::uint8_t> UnicodeToAnsi(char32_t cp);

// UTF-8 conversions of whole strings. ToAnsi replaces characters without a byte by `fallback`
// (or drops them when fallback is 0).
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8, char fallback = '?');

// Fixed case maps (never the machine's locale).
std::uint8_t AnsiUpper(std::uint8_t ch);
std::uint8_t AnsiLower(std::uint8_t ch);
std::string AnsiUpper(std::string_view text);
std::string AnsiLower(std::string_view text);

}  // namespace platform::os
