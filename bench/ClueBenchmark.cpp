// Speed of the clue database window's look-up: a clue table of the sample's fields with one
// entry per answer (one clue for most, three for every seventh, twelve over two records for
// every fiftieth), indexed on ENTRY, opened shared with its index and the semaphore protocol as
// the window opens it, then random hits and misses through the window's own code (the seek,
// every field, MORE, back to the entry's start; FindNear on a miss). Prints the time to make the
// table and its index, and the mean and 99th percentile of a look-up, beside Perl's XBase doing
// the same with prepare_select_with_index and find_eq on the same files; then the system calls of
// each look-up made a second time, when the node cache holds every node it needs.
//
//   clue_benchmark [--records N] [--lookups N] [--folder DIR] [--no-peers]
//
// Defaults: 1,000,000 answers and 100,000 look-ups, half of them misses, in a temporary folder.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/clues/ClueVault.h"
#include "app/clues/DbfClueTable.h"
#include "bench/BenchPeers.h"
#include "bench/SystemCalls.h"
#include "platform/os/TempFiles.h"
#include "xbase/Library.h"
#include "xbase/core/ovcommon.h"
#include "xbase/dbf/ovdbflow.h"
#include "xbase/index/ovndx.h"
#include "xbase/workarea/TypedFieldText.h"
#include "xbase/workarea/dbf4.h"

namespace {

using namespace xbase;
using bench::Clock;

constexpr std::uint64_t kWordSpace = 308'915'776;  // 26^6 six-letter words
constexpr std::uint64_t kStride = 7'919;             // a prime: i * stride mod 26^6 is one-to-one

// Answer i: six letters, a different word for every i below 26^6. The table holds answers 0 to
// records - 1; the misses ask for answers from records on.
std::string Answer(std::uint64_t i) {
  std::uint64_t n = i * kStride % kWordSpace;
  std::string word(6, 'A');
  for (char& c : word) {
    c = static_cast<char>('A' + n % 26);
    n /= 26;
  }
  return word;
}

int ClueCount(std::uint64_t i) { return i % 50 == 0 ? 12 : i % 7 == 0 ? 3 : 1; }

// ENTRY C(30), MORE L, CLUE1 to CLUE10 C(60), NOTE M: the sample's fields.
void CreateClueTable(const std::string& path, long answers) {
  std::vector<FieldEntry> fields{{"ENTRY", 'C', 30}, {"MORE", 'L', 1}};
  for (int n = 1; n <= 10; ++n) fields.push_back({"CLUE" + std::to_string(n), 'C', 60});
  fields.push_back({"NOTE", 'M', 10});
  DefaultVersionByte = 0x83;
  DbfTable table;
  CreateDBF(table, path, fields);
  Select(1);
  Use(path + " EXCLUSIVE", nullptr, 0);
  const int entry = FieldNo("ENTRY"), more = FieldNo("MORE");
  for (long i = 0; i < answers; ++i) {
    const std::string word = Answer(static_cast<std::uint64_t>(i));
    const int clues = ClueCount(static_cast<std::uint64_t>(i));
    for (int record = 0; record * 10 < clues; ++record) {
      ClearRecord();
      SetTypedFieldText(entry, word + std::string(static_cast<std::size_t>(record), '&'));
      SetTypedFieldText(more, (record + 1) * 10 < clues ? "T" : "F");
      for (int n = record * 10; n < std::min(clues, record * 10 + 10); ++n)
        SetTypedFieldText(FieldNo("CLUE" + std::to_string(n - record * 10 + 1)),
                          "Clue " + std::to_string(n + 1) + " of " + word);
      Append();
    }
  }
}

struct Timings {
  double mean = 0, p99 = 0;
};

Timings Summarise(std::vector<double>& micros) {
  if (micros.empty()) return {};
  std::sort(micros.begin(), micros.end());
  double total = 0;
  for (const double m : micros) total += m;
  return {total / micros.size(), micros[std::min(micros.size() - 1, micros.size() * 99 / 100)]};
}

}  // namespace

int main(int argc, char** argv) {
  const bench::Options options = bench::ParseOptions(argc, argv, "lookups", 1'000'000, 100'000);
  const std::string folder =
      options.folder.empty() ? platform::os::TempFolder() + "/clue-benchmark-" + std::to_string(getpid())
                             : options.folder;
  std::filesystem::create_directories(folder);
  const std::string table = folder + "/CLUES.DBF";
  std::filesystem::remove(table);
  std::filesystem::remove(folder + "/CLUES.DBT");
  xbase::Init();
  AnsiTables = true;

  auto start = Clock::now();
  CreateClueTable(table, options.records);
  const double created = std::chrono::duration<double>(Clock::now() - start).count();
  start = Clock::now();
  IndexOnExpr("ENTRY", folder + "/CLUES.NDX");
  const double indexed = std::chrono::duration<double>(Clock::now() - start).count();
  CloseArea();

  // The words asked for, half of them in the table; the same list for Perl.
  std::mt19937_64 random(20240517);
  std::vector<std::string> words;
  for (long n = 0; n < options.count; ++n) {
    const std::uint64_t i = random() % static_cast<std::uint64_t>(options.records);
    words.push_back(Answer(n % 2 == 0 ? i : i + static_cast<std::uint64_t>(options.records)));
  }
  const std::string wordFile = folder + "/words.txt";
  {
    std::ofstream out(wordFile);
    for (const std::string& word : words) out << word << '\n';
  }

  std::vector<double> hits, misses;
  bench::SystemCallCounts hitCalls, missCalls, hitCallsAgain, missCallsAgain;
  long clues = 0;
  {
    TOvDbf component;
    component.SetName("CluesDBF");
    TDbfClueTable clueTable(component);
    if (const std::string failure = clueTable.Open(table); !failure.empty()) {
      std::fprintf(stderr, "%s\n", failure.c_str());
      return 1;
    }
    TClueVault vault(clueTable);
    for (const std::string& word : words) {
      const bench::SystemCallCounts before = bench::CountedSystemCalls();
      const auto begin = Clock::now();
      const TClueEntry& entry = vault.LookupEntry(word);
      const double micros = std::chrono::duration<double, std::micro>(Clock::now() - begin).count();
      const bench::SystemCallCounts made = bench::CountedSystemCalls() - before;
      (entry.Found ? hits : misses).push_back(micros);
      (entry.Found ? hitCalls : missCalls) = (entry.Found ? hitCalls : missCalls) + made;
      clues += static_cast<long>(entry.Clues.size());
    }
    // The same words again, every node they need read before and nobody writing: the calls alone.
    for (const std::string& word : words) {
      const bench::SystemCallCounts before = bench::CountedSystemCalls();
      const bool found = vault.LookupEntry(word).Found;
      (found ? hitCallsAgain : missCallsAgain) =
          (found ? hitCallsAgain : missCallsAgain) + (bench::CountedSystemCalls() - before);
    }
  }
  std::vector<double> all = hits;
  all.insert(all.end(), misses.begin(), misses.end());
  const Timings ours = Summarise(all), ourHits = Summarise(hits), ourMisses = Summarise(misses);

  std::map<std::string, double> perl;
  if (options.peers && access("/usr/bin/perl", X_OK) == 0)
    perl = bench::RunPeer("/usr/bin/perl '" + std::string(BENCH_SOURCE_DIR) + "/perl_xbase_clue_peer.pl' '" +
                          folder + "' '" + wordFile + "' 2>/dev/null");

  std::printf("%ld answers, %ld look-ups (%zu hits, %zu misses), %ld clues listed\n", options.records,
              options.count, hits.size(), misses.size(), clues);
  std::printf("%-30s %10.2f s\n", "table written", created);
  std::printf("%-30s %10.2f s\n", "index built", indexed);
  const auto line = [&](const char* name, double value, const char* peerKey) {
    std::printf("%-30s %10.1f us", name, value);
    if (const auto found = perl.find(peerKey); found != perl.end())
      std::printf("   Perl-XBase %10.1f us (x%.1f)", found->second, found->second / value);
    std::printf("\n");
  };
  line("look-up, mean", ours.mean, "mean_us");
  line("look-up, 99th percentile", ours.p99, "p99_us");
  line("hit, mean", ourHits.mean, "hit_mean_us");
  line("miss, mean", ourMisses.mean, "miss_mean_us");
  const auto calls = [](const char* name, const bench::SystemCallCounts& made, std::size_t lookups) {
    const double n = static_cast<double>(std::max<std::size_t>(lookups, 1));
    std::printf("%-30s %10.2f   (reads %.2f, locks %.2f, sizes %.2f, writes %.2f)\n", name, made.Total() / n,
                made.reads / n, made.locks / n, made.sizes / n, made.writes / n);
  };
  calls("system calls a hit", hitCalls, hits.size());
  calls("system calls a miss", missCalls, misses.size());
  calls("the same hit again", hitCallsAgain, hits.size());
  calls("the same miss again", missCallsAgain, misses.size());

  xbase::Done();
  if (options.folder.empty()) std::filesystem::remove_all(folder);
  return 0;
}
