#pragma once
// Temporary files: the stand-in for the Windows temporary path and unique-name requests.

#include <string>
#include <string_view>

namespace platform::os {

// $TMPDIR when it is set and not empty, else /tmp.
std::string TempFolder();

struct TempFile {
  std::string path;  // empty on failure
  int error = 0;     // errno of the failure, 0 on success
};

// Creates a new empty file named <TempFolder>/<prefix> followed by six random characters and
// closes it again, so that the name stays reserved.
TempFile CreateTempFile(std::string_view prefix);

}  // namespace platform::os
