#include "platform/gui/GdiPlayback.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/gui/FontStyle.h"
#include "platform/gui/LittleEndianWriter.h"
#include "platform/gui/ReferenceFont.h"

namespace platform::gui {

std::uint32_t ColorRef(TColor color) {
  const QColor rgb = ToQColor(color);
  return static_cast<std::uint32_t>(rgb.red()) | static_cast<std::uint32_t>(rgb.green()) << 8 |
         static_cast<std::uint32_t>(rgb.blue()) << 16;
}

LogicalFont LogicalFontOf(const TCanvasFont& font) {
  return {ReferenceFont(font).LogicalHeight(), (font.Style & fsBold) ? 700 : 400, (font.Style & fsItalic) != 0,
          (font.Style & fsUnderline) != 0,     (font.Style & fsStrikeOut) != 0,   font.Name};
}

void WriteLogicalFontFields(LittleEndianWriter& out, const LogicalFont& font, bool wide) {
  const auto whole = [&](int value) { wide ? out.I32(value) : out.I16(value); };
  whole(font.Height);
  whole(0);  // width: the face's own
  whole(0);  // escapement
  whole(0);  // orientation
  whole(font.Weight);
  out.U8(font.Italic);
  out.U8(font.Underline);
  out.U8(font.StrikeOut);
  for (int i = 0; i < 5; ++i) out.U8(0);  // ANSI character set, default precisions, quality, pitch
}

namespace {

// What a font object is made of: everything but the colour, which is a mode of its own.
bool SameFontObject(const TCanvasFont& a, const TCanvasFont& b) {
  return a.Name == b.Name && a.Style == b.Style && a.Size() == b.Size() && a.Height() == b.Height();
}

// The pen mode is a mode of its own too.
bool SamePenObject(const TPen& a, const TPen& b) {
  return a.Color == b.Color && a.Width == b.Width && a.Style == b.Style;
}

// A clear brush has no colour.
bool SameBrushObject(const TBrush& a, const TBrush& b) {
  return a.Style == b.Style && (a.Style == BrushStyle::Clear || a.Color == b.Color);
}

class Player {
 public:
  Player(GdiRecorder& recorder, int firstSlot) : recorder_(recorder), firstSlot_(firstSlot) {}

  void Play(const CanvasCall& call) {
    switch (call.What) {
      case CanvasCall::Kind::Rectangle:
        UsePen(call.Pen);
        UseBrush(call.Brush);
        recorder_.Rectangle(call.Left, call.Top, call.Right, call.Bottom);
        break;
      case CanvasCall::Kind::MoveTo: recorder_.MoveTo(call.Left, call.Top); break;
      case CanvasCall::Kind::Line:
        UsePen(call.Pen);
        if (position_ != QPoint(call.Left, call.Top)) recorder_.MoveTo(call.Left, call.Top);
        recorder_.LineTo(call.Right, call.Bottom);
        break;
      case CanvasCall::Kind::Text:
        UseFont(call.Font);
        UseMode(textColor_, ColorRef(call.Font.Color), &GdiRecorder::SetTextColor);
        UseMode(bkMode_, call.Brush.Style == BrushStyle::Solid ? int(OpaqueBk) : int(TransparentBk),
                &GdiRecorder::SetBkMode);
        if (call.Brush.Style == BrushStyle::Solid)
          UseMode(bkColor_, ColorRef(call.Brush.Color), &GdiRecorder::SetBkColor);
        recorder_.TextOut(call.Left, call.Top, call.Text, call.Font);
        break;
    }
    if (call.What == CanvasCall::Kind::MoveTo) position_ = QPoint(call.Left, call.Top);
    if (call.What == CanvasCall::Kind::Line) position_ = QPoint(call.Right, call.Bottom);
  }

  int SlotsUsed() const { return firstSlot_ + static_cast<int>(slots_.size()); }

 private:
  template <class Value, class Setter>
  void UseMode(std::optional<Value>& current, Value wanted, Setter setter) {
    if (current == wanted) return;
    current = wanted;
    (recorder_.*setter)(wanted);
  }

  void UsePen(const TPen& pen) {
    UseMode(rop_, pen.Mode == PenMode::Mask ? int(MaskPenRop) : int(CopyPenRop), &GdiRecorder::SetRop2);
    if (pen_ && SamePenObject(*pen_, pen)) return;
    pen_ = pen;
    Replace(penSlot_, [&](int slot) {
      recorder_.CreatePen(slot, pen.Style == PenStyle::Dot ? DotPenStyle : SolidPenStyle, pen.Width,
                          ColorRef(pen.Color));
    });
  }

  void UseBrush(const TBrush& brush) {
    if (brush_ && SameBrushObject(*brush_, brush)) return;
    brush_ = brush;
    Replace(brushSlot_, [&](int slot) {
      recorder_.CreateBrush(slot, brush.Style == BrushStyle::Solid ? SolidBrushStyle : NullBrushStyle,
                            ColorRef(brush.Color));
    });
  }

  void UseFont(const TCanvasFont& font) {
    if (font_ && SameFontObject(*font_, font)) return;
    font_ = font;
    Replace(fontSlot_, [&](int slot) { recorder_.CreateFont(slot, LogicalFontOf(font)); });
  }

  // Creates the new object in the lowest free slot, selects it and deletes the one it replaces.
  template <class Create>
  void Replace(int& slot, Create create) {
    const auto free = std::find(slots_.begin(), slots_.end(), false);
    const int index = static_cast<int>(free - slots_.begin());
    if (free == slots_.end())
      slots_.push_back(true);
    else
      *free = true;
    create(firstSlot_ + index);
    recorder_.SelectObject(firstSlot_ + index);
    if (slot >= 0) {
      recorder_.DeleteObject(firstSlot_ + slot);
      slots_[static_cast<std::size_t>(slot)] = false;
    }
    slot = index;
  }

  GdiRecorder& recorder_;
  int firstSlot_;
  std::vector<bool> slots_;
  int penSlot_ = -1, brushSlot_ = -1, fontSlot_ = -1;
  std::optional<TPen> pen_;
  std::optional<TBrush> brush_;
  std::optional<TCanvasFont> font_;
  std::optional<int> rop_, bkMode_;
  std::optional<std::uint32_t> bkColor_, textColor_;
  std::optional<QPoint> position_;
};

}  // namespace

int PlayDisplayList(const DisplayList& calls, GdiRecorder& recorder, int firstSlot) {
  Player player(recorder, firstSlot);
  for (const CanvasCall& call : calls) player.Play(call);
  return player.SlotsUsed();
}

}  // namespace platform::gui
