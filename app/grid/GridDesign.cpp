#include "app/grid/GridDesign.h"

#include "app/grid/GridLayout.h"
#include "app/puzzle/XwdProcsUnit.h"

namespace {

void SetOne(TXwdPuzzle& puzzle, const TGridCell& cell, bool clear) {
  puzzle.Solution(cell.X, cell.Y) = clear ? EmptySquare : BlackSquare;
  TWordIdxPair& links = puzzle.WordIdx(cell.X, cell.Y);
  for (std::uint16_t* member : {&links.Across, &links.Down}) {
    if (*member == 0) continue;
    puzzle.SetClue(*member, "");
    *member = 0;
  }
}

}  // namespace

std::vector<TGridCell> SetSquare(TXwdPuzzle& puzzle, int x, int y, bool clear, bool symmetric) {
  if (!IsGridCell(puzzle, x, y)) return {};
  std::vector<TGridCell> changed{{x, y}};
  const int n = GridSide(puzzle);
  const TGridCell partner{n + 1 - x, n + 1 - y};
  if (symmetric && partner != changed.front()) changed.push_back(partner);
  for (const TGridCell& cell : changed) SetOne(puzzle, cell, clear);
  return changed;
}
