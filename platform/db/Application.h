#pragma once
// The few services of the application object that datasets call: showing a message, reporting
// an exception that nobody else handles, and asking the program to end. Each goes to a
// replaceable sink: the program installs its message box and its own ends, tests record them.
// Without a sink, messages and exceptions are written to standard error and Terminate only sets
// Terminated.

#include <exception>
#include <functional>
#include <string>

namespace platform::db {

struct TApplicationSinks {
  std::function<void(const std::string& text)> ShowMessage;  // text in Windows-1252
  std::function<void(std::exception_ptr error)> HandleException;
  std::function<void()> Terminate;
};

// The sinks in force; assigning {} restores the defaults.
extern TApplicationSinks ApplicationSinks;

void ShowMessage(const std::string& text);

class TApplication {
 public:
  // Reports the exception being handled (call it from a catch block).
  void HandleException();
  // Asks the program to end once the current event is done.
  void Terminate();
  bool Terminated() const { return terminated_; }

 private:
  bool terminated_ = false;
};

extern TApplication Application;

}  // namespace platform::db
