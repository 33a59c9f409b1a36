#pragma once
// The canvas on Qt's painter: a window's back buffer, an owner-drawn item or a printed page.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <functional>
#include <vector>

#include "platform/gui/Canvas.h"

namespace platform::gui {

// On a screen text is measured and drawn as Qt lays it out. A printed page is drawn in device
// pixels as metafiles are: a text's width is the sum of its characters' widths, each rounded to
// whole pixels, and each character is placed there; a pen of width 1 is one device pixel wide,
// not the hairline that a printer would make of it.
enum class CanvasSurface { Screen, Printer };

class QtCanvas final : public Canvas {
 public:
  // Draws through a painter that stays active while the canvas is used (a paint event, a
  // print job). While the painter is inactive (between print jobs) text is measured on
  // `idle`, and nothing may be drawn. The pen mode Mask needs a raster surface; elsewhere it
  // draws as Copy.
  explicit QtCanvas(QPainter& painter, const QPaintDevice* idle = nullptr,
                    CanvasSurface surface = CanvasSurface::Screen);
  // Draws on an image that may be replaced between calls, such as a window's back buffer,
  // with a painter of its own per call; `drawn` runs after every drawing call, to schedule
  // the window's repaint. Points convert to pixels at `pixelsPerInch`.
  QtCanvas(std::function<QImage&()> image, int pixelsPerInch, std::function<void()> drawn);

  int TextWidth(const QString& text) const override;
  int TextHeight(const QString& text) const override;

  // The Qt font of the current Font on this surface. Kerning is off, so that the width of a
  // text is the sum of its characters' widths.
  QFont QtFont() const;

 protected:
  void DrawRectangle(int left, int top, int right, int bottom) override;
  void DrawLine(QPoint from, QPoint to) override;
  void DrawText(int x, int y, const QString& text) override;

 private:
  void Paint(const std::function<void(QPainter&)>& draw);
  QPen QtPen() const;
  // Where a pen's lines lie: a one-pixel pen on a printed page covers the pixels it names.
  QPointF PenOffset() const;
  // The characters of a printed text, each with its width in whole pixels.
  struct PrintedCharacter {
    QString Text;  // one character: a surrogate pair stays whole
    int Width = 0;
  };
  static std::vector<PrintedCharacter> PrintedCharacters(const QFont& font, const QPaintDevice* device,
                                                         const QString& text);
  int Width(const QFont& font, const QPaintDevice* device, const QString& text) const;
  // The surface that fonts are measured on.
  const QPaintDevice* Device() const;
  int PixelsPerInch() const;

  QPainter* painter_ = nullptr;
  const QPaintDevice* idle_ = nullptr;
  CanvasSurface surface_ = CanvasSurface::Screen;
  std::function<QImage&()> image_;
  int pixelsPerInch_ = 96;
  std::function<void()> drawn_;
};

}  // namespace platform::gui
