#pragma once
// The platform's format settings, which date and number fields follow, and the conversions
// between texts and values that use them.
//
// A short date format is a pattern of d or dd (day), M or MM (month, any case), yy or yyyy (year)
// and '/', which stands for the date separator; other characters are copied. Its order of day,
// month and year is also the order in which StrToDate reads a date.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/db/DbTypes.h"
#include "platform/os/UserLanguage.h"

namespace platform::db {

struct TFormatSettings {
  std::string ShortDateFormat = "MM/dd/yyyy";
  char DateSeparator = '/';
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  // A two-digit year read by StrToDate falls within this many years before today's year and
  // fewer after it.
  int TwoDigitYearCenturyWindow = 50;
};

// The settings in force; programs and tests may change them at any time.
extern TFormatSettings FormatSettings;

// The settings of a language: its usual order and separators, always with four-digit years.
// The C locale and languages without an entry get the defaults above.
TFormatSettings FormatSettingsFor(const platform::os::Language& language);

// The date in ShortDateFormat; "" for a date outside years 1..9999.
std::string DateToStr(TDateTime date);

// Reads a date in the order of ShortDateFormat, its parts separated by DateSeparator; a missing
// year is this year's. Raises EConvertError "'<text>' is not a valid date".
TDateTime StrToDate(std::string_view text);

// The shortest text of up to 15 significant digits, with DecimalSeparator; exponents as "1E20".
std::string FloatToStr(double value);

// Read with DecimalSeparator, surrounding blanks ignored. Raise EConvertError for other texts.
double StrToFloat(std::string_view text);
std::int32_t StrToInt(std::string_view text);

}  // namespace platform::db
