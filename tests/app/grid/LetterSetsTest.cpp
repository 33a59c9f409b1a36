#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "app/grid/LetterSets.h"

namespace {

TLetterSet SetOf(int language) {
  TLetterSet set;
  EXPECT_TRUE(LanguageSetFor(language, set)) << language;
  return set;
}

TEST(LetterSets, BaseHoldsCapitalsAndTheEditingKeys) {
  const TLetterSet english = SetOf(0);
  for (int c : {8, 13, 32, int{'+'}, int{'A'}, int{'M'}, int{'Z'}}) EXPECT_TRUE(english.Contains(static_cast<std::uint8_t>(c))) << c;
  for (int c : {int{'?'}, int{'a'}, int{'0'}, int{'@'}, int{'['}, 7, 9, 27, 127, 201}) EXPECT_FALSE(english.Contains(static_cast<std::uint8_t>(c))) << c;
}

TEST(LetterSets, EachLanguageAddsItsCapitals) {
  struct Case { int language; std::vector<int> added; };
  const std::vector<Case> cases = {
      {1, {192, 199, 200, 201, 217}}, {2, {201, 209}}, {3, {192, 200, 201, 210, 217}}, {4, {196, 214, 220, 223}},
      {5, {196, 197, 214}},           {6, {197, 198, 216}}, {7, {197, 198, 216}},
  };
  for (const Case& c : cases) {
    const TLetterSet set = SetOf(c.language);
    for (int code = 128; code < 256; ++code) {
      const bool expected = std::find(c.added.begin(), c.added.end(), code) != c.added.end();
      EXPECT_EQ(set.Contains(static_cast<std::uint8_t>(code)), expected) << "language " << c.language << " code " << code;
    }
  }
}

TEST(LetterSets, MultilingualTakesTheWesternCapitalsButNeverTheBlackSquareByte) {
  const TLetterSet set = SetOf(8);
  for (int c : {138, 140, 159, 192, 200, 214, 216, 221, 223}) EXPECT_TRUE(set.Contains(static_cast<std::uint8_t>(c))) << c;
  // 215 is the multiplication sign, 222 Thorn, 219 the black square of the file format.
  for (int c : {215, 219, 222, 154, 156, 255, 224}) EXPECT_FALSE(set.Contains(static_cast<std::uint8_t>(c))) << c;
}

TEST(LetterSets, NoLanguageAcceptsTheBlackSquareByte) {
  for (int language = 0; language < GridLanguageCount; ++language) EXPECT_FALSE(SetOf(language).Contains(219)) << language;
}

TEST(LetterSets, OnlyTheLowByteOfTheLanguageCounts) {
  TLetterSet set;
  ASSERT_TRUE(LanguageSetFor(256 + 4, set));
  EXPECT_EQ(set, SetOf(4));
  const TLetterSet before = set;
  for (int language : {9, 255, -1}) {
    EXPECT_FALSE(LanguageSetFor(language, set)) << language;
    EXPECT_EQ(set, before) << "a number with no language keeps the set";
  }
}

TEST(LetterSets, KeysAreUpperCasedOnlyFromAToZ) {
  const TLetterSet french = SetOf(1);
  struct Case { int typed; std::optional<std::uint8_t> accepted; };
  for (const Case& c : {Case{'a', 'A'}, Case{'z', 'Z'}, Case{'Q', 'Q'}, Case{233, std::nullopt}, Case{201, 201},
                        Case{'?', std::nullopt}, Case{'+', '+'}, Case{8, 8}, Case{0, std::nullopt}, Case{224, std::nullopt}})
    EXPECT_EQ(AcceptGridKey(static_cast<std::uint8_t>(c.typed), french), c.accepted) << c.typed;
}

}  // namespace
