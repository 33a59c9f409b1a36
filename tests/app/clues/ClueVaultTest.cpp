// The clue database's logic on a clue table in memory: look-ups over continuation records,
// notes apart from clues, the walk through the entries, the packing of an entry when a clue is
// added, damaged tables, busy locks, look-ups while an add waits, and adds that meet another
// program's.

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

  // CAT (a blank field between two clues), CATS with 11 clues over two records, CAV with a note.
  void AddCats() {
    table.Add("CAV", false, {"Hollow in a cliff"}, "Not CAVE");
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
    Strings notes;
  };
  const Case cases[] = {
      {"CAT", true, {"Feline friend", "Purring pet"}, "", {}},
      {"CATS", true, Numbered("Cats clue ", 11), "", {}},
      {"CAV", true, {"Hollow in a cliff"}, "", {"Not CAVE"}},
      {"CA", false, {}, "CAT", {}},
      {"CAU", false, {}, "CAV", {}},
      {"CAT!", false, {}, "CATS", {}},
      {"CATS!", false, {}, "CATS&", {}},
      {"ZEBRA", false, {}, "", {}},
  };
  for (const Case& c : cases) {
    const TClueEntry& entry = vault.LookupEntry(c.word);
    EXPECT_EQ(entry.Word, c.word);
    EXPECT_EQ(entry.Found, c.found) << c.word;
    EXPECT_EQ(entry.Clues, c.clues) << c.word;
    EXPECT_EQ(entry.Notes, c.notes) << c.word;
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
  // An empty square, a placeholder as the record stores it and as the answer reads.
  for (const std::string& word :
       {std::string("CA\0", 3), std::string("CA T"), std::string("CA?"), std::string()}) {
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
     {"append W&", "replace 1"}},
    {"TwentyPlusOne",
     [](FakeClueTable& t) {
       t.Add("W", true, Numbered("c", 10));
       t.Add("W&", false, Numbered("c", 10, 11));
     },
     {"W T c1|c2|c3|c4|c5|c6|c7|c8|c9|c10", "W& T c11|c12|c13|c14|c15|c16|c17|c18|c19|c20", "W&& F new"},
     {"append W&&", "replace 1", "replace 2"}},
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
    // An add that ended between its append and its rewrite left W& behind W: taken in.
    {"UnfinishedAddTakenIn",
     [](FakeClueTable& t) {
       t.Add("W", false, Numbered("c", 10));
       t.Add("W&", false, {"c11"});
     },
     {"W T c1|c2|c3|c4|c5|c6|c7|c8|c9|c10", "W& F c11|new"},
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
  EXPECT_EQ(vault.Entry().Clues.back(), "new");
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

TEST_F(ClueVaultTest, TheClueOfAnUnfinishedAddIsListedOnceItIsAddedAgain) {
  table.Add("W", false, Numbered("c", 10));
  table.Add("W&", false, {"again"});
  EXPECT_EQ(vault.LookupEntry("W").Clues, Numbered("c", 10));
  ASSERT_EQ(vault.AddClue("AGAIN"), TClueAddResult::Added);
  EXPECT_EQ(table.Dump(), (Strings{"W T c1|c2|c3|c4|c5|c6|c7|c8|c9|c10", "W& F again"}));
  EXPECT_EQ(vault.Entry().Clues.back(), "again");
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

TEST_F(ClueVaultTest, ATableOpenedAgainIsReadWithItsOwnFields) {
  AddCats();
  ASSERT_EQ(vault.LookupEntry("CATS").Clues.size(), 11u);
  // Another file of one clue field and no note now stands under the name.
  table.Replace(FakeClueTable::SampleFields(1, false));
  table.Add("CATS", false, {"Felines"});
  ASSERT_EQ(table.Open(table.path), "");
  EXPECT_EQ(vault.LookupEntry("CATS").Clues, Strings{"Felines"});
  ASSERT_EQ(vault.AddClue("Lions"), TClueAddResult::Added);
  EXPECT_EQ(table.Dump(), (Strings{"CATS T Felines", "CATS& F Lions"}));
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
  EXPECT_EQ(vault.PriorEntry().Word, "M");
  EXPECT_TRUE(vault.Entry().Found);
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

TEST_F(ClueVaultTest, NextAndPriorPassOrphanedContinuationsBy) {
  // Continuation records without their first record: at the top, between two entries and at
  // the end.
  table.Add("A&", false, {"orphan a"});
  table.Add("B", true, {"b1"});
  table.Add("B&", false, {"b2"});
  table.Add("C&", false, {"orphan c"});
  table.Add("D", false, {"d1"});
  table.Add("E&", false, {"orphan e"});
  struct Step {
    bool next;
    const char* word;
  };
  vault.LookupEntry("B");
  for (const Step& step : {Step{false, "B"}, Step{true, "D"}, Step{true, "D"}, Step{false, "B"}, Step{false, "B"}}) {
    const TClueEntry& entry = step.next ? vault.NextEntry() : vault.PriorEntry();
    EXPECT_EQ(entry.Word, step.word) << (step.next ? "next" : "prior");
    EXPECT_TRUE(entry.Found);
  }
  // After misses that leave the table on an orphan, or past the end.
  for (const char* miss : {"A", "C", "E", "Z"}) {
    vault.LookupEntry(miss);
    const std::string prior = vault.PriorEntry().Word;
    vault.LookupEntry(miss);
    const std::string next = vault.NextEntry().Word;
    EXPECT_EQ(prior + " " + next, std::string(miss) == "A" ? "B B" : std::string(miss) == "C" ? "B D" : "D D") << miss;
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

TEST_F(ClueVaultTest, BusyAppendLockLeavesTheTableAsItWas) {
  table.Add("W", false, Numbered("c", 10));
  const Strings before = table.Dump();
  table.appendLockedElsewhere = true;
  vault.LookupEntry("W");
  EXPECT_EQ(vault.AddClue("new"), TClueAddResult::Busy);
  EXPECT_EQ(vault.Entry().Clues, Numbered("c", 10));
  vault.LookupEntry("NEW");
  EXPECT_EQ(vault.AddClue("first"), TClueAddResult::Busy);
  EXPECT_FALSE(vault.Entry().Found);
  EXPECT_TRUE(table.writes.empty());
  EXPECT_EQ(table.Dump(), before);
  EXPECT_FALSE(table.HoldsLocks());
}

TEST_F(ClueVaultTest, RecordTakenAfterTheAppendRemovesTheAppendedRecord) {
  table.Add("W", false, Numbered("c", 10));
  const Strings before = table.Dump();
  // Another program locks the entry's record between this add's append and its rewrite.
  table.afterWrite = [&](const std::string& write) {
    if (write.starts_with("append")) table.recordsLockedElsewhere = {1};
  };
  vault.LookupEntry("W");
  EXPECT_EQ(vault.AddClue("new"), TClueAddResult::Busy);
  EXPECT_EQ(table.writes, (Strings{"append W&", "delete 2"}));
  EXPECT_EQ(table.Dump(), before);
  EXPECT_EQ(vault.Entry().Clues, Numbered("c", 10));
  EXPECT_FALSE(table.HoldsLocks());
}

// While an add waits for a lock, Pause lets the program look another word up, step through the
// table and press Add again.
struct WaitingAddCase {
  const char* name;
  std::function<void(FakeClueTable&)> fill;  // the entry of W before the add
  std::function<void(FakeClueTable&, bool held)> hold;  // the lock another program holds
  Strings after;
};

const WaitingAddCase kWaitingAdds[] = {
    {"TableLockNewWord", [](FakeClueTable&) {}, [](FakeClueTable& t, bool held) { t.tableLockedElsewhere = held; },
     {"OTHER F o1", "W F new"}},
    {"AppendLockNewWord", [](FakeClueTable&) {},
     [](FakeClueTable& t, bool held) { t.appendLockedElsewhere = held; }, {"OTHER F o1", "W F new"}},
    {"TableLockTenClues", [](FakeClueTable& t) { t.Add("W", false, Numbered("c", 10)); },
     [](FakeClueTable& t, bool held) { t.tableLockedElsewhere = held; },
     {"OTHER F o1", "W T c1|c2|c3|c4|c5|c6|c7|c8|c9|c10", "W& F new"}},
    {"AppendLockTenClues", [](FakeClueTable& t) { t.Add("W", false, Numbered("c", 10)); },
     [](FakeClueTable& t, bool held) { t.appendLockedElsewhere = held; },
     {"OTHER F o1", "W T c1|c2|c3|c4|c5|c6|c7|c8|c9|c10", "W& F new"}},
    {"RecordLockTenClues", [](FakeClueTable& t) { t.Add("W", false, Numbered("c", 10)); },
     [](FakeClueTable& t, bool held) { t.recordsLockedElsewhere = held ? std::set<std::uint32_t>{2} : std::set<std::uint32_t>{}; },
     {"OTHER F o1", "W T c1|c2|c3|c4|c5|c6|c7|c8|c9|c10", "W& F new"}},
    {"RecordLockOneRecord", [](FakeClueTable& t) { t.Add("W", false, {"a"}); },
     [](FakeClueTable& t, bool held) { t.recordsLockedElsewhere = held ? std::set<std::uint32_t>{2} : std::set<std::uint32_t>{}; },
     {"OTHER F o1", "W F a|new"}},
};

class WaitingAddTest : public ClueVaultTest, public testing::WithParamInterface<WaitingAddCase> {};

TEST_P(WaitingAddTest, EveryWriteUsesTheAddsWord) {
  table.Add("OTHER", false, {"o1"});
  GetParam().fill(table);
  GetParam().hold(table, true);
  vault.Pause = [&](int) {
    pauses.push_back(0);
    if (pauses.size() == 2) GetParam().hold(table, false);
    vault.LookupEntry("OTHER");
    vault.NextEntry();
    vault.PriorEntry();
    EXPECT_EQ(vault.AddClue("second"), TClueAddResult::Busy);
  };
  vault.LookupEntry("W");
  ASSERT_EQ(vault.AddClue("new"), TClueAddResult::Added);
  EXPECT_EQ(pauses.size(), 2u) << "the lock was waited for";
  EXPECT_EQ(table.Dump(), GetParam().after);
  EXPECT_FALSE(table.HoldsLocks());
  // The entry of the add's word, read again; the next look-up is taken.
  EXPECT_EQ(vault.Entry().Word, "W");
  EXPECT_EQ(vault.Entry().Clues.back(), "new");
  EXPECT_EQ(vault.LookupEntry("OTHER").Clues, Strings{"o1"});
}

INSTANTIATE_TEST_SUITE_P(Locks, WaitingAddTest, testing::ValuesIn(kWaitingAdds),
                         [](const auto& info) { return std::string(info.param.name); });

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
