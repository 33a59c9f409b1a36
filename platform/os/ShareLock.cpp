#include "platform/os/ShareLock.h"

#include <fcntl.h>

#include <cerrno>

namespace platform::os {

int LockShareByte(int fd, ShareMode mode) {
  struct flock lock {};
  lock.l_type = mode == ShareMode::kExclusive ? F_WRLCK : F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kShareByteOffset;
  lock.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0 ? 0 : errno;
}

}  // namespace platform::os
