// The semaphore protocol of shared index files (see ovndxSemaphore.h): log-in and log-out, the
// reader count, the writer's lock and the generation, and the nestable brackets.

#include "xbase/index/ovndxSemaphore.h"

#include <sys/mman.h>

#include <cerrno>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/os/ByteRangeLocks.h"
#include "platform/os/ErrnoCodes.h"
#include "platform/os/MessagePump.h"
#include "platform/os/ShareLock.h"
#include "xbase/core/ByteOrder.h"
#include "xbase/core/ovutils.h"
#include "xbase/dbf/ovdbflow.h"
#include "xbase/index/ovndxInternal.h"

namespace xbase {

std::uint16_t ReadTimeoutSeconds = 100;
std::string SemaphoreFolder;
std::uint16_t SemaphoreLockTries = 1001;
std::uint16_t TableLockTries = 1001;
std::uint16_t SemaphorePauseMs = 10;

std::uint16_t SemaphoreRecord::Generation() const { return GetLE16(Counters.data() + 2); }

SemaphoreRecord::~SemaphoreRecord() {
  if (Mapped != nullptr) munmap(Mapped, 4);
}

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int64_t kLockOffset = 1;
constexpr std::int64_t kLockLength = 4;
// A registered reader holds a read lock on the semaphore lock's bytes and the byte after them
// for as long as it is counted: writers, who take the semaphore lock to write, wait for it
// there, and the kernel drops it with a program that dies, so that a count no lock backs is
// told from a real one by the byte after (which writers never lock).
constexpr std::int64_t kReaderByte = kLockOffset + kLockLength;
constexpr std::int64_t kReaderLockLength = kLockLength + 1;
constexpr std::int8_t kMostReaders = 127;

std::string ActionName(std::uint8_t action) {
  static constexpr const char* kNames[] = {"LOGIN", "LOGOUT", "INCREAD", "DECREAD", "LOCKSEMAPHORE",
                                           "UNLOCKSEMAPHORE"};
  return action <= UNLOCKSEMAPHORE ? kNames[action] : std::to_string(action);
}

void Pause() {
  platform::os::ProcessMessages();
  std::this_thread::sleep_for(std::chrono::milliseconds(SemaphorePauseMs));
}

// A failure of the file itself: the text, the file and the action.
bool ReportFileError(std::uint16_t code, const char* what, const SemaphoreRecord& semaphore,
                     std::uint8_t action) {
  ReportIndexError(code, what + semaphore.FileName + " " + ActionName(action));
  return false;
}

// The counters are read and written through the mapping once there is one: readers register
// at every seek, and a read and a write of the file would cost more than the seek. Both answer
// 0 or the code of the failure and leave ErrorCode alone: they run when a bracket closes, after
// the operation has stored its result.
std::uint16_t ReadCounters(SemaphoreRecord& semaphore) {
  if (semaphore.Mapped != nullptr) {
    std::memcpy(semaphore.Counters.data(), semaphore.Mapped, 4);
    return 0;
  }
  const platform::os::Transfer read = semaphore.File.ReadAt(0, semaphore.Counters.data(), 4);
  return read.code != 0 ? read.code : read.count == 4 ? 0 : 100;
}

std::uint16_t WriteCounters(SemaphoreRecord& semaphore) {
  if (semaphore.Mapped != nullptr) {
    std::memcpy(semaphore.Mapped, semaphore.Counters.data(), 4);
    return 0;
  }
  const platform::os::Transfer written = semaphore.File.WriteAt(0, semaphore.Counters.data(), 4);
  return written.code != 0 ? written.code : written.count == 4 ? 0 : 101;
}

// Maps the counters of a file that holds them; 0 or the code of the failure. Nobody shortens
// a file that another program holds, so the mapping stays backed.
std::uint16_t MapCounters(SemaphoreRecord& semaphore) {
  std::uint64_t size = 0;
  if (const std::uint16_t code = semaphore.File.Size(size)) return code;
  if (size < 4) return 100;
  void* mapped = mmap(nullptr, 4, PROT_READ | PROT_WRITE, MAP_SHARED, semaphore.File.Descriptor(), 0);
  if (mapped == MAP_FAILED) return platform::os::DosErrorCode(errno);
  semaphore.Mapped = static_cast<std::uint8_t*>(mapped);
  return 0;
}

void UnmapCounters(SemaphoreRecord& semaphore) {
  if (semaphore.Mapped != nullptr) munmap(semaphore.Mapped, 4);
  semaphore.Mapped = nullptr;
}

void SetReaders(SemaphoreRecord& semaphore, int readers) {
  semaphore.Counters[1] = static_cast<std::uint8_t>(readers);
}

// A lock of the semaphore file, changed as POSIX changes one (a read lock this program holds
// becomes a write lock, and back); nothing without network locking.
std::uint16_t ChangeLock(const SemaphoreRecord& semaphore, platform::os::LockKind kind, std::int64_t offset,
                         std::int64_t length) {
  if (!NetworkLocking) return 0;
  return platform::os::ChangeFileLock(semaphore.File.Descriptor(), kind, offset, length);
}

// Another program holds a reader's lock, or the file at all. Without network locking nobody
// takes locks, and the counts are all there is.
bool OtherReaderLives(const SemaphoreRecord& semaphore) {
  return !NetworkLocking ||
         platform::os::ProbeFileRange(semaphore.File.Descriptor(), kReaderByte, 1).has_value();
}
bool OtherLoginLives(const SemaphoreRecord& semaphore) {
  return !NetworkLocking ||
         platform::os::ProbeFileRange(semaphore.File.Descriptor(), platform::os::kShareByteOffset, 1).has_value();
}

// The semaphore lock (write) or a reader's lock (read), SemaphoreLockTries tries.
bool TakeLock(SemaphoreRecord& semaphore, platform::os::LockKind kind, std::uint8_t action) {
  const std::int64_t length = kind == platform::os::LockKind::kWrite ? kLockLength : kReaderLockLength;
  std::uint16_t code = 0;
  for (unsigned attempt = 1;; ++attempt) {
    code = ChangeLock(semaphore, kind, kLockOffset, length);
    if (code == 0) return true;
    if (attempt >= SemaphoreLockTries) break;
    Pause();
  }
  ReportIndexError(1202, "10 second timeout: Cannot lock index semaphore file: " + semaphore.FileName + " " +
                             ActionName(action) + "\r\nPossible cause: Network lock limit exceeded\r\n" +
                             " Lock result code: " + std::to_string(code));
  return false;
}

bool LockSemaphore(SemaphoreRecord& semaphore, std::uint8_t action) {
  if (!TakeLock(semaphore, platform::os::LockKind::kWrite, action)) return false;
  semaphore.Locked = true;
  return true;
}

// A reader that takes the semaphore lock (to write) goes back to its reader's lock.
bool UnlockSemaphore(SemaphoreRecord& semaphore, std::uint8_t action) {
  if (!semaphore.Locked) return true;
  semaphore.Locked = false;
  const auto kind = semaphore.Reading ? platform::os::LockKind::kRead : platform::os::LockKind::kNone;
  if (const std::uint16_t code = ChangeLock(semaphore, kind, kLockOffset, kLockLength))
    return ReportFileError(code, "Cannot unlock index semaphore file: ", semaphore, action);
  return true;
}

// Reads the counters under the lock, which it keeps; false (the lock given up) on failure.
bool LockAndRead(SemaphoreRecord& semaphore, std::uint8_t action) {
  if (!LockSemaphore(semaphore, action)) return false;
  const std::uint16_t code = ReadCounters(semaphore);
  if (code == 0) return true;
  UnlockSemaphore(semaphore, action);
  return ReportFileError(code, "Cannot read: ", semaphore, action);
}

// Writes the counters and gives the lock up.
bool WriteAndUnlock(SemaphoreRecord& semaphore, std::uint8_t action) {
  const std::uint16_t code = WriteCounters(semaphore);
  const bool unlocked = UnlockSemaphore(semaphore, action);
  if (code != 0) return ReportFileError(code, "Cannot write to: ", semaphore, action);
  return unlocked;
}

// Dead programs are never waited for (see OtherReaderLives): only a live one keeps a writer out
// this long.
bool ReportReadTimeout(const SemaphoreRecord& semaphore) {
  ReportIndexError(1202, std::to_string(ReadTimeoutSeconds) + " second timeout, cannot read: " +
                             semaphore.FileName + "\r\nThe index is busy: another program is reading it.");
  return false;
}

bool TimedOut(Clock::time_point start) {
  return ReadTimeoutSeconds != 0 && Clock::now() - start > std::chrono::seconds(ReadTimeoutSeconds);
}

// A nesting count raised for a bracket that is opening, lowered again unless it opened: on a
// failure, reported or raised, no closing action will follow.
class OpeningNesting {
 public:
  explicit OpeningNesting(std::int32_t& nesting) : nesting_(nesting) { ++nesting_; }
  ~OpeningNesting() {
    if (!opened_) --nesting_;
  }
  OpeningNesting(const OpeningNesting&) = delete;
  OpeningNesting& operator=(const OpeningNesting&) = delete;
  bool Opened() {
    opened_ = true;
    return true;
  }

 private:
  std::int32_t& nesting_;
  bool opened_ = false;
};

// The table lock around log-in and log-out, unless the area holds it already.
class TableLock {
 public:
  explicit TableLock(const WorkAreaRecord& table) : fd_(table.DataFile.Descriptor()) {
    if (platform::os::HoldsFileRange(fd_, LockBase, 1)) return;
    for (unsigned attempt = 1;; ++attempt) {
      if (LockRegion(false, fd_, LockBase, 1) == 0) {
        taken_ = true;
        return;
      }
      if (attempt >= TableLockTries) return;
      Pause();
    }
  }
  ~TableLock() {
    if (taken_) LockRegion(true, fd_, LockBase, 1);
  }
  TableLock(const TableLock&) = delete;
  TableLock& operator=(const TableLock&) = delete;

  bool Held() const { return taken_ || platform::os::HoldsFileRange(fd_, LockBase, 1); }

 private:
  int fd_;
  bool taken_ = false;
};

bool ReportTableLockRefused(const std::string& file, std::uint8_t action) {
  ReportIndexError(1202, "Cannot lock database for: " + file + " Action=" + ActionName(action) +
                             " [Database Semaphore]");
  return false;
}

// A file nobody else holds starts afresh; one that others hold is joined. Either way the
// login is counted.
bool Login(SemaphoreRecord& semaphore) {
  using platform::os::FileAccess;
  using platform::os::ShareMode;
  const std::string& file = semaphore.FileName;
  const auto failed = [&](std::uint16_t code, const std::string& what) {
    ReportIndexError(code, what + file + " Action=LOGIN [Database Semaphore]");
    return false;
  };
  std::uint16_t code = semaphore.File.Open(file, FileAccess::kReadWrite, ShareMode::kExclusive);
  if (code == 0 || code == 2) {
    code = code == 2 ? semaphore.File.CreateNew(file) : semaphore.File.Truncate(0);
    if (code != 0) return failed(code, "Cannot open/create: ");
    semaphore.Counters = {};
    if (const std::uint16_t written = WriteCounters(semaphore)) return failed(written, "Cannot write to: ");
    if (const std::uint16_t mapped = MapCounters(semaphore)) return failed(mapped, "Cannot open: ");
    const int error = platform::os::LockShareByte(semaphore.File.Descriptor(), ShareMode::kShared);
    if (error != 0) return failed(platform::os::DosErrorCode(error, platform::os::IoOperation::kShareLock), "Cannot open: ");
    if (!LockSemaphore(semaphore, LOGIN)) return false;
  } else if (code == 3 || code == 5 || code == 32 || code == 150 || code == 162 || code == 163) {
    code = semaphore.File.Open(file, FileAccess::kReadWrite, ShareMode::kShared);
    if (code == 0) code = MapCounters(semaphore);
    if (code != 0) return ReportFileError(code, "Cannot open: ", semaphore, LOGIN);
    if (!LockAndRead(semaphore, LOGIN)) return false;
  } else {
    return ReportFileError(code, "Cannot open/create: ", semaphore, LOGIN);
  }
  ++semaphore.Counters[0];
  semaphore.LoginNumber = semaphore.Logins();
  if (!WriteAndUnlock(semaphore, LOGIN)) return false;
  semaphore.LastGeneration = semaphore.Generation();
  return true;
}

// The end of a write: the generation one up, the writer no longer counted.
bool EndWrite(SemaphoreRecord& semaphore, std::uint8_t action) {
  if (const std::uint16_t code = ReadCounters(semaphore)) {
    UnlockSemaphore(semaphore, action);
    return ReportFileError(code, "Cannot read: ", semaphore, action);
  }
  const std::uint16_t generation = semaphore.Generation();
  PutLE16(semaphore.Counters.data() + 2, static_cast<std::uint16_t>(generation + 1));
  SetReaders(semaphore, semaphore.Reading ? 1 : 0);
  if (!WriteAndUnlock(semaphore, action)) return false;
  // Another program's write before this one is still to be caught up with.
  if (semaphore.LastGeneration == generation) semaphore.LastGeneration = semaphore.Generation();
  return true;
}

bool Logout(SemaphoreRecord& semaphore) {
  if (semaphore.Locked) EndWrite(semaphore, LOGOUT);
  semaphore.LockNesting = 0;
  if (!LockAndRead(semaphore, LOGOUT)) return false;
  if (semaphore.Reading && semaphore.Readers() > 0) SetReaders(semaphore, semaphore.Readers() - 1);
  semaphore.Reading = false;
  if (semaphore.Logins() > 0) --semaphore.Counters[0];
  // Programs that died logged in are counted still; nobody else holding the file says so.
  const bool last = semaphore.Logins() == 0 || !OtherLoginLives(semaphore);
  if (last) semaphore.Counters[0] = 0;
  if (!WriteAndUnlock(semaphore, LOGOUT)) return false;
  UnmapCounters(semaphore);
  semaphore.File.Close();
  if (last) {
    // A file that another program holds after all stays; the next log-in starts it afresh.
    ndx::Restore<std::uint16_t> code(ErrorCode);
    EraseFile(semaphore.FileName);
  }
  return true;
}

// Readers counted without a reader's lock died registered (or a writer died holding the
// semaphore): the count starts again from the living, and what the dead program may have
// written is caught up with as another program's write, by this program and, through the
// generation, by every other one. The caller holds the semaphore lock and writes the counters.
void CountOnlyTheLiving(SemaphoreRecord& semaphore) {
  SetReaders(semaphore, semaphore.Reading ? 1 : 0);
  if (!OtherLoginLives(semaphore)) semaphore.Counters[0] = 1;
  PutLE16(semaphore.Counters.data() + 2, static_cast<std::uint16_t>(semaphore.Generation() + 1));
  semaphore.HeadersStale = true;
}

// Counted among the readers, holding a reader's lock. The count changes under that lock
// alone, atomically in the mapped counters: readers share it, and a writer, who changes the
// counters under the semaphore lock, excludes them all.
bool Register(SemaphoreRecord& semaphore) {
  if (!TakeLock(semaphore, platform::os::LockKind::kRead, INCREAD)) return false;
  std::atomic_ref<std::uint8_t> readers(semaphore.Mapped[1]);
  std::uint8_t before = readers.load();
  do {
    if (static_cast<std::int8_t>(before) >= kMostReaders) {
      ChangeLock(semaphore, platform::os::LockKind::kNone, kLockOffset, kReaderLockLength);
      ReportIndexError(1202, "Too many readers registered in index semaphore file: " + semaphore.FileName + " " +
                                 ActionName(INCREAD));
      return false;
    }
  } while (!readers.compare_exchange_weak(before, static_cast<std::uint8_t>(before + 1)));
  semaphore.Reading = true;
  if (before != 0 && !OtherReaderLives(semaphore)) {
    // Those counted before hold no reader's lock: dead programs, as CountOnlyTheLiving has it.
    std::uint8_t counted = static_cast<std::uint8_t>(before + 1);
    if (readers.compare_exchange_strong(counted, 1)) {
      std::atomic_ref<std::uint16_t>(*reinterpret_cast<std::uint16_t*>(semaphore.Mapped + 2)).fetch_add(1);
      // Log-ins change under the semaphore lock, which no one can hold now.
      if (!OtherLoginLives(semaphore)) std::atomic_ref<std::uint8_t>(semaphore.Mapped[0]).store(1);
      semaphore.HeadersStale = true;
    }
  }
  std::memcpy(semaphore.Counters.data(), semaphore.Mapped, 4);
  return true;
}

bool Unregister(SemaphoreRecord& semaphore) {
  std::atomic_ref<std::uint8_t> readers(semaphore.Mapped[1]);
  std::uint8_t count = readers.load();
  while (static_cast<std::int8_t>(count) > 0 &&
         !readers.compare_exchange_weak(count, static_cast<std::uint8_t>(count - 1))) {
  }
  semaphore.Reading = false;
  if (const std::uint16_t code = ChangeLock(semaphore, platform::os::LockKind::kNone, kLockOffset, kReaderLockLength))
    return ReportFileError(code, "Cannot unlock index semaphore file: ", semaphore, DECREAD);
  return true;
}

bool ChangeReaders(SemaphoreRecord& semaphore, std::uint8_t action) {
  if (action == INCREAD) {
    if (semaphore.ReadNesting > 0) return ++semaphore.ReadNesting, true;
    OpeningNesting nesting(semaphore.ReadNesting);
    if (!semaphore.Locked && !semaphore.Reading && !Register(semaphore)) return false;
    return nesting.Opened();
  }
  if (semaphore.ReadNesting == 0) {
    ReportIndexError(254, "Unbalanced IncRead/DecRead for semaphore file: " + semaphore.FileName + " " +
                              ActionName(action));
    return false;
  }
  if (--semaphore.ReadNesting > 0 || semaphore.Locked || !semaphore.Reading) return true;
  return Unregister(semaphore);
}

bool BeginWrite(SemaphoreRecord& semaphore) {
  if (semaphore.LockNesting > 0 || semaphore.Locked) return ++semaphore.LockNesting, true;
  OpeningNesting nesting(semaphore.LockNesting);
  // The semaphore lock is granted once no other reader holds its lock (this program's own
  // becomes the write lock); readers counted beyond this program are then dead ones.
  const auto start = Clock::now();
  while (ChangeLock(semaphore, platform::os::LockKind::kWrite, kLockOffset, kLockLength) != 0) {
    if (TimedOut(start)) return ReportReadTimeout(semaphore);
    Pause();
  }
  semaphore.Locked = true;
  if (const std::uint16_t code = ReadCounters(semaphore)) {
    UnlockSemaphore(semaphore, LOCKSEMAPHORE);
    return ReportFileError(code, "Cannot read: ", semaphore, LOCKSEMAPHORE);
  }
  if (semaphore.Readers() - (semaphore.Reading ? 1 : 0) > 0) CountOnlyTheLiving(semaphore);
  SetReaders(semaphore, 1);
  if (const std::uint16_t code = WriteCounters(semaphore)) {
    UnlockSemaphore(semaphore, LOCKSEMAPHORE);
    return ReportFileError(code, "Cannot write to: ", semaphore, LOCKSEMAPHORE);
  }
  return nesting.Opened();
}

bool FinishWrite(SemaphoreRecord& semaphore) {
  if (semaphore.LockNesting == 0) {
    ReportIndexError(254, "Unbalanced Lock/Unlock for semaphore file: " + semaphore.FileName + " " +
                              ActionName(UNLOCKSEMAPHORE));
    return false;
  }
  if (--semaphore.LockNesting == 0 && semaphore.Locked) return EndWrite(semaphore, UNLOCKSEMAPHORE);
  return true;
}

SemaphoreRecord* CurrentSemaphore() { return AreaIndexOf(CurrentWorkArea).Semaphore.get(); }

// HandleSemafore with its outcome: false when the action failed (the error reported).
bool Act(std::uint8_t action) {
  if (CurrentWorkArea > WorkAreaCount - 1) {
    ReportIndexError(254, "Work area [" + std::to_string(CurrentWorkArea) + " ] out of range. [HandleSemafore]");
    return false;
  }
  const WorkAreaRecord* table = WorkArea(CurrentWorkArea);
  if (table == nullptr || table->ExclusiveFlag || action > UNLOCKSEMAPHORE) return true;
  AreaIndex& area = AreaIndexOf(CurrentWorkArea);
  if (action == LOGIN) {
    if (area.Semaphore != nullptr) return true;
    auto semaphore = std::make_unique<SemaphoreRecord>();
    SemaphoreFileName(semaphore->FileName);
    const TableLock tableLock(*table);
    if (!tableLock.Held()) return ReportTableLockRefused(semaphore->FileName, action);
    if (!Login(*semaphore)) return false;
    area.Semaphore = std::move(semaphore);
    // Keys written before the log-in may point to records appended since the table was opened.
    if (WorkAreaRecord* grown = WorkArea(CurrentWorkArea)) RefreshRecCount(*grown);
    return true;
  }
  SemaphoreRecord* semaphore = area.Semaphore.get();
  if (semaphore == nullptr) return true;
  switch (action) {
    case LOGOUT: {
      // The area leaves the protocol even when the file cannot be updated: the count it
      // leaves behind is reset by the next log-in that finds the file unheld.
      const std::unique_ptr<SemaphoreRecord> leaving = std::move(area.Semaphore);
      const TableLock tableLock(*table);
      if (!tableLock.Held()) return ReportTableLockRefused(leaving->FileName, action);
      return Logout(*leaving);
    }
    case INCREAD:
    case DECREAD:
      return ChangeReaders(*semaphore, action);
    case LOCKSEMAPHORE:
      return BeginWrite(*semaphore);
    default:
      return FinishWrite(*semaphore);
  }
}

}  // namespace

void ReportIndexError(std::uint16_t code, const std::string& message) {
  SetError(code, message);
  if (!ImmediateErrors) RaiseOrvelError(ErrorText(code) + "\r\n" + message);
}

void SemaphoreFileName(std::string& name) {
  const WorkAreaRecord* table = WorkArea(CurrentWorkArea);
  if (table == nullptr) {
    name.clear();
    return;
  }
  name = SemaphoreFolder.empty() ? ForceExtension(table->FileName, "@S@")
                                 : SemaphoreFolder + "/" + ForceExtension(FileNameOf(table->FileName), "@S@");
}

void HandleSemafore(std::uint8_t action) { Act(action); }

bool LockIndexSemaphore(std::uint8_t action) {
  SemaphoreRecord* semaphore = CurrentSemaphore();
  return semaphore != nullptr && LockSemaphore(*semaphore, action);
}

void UnlockIndexSemaphore(std::uint8_t action) {
  if (SemaphoreRecord* semaphore = CurrentSemaphore()) UnlockSemaphore(*semaphore, action);
}

namespace {

// A nestable bracket: only the outermost opening and closing act. An opening that fails
// raises no count.
bool Bracket(std::uint32_t& brackets, bool on, std::uint8_t opening, std::uint8_t closing, const char* routine) {
  if (on) {
    if (brackets == 0 && !Act(opening)) return false;
    ++brackets;
    return true;
  }
  if (brackets == 0) {
    ReportIndexError(254, std::string("Non-symmetrical Lock-Unlock [") + routine + "]");
    return false;
  }
  return --brackets > 0 || Act(closing);
}

}  // namespace

bool SetReadSemaphoreProc(bool on) {
  AreaIndex& area = AreaIndexOf(CurrentWorkArea);
  const bool done = Bracket(area.ReadBrackets, on, INCREAD, DECREAD, "SetReadSemaphoreProc");
  // While the bracket is held no program that keeps the index writes the table: a record read
  // again within it need not come from the file again.
  WorkAreaRecord* table = WorkArea(CurrentWorkArea);
  if (table != nullptr && area.Semaphore != nullptr) {
    if (on && done && area.ReadBrackets == 1) table->ReadingHeld = true;
    if (!on && area.ReadBrackets == 0 && table->ReadingHeld) ForgetHeldRecords(*table);
  }
  return done;
}

bool SetLockSemaphoreProc(bool on) {
  std::uint32_t& brackets = AreaIndexOf(CurrentWorkArea).LockBrackets;
  const bool opening = on && brackets == 0;
  if (!Bracket(brackets, on, LOCKSEMAPHORE, UNLOCKSEMAPHORE, "SetLockSemaphoreProc")) return false;
  if (!opening) return true;
  // A write starts from the index as the other programs (or a dead one) left it, before the
  // table changes: the stamps read are then held against the count they were written with.
  const auto close = [&] { Bracket(brackets, false, LOCKSEMAPHORE, UNLOCKSEMAPHORE, "SetLockSemaphoreProc"); };
  bool caughtUp = false;
  try {
    caughtUp = ndx::Guarded(false, [] {
      ndx::CatchUpWithGeneration();
      return true;
    });
  } catch (...) {
    close();
    throw;
  }
  if (!caughtUp) close();
  return caughtUp;
}

namespace ndx {

bool CatchUpWithGeneration() {
  SemaphoreRecord* semaphore = CurrentSemaphore();
  if (semaphore == nullptr || (semaphore->Generation() == semaphore->LastGeneration && !semaphore->HeadersStale))
    return false;
  // The other program may have appended the records its keys point to; the headers' stamps
  // are held against that count.
  if (WorkAreaRecord* table = WorkArea(CurrentWorkArea)) RefreshRecCount(*table);
  ReadHeaderImages();
  semaphore->LastGeneration = semaphore->Generation();
  semaphore->HeadersStale = false;
  return true;
}

}  // namespace ndx

bool CheckIndexGeneration() { return ndx::Guarded(false, ndx::CatchUpWithGeneration); }

}  // namespace xbase
