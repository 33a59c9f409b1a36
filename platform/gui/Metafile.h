#pragma once
// A vector picture as the class library's metafile object holds it: a size in logical units of
// the 96-dpi reference screen, a kind (a plain Windows metafile or an enhanced one), a creator
// and a description, and the drawing, kept as a display list. A metafile canvas draws into it;
// its bytes are a placeable WMF or an EMF, written by our own writers.

#include <QByteArray>
#include <QString>

#include "platform/gui/DisplayList.h"

namespace platform::gui {

constexpr int ReferencePixelsPerInch = 96;

// Units of the reference screen in hundredths of a millimetre, rounded.
constexpr int HundredthsOfMillimetre(int units) {
  return (units * 2540 + ReferencePixelsPerInch / 2) / ReferencePixelsPerInch;
}

class TMetafile {
 public:
  int Width = 0;
  int Height = 0;
  bool Enhanced = true;
  QString CreatedBy;
  QString Description;
  DisplayList Drawing;

  // The size in hundredths of a millimetre.
  int MMWidth() const { return HundredthsOfMillimetre(Width); }
  int MMHeight() const { return HundredthsOfMillimetre(Height); }

  // The file image: an EMF when Enhanced, else a placeable WMF.
  QByteArray Bytes() const;
};

// Draws into a metafile: the drawing, with the creator and description, becomes the metafile's
// when the canvas closes (is destroyed). Text measures as on the reference screen.
class TMetafileCanvas final : public DisplayListCanvas {
 public:
  TMetafileCanvas(TMetafile& metafile, const QString& createdBy, const QString& description);
  ~TMetafileCanvas() override;
  TMetafileCanvas(const TMetafileCanvas&) = delete;
  TMetafileCanvas& operator=(const TMetafileCanvas&) = delete;

  int TextWidth(const QString& text) const override;
  int TextHeight(const QString& text) const override;

 private:
  TMetafile& metafile_;
  QString createdBy_;
  QString description_;
};

}  // namespace platform::gui
