#include "app/grid/GridCursor.h"

#include "app/grid/GridLayout.h"
#include "app/puzzle/XwdProcsUnit.h"

std::optional<TGridPoint> ArrowTarget(const TXwdPuzzle& puzzle, int squareSize, TGridPoint from, int dx, int dy) {
  const auto cellX = [&](const TGridPoint& p) { return CellOf(p.X, squareSize); };
  const auto cellY = [&](const TGridPoint& p) { return CellOf(p.Y, squareSize); };
  const auto black = [&](const TGridPoint& p) {
    return !IsGridCell(puzzle, cellX(p), cellY(p)) || puzzle.Solution(cellX(p), cellY(p)) == BlackSquare;
  };
  // Whether a step of (dx, dy) stays inside the grid.
  const auto canStep = [&](const TGridPoint& p) { return IsGridCell(puzzle, cellX(p) + dx, cellY(p) + dy); };
  if (!canStep(from)) return std::nullopt;
  TGridPoint p = from;
  do {
    p = {p.X + dx * squareSize, p.Y + dy * squareSize};
  } while (black(p) && canStep(p));
  while (black(p) && p != from) p = {p.X - dx * squareSize, p.Y - dy * squareSize};
  return p;
}
