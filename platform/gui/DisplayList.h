#pragma once
// A drawing kept as the list of its canvas calls, each with the pen, brush and font in force:
// the content of a metafile, and what the tests' recording canvas shows them. A list can be
// drawn again on any other canvas.

#include <QString>
#include <vector>

#include "platform/gui/Canvas.h"

namespace platform::gui {

struct CanvasCall {
  enum class Kind { Rectangle, MoveTo, Line, Text };
  Kind What = Kind::Rectangle;
  // Rectangle: its edges; MoveTo: the point in Left, Top; Line: from (Left, Top) to (Right,
  // Bottom); Text: its corner in Left, Top.
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  QString Text;
  TPen Pen;
  TBrush Brush;
  TCanvasFont Font;
};

using DisplayList = std::vector<CanvasCall>;

// A canvas that keeps its calls; how text measures is left to the kind of surface it stands for.
class DisplayListCanvas : public Canvas {
 public:
  DisplayList Calls;

  // The calls of one kind, in order.
  DisplayList CallsOf(CanvasCall::Kind kind) const;

 protected:
  void DrawRectangle(int left, int top, int right, int bottom) final;
  void PenMoved(QPoint to) final;
  void DrawLine(QPoint from, QPoint to) final;
  void DrawText(int x, int y, const QString& text) final;

 private:
  void Record(CanvasCall::Kind kind, int left, int top, int right, int bottom, const QString& text = {});
};

// Draws the calls on another canvas, with the state each was made in; the target keeps the
// state of the last call.
void Replay(const DisplayList& calls, Canvas& target);

}  // namespace platform::gui
