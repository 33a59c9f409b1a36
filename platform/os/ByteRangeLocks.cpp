#include "platform/os/ByteRangeLocks.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <map>
#include <unordered_map>

#include "platform/os/ErrnoCodes.h"

namespace platform::os {
namespace {

// Per descriptor: held ranges by start offset, mapped to their length. Ranges of one
// descriptor never overlap, since an overlapping lock is refused.
using HeldRanges = std::map<std::int64_t, std::int64_t>;

std::unordered_map<int, HeldRanges>& Registry() {
  static std::unordered_map<int, HeldRanges> registry;
  return registry;
}

bool ValidRange(std::int64_t offset, std::int64_t length) {
  return offset >= 0 && length > 0 && offset <= std::numeric_limits<std::int64_t>::max() - length;
}

bool OverlapsHeld(const HeldRanges& held, std::int64_t offset, std::int64_t length) {
  auto next = held.lower_bound(offset);
  if (next != held.end() && next->first < offset + length) return true;
  if (next == held.begin()) return false;
  const auto& [start, len] = *std::prev(next);
  return start + len > offset;
}

int SetOfdLock(int fd, short type, std::int64_t offset, std::int64_t length) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = offset;
  lock.l_len = length;
  while (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

}  // namespace

std::uint16_t LockFileRange(int fd, std::int64_t offset, std::int64_t length) {
  if (!ValidRange(offset, length)) return DosErrorCode(EINVAL, IoOperation::kLock);
  auto& held = Registry()[fd];
  if (OverlapsHeld(held, offset, length)) return kErrorLockViolation;
  if (const int err = SetOfdLock(fd, F_WRLCK, offset, length)) {
    if (held.empty()) Registry().erase(fd);
    return DosErrorCode(err, IoOperation::kLock);
  }
  held.emplace(offset, length);
  return 0;
}

std::uint16_t ChangeFileLock(int fd, LockKind kind, std::int64_t offset, std::int64_t length) {
  if (!ValidRange(offset, length)) return DosErrorCode(EINVAL, IoOperation::kLock);
  const short type = kind == LockKind::kRead ? F_RDLCK : kind == LockKind::kWrite ? F_WRLCK : F_UNLCK;
  const int err = SetOfdLock(fd, type, offset, length);
  return err == 0 ? 0 : DosErrorCode(err, IoOperation::kLock);
}

std::uint16_t UnlockFileRange(int fd, std::int64_t offset, std::int64_t length) {
  if (!HoldsFileRange(fd, offset, length)) return kErrorNotLocked;
  if (const int err = SetOfdLock(fd, F_UNLCK, offset, length))
    return DosErrorCode(err, IoOperation::kLock);
  auto entry = Registry().find(fd);
  entry->second.erase(offset);
  if (entry->second.empty()) Registry().erase(entry);
  return 0;
}

bool HoldsFileRange(int fd, std::int64_t offset, std::int64_t length) {
  const auto entry = Registry().find(fd);
  if (entry == Registry().end()) return false;
  const auto range = entry->second.find(offset);
  return range != entry->second.end() && range->second == length;
}

void ForgetFileLocks(int fd) { Registry().erase(fd); }

int CloseLockedFile(int fd) {
  ForgetFileLocks(fd);
  return close(fd) == 0 ? 0 : errno;
}

std::optional<ForeignLock> ProbeFileRange(int fd, std::int64_t offset, std::int64_t length) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = offset;
  lock.l_len = length;
  if (fcntl(fd, F_OFD_GETLK, &lock) != 0 || lock.l_type == F_UNLCK) return std::nullopt;
  return ForeignLock{lock.l_type == F_WRLCK, lock.l_start, lock.l_len};
}

}  // namespace platform::os
