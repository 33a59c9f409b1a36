#pragma once
// The peer program's commands on index files and the semaphore protocol (see IndexCommands.cpp).

#include <optional>
#include <sstream>
#include <string>

namespace peer {

// Runs an index command; nothing when the command is none of them or its arguments are wrong.
std::optional<std::string> RunIndexCommand(const std::string& command, std::istringstream& words);

}  // namespace peer
