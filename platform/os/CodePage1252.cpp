#include "platform/os/CodePage1252.h"

#include <array>

namespace platform::os {
namespace {

// Code points of bytes 0x80..0x9F; the rest of the page equals Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at `i`; malformed bytes decode as U+FFFD one byte at a time.
char32_t NextUtf8(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<std::uint8_t>(s[i++]);
  if (b0 < 0x80) return b0;
  int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : -1;
  if (extra < 0 || i + extra > s.size()) return 0xFFFD;
  char32_t cp = b0 & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    const auto b = static_cast<std::uint8_t>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0xFFFD;
    cp = (cp << 6) | (b & 0x3F);
  }
  i += extra;
  return cp;
}

}  // namespace

char32_t AnsiToUnicode(std::uint8_t ch) {
  if (ch >= 0x80 && ch <= 0x9F) return kHigh[ch - 0x80];
  return ch;
}

std::optional<std::uint8_t> UnicodeToAnsi(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<std::uint8_t>(cp);
  for (std::size_t k = 0; k < kHigh.size(); ++k)
    if (kHigh[k] == cp) return static_cast<std::uint8_t>(0x80 + k);
  return std::nullopt;
}

std::string AnsiToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (char c : ansi) AppendUtf8(out, AnsiToUnicode(static_cast<std::uint8_t>(c)));
  return out;
}

std::string Utf8ToAnsi(std::string_view utf8, char fallback) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    if (auto b = UnicodeToAnsi(NextUtf8(utf8, i)))
      out += static_cast<char>(*b);
    else if (fallback != 0)
      out += fallback;
  }
  return out;
}

std::uint8_t AnsiUpper(std::uint8_t ch) {
  if (ch >= 'a' && ch <= 'z') return ch - 32;
  if (ch >= 0xE0 && ch <= 0xFE && ch != 0xF7) return ch - 32;
  switch (ch) {
    case 0x9A: return 0x8A;  // š
    case 0x9C: return 0x8C;  // œ
    case 0x9E: return 0x8E;  // ž
    case 0xFF: return 0x9F;  // ÿ
    default: return ch;
  }
}

std::uint8_t AnsiLower(std::uint8_t ch) {
  if (ch >= 'A' && ch <= 'Z') return ch + 32;
  if (ch >= 0xC0 && ch <= 0xDE && ch != 0xD7) return ch + 32;
  switch (ch) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return ch;
  }
}

std::string AnsiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(AnsiUpper(static_cast<std::uint8_t>(c)));
  return out;
}

std::string AnsiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(AnsiLower(static_cast<std::uint8_t>(c)));
  return out;
}

}  // namespace platform::os
