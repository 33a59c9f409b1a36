#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "platform/gui/Metafile.h"
#include "platform/gui/QtClipboard.h"

namespace {

using namespace platform::gui;

const QString kEmf = QStringLiteral("image/x-emf"), kPng = QStringLiteral("image/png"), kRtf = QStringLiteral("text/rtf");

TMetafile TwoSquares() {
  TMetafile picture;
  picture.Width = 62;
  picture.Height = 32;
  TMetafileCanvas canvas(picture, "Quillmere4", "Two.xwd");
  canvas.Rectangle(1, 1, 32, 32);
  canvas.Brush.Color = clBlack;
  canvas.Rectangle(31, 1, 62, 32);
  return picture;
}

TEST(ExportClipboard, TextKeepsItsCharactersAndLineEnds) {
  QtClipboard clipboard;
  const QString text = QString::fromUtf8("ACROSS\r\n  1 \u201cCaf\u00e9\u201d\r\nDOWN\r\n");
  clipboard.SetText(text);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), text);
  EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasFormat(kEmf));
}

// A picture goes on as the EMF, a PNG of one pixel per unit and an RTF document holding the
// EMF; text put on afterwards replaces all three.
TEST(ExportClipboard, PictureFormats) {
  QtClipboard clipboard;
  const TMetafile picture = TwoSquares();
  clipboard.SetPicture(picture);
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->data(kEmf), picture.Bytes());

  const QImage png = QImage::fromData(data->data(kPng), "PNG");
  ASSERT_EQ(png.size(), QSize(62, 32));
  EXPECT_EQ(qGray(png.pixel(16, 16)), 255);
  EXPECT_EQ(qGray(png.pixel(46, 16)), 0);

  const QByteArray rtf = data->data(kRtf);
  EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi{\\pict\\emfblip\\picw1640\\pich847\\picwgoal930\\pichgoal480\r\n"))
      << rtf.left(80).toStdString();
  EXPECT_TRUE(rtf.endsWith("}}"));
  const qsizetype start = rtf.indexOf("\r\n") + 2;
  EXPECT_EQ(QByteArray::fromHex(rtf.mid(start, rtf.size() - 2 - start)), picture.Bytes());

  clipboard.SetText("clues");
  data = QGuiApplication::clipboard()->mimeData();
  EXPECT_FALSE(data->hasFormat(kEmf));
  EXPECT_FALSE(data->hasFormat(kPng));
  EXPECT_EQ(data->text(), "clues");
}

}  // namespace
