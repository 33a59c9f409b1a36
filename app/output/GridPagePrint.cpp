#include "app/output/GridPagePrint.h"

#include "app/output/PageHeader.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/FontStyle.h"

using namespace platform::gui;

namespace {

// Kind 1 places its letters by the width of "M"; these letters sit better moved a little.
int LetterNudge(std::uint8_t letter) {
  switch (letter) {
    case 'I': return 4;
    case 'M': return -2;
    case 'W': return -3;
    default: return 0;
  }
}

}  // namespace

void PrintGridPage(TPrinter& printer, const TPrintLayout& layout, int Kind) {
  StartPage(printer);
  Canvas& canvas = printer.Canvas();
  const int pageWidth = printer.PageWidth();
  const int size = pageWidth / 26 + 3;

  canvas.Font.Name = "Courier New";
  canvas.Font.SetSize(12);
  int bodyTop = 0;
  PrintPageHeader(printer, layout, false, true, bodyTop);

  canvas.Font.Name = "Arial";
  if (Kind == 3) {
    canvas.Font.Style = fsBold;
    canvas.Font.SetHeight(size - 14);
  } else {
    canvas.Font.Style = 0;
    canvas.Font.SetSize(9);
  }

  const int n = Puzzle.GridSize;
  const int gridLeft = (pageWidth - n * size) / 2;
  const int gridTop = (printer.PageHeight() - n * size) / 2 + 2 * size;
  canvas.Brush.Color = clWhite;
  canvas.Brush.Style = BrushStyle::Solid;
  canvas.Pen.Width = 4;
  canvas.Rectangle(gridLeft - 3, gridTop - 3, gridLeft + n * size + 4, gridTop + n * size + 4);
  canvas.Pen.Width = 1;

  const TClueNumbers numbers(NumberWords(Puzzle));
  for (int y = 1; y <= n; ++y)
    for (int x = 1; x <= n; ++x) {
      const int cellX = gridLeft + (x - 1) * size;
      const int cellY = gridTop + (y - 1) * size;
      const std::uint8_t letter = Puzzle.Solution(x, y);
      canvas.Brush.Color = letter == BlackSquare ? layout.SquareColor : clWhite;
      canvas.Rectangle(cellX, cellY, cellX + size + 1, cellY + size + 1);
      if (letter == BlackSquare) continue;
      const QString text = FromAnsi(std::string(1, static_cast<char>(letter)));
      const int number = numbers.At(x, y);
      switch (Kind) {
        case 1:
          if (number > 0) {
            canvas.Font.SetSize(8);
            canvas.TextOut(cellX + 5, cellY + 3, QString::number(number));
          }
          if (letter != EmptySquare) {
            canvas.Font.SetSize(12);
            const int dx = size - canvas.TextWidth("M") - 9 + LetterNudge(letter);
            const int dy = size - canvas.TextHeight("I") - 2;
            canvas.TextOut(cellX + dx, cellY + dy, text);
          }
          break;
        case 2:
          if (number > 0) canvas.TextOut(cellX + 5, cellY + 4, QString::number(number));
          break;
        case 3:
          if (letter != EmptySquare)
            canvas.TextOut(cellX + (size - canvas.TextWidth(text)) / 2, cellY + (size - canvas.TextHeight("I")) / 2,
                           text);
          break;
      }
    }
  canvas.Brush.Color = clWhite;
}
