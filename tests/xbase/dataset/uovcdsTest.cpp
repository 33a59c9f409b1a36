// The record API of TOvCDataSet: fields by name, direct appends, replacements and deletions,
// and the properties that reopen or re-seat the dataset.

#include "xbase/dataset/uovcds.h"

#include <gtest/gtest.h>

#include "platform/db/DbErrors.h"
#include "tests/xbase/dataset/DatasetTest.h"
#include "xbase/core/timedate.h"

namespace xbase {
namespace {

class UOvCDsTest : public DatasetTest {
 protected:
  std::string Name() { return data.GetFieldText("NAME"); }

  // The NAME field of every record as this library reads the file, deleted records marked.
  std::vector<std::string> Names(const std::string& path) {
    DbfTable table;
    Open(table, path, OpenModeShared);
    std::vector<std::string> names;
    for (std::uint32_t n = 1; n <= table.RecordCount; ++n) {
      GetDbfRecord(table, n);
      const std::string record(table.RecordBuffer.begin(), table.RecordBuffer.end());
      names.push_back((record[0] == '*' ? "*" : "") + RTrimStr(record.substr(1, 8)));
    }
    CloseDbf(table);
    return names;
  }

  TableDataSet data;
};

TEST_F(UOvCDsTest, FieldTextsForDisplay) {
  data.SetDbfFileName(WriteEveryType());
  data.Open();
  struct Case {
    const char* field;
    const char* text;
  };
  const Case filled[] = {{"NAME", "Ab      "}, {"COUNT", "    42"}, {"PRICE", "   -12.5"},
                         {"OK", "T"},         {"BORN", "12/31/1999"}, {"NOTES", "7"}};
  for (const Case& c : filled) EXPECT_EQ(data.FieldText(c.field), c.text) << c.field;
  data.Next();
  const Case blank[] = {{"NAME", "        "}, {"COUNT", "     0"}, {"OK", "F"}, {"BORN", "  /  /    "},
                        {"NOTES", "0"}};
  for (const Case& c : blank) EXPECT_EQ(data.FieldText(c.field), c.text) << c.field;
  SetCenturyFlag = false;
  EXPECT_EQ(data.FieldText("BORN"), "  /  /  ");
  data.Edit();
  data.FieldByName("COUNT").SetAsInteger(42);
  data.FieldByName("PRICE").SetAsFloat(12.5);
  EXPECT_EQ(data.FieldText("COUNT"), "    42");
  EXPECT_EQ(data.FieldText("price"), "    12.5");
  EXPECT_THROW(data.FieldText("NOSUCH"), platform::db::EDatabaseError);
}

TEST_F(UOvCDsTest, FieldsByNumberAndNamesCutToTen) {
  DbfImage image;
  image.Field("ENTRY", 'C', 10).Field("MORE", 'L', 1).Field("CLUETEXT01", 'C', 20);
  image.Record("CAT       TFeline friend       ");
  data.SetDbfFileName(Write("clues.dbf", image.Bytes()));
  data.Open();
  EXPECT_EQ(data.FieldCount(), 3);
  EXPECT_EQ(data.Field(3), "CLUETEXT01");
  EXPECT_TRUE(data.GetFieldAsBoolean("more"));
  EXPECT_EQ(data.GetFieldText("CLUETEXT01 and more"), "Feline friend       ");
  EXPECT_EQ(data.FieldText("CLUETEXT01 and more"), "Feline friend       ");
  EXPECT_EQ(TOvCDataSet::PadLeft("42", 6), "    42");
  EXPECT_EQ(TOvCDataSet::PadRight("AB", 4), "AB  ");
  EXPECT_EQ(TOvCDataSet::PadLeft("toolong", 3), "toolong");
}

TEST_F(UOvCDsTest, DbfFileNames) {
  struct Case {
    const char* given;
    const char* stored;
  };
  const Case cases[] = {{" clues ", "clues.DBF"},       {"clues.", "clues."},
                        {"clues.dbf", "clues.dbf"},      {"a.b/clues", "a.b/clues.DBF"},
                        {"/data/clues.db3", "/data/clues.db3"}, {"  ", ""}};
  for (const Case& c : cases) {
    data.SetDbfFileName(c.given);
    EXPECT_EQ(data.DbfFileName(), c.stored) << c.given;
  }
}

TEST_F(UOvCDsTest, ANewFileNameReopensAnOpenDataset) {
  OpenPeople(data, 2);
  Write("other.dbf", People(3).Bytes());
  int opened = 0;
  data.AfterOpen = [&](platform::db::TDataSet&) { ++opened; };
  data.SetDbfFileName(At("other"));
  EXPECT_TRUE(data.Active());
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(data.RecordCount(), 3);
  data.Close();
  data.SetDbfFileName(At("people"));
  EXPECT_FALSE(data.Active());

  TableDataSet loading("LOADING", {.Designing = false, .Loading = true});
  loading.SetDbfFileName(At("people"));
  loading.SetActive(true);
  EXPECT_FALSE(loading.Active());
  loading.Loaded();
  EXPECT_EQ(loading.RecordCount(), 2);
}

// ---- Moves

TEST_F(UOvCDsTest, SkipMovesAndStopsAtEitherEnd) {
  OpenPeople(data, 3);
  data.Skip(-1);
  EXPECT_TRUE(data.IsBof());
  EXPECT_EQ(Name(), "A       ");
  data.Skip(1);
  data.Skip(1);
  EXPECT_EQ(Name(), "C       ");
  data.Skip(1);
  EXPECT_TRUE(data.IsEof());
  EXPECT_EQ(Name(), "C       ");
  data.FirstRec();
  EXPECT_TRUE(data.IsBof());
  data.LastRec();
  EXPECT_TRUE(data.IsEof());
  EXPECT_EQ(Name(), "C       ");
}

TEST_F(UOvCDsTest, SkipZeroReadsWhatAnotherOpenWrote) {
  data.Exclusive = false;
  const std::string path = Write("people.dbf", People(3).Bytes());
  data.SetDbfFileName(path);
  data.Open();
  data.Next();
  Select(9);
  Use(path + " ALIAS OTHER", nullptr, 0);
  Go(2);
  ASSERT_TRUE(RLock());
  Set("NAME", "Zed");
  xbase::Replace();
  Unlock();
  EXPECT_EQ(Name(), "B       ");
  data.Skip(0);
  EXPECT_EQ(Name(), "Zed     ");
  EXPECT_EQ(data.State(), platform::db::dsBrowse);
}

TEST_F(UOvCDsTest, HidingDeletedRecordsReseatsOnTheNextVisibleOne) {
  OpenPeople(data, 4, {2, 4});
  data.Next();
  EXPECT_EQ(Name(), "B       ");
  data.SetHideDeletedRecs(true);
  EXPECT_EQ(Name(), "C       ");
  data.Next();
  EXPECT_TRUE(data.IsEof());
  data.SetHideDeletedRecs(false);
  data.Next();
  EXPECT_EQ(Name(), "D       ");
  // The last record hidden: the dataset goes back to the one before.
  data.SetHideDeletedRecs(true);
  EXPECT_EQ(Name(), "C       ");
}

// ---- Direct writes

TEST_F(UOvCDsTest, ClearRecordSettersAndAppendRecWriteExactlyTheValuesSet) {
  const std::string path = Write("people.dbf", People(2).Bytes());
  data.SetDbfFileName(path);
  data.Open();
  data.ClearRecord();
  EXPECT_EQ(data.State(), platform::db::dsEdit);
  EXPECT_TRUE(data.Modified());
  EXPECT_EQ(Name(), "        ");
  data.SetFieldAsString("NAME", "New");
  data.SetFieldAsString("AGE", "7");
  data.SetFieldAsBoolean("OK", true);
  data.AppendRec();
  EXPECT_EQ(data.State(), platform::db::dsBrowse);
  EXPECT_EQ(Name(), "New     ");
  EXPECT_EQ(data.RecNo(), 3);
  data.Close();
  EXPECT_EQ(Names(path), (std::vector<std::string>{"A", "B", "New"}));
  const std::string file = Contents(path);
  EXPECT_EQ(file.substr(file.size() - 14), " New       7T\x1A");
}

TEST_F(UOvCDsTest, AppendRecOnAnEmptyTable) {
  OpenPeople(data, 0);
  data.ClearRecord();
  data.SetFieldAsString("NAME", "First");
  data.AppendRec();
  EXPECT_FALSE(data.IsEmpty());
  EXPECT_EQ(Name(), "First   ");
  EXPECT_EQ(data.RecordCount(), 1);
}

TEST_F(UOvCDsTest, WritesKeepTheValuesSetWhenTheTableWasReadInBetween) {
  for (const bool append : {false, true}) {
    SCOPED_TRACE(append ? "AppendRec" : "ReplaceRec");
    TableDataSet people;
    const std::string path = Write("people.dbf", People(3).Bytes());
    people.SetDbfFileName(path);
    people.Open();
    people.Skip(2);
    people.Skip(1);  // fails at the end: the dataset re-seats the table before its next act
    people.ClearRecord();
    people.SetFieldAsString("NAME", "Cee");
    people.UpdateCursorPos();  // as a record lock does: reads the record again
    append ? people.AppendRec() : people.ReplaceRec();
    EXPECT_EQ(RTrimStr(people.GetFieldText("NAME")), "Cee");
    people.Close();
    EXPECT_EQ(Names(path), (append ? std::vector<std::string>{"A", "B", "C", "Cee"}
                                   : std::vector<std::string>{"A", "B", "Cee"}));
  }
}

TEST_F(UOvCDsTest, ADirectEditCutShortIsNotPostedByTheNextMove) {
  const std::string path = Write("people.dbf", People(3).Bytes());
  data.SetDbfFileName(path);
  data.Open();
  data.ClearRecord();
  data.SetFieldAsString("NAME", "Partial");
  EXPECT_THROW(data.SetFieldAsString("NOSUCH", "x"), platform::db::EDatabaseError);
  data.Skip(1);
  EXPECT_EQ(Name(), "B       ");
  EXPECT_EQ(data.State(), platform::db::dsBrowse);
  data.LastRec();
  data.Close();
  EXPECT_TRUE(data.Writes.empty());
  EXPECT_EQ(Names(path), (std::vector<std::string>{"A", "B", "C"}));
}

TEST_F(UOvCDsTest, AnOrdinaryEditIsPostedByTheNextMove) {
  const std::string path = Write("people.dbf", People(3).Bytes());
  data.SetDbfFileName(path);
  data.Open();
  data.SetFieldAsString("NAME", "Alpha");
  data.Skip(1);
  EXPECT_EQ(data.Writes, (std::vector<std::string>{"replace 1"}));
  data.Close();
  EXPECT_EQ(Names(path), (std::vector<std::string>{"Alpha", "B", "C"}));
}

TEST_F(UOvCDsTest, DeleteRecLeavesTheDatasetWhereItsHeaderSays) {
  struct Case {
    bool hide;
    int from;            // records skipped before the delete
    const char* shown;   // the record shown afterwards
  };
  const Case cases[] = {{false, 1, "B"}, {true, 1, "C"}, {true, 2, "B"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.hide ? "hidden" : "shown") + " from " + std::to_string(c.from));
    TableDataSet people;
    OpenPeople(people, 3, {}, c.hide);
    people.Skip(c.from);
    people.DeleteRec();
    EXPECT_EQ(RTrimStr(people.GetFieldText("NAME")), c.shown);
    EXPECT_EQ(people.State(), platform::db::dsBrowse);
  }
  TableDataSet last;
  OpenPeople(last, 1, {}, true, "last.dbf");
  last.DeleteRec();
  EXPECT_TRUE(last.IsEmpty());
  EXPECT_TRUE(last.IsBof() && last.IsEof());
}

TEST_F(UOvCDsTest, ReadOnlyDatasetsRefuseDirectWritesBeforeTouchingTheFile) {
  const std::string path = Write("people.dbf", People(2).Bytes());
  const std::string before = Contents(path);
  data.SetDbfFileName(path);
  data.SetReadOnly(true);
  data.Open();
  EXPECT_FALSE(data.CanModify());
  data.ClearRecord();
  data.SetFieldAsString("NAME", "X");
  EXPECT_THROW(data.AppendRec(), platform::db::EDatabaseError);
  EXPECT_THROW(data.ReplaceRec(), platform::db::EDatabaseError);
  EXPECT_THROW(data.DeleteRec(), platform::db::EDatabaseError);
  data.Cancel();
  EXPECT_THROW(data.Edit(), platform::db::EDatabaseError);
  data.Close();
  EXPECT_EQ(Contents(path), before);
}

TEST_F(UOvCDsTest, AppendRecOnASharedTableWantsTheAppendLock) {
  data.Exclusive = false;
  OpenPeople(data, 1);
  data.ClearRecord();
  EXPECT_THROW(data.AppendRec(), EOrvelError);
  data.SelectWorkArea("Test");
  ASSERT_TRUE(ALock());
  data.AppendRec();
  Unlock();
  EXPECT_EQ(data.RecordCount(), 2);
}

TEST_F(UOvCDsTest, AFindAtTheEndShowsTheLastRecordAtEof) {
  OpenPeople(data, 3);
  data.SelectWorkArea("Test");
  Go(3);
  xbase::Skip(1);
  data.ResyncAfterFind();
  EXPECT_TRUE(data.IsEof());
  EXPECT_EQ(Name(), "C       ");
  data.SelectWorkArea("Test");
  Go(2);
  data.ResyncAfterFind();
  EXPECT_EQ(Name(), "B       ");
  EXPECT_FALSE(data.IsEof());
}

TEST_F(UOvCDsTest, RefreshActiveRecordReadsTheShownRecordAgain) {
  data.Exclusive = false;
  const std::string path = Write("people.dbf", People(2).Bytes());
  data.SetDbfFileName(path);
  data.Open();
  Select(9);
  Use(path + " ALIAS OTHER", nullptr, 0);
  ASSERT_TRUE(RLock());
  Set("NAME", "Again");
  xbase::Replace();
  Unlock();
  data.RefreshActiveRecord();
  EXPECT_EQ(Name(), "Again   ");
}

}  // namespace
}  // namespace xbase
