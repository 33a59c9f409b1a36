#pragma once
// The machine's memory, the stand-in for the Windows memory status query.

#include <cstdint>

namespace platform::os {

// The total physical memory in bytes, 0 when the query fails. 64 bits: machines hold more
// than 4 GB.
std::uint64_t TotalPhysicalMemory();

}  // namespace platform::os
