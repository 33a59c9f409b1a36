#pragma once
// A display list as the Windows graphics interface would draw it: before each drawing call the
// objects and modes it needs, created, selected and the old ones deleted only when they change.
// The WMF and EMF writers turn these calls into their records.

#include <QString>
#include <cstdint>

#include "platform/gui/DisplayList.h"

namespace platform::gui {

// Values the records hold.
enum GdiValue : int {
  TransparentBk = 1,
  OpaqueBk = 2,
  MaskPenRop = 9,
  CopyPenRop = 13,
  SolidPenStyle = 0,
  DotPenStyle = 2,
  SolidBrushStyle = 0,
  NullBrushStyle = 1,
};

// A colour as the records hold it: 0x00BBGGRR, system colours resolved.
std::uint32_t ColorRef(TColor color);

// The fields of a logical font record.
struct LogicalFont {
  int Height = 0;  // positive: the cell; negative: the em
  int Weight = 400;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  QString FaceName;
};
LogicalFont LogicalFontOf(const TCanvasFont& font);

class LittleEndianWriter;

// A logical font record's fields before the face name, its whole numbers 32 bits wide in an
// enhanced metafile (wide) and 16 bits in a Windows metafile.
void WriteLogicalFontFields(LittleEndianWriter& out, const LogicalFont& font, bool wide);

class GdiRecorder {
 public:
  virtual ~GdiRecorder() = default;
  virtual void CreatePen(int slot, int style, int width, std::uint32_t color) = 0;
  virtual void CreateBrush(int slot, int style, std::uint32_t color) = 0;
  virtual void CreateFont(int slot, const LogicalFont& font) = 0;
  virtual void SelectObject(int slot) = 0;
  virtual void DeleteObject(int slot) = 0;
  virtual void SetBkMode(int mode) = 0;
  virtual void SetBkColor(std::uint32_t color) = 0;
  virtual void SetTextColor(std::uint32_t color) = 0;
  virtual void SetRop2(int rop) = 0;
  virtual void Rectangle(int left, int top, int right, int bottom) = 0;
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  // Text with its top-left corner at (x, y) in the font of the selected font object.
  virtual void TextOut(int x, int y, const QString& text, const TCanvasFont& font) = 0;
};

// Plays the drawing into the recorder, giving objects the lowest free slot from firstSlot on.
// Returns the number of slots, firstSlot included, that the drawing used at most.
int PlayDisplayList(const DisplayList& calls, GdiRecorder& recorder, int firstSlot);

}  // namespace platform::gui
