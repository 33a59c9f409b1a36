#include "xbase/index/ovndxlow.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

namespace xbase {

// ---------------------------------------------------------------------------------------------
// Text and memory helpers

std::size_t StrLenZ(const char* text) { return std::strlen(text); }

char* StrCopyZ(char* destination, std::size_t capacity, const char* source) {
  StrToPChar(destination, capacity, source);
  return destination;
}

std::string PCharToStr(const char* text, std::size_t maximum) {
  return std::string(text, strnlen(text, std::min<std::size_t>(maximum, 255)));
}

void StrToPChar(char* destination, std::size_t capacity, std::string_view text) {
  const std::size_t count = std::min(text.size(), capacity - 1);
  std::memmove(destination, text.data(), count);
  destination[count] = '\0';
}

std::string ZeroPad(std::uint16_t n, std::size_t width) {
  std::string text = std::to_string(n);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

void ReverseBlock(void* block, std::size_t count) {
  auto* bytes = static_cast<std::uint8_t*>(block);
  std::reverse(bytes, bytes + count);
}

void RotateBlock(void* block, std::size_t firstLength, std::size_t secondLength) {
  if (firstLength == 0 || secondLength == 0) return;
  ReverseBlock(block, firstLength);
  ReverseBlock(OffsetPtr(block, static_cast<std::ptrdiff_t>(firstLength)), secondLength);
  ReverseBlock(block, firstLength + secondLength);
}

std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

// ---------------------------------------------------------------------------------------------
// Key comparators

int CompareBytes(const void* a, const void* b, std::uint16_t n) {
  const auto* x = static_cast<const std::uint8_t*>(a);
  const auto* y = static_cast<const std::uint8_t*>(b);
  for (std::uint16_t i = 0; i < n; ++i)
    if (x[i] != y[i]) return x[i] - y[i];
  return 0;
}

int CompareDouble(const void* a, const void* b) {
  double x, y;
  std::memcpy(&x, a, sizeof x);
  std::memcpy(&y, b, sizeof y);
  return x > y ? 1 : x < y ? -1 : 0;
}

// ---------------------------------------------------------------------------------------------
// SOUNDEX

std::string Soundex(std::string_view text) {
  static constexpr std::string_view kLetterCodes = "01230120022455012623010202";
  text = text.substr(0, 100);
  std::string code(SoundexLength, '0');
  if (text.empty()) return code;
  const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  code[0] = upper(text[0]);
  char last = IsUpperLetter(code[0]) ? kLetterCodes[code[0] - 'A'] : '0';
  std::size_t filled = 1;
  for (std::size_t i = 1; i < text.size() && filled < SoundexLength; ++i) {
    const char c = upper(text[i]);
    if (!IsUpperLetter(c)) continue;
    const char digit = kLetterCodes[c - 'A'];
    if (digit == last) continue;
    if (digit != '0') code[filled++] = digit;
    last = digit;
  }
  return code;
}

// ---------------------------------------------------------------------------------------------
// Node lists

void* ListAllocNode(NodeList& list, std::size_t size) {
  void* memory = ::operator new(ListHeaderSize + size, std::nothrow);
  if (memory == nullptr) return nullptr;
  auto* node = static_cast<ListNode*>(memory);
  node->NodeSize = ListHeaderSize + size;
  ListInsert(list, node);
  void* payload = NodePayload(node);
  std::memset(payload, 0, size);
  return payload;
}

void ListInsert(NodeList& list, ListNode* node) {
  if (list == nullptr) {
    node->Next = node->Prev = node;
  } else {
    node->Prev = list;
    node->Next = list->Next;
    list->Next->Prev = node;
    list->Next = node;
  }
  list = node;
}

ListNode* ListRemove(NodeList& list) {
  ListNode* head = list;
  if (head == nullptr) return nullptr;
  if (head->Next == head) {
    list = nullptr;
  } else {
    head->Prev->Next = head->Next;
    head->Next->Prev = head->Prev;
    list = head->Prev;
  }
  head->Next = head->Prev = nullptr;
  return head;
}

ListNode* ListNext(NodeList list, const ListNode* node) {
  if (node == nullptr) return list != nullptr ? list->Next : nullptr;
  return node == list ? nullptr : node->Next;
}

void ListFreeNode(ListNode* node) { ::operator delete(node); }

void ListFreeAll(NodeList& list) {
  while (ListNode* node = ListRemove(list)) ListFreeNode(node);
}

// ---------------------------------------------------------------------------------------------
// Calendar

int DayOfYear(int year, int month, int day) {
  if (year < 1 || month < 1 || month > 12 || day < 1) return -1;
  const int leapDay = IsLeapYear(year) && month > 2 ? 1 : 0;
  const int daysInMonth = CumulativeDays[month] - CumulativeDays[month - 1] +
                          (month == 2 && IsLeapYear(year) ? 1 : 0);
  if (day > daysInMonth) return -1;
  return CumulativeDays[month - 1] + day + leapDay;
}

std::int64_t DaysBeforeYear(int year) {
  if (year <= 1) return 0;
  const std::int64_t y = year - 1;
  return y * 365 + y / 4 - y / 100 + y / 400;
}

MonthDay DayOfYearToMonthDay(int dayOfYear, bool leap) {
  if (leap) {
    if (dayOfYear == 60) return {2, 29};
    if (dayOfYear > 60) --dayOfYear;
  }
  int month = 1;
  while (month < 12 && dayOfYear > CumulativeDays[month]) ++month;
  return {month, dayOfYear - CumulativeDays[month - 1]};
}

JulianDayNumber YmdToJulian(int year, int month, int day) {
  const int dayOfYear = DayOfYear(year, month, day);
  if (dayOfYear < 1) return 0;
  return static_cast<JulianDayNumber>(dayOfYear + DaysBeforeYear(year)) + JulianOffset;
}

std::optional<CalendarDate> JulianToCalendarDate(JulianDayNumber day) {
  // Checked before any conversion: NaN, infinities and huge values have no integer.
  if (!(day >= JulianOffset + 1 && day <= LastJulianDay)) return std::nullopt;
  const int whole = static_cast<int>(day);
  const int n = whole - static_cast<int>(JulianOffset);
  // n / 366 never passes the year; from the year 1 on, DaysBeforeYear counts exactly.
  int year = std::max(1, n / 366);
  int rest = n - static_cast<int>(DaysBeforeYear(year));
  while (rest > 365 + IsLeapYear(year)) {
    rest -= 365 + IsLeapYear(year);
    ++year;
  }
  const MonthDay monthDay = DayOfYearToMonthDay(rest, IsLeapYear(year));
  // Day numbers continue the astronomers' count, in which day 0 was a Monday.
  return CalendarDate{year, monthDay.month, monthDay.day, (whole + 1) % 7 + 1};
}

namespace {

// The value of `count` digits at `at`; -1 when the text is shorter or holds another character.
int DigitsAt(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return -1;
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// n in `width` digits at `out`.
void PutDigits(int n, std::size_t width, char* out) {
  for (std::size_t k = width; k-- > 0; n /= 10) out[k] = static_cast<char>('0' + n % 10);
}

// The canonical MM/DD/YYYY of a date text in any layout.
std::string CanonicalWithCentury(std::string_view text) {
  struct CenturyOn {
    bool saved = std::exchange(SetCenturyFlag, true);
    ~CenturyOn() { SetCenturyFlag = saved; }
  } centuryOn;
  std::string canonical(text.substr(0, 10));
  DateTextToCanonical(canonical);
  return canonical;
}

}  // namespace

JulianDayNumber DbfDateToJulian(std::string_view text) {
  text = text.substr(0, std::min<std::size_t>(8, text.find('\0')));
  if (text == "        ") return 0;
  return YmdToJulian(DigitsAt(text, 0, 4), DigitsAt(text, 4, 2), DigitsAt(text, 6, 2));
}

std::string JulianToDbfDate(JulianDayNumber day) {
  const auto date = JulianToCalendarDate(day);
  if (!date) return std::string(8, ' ');
  std::string text(8, '0');
  PutDigits(date->year, 4, text.data());
  PutDigits(date->month, 2, text.data() + 4);
  PutDigits(date->day, 2, text.data() + 6);
  return text;
}

std::string JulianToDateText(JulianDayNumber day) {
  const unsigned code = SetDateCode <= 8 ? SetDateCode : 0;
  const std::size_t yearWidth = SetCenturyFlag ? 4 : 2;
  const char separator = code == 0 || code == 2 || code == 8 ? '/' : code == 3 ? '-' : '.';
  // Positions of the year, month and day in a text of yearWidth + 6 characters.
  const bool yearFirst = code == 1;
  const std::size_t yearAt = yearFirst ? 0 : 6;
  const std::size_t monthAt = yearFirst ? yearWidth + 1 : code == 0 ? 0 : 3;
  const std::size_t dayAt = yearFirst ? yearWidth + 4 : code == 0 ? 3 : 0;
  std::string text(yearWidth + 6, ' ');
  const std::size_t firstSeparator = yearFirst ? yearWidth : 2;
  text[firstSeparator] = text[firstSeparator + 3] = separator;
  if (const auto date = JulianToCalendarDate(day)) {
    PutDigits(SetCenturyFlag ? date->year : date->year % 100, yearWidth, text.data() + yearAt);
    PutDigits(date->month, 2, text.data() + monthAt);
    PutDigits(date->day, 2, text.data() + dayAt);
  }
  return text;
}

JulianDayNumber DateTextToJulian(std::string_view text) {
  const std::string canonical = CanonicalWithCentury(text);
  return YmdToJulian(DigitsAt(canonical, 6, 4), DigitsAt(canonical, 0, 2), DigitsAt(canonical, 3, 2));
}

std::string DateTextToDbfDate(std::string_view text) {
  return JulianToDbfDate(DateTextToJulian(text));
}

}  // namespace xbase
