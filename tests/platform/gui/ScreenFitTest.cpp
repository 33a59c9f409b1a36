// Keeping windows to the screen: a place the user chose keeps the title bar and a third of the
// width on the screen; a place the program chose lies wholly on it.

#include "platform/gui/ScreenFit.h"

#include <gtest/gtest.h>

namespace {

using platform::gui::FitToScreen;
using platform::gui::ScreenFit;

TEST(ScreenFit, PlacesKeepToTheScreen) {
  const QRect screen(0, 0, 1024, 768);
  constexpr int kTitle = 20;
  struct Case {
    const char* name;
    QRect outer;
    ScreenFit fit;
    QPoint expected;
  };
  const Case cases[] = {
      {"on the screen", {100, 50, 300, 400}, ScreenFit::Reachable, {100, 50}},
      {"kept for a wider screen", {1296, 2, 300, 400}, ScreenFit::Reachable, {924, 2}},
      {"a third still on the left", {-200, 10, 300, 400}, ScreenFit::Reachable, {-200, 10}},
      {"less than a third on the left", {-250, 10, 300, 400}, ScreenFit::Reachable, {-200, 10}},
      {"title bar above the screen", {10, -30, 300, 400}, ScreenFit::Reachable, {10, 0}},
      {"title bar below the screen", {10, 760, 300, 400}, ScreenFit::Reachable, {10, 748}},
      {"taller than the screen, top kept", {10, 500, 300, 1000}, ScreenFit::Reachable, {10, 500}},
      {"wholly on the screen already", {8, 700, 160, 60}, ScreenFit::Whole, {8, 700}},
      {"its frame below the screen", {8, 729, 160, 60}, ScreenFit::Whole, {8, 708}},
      {"right and below", {476, 172, 950, 951}, ScreenFit::Whole, {74, 0}},
      {"left and above", {-5, -7, 100, 100}, ScreenFit::Whole, {0, 0}},
      {"wider than the screen", {300, 10, 1200, 100}, ScreenFit::Whole, {0, 10}},
  };
  for (const Case& c : cases) {
    const QRect fitted = FitToScreen(c.outer, screen, kTitle, c.fit);
    EXPECT_EQ(fitted.topLeft(), c.expected) << c.name;
    EXPECT_EQ(fitted.size(), c.outer.size()) << c.name << ": the size stays";
  }
}

}  // namespace
