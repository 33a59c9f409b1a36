#pragma once
// The application's message loop as seen by code without a GUI: whoever waits (lock retries) or
// reports progress (message windows) lets the loop run, so that the program stays responsive.
// Both hooks are empty by default, as in a program without a message loop; a GUI installs its
// own.

#include <functional>

namespace platform::os {

struct MessagePumpHooks {
  std::function<void()> ProcessMessages;  // handle the pending events once
  std::function<bool()> Terminating;      // the application is shutting down
};
extern MessagePumpHooks MessagePump;

// Runs MessagePump.ProcessMessages when it is set.
void ProcessMessages();

// MessagePump.Terminating when it is set, else false.
bool ApplicationTerminating();

}  // namespace platform::os
