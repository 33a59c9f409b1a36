#pragma once
// Base fixture of the dataset tests: the library as the program starts it (the platform's date
// format taken over: MM/dd/yyyy with four-digit years), messages recorded instead of shown,
// and a dataset over a table file that opens and writes as the table-file dataset does, with
// its protected operations open to the tests.

#include <string>
#include <vector>

#include "platform/db/Application.h"
#include "platform/db/FormatSettings.h"
#include "tests/xbase/workarea/WorkAreaTest.h"
#include "xbase/dataset/uovcds.h"
#include "xbase/dbf/TypedSlots.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {

// Opens its table with Use (" EXCLUSIVE" when Exclusive, the alias its name) and writes each
// record under its lock: false, with nothing written, when the lock is refused.
class TableDataSet : public TOvCDataSet {
 public:
  explicit TableDataSet(const std::string& name = "PEOPLE", TComponentState state = {}) : TOvCDataSet(state) {
    SetName(name);
  }
  ~TableDataSet() override { CloseNoThrow(); }

  bool Exclusive = true;
  int FailOpens = 0;  // so many opens fail after Use
  bool FailByRaising = false;  // and raise instead of answering false
  std::vector<std::string> Writes;

  // The primitive and internal operations, for tests at that level.
  using TOvCDataSet::ActiveBuffer;
  using TOvCDataSet::AreaNumber;
  using TOvCDataSet::CreateFields;
  using TOvCDataSet::GetRecNo;
  using TOvCDataSet::InternalCancel;
  using TOvCDataSet::InternalEdit;
  using TOvCDataSet::OviCompareBookmarks;
  using TOvCDataSet::OviGetNextRecord;
  using TOvCDataSet::OviGetPriorRecord;
  using TOvCDataSet::OviGetRecord;
  using TOvCDataSet::OviSetToBegin;
  using TOvCDataSet::OviSetToEnd;
  using TOvCDataSet::ReadRecordToBuffer;
  using TOvCDataSet::RecordBufferSize;
  using TOvCDataSet::RefreshActiveRecord;
  using TOvCDataSet::ResyncAfterFind;
  using TOvCDataSet::SelectWorkArea;
  using TOvCDataSet::WriteBufferToRecord;

 protected:
  bool s_OpenTable(const std::string& name) override {
    Use(name + (Exclusive ? " EXCLUSIVE" : "") + " ALIAS " + Name(), nullptr, 0);
    if (ErrorCode != 0) return false;
    if (FailOpens-- <= 0) return true;
    if (FailByRaising) throw EOrvelError("the index cannot be opened");
    return false;
  }
  bool s_AppendWithLock() override {
    return Locked("append", Exclusively() || ALock(), [] { xbase::Append(); });
  }
  bool s_DeleteWithLock() override {
    return Locked("delete", Exclusively() || RLock(), [] { xbase::DeleteRec(); });
  }
  bool s_RestoreWithLock() override {
    return Locked("restore", Exclusively() || RLock(), [] { xbase::RecallRec(); });
  }
  bool s_ReplaceWithLock() override {
    return Locked("replace", Exclusively() || RLock(), [] { xbase::Replace(); });
  }

 private:
  static bool Exclusively() { return WorkArea(CurrentArea())->ExclusiveFlag; }

  template <class Write>
  bool Locked(const char* what, bool locked, Write write) {
    if (!locked) return false;
    write();
    Unlock();
    Writes.push_back(std::string(what) + " " + std::to_string(xbase::RecNo()));
    return ErrorCode == 0;
  }
};

class DatasetTest : public WorkAreaTest {
 protected:
  void SetUp() override {
    WorkAreaTest::SetUp();
    ApplyLocaleDateFormat();
    platform::db::ApplicationSinks.ShowMessage = [this](const std::string& text) { messages.push_back(text); };
    platform::db::ApplicationSinks.Terminate = [this] { ++terminated; };
  }
  void TearDown() override {
    platform::db::ApplicationSinks = {};
    platform::db::FormatSettings = {};
    WorkAreaTest::TearDown();
  }

  // The People table (WorkAreaTest) in a file, opened as a dataset.
  void OpenPeople(TableDataSet& data, int count, const std::vector<int>& deleted = {}, bool hide = false,
                  const std::string& file = "people.dbf") {
    data.SetDbfFileName(Write(file, People(count, deleted).Bytes()));
    data.SetHideDeletedRecs(hide);
    data.Open();
  }

  // NAME C(8), COUNT N(6,0), PRICE N(8,2), OK L, BORN D, NOTES M (a dBase III table with its
  // memo file): "Ab", 42, -12.5, true, 1999-12-31, memo block 7; then a blank record.
  std::string WriteEveryType(const std::string& name = "typed") {
    DbfImage image(0x83);
    image.Field("NAME", 'C', 8).Field("COUNT", 'N', 6).Field("PRICE", 'N', 8, 2).Field("OK", 'L', 1);
    image.Field("BORN", 'D', 8).Field("NOTES", 'M', 10);
    image.Record("Ab          42  -12.50T19991231         7");
    image.Record(std::string(41, ' '));
    Write(name + ".dbt", std::string(512, '\0'));
    return Write(name + ".dbf", image.Bytes());
  }

  std::vector<std::string> messages;
  int terminated = 0;
};

}  // namespace xbase
