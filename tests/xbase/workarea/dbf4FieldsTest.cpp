#include <gtest/gtest.h>

#include "tests/xbase/workarea/WorkAreaTest.h"
#include "xbase/core/timedate.h"

namespace xbase {
namespace {

class FieldsTest : public WorkAreaTest {
 protected:
  // Opens the catalogue table, written with its (empty) dBase III memo file.
  void UseCatalogue();
};

// ENTRY C(10), COUNT N(5,0), OK L, DAY D, PRICE N(8,2), NOTES M, RATE F(6,0)
DbfImage Catalogue() {
  DbfImage image(0x83);
  image.Field("ENTRY", 'C', 10).Field("COUNT", 'N', 5).Field("OK", 'L', 1).Field("DAY", 'D', 8);
  image.Field("PRICE", 'N', 8, 2).Field("NOTES", 'M', 10).Field("RATE", 'F', 6);
  image.Record("crossword    42T20240229   12.50        17    -3");
  return image;
}

void FieldsTest::UseCatalogue() {
  std::string memo(513, '\0');
  memo[0] = 1;
  memo[512] = 0x1A;
  Write("catalogue.dbt", memo);
  Use(Write("catalogue.dbf", Catalogue().Bytes()), nullptr, 0);
}

TEST_F(FieldsTest, CatalogueOfEveryFieldType) {
  UseCatalogue();
  struct Case {
    int n;
    std::string name;
    char type;
    int length, decimals;
    std::size_t slot;  // offset of the slot in the typed record
  };
  // Slots: flag 1, C(10) 11, N(5,0) 4, L 1, D 11, N(8,2) 8, M 4, F(6,0) 4.
  for (const Case& c : {Case{1, "ENTRY", 'C', 10, 0, 1}, Case{2, "COUNT", 'N', 5, 0, 12},
                        Case{3, "OK", 'L', 1, 0, 16}, Case{4, "DAY", 'D', 8, 0, 17},
                        Case{5, "PRICE", 'N', 8, 2, 28}, Case{6, "NOTES", 'M', 10, 0, 36},
                        Case{7, "RATE", 'F', 6, 0, 40}}) {
    EXPECT_EQ(Field(c.n), c.name);
    EXPECT_EQ(FieldType(c.n), c.type) << c.name;
    EXPECT_EQ(FieldLen(c.n), c.length) << c.name;
    EXPECT_EQ(FieldDec(c.n), c.decimals) << c.name;
    EXPECT_EQ(FieldAddress(c.n) - FieldAddress(0), static_cast<std::ptrdiff_t>(c.slot)) << c.name;
    EXPECT_EQ(FieldNo(c.name), c.n);
  }
  EXPECT_EQ(FieldCount(), 7);
  EXPECT_EQ(WorkArea(1)->TypedBufferSize, 44);
  EXPECT_EQ(FieldAddress(0), WorkArea(1)->TypedBuffer);
  EXPECT_EQ(Text("ENTRY"), "crossword");
  EXPECT_EQ(Text("COUNT"), "42");
  EXPECT_EQ(Text("PRICE"), "12.5");
  EXPECT_EQ(Text("NOTES"), "17");
  EXPECT_EQ(Text("RATE"), "-3");
}

TEST_F(FieldsTest, TypedRecordOfTextNumberAndLogical) {
  DbfImage image;
  image.Field("ENTRY", 'C', 10).Field("N", 'N', 5).Field("L", 'L', 1);
  Use(Write("small.dbf", image.Bytes()), nullptr, 0);
  EXPECT_EQ(WorkArea(1)->TypedBufferSize, 1 + 11 + 4 + 1);
}

TEST_F(FieldsTest, FieldNoMatchesTheStoredName) {
  UseCatalogue();
  struct Case {
    std::string name;
    int n;
  };
  for (const Case& c : {Case{"entry  ", 1}, Case{"Entry", 1}, Case{"ENTRYXXXXXY", 0},
                        Case{"  ENTRY", 0}, Case{"price", 5}, Case{"", 0}, Case{"MISSING", 0}}) {
    EXPECT_EQ(FieldNo(c.name), c.n) << "'" << c.name << "'";
    EXPECT_EQ(ErrorCode, 0) << "an unknown name is no error";
  }
  // Eleven characters match the field named by the first ten.
  DbfImage image;
  image.Field("ABCDEFGHIJ", 'C', 2);
  Select(2);
  Use(Write("long.dbf", image.Bytes()), nullptr, 0);
  EXPECT_EQ(FieldNo("abcdefghijk"), 1);
}

TEST_F(FieldsTest, DateLengthFollowsSetCentury) {
  UseCatalogue();
  EXPECT_EQ(FieldLen(4), 8);
  SetCenturyFlag = true;
  EXPECT_EQ(FieldLen(4), 10);
}

TEST_F(FieldsTest, FieldNumbersOutsideTheTable) {
  UseCatalogue();
  QuietErrors();
  struct Case {
    std::function<bool()> call;  // true when the neutral value came back
    std::string message;
  };
  for (const Case& c : {Case{[] { return FieldType(0) == '\0'; }, "Invalid field number. [FieldType(0)]"},
                        Case{[] { return FieldLen(8) == 0; }, "Invalid field number. [FieldLen(8)]"},
                        Case{[] { return FieldDec(-1) == 0; }, "Invalid field number. [FieldDec(-1)]"},
                        Case{[] { return FieldAddress(8) == nullptr; },
                             "Invalid field number. [FieldAddress(8)]"},
                        Case{[] { return Field(0).empty(); }, "Invalid field number. [Field(0)]"}}) {
    ErrorCode = 0;
    EXPECT_TRUE(c.call()) << c.message;
    EXPECT_EQ(ErrorCode, 220) << c.message;
    EXPECT_EQ(LastErrorMessage, c.message);
  }
}

TEST_F(FieldsTest, ClearRecordBlanksEverySlot) {
  UseCatalogue();
  ClearRecord();
  EXPECT_EQ(WorkArea(1)->RecordBuffer, std::vector<std::uint8_t>(49, ' '));
  EXPECT_EQ(Text("ENTRY"), "");
  EXPECT_EQ(TypedFieldText(FieldNo("DAY")), BlankDatePicture(SetDateCode));
  EXPECT_EQ(Text("COUNT"), "0");
  EXPECT_EQ(Text("OK"), "F");
  EXPECT_EQ(FieldAddress(0)[0], 0) << "not deleted";
}

TEST_F(FieldsTest, GatherAndScatterGoThroughTheTypedRecord) {
  UseCatalogue();
  Set("ENTRY", "puzzle");
  Set("PRICE", "7.25");
  GatherCurrent();
  const auto& raw = WorkArea(1)->RecordBuffer;
  EXPECT_EQ(std::string(raw.begin() + 1, raw.begin() + 11), "puzzle    ");
  EXPECT_EQ(std::string(raw.begin() + 25, raw.begin() + 33), "    7.25");
  Set("ENTRY", "changed");
  ScatterCurrent();
  EXPECT_EQ(Text("ENTRY"), "puzzle");
}

}  // namespace
}  // namespace xbase
