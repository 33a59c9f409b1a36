#include "app/output/GridTransform.h"

#include <algorithm>
#include <cassert>
#include <string>
#include <vector>

#include "app/clues/ClueSlots.h"
#include "app/grid/GridLayout.h"
#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/XwdProcsUnit.h"

namespace {

// A word gives or takes a clue only inside the clue slots, and only when its first square
// holds a letter.
bool TakesPart(const TXwdPuzzle& p, const TWordRef& word) {
  return word.Ordinal <= MaxClues && p.Solution(word.X, word.Y) != EmptySquare;
}

// Old and new words are read alike, so that a placeholder compares equal to itself.
std::string WordText(const TXwdPuzzle& p, const TWordRef& word) {
  return GetEntryWord(p, word.X, word.Y, word.Dir == DirAcross ? 'a' : 'd');
}

struct TNewWord {
  TWordRef Ref;
  std::string Text;
  bool HasClue = false;
};

}  // namespace

TTransformCell TransformedCell(TTransformMode mode, int n, int x, int y) {
  switch (mode) {
    case tmInvert: return {y, x};
    case tmRotate: return {n + 1 - y, x};
    case tmFlip: break;
  }
  assert(mode == tmFlip);
  return {x, n + 1 - y};
}

void MapGrid(const TXwdPuzzle& old, TTransformMode mode, TXwdPuzzle& scratch) {
  const int n = GridSide(old);
  scratch.GridSize = old.GridSize;
  for (int x = 1; x <= n; ++x)
    for (int y = 1; y <= n; ++y) {
      const TTransformCell to = TransformedCell(mode, n, x, y);
      scratch.Solution(to.X, to.Y) = old.Solution(x, y);
    }
  for (int x = 1; x <= n; ++x)
    for (int y = 1; y <= n; ++y) scratch.WordIdx(x, y) = {};
  for (TPuzzleString& clue : scratch.Clues) clue.Assign("");
}

void ReattachClues(const TXwdPuzzle& old, TXwdPuzzle& scratch) {
  std::vector<TNewWord> newWords;
  for (const TWordRef& word : NumberWords(scratch))
    if (TakesPart(scratch, word)) newWords.push_back({word, WordText(scratch, word)});

  for (const TWordRef& word : NumberWords(old)) {
    if (!TakesPart(old, word)) continue;
    const std::string clue = old.Clue(LinkedSlot(old, word));
    if (clue.empty()) continue;
    const std::string text = WordText(old, word);
    // A word already given a clue in this run keeps it, so two words that read the same
    // each keep one.
    const auto match = std::find_if(newWords.begin(), newWords.end(),
                                    [&](const TNewWord& w) { return !w.HasClue && w.Text == text; });
    if (match == newWords.end()) continue;
    match->HasClue = true;
    WordLink(scratch, match->Ref) = static_cast<std::uint16_t>(match->Ref.Ordinal);
    scratch.SetClue(match->Ref.Ordinal, clue);
  }
}

void CopyBack(const TXwdPuzzle& scratch, TXwdPuzzle& puzzle) {
  puzzle.Clues = scratch.Clues;
  puzzle.GridSize = scratch.GridSize;
  const int n = GridSide(scratch);
  for (int x = 1; x <= n; ++x)
    for (int y = 1; y <= n; ++y) {
      puzzle.Solution(x, y) = scratch.Solution(x, y);
      puzzle.WordIdx(x, y) = scratch.WordIdx(x, y);
    }
}
