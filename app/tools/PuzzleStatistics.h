#pragma once
// The figures of the analysis window: the letters, black squares and words of the grid, the
// line that identifies the puzzle by its first two across answers, and the symmetry of its
// black squares under a half turn.

#include <array>
#include <string>

struct TXwdPuzzle;

struct TPuzzleStatistics {
  std::array<int, 26> LetterCounts{};  // "A" to "Z"; other letters are not counted
  int Placeholders = 0;
  int BlackSquares = 0;
  int AcrossWords = 0;
  int DownWords = 0;
  int ThreeLetterWords = 0;
  int TwoLetterWords = 0;
  int WordsEndingInS = 0;
  int LetterTotal = 0;     // the lengths of all words added up
  std::string FirstWord;   // the first two across answers, as the grid shows them
  std::string SecondWord;

  int TotalWords() const { return AcrossWords + DownWords; }
  // Whole letters: the letter total div the words, 0 without words.
  int AverageWordLength() const;
};

TPuzzleStatistics AnalysePuzzle(const TXwdPuzzle& puzzle);

// "INCOMPLETE" while the first across answer has an empty square; else the first two across
// answers, four blanks and the grid size, as in "ABC - DEF    15x".
std::string IdentificationLine(const TPuzzleStatistics& statistics, int gridSize);

// Whether every black square's partner under a half turn is black too.
bool CheckSymmetry(const TXwdPuzzle& puzzle);
