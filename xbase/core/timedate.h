#pragma once
// Date texts in the nine SET DATE layouts. A date has three forms:
//  - stored (in table fields): YYYYMMDD, or 8 blanks for an empty date;
//  - canonical: MM/DD/YY, or MM/DD/YYYY;
//  - displayed: the layout of SetDateCode, with two-digit years or four with SetCenturyFlag:
//      0 MM/DD/YY  1 YY.MM.DD  2 DD/MM/YY  3 DD-MM-YY  4..8 DD.MM.YY
//    A code above 8 acts as 0, as SetDateFormat makes it.
// Two-digit years fall in the century window CenturyWindowStart .. CenturyWindowStart + 99.
// Day and month names are bytes: English, Italian and Spanish in ASCII, French and German in
// OEM code page 850, Russian in code page 866, each padded with blanks to its layout's width.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xbase {

// The short date format and date separator of the dataset layer's date fields; SetDateFormat
// keeps them in step with SetDateCode.
extern std::string ShortDateFormat;  // e.g. "dd.MM.yy"
extern char DateSeparator;

// Start-up: ShortDateFormat and DateSeparator follow the start-up SetDateCode.
void TimeDateInit();

// The empty date in a layout: "  /  /  ", "  .  .  ", ... (four year blanks with SetCenturyFlag).
std::string BlankDatePicture(unsigned code);

// Selects a layout (9 and above select 0) and sets ShortDateFormat and DateSeparator with it.
void SetDateFormat(unsigned code);

// Displayed text to canonical, in place. A text with none of '/', '-', '.' is left unchanged.
void DateTextToCanonical(std::string& text);

// Canonical text to the displayed layout, in place.
void CanonicalToDateText(std::string& text);

// Validates a displayed date and, when valid, rewrites it normalised in the displayed layout.
// The blank picture is valid. An invalid text is left unchanged.
bool IsValidDate(std::string& text);

bool IsLeapYear(int year);

// The century of a two-digit year in the window: 1900, 2000, ...
int CenturyBase(int yy);
// Its first two digits as text: "19", "20", ...
std::string CenturyOf(int yy);
// With SetCenturyFlag on: a two-digit year gets its century, and the year is padded with '0'
// to four digits. With it off the year is returned unchanged.
std::string ExpandYear(std::string year);

// 1 = Sunday .. 7 = Saturday.
int DayOfWeekNo(std::string_view dateText);

// The stored form YYYYMMDD; 8 blanks for a blank date.
std::string DateToYMDString(std::string_view dateText);

// The stored form of a calendar date: the year in four digits, month and day in two.
std::string YMDString(int year, int month, int day);

// The name in the language of SetDateCode, padded to its width; 10 blanks (DayName) or
// 9 blanks (MonthName) for a blank date or a month outside 1..12.
std::string DayName(std::string_view dateText);
std::string MonthName(std::string_view dateText);
// The same by number: dayOfWeek 1 = Sunday .. 7 = Saturday, month 1..12; blanks as above for
// any other number.
std::string DayNameOf(int dayOfWeek);
std::string MonthNameOf(int month);

// Parts of a displayed date as numbers, 0 when not a number. DateYear is the year as typed:
// a two-digit year stays two-digit.
int DateMonth(std::string_view dateText);
int DateDay(std::string_view dateText);
int DateYear(std::string_view dateText);

// ---- Quick conversions for typed records
// Typed records convert a date at every record read and written. For the usual texts these two
// give what the general routines above give, without their temporary texts; for any other text
// they answer nothing, and the general routines take it.

// The stored form of a valid date in exactly its layout's shape (the layout's separators,
// digits elsewhere, a year of two or four digits): what DateToYMDString gives after
// IsValidDate. Nothing for other texts and for dates that do not exist.
std::optional<std::string> ShapedDateToYMD(std::string_view text);

// The displayed text of a stored date of eight digits, written at text (room for 10): what
// CanonicalToDateText shows of its canonical form MM/DD/YY (MM/DD/YYYY with SetCenturyFlag).
// Its length, 8 or 10; 0 for other texts. Scans convert every date so, without a string.
std::size_t YMDToDateText(std::string_view ymd, char* text);

// Seconds since the system started.
std::int64_t SecondsCounter();

}  // namespace xbase
