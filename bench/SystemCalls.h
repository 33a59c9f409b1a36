#pragma once
// The file system calls this process makes, counted by kind, for the benchmarks that print them
// per operation. SystemCalls.cpp, linked into a benchmark, stands in front of the C library's
// calls (the library's files are linked into the same program and call through it).

#include <cstdint>

namespace bench {

struct SystemCallCounts {
  std::uint64_t reads = 0;   // pread
  std::uint64_t writes = 0;  // pwrite, pwritev
  std::uint64_t locks = 0;   // fcntl
  std::uint64_t sizes = 0;   // fstat
  std::uint64_t syncs = 0;   // fsync, fdatasync

  std::uint64_t Total() const { return reads + writes + locks + sizes + syncs; }
  SystemCallCounts operator-(const SystemCallCounts& before) const {
    return {reads - before.reads, writes - before.writes, locks - before.locks, sizes - before.sizes,
            syncs - before.syncs};
  }
  SystemCallCounts operator+(const SystemCallCounts& more) const {
    return {reads + more.reads, writes + more.writes, locks + more.locks, sizes + more.sizes, syncs + more.syncs};
  }
};

// The counts so far.
SystemCallCounts CountedSystemCalls();

}  // namespace bench
