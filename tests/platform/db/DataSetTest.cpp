// The abstract dataset's cursor bookkeeping, open and close, edit cycle, bookmarks and fields,
// on a dataset over rows in memory.

#include <gtest/gtest.h>

#include "platform/db/DataSet.h"
#include "platform/db/DbErrors.h"
#include "platform/db/FieldClasses.h"
#include "tests/platform/db/MemoryDataSet.h"

namespace platform::db {
namespace {

using Log = std::vector<std::string>;

std::vector<MemoryDataSet::Row> ThreeRows() { return {{1, "one"}, {2, "two"}, {3, "three"}}; }

class DataSetTest : public ::testing::Test {
 protected:
  MemoryDataSet data{ThreeRows()};

  int Id() { return data.FieldByName("ID").AsInteger(); }
};

TEST_F(DataSetTest, OpensOnTheFirstRecordAtBof) {
  data.Open();
  EXPECT_EQ(data.State(), dsBrowse);
  EXPECT_TRUE(data.Bof());
  EXPECT_FALSE(data.Eof());
  EXPECT_EQ(Id(), 1);
  EXPECT_EQ(data.RecordCount(), 3);
  EXPECT_EQ(data.TakeLog(), (Log{"InternalOpen"}));
}

TEST_F(DataSetTest, AnEmptyDatasetOpensAtBofAndEof) {
  MemoryDataSet empty;
  empty.Open();
  EXPECT_TRUE(empty.Bof());
  EXPECT_TRUE(empty.Eof());
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_TRUE(empty.FieldByName("ID").IsNull());
  EXPECT_EQ(empty.FieldByName("NAME").AsString(), "");
}

TEST_F(DataSetTest, WalksBothWaysAndKeepsTheLastRecordAtEitherEnd) {
  struct Step {
    const char* move;
    int id;
    bool bof, eof;
  };
  const Step steps[] = {
      {"next", 2, false, false}, {"next", 3, false, false}, {"next", 3, false, true},
      {"prior", 2, false, false}, {"prior", 1, false, false}, {"prior", 1, true, false},
      {"next", 2, false, false}, {"last", 3, false, true}, {"first", 1, true, false},
  };
  data.Open();
  for (const Step& step : steps) {
    const std::string move = step.move;
    if (move == "next") data.Next();
    if (move == "prior") data.Prior();
    if (move == "first") data.First();
    if (move == "last") data.Last();
    SCOPED_TRACE(move + " to " + std::to_string(step.id));
    EXPECT_EQ(Id(), step.id);
    EXPECT_EQ(data.Bof(), step.bof);
    EXPECT_EQ(data.Eof(), step.eof);
  }
}

TEST_F(DataSetTest, AFailedFetchPutsTheCursorBackOnTheShownRecordBeforeTheNextMove) {
  data.Open();
  data.MoveBy(2);
  data.TakeLog();
  data.Next();  // fails: the cursor runs into the crack after the last row
  EXPECT_EQ(data.Cursor, 3);
  data.Prior();
  // The cursor is first seated on the record shown (row 3), then moved back.
  EXPECT_EQ(data.TakeLog(), (Log{"Goto 3"}));
  EXPECT_EQ(Id(), 2);
}

TEST_F(DataSetTest, MoveByCountsTheRecordsItMoved) {
  data.Open();
  EXPECT_EQ(data.MoveBy(5), 2);
  EXPECT_TRUE(data.Eof());
  EXPECT_EQ(data.MoveBy(1), 0);
  EXPECT_EQ(data.MoveBy(-1), -1);
  EXPECT_EQ(Id(), 2);
}

TEST_F(DataSetTest, AFailedOpenLeavesTheDatasetClosedAndCanBeRetried) {
  data.FailOpen = true;
  EXPECT_THROW(data.Open(), EDatabaseError);
  EXPECT_EQ(data.State(), dsInactive);
  EXPECT_EQ(data.TakeLog(), (Log{"InternalOpen", "InternalClose"}));
  data.FailOpen = false;
  data.Open();
  EXPECT_EQ(Id(), 1);
}

TEST_F(DataSetTest, OpenAndCloseFireTheirEventsInOrder) {
  Log events;
  data.BeforeOpen = [&](TDataSet&) { events.push_back("BeforeOpen"); };
  data.AfterOpen = [&](TDataSet&) { events.push_back("AfterOpen"); };
  data.AfterScroll = [&](TDataSet&) { events.push_back("AfterScroll"); };
  data.BeforeClose = [&](TDataSet&) { events.push_back("BeforeClose"); };
  data.AfterClose = [&](TDataSet&) { events.push_back("AfterClose"); };
  data.Open();
  data.Close();
  EXPECT_EQ(events, (Log{"BeforeOpen", "AfterOpen", "AfterScroll", "BeforeClose", "AfterClose"}));
  EXPECT_EQ(data.Fields().Count(), 0);  // default fields go with the close
}

TEST_F(DataSetTest, ActiveSetWhileLoadingOpensWhenLoadingEnds) {
  MemoryDataSet loading(ThreeRows(), {.Designing = false, .Loading = true});
  loading.SetActive(true);
  EXPECT_FALSE(loading.Active());
  loading.Loaded();
  EXPECT_TRUE(loading.Active());
}

TEST_F(DataSetTest, AFailedOpenAtTheEndOfLoadingIsHandledInADesigner) {
  MemoryDataSet designed(ThreeRows(), {.Designing = true, .Loading = true});
  designed.FailOpen = true;
  designed.SetActive(true);
  designed.Loaded();
  EXPECT_FALSE(designed.Active());
  EXPECT_EQ(designed.TakeLog(), (Log{"InternalOpen", "InternalClose", "InternalHandleException"}));

  MemoryDataSet running(ThreeRows(), {.Designing = false, .Loading = true});
  running.FailOpen = true;
  running.SetActive(true);
  EXPECT_THROW(running.Loaded(), EDatabaseError);
}

TEST_F(DataSetTest, DestroyingAnOpenDatasetSwallowsAFailingClose) {
  auto open = std::make_unique<MemoryDataSet>(ThreeRows());
  open->Open();
  open->FailClose = true;
  EXPECT_NO_THROW(open.reset());
}

// ---- Edit cycle

TEST_F(DataSetTest, AModifiedEditIsPostedByTheNextMove) {
  data.Open();
  data.Edit();
  EXPECT_EQ(data.State(), dsEdit);
  EXPECT_FALSE(data.Modified());
  data.FieldByName("NAME").SetAsString("uno");
  EXPECT_TRUE(data.Modified());
  data.TakeLog();
  data.Next();
  EXPECT_EQ(data.TakeLog(), (Log{"Post 1"}));
  EXPECT_EQ(data.Rows[0].name, "uno");
  EXPECT_EQ(data.State(), dsBrowse);
  EXPECT_EQ(Id(), 2);
}

TEST_F(DataSetTest, AnUnmodifiedEditIsCancelledByTheNextMove) {
  data.Open();
  data.Edit();
  data.TakeLog();
  data.Next();
  EXPECT_EQ(data.TakeLog(), (Log{"InternalCancel"}));
  EXPECT_EQ(Id(), 2);
}

TEST_F(DataSetTest, CancelShowsTheRecordAsStored) {
  data.Open();
  data.Edit();
  data.FieldByName("NAME").SetAsString("changed");
  data.Cancel();
  EXPECT_EQ(data.State(), dsBrowse);
  EXPECT_FALSE(data.Modified());
  EXPECT_EQ(data.FieldByName("NAME").AsString(), "one");
  EXPECT_EQ(data.Rows[0].name, "one");
}

TEST_F(DataSetTest, EditOnAnEmptyDatasetInsertsAndPostAddsTheRecord) {
  MemoryDataSet empty;
  empty.Open();
  empty.Edit();
  EXPECT_EQ(empty.State(), dsInsert);
  empty.FieldByName("ID").SetAsInteger(7);
  empty.FieldByName("NAME").SetAsString("seven");
  empty.Post();
  EXPECT_EQ(empty.Rows, (std::vector<MemoryDataSet::Row>{{7, "seven"}}));
  EXPECT_FALSE(empty.IsEmpty());
  EXPECT_EQ(empty.FieldByName("ID").AsInteger(), 7);
}

TEST_F(DataSetTest, AppendSeatsTheCursorAtTheEndBeforePosting) {
  data.Open();
  data.TakeLog();
  data.Append();
  data.FieldByName("ID").SetAsInteger(4);
  data.Post();
  EXPECT_EQ(data.TakeLog(), (Log{"InternalInsert", "InternalLast", "Insert"}));
  EXPECT_EQ(Id(), 4);
}

TEST_F(DataSetTest, InsertKeepsTheShownRecordsBookmarkForTheCursor) {
  data.Open();
  data.Next();
  data.TakeLog();
  data.Insert();
  EXPECT_EQ(data.State(), dsInsert);
  EXPECT_TRUE(data.FieldByName("ID").AsInteger() == 0);
  data.Cancel();
  // The cursor goes back through the inserted buffer's bookmark: the record it stood before.
  EXPECT_EQ(data.TakeLog(), (Log{"InternalInsert", "Goto 2", "InternalCancel"}));
  EXPECT_EQ(Id(), 2);
}

TEST_F(DataSetTest, AppendRecordWritesTheValuesThroughInternalAddRecord) {
  data.Open();
  data.TakeLog();
  data.AppendRecord({std::int32_t{9}, std::string("nine")});
  EXPECT_EQ(data.TakeLog(), (Log{"InternalInsert", "AddRecord append"}));
  EXPECT_EQ(data.Rows.back(), (MemoryDataSet::Row{9, "nine"}));
  EXPECT_EQ(data.State(), dsBrowse);
  EXPECT_EQ(Id(), 9);
}

TEST_F(DataSetTest, DeleteShowsTheNextRecordOrThePriorAtTheEnd) {
  data.Open();
  data.Delete();
  EXPECT_EQ(Id(), 2);
  data.Last();
  data.Delete();
  EXPECT_EQ(Id(), 2);
  data.Delete();
  EXPECT_TRUE(data.IsEmpty());
  EXPECT_THROW(data.Delete(), EDatabaseError);
}

TEST_F(DataSetTest, APostErrorHandlerMayRetryOrAbort) {
  data.Open();
  int calls = 0;
  data.OnPostError = [&](TDataSet&, const EDatabaseError&, TDataAction& action) {
    action = ++calls < 3 ? daRetry : daAbort;
  };
  data.PostFailures = 2;
  data.Edit();
  data.FieldByName("NAME").SetAsString("retried");
  data.Post();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(data.Rows[0].name, "retried");

  data.PostFailures = 5;
  data.Edit();
  data.FieldByName("NAME").SetAsString("aborted");
  EXPECT_THROW(data.Post(), EAbort);
  EXPECT_EQ(data.State(), dsEdit);
}

TEST_F(DataSetTest, ReadOnlyDatasetsRefuseEdits) {
  struct ReadOnly : MemoryDataSet {
    using MemoryDataSet::MemoryDataSet;
    bool GetCanModify() override { return false; }
  } readOnly(ThreeRows());
  readOnly.Open();
  EXPECT_THROW(readOnly.Edit(), EDatabaseError);
  EXPECT_THROW(readOnly.Append(), EDatabaseError);
  EXPECT_EQ(readOnly.State(), dsBrowse);
}

// ---- Resync and bookmarks

TEST_F(DataSetTest, ExactResyncNeedsTheCursorsRecord) {
  data.Open();
  data.Cursor = 3;  // after the last row
  EXPECT_THROW(data.Resync(rmExact), EDatabaseError);
  data.Cursor = 1;
  data.Resync(rmExact);
  EXPECT_EQ(Id(), 2);
}

TEST_F(DataSetTest, PlainResyncFallsBackToTheNextThenThePriorRecord) {
  data.Open();
  data.Cursor = -1;  // before the first row: the next one is shown
  data.Resync(0);
  EXPECT_EQ(Id(), 1);
  data.Cursor = 3;  // after the last: the prior one
  data.Resync(0);
  EXPECT_EQ(Id(), 3);
  data.Rows.clear();
  data.Resync(0);
  EXPECT_TRUE(data.IsEmpty());
  EXPECT_TRUE(data.Bof() && data.Eof());
}

TEST_F(DataSetTest, BookmarksComeBackToTheirRecord) {
  data.Open();
  data.Next();
  const TBookmark second = data.GetBookmark();
  data.Last();
  data.GotoBookmark(second);
  EXPECT_EQ(Id(), 2);
  data.GotoBookmark({});  // no bookmark: no move
  EXPECT_EQ(Id(), 2);
  MemoryDataSet empty;
  empty.Open();
  EXPECT_TRUE(empty.GetBookmark().empty());
}

// ---- Fields

TEST_F(DataSetTest, FieldByNameIgnoresCaseAndRaisesForAnUnknownName) {
  data.Open();
  EXPECT_EQ(&data.FieldByName("name"), &data.FieldByName("NAME"));
  try {
    data.FieldByName("NOSUCH");
    FAIL() << "no exception";
  } catch (const EDatabaseError& error) {
    EXPECT_STREQ(error.what(), "Field 'NOSUCH' not found");
  }
  EXPECT_EQ(data.FindField("nosuch"), nullptr);
}

TEST_F(DataSetTest, DefaultFieldsFollowTheFieldDefinitions) {
  data.Open();
  ASSERT_EQ(data.Fields().Count(), 2);
  const TField& name = data.Fields()[1];
  EXPECT_EQ(name.FieldName(), "NAME");
  EXPECT_EQ(name.DataType(), ftString);
  EXPECT_EQ(name.Size(), 10);
  EXPECT_EQ(name.FieldNo(), 2);
}

TEST_F(DataSetTest, FieldsAreWrittenOnlyInEditStatesAndWhenNotReadOnly) {
  data.Open();
  EXPECT_THROW(data.FieldByName("NAME").SetAsString("x"), EDatabaseError);
  data.Edit();
  data.FieldByName("NAME").SetReadOnly(true);
  EXPECT_THROW(data.FieldByName("NAME").SetAsString("x"), EDatabaseError);
  data.FieldByName("ID").OnValidate = [](TField&, const TFieldValue& value) {
    if (std::get<std::int32_t>(value) < 0) throw EDatabaseError("negative");
  };
  EXPECT_THROW(data.FieldByName("ID").SetAsInteger(-1), EDatabaseError);
  data.FieldByName("ID").SetAsInteger(5);
  EXPECT_EQ(Id(), 5);
}

TEST_F(DataSetTest, CalculatedFieldsAreCalculatedForEveryFetchedRecord) {
  auto& twice = data.Fields().Add(std::make_unique<TIntegerField>());
  twice.SetFieldName("TWICE");
  twice.SetFieldKind(fkCalculated);
  for (const char* name : {"ID", "NAME"}) {
    auto& field = data.Fields().Add(name == std::string("ID") ? NewField<TIntegerField>() : NewField<TStringField>());
    field.SetFieldName(name);
  }
  int calculated = 0;
  data.OnCalcFields = [&](TDataSet& dataSet) {
    EXPECT_EQ(dataSet.State(), dsCalcFields);
    ++calculated;
  };
  data.Open();
  data.Next();
  EXPECT_EQ(calculated, 2);
  EXPECT_EQ(data.Fields().Count(), 3);  // persistent fields stay; no default fields were made
}

}  // namespace
}  // namespace platform::db
