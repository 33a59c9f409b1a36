// Speed of the index engine on a table of 100-byte records indexed on TAG C(20): appends into
// the open index, then random exact seeks (one in twenty for a key that is not there), beside
// xbase64 doing the same work through tools/xbase64's program. Two settings of ours:
//   exclusive   the table opened exclusively without network locking, and a node cache large
//               enough for every node (the cache size is a setting; so xbase64 runs)
//   default     the settings as the library starts: network locking on (a shared table, the
//               append lock held for the whole run) and a node cache of IndexCacheSize bytes
//
//   index_benchmark [--records N] [--seeks N] [--folder DIR] [--no-peers]
//
// Defaults: 1,000,000 records and 1,000,000 seeks in a temporary folder. Prints one line a
// figure.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/BenchKeys.h"
#include "bench/BenchPeers.h"
#include "bench/BenchTable.h"
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
};

Figures Run(const std::string& folder, const Options& options, bool exclusive) {
  const std::string table = folder + "/bench.dbf", index = folder + "/bench.ndx";
  bench::CreateTable(table);
  CreateIndex(index);
  NetworkLocking = !exclusive;
  // Every node of a million keys in memory: about 80,000 nodes of 512 bytes.
  IndexCacheSize = exclusive ? 64u << 20 : 4096;
  Select(1);
  Use(table + (exclusive ? " EXCLUSIVE" : ""), nullptr, 0);
  auto order = OpenOrderFile(index);
  UseCompiledKey(*order, AssignExpr(order->KeyText));
  SeatOrder(std::move(order), 1, false);
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
    const auto start = Clock::now();
    for (long i = 0; i < options.records; ++i) {
      bench::PutBenchKey(i, key);
      PutSlotText(slots.tag, bench::kTagLength, key);
      Append();
    }
    figures.appends = PerSecond(options.records, start);
    Unlock();
  }
  {
    const auto order = bench::SeekOrder(options.records, options.count);
    std::vector<std::string> keys;
    keys.reserve(order.size());
    for (const auto i : order) keys.push_back(bench::BenchKey(i));
    BeginSoftSeek();
    const auto start = Clock::now();
    for (const std::string& key : keys) {
      Find(key);
      if (IndexFound == 0) ++figures.misses;
    }
    figures.seeks = PerSecond(options.count, start);
    EndSoftSeek();
  }
  ReleaseOrder(1);
  CloseArea();
  std::filesystem::remove(table);
  std::filesystem::remove(index);
  return figures;
}

void Print(const char* figure, double ours, const std::map<std::string, double>& xbase64, const char* key) {
  std::printf("%-34s %12.0f /s", figure, ours);
  const auto found = xbase64.find(key);
  if (found != xbase64.end() && found->second > 0)
    std::printf("   xbase64 %10.0f /s (x%.1f)", found->second, ours / found->second);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = bench::ParseOptions(argc, argv, "seeks", 1'000'000, 1'000'000);
  const std::string folder =
      options.folder.empty() ? platform::os::TempFolder() + "/index-benchmark-" + std::to_string(getpid())
                             : options.folder;
  std::filesystem::create_directories(folder);
  xbase::Init();
  AnsiTables = true;

  const Figures exclusive = Run(folder, options, true);
  const Figures defaults = Run(folder, options, false);
  std::map<std::string, double> xbase64;
#ifdef XBASE64_NDX_PROGRAM
  if (options.peers)
    xbase64 = bench::RunPeer(std::string(XBASE64_NDX_PROGRAM) + " bench '" + folder + "' " +
                             std::to_string(options.records) + " " + std::to_string(options.count));
#endif
  std::printf("%ld records of 100 bytes indexed on TAG C(20), %ld seeks (%ld missed)\n", options.records,
              options.count, exclusive.misses);
  Print("appends, exclusive", exclusive.appends, xbase64, "appends/s");
  Print("exact seeks, exclusive", exclusive.seeks, xbase64, "seeks/s");
  Print("appends, default settings", defaults.appends, xbase64, "appends/s");
  Print("exact seeks, default settings", defaults.seeks, xbase64, "seeks/s");
  xbase::Done();
  if (options.folder.empty()) std::filesystem::remove_all(folder);
  long absent = 0;
  for (const auto i : bench::SeekOrder(options.records, options.count)) absent += i >= std::uint64_t(options.records);
  if (exclusive.misses != absent || defaults.misses != absent) {
    std::fprintf(stderr, "%ld keys are absent, but %ld and %ld seeks missed\n", absent, exclusive.misses,
                 defaults.misses);
    return 1;
  }
  return 0;
}
