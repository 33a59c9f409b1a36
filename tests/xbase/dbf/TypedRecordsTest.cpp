#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tests/xbase/ExactNumberText.h"
#include "tests/xbase/dbf/DbfTest.h"
#include "xbase/core/ovcommon.h"
#include "xbase/core/timedate.h"
#include "xbase/dbf/TypedSlots.h"
#include "xbase/dbf/ovdbflow.h"

namespace xbase {
namespace {

// One field of every type, and an integer field too wide for its slot.
DbfImage EveryType() {
  DbfImage image;
  image.Field("NAME", 'C', 5)
      .Field("WHEN", 'D', 8)
      .Field("QTY", 'N', 5)
      .Field("PRICE", 'N', 8, 2)
      .Field("RATE", 'F', 6, 1)
      .Field("OK", 'L', 1)
      .Field("NOTES", 'M', 10)
      .Field("BIG", 'N', 12);
  return image;
}

enum Field { kName, kWhen, kQty, kPrice, kRate, kOk, kNotes, kBig };

class TypedRecordsTest : public DbfTest {
 protected:
  // Opens a table of EveryType() with one record of the given field bytes and reads it.
  void OpenWith(const std::string& fieldBytes) {
    DbfImage image = EveryType();
    image.Record(fieldBytes);
    if (area.DataFile.IsOpen()) CloseDbf(area);
    Open(area, Write("typed.dbf", image.Bytes()));
    GetDbfRecord(area, 1);
    typed.assign(TypedRecordSize(area), 0xEE);
  }
  std::uint8_t* Slot(int field) {
    std::size_t at = 1;
    for (int i = 0; i < field; ++i) at += TypedSlotSize(area.FieldTable[i]);
    return typed.data() + at;
  }
  std::string Stored(int field) const {
    const FieldEntry& f = area.FieldTable[field];
    return std::string(area.RecordBuffer.begin() + f.Offset,
                       area.RecordBuffer.begin() + f.Offset + f.Length);
  }
  void Scatter() { ScatterRecord(area, typed); }
  void Gather() { GatherRecord(area, typed); }

  DbfTable area;
  std::vector<std::uint8_t> typed;
};

const std::string kSample = std::string("ab c ") + "20240315" + "   42" + "  -12.50" + "   0.5" +
                            "t" + "        17" + "5000000000  ";

TEST_F(TypedRecordsTest, SlotSizes) {
  OpenWith(kSample);
  const std::uint16_t sizes[] = {6, 11, 4, 8, 8, 1, 4, 4};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(TypedSlotSize(area.FieldTable[i]), sizes[i]) << i;
  EXPECT_EQ(TypedRecordSize(area), 47u);
  EXPECT_EQ(TypedSlotSize({"X", 'X', 4, 0, 1}), 0) << "other types take no room";

  DbfTable small;
  small.FieldTable = {{"A", 'C', 10, 0, 1}, {"B", 'N', 5, 0, 11}, {"C", 'L', 1, 0, 16}};
  EXPECT_EQ(TypedRecordSize(small), 17u);
}

TEST_F(TypedRecordsTest, ScatterEveryType) {
  OpenWith(kSample);
  Scatter();
  EXPECT_EQ(typed[0], 0);
  EXPECT_EQ(GetSlotText(Slot(kName), 5), "ab c ") << "trailing blanks kept";
  EXPECT_EQ(GetSlotText(Slot(kWhen), 10), "03/15/24");
  EXPECT_EQ(Slot(kWhen)[9], 0) << "the rest of the slot is cleared";
  EXPECT_EQ(GetSlotInt32(Slot(kQty)), 42);
  EXPECT_EQ(GetSlotDouble(Slot(kPrice)), -12.5);
  EXPECT_EQ(GetSlotDouble(Slot(kRate)), 0.5);
  EXPECT_EQ(*Slot(kOk), 1);
  EXPECT_EQ(GetSlotInt32(Slot(kNotes)), 17);
  EXPECT_EQ(GetSlotInt32(Slot(kBig)), std::numeric_limits<std::int32_t>::max()) << "clamped";
}

TEST_F(TypedRecordsTest, ScatterOfBlankAndOddTexts) {
  OpenWith(std::string(5, ' ') + std::string(8, ' ') + "  -5x" + "   abc  " + "      " + "?" +
           std::string(10, ' ') + "-99999999999");
  area.RecordBuffer[0] = '*';
  Scatter();
  EXPECT_EQ(typed[0], 1);
  EXPECT_EQ(GetSlotText(Slot(kWhen), 10), "  /  /  ") << "the blank picture";
  EXPECT_EQ(GetSlotInt32(Slot(kQty)), -5);
  EXPECT_EQ(GetSlotDouble(Slot(kPrice)), 0);
  EXPECT_EQ(GetSlotDouble(Slot(kRate)), 0);
  EXPECT_EQ(*Slot(kOk), 0) << "'?' is false";
  EXPECT_EQ(GetSlotInt32(Slot(kNotes)), 0);
  EXPECT_EQ(GetSlotInt32(Slot(kBig)), std::numeric_limits<std::int32_t>::min());
}

TEST_F(TypedRecordsTest, LogicalTruthLetters) {
  for (const char c : std::string("TtYyFfNn? ")) {
    OpenWith("abcde20240315   42   12.50   0.5" + std::string(1, c) + std::string(22, ' '));
    Scatter();
    EXPECT_EQ(*Slot(kOk), std::string("TtYy").find(c) != std::string::npos) << c;
  }
}

TEST_F(TypedRecordsTest, GatherEveryType) {
  OpenWith(kSample);
  Scatter();
  typed[0] = 1;
  PutSlotText(Slot(kName), 5, "xy");
  PutSlotText(Slot(kWhen), 10, "12/31/99");
  PutSlotInt32(Slot(kQty), -7);
  PutSlotDouble(Slot(kPrice), 3.14159);
  PutSlotDouble(Slot(kRate), -0.0);
  *Slot(kOk) = 0;
  PutSlotInt32(Slot(kNotes), 123);
  PutSlotInt32(Slot(kBig), -2);
  Gather();
  EXPECT_EQ(area.RecordBuffer[0], '*');
  EXPECT_EQ(Stored(kName), "xy   ");
  EXPECT_EQ(Stored(kWhen), "19991231");
  EXPECT_EQ(Stored(kQty), "   -7");
  EXPECT_EQ(Stored(kPrice), "    3.14");
  EXPECT_EQ(Stored(kRate), "   0.0") << "no negative zero";
  EXPECT_EQ(Stored(kOk), "F");
  EXPECT_EQ(Stored(kNotes), "       123");
  EXPECT_EQ(Stored(kBig), "          -2");
}

TEST_F(TypedRecordsTest, NumbersWiderThanTheirFieldFillItWithStars) {
  struct Case {
    int field;
    double value;
    const char* stored;
  };
  for (const auto& c : {
           Case{kQty, 123456, "*****"},
           Case{kQty, -9999, "-9999"},
           Case{kQty, -10000, "*****"},
           Case{kPrice, 12.5, "   12.50"},
           Case{kPrice, 99999.994, "99999.99"},
           Case{kPrice, 100000, "********"},
           Case{kPrice, std::nan(""), "********"},
           Case{kPrice, std::numeric_limits<double>::infinity(), "********"},
           Case{kPrice, 1e308, "********"},
           Case{kNotes, -1234567890, "**********"},
       }) {
    OpenWith(kSample);
    Scatter();
    if (c.field == kPrice)
      PutSlotDouble(Slot(c.field), c.value);
    else
      PutSlotInt32(Slot(c.field), static_cast<std::int32_t>(c.value));
    Gather();
    EXPECT_EQ(Stored(c.field), c.stored) << c.field << " " << c.value;
    EXPECT_EQ(Stored(kName), "ab c ") << "the neighbour is untouched";
  }
}

TEST_F(TypedRecordsTest, TextSlotsAreCutToTheirField) {
  OpenWith(kSample);
  Scatter();
  Slot(kName)[0] = 200;  // a length beyond the room counts as the room
  std::fill_n(Slot(kName) + 1, 5, 'z');
  Gather();
  EXPECT_EQ(Stored(kName), "zzzzz");
  PutSlotText(Slot(kName), 5, "");
  Gather();
  EXPECT_EQ(Stored(kName), "     ");
}

TEST_F(TypedRecordsTest, BlankAndInvalidDatesAreStoredBlank) {
  for (const char* text : {"", "  /  /  ", "  /  /    ", "  -  -  ", "  .  .    ", "        ",
                           "ab/cd/ef", "13/01/99", "02/30/2000", "1/2/3/4"}) {
    OpenWith(kSample);
    Scatter();
    PutSlotText(Slot(kWhen), 10, text);
    Gather();
    EXPECT_EQ(Stored(kWhen), "        ") << text;
  }
}

TEST_F(TypedRecordsTest, DatesInEveryLayout) {
  struct Case {
    unsigned code;
    bool century;
    const char* shown;
    const char* typed;  // another date typed in the layout
    const char* stored;
  };
  for (const auto& c : {
           Case{0, false, "03/15/24", "1/2/55", "20550102"},
           Case{1, false, "24.03.15", "99.12.31", "19991231"},
           Case{2, false, "15/03/24", "31/12/99", "19991231"},
           Case{3, false, "15-03-24", "1-2-03", "20030201"},
           Case{4, false, "15.03.24", "29.02.00", "20000229"},
           Case{5, true, "15.03.2024", "01.02.1955", "19550201"},
           Case{8, true, "15.03.2024", "31.12.2099", "20991231"},
           Case{0, true, "03/15/2024", "12/31/1899", "18991231"},
       }) {
    SCOPED_TRACE(std::to_string(c.code) + (c.century ? " century" : ""));
    SetDateCode = static_cast<std::uint8_t>(c.code);
    SetCenturyFlag = c.century;
    OpenWith(kSample);
    Scatter();
    EXPECT_EQ(GetSlotText(Slot(kWhen), 10), c.shown);
    Gather();
    EXPECT_EQ(Stored(kWhen), "20240315") << "read and written back alike";
    PutSlotText(Slot(kWhen), 10, c.typed);
    Gather();
    EXPECT_EQ(Stored(kWhen), c.stored);
  }
}

TEST_F(TypedRecordsTest, ValuesTheSlotCannotHoldSurviveWritingOtherFields) {
  const std::string binaryBlock("\x05\0\0\0      ", 10);
  OpenWith(std::string("ab c ") + "20240315" + " 12ab" + "1.234567" + "   1e5" + "t" + binaryBlock +
           "5000000000  ");
  Scatter();
  PutSlotText(Slot(kName), 5, "new");
  Gather();
  EXPECT_EQ(Stored(kName), "new  ");
  EXPECT_EQ(Stored(kQty), " 12ab") << "no number";
  EXPECT_EQ(Stored(kPrice), "1.234567") << "more decimals than the field has";
  EXPECT_EQ(Stored(kRate), "   1e5");
  EXPECT_EQ(Stored(kNotes), binaryBlock);
  EXPECT_EQ(Stored(kBig), "5000000000  ") << "beyond 32 bits";

  PutSlotInt32(Slot(kBig), 7);
  PutSlotInt32(Slot(kQty), 13);
  Gather();
  EXPECT_EQ(Stored(kBig), "           7") << "a value the caller set is written";
  EXPECT_EQ(Stored(kQty), "   13");
}

TEST_F(TypedRecordsTest, DecimalDigitsBeyondADoubleSurvive) {
  DbfImage image;
  image.Field("AMOUNT", 'N', 20, 2).Field("NAME", 'C', 3);
  image.Record("12345678901234567.89abc").Record("                 .50abc");
  Open(area, Write("wide.dbf", image.Bytes()));
  GetDbfRecord(area, 1);
  typed.assign(TypedRecordSize(area), 0);
  Scatter();
  PutSlotText(typed.data() + 9, 3, "xyz");
  Gather();
  EXPECT_EQ(std::string(area.RecordBuffer.begin() + 1, area.RecordBuffer.end()),
            "12345678901234567.89xyz");

  GetDbfRecord(area, 2);
  Scatter();
  EXPECT_EQ(GetSlotDouble(typed.data() + 1), 0.5);
  Gather();
  EXPECT_EQ(std::string(area.RecordBuffer.begin() + 1, area.RecordBuffer.begin() + 21),
            "                0.50") << "a number the slot holds is written in the usual form";
}

// A table of one number field whose only record holds text, right-aligned; its typed record
// is scattered.
class NumberFieldTest : public TypedRecordsTest {
 protected:
  void OpenNumber(std::uint8_t length, std::uint8_t decimals, const std::string& text = "") {
    DbfImage image;
    image.Field("X", 'N', length, decimals);
    image.Record(std::string(length - text.size(), ' ') + text);
    if (area.DataFile.IsOpen()) CloseDbf(area);
    Open(area, Write("number.dbf", image.Bytes()));
    GetDbfRecord(area, 1);
    typed.assign(TypedRecordSize(area), 0);
    Scatter();
  }
  std::string StoredText() const { return Stored(0); }
};

// What std::from_chars reads at the start of a text after one '+', 0 for no finite number.
double FromChars(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  return ec == std::errc() && std::isfinite(value) ? value : 0;
}

TEST_F(NumberFieldTest, NumbersAreReadAsFromCharsReadsThem) {
  for (const std::string text :
       {"123", "-123", "1.5", ".5", "-.5", "5.", "-0", "0.1", "0.3", "-0.000", "007.50",
        "123456789012345", "1234567890123456", "9007199254740993", "0.000000000000001",
        "1234567.12345678", "12345678.1234567", "0.30000000000000004", "1.7976931348623157",
        "+5", "+-5", "++5", "1e5", "1.5E2", "-2.5e-1", "1E", "1E400", "12ab", "1.2.3", "-", ".",
        "-.", "--5", "inf", "nan", "0x10",
        "4999.75", "-2147483649", "2147483648",
        // More digits than a double holds exactly: read as one integer over a power of ten,
        // they would come out a little off.
        "33792305671798.614", "7621545682469.8586", "8116764868720924.5"}) {
    SCOPED_TRACE(text);
    OpenNumber(20, 5, text);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(GetSlotDouble(typed.data() + 1)),
              std::bit_cast<std::uint64_t>(FromChars(text)));
    OpenNumber(20, 0, text);
    const double whole = std::clamp(std::trunc(FromChars(text)), -2147483648.0, 2147483647.0);
    EXPECT_EQ(GetSlotInt32(typed.data() + 1), static_cast<std::int32_t>(whole));
  }
}

TEST_F(NumberFieldTest, NumbersAreWrittenWithTheirExactDigitsRounded) {
  const double values[] = {0.15, 0.29, 1.005, 2.675, -0.05, -0.004, 0.5, -12.5, 1e15, 0x1p50 - 1,
                           0x1p50, 0x1p53 + 2, 123456.785, 0.1 + 0.2, 1.0 / 3, -1e-20, 5e-324,
                           99999.994, 4999.75, -0.0, 7, 1e22, 1e-7, 0.000123456789012345,
                           // Written from value * 10^4 as a whole number, these would come out
                           // a little off.
                           11089212176222.57, 104920343746372.03};
  for (const int decimals : {1, 2, 3, 4, 5, 10, 15, 22, 23, 30}) {
    for (const double value : values) {
      SCOPED_TRACE(std::to_string(decimals) + " " + std::to_string(value));
      OpenNumber(60, static_cast<std::uint8_t>(decimals));
      PutSlotDouble(typed.data() + 1, value);
      Gather();
      const std::string written = ExactNumberText(value, decimals);
      EXPECT_EQ(StoredText(), std::string(60 - written.size(), ' ') + written);
    }
  }
  // A value that lies exactly half-way at its decimals goes away from zero, where to_chars
  // would take the even digit.
  struct Half {
    double value;
    std::uint8_t length, decimals;
    const char* stored;
  };
  for (const Half& half : {Half{0.25, 6, 1, "   0.3"}, Half{-0.125, 8, 2, "   -0.13"},
                           Half{99.25, 5, 1, " 99.3"}, Half{0.625, 5, 2, " 0.63"}}) {
    SCOPED_TRACE(half.stored);
    OpenNumber(half.length, half.decimals);
    PutSlotDouble(typed.data() + 1, half.value);
    Gather();
    EXPECT_EQ(StoredText(), half.stored);
  }
  for (const std::int32_t value : {0, 1, -1, 42, -2147483647 - 1, 2147483647}) {
    OpenNumber(11, 0);
    PutSlotInt32(typed.data() + 1, value);
    Gather();
    const std::string written = std::to_string(value);
    EXPECT_EQ(StoredText(), std::string(11 - written.size(), ' ') + written);
  }
}

TEST_F(TypedRecordsTest, BlankNumbersAreGatheredAsZeroAndNoMemoAsBlanks) {
  OpenWith(kSample);
  Scatter();
  PutSlotInt32(Slot(kNotes), 0);
  Gather();
  EXPECT_EQ(Stored(kNotes), "          ") << "memo block 0 is no memo";

  OpenWith("ab c 20240315" + std::string(5 + 8 + 6, ' ') + "t" + std::string(22, ' '));
  Scatter();
  Gather();
  EXPECT_EQ(Stored(kQty), "    0");
  EXPECT_EQ(Stored(kPrice), "    0.00");
  EXPECT_EQ(Stored(kNotes), "          ");
}

TEST_F(TypedRecordsTest, ShortTypedRecordsLeaveOutTheSlotsBeyondTheirEnd) {
  OpenWith(kSample);
  std::vector<std::uint8_t> shortRecord(1 + 6 + 5, 0xEE);
  ScatterRecord(area, shortRecord);
  EXPECT_EQ(GetSlotText(shortRecord.data() + 1, 5), "ab c ");
  EXPECT_EQ(shortRecord[7], 0xEE) << "the date slot does not fit";
  const std::vector<std::uint8_t> before = area.RecordBuffer;
  GatherRecord(area, shortRecord);
  EXPECT_EQ(area.RecordBuffer, before);
}

}  // namespace
}  // namespace xbase
