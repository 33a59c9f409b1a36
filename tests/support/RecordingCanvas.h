#pragma once
// A canvas for tests: its display list shows every drawing call with the pen, brush and font in
// force, and it measures text with fixed metrics, so that tests see what is drawn where without
// fonts.

#include <QString>

#include "platform/gui/DisplayList.h"

namespace testing_support {

using platform::gui::CanvasCall;

class RecordingCanvas final : public platform::gui::DisplayListCanvas {
 public:
  // Every character is CharWidth pixels wide; every text is LineHeight pixels high.
  int CharWidth = 8;
  int LineHeight = 16;

  int TextWidth(const QString& text) const override { return CharWidth * static_cast<int>(text.size()); }
  int TextHeight(const QString&) const override { return LineHeight; }
};

}  // namespace testing_support
