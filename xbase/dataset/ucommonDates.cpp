// Library date texts as dates, and the platform's date format taken over at start-up.

#include <algorithm>

#include "platform/db/DateTime.h"
#include "platform/db/FormatSettings.h"
#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/core/timedate.h"
#include "xbase/dataset/ucommon.h"

namespace xbase {
namespace {

bool HasDigit(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

platform::db::TDateTime DbfDateToDateTime(std::string_view text, bool lenient) {
  // A date in exactly its layout's shape, as typed records hold them, converts at once.
  if (const auto ymd = ShapedDateToYMD(text)) {
    platform::db::TDateTime date;
    const auto number = [&ymd](std::size_t at, std::size_t length) {
      int value = 0;
      for (std::size_t i = at; i < at + length; ++i) value = value * 10 + ((*ymd)[i] - '0');
      return value;
    };
    if (platform::db::TryEncodeDate(number(0, 4), number(4, 2), number(6, 2), date)) return date;
  }
  const std::string raw = LTrimStr(text).substr(0, 10);
  std::string date = raw;
  if (!IsValidDate(date)) {
    if (lenient) return {};
    return platform::db::StrToDate(raw);
  }
  if (!HasDigit(date)) return {};  // the blank date picture
  if (date.size() < 9) {
    // A two-digit year: its century from the window, at the year's place in the layout.
    if (SetDateCode == 1)
      date.insert(0, CenturyOf(std::stoi(date.substr(0, 2))));
    else
      date.insert(date.size() - 2, CenturyOf(std::stoi(date.substr(date.size() - 2))));
  }
  return platform::db::StrToDate(date);
}

void ApplyLocaleDateFormat() {
  platform::db::TFormatSettings& settings = platform::db::FormatSettings;
  DecimalPoint = settings.DecimalSeparator;
  ThousandsSeparator = settings.ThousandSeparator;
  SetCenturyFlag = UpperStr(settings.ShortDateFormat).find("YYYY") != std::string::npos;
  unsigned code = 0;
  const char first = settings.ShortDateFormat.empty() ? ' ' : settings.ShortDateFormat.front();
  if (first == 'D' || first == 'd')
    code = settings.DateSeparator == '-' ? 3 : settings.DateSeparator == '.' ? 5 : 2;
  else if (first == 'Y' || first == 'y')
    code = 1;
  SetDateFormat(code);
  settings.ShortDateFormat = ShortDateFormat;
  settings.DateSeparator = DateSeparator;
}

void UCommonInit(const platform::os::Language& language) {
  MessageMode = 2;
  platform::db::FormatSettings = platform::db::FormatSettingsFor(language);
}

}  // namespace xbase
