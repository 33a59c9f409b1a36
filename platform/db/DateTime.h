#pragma once
// Calendar dates as TDateTime day numbers (days since 30 December 1899), years 1 to 9999 of
// the proleptic Gregorian calendar.

#include "platform/db/DbTypes.h"

namespace platform::db {

// False, leaving `date` as it was, for a day that does not exist or a year outside 1..9999.
bool TryEncodeDate(int year, int month, int day, TDateTime& date);

// The same, raising EConvertError for a day that does not exist.
TDateTime EncodeDate(int year, int month, int day);

// The calendar day of a date (its whole days); false, with 0s, outside years 1..9999 or for a
// value that is no finite number.
bool DecodeDate(TDateTime date, int& year, int& month, int& day);

}  // namespace platform::db
