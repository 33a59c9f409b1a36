#pragma once
// A dataset over rows in memory, for testing the abstract dataset on its own. Its cursor is an
// index into the rows with two cracks: -1 before the first row, Rows.size() after the last. It
// logs the slots that move or write (Log), so that tests can see what the dataset asked for.

#include <cstring>
#include <string>
#include <vector>

#include "platform/db/DataSet.h"
#include "platform/db/DbErrors.h"

namespace platform::db {

class MemoryDataSet : public TDataSet {
 public:
  struct Row {
    std::int32_t id = 0;
    std::string name;
    friend bool operator==(const Row&, const Row&) = default;
  };

  explicit MemoryDataSet(std::vector<Row> rows = {}, TComponentState state = {})
      : TDataSet(state), Rows(std::move(rows)) {}
  ~MemoryDataSet() override { CloseNoThrow(); }

  std::vector<Row> Rows;
  std::vector<std::string> Log;
  int Cursor = -1;
  bool FailOpen = false;  // InternalOpen raises
  bool FailClose = false;  // InternalClose raises
  int PostFailures = 0;   // so many InternalPost calls raise EDatabaseError first

  // The log since the last call, emptied.
  std::vector<std::string> TakeLog() { return std::exchange(Log, {}); }

  bool GetFieldData(const TField& field, TFieldValue& value) override {
    const Buffer* buffer = Current();
    if (buffer == nullptr) return false;
    if (field.FieldNo() == 1) value = buffer->id;
    if (field.FieldNo() == 2) value = std::string(buffer->name);
    return true;
  }

  void SetFieldData(TField& field, const TFieldValue& value) override {
    if (State() != dsEdit && State() != dsInsert) DatabaseError("Dataset not in edit or insert mode");
    if (field.ReadOnly()) DatabaseError("Field '" + field.FieldName() + "' cannot be modified");
    field.Validate(value);
    Buffer* buffer = AsBuffer(ActiveBuffer());
    if (field.FieldNo() == 1) buffer->id = std::get<std::int32_t>(value);
    if (field.FieldNo() == 2) std::strncpy(buffer->name, std::get<std::string>(value).c_str(), 10);
    DataEvent(deFieldChange, &field);
  }

  using TDataSet::ActiveBuffer;
  using TDataSet::CursorPosChanged;

 protected:
  struct Buffer {
    std::int32_t id;
    char name[11];
    std::int32_t bookmark;
    TBookmarkFlag flag;
  };
  static Buffer* AsBuffer(TRecordBuffer buffer) { return reinterpret_cast<Buffer*>(buffer); }
  Buffer* Current() {
    if (State() == dsCalcFields) return AsBuffer(CalcBuffer());
    if (IsEmpty() && State() == dsBrowse) return nullptr;
    return AsBuffer(ActiveBuffer());
  }

  TRecordBuffer AllocRecordBuffer() override {
    return reinterpret_cast<TRecordBuffer>(new Buffer{});
  }
  void FreeRecordBuffer(TRecordBuffer& buffer) override {
    delete AsBuffer(buffer);
    buffer = nullptr;
  }
  void GetBookmarkData(TRecordBuffer buffer, std::uint8_t* data) override {
    std::memcpy(data, &AsBuffer(buffer)->bookmark, 4);
  }
  void SetBookmarkData(TRecordBuffer buffer, const std::uint8_t* data) override {
    std::memcpy(&AsBuffer(buffer)->bookmark, data, 4);
  }
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override { return AsBuffer(buffer)->flag; }
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override { AsBuffer(buffer)->flag = flag; }
  int GetRecordSize() override { return sizeof(Buffer); }
  int GetRecordCount() override { return static_cast<int>(Rows.size()); }
  int GetRecNo() override { return IsEmpty() ? -1 : AsBuffer(ActiveBuffer())->bookmark + 1; }

  void InternalOpen() override {
    Log.push_back("InternalOpen");
    if (FailOpen) throw EDatabaseError("cannot open");
    InternalInitFieldDefs();
    if (DefaultFields()) CreateFields();
    BindFields(true);
    SetBookmarkSize(4);
    Cursor = -1;
    open_ = true;
  }
  void InternalClose() override {
    Log.push_back("InternalClose");
    open_ = false;
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    if (FailClose) throw EDatabaseError("cannot close");
  }
  bool IsCursorOpen() override { return open_; }
  void InternalInitFieldDefs() override {
    FieldDefs().Clear();
    FieldDefs().Add("ID", ftInteger);
    FieldDefs().Add("NAME", ftString, 10);
  }
  void InternalHandleException() override { Log.push_back("InternalHandleException"); }
  void InternalFirst() override {
    Log.push_back("InternalFirst");
    Cursor = -1;
  }
  void InternalLast() override {
    Log.push_back("InternalLast");
    Cursor = static_cast<int>(Rows.size());
  }
  void InternalGotoBookmark(const std::uint8_t* bookmark) override {
    std::int32_t row = 0;
    std::memcpy(&row, bookmark, 4);
    Log.push_back("Goto " + std::to_string(row + 1));
    Cursor = row;
  }
  void InternalSetToRecord(TRecordBuffer buffer) override {
    InternalGotoBookmark(reinterpret_cast<const std::uint8_t*>(&AsBuffer(buffer)->bookmark));
  }
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool) override {
    const int size = static_cast<int>(Rows.size());
    if (mode == gmNext) {
      if (Cursor >= size - 1) {
        Cursor = size;
        return grEOF;
      }
      ++Cursor;
    } else if (mode == gmPrior) {
      if (Cursor <= 0) {
        Cursor = -1;
        return grBOF;
      }
      --Cursor;
    } else if (Cursor < 0) {
      return grBOF;
    } else if (Cursor >= size) {
      return grEOF;
    }
    Buffer* b = AsBuffer(buffer);
    b->id = Rows[Cursor].id;
    std::strncpy(b->name, Rows[Cursor].name.c_str(), 10);
    b->name[10] = 0;
    b->bookmark = Cursor;
    b->flag = bfCurrent;
    GetCalcFields(buffer);
    return grOK;
  }
  void InternalInitRecord(TRecordBuffer buffer) override { *AsBuffer(buffer) = Buffer{}; }
  void InternalEdit() override { Log.push_back("InternalEdit"); }
  void InternalInsert() override { Log.push_back("InternalInsert"); }
  void InternalCancel() override { Log.push_back("InternalCancel"); }
  void InternalPost() override {
    if (PostFailures > 0) {
      --PostFailures;
      throw EDatabaseError("post refused");
    }
    const Buffer* b = AsBuffer(ActiveBuffer());
    const Row row{b->id, b->name};
    if (State() == dsEdit) {
      Log.push_back("Post " + std::to_string(Cursor + 1));
      Rows[Cursor] = row;
    } else {
      Log.push_back("Insert");
      Rows.push_back(row);
      Cursor = static_cast<int>(Rows.size()) - 1;
    }
  }
  void InternalAddRecord(TRecordBuffer buffer, bool append) override {
    Log.push_back(append ? "AddRecord append" : "AddRecord insert");
    Rows.push_back(Row{AsBuffer(buffer)->id, AsBuffer(buffer)->name});
    Cursor = static_cast<int>(Rows.size()) - 1;
  }
  void InternalDelete() override {
    Log.push_back("Delete " + std::to_string(Cursor + 1));
    Rows.erase(Rows.begin() + Cursor);
  }

 private:
  bool open_ = false;
};

}  // namespace platform::db
