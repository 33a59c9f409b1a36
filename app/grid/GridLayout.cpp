#include "app/grid/GridLayout.h"

#include <algorithm>
#include <cmath>

#include "app/puzzle/XwdProcsUnit.h"

int UsableSquareSize(int size) { return std::max(size, MinSquareSize); }

int SquareSizeForWidth(int width, int gridSize) {
  return UsableSquareSize(gridSize > 0 ? width / gridSize : MinSquareSize);
}

int GridWindowWidth(int gridSize, int squareSize) { return gridSize * squareSize + 9; }

int GridWindowHeight(int gridSize, int squareSize, int smallCaptionHeight) {
  return smallCaptionHeight + gridSize * squareSize + 9;
}

int ScaledFontSize(int fontSize, int squareSize, int defaultSquareSize) {
  const double scaled = static_cast<double>(fontSize) * squareSize / std::max(defaultSquareSize, 1);
  // Halves go to the even neighbour.
  const double lower = std::floor(scaled);
  const double fraction = scaled - lower;
  const double rounded = fraction > 0.5 ? lower + 1 : fraction < 0.5 ? lower : lower + std::fmod(lower, 2.0);
  return std::max(1, static_cast<int>(rounded));
}

int CellOf(int pixel, int squareSize) { return pixel < 0 ? 0 : pixel / squareSize + 1; }

int CornerOf(int cell, int squareSize) { return (cell - 1) * squareSize; }

int GridSide(const TXwdPuzzle& puzzle) { return std::clamp<int>(puzzle.GridSize, 0, MaxGridSize); }

bool IsGridCell(const TXwdPuzzle& puzzle, int x, int y) {
  const int n = GridSide(puzzle);
  return x >= 1 && y >= 1 && x <= n && y <= n;
}
