#include "platform/gui/QtClipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <memory>

#include "platform/gui/EmfWriter.h"
#include "platform/gui/Metafile.h"
#include "platform/gui/QtCanvas.h"

namespace platform::gui {
namespace {

// An RTF document whose one content is the enhanced metafile, shown at its size on the
// reference screen.
QByteArray PictureRtf(const TMetafile& picture, const QByteArray& emf) {
  const auto twips = [](int units) { return units * 1440 / ReferencePixelsPerInch; };
  QByteArray rtf = "{\\rtf1\\ansi{\\pict\\emfblip\\picw" + QByteArray::number(picture.MMWidth()) + "\\pich" +
                   QByteArray::number(picture.MMHeight()) + "\\picwgoal" + QByteArray::number(twips(picture.Width)) +
                   "\\pichgoal" + QByteArray::number(twips(picture.Height)) + "\r\n";
  const QByteArray hex = emf.toHex();
  for (qsizetype at = 0; at < hex.size(); at += 128) rtf += hex.mid(at, 128) + "\r\n";
  rtf += "}}";
  return rtf;
}

// The formats a picture is offered in.
std::unique_ptr<QMimeData> PictureMimeData(const TMetafile& picture) {
  const QByteArray emf = EmfBytes(picture);

  QImage image(picture.Width, picture.Height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QtCanvas canvas([&image]() -> QImage& { return image; }, ReferencePixelsPerInch, {});
  Replay(picture.Drawing, canvas);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");

  auto data = std::make_unique<QMimeData>();
  data->setData(QStringLiteral("image/x-emf"), emf);
  data->setData(QStringLiteral("image/png"), png);
  data->setData(QStringLiteral("text/rtf"), PictureRtf(picture, emf));
  return data;
}

}  // namespace

void QtClipboard::SetText(const QString& text) { QGuiApplication::clipboard()->setText(text); }

void QtClipboard::SetPicture(const TMetafile& picture) {
  QGuiApplication::clipboard()->setMimeData(PictureMimeData(picture).release());
}

}  // namespace platform::gui
