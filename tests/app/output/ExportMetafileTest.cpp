#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include "ExportFixture.h"
#include "app/output/ExportUnit.h"
#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/FontStyle.h"
#include "platform/gui/Metafile.h"

namespace {

using namespace platform::gui;

const QString kWmf2Svg = QStringLiteral("wmf2svg");
const QString kWmf2Gd = QStringLiteral("wmf2gd");
const QString kEmf2Svg = QStringLiteral("emf2svg-conv");

// Three words, an I, a W, a placeholder and an empty square.
const std::string kSmall =
    "IW#"
    "C#?"
    "E.G";

class ExportMetafile : public ExportTest {
 protected:
  static TMetafile Draw(int kind) {
    TMetafile picture;
    ExportForm->DrawGridMetafile(picture, kind, "Small.xwd");
    return picture;
  }

  // What a reader's SVG shows: the rectangles (black or not) and the texts, in drawing order.
  struct Svg {
    int Rectangles = 0;
    int BlackRectangles = 0;
    QStringList Texts;
  };
  static Svg ReadSvg(const QByteArray& svg) {
    Svg shown;
    QXmlStreamReader reader(svg);
    while (!reader.atEnd()) {
      if (reader.readNext() != QXmlStreamReader::StartElement) continue;
      if (reader.name() == QLatin1String("rect")) {
        const auto attributes = reader.attributes();
        const QString fill = attributes.hasAttribute("fill") ? attributes.value("fill").toString()
                                                             : attributes.value("style").toString();
        ++shown.Rectangles;
        if (fill.contains("#000000") || fill.contains("fill:black")) ++shown.BlackRectangles;
      } else if (reader.name() == QLatin1String("text")) {
        shown.Texts << reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
      }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return shown;
  }

  // The numbers a kind 1 picture shows, or the letters a kind 2 picture shows, in scan order.
  static QStringList Numbers() {
    QStringList numbers;
    for (const TWordRef& word : NumberWords(Puzzle))
      if (numbers.isEmpty() || numbers.back() != QString::number(word.Number)) numbers << QString::number(word.Number);
    return numbers;
  }
  static QStringList Letters() {
    QStringList letters;
    for (int y = 1; y <= Puzzle.GridSize; ++y)
      for (int x = 1; x <= Puzzle.GridSize; ++x)
        if (const std::uint8_t c = Puzzle.Solution(x, y); c != BlackSquare && c != EmptySquare)
          letters << (c == PlaceholderLetter ? QString() : QString(QChar(c)));
    return letters;
  }
  static int BlackSquares() {
    int count = 0;
    for (int y = 1; y <= Puzzle.GridSize; ++y)
      for (int x = 1; x <= Puzzle.GridSize; ++x) count += Puzzle.Solution(x, y) == BlackSquare;
    return count;
  }
};

// Each square a 31-unit rectangle 30 units from the next, black or white; numbers at the top
// left of their squares, letters centred (kind 3: shifted 4 units right and down, clear of the
// number); an empty square shows no letter, a placeholder a blank.
TEST_F(ExportMetafile, DrawingPerKind) {
  SetGrid(kSmall);
  for (int kind : {1, 2, 3}) {
    const TMetafile picture = Draw(kind);
    EXPECT_EQ(picture.Width, 92);
    EXPECT_EQ(picture.Height, 92);
    EXPECT_EQ(picture.CreatedBy, "Quillmere4");
    EXPECT_EQ(picture.Description, "Small.xwd");
    int square = 0;
    QStringList numbers, letters;
    for (const CanvasCall& call : picture.Drawing) {
      EXPECT_EQ(call.Pen.Color, clBlack);
      EXPECT_EQ(call.Pen.Width, 1);
      if (call.What == CanvasCall::Kind::Rectangle) {
        const int x = square % 3, y = square / 3;
        ++square;
        EXPECT_EQ((std::array{call.Left, call.Top, call.Right, call.Bottom}),
                  (std::array{1 + 30 * x, 1 + 30 * y, 32 + 30 * x, 32 + 30 * y}));
        EXPECT_EQ(call.Brush.Color, Puzzle.Solution(x + 1, y + 1) == BlackSquare ? clBlack : clWhite);
        continue;
      }
      ASSERT_EQ(call.What, CanvasCall::Kind::Text);
      EXPECT_EQ(call.Font.Name, "Arial");
      EXPECT_EQ(call.Font.Style, fsBold);
      const int left = 1 + 30 * ((square - 1) % 3), top = 1 + 30 * ((square - 1) / 3);
      if (call.Text.front().isDigit()) {
        numbers << call.Text;
        EXPECT_EQ(call.Font.Height(), 12);
        EXPECT_EQ(call.Left, left + 2);
        EXPECT_EQ(call.Top, top + 1);
        continue;
      }
      letters << call.Text.trimmed();
      EXPECT_EQ(call.Font.Height(), kind == 2 ? 22 : 18);
      // Centred: as much room on either side, to a unit.
      TMetafile measure;
      TMetafileCanvas canvas(measure, "", "");
      canvas.Font = call.Font;
      const int shift = kind == 3 ? 4 : 0;
      const int width = canvas.TextWidth(call.Text), height = canvas.TextHeight(call.Text);
      EXPECT_NEAR((call.Left - shift - left) - (left + 30 - (call.Left - shift + width)), 0, 1) << call.Text.toStdString();
      EXPECT_NEAR((call.Top - shift - top) - (top + 30 - (call.Top - shift + height)), 0, 1) << call.Text.toStdString();
    }
    EXPECT_EQ(square, 9);
    EXPECT_EQ(numbers, kind == 2 ? QStringList{} : (QStringList{"1", "2", "3"})) << kind;
    EXPECT_EQ(letters, kind == 1 ? QStringList{} : (QStringList{"I", "W", "C", "", "E", "G"})) << kind;
  }
}

TEST_F(ExportMetafile, FilesMatchTheirGoldenFiles) {
  SetGrid(kSmall);
  ExportForm->ExportMetafile(TempPath("Small.wmf"), 0);
  ExpectGolden("Small.WMF", ReadFile(TempPath("Small.WMF")));
  ExpectGolden("Small-A.WMF", ReadFile(TempPath("Small-A.WMF")));
  for (int kind : {1, 2, 3}) ExpectGolden(QStringLiteral("Small-%1.EMF").arg(kind), Draw(kind).Bytes());
}

// Choosing Sunday.wmf writes Sunday.WMF (numbers) and Sunday-A.WMF (letters), each described
// by its own name; a 15 by 15 grid is 452 units square.
TEST_F(ExportMetafile, FileNamesAndHeaders) {
  SetSundayGrid();
  ExportForm->ExportMetafile(TempPath("Sunday.wmf"), 0);
  EXPECT_EQ(ExportForm->OutputName, TempPath("Sunday-A.WMF"));
  EXPECT_EQ(TempFiles(), (QStringList{"Sunday-A.WMF", "Sunday.WMF"}));
  for (const char* name : {"Sunday.WMF", "Sunday-A.WMF"}) {
    const QByteArray wmf = ReadFile(TempPath(name));
    EXPECT_EQ(wmf.mid(6, 8), QByteArray::fromHex("00000000c401c401")) << "placeable box 0, 0, 452, 452";
    EXPECT_TRUE(wmf.contains("Quillmere4" + QByteArray(1, '\0') + name + QByteArray(1, '\0'))) << name;
  }
}

TEST_F(ExportMetafile, EveryKindReadsBackInTheIndependentReaders) {
  SKIP_WITHOUT_READER(kWmf2Svg);
  SKIP_WITHOUT_READER(kEmf2Svg);
  SetSundayGrid();
  ExportForm->ExportMetafile(TempPath("Sunday.wmf"), 0);
  const std::pair<const char*, QStringList> files[] = {{"Sunday.WMF", Numbers()}, {"Sunday-A.WMF", Letters()}};
  for (const auto& [name, texts] : files) {
    const QString svg = TempPath(name) + ".svg";
    ASSERT_EQ(RunReader(kWmf2Svg, {"-o", svg, TempPath(name)}).Status, 0) << name;
    const Svg shown = ReadSvg(ReadFile(svg));
    EXPECT_EQ(shown.Rectangles, 225) << name;
    EXPECT_EQ(shown.BlackRectangles, BlackSquares()) << name;
    EXPECT_EQ(shown.Texts, texts) << name;
  }
  for (int kind : {1, 2, 3}) {
    const QString emf = TempPath(QStringLiteral("Sunday-%1.emf").arg(kind));
    WriteFile(emf, Draw(kind).Bytes());
    const ReaderResult result = RunReader(kEmf2Svg, {"-i", emf, "-o", emf + ".svg"});
    ASSERT_EQ(result.Status, 0) << result.Output.toStdString();
    const Svg shown = ReadSvg(ReadFile(emf + ".svg"));
    EXPECT_EQ(shown.Rectangles, 225) << kind;
    EXPECT_EQ(shown.BlackRectangles, BlackSquares()) << kind;
    QStringList texts = kind == 1 ? Numbers() : Letters();
    if (kind == 3) {
      // Each square's number, then its letter.
      texts.clear();
      int number = 0;
      for (int y = 1; y <= 15; ++y)
        for (int x = 1; x <= 15; ++x) {
          const std::uint8_t c = Puzzle.Solution(x, y);
          if (c == BlackSquare) continue;
          if (IsAcrossStart(Puzzle, x, y) || IsDownStart(Puzzle, x, y)) texts << QString::number(++number);
          if (c != EmptySquare) texts << (c == PlaceholderLetter ? QString() : QString(QChar(c)));
        }
    }
    EXPECT_EQ(shown.Texts, texts) << kind;
  }
}

// wmf2gd draws the files: the picture's size, the black squares black.
TEST_F(ExportMetafile, WmfDrawsInLibwmf) {
  SKIP_WITHOUT_READER(kWmf2Gd);
  SetSundayGrid();
  ExportForm->ExportMetafile(TempPath("Sunday.wmf"), 0);
  for (const char* name : {"Sunday.WMF", "Sunday-A.WMF"}) {
    const QString png = TempPath(name) + ".png";
    ASSERT_EQ(RunReader(kWmf2Gd, {"-t", "png", "-o", png, TempPath(name)}).Status, 0);
    const QImage image(png);
    ASSERT_FALSE(image.isNull()) << name;
    const double scale = image.width() / 452.0;
    EXPECT_EQ(image.height(), image.width());
    for (int y = 1; y <= 15; ++y)
      for (int x = 1; x <= 15; ++x) {
        const QRgb probe = image.pixel(static_cast<int>((30 * x - 3) * scale), static_cast<int>((30 * y - 3) * scale));
        EXPECT_EQ(qGray(probe) < 128, Puzzle.Solution(x, y) == BlackSquare) << name << " " << x << "," << y;
      }
  }
}

// The clipboard holds the picture of the last command only, described by the name passed.
TEST_F(ExportMetafile, ClipboardPictures) {
  SetGrid(kSmall);
  ExportForm->OutputName = "stale.TXT";
  ExportForm->ExportMetafile("Small.xwd", 1);
  ASSERT_TRUE(clipboard.Picture());
  EXPECT_TRUE(clipboard.Picture()->Enhanced);
  EXPECT_EQ(clipboard.Picture()->Description, "Small.xwd");
  ExportForm->ExportMetafile("Small.xwd", 2);
  ASSERT_TRUE(clipboard.Picture());
  EXPECT_FALSE(clipboard.Text());
  const DisplayList texts = [&] {
    DisplayList found;
    for (const CanvasCall& call : clipboard.Picture()->Drawing)
      if (call.What == CanvasCall::Kind::Text) found.push_back(call);
    return found;
  }();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front().Text, "I") << "only the solution is left";
  EXPECT_EQ(ExportForm->OutputName, "stale.TXT");
  EXPECT_EQ(TempFiles(), QStringList{}) << "no file is written";
}

// On the system clipboard an 11 by 11 grid is a PNG of 332 pixels square beside its EMF.
TEST_F(ExportMetafile, SystemClipboardPictureOfElevenSquares) {
  std::string rows;
  for (int i = 0; i < 121; ++i) rows += i % 7 == 3 ? '#' : 'A';
  SetGrid(rows);
  InstallClipboard(nullptr);
  ExportForm->ExportMetafile("Eleven.xwd", 1);
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  TMetafile picture;
  ExportForm->DrawGridMetafile(picture, 1, "Eleven.xwd");
  EXPECT_EQ(data->data("image/x-emf"), picture.Bytes());
  const QImage png = QImage::fromData(data->data("image/png"), "PNG");
  ASSERT_EQ(png.size(), QSize(332, 332));
  for (int y = 1; y <= 11; ++y)
    for (int x = 1; x <= 11; ++x)
      EXPECT_EQ(qGray(png.pixel(30 * x - 3, 30 * y - 3)) < 128, Puzzle.Solution(x, y) == BlackSquare) << x << "," << y;
  EXPECT_TRUE(data->data("text/rtf").contains("\\emfblip"));
}

}  // namespace
