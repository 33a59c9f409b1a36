#pragma once
// The dataset base classes over the work-area engine.
//
// TOvPrimDataset turns the abstract dataset's slots into 24 primitive operations (Ovi...) that
// return a result code, and raises the codes that are not 0 (RaiseDatasetError):
//   0 success; 1401 general failure (nothing found, nothing opened and no library error
//   pending); 1402 at the beginning; 1403 at the end; 1404 no DbfFileName; any other value
//   is a library error code.
// Its record buffer, laid out at every open:
//   record data (OviGetRecordSize bytes) | calculated fields (a has-value byte before each) |
//   4 bytes per BLOB field | record number (i32) and bookmark flag (byte) | bookmark.
//
// TOvDataSet implements the primitives on a work area of its own, which it selects before
// every operation on the table (SelectWorkArea, with the operation's name). Its record data:
// the deleted flag, then per field in table order
//   C  length + 1 (length-prefixed text)    D  8 (date as a TDateTime day number, 0 = blank)
//   N, F with decimals  8 (double)           N, F without  4 (i32)
//   L  2 (the first byte the logical)        M  4 (the memo block number)
// The work area's typed record is the exchange buffer between the two: every read of the
// table overwrites it, and every field written in the dataset is written into it at once.
//
// The crack flags turn the engine's positions into the "before the first" and "after the
// last" of a dataset: they are set by OviSetToBegin and OviSetToEnd and by running off either
// end, and cleared by every successful positioning and by appends. While one is set,
// OviGetRecord and OviPostRecord answer 1402 or 1403, and the next fetch in the other direction
// reads the record the table stands on instead of moving.
//
// TOvCDataSet (uovcds.h) adds the record API; the table-file dataset above it opens the table
// (s_OpenTable) and writes under locks (the s_...WithLock operations).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/DataSet.h"
#include "xbase/dataset/ucommon.h"

namespace xbase {

using platform::db::TBookmark;
using platform::db::TComponentState;
using platform::db::TDataSet;
using platform::db::TField;
using platform::db::TFieldValue;
using platform::db::TRecordBuffer;

inline constexpr int DatasetFailure = 1401;
inline constexpr int DatasetAtBeginning = 1402;
inline constexpr int DatasetAtEnd = 1403;
inline constexpr int DatasetNoFileName = 1404;

// Shown when a date of the dataset has no valid text in the library's layout.
inline constexpr const char* TextInvalidDate = "        Invalid date       ";

class TOvPrimDataset : public TDataSet {
 public:
  explicit TOvPrimDataset(TComponentState state = {});
  ~TOvPrimDataset() override;

  // 0: nothing. 1401 to 1403: Exception "Dataset error: <code>". 1404: "Missing DbfFilename
  // property". Other codes: "Dataset error: " + GetErrorText(code).
  void RaiseDatasetError(int code);

  void SetRecNo(int recNo) override;
  bool BookmarkValid(const TBookmark& bookmark) override;
  int CompareBookmarks(const TBookmark& bookmark1, const TBookmark& bookmark2) override;
  bool GetCurrentRecord(TRecordBuffer buffer) override;
  bool GetFieldData(const TField& field, TFieldValue& value) override;
  void SetFieldData(TField& field, const TFieldValue& value) override;
  bool IsSequenced() override { return !Filtered(); }
  bool Locate(const std::string& keyFields, const std::vector<TFieldValue>& keyValues,
              platform::db::TLocateOptions options) override;
  std::optional<std::vector<TFieldValue>> Lookup(const std::string& keyFields,
                                                 const std::vector<TFieldValue>& keyValues,
                                                 const std::string& resultFields) override;

 protected:
  virtual std::string GetErrorText(int code);
  virtual bool IsEmptyDbf() { return IsEmpty(); }

  // ---- The primitives

  virtual int OviSetToBegin() = 0;
  virtual int OviSetToEnd() = 0;
  virtual int OviOpen() = 0;
  virtual int OviClose() = 0;
  virtual int OviGetRecordCount() = 0;  // the count itself
  virtual int OviForceReread() = 0;
  virtual int OviAppendRecord(TRecordBuffer buffer) = 0;
  virtual int OviInsertRecord(TRecordBuffer buffer) = 0;
  virtual int OviDeleteRecord() = 0;
  virtual int OviInitRecord(TRecordBuffer buffer) = 0;
  virtual int OviPostRecord(TRecordBuffer buffer) = 0;
  virtual int OviGetRecordSize() = 0;  // the size itself
  virtual int OviGetCursorKind() = 0;  // the kind itself
  virtual int OviGetRecord(TRecordBuffer buffer, std::int32_t& recNo) = 0;
  virtual int OviGetNextRecord(TRecordBuffer buffer, std::int32_t& recNo) = 0;
  virtual int OviGetPriorRecord(TRecordBuffer buffer, std::int32_t& recNo) = 0;
  // data null: only isBlank is wanted.
  virtual int OviGetFieldData(const TField& field, TRecordBuffer buffer, bool& isBlank, TFieldValue* data) = 0;
  virtual int OviSetFieldData(const TField& field, TRecordBuffer buffer, const TFieldValue& data) = 0;
  virtual int OviGoToRecNo(std::int32_t recNo) = 0;
  // 0 when a record was found, 1401 when none.
  virtual int OviLocateRecord(const std::string& fields, const std::vector<TFieldValue>& values, bool move,
                              platform::db::TLocateOptions options) = 0;
  virtual int OviGetBookmarkSize() = 0;  // the size itself
  virtual int OviGoToBookmark(const std::uint8_t* bookmark) = 0;
  virtual int OviSetToBookmark(std::uint8_t* bookmark) = 0;
  virtual int OviCompareBookmarks(const std::uint8_t* bookmark1, const std::uint8_t* bookmark2, int& result) = 0;

  // ---- Slots of the abstract dataset

  void ClearCalcFields(TRecordBuffer buffer) override;
  void CloseCursor() override;
  void DoOnNewRecord() override;
  bool FindRecord(bool restart, bool goForward) override;
  int GetRecordCount() override { return OviGetRecordCount(); }
  int GetRecNo() override;
  void InternalEdit() override;
  void InternalInsert() override { SaveActiveBuffer(); }
  void InternalRefresh() override { RaiseDatasetError(OviForceReread()); }
  void OpenCursor() override;
  TRecordBuffer AllocRecordBuffer() override;
  void FreeRecordBuffer(TRecordBuffer& buffer) override;
  void GetBookmarkData(TRecordBuffer buffer, std::uint8_t* data) override;
  void SetBookmarkData(TRecordBuffer buffer, const std::uint8_t* data) override;
  platform::db::TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
  void SetBookmarkFlag(TRecordBuffer buffer, platform::db::TBookmarkFlag flag) override;
  int GetRecordSize() override { return static_cast<int>(recordDataSize_); }
  void InternalAddRecord(TRecordBuffer buffer, bool append) override;
  void InternalDelete() override { RaiseDatasetError(OviDeleteRecord()); }
  void InternalFirst() override { RaiseDatasetError(OviSetToBegin()); }
  void InternalLast() override { RaiseDatasetError(OviSetToEnd()); }
  void InternalGotoBookmark(const std::uint8_t* bookmark) override;
  void InternalInitRecord(TRecordBuffer buffer) override;
  void InternalPost() override;
  void InternalSetToRecord(TRecordBuffer buffer) override;
  platform::db::TGetResult GetRecord(TRecordBuffer buffer, platform::db::TGetMode mode, bool doCheck) override;
  void InternalClose() override;
  void InternalHandleException() override;
  void InternalOpen() override;
  bool IsCursorOpen() override { return cursorOpen_; }

  // ---- For descendants

  // The size of a whole record buffer.
  std::size_t RecordBufferSize() const { return bufferSize_; }
  // The record number in a buffer's info block.
  std::int32_t BufferRecNo(TRecordBuffer buffer) const;
  // The active buffer as it was when the edit or insert began; false when none was saved.
  bool RestoreActiveBuffer();

 private:
  void InitRecordLayout();
  void SaveActiveBuffer();
  // A buffer for reading a record aside, freed when the cursor closes.
  TRecordBuffer ScratchBuffer();
  // The buffer whose fields are read and written now: the calculation's, the active one, or
  // none in an empty dataset.
  TRecordBuffer FieldBuffer() const;

  std::size_t recordDataSize_ = 0;
  std::size_t calcOffset_ = 0;
  std::size_t infoOffset_ = 0;
  std::size_t bookmarkOffset_ = 0;
  std::size_t bufferSize_ = 0;
  bool cursorOpen_ = false;
  std::vector<std::uint8_t> savedBuffer_;  // empty when no edit saved one
  std::vector<TRecordBuffer> pendingBuffers_;
};

enum TOvTableLanguage { tlOem, tlAnsi };

// Closes every open dataset, so that their work areas are closed before the engine's; the
// library's Done runs it first.
void OvPrimDsDone();

class TOvDataSet : public TOvPrimDataset {
 public:
  explicit TOvDataSet(TComponentState state = {});
  ~TOvDataSet() override;

  const std::string& DbfFileName() const { return dbfFileName_; }
  // Lines "<name>,<type>,<length>,<decimals>" that describe the table (ucommon.h).
  std::vector<std::string>& DbfFields() { return dbfFields_; }
  TOvTableLanguage TableLanguage() const { return tableLanguage_; }
  void SetTableLanguage(TOvTableLanguage language) { tableLanguage_ = language; }
  bool HideDeletedRecs() const { return hideDeletedRecs_; }
  bool ShowProgress() const { return showProgress_; }
  void SetShowProgress(bool show) { showProgress_ = show; }
  void Post() override;

  TDataSetNotifyEvent BeforeRestore, AfterRestore;

 protected:
  // ---- New slots

  // Makes the dataset's work area current and starts the operation with no library error:
  // false, with 1103 "Database is not open [<name>.<operation>]" and Application.Terminate,
  // when the dataset has none. The caller then leaves the table alone.
  virtual bool SelectWorkArea(const std::string& operation);
  virtual void DoBeforeRestore();
  virtual void DoAfterRestore();
  // Reads the record the dataset shows again from the table.
  virtual void RefreshActiveRecord();
  // Memo fields as their block numbers (integer fields) instead of memo fields.
  virtual bool MemoAsNumber() { return false; }
  virtual void ClearInternalEvents() {}
  // Opens the table in the current work area (Use); false when it could not.
  virtual bool s_OpenTable(const std::string& name) = 0;
  // The typed record appended, the current record deleted, recalled or replaced, each under
  // its lock; false when nothing was written.
  virtual bool s_AppendWithLock() = 0;
  virtual bool s_DeleteWithLock() = 0;
  virtual bool s_RestoreWithLock() = 0;
  virtual bool s_ReplaceWithLock() = 0;
  // False while only the table's structure was read (a designer).
  virtual bool IsTableUsable() { return !designState_; }

  // ---- Overrides

  platform::db::TFieldClass GetFieldClass(platform::db::TFieldType fieldType) override;
  void InternalCancel() override { RestoreActiveBuffer(); }
  platform::db::TGetResult GetRecord(TRecordBuffer buffer, platform::db::TGetMode mode, bool doCheck) override;
  void InternalInitFieldDefs() override;
  std::string GetErrorText(int code) override;
  bool IsEmptyDbf() override;

  int OviSetToBegin() override;
  int OviSetToEnd() override;
  int OviOpen() override;
  int OviClose() override;
  int OviGetRecordCount() override;
  int OviForceReread() override;
  int OviAppendRecord(TRecordBuffer buffer) override;
  int OviInsertRecord(TRecordBuffer buffer) override { return OviAppendRecord(buffer); }
  int OviDeleteRecord() override;
  int OviInitRecord(TRecordBuffer buffer) override;
  int OviPostRecord(TRecordBuffer buffer) override;
  int OviGetRecordSize() override;
  int OviGetCursorKind() override { return 2; }
  int OviGetRecord(TRecordBuffer buffer, std::int32_t& recNo) override;
  int OviGetNextRecord(TRecordBuffer buffer, std::int32_t& recNo) override;
  int OviGetPriorRecord(TRecordBuffer buffer, std::int32_t& recNo) override;
  int OviGetFieldData(const TField& field, TRecordBuffer buffer, bool& isBlank, TFieldValue* data) override;
  int OviSetFieldData(const TField& field, TRecordBuffer buffer, const TFieldValue& data) override;
  int OviGoToRecNo(std::int32_t recNo) override;
  int OviLocateRecord(const std::string& fields, const std::vector<TFieldValue>& values, bool move,
                      platform::db::TLocateOptions options) override;
  int OviGetBookmarkSize() override { return 4; }
  int OviGoToBookmark(const std::uint8_t* bookmark) override;
  int OviSetToBookmark(std::uint8_t* bookmark) override;
  int OviCompareBookmarks(const std::uint8_t* bookmark1, const std::uint8_t* bookmark2, int& result) override;

  // ---- For descendants

  // The dataset's work area, 0 while it has none.
  std::uint8_t AreaNumber() const { return areaNumber_; }
  bool DesignState() const { return designState_; }
  const TDbfFieldProps* FieldProps() const { return fieldProps_.get(); }
  void SetCracks(bool bof, bool eof) {
    bofCrack_ = bof;
    eofCrack_ = eof;
  }
  // The typed record -> a buffer's record data, and a buffer's record data -> the typed
  // record: every field (field -1) or field n only, the deleted flag always.
  void ReadRecordToBuffer(TRecordBuffer buffer);
  void WriteBufferToRecord(TRecordBuffer buffer, int field);
  // Opens the table in the dataset's work area (or, in a designer, reads its structure).
  bool OpenTableArea(const std::string& name);
  // Goes to record n when it exists, else to the end; the result of the move.
  int SafeGo(std::int32_t n);

  // The DbfFileName and HideDeletedRecs properties; their setters (uovcds.h) decide when.
  std::string dbfFileName_;
  bool hideDeletedRecs_ = false;

 private:
  friend void OvPrimDsDone();

  // A primitive's result: the library's error code when the last library call failed.
  static int LibraryResult(int result);
  // The result of a write or open that did not happen: the library's pending error, or 1401.
  static int FailureResult();
  // Reads the record the table stands on into a buffer, with its number.
  int RecordRead(TRecordBuffer buffer, std::int32_t& recNo);
  // The designer's check: DbfFields refilled from the open table, each field corrected.
  void CheckFieldDefinitions();
  void ComputeRecordLayout();
  TFieldValue GetFieldValue(int n, TRecordBuffer buffer) const;
  void SetFieldValue(int n, TRecordBuffer buffer, const TFieldValue& data);

  std::uint8_t areaNumber_ = 0;
  bool designState_;
  bool bofCrack_ = false;
  bool eofCrack_ = false;
  std::size_t recordSize_ = 0;  // 0 until computed for the open table
  std::unique_ptr<TDbfFieldProps> fieldProps_;
  std::vector<std::size_t> fieldOffsets_;
  std::vector<std::string> dbfFields_;
  TOvTableLanguage tableLanguage_ = tlOem;
  bool showProgress_ = true;
};

}  // namespace xbase
