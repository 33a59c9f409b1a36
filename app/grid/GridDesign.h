#pragma once
// Grid design on the puzzle record: squares made black or empty one at a time or in half-turn
// symmetric pairs.

#include <vector>

struct TXwdPuzzle;

struct TGridCell {
  int X = 0, Y = 0;
  bool operator==(const TGridCell&) const = default;
};

// Makes the square (x, y) black, or an empty letter square when `clear`, whatever it held, and
// drops the clue links of that square: each slot its WordIdx members name is emptied and the
// members become 0 (a member that names no slot is only set to 0). With `symmetric` its
// half-turn partner (N + 1 - x, N + 1 - y) gets the same. Returns the squares changed, for
// redrawing; none for a cell outside the grid.
std::vector<TGridCell> SetSquare(TXwdPuzzle& puzzle, int x, int y, bool clear, bool symmetric);
