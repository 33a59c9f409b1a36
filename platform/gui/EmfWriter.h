#pragma once
// A metafile as an enhanced metafile: the header (the picture's bounds on the 96-dpi reference
// screen, its frame in hundredths of a millimetre, the creator and the description), then the
// drawing record by record; text in UTF-16 with each character's advance.

#include <QByteArray>

namespace platform::gui {

class TMetafile;

QByteArray EmfBytes(const TMetafile& metafile);

}  // namespace platform::gui
