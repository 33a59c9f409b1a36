#include "platform/os/MessagePump.h"

namespace platform::os {

MessagePumpHooks MessagePump;

void ProcessMessages() {
  if (MessagePump.ProcessMessages) MessagePump.ProcessMessages();
}

bool ApplicationTerminating() { return MessagePump.Terminating && MessagePump.Terminating(); }

}  // namespace platform::os
