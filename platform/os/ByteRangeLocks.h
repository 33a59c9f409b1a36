#pragma once
// Byte-range locks with the results of Windows' LockFile and UnlockFile, on Linux
// open-file-description locks (F_OFD_SETLK). Being owned by the open file description, a lock
// conflicts with every other open of the file, also within one process, and the close of another
// descriptor of the same file does not drop it. Classic POSIX record locks would do neither.
//
// POSIX merges a lock with an overlapping one of the same owner and splits a range on a partial
// unlock; Windows refuses both. A registry of the ranges each descriptor holds gives Windows'
// answers: a range that overlaps one the descriptor holds is refused as a lock violation, and
// only a range held exactly can be unlocked. Locks never wait.
//
// The registry is keyed by descriptor number: a descriptor that took locks here must be closed
// through CloseLockedFile (or ForgetFileLocks before its close), so that a later descriptor with
// the same number starts empty. Single-threaded, as the library is.

#include <cstdint>
#include <optional>

namespace platform::os {

inline constexpr std::uint16_t kErrorLockViolation = 33;  // ERROR_LOCK_VIOLATION
inline constexpr std::uint16_t kErrorNotLocked = 158;      // ERROR_NOT_LOCKED

// Locks [offset, offset + length) for writing without waiting. 0 on success; 33 when another
// open holds an overlapping lock or this descriptor already holds an overlapping range; other
// failures as DosErrorCode of a lock. A length below 1 or a range beyond 2^63 is refused.
std::uint16_t LockFileRange(int fd, std::int64_t offset, std::int64_t length);

// Releases a range this descriptor holds exactly. 0 on success; 158 for any other range.
std::uint16_t UnlockFileRange(int fd, std::int64_t offset, std::int64_t length);

// Whether this descriptor holds exactly that range.
bool HoldsFileRange(int fd, std::int64_t offset, std::int64_t length);

// Drops the descriptor's entries from the registry (the kernel drops its locks at the last
// close of the open file description).
void ForgetFileLocks(int fd);

// ForgetFileLocks, then close(2). Returns 0 or the errno of the close.
int CloseLockedFile(int fd);

// The plain lock of an open file description, outside the registry above, for a caller that
// keeps its own ranges: POSIX's rules (a range held already changes its kind, a part of it can
// be unlocked). Without waiting; 0, or 33 when another open holds a conflicting lock, or the
// code of another failure. Locks taken so are released with it, never with UnlockFileRange.
enum class LockKind { kRead, kWrite, kNone };
std::uint16_t ChangeFileLock(int fd, LockKind kind, std::int64_t offset, std::int64_t length);

// A lock that another open file description holds, as F_OFD_GETLK reports it.
struct ForeignLock {
  bool exclusive = false;  // a write lock (else a read lock)
  std::int64_t offset = 0;
  std::int64_t length = 0;  // 0: to the end of the file and beyond
};

// The first lock of another open file description that would conflict with a write lock on the
// range, or nothing. Locks of `fd`'s own open file description are never reported.
std::optional<ForeignLock> ProbeFileRange(int fd, std::int64_t offset, std::int64_t length);

}  // namespace platform::os
