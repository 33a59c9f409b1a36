#include "app/puzzle/WordGeometry.h"

#include "app/puzzle/XwdProcsUnit.h"

namespace {

bool InGrid(const TXwdPuzzle& p, int x, int y) { return x >= 1 && y >= 1 && x <= p.GridSize && y <= p.GridSize; }
bool IsBlack(const TXwdPuzzle& p, int x, int y) { return p.Solution(x, y) == BlackSquare; }

}  // namespace

bool IsAcrossStart(const TXwdPuzzle& p, int x, int y) {
  if (!InGrid(p, x, y) || x >= p.GridSize || IsBlack(p, x, y)) return false;
  return (x == 1 || IsBlack(p, x - 1, y)) && !IsBlack(p, x + 1, y);
}

bool IsDownStart(const TXwdPuzzle& p, int x, int y) {
  if (!InGrid(p, x, y) || y >= p.GridSize || IsBlack(p, x, y)) return false;
  return (y == 1 || IsBlack(p, x, y - 1)) && !IsBlack(p, x, y + 1);
}

std::string GetEntryWord(const TXwdPuzzle& p, int X, int Y, char Dir) {
  std::string word;
  const int dx = Dir == 'a' ? 1 : 0;
  const int dy = 1 - dx;
  for (int x = X, y = Y; InGrid(p, x, y) && !IsBlack(p, x, y) && word.size() < MaxStringLength; x += dx, y += dy) {
    const std::uint8_t ch = p.Solution(x, y);
    word += ch == PlaceholderLetter ? '?' : static_cast<char>(ch);
  }
  return word;
}

std::vector<TWordRef> NumberWords(const TXwdPuzzle& p) {
  std::vector<TWordRef> words;
  int number = 0;
  for (int y = 1; y <= p.GridSize; ++y)
    for (int x = 1; x <= p.GridSize; ++x) {
      const bool across = IsAcrossStart(p, x, y);
      const bool down = IsDownStart(p, x, y);
      if (across || down) ++number;
      if (across) words.push_back({x, y, DirAcross, static_cast<int>(words.size()) + 1, number});
      if (down) words.push_back({x, y, DirDown, static_cast<int>(words.size()) + 1, number});
    }
  return words;
}

std::uint16_t& WordLink(TXwdPuzzle& p, const TWordRef& w) {
  TWordIdxPair& pair = p.WordIdx(w.X, w.Y);
  return w.Dir == DirAcross ? pair.Across : pair.Down;
}

std::uint16_t WordLink(const TXwdPuzzle& p, const TWordRef& w) {
  const TWordIdxPair& pair = p.WordIdx(w.X, w.Y);
  return w.Dir == DirAcross ? pair.Across : pair.Down;
}
