#pragma once
// A program a desktop test starts: its own environment and folder, ended by its pid when the
// test ends.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace desktop_test {

class ChildProcess {
 public:
  struct Options {
    std::string folder;                          // the working folder ("" keeps the test's)
    std::map<std::string, std::string> environment;  // set in the test's own environment
    int keepDescriptor = -1;                     // a descriptor the program inherits
  };

  // Starts program with its arguments; throws when it cannot be started.
  ChildProcess(const std::vector<std::string>& command, const Options& options);
  // Ends the program (SIGTERM, then SIGKILL) unless it has ended.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The wait status once the program ended within the time, else nothing.
  std::optional<int> WaitForExit(std::chrono::milliseconds within);

  bool Running();
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

}  // namespace desktop_test
