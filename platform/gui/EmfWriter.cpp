#include "platform/gui/EmfWriter.h"

#include <bit>
#include <numeric>
#include <vector>

#include "platform/gui/GdiPlayback.h"
#include "platform/gui/LittleEndianWriter.h"
#include "platform/gui/Metafile.h"
#include "platform/gui/ReferenceFont.h"

namespace platform::gui {
namespace {

enum EmfRecordType : std::uint32_t {
  EMR_HEADER = 1,
  EMR_EOF = 14,
  EMR_SETBKMODE = 18,
  EMR_SETROP2 = 20,
  EMR_SETTEXTALIGN = 22,
  EMR_SETTEXTCOLOR = 24,
  EMR_SETBKCOLOR = 25,
  EMR_MOVETOEX = 27,
  EMR_SELECTOBJECT = 37,
  EMR_CREATEPEN = 38,
  EMR_CREATEBRUSHINDIRECT = 39,
  EMR_DELETEOBJECT = 40,
  EMR_RECTANGLE = 43,
  EMR_LINETO = 54,
  EMR_EXTCREATEFONTINDIRECTW = 82,
  EMR_EXTTEXTOUTW = 84,
};

constexpr std::uint32_t EmfSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t GM_COMPATIBLE = 1;
constexpr int HeaderSize = 108;  // with both header extensions
// The reference screen: 1920 by 1080 pixels at 96 pixels an inch.
constexpr int ScreenWidth = 1920, ScreenHeight = 1080;

void Utf16(LittleEndianWriter& out, const QString& text) {
  for (QChar ch : text) out.U16(ch.unicode());
}

class EmfRecorder final : public GdiRecorder {
 public:
  void Record(std::uint32_t type, const LittleEndianWriter& params) {
    records_.U32(type);
    records_.U32(8 + static_cast<std::uint32_t>(params.Size()));
    records_.Bytes(params.Data());
    ++count_;
  }

  void Record32(std::uint32_t type, std::initializer_list<std::uint32_t> values) {
    LittleEndianWriter params;
    for (std::uint32_t v : values) params.U32(v);
    Record(type, params);
  }

  void CreatePen(int slot, int style, int width, std::uint32_t color) override {
    Record32(EMR_CREATEPEN, {std::uint32_t(slot), std::uint32_t(style), std::uint32_t(width), 0, color});
  }
  void CreateBrush(int slot, int style, std::uint32_t color) override {
    Record32(EMR_CREATEBRUSHINDIRECT, {std::uint32_t(slot), std::uint32_t(style), color, 0});
  }
  void CreateFont(int slot, const LogicalFont& font) override {
    LittleEndianWriter params;
    params.U32(static_cast<std::uint32_t>(slot));
    WriteLogicalFontFields(params, font, true);
    const QString face = font.FaceName.left(31);
    Utf16(params, face);
    for (qsizetype i = face.size(); i < 32; ++i) params.U16(0);
    Record(EMR_EXTCREATEFONTINDIRECTW, params);
  }
  void SelectObject(int slot) override { Record32(EMR_SELECTOBJECT, {std::uint32_t(slot)}); }
  void DeleteObject(int slot) override { Record32(EMR_DELETEOBJECT, {std::uint32_t(slot)}); }
  void SetBkMode(int mode) override { Record32(EMR_SETBKMODE, {std::uint32_t(mode)}); }
  void SetBkColor(std::uint32_t color) override { Record32(EMR_SETBKCOLOR, {color}); }
  void SetTextColor(std::uint32_t color) override { Record32(EMR_SETTEXTCOLOR, {color}); }
  void SetRop2(int rop) override { Record32(EMR_SETROP2, {std::uint32_t(rop)}); }
  void Rectangle(int left, int top, int right, int bottom) override {
    Record32(EMR_RECTANGLE, {std::uint32_t(left), std::uint32_t(top), std::uint32_t(right), std::uint32_t(bottom)});
  }
  void MoveTo(int x, int y) override { Record32(EMR_MOVETOEX, {std::uint32_t(x), std::uint32_t(y)}); }
  void LineTo(int x, int y) override { Record32(EMR_LINETO, {std::uint32_t(x), std::uint32_t(y)}); }
  void TextOut(int x, int y, const QString& text, const TCanvasFont& font) override {
    const ReferenceFont metrics(font);
    const std::vector<int> advances = metrics.Advances(text);
    const int width = std::accumulate(advances.begin(), advances.end(), 0);
    constexpr std::uint32_t stringOffset = 76;
    const auto dxOffset = static_cast<std::uint32_t>(stringOffset + (text.size() * 2 + 3) / 4 * 4);
    const float scale = 2540.0f / ReferencePixelsPerInch;

    LittleEndianWriter params;
    for (int v : {x, y, x + width - 1, y + metrics.CellHeight() - 1}) params.I32(v);  // bounds
    params.U32(GM_COMPATIBLE);
    params.U32(std::bit_cast<std::uint32_t>(scale));
    params.U32(std::bit_cast<std::uint32_t>(scale));
    params.I32(x);
    params.I32(y);
    params.U32(static_cast<std::uint32_t>(text.size()));
    params.U32(stringOffset);
    params.U32(0);  // options: no clipping, no opaque rectangle
    for (int i = 0; i < 4; ++i) params.I32(0);
    params.U32(dxOffset);
    Utf16(params, text);
    params.Pad(4);
    for (int advance : advances) params.I32(advance);
    Record(EMR_EXTTEXTOUTW, params);
  }

  const LittleEndianWriter& Records() const { return records_; }
  std::uint32_t Count() const { return count_; }

 private:
  LittleEndianWriter records_;
  std::uint32_t count_ = 0;
};

}  // namespace

QByteArray EmfBytes(const TMetafile& metafile) {
  EmfRecorder recorder;
  recorder.Record32(EMR_SETTEXTALIGN, {0});  // top left, the current position not updated
  const int handles = PlayDisplayList(metafile.Drawing, recorder, 1);  // handle 0 is the metafile's own
  recorder.Record32(EMR_EOF, {0, 16, 20});

  LittleEndianWriter description;
  Utf16(description, metafile.CreatedBy + QChar(0) + metafile.Description + QChar(0) + QChar(0));
  const auto descriptionChars = static_cast<std::uint32_t>(description.Size() / 2);
  description.Pad(4);
  const auto headerBytes = static_cast<std::uint32_t>(HeaderSize + description.Size());

  LittleEndianWriter out;
  out.U32(EMR_HEADER);
  out.U32(headerBytes);
  for (int v : {0, 0, metafile.Width - 1, metafile.Height - 1}) out.I32(v);  // bounds, inclusive
  for (int v : {0, 0, metafile.MMWidth() - 1, metafile.MMHeight() - 1})
    out.I32(v);  // frame, inclusive
  out.U32(EmfSignature);
  out.U32(0x00010000);
  out.U32(headerBytes + static_cast<std::uint32_t>(recorder.Records().Size()));
  out.U32(recorder.Count() + 1);
  out.U16(static_cast<std::uint16_t>(handles));
  out.U16(0);
  out.U32(descriptionChars);
  out.U32(HeaderSize);
  out.U32(0);  // palette entries
  out.I32(ScreenWidth);
  out.I32(ScreenHeight);
  out.I32(HundredthsOfMillimetre(ScreenWidth) / 100);
  out.I32(HundredthsOfMillimetre(ScreenHeight) / 100);
  out.U32(0);  // no pixel format
  out.U32(0);
  out.U32(0);  // no OpenGL records
  out.I32(HundredthsOfMillimetre(ScreenWidth) * 10);
  out.I32(HundredthsOfMillimetre(ScreenHeight) * 10);
  out.Bytes(description.Data());
  out.Bytes(recorder.Records().Data());
  return out.Data();
}

}  // namespace platform::gui
