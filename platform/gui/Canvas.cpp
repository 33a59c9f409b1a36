#include "platform/gui/Canvas.h"

#include <cmath>

namespace platform::gui {

int TCanvasFont::PixelHeight(int pixelsPerInch) const {
  if (height_ != 0) return std::abs(height_);
  return static_cast<int>(std::lround(size_ * pixelsPerInch / 72.0));
}

void Canvas::MoveTo(int x, int y) {
  penPos_ = {x, y};
  PenMoved(penPos_);
}

void Canvas::LineTo(int x, int y) {
  const QPoint from = penPos_;
  penPos_ = {x, y};
  DrawLine(from, penPos_);
}

void Canvas::CopyState(const Canvas& other) {
  Pen = other.Pen;
  Brush = other.Brush;
  Font = other.Font;
}

}  // namespace platform::gui
