#pragma once
// What the benchmarks share: rates, and the comparison programs run beside them.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace bench {

using Clock = std::chrono::steady_clock;

// The options of a benchmark: --records N, a count of its own work ("--seeks N" with the name
// "seeks"), --folder DIR (a temporary one when empty) and --no-peers.
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

inline double PerSecond(long count, Clock::time_point start) {
  const std::chrono::duration<double> elapsed = Clock::now() - start;
  return count / elapsed.count();
}

// Runs a comparison program and reads its "<figure> <per second>" lines; empty when it is not
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
