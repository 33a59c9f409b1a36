#include "platform/gui/QtCanvas.h"

#include <QFontMetrics>
#include <algorithm>
#include <utility>

#include "platform/gui/FontFamilies.h"
#include "platform/gui/FontStyle.h"

namespace platform::gui {

QtCanvas::QtCanvas(QPainter& painter) : painter_(&painter) {}

QtCanvas::QtCanvas(std::function<QImage&()> image, int pixelsPerInch, std::function<void()> drawn)
    : image_(std::move(image)), pixelsPerInch_(pixelsPerInch), drawn_(std::move(drawn)) {}

int QtCanvas::PixelsPerInch() const { return painter_ ? painter_->device()->logicalDpiY() : pixelsPerInch_; }

QFont QtCanvas::QtFont() const {
  QFont font = MakeFont(ResolveFontFamily(Font.Name), 0, Font.Style);
  font.setPixelSize(std::max(1, Font.PixelHeight(PixelsPerInch())));
  return font;
}

int QtCanvas::TextWidth(const QString& text) const {
  if (painter_) return QFontMetrics(QtFont(), painter_->device()).horizontalAdvance(text);
  return QFontMetrics(QtFont(), &image_()).horizontalAdvance(text);
}

int QtCanvas::TextHeight(const QString&) const {
  if (painter_) return QFontMetrics(QtFont(), painter_->device()).height();
  return QFontMetrics(QtFont(), &image_()).height();
}

// A width of 1 is Qt's cosmetic pen, which leaves out the end point of a line with a flat cap.
QPen QtCanvas::QtPen() const {
  QPen pen(ToQColor(Pen.Color));
  pen.setWidth(Pen.Width > 1 ? Pen.Width : 0);
  pen.setCapStyle(Qt::FlatCap);
  if (Pen.Style == PenStyle::Dot) pen.setDashPattern({1.0, 1.0});
  return pen;
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
    p.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
  });
}

void QtCanvas::DrawLine(QPoint from, QPoint to) {
  if (from == to) return;
  Paint([&](QPainter& p) {
    if (Pen.Mode == PenMode::Mask) p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    p.setPen(QtPen());
    p.drawLine(from, to);
  });
}

void QtCanvas::DrawText(int x, int y, const QString& text) {
  Paint([&](QPainter& p) {
    const QFont font = QtFont();
    const QFontMetrics metrics(font, p.device());
    if (Brush.Style == BrushStyle::Solid)
      p.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), ToQColor(Brush.Color));
    p.setFont(font);
    p.setPen(ToQColor(Font.Color));
    p.drawText(QPoint(x, y + metrics.ascent()), text);
  });
}

}  // namespace platform::gui
