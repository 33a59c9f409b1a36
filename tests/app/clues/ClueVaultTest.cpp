// The clue database's logic on a clue table in memory: look-ups over continuation records,
// the walk through the entries, the packing of an entry when a clue is added, damaged tables,
// busy locks and adds that meet another program's.

#include "app/clues/ClueVault.h"

#include <gtest/gtest.h>

#include "tests/app/clues/FakeClueTable.h"

namespace {

using Strings = std::vector<std::string>;

Strings Numbered(const std::string& prefix, int count, int first = 1) {
  Strings clues;
  for (int n = first; n < first + count; ++n) clues.push_back(prefix + std::to_string(n));
  return clues;
}

class ClueVaultTest : public ::testing::Test {
 protected:
  ClueVaultTest() {
    vault.Pause = [this](int milliseconds) { pauses.push_back(milliseconds); };
    vault.LockWaitMilliseconds = 200;
  }

  // CAT (a blank field between two clues), CATS with 11 clues over two records, CAV.
  void AddCats() {
    table.Add("CAV", false, {"Hollow in a cliff"});
    table.Add("CATS", true, Numbered("Cats clue ", 10));
    table.Add("CAT", false, {"Feline friend   ", "", "Purring pet"});
    table.Add("CATS&", false, {"Cats clue 11"});
  }

  FakeClueTable table;
  TClueVault vault{table};
  std::vector<int> pauses;
};

TEST_F(ClueVaultTest, LookUpsAreExactAndFollowContinuations) {
  AddCats();
  struct Case {
    const char* word;
    bool found;
    Strings clues;
    const char* following;  // after a miss: the ENTRY the table stands on
  };
  const Case cases[] = {
      {"CAT", true, {"Feline friend", "Purring pet"}, ""},
      {"CATS", true, Numbered("Cats clue ", 11), ""},
      {"CA", false, {}, "CAT"},
      {"CAU", false, {}, "CAV"},
      {"CAT!", false, {}, "CATS"},
      {"CATS!", false, {}, "CATS&"},
      {"ZEBRA", false, {}, ""},
  };
  for (const Case& c : cases) {
    const TClueEntry& entry = vault.LookupEntry(c.word);
    EXPECT_EQ(entry.Word, c.word);
    EXPECT_EQ(entry.Found, c.found) << c.word;
    EXPECT_EQ(entry.Clues, c.clues) << c.word;
    if (c.found)
      EXPECT_EQ(vault.CurrentEntryText(), c.word) << "the table stands on the first record";
    else
      EXPECT_EQ(vault.FollowingEntryText(), c.following) << c.word;
  }
  EXPECT_TRUE(table.writes.empty());
}

TEST_F(ClueVaultTest, IncompleteAnswersAreNeitherLookedUpNorAdded) {
  AddCats();
  vault.LookupEntry("CATS");
  for (const std::string& word : {std::string("CA\0", 3), std::string("CA T"), std::string()}) {
    const TClueEntry& entry = vault.LookupEntry(word);
    EXPECT_FALSE(entry.Found);
    EXPECT_TRUE(entry.Clues.empty());
    EXPECT_EQ(vault.CurrentEntryText(), "CATS") << "the table did not move";
    EXPECT_EQ(vault.AddClue("Anything"), TClueAddResult::NoRoom);
  }
  EXPECT_TRUE(table.writes.empty());
}

// The entry of W before and after one clue is added, in key order ("ENTRY MORE clues...").
struct PackingCase {
  const char* name;
  std::function<void(FakeClueTable&)> fill;
  Strings after;
  Strings writes;
};

const PackingCase kPacking[] = {
    {"NewWord", [](FakeClueTable&) {}, {"W F new"}, {"append W"}},
    {"TenPlusOne",
     [](FakeClueTable& t) { t.Add("W", false, Numbered("c", 10)); },
     {"W T c1|c2|c3|c4|c5|c6|c7|c8|c9|c10", "W& F new"},
     {"replace 1", "append W&"}},
    {"TwentyPlusOne",
     [](FakeClueTable& t) {
       t.Add("W", true, Numbered("c", 10));
       t.Add("W&", false, Numbered("c", 10, 11));
     },
     {"W T c1|c2|c3|c4|c5|c6|c7|c8|c9|c10", "W& T c11|c12|c13|c14|c15|c16|c17|c18|c19|c20", "W&& F new"},
     {"replace 1", "replace 2", "append W&&"}},
    {"BlankFieldsPackedSurplusDeleted",
     [](FakeClueTable& t) {
       t.Add("W", true, {"a", "", "b"});
       t.Add("X", true, {"x1"});
       t.Add("W&", false, {"", "c"});
       t.Add("X&", false, {"x2"});
     },
     {"W F a|b|c|new", "X T x1", "X& F x2"},
     {"replace 1", "delete 3"}},
    {"EntryWithoutClues", [](FakeClueTable& t) { t.Add("W", false); }, {"W F new"}, {"replace 1"}},
    {"MemoKeptWhereItIs",
     [](FakeClueTable& t) {
       t.Add("W", true, {"a"});
       t.Add("W&", false, {"", "b"}, "a note");
     },
     {"W T a|b|new", "W& F ||||||||||a note"},
     {"replace 1", "replace 2"}},
};

class PackingTest : public ClueVaultTest, public testing::WithParamInterface<PackingCase> {};

TEST_P(PackingTest, AddRewritesTheEntryCompactly) {
  GetParam().fill(table);
  vault.LookupEntry("W");
  ASSERT_EQ(vault.AddClue("new"), TClueAddResult::Added);
  EXPECT_EQ(table.Dump(), GetParam().after);
  EXPECT_EQ(table.writes, GetParam().writes);
  EXPECT_FALSE(table.HoldsLocks());
  // The list is read again from the table, the new clue in it.
  EXPECT_TRUE(vault.Entry().Found);
  EXPECT_EQ(vault.Entry().Clues.back(), GetParam().name == std::string("MemoKeptWhereItIs") ? "a note" : "new");
  EXPECT_EQ(vault.CurrentEntryText(), "W");
}

INSTANTIATE_TEST_SUITE_P(Entries, PackingTest, testing::ValuesIn(kPacking),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClueVaultTest, AppendedRecordIsWholeBeforeItIsWritten) {
  table.Add("W", false, Numbered("c", 10));
  vault.LookupEntry("W");
  vault.AddClue("new");
  // The new continuation record carries its own key, flag and clue: never a copy of the first.
  const FakeClueTable::Record& appended = table.records.back();
  EXPECT_EQ(appended.Values.at("ENTRY"), "W&");
  EXPECT_EQ(appended.Values.at("MORE"), "F");
  EXPECT_EQ(appended.Values.at("CLUE1"), "new");
  EXPECT_EQ(appended.Values.at("CLUE2"), "");
}

TEST_F(ClueVaultTest, DuplicatesInAnyCaseAndBlankCluesAddNothing) {
  AddCats();
  vault.LookupEntry("CAT");
  EXPECT_EQ(vault.AddClue("feline FRIEND"), TClueAddResult::Duplicate);
  EXPECT_EQ(vault.AddClue("Purring pet   "), TClueAddResult::Duplicate);
  EXPECT_EQ(vault.AddClue("   "), TClueAddResult::Blank);
  EXPECT_EQ(vault.AddClue(""), TClueAddResult::Blank);
  // Windows-1252 letters compare without case too.
  table.Add("CAFE", false, {"Caf\xE9 au lait"});
  vault.LookupEntry("CAFE");
  EXPECT_EQ(vault.AddClue("CAF\xC9 AU LAIT"), TClueAddResult::Duplicate);
  EXPECT_TRUE(table.writes.empty());
}

TEST_F(ClueVaultTest, TablesWithFewerClueFields) {
  FakeClueTable narrow(FakeClueTable::SampleFields(1, false));
  TClueVault narrowVault(narrow);
  narrow.Add("W", false, {"a"});
  narrowVault.LookupEntry("W");
  ASSERT_EQ(narrowVault.AddClue("b"), TClueAddResult::Added);
  EXPECT_EQ(narrow.Dump(), (Strings{"W T a", "W& F b"}));

  FakeClueTable bare(FakeClueTable::SampleFields(0, true));
  TClueVault bareVault(bare);
  bareVault.LookupEntry("W");
  EXPECT_EQ(bareVault.AddClue("b"), TClueAddResult::NoRoom);
  EXPECT_TRUE(bare.records.empty());
}

TEST_F(ClueVaultTest, KeysThatNoLongerFitAreRefusedBeforeAnyWrite) {
  FakeClueTable small({{"ENTRY", 'C', 5}, {"MORE", 'L', 1}, {"CLUE1", 'C', 20}, {"CLUE2", 'C', 20}});
  TClueVault smallVault(small);
  small.Add("ABCD", true, {"a", "b"});
  small.Add("ABCD&", false, {"c", "d"});
  smallVault.LookupEntry("ABCD");
  EXPECT_EQ(smallVault.AddClue("e"), TClueAddResult::NoRoom);  // ABCD&& is six long
  smallVault.LookupEntry("ABCDEF");
  EXPECT_EQ(smallVault.AddClue("e"), TClueAddResult::NoRoom);
  EXPECT_TRUE(small.writes.empty());
}

TEST_F(ClueVaultTest, DamagedEntriesEndTheirLoops) {
  table.Add("B&", false, {"orphan"});  // first in key order
  table.Add("M", true, {"m1"});
  table.Add("N", false, {"n1"});
  table.Add("Z", true, {"z1"});  // the last record says more
  EXPECT_EQ(vault.LookupEntry("M").Clues, Strings{"m1"});  // N is another word
  EXPECT_EQ(vault.CurrentEntryText(), "M");
  EXPECT_EQ(vault.LookupEntry("Z").Clues, Strings{"z1"});
  EXPECT_EQ(vault.CurrentEntryText(), "Z");
  EXPECT_EQ(vault.NextEntry().Word, "Z");
  // The orphaned continuation at the top: the walk back stops at the beginning.
  EXPECT_EQ(vault.LookupEntry("M").Word, "M");
  EXPECT_EQ(vault.PriorEntry().Word, "B");
  EXPECT_FALSE(vault.Entry().Found);
  EXPECT_EQ(vault.PriorEntry().Word, "B");
  EXPECT_EQ(vault.NextEntry().Word, "M");
  // An add to M does not take N into the entry.
  vault.AddClue("m2");
  EXPECT_EQ(table.Dump(), (Strings{"B& F orphan", "M F m1|m2", "N F n1", "Z T z1"}));
}

TEST_F(ClueVaultTest, NextAndPriorStopAtBothEnds) {
  table.Add("B", true, {"b1"});
  table.Add("A", false, {"a1"});
  table.Add("C", true, Numbered("c", 10));
  table.Add("B&", false, {"b2"});
  table.Add("C&", false, {"c11"});
  vault.LookupEntry("A");
  struct Step {
    bool next;
    const char* word;
    std::size_t clues;
  };
  const Step steps[] = {{false, "A", 1}, {true, "B", 2}, {true, "C", 11},
                        {true, "C", 11},  // the whole last entry, not its continuation
                        {false, "B", 2}, {false, "A", 1}, {false, "A", 1}};
  for (const Step& step : steps) {
    const TClueEntry& entry = step.next ? vault.NextEntry() : vault.PriorEntry();
    EXPECT_EQ(entry.Word, step.word);
    EXPECT_EQ(entry.Clues.size(), step.clues) << step.word;
    EXPECT_TRUE(entry.Found);
  }
}

TEST_F(ClueVaultTest, NextAndPriorAfterAMiss) {
  table.Add("B", false, {"b1"});
  table.Add("D", true, {"d1"});
  table.Add("D&", false, {"d2"});
  vault.LookupEntry("C");
  EXPECT_EQ(vault.NextEntry().Word, "D");
  vault.LookupEntry("C");
  EXPECT_EQ(vault.PriorEntry().Word, "B");
  vault.LookupEntry("Z");
  EXPECT_EQ(vault.PriorEntry().Word, "D");
  vault.LookupEntry("Z");
  EXPECT_EQ(vault.NextEntry().Word, "D");
  vault.LookupEntry("A");
  EXPECT_EQ(vault.PriorEntry().Word, "B");
}

TEST_F(ClueVaultTest, EmptyTable) {
  EXPECT_FALSE(vault.LookupEntry("W").Found);
  EXPECT_EQ(vault.FollowingEntryText(), "");
  EXPECT_EQ(vault.NextEntry().Word, "W");
  EXPECT_EQ(vault.PriorEntry().Word, "W");
  EXPECT_EQ(vault.AddClue("first"), TClueAddResult::Added);
  EXPECT_EQ(table.Dump(), Strings{"W F first"});
}

TEST_F(ClueVaultTest, BusyLocksLeaveTheTableAsItWas) {
  table.Add("W", true, Numbered("c", 10));
  table.Add("W&", false, {"c11"});
  const auto tryAdd = [&] {
    vault.LookupEntry("W");
    return vault.AddClue("new");
  };
  table.tableLockedElsewhere = true;
  EXPECT_EQ(tryAdd(), TClueAddResult::Busy);
  table.tableLockedElsewhere = false;
  table.recordsLockedElsewhere = {2};
  EXPECT_EQ(tryAdd(), TClueAddResult::Busy);
  EXPECT_TRUE(table.writes.empty());
  EXPECT_FALSE(table.HoldsLocks());
  EXPECT_EQ(vault.Entry().Clues.size(), 11u) << "read again after the refusal";
  // Each wait is bounded: a try, then pauses up to the limit.
  EXPECT_EQ(pauses.size(), 8u);

  table.recordsLockedElsewhere.clear();
  pauses.clear();
  table.refusedTableLocks = 2;
  EXPECT_EQ(tryAdd(), TClueAddResult::Added);
  EXPECT_EQ(pauses, (std::vector<int>{50, 50}));
}

TEST_F(ClueVaultTest, BusyAppendLockAfterTheRewriteKeepsTheEntryReadable) {
  table.Add("W", false, Numbered("c", 10));
  table.appendLockedElsewhere = true;
  vault.LookupEntry("W");
  EXPECT_EQ(vault.AddClue("new"), TClueAddResult::Busy);
  EXPECT_EQ(vault.Entry().Clues, Numbered("c", 10));
  EXPECT_FALSE(table.HoldsLocks());
  vault.LookupEntry("NEW");
  EXPECT_EQ(vault.AddClue("first"), TClueAddResult::Busy);
  EXPECT_FALSE(vault.Entry().Found);
}

TEST_F(ClueVaultTest, AddsMeetWhatAnotherProgramAddedMeanwhile) {
  table.Add("W", false, {"a"});
  vault.LookupEntry("W");
  table.records[0].Values["CLUE2"] = "b";  // another program's add
  EXPECT_EQ(vault.AddClue("c"), TClueAddResult::Added);
  EXPECT_EQ(table.Dump(), Strings{"W F a|b|c"});

  vault.LookupEntry("NEW");
  table.Add("NEW", false, {"x"});  // another program's first clue of the word
  EXPECT_EQ(vault.AddClue("y"), TClueAddResult::Added);
  EXPECT_EQ(vault.AddClue("X"), TClueAddResult::Duplicate);
  EXPECT_EQ(table.Dump(), (Strings{"NEW F x|y", "W F a|b|c"}));
}

}  // namespace
