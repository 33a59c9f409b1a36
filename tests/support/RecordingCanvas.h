#pragma once
// A canvas for tests: it records every drawing call with the pen, brush and font in force, and
// measures text with fixed metrics, so that tests see what is drawn where without fonts.

#include <QString>
#include <vector>

#include "platform/gui/Canvas.h"

namespace testing_support {

struct CanvasCall {
  enum class Kind { Rectangle, MoveTo, Line, Text };
  Kind What = Kind::Rectangle;
  // Rectangle: its edges; MoveTo: the point in Left, Top; Line: from (Left, Top) to (Right,
  // Bottom); Text: its corner in Left, Top.
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  QString Text;
  platform::gui::TPen Pen;
  platform::gui::TBrush Brush;
  platform::gui::TCanvasFont Font;
};

class RecordingCanvas final : public platform::gui::Canvas {
 public:
  // Every character is CharWidth pixels wide; every text is LineHeight pixels high.
  int CharWidth = 8;
  int LineHeight = 16;

  std::vector<CanvasCall> Calls;

  // The calls of one kind, in order.
  std::vector<CanvasCall> CallsOf(CanvasCall::Kind kind) const;

  int TextWidth(const QString& text) const override { return CharWidth * static_cast<int>(text.size()); }
  int TextHeight(const QString&) const override { return LineHeight; }

 protected:
  void DrawRectangle(int left, int top, int right, int bottom) override;
  void PenMoved(QPoint to) override;
  void DrawLine(QPoint from, QPoint to) override;
  void DrawText(int x, int y, const QString& text) override;

 private:
  void Record(CanvasCall::Kind kind, int left, int top, int right, int bottom, const QString& text = {});
};

}  // namespace testing_support
