#pragma once
// The library's two small pop-up windows: TOvMsg, a borderless, always-on-top yellow box that
// shows one line of text and grows to fit it, and TOvProgress100, a TOvMsg whose text is a bar
// of 100 '|' that loses one character per step. The library keeps only their state; a display
// installed with SetMsgWindowDisplay measures text and shows them. The default display measures
// with fixed metrics and shows nothing, which suits programs without windows.

#include <cstdint>
#include <optional>
#include <string>

namespace xbase {

// Space added to the text's width and height.
inline constexpr int MsgMargin = 30;

// The window colour $00BBGGRR: yellow.
inline constexpr std::uint32_t MsgColor = 0x0000FFFF;

struct MsgBounds {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

struct MsgExtent {
  int Width = 0;
  int Height = 0;
};

enum class MsgBorder {
  None,    // no border and no border icons: the window has no caption
  Dialog,  // a dialog border with the caption
};

// An application window as the display knows it; null for none.
using FormHandle = const void*;

class TOvMsg;

class MsgWindowDisplay {
 public:
  virtual ~MsgWindowDisplay() = default;
  // Size of a text in the named font; an empty name is the window's own font.
  virtual MsgExtent TextExtent(const std::string& text, const std::string& fontName) = 0;
  virtual int CaptionHeight() = 0;
  // The application window that is active now, and the bounds of a window.
  virtual FormHandle ActiveForm() = 0;
  virtual MsgBounds FormBounds(FormHandle form) = 0;
  virtual MsgBounds ScreenBounds() = 0;
  // The window got new bounds, border or caption and is visible now.
  virtual void Placed(const TOvMsg& window) = 0;
  // The text panel shows the window's Text; repaint it at once.
  virtual void TextShown(const TOvMsg& window) = 0;
  // The window is being destroyed.
  virtual void Destroyed(const TOvMsg& window) = 0;
};

// Installs the display of every message window; null restores the default. The display must
// outlive the windows shown through it.
void SetMsgWindowDisplay(MsgWindowDisplay* display);
MsgWindowDisplay& CurrentMsgWindowDisplay();

class TOvMsg {
 public:
  // The window starts hidden and 0 x 0, owned by the form active now.
  TOvMsg();
  virtual ~TOvMsg();
  TOvMsg(const TOvMsg&) = delete;
  TOvMsg& operator=(const TOvMsg&) = delete;

  // Shows or updates the box: an empty text keeps the previous one. The box grows to fit its
  // text and caption but never shrinks, and is centred over its owner whenever it is resized.
  // The pending messages are processed afterwards, so the box updates during long work.
  void ShowText(const std::string& text);

  const std::string& Text() const { return text_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; }
  const std::string& FontName() const { return fontName_; }
  void SetFontName(const std::string& name) { fontName_ = name; }
  FormHandle OwnerForm() const { return ownerForm_; }
  MsgBounds Bounds() const { return bounds_; }
  MsgBorder Border() const { return border_; }
  bool Visible() const { return visible_; }
  // The bevelled outer panel shows only while the window has no caption.
  bool OuterPanelVisible() const { return outerPanelVisible_; }

 protected:
  // Shows exactly this text, an empty one too.
  void ShowTextAsIs(const std::string& text);

 private:
  void Present();

  std::string text_;
  std::string caption_;
  std::string fontName_;  // empty: the window's own font
  FormHandle ownerForm_;
  MsgBounds bounds_;
  MsgBorder border_ = MsgBorder::None;
  bool visible_ = false;
  bool outerPanelVisible_ = true;
};

class TOvProgress100 : public TOvMsg {
 public:
  static constexpr int BarLength = 100;

  // A window with the caption that shows the full bar at once.
  explicit TOvProgress100(const std::string& caption = "Progress");

  // One step: the bar loses its first character; an empty bar is refilled instead. The 100th
  // step shows the empty bar.
  void Step();

  const std::string& Bar() const { return bar_; }

 private:
  std::string bar_;
};

}  // namespace xbase
