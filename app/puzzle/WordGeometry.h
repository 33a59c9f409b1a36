#pragma once
// Entry geometry and word numbering of a puzzle record, shared by every window that walks the
// words: a word starts where a letter square follows a black square or the edge and is followed
// by a letter square; words are counted rows top to bottom, cells left to right, across before
// down at each cell.

#include <cstdint>
#include <string>
#include <vector>

struct TXwdPuzzle;

// Values of the grid window's Direction.
constexpr int DirAcross = 1;
constexpr int DirDown = 2;

bool IsAcrossStart(const TXwdPuzzle& puzzle, int x, int y);
bool IsDownStart(const TXwdPuzzle& puzzle, int x, int y);

// The answer letters from (X, Y) to the next black square or the edge, along x for Dir 'a' and
// along y otherwise, at most 60: a placeholder reads as "?", an empty square as character 0.
std::string GetEntryWord(const TXwdPuzzle& puzzle, int X, int Y, char Dir);

struct TWordRef {
  int X = 0, Y = 0;   // start cell
  int Dir = 0;        // DirAcross or DirDown
  int Ordinal = 0;    // 1, 2, 3 ... across and down in one sequence
  int Number = 0;     // the printed clue number: one per start cell
  bool operator==(const TWordRef&) const = default;
};

// Every word of the N by N grid in ordinal order; no limit on the count.
std::vector<TWordRef> NumberWords(const TXwdPuzzle& puzzle);

// The slot member of a word's start cell (WordIdx Across or Down).
std::uint16_t& WordLink(TXwdPuzzle& puzzle, const TWordRef& word);
std::uint16_t WordLink(const TXwdPuzzle& puzzle, const TWordRef& word);
