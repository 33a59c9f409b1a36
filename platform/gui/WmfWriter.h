#pragma once
// A metafile as a placeable Windows metafile: the placeable header (the picture's box at 96
// units an inch), the metafile header, a comment escape with the creator and the description,
// the window mapping, then the drawing record by record; text in Windows-1252.

#include <QByteArray>

namespace platform::gui {

class TMetafile;

QByteArray WmfBytes(const TMetafile& metafile);

}  // namespace platform::gui
