#pragma once
// The keys of the index benchmark, the same for every program it measures: record i's TAG is
// "K" and 19 digits of a scrambled i, so that appends come in random key order; the seeks ask
// for the keys of records 0 .. records - 1 and, one in twenty, of records never appended.

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace bench {

inline constexpr std::size_t kTagLength = 20;

// Writes record i's key and a NUL into text.
inline void PutBenchKey(std::uint64_t i, char (&text)[kTagLength + 1]) {
  std::uint64_t z = i + 0x9E3779B97F4A7C15ULL;  // splitmix64
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  z ^= z >> 31;
  std::snprintf(text, sizeof text, "K%019llu", static_cast<unsigned long long>(z % 10000000000000000000ULL));
}

inline std::string BenchKey(std::uint64_t i) {
  char text[kTagLength + 1];
  PutBenchKey(i, text);
  return text;
}

// The record numbers whose keys the seeks ask for (records and above: misses).
inline std::vector<std::uint64_t> SeekOrder(std::uint64_t records, std::uint64_t seeks) {
  std::mt19937_64 random(20240315);
  std::vector<std::uint64_t> order(seeks);
  for (auto& i : order) i = random() % 20 == 0 ? records + random() % (records + 1) : random() % records;
  return order;
}

}  // namespace bench
