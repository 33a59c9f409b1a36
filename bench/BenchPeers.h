#pragma once
// What the benchmarks share: rates, and the comparison programs run beside them.

#include <chrono>
#include <cstdio>
#include <map>
#include <string>

namespace bench {

using Clock = std::chrono::steady_clock;

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
