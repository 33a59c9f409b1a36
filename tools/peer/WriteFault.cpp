// The peer's own pwrite stands in front of the C library's (or the sanitizer's): the library's
// file layer, linked into this program, writes through it. It counts the writes to the armed
// file and raises the signal after the one asked for.

#include "tools/peer/WriteFault.h"

#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <string>

namespace peer {
namespace {

unsigned remaining = 0;
std::string armedFileText;
int armedSignal = 0;

bool WritesArmedFile(int fd) {
  char path[PATH_MAX];
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t length = readlink(link.c_str(), path, sizeof path);
  if (length < 0) return false;
  return std::string_view(path, static_cast<std::size_t>(length)).find(armedFileText) != std::string_view::npos;
}

}  // namespace

void ArmWriteFault(unsigned n, const std::string& fileText, int signal) {
  remaining = n;
  armedFileText = fileText;
  armedSignal = signal;
}

}  // namespace peer

extern "C" ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  using Pwrite = ssize_t (*)(int, const void*, size_t, off_t);
  static const auto next = reinterpret_cast<Pwrite>(dlsym(RTLD_NEXT, "pwrite"));
  const ssize_t written = next(fd, buffer, count, offset);
  if (peer::remaining > 0 && written > 0 && peer::WritesArmedFile(fd) && --peer::remaining == 0)
    raise(peer::armedSignal);
  return written;
}
