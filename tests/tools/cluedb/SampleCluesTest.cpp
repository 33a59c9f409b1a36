// The sample text: what it holds, and the lines it refuses.

#include "tools/cluedb/SampleClues.h"

#include <gtest/gtest.h>

#include <set>

#include "tools/cluedb/SampleText.h"

namespace {

TEST(SampleClues, TextHoldsTheSample) {
  const std::vector<TSampleEntry> entries = ParseSampleText(SampleCluesText());
  std::set<std::string> words;
  std::size_t longEntries = 0, notes = 0;
  for (const TSampleEntry& entry : entries) {
    EXPECT_TRUE(words.insert(entry.Word).second) << entry.Word << " twice";
    EXPECT_FALSE(entry.Clues.empty()) << entry.Word;
    longEntries += entry.Clues.size() > 10;
    notes += !entry.Note.empty();
  }
  EXPECT_GE(words.size(), 300u);
  EXPECT_GE(longEntries, 3u);
  EXPECT_GE(notes, 3u);
}

TEST(SampleClues, EntriesOfAText) {
  const std::vector<TSampleEntry> entries =
      ParseSampleText("# a comment\n\nCAFE\r\n  Coffee house\n  Place for a caf\xC3\xA9 cr\xC3\xA8me\n"
                      "  Note: Accents allowed\nTEA\n  Cuppa");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Word, "CAFE");
  EXPECT_EQ(entries[0].Clues, (std::vector<std::string>{"Coffee house", "Place for a caf\xE9 cr\xE8me"}));
  EXPECT_EQ(entries[0].Note, "Accents allowed");
  EXPECT_EQ(entries[1].Clues, std::vector<std::string>{"Cuppa"});
}

TEST(SampleClues, RefusedLinesAreNamed) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"  A clue before any answer", "line 1: neither an answer nor a clue"},
      {"TEA\n   Three blanks", "line 2: neither an answer nor a clue"},
      {"TEA\nCuppa", "line 2: neither an answer nor a clue"},
      {"TEA\n  123456789012345678901234567890123456789012345678901234567890x", "line 2: a clue longer than 60 characters"},
  };
  for (const Case& c : cases) {
    try {
      ParseSampleText(c.text);
      ADD_FAILURE() << c.text;
    } catch (const std::invalid_argument& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

}  // namespace
