#include "bench/SystemCalls.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cstdarg>

namespace {

bench::SystemCallCounts counts;

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

namespace bench {

SystemCallCounts CountedSystemCalls() { return counts; }

}  // namespace bench

extern "C" {

ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
  static const auto next = Next<ssize_t (*)(int, void*, size_t, off_t)>("pread");
  ++counts.reads;
  return next(fd, buffer, count, offset);
}

ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  static const auto next = Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
  ++counts.writes;
  return next(fd, buffer, count, offset);
}

ssize_t pwritev(int fd, const struct iovec* pieces, int count, off_t offset) {
  static const auto next = Next<ssize_t (*)(int, const struct iovec*, int, off_t)>("pwritev");
  ++counts.writes;
  return next(fd, pieces, count, offset);
}

// Every command the library gives takes an int or a pointer as its third argument.
int fcntl(int fd, int command, ...) {
  static const auto next = Next<int (*)(int, int, ...)>("fcntl");
  va_list arguments;
  va_start(arguments, command);
  void* argument = va_arg(arguments, void*);
  va_end(arguments);
  ++counts.locks;
  return next(fd, command, argument);
}

int fstat(int fd, struct stat* status) {
  static const auto next = Next<int (*)(int, struct stat*)>("fstat");
  ++counts.sizes;
  return next(fd, status);
}

int fsync(int fd) {
  static const auto next = Next<int (*)(int)>("fsync");
  ++counts.syncs;
  return next(fd);
}

int fdatasync(int fd) {
  static const auto next = Next<int (*)(int)>("fdatasync");
  ++counts.syncs;
  return next(fd);
}

}  // extern "C"
