#include "platform/db/FormatSettings.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <optional>

#include "platform/db/DateTime.h"
#include "platform/db/DbErrors.h"

namespace platform::db {

TFormatSettings FormatSettings;

namespace {

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The number of repeats of the character at `at` (case ignored).
std::size_t RunLength(std::string_view format, std::size_t at) {
  std::size_t end = at;
  while (end < format.size() && Lower(format[end]) == Lower(format[at])) ++end;
  return end - at;
}

std::string Digits(int value, std::size_t width) {
  std::string text = std::to_string(value);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

int ThisYear() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

// The order of day, month and year in the format: "dmy", "mdy", "ymd", ...
std::string PartOrder(std::string_view format) {
  std::string order;
  for (const char c : format) {
    const char part = Lower(c);
    if ((part == 'd' || part == 'm' || part == 'y') && order.find(part) == std::string::npos)
      order += part;
  }
  return order.size() == 3 ? order : "mdy";
}

std::optional<int> Number(std::string_view text, std::size_t& digits) {
  text = Trimmed(text);
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || text.front() == '-' || ec != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  digits = text.size();
  return value;
}

std::optional<TDateTime> ReadDate(std::string_view text) {
  const TFormatSettings& settings = FormatSettings;
  std::array<std::string_view, 3> parts;
  std::size_t count = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t separator = text.find(settings.DateSeparator, start);
    if (count == parts.size()) return std::nullopt;
    parts[count++] = text.substr(start, separator - start);
    if (separator == std::string_view::npos) break;
    start = separator + 1;
  }
  if (count < 2) return std::nullopt;
  const std::string order = PartOrder(settings.ShortDateFormat);
  int day = 0, month = 0, year = 0;
  std::size_t yearDigits = 0;  // none given: this year
  std::size_t index = 0;
  for (const char part : order) {
    if (part == 'y' && count == 2) continue;  // day and month only
    std::size_t digits = 0;
    const auto value = Number(parts[index++], digits);
    if (!value) return std::nullopt;
    if (part == 'd') day = *value;
    if (part == 'm') month = *value;
    if (part == 'y') {
      year = *value;
      yearDigits = digits;
    }
  }
  if (yearDigits == 0) {
    year = ThisYear();
  } else if (yearDigits <= 2) {
    const int earliest = ThisYear() - settings.TwoDigitYearCenturyWindow;
    year += earliest / 100 * 100;
    if (year < earliest) year += 100;
  }
  TDateTime date;
  if (!TryEncodeDate(year, month, day, date)) return std::nullopt;
  return date;
}

}  // namespace

TFormatSettings FormatSettingsFor(const platform::os::Language& language) {
  TFormatSettings settings;
  const std::string& lang = language.language;
  const auto set = [&settings](const char* format, char date, char decimal, char thousands) {
    settings.ShortDateFormat = format;
    settings.DateSeparator = date;
    settings.DecimalSeparator = decimal;
    settings.ThousandSeparator = thousands;
  };
  if (lang == "en" && language.territory != "US" && !language.territory.empty())
    set("dd/MM/yyyy", '/', '.', ',');
  else if (lang == "de" || lang == "ru")
    set("dd.MM.yyyy", '.', ',', lang == "de" ? '.' : ' ');
  else if (lang == "fr" && language.territory == "CA")
    set("yyyy-MM-dd", '-', ',', ' ');
  else if (lang == "fr")
    set("dd/MM/yyyy", '/', ',', ' ');
  else if (lang == "es" || lang == "it")
    set("dd/MM/yyyy", '/', ',', '.');
  return settings;
}

std::string DateToStr(TDateTime date) {
  int year = 0, month = 0, day = 0;
  if (!DecodeDate(date, year, month, day)) return {};
  const std::string_view format = FormatSettings.ShortDateFormat;
  std::string text;
  for (std::size_t at = 0; at < format.size();) {
    const std::size_t run = RunLength(format, at);
    switch (Lower(format[at])) {
      case 'd': text += Digits(day, run >= 2 ? 2 : 1); break;
      case 'm': text += Digits(month, run >= 2 ? 2 : 1); break;
      case 'y': text += run <= 2 ? Digits(year % 100, 2) : Digits(year, 4); break;
      case '/': text.append(run, FormatSettings.DateSeparator); break;
      default: text.append(run, format[at]); break;
    }
    at += run;
  }
  return text;
}

TDateTime StrToDate(std::string_view text) {
  if (const auto date = ReadDate(Trimmed(text))) return *date;
  throw EConvertError("'" + std::string(text) + "' is not a valid date");
}

std::string FloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) value = 0;  // no "-0"
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text = buffer;
  if (const auto e = text.find('E'); e != std::string::npos) {
    std::string exponent = text.substr(e + 1);
    const bool negative = exponent.front() == '-';
    exponent.erase(0, exponent.find_first_not_of("+-0"));
    text = text.substr(0, e) + (negative ? "E-" : "E") + exponent;
  }
  if (const auto point = text.find('.'); point != std::string::npos)
    text[point] = FormatSettings.DecimalSeparator;
  return text;
}

double StrToFloat(std::string_view text) {
  std::string number(Trimmed(text));
  const auto fail = [&text]() -> double {
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
  };
  if (number.find('.') != std::string::npos && FormatSettings.DecimalSeparator != '.') fail();
  for (char& c : number)
    if (c == FormatSettings.DecimalSeparator) c = '.';
  if (!number.empty() && number.front() == '+') number.erase(0, 1);
  double value = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (number.empty() || ec != std::errc() || end != number.data() + number.size()) fail();
  return value;
}

std::int32_t StrToInt(std::string_view text) {
  std::string_view number = Trimmed(text);
  if (!number.empty() && number.front() == '+') number.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (number.empty() || ec != std::errc() || end != number.data() + number.size())
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  return value;
}

}  // namespace platform::db
