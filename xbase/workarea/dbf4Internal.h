#pragma once
// Pieces shared by the files of the work-area engine; not for callers.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "xbase/workarea/dbf4.h"

namespace xbase::dbf4 {

// The current area's record after CheckAreaOpen(routine), or null when no table is open.
WorkAreaRecord* OpenArea(std::string_view routine);

// The current area's record without any check; null when closed.
WorkAreaRecord* CurrentRecord();

// The current area has a controlling index order.
bool IndexActive();

// IndexHookTable.ReadSemaphore (or LockSemaphore) on for the scope of a move (or write) of an
// indexed area, and off again on every way out. When it does not open (another program holds
// the index past the time-outs: the error is stored), Held is false and the caller stops
// without moving or writing anything.
class IndexBracket {
 public:
  enum Kind { Read, Lock };
  IndexBracket(Kind kind, bool indexed);
  ~IndexBracket();
  IndexBracket(const IndexBracket&) = delete;
  IndexBracket& operator=(const IndexBracket&) = delete;

  bool Held() const { return held_; }

 private:
  const std::function<bool(bool)>* semaphore_ = nullptr;
  bool held_ = true;
};

// Runs an index hook, when the index engine filled its slot.
inline void IndexCall(const std::function<void()>& slot) {
  if (slot) slot();
}

// Restores the current area number when it ends.
class KeepCurrentArea {
 public:
  KeepCurrentArea() : saved_(CurrentWorkArea) {}
  ~KeepCurrentArea() { CurrentWorkArea = saved_; }
  KeepCurrentArea(const KeepCurrentArea&) = delete;
  KeepCurrentArea& operator=(const KeepCurrentArea&) = delete;

 private:
  std::uint8_t saved_;
};

// Takes the area's after-move callback away for a scope and gives it back.
class SuspendMoveCallback {
 public:
  explicit SuspendMoveCallback(WorkAreaRecord& area)
      : area_(area), saved_(std::move(area.MoveCallback)) {
    area.MoveCallback = nullptr;
  }
  ~SuspendMoveCallback() { area_.MoveCallback = std::move(saved_); }
  SuspendMoveCallback(const SuspendMoveCallback&) = delete;
  SuspendMoveCallback& operator=(const SuspendMoveCallback&) = delete;

 private:
  WorkAreaRecord& area_;
  std::function<void()> saved_;
};

// Reads record n into the record buffer and, when that worked, into the typed record.
void ReadRecord(WorkAreaRecord& area, std::uint32_t n);

// The record in the buffers is visible: not hidden by SET DELETED, and passing the filter.
bool EvalFilter(WorkAreaRecord& area);
// The record in the buffers is inside the WHILE scope.
bool EvalWhile(WorkAreaRecord& area);

// The EOF position: RecNo past the last record, EOF set, a blank record in the buffers.
void PhantomRecord(WorkAreaRecord& area);

// Runs the area's after-move callback, if any (see dbf4Navigation.cpp).
void RunMoveCallback(WorkAreaRecord& area);

// Records may be rewritten: opened exclusively, LockFileAll, or the current record locked.
bool MayWrite(const WorkAreaRecord& area);

// A shared table whose locks reach the file.
bool LocksReachFile(const WorkAreaRecord& area);

// The read cache after a write of the record buffer as record RecNo.
void UpdatePeekCache(WorkAreaRecord& area);
// Drops the read cache when it holds the table of this alias.
void DropPeekCacheOf(const std::string& alias);

// The typed record as a span.
std::span<std::uint8_t> TypedRecord(WorkAreaRecord& area);

// Puts the unit's globals of each concern back to their start-up values.
void ResetNavigation();
void ResetLocate();
void ResetLocks();
void ResetPeekCache();

}  // namespace xbase::dbf4
