// Work areas: selection, opening (Use) and closing.

#include <algorithm>

#include "xbase/core/ovutils.h"
#include "xbase/dbf/ovdbflow.h"
#include "xbase/workarea/dbf4.h"
#include "xbase/workarea/dbf4Internal.h"

namespace xbase {

std::array<std::unique_ptr<WorkAreaRecord>, WorkAreaCount> WorkAreaTable;
std::uint16_t SharedOpenMode = OpenModeShared;
std::uint16_t OpenModeOverride = 65535;
bool AnsiTables = false;
RecordTransform PendingWriteTransform;
RecordTransform PendingReadTransform;

namespace {

bool dbf4Started = false;

constexpr std::size_t kMaxAliasLength = 64;

std::unique_ptr<WorkAreaRecord>* Slot(unsigned n) {
  return n >= 1 && n <= WorkAreaCount ? &WorkAreaTable[n - 1] : nullptr;
}

std::string UseTag(const std::string& name, const std::string& buffer, std::uint32_t size) {
  return "[USE(" + name + "," + buffer + "," + std::to_string(size) + ")]";
}

}  // namespace

WorkAreaRecord* WorkArea(unsigned n) {
  auto* slot = Slot(n);
  return slot != nullptr ? slot->get() : nullptr;
}

namespace dbf4 {

WorkAreaRecord* CurrentRecord() { return WorkArea(CurrentWorkArea); }

WorkAreaRecord* OpenArea(std::string_view routine) {
  return CheckAreaOpen(routine) ? nullptr : CurrentRecord();
}

std::span<std::uint8_t> TypedRecord(WorkAreaRecord& area) {
  return {area.TypedBuffer, area.TypedBufferSize};
}

}  // namespace dbf4

void Select(std::uint8_t n) {
  ErrorCode = 0;
  if (n > CallerWorkAreas) {
    SetError(220, "Invalid workarea selected = [Select(" + std::to_string(n) + ")]");
    return;
  }
  if (n == 0) {
    for (std::uint8_t free = 1; free <= CallerWorkAreas; ++free) {
      if (WorkArea(free) == nullptr) {
        CurrentWorkArea = free;
        return;
      }
    }
    SetError(220, "No free workarea available [Select(0)]");
    return;
  }
  CurrentWorkArea = n;
}

std::uint8_t CurrentArea() { return CurrentWorkArea; }

bool CheckAreaOpen(std::string_view routine) {
  if (dbf4::CurrentRecord() != nullptr) return false;
  SetError(215, "No database in use [" + std::string(routine) + "]  WorkArea = " +
                    std::to_string(CurrentWorkArea));
  return true;
}

std::string CurrentTableName() {
  const WorkAreaRecord* area = dbf4::CurrentRecord();
  return area != nullptr ? area->FileName : std::string();
}

std::string AliasOfCurrent() {
  const WorkAreaRecord* area = dbf4::CurrentRecord();
  return area != nullptr ? area->Alias : std::string();
}

void Use(const std::string& name, void* buffer, std::uint16_t size) {
  ErrorCode = 0;
  // Area 0 names no area: nothing may be opened "there".
  auto* slot = Slot(CurrentWorkArea);
  if (slot == nullptr) {
    SetError(215, "No database in use [USE]  WorkArea = " + std::to_string(CurrentWorkArea));
    return;
  }
  CloseArea();

  std::string text = AllTrim(name) + " ";
  std::string upper = UpperStr(text);
  if (upper.find("LINKED LIST") != std::string::npos ||
      upper.find("VIRTUAL FILE") != std::string::npos) {
    // No virtual-file manager exists.
    if (buffer == nullptr)
      SetError(220, "NIL buffer pointer [USE(" + name + ",Nil," + std::to_string(size) + ")]");
    else
      SetError(1101, UseTag(name, "<@Buffer>", size));
    return;
  }
  if ((buffer == nullptr) != (size == 0)) {
    SetError(220, "Buffer is NIL or size is zero, attempting to open " + name + " [USE]");
    return;
  }

  const bool exclusiveOption = CutOptionWord(text, " EXCLUSIVE");
  upper = UpperStr(text);
  std::string alias;
  if (const auto at = upper.find(" ALIAS "); at != std::string::npos) {
    const std::string after = AllTrim(std::string_view(upper).substr(at + 7));
    alias = after.substr(0, std::min(after.find(' '), kMaxAliasLength));
    text.erase(at);
  }
  const std::string fileName = FullPathName(AllTrim(text));
  if (alias.empty()) alias = UpperStr(BaseNameOf(fileName)).substr(0, kMaxAliasLength);

  bool exclusive = exclusiveOption || SharedOpenMode == OpenModeExclusive;
  std::uint16_t mode = exclusive ? OpenModeExclusive : SharedOpenMode;
  if (!NetworkLocking) {
    mode = OpenModeExclusive;
    exclusive = true;
  }
  if (OpenModeOverride < 65535) mode = OpenModeOverride & 0xFF;

  auto area = std::make_unique<WorkAreaRecord>();
  area->FileName = DefaultExtension(fileName, "DBF");
  area->OpenMode = mode;
  area->OemTranslate = !AnsiTables;
  area->WriteTransform = PendingWriteTransform;
  area->ReadTransform = PendingReadTransform;
  OpenDbf(*area);
  if (ErrorCode != 0) return;

  area->Alias = alias;
  area->ShortName = FileNameOf(area->FileName);
  area->ExclusiveFlag = exclusive;
  const std::string tableName = area->FileName;
  const std::uint32_t typedSize = TypedRecordSize(*area);
  *slot = std::move(area);
  WorkAreaRecord& opened = **slot;

  if (typedSize > 0xFFFF || (buffer != nullptr && size != typedSize)) {
    CloseArea();
    SetError(266, "Database record/buffer size mismatch: " + tableName + " [USE()]\n\rRecord Size=" +
                      std::to_string(typedSize) + ", Buffer Size=" + std::to_string(size));
    return;
  }
  if (buffer == nullptr) {
    opened.OwnTypedBuffer.assign(typedSize, 0);
    opened.OwnsTypedBuffer = true;
    buffer = opened.OwnTypedBuffer.data();
  }
  opened.TypedBuffer = static_cast<std::uint8_t*>(buffer);
  opened.TypedBufferSize = static_cast<std::uint16_t>(typedSize);

  for (std::uint8_t other = 1; other <= CallerWorkAreas; ++other) {
    const WorkAreaRecord* area2 = WorkArea(other);
    if (other != CurrentWorkArea && area2 != nullptr && area2->Alias == opened.Alias) {
      CloseArea();
      SetError(220, "Alias name \"" + alias + "\" already in use. [USE]");
      return;
    }
  }

  if (opened.RecordCount == 0) {
    std::fill_n(opened.TypedBuffer, opened.TypedBufferSize, 0);
    ClearRecord();
    opened.BofFlag = opened.EofFlag = true;
  } else {
    GoTop();
  }
  opened.SwapBuffer.assign(opened.TypedBufferSize, 0);

  if (opened.HasMemo && MemoHookTable.OpenMemo) {
    std::uint16_t code = 0;
    {
      // The memo store's own report is replaced by the one below.
      ImmediateErrorsScope quiet(false);
      MemoHookTable.OpenMemo(StripExtension(tableName));
      code = ErrorCode;
    }
    if (code != 0) {
      CloseArea();
      SetError(code, "Problem opening memo file " + UseTag(name, "<@Buffer>", size));
    }
  }
}

void UseWithMode(const std::string& name, void* buffer, std::uint16_t size,
                 RecordTransform writeTransform, RecordTransform readTransform) {
  PendingWriteTransform = std::move(writeTransform);
  PendingReadTransform = std::move(readTransform);
  struct ClearPending {
    ~ClearPending() {
      PendingWriteTransform = nullptr;
      PendingReadTransform = nullptr;
    }
  } clear;
  Use(name, buffer, size);
}

void CloseArea() {
  auto* slot = Slot(CurrentWorkArea);
  if (slot == nullptr || *slot == nullptr) return;
  WorkAreaRecord& area = **slot;
  // The slot is emptied on every way out, also when a step below reports an error.
  struct EmptySlot {
    std::unique_ptr<WorkAreaRecord>& slot;
    ~EmptySlot() { slot.reset(); }
  } emptySlot{*slot};

  // Every order goes, also when the controlling slot was closed before the others.
  if (IndexingEnabled && IndexHookTable.CloseAll) IndexHookTable.CloseAll();
  RefreshRecCount(area);
  Unlock();
  // No other program may append between the count read from the file and the header written
  // with it; one try, as for any lock. One that holds the append lock may be writing its record
  // where the end byte would go: the end byte is then left to it.
  if (dbf4::LocksReachFile(area) && !LockWithRetry(area.DataFile.Descriptor(), LockBase + 1, 1) &&
      area.State == AreaAppended)
    area.State = AreaChanged;
  area.SwapBuffer.clear();
  if (area.HasMemo && MemoHookTable.CloseMemo) MemoHookTable.CloseMemo();
  dbf4::DropPeekCacheOf(area.Alias);
  if (ExprHookTable.Free) {
    if (area.FilterExpr != nullptr) ExprHookTable.Free(area.FilterExpr);
    if (area.WhileExpr != nullptr) ExprHookTable.Free(area.WhileExpr);
  }
  CloseDbf(area);
}

void CloseAll() {
  ErrorCode = 0;
  for (std::uint8_t n = 1; n <= CallerWorkAreas; ++n) {
    CurrentWorkArea = n;
    CloseArea();
  }
  CurrentWorkArea = 1;
}

void Dbf4Init() {
  // Areas left open by an earlier run of the tests are dropped without writing anything.
  for (auto& slot : WorkAreaTable) slot.reset();
  SharedOpenMode = OpenModeShared;
  OpenModeOverride = 65535;
  AnsiTables = false;
  PendingWriteTransform = nullptr;
  PendingReadTransform = nullptr;
  MemoHookTable = {};
  IndexOnReplace = true;
  dbf4::ResetNavigation();
  dbf4::ResetLocate();
  dbf4::ResetLocks();
  dbf4::ResetPeekCache();
  FatalExit.CloseAllAreas = [] {
    for (std::uint8_t n = WorkAreaCount; n >= 1; --n) {
      CurrentWorkArea = n;
      CloseArea();
    }
  };
  dbf4Started = true;
}

void Dbf4Done() {
  if (!dbf4Started) return;
  for (std::uint8_t n : {std::uint8_t{34}, std::uint8_t{35}}) {
    CurrentWorkArea = n;
    CloseArea();
  }
  CloseAll();
  dbf4Started = false;
}

}  // namespace xbase
