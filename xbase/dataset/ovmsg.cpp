#include "xbase/dataset/ovmsg.h"

#include <algorithm>

#include "platform/os/MessagePump.h"

namespace xbase {
namespace {

// Shows nothing and measures every character as 8 x 16 pixels.
class NoMsgWindowDisplay final : public MsgWindowDisplay {
 public:
  MsgExtent TextExtent(const std::string& text, const std::string&) override {
    return {static_cast<int>(text.size()) * 8, 16};
  }
  int CaptionHeight() override { return 19; }
  FormHandle ActiveForm() override { return nullptr; }
  MsgBounds FormBounds(FormHandle) override { return {}; }
  MsgBounds ScreenBounds() override { return {0, 0, 1024, 768}; }
  void Placed(const TOvMsg&) override {}
  void TextShown(const TOvMsg&) override {}
  void Destroyed(const TOvMsg&) override {}
};

NoMsgWindowDisplay noDisplay;
MsgWindowDisplay* display = &noDisplay;

// The font whose metrics measure a window caption.
constexpr const char* kCaptionFont = "System";

}  // namespace

void SetMsgWindowDisplay(MsgWindowDisplay* newDisplay) {
  display = newDisplay != nullptr ? newDisplay : &noDisplay;
}

MsgWindowDisplay& CurrentMsgWindowDisplay() { return *display; }

TOvMsg::TOvMsg() : ownerForm_(CurrentMsgWindowDisplay().ActiveForm()) {}

TOvMsg::~TOvMsg() { CurrentMsgWindowDisplay().Destroyed(*this); }

void TOvMsg::ShowText(const std::string& text) {
  if (!text.empty()) text_ = text;
  Present();
}

void TOvMsg::ShowTextAsIs(const std::string& text) {
  text_ = text;
  Present();
}

void TOvMsg::Present() {
  MsgWindowDisplay& shown = CurrentMsgWindowDisplay();

  const MsgExtent extent = shown.TextExtent(text_, fontName_);
  int width = extent.Width + MsgMargin;
  int height = extent.Height + MsgMargin;
  const MsgBorder border = caption_.empty() ? MsgBorder::None : MsgBorder::Dialog;
  if (border == MsgBorder::Dialog) {
    height += shown.CaptionHeight();
    width = std::max(width, shown.TextExtent(caption_, kCaptionFont).Width);
  }
  outerPanelVisible_ = border == MsgBorder::None;

  if (width > bounds_.Width || height > bounds_.Height || border != border_) {
    border_ = border;
    const MsgBounds over = ownerForm_ != nullptr ? shown.FormBounds(ownerForm_) : shown.ScreenBounds();
    bounds_ = {over.Left + (over.Width - width) / 2, over.Top + (over.Height - height) / 2, width,
               height};
    visible_ = true;
    shown.Placed(*this);
  }
  shown.TextShown(*this);
  platform::os::ProcessMessages();
}

TOvProgress100::TOvProgress100(const std::string& caption) : bar_(BarLength, '|') {
  SetCaption(caption);
  ShowText(bar_);
}

void TOvProgress100::Step() {
  if (bar_.empty())
    bar_.assign(BarLength, '|');
  else
    bar_.erase(0, 1);
  ShowTextAsIs(bar_);
}

}  // namespace xbase
