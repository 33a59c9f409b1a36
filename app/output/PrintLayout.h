#pragma once
// What the printed formats share: the print window's title, specifications and square colour,
// the manuscript's page metrics, and the rules every printed page follows.

#include <QString>
#include <array>
#include <string>
#include <vector>

#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/Colors.h"
#include "platform/gui/Printer.h"

// The manuscript's page, in printer pixels, for Courier New 12: the line height, the left
// margin of 69 character widths centred on the page, the width of the clue column, and the
// number of lines a page holds.
struct TManuscriptMetrics {
  int LineHeight = 0;
  int LeftMargin = 0;
  int ColumnWidth = 0;
  int LinesPerPage = 0;
};

// The lines where the body of a manuscript or grid page starts below the page header.
constexpr int FirstPageBodyLine = 9;
constexpr int ContinuationBodyLine = 4;

struct TPrintLayout {
  QString Title;
  std::string SpecsText;  // the main window's specifications, Windows-1252
  platform::gui::TColor SquareColor = platform::gui::clBlack;
  TManuscriptMetrics Manuscript;
};

// Turns the page to portrait and measures the manuscript page, keeping `bottomMargin` lines
// free at its foot. The canvas font is Courier New 12 afterwards.
TManuscriptMetrics MeasureManuscriptPage(platform::gui::TPrinter& printer, int bottomMargin);

// Every format starts on a page of its own: a new page of the open job, else a new job.
void StartPage(platform::gui::TPrinter& printer);

// A clue number as the printed lists show it: right-aligned in three characters.
std::string NumberField(int number);

// The printed clue number of each cell: one per cell that starts a word, in scan order.
class TClueNumbers {
 public:
  explicit TClueNumbers(const std::vector<TWordRef>& words);
  // 0 where no word starts.
  int At(int x, int y) const { return numbers_[Index(x, y)]; }

 private:
  static std::size_t Index(int x, int y) { return static_cast<std::size_t>((y - 1) * MaxGridSize + (x - 1)); }
  std::array<int, MaxGridSize * MaxGridSize> numbers_{};
};
