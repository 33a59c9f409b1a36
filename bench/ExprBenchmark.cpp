// Speed of the expression engine: the filter AMOUNT > 500 .AND. NAME = 'DELTA', compiled once,
// over a table of 100-byte records (GoTop, then Skip to EOF), beside a scan without a filter,
// the evaluations alone, and the heap allocations they make; then the same filter run by
// DBD::XBase (SQL) and python3-dbf (a loop) when they are installed. Prints one line a figure.
//
//   expr_benchmark [--records N] [--evaluations N] [--folder DIR] [--no-peers]
//
// Defaults: 1,000,000 records and 10,000,000 evaluations in a temporary folder.

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <new>
#include <string>

#include "bench/BenchPeers.h"
#include "bench/BenchTable.h"
#include "xbase/Library.h"
#include "xbase/core/ovcommon.h"
#include "xbase/dbf/TypedSlots.h"
#include "xbase/expr/ovparser.h"
#include "xbase/workarea/dbf4.h"

// Every heap allocation of the program is counted.
namespace {
std::size_t allocations = 0;

void* Allocate(std::size_t size) {
  ++allocations;
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  ++allocations;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  ++allocations;
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

using namespace xbase;
using bench::Clock;

constexpr const char* kFilter = "AMOUNT > 500 .AND. NAME = 'DELTA'";

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The benchmarks' table: one record in 8 has a NAME beginning with DELTA, AMOUNT runs through
// 0.25 .. 999.25.
void FillTable(const std::string& path, long records) {
  bench::CreateTable(path);
  Use(path + " EXCLUSIVE", nullptr, 0);
  const bench::Slots slots;
  for (long i = 0; i < records; ++i) {
    char tag[24] = "T";
    PutSlotText(slots.tag, 20, std::string_view(tag, std::to_chars(tag + 1, tag + sizeof tag, i).ptr));
    PutSlotText(slots.name, 40, i % 8 == 0 ? "DELTA AIRWAYS" : i % 8 == 1 ? "DELTOID" : "name of the record");
    PutSlotDouble(slots.amount, static_cast<double>(i * 37 % 1000) + 0.25);
    PutSlotInt32(slots.count, static_cast<std::int32_t>(i));
    PutSlotText(slots.day, 10, "05/17/24");
    slots.flag[0] = i % 2 == 0;
    PutSlotText(slots.note, 12, "note");
    Append();
  }
  CloseArea();
}

struct Scan {
  double seconds = 0;
  long visible = 0;
  std::size_t allocations = 0;
};

Scan ScanTable() {
  Scan scan;
  const std::size_t before = allocations;
  const auto start = Clock::now();
  for (GoTop(); !dEOF(); Skip(1)) ++scan.visible;
  scan.seconds = Seconds(start);
  scan.allocations = allocations - before;
  return scan;
}

}  // namespace

int main(int argc, char** argv) {
  const bench::Options options = bench::ParseOptions(argc, argv, "evaluations", 1'000'000, 10'000'000);
  const std::string folder = bench::WorkFolder(options, "expr-benchmark");
  std::filesystem::create_directories(folder);
  const std::string table = folder + "/filtered.dbf";
  xbase::Init();
  AnsiTables = true;  // text as it is, as the peers store it
  FillTable(table, options.records);

  Use(table + " EXCLUSIVE", nullptr, 0);
  const Scan plain = ScanTable();
  CompiledExpr* filter = AssignExpr(kFilter);
  WorkArea(CurrentArea())->FilterExpr = filter;
  const Scan filtered = ScanTable();
  WorkArea(CurrentArea())->FilterExpr = nullptr;

  // The evaluations alone, on the first thousand records in turn.
  const long perRecord = std::max(1L, options.count / 1000);
  long evaluations = 0;
  long selected = 0;
  std::size_t evaluationAllocations = 0;
  double evaluating = 0;
  for (GoTop(); !dEOF() && evaluations < options.count; Skip(1)) {
    const std::size_t before = allocations;
    const auto start = Clock::now();
    for (long k = 0; k < perRecord; ++k) selected += *static_cast<const std::int32_t*>(Evaluate(filter));
    evaluating += Seconds(start);
    evaluationAllocations += allocations - before;
    evaluations += perRecord;
  }
  FreeExpr(filter);
  CloseArea();

  // Each prints "filter <records per second>" and "selected <records>".
  std::map<std::string, std::map<std::string, double>> peers;
  if (options.peers) {
    peers["DBD::XBase"] = bench::RunScript("/usr/bin/perl", BENCH_SOURCE_DIR "/perl_xbase_filter.pl", {folder, "filtered"});
    peers["python3-dbf"] = bench::RunScript("/usr/bin/python3", BENCH_SOURCE_DIR "/python_dbf_filter.py", {table});
  }

  const double ours = options.records / filtered.seconds;
  std::printf("%ld records of 100 bytes, filter %s\n", options.records, kFilter);
  std::printf("%-36s %12.0f records/s\n", "scan with Skip, no filter", options.records / plain.seconds);
  std::printf("%-36s %12.0f records/s (%ld selected)\n", "scan with Skip, filter", ours, filtered.visible);
  std::printf("%-36s %12.0f /s (%ld true)\n", "evaluations alone", evaluations / evaluating, selected);
  std::printf("%-36s %12.3f per evaluation\n", "heap allocations, evaluations alone",
              static_cast<double>(evaluationAllocations) / std::max(1L, evaluations));
  std::printf("%-36s %12.3f per record\n", "heap allocations, scan with filter",
              static_cast<double>(filtered.allocations) / std::max(1L, options.records));
  std::printf("%-36s %12.3f per record\n", "heap allocations, scan without",
              static_cast<double>(plain.allocations) / std::max(1L, options.records));
  for (const auto& [peer, figures] : peers) {
    const auto rate = figures.find("filter");
    const auto selected = figures.find("selected");
    if (rate == figures.end() || rate->second <= 0 || selected == figures.end()) continue;
    std::printf("%-36s %12.0f records/s (%.0f selected), ours x%.1f\n", peer.c_str(), rate->second,
                selected->second, ours / rate->second);
  }

  xbase::Done();
  if (options.folder.empty()) std::filesystem::remove_all(folder);
  return 0;
}
