// Dates and numbers as texts in the platform's format settings.

#include <gtest/gtest.h>

#include "platform/db/DateTime.h"
#include "platform/db/DbErrors.h"
#include "platform/db/FormatSettings.h"

namespace platform::db {
namespace {

class FormatSettingsTest : public ::testing::Test {
 protected:
  void TearDown() override { FormatSettings = {}; }

  static void Use(const char* format, char separator, char decimal = '.') {
    FormatSettings.ShortDateFormat = format;
    FormatSettings.DateSeparator = separator;
    FormatSettings.DecimalSeparator = decimal;
  }
};

TEST_F(FormatSettingsTest, DayNumbersCountFromTheLastDaysOf1899) {
  EXPECT_EQ(EncodeDate(1899, 12, 30).Days, 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1).Days, 2);
  EXPECT_EQ(EncodeDate(2000, 1, 1).Days, 36526);
  EXPECT_EQ(EncodeDate(1, 1, 1).Days, -693593);
  int y = 0, m = 0, d = 0;
  ASSERT_TRUE(DecodeDate(EncodeDate(9999, 12, 31), y, m, d));
  EXPECT_EQ(y * 10000 + m * 100 + d, 99991231);
  ASSERT_TRUE(DecodeDate(TDateTime{-1}, y, m, d));
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
  EXPECT_FALSE(DecodeDate(TDateTime{1e9}, y, m, d));
  TDateTime unchanged{5};
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, unchanged));
  EXPECT_FALSE(TryEncodeDate(10000, 1, 1, unchanged));
  EXPECT_EQ(unchanged.Days, 5);
  EXPECT_THROW(EncodeDate(2024, 13, 1), EConvertError);
}

TEST_F(FormatSettingsTest, DatesFollowTheShortDateFormatBothWays) {
  struct Case {
    const char* format;
    char separator;
    const char* text;
  };
  const Case cases[] = {
      {"MM/dd/yyyy", '/', "05/07/2024"}, {"dd.MM.yyyy", '.', "07.05.2024"},
      {"yyyy.MM.dd", '.', "2024.05.07"}, {"dd-MM-yy", '-', "07-05-24"},
      {"M/d/yyyy", '/', "5/7/2024"},     {"dd/MM/yyyy", '-', "07-05-2024"},
  };
  const TDateTime may7 = EncodeDate(2024, 5, 7);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    Use(c.format, c.separator);
    EXPECT_EQ(DateToStr(may7), c.text);
    EXPECT_EQ(StrToDate(c.text), may7);
  }
}

TEST_F(FormatSettingsTest, StrToDateRefusesWhatIsNoDate) {
  for (const char* text : {"", "13/01/2024", "02/30/2024", "1/2/3/4", "ab/01/2024", "-1/01/2024"}) {
    SCOPED_TRACE(text);
    try {
      StrToDate(text);
      FAIL() << "no exception";
    } catch (const EConvertError& error) {
      EXPECT_EQ(error.what(), "'" + std::string(text) + "' is not a valid date");
    }
  }
  EXPECT_EQ(StrToDate(" 1/2/2024 "), EncodeDate(2024, 1, 2));
}

TEST_F(FormatSettingsTest, TwoDigitYearsFallInTheWindowAroundToday) {
  const int now = [] {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return local.tm_year + 1900;
  }();
  int y = 0, m = 0, d = 0;
  const auto yearOf = [&](const std::string& text) {
    DecodeDate(StrToDate(text), y, m, d);
    return y;
  };
  const int earliest = now - 50;
  const std::string first = "01/01/" + std::to_string(earliest % 100 + 100).substr(1);
  const std::string before = "01/01/" + std::to_string((earliest + 99) % 100 + 100).substr(1);
  EXPECT_EQ(yearOf(first), earliest);
  EXPECT_EQ(yearOf(before), earliest + 99);
  EXPECT_EQ(yearOf("3/4"), now);  // no year: this year
}

TEST_F(FormatSettingsTest, LanguagesHaveTheirOrderAndSeparatorsWithFourDigitYears) {
  struct Case {
    const char* language;
    const char* territory;
    const char* format;
    char date, decimal, thousands;
  };
  const Case cases[] = {
      {"", "", "MM/dd/yyyy", '/', '.', ','},   {"en", "US", "MM/dd/yyyy", '/', '.', ','},
      {"en", "GB", "dd/MM/yyyy", '/', '.', ','}, {"de", "DE", "dd.MM.yyyy", '.', ',', '.'},
      {"fr", "FR", "dd/MM/yyyy", '/', ',', ' '}, {"fr", "CA", "yyyy-MM-dd", '-', ',', ' '},
      {"it", "IT", "dd/MM/yyyy", '/', ',', '.'}, {"ru", "RU", "dd.MM.yyyy", '.', ',', ' '},
      {"nl", "NL", "MM/dd/yyyy", '/', '.', ','},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.language) + "_" + c.territory);
    const TFormatSettings settings = FormatSettingsFor({c.language, c.territory});
    EXPECT_EQ(settings.ShortDateFormat, c.format);
    EXPECT_EQ(settings.DateSeparator, c.date);
    EXPECT_EQ(settings.DecimalSeparator, c.decimal);
    EXPECT_EQ(settings.ThousandSeparator, c.thousands);
  }
}

TEST_F(FormatSettingsTest, NumbersAsTexts) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {{42, "42"}, {12.5, "12.5"}, {-0.25, "-0.25"}, {0.1 + 0.2, "0.3"},
                        {-0.0, "0"}, {1e20, "1E20"}, {1.5e-7, "1.5E-7"}, {123456789012345, "123456789012345"}};
  for (const Case& c : cases) EXPECT_EQ(FloatToStr(c.value), c.text) << c.value;
  Use("dd.MM.yyyy", '.', ',');
  EXPECT_EQ(FloatToStr(12.5), "12,5");
  EXPECT_EQ(StrToFloat(" 12,5 "), 12.5);
  EXPECT_THROW(StrToFloat("12.5"), EConvertError);
  EXPECT_EQ(StrToInt(" +42 "), 42);
  EXPECT_THROW(StrToInt("4 2"), EConvertError);
  EXPECT_THROW(StrToInt("99999999999"), EConvertError);
  EXPECT_THROW(StrToFloat(""), EConvertError);
}

}  // namespace
}  // namespace platform::db
