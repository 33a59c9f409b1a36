#include "app/tools/PuzzleStatistics.h"

#include "app/grid/GridLayout.h"
#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/XwdProcsUnit.h"

namespace {

void CountWord(TPuzzleStatistics& s, const std::string& word) {
  if (word.size() == 2) ++s.TwoLetterWords;
  if (word.size() == 3) ++s.ThreeLetterWords;
  if (!word.empty() && word.back() == 'S') ++s.WordsEndingInS;
  s.LetterTotal += static_cast<int>(word.size());
}

}  // namespace

int TPuzzleStatistics::AverageWordLength() const { return TotalWords() == 0 ? 0 : LetterTotal / TotalWords(); }

TPuzzleStatistics AnalysePuzzle(const TXwdPuzzle& p) {
  TPuzzleStatistics s;
  const int n = GridSide(p);
  for (int y = 1; y <= n; ++y)
    for (int x = 1; x <= n; ++x) {
      const std::uint8_t cell = p.Solution(x, y);
      if (cell == PlaceholderLetter)
        ++s.Placeholders;
      else if (cell == BlackSquare)
        ++s.BlackSquares;
      else if (cell >= 'A' && cell <= 'Z')
        ++s.LetterCounts[static_cast<std::size_t>(cell - 'A')];

      if (IsAcrossStart(p, x, y)) {
        ++s.AcrossWords;
        const std::string word = GetEntryWord(p, x, y, 'a');
        if (s.AcrossWords == 1) s.FirstWord = word;
        if (s.AcrossWords == 2) s.SecondWord = word;
        CountWord(s, word);
      }
      if (IsDownStart(p, x, y)) {
        ++s.DownWords;
        CountWord(s, GetEntryWord(p, x, y, 'd'));
      }
    }
  return s;
}

std::string IdentificationLine(const TPuzzleStatistics& s, int gridSize) {
  if (s.FirstWord.find('\0') != std::string::npos) return "INCOMPLETE";
  return s.FirstWord + " - " + s.SecondWord + "    " + std::to_string(gridSize) + "x";
}

bool CheckSymmetry(const TXwdPuzzle& p) {
  const int n = GridSide(p);
  for (int x = 1; x <= n; ++x)
    for (int y = 1; y <= n; ++y)
      if (p.Solution(x, y) == BlackSquare && p.Solution(n + 1 - x, n + 1 - y) != BlackSquare) return false;
  return true;
}
