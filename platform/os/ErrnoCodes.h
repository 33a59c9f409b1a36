#pragma once
// Maps POSIX errno values to the DOS-style result codes that the table library reports, so that
// its error texts ("File not found", "File access denied", ...) stay meaningful.

#include <cstdint>

namespace platform::os {

// What failed: the same errno means different things for a data transfer or a lock.
enum class IoOperation {
  kOther,      // open, close, unlink, stat, ...
  kRead,
  kWrite,
  kLock,       // a byte-range lock
  kShareLock,  // the share-mode byte of an exclusive or shared open
};

// 0 for errno 0. Unlisted values give 31 "General failure", or 1203 "Network Error" for locks.
std::uint16_t DosErrorCode(int err, IoOperation operation = IoOperation::kOther);

}  // namespace platform::os
