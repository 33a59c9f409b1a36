#pragma once
// OEM code page 850: the bytes of tables flagged for OEM translation. The library works in
// Windows-1252 ("ANSI", CodePage1252.h); OEM text is translated on its way to and from disk.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::os {

// Bytes 0x00..0x7F are ASCII (controls included), so only the upper half differs.
char32_t Oem850ToUnicode(std::uint8_t ch);

// The OEM byte for a code point, or nothing when code page 850 has no such character.
std::optional<std::uint8_t> UnicodeToOem850(char32_t cp);

// Translation between the two pages through their common characters; a character the target
// page lacks (box drawing in ANSI, the euro sign in OEM, ...) becomes '?'.
std::uint8_t OemToAnsi(std::uint8_t ch);
std::uint8_t AnsiToOem(std::uint8_t ch);
std::string OemToAnsi(std::string_view oem);
std::string AnsiToOem(std::string_view ansi);

}  // namespace platform::os
