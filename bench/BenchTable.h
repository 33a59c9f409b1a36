#pragma once
// What the benchmarks share: their table of 100-byte records, and the figures of the programs
// they are compared with.

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "xbase/dbf/ovdbflow.h"
#include "xbase/workarea/dbf4.h"

namespace bench {

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
