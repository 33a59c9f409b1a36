#include "app/grid/LetterSets.h"

#include "app/puzzle/XwdProcsUnit.h"

namespace {

constexpr TLetterSet MakeBase() {
  TLetterSet set{8, 13, 32, '+'};
  set.AddRange('A', 'Z');
  return set;
}

constexpr TLetterSet MakeMultilingual() {
  TLetterSet set{138, 140, 159, 223};  // Š Œ Ÿ ß
  set.AddRange(192, 221);              // À .. Ý
  set.Remove(215);                     // ×
  set.Remove(BlackSquare);             // Û
  return set;
}

}  // namespace

const TLetterSet BaseLetterSet = MakeBase();

const std::array<TLetterSet, GridLanguageCount> LanguageLetterSets = {
    TLetterSet{},                         // English
    TLetterSet{192, 199, 200, 201, 217},  // French: À Ç È É Ù
    TLetterSet{201, 209},                 // Spanish: É Ñ
    TLetterSet{192, 200, 201, 210, 217},  // Italian: À È É Ò Ù
    TLetterSet{196, 214, 220, 223},       // German: Ä Ö Ü ß
    TLetterSet{196, 197, 214},            // Swedish: Ä Å Ö
    TLetterSet{197, 198, 216},            // Norwegian: Å Æ Ø
    TLetterSet{197, 198, 216},            // Danish: Å Æ Ø
    MakeMultilingual(),
};

bool LanguageSetFor(int language, TLetterSet& set) {
  const int index = language & 0xFF;
  if (index >= GridLanguageCount) return false;
  set = BaseLetterSet + LanguageLetterSets[static_cast<std::size_t>(index)];
  return true;
}

std::optional<std::uint8_t> AcceptGridKey(std::uint8_t typed, const TLetterSet& set) {
  const std::uint8_t c = typed >= 'a' && typed <= 'z' ? static_cast<std::uint8_t>(typed - 'a' + 'A') : typed;
  if (c < 8 || c > 223 || !set.Contains(c)) return std::nullopt;
  return c;
}
