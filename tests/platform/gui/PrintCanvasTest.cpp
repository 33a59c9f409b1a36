// The canvas rules that printed pages rely on.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

#include "platform/gui/QtCanvas.h"

namespace {

using namespace platform::gui;

class PrintCanvas : public ::testing::Test {
 protected:
  PrintCanvas() : canvas([this]() -> QImage& { return image; }, 600, {}) { image.fill(Qt::white); }

  QImage image{400, 300, QImage::Format_ARGB32_Premultiplied};
  QtCanvas canvas;
};

TEST_F(PrintCanvas, APositiveHeightIsTheCellHeight) {
  for (const char* name : {"Arial", "Times New Roman", "Courier New"})
    for (int height : {12, 40, 185}) {
      canvas.Font.Name = name;
      canvas.Font.SetHeight(height);
      EXPECT_NEAR(canvas.TextHeight("I"), height, 1) << name << " " << height;
      // A negative height is the characters' own, so the cell is higher.
      canvas.Font.SetHeight(-height);
      EXPECT_GT(canvas.TextHeight("I"), height) << name << " " << -height;
    }
}

TEST_F(PrintCanvas, WidthsAddUpWithoutKerning) {
  canvas.Font.Name = "Arial";
  canvas.Font.SetSize(24);  // 200 pixels at 600 per inch
  for (const char* pair : {"AV", "To", "WA", "Ty"}) {
    const QString text = QString::fromLatin1(pair);
    EXPECT_NEAR(canvas.TextWidth(text), canvas.TextWidth(text.left(1)) + canvas.TextWidth(text.mid(1)), 1) << pair;
  }
}

TEST_F(PrintCanvas, ByteZeroShowsAsABlank) {
  canvas.Font.Name = "Courier New";
  canvas.Font.SetSize(12);
  const QString empty(QChar(0));
  EXPECT_EQ(canvas.TextWidth(empty), canvas.TextWidth(" "));
  EXPECT_EQ(canvas.TextWidth(QString("A") + empty + "B"), canvas.TextWidth("A B"));
  canvas.Brush.Style = BrushStyle::Clear;
  const QImage before = image;
  canvas.TextOut(10, 10, empty);
  EXPECT_EQ(image, before);
}

// On a printed page a text is as wide as its characters, each rounded to whole pixels: at 1200
// pixels per inch a fixed-pitch character is 120.02 pixels wide, which the whole string's
// advance would add up to one pixel more than 40 characters of 120.
TEST(PrinterSurface, WidthsAreTheSumOfRoundedCharacterWidths) {
  QBuffer file;
  file.open(QIODevice::WriteOnly);
  QPdfWriter pdf(&file);
  pdf.setResolution(1200);
  QPainter painter;
  QtCanvas canvas(painter, &pdf, CanvasSurface::Printer);
  canvas.Font.Name = "Courier New";
  canvas.Font.SetSize(12);
  EXPECT_EQ(canvas.TextWidth("M"), 120);
  EXPECT_EQ(canvas.TextWidth(QString(40, 'M')), 40 * 120);
  canvas.Font.Name = "Arial";
  for (const char* text : {"Nine clues, one grid", "illicit", "WWW.mmm"}) {
    int sum = 0;
    for (QChar ch : QString::fromLatin1(text)) sum += canvas.TextWidth(ch);
    EXPECT_EQ(canvas.TextWidth(QString::fromLatin1(text)), sum) << text;
  }
}

TEST(PrintCanvasIdle, MeasuresOnItsDeviceWhileThePainterIsInactive) {
  QImage device(10, 10, QImage::Format_ARGB32_Premultiplied);
  QPainter painter;
  QtCanvas canvas(painter, &device);
  canvas.Font.Name = "Arial";
  canvas.Font.SetHeight(-30);
  EXPECT_EQ(canvas.TextWidth("Wide"), QFontMetrics(canvas.QtFont(), &device).horizontalAdvance("Wide"));
  EXPECT_GT(canvas.TextHeight("I"), 30);
}

}  // namespace
