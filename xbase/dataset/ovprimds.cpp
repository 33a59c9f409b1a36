// TOvPrimDataset: the abstract dataset's slots turned into primitive operations.

#include "xbase/dataset/ovprimds.h"

#include <cmath>
#include <cstring>

#include "platform/db/Application.h"
#include "platform/db/DbErrors.h"
#include "xbase/dbf/TypedSlots.h"

namespace xbase {

using platform::db::TBookmarkFlag;
using platform::db::TGetMode;
using platform::db::TGetResult;

namespace {

template <class T>
T ValueOr(const TFieldValue& value, T otherwise) {
  const T* held = std::get_if<T>(&value);
  return held != nullptr ? *held : otherwise;
}

// A calculated field's value in its slot of the calculated-field area (after the has-value
// byte): text NUL-padded to the field's size, numbers and dates little-endian.
void StoreCalcValue(const TField& field, const TFieldValue& value, std::uint8_t* data) {
  std::memset(data, 0, static_cast<std::size_t>(field.DataSize()));
  switch (field.DataType()) {
    case platform::db::ftString: {
      const std::string text = ValueOr<std::string>(value, {});
      std::memcpy(data, text.data(), std::min<std::size_t>(text.size(), static_cast<std::size_t>(field.Size())));
      break;
    }
    case platform::db::ftInteger: PutSlotInt32(data, ValueOr<std::int32_t>(value, 0)); break;
    case platform::db::ftFloat: PutSlotDouble(data, ValueOr<double>(value, 0)); break;
    case platform::db::ftBoolean: data[0] = ValueOr<bool>(value, false); break;
    case platform::db::ftDate: PutSlotDouble(data, ValueOr<platform::db::TDateTime>(value, {}).Days); break;
    default: break;
  }
}

TFieldValue LoadCalcValue(const TField& field, const std::uint8_t* data) {
  switch (field.DataType()) {
    case platform::db::ftString:
      return std::string(reinterpret_cast<const char*>(data),
                         strnlen(reinterpret_cast<const char*>(data), static_cast<std::size_t>(field.Size())));
    case platform::db::ftInteger: return GetSlotInt32(data);
    case platform::db::ftFloat: return GetSlotDouble(data);
    case platform::db::ftBoolean: return data[0] != 0;
    case platform::db::ftDate: return platform::db::TDateTime{GetSlotDouble(data)};
    default: return std::monostate{};
  }
}

std::vector<std::string> SplitFieldNames(const std::string& names) {
  std::vector<std::string> list;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = names.find(';', start);
    list.push_back(names.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) return list;
    start = end + 1;
  }
}

}  // namespace

TOvPrimDataset::TOvPrimDataset(TComponentState state) : TDataSet(state) {}

TOvPrimDataset::~TOvPrimDataset() {
  for (TRecordBuffer& buffer : pendingBuffers_) delete[] buffer;
}

void TOvPrimDataset::RaiseDatasetError(int code) {
  if (code == 0) return;
  if (code >= DatasetFailure && code <= DatasetAtEnd)
    throw platform::db::Exception("Dataset error: " + std::to_string(code));
  if (code == DatasetNoFileName) throw platform::db::Exception("Missing DbfFilename property");
  throw platform::db::Exception("Dataset error: " + GetErrorText(code));
}

std::string TOvPrimDataset::GetErrorText(int code) { return std::to_string(code); }

// ---- Buffers

void TOvPrimDataset::InitRecordLayout() {
  calcOffset_ = recordDataSize_;
  infoOffset_ = calcOffset_ + static_cast<std::size_t>(CalcFieldsSize()) + 4 * static_cast<std::size_t>(BlobFieldCount());
  bookmarkOffset_ = infoOffset_ + 5;
  bufferSize_ = bookmarkOffset_ + static_cast<std::size_t>(BookmarkSize());
}

TRecordBuffer TOvPrimDataset::AllocRecordBuffer() { return new std::uint8_t[bufferSize_](); }

void TOvPrimDataset::FreeRecordBuffer(TRecordBuffer& buffer) {
  delete[] buffer;
  buffer = nullptr;
}

TRecordBuffer TOvPrimDataset::ScratchBuffer() {
  if (pendingBuffers_.empty()) pendingBuffers_.push_back(AllocRecordBuffer());
  return pendingBuffers_.front();
}

TRecordBuffer TOvPrimDataset::FieldBuffer() const {
  if (State() == platform::db::dsCalcFields) return CalcBuffer();
  if (IsEmpty() && State() == platform::db::dsBrowse) return nullptr;
  return ActiveBuffer();
}

void TOvPrimDataset::SaveActiveBuffer() { savedBuffer_.assign(ActiveBuffer(), ActiveBuffer() + bufferSize_); }

bool TOvPrimDataset::RestoreActiveBuffer() {
  if (savedBuffer_.empty() || ActiveBuffer() == nullptr) return false;
  std::memcpy(ActiveBuffer(), savedBuffer_.data(), bufferSize_);
  savedBuffer_.clear();
  return true;
}

std::int32_t TOvPrimDataset::BufferRecNo(TRecordBuffer buffer) const { return GetSlotInt32(buffer + infoOffset_); }

void TOvPrimDataset::GetBookmarkData(TRecordBuffer buffer, std::uint8_t* data) {
  std::memcpy(data, buffer + bookmarkOffset_, static_cast<std::size_t>(BookmarkSize()));
}

void TOvPrimDataset::SetBookmarkData(TRecordBuffer buffer, const std::uint8_t* data) {
  std::memcpy(buffer + bookmarkOffset_, data, static_cast<std::size_t>(BookmarkSize()));
}

TBookmarkFlag TOvPrimDataset::GetBookmarkFlag(TRecordBuffer buffer) {
  return static_cast<TBookmarkFlag>(buffer[infoOffset_ + 4]);
}

void TOvPrimDataset::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) { buffer[infoOffset_ + 4] = flag; }

void TOvPrimDataset::ClearCalcFields(TRecordBuffer buffer) {
  std::memset(buffer + calcOffset_, 0, static_cast<std::size_t>(CalcFieldsSize()));
}

// ---- Opening and closing

void TOvPrimDataset::OpenCursor() {
  RaiseDatasetError(OviOpen());
  cursorOpen_ = true;
  TDataSet::OpenCursor();
}

void TOvPrimDataset::InternalOpen() {
  recordDataSize_ = static_cast<std::size_t>(OviGetRecordSize());
  SetBookmarkSize(OviGetBookmarkSize());
  OviGetCursorKind();
  InternalInitFieldDefs();
  if (DefaultFields()) CreateFields();
  BindFields(true);
  InitRecordLayout();
  RaiseDatasetError(OviSetToBegin());
}

void TOvPrimDataset::InternalClose() {
  BindFields(false);
  if (DefaultFields()) DestroyFields();
}

void TOvPrimDataset::CloseCursor() {
  TDataSet::CloseCursor();
  for (TRecordBuffer& buffer : pendingBuffers_) FreeRecordBuffer(buffer);
  pendingBuffers_.clear();
  savedBuffer_.clear();
  OviClose();
  cursorOpen_ = false;
}

void TOvPrimDataset::InternalHandleException() { platform::db::Application.HandleException(); }

// ---- Records

TGetResult TOvPrimDataset::GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) {
  std::int32_t recNo = 0;
  int code = 0;
  switch (mode) {
    case platform::db::gmCurrent: code = OviGetRecord(buffer, recNo); break;
    case platform::db::gmNext: code = OviGetNextRecord(buffer, recNo); break;
    case platform::db::gmPrior: code = OviGetPriorRecord(buffer, recNo); break;
  }
  switch (code) {
    case 0:
      PutSlotInt32(buffer + infoOffset_, recNo);
      SetBookmarkFlag(buffer, platform::db::bfCurrent);
      GetCalcFields(buffer);
      RaiseDatasetError(OviSetToBookmark(buffer + bookmarkOffset_));
      return platform::db::grOK;
    case DatasetAtBeginning: return platform::db::grBOF;
    case DatasetAtEnd: return platform::db::grEOF;
    default:
      if (doCheck) RaiseDatasetError(code);
      return platform::db::grError;
  }
}

int TOvPrimDataset::GetRecNo() {
  const TRecordBuffer buffer = State() == platform::db::dsCalcFields ? CalcBuffer() : ActiveBuffer();
  return buffer == nullptr ? -1 : BufferRecNo(buffer);
}

bool TOvPrimDataset::GetCurrentRecord(TRecordBuffer buffer) {
  if (IsEmpty() || GetBookmarkFlag(ActiveBuffer()) != platform::db::bfCurrent) return false;
  UpdateCursorPos();
  std::int32_t recNo = 0;
  return OviGetRecord(buffer, recNo) == 0;
}

void TOvPrimDataset::InternalEdit() {
  std::int32_t recNo = 0;
  RaiseDatasetError(OviGetRecord(ActiveBuffer(), recNo));
  SaveActiveBuffer();
}

void TOvPrimDataset::InternalPost() {
  RaiseDatasetError(State() == platform::db::dsEdit ? OviPostRecord(ActiveBuffer()) : OviInsertRecord(ActiveBuffer()));
  savedBuffer_.clear();
}

void TOvPrimDataset::InternalAddRecord(TRecordBuffer buffer, bool append) {
  RaiseDatasetError(append ? OviAppendRecord(buffer) : OviInsertRecord(buffer));
}

void TOvPrimDataset::InternalInitRecord(TRecordBuffer buffer) {
  std::memset(buffer, 0, bufferSize_);
  RaiseDatasetError(OviInitRecord(buffer));
}

void TOvPrimDataset::DoOnNewRecord() {
  if (GetRecordCount() < 1) ClearBuffers();
  TDataSet::DoOnNewRecord();
}

// ---- Fields

bool TOvPrimDataset::GetFieldData(const TField& field, TFieldValue& value) {
  const TRecordBuffer buffer = FieldBuffer();
  if (buffer == nullptr) return false;
  if (field.FieldKind() == platform::db::fkData) {
    bool isBlank = false;
    RaiseDatasetError(OviGetFieldData(field, buffer, isBlank, &value));
    return !isBlank;
  }
  const std::uint8_t* slot = buffer + calcOffset_ + static_cast<std::size_t>(field.Offset());
  if (slot[0] == 0) return false;
  value = LoadCalcValue(field, slot + 1);
  return true;
}

void TOvPrimDataset::SetFieldData(TField& field, const TFieldValue& value) {
  using namespace platform::db;
  const TDataSetState state = State();
  if (state != dsEdit && state != dsInsert && state != dsSetKey && state != dsCalcFields)
    DatabaseError("Dataset '" + Name() + "' is not in edit or insert mode");
  if (field.ReadOnly() && state != dsSetKey && state != dsCalcFields)
    DatabaseError("Field '" + field.FieldName() + "' cannot be modified");
  field.Validate(value);
  const TRecordBuffer buffer = FieldBuffer();
  if (field.FieldKind() == fkData) {
    RaiseDatasetError(OviSetFieldData(field, buffer, value));
  } else {
    std::uint8_t* slot = buffer + calcOffset_ + static_cast<std::size_t>(field.Offset());
    slot[0] = !std::holds_alternative<std::monostate>(value);
    StoreCalcValue(field, value, slot + 1);
  }
  if (state != dsCalcFields) DataEvent(deFieldChange, &field);
}

// ---- Positioning

void TOvPrimDataset::InternalGotoBookmark(const std::uint8_t* bookmark) {
  RaiseDatasetError(OviGoToBookmark(bookmark));
}

void TOvPrimDataset::InternalSetToRecord(TRecordBuffer buffer) { InternalGotoBookmark(buffer + bookmarkOffset_); }

void TOvPrimDataset::SetRecNo(int recNo) {
  CheckBrowseMode();
  if (recNo == RecNo()) return;
  DoBeforeScroll();
  RaiseDatasetError(OviGoToRecNo(recNo));
  Resync(platform::db::rmCenter);
  DoAfterScroll();
}

bool TOvPrimDataset::FindRecord(bool restart, bool goForward) {
  CheckBrowseMode();
  DoBeforeScroll();
  SetFound(false);
  UpdateCursorPos();
  CursorPosChanged();
  if (restart) RaiseDatasetError(goForward ? OviSetToBegin() : OviSetToEnd());
  std::int32_t recNo = 0;
  const int code = goForward ? OviGetNextRecord(TempBuffer(), recNo) : OviGetPriorRecord(TempBuffer(), recNo);
  if (code == DatasetAtBeginning || code == DatasetAtEnd) return false;
  RaiseDatasetError(code);
  Resync(platform::db::rmExact | platform::db::rmCenter);
  SetFound(true);
  DoAfterScroll();
  return true;
}

bool TOvPrimDataset::Locate(const std::string& keyFields, const std::vector<TFieldValue>& keyValues,
                            platform::db::TLocateOptions options) {
  CheckBrowseMode();
  DoBeforeScroll();
  UpdateCursorPos();
  const int code = OviLocateRecord(keyFields, keyValues, true, options);
  if (code != 0) {
    CursorPosChanged();
    if (code != DatasetFailure) RaiseDatasetError(code);
    return false;
  }
  Resync(platform::db::rmExact | platform::db::rmCenter);
  DoAfterScroll();
  return true;
}

std::optional<std::vector<TFieldValue>> TOvPrimDataset::Lookup(const std::string& keyFields,
                                                               const std::vector<TFieldValue>& keyValues,
                                                               const std::string& resultFields) {
  CheckBrowseMode();
  UpdateCursorPos();
  const int code = OviLocateRecord(keyFields, keyValues, true, 0);
  if (code != 0) {
    CursorPosChanged();
    if (code != DatasetFailure) RaiseDatasetError(code);
    return std::nullopt;
  }
  // The found record is read aside and its fields taken from there; then the table goes back
  // to the record the dataset shows.
  struct BackToShownRecord {
    TOvPrimDataset& dataSet;
    ~BackToShownRecord() {
      dataSet.CursorPosChanged();
      try {
        dataSet.UpdateCursorPos();
      } catch (...) {
        // The next operation seats the cursor again.
      }
    }
  } back{*this};
  const TRecordBuffer found = ScratchBuffer();
  std::int32_t recNo = 0;
  RaiseDatasetError(OviGetRecord(found, recNo));
  GetCalcFields(found);
  std::vector<TFieldValue> values;
  const platform::db::TDataSetState saved = SetTempState(platform::db::dsCalcFields);
  struct Restore {
    TOvPrimDataset& dataSet;
    platform::db::TDataSetState state;
    ~Restore() { dataSet.RestoreState(state); }
  } restore{*this, saved};
  SetCalcBuffer(found);
  for (const std::string& name : SplitFieldNames(resultFields)) values.push_back(FieldByName(name).Value());
  return values;
}

// ---- Bookmarks

bool TOvPrimDataset::BookmarkValid(const TBookmark& bookmark) {
  if (!cursorOpen_ || bookmark.size() < static_cast<std::size_t>(BookmarkSize())) return false;
  std::int32_t recNo = 0;
  const bool valid = OviGoToBookmark(bookmark.data()) == 0 && OviGetRecord(ScratchBuffer(), recNo) == 0;
  CursorPosChanged();
  return valid;
}

int TOvPrimDataset::CompareBookmarks(const TBookmark& bookmark1, const TBookmark& bookmark2) {
  if (bookmark1.empty() && bookmark2.empty()) return 0;
  if (bookmark1.empty()) return 1;
  if (bookmark2.empty()) return -1;
  if (!cursorOpen_) return 0;
  int result = 0;
  RaiseDatasetError(OviCompareBookmarks(bookmark1.data(), bookmark2.data(), result));
  return result;
}

}  // namespace xbase
