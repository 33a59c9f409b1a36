// The semaphore protocol of shared index files (see ovndxSemaphore.h): log-in and log-out, the
// reader count, the writer's lock and the generation, and the nestable brackets.

#include "xbase/index/ovndxSemaphore.h"

#include <sys/mman.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/os/ByteRangeLocks.h"
#include "platform/os/ErrnoCodes.h"
#include "platform/os/MessagePump.h"
#include "platform/os/ShareLock.h"
#include "xbase/core/ByteOrder.h"
#include "xbase/core/ovutils.h"
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
void ReportFileError(std::uint16_t code, const char* what, const SemaphoreRecord& semaphore,
                     std::uint8_t action) {
  ReportIndexError(code, what + semaphore.FileName + " " + ActionName(action));
}

// The counters are read and written through the mapping once there is one: readers register
// at every seek, and a read and a write of the file would cost more than the seek.
bool ReadCounters(SemaphoreRecord& semaphore) {
  if (semaphore.Mapped != nullptr) {
    std::memcpy(semaphore.Counters.data(), semaphore.Mapped, 4);
    ErrorCode = 0;
    return true;
  }
  const platform::os::Transfer read = semaphore.File.ReadAt(0, semaphore.Counters.data(), 4);
  ErrorCode = read.code != 0 ? read.code : read.count == 4 ? 0 : 100;
  return ErrorCode == 0;
}

bool WriteCounters(SemaphoreRecord& semaphore) {
  if (semaphore.Mapped != nullptr) {
    std::memcpy(semaphore.Mapped, semaphore.Counters.data(), 4);
    ErrorCode = 0;
    return true;
  }
  const platform::os::Transfer written = semaphore.File.WriteAt(0, semaphore.Counters.data(), 4);
  ErrorCode = written.code != 0 ? written.code : written.count == 4 ? 0 : 101;
  return ErrorCode == 0;
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

bool LockSemaphore(SemaphoreRecord& semaphore, std::uint8_t action) {
  const int fd = semaphore.File.Descriptor();
  std::uint32_t code = 0;
  for (unsigned attempt = 1;; ++attempt) {
    code = LockRegion(false, fd, kLockOffset, kLockLength);
    if (code == 0) {
      semaphore.Locked = true;
      return true;
    }
    if (attempt >= SemaphoreLockTries) break;
    Pause();
  }
  ReportIndexError(1202, "10 second timeout: Cannot lock index semaphore file: " + semaphore.FileName + " " +
                             ActionName(action) + "\r\nPossible cause: Network lock limit exceeded\r\n" +
                             " Lock result code: " + std::to_string(code));
  return false;
}

void UnlockSemaphore(SemaphoreRecord& semaphore, std::uint8_t action) {
  if (!semaphore.Locked) return;
  semaphore.Locked = false;
  if (const std::uint32_t code = LockRegion(true, semaphore.File.Descriptor(), kLockOffset, kLockLength))
    ReportFileError(static_cast<std::uint16_t>(code), "Cannot unlock index semaphore file: ", semaphore, action);
}

// Reads the counters under the lock, which it keeps; false (the lock given up) on failure.
bool LockAndRead(SemaphoreRecord& semaphore, std::uint8_t action) {
  if (!LockSemaphore(semaphore, action)) return false;
  if (ReadCounters(semaphore)) return true;
  const std::uint16_t code = ErrorCode;
  UnlockSemaphore(semaphore, action);
  ReportFileError(code, "Cannot read: ", semaphore, action);
  return false;
}

// Writes the counters and gives the lock up.
bool WriteAndUnlock(SemaphoreRecord& semaphore, std::uint8_t action) {
  const bool written = WriteCounters(semaphore);
  const std::uint16_t code = ErrorCode;
  UnlockSemaphore(semaphore, action);
  if (!written) ReportFileError(code, "Cannot write to: ", semaphore, action);
  return written;
}

void ReportReadTimeout(const SemaphoreRecord& semaphore) {
  const std::string& file = semaphore.FileName;
  ReportIndexError(1202, std::to_string(ReadTimeoutSeconds) + " second timeout, cannot read: " + file +
                             "\r\nPossible cause: Other user's program has terminated abnormally.\r\n"
                             "Cure: Log all users of this application off the network,\r\nthen delete " +
                             file);
}

bool TimedOut(Clock::time_point start) {
  return ReadTimeoutSeconds != 0 && Clock::now() - start > std::chrono::seconds(ReadTimeoutSeconds);
}

// Waits until no other open holds a lock on the counters.
bool WaitReadable(const SemaphoreRecord& semaphore) {
  const auto start = Clock::now();
  while (platform::os::ProbeFileRange(semaphore.File.Descriptor(), kLockOffset, kLockLength)) {
    if (TimedOut(start)) {
      ReportReadTimeout(semaphore);
      return false;
    }
    Pause();
  }
  return true;
}

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

void ReportTableLockRefused(const std::string& file, std::uint8_t action) {
  ReportIndexError(1202, "Cannot lock database for: " + file + " Action=" + ActionName(action) +
                             " [Database Semaphore]");
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
    if (!WriteCounters(semaphore)) return failed(ErrorCode, "Cannot write to: ");
    if (const std::uint16_t mapped = MapCounters(semaphore)) return failed(mapped, "Cannot open: ");
    const int error = platform::os::LockShareByte(semaphore.File.Descriptor(), ShareMode::kShared);
    if (error != 0) return failed(platform::os::DosErrorCode(error, platform::os::IoOperation::kShareLock), "Cannot open: ");
    if (!LockSemaphore(semaphore, LOGIN)) return false;
  } else if (code == 3 || code == 5 || code == 32 || code == 150 || code == 162 || code == 163) {
    code = semaphore.File.Open(file, FileAccess::kReadWrite, ShareMode::kShared);
    if (code == 0) code = MapCounters(semaphore);
    if (code != 0) {
      ReportFileError(code, "Cannot open: ", semaphore, LOGIN);
      return false;
    }
    if (!LockAndRead(semaphore, LOGIN)) return false;
  } else {
    ReportFileError(code, "Cannot open/create: ", semaphore, LOGIN);
    return false;
  }
  ++semaphore.Counters[0];
  semaphore.LoginNumber = semaphore.Logins();
  if (!WriteAndUnlock(semaphore, LOGIN)) return false;
  semaphore.LastGeneration = semaphore.Generation();
  return true;
}

// The end of a write: the generation one up, the writer no longer counted.
void EndWrite(SemaphoreRecord& semaphore, std::uint8_t action) {
  if (!ReadCounters(semaphore)) {
    const std::uint16_t code = ErrorCode;
    UnlockSemaphore(semaphore, action);
    ReportFileError(code, "Cannot read: ", semaphore, action);
    return;
  }
  const std::uint16_t generation = semaphore.Generation();
  PutLE16(semaphore.Counters.data() + 2, static_cast<std::uint16_t>(generation + 1));
  SetReaders(semaphore, semaphore.Reading ? 1 : 0);
  if (!WriteAndUnlock(semaphore, action)) return;
  // Another program's write before this one is still to be caught up with.
  if (semaphore.LastGeneration == generation) semaphore.LastGeneration = semaphore.Generation();
}

void Logout(SemaphoreRecord& semaphore) {
  if (semaphore.Locked) EndWrite(semaphore, LOGOUT);
  semaphore.LockNesting = 0;
  if (!LockAndRead(semaphore, LOGOUT)) return;
  if (semaphore.Reading && semaphore.Readers() > 0) SetReaders(semaphore, semaphore.Readers() - 1);
  semaphore.Reading = false;
  if (semaphore.Logins() > 0) --semaphore.Counters[0];
  if (!WriteAndUnlock(semaphore, LOGOUT)) return;
  const bool last = semaphore.Logins() == 0;
  UnmapCounters(semaphore);
  semaphore.File.Close();
  if (last) {
    // A file that another program holds after all stays; the next log-in starts it afresh.
    ndx::Restore<std::uint16_t> code(ErrorCode);
    EraseFile(semaphore.FileName);
  }
}

void ChangeReaders(SemaphoreRecord& semaphore, std::uint8_t action) {
  const bool increase = action == INCREAD;
  if (increase) {
    if (++semaphore.ReadNesting > 1) return;
  } else {
    if (--semaphore.ReadNesting < 0) {
      semaphore.ReadNesting = 0;
      ReportIndexError(254, "Unbalanced IncRead/DecRead for semaphore file: " + semaphore.FileName + " " +
                                ActionName(action));
      return;
    }
    if (semaphore.ReadNesting > 0) return;
  }
  if (semaphore.Locked || semaphore.Reading == increase) return;
  if (!LockAndRead(semaphore, action)) return;
  const int readers = semaphore.Readers();
  if (increase && readers >= kMostReaders) {
    UnlockSemaphore(semaphore, action);
    ReportIndexError(1202, "Too many readers registered in index semaphore file: " + semaphore.FileName + " " +
                               ActionName(action));
    return;
  }
  SetReaders(semaphore, increase ? readers + 1 : std::max(readers - 1, 0));
  if (WriteAndUnlock(semaphore, action)) semaphore.Reading = increase;
}

void BeginWrite(SemaphoreRecord& semaphore) {
  if (++semaphore.LockNesting > 1 || semaphore.Locked) return;
  const auto start = Clock::now();
  for (;;) {
    if (!WaitReadable(semaphore)) return;
    if (!LockAndRead(semaphore, LOCKSEMAPHORE)) return;
    // This program's own registration as a reader does not hold its write up.
    if (semaphore.Readers() - (semaphore.Reading ? 1 : 0) <= 0) break;
    UnlockSemaphore(semaphore, LOCKSEMAPHORE);
    if (TimedOut(start)) {
      ReportReadTimeout(semaphore);
      return;
    }
    Pause();
  }
  SetReaders(semaphore, 1);
  if (WriteCounters(semaphore)) return;
  const std::uint16_t code = ErrorCode;
  UnlockSemaphore(semaphore, LOCKSEMAPHORE);
  ReportFileError(code, "Cannot write to: ", semaphore, LOCKSEMAPHORE);
}

void FinishWrite(SemaphoreRecord& semaphore) {
  if (--semaphore.LockNesting < 0) {
    semaphore.LockNesting = 0;
    ReportIndexError(254, "Unbalanced Lock/Unlock for semaphore file: " + semaphore.FileName + " " +
                              ActionName(UNLOCKSEMAPHORE));
    return;
  }
  if (semaphore.LockNesting == 0 && semaphore.Locked) EndWrite(semaphore, UNLOCKSEMAPHORE);
}

// A bracket opened by an action that raised is not opened: no closing action will follow.
template <typename Action>
void Undoing(std::int32_t& nesting, bool opening, Action action) {
  try {
    action();
  } catch (...) {
    if (opening && nesting > 0) --nesting;
    throw;
  }
}

SemaphoreRecord* CurrentSemaphore() { return AreaIndexOf(CurrentWorkArea).Semaphore.get(); }

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

void HandleSemafore(std::uint8_t action) {
  if (CurrentWorkArea > WorkAreaCount - 1) {
    ReportIndexError(254, "Work area [" + std::to_string(CurrentWorkArea) + " ] out of range. [HandleSemafore]");
    return;
  }
  const WorkAreaRecord* table = WorkArea(CurrentWorkArea);
  if (table == nullptr || table->ExclusiveFlag || action > UNLOCKSEMAPHORE) return;
  AreaIndex& area = AreaIndexOf(CurrentWorkArea);
  if (action == LOGIN) {
    if (area.Semaphore != nullptr) return;
    auto semaphore = std::make_unique<SemaphoreRecord>();
    SemaphoreFileName(semaphore->FileName);
    const TableLock tableLock(*table);
    if (!tableLock.Held()) return ReportTableLockRefused(semaphore->FileName, action);
    if (!Login(*semaphore)) return;
    area.Semaphore = std::move(semaphore);
    // Keys written before the log-in may point to records appended since the table was opened.
    if (WorkAreaRecord* grown = WorkArea(CurrentWorkArea)) RefreshRecCount(*grown);
    return;
  }
  SemaphoreRecord* semaphore = area.Semaphore.get();
  if (semaphore == nullptr) return;
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
      return Undoing(semaphore->ReadNesting, action == INCREAD, [&] { ChangeReaders(*semaphore, action); });
    case LOCKSEMAPHORE:
      return Undoing(semaphore->LockNesting, true, [&] { BeginWrite(*semaphore); });
    default:
      return FinishWrite(*semaphore);
  }
}

bool LockIndexSemaphore(std::uint8_t action) {
  SemaphoreRecord* semaphore = CurrentSemaphore();
  return semaphore != nullptr && LockSemaphore(*semaphore, action);
}

void UnlockIndexSemaphore(std::uint8_t action) {
  if (SemaphoreRecord* semaphore = CurrentSemaphore()) UnlockSemaphore(*semaphore, action);
}

namespace {

// A nestable bracket: only the outermost opening and closing act.
void Bracket(std::uint32_t& brackets, bool on, std::uint8_t opening, std::uint8_t closing, const char* routine) {
  if (on) {
    if (brackets == 0) HandleSemafore(opening);
    ++brackets;
    return;
  }
  if (brackets == 0) return ReportIndexError(254, std::string("Non-symmetrical Lock-Unlock [") + routine + "]");
  if (--brackets == 0) HandleSemafore(closing);
}

}  // namespace

void SetReadSemaphoreProc(bool on) {
  Bracket(AreaIndexOf(CurrentWorkArea).ReadBrackets, on, INCREAD, DECREAD, "SetReadSemaphoreProc");
}

void SetLockSemaphoreProc(bool on) {
  Bracket(AreaIndexOf(CurrentWorkArea).LockBrackets, on, LOCKSEMAPHORE, UNLOCKSEMAPHORE, "SetLockSemaphoreProc");
}

bool CheckIndexGeneration() {
  SemaphoreRecord* semaphore = CurrentSemaphore();
  if (semaphore == nullptr || semaphore->Generation() == semaphore->LastGeneration) return false;
  ReadAnchorNodes();
  semaphore->LastGeneration = semaphore->Generation();
  // The other program may have appended the records its keys point to.
  if (WorkAreaRecord* table = WorkArea(CurrentWorkArea)) RefreshRecCount(*table);
  return true;
}

}  // namespace xbase
