#include "platform/db/DateTime.h"

#include <cmath>
#include <string>

#include "platform/db/DbErrors.h"

namespace platform::db {
namespace {

// Days since 1 January 1970 of a civil date (any year, month 1..12).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  year = yearOfEra + era * 400 + (month <= 2);
}

// 30 December 1899, day 0 of TDateTime.
const std::int64_t kDayZero = DaysFromCivil(1899, 12, 30);

bool IsLeap(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

}  // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    return false;
  date.Days = static_cast<double>(DaysFromCivil(year, month, day) - kDayZero);
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime date;
  if (!TryEncodeDate(year, month, day, date))
    throw EConvertError("Invalid argument to date encode: " + std::to_string(year) + "-" +
                        std::to_string(month) + "-" + std::to_string(day));
  return date;
}

bool DecodeDate(TDateTime date, int& year, int& month, int& day) {
  year = month = day = 0;
  if (!std::isfinite(date.Days) || std::fabs(date.Days) > 1e7) return false;
  std::int64_t fullYear = 0;
  int m = 0, d = 0;
  CivilFromDays(static_cast<std::int64_t>(std::trunc(date.Days)) + kDayZero, fullYear, m, d);
  if (fullYear < 1 || fullYear > 9999) return false;
  year = static_cast<int>(fullYear);
  month = m;
  day = d;
  return true;
}

}  // namespace platform::db
