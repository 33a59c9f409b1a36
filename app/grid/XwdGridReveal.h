#pragma once
// The solving side's drawings over the grid window (TXwdGridForm::ShowAnswers, MarkWrongEntries,
// CelebrateSolved): none of them changes the record, and the next repaint restores the grid.

#include <array>
#include <functional>

#include "platform/gui/Colors.h"

// The celebration's letter colours: maroon, purple, teal, red, lime, blue, fuchsia, aqua.
inline constexpr std::array<platform::gui::TColor, 8> CelebrateColors = {
    platform::gui::clMaroon, platform::gui::clPurple, platform::gui::clTeal,    platform::gui::clRed,
    platform::gui::clLime,   platform::gui::clBlue,   platform::gui::clFuchsia, platform::gui::clAqua};

// The celebration's random numbers: Random(k) yields 0 .. k - 1. Without a source of its own
// (the default, also after an empty function) each celebration seeds a generator from the clock.
using TRandomSource = std::function<int(int)>;
void SetCelebrationRandom(TRandomSource source);
