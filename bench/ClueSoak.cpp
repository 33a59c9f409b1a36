// clue_soak: several `cluedb add` and `cluedb lookup` programs at once on one shared clue
// database for a while, one of them killed (SIGKILL) every few seconds, as programs that crash
// do. An add or look-up told that the index must be rebuilt is followed by `cluedb index`, as a
// person would run it. At the end every clue whose add reported success is looked up again.
// Prints the adds and look-ups done, the programs killed, the rebuilds, the clues lost (0) and
// the longest time any command took.
//
//   clue_soak [--seconds 60] [--adders 4] [--lookers 2] [--kill-every 3] [--folder DIR]

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  int seconds = 60;
  int adders = 4;
  int lookers = 2;
  double killEvery = 3;
  std::string folder;
};

Options Parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i], value = argv[i + 1];
    if (name == "--seconds") options.seconds = std::stoi(value);
    else if (name == "--adders") options.adders = std::stoi(value);
    else if (name == "--lookers") options.lookers = std::stoi(value);
    else if (name == "--kill-every") options.killEvery = std::stod(value);
    else if (name == "--folder") options.folder = value;
    else {
      std::fprintf(stderr, "unknown option %s\n", name.c_str());
      std::exit(2);
    }
  }
  return options;
}

// One cluedb run: its arguments, its output file, when it started.
struct Run {
  std::vector<std::string> arguments;
  std::string output;
  Clock::time_point started;
  bool add = false;
};

pid_t Start(const std::vector<std::string>& arguments, const std::string& output) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, CLUEDB_PROGRAM, &actions, nullptr, argv.data(), environ) != 0) {
    std::perror("cluedb");
    std::exit(2);
  }
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs cluedb to its end: the exit status and the output.
int RunToEnd(const std::vector<std::string>& arguments, const std::string& output, std::string& text) {
  const pid_t pid = Start(arguments, output);
  int status = 0;
  waitpid(pid, &status, 0);
  text = Contents(output);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ToldToRebuild(const std::string& output) { return output.find("cluedb index") != std::string::npos; }

}  // namespace

int main(int argc, char** argv) {
  const Options options = Parse(argc, argv);
  std::string folder = options.folder;
  if (folder.empty()) {
    char pattern[] = "/tmp/clue-soak-XXXXXX";
    folder = mkdtemp(pattern);
  }
  std::filesystem::create_directories(folder);
  const std::string program = CLUEDB_PROGRAM;
  std::string text;
  if (RunToEnd({program, "sample", folder}, folder + "/sample.txt", text) != 0) {
    std::fprintf(stderr, "cluedb sample failed: %s\n", text.c_str());
    return 2;
  }
  const std::string table = folder + "/CLUES.DBF";
  const std::vector<std::string> words = {"CAT", "ZONE", "ERA", "SOAKA", "SOAKB", "SOAKC"};

  std::mt19937 random(12345);
  std::map<pid_t, Run> running;
  std::vector<std::pair<std::string, std::string>> added;  // word, clue of every add that said done
  int adds = 0, lookups = 0, killed = 0, rebuilds = 0, busy = 0, failed = 0, serial = 0;
  Clock::duration longest{};
  const auto launch = [&](bool add) {
    const std::string word = words[random() % words.size()];
    Run run;
    run.add = add;
    run.output = folder + "/out-" + std::to_string(serial) + ".txt";
    run.arguments = add ? std::vector<std::string>{program, "add", table, word, "Soak clue " + std::to_string(serial)}
                        : std::vector<std::string>{program, "lookup", table, word};
    ++serial;
    run.started = Clock::now();
    running[Start(run.arguments, run.output)] = run;
  };
  const auto rebuild = [&] {
    for (int tries = 0; tries < 50; ++tries) {
      if (RunToEnd({program, "index", table}, folder + "/index.txt", text) == 0) {
        ++rebuilds;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  };

  const auto start = Clock::now();
  const auto end = start + std::chrono::seconds(options.seconds);
  auto nextKill = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.killEvery));
  int addersRunning = 0, lookersRunning = 0;
  while (Clock::now() < end || !running.empty()) {
    if (Clock::now() < end) {
      for (; addersRunning < options.adders; ++addersRunning) launch(true);
      for (; lookersRunning < options.lookers; ++lookersRunning) launch(false);
      if (Clock::now() >= nextKill && !running.empty()) {
        auto victim = running.begin();
        std::advance(victim, random() % running.size());
        kill(victim->first, SIGKILL);
        ++killed;
        nextKill += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.killEvery));
      }
    }
    int status = 0;
    const pid_t pid = waitpid(-1, &status, WNOHANG);
    if (pid <= 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      continue;
    }
    const auto found = running.find(pid);
    if (found == running.end()) continue;
    const Run run = found->second;
    running.erase(found);
    (run.add ? addersRunning : lookersRunning)--;
    if (WIFSIGNALED(status)) continue;  // killed: its add may or may not have happened
    longest = std::max(longest, Clock::now() - run.started);
    const int code = WEXITSTATUS(status);
    const std::string output = Contents(run.output);
    if (run.add && code == 0) {
      ++adds;
      added.emplace_back(run.arguments[3], run.arguments[4]);
    } else if (!run.add && code <= 1) {
      ++lookups;
    } else if (code == 2) {
      ++busy;
    } else if (code == 3 && ToldToRebuild(output)) {
      rebuild();
    } else if (code == 3) {
      ++failed;
      std::fprintf(stderr, "%s: %s", run.arguments[1].c_str(), output.c_str());
    }
  }

  // Every clue whose add said done is in the table; the index is rebuilt first when it must be.
  int lost = 0;
  for (const auto& [word, clue] : added) {
    int code = RunToEnd({program, "lookup", table, word}, folder + "/check.txt", text);
    if (code == 3 && ToldToRebuild(text)) {
      rebuild();
      code = RunToEnd({program, "lookup", table, word}, folder + "/check.txt", text);
    }
    if (text.find(clue + "\n") == std::string::npos) ++lost;
  }
  const double longestMs = std::chrono::duration<double, std::milli>(longest).count();
  std::printf("%d s, %d adders, %d lookers, a kill every %.1f s (%s)\n", options.seconds, options.adders,
              options.lookers, options.killEvery, folder.c_str());
  std::printf("adds done %d, look-ups done %d, busy %d, failed %d, killed %d, index rebuilds %d\n", adds,
              lookups, busy, failed, killed, rebuilds);
  std::printf("clues lost %d, longest wait %.1f ms\n", lost, longestMs);
  return lost == 0 ? 0 : 1;
}
