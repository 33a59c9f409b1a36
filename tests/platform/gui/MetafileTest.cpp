#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <vector>

#include "platform/gui/FontStyle.h"
#include "platform/gui/Metafile.h"
#include "tests/support/RecordingCanvas.h"

namespace {

using namespace platform::gui;

int U16(const QByteArray& bytes, qsizetype at) {
  return static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8;
}
std::uint32_t U32(const QByteArray& bytes, qsizetype at) {
  return static_cast<std::uint32_t>(U16(bytes, at)) | static_cast<std::uint32_t>(U16(bytes, at + 2)) << 16;
}

TCanvasFont Font(const char* name, int style, int height, int size = 0) {
  TCanvasFont font;
  font.Name = name;
  font.Style = style;
  if (height != 0)
    font.SetHeight(height);
  else
    font.SetSize(size);
  return font;
}

// A drawing that needs every kind of object change: two brushes, a font, a second pen with
// the pen mode Mask, a clear brush under text, a line.
void DrawSample(Canvas& canvas) {
  canvas.Rectangle(1, 2, 32, 33);
  canvas.Brush.Color = clBlack;
  canvas.Rectangle(31, 2, 62, 33);
  canvas.Brush.Style = BrushStyle::Clear;
  canvas.Font = Font("Arial", fsBold, 12);
  canvas.Font.Color = clNavy;
  canvas.TextOut(3, 4, QString::fromUtf8("Café €Ω"));
  canvas.Pen.Color = clRed;
  canvas.Pen.Style = PenStyle::Dot;
  canvas.Pen.Mode = PenMode::Mask;
  canvas.MoveTo(0, 40);
  canvas.LineTo(60, 40);
}

TMetafile SampleMetafile(bool enhanced) {
  TMetafile metafile;
  metafile.Width = 64;
  metafile.Height = 48;
  metafile.Enhanced = enhanced;
  TMetafileCanvas canvas(metafile, "Quillmere4", "Sample.WMF");
  DrawSample(canvas);
  return metafile;
}

// Text measures on the 96-dpi reference screen with the face the name resolves to: a
// positive height is the cell, points give the em; advances are whole units that add up.
TEST(ExportMetafileCanvas, MeasuresOnTheReferenceScreen) {
  struct Case {
    TCanvasFont font;
    const char* text;
    int width, height;
  };
  const Case cases[] = {
      {Font("Arial", fsBold, 12), "1", 6, 12},
      {Font("Arial", fsBold, 22), "W", 19, 22},
      {Font("Arial", fsBold, 22), "AVAV", 2 * (14 + 13), 22},  // no kerning
      {Font("Arial", 0, 0, 10), "i", 3, 15},
      {Font("Courier New", 0, 0, 10), "iW", 16, 15},
  };
  TMetafile metafile;
  TMetafileCanvas canvas(metafile, "", "");
  for (const Case& c : cases) {
    canvas.Font = c.font;
    EXPECT_EQ(canvas.TextWidth(c.text), c.width) << c.text;
    EXPECT_EQ(canvas.TextHeight(c.text), c.height) << c.text;
  }
}

TEST(ExportMetafileCanvas, ClosingTheCanvasCompletesTheMetafile) {
  TMetafile metafile;
  {
    TMetafileCanvas canvas(metafile, "Quillmere4", "Sunday.WMF");
    canvas.Rectangle(0, 0, 5, 5);
    EXPECT_TRUE(metafile.Drawing.empty()) << "still drawing";
  }
  EXPECT_EQ(metafile.CreatedBy, "Quillmere4");
  EXPECT_EQ(metafile.Description, "Sunday.WMF");
  ASSERT_EQ(metafile.Drawing.size(), 1u);
  EXPECT_EQ(metafile.Drawing[0].What, CanvasCall::Kind::Rectangle);
}

// The display list drawn again on another canvas gives the same calls in the same state.
TEST(ExportMetafileCanvas, ReplayRepeatsTheDrawing) {
  testing_support::RecordingCanvas original;
  DrawSample(original);
  testing_support::RecordingCanvas again;
  Replay(original.Calls, again);
  ASSERT_EQ(again.Calls.size(), original.Calls.size());
  for (std::size_t i = 0; i < again.Calls.size(); ++i) {
    const CanvasCall &a = again.Calls[i], &b = original.Calls[i];
    EXPECT_TRUE(a.What == b.What && a.Left == b.Left && a.Top == b.Top && a.Right == b.Right &&
                a.Bottom == b.Bottom && a.Text == b.Text && a.Pen == b.Pen && a.Brush == b.Brush && a.Font == b.Font)
        << "call " << i;
  }
}

// The placeable WMF: its header and checksum, then records whose sizes add up to the file,
// objects created, selected and deleted only when the drawing changes them.
TEST(ExportMetafileCanvas, WmfRecords) {
  const QByteArray wmf = SampleMetafile(false).Bytes();
  EXPECT_EQ(U32(wmf, 0), 0x9AC6CDD7u);
  EXPECT_EQ((std::vector{U16(wmf, 6), U16(wmf, 8), U16(wmf, 10), U16(wmf, 12), U16(wmf, 14)}),
            (std::vector{0, 0, 64, 48, 96}));
  int checksum = 0;
  for (int i = 0; i < 10; ++i) checksum ^= U16(wmf, 2 * i);
  EXPECT_EQ(U16(wmf, 20), checksum);
  EXPECT_EQ(U16(wmf, 24), 9);  // header words
  EXPECT_EQ(U16(wmf, 26), 0x0300);
  EXPECT_EQ(U32(wmf, 28), static_cast<std::uint32_t>((wmf.size() - 22) / 2));
  EXPECT_EQ(U16(wmf, 32), 4) << "objects";

  std::vector<int> functions;
  std::uint32_t largest = 0;
  qsizetype at = 22 + 18;
  QByteArray text;
  std::vector<int> rectangle;
  while (at < wmf.size()) {
    const std::uint32_t words = U32(wmf, at);
    ASSERT_GE(words, 3u);
    largest = std::max(largest, words);
    const int function = U16(wmf, at + 4);
    functions.push_back(function);
    if (function == 0x0521) text = wmf.mid(at + 8, U16(wmf, at + 6));
    if (function == 0x041B && rectangle.empty())
      rectangle = {U16(wmf, at + 6), U16(wmf, at + 8), U16(wmf, at + 10), U16(wmf, at + 12)};
    at += 2 * static_cast<qsizetype>(words);
  }
  EXPECT_EQ(at, wmf.size());
  EXPECT_EQ(U32(wmf, 34), largest) << "largest record";
  EXPECT_EQ(functions, (std::vector<int>{
                           0x0626, 0x0103, 0x020B, 0x020C, 0x012E,          // comment, mapping, alignment
                           0x0104, 0x02FA, 0x012D, 0x02FC, 0x012D, 0x041B,  // pen 0, brush 1, rectangle
                           0x02FC, 0x012D, 0x01F0, 0x041B,                  // brush 2 replaces 1
                           0x02FB, 0x012D, 0x0209, 0x0102, 0x0521,          // font 1, colour, mode, text
                           0x0214, 0x0104, 0x02FA, 0x012D, 0x01F0, 0x0213,  // move, mask, pen 3 replaces 0, line
                           0x0000}));
  EXPECT_EQ(rectangle, (std::vector<int>{33, 32, 2, 1})) << "bottom, right, top, left";
  EXPECT_EQ(text, QByteArray("Caf\xe9 \x80?")) << "Windows-1252";
  EXPECT_TRUE(wmf.contains(QByteArray("Quillmere4\0Sample.WMF\0", 22)));
}

// The EMF: its header counts the bytes, records and handles, holds the description, and every
// record is a whole number of 32-bit words; text is UTF-16 with its advances.
TEST(ExportMetafileCanvas, EmfRecords) {
  const TMetafile metafile = SampleMetafile(true);
  const QByteArray emf = metafile.Bytes();
  EXPECT_EQ(U32(emf, 0), 1u);
  EXPECT_EQ(U32(emf, 40), 0x464D4520u);
  EXPECT_EQ(U32(emf, 48), static_cast<std::uint32_t>(emf.size()));
  EXPECT_EQ((std::vector{U32(emf, 8), U32(emf, 12), U32(emf, 16), U32(emf, 20)}), (std::vector<std::uint32_t>{0, 0, 63, 47}));
  EXPECT_EQ(U32(emf, 32), 1693u - 1) << "frame: 64 units are 16.93 mm";
  EXPECT_EQ(U16(emf, 56), 5) << "handles, the metafile's own included";
  const QString description = QStringLiteral("Quillmere4") + QChar(0) + "Sample.WMF" + QChar(0) + QChar(0);
  EXPECT_EQ(U32(emf, 60), static_cast<std::uint32_t>(description.size()));
  EXPECT_EQ(emf.mid(U32(emf, 64), description.size() * 2),
            QByteArray(reinterpret_cast<const char*>(description.utf16()), description.size() * 2));

  std::uint32_t records = 0, type = 0;
  QString text;
  int advances = 0;
  for (qsizetype at = U32(emf, 4); at < emf.size();) {
    type = U32(emf, at);
    const std::uint32_t size = U32(emf, at + 4);
    ASSERT_EQ(size % 4, 0u);
    ++records;
    if (type == 84) {  // text
      const std::uint32_t chars = U32(emf, at + 44);
      text = QString(reinterpret_cast<const QChar*>(emf.constData() + at + U32(emf, at + 48)), chars);
      for (std::uint32_t i = 0; i < chars; ++i) advances += static_cast<int>(U32(emf, at + U32(emf, at + 72) + 4 * i));
    }
    at += size;
  }
  EXPECT_EQ(type, 14u) << "the last record ends the file";
  EXPECT_EQ(U32(emf, 52), records + 1);
  EXPECT_EQ(text, QString::fromUtf8("Café €Ω"));
  TMetafile measure;
  TMetafileCanvas canvas(measure, "", "");
  canvas.Font = Font("Arial", fsBold, 12);
  EXPECT_EQ(advances, canvas.TextWidth(text));
}

}  // namespace
