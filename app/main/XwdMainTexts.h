#pragma once
// Texts that the main window's files share.

#include <QString>
#include <array>

inline const QString kCorruptPuzzle = QStringLiteral("Puzzle not in Quillmere format or is corrupt.");
inline const QString kSaveQuestion = QStringLiteral("Puzzle has changed. Save current changes?");

// The captions of Construct > New; the first two characters are the grid size. Captions are
// kept here rather than read back from the menu, where a desktop may add accelerators.
inline constexpr std::array<const char*, 7> kNewCaptions{"11x", "13x", "15x", "17x", "19x", "21x", "23x"};
