#include "platform/os/DiskSpace.h"

#include <sys/statvfs.h>

namespace platform::os {

std::optional<std::uint64_t> FreeDiskBytes(const std::string& path) {
  struct statvfs fs {};
  if (statvfs(path.c_str(), &fs) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
}

}  // namespace platform::os
