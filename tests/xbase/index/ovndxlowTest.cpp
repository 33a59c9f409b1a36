#include "xbase/index/ovndxlow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "tests/xbase/LibraryTest.h"

namespace xbase {
namespace {

TEST(TextHelpersTest, CopiesStayInsideTheirDestination) {
  char small[4];
  EXPECT_STREQ(StrCopyZ(small, sizeof small, "ABCDEF"), "ABC");
  StrToPChar(small, sizeof small, std::string("XY"));
  EXPECT_STREQ(small, "XY");
  StrToPChar(small, 1, "anything");
  EXPECT_STREQ(small, "");
  EXPECT_EQ(StrLenZ("ABC\0DEF"), 3u);

  EXPECT_EQ(PCharToStr("ABCDEF", 3), "ABC");
  EXPECT_EQ(PCharToStr("AB\0CD", 10), "AB");
  EXPECT_EQ(PCharToStr(std::string(300, 'x').c_str(), 1000).size(), 255u);

  EXPECT_EQ(ZeroPad(7, 3), "007");
  EXPECT_EQ(ZeroPad(65535, 3), "65535");
  EXPECT_EQ(ZeroPad(0, 0), "0");
  EXPECT_EQ(UpperAscii("abz\xE9{AZ"), "ABZ\xE9{AZ");
  EXPECT_TRUE(IsUpperLetter('A'));
  EXPECT_FALSE(IsUpperLetter('a'));
  EXPECT_FALSE(IsUpperLetter('\xC9'));
}

TEST(TextHelpersTest, BlocksReverseAndRotateInPlace) {
  char text[] = "ABCDEFG";
  ReverseBlock(text, 3);
  EXPECT_STREQ(text, "CBADEFG");
  std::strcpy(text, "ABCDEFG");
  RotateBlock(text, 3, 4);
  EXPECT_STREQ(text, "DEFGABC");
  RotateBlock(text, 0, 4);
  EXPECT_STREQ(text, "DEFGABC");
  RotateBlock(text + 1, 2, 0);
  EXPECT_STREQ(text, "DEFGABC");
  EXPECT_EQ(OffsetPtr(text, 2), reinterpret_cast<std::uint8_t*>(text + 2));
}

TEST(ComparatorsTest, BytesCompareUnsignedUpToTheCount) {
  EXPECT_EQ(CompareBytes("abc", "xyz", 0), 0);
  EXPECT_EQ(CompareBytes("B", "a", 1), 'B' - 'a');
  EXPECT_GT(CompareBytes("\xE9", "a", 1), 0);
  EXPECT_EQ(CompareBytes("ABCx", "ABCy", 3), 0);
  EXPECT_LT(CompareBytes("ABCx", "ABCy", 4), 0);
  EXPECT_EQ(CompareBytes("AB\0x", "AB\0y", 3), 0);  // a NUL is a byte like any other
}

TEST(ComparatorsTest, DoublesGiveTheirOrder) {
  const double values[] = {-1.5, 0.0, 2.0, 2.0};
  EXPECT_EQ(CompareDouble(&values[0], &values[1]), -1);
  EXPECT_EQ(CompareDouble(&values[2], &values[1]), 1);
  EXPECT_EQ(CompareDouble(&values[2], &values[3]), 0);
}

TEST(SoundexTest, Codes) {
  struct Case {
    const char* text;
    const char* code;
  };
  for (const auto& c : {
           Case{"Robert", "R163"},  Case{"Rupert", "R163"},  Case{"robert", "R163"},
           Case{"Tymczak", "T522"}, Case{"Ashcraft", "A226"}, Case{"Pfister", "P236"},
           Case{"Lee", "L000"},     Case{"A", "A000"},       Case{"1234", "1000"},
           Case{"", "0000"},        Case{"O'Hara", "O600"},   Case{" smith", " 253"},
           Case{"Bb-bb Lloyd", "B430"},
       }) {
    EXPECT_EQ(Soundex(c.text), c.code) << c.text;
  }
  // Only the first 100 characters count.
  EXPECT_EQ(Soundex("A" + std::string(99, 'E') + "BCD"), "A000");
}

// Node payloads of a list as integers, walked from the oldest.
std::vector<int> Walk(NodeList list) {
  std::vector<int> values;
  for (ListNode* node = ListNext(list, nullptr); node != nullptr; node = ListNext(list, node))
    values.push_back(*static_cast<int*>(NodePayload(node)));
  return values;
}

TEST(NodeListTest, NewestIsTheHeadAndWalksGoFromTheOldest) {
  NodeList list = nullptr;
  EXPECT_EQ(ListNext(list, nullptr), nullptr);
  EXPECT_EQ(ListRemove(list), nullptr);
  for (int value : {1, 2, 3}) {
    void* payload = ListAllocNode(list, sizeof(double));
    ASSERT_NE(payload, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(payload) % alignof(std::max_align_t), 0u);
    EXPECT_EQ(*static_cast<double*>(payload), 0.0);  // zeroed
    EXPECT_EQ(PayloadNode(payload), list);
    *static_cast<int*>(payload) = value;
  }
  EXPECT_EQ(Walk(list), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(list->NodeSize, ListHeaderSize + sizeof(double));

  // Removing the head leaves the one before it as head.
  ListNode* removed = ListRemove(list);
  EXPECT_EQ(*static_cast<int*>(NodePayload(removed)), 3);
  EXPECT_EQ(Walk(list), (std::vector<int>{1, 2}));
  // A given node is removed by making it the head first.
  ListNode* oldest = ListNext(list, nullptr);
  list = oldest;
  ListFreeNode(ListRemove(list));
  EXPECT_EQ(Walk(list), (std::vector<int>{2}));
  ListInsert(list, removed);
  EXPECT_EQ(Walk(list), (std::vector<int>{2, 3}));
  ListFreeAll(list);
  EXPECT_EQ(list, nullptr);
}

TEST(NodeListTest, OneNodeList) {
  NodeList list = nullptr;
  ListAllocNode(list, 1);
  ListNode* only = ListNext(list, nullptr);
  EXPECT_EQ(only, list);
  EXPECT_EQ(only->Next, only);
  EXPECT_EQ(only->Prev, only);
  EXPECT_EQ(ListNext(list, only), nullptr);
  ListFreeNode(ListRemove(list));
  EXPECT_EQ(list, nullptr);
}

TEST(CalendarTest, DayNumbersOfDates) {
  struct Case {
    int year, month, day;
    double julian;
  };
  for (const auto& c : {
           Case{2000, 2, 29, 2451604}, Case{2000, 1, 1, 2451545}, Case{1, 1, 1, 1721426},
           Case{9999, 12, 31, 5373484}, Case{1900, 2, 29, 0},      Case{2000, 13, 1, 0},
           Case{2000, 0, 1, 0},        Case{2000, 4, 31, 0},      Case{2000, 1, 0, 0},
           Case{0, 1, 1, 0},           Case{-1, 1, 1, 0},          Case{2004, 2, 29, 2453065},
       }) {
    EXPECT_EQ(YmdToJulian(c.year, c.month, c.day), c.julian) << c.year << "-" << c.month << "-" << c.day;
  }
  EXPECT_EQ(DayOfYear(2000, 3, 1), 61);
  EXPECT_EQ(DayOfYear(1999, 3, 1), 60);
  EXPECT_EQ(DayOfYear(2000, 12, 31), 366);
  EXPECT_EQ(DaysBeforeYear(1), 0);
  EXPECT_EQ(DaysBeforeYear(2), 365);
  EXPECT_EQ(DaysBeforeYear(401), 146097);
  const MonthDay leapDay = DayOfYearToMonthDay(60, true);
  EXPECT_EQ(leapDay.month, 2);
  EXPECT_EQ(leapDay.day, 29);
  const MonthDay march = DayOfYearToMonthDay(60, false);
  EXPECT_EQ(march.month, 3);
  EXPECT_EQ(march.day, 1);
}

// Every day from 1 January 1 to 31 December 9999 converts to its stored date and back, and
// the days of the week follow each other.
TEST(CalendarTest, EveryDayRoundTrips) {
  double expected = JulianOffset + 1;
  int weekday = 2;  // 1 January 1 was a Monday
  char stored[9] = {};
  const auto put = [&](int n, int at, int width) {
    for (int k = at + width - 1; k >= at; --k, n /= 10) stored[k] = static_cast<char>('0' + n % 10);
  };
  for (int year = 1; year <= 9999; ++year) {
    for (int month = 1; month <= 12; ++month) {
      const int days = CumulativeDays[month] - CumulativeDays[month - 1] + (month == 2 && IsLeapYear(year));
      for (int day = 1; day <= days; ++day) {
        put(year, 0, 4);
        put(month, 4, 2);
        put(day, 6, 2);
        const double julian = YmdToJulian(year, month, day);
        ASSERT_EQ(julian, expected) << stored;
        ASSERT_EQ(JulianToDbfDate(julian), stored);
        ASSERT_EQ(DbfDateToJulian(stored), julian) << stored;
        const auto date = JulianToCalendarDate(julian);
        ASSERT_TRUE(date);
        ASSERT_EQ(date->dayOfWeek, weekday) << stored;
        expected += 1;
        weekday = weekday % 7 + 1;
      }
    }
  }
  EXPECT_EQ(expected, LastJulianDay + 1);
}

TEST(CalendarTest, DaysOutsideTheCalendarAreBlank) {
  const double blanks[] = {0,       JulianOffset, JulianOffset + 0.5, LastJulianDay + 1,
                           -5,      1e300,        std::nan(""),       std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity()};
  for (const double day : blanks) {
    EXPECT_EQ(JulianToDbfDate(day), "        ") << day;
    EXPECT_FALSE(JulianToCalendarDate(day)) << day;
  }
  EXPECT_EQ(JulianToDbfDate(2451545.75), "20000101");  // fractions are cut
  EXPECT_EQ(DbfDateToJulian("        "), 0);
  EXPECT_EQ(DbfDateToJulian("20000230"), 0);
  EXPECT_EQ(DbfDateToJulian("2000"), 0);
  EXPECT_EQ(DbfDateToJulian("2000x101"), 0);
  EXPECT_EQ(DbfDateToJulian(std::string_view("20000101\0" "99", 11)), 2451545);
  EXPECT_EQ(DbfDateToJulian("2000010199"), 2451545);  // only 8 characters count
}

class DateTextTest : public LibraryTest {};

TEST_F(DateTextTest, LayoutsWithAndWithoutCentury) {
  struct Case {
    unsigned code;
    bool century;
    const char* date;   // of day 2451545, 1 January 2000
    const char* blank;  // of day 0
  };
  for (const auto& c : {
           Case{0, false, "01/01/00", "  /  /  "},     Case{0, true, "01/01/2000", "  /  /    "},
           Case{1, false, "00.01.01", "  .  .  "},     Case{1, true, "2000.01.01", "    .  .  "},
           Case{2, false, "01/01/00", "  /  /  "},     Case{3, true, "01-01-2000", "  -  -    "},
           Case{4, false, "01.01.00", "  .  .  "},     Case{7, true, "01.01.2000", "  .  .    "},
           Case{8, false, "01/01/00", "  /  /  "},     Case{8, true, "01/01/2000", "  /  /    "},
       }) {
    SetDateCode = static_cast<std::uint8_t>(c.code);
    SetCenturyFlag = c.century;
    EXPECT_EQ(JulianToDateText(2451545), c.date) << c.code << c.century;
    EXPECT_EQ(JulianToDateText(0), c.blank) << c.code << c.century;
    EXPECT_EQ(JulianToDateText(JulianOffset), c.blank) << c.code << c.century;
  }
  SetDateCode = 2;
  SetCenturyFlag = false;
  EXPECT_EQ(JulianToDateText(YmdToJulian(1999, 2, 15)), "15/02/99");
  EXPECT_EQ(JulianToDateText(YmdToJulian(12, 3, 4)), "04/03/12");
}

TEST_F(DateTextTest, TextsToDayNumbers) {
  CenturyWindowStart = 1950;
  struct Case {
    unsigned code;
    const char* text;
    double julian;
    const char* stored;
  };
  for (const auto& c : {
           Case{0, "02/29/2000", 2451604, "20000229"}, Case{0, "01/01/00", 2451545, "20000101"},
           Case{0, "12/31/49", YmdToJulian(2049, 12, 31), "20491231"},
           Case{0, "12/31/50", YmdToJulian(1950, 12, 31), "19501231"},
           Case{1, "00.01.01", 2451545, "20000101"},    Case{3, "01-01-2000", 2451545, "20000101"},
           Case{5, "1.1.2000", 2451545, "20000101"},    Case{0, "02/30/2000", 0, "        "},
           Case{0, "13/01/2000", 0, "        "},         Case{0, "  /  /  ", 0, "        "},
           Case{0, "", 0, "        "},                   Case{0, "20000101", 0, "        "},
           Case{0, "aa/bb/cccc", 0, "        "},         Case{0, "01/01/2000 extra", 2451545, "20000101"},
       }) {
    SetDateCode = static_cast<std::uint8_t>(c.code);
    for (const bool century : {false, true}) {
      SetCenturyFlag = century;
      EXPECT_EQ(DateTextToJulian(c.text), c.julian) << c.text;
      EXPECT_EQ(DateTextToDbfDate(c.text), c.stored) << c.text;
      EXPECT_EQ(SetCenturyFlag, century);  // restored
    }
  }
}

}  // namespace
}  // namespace xbase
