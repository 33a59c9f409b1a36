#include "platform/gui/WmfWriter.h"

#include <algorithm>

#include "platform/gui/AnsiText.h"
#include "platform/gui/GdiPlayback.h"
#include "platform/gui/LittleEndianWriter.h"
#include "platform/gui/Metafile.h"

namespace platform::gui {
namespace {

enum WmfFunction : std::uint16_t {
  META_EOF = 0x0000,
  META_SETBKCOLOR = 0x0201,
  META_SETBKMODE = 0x0102,
  META_SETMAPMODE = 0x0103,
  META_SETROP2 = 0x0104,
  META_SETTEXTALIGN = 0x012E,
  META_SETTEXTCOLOR = 0x0209,
  META_SETWINDOWORG = 0x020B,
  META_SETWINDOWEXT = 0x020C,
  META_LINETO = 0x0213,
  META_MOVETO = 0x0214,
  META_RECTANGLE = 0x041B,
  META_TEXTOUT = 0x0521,
  META_ESCAPE = 0x0626,
  META_SELECTOBJECT = 0x012D,
  META_DELETEOBJECT = 0x01F0,
  META_CREATEPENINDIRECT = 0x02FA,
  META_CREATEFONTINDIRECT = 0x02FB,
  META_CREATEBRUSHINDIRECT = 0x02FC,
};

constexpr std::uint16_t MFCOMMENT = 0x000F;
constexpr int MM_ANISOTROPIC = 8;
constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;

// Text of a record: Windows-1252 bytes padded to a whole number of words.
QByteArray AnsiBytes(const QString& text) {
  const std::string ansi = ToAnsi(text);
  return QByteArray(ansi.data(), static_cast<qsizetype>(ansi.size()));
}

class WmfRecorder final : public GdiRecorder {
 public:
  void Record(std::uint16_t function, const LittleEndianWriter& params) {
    const std::uint32_t words = 3 + static_cast<std::uint32_t>(params.Size() / 2);
    records_.U32(words);
    records_.U16(function);
    records_.Bytes(params.Data());
    maxRecord_ = std::max(maxRecord_, words);
  }

  void Record16(std::uint16_t function, std::initializer_list<int> values) {
    LittleEndianWriter params;
    for (int v : values) params.I16(v);
    Record(function, params);
  }

  void RecordColor(std::uint16_t function, std::uint32_t color) {
    LittleEndianWriter params;
    params.U32(color);
    Record(function, params);
  }

  void Comment(const QByteArray& data) {
    LittleEndianWriter params;
    params.U16(MFCOMMENT);
    params.U16(static_cast<std::uint16_t>(data.size()));
    params.Bytes(data);
    params.Pad(2);
    Record(META_ESCAPE, params);
  }

  void CreatePen(int, int style, int width, std::uint32_t color) override {
    LittleEndianWriter params;
    params.U16(static_cast<std::uint16_t>(style));
    params.I16(width);
    params.I16(0);
    params.U32(color);
    Record(META_CREATEPENINDIRECT, params);
  }
  void CreateBrush(int, int style, std::uint32_t color) override {
    LittleEndianWriter params;
    params.U16(static_cast<std::uint16_t>(style));
    params.U32(color);
    params.U16(0);
    Record(META_CREATEBRUSHINDIRECT, params);
  }
  void CreateFont(int, const LogicalFont& font) override {
    LittleEndianWriter params;
    WriteLogicalFontFields(params, font, false);
    QByteArray face = AnsiBytes(font.FaceName).left(31);
    face.resize(32, '\0');
    params.Bytes(face);
    Record(META_CREATEFONTINDIRECT, params);
  }
  // Objects are numbered by the lowest free slot, as the graphics interface numbers them.
  void SelectObject(int slot) override { Record16(META_SELECTOBJECT, {slot}); }
  void DeleteObject(int slot) override { Record16(META_DELETEOBJECT, {slot}); }
  void SetBkMode(int mode) override { Record16(META_SETBKMODE, {mode}); }
  void SetBkColor(std::uint32_t color) override { RecordColor(META_SETBKCOLOR, color); }
  void SetTextColor(std::uint32_t color) override { RecordColor(META_SETTEXTCOLOR, color); }
  void SetRop2(int rop) override { Record16(META_SETROP2, {rop}); }
  // Points and rectangles go in reverse order: y before x, bottom right before top left.
  void Rectangle(int left, int top, int right, int bottom) override {
    Record16(META_RECTANGLE, {bottom, right, top, left});
  }
  void MoveTo(int x, int y) override { Record16(META_MOVETO, {y, x}); }
  void LineTo(int x, int y) override { Record16(META_LINETO, {y, x}); }
  void TextOut(int x, int y, const QString& text, const TCanvasFont&) override {
    const QByteArray bytes = AnsiBytes(text);
    LittleEndianWriter params;
    params.U16(static_cast<std::uint16_t>(bytes.size()));
    params.Bytes(bytes);
    params.Pad(2);
    params.I16(y);
    params.I16(x);
    Record(META_TEXTOUT, params);
  }

  const LittleEndianWriter& Records() const { return records_; }
  std::uint32_t MaxRecord() const { return maxRecord_; }

 private:
  LittleEndianWriter records_;
  std::uint32_t maxRecord_ = 0;
};

}  // namespace

QByteArray WmfBytes(const TMetafile& metafile) {
  WmfRecorder recorder;
  recorder.Comment(AnsiBytes(metafile.CreatedBy) + '\0' + AnsiBytes(metafile.Description) + '\0');
  recorder.Record16(META_SETMAPMODE, {MM_ANISOTROPIC});
  recorder.Record16(META_SETWINDOWORG, {0, 0});
  recorder.Record16(META_SETWINDOWEXT, {metafile.Height, metafile.Width});
  recorder.Record16(META_SETTEXTALIGN, {0});  // top left, the current position not updated
  const int objects = PlayDisplayList(metafile.Drawing, recorder, 0);
  recorder.Record16(META_EOF, {});

  LittleEndianWriter out;
  out.U32(PlaceableKey);
  out.U16(0);  // handle
  out.I16(0);
  out.I16(0);
  out.I16(metafile.Width);
  out.I16(metafile.Height);
  out.U16(ReferencePixelsPerInch);
  out.U32(0);
  std::uint16_t checksum = 0;
  for (int i = 0; i < 10; ++i)
    checksum ^= static_cast<std::uint16_t>(static_cast<std::uint8_t>(out.Data()[2 * i]) |
                                           static_cast<std::uint8_t>(out.Data()[2 * i + 1]) << 8);
  out.U16(checksum);

  constexpr std::uint16_t headerWords = 9;
  out.U16(1);  // a metafile in memory, as the class library saves it
  out.U16(headerWords);
  out.U16(0x0300);
  out.U32(headerWords + static_cast<std::uint32_t>(recorder.Records().Size() / 2));
  out.U16(static_cast<std::uint16_t>(objects));
  out.U32(recorder.MaxRecord());
  out.U16(0);
  out.Bytes(recorder.Records().Data());
  return out.Data();
}

}  // namespace platform::gui
