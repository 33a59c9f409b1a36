// cluedb: the clue database from the command line. Arguments are UTF-8; table text is
// Windows-1252.
//
//   cluedb sample <folder>             writes the sample clue database into the folder
//
// Exit status: 0 done; 3 a table error or a wrong command line.

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "platform/os/CodePage1252.h"
#include "tools/cluedb/SampleClues.h"
#include "xbase/Library.h"
#include "xbase/core/ovcommon.h"

namespace {

constexpr int kFailed = 3;

const char* const kUsage =
    "usage: cluedb sample <folder>\n";

int Run(const std::vector<std::string>& args) {
  if (args.size() == 2 && args[0] == "sample") {
    WriteSample(args[1]);
    return 0;
  }
  std::fputs(kUsage, stderr);
  return kFailed;
}

}  // namespace

int main(int argc, char* argv[]) {
  xbase::Init();
  // A table error ends the command with its message, never with the library's own exit.
  xbase::SetRaiseErrors(true);
  int status = kFailed;
  try {
    status = Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "cluedb: %s\n", platform::os::AnsiToUtf8(error.what()).c_str());
  }
  xbase::Done();
  return status;
}
