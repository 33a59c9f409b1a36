#pragma once
// The clipboard: each command replaces what it holds. Text goes on it as Unicode; a picture
// (a metafile) as an enhanced metafile ("image/x-emf"), a PNG of one pixel per unit
// ("image/png") and an RTF document holding the metafile ("text/rtf"), so that word
// processors, image editors and other programs can paste it.

#include <QString>

namespace platform::gui {

class TMetafile;

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual void SetText(const QString& text) = 0;
  virtual void SetPicture(const TMetafile& picture) = 0;
};

Clipboard& CurrentClipboard();
// nullptr restores the system clipboard. The caller keeps ownership.
void InstallClipboard(Clipboard* clipboard);

}  // namespace platform::gui
