#pragma once
// What the test program flushed to the device: the linker option --wrap=fsync sends every fsync
// of the library through a recorder that notes the file and what it held at that moment.

#include <string>
#include <vector>

namespace xbase {

struct SyncRecord {
  std::string bytes;  // the file's whole content when it was flushed
};

// The flushes of the file at path since the last ClearSyncs, oldest first.
std::vector<SyncRecord> SyncsOf(const std::string& path);

void ClearSyncs();

}  // namespace xbase
