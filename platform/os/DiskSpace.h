#pragma once
// Free disk space, the stand-in for the Windows free-space query of a drive.

#include <cstdint>
#include <optional>
#include <string>

namespace platform::os {

// Bytes available to an unprivileged caller on the file system that holds `path`, or nothing
// when the query fails.
std::optional<std::uint64_t> FreeDiskBytes(const std::string& path);

}  // namespace platform::os
