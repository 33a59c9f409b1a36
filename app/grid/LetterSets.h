#pragma once
// The characters the grid accepts: a base of capitals and control keys, plus the accented
// capitals of the grid language, as Windows-1252 codes. Byte 219 is the black square of the
// puzzle file, so no set holds it, although it is Û in Windows-1252.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>

class TLetterSet {
 public:
  constexpr TLetterSet() = default;
  constexpr TLetterSet(std::initializer_list<std::uint8_t> codes) {
    for (std::uint8_t code : codes) Add(code);
  }
  constexpr void Add(std::uint8_t code) { bits_[code / 64] |= std::uint64_t{1} << (code % 64); }
  constexpr void AddRange(std::uint8_t first, std::uint8_t last) {
    for (int code = first; code <= last; ++code) Add(static_cast<std::uint8_t>(code));
  }
  constexpr void Remove(std::uint8_t code) { bits_[code / 64] &= ~(std::uint64_t{1} << (code % 64)); }
  constexpr bool Contains(std::uint8_t code) const { return (bits_[code / 64] >> (code % 64)) & 1; }
  constexpr TLetterSet operator+(const TLetterSet& other) const {
    TLetterSet sum = *this;
    for (std::size_t i = 0; i < bits_.size(); ++i) sum.bits_[i] |= other.bits_[i];
    return sum;
  }
  constexpr bool operator==(const TLetterSet&) const = default;

 private:
  std::array<std::uint64_t, 4> bits_{};
};

constexpr int GridLanguageCount = 9;  // English, French, Spanish, Italian, German, Swedish,
                                      // Norwegian, Danish, Multilingual

// Backspace, Enter, blank, "+" and "A".."Z".
extern const TLetterSet BaseLetterSet;
// The accented capitals each language adds to the base.
extern const std::array<TLetterSet, GridLanguageCount> LanguageLetterSets;

// The set of a grid language given by the low 8 bits of `language`; nothing for a number with
// no language.
bool LanguageSetFor(int language, TLetterSet& set);

// The typed character as the grid takes it: "a".."z" become capitals, no other letter changes
// case; nothing when the set does not hold it.
std::optional<std::uint8_t> AcceptGridKey(std::uint8_t typed, const TLetterSet& set);
