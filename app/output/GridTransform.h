#pragma once
// Turning the whole grid over while keeping each clue with its word. The answers move to a
// scratch record; each old word whose clue can still be read in the new grid gives its clue to
// the first new word that reads the same and has no clue yet; the answers, links and clue slots
// then go back into the puzzle. The solver's letters and the byline stay where they are.

struct TXwdPuzzle;

enum TTransformMode : int {
  tmInvert = 1,  // mirror across the main diagonal: (x, y) to (y, x)
  tmRotate = 2,  // a quarter turn clockwise: (x, y) to (N + 1 - y, x)
  tmFlip = 3,    // upside down: (x, y) to (x, N + 1 - y)
};

struct TTransformCell {
  int X = 0, Y = 0;
  bool operator==(const TTransformCell&) const = default;
};

// Where the old cell (x, y) of an N by N grid goes.
TTransformCell TransformedCell(TTransformMode mode, int n, int x, int y);

// Gives the scratch record the grid size and the moved answers of `old`, no links and no clues.
void MapGrid(const TXwdPuzzle& old, TTransformMode mode, TXwdPuzzle& scratch);

// Links the words of the scratch record to the clues of the old words they read the same as.
// A word takes part only with its ordinal within the 179 clue slots and a letter in its first
// square; the old word's clue is the slot its link names.
void ReattachClues(const TXwdPuzzle& old, TXwdPuzzle& scratch);

// Copies every clue slot, the grid size and the N by N answers and links of the scratch record
// into the puzzle.
void CopyBack(const TXwdPuzzle& scratch, TXwdPuzzle& puzzle);
