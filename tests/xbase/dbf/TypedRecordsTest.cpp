#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

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
