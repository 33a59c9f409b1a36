#include "app/output/PrintLayout.h"

#include <algorithm>
#include <cstdio>

using namespace platform::gui;

TManuscriptMetrics MeasureManuscriptPage(TPrinter& printer, int bottomMargin) {
  printer.SetOrientation(TPrinterOrientation::poPortrait);
  Canvas& canvas = printer.Canvas();
  canvas.Font.Name = "Courier New";
  canvas.Font.SetSize(12);
  canvas.Font.Style = 0;
  const int w = canvas.TextWidth("M");
  TManuscriptMetrics metrics;
  metrics.LineHeight = std::max(1, canvas.TextHeight("I") + 5);
  metrics.LeftMargin = (printer.PageWidth() - 69 * w) / 2;
  metrics.ColumnWidth = 40 * w;
  // At least the line a continuation page's first entry is printed on; fewer would start a new
  // page after every entry or grid cell.
  metrics.LinesPerPage =
      std::max(ContinuationBodyLine, printer.PageHeight() / metrics.LineHeight - 2 - bottomMargin);
  return metrics;
}

void StartPage(TPrinter& printer) {
  if (printer.Printing())
    printer.NewPage();
  else
    printer.BeginDoc();
}

std::string NumberField(int number) {
  char field[16];
  std::snprintf(field, sizeof field, "%3d", number);
  return field;
}

TClueNumbers::TClueNumbers(const std::vector<TWordRef>& words) {
  for (const TWordRef& word : words) numbers_[Index(word.X, word.Y)] = word.Number;
}
