// Speed of the work-area engine on a table of 100-byte records: appends, a scan with Skip and
// random reads with Go, on a table opened exclusively and shared; then the same work done by
// python3-dbf and Perl's XBase when they are installed, with the ratios side by side. Prints
// one line a figure.
//
//   table_benchmark [--records N] [--reads N] [--folder DIR] [--no-peers]
//
// Defaults: 1,000,000 records and 100,000 random reads in a temporary folder.

#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchTable.h"
#include "platform/os/TempFiles.h"
#include "xbase/Library.h"
#include "xbase/core/ovcommon.h"
#include "xbase/dbf/TypedSlots.h"
#include "xbase/dbf/ovdbflow.h"
#include "xbase/workarea/dbf4.h"

namespace {

using namespace xbase;
using bench::CreateTable;
using bench::Options;
using bench::PerSecond;
using bench::RunPeer;
using bench::Slots;
using Clock = std::chrono::steady_clock;

long PeakResidentKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct Figures {
  double appends = 0, scan = 0, randomGo = 0;
};

// Appends, scans and reads the table in one mode; `lockEach` takes the append lock for every
// record (else once for the whole run, as a loading program does).
Figures Run(const std::string& path, const Options& options, bool exclusive, bool lockEach,
            long& checksum) {
  CreateTable(path);
  Select(1);
  Use(path + (exclusive ? " EXCLUSIVE" : ""), nullptr, 0);
  Figures figures;
  {
    const Slots slots;
    if (!exclusive && !lockEach) ALock();
    const auto start = Clock::now();
    for (long i = 0; i < options.records; ++i) {
      char tag[24] = "T";
      const char* tagEnd = std::to_chars(tag + 1, tag + sizeof tag, i).ptr;
      PutSlotText(slots.tag, 20, std::string_view(tag, tagEnd));
      PutSlotText(slots.name, 40, "name of the record");
      PutSlotDouble(slots.amount, i * 0.25);
      PutSlotInt32(slots.count, static_cast<std::int32_t>(i));
      PutSlotText(slots.day, 10, "05/17/24");
      slots.flag[0] = i % 2 == 0;
      PutSlotText(slots.note, 12, "note");
      if (lockEach) ALock();
      Append();
      if (lockEach) Unlock();
    }
    figures.appends = PerSecond(options.records, start);
    Unlock();
  }
  {
    const std::uint8_t* count = FieldAddress(4);
    const auto start = Clock::now();
    long scanned = 0;
    for (GoTop(); !dEOF(); Skip(1)) {
      checksum += GetSlotInt32(count);
      ++scanned;
    }
    figures.scan = PerSecond(scanned, start);
  }
  {
    const std::uint8_t* count = FieldAddress(4);
    std::mt19937 random(1);
    std::uniform_int_distribution<std::int32_t> pick(1, static_cast<std::int32_t>(options.records));
    const auto start = Clock::now();
    for (long i = 0; i < options.count; ++i) {
      Go(pick(random));
      checksum += GetSlotInt32(count);
    }
    figures.randomGo = PerSecond(options.count, start);
  }
  CloseArea();
  std::filesystem::remove(path);
  return figures;
}

void Print(const char* figure, double ours, const std::map<std::string, std::map<std::string, double>>& peers,
           const char* key) {
  std::printf("%-28s %12.0f /s", figure, ours);
  for (const auto& [peer, figures] : peers) {
    const auto found = figures.find(key);
    if (found != figures.end() && found->second > 0)
      std::printf("   %s %10.0f /s (x%.1f)", peer.c_str(), found->second, ours / found->second);
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = bench::ParseOptions(argc, argv, "reads", 1'000'000, 100'000);
  const std::string folder =
      options.folder.empty() ? platform::os::TempFolder() + "/table-benchmark-" + std::to_string(getpid())
                             : options.folder;
  std::filesystem::create_directories(folder);
  xbase::Init();
  AnsiTables = true;  // text as it is, as the peers store it

  long checksum = 0;
  const long memoryBefore = PeakResidentKb();
  const Figures exclusive = Run(folder + "/exclusive.dbf", options, true, false, checksum);
  const Figures shared = Run(folder + "/shared.dbf", options, false, false, checksum);
  const Figures sharedLocked = Run(folder + "/locked.dbf", options, false, true, checksum);
  const long memoryAfter = PeakResidentKb();

  std::map<std::string, std::map<std::string, double>> peers;
  if (options.peers) {
    const std::string work = " '" + folder + "' " + std::to_string(options.records) + " " +
                             std::to_string(options.count) + " 2>/dev/null";
    const std::string bench = BENCH_SOURCE_DIR;
    if (access("/usr/bin/python3", X_OK) == 0)
      peers["python3-dbf"] = RunPeer("/usr/bin/python3 '" + bench + "/python_dbf_peer.py'" + work);
    if (access("/usr/bin/perl", X_OK) == 0)
      peers["Perl-XBase"] = RunPeer("/usr/bin/perl '" + bench + "/perl_xbase_peer.pl'" + work);
    for (auto peer = peers.begin(); peer != peers.end();)
      peer = peer->second.empty() ? peers.erase(peer) : std::next(peer);
  }

  std::printf("%ld records of 100 bytes, %ld random reads\n", options.records, options.count);
  Print("appends, exclusive", exclusive.appends, peers, "appends");
  Print("appends, shared", shared.appends, peers, "appends");
  Print("appends, shared, lock each", sharedLocked.appends, peers, "appends");
  Print("scan with Skip, exclusive", exclusive.scan, peers, "scan");
  Print("scan with Skip, shared", shared.scan, peers, "scan");
  Print("random Go, exclusive", exclusive.randomGo, peers, "random_go");
  Print("random Go, shared", shared.randomGo, peers, "random_go");
  std::printf("%-28s %12ld KB (peak before the runs %ld KB)\n", "peak resident memory", memoryAfter,
              memoryBefore);
  std::printf("checksum %ld\n", checksum);

  xbase::Done();
  if (options.folder.empty()) std::filesystem::remove_all(folder);
  return 0;
}
