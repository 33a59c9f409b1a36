#include "platform/os/TempFiles.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>

namespace platform::os {

std::string TempFolder() {
  const char* dir = std::getenv("TMPDIR");
  return dir != nullptr && *dir != '\0' ? dir : "/tmp";
}

TempFile CreateTempFile(std::string_view prefix) {
  std::string pattern = TempFolder();
  if (pattern.back() != '/') pattern += '/';
  pattern.append(prefix);
  pattern += "XXXXXX";
  const int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return {{}, errno};
  close(fd);
  return {pattern, 0};
}

}  // namespace platform::os
