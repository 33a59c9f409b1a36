// The grid as a picture: squares of 30 units on the 96-dpi reference screen, neighbours sharing
// their border line, numbers at the top left of their squares, letters centred.

#include <QFileInfo>
#include <cstdint>

#include "app/output/ExportFiles.h"
#include "app/output/ExportUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/FontStyle.h"
#include "platform/gui/Metafile.h"

using platform::gui::TMetafile;

namespace {

constexpr int NumbersKind = 1, LettersKind = 2, BothKind = 3;
constexpr int Square = 30;
const QString Creator = QStringLiteral("Quillmere4");

}  // namespace

void TExportForm::ExportMetafile(const QString& FileName, int Mode) {
  const auto draw = [this](int kind, bool enhanced, const QString& description) {
    TMetafile picture;
    picture.Enhanced = enhanced;
    DrawGridMetafile(picture, kind, description);
    return picture;
  };
  if (Mode == 0) {
    for (const auto& [kind, suffix] : {std::pair{NumbersKind, ".WMF"}, std::pair{LettersKind, "-A.WMF"}}) {
      OutputName = WithoutExtension(FileName) + suffix;
      const QByteArray bytes = draw(kind, false, QFileInfo(OutputName).fileName()).Bytes();
      WriteExportFile(OutputName, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    return;
  }
  platform::gui::CurrentClipboard().SetPicture(draw(Mode, true, QFileInfo(FileName).fileName()));
}

void TExportForm::DrawGridMetafile(TMetafile& Metafile, int Kind, const QString& Description) const {
  using namespace platform::gui;
  const int n = Puzzle.GridSize;
  Metafile.Width = Metafile.Height = n * Square + 2;
  TMetafileCanvas canvas(Metafile, Creator, Description);
  canvas.Pen.Color = clBlack;
  canvas.Pen.Width = 1;
  canvas.Font.Name = QStringLiteral("Arial");
  canvas.Font.Style = fsBold;
  canvas.Font.SetHeight(Kind == LettersKind ? 22 : 12);
  int number = 0;
  for (int y = 1; y <= n; ++y) {
    for (int x = 1; x <= n; ++x) {
      const int left = 1 + Square * (x - 1);
      const int top = 1 + Square * (y - 1);
      const std::uint8_t cell = Puzzle.Solution(x, y);
      canvas.Brush.Color = cell == BlackSquare ? clBlack : clWhite;
      canvas.Rectangle(left, top, left + Square + 1, top + Square + 1);
      if (cell == BlackSquare) continue;
      const QString letter = FromAnsi(std::string(1, static_cast<char>(cell)));
      if (Kind == NumbersKind || Kind == BothKind) {
        if (XwdProcs->IsAcrossStart(x, y) || XwdProcs->IsDownStart(x, y))
          canvas.TextOut(left + 2, top + 1, QString::number(++number));
        if (Kind == BothKind) {
          canvas.Font.SetHeight(18);
          if (cell != EmptySquare)
            canvas.TextOut(left + (Square - canvas.TextWidth(letter)) / 2 + 4,
                           top + (Square - canvas.TextHeight(letter)) / 2 + 4, letter);
          canvas.Font.SetHeight(12);
        }
      } else if (cell != EmptySquare) {
        canvas.TextOut(left + (Square - canvas.TextWidth(letter)) / 2, top + (Square - canvas.TextHeight(letter)) / 2,
                       letter);
      }
    }
  }
}
