#pragma once
// The two scans of the scan grid window. Scan For lists every word that contains a text; Scan
// All lists groups of words that look alike: each word heads the later words that begin or end
// with the same three letters, indented by four blanks, an exact repeat also followed by a blank.
// Words read as the grid shows them (a placeholder as "?", an empty square as character 0).

#include <string>
#include <string_view>
#include <vector>

#include "app/puzzle/WordGeometry.h"

struct TXwdPuzzle;

// One result line and the word it names: its first square and its direction.
struct TScanHit {
  std::string Text;
  int X = 0, Y = 0;  // cell, from 1
  int Kind = 0;      // DirAcross or DirDown
  bool operator==(const TScanHit&) const = default;
};

// False when either word has an empty square; else whether the first three or the last three
// characters agree (shorter words compare whole).
bool IsSimilarEntry(std::string_view A, std::string_view B);

// Every word containing `text`, in word order; nothing for an empty text.
std::vector<TScanHit> ScanForText(const TXwdPuzzle& puzzle, std::string_view text);

// Appends the group headed by words[base] (`words` in word order, as NumberWords gives them):
// the word itself, then every similar word after it. Nothing without a similar word.
void ScanAllPairs(const TXwdPuzzle& puzzle, const std::vector<TWordRef>& words, std::size_t base,
                  std::vector<TScanHit>& hits);

// The groups of every word of the grid.
std::vector<TScanHit> ScanAllEntries(const TXwdPuzzle& puzzle);

// How a line of Scan All reads: a similar word is indented, an exact repeat ends with a blank.
bool IsIndentedLine(std::string_view line);
bool IsRepeatLine(std::string_view line);
