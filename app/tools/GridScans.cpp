#include "app/tools/GridScans.h"

#include <algorithm>

#include "app/puzzle/XwdProcsUnit.h"

namespace {

const std::string kIndent = "    ";

std::string WordText(const TXwdPuzzle& p, const TWordRef& word) {
  return GetEntryWord(p, word.X, word.Y, word.Dir == DirAcross ? 'a' : 'd');
}

TScanHit HitOf(std::string text, const TWordRef& word) { return {std::move(text), word.X, word.Y, word.Dir}; }

std::string_view FirstThree(std::string_view s) { return s.substr(0, 3); }
std::string_view LastThree(std::string_view s) { return s.substr(s.size() - std::min<std::size_t>(s.size(), 3)); }

}  // namespace

bool IsSimilarEntry(std::string_view A, std::string_view B) {
  if (A.find('\0') != std::string_view::npos || B.find('\0') != std::string_view::npos) return false;
  return FirstThree(A) == FirstThree(B) || LastThree(A) == LastThree(B);
}

std::vector<TScanHit> ScanForText(const TXwdPuzzle& puzzle, std::string_view text) {
  std::vector<TScanHit> hits;
  if (text.empty()) return hits;
  for (const TWordRef& word : NumberWords(puzzle)) {
    std::string found = WordText(puzzle, word);
    if (found.find(text) != std::string::npos) hits.push_back(HitOf(std::move(found), word));
  }
  return hits;
}

void ScanAllPairs(const TXwdPuzzle& puzzle, const std::vector<TWordRef>& words, std::size_t base,
                  std::vector<TScanHit>& hits) {
  const std::string head = WordText(puzzle, words[base]);
  bool found = false;
  for (std::size_t i = base + 1; i < words.size(); ++i) {
    const std::string other = WordText(puzzle, words[i]);
    if (!IsSimilarEntry(head, other)) continue;
    if (!found) {
      hits.push_back(HitOf(head, words[base]));
      found = true;
    }
    hits.push_back(HitOf(other == head ? kIndent + other + " " : kIndent + other, words[i]));
  }
}

std::vector<TScanHit> ScanAllEntries(const TXwdPuzzle& puzzle) {
  std::vector<TScanHit> hits;
  const std::vector<TWordRef> words = NumberWords(puzzle);
  for (std::size_t base = 0; base < words.size(); ++base) ScanAllPairs(puzzle, words, base, hits);
  return hits;
}

bool IsIndentedLine(std::string_view line) { return !line.empty() && line.front() == ' '; }

bool IsRepeatLine(std::string_view line) { return !line.empty() && line.back() == ' '; }
