#pragma once
// The peer program's commands on memo files (see MemoCommands.cpp).

#include <optional>
#include <sstream>
#include <string>

namespace peer {

// Runs a memo command; nothing when the command is none of them or its arguments are wrong.
std::optional<std::string> RunMemoCommand(const std::string& command, std::istringstream& words);

}  // namespace peer
