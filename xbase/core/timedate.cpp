#include "xbase/core/timedate.h"

#include <time.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"

namespace xbase {

std::string ShortDateFormat;
char DateSeparator;

namespace {

struct NameTable {
  std::array<std::string_view, 7> days;  // Sunday first
  std::array<std::string_view, 12> months;
};

constexpr NameTable kEnglish = {
    {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
    {"January", "February", "March", "April", "May", "June", "July", "August", "September",
     "October", "November", "December"}};
constexpr NameTable kItalian = {
    {"Domenica", "Lunedi", "Martedi", "Mercoledi", "Giovedi", "Venerdi", "Sabato"},
    {"Gennaio", "Febbraio", "Marzo", "Aprile", "Maggio", "Giugno", "Luglio", "Agosto",
     "Settembre", "Ottobre", "Novembre", "Dicembre"}};
// Code page 850: \x82 e acute, \x96 u circumflex.
constexpr NameTable kFrench = {
    {"Dimanche", "Lundi", "Mardi", "Mercredi", "Jeudi", "Vendredi", "Samedi"},
    {"Janvier", "F\x82vrier", "Mars", "Avril", "Mai", "Juin", "Juillet", "Ao\x96t", "Septembre",
     "Octobre", "Novembre", "D\x82" "cembre"}};
// Code page 850: \x84 a umlaut.
constexpr NameTable kGerman = {
    {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"},
    {"Januar", "Februar", "M\x84rz", "April", "Mai", "Juni", "Juli", "August", "September",
     "Oktober", "November", "Dezember"}};
constexpr NameTable kSpanish = {
    {"Domingo", "Lunes", "Martes", "Miercoles", "Jueves", "Viernes", "Sabado"},
    {"Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio", "Agosto", "Septiembre",
     "Octubre", "Noviembre", "Diciembre"}};
// Code page 866.
constexpr NameTable kRussian = {
    {"\x82\xAE\xE1\xAA\xE0\xA5\xE1\xA5\xAD\xEC\xA5", "\x8F\xAE\xAD\xA5\xA4\xA5\xAB\xEC\xAD\xA8\xAA",
     "\x82\xE2\xAE\xE0\xAD\xA8\xAA", "\x91\xE0\xA5\xA4\xA0", "\x97\xA5\xE2\xA2\xA5\xE0\xA3",
     "\x8F\xEF\xE2\xAD\xA8\xE6\xA0", "\x91\xE3\xA1\xA1\xAE\xE2\xA0"},
    {"\x9F\xAD\xA2\xA0\xE0\xEC", "\x94\xA5\xA2\xE0\xA0\xAB\xEC", "\x8C\xA0\xE0\xE2",
     "\x80\xAF\xE0\xA5\xAB\xEC", "\x8C\xA0\xA9", "\x88\xEE\xAD\xEC", "\x88\xEE\xAB\xEC",
     "\x80\xA2\xA3\xE3\xE1\xE2", "\x91\xA5\xAD\xE2\xEF\xA1\xE0\xEC", "\x8E\xAA\xE2\xEF\xA1\xE0\xEC",
     "\x8D\xAE\xEF\xA1\xE0\xEC", "\x84\xA5\xAA\xA0\xA1\xE0\xEC"}};

struct LayoutNames {
  const NameTable* names;
  std::size_t dayWidth;
  std::size_t monthWidth;
};

// By date code 0..8.
constexpr std::array<LayoutNames, 9> kLayoutNames = {{
    {&kEnglish, 9, 9},
    {&kEnglish, 9, 9},
    {&kEnglish, 9, 9},
    {&kItalian, 9, 9},
    {&kFrench, 8, 9},
    {&kGerman, 10, 9},
    {&kSpanish, 9, 10},
    {&kFrench, 8, 9},
    {&kRussian, 11, 8},
}};

unsigned LayoutCode() { return SetDateCode <= 8 ? SetDateCode : 0; }

std::string YearBlanks() { return std::string(SetCenturyFlag ? 4 : 2, ' '); }

std::string_view CutAtNul(std::string_view text) { return text.substr(0, text.find('\0')); }

// Before the first separator, between the first and the second, and the rest; each part
// trimmed and kept to at most four characters.
std::array<std::string, 3> SplitDateParts(std::string_view text, char separator) {
  std::array<std::string_view, 3> raw{text, {}, {}};
  for (std::size_t k = 0; k < 2; ++k) {
    const auto at = raw[k].find(separator);
    if (at == std::string_view::npos) break;
    raw[k + 1] = raw[k].substr(at + 1);
    raw[k] = raw[k].substr(0, at);
  }
  std::array<std::string, 3> parts;
  for (std::size_t k = 0; k < 3; ++k) parts[k] = AllTrimView(raw[k]).substr(0, 4);
  return parts;
}

bool AllEmpty(const std::array<std::string, 3>& parts) {
  return parts[0].empty() && parts[1].empty() && parts[2].empty();
}

std::string PadWithZeros(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

// A text of digits only as a number.
std::optional<int> DigitsValue(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.front() == '-')
    return std::nullopt;
  return value;
}

int NumberOrZero(std::string_view text) { return DigitsValue(text).value_or(0); }

// A text of at most nine digits as a number; false when any character is no digit.
bool ReadDigits(std::string_view text, int& value) {
  value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

// value in `width` digits, zeros in front.
void WriteDigits(int value, std::size_t width, char* out) {
  for (std::size_t k = width; k-- > 0; value /= 10) out[k] = static_cast<char>('0' + value % 10);
}

// A two-digit year gets its century; any year is padded to four digits.
std::string FourDigitYear(std::string year) {
  if (year.size() == 2) year = CenturyOf(NumberOrZero(year)) + year;
  return PadWithZeros(std::move(year), 4);
}

// The year including its century: two-digit years through the window.
int FullYear(std::string_view yearText) {
  const int year = NumberOrZero(yearText);
  return yearText.size() <= 2 ? CenturyBase(year) + year : year;
}

std::string Canonical(std::string_view dateText) {
  std::string text(dateText);
  DateTextToCanonical(text);
  return text;
}

bool IsBlankCanonical(const std::string& canonical) {
  return AllTrimView(canonical).empty() || canonical == BlankDatePicture(0);
}

int DaysInMonth(int month, int year) {
  switch (month) {
    case 2: return IsLeapYear(year) ? 29 : 28;
    case 4: case 6: case 9: case 11: return 30;
    default: return 31;
  }
}

char LayoutSeparator(unsigned code) {
  switch (code) {
    case 0: case 2: return '/';
    case 3: return '-';
    default: return '.';
  }
}

// Month, day and year in the order of a layout, with its separator, written at out; the
// length written.
std::size_t WriteInLayout(unsigned code, std::string_view month, std::string_view day,
                          std::string_view year, char* out) {
  const std::array<std::string_view, 3> parts = code == 0   ? std::array{month, day, year}
                                                : code == 1 ? std::array{year, month, day}
                                                            : std::array{day, month, year};
  const char separator = LayoutSeparator(code);
  char* at = std::copy(parts[0].begin(), parts[0].end(), out);
  *at++ = separator;
  at = std::copy(parts[1].begin(), parts[1].end(), at);
  *at++ = separator;
  at = std::copy(parts[2].begin(), parts[2].end(), at);
  return static_cast<std::size_t>(at - out);
}

std::string InLayout(unsigned code, std::string_view month, std::string_view day,
                     std::string_view year) {
  std::string text(month.size() + day.size() + year.size() + 2, '\0');
  WriteInLayout(code, month, day, year, text.data());
  return text;
}

void ApplyShortDateFormat(unsigned code) {
  ShortDateFormat = InLayout(code, "MM", "dd", SetCenturyFlag ? "yyyy" : "yy");
  DateSeparator = LayoutSeparator(code);
}

std::string PaddedName(std::string_view name, std::size_t width) {
  std::string out(name);
  out.resize(width, ' ');
  return out;
}

}  // namespace

void TimeDateInit() { ApplyShortDateFormat(LayoutCode()); }

std::string BlankDatePicture(unsigned code) {
  switch (code) {
    case 1: return YearBlanks() + ".  .  ";
    case 3: return "  -  -" + YearBlanks();
    case 4: case 5: case 6: case 7: case 8: return "  .  ." + YearBlanks();
    default: return "  /  /" + YearBlanks();
  }
}

void SetDateFormat(unsigned code) {
  if (code >= 9) code = 0;
  SetDateCode = static_cast<std::uint8_t>(code);
  ApplyShortDateFormat(code);
}

void DateTextToCanonical(std::string& text) {
  char separator = 0;
  for (char candidate : {'/', '-', '.'}) {
    if (text.find(candidate) != std::string::npos) {
      separator = candidate;
      break;
    }
  }
  if (separator == 0) return;
  auto parts = SplitDateParts(CutAtNul(text), separator);
  if (AllEmpty(parts)) {
    text = BlankDatePicture(0);
    return;
  }
  for (auto& part : parts) part = PadWithZeros(std::move(part), 2);
  const unsigned code = LayoutCode();
  const auto& month = code == 0 ? parts[0] : parts[1];
  const auto& day = code == 0 ? parts[1] : code == 1 ? parts[2] : parts[0];
  const auto& year = code == 1 ? parts[0] : parts[2];
  text = month + "/" + day + "/" + ExpandYear(year);
}

void CanonicalToDateText(std::string& text) {
  auto parts = SplitDateParts(CutAtNul(text), '/');
  const unsigned code = LayoutCode();
  if (AllEmpty(parts)) {
    text = BlankDatePicture(code);
    return;
  }
  for (auto& part : parts) part = PadWithZeros(std::move(part), 2);
  text = InLayout(code, parts[0], parts[1], ExpandYear(parts[2]));
}

bool IsValidDate(std::string& text) {
  std::string date(AllTrimView(text).substr(0, 10));
  DateTextToCanonical(date);
  if (date != BlankDatePicture(0)) {
    if (date.size() != 8 && date.size() != 10) return false;
    if (date[2] != '/' || date[5] != '/') return false;
    const auto month = DigitsValue(std::string_view(date).substr(0, 2));
    const auto day = DigitsValue(std::string_view(date).substr(3, 2));
    const std::string_view yearText = std::string_view(date).substr(6);
    if (!month || !day || !DigitsValue(yearText)) return false;
    if (*month < 1 || *month > 12 || *day < 1) return false;
    if (*day > DaysInMonth(*month, FullYear(yearText))) return false;
    if (date.size() == 10 && !SetCenturyFlag) date.erase(6, 2);
  }
  if (LayoutCode() != 0) CanonicalToDateText(date);
  text = date;
  return true;
}

bool IsLeapYear(int year) { return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0); }

int CenturyBase(int yy) {
  const int century = CenturyWindowStart / 100 * 100;
  return yy >= CenturyWindowStart % 100 ? century : century + 100;
}

std::string CenturyOf(int yy) { return PadWithZeros(std::to_string(CenturyBase(yy) / 100), 2); }

std::string ExpandYear(std::string year) {
  if (!SetCenturyFlag) return year;
  return FourDigitYear(std::move(year));
}

int DayOfWeekNo(std::string_view dateText) {
  const auto parts = SplitDateParts(Canonical(dateText), '/');
  int m = NumberOrZero(parts[0]);
  const int d = NumberOrZero(parts[1]);
  const int fullYear = FullYear(parts[2]);
  int c = fullYear / 100;
  int y = fullYear % 100;
  if (m < 3) {
    m += 12;
    if (y == 0) {
      y = 99;
      --c;
    } else {
      --y;
    }
  }
  int w = (d + (m + 1) * 26 / 10 + y + y / 4 + c / 4 - 2 * c) % 7;
  if (w < 0) w += 7;
  return w == 0 ? 7 : w;
}

std::string DateToYMDString(std::string_view dateText) {
  const std::string canonical = Canonical(dateText);
  if (IsBlankCanonical(canonical)) return std::string(8, ' ');
  const auto parts = SplitDateParts(canonical, '/');
  return FourDigitYear(parts[2]) + PadWithZeros(parts[0], 2) + PadWithZeros(parts[1], 2);
}

std::string YMDString(int year, int month, int day) {
  return PadWithZeros(std::to_string(year), 4) + PadWithZeros(std::to_string(month), 2) +
         PadWithZeros(std::to_string(day), 2);
}

std::string DayName(std::string_view dateText) {
  if (IsBlankCanonical(Canonical(dateText))) return DayNameOf(0);
  return DayNameOf(DayOfWeekNo(dateText));
}

std::string MonthName(std::string_view dateText) {
  return MonthNameOf(DateMonth(dateText));  // month 0 for a blank date
}

std::string DayNameOf(int dayOfWeek) {
  if (dayOfWeek < 1 || dayOfWeek > 7) return std::string(10, ' ');
  const LayoutNames& layout = kLayoutNames[LayoutCode()];
  return PaddedName(layout.names->days[dayOfWeek - 1], layout.dayWidth);
}

std::string MonthNameOf(int month) {
  if (month < 1 || month > 12) return std::string(9, ' ');
  const LayoutNames& layout = kLayoutNames[LayoutCode()];
  return PaddedName(layout.names->months[month - 1], layout.monthWidth);
}

int DateMonth(std::string_view dateText) {
  return NumberOrZero(Canonical(dateText).substr(0, 2));
}

int DateDay(std::string_view dateText) {
  const std::string canonical = Canonical(dateText);
  return canonical.size() < 4 ? 0 : NumberOrZero(canonical.substr(3, 2));
}

int DateYear(std::string_view dateText) {
  const std::string canonical = Canonical(dateText);
  return canonical.size() < 7 ? 0 : NumberOrZero(canonical.substr(6));
}

std::optional<std::string> ShapedDateToYMD(std::string_view text) {
  if (text.size() != 8 && text.size() != 10) return std::nullopt;
  const unsigned code = LayoutCode();
  const std::size_t yearLength = text.size() - 6;
  struct Positions {
    std::size_t year, month, day, separator1, separator2;
  };
  const Positions at = code == 0   ? Positions{6, 0, 3, 2, 5}
                       : code == 1 ? Positions{0, yearLength + 1, yearLength + 4, yearLength,
                                               yearLength + 3}
                                   : Positions{6, 3, 0, 2, 5};
  const char separator = LayoutSeparator(code);
  int year = 0, month = 0, day = 0;
  if (text[at.separator1] != separator || text[at.separator2] != separator ||
      !ReadDigits(text.substr(at.year, yearLength), year) ||
      !ReadDigits(text.substr(at.month, 2), month) || !ReadDigits(text.substr(at.day, 2), day))
    return std::nullopt;
  // As IsValidDate: the date is checked with the year as typed (two digits through the window),
  // and without SET CENTURY a four-digit year keeps only its last two digits.
  const int typedYear = yearLength == 2 ? CenturyBase(year) + year : year;
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(month, typedYear))
    return std::nullopt;
  const int storedYear =
      yearLength == 4 && !SetCenturyFlag ? CenturyBase(year % 100) + year % 100 : typedYear;
  if (storedYear > 9999) return std::nullopt;  // a window beyond four digits
  std::string ymd(8, '0');
  WriteDigits(storedYear, 4, ymd.data());
  WriteDigits(month, 2, ymd.data() + 4);
  WriteDigits(day, 2, ymd.data() + 6);
  return ymd;
}

std::size_t YMDToDateText(std::string_view ymd, char* text) {
  int digits = 0;
  if (ymd.size() != 8 || !ReadDigits(ymd, digits)) return 0;
  return WriteInLayout(LayoutCode(), ymd.substr(4, 2), ymd.substr(6, 2),
                       SetCenturyFlag ? ymd.substr(0, 4) : ymd.substr(2, 2), text);
}

std::int64_t SecondsCounter() {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return now.tv_sec;
}

}  // namespace xbase
