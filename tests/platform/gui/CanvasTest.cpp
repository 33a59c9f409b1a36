#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QPainter>

#include "platform/gui/QtCanvas.h"

namespace {

using namespace platform::gui;

constexpr QRgb kBackground = 0xFF102030;

// A canvas over a small image, painted one call at a time like a window's back buffer.
class RasterCanvas : public ::testing::Test {
 protected:
  RasterCanvas() : canvas([this]() -> QImage& { return image; }, 96, [this] { ++drawn; }) {
    image.fill(kBackground);
  }

  QRgb At(int x, int y) const { return image.pixel(x, y); }
  static QRgb Rgb(TColor color) { return ToQColor(color).rgb(); }

  QImage image{40, 30, QImage::Format_ARGB32_Premultiplied};
  int drawn = 0;
  QtCanvas canvas;
};

TEST_F(RasterCanvas, RectangleExcludesRightAndBottomEdges) {
  canvas.Pen.Color = clBlack;
  canvas.Brush.Color = clWhite;
  // Two squares of size 10, drawn 10 apart with 11 pixels, share their middle line.
  canvas.Rectangle(0, 0, 11, 11);
  canvas.Rectangle(10, 0, 21, 11);
  for (int x : {0, 10, 20}) EXPECT_EQ(At(x, 5), Rgb(clBlack)) << x;
  for (int y : {0, 10}) EXPECT_EQ(At(5, y), Rgb(clBlack)) << y;
  EXPECT_EQ(At(5, 5), Rgb(clWhite));
  EXPECT_EQ(At(15, 9), Rgb(clWhite));
  EXPECT_EQ(At(21, 5), kBackground);
  EXPECT_EQ(At(5, 11), kBackground);
  EXPECT_EQ(drawn, 2);
}

TEST_F(RasterCanvas, ClearBrushLeavesTheInside) {
  canvas.Brush.Style = BrushStyle::Clear;
  canvas.Rectangle(2, 2, 12, 12);
  EXPECT_EQ(At(2, 6), Rgb(clBlack));
  EXPECT_EQ(At(11, 6), Rgb(clBlack));
  EXPECT_EQ(At(6, 6), kBackground);
}

TEST_F(RasterCanvas, LineLeavesOutItsEndPoint) {
  canvas.Pen.Color = clRed;
  canvas.MoveTo(2, 3);
  canvas.LineTo(9, 3);
  canvas.LineTo(9, 8);
  EXPECT_EQ(At(2, 3), Rgb(clRed));
  EXPECT_EQ(At(8, 3), Rgb(clRed));
  // The corner is drawn once, by the second line; its end point is not.
  EXPECT_EQ(At(9, 3), Rgb(clRed));
  EXPECT_EQ(At(9, 7), Rgb(clRed));
  EXPECT_EQ(At(9, 8), kBackground);
  EXPECT_EQ(canvas.PenPos(), QPoint(9, 8));
}

TEST_F(RasterCanvas, MaskModeAndsThePenWithTheSurface) {
  canvas.Pen.Color = clBlack;
  canvas.Brush.Color = clWhite;
  canvas.Rectangle(0, 0, 11, 11);
  canvas.Brush.Color = clBlack;
  canvas.Rectangle(10, 0, 21, 11);
  canvas.Pen.Color = clRed;
  canvas.Pen.Mode = PenMode::Mask;
  canvas.MoveTo(0, 5);
  canvas.LineTo(21, 5);
  EXPECT_EQ(At(5, 5), Rgb(clRed)) << "white AND red";
  EXPECT_EQ(At(15, 5), Rgb(clBlack)) << "black AND red";
}

TEST_F(RasterCanvas, DottedLineLeavesGaps) {
  canvas.Pen.Color = clRed;
  canvas.Pen.Style = PenStyle::Dot;
  canvas.MoveTo(0, 1);
  canvas.LineTo(20, 1);
  int red = 0;
  for (int x = 0; x < 20; ++x) red += At(x, 1) == Rgb(clRed);
  EXPECT_GT(red, 4);
  EXPECT_LT(red, 16);
}

TEST_F(RasterCanvas, TextBackgroundFollowsTheBrush) {
  canvas.Font.Color = clBlack;
  canvas.Font.SetHeight(12);
  canvas.Brush.Color = clYellow;
  canvas.TextOut(2, 2, "W");
  // The corner of the text cell lies outside the glyph.
  EXPECT_EQ(At(2, 2), Rgb(clYellow));
  canvas.Brush.Style = BrushStyle::Clear;
  canvas.TextOut(20, 2, "W");
  EXPECT_EQ(At(20, 2), kBackground);
  int dark = 0;
  for (int y = 2; y < 2 + canvas.TextHeight("W"); ++y)
    for (int x = 20; x < 20 + canvas.TextWidth("W"); ++x) dark += qGray(At(x, y)) < qGray(kBackground);
  EXPECT_GT(dark, 0) << "the glyph is drawn in the font colour";
}

TEST_F(RasterCanvas, TextPenModeDoesNotApply) {
  canvas.Pen.Mode = PenMode::Mask;
  canvas.Brush.Color = clYellow;
  canvas.TextOut(2, 2, "W");
  EXPECT_EQ(At(2, 2), Rgb(clYellow));
}

TEST_F(RasterCanvas, ImageMayBeReplacedBetweenCalls) {
  canvas.Rectangle(0, 0, 5, 5);
  image = QImage(60, 60, QImage::Format_ARGB32_Premultiplied);
  image.fill(kBackground);
  canvas.Rectangle(50, 50, 55, 55);
  EXPECT_EQ(At(50, 50), Rgb(clBlack));
}

TEST(CanvasFont, NamesResolveToMetricCompatibleFaces) {
  QImage image(4, 4, QImage::Format_ARGB32_Premultiplied);
  QtCanvas canvas([&]() -> QImage& { return image; }, 96, {});
  struct Case { const char* name; const char* family; };
  for (const Case& c : {Case{"Arial", "Liberation Sans"}, Case{"times new roman", "Liberation Serif"},
                        Case{"Courier New", "Liberation Mono"}}) {
    canvas.Font.Name = c.name;
    EXPECT_EQ(QFontInfo(canvas.QtFont()).family(), c.family) << c.name;
  }
}

TEST(CanvasFont, PointsConvertAtTheSurfaceResolution) {
  struct Case { int points; int ppi; int pixels; };
  for (const Case& c : {Case{11, 96, 15}, Case{22, 96, 29}, Case{8, 96, 11}, Case{11, 600, 92}, Case{1, 96, 1}}) {
    TCanvasFont font;
    font.SetSize(c.points);
    EXPECT_EQ(font.PixelHeight(c.ppi), c.pixels) << c.points << " pt at " << c.ppi;
  }
  TCanvasFont font;
  font.SetHeight(20);
  EXPECT_EQ(font.Size(), 0);
  EXPECT_EQ(font.PixelHeight(600), 20);
  font.SetSize(9);
  EXPECT_EQ(font.Height(), 0);
}

TEST(CanvasFont, TextIsMeasuredInTheChosenFont) {
  QImage image(4, 4, QImage::Format_ARGB32_Premultiplied);
  QtCanvas canvas([&]() -> QImage& { return image; }, 96, {});
  canvas.Font.SetSize(11);
  const int small = canvas.TextHeight("A");
  const int narrow = canvas.TextWidth("i");
  canvas.Font.SetSize(22);
  EXPECT_GT(canvas.TextHeight("A"), small);
  EXPECT_GT(canvas.TextWidth("WW"), 2 * narrow);
  EXPECT_EQ(canvas.TextHeight("A"), QFontMetrics(canvas.QtFont(), &image).height());
}

TEST(PainterCanvas, DrawsThroughAnActivePainterAndKeepsItsState) {
  QImage image(20, 20, QImage::Format_ARGB32_Premultiplied);
  image.fill(kBackground);
  QPainter painter(&image);
  painter.setPen(Qt::green);
  QtCanvas canvas(painter);
  canvas.Pen.Color = clBlue;
  canvas.Brush.Color = clYellow;
  canvas.Rectangle(1, 1, 10, 10);
  EXPECT_EQ(painter.pen().color(), QColor(Qt::green));
  EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_SourceOver);
  painter.end();
  EXPECT_EQ(image.pixel(1, 5), ToQColor(clBlue).rgb());
  EXPECT_EQ(image.pixel(5, 5), ToQColor(clYellow).rgb());
}

}  // namespace
