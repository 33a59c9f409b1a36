#pragma once
// The reference the number writers of the tests are held to.

#include <charconv>
#include <cmath>
#include <string>

namespace xbase {

// A number as a field stores it with `decimals` decimals, worked out the slow way: every exact
// digit of the value, then rounded at the decimals by the next digit (5 and above away from
// zero, exact halves included), and no sign on a text of zeros. Empty for no finite number
// below 1e300.
inline std::string ExactNumberText(double value, int decimals) {
  if (!std::isfinite(value) || std::fabs(value) >= 1e300) return "";
  char exact[1500];
  const auto end = std::to_chars(exact, exact + sizeof exact, value, std::chars_format::fixed, 1100).ptr;
  std::string text(exact, end);
  const bool negative = text.front() == '-';
  if (negative) text.erase(0, 1);
  const std::size_t point = text.find('.');
  std::string digits = text.substr(0, point) + text.substr(point + 1, decimals);
  bool up = text[point + 1 + decimals] >= '5';
  for (std::size_t i = digits.size(); up && i-- > 0;) {
    up = digits[i] == '9';
    digits[i] = up ? '0' : static_cast<char>(digits[i] + 1);
  }
  if (up) digits.insert(0, "1");
  const std::size_t whole = digits.size() - decimals;
  std::string result = digits.substr(0, whole);
  while (result.size() > 1 && result.front() == '0') result.erase(0, 1);
  if (decimals > 0) result += "." + digits.substr(whole);
  if (negative && result.find_first_not_of("0.") != std::string::npos) result.insert(0, "-");
  return result;
}

}  // namespace xbase
