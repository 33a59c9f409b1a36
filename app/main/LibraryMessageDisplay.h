#pragma once
// The table library's message and progress windows shown as windows of the program: each
// TOvMsg gets a platform::gui::MessageWindow while it lives.

#include <map>
#include <memory>

#include "platform/gui/MessageWindow.h"
#include "xbase/dataset/ovmsg.h"

class TLibraryMessageDisplay : public xbase::MsgWindowDisplay {
 public:
  xbase::MsgExtent TextExtent(const std::string& text, const std::string& fontName) override;
  int CaptionHeight() override;
  xbase::FormHandle ActiveForm() override;
  xbase::MsgBounds FormBounds(xbase::FormHandle form) override;
  xbase::MsgBounds ScreenBounds() override;
  void Placed(const xbase::TOvMsg& window) override;
  void TextShown(const xbase::TOvMsg& window) override;
  void Destroyed(const xbase::TOvMsg& window) override;

  // The window that shows a message box of the library; null when it shows none.
  platform::gui::MessageWindow* WindowOf(const xbase::TOvMsg& window) const;

 private:
  std::map<const xbase::TOvMsg*, std::unique_ptr<platform::gui::MessageWindow>> windows_;
};
