#pragma once
// Text as a metafile's reference device measures it: a 96-dpi screen, whatever the real screen
// says, with the face the font's name resolves to (Arial: Liberation Sans). As the Windows
// graphics interface does, a positive height is the character cell, a negative one (and a size
// in points) the em; every character advances a whole number of units, without kerning.

#include <QString>
#include <vector>

#include "platform/gui/Canvas.h"

namespace platform::gui {

struct ReferenceFace;

class ReferenceFont {
 public:
  explicit ReferenceFont(const TCanvasFont& font);

  // The height a logical font record stores: the cell height when positive, minus the em.
  int LogicalHeight() const { return logicalHeight_; }
  // The height of the character cell, the height of every text.
  int CellHeight() const { return cellHeight_; }
  // One advance per UTF-16 unit of the text.
  std::vector<int> Advances(const QString& text) const;
  int TextWidth(const QString& text) const;

 private:
  const ReferenceFace* face_;
  int logicalHeight_;
  double em_;
  int cellHeight_;
};

}  // namespace platform::gui
