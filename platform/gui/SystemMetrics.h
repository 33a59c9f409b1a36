#pragma once
// Screen and frame measures the layout code asks for, with fixed values for tests.

#include <optional>

namespace platform::gui {

enum SystemMetric {
  SM_CXSCREEN = 0,
  SM_CYSCREEN = 1,
  SM_CYCAPTION = 4,
  SM_CYMENU = 15,
  SM_CXFULLSCREEN = 16,
  SM_CYFULLSCREEN = 17,
  SM_CYSMCAPTION = 51,
};

int GetSystemMetrics(SystemMetric metric);
int ScreenPixelsPerInch();

struct FixedMetrics {
  int ScreenWidth = 1024;
  int ScreenHeight = 768;
  int CaptionHeight = 19;
  int SmallCaptionHeight = 15;
  int MenuHeight = 19;
  int FullScreenWidth = 1024;
  int FullScreenHeight = 709;  // the client area of a maximised window
  int PixelsPerInch = 96;
};

// Tests fix every measure; nothing returns to the screen's own values.
void SetFixedMetrics(std::optional<FixedMetrics> metrics);

}  // namespace platform::gui
