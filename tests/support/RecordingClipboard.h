#pragma once
// The clipboard for tests: it holds what the last command put on it, as the real one does,
// and leaves the system clipboard alone.

#include <QString>
#include <optional>

#include "platform/gui/Clipboard.h"
#include "platform/gui/Metafile.h"

namespace testing_support {

class RecordingClipboard final : public platform::gui::Clipboard {
 public:
  void SetText(const QString& text) override {
    text_ = text;
    picture_.reset();
  }
  void SetPicture(const platform::gui::TMetafile& picture) override {
    picture_ = picture;
    text_.reset();
  }

  // What is on the clipboard: text, a picture, or nothing yet.
  const std::optional<QString>& Text() const { return text_; }
  const std::optional<platform::gui::TMetafile>& Picture() const { return picture_; }

 private:
  std::optional<QString> text_;
  std::optional<platform::gui::TMetafile> picture_;
};

}  // namespace testing_support
