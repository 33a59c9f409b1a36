#pragma once
// Runs the independent dBase readers and writers that Debian packages (scripts/setup installs
// them), so that tests can check the library's files against them. A test whose tool is
// missing skips itself.

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <string>

namespace xbase {

struct ToolResult {
  int status = -1;     // the exit status, -1 when the command did not run
  std::string output;  // standard output and standard error
};

// Runs a command line through the shell. Arguments that are paths of test files need no
// quoting: they are made by the tests.
inline ToolResult RunTool(const std::string& command) {
  ToolResult result;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer;
  while (const std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
    result.output.append(buffer.data(), n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

inline bool HasProgram(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

// The system's Python with its dbf package (another python first on PATH may lack it).
inline constexpr const char* kPython = "/usr/bin/python3";

inline bool HasPythonDbf() { return RunTool(std::string(kPython) + " -c 'import dbf'").status == 0; }

inline bool HasPerlXBase() { return RunTool("perl -MXBase -e 1").status == 0; }

}  // namespace xbase
