#include "xbase/core/timedate.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

#include "tests/xbase/LibraryTest.h"

namespace xbase {
namespace {

// Layout, century flag and window are what every date routine depends on.
class DatesTest : public LibraryTest {
 protected:
  void Use(unsigned code, bool century = false, std::uint16_t windowStart = 1956) {
    SetDateCode = static_cast<std::uint8_t>(code);
    SetCenturyFlag = century;
    CenturyWindowStart = windowStart;
  }
};

TEST_F(DatesTest, SetDateFormatSetsLayoutAndShortFormat) {
  struct Case {
    unsigned code;
    bool century;
    std::uint8_t selected;
    const char* format;
    char separator;
  };
  for (const auto& c : {
           Case{0, false, 0, "MM/dd/yy", '/'},
           Case{1, false, 1, "yy.MM.dd", '.'},
           Case{2, true, 2, "dd/MM/yyyy", '/'},
           Case{3, false, 3, "dd-MM-yy", '-'},
           Case{4, false, 4, "dd.MM.yy", '.'},
           Case{8, true, 8, "dd.MM.yyyy", '.'},
           Case{9, false, 0, "MM/dd/yy", '/'},
           Case{12, false, 0, "MM/dd/yy", '/'},
       }) {
    SetDateCode = 5;
    SetCenturyFlag = c.century;
    SetDateFormat(c.code);
    EXPECT_EQ(SetDateCode, c.selected) << c.code;
    EXPECT_EQ(ShortDateFormat, c.format) << c.code;
    EXPECT_EQ(DateSeparator, c.separator) << c.code;
  }
}

TEST_F(DatesTest, BlankPictures) {
  const char* twoDigit[] = {"  /  /  ", "  .  .  ", "  /  /  ", "  -  -  ", "  .  .  ",
                            "  .  .  ", "  .  .  ", "  .  .  ", "  .  .  "};
  const char* fourDigit[] = {"  /  /    ", "    .  .  ", "  /  /    ", "  -  -    ",
                             "  .  .    ", "  .  .    ", "  .  .    ", "  .  .    ",
                             "  .  .    "};
  for (unsigned code = 0; code <= 8; ++code) {
    SetCenturyFlag = false;
    EXPECT_EQ(BlankDatePicture(code), twoDigit[code]) << code;
    SetCenturyFlag = true;
    EXPECT_EQ(BlankDatePicture(code), fourDigit[code]) << code;
  }
}

TEST_F(DatesTest, DisplayedToCanonical) {
  struct Case {
    unsigned code;
    bool century;
    std::string displayed;
    const char* canonical;
  };
  for (const auto& c : {
           Case{2, false, "31/12/99", "12/31/99"},
           Case{1, false, "99.12.31", "12/31/99"},
           Case{0, true, "1/2/55", "01/02/2055"},
           Case{0, true, "1/2/56", "01/02/1956"},
           Case{3, false, "31-12-99", "12/31/99"},
           Case{5, false, "31.12.1999", "12/31/1999"},
           Case{5, true, "31.12.99", "12/31/1999"},
           Case{0, false, " 1 / 2 / 3 ", "01/02/03"},
           Case{0, false, "12-31-99", "12/31/99"},  // any of the three separators
           Case{0, false, "1/2", "01/02/00"},
           Case{0, false, "01/02/20001", "01/02/2000"},  // parts keep four characters
           Case{0, false, std::string("12/31/99\0/7", 11), "12/31/99"},
           Case{5, false, "  .  .  ", "  /  /  "},
           Case{5, true, "  .  .  ", "  /  /    "},
           Case{0, false, "311299", "311299"},  // no separator: unchanged
       }) {
    Use(c.code, c.century);
    std::string text = c.displayed;
    DateTextToCanonical(text);
    EXPECT_EQ(text, c.canonical) << c.code << " " << c.displayed;
  }
}

TEST_F(DatesTest, CanonicalToDisplayed) {
  struct Case {
    unsigned code;
    bool century;
    const char* canonical;
    const char* displayed;
  };
  for (const auto& c : {
           Case{0, false, "12/31/99", "12/31/99"},
           Case{1, false, "12/31/99", "99.12.31"},
           Case{2, false, "12/31/99", "31/12/99"},
           Case{3, false, "12/31/99", "31-12-99"},
           Case{4, false, "12/31/99", "31.12.99"},
           Case{8, false, "12/31/99", "31.12.99"},
           Case{2, true, "12/31/99", "31/12/1999"},
           Case{1, true, "1/2/3", "2003.01.02"},
           Case{3, false, "  /  /  ", "  -  -  "},
           Case{1, true, "  /  /    ", "    .  .  "},
       }) {
    Use(c.code, c.century);
    std::string text = c.canonical;
    CanonicalToDateText(text);
    EXPECT_EQ(text, c.displayed) << c.code << " " << c.canonical;
  }
}

TEST_F(DatesTest, Validity) {
  struct Case {
    unsigned code;
    bool century;
    std::uint16_t window;
    const char* input;
    std::optional<std::string> normalised;  // nothing: invalid
  };
  for (const auto& c : {
           Case{0, false, 1956, "02/29/2000", "02/29/00"},
           Case{0, true, 1956, "02/29/2000", "02/29/2000"},
           Case{0, false, 1956, "02/29/1900", std::nullopt},
           Case{0, false, 1956, "04/31/99", std::nullopt},
           Case{0, false, 1956, "13/01/99", std::nullopt},
           Case{0, false, 1956, "00/10/99", std::nullopt},
           Case{0, false, 1956, "10/00/99", std::nullopt},
           Case{0, false, 1956, "01/32/99", std::nullopt},
           Case{0, false, 1956, "02/30/96", std::nullopt},
           Case{0, false, 1956, " 2/29/96 ", "02/29/96"},
           Case{0, false, 1956, "02/29/00", "02/29/00"},       // 2000
           Case{0, false, 1900, "02/29/00", std::nullopt},     // 1900
           Case{0, true, 1956, "2/29/96", "02/29/1996"},
           Case{0, false, 1956, "01/02/123", std::nullopt},
           Case{0, false, 1956, "ab/cd/ef", std::nullopt},
           Case{0, false, 1956, "+1/02/99", std::nullopt},
           Case{0, false, 1956, "", std::nullopt},
           Case{0, false, 1956, "  /  /  ", "  /  /  "},
           Case{2, false, 1956, "29/2/2000", "29/02/00"},
           Case{5, false, 1956, "1.3.99", "01.03.99"},
           Case{5, false, 1956, "  .  .  ", "  .  .  "},
           Case{1, true, 1956, "99.12.31", "1999.12.31"},
           Case{3, false, 1956, "31-04-99", std::nullopt},
       }) {
    Use(c.code, c.century, c.window);
    std::string text = c.input;
    const bool valid = IsValidDate(text);
    EXPECT_EQ(valid, c.normalised.has_value()) << c.code << " " << c.input;
    EXPECT_EQ(text, c.normalised.value_or(c.input)) << c.code << " " << c.input;
  }
}

TEST_F(DatesTest, LeapYears) {
  for (int year : {2000, 1996, 2024, 1600, 4}) EXPECT_TRUE(IsLeapYear(year)) << year;
  for (int year : {1900, 1999, 2100, 2023, 1}) EXPECT_FALSE(IsLeapYear(year)) << year;
}

TEST_F(DatesTest, CenturyWindow) {
  struct Case {
    std::uint16_t window;
    int yy;
    int base;
  };
  for (const auto& c : {Case{1956, 55, 2000}, Case{1956, 56, 1900}, Case{1956, 99, 1900},
                        Case{1956, 0, 2000}, Case{2000, 0, 2000}, Case{2000, 99, 2000},
                        Case{1955, 54, 2000}, Case{1955, 55, 1900}}) {
    CenturyWindowStart = c.window;
    EXPECT_EQ(CenturyBase(c.yy), c.base) << c.window << " " << c.yy;
    EXPECT_EQ(CenturyOf(c.yy), std::to_string(c.base / 100)) << c.window << " " << c.yy;
  }
}

TEST_F(DatesTest, ExpandYear) {
  Use(0, false);
  EXPECT_EQ(ExpandYear("99"), "99");
  EXPECT_EQ(ExpandYear("5"), "5");
  Use(0, true);
  EXPECT_EQ(ExpandYear("99"), "1999");
  EXPECT_EQ(ExpandYear("12"), "2012");
  EXPECT_EQ(ExpandYear("5"), "0005");
  EXPECT_EQ(ExpandYear("123"), "0123");
  EXPECT_EQ(ExpandYear("2024"), "2024");
}

std::string Canonical4(std::chrono::year_month_day ymd) {
  char text[16];
  std::snprintf(text, sizeof text, "%02u/%02u/%04d", static_cast<unsigned>(ymd.month()),
                static_cast<unsigned>(ymd.day()), static_cast<int>(ymd.year()));
  return text;
}

TEST_F(DatesTest, DayOfWeekAgreesWithTheCalendar) {
  using namespace std::chrono;
  Use(0, true);
  EXPECT_EQ(DayOfWeekNo("01/01/2000"), 7);
  EXPECT_EQ(DayOfWeekNo("01/01/0001"), 2);
  EXPECT_EQ(DayOfWeekNo("03/01/1900"), DayOfWeekNo("02/28/1900") % 7 + 1);
  // Every 13th day from the year 1 to 2400, which passes every month and weekday.
  for (sys_days d = sys_days{year{1} / January / 1}; d < sys_days{year{2400} / January / 1};
       d += days{13}) {
    const year_month_day ymd{d};
    ASSERT_EQ(DayOfWeekNo(Canonical4(ymd)), static_cast<int>(weekday{d}.c_encoding()) + 1)
        << Canonical4(ymd);
  }
  Use(2, false);
  EXPECT_EQ(DayOfWeekNo("29/02/00"), 3);  // 2000 through the window
  EXPECT_EQ(DayOfWeekNo("29/02/2000"), 3);
}

TEST_F(DatesTest, StoredForm) {
  struct Case {
    unsigned code;
    bool century;
    const char* displayed;
    const char* stored;
  };
  for (const auto& c : {
           Case{0, false, "12/31/99", "19991231"},
           Case{0, false, "01/02/03", "20030102"},
           Case{2, false, "31/12/2024", "20241231"},
           Case{5, true, "01.02.2003", "20030201"},
           Case{1, false, "99.12.31", "19991231"},
           Case{0, false, "  /  /  ", "        "},
           Case{5, true, "  .  .    ", "        "},
       }) {
    Use(c.code, c.century);
    EXPECT_EQ(DateToYMDString(c.displayed), c.stored) << c.code << " " << c.displayed;
  }
}

// What the general routines make of a date text for a table field.
std::string GeneralStoredForm(std::string text) {
  return IsValidDate(text) ? DateToYMDString(text) : std::string(8, ' ');
}

struct CalendarDay {
  int year, month, day;
};

// A date written in the order of a layout: year first for code 1, month first for code 0 (and
// the codes above 8), day first for the others.
std::string InOrder(unsigned code, CalendarDay date, int yearDigits, char separator) {
  char year[8], month[4], day[4];
  std::snprintf(year, sizeof year, "%0*d", yearDigits, date.year % (yearDigits == 2 ? 100 : 10000));
  std::snprintf(month, sizeof month, "%02d", date.month % 100);
  std::snprintf(day, sizeof day, "%02d", date.day % 100);
  const std::string s(1, separator);
  if (code == 1) return year + s + month + s + day;
  if (code == 0 || code > 8) return month + s + day + s + year;
  return day + s + month + s + year;
}

TEST_F(DatesTest, ShapedDatesAreStoredAsTheGeneralRoutinesStoreThem) {
  const CalendarDay days[] = {
      {2024, 3, 15}, {1999, 12, 31}, {2000, 2, 29}, {1900, 2, 29}, {2100, 2, 29},  {1996, 2, 29},
      {2023, 2, 29}, {2024, 4, 31},  {2024, 13, 1}, {2024, 0, 10}, {2024, 10, 0},  {2024, 1, 32},
      {1955, 1, 2},  {1956, 1, 2},   {0, 1, 1},     {2000, 1, 1},  {9999, 12, 31}, {1899, 12, 31}};
  for (unsigned code = 0; code <= 9; ++code) {
    SetDateFormat(code);
    const char ownSeparator = DateSeparator;
    for (const bool century : {false, true}) {
      // The last two windows put two-digit years below 1000 and beyond four digits.
      for (const std::uint16_t window : {1956, 1900, 2000, 1901, 50, 9950}) {
        Use(code, century, window);
        for (const CalendarDay& date : days) {
          for (const int yearDigits : {2, 4}) {
            for (const char separator : {'/', '-', '.'}) {
              const std::string text = InOrder(code, date, yearDigits, separator);
              SCOPED_TRACE(std::to_string(code) + (century ? " century " : " ") +
                           std::to_string(window) + " " + text);
              const std::string expected = GeneralStoredForm(text);
              const auto stored = ShapedDateToYMD(text);
              // Valid dates in their layout's own shape take the quick way, unless the window
              // makes their years longer than four digits.
              if (separator != ownSeparator || expected == "        ") {
                EXPECT_FALSE(stored);
              } else if (window != 9950) {
                EXPECT_EQ(stored, expected);
              } else if (stored) {
                EXPECT_EQ(*stored, expected);
              }
            }
          }
        }
      }
    }
  }
}

TEST_F(DatesTest, OtherDateTextsAreLeftToTheGeneralRoutines) {
  const std::string texts[] = {
      "",           "5/17/24",    " 5/17/24",   "05/17/24 ",  "05/17/2",    "05/17/123",
      "05/17/12345", "0a/17/24",  "05//17/24",  "05/17-24",   "+5/17/24",   "-5/17/24",
      "05/17/-4",   "05 17 24",   "  /  /  ",   "  /  /    ", "5/17/2024",  "05/17/24/",
      "ab/cd/ef",   "2024/05/17", "05.17-2024", std::string("05/17/2\0", 8),
      std::string("05/1\0/24", 8)};
  for (unsigned code = 0; code <= 9; ++code) {
    for (const bool century : {false, true}) {
      Use(code, century);
      for (const std::string& text : texts)
        EXPECT_FALSE(ShapedDateToYMD(text)) << code << (century ? " century " : " ") << text;
    }
  }
}

TEST_F(DatesTest, StoredDatesOfDigitsShowAsTheGeneralRoutinesShowThem) {
  using namespace std::string_literals;
  for (unsigned code = 0; code <= 9; ++code) {
    for (const bool century : {false, true}) {
      Use(code, century);
      for (const std::string stored :
           {"20240315", "19991231", "00000000", "99999999", "20241399", "00010101"}) {
        std::string shown = stored.substr(4, 2) + "/" + stored.substr(6, 2) + "/" +
                            (century ? stored.substr(0, 4) : stored.substr(2, 2));
        CanonicalToDateText(shown);
        char text[10];
        const std::size_t length = YMDToDateText(stored, text);
        EXPECT_EQ(std::string(text, length), shown) << code << (century ? " century " : " ") << stored;
      }
      for (const std::string& other : {"        "s, "2024031"s, "202403150"s, "2024 315"s,
                                      "2024-3-1"s, "+0240315"s, "-0240315"s, "2024031\0"s}) {
        char text[10];
        EXPECT_EQ(YMDToDateText(other, text), 0u) << code << " " << other;
      }
    }
  }
}

// The names as Unicode converted by the C library's own code page tables.
std::string Encode(const char* utf8, const char* codePage) {
  iconv_t cd = iconv_open(codePage, "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string in(utf8), out(64, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  std::size_t inLeft = in.size(), outLeft = out.size();
  const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!ok) return {};
  out.resize(out.size() - outLeft);
  return out;
}

std::string Padded(std::string name, std::size_t width) {
  name.resize(width, ' ');
  return name;
}

TEST_F(DatesTest, DayNamesInEveryLayout) {
  struct Case {
    unsigned code;
    const char* displayed;  // a Wednesday in the layout
    const char* name;       // UTF-8
    const char* codePage;
    std::size_t width;
  };
  for (const auto& c : {
           Case{0, "01/05/00", "Wednesday", "ASCII", 9},
           Case{1, "00.01.05", "Wednesday", "ASCII", 9},
           Case{2, "05/01/00", "Wednesday", "ASCII", 9},
           Case{3, "05-01-00", "Mercoledi", "ASCII", 9},
           Case{4, "05.01.00", "Mercredi", "ASCII", 8},
           Case{5, "05.01.00", "Mittwoch", "ASCII", 10},
           Case{6, "05.01.00", "Miercoles", "ASCII", 9},
           Case{7, "05.01.00", "Mercredi", "ASCII", 8},
           Case{8, "05.01.00", "Среда", "IBM866", 11},
           Case{8, "03.01.00", "Понедельник", "IBM866", 11},
           Case{5, "01.01.70", "Donnerstag", "ASCII", 10},
       }) {
    Use(c.code);
    const std::string expected = Encode(c.name, c.codePage);
    if (expected.empty()) GTEST_SKIP() << "no " << c.codePage << " converter";
    EXPECT_EQ(DayName(c.displayed), Padded(expected, c.width)) << c.code << " " << c.displayed;
  }
}

TEST_F(DatesTest, MonthNamesInEveryLayout) {
  struct Case {
    unsigned code;
    const char* displayed;
    const char* name;  // UTF-8
    const char* codePage;
    std::size_t width;
  };
  for (const auto& c : {
           Case{0, "12/01/99", "December", "ASCII", 9},
           Case{1, "99.09.01", "September", "ASCII", 9},
           Case{3, "01-09-99", "Settembre", "ASCII", 9},
           Case{4, "01.02.99", "Février", "IBM850", 9},
           Case{4, "01.08.99", "Août", "IBM850", 9},
           Case{7, "01.12.99", "Décembre", "IBM850", 9},
           Case{5, "01.03.99", "März", "IBM850", 9},
           Case{6, "01.09.99", "Septiembre", "ASCII", 10},
           Case{8, "01.09.99", "Сентябрь", "IBM866", 8},
           Case{8, "01.05.99", "Май", "IBM866", 8},
       }) {
    Use(c.code);
    const std::string expected = Encode(c.name, c.codePage);
    if (expected.empty()) GTEST_SKIP() << "no " << c.codePage << " converter";
    EXPECT_EQ(MonthName(c.displayed), Padded(expected, c.width)) << c.code << " " << c.displayed;
  }
}

TEST_F(DatesTest, EveryNameHasItsLayoutsWidth) {
  const std::size_t dayWidth[] = {9, 9, 9, 9, 8, 10, 9, 8, 11};
  const std::size_t monthWidth[] = {9, 9, 9, 9, 9, 9, 10, 9, 8};
  for (unsigned code = 0; code <= 8; ++code) {
    for (int month = 1; month <= 12; ++month) {
      char date_text[9];
      std::snprintf(date_text, sizeof date_text, "%02d/01/24", month);
      std::string date = date_text;
      Use(code);
      CanonicalToDateText(date);
      EXPECT_EQ(MonthName(date).size(), monthWidth[code]) << code << " " << date;
      EXPECT_NE(MonthName(date).front(), ' ') << code << " " << date;
      EXPECT_EQ(DayName(date).size(), dayWidth[code]) << code << " " << date;
    }
  }
}

TEST_F(DatesTest, BlankAndInvalidDatesGiveBlankNames) {
  for (unsigned code : {0u, 5u, 8u}) {
    Use(code);
    EXPECT_EQ(DayName(BlankDatePicture(code)), std::string(10, ' ')) << code;
    EXPECT_EQ(MonthName(BlankDatePicture(code)), std::string(9, ' ')) << code;
    EXPECT_EQ(DayName(""), std::string(10, ' ')) << code;
  }
  Use(0);
  for (const char* invalid : {"13/01/99", "00/01/99", "ab/01/99", "99/01/99"})
    EXPECT_EQ(MonthName(invalid), std::string(9, ' ')) << invalid;
}

TEST_F(DatesTest, DateParts) {
  struct Case {
    unsigned code;
    const char* displayed;
    int month, day, year;
  };
  for (const auto& c : {
           Case{2, "31/12/99", 12, 31, 99},
           Case{1, "2024.02.29", 2, 29, 2024},
           Case{0, "1/2/3", 1, 2, 3},
           Case{0, "ab/cd/ef", 0, 0, 0},
           Case{0, "  /  /  ", 0, 0, 0},
       }) {
    Use(c.code);
    EXPECT_EQ(DateMonth(c.displayed), c.month) << c.displayed;
    EXPECT_EQ(DateDay(c.displayed), c.day) << c.displayed;
    EXPECT_EQ(DateYear(c.displayed), c.year) << c.displayed;
  }
}

TEST(TimeDateTest, SecondsCounterNeverGoesBack) {
  const auto first = SecondsCounter();
  EXPECT_GE(SecondsCounter(), first);
  EXPECT_GT(first, 0);
}

}  // namespace
}  // namespace xbase
