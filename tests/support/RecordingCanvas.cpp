#include "tests/support/RecordingCanvas.h"

namespace testing_support {

std::vector<CanvasCall> RecordingCanvas::CallsOf(CanvasCall::Kind kind) const {
  std::vector<CanvasCall> found;
  for (const CanvasCall& call : Calls)
    if (call.What == kind) found.push_back(call);
  return found;
}

void RecordingCanvas::Record(CanvasCall::Kind kind, int left, int top, int right, int bottom, const QString& text) {
  Calls.push_back({kind, left, top, right, bottom, text, Pen, Brush, Font});
}

void RecordingCanvas::DrawRectangle(int left, int top, int right, int bottom) {
  Record(CanvasCall::Kind::Rectangle, left, top, right, bottom);
}

void RecordingCanvas::PenMoved(QPoint to) { Record(CanvasCall::Kind::MoveTo, to.x(), to.y(), to.x(), to.y()); }

void RecordingCanvas::DrawLine(QPoint from, QPoint to) {
  Record(CanvasCall::Kind::Line, from.x(), from.y(), to.x(), to.y());
}

void RecordingCanvas::DrawText(int x, int y, const QString& text) { Record(CanvasCall::Kind::Text, x, y, x, y, text); }

}  // namespace testing_support
