#include "tests/xbase/multiprocess/PeerProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace xbase {
namespace {

void Throw(const std::string& what) { throw std::runtime_error(what + ": " + std::strerror(errno)); }

}  // namespace

PeerProcess::PeerProcess(const std::string& program, const std::string& folder,
                         Clock::time_point deadline)
    : deadline_(deadline) {
  int toPeer[2], fromPeer[2];
  if (pipe2(toPeer, O_CLOEXEC) != 0) Throw("pipe");
  if (pipe2(fromPeer, O_CLOEXEC) != 0) Throw("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toPeer[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fromPeer[1], STDOUT_FILENO);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  const int err = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(toPeer[0]);
  close(fromPeer[1]);
  input_ = toPeer[1];
  output_ = fromPeer[0];
  if (err != 0) {
    errno = err;
    Throw("cannot start " + program);
  }
}

PeerProcess::~PeerProcess() {
  if (pid_ > 0) Kill(SIGKILL);
  if (input_ >= 0) close(input_);
  if (output_ >= 0) close(output_);
}

void PeerProcess::Send(const std::string& command) {
  const std::string line = command + "\n";
  std::size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = write(input_, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Throw("peer " + std::to_string(pid_) + " does not take \"" + command + "\"");
    done += static_cast<std::size_t>(n);
  }
}

void PeerProcess::AwaitOutput() {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
    pollfd ready{output_, POLLIN, 0};
    const int n = left.count() > 0 ? poll(&ready, 1, static_cast<int>(left.count())) : 0;
    if (n > 0) return;
    if (n < 0 && errno == EINTR) continue;
    throw std::runtime_error("watchdog: peer " + std::to_string(pid_) + " did not answer in time");
  }
}

std::size_t PeerProcess::ReadSome() {
  AwaitOutput();
  char buffer[4096];
  ssize_t got;
  while ((got = read(output_, buffer, sizeof buffer)) < 0 && errno == EINTR) {
  }
  if (got < 0) Throw("reading peer " + std::to_string(pid_));
  pending_.append(buffer, static_cast<std::size_t>(got));
  return static_cast<std::size_t>(got);
}

std::string PeerProcess::ReadLine() {
  std::size_t end;
  while ((end = pending_.find('\n')) == std::string::npos) {
    if (ReadSome() == 0)
      throw std::runtime_error("peer " + std::to_string(pid_) + " ended without an answer");
  }
  std::string line = pending_.substr(0, end);
  pending_.erase(0, end + 1);
  return line;
}

PeerAnswer PeerProcess::Receive() {
  const std::string line = ReadLine();
  std::istringstream words(line);
  std::string status;
  PeerAnswer answer;
  words >> status >> answer.code;
  std::getline(words >> std::ws, answer.result);
  if (status != "ok" || !words) throw std::runtime_error("peer answered \"" + line + "\"");
  return answer;
}

int PeerProcess::Reap() {
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  return status;
}

bool PeerProcess::AwaitStop() {
  int status = 0;
  for (;;) {
    const pid_t changed = waitpid(pid_, &status, WUNTRACED | WNOHANG);
    if (changed == pid_) break;
    if (changed < 0 && errno != EINTR) Throw("waiting for peer " + std::to_string(pid_));
    if (Clock::now() > deadline_) throw std::runtime_error("watchdog: peer " + std::to_string(pid_) + " never stopped");
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (WIFSTOPPED(status)) return true;
  pid_ = -1;
  return false;
}

void PeerProcess::Continue() { kill(pid_, SIGCONT); }

void PeerProcess::AwaitLockWait() {
  // The pause between lock tries is a sleep: clock_nanosleep or nanosleep.
  const std::string file = "/proc/" + std::to_string(pid_) + "/syscall";
  for (;;) {
    std::ifstream syscall(file);
    long number = -1;
    if (syscall >> number && (number == SYS_clock_nanosleep || number == SYS_nanosleep)) return;
    if (Clock::now() > deadline_) throw std::runtime_error("watchdog: peer " + std::to_string(pid_) + " never waited for a lock");
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

int PeerProcess::Kill(int signal) {
  kill(pid_, signal);
  return Reap();
}

int PeerProcess::Finish() {
  close(input_);
  input_ = -1;
  while (ReadSome() > 0) {  // the peer ends on the end of its input and closes its output
  }
  return Reap();
}

PeerGroup::PeerGroup(std::string folder, std::chrono::seconds watchdog)
    : folder_(std::move(folder)), deadline_(PeerProcess::Clock::now() + watchdog) {
  signal(SIGPIPE, SIG_IGN);  // a dead peer's pipe must fail a write, not end the test program
}

PeerGroup::~PeerGroup() = default;

PeerProcess& PeerGroup::Start() {
  peers_.push_back(std::make_unique<PeerProcess>(XBPEER_PROGRAM, folder_, deadline_));
  return *peers_.back();
}

}  // namespace xbase
