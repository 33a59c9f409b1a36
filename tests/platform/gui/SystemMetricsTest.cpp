#include "platform/gui/SystemMetrics.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

namespace platform::gui {
namespace {

// The screen's own measures (no fixed ones).
TEST(SystemMetrics, TheFullScreenClientAreaLeavesRoomForACaption) {
  SetFixedMetrics(std::nullopt);
  const int available = QGuiApplication::primaryScreen()->availableGeometry().height();
  const int caption = GetSystemMetrics(SM_CYCAPTION);
  EXPECT_GT(caption, 0);
  EXPECT_EQ(GetSystemMetrics(SM_CYFULLSCREEN), available - caption);
  // A window of 23 squares of (full-screen client height less a menu bar) div 23, with its
  // caption and a menu bar, stays on the screen.
  const int square = (GetSystemMetrics(SM_CYFULLSCREEN) - GetSystemMetrics(SM_CYMENU)) / 23;
  EXPECT_LE(caption + GetSystemMetrics(SM_CYMENU) + 23 * square, available);
}

}  // namespace
}  // namespace platform::gui
