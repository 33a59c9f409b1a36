#include "platform/os/ErrnoCodes.h"

#include <cerrno>

namespace platform::os {

std::uint16_t DosErrorCode(int err, IoOperation operation) {
  const bool lock = operation == IoOperation::kLock || operation == IoOperation::kShareLock;
  if (lock && (err == EAGAIN || err == EACCES))
    return operation == IoOperation::kShareLock ? 32 : 33;  // sharing / lock violation
  switch (err) {
    case 0: return 0;
    case ENOENT: return 2;
    case ENOTDIR:
    case ENAMETOOLONG: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EISDIR: return 5;
    case EBADF: return 6;
    case ENOMEM: return 8;
    case EROFS: return 19;
    case EEXIST: return 80;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return 101;
    case EIO:
      if (operation == IoOperation::kRead) return 100;
      if (operation == IoOperation::kWrite) return 101;
      break;
    default: break;
  }
  return lock ? 1203 : 31;
}

}  // namespace platform::os
