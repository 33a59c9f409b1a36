#include "platform/os/CodePage850.h"

#include <array>

#include "platform/os/CodePage1252.h"

namespace platform::os {
namespace {

// Code points of bytes 0x80..0xFF.
constexpr std::array<char16_t, 128> kHigh = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

using ByteMap = std::array<std::uint8_t, 256>;

// Every byte of one code page as the other writes its character, '?' where it has none.
ByteMap Translation(char32_t (*decode)(std::uint8_t), std::optional<std::uint8_t> (*encode)(char32_t)) {
  ByteMap map{};
  for (int b = 0; b < 256; ++b) map[b] = encode(decode(static_cast<std::uint8_t>(b))).value_or('?');
  return map;
}

const ByteMap& OemToAnsiMap() {
  static const ByteMap map = Translation(Oem850ToUnicode, UnicodeToAnsi);
  return map;
}

const ByteMap& AnsiToOemMap() {
  static const ByteMap map = Translation(AnsiToUnicode, UnicodeToOem850);
  return map;
}

std::string MapBytes(std::string_view text, const ByteMap& map) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(map[static_cast<std::uint8_t>(c)]);
  return out;
}

}  // namespace

char32_t Oem850ToUnicode(std::uint8_t ch) {
  if (ch < 0x80) return ch;
  return kHigh[ch - 0x80];
}

std::optional<std::uint8_t> UnicodeToOem850(char32_t cp) {
  if (cp < 0x80) return static_cast<std::uint8_t>(cp);
  for (std::size_t k = 0; k < kHigh.size(); ++k)
    if (kHigh[k] == cp) return static_cast<std::uint8_t>(0x80 + k);
  return std::nullopt;
}

std::uint8_t OemToAnsi(std::uint8_t ch) { return OemToAnsiMap()[ch]; }
std::uint8_t AnsiToOem(std::uint8_t ch) { return AnsiToOemMap()[ch]; }
std::string OemToAnsi(std::string_view oem) { return MapBytes(oem, OemToAnsiMap()); }
std::string AnsiToOem(std::string_view ansi) { return MapBytes(ansi, AnsiToOemMap()); }

}  // namespace platform::os
