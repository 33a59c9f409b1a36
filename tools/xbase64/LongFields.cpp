// Correct readers of the 4-byte integers of dBase files for xbase64 3.1.2, which reads them
// into 64-bit longs and leaves the upper half undefined, so that its index checks fail even on
// its own files. Defined here, they take the place of the library's own: preloaded into its
// tools, and linked into xbase64_ndx, whose exported definitions the library's calls reach.

#include <xbase64/xbase64.h>

#include <cstdint>
#include <cstring>

xbLong xbXBase::GetLong(const char* p) {
  std::int32_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

xbULong xbXBase::GetULong(const char* p) {
  std::uint32_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}
