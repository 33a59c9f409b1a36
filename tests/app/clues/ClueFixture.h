#pragma once
// Fixture grids for the clue windows, with links and clues set explicitly so that clue slots can
// differ from word ordinals.

#include <QListWidget>
#include <QStringList>
#include <cstdint>
#include <string>

#include "app/puzzle/XwdProcsUnit.h"

// Four words: 1 Across CATS, 1 Down CAR, 2 Down TOPS, 3 Across RAPT, ordinals 1 to 4.
inline const std::string kFourWords =
    "CATS"
    "A#O#"
    "RAPT"
    "##S#";

// Links the word that starts at (x, y) in direction 'a' or 'd' to a slot that holds text.
inline void LinkClue(int x, int y, char dir, int slot, const std::string& text) {
  TWordIdxPair& pair = Puzzle.WordIdx(x, y);
  (dir == 'a' ? pair.Across : pair.Down) = static_cast<std::uint16_t>(slot);
  Puzzle.SetClue(slot, text);
}

// A 23 by 23 grid of two by two letter blocks between black lines: 256 words of two letters.
inline std::string ManyWordsGrid() {
  std::string rows;
  for (int y = 1; y <= MaxGridSize; ++y)
    for (int x = 1; x <= MaxGridSize; ++x) rows += x % 3 == 0 || y % 3 == 0 ? '#' : 'E';
  return rows;
}

// The texts of a list's lines, top to bottom.
inline QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}
