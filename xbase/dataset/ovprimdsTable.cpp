// TOvDataSet: the primitives on the dataset's work area, opening and closing it.

#include <algorithm>
#include <set>

#include "platform/db/Application.h"
#include "platform/db/DateTime.h"
#include "xbase/core/ovcommon.h"
#include "xbase/dataset/ovprimds.h"
#include "xbase/dbf/TypedSlots.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {

using platform::db::TGetMode;
using platform::db::TGetResult;

namespace {

// The datasets alive now, closed by OvPrimDsDone.
std::set<TOvDataSet*>& LiveDatasets() {
  static std::set<TOvDataSet*> datasets;
  return datasets;
}

// A value to search for, as the engine's Locate takes it.
FieldValue SearchValue(const TFieldValue& value) {
  return std::visit(
      [](const auto& v) -> FieldValue {
        using V = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<V, std::monostate>) return std::string();
        if constexpr (std::is_same_v<V, std::int32_t>) return std::int64_t{v};
        if constexpr (std::is_same_v<V, platform::db::TDateTime>) {
          CalendarDate date;
          platform::db::DecodeDate(v, date.year, date.month, date.day);
          return date;
        }
        if constexpr (std::is_same_v<V, std::string> || std::is_same_v<V, double> || std::is_same_v<V, bool>)
          return v;
      },
      value);
}

}  // namespace

TOvDataSet::TOvDataSet(TComponentState state) : TOvPrimDataset(state), designState_(state.Designing) {
  // In a designer library errors are exceptions, never the end of the program.
  if (designState_) SetRaiseErrors(true);
  LiveDatasets().insert(this);
}

TOvDataSet::~TOvDataSet() {
  CloseNoThrow();
  LiveDatasets().erase(this);
}

void OvPrimDsDone() {
  const std::set<TOvDataSet*> open = LiveDatasets();
  for (TOvDataSet* dataSet : open) dataSet->CloseNoThrow();
}

int TOvDataSet::LibraryResult(int result) { return ErrorCode != 0 ? ErrorCode : result; }

int TOvDataSet::FailureResult() {
  if (PendingError != 0) return PendingError;
  return ErrorCode != 0 ? ErrorCode : DatasetFailure;
}

std::string TOvDataSet::GetErrorText(int code) {
  const std::string text = PendingErrorText();
  return text.empty() ? ErrorText(static_cast<std::uint16_t>(code)) : text;
}

// ---- The work area

bool TOvDataSet::SelectWorkArea(const std::string& operation) {
  if (areaNumber_ == 0) {
    SetError(1103, OemToAnsiStr(TextDatabaseNotOpen) + " [" + Name() + "." + operation + "]");
    platform::db::Application.Terminate();
    return false;
  }
  if (CurrentArea() != areaNumber_) Select(areaNumber_);
  AnsiTables = tableLanguage_ == tlAnsi;
  ErrorCode = 0;
  return true;
}

bool TOvDataSet::OpenTableArea(const std::string& name) {
  const std::uint8_t previous = CurrentArea();
  Select(areaNumber_);
  if (ErrorCode != 0) {
    const std::uint16_t code = ErrorCode;
    Select(previous);
    ErrorCode = code;
    return false;
  }
  AnsiTables = tableLanguage_ == tlAnsi;
  if (!IsTableUsable()) {
    // A designer reads only the structure and keeps a copy of the typed record.
    Use(name, nullptr, 0);
    if (ErrorCode != 0) return false;
    CheckFieldDefinitions();
    fieldProps_ = BuildFieldProps(true);
    CloseArea();
    return true;
  }
  // What s_OpenTable opened belongs to nobody until the dataset keeps it: a failure, reported
  // or raised, closes it again.
  struct CloseUnlessKept {
    bool kept = false;
    ~CloseUnlessKept() {
      if (kept) return;
      const std::uint16_t code = ErrorCode;
      ImmediateErrorsScope quiet(false);
      CloseArea();
      ErrorCode = code;
    }
  } area;
  if (!s_OpenTable(name)) return false;
  SetIgnoreDel(hideDeletedRecs_);
  area.kept = true;
  areaNumber_ = CurrentArea();
  fieldProps_ = BuildFieldProps(false);
  return true;
}

void TOvDataSet::CheckFieldDefinitions() {
  dbfFields_.clear();
  const WorkAreaRecord* area = WorkArea(CurrentArea());
  for (FieldEntry entry : area->FieldTable) {
    CorrectFieldEntry(entry, Name());
    dbfFields_.push_back(entry.Name + ", " + std::string(1, entry.FieldType) + ", " +
                         std::to_string(entry.Length) + ", " + std::to_string(entry.Decimals));
  }
}

int TOvDataSet::OviOpen() {
  if (dbfFileName_.empty()) return DatasetNoFileName;
  recordSize_ = 0;
  if (OpenTableArea(dbfFileName_)) return 0;
  return FailureResult();
}

int TOvDataSet::OviClose() {
  if (areaNumber_ != 0 && SelectWorkArea("OviClose")) {
    if (IsTableUsable()) ClearInternalEvents();
    CloseArea();
  }
  areaNumber_ = 0;
  fieldProps_.reset();
  fieldOffsets_.clear();
  recordSize_ = 0;
  SetCracks(false, false);
  return 0;
}

bool TOvDataSet::IsEmptyDbf() {
  if (designState_ || !SelectWorkArea("IsEmptyDbf")) return false;
  return dBOF() && dEOF();
}

void TOvDataSet::Post() {
  const platform::db::TDataSetState state = State();
  if (state != platform::db::dsEdit && state != platform::db::dsInsert && state != platform::db::dsSetKey)
    return;
  TOvPrimDataset::Post();
  if (IsEmptyDbf()) Resync(0);
}

void TOvDataSet::DoBeforeRestore() {
  if (BeforeRestore) BeforeRestore(*this);
}

void TOvDataSet::DoAfterRestore() {
  if (AfterRestore) AfterRestore(*this);
}

void TOvDataSet::RefreshActiveRecord() {
  if (State() != platform::db::dsBrowse || IsEmpty()) return;
  UpdateCursorPos();
  Resync(platform::db::rmExact);
}

// ---- Moving

int TOvDataSet::OviSetToBegin() {
  SetCracks(true, false);
  if (!IsTableUsable()) return 0;
  if (!SelectWorkArea("OviSetToBegin")) return 1103;
  FirstInScope();
  return LibraryResult(0);
}

int TOvDataSet::OviSetToEnd() {
  SetCracks(false, true);
  if (!IsTableUsable()) return 0;
  if (!SelectWorkArea("OviSetToEnd")) return 1103;
  LastInScope();
  return LibraryResult(0);
}

int TOvDataSet::SafeGo(std::int32_t n) {
  if (!GoIfValid(n)) return OviSetToEnd();
  SetCracks(false, false);
  return LibraryResult(0);
}

int TOvDataSet::OviGoToRecNo(std::int32_t recNo) {
  if (!SelectWorkArea("OviGoToRecNo")) return 1103;
  return SafeGo(recNo);
}

int TOvDataSet::OviGoToBookmark(const std::uint8_t* bookmark) {
  if (!SelectWorkArea("OviGoToBookmark")) return 1103;
  return SafeGo(GetSlotInt32(bookmark));
}

int TOvDataSet::OviSetToBookmark(std::uint8_t* bookmark) {
  std::int32_t recNo = 1;
  if (IsTableUsable()) {
    if (!SelectWorkArea("OviSetToBookmark")) return 1103;
    recNo = static_cast<std::int32_t>(xbase::RecNo());
  }
  PutSlotInt32(bookmark, recNo);
  return 0;
}

int TOvDataSet::OviCompareBookmarks(const std::uint8_t* bookmark1, const std::uint8_t* bookmark2, int& result) {
  const std::int32_t first = GetSlotInt32(bookmark1);
  const std::int32_t second = GetSlotInt32(bookmark2);
  result = first < second ? -1 : first > second ? 1 : 0;
  return 0;
}

int TOvDataSet::OviForceReread() {
  if (!SelectWorkArea("OviForceReread")) return 1103;
  xbase::Skip(0);
  return LibraryResult(0);
}

int TOvDataSet::OviGetRecordCount() {
  if (!IsTableUsable()) return 1;
  if (!SelectWorkArea("OviGetRecordCount")) return 0;
  return static_cast<int>(RecCount());
}

int TOvDataSet::OviLocateRecord(const std::string& fields, const std::vector<TFieldValue>& values, bool move,
                                platform::db::TLocateOptions options) {
  if (!SelectWorkArea("OviLocateRecord")) return 1103;
  std::vector<FieldValue> searched;
  searched.reserve(values.size());
  for (const TFieldValue& value : values) searched.push_back(SearchValue(value));
  const bool found = ParseCondition(fields, searched, (options & platform::db::loCaseInsensitive) != 0, move,
                                    (options & platform::db::loPartialKey) == 0);
  if (ErrorCode != 0) return ErrorCode;
  if (!found) return DatasetFailure;
  if (move) SetCracks(false, false);
  return 0;
}

// ---- Reading records

// A record read after the table moved: into the buffer with its number.
int TOvDataSet::RecordRead(TRecordBuffer buffer, std::int32_t& recNo) {
  if (ErrorCode != 0) return ErrorCode;
  ReadRecordToBuffer(buffer);
  recNo = static_cast<std::int32_t>(xbase::RecNo());
  return 0;
}

int TOvDataSet::OviGetRecord(TRecordBuffer buffer, std::int32_t& recNo) {
  if (!IsTableUsable()) {
    ReadRecordToBuffer(buffer);
    recNo = 1;
    return 0;
  }
  if (!SelectWorkArea("OviGetRecord")) return 1103;
  if (bofCrack_) return DatasetAtBeginning;
  // At the end without a crack the table shows its blank phantom record: no record either.
  if (eofCrack_ || dEOF()) return DatasetAtEnd;
  xbase::Skip(0);
  return RecordRead(buffer, recNo);
}

int TOvDataSet::OviGetNextRecord(TRecordBuffer buffer, std::int32_t& recNo) {
  if (!SelectWorkArea("OviGetNextRecord")) return 1103;
  if (eofCrack_) return DatasetAtEnd;
  if (bofCrack_) {
    // Before the first record the table stands on it already.
    xbase::Skip(0);
    bofCrack_ = false;
  } else if (!dEOF()) {
    xbase::Skip(1);
  }
  if (ErrorCode != 0) return ErrorCode;
  if (dEOF()) {
    // The table goes back to the last record; the crack says the dataset is after it.
    if (!dBOF()) xbase::Skip(-1);
    eofCrack_ = true;
    return LibraryResult(DatasetAtEnd);
  }
  return RecordRead(buffer, recNo);
}

int TOvDataSet::OviGetPriorRecord(TRecordBuffer buffer, std::int32_t& recNo) {
  if (!SelectWorkArea("OviGetPriorRecord")) return 1103;
  if (bofCrack_) return DatasetAtBeginning;
  if (eofCrack_) {
    // After the last record the table stands on it already.
    xbase::Skip(0);
    eofCrack_ = false;
  } else if (!dBOF()) {
    xbase::Skip(-1);
  }
  if (ErrorCode != 0) return ErrorCode;
  if (dBOF()) {
    // A step back from the first record leaves the table on it.
    bofCrack_ = true;
    return DatasetAtBeginning;
  }
  return RecordRead(buffer, recNo);
}

platform::db::TGetResult TOvDataSet::GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) {
  // Only the structure was read: every fetch gives the record copied then.
  return TOvPrimDataset::GetRecord(buffer, IsTableUsable() ? mode : platform::db::gmCurrent, doCheck);
}

// ---- Writing records

int TOvDataSet::OviAppendRecord(TRecordBuffer buffer) {
  if (!SelectWorkArea("OviAppendRecord")) return 1103;
  buffer[0] = 0;
  WriteBufferToRecord(buffer, -1);
  const bool written = s_AppendWithLock();
  SetCracks(false, false);
  return written ? 0 : FailureResult();
}

int TOvDataSet::OviDeleteRecord() {
  if (!SelectWorkArea("OviDeleteRecord")) return 1103;
  if (!s_DeleteWithLock()) return FailureResult();
  if (IsEmptyDbf()) Resync(0);
  return 0;
}

int TOvDataSet::OviInitRecord(TRecordBuffer) {
  if (!SelectWorkArea("OviInitRecord")) return 1103;
  xbase::ClearRecord();
  return LibraryResult(0);
}

int TOvDataSet::OviPostRecord(TRecordBuffer buffer) {
  if (!SelectWorkArea("OviPostRecord")) return 1103;
  if (bofCrack_) return DatasetAtBeginning;
  if (eofCrack_) return DatasetAtEnd;
  WriteBufferToRecord(buffer, -1);
  return s_ReplaceWithLock() ? 0 : FailureResult();
}

}  // namespace xbase
