// Speed of the work-area engine on a table of 100-byte records: appends, a scan with Skip (with
// the read calls it makes) and random reads with Go (with theirs), on a table opened exclusively
// and shared, and a scan of the exclusive table as a dataset reading every field through its
// field classes; random reads again on an exclusive table small enough for the record cache to
// keep; then the same work done by python3-dbf and Perl's XBase when they are installed, with
// the ratios side by side. Prints one line a figure.
//
//   table_benchmark [--records N] [--reads N] [--folder DIR] [--no-peers]
//
// Defaults: 1,000,000 records (50,000 in the table the record cache keeps) and 100,000 random
// reads in a temporary folder.

#include <sys/resource.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchPeers.h"
#include "bench/BenchTable.h"
#include "xbase/Library.h"
#include "xbase/core/ovcommon.h"
#include "xbase/dataset/uovcds.h"
#include "xbase/dbf/TypedSlots.h"
#include "xbase/dbf/ovdbflow.h"
#include "xbase/workarea/dbf4.h"

namespace {

using namespace xbase;
using bench::Clock;
using bench::Options;
using bench::CreateTable;
using bench::PerSecond;
using bench::RunScript;
using bench::Slots;

long PeakResidentKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The read calls this process has made so far.
long ReadCalls() {
  std::FILE* io = std::fopen("/proc/self/io", "r");
  if (io == nullptr) return 0;
  char key[32];
  long value = 0, calls = 0;
  while (std::fscanf(io, "%31s %ld", key, &value) == 2) {
    if (std::strcmp(key, "syscr:") == 0) calls = value;
  }
  std::fclose(io);
  return calls;
}

struct Figures {
  double appends = 0, scan = 0, randomGo = 0, datasetScan = 0;
  double scanReadsPerThousand = 0, goReadsPerThousand = 0;
};

// A dataset that opens the table exclusively and only reads it.
class ReadingDataSet : public TOvCDataSet {
 public:
  ~ReadingDataSet() override { CloseNoThrow(); }

 protected:
  bool s_OpenTable(const std::string& name) override {
    Use(name + " EXCLUSIVE ALIAS BENCH", nullptr, 0);
    return ErrorCode == 0;
  }
  bool s_AppendWithLock() override { return false; }
  bool s_DeleteWithLock() override { return false; }
  bool s_RestoreWithLock() override { return false; }
  bool s_ReplaceWithLock() override { return false; }
};

// Scans the table with the dataset's Next, reading every field through the field classes.
double DatasetScan(const std::string& path, long& checksum) {
  ReadingDataSet data;
  data.SetTableLanguage(tlAnsi);
  data.SetDbfFileName(path);
  data.Open();
  const platform::db::TField& tag = data.FieldByName("TAG");
  const platform::db::TField& name = data.FieldByName("NAME");
  const platform::db::TField& amount = data.FieldByName("AMOUNT");
  const platform::db::TField& count = data.FieldByName("COUNT");
  const platform::db::TField& day = data.FieldByName("DAY");
  const platform::db::TField& flag = data.FieldByName("FLAG");
  const platform::db::TField& note = data.FieldByName("NOTE");
  const auto start = Clock::now();
  long scanned = 0;
  for (data.First(); !data.Eof(); data.Next()) {
    checksum += static_cast<long>(tag.AsString().size() + name.AsString().size() + note.AsString().size()) +
                static_cast<long>(amount.AsFloat()) + count.AsInteger() +
                static_cast<long>(day.AsDateTime().Days) + flag.AsBoolean();
    ++scanned;
  }
  return PerSecond(scanned, start);
}

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
    const long readsBefore = ReadCalls();
    const auto start = Clock::now();
    long scanned = 0;
    for (GoTop(); !dEOF(); Skip(1)) {
      checksum += GetSlotInt32(count);
      ++scanned;
    }
    figures.scan = PerSecond(scanned, start);
    figures.scanReadsPerThousand = 1000.0 * static_cast<double>(ReadCalls() - readsBefore) /
                                   static_cast<double>(std::max(scanned, 1L));
  }
  {
    const std::uint8_t* count = FieldAddress(4);
    std::mt19937 random(1);
    std::uniform_int_distribution<std::int32_t> pick(1, static_cast<std::int32_t>(options.records));
    const long readsBefore = ReadCalls();
    const auto start = Clock::now();
    for (long i = 0; i < options.count; ++i) {
      Go(pick(random));
      checksum += GetSlotInt32(count);
    }
    figures.randomGo = PerSecond(options.count, start);
    figures.goReadsPerThousand = 1000.0 * static_cast<double>(ReadCalls() - readsBefore) /
                                 static_cast<double>(std::max(options.count, 1L));
  }
  CloseArea();
  if (exclusive) figures.datasetScan = DatasetScan(path, checksum);
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

// The records of the table small enough for the record cache (RecordCacheSize) to keep.
constexpr long kKeptRecords = 50'000;

// The peers' figures for `records` records.
std::map<std::string, std::map<std::string, double>> RunPeers(const Options& options,
                                                              const std::string& folder, long records) {
  std::map<std::string, std::map<std::string, double>> peers;
  if (!options.peers) return peers;
  const std::vector<std::string> work = {folder, std::to_string(records), std::to_string(options.count)};
  peers["python3-dbf"] = RunScript("/usr/bin/python3", BENCH_SOURCE_DIR "/python_dbf_peer.py", work);
  peers["Perl-XBase"] = RunScript("/usr/bin/perl", BENCH_SOURCE_DIR "/perl_xbase_peer.pl", work);
  for (auto peer = peers.begin(); peer != peers.end();)
    peer = peer->second.empty() ? peers.erase(peer) : std::next(peer);
  return peers;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = bench::ParseOptions(argc, argv, "reads", 1'000'000, 100'000);
  const std::string folder = bench::WorkFolder(options, "table-benchmark");
  std::filesystem::create_directories(folder);
  xbase::Init();
  AnsiTables = true;  // text as it is, as the peers store it

  long checksum = 0;
  const long memoryBefore = PeakResidentKb();
  const Figures exclusive = Run(folder + "/exclusive.dbf", options, true, false, checksum);
  const Figures shared = Run(folder + "/shared.dbf", options, false, false, checksum);
  const Figures sharedLocked = Run(folder + "/locked.dbf", options, false, true, checksum);
  Options keptOptions = options;
  keptOptions.records = std::min(options.records, kKeptRecords);
  const Figures kept = Run(folder + "/kept.dbf", keptOptions, true, false, checksum);
  const long memoryAfter = PeakResidentKb();

  const auto peers = RunPeers(options, folder, options.records);
  const auto keptPeers = RunPeers(options, folder, keptOptions.records);

  std::printf("%ld records of 100 bytes (%ld in the kept table), %ld random reads\n", options.records,
              keptOptions.records, options.count);
  Print("appends, exclusive", exclusive.appends, peers, "appends");
  Print("appends, shared", shared.appends, peers, "appends");
  Print("appends, shared, lock each", sharedLocked.appends, peers, "appends");
  Print("scan with Skip, exclusive", exclusive.scan, peers, "scan");
  Print("scan with Skip, shared", shared.scan, peers, "scan");
  std::printf("%-28s %12.2f exclusive, %.2f shared\n", "read calls a 1,000 scanned",
              exclusive.scanReadsPerThousand, shared.scanReadsPerThousand);
  Print("dataset Next, every field", exclusive.datasetScan, peers, "scan_fields");
  Print("random Go, exclusive", exclusive.randomGo, peers, "random_go");
  Print("random Go, shared", shared.randomGo, peers, "random_go");
  Print("random Go, kept table", kept.randomGo, keptPeers, "random_go");
  std::printf("%-28s %12.2f exclusive, %.2f shared, %.2f kept (record cache %u KB)\n",
              "read calls a 1,000 Go's", exclusive.goReadsPerThousand, shared.goReadsPerThousand,
              kept.goReadsPerThousand, RecordCacheSize / 1024);
  std::printf("%-28s %12ld KB (peak before the runs %ld KB)\n", "peak resident memory", memoryAfter,
              memoryBefore);
  std::printf("checksum %ld\n", checksum);

  xbase::Done();
  if (options.folder.empty()) std::filesystem::remove_all(folder);
  return 0;
}
