#include "platform/gui/DisplayList.h"

namespace platform::gui {

DisplayList DisplayListCanvas::CallsOf(CanvasCall::Kind kind) const {
  DisplayList found;
  for (const CanvasCall& call : Calls)
    if (call.What == kind) found.push_back(call);
  return found;
}

void DisplayListCanvas::Record(CanvasCall::Kind kind, int left, int top, int right, int bottom, const QString& text) {
  Calls.push_back({kind, left, top, right, bottom, text, Pen, Brush, Font});
}

void DisplayListCanvas::DrawRectangle(int left, int top, int right, int bottom) {
  Record(CanvasCall::Kind::Rectangle, left, top, right, bottom);
}

void DisplayListCanvas::PenMoved(QPoint to) { Record(CanvasCall::Kind::MoveTo, to.x(), to.y(), to.x(), to.y()); }

void DisplayListCanvas::DrawLine(QPoint from, QPoint to) {
  Record(CanvasCall::Kind::Line, from.x(), from.y(), to.x(), to.y());
}

void DisplayListCanvas::DrawText(int x, int y, const QString& text) {
  Record(CanvasCall::Kind::Text, x, y, x, y, text);
}

void Replay(const DisplayList& calls, Canvas& target) {
  for (const CanvasCall& call : calls) {
    target.Pen = call.Pen;
    target.Brush = call.Brush;
    target.Font = call.Font;
    switch (call.What) {
      case CanvasCall::Kind::Rectangle: target.Rectangle(call.Left, call.Top, call.Right, call.Bottom); break;
      case CanvasCall::Kind::MoveTo: target.MoveTo(call.Left, call.Top); break;
      case CanvasCall::Kind::Line:
        if (target.PenPos() != QPoint(call.Left, call.Top)) target.MoveTo(call.Left, call.Top);
        target.LineTo(call.Right, call.Bottom);
        break;
      case CanvasCall::Kind::Text: target.TextOut(call.Left, call.Top, call.Text); break;
    }
  }
}

}  // namespace platform::gui
