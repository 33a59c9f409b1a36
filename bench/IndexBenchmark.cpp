// Speed of the index engine on a table of 100-byte records indexed on TAG C(20): appends into
// the open index, then random exact seeks (one in twenty for a key that is not there), beside
// xbase64 doing the same work through tools/xbase64's program. Two settings of ours:
//   exclusive   the table opened exclusively without network locking, and a node cache large
//               enough for every node (the cache size is a setting; so xbase64 runs)
//   shared      the settings as the library starts: network locking on, the table shared and
//               logged in to its semaphore file, so that every append holds the semaphore's
//               write lock and every seek registers as a reader (the append lock held for the
//               whole run; the node cache of IndexCacheSize, 4096 bytes, emptied whenever
//               another program writes)
//   cached      shared, with the node cache of the exclusive setting
// Then the bulk build of the index from a full table, of a tenth of the records and of all of
// them, each in a process of its own: its time and its peak resident memory, beside xbase64
// rebuilding the same index (ReIndex).
//
//   index_benchmark [--records N] [--seeks N] [--folder DIR] [--no-peers]
//
// Defaults: 1,000,000 records and 1,000,000 seeks in a temporary folder. Prints one line a
// figure.

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/BenchKeys.h"
#include "bench/BenchPeers.h"
#include "bench/BenchTable.h"
#include "bench/SystemCalls.h"
#include "platform/os/TempFiles.h"
#include "xbase/Library.h"
#include "xbase/core/ovcommon.h"
#include "xbase/dbf/TypedSlots.h"
#include "xbase/dbf/ovdbflow.h"
#include "xbase/expr/ovparser.h"
#include "xbase/index/ovndx.h"
#include "xbase/workarea/dbf4.h"

namespace {

using namespace xbase;
using bench::Clock;
using bench::Options;
using bench::PerSecond;

// An empty index on TAG: the header, and node 1 without keys.
void CreateIndex(const std::string& path) {
  NodeImage block;
  BuildAnchorBlock(MakeIndexHeader('C', bench::kTagLength, false), "TAG", 0, "", block);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(block.data(), 1, block.size(), file);
  block.fill(0);
  std::fwrite(block.data(), 1, block.size(), file);
  std::fclose(file);
}

struct Figures {
  double appends = 0, seeks = 0;
  long misses = 0;
  double appendCalls = 0, seekCalls = 0;  // system calls an append, a seek
};

double CallsEach(const bench::SystemCallCounts& before, long operations) {
  return static_cast<double>((bench::CountedSystemCalls() - before).Total()) / std::max(operations, 1L);
}

enum class Setting { kExclusive, kShared, kCached };

Figures Run(const std::string& folder, const Options& options, Setting setting) {
  const std::string table = folder + "/bench.dbf", index = folder + "/bench.ndx";
  const bool exclusive = setting == Setting::kExclusive;
  bench::CreateTable(table);
  CreateIndex(index);
  NetworkLocking = !exclusive;
  // Every node of a million keys in memory: about 80,000 nodes of 512 bytes.
  IndexCacheSize = setting == Setting::kShared ? 4096 : 64u << 20;
  Select(1);
  Use(table + (exclusive ? " EXCLUSIVE" : ""), nullptr, 0);
  SetIndexTo(index, 1);
  Figures figures;
  {
    const bench::Slots slots;
    PutSlotText(slots.name, 40, "A NAME OF FORTY CHARACTERS AT MOST");
    PutSlotDouble(slots.amount, 1234.5);
    PutSlotInt32(slots.count, 42);
    PutSlotText(slots.day, 10, "03/15/24");
    slots.flag[0] = 1;
    if (!exclusive) ALock();
    char key[bench::kTagLength + 1];
    const bench::SystemCallCounts calls = bench::CountedSystemCalls();
    const auto start = Clock::now();
    for (long i = 0; i < options.records; ++i) {
      bench::PutBenchKey(i, key);
      PutSlotText(slots.tag, bench::kTagLength, key);
      Append();
    }
    figures.appends = PerSecond(options.records, start);
    figures.appendCalls = CallsEach(calls, options.records);
    Unlock();
  }
  {
    const auto order = bench::SeekOrder(options.records, options.count);
    std::vector<std::string> keys;
    keys.reserve(order.size());
    for (const auto i : order) keys.push_back(bench::BenchKey(i));
    BeginSoftSeek();
    const bench::SystemCallCounts calls = bench::CountedSystemCalls();
    const auto start = Clock::now();
    for (const std::string& key : keys) {
      Find(key);
      if (IndexFound == 0) ++figures.misses;
    }
    figures.seeks = PerSecond(options.count, start);
    figures.seekCalls = CallsEach(calls, options.count);
    EndSoftSeek();
  }
  CloseArea();
  std::filesystem::remove(table);
  std::filesystem::remove(index);
  return figures;
}

// A table of the benchmark's records, without an index.
void FillTable(const std::string& table, long records) {
  bench::CreateTable(table);
  NetworkLocking = false;
  Use(table + " EXCLUSIVE", nullptr, 0);
  const bench::Slots slots;
  PutSlotText(slots.name, 40, "A NAME OF FORTY CHARACTERS AT MOST");
  char key[bench::kTagLength + 1];
  for (long i = 0; i < records; ++i) {
    bench::PutBenchKey(i, key);
    PutSlotText(slots.tag, bench::kTagLength, key);
    Append();
  }
  CloseArea();
}

// A figure of this process's /proc status in KB: VmRSS its resident memory now, VmHWM the most
// it had since it started (fork and exec leave the parent's figures in its resource usage).
long StatusKb(const std::string& name) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(name + ":", 0) == 0) return std::atol(line.c_str() + name.size() + 1);
  return 0;
}
long ResidentKb() { return StatusKb("VmRSS"); }
long PeakKb() { return StatusKb("VmHWM"); }

// The build itself, in the process that --build starts: prints its seconds and the resident
// memory before it.
int BuildChild(const std::string& table, const std::string& index) {
  xbase::Init();
  AnsiTables = true;
  NetworkLocking = false;
  Use(table + " EXCLUSIVE", nullptr, 0);
  const long before = ResidentKb();
  const auto start = Clock::now();
  MakeIndex(index, "TAG", false, 0, false, false, nullptr, 0);
  const std::chrono::duration<double> elapsed = Clock::now() - start;
  if (ErrorCode != 0) return 1;
  std::printf("seconds %.3f\nbefore_kb %ld\npeak_kb %ld\n", elapsed.count(), before, PeakKb());
  CloseArea();
  xbase::Done();
  return 0;
}

struct Process {
  std::map<std::string, double> figures;  // what it printed
};

// Runs a program in a process of its own.
Process Measure(const std::vector<std::string>& arguments) {
  Process process;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return process;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[0]);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeEnds[1]);
  FILE* output = fdopen(pipeEnds[0], "r");
  char name[64];
  double value = 0;
  while (std::fscanf(output, "%63s %lf", name, &value) == 2) process.figures[name] = value;
  std::fclose(output);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) process.figures.clear();
  return process;
}

std::string Self() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

// The build of TAG from a full table of `records` records, ours and xbase64's.
bool Builds(const std::string& folder, long records, const Options& options) {
  const std::string table = folder + "/build.dbf", index = folder + "/build.ndx";
  FillTable(table, records);
  const Process ours = Measure({Self(), "--build", table, index});
  if (ours.figures.empty()) {
    std::fprintf(stderr, "the build of %ld keys failed\n", records);
    return false;
  }
  std::printf("build of %7ld keys %8.3f s %10.0f keys/s  peak %6.0f KB (%.0f KB before)", records,
              ours.figures.at("seconds"), records / ours.figures.at("seconds"), ours.figures.at("peak_kb"),
              ours.figures.at("before_kb"));
#ifdef XBASE64_NDX_PROGRAM
  if (options.peers) {
    const Process theirs = Measure({XBASE64_NDX_PROGRAM, "reindex", table, folder + "/build64.ndx"});
    if (!theirs.figures.empty())
      std::printf("   xbase64 %8.3f s, peak %6.0f KB (x%.1f)", theirs.figures.at("seconds"),
                  theirs.figures.at("peak_kb"), theirs.figures.at("seconds") / ours.figures.at("seconds"));
  }
#else
  (void)options;
#endif
  std::printf("\n");
  for (const char* file : {"/build.dbf", "/build.ndx", "/build64.ndx"}) std::filesystem::remove(folder + file);
  return true;
}

void Print(const char* figure, double ours, double calls, const std::map<std::string, double>& xbase64,
           const char* key) {
  std::printf("%-34s %12.0f /s %5.2f calls", figure, ours, calls);
  const auto found = xbase64.find(key);
  if (found != xbase64.end() && found->second > 0)
    std::printf("   xbase64 %10.0f /s (x%.1f)", found->second, ours / found->second);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--build") return BuildChild(argv[2], argv[3]);
  const Options options = bench::ParseOptions(argc, argv, "seeks", 1'000'000, 1'000'000);
  const std::string folder =
      options.folder.empty() ? platform::os::TempFolder() + "/index-benchmark-" + std::to_string(getpid())
                             : options.folder;
  std::filesystem::create_directories(folder);
  xbase::Init();
  AnsiTables = true;

  const Figures exclusive = Run(folder, options, Setting::kExclusive);
  const Figures defaults = Run(folder, options, Setting::kShared);
  const Figures cached = Run(folder, options, Setting::kCached);
  std::map<std::string, double> xbase64;
#ifdef XBASE64_NDX_PROGRAM
  if (options.peers)
    xbase64 = bench::RunPeer(std::string(XBASE64_NDX_PROGRAM) + " bench '" + folder + "' " +
                             std::to_string(options.records) + " " + std::to_string(options.count));
#endif
  std::printf("%ld records of 100 bytes indexed on TAG C(20), %ld seeks (%ld missed)\n", options.records,
              options.count, exclusive.misses);
  Print("appends, exclusive", exclusive.appends, exclusive.appendCalls, xbase64, "appends/s");
  Print("exact seeks, exclusive", exclusive.seeks, exclusive.seekCalls, xbase64, "seeks/s");
  Print("appends, shared, semaphore on", defaults.appends, defaults.appendCalls, xbase64, "appends/s");
  Print("exact seeks, shared, semaphore on", defaults.seeks, defaults.seekCalls, xbase64, "seeks/s");
  Print("appends, shared, large node cache", cached.appends, cached.appendCalls, xbase64, "appends/s");
  Print("exact seeks, shared, large node cache", cached.seeks, cached.seekCalls, xbase64, "seeks/s");
  bool built = true;
  for (const long records : {options.records / 10, options.records}) built = Builds(folder, records, options) && built;
  xbase::Done();
  if (options.folder.empty()) std::filesystem::remove_all(folder);
  long absent = 0;
  for (const auto i : bench::SeekOrder(options.records, options.count)) absent += i >= std::uint64_t(options.records);
  if (exclusive.misses != absent || defaults.misses != absent || cached.misses != absent) {
    std::fprintf(stderr, "%ld keys are absent, but %ld, %ld and %ld seeks missed\n", absent, exclusive.misses,
                 defaults.misses, cached.misses);
    return 1;
  }
  return built ? 0 : 1;
}
