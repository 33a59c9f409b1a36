#pragma once
// The share mode of an open table file (Windows "deny none" or "deny all"), held as an
// open-file-description lock on one byte at 4 GiB, beyond every byte-range lock the library
// takes. Being per open file description, it conflicts between two opens in one process too,
// and survives the close of other descriptors of the same file. It binds library processes
// only: programs that take no such lock are not kept out.

#include <cstdint>

namespace platform::os {

inline constexpr std::int64_t kShareByteOffset = 0x1'0000'0000;

enum class ShareMode {
  kShared,     // read lock: other shared opens may join
  kExclusive,  // write lock: no other open may hold the byte
};

// Takes (or converts) the share lock of `fd` without waiting. Returns 0, or the errno:
// EAGAIN or EACCES when another open holds a conflicting share lock.
int LockShareByte(int fd, ShareMode mode);

}  // namespace platform::os
