#pragma once
// Reading a peer command's arguments.

#include <sstream>
#include <string>

namespace peer {

// The rest of the command line, leading blanks removed.
inline std::string Rest(std::istringstream& words) {
  std::string rest;
  std::getline(words >> std::ws, rest);
  return rest;
}

}  // namespace peer
