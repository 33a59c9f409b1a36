// Moving the current record: first, last, by n, to a record number; visibility (SET DELETED
// and the filter), the WHILE scope and the after-move callback. An indexed area moves in its
// controlling order through IndexHookTable; others by record number.

#include <utility>

#include "xbase/core/ovutils.h"
#include "xbase/dbf/ovdbflow.h"
#include "xbase/workarea/dbf4.h"
#include "xbase/workarea/dbf4Internal.h"

namespace xbase {

std::function<RecordNumber(std::int32_t n)> SkipHook;

namespace dbf4 {

bool IndexActive() {
  return IndexingEnabled && IndexHookTable.IsActive && IndexHookTable.IsActive();
}

IndexBracket::IndexBracket(Kind kind, bool indexed) {
  const auto& slot = kind == Read ? IndexHookTable.ReadSemaphore : IndexHookTable.LockSemaphore;
  if (!indexed || !slot) return;
  held_ = slot(true);
  if (held_) semaphore_ = &slot;
}

IndexBracket::~IndexBracket() {
  if (semaphore_ != nullptr && *semaphore_) (*semaphore_)(false);
}

void ReadRecord(WorkAreaRecord& area, std::uint32_t n) {
  GetDbfRecord(area, n);
  IdleProc();
  if (ErrorCode == 0) ScatterRecord(area, TypedRecord(area));
}

namespace {

// The answer of a compiled logical expression, a 32-bit integer (non-zero is true).
bool Evaluates(CompiledExpr* expression) {
  if (!ExprHookTable.Evaluate) return true;
  const void* result = ExprHookTable.Evaluate(expression);
  return result == nullptr || *static_cast<const std::int32_t*>(result) != 0;
}

}  // namespace

bool EvalFilter(WorkAreaRecord& area) {
  if (area.IgnoreDeleted && !area.RecordBuffer.empty() && area.RecordBuffer[0] == '*')
    return false;
  KeepCurrentArea keep;
  if (area.FilterCallback) return area.FilterCallback();
  if (area.FilterExpr != nullptr) return Evaluates(area.FilterExpr);
  return true;
}

bool EvalWhile(WorkAreaRecord& area) {
  KeepCurrentArea keep;
  bool inScope = true;
  if (area.WhileCallback) inScope = area.WhileCallback();
  if (area.WhileExpr != nullptr) inScope = Evaluates(area.WhileExpr);
  return inScope;
}

void PhantomRecord(WorkAreaRecord& area) {
  area.RecNo = area.RecordCount + 1;
  area.EofFlag = true;
  std::fill(area.RecordBuffer.begin(), area.RecordBuffer.end(), ' ');
  ScatterRecord(area, TypedRecord(area));
}

// The callback may move other areas (it is how the index engine positions related tables);
// it runs once, never recursively, and must leave its own area where it was: a move of it is
// reported as 224.
void RunMoveCallback(WorkAreaRecord& area) {
  if (!area.MoveCallback) return;
  const RecordNumber recNo = area.RecNo;
  {
    std::uint8_t* found =
        IndexingEnabled && IndexHookTable.FoundFlag ? IndexHookTable.FoundFlag() : nullptr;
    struct Restore {
      WorkAreaRecord& area;
      std::function<void()> callback;
      std::uint8_t* found;
      std::uint8_t foundValue;
      KeepCurrentArea keepArea;
      ~Restore() {
        if (found != nullptr) *found = foundValue;
        area.MoveCallback = std::move(callback);
      }
    } restore{area, std::move(area.MoveCallback), found, found != nullptr ? *found : std::uint8_t{0}, {}};
    area.MoveCallback = nullptr;
    restore.callback();
  }
  if (ErrorCode == 0 && area.RecNo != recNo) ErrorCode = 224;
  if (ErrorCode != 0) SetError(ErrorCode, area.FileName);
}

void ResetNavigation() { SkipHook = nullptr; }

}  // namespace dbf4

using dbf4::EvalFilter;
using dbf4::EvalWhile;
using dbf4::IndexBracket;
using dbf4::IndexCall;
using dbf4::PhantomRecord;
using dbf4::ReadRecord;
using dbf4::RunMoveCallback;

namespace {

bool Hidden(WorkAreaRecord& area) { return !EvalFilter(area); }

// The index order's answer, or the neutral one when its slot is empty.
RecordNumber IndexMove(const std::function<RecordNumber()>& slot, RecordNumber otherwise) {
  return slot ? slot() : otherwise;
}
bool IndexFlag(const std::function<bool()>& slot) { return slot && slot(); }

void SetAreaBof(WorkAreaRecord& area, bool indexed) {
  area.BofFlag = true;
  if (indexed) IndexCall(IndexHookTable.SetBof);
}

void SetAreaEof(WorkAreaRecord& area, bool indexed) {
  area.EofFlag = true;
  if (indexed) IndexCall(IndexHookTable.SetEof);
}

}  // namespace

void GoTop() {
  WorkAreaRecord* area = dbf4::OpenArea("GoTop");
  if (area == nullptr) return;
  ErrorCode = 0;
  if (area->RecordCount == 0) return;
  const bool indexed = dbf4::IndexActive();
  {
    IndexBracket bracket(IndexBracket::Read, indexed);
    if (!bracket.Held()) return;
    RecordNumber r = indexed ? IndexMove(IndexHookTable.FirstRec, 1) : 1;
    // A failed index step ends the walk with its error, where it stands.
    if (ErrorCode != 0) return;
    if (r == area->RecordCount + 1) {  // an empty order
      PhantomRecord(*area);
      area->BofFlag = true;
    } else {
      ReadRecord(*area, r);
      while (ErrorCode == 0 && !area->EofFlag && Hidden(*area)) {
        if (indexed) {
          r = IndexMove(IndexHookTable.NextRec, area->RecordCount + 1);
          if (ErrorCode != 0) return;
          if (IndexFlag(IndexHookTable.IsEof)) r = area->RecordCount + 1;
        } else {
          ++r;
        }
        if (r > area->RecordCount) {
          PhantomRecord(*area);
          if (indexed) IndexCall(IndexHookTable.SyncCurrent);
        } else {
          ReadRecord(*area, r);
        }
      }
      if (indexed) IndexCall(IndexHookTable.SyncAfterMove);
    }
  }
  RunMoveCallback(*area);
}

void GoBottom() {
  WorkAreaRecord* area = dbf4::OpenArea("GoBottom");
  if (area == nullptr) return;
  ErrorCode = 0;
  RefreshRecCount(*area);
  if (area->RecordCount == 0) return;
  const bool indexed = dbf4::IndexActive();
  {
    IndexBracket bracket(IndexBracket::Read, indexed);
    if (!bracket.Held()) return;
    RecordNumber r = indexed ? IndexMove(IndexHookTable.LastRec, area->RecordCount) : area->RecordCount;
    if (ErrorCode != 0) return;
    if (r == area->RecordCount + 1) {  // an empty order
      PhantomRecord(*area);
      area->BofFlag = true;
    } else {
      ReadRecord(*area, r);
      while (ErrorCode == 0 && !area->BofFlag && Hidden(*area)) {
        bool offTheFront;
        if (indexed) {
          r = IndexMove(IndexHookTable.PriorRec, 0);
          if (ErrorCode != 0) return;
          offTheFront = IndexFlag(IndexHookTable.IsBof);
        } else {
          offTheFront = r <= 1;
          --r;
        }
        if (offTheFront) {
          PhantomRecord(*area);
          area->BofFlag = true;
          if (indexed) {
            IndexCall(IndexHookTable.SyncCurrent);
            IndexCall(IndexHookTable.SetBof);
            IndexCall(IndexHookTable.SetEof);
          }
        } else {
          ReadRecord(*area, r);
        }
      }
      if (indexed) IndexCall(IndexHookTable.SyncAfterMove);
    }
  }
  RunMoveCallback(*area);
}

void Skip(std::int32_t n) {
  WorkAreaRecord* area = dbf4::OpenArea("SKIP()");
  if (area == nullptr) return;
  ErrorCode = 0;
  if (n == 0) {
    if (area->RecordCount > 0 && !area->EofFlag)
      ReadRecord(*area, area->RecNo);
    else
      ClearRecord();
    RunMoveCallback(*area);
    return;
  }
  if (area->EofFlag && n > 0) {
    SetError(212, "Database \"" + area->FileName + "\" is past EOF. [SKIP]");
    return;
  }
  if (area->RecordCount == 0) {
    area->BofFlag = area->EofFlag = true;
    SetError(212, "Database \"" + area->FileName + "\" is empty. [SKIP]");
    return;
  }
  if (area->BofFlag && n < 0) return;

  const bool indexed = dbf4::IndexActive();
  {
    IndexBracket bracket(IndexBracket::Read, indexed);
    if (!bracket.Held()) return;
    area->BofFlag = area->EofFlag = false;
    std::int32_t count = 0;
    bool edge = false;
    bool inScope = true;
    RecordNumber last = area->RecordCount + 1;  // the last visible record in scope, going back
    if (SkipHook) {
      ReadRecord(*area, SkipHook(n));
    } else {
      do {
        RecordNumber r;
        if (n > 0) {
          if (indexed) {
            r = IndexMove(IndexHookTable.NextRec, area->RecNo);
            if (ErrorCode != 0) break;
            edge = r == area->RecNo;
          } else {
            // Other programs only ever add records at the end: the file is asked only there.
            r = area->RecNo + 1;
            if (r > area->RecordCount) RefreshRecCount(*area);
          }
          if (r > area->RecordCount) {
            edge = true;
            r = area->RecordCount;
          }
          ReadRecord(*area, r);
          if (ErrorCode != 0) break;
          if (!Hidden(*area)) ++count;
        } else {
          if (!Hidden(*area) && inScope) last = area->RecNo;
          if (indexed) {
            r = IndexMove(IndexHookTable.PriorRec, area->RecNo);
            if (ErrorCode != 0) break;
            edge = r == area->RecNo;
          } else {
            edge = area->RecNo <= 1;
            r = edge ? 1 : area->RecNo - 1;
          }
          ReadRecord(*area, r);
          if (ErrorCode != 0) break;
          if (!Hidden(*area)) --count;
        }
        inScope = EvalWhile(*area);
      } while (count != n && !edge && inScope);
    }

    if (ErrorCode == 0 && edge) {
      if (n > 0) {
        PhantomRecord(*area);
        if (indexed) IndexCall(IndexHookTable.SyncCurrent);
      } else {
        GoTop();
        SetAreaBof(*area, indexed);
        if (area->EofFlag) ClearRecord();
      }
    } else if (ErrorCode == 0 && !inScope) {
      if (n > 0) {
        SetAreaEof(*area, indexed);
      } else if (last > area->RecordCount) {
        PhantomRecord(*area);
        area->EofFlag = false;
        area->BofFlag = true;
      } else {
        ReadRecord(*area, last);
        area->BofFlag = true;
        if (indexed) {
          IndexCall(IndexHookTable.SyncCurrent);
          IndexCall(IndexHookTable.SetBof);
        }
      }
    }
  }
  if (indexed) IndexCall(IndexHookTable.SyncAfterMove);
  RunMoveCallback(*area);
}

void Go(std::int32_t n) {
  WorkAreaRecord* area = dbf4::OpenArea("GO()");
  if (area == nullptr) return;
  ErrorCode = 0;
  if (n > 0 && static_cast<RecordNumber>(n) > area->RecordCount) RefreshRecCount(*area);
  const auto invalid = [&] {
    SetError(212, "Invalid record number = " + std::to_string(n) + " \nDatabase \"" +
                      area->FileName + "\" [GO]");
  };
  if (area->RecordCount == 0) {
    area->BofFlag = area->EofFlag = true;
    ClearRecord();
    invalid();
  } else if (n < 1 || static_cast<RecordNumber>(n) > area->RecordCount) {
    area->RecNo = area->RecordCount + 1;
    area->EofFlag = true;
    invalid();
  } else {
    area->BofFlag = area->EofFlag = false;
    const bool indexed = dbf4::IndexActive();
    IndexBracket bracket(IndexBracket::Read, indexed);
    if (!bracket.Held()) return;
    ReadRecord(*area, static_cast<RecordNumber>(n));
    if (indexed) {
      IndexCall(IndexHookTable.SyncCurrent);
      IndexCall(IndexHookTable.SyncAfterMove);
    }
  }
  RunMoveCallback(*area);
}

void Dbf4RawGo(std::uint32_t n) {
  if (WorkAreaRecord* area = dbf4::CurrentRecord()) ReadRecord(*area, n);
}

void GoAndSync(std::uint32_t n) {
  Dbf4RawGo(n);
  if (WorkAreaRecord* area = dbf4::CurrentRecord()) RunMoveCallback(*area);
}

bool GoIfValid(std::int32_t n) {
  if (n < 1 || static_cast<RecordNumber>(n) > RecCount()) return false;
  Go(n);
  return true;
}

bool dEOF() {
  WorkAreaRecord* area = dbf4::OpenArea("dEOF");
  if (area == nullptr) return true;
  if (area->RecNo > area->RecordCount) {
    // EOF is set only for a position past the records the file holds now; one set before stays
    // set, also when another program has appended records since.
    RefreshRecCount(*area);
    if (area->RecNo > area->RecordCount) area->EofFlag = true;
  }
  return dbf4::IndexActive() ? IndexFlag(IndexHookTable.IsEof) : area->EofFlag;
}

bool dBOF() {
  WorkAreaRecord* area = dbf4::OpenArea("dBOF");
  if (area == nullptr) return true;
  return dbf4::IndexActive() ? IndexFlag(IndexHookTable.IsBof) : area->BofFlag;
}

std::uint32_t RecCount() {
  WorkAreaRecord* area = dbf4::OpenArea("RecCount");
  if (area == nullptr) return 0;
  RefreshRecCount(*area);
  return area->RecordCount;
}

std::uint32_t RecNo() {
  const WorkAreaRecord* area = dbf4::OpenArea("RecNo");
  return area != nullptr ? area->RecNo : 0;
}

std::uint16_t RecSize() {
  const WorkAreaRecord* area = dbf4::OpenArea("RecSize");
  return area != nullptr ? area->RecordLength : 0;
}

bool SetIgnoreDel(bool on) {
  WorkAreaRecord* area = dbf4::OpenArea("SetIgnoreDel");
  if (area == nullptr) return false;
  const bool old = area->IgnoreDeleted;
  area->IgnoreDeleted = on;
  Skip(0);
  return old;
}

bool IsWhileOn() {
  const WorkAreaRecord* area = dbf4::OpenArea("IsWhileOn");
  return area != nullptr && (area->WhileCallback || area->WhileExpr != nullptr);
}

void FirstInScope() {
  WorkAreaRecord* area = dbf4::CurrentRecord();
  if (area == nullptr || area->RecordCount == 0) return;
  if (!IsWhileOn()) {
    GoTop();
    return;
  }
  dbf4::SuspendMoveCallback suspended(*area);
  while (!dBOF() && ErrorCode == 0) Skip(-1);
  Skip(0);
}

void LastInScope() {
  WorkAreaRecord* area = dbf4::CurrentRecord();
  if (area == nullptr || area->RecordCount == 0) return;
  if (!IsWhileOn()) {
    GoBottom();
    return;
  }
  dbf4::SuspendMoveCallback suspended(*area);
  while (!dEOF() && ErrorCode == 0) Skip(1);
  Skip(-1);
}

bool RereadCurrent() {
  WorkAreaRecord* area = dbf4::CurrentRecord();
  if (area == nullptr) return false;
  if (EvalWhile(*area) && EvalFilter(*area)) return false;
  Unlock();
  const RecordNumber remembered = area->RecNo;
  dbf4::SuspendMoveCallback suspended(*area);
  Skip(1);
  if (area->EofFlag) {
    GoIfValid(static_cast<std::int32_t>(remembered));
    Skip(-1);
  }
  return true;
}

std::function<void()> SetMoveCallback(std::function<void()> callback) {
  WorkAreaRecord* area = dbf4::CurrentRecord();
  if (area == nullptr) return nullptr;
  std::function<void()> previous = std::exchange(area->MoveCallback, std::move(callback));
  RunMoveCallback(*area);
  return previous;
}

}  // namespace xbase
