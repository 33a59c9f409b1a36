// The dataset base classes: navigation at dataset and primitive level, opening and closing,
// the record buffer against the typed record, bookmarks, locating and the error texts.

#include <gtest/gtest.h>

#include "platform/db/DateTime.h"
#include "platform/db/DbErrors.h"
#include "tests/xbase/dataset/DatasetTest.h"
#include "xbase/dataset/ovprimds.h"

namespace xbase {
namespace {

using platform::db::EncodeDate;
using platform::db::TDateTime;

class OvPrimDsTest : public DatasetTest {
 protected:
  std::string Name(TableDataSet& data) { return data.FieldByName("NAME").AsString(); }

  template <class F>
  static std::string Raised(F operation) {
    try {
      operation();
    } catch (const std::exception& e) {
      return e.what();
    }
    return "(nothing raised)";
  }

  TableDataSet data;
};

// ---- Navigation

struct Step {
  const char* move;
  const char* name;  // the record shown afterwards
  bool bof, eof;
};

void Walk(TableDataSet& data, const std::vector<Step>& steps) {
  for (const Step& step : steps) {
    const std::string move = step.move;
    if (move == "next") data.Next();
    if (move == "prior") data.Prior();
    if (move == "first") data.First();
    if (move == "last") data.Last();
    SCOPED_TRACE(move + " to " + step.name);
    EXPECT_EQ(data.FieldByName("NAME").AsString(), step.name);
    EXPECT_EQ(data.Bof(), step.bof);
    EXPECT_EQ(data.Eof(), step.eof);
  }
}

TEST_F(OvPrimDsTest, WalksFourRecordsShowingDeletedOnes) {
  OpenPeople(data, 4, {2});
  EXPECT_EQ(Name(data), "A");
  EXPECT_TRUE(data.Bof());
  Walk(data, {{"next", "B", false, false},
              {"next", "C", false, false},
              {"next", "D", false, false},
              {"next", "D", false, true},
              {"prior", "C", false, false},
              {"first", "A", true, false},
              {"prior", "A", true, false},
              {"next", "B", false, false},
              {"last", "D", false, true},
              {"prior", "C", false, false}});
}

TEST_F(OvPrimDsTest, WalksFourRecordsHidingDeletedOnes) {
  OpenPeople(data, 4, {2}, true);
  EXPECT_EQ(Name(data), "A");
  Walk(data, {{"next", "C", false, false},
              {"next", "D", false, false},
              {"next", "D", false, true},
              {"prior", "C", false, false},
              {"prior", "A", false, false},
              {"prior", "A", true, false},
              {"next", "C", false, false},
              {"last", "D", false, true},
              {"first", "A", true, false}});
}

TEST_F(OvPrimDsTest, FirstPriorAndLastAfterRunningOffTheFront) {
  OpenPeople(data, 4);
  Walk(data, {{"prior", "A", true, false}, {"last", "D", false, true}, {"prior", "C", false, false}});
}

TEST_F(OvPrimDsTest, EmptyTablesAndTablesOfHiddenRecordsOpenEmpty) {
  OpenPeople(data, 0);
  EXPECT_TRUE(data.Bof() && data.Eof() && data.IsEmpty());
  EXPECT_EQ(data.RecordCount(), 0);
  data.Next();
  data.Last();
  EXPECT_TRUE(data.IsEmpty());

  TableDataSet hidden("HIDDEN");
  OpenPeople(hidden, 2, {1, 2}, true, "hidden.dbf");
  EXPECT_TRUE(hidden.Bof() && hidden.Eof() && hidden.IsEmpty());
  hidden.First();
  hidden.Last();
  EXPECT_TRUE(hidden.IsEmpty());
}

TEST_F(OvPrimDsTest, CracksAtPrimitiveLevel) {
  for (const bool hide : {false, true}) {
    SCOPED_TRACE(hide ? "deleted hidden" : "deleted shown");
    TableDataSet people;
    OpenPeople(people, 4, {2}, hide);
    std::vector<std::uint8_t> buffer(people.RecordBufferSize());
    std::int32_t recNo = 0;
    people.SelectWorkArea("Test");
    const auto next = [&] { return people.OviGetNextRecord(buffer.data(), recNo); };
    const auto prior = [&] { return people.OviGetPriorRecord(buffer.data(), recNo); };
    const auto current = [&] { return people.OviGetRecord(buffer.data(), recNo); };
    const std::int32_t second = hide ? 3 : 2;

    // Before the first record: the next one is the first, read again; a step back from it
    // answers 1402 and leaves the table there, and the next step reads it again.
    EXPECT_EQ(people.OviSetToBegin(), 0);
    EXPECT_EQ(current(), DatasetAtBeginning);
    EXPECT_EQ(next(), 0);
    EXPECT_EQ(recNo, 1);
    EXPECT_EQ(next(), 0);
    EXPECT_EQ(recNo, second);
    EXPECT_EQ(prior(), 0);
    EXPECT_EQ(recNo, 1);
    EXPECT_EQ(prior(), DatasetAtBeginning);
    EXPECT_EQ(RecNo(), 1u);
    EXPECT_EQ(prior(), DatasetAtBeginning);
    EXPECT_EQ(next(), 0);
    EXPECT_EQ(recNo, 1);

    // The mirror image at the end.
    EXPECT_EQ(people.OviSetToEnd(), 0);
    EXPECT_EQ(current(), DatasetAtEnd);
    EXPECT_EQ(prior(), 0);
    EXPECT_EQ(recNo, 4);
    EXPECT_EQ(next(), DatasetAtEnd);
    EXPECT_EQ(RecNo(), 4u);
    EXPECT_EQ(next(), DatasetAtEnd);
    EXPECT_EQ(prior(), 0);
    EXPECT_EQ(recNo, 4);
    recNo = 0;
    EXPECT_EQ(current(), 0);
    EXPECT_EQ(recNo, 4);
    EXPECT_EQ(prior(), 0);
    EXPECT_EQ(recNo, 3);
    EXPECT_EQ(prior(), 0);
    EXPECT_EQ(recNo, hide ? 1 : 2);
  }
}

TEST_F(OvPrimDsTest, NoRecordIsReadAtTheTablesEndWithoutACrack) {
  OpenPeople(data, 2);
  data.SelectWorkArea("Test");
  Go(2);
  xbase::Skip(1);  // the phantom record after the last
  std::vector<std::uint8_t> buffer(data.RecordBufferSize());
  std::int32_t recNo = 0;
  EXPECT_EQ(data.OviGetRecord(buffer.data(), recNo), DatasetAtEnd);
}

// ---- Opening and closing

TEST_F(OvPrimDsTest, WithoutAFileNameOpenRaisesAndASecondOpenWorks) {
  EXPECT_EQ(Raised([&] { data.Open(); }), "Missing DbfFilename property");
  EXPECT_FALSE(data.Active());
  EXPECT_EQ(data.AreaNumber(), 0);
  OpenPeople(data, 2);
  EXPECT_EQ(Name(data), "A");
}

TEST_F(OvPrimDsTest, AFailedOpenLeavesNoAreaHeld) {
  data.SetDbfFileName(Write("people.dbf", People(2).Bytes()));
  for (const bool raising : {false, true}) {
    data.FailOpens = 1;
    data.FailByRaising = raising;
    EXPECT_EQ(Raised([&] { data.Open(); }), raising ? "the index cannot be opened" : "Dataset error: 1401");
    for (std::uint8_t n = 1; n <= CallerWorkAreas; ++n) EXPECT_EQ(WorkArea(n), nullptr) << int{n};
    data.Open();
    EXPECT_EQ(Name(data), "A");
    data.Close();
  }
}

TEST_F(OvPrimDsTest, ALibraryErrorAtOpenIsReportedAsItself) {
  data.SetDbfFileName(At("missing.dbf"));
  const std::string error = Raised([&] { data.Open(); });
  EXPECT_NE(error.find("Error # 2 "), std::string::npos) << error;
  EXPECT_FALSE(data.Active());
  EXPECT_EQ(WorkArea(1), nullptr);
}

TEST_F(OvPrimDsTest, ReopensOnATableOfAnotherStructure) {
  OpenPeople(data, 3);
  data.Last();
  DbfImage wide;
  wide.Field("TITLE", 'C', 200).Field("PRICE", 'N', 10, 2).Field("WHEN", 'D', 8);
  wide.Record(std::string(200, 'x') + "    123.45" + "20240517");
  data.SetDbfFileName(Write("wide.dbf", wide.Bytes()));
  EXPECT_TRUE(data.Active());
  EXPECT_EQ(data.Fields().Count(), 3);
  EXPECT_EQ(data.FieldByName("TITLE").AsString(), std::string(200, 'x'));
  EXPECT_EQ(data.FieldByName("PRICE").AsFloat(), 123.45);
  EXPECT_EQ(data.FieldByName("WHEN").AsDateTime(), EncodeDate(2024, 5, 17));
  data.SetDbfFileName(At("people.dbf"));
  EXPECT_EQ(data.Fields().Count(), 3);
  EXPECT_EQ(Name(data), "A");
}

TEST_F(OvPrimDsTest, ClosingReleasesTheWorkAreaAndALibraryDoneClosesOpenDatasets) {
  OpenPeople(data, 2);
  const std::uint8_t area = data.AreaNumber();
  ASSERT_NE(WorkArea(area), nullptr);
  EXPECT_EQ(AliasOfCurrent(), "PEOPLE");
  data.Close();
  EXPECT_EQ(WorkArea(area), nullptr);
  data.Open();
  Done();
  EXPECT_FALSE(data.Active());
  EXPECT_EQ(WorkArea(area), nullptr);
}

TEST_F(OvPrimDsTest, AClosedDatasetsOperationsReport1103WithTheirName) {
  OpenPeople(data, 2);
  data.Close();
  SetRaiseErrors(false);
  SetImmediateErrors(false);
  EXPECT_FALSE(data.SelectWorkArea("OviGetRecord"));
  EXPECT_EQ(PendingError, 1103);
  EXPECT_EQ(LastErrorMessage, "Database is not open [PEOPLE.OviGetRecord]");
  EXPECT_EQ(terminated, 1);
  // The operation stops there instead of acting on another table.
  Select(1);
  UsePeople(2);
  data.ClearRecord();
  EXPECT_EQ(data.Field(1), "");
  EXPECT_EQ(data.FieldCount(), 0);
  EXPECT_EQ(terminated, 4);
  EXPECT_EQ(CurrentArea(), 1);
}

// ---- Exceptions

TEST_F(OvPrimDsTest, ResultCodesRaiseTheirTexts) {
  OpenPeople(data, 1);
  EXPECT_EQ(Raised([&] { data.RaiseDatasetError(0); }), "(nothing raised)");
  for (int code : {1401, 1402, 1403})
    EXPECT_EQ(Raised([&] { data.RaiseDatasetError(code); }), "Dataset error: " + std::to_string(code));
  EXPECT_EQ(Raised([&] { data.RaiseDatasetError(1404); }), "Missing DbfFilename property");
  // A library code: its pending text, or the code's own text once that was taken.
  SetRaiseErrors(false);
  SetImmediateErrors(false);
  Go(99);
  EXPECT_EQ(Raised([&] { data.RaiseDatasetError(212); }),
            "Dataset error: Error # 212 (Request beyond range)\r\nInvalid record number = 99 \n"
            "Database \"" + At("people.dbf") + "\" [GO]");
  EXPECT_EQ(Raised([&] { data.RaiseDatasetError(212); }), "Dataset error: Error # 212 (Request beyond range)");
}

// ---- Buffers and the typed record

class BufferTest : public OvPrimDsTest {
 protected:
  void SetUp() override {
    OvPrimDsTest::SetUp();
    data.SetDbfFileName(WriteEveryType());
    data.Open();
  }
};

TEST_F(BufferTest, FieldsReadAsTheTableHoldsThem) {
  EXPECT_EQ(data.FieldByName("NAME").AsString(), "Ab");
  EXPECT_EQ(data.FieldByName("COUNT").AsInteger(), 42);
  EXPECT_EQ(data.FieldByName("PRICE").AsFloat(), -12.5);
  EXPECT_TRUE(data.FieldByName("OK").AsBoolean());
  EXPECT_EQ(data.FieldByName("BORN").AsDateTime(), EncodeDate(1999, 12, 31));
  EXPECT_EQ(data.FieldByName("NOTES").AsString(), "7");
  EXPECT_EQ(data.FieldByName("NAME").DataType(), platform::db::ftString);
  EXPECT_EQ(data.FieldByName("COUNT").DataType(), platform::db::ftInteger);
  EXPECT_EQ(data.FieldByName("PRICE").DataType(), platform::db::ftFloat);
  EXPECT_EQ(data.FieldByName("BORN").DataType(), platform::db::ftDate);
  EXPECT_EQ(data.FieldByName("NOTES").DataType(), platform::db::ftMemo);
  EXPECT_EQ(data.FieldByName("PRICE").Size(), 8);
  data.Next();
  EXPECT_EQ(data.FieldByName("NAME").AsString(), "");
  EXPECT_EQ(data.FieldByName("COUNT").AsInteger(), 0);
  EXPECT_FALSE(data.FieldByName("OK").AsBoolean());
  EXPECT_TRUE(data.FieldByName("BORN").IsNull());
  EXPECT_FALSE(data.FieldByName("NAME").IsNull());
  EXPECT_EQ(data.FieldByName("NOTES").AsString(), "0");
}

TEST_F(BufferTest, BufferAndTypedRecordRoundTrip) {
  for (int record = 1; record <= 2; ++record) {
    SCOPED_TRACE(record == 1 ? "values" : "blanks");
    data.SetRecNo(record);
    std::uint8_t* typed = FieldAddress(0);
    const std::vector<std::uint8_t> before(typed, typed + WorkArea(CurrentArea())->TypedBufferSize);
    std::vector<std::uint8_t> buffer(data.RecordBufferSize());
    data.ReadRecordToBuffer(buffer.data());
    std::fill(typed, typed + before.size(), 0xEE);
    data.WriteBufferToRecord(buffer.data(), -1);
    EXPECT_EQ(std::vector<std::uint8_t>(typed, typed + before.size()), before);
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(BufferTest, CancelRestoresTheBufferSavedWhenTheEditBegan) {
  std::vector<std::uint8_t> shown(data.ActiveBuffer(), data.ActiveBuffer() + data.RecordBufferSize());
  data.InternalEdit();
  std::fill_n(data.ActiveBuffer(), data.RecordBufferSize(), 0x55);
  data.InternalCancel();
  EXPECT_EQ(std::vector<std::uint8_t>(data.ActiveBuffer(), data.ActiveBuffer() + data.RecordBufferSize()), shown);
  data.Insert();
  shown.assign(data.ActiveBuffer(), data.ActiveBuffer() + data.RecordBufferSize());
  data.FieldByName("NAME").SetAsString("inserted");
  data.InternalCancel();
  EXPECT_EQ(std::vector<std::uint8_t>(data.ActiveBuffer(), data.ActiveBuffer() + data.RecordBufferSize()), shown);
}

TEST_F(BufferTest, EditedFieldsReachTheTable) {
  data.Edit();
  data.FieldByName("NAME").SetAsString("Zed");
  data.FieldByName("COUNT").SetAsInteger(-7);
  data.FieldByName("PRICE").SetAsFloat(3.14159);
  data.FieldByName("OK").SetAsBoolean(false);
  data.FieldByName("BORN").SetAsDateTime(EncodeDate(1900, 1, 1));
  data.Post();
  EXPECT_EQ(data.Writes, (std::vector<std::string>{"replace 1"}));
  // Read back from the file, rounded to the declared decimals.
  data.Close();
  data.Open();
  EXPECT_EQ(data.FieldByName("NAME").AsString(), "Zed");
  EXPECT_EQ(data.FieldByName("COUNT").AsInteger(), -7);
  EXPECT_EQ(data.FieldByName("PRICE").AsFloat(), 3.14);
  EXPECT_FALSE(data.FieldByName("OK").AsBoolean());
  EXPECT_EQ(data.FieldByName("BORN").AsDateTime(), EncodeDate(1900, 1, 1));
}

TEST_F(BufferTest, ClearedDatesAreStoredBlankAndCancelRestoresTheEdit) {
  data.Edit();
  data.FieldByName("BORN").Clear();
  EXPECT_TRUE(data.FieldByName("BORN").IsNull());
  data.Cancel();
  EXPECT_EQ(data.FieldByName("BORN").AsDateTime(), EncodeDate(1999, 12, 31));
  data.Edit();
  data.FieldByName("BORN").Clear();
  data.Post();
  EXPECT_TRUE(data.FieldByName("BORN").IsNull());
}

TEST_F(BufferTest, ADateWithoutATextInTheLibrarysLayoutIsStoredBlankWithAMessage) {
  data.Edit();
  platform::db::FormatSettings.ShortDateFormat = "dd.MM.yyyy";  // no longer the library's layout
  data.FieldByName("BORN").SetAsDateTime(EncodeDate(2024, 5, 17));
  EXPECT_EQ(messages, (std::vector<std::string>{"        Invalid date       "}));
  data.Post();
  EXPECT_TRUE(data.FieldByName("BORN").IsNull());
}

// ---- Bookmarks, record numbers, locate

TEST_F(OvPrimDsTest, CompareBookmarks) {
  OpenPeople(data, 8);
  const auto mark = [](std::int32_t n) {
    TBookmark b(4);
    PutSlotInt32(b.data(), n);
    return b;
  };
  struct Case {
    TBookmark a, b;
    int result;
  };
  const Case cases[] = {{{}, {}, 0},          {{}, mark(7), 1},      {mark(3), {}, -1},
                        {mark(3), mark(7), -1}, {mark(7), mark(3), 1}, {mark(5), mark(5), 0}};
  for (const Case& c : cases) EXPECT_EQ(data.CompareBookmarks(c.a, c.b), c.result);
  data.Close();
  EXPECT_EQ(data.CompareBookmarks(mark(3), mark(7)), 0);
}

TEST_F(OvPrimDsTest, BookmarksRecordNumbersAndTheirValidity) {
  OpenPeople(data, 4);
  data.MoveBy(2);
  EXPECT_EQ(data.RecNo(), 3);
  const TBookmark third = data.GetBookmark();
  data.First();
  EXPECT_TRUE(data.BookmarkValid(third));
  TBookmark missing(4);
  PutSlotInt32(missing.data(), 9);
  EXPECT_FALSE(data.BookmarkValid(missing));
  // Asking moved the table; the dataset still acts on the record it shows.
  data.Edit();
  data.FieldByName("NAME").SetAsString("first");
  data.Post();
  EXPECT_EQ(data.Writes, (std::vector<std::string>{"replace 1"}));
  data.GotoBookmark(third);
  EXPECT_EQ(Name(data), "C");
  data.SetRecNo(2);
  EXPECT_EQ(Name(data), "B");
  std::vector<std::uint8_t> buffer(data.RecordBufferSize());
  ASSERT_TRUE(data.GetCurrentRecord(buffer.data()));
  EXPECT_EQ(GetSlotText(buffer.data() + 1, 8), "B       ");
}

TEST_F(OvPrimDsTest, FindRecordWalksAndRestarts) {
  OpenPeople(data, 3, {2}, true);
  EXPECT_TRUE(data.FindLast());
  EXPECT_EQ(Name(data), "C");
  EXPECT_TRUE(data.FindPrior());
  EXPECT_EQ(Name(data), "A");
  EXPECT_FALSE(data.FindPrior());
  EXPECT_FALSE(data.Found());
  EXPECT_EQ(Name(data), "A");
  EXPECT_TRUE(data.FindFirst());
  EXPECT_TRUE(data.FindNext());
  EXPECT_EQ(Name(data), "C");
}

TEST_F(OvPrimDsTest, LocateMovesLookupDoesNot) {
  OpenPeople(data, 4);
  EXPECT_TRUE(data.Locate("NAME", {std::string("c")}, platform::db::loCaseInsensitive));
  EXPECT_EQ(Name(data), "C");
  EXPECT_FALSE(data.Locate("NAME", {std::string("X")}, 0));
  EXPECT_EQ(Name(data), "C");
  data.First();
  const auto found = data.Lookup("AGE", {std::int32_t{30}}, "NAME;OK");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(*found, (std::vector<TFieldValue>{std::string("C"), true}));
  EXPECT_FALSE(data.Lookup("AGE", {std::int32_t{31}}, "NAME").has_value());
  EXPECT_EQ(Name(data), "A");
  data.Edit();
  data.FieldByName("NAME").SetAsString("first");
  data.Post();
  EXPECT_EQ(data.Writes, (std::vector<std::string>{"replace 1"}));
}

TEST_F(OvPrimDsTest, CalculatedFieldsLiveInTheBuffer) {
  data.SetDbfFileName(Write("people.dbf", People(3).Bytes()));
  data.Open();
  data.Close();
  // Persistent fields: the table's, and one calculated.
  data.FieldDefs().Clear();
  for (const char* name : {"NAME", "AGE"}) {
    auto& field = data.Fields().Add(name == std::string("AGE") ? platform::db::NewField<TOvIntegerField>()
                                                               : platform::db::NewField<platform::db::TStringField>());
    field.SetFieldName(name);
    field.SetSize(name == std::string("AGE") ? 3 : 8);
  }
  auto& label = data.Fields().Add(platform::db::NewField<platform::db::TStringField>());
  label.SetFieldName("LABEL");
  label.SetSize(12);
  label.SetFieldKind(platform::db::fkCalculated);
  data.OnCalcFields = [](TDataSet& d) {
    d.FieldByName("LABEL").SetAsString(d.FieldByName("NAME").AsString() + " is " +
                                       d.FieldByName("AGE").AsString());
  };
  data.Open();
  EXPECT_EQ(data.FieldByName("LABEL").AsString(), "A is 10");
  data.Next();
  EXPECT_EQ(data.FieldByName("LABEL").AsString(), "B is 20");
  data.Edit();
  data.FieldByName("AGE").SetAsInteger(21);
  EXPECT_EQ(data.FieldByName("LABEL").AsString(), "B is 21");
  EXPECT_EQ(data.Lookup("NAME", {std::string("C")}, "LABEL"), (std::vector<TFieldValue>{std::string("C is 30")}));
}

// ---- Designer

TEST_F(OvPrimDsTest, ADesignerReadsOnlyTheStructureAndCorrectsTheFieldList) {
  TableDataSet designed("DESIGNED", {.Designing = true, .Loading = false});
  DbfImage image;
  image.Field("NAME", 'C', 8).Field("NOTE", 'C', 255);
  image.Record("Ab      " + std::string(255, ' '));
  designed.SetDbfFileName(Write("design.dbf", image.Bytes()));
  designed.Open();
  EXPECT_EQ(designed.DbfFields(), (std::vector<std::string>{"NAME, C, 8, 0", "NOTE, C, 254, 0"}));
  EXPECT_EQ(messages, (std::vector<std::string>{"Invalid field definition for DESIGNED: NOTE,C,255,0. "
                                                "Will use corrected definition: NOTE,C,254,0"}));
  EXPECT_EQ(designed.AreaNumber(), 0);
  for (std::uint8_t n = 1; n <= CallerWorkAreas; ++n) EXPECT_EQ(WorkArea(n), nullptr);
  EXPECT_EQ(designed.RecordCount(), 1);
  EXPECT_EQ(designed.FieldByName("NAME").AsString(), "Ab");
  designed.Close();
}

}  // namespace
}  // namespace xbase
