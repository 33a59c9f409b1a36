#include "platform/gui/QtCanvas.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/gui/FontFamilies.h"
#include "platform/gui/FontStyle.h"

namespace platform::gui {

QtCanvas::QtCanvas(QPainter& painter, const QPaintDevice* idle, CanvasSurface surface)
    : painter_(&painter), idle_(idle), surface_(surface) {}

QtCanvas::QtCanvas(std::function<QImage&()> image, int pixelsPerInch, std::function<void()> drawn)
    : image_(std::move(image)), pixelsPerInch_(pixelsPerInch), drawn_(std::move(drawn)) {}

namespace {

// Byte 0 of the puzzle's text is an empty place: it shows and measures as a blank.
QString Shown(const QString& text) {
  QString shown = text;
  shown.replace(QChar(u'\0'), QChar(u' '));
  return shown;
}

// The pixel size whose cell (ascent plus descent) is `cellHeight` pixels high.
int PixelSizeForCellHeight(QFont font, int cellHeight, const QPaintDevice* device) {
  constexpr int kReference = 1000;
  font.setPixelSize(kReference);
  const QFontMetricsF metrics(font, device);
  const double cell = metrics.ascent() + metrics.descent();
  return cell > 0 ? static_cast<int>(std::lround(cellHeight * kReference / cell)) : cellHeight;
}

}  // namespace

const QPaintDevice* QtCanvas::Device() const {
  if (!painter_) return &image_();
  return painter_->isActive() ? painter_->device() : idle_;
}

int QtCanvas::PixelsPerInch() const {
  const QPaintDevice* device = painter_ ? Device() : nullptr;
  return device ? device->logicalDpiY() : pixelsPerInch_;
}

QFont QtCanvas::QtFont() const {
  QFont font = MakeFont(ResolveFontFamily(Font.Name), 0, Font.Style);
  font.setKerning(false);
  // A positive height is the cell height, internal leading included; a negative one the
  // character height, as a size in points gives it.
  const int pixels = Font.Height() > 0 ? PixelSizeForCellHeight(font, Font.Height(), Device())
                                       : Font.PixelHeight(PixelsPerInch());
  font.setPixelSize(std::max(1, pixels));
  return font;
}

std::vector<QtCanvas::PrintedCharacter> QtCanvas::PrintedCharacters(const QFont& font, const QPaintDevice* device,
                                                                     const QString& text) {
  const QFontMetrics metrics(font, device);
  std::vector<PrintedCharacter> characters;
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
    const QString character = text.mid(i, length);
    characters.push_back({character, metrics.horizontalAdvance(character)});
    i += length;
  }
  return characters;
}

int QtCanvas::Width(const QFont& font, const QPaintDevice* device, const QString& text) const {
  if (surface_ == CanvasSurface::Screen) return QFontMetrics(font, device).horizontalAdvance(text);
  int width = 0;
  for (const PrintedCharacter& character : PrintedCharacters(font, device, text)) width += character.Width;
  return width;
}

int QtCanvas::TextWidth(const QString& text) const { return Width(QtFont(), Device(), Shown(text)); }

int QtCanvas::TextHeight(const QString&) const { return QFontMetrics(QtFont(), Device()).height(); }

// On a screen a width of 1 is Qt's cosmetic pen, which leaves out the end point of a line with a
// flat cap. A printer would draw that pen as thin as it can.
QPen QtCanvas::QtPen() const {
  QPen pen(ToQColor(Pen.Color));
  if (surface_ == CanvasSurface::Printer)
    pen.setWidth(std::max(1, Pen.Width));
  else
    pen.setWidth(Pen.Width > 1 ? Pen.Width : 0);
  pen.setCapStyle(Qt::FlatCap);
  if (Pen.Style == PenStyle::Dot) pen.setDashPattern({1.0, 1.0});
  return pen;
}

// A pen's line is centred on its coordinates; a one-pixel line on a page moves by half a pixel
// onto the pixels it names, flush with the fill beside it.
QPointF QtCanvas::PenOffset() const {
  return surface_ == CanvasSurface::Printer && Pen.Width <= 1 ? QPointF(0.5, 0.5) : QPointF();
}

void QtCanvas::Paint(const std::function<void(QPainter&)>& draw) {
  if (painter_) {
    painter_->save();
    draw(*painter_);
    painter_->restore();
    return;
  }
  {
    QPainter painter(&image_());
    draw(painter);
  }
  if (drawn_) drawn_();
}

void QtCanvas::DrawRectangle(int left, int top, int right, int bottom) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  if (right - left < 1 || bottom - top < 1) return;
  Paint([&](QPainter& p) {
    if (Pen.Mode == PenMode::Mask) p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    // The inside only: the outline pixels take the pen alone, also in Mask mode.
    if (Brush.Style == BrushStyle::Solid && right - left > 2 && bottom - top > 2)
      p.fillRect(QRect(left + 1, top + 1, right - left - 2, bottom - top - 2), ToQColor(Brush.Color));
    p.setPen(QtPen());
    p.setBrush(Qt::NoBrush);
    p.translate(PenOffset());
    p.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
  });
}

void QtCanvas::DrawLine(QPoint from, QPoint to) {
  if (from == to) return;
  Paint([&](QPainter& p) {
    if (Pen.Mode == PenMode::Mask) p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    p.setPen(QtPen());
    p.translate(PenOffset());
    p.drawLine(from, to);
  });
}

void QtCanvas::DrawText(int x, int y, const QString& text) {
  Paint([&](QPainter& p) {
    const QFont font = QtFont();
    const QFontMetrics metrics(font, p.device());
    const QString shown = Shown(text);
    if (Brush.Style == BrushStyle::Solid)
      p.fillRect(QRect(x, y, Width(font, p.device(), shown), metrics.height()), ToQColor(Brush.Color));
    p.setFont(font);
    p.setPen(ToQColor(Font.Color));
    const int baseline = y + metrics.ascent();
    if (surface_ == CanvasSurface::Screen) {
      p.drawText(QPoint(x, baseline), shown);
      return;
    }
    // Each character where the widths before it put it.
    for (const PrintedCharacter& character : PrintedCharacters(font, p.device(), shown)) {
      p.drawText(QPoint(x, baseline), character.Text);
      x += character.Width;
    }
  });
}

}  // namespace platform::gui
