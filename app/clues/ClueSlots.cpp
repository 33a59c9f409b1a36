#include "app/clues/ClueSlots.h"

#include <array>

#include "app/puzzle/XwdProcsUnit.h"

namespace {

bool IsValidSlot(int slot) { return slot >= 1 && slot <= MaxClues; }

// Slots named by any cell of the grid, also by cells that no longer start a word: such a link
// comes back to life when the grid is changed back.
std::array<bool, MaxClues + 1> NamedSlots(const TXwdPuzzle& p) {
  std::array<bool, MaxClues + 1> named{};
  for (int x = 1; x <= p.GridSize; ++x)
    for (int y = 1; y <= p.GridSize; ++y)
      for (int slot : {p.WordIdx(x, y).Across, p.WordIdx(x, y).Down})
        if (IsValidSlot(slot)) named[static_cast<std::size_t>(slot)] = true;
  return named;
}

}  // namespace

int LinkedSlot(const TXwdPuzzle& p, const TWordRef& word) {
  const int slot = WordLink(p, word);
  return IsValidSlot(slot) ? slot : 0;
}

TClueSlot ClueSlotOf(const TXwdPuzzle& p, const TWordRef& word) {
  if (!IsValidSlot(word.Ordinal)) return {};
  if (const int linked = LinkedSlot(p, word)) return {linked, p.Clue(linked)};
  const auto named = NamedSlots(p);
  if (!named[static_cast<std::size_t>(word.Ordinal)]) return {word.Ordinal, p.Clue(word.Ordinal)};
  for (int slot = 1; slot <= MaxClues; ++slot)
    if (!named[static_cast<std::size_t>(slot)]) return {slot, {}};
  return {};
}
