#include "ChildProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace desktop_test {
namespace {

std::vector<std::string> Environment(const std::map<std::string, std::string>& changes) {
  std::map<std::string, std::string> all;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const auto equals = text.find('=');
    if (equals != std::string::npos) all[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : changes) all[name] = value;
  std::vector<std::string> result;
  for (const auto& [name, value] : all) result.push_back(name + "=" + value);
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& command, const Options& options) {
  std::vector<std::string> arguments = command;
  std::vector<std::string> environment = Environment(options.environment);
  std::vector<char*> argv = Pointers(arguments);
  std::vector<char*> envp = Pointers(environment);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!options.folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, options.folder.c_str());
  // A descriptor opened close-on-exec is kept by duplicating it onto itself.
  if (options.keepDescriptor >= 0)
    posix_spawn_file_actions_adddup2(&actions, options.keepDescriptor, options.keepDescriptor);
  const int error = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot start " + command[0] + ": " + std::strerror(error));
}

ChildProcess::~ChildProcess() {
  if (!Running()) return;
  kill(pid_, SIGTERM);
  if (!WaitForExit(std::chrono::seconds(5))) {
    kill(pid_, SIGKILL);
    WaitForExit(std::chrono::seconds(5));
  }
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds within) {
  const auto until = std::chrono::steady_clock::now() + within;
  while (Running()) {
    if (std::chrono::steady_clock::now() >= until) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return status_;
}

bool ChildProcess::Running() {
  if (status_) return false;
  int status = 0;
  pid_t done;
  while ((done = waitpid(pid_, &status, WNOHANG)) < 0 && errno == EINTR) {
  }
  if (done == pid_) status_ = status;
  return !status_;
}

}  // namespace desktop_test
