// Multi-user locks: byte-range locks beyond the end of the data (layout in dbf4.h), the lock
// state of an area and its record-lock list, the retry policy, and the record count of shared
// tables from the file size.

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/os/ByteRangeLocks.h"
#include "platform/os/ErrnoCodes.h"
#include "platform/os/MessagePump.h"
#include "platform/os/ShareLock.h"
#include "xbase/core/ovutils.h"
#include "xbase/dbf/ovdbflow.h"
#include "xbase/workarea/dbf4.h"
#include "xbase/workarea/dbf4Internal.h"

namespace xbase {

std::uint8_t LockRetryCount = 0;
std::uint8_t LockRetryWait = 0;
std::function<bool()> LockRetryCallback;
std::uint16_t RecordLockLimit = 0;
bool ReopenedExclusive = false;

namespace dbf4 {

bool LocksReachFile(const WorkAreaRecord& area) { return NetworkLocking && !area.ExclusiveFlag; }

void ResetLocks() {
  LockRetryCount = 0;
  LockRetryWait = 0;
  LockRetryCallback = nullptr;
  RecordLockLimit = 0;
  ReopenedExclusive = false;
}

}  // namespace dbf4

namespace {

// Record locks stay below 4 GiB, where peers on every platform can reach them.
constexpr std::uint64_t kLockRangeEnd = 0x1'0000'0000;

std::uint64_t RecordLockOffset(const WorkAreaRecord& area, RecordNumber n) {
  return LockBase + RecordOffset(area, n);
}

// Releases a range when this area's open holds it in the file. Areas opened exclusively (or
// while they were) keep their locks in the lock list only: nothing to release for them.
std::uint32_t ReleaseHeld(const WorkAreaRecord& area, std::uint64_t offset, std::uint64_t length) {
  const int handle = area.DataFile.Descriptor();
  if (!platform::os::HoldsFileRange(handle, static_cast<std::int64_t>(offset),
                                    static_cast<std::int64_t>(length)))
    return 0;
  return LockRegion(true, handle, offset, length);
}

std::uint32_t ReleaseRecord(const WorkAreaRecord& area, RecordNumber n) {
  return ReleaseHeld(area, RecordLockOffset(area, n), area.RecordLength);
}

void NoteUnlockFailure(std::uint16_t code, const std::string& message) {
  // Stored only: a failed release is the caller's to inspect.
  ErrorCode = code;
  LastErrorMessage = message;
}

}  // namespace

std::uint32_t LockRegion(bool unlock, int handle, std::uint64_t offset, std::uint64_t length) {
  if (!NetworkLocking) return 0;
  const auto start = static_cast<std::int64_t>(offset);
  const auto count = static_cast<std::int64_t>(length);
  return unlock ? platform::os::UnlockFileRange(handle, start, count)
                : platform::os::LockFileRange(handle, start, count);
}

bool LockWithRetry(int handle, std::uint64_t offset, std::uint64_t length) {
  unsigned attempts = 0;
  for (;;) {
    IdleProc();
    if (LockRegion(false, handle, offset, length) == 0) return true;
    if (attempts < LockRetryCount) WaitSeconds(LockRetryWait);
    ++attempts;
    if (attempts > LockRetryCount && LockRetryCallback && LockRetryCallback()) attempts = 0;
    if (attempts > LockRetryCount) return false;
  }
}

void WaitSeconds(unsigned n) {
  using Clock = std::chrono::steady_clock;
  const auto until = Clock::now() + std::chrono::seconds(n);
  for (;;) {
    platform::os::ProcessMessages();
    if (platform::os::ApplicationTerminating()) return;
    const auto now = Clock::now();
    if (now >= until) return;
    std::this_thread::sleep_for(std::min<Clock::duration>(until - now, std::chrono::milliseconds(50)));
  }
}

bool FLock() {
  if (!NetworkLocking) return true;
  const WorkAreaRecord* area = dbf4::OpenArea("FLock");
  return area != nullptr && LockWithRetry(area->DataFile.Descriptor(), LockBase, 1);
}

void FUnlock() {
  const WorkAreaRecord* area = dbf4::OpenArea("FUnlock");
  if (area == nullptr) return;
  if (const std::uint32_t code = LockRegion(true, area->DataFile.Descriptor(), LockBase, 1))
    SetError(static_cast<std::uint16_t>(code), "Error attempting to UNLOCK file " + area->FileName +
                                                   " in Workarea " + std::to_string(CurrentWorkArea));
}

bool ALock() {
  WorkAreaRecord* area = dbf4::OpenArea("ALock");
  if (area == nullptr) return false;
  if (area->LockState == LockAppend) return true;
  if (area->LockState != LockNone) return false;
  if (dbf4::LocksReachFile(*area) && !LockWithRetry(area->DataFile.Descriptor(), LockBase + 1, 1))
    return false;
  area->LockState = LockAppend;
  return true;
}

bool RLock() {
  WorkAreaRecord* area = dbf4::OpenArea("RLock");
  if (area == nullptr) return false;
  if (RecordLockLimit != 0 && area->RecordLockCount() == RecordLockLimit) {
    SetError(212, "Orvel record lock limit exceeded [RLock]");
    return false;
  }
  const RecordNumber n = area->RecNo;
  if (area->LockState == LockRecords && IsLocked(n)) return true;
  if (area->LockState == LockAppend || area->LockState == LockFileAll) return false;
  // Only a record of the table can be locked: the range of "record 0" or of one past the end
  // would cover other records or the table and append bytes.
  RefreshRecCount(*area);
  if (n < 1 || n > area->RecordCount) return false;
  if (dbf4::LocksReachFile(*area)) {
    const std::uint64_t offset = RecordLockOffset(*area, n);
    if (offset + area->RecordLength > kLockRangeEnd) {
      SetError(212, "Record #" + std::to_string(n) + " in " + area->FileName +
                        " lies beyond the lock range [RLock]");
      return false;
    }
    if (!LockWithRetry(area->DataFile.Descriptor(), offset, area->RecordLength)) return false;
  }
  area->RecordLockList.push_front(n);
  area->LockState = LockRecords;
  return true;
}

bool IsLocked(RecordNumber n) {
  const WorkAreaRecord* area = dbf4::OpenArea("IsLocked");
  if (area == nullptr) return false;
  if (area->LockState == LockFileAll) return true;
  const auto& list = area->RecordLockList;
  return std::find(list.begin(), list.end(), n) != list.end();
}

bool UnlockRec(std::int64_t n) {
  WorkAreaRecord* area = dbf4::OpenArea("UnlockRec");
  if (area == nullptr) return false;
  ErrorCode = 0;
  auto& list = area->RecordLockList;
  bool released = true;
  bool removed = false;
  const auto release = [&](std::deque<RecordNumber>::iterator node) {
    if (const std::uint32_t code = ReleaseRecord(*area, *node)) {
      ErrorCode = static_cast<std::uint16_t>(code);
      released = false;
    }
    removed = true;
    return list.erase(node);
  };
  if (n > 0) {
    const auto node = std::find(list.begin(), list.end(), static_cast<RecordNumber>(n));
    if (node == list.end()) {
      NoteUnlockFailure(220, "Record not locked. [UnlockRec(" + std::to_string(n) + ")]");
      return false;
    }
    release(node);
  } else if (n == -1 || n == -2) {
    if (list.empty()) return false;
    release(n == -1 ? std::prev(list.end()) : list.begin());
  } else if (n == -3) {
    for (auto node = list.begin(); node != list.end();) node = release(node);
  } else {
    NoteUnlockFailure(220, "[UnlockRec(" + std::to_string(n) + ")]");
    return false;
  }
  // Only the record locks end here: the append lock stays with its state.
  if (removed && list.empty()) area->LockState = LockNone;
  return released;
}

void Unlock() {
  WorkAreaRecord* area = dbf4::OpenArea("Unlock");
  if (area == nullptr) return;
  ErrorCode = 0;
  switch (area->LockState) {
    case LockRecords:
      UnlockRec(-3);
      break;
    case LockAppend:
      ErrorCode = static_cast<std::uint16_t>(ReleaseHeld(*area, LockBase + 1, 1));
      break;
    case LockFileAll:
      ErrorCode = static_cast<std::uint16_t>(ReleaseHeld(*area, LockBase + 1, LockAllLength));
      break;
    case LockNone:
      break;
  }
  area->LockState = LockNone;
}

std::uint16_t ReopenDbf(bool exclusive) {
  WorkAreaRecord* area = dbf4::OpenArea("ReopenDbf");
  if (area == nullptr) return ErrorCode;
  if (area->ExclusiveFlag && !ReopenedExclusive) return 5;
  // The share lock changes on the same open, so the record locks stay held.
  const int error = platform::os::LockShareByte(
      area->DataFile.Descriptor(),
      exclusive ? platform::os::ShareMode::kExclusive : platform::os::ShareMode::kShared);
  ErrorCode = platform::os::DosErrorCode(error, platform::os::IoOperation::kShareLock);
  if (ErrorCode == 0) {
    ReopenedExclusive = area->ExclusiveFlag = exclusive;
    ChangeOpenMode(*area, exclusive ? OpenModeExclusive : SharedOpenMode);
    area->AppendEnd = 0;  // others may have written while it was shared
  }
  return ErrorCode;
}

void RefreshRecCount(WorkAreaRecord& area) {
  if (area.ExclusiveFlag || area.CountHeld) return;
  TakeCountFromFile(area, CountFromSize(area));
  // Within a reading under the index's read bracket the count is taken once.
  area.CountHeld = area.ReadingHeld;
}

}  // namespace xbase
