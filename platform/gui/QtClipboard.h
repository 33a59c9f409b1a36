#pragma once
// The system clipboard through Qt.

#include "platform/gui/Clipboard.h"

namespace platform::gui {

class QtClipboard final : public Clipboard {
 public:
  void SetText(const QString& text) override;
  void SetPicture(const TMetafile& picture) override;
};

}  // namespace platform::gui
