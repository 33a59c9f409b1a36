#include "app/output/PageHeader.h"

#include "platform/gui/AnsiText.h"
#include "platform/gui/FontStyle.h"

using namespace platform::gui;

namespace {

// `length` bytes of the specifications from the first `from`; from the start when it is missing.
QString SpecsPiece(const std::string& specs, const char* from, std::size_t length) {
  const std::size_t at = specs.find(from);
  return FromAnsi(specs.substr(at == std::string::npos ? 0 : at, length));
}

}  // namespace

void PrintPageHeader(TPrinter& printer, const TPrintLayout& layout, bool PrintSpecs, bool FirstPage, int& Y) {
  Canvas& canvas = printer.Canvas();
  const int w = canvas.TextWidth("M");
  const int lineHeight = layout.Manuscript.LineHeight;
  canvas.Font.Style = fsBold;
  canvas.TextOut(layout.Manuscript.LeftMargin, 2 * lineHeight, layout.Title);
  canvas.TextOut(63 * w, 2 * lineHeight, QStringLiteral("Page %1").arg(printer.PageNumber()));
  canvas.Font.Style = 0;
  if (!FirstPage) {
    Y = ContinuationBodyLine * lineHeight;
    return;
  }
  Y = FirstPageBodyLine * lineHeight;
  if (!PrintSpecs) return;
  // The grid size up to its sign, and the black squares and word count without their pars.
  const int x = layout.Manuscript.LeftMargin + 46 * w;
  canvas.TextOut(x, 5 * lineHeight, FromAnsi(layout.SpecsText.substr(0, 17)));
  canvas.TextOut(x, 6 * lineHeight, SpecsPiece(layout.SpecsText, "Bl", 18));
  canvas.TextOut(x, 7 * lineHeight, SpecsPiece(layout.SpecsText, "Wo", 15));
}
