#pragma once
// The abstract dataset: a table seen one record at a time through its fields, walked with
// First, Next, Prior, Last and bookmarks, and changed through the Edit/Insert, Post/Cancel
// cycle. A descendant supplies the records through the protected virtual slots below; this
// class keeps the record buffers and the cursor bookkeeping that those slots rely on.
//
// Record buffers. The dataset shows one record. It holds two buffers, allocated by the
// descendant (AllocRecordBuffer) in a layout of the descendant's: the active buffer [0] and a
// spare [1] into which records are fetched (GetRecord). Beside them it counts the records in
// the buffers (0 or 1), the active index (always 0) and the current index: the buffer whose
// record the descendant's cursor stands on, -1 when unknown. Every move and read of the
// descendant's cursor therefore either keeps the current index right or calls
// CursorPosChanged, and UpdateCursorPos puts the cursor back on the active record (through the
// buffer's bookmark flag: InternalSetToRecord, InternalFirst or InternalLast) before an
// operation that acts on "the current record".
//
// Opening runs OpenCursor (InternalOpen, then the buffers and the first fetch); when anything
// fails the dataset becomes inactive again and CloseCursor runs before the error goes on, so a
// descendant's CloseCursor must cope with a cursor that never opened.
//
// A class that implements the slots closes the dataset in its own destructor (CloseNoThrow):
// by the time this class's destructor runs the slots are gone.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/DbTypes.h"
#include "platform/db/Field.h"
#include "platform/db/FieldDefs.h"

namespace platform::db {

class TStream;
class EDatabaseError;

// The component's state: created in a designer, or still receiving its stored properties.
struct TComponentState {
  bool Designing = false;
  bool Loading = false;
};

class TDataSet {
 public:
  using TDataSetNotifyEvent = std::function<void(TDataSet& dataSet)>;
  using TDataSetErrorEvent =
      std::function<void(TDataSet& dataSet, const EDatabaseError& error, TDataAction& action)>;

  explicit TDataSet(TComponentState state = {});
  virtual ~TDataSet();
  TDataSet(const TDataSet&) = delete;
  TDataSet& operator=(const TDataSet&) = delete;

  // ---- Component

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  const TComponentState& ComponentState() const { return componentState_; }
  // Ends loading: opens the dataset when Active was set meanwhile. A failure is reported
  // through InternalHandleException in a designer and raised otherwise.
  void Loaded();

  // ---- Opening and state

  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  bool Active() const { return state_ != dsInactive; }
  // While loading only remembered (see Loaded).
  void SetActive(bool active);
  TDataSetState State() const { return state_; }
  bool Modified() const { return modified_; }
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  // No record in the buffers.
  bool IsEmpty() const { return recordCount_ == 0; }
  // The result of the last FindFirst, FindNext, FindPrior or FindLast.
  bool Found() const { return found_; }
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool filtered) { filtered_ = filtered; }
  // Calculated fields are calculated again after every change of a data field.
  bool AutoCalcFields() const { return autoCalcFields_; }
  void SetAutoCalcFields(bool on) { autoCalcFields_ = on; }
  bool CanModify() { return GetCanModify(); }

  // ---- Navigation

  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Moves up to `distance` records forward (negative: back) and returns how many it moved;
  // running into an end sets Eof (Bof) and keeps the last record shown.
  int MoveBy(int distance);
  // Reads the current record again.
  void Refresh();
  int RecordCount();
  // The current record's number, -1 when the dataset cannot tell.
  int RecNo() { return GetRecNo(); }
  virtual void SetRecNo(int recNo);
  bool FindFirst() { return FindRecord(true, true); }
  bool FindLast() { return FindRecord(true, false); }
  bool FindNext() { return FindRecord(false, true); }
  bool FindPrior() { return FindRecord(false, false); }
  // The first record whose fields (names separated by ';') hold the values; false when none.
  virtual bool Locate(const std::string& keyFields, const std::vector<TFieldValue>& keyValues,
                      TLocateOptions options);
  // The result fields of the first record whose key fields hold the values, the dataset not
  // moving; nothing when no record matches.
  virtual std::optional<std::vector<TFieldValue>> Lookup(const std::string& keyFields,
                                                         const std::vector<TFieldValue>& keyValues,
                                                         const std::string& resultFields);
  // Record numbers follow the record order.
  virtual bool IsSequenced() { return false; }

  // ---- Bookmarks

  // The position of the current record; empty when there is none.
  TBookmark GetBookmark();
  void GotoBookmark(const TBookmark& bookmark);
  virtual bool BookmarkValid(const TBookmark& bookmark);
  // -1, 0 or 1 by the records' order; an empty bookmark sorts after every other.
  virtual int CompareBookmarks(const TBookmark& bookmark1, const TBookmark& bookmark2);

  // ---- Editing

  // Edits the current record; on an empty dataset inserts one.
  void Edit();
  // A new record before the current one, or at the end.
  void Insert();
  void Append();
  // Writes the record being edited or inserted.
  virtual void Post();
  // Drops the edit and shows the record as it is.
  void Cancel();
  void Delete();
  // A new record with these values (one per field, in field order), written at once.
  void InsertRecord(const std::vector<TFieldValue>& values) { AddRecord(values, false); }
  void AppendRecord(const std::vector<TFieldValue>& values) { AddRecord(values, true); }
  // Posts a modified edit, cancels an unmodified one.
  virtual void CheckBrowseMode();
  // Reads the record the dataset shows into `buffer`; false when there is none.
  virtual bool GetCurrentRecord(TRecordBuffer buffer);

  // ---- Fields

  TFieldDefs& FieldDefs() { return fieldDefs_; }
  TFields& Fields() { return fields_; }
  // Raises EDatabaseError "Field '<name>' not found" when there is none; case is ignored.
  TField& FieldByName(std::string_view name);
  TField* FindField(std::string_view name) { return fields_.Find(name); }
  // A stream over the contents of a BLOB or memo field; null when the dataset has none.
  virtual std::unique_ptr<TStream> CreateBlobStream(const TField& field, TBlobStreamMode mode);
  // The value of a field in the record the dataset shows (or calculates); false when null.
  virtual bool GetFieldData(const TField& field, TFieldValue& value) = 0;
  // Stores a field's value; monostate clears it.
  virtual void SetFieldData(TField& field, const TFieldValue& value) = 0;

  // ---- Cursor bookkeeping

  // Reads the buffers again from the cursor. rmExact: the record the cursor stands on, which
  // must exist ("Record not found"); otherwise that record, else the next, else the prior,
  // else an empty dataset.
  void Resync(TResyncMode mode);
  // Puts the cursor on the record the dataset shows.
  void UpdateCursorPos();
  // The cursor no longer stands on a buffered record.
  void CursorPosChanged() { currentRecord_ = -1; }
  virtual void DataEvent(TDataEvent event, const TField* field = nullptr);
  void DisableControls() { ++disableCount_; }
  void EnableControls() { --disableCount_; }
  bool ControlsDisabled() const { return disableCount_ > 0; }

  // ---- Events

  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent OnCalcFields, OnNewRecord;
  // Called when Post, Edit or Delete fails with EDatabaseError; the action says whether to
  // raise (daFail), stop silently (daAbort) or try again (daRetry).
  TDataSetErrorEvent OnPostError, OnEditError, OnDeleteError;

 protected:
  // ---- The slots a descendant implements or overrides

  virtual void ClearCalcFields(TRecordBuffer) {}
  virtual void CloseCursor();
  virtual void DoOnNewRecord();
  virtual bool FindRecord(bool, bool) { return false; }
  virtual int GetRecordCount() { return -1; }
  virtual int GetRecNo() { return -1; }
  virtual void InternalEdit() {}
  virtual void InternalRefresh() {}
  virtual void OpenCursor();
  virtual TRecordBuffer AllocRecordBuffer() = 0;
  virtual void FreeRecordBuffer(TRecordBuffer& buffer) = 0;
  virtual void GetBookmarkData(TRecordBuffer buffer, std::uint8_t* data) = 0;
  virtual void SetBookmarkData(TRecordBuffer buffer, const std::uint8_t* data) = 0;
  virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) = 0;
  virtual void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) = 0;
  virtual int GetRecordSize() = 0;
  virtual void InternalAddRecord(TRecordBuffer buffer, bool append) = 0;
  virtual void InternalDelete() = 0;
  virtual void InternalFirst() = 0;
  virtual void InternalLast() = 0;
  virtual void InternalGotoBookmark(const std::uint8_t* bookmark) = 0;
  virtual void InternalInitRecord(TRecordBuffer buffer) = 0;
  virtual void InternalInsert() {}
  virtual void InternalPost() = 0;
  virtual void InternalCancel() {}
  virtual void InternalSetToRecord(TRecordBuffer buffer) = 0;
  virtual TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) = 0;
  virtual void InternalClose() = 0;
  virtual void InternalHandleException() = 0;
  virtual void InternalInitFieldDefs() = 0;
  virtual void InternalOpen() = 0;
  virtual bool IsCursorOpen() = 0;
  virtual TFieldClass GetFieldClass(TFieldType fieldType);
  virtual bool GetCanModify() { return true; }

  virtual void DoBeforeScroll() { Fire(BeforeScroll); }
  virtual void DoAfterScroll() { Fire(AfterScroll); }

  // ---- For descendants

  void SetState(TDataSetState state);
  // A state for a moment, without notifications; give the result back to RestoreState.
  TDataSetState SetTempState(TDataSetState state);
  void RestoreState(TDataSetState state) { state_ = state; }
  void SetModified(bool modified) { modified_ = modified; }
  void SetFound(bool found) { found_ = found; }
  // Raises EDatabaseError when the dataset is closed, or when it cannot be modified.
  void CheckActive() const;
  void CheckCanModify();
  // Closes without events or errors; for destructors.
  void CloseNoThrow() noexcept;

  TRecordBuffer ActiveBuffer() const { return buffers_.empty() ? nullptr : buffers_[activeRecord_]; }
  // The spare buffer, free for a fetch.
  TRecordBuffer TempBuffer() const { return buffers_.empty() ? nullptr : buffers_[recordCount_]; }
  // The buffer whose calculated fields are being calculated (or read through dsCalcFields).
  TRecordBuffer CalcBuffer() const { return calcBuffer_; }
  void SetCalcBuffer(TRecordBuffer buffer) { calcBuffer_ = buffer; }
  int CalcFieldsSize() const { return calcFieldsSize_; }
  int BlobFieldCount() const { return blobFieldCount_; }
  int BookmarkSize() const { return bookmarkSize_; }
  void SetBookmarkSize(int size) { bookmarkSize_ = size; }

  // The fields were made from the field definitions at open (no field was added before).
  bool DefaultFields() const { return defaultFields_; }
  void CreateFields();
  void DestroyFields() { fields_.Clear(); }
  // Connects the fields to the field definitions (binding) or disconnects them, and lays out
  // the calculated fields.
  virtual void BindFields(bool binding);
  // Runs OnCalcFields for the buffer in state dsCalcFields.
  void GetCalcFields(TRecordBuffer buffer);

  void ClearBuffers();
  void ActivateBuffers();

 private:
  // Records the dataset shows at a time; one buffer more holds a fetch.
  static constexpr int kBufferCount = 1;

  void OpenDataSet();
  void CloseDataSet();
  void AllocateBuffers();
  void FreeBuffers();
  // Moves the buffer at `from` to `to`, shifting those between; the current index follows
  // its buffer.
  void MoveBuffer(int from, int to);
  void SetCurrentRecord(int index);
  bool GetNextRecord();
  bool GetPriorRecord();
  void InitRecord(TRecordBuffer buffer);
  void BeginInsertAppend();
  void EndInsertAppend();
  void AddRecord(const std::vector<TFieldValue>& values, bool append);
  void CalculateFields(TRecordBuffer buffer);
  // Runs an operation; an EDatabaseError goes to the handler, which may ask for a retry.
  void CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& onError);
  void Fire(const TDataSetNotifyEvent& event) {
    if (event) event(*this);
  }

  std::string name_;
  TComponentState componentState_;
  bool streamedActive_ = false;
  TDataSetState state_ = dsInactive;
  bool modified_ = false;
  bool bof_ = true;
  bool eof_ = true;
  bool found_ = false;
  bool filtered_ = false;
  bool autoCalcFields_ = true;
  bool defaultFields_ = false;
  int disableCount_ = 0;

  TFieldDefs fieldDefs_;
  TFields fields_{*this};
  int calcFieldsSize_ = 0;
  int blobFieldCount_ = 0;
  int bookmarkSize_ = 0;

  std::vector<TRecordBuffer> buffers_;
  int recordCount_ = 0;
  int activeRecord_ = 0;
  int currentRecord_ = -1;
  TRecordBuffer calcBuffer_ = nullptr;
};

}  // namespace platform::db
