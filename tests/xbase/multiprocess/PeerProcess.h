#pragma once
// Drives peer programs (tools/peer) that share tables with the library: each peer is a separate
// process started in a test folder and commanded line by line over pipes. Steps are ordered only
// by request and answer, never by time; a watchdog deadline covers the whole test, and when it
// passes every peer is killed and the waiting call throws.

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace xbase {

// One answer line of a peer: "ok <code> <result>".
struct PeerAnswer {
  int code = 0;        // the library's ErrorCode after the command
  std::string result;  // "-" for none
};

class PeerProcess {
 public:
  using Clock = std::chrono::steady_clock;

  // Starts the peer program in `folder`. The deadline is shared by all peers of a test.
  PeerProcess(const std::string& program, const std::string& folder, Clock::time_point deadline);
  // Kills the peer when it still runs and reaps it.
  ~PeerProcess();
  PeerProcess(const PeerProcess&) = delete;
  PeerProcess& operator=(const PeerProcess&) = delete;

  // Writes one command; Receive reads its answer. Send to several peers before receiving, and
  // they work at the same time.
  void Send(const std::string& command);
  PeerAnswer Receive();
  PeerAnswer Ask(const std::string& command) {
    Send(command);
    return Receive();
  }

  // Ends the peer with a signal and reaps it; returns the wait status.
  int Kill(int signal);
  // Waits until the peer has stopped itself (SIGSTOP, the "faultafter" command), or has died
  // (then reaped); true when it stopped. Continue lets a stopped peer go on.
  bool AwaitStop();
  void Continue();
  // Waits until the peer sleeps in a pause between two lock tries: it is waiting for a lock
  // another program holds.
  void AwaitLockWait();
  // Closes the peer's input and waits for its exit; returns the exit status.
  int Finish();

  pid_t Pid() const { return pid_; }

 private:
  void AwaitOutput();      // throws when the watchdog deadline passes first
  std::size_t ReadSome();  // appends to pending_; 0 at the end of the output
  std::string ReadLine();
  int Reap();

  pid_t pid_ = -1;
  int input_ = -1;   // the peer's stdin
  int output_ = -1;  // the peer's stdout
  std::string pending_;
  Clock::time_point deadline_;
};

// Runs the peers of one test: they start in a shared folder, all die with the test.
class PeerGroup {
 public:
  explicit PeerGroup(std::string folder,
                     std::chrono::seconds watchdog = std::chrono::seconds(60));
  ~PeerGroup();

  PeerProcess& Start();
  PeerProcess& operator[](std::size_t i) { return *peers_.at(i); }
  std::size_t size() const { return peers_.size(); }

 private:
  std::string folder_;
  PeerProcess::Clock::time_point deadline_;
  std::vector<std::unique_ptr<PeerProcess>> peers_;
};

}  // namespace xbase
