#include <gtest/gtest.h>

#include <filesystem>

#include "tests/xbase/workarea/WorkAreaTest.h"

namespace xbase {
namespace {

class LocateTest : public WorkAreaTest {
 protected:
  // WORD C(8), N N(5,2), DAY D, OK L; records 1..5.
  void UseWords() {
    DbfImage image;
    image.Field("WORD", 'C', 8).Field("N", 'N', 5, 2).Field("DAY", 'D', 8).Field("OK", 'L', 1);
    image.Record("ABC      1.5020240101T");
    image.Record("xaby     2.0019991231F");
    image.Record("AB       1.50        T", true);
    image.Record("abc      3.2520240101F");
    image.Record("Zebra    0.1320000229T");
    Use(Write("words.dbf", image.Bytes()), nullptr, 0);
  }

  // Locates the value with the search request and returns the records found with Continue.
  static std::vector<std::uint32_t> Found(const std::string& request, const std::string& value) {
    const int field = Locate(request);
    LocateValue = value;
    LocateFrom(1, field);
    std::vector<std::uint32_t> found;
    while (!dEOF()) {
      found.push_back(RecNo());
      Continue();
    }
    return found;
  }
};

using Records = std::vector<std::uint32_t>;

TEST_F(LocateTest, OptionsDecideWhatMatches) {
  UseWords();
  struct Case {
    std::string request, value;
    Records found;
  };
  for (const Case& c : {Case{"WORD", "AB", {1, 3}}, Case{"word", "AB   ", {1, 3}},
                        Case{"WORD EXACT", "AB", {}}, Case{"WORD EXACT", "AB      ", {3}},
                        Case{"WORD NOCASE", "ab", {1, 3, 4}}, Case{"WORD CONTAINED", "AB", {1, 3}},
                        Case{"WORD CONTAINED NOCASE", "AB", {1, 2, 3, 4}},
                        Case{"WORD nocase exact", "abc", {}}, Case{"WORD", "Q", {}},
                        Case{"N", " 1.5", {1, 3}}, Case{"OK", "T", {1, 3, 5}}}) {
    EXPECT_EQ(Found(c.request, c.value), c.found) << c.request << " '" << c.value << "'";
    EXPECT_EQ(ErrorCode, 0);
  }
}

TEST_F(LocateTest, NoMatchEndsAtEofWithoutALocate) {
  UseWords();
  EXPECT_EQ(Found("WORD", "Q"), Records{});
  EXPECT_EQ(RecNo(), 6u);
  EXPECT_EQ(LocateField, 0);
  QuietErrors();
  Continue();
  EXPECT_EQ(ErrorCode, 220);
  EXPECT_EQ(LastErrorMessage, "Call to CONTINUE not preceeded by call to LOCATE. [Continue]");
}

TEST_F(LocateTest, NoMatchAmongHiddenRecordsEndsAtEofWithoutAnError) {
  UsePeople(3, {1, 2, 3});
  SetIgnoreDel(true);
  EXPECT_EQ(Found("NAME", "Q"), Records{});
  EXPECT_EQ(ErrorCode, 0);
  EXPECT_TRUE(dEOF());
  EXPECT_EQ(RecNo(), 4u);
  EXPECT_EQ(LocateField, 0);
}

// A table whose header claims more records than its file holds, opened exclusively: searches
// and walks end after the last whole record, with nothing to report.
TEST_F(LocateTest, AHeaderClaimingMoreRecordsThanTheFileHolds) {
  DbfImage image = People(3);
  image.count = 1000;
  Use(Write("liar.dbf", image.Bytes()) + " EXCLUSIVE", nullptr, 0);
  int reports = 0;
  ErrorCallback = [&reports] { ++reports; };
  EXPECT_EQ(RecCount(), 3u);
  LocateValue = "Q";
  LocateFrom(1, Locate("NAME"));
  EXPECT_TRUE(dEOF());
  LocateValue = "C";
  LocateFrom(1, Locate("NAME"));
  EXPECT_EQ(RecNo(), 3u);
  Continue();
  EXPECT_TRUE(dEOF());
  int steps = 0;
  for (GoTop(); !dEOF() && steps < 10; Skip(1)) ++steps;
  EXPECT_EQ(steps, 3);
  EXPECT_EQ(reports, 0);
}

TEST_F(LocateTest, AFailedReadEndsTheSearchWhereTheAreaStood) {
  const std::string path = UsePeople(5, {}, " EXCLUSIVE");
  Go(2);
  std::filesystem::resize_file(path, 129 + 3 * 13 + 2);  // another program cuts record 4
  int reports = 0;
  ErrorCallback = [&reports] { ++reports; };
  LocateValue = "E";
  LocateFrom(1, Locate("NAME"));
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(ErrorCode, 100);
  EXPECT_EQ(LastErrorMessage, "DBF: " + path + " [Peek(1,4)]");
  EXPECT_EQ(RecNo(), 2u);
  EXPECT_EQ(Text("NAME"), "B");
}

TEST_F(LocateTest, BadSpecifications) {
  UseWords();
  QuietErrors();
  EXPECT_EQ(Locate("  NOCASE"), 0);
  EXPECT_EQ(ErrorCode, 220);
  EXPECT_EQ(LastErrorMessage, "No field name specified [Locate/Count/Sum]");
  EXPECT_EQ(Locate("COLOUR EXACT"), 0);
  EXPECT_EQ(LastErrorMessage, "Unrecognized field name [Locate/Count/Sum(COLOUR EXACT)]");
  EXPECT_EQ(Locate("ok"), 4);
}

TEST_F(LocateTest, MemoFieldsNeedTheMemoStore) {
  MemoHookTable = {};
  DbfImage image(0x83);
  image.Field("NOTES", 'M', 10).Record("         1");
  Use(Write("memo.dbf", image.Bytes()), nullptr, 0);
  QuietErrors();
  LocateValue = "x";
  LocateFrom(1, Locate("NOTES"));
  EXPECT_EQ(ErrorCode, 220);
  EXPECT_EQ(LastErrorMessage, "MEMO unit not linked in [Count/Sum/Continue]");
}

TEST_F(LocateTest, ValuesAreComparedAsTheFieldStoresThem) {
  UseWords();
  SetIgnoreDel(true);
  struct Case {
    std::string field;
    FieldValue value;
    bool nocase, exact;
    std::uint32_t found;  // 0: none
  };
  for (const Case& c : {Case{"WORD", std::string("ab"), true, false, 1},
                        Case{"WORD", std::string("AB"), false, false, 1},
                        Case{"N", 3.25, false, false, 4}, Case{"N", std::int64_t{2}, false, false, 2},
                        Case{"N", 1.5, false, false, 1},
                        // 0.125 lies half-way: a write into N(5,2) stores " 0.13".
                        Case{"N", 0.125, false, false, 5}, Case{"DAY", CalendarDate{1999, 12, 31, 0}, false, false, 2},
                        Case{"DAY", std::string("02/29/00"), false, false, 5},
                        Case{"OK", false, false, false, 2}, Case{"OK", true, false, false, 1},
                        Case{"WORD junk words", std::string("Zeb"), false, false, 5},
                        Case{"WORD", std::string("AB      "), false, true, 0}}) {
    GoTop();
    const bool found = LocateFieldValue(c.field, c.value, c.nocase, c.exact);
    EXPECT_EQ(found, c.found != 0) << c.field;
    if (c.found != 0) {
      EXPECT_EQ(RecNo(), c.found) << c.field;
    }
  }
}

// A text value is the field's text without the blanks that fill the field: an exact search
// finds the field holding just that text.
TEST_F(LocateTest, ExactTextValuesMatchTheWholeField) {
  UseWords();
  struct Case {
    std::string value;
    bool nocase;
    std::uint32_t found;  // 0: none
  };
  for (const Case& c : {Case{"abc", false, 4}, Case{"AB", false, 3}, Case{"ab", true, 3},
                        Case{"ab  ", true, 3}, Case{"ABCD", true, 0}, Case{"ZEBRA", false, 0},
                        Case{"Zebra123", false, 0}}) {
    GoTop();
    EXPECT_EQ(LocateFieldValue("WORD", c.value, c.nocase, true), c.found != 0) << c.value;
    if (c.found != 0) {
      EXPECT_EQ(RecNo(), c.found) << c.value;
    }
  }
  EXPECT_TRUE(ParseCondition("OK;WORD", {false, std::string("abc")}, false, true, true));
  EXPECT_EQ(RecNo(), 4u);
}

TEST_F(LocateTest, SeveralFieldsMustAllMatch) {
  UseWords();
  Go(2);
  struct Case {
    std::string fields;
    std::vector<FieldValue> values;
    bool nocase;
    std::uint32_t found;
  };
  for (const Case& c :
       {Case{"WORD;OK", {std::string("ABC"), false}, true, 4},  // record 1 matches WORD only
        Case{"WORD; DAY", {std::string("ab"), std::string("01/01/24")}, true, 1},
        Case{"WORD;N;OK", {std::string("AB"), 1.5, true}, false, 1},
        Case{"WORD;N", {std::string("Zebra"), 1.0}, false, 0}}) {
    EXPECT_EQ(ParseCondition(c.fields, c.values, c.nocase, true, false), c.found != 0) << c.fields;
    if (c.found != 0) {
      EXPECT_EQ(RecNo(), c.found) << c.fields;
    }
    Go(2);
  }
  // Without moveTo the area goes back to where it was.
  EXPECT_TRUE(ParseCondition("WORD;OK", {std::string("ABC"), false}, true, false, false));
  EXPECT_EQ(RecNo(), 2u);
}

TEST_F(LocateTest, AValueListOfAnotherLengthIsRefused) {
  UseWords();
  Go(3);
  QuietErrors();
  EXPECT_FALSE(ParseCondition("WORD;OK", {std::string("ABC")}, false, true, false));
  EXPECT_EQ(ErrorCode, 220);
  EXPECT_FALSE(ParseCondition("WORD", {std::string("ABC"), true}, false, true, false));
  EXPECT_EQ(ErrorCode, 220);
  EXPECT_EQ(RecNo(), 3u);
}

TEST_F(LocateTest, OemTablesMatchAnsiValues) {
  DbfImage image;
  image.Field("WORD", 'C', 6);
  image.Record("Caf\x82  ");  // "Café" in code page 850
  image.Record("CAF\x90  ");  // "CAFÉ"
  Use(Write("oem.dbf", image.Bytes()), nullptr, 0);
  EXPECT_EQ(Found("WORD", "Caf\xE9"), Records{1});
  EXPECT_EQ(Found("WORD NOCASE", "caf\xE9"), (Records{1, 2}));
}

TEST_F(LocateTest, ANewSearchOnASharedTableSeesOthersChanges) {
  PeekCacheSize = 4096;
  UseWords();
  EXPECT_EQ(Found("WORD", "Zebra"), Records{5});
  Select(2);
  Use(temp.path() + "/words.dbf ALIAS WRITER", nullptr, 0);
  Go(2);
  ASSERT_TRUE(RLock());
  Set("WORD", "Zebra2");
  Replace();
  Select(1);
  EXPECT_EQ(Found("WORD", "Zebra"), (Records{2, 5}));
}

}  // namespace
}  // namespace xbase
