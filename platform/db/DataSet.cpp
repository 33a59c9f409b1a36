// Opening and closing, the record buffers and the cursor bookkeeping, navigation, bookmarks
// and fields of the abstract dataset. The edit cycle is in DataSetEditing.cpp.

#include "platform/db/DataSet.h"

#include <algorithm>

#include "platform/db/DbErrors.h"
#include "platform/db/FieldClasses.h"
#include "platform/db/Stream.h"

namespace platform::db {

TDataSet::TDataSet(TComponentState state) : componentState_(state) {}

TDataSet::~TDataSet() = default;

void TDataSet::Loaded() {
  componentState_.Loading = false;
  try {
    if (streamedActive_) SetActive(true);
  } catch (...) {
    if (!componentState_.Designing) throw;
    InternalHandleException();
  }
}

void TDataSet::SetActive(bool active) {
  if (componentState_.Loading) {
    streamedActive_ = active;
    return;
  }
  if (active == Active()) return;
  if (active)
    OpenDataSet();
  else
    CloseDataSet();
}

void TDataSet::OpenDataSet() {
  Fire(BeforeOpen);
  try {
    OpenCursor();
  } catch (...) {
    SetState(dsInactive);
    try {
      CloseCursor();
    } catch (...) {
      // The error of the open is the one to report.
    }
    throw;
  }
  SetState(dsBrowse);
  Fire(AfterOpen);
  if (!IsEmpty()) DoAfterScroll();
}

void TDataSet::CloseDataSet() {
  Fire(BeforeClose);
  SetState(dsInactive);
  CloseCursor();
  Fire(AfterClose);
}

void TDataSet::CloseNoThrow() noexcept {
  try {
    if (Active()) {
      SetState(dsInactive);
      CloseCursor();
    }
  } catch (...) {
    // A destructor cannot report it.
  }
}

void TDataSet::OpenCursor() {
  defaultFields_ = fields_.Count() == 0;
  InternalOpen();
  AllocateBuffers();
  ClearBuffers();
  GetNextRecord();
  bof_ = true;
}

void TDataSet::CloseCursor() {
  FreeBuffers();
  InternalClose();
}

void TDataSet::AllocateBuffers() {
  FreeBuffers();
  for (int i = 0; i <= kBufferCount; ++i) buffers_.push_back(AllocRecordBuffer());
}

void TDataSet::FreeBuffers() {
  ClearBuffers();
  for (TRecordBuffer& buffer : buffers_) FreeRecordBuffer(buffer);
  buffers_.clear();
  calcBuffer_ = nullptr;
}

void TDataSet::CheckActive() const {
  if (!Active()) DatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckCanModify() {
  if (!CanModify()) DatabaseError("Cannot modify a read-only dataset");
}

void TDataSet::SetState(TDataSetState state) {
  if (state_ == state) return;
  state_ = state;
  modified_ = false;
  DataEvent(deUpdateState);
}

TDataSetState TDataSet::SetTempState(TDataSetState state) {
  const TDataSetState old = state_;
  state_ = state;
  return old;
}

void TDataSet::DataEvent(TDataEvent event, const TField* field) {
  if (event != deFieldChange || field == nullptr || field->FieldKind() != fkData) return;
  if (autoCalcFields_ && state_ != dsSetKey) GetCalcFields(ActiveBuffer());
  modified_ = true;
}

// ---- Buffers and the cursor

void TDataSet::ClearBuffers() {
  recordCount_ = 0;
  activeRecord_ = 0;
  currentRecord_ = -1;
  bof_ = eof_ = true;
}

void TDataSet::ActivateBuffers() {
  recordCount_ = 1;
  activeRecord_ = 0;
  currentRecord_ = 0;
  bof_ = eof_ = false;
}

void TDataSet::MoveBuffer(int from, int to) {
  if (from == to) return;
  const auto first = buffers_.begin();
  if (from < to)
    std::rotate(first + from, first + from + 1, first + to + 1);
  else
    std::rotate(first + to, first + from, first + from + 1);
  if (currentRecord_ == from)
    currentRecord_ = to;
  else if (from < to && currentRecord_ > from && currentRecord_ <= to)
    --currentRecord_;
  else if (to < from && currentRecord_ >= to && currentRecord_ < from)
    ++currentRecord_;
}

void TDataSet::SetCurrentRecord(int index) {
  if (currentRecord_ == index) return;
  TRecordBuffer buffer = buffers_[index];
  switch (GetBookmarkFlag(buffer)) {
    case bfCurrent:
    case bfInserted:
      InternalSetToRecord(buffer);
      break;
    case bfBOF:
      InternalFirst();
      break;
    case bfEOF:
      InternalLast();
      break;
  }
  currentRecord_ = index;
}

void TDataSet::UpdateCursorPos() {
  if (recordCount_ > 0) SetCurrentRecord(activeRecord_);
}

bool TDataSet::GetNextRecord() {
  TGetMode mode = gmNext;
  if (recordCount_ > 0) {
    SetCurrentRecord(recordCount_ - 1);
    // Inserting before a record: the cursor stands on that record, which comes next.
    if (state_ == dsInsert && currentRecord_ == activeRecord_ &&
        GetBookmarkFlag(ActiveBuffer()) == bfCurrent)
      mode = gmCurrent;
  }
  if (GetRecord(buffers_[recordCount_], mode, true) != grOK) {
    CursorPosChanged();
    return false;
  }
  if (recordCount_ == 0) {
    ActivateBuffers();
  } else if (recordCount_ < kBufferCount) {
    ++recordCount_;
  } else {
    MoveBuffer(0, recordCount_);
  }
  currentRecord_ = recordCount_ - 1;
  return true;
}

bool TDataSet::GetPriorRecord() {
  if (recordCount_ > 0) SetCurrentRecord(0);
  if (GetRecord(buffers_[recordCount_], gmPrior, true) != grOK) {
    CursorPosChanged();
    return false;
  }
  if (recordCount_ == 0) {
    ActivateBuffers();
  } else {
    MoveBuffer(recordCount_, 0);
    if (recordCount_ < kBufferCount) {
      ++recordCount_;
      ++activeRecord_;
    }
  }
  currentRecord_ = 0;
  return true;
}

void TDataSet::Resync(TResyncMode mode) {
  CheckActive();
  if (mode & rmExact) {
    CursorPosChanged();
    if (GetRecord(buffers_[recordCount_], gmCurrent, true) != grOK) DatabaseError("Record not found");
  } else if (GetRecord(buffers_[recordCount_], gmCurrent, false) != grOK &&
             GetRecord(buffers_[recordCount_], gmNext, false) != grOK &&
             GetRecord(buffers_[recordCount_], gmPrior, false) != grOK) {
    ClearBuffers();
    DataEvent(deDataSetChange);
    return;
  }
  MoveBuffer(recordCount_, 0);
  ActivateBuffers();
  DataEvent(deDataSetChange);
}

// ---- Navigation

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  try {
    InternalFirst();
    GetNextRecord();
  } catch (...) {
    bof_ = true;
    throw;
  }
  bof_ = true;
  DataEvent(deDataSetChange);
  DoAfterScroll();
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  try {
    InternalLast();
    GetPriorRecord();
  } catch (...) {
    eof_ = true;
    throw;
  }
  eof_ = true;
  DataEvent(deDataSetChange);
  DoAfterScroll();
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  int moved = 0;
  DoBeforeScroll();
  if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
    bof_ = eof_ = false;
    while (distance > 0) {
      if (!GetNextRecord()) {
        eof_ = true;
        break;
      }
      --distance;
      ++moved;
    }
    while (distance < 0) {
      if (!GetPriorRecord()) {
        bof_ = true;
        break;
      }
      ++distance;
      --moved;
    }
    DataEvent(deDataSetScroll);
    DoAfterScroll();
  }
  return moved;
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  UpdateCursorPos();
  InternalRefresh();
  Resync(0);
}

int TDataSet::RecordCount() {
  CheckActive();
  return GetRecordCount();
}

void TDataSet::SetRecNo(int) {}

bool TDataSet::Locate(const std::string&, const std::vector<TFieldValue>&, TLocateOptions) {
  DatabaseError("Locate is not supported by dataset '" + name_ + "'");
}

std::optional<std::vector<TFieldValue>> TDataSet::Lookup(const std::string&, const std::vector<TFieldValue>&,
                                                         const std::string&) {
  DatabaseError("Lookup is not supported by dataset '" + name_ + "'");
}

// ---- Bookmarks

TBookmark TDataSet::GetBookmark() {
  if (!Active() || IsEmpty() || GetBookmarkFlag(ActiveBuffer()) != bfCurrent) return {};
  TBookmark bookmark(static_cast<std::size_t>(bookmarkSize_));
  GetBookmarkData(ActiveBuffer(), bookmark.data());
  return bookmark;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  if (bookmark.empty()) return;
  CheckBrowseMode();
  DoBeforeScroll();
  InternalGotoBookmark(bookmark.data());
  Resync(rmExact | rmCenter);
  DoAfterScroll();
}

bool TDataSet::BookmarkValid(const TBookmark&) { return false; }

int TDataSet::CompareBookmarks(const TBookmark&, const TBookmark&) { return 0; }

bool TDataSet::GetCurrentRecord(TRecordBuffer) { return false; }

// ---- Fields

TFieldClass TDataSet::GetFieldClass(TFieldType fieldType) {
  switch (fieldType) {
    case ftString: return NewField<TStringField>;
    case ftInteger: return NewField<TIntegerField>;
    case ftFloat: return NewField<TFloatField>;
    case ftDate: return NewField<TDateField>;
    case ftBoolean: return NewField<TBooleanField>;
    case ftBlob: return NewField<TBlobField>;
    case ftMemo: return NewField<TMemoField>;
    case ftUnknown: break;
  }
  DatabaseError("Field type of no field class");
}

void TDataSet::CreateFields() {
  for (const TFieldDef& def : fieldDefs_) {
    std::unique_ptr<TField> field = GetFieldClass(def.DataType)();
    field->SetFieldName(def.Name);
    field->SetSize(def.Size);
    fields_.Add(std::move(field));
  }
}

void TDataSet::BindFields(bool binding) {
  calcFieldsSize_ = 0;
  blobFieldCount_ = 0;
  for (int i = 0; i < fields_.Count(); ++i) {
    TField& field = fields_[i];
    field.fieldNo_ = 0;
    field.offset_ = 0;
    if (!binding) continue;
    if (field.FieldKind() == fkData) {
      const TFieldDef* def = fieldDefs_.Find(field.FieldName());
      if (def == nullptr) DatabaseError("Field '" + field.FieldName() + "' not found");
      field.fieldNo_ = def->FieldNo;
    } else {
      field.offset_ = calcFieldsSize_;
      calcFieldsSize_ += field.DataSize() + 1;
    }
    if (field.IsBlob()) ++blobFieldCount_;
  }
}

TField& TDataSet::FieldByName(std::string_view name) {
  TField* field = fields_.Find(name);
  if (field == nullptr) DatabaseError("Field '" + std::string(name) + "' not found");
  return *field;
}

std::unique_ptr<TStream> TDataSet::CreateBlobStream(const TField&, TBlobStreamMode) { return nullptr; }

void TDataSet::GetCalcFields(TRecordBuffer buffer) {
  if (calcFieldsSize_ == 0) return;
  const TDataSetState saved = SetTempState(dsCalcFields);
  struct Restore {
    TDataSet& dataSet;
    TDataSetState state;
    ~Restore() { dataSet.RestoreState(state); }
  } restore{*this, saved};
  CalculateFields(buffer);
}

void TDataSet::CalculateFields(TRecordBuffer buffer) {
  calcBuffer_ = buffer;
  ClearCalcFields(buffer);
  Fire(OnCalcFields);
}

}  // namespace platform::db
