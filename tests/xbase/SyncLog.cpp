#include "tests/xbase/SyncLog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <utility>

namespace xbase {
namespace {

using FileId = std::pair<dev_t, ino_t>;

std::map<FileId, std::vector<SyncRecord>>& Log() {
  static std::map<FileId, std::vector<SyncRecord>> log;
  return log;
}

std::string Content(int fd, off_t size) {
  std::string bytes(static_cast<std::size_t>(size), '\0');
  const ssize_t n = pread(fd, bytes.data(), bytes.size(), 0);
  bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return bytes;
}

}  // namespace

std::vector<SyncRecord> SyncsOf(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return {};
  const auto found = Log().find({st.st_dev, st.st_ino});
  return found != Log().end() ? found->second : std::vector<SyncRecord>{};
}

void ClearSyncs() { Log().clear(); }

}  // namespace xbase

extern "C" int __real_fsync(int fd);

extern "C" int __wrap_fsync(int fd) {
  struct stat st {};
  if (fstat(fd, &st) == 0)
    xbase::Log()[{st.st_dev, st.st_ino}].push_back({xbase::Content(fd, st.st_size)});
  return __real_fsync(fd);
}
