// Writing the current area's table under the lock rules: Append, Replace, DeleteRec, RecallRec.

#include <algorithm>

#include "xbase/core/ovutils.h"
#include "xbase/dbf/ovdbflow.h"
#include "xbase/workarea/dbf4.h"
#include "xbase/workarea/dbf4Internal.h"

namespace xbase {

bool IndexOnReplace = true;

namespace dbf4 {

bool MayWrite(const WorkAreaRecord& area) {
  if (area.ExclusiveFlag || area.LockState == LockFileAll) return true;
  return std::find(area.RecordLockList.begin(), area.RecordLockList.end(), area.RecNo) !=
         area.RecordLockList.end();
}

}  // namespace dbf4

namespace {

// Marks or unmarks the current record as deleted in memory and on disk.
void WriteFlag(WorkAreaRecord& area, bool deleted) {
  if (area.TypedBuffer != nullptr) area.TypedBuffer[0] = deleted ? 1 : 0;
  area.RecordBuffer[0] = deleted ? '*' : ' ';
  WriteDeletedFlag(area, area.RecNo);
  if (ErrorCode == 0) dbf4::UpdatePeekCache(area);
}

}  // namespace

void Append() {
  WorkAreaRecord* area = dbf4::OpenArea("Append");
  if (area == nullptr) return;
  ErrorCode = 0;
  if (!area->ExclusiveFlag && NetworkLocking && area->LockState != LockFileAll &&
      area->LockState != LockAppend) {
    SetError(5, "File must be locked to append: " + area->FileName + " [APPEND]");
    return;
  }
  GatherCurrent();
  const bool indexed = dbf4::IndexActive();
  {
    dbf4::IndexBracket bracket(dbf4::IndexBracket::Lock, indexed);
    // Without the index's lock nothing is written: other programs would hand out the same nodes.
    if (!bracket.Held()) return;
    // A shared table's record count is refreshed from the file size, which the append reads.
    AppendDbfRecord(*area, !area->ExclusiveFlag);
    if (ErrorCode == 0) {
      ScatterCurrent();
      if (indexed) dbf4::IndexCall(IndexHookTable.AppendKeys);
    }
  }
  area->BofFlag = area->EofFlag = false;
  dbf4::RunMoveCallback(*area);
}

void Replace() {
  WorkAreaRecord* area = dbf4::OpenArea("Replace");
  if (area == nullptr) return;
  ErrorCode = 0;
  if (area->RecNo == 0) {
    SetError(212, "Database \"" + area->FileName + "\" is empty. [REPLACE]");
    return;
  }
  // Another program may have cut the file below the record: a write past its end would leave
  // blank records in the gap.
  RefreshRecCount(*area);
  if (area->RecNo > area->RecordCount) {
    SetError(212, "Database \"" + area->FileName + "\" is at EOF. [REPLACE]");
    return;
  }
  if (!dbf4::MayWrite(*area)) {
    SetError(1200, "Record #" + std::to_string(area->RecNo) + " in " + area->FileName + " [REPLACE]");
    return;
  }
  const bool indexProtocol = IndexOnReplace && dbf4::IndexActive();
  if (indexProtocol && area->SwapBuffer.empty()) {
    SetError(254, area->FileName + " Swap-buffer NIL. [REPLACE]");
    return;
  }
  const auto typed = dbf4::TypedRecord(*area);
  {
    dbf4::IndexBracket bracket(dbf4::IndexBracket::Lock, indexProtocol);
    if (!bracket.Held()) return;
    if (indexProtocol) {
      // The orders are seated on the stored (old) keys before the new values are written. The
      // caller's new values wait in the swap buffer and come back on every way out.
      std::copy(typed.begin(), typed.end(), area->SwapBuffer.begin());
      struct RestoreNewValues {
        WorkAreaRecord& area;
        std::span<std::uint8_t> typed;
        ~RestoreNewValues() {
          std::copy_n(area.SwapBuffer.begin(), typed.size(), typed.begin());
        }
      } restore{*area, typed};
      dbf4::ReadRecord(*area, area->RecNo);
      if (ErrorCode != 0) return;
      // An order that lacks the stored key (212) cannot be kept in step: nothing is written.
      dbf4::IndexCall(IndexHookTable.SyncAllOrders);
      if (ErrorCode != 0) return;
    }
    GatherCurrent();
    PutDbfRecord(*area, area->RecNo);
    IdleProc();
    if (ErrorCode == 0) {
      ScatterCurrent();
      dbf4::UpdatePeekCache(*area);
      if (indexProtocol) dbf4::IndexCall(IndexHookTable.UpdateKeys);
    }
  }
  dbf4::RunMoveCallback(*area);
}

void DeleteRec() {
  WorkAreaRecord* area = dbf4::OpenArea("DeleteRec");
  if (area == nullptr) return;
  ErrorCode = 0;
  if (!dbf4::MayWrite(*area)) {
    SetError(1200, area->FileName + " Record not locked [DeleteRec]");
    return;
  }
  if (area->RecNo > 0 && area->RecNo <= area->RecordCount) WriteFlag(*area, true);
}

void RecallRec() {
  WorkAreaRecord* area = dbf4::OpenArea("RecallRec");
  if (area == nullptr) return;
  ErrorCode = 0;
  if (!dbf4::MayWrite(*area)) {
    SetError(1200, "Record not locked [RecallRec]");
    return;
  }
  RefreshRecCount(*area);
  if (area->RecNo > 0 && area->RecNo <= area->RecordCount)
    WriteFlag(*area, false);
  else
    SetError(1103, area->FileName + " at EOF [RecallRec]");
}

}  // namespace xbase
