#include "platform/gui/ReferenceFont.h"

#include <QFont>
#include <QRawFont>
#include <cmath>
#include <map>
#include <memory>
#include <numeric>
#include <tuple>

#include "platform/gui/FontFamilies.h"
#include "platform/gui/FontStyle.h"
#include "platform/gui/Metafile.h"

namespace platform::gui {

// A face at its design size: advances in font units, unhinted.
struct ReferenceFace {
  QRawFont Raw;
  double UnitsPerEm = 2048;
  double CellUnits = 2048;  // the Windows ascent plus descent
};

namespace {

int BigEndian16(const QByteArray& table, int offset) {
  return (static_cast<std::uint8_t>(table[offset]) << 8) | static_cast<std::uint8_t>(table[offset + 1]);
}

std::unique_ptr<ReferenceFace> LoadFace(const QString& family, bool bold, bool italic) {
  QFont font(family);
  font.setBold(bold);
  font.setItalic(italic);
  font.setHintingPreference(QFont::PreferNoHinting);
  auto face = std::make_unique<ReferenceFace>();
  face->Raw = QRawFont::fromFont(font);
  if (!face->Raw.isValid()) return face;
  face->UnitsPerEm = face->Raw.unitsPerEm();
  face->Raw.setPixelSize(face->UnitsPerEm);
  // The cell of the Windows metrics in the OS/2 table; the face's own ascent and descent
  // where there is no such table.
  const QByteArray os2 = face->Raw.fontTable("OS/2");
  face->CellUnits = os2.size() >= 78 ? BigEndian16(os2, 74) + BigEndian16(os2, 76)
                                     : face->Raw.ascent() + face->Raw.descent();
  if (face->CellUnits <= 0) face->CellUnits = face->UnitsPerEm;
  return face;
}

}  // namespace

ReferenceFont::ReferenceFont(const TCanvasFont& font) {
  using Key = std::tuple<QString, bool, bool>;
  // Kept for the whole run and never destroyed: fonts must not outlive the application object.
  static auto* faces = new std::map<Key, std::unique_ptr<ReferenceFace>>;
  const Key key{ResolveFontFamily(font.Name), (font.Style & fsBold) != 0, (font.Style & fsItalic) != 0};
  auto found = faces->find(key);
  if (found == faces->end())
    found = faces->emplace(key, LoadFace(std::get<0>(key), std::get<1>(key), std::get<2>(key))).first;
  face_ = found->second.get();

  logicalHeight_ = font.Height() != 0 ? font.Height() : -font.PixelHeight(ReferencePixelsPerInch);
  if (logicalHeight_ > 0) {
    cellHeight_ = logicalHeight_;
    em_ = logicalHeight_ * face_->UnitsPerEm / face_->CellUnits;
  } else {
    em_ = -logicalHeight_;
    cellHeight_ = static_cast<int>(std::lround(em_ * face_->CellUnits / face_->UnitsPerEm));
  }
}

std::vector<int> ReferenceFont::Advances(const QString& text) const {
  std::vector<int> advances;
  advances.reserve(static_cast<std::size_t>(text.size()));
  for (QChar ch : text) {
    const QList<quint32> glyphs = face_->Raw.glyphIndexesForString(QString(ch));
    const QList<QPointF> units = face_->Raw.advancesForGlyphIndexes(glyphs);
    const double design = units.isEmpty() ? 0 : units.front().x();
    advances.push_back(static_cast<int>(std::lround(design * em_ / face_->UnitsPerEm)));
  }
  return advances;
}

int ReferenceFont::TextWidth(const QString& text) const {
  const std::vector<int> advances = Advances(text);
  return std::accumulate(advances.begin(), advances.end(), 0);
}

}  // namespace platform::gui
