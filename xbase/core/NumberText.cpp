#include "xbase/core/NumberText.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

namespace xbase {
namespace {

// Every power of ten a double holds exactly.
constexpr std::array<double, 23> kExactPowersOfTen = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A whole text of an optional '-', at most 15 digits and at most one '.', as from_chars reads
// it; nothing for other texts. Most stored numbers are such texts, and reading them is far
// quicker than from_chars: the digits make an integer below 2^53, the decimals an exact power
// of ten, and one division rounds their quotient as from_chars rounds the text.
std::optional<double> ShortDecimal(std::string_view text) {
  const char* at = text.data();
  const char* const end = at + text.size();
  const bool negative = at != end && *at == '-';
  if (negative) ++at;
  std::int64_t digits = 0;
  std::size_t count = 0;
  const char* point = nullptr;
  for (; at != end; ++at) {
    const char c = *at;
    if (c >= '0' && c <= '9') {
      if (++count > 15) return std::nullopt;
      digits = digits * 10 + (c - '0');
    } else if (c == '.' && point == nullptr) {
      point = at;
    } else {
      return std::nullopt;
    }
  }
  if (count == 0) return std::nullopt;
  const std::size_t decimals = point == nullptr ? 0 : static_cast<std::size_t>(end - point - 1);
  double value = static_cast<double>(digits);
  if (decimals > 0) value /= kExactPowersOfTen[decimals];  // a division takes its time
  return negative ? -value : value;
}

// The text of a whole number of units of the last decimal place, with `decimals` decimals.
std::size_t FixedPointText(std::int64_t units, int decimals, char* text) {
  char* out = text;
  if (units < 0) *out++ = '-';
  char digits[24];
  const auto magnitude = units < 0 ? 0 - static_cast<std::uint64_t>(units)
                                   : static_cast<std::uint64_t>(units);
  const auto count = static_cast<std::size_t>(
      std::to_chars(digits, digits + sizeof digits, magnitude).ptr - digits);
  const auto places = static_cast<std::size_t>(decimals);
  const std::size_t whole = count > places ? count - places : 0;
  if (whole == 0) *out++ = '0';
  out = std::copy_n(digits, whole, out);
  if (places > 0) {
    *out++ = '.';
    out = std::fill_n(out, places - (count - whole), '0');
    out = std::copy(digits + whole, digits + count, out);
  }
  return static_cast<std::size_t>(out - text);
}

// Whether a non-zero value lies exactly half-way between two numbers of `decimals` decimals.
// Written as odd x 2^e, the value times 2 x 10^decimals is odd x 5^decimals x 2^(e + 1 +
// decimals), an odd whole number exactly when e = -(decimals + 1).
bool IsHalfWay(double value, int decimals) {
  int exponent = 0;
  const double mantissa = std::frexp(value, &exponent);
  const auto bits = static_cast<std::uint64_t>(std::fabs(std::ldexp(mantissa, 53)));
  return exponent - 53 + std::countr_zero(bits) == -(decimals + 1);
}

// A text of digits (and a '.', and a sign in front) one unit of its last digit further from
// zero; text has room for one more character.
std::size_t AwayFromZero(char* text, std::size_t length) {
  std::size_t at = length;
  while (at > 0) {
    char& c = text[--at];
    if (c == '.') continue;
    if (c == '-') {
      ++at;
      break;
    }
    if (c != '9') {
      ++c;
      return length;
    }
    c = '0';
  }
  std::copy_backward(text + at, text + length, text + length + 1);  // every digit was a 9
  text[at] = '1';
  return length + 1;
}

}  // namespace

double LeadingNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (const auto value = ShortDecimal(text)) return *value;
  double value = 0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  return ec == std::errc() && std::isfinite(value) ? value : 0;
}

std::size_t NumberText(double value, int decimals, char (&text)[600]) {
  if (!std::isfinite(value) || std::fabs(value) >= 1e300) return 0;
  if (value == 0) value = 0;  // no "-0"
  // Most numbers are a whole number of units of the last decimal place, and writing that
  // integer is far quicker than to_chars. When value * 10^decimals comes out whole and below
  // 2^50, the exact product is within 1/16 of it, so to_chars rounds to the same digits. An
  // exact half gives its product exactly, half a unit off the whole number it rounds to.
  if (static_cast<std::size_t>(decimals) < kExactPowersOfTen.size()) {
    const double units = value * kExactPowersOfTen[decimals];
    if (std::fabs(units) < 0x1p50) {
      const double whole = std::trunc(units);
      if (units == whole) return FixedPointText(static_cast<std::int64_t>(units), decimals, text);
      if (std::fabs(units - whole) == 0.5 && IsHalfWay(value, decimals))
        return FixedPointText(static_cast<std::int64_t>(whole + std::copysign(1.0, units)), decimals, text);
    }
  }
  // to_chars rounds a half to the even digit: written with one more decimal, such a value is
  // exact, its last digit a 5 to drop and carry away from zero.
  const bool halfWay = IsHalfWay(value, decimals);
  const auto [end, ec] = std::to_chars(text, text + sizeof text - 1, value, std::chars_format::fixed,
                                       halfWay ? decimals + 1 : decimals);
  if (ec != std::errc()) return 0;
  auto length = static_cast<std::size_t>(end - text);
  if (halfWay) length = AwayFromZero(text, length - (decimals == 0 ? 2 : 1));
  if (text[0] == '-' && std::all_of(text + 1, text + length, [](char c) { return c == '0' || c == '.'; })) {
    std::copy(text + 1, text + length, text);
    --length;
  }
  return length;
}

}  // namespace xbase
