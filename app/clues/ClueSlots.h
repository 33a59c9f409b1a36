#pragma once
// Where a word's clue lives. The WordIdx member of a word's start cell names its clue slot;
// word ordinals shift when the grid changes after clues exist, so the link, not the ordinal,
// decides. A word without a valid link is given a slot when its clue is first written: the slot
// of its ordinal when no cell names that slot, else the lowest slot that no cell names. A word
// beyond the 179-word limit has no slot at all.

#include <string>

#include "app/puzzle/WordGeometry.h"

struct TXwdPuzzle;

struct TClueSlot {
  int Slot = 0;      // 1..179, or 0: nothing may be stored for this word
  std::string Text;  // the clue to show for the word
  bool operator==(const TClueSlot&) const = default;
};

// The valid slot the word's start cell links to, or 0.
int LinkedSlot(const TXwdPuzzle& puzzle, const TWordRef& word);

// The slot of the word and the clue to show. A linked word shows its linked clue. An unlinked
// word shows the text of its ordinal slot when it will take that slot (a clue left there by an
// earlier numbering comes back to the word it was written for), else nothing.
TClueSlot ClueSlotOf(const TXwdPuzzle& puzzle, const TWordRef& word);
