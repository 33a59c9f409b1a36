#pragma once
// The peer's "faultafter" command: the program stops (SIGSTOP) or dies (SIGKILL) right after
// its n-th completed write to a file whose path holds a given text, so that a test meets
// it between two chosen writes on every run, never by luck of timing.

#include <string>

namespace peer {

// Arms the fault; a later call replaces it. n of 0 disarms.
void ArmWriteFault(unsigned n, const std::string& fileText, int signal);

}  // namespace peer
