#pragma once
// A drawing surface with the class library's canvas rules, shared by the screen, printed pages,
// metafiles and the tests' recorder. The pen, brush and font are plain state that stays in force
// until changed; callers save and restore what they change.
//
// Rules every back end keeps:
// - Rectangle(l, t, r, b) outlines columns l and r - 1 and rows t and b - 1 with the pen and fills
//   the inside with the brush unless the brush is clear; right and bottom edges are exclusive,
//   so squares drawn S pixels apart with a size of S + 1 share one line of pixels.
// - LineTo draws from the pen position to its point without the point itself and moves the pen
//   position there; MoveTo only moves it.
// - TextOut puts the top-left corner of the text cell at (x, y); under a solid brush the cell
//   (TextWidth by TextHeight) is filled with the brush colour first, under a clear brush the
//   text is transparent. Text takes the font colour; the pen mode does not apply to it.
// - The pen mode applies to lines and to the outline and inside of rectangles: Copy draws the
//   colour, Mask ANDs it with what is there (a red line over black stays black).

#include <QPoint>
#include <QString>

#include "platform/gui/Colors.h"

namespace platform::gui {

enum class PenStyle { Solid, Dot };
enum class PenMode { Copy, Mask };
enum class BrushStyle { Solid, Clear };

struct TPen {
  TColor Color = clBlack;
  int Width = 1;
  PenStyle Style = PenStyle::Solid;
  PenMode Mode = PenMode::Copy;

  bool operator==(const TPen&) const = default;
};

struct TBrush {
  TColor Color = clWhite;
  BrushStyle Style = BrushStyle::Solid;

  bool operator==(const TBrush&) const = default;
};

// A font by name (Arial, Times New Roman and Courier New resolve to the metric-compatible faces
// installed here), sized either in points, converted with the surface's pixels per inch, or by
// a height in pixels, whichever was set last: a positive height is the height of the text
// cell (ascent plus descent), a negative one the height of the characters.
class TCanvasFont {
 public:
  QString Name = QStringLiteral("Arial");
  TColor Color = clBlack;
  int Style = 0;  // FontStyleBit values

  void SetSize(int points) {
    size_ = points;
    height_ = 0;
  }
  void SetHeight(int pixels) {
    height_ = pixels;
    size_ = 0;
  }
  int Size() const { return size_; }      // 0 while sized by height
  int Height() const { return height_; }  // 0 while sized in points
  // The character height in pixels on a surface of the given resolution, rounded as the
  // class library rounds it.
  int PixelHeight(int pixelsPerInch) const;

  bool operator==(const TCanvasFont&) const = default;

 private:
  int size_ = 10;
  int height_ = 0;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  TPen Pen;
  TBrush Brush;
  TCanvasFont Font;

  void Rectangle(int left, int top, int right, int bottom) { DrawRectangle(left, top, right, bottom); }
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void TextOut(int x, int y, const QString& text) { DrawText(x, y, text); }
  virtual int TextWidth(const QString& text) const = 0;
  virtual int TextHeight(const QString& text) const = 0;

  QPoint PenPos() const { return penPos_; }
  // Takes over another canvas's pen, brush and font.
  void CopyState(const Canvas& other);

 protected:
  virtual void DrawRectangle(int left, int top, int right, int bottom) = 0;
  virtual void PenMoved(QPoint to) { (void)to; }
  virtual void DrawLine(QPoint from, QPoint to) = 0;
  virtual void DrawText(int x, int y, const QString& text) = 0;

 private:
  QPoint penPos_;
};

}  // namespace platform::gui
