#pragma once
// What the benchmarks share: their options, their table of 100-byte records, and the figures of
// the programs they are compared with.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "xbase/dbf/ovdbflow.h"
#include "xbase/workarea/dbf4.h"

namespace bench {

// The options every benchmark takes: --records N, a count of its own work ("--reads N" with the
// name "reads"), --folder DIR (a temporary one when empty) and --no-peers.
struct Options {
  long records = 0;
  long count = 0;
  std::string folder;
  bool peers = true;
};

inline Options ParseOptions(int argc, char** argv, const std::string& countName, long records, long count) {
  Options options{records, count, "", true};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--records" && hasValue) {
      options.records = std::atol(argv[++i]);
    } else if (arg == "--" + countName && hasValue) {
      options.count = std::atol(argv[++i]);
    } else if (arg == "--folder" && hasValue) {
      options.folder = argv[++i];
    } else if (arg == "--no-peers") {
      options.peers = false;
    } else {
      std::fprintf(stderr, "usage: %s [--records N] [--%s N] [--folder DIR] [--no-peers]\n", argv[0],
                   countName.c_str());
      std::exit(2);
    }
  }
  return options;
}

inline double PerSecond(long count, std::chrono::steady_clock::time_point start) {
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  return count / elapsed.count();
}

// TAG C(20), NAME C(40), AMOUNT N(10,2), COUNT N(8,0), DAY D, FLAG L, NOTE C(12): 100 bytes.
inline void CreateTable(const std::string& path) {
  const std::vector<xbase::FieldEntry> fields = {
      {"TAG", 'C', 20, 0, 0},    {"NAME", 'C', 40, 0, 0}, {"AMOUNT", 'N', 10, 2, 0},
      {"COUNT", 'N', 8, 0, 0},   {"DAY", 'D', 8, 0, 0},   {"FLAG", 'L', 1, 0, 0},
      {"NOTE", 'C', 12, 0, 0}};
  xbase::DbfTable table;
  xbase::CreateDBF(table, path, fields);
}

// The typed record's slots of the table above, open in the current area.
struct Slots {
  std::uint8_t *tag, *name, *amount, *count, *day, *flag, *note;
  Slots()
      : tag(xbase::FieldAddress(1)), name(xbase::FieldAddress(2)), amount(xbase::FieldAddress(3)),
        count(xbase::FieldAddress(4)), day(xbase::FieldAddress(5)), flag(xbase::FieldAddress(6)),
        note(xbase::FieldAddress(7)) {}
};

// Runs a comparison program and reads its "<figure> <value>" lines; empty when it is not
// installed or fails.
inline std::map<std::string, double> RunPeer(const std::string& command) {
  std::map<std::string, double> figures;
  FILE* output = popen(command.c_str(), "r");
  if (output == nullptr) return figures;
  char name[64];
  double value = 0;
  while (std::fscanf(output, "%63s %lf", name, &value) == 2) figures[name] = value;
  if (pclose(output) != 0) figures.clear();
  return figures;
}

}  // namespace bench
