#pragma once
// A wait that keeps the user interface live: each call runs its own event loop and
// single-shot timer, so pauses may nest.

namespace platform::gui {

void Pause(int milliseconds);
// Tests scale every pause (0: process pending events once and return).
void SetPauseScale(double scale);
double PauseScale();

}  // namespace platform::gui
