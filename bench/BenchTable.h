#pragma once
// The benchmarks' table of 100-byte records.

#include <cstdint>
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

}  // namespace bench
