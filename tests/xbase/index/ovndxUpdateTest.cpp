#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <random>

#include "tests/xbase/index/IndexTest.h"

namespace xbase {
namespace {

using UpdateTest = IndexTest;

// One node of a file as its keys (trailing blanks removed) and its children.
struct NodeView {
  std::vector<std::string> keys;
  std::vector<std::uint32_t> children;  // the entries' children and the trailing child
};

NodeView ReadNode(const std::string& bytes, std::uint32_t node) {
  const auto u16 = [&](std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8);
  };
  const auto u32 = [&](std::size_t at) { return u16(at) | static_cast<std::uint32_t>(u16(at + 2)) << 16; };
  const std::uint16_t keyLength = u16(12), entrySize = u16(18);
  const std::size_t base = node * std::size_t{512};
  NodeView view;
  const int count = u16(base);
  for (int i = 0; i < count; ++i) {
    const std::size_t entry = base + 4 + std::size_t(i) * entrySize;
    view.keys.push_back(RTrimStr(bytes.substr(entry + 8, keyLength)));
    if (u32(entry) != 0) view.children.push_back(u32(entry));
  }
  if (!view.children.empty()) view.children.push_back(u32(base + 4 + std::size_t(count) * entrySize));
  return view;
}

std::uint32_t HeaderWord(const std::string& bytes, std::size_t at) {
  std::uint32_t word = 0;
  for (int i = 3; i >= 0; --i) word = word << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return word;
}

std::string Key(int n) {
  const std::string digits = std::to_string(n);
  return "K" + std::string(2 - std::min<std::size_t>(2, digits.size()), '0') + digits;
}

std::vector<std::string> Keys(int from, int to, int step = 1) {
  std::vector<std::string> keys;
  for (int n = from; n <= to; n += step) keys.push_back(Key(n));
  return keys;
}

TEST_F(UpdateTest, AFullLeafOf25KeysSplits13To12AndTheNewKeyJoinsItsHalf) {
  const std::vector<std::string> evens = Keys(2, 50, 2);
  // Below the halves, between them, above them.
  const std::vector<int> cases = {1, 27, 51};
  for (std::size_t c = 0; c < cases.size(); ++c) {
    std::vector<std::string> left(evens.begin(), evens.begin() + 13), right(evens.begin() + 13, evens.end());
    const std::string added = Key(cases[c]);
    (cases[c] < 27 ? left : right).push_back(added);
    std::sort(left.begin(), left.end());
    std::sort(right.begin(), right.end());

    CreateTable("t" + std::to_string(c) + ".dbf", {{"NAME", 'C', 12}});
    ASSERT_NE(IndexOn("t" + std::to_string(c) + ".ndx", "NAME", 'C', 12), nullptr);
    for (const std::string& key : evens) AppendWith({{"NAME", key}});
    const std::string full = Contents(At("t" + std::to_string(c) + ".ndx"));
    EXPECT_EQ(ReadNode(full, 1).keys, evens) << "one full root leaf";
    AppendWith({{"NAME", added}});
    const std::string bytes = Contents(At("t" + std::to_string(c) + ".ndx"));
    SCOPED_TRACE(added);
    EXPECT_EQ(HeaderWord(bytes, 0), 3u) << "the new root";
    EXPECT_EQ(HeaderWord(bytes, 4), 4u) << "next free";
    EXPECT_EQ(ReadNode(bytes, 1).keys, left);
    EXPECT_EQ(ReadNode(bytes, 2).keys, right);
    const NodeView root = ReadNode(bytes, 3);
    EXPECT_EQ(root.keys, std::vector<std::string>{left.back()}) << "the largest key of the left half";
    EXPECT_EQ(root.children, (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(testing::ReadNdxTree(At("t" + std::to_string(c) + ".ndx")).fault, "");
    EXPECT_EQ(Text("NAME"), added) << "the controlling order stands on the new record";
    Skip(1);
    const std::vector<std::string> all = [&] {
      std::vector<std::string> keys = evens;
      keys.push_back(added);
      std::sort(keys.begin(), keys.end());
      return keys;
    }();
    const auto next = std::upper_bound(all.begin(), all.end(), added);
    EXPECT_EQ(dEOF() ? std::string("EOF") : Text("NAME"), next == all.end() ? "EOF" : *next);
    CloseTable();
  }
}

TEST_F(UpdateTest, LongKeysGrowADeepTreeAndShrinkItToAnEmptyRoot) {
  CreateTable("t.dbf", {{"NAME", 'C', 100}});
  const std::string path = At("t.ndx");
  ASSERT_NE(IndexOn("t.ndx", "NAME", 'C', 100), nullptr);
  std::vector<int> numbers(120);
  for (int i = 0; i < 120; ++i) numbers[i] = i % 90;  // some keys twice
  std::shuffle(numbers.begin(), numbers.end(), std::mt19937(11));
  for (int n : numbers) AppendWith({{"NAME", std::string(60, 'X') + Key(n)}});
  testing::NdxTree tree = testing::ReadNdxTree(path);
  EXPECT_EQ(tree.fault, "");
  EXPECT_EQ(tree.entries.size(), 120u);
  const std::string grown = Contents(path);
  const NodeView root = ReadNode(grown, HeaderWord(grown, 0));
  ASSERT_FALSE(root.children.empty());
  EXPECT_FALSE(ReadNode(grown, root.children[0]).children.empty()) << "three levels at least";

  std::vector<std::uint32_t> records(120);
  for (std::uint32_t r = 0; r < 120; ++r) records[r] = r + 1;
  std::shuffle(records.begin(), records.end(), std::mt19937(12));
  for (std::size_t i = 0; i < records.size(); ++i) {
    Go(static_cast<std::int32_t>(records[i]));
    KeyBytes key;
    MakeOrderKey(*OrderInSlot(1), key);
    DeleteTarget = records[i];
    ASSERT_EQ(DeleteKey(key, 1), 0) << "record " << records[i];
    tree = testing::ReadNdxTree(path);
    ASSERT_EQ(tree.fault, "") << "after deleting " << i + 1;
    ASSERT_EQ(tree.entries.size(), 119 - i);
  }
  const std::string bytes = Contents(path);
  EXPECT_EQ(HeaderWord(bytes, 0), 1u);
  EXPECT_EQ(HeaderWord(bytes, 4), 2u);
  EXPECT_EQ(bytes.substr(512), std::string(bytes.size() - 512, '\0'))
      << "every node left empty or bypassed is zero-filled";
  GoTop();
  EXPECT_TRUE(dEOF());
}

// Whatever split on the way (leaves, interior nodes, the root; the new entry in either half),
// an append leaves the controlling order on the new entry: walked on from it, the order gives
// every entry after it in key order (the newest of equal keys first), and walked back, every
// entry before it.
TEST_F(UpdateTest, AnAppendLeavesTheControllingOrderOnTheNewEntryThroughEverySplit) {
  struct Case {
    const char* what;
    std::vector<int> numbers;
    bool cache;
  };
  std::vector<int> ascending(100), twice(200);
  for (int n = 0; n < 100; ++n) ascending[n] = n;
  for (int n = 0; n < 200; ++n) twice[n] = n % 100;
  std::shuffle(twice.begin(), twice.end(), std::mt19937(5));
  const std::vector<Case> cases = {{"ascending", ascending, false},
                                   {"descending", {ascending.rbegin(), ascending.rend()}, false},
                                   {"shuffled, each key twice", twice, false},
                                   {"shuffled, with the node cache", twice, true}};
  for (std::size_t c = 0; c < cases.size(); ++c) {
    SCOPED_TRACE(cases[c].what);
    const std::string name = "t" + std::to_string(c);
    CreateTable(name + ".dbf", {{"NAME", 'C', 100}});
    // Four keys to a node: a deep tree.
    ASSERT_NE(OpenOrder(CreateIndex(name + ".ndx", 'C', 100, "NAME"), 1, !cases[c].cache), nullptr);
    std::vector<std::pair<std::string, std::uint32_t>> model;  // the entries in key order
    for (std::size_t i = 0; i < cases[c].numbers.size(); ++i) {
      const std::string key = std::string(60, 'X') + Key(cases[c].numbers[i]);
      AppendWith({{"NAME", key}});
      const auto at = std::lower_bound(model.begin(), model.end(), key,
                                       [](const auto& entry, const std::string& k) { return entry.first < k; });
      const std::size_t index = static_cast<std::size_t>(at - model.begin());
      model.insert(at, {key, RecNo()});
      const bool forward = i % 2 == 0;
      std::vector<std::uint32_t> walked, expected;
      for (Skip(forward ? 1 : -1); !(forward ? dEOF() : dBOF()); Skip(forward ? 1 : -1)) walked.push_back(RecNo());
      if (forward) {
        for (std::size_t k = index + 1; k < model.size(); ++k) expected.push_back(model[k].second);
      } else {
        for (std::size_t k = index; k-- > 0;) expected.push_back(model[k].second);
      }
      ASSERT_EQ(walked, expected) << "after appending " << key << ", record " << model[index].second;
    }
    EXPECT_EQ(testing::ReadNdxTree(At(name + ".ndx")).fault, "");
    CloseTable();
  }
}

TEST_F(UpdateTest, TheResetWritesAnEmptyNodeOneWhateverStoodThere) {
  CreateTable("t.dbf", {{"NAME", 'C', 12}});
  std::string bytes = Contents(CreateIndex("t.ndx", 'C', 12, "NAME"));
  // Root 2 holding one key, and something left in node 1.
  bytes[0] = 2;
  bytes[4] = 3;
  std::string nodes(1024, '\0');
  nodes[0] = 7;
  nodes[512] = 1;                                 // one entry:
  nodes[512 + 4 + 4] = 1;                         // record 1,
  nodes.replace(512 + 4 + 8, 12, "A           ");  // key A
  const std::string path = Write("t.ndx", bytes.substr(0, 512) + nodes);
  AppendWith({{"NAME", "A"}});  // no order yet: record 1 with key A
  ASSERT_NE(OpenOrder(path, 1), nullptr);
  KeyBytes key;
  MakeOrderKey(*OrderInSlot(1), key);
  DeleteTarget = 1;
  ASSERT_EQ(DeleteKey(key, 1), 0);
  const std::string after = Contents(path);
  EXPECT_EQ(HeaderWord(after, 0), 1u);
  EXPECT_EQ(HeaderWord(after, 4), 2u);
  EXPECT_EQ(after.substr(512), std::string(1024, '\0'));
}

TEST_F(UpdateTest, AFailedAppendTakesTheKeysOutOfTheOrdersBefore) {
  CreateTable("t.dbf", {{"NAME", 'C', 12}, {"AGE", 'N', 3}, {"CITY", 'C', 10}});
  ASSERT_NE(IndexOn("name.ndx", "NAME", 'C', 12), nullptr);
  ASSERT_NE(IndexOn("age.ndx", "AGE", 'N', 8, 2), nullptr);
  ASSERT_NE(IndexOn("city.ndx", "CITY", 'C', 10, 3), nullptr);
  AppendWith({{"NAME", "ANN"}, {"AGE", "30"}, {"CITY", "OSLO"}});
  // Order 3 can no longer be written.
  platform::os::BinaryFile readOnly;
  ASSERT_EQ(readOnly.Open(At("city.ndx"), platform::os::FileAccess::kRead, platform::os::ShareMode::kShared), 0);
  OrderInSlot(3)->IndexFile = std::move(readOnly);
  QuietErrors();
  AppendWith({{"NAME", "BOB"}, {"AGE", "40"}, {"CITY", "ROME"}});
  EXPECT_NE(ErrorCode, 0);
  EXPECT_EQ(Records(testing::ReadNdxTree(At("name.ndx"))), std::vector<std::uint32_t>{1});
  EXPECT_EQ(Records(testing::ReadNdxTree(At("age.ndx"))), std::vector<std::uint32_t>{1});
  EXPECT_EQ(Records(testing::ReadNdxTree(At("city.ndx"))), std::vector<std::uint32_t>{1});
}

TEST_F(UpdateTest, ARewriteKeepsEveryOrderInStepAndWritesNothingWhenNoKeyChanged) {
  CreateTable("t.dbf", {{"NAME", 'C', 12}, {"AGE", 'N', 3}, {"NOTE", 'C', 10}});
  ASSERT_NE(IndexOn("name.ndx", "NAME", 'C', 12), nullptr);
  ASSERT_NE(IndexOn("age.ndx", "AGE", 'N', 8, 2), nullptr);
  for (int i = 0; i < 60; ++i) AppendWith({{"NAME", Key(i)}, {"AGE", std::to_string(100 - i)}});
  const auto stamp = [](const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return std::pair(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
  };
  const std::string names = Contents(At("name.ndx")), ages = Contents(At("age.ndx"));
  const auto namesStamp = stamp(At("name.ndx")), agesStamp = stamp(At("age.ndx"));
  Go(17);
  ReplaceWith("NOTE", "CHANGED");
  EXPECT_EQ(Contents(At("name.ndx")), names);
  EXPECT_EQ(Contents(At("age.ndx")), ages);
  EXPECT_EQ(stamp(At("name.ndx")), namesStamp) << "no node written";
  EXPECT_EQ(stamp(At("age.ndx")), agesStamp);

  ReplaceWith("NAME", "K99");
  EXPECT_EQ(Text("NAME"), "K99");
  Skip(1);
  EXPECT_TRUE(dEOF()) << "K99 sorts last";
  const auto byName = testing::ReadNdxTree(At("name.ndx"));
  EXPECT_EQ(byName.fault, "");
  EXPECT_EQ(byName.entries.back().record, 17u);
  EXPECT_EQ(RTrimStr(byName.entries.back().key), "K99");
  EXPECT_EQ(Records(testing::ReadNdxTree(At("age.ndx"))), [] {
    std::vector<std::uint32_t> records;
    for (std::uint32_t r = 60; r >= 1; --r) records.push_back(r);
    return records;
  }()) << "the other order is as it was";
}

TEST_F(UpdateTest, AUniqueOrderKeepsTheFirstRecordOfAKey) {
  CreateTable("t.dbf", {{"NAME", 'C', 12}, {"AGE", 'N', 3}});
  ASSERT_NE(IndexOn("name.ndx", "NAME", 'C', 12, 1, true), nullptr);
  ASSERT_NE(IndexOn("age.ndx", "AGE", 'N', 8, 2), nullptr);
  AppendWith({{"NAME", "ANN"}, {"AGE", "30"}});
  AppendWith({{"NAME", "ANN"}, {"AGE", "40"}});
  EXPECT_EQ(Records(testing::ReadNdxTree(At("name.ndx"))), std::vector<std::uint32_t>{1});
  EXPECT_EQ(Records(testing::ReadNdxTree(At("age.ndx"))), (std::vector<std::uint32_t>{1, 2}));
  EXPECT_EQ(RecNo(), 2u);
  Go(2);  // seated on the key's one entry
  EXPECT_EQ(ErrorCode, 0);
}

TEST_F(UpdateTest, ShortAndLongKeyTextsArePaddedOrCut) {
  CreateTable("t.dbf", {{"NAME", 'C', 12}});
  auto order = OpenOrderFile(CreateIndex("t.ndx", 'C', 6, "NAME"));
  order->KeyFunction = [](OrderDescriptor&) -> KeyValue {
    const std::string name = Text("NAME");
    static std::string text;
    text = name == "SHORT" ? "AB" : "ABCDEFGHIJ";
    return {text, 0};
  };
  ASSERT_TRUE(SeatOrder(std::move(order), 1, true));
  AppendWith({{"NAME", "SHORT"}});
  AppendWith({{"NAME", "LONG"}});
  const auto tree = testing::ReadNdxTree(At("t.ndx"));
  ASSERT_EQ(tree.entries.size(), 2u);
  EXPECT_EQ(tree.entries[0].key, "AB    ");
  EXPECT_EQ(tree.entries[1].key, "ABCDEF");
  Find("AB");
  EXPECT_EQ(RecNo(), 1u);
  FindKey("ABC");
  EXPECT_EQ(RecNo(), 2u);
  EXPECT_EQ(IndexFound, 1);
}

TEST_F(UpdateTest, MinusZeroIsFoundAsZero) {
  DbfImage image;
  image.Field("AMT", 'N', 6, 1).Record("   5.0").Record("  -0.0");
  Use(Write("t.dbf", image.Bytes()) + " EXCLUSIVE", nullptr, 0);
  const std::string path = CreateIndex("t.ndx", 'N', 8, "AMT");
  ASSERT_NE(OpenOrder(path, 1), nullptr);
  for (std::uint32_t record : {1u, 2u}) {
    Dbf4RawGo(record);
    KeyBytes key;
    MakeOrderKey(*OrderInSlot(1), key);
    ASSERT_EQ(AppendIndex(key, 1), 0);
  }
  ASSERT_TRUE(std::signbit(testing::ReadNdxTree(path).entries[0].Number()));
  Find("0");
  EXPECT_EQ(IndexFound, 1);
  EXPECT_EQ(RecNo(), 2u);
}

using DogTest = AnimalsTest;

TEST_F(DogTest, DeleteKeyFindsItsRecordAmongEqualKeysByTheKeyItDeletes) {
  Go(3);  // the saved key is EMU
  DeleteTarget = 1;
  EXPECT_EQ(DeleteKey(KeyOf("DOG"), 1), 0);
  EXPECT_EQ(Records(testing::ReadNdxTree(At("t.ndx"))), (std::vector<std::uint32_t>{4, 2, 5, 3}));
  DeleteTarget = 3;
  EXPECT_EQ(DeleteKey(KeyOf("DOG"), 1), -1) << "record 3 is no DOG";
  EXPECT_EQ(DeleteKey(KeyOf("COW"), 1), -1) << "no such key";
}

TEST_F(DogTest, AKeyMissingFromItsOrderIsReportedWithItsRecord) {
  QuietErrors();
  DeleteTarget = 2;
  ASSERT_EQ(DeleteKey(KeyOf("CATS"), 1), 0);
  Go(2);
  EXPECT_EQ(ErrorCode, 212);
  EXPECT_EQ(GetErrorMessage(), "Key: \"CATS\" not in index: " + At("t.ndx") + ". [SyncIndex-1] Record: 2");
  DeleteTarget = 1;
  ASSERT_EQ(DeleteKey(KeyOf("DOG"), 1), 0);
  Go(1);
  EXPECT_EQ(ErrorCode, 212);
  EXPECT_EQ(GetErrorMessage(), "Record with key: \"DOG\" not in index: " + At("t.ndx") + ". [SyncIndex-2]");
}

// An order that lacks the record's stored key cannot be kept in step with a rewrite: the 212
// stands, and neither the record nor any key is written.
TEST_F(DogTest, ARewriteWhoseOldKeyIsMissingIsRefusedWithNothingWritten) {
  QuietErrors();
  Go(4);
  DeleteTarget = 4;
  ASSERT_EQ(DeleteKey(KeyOf("CAT"), 1), 0);
  const std::string table = Contents(At("t.dbf")), index = Contents(At("t.ndx"));
  ReplaceWith("NAME", "ANT");
  EXPECT_EQ(ErrorCode, 212);
  EXPECT_EQ(GetErrorMessage(), "Key: \"CAT\" not in index: " + At("t.ndx") + ". [SyncIndex-1] Record: 4");
  EXPECT_EQ(Contents(At("t.dbf")), table);
  EXPECT_EQ(Contents(At("t.ndx")), index);
}

// A UNIQUE order that skips a duplicate keeps its stamp with the table all the same, so that
// the next open takes the file as whole instead of rebuilding it.
TEST_F(DogTest, ASkippedDuplicateKeepsTheStampOfAUniqueOrder) {
  CloseArea();
  Use(At("t.dbf") + " EXCLUSIVE", nullptr, 0);
  IndexOnExpr("NAME", "u UNIQUE");
  ASSERT_EQ(ErrorCode, 0);
  AppendWith({{"NAME", "EMU"}});
  CloseArea();
  EXPECT_EQ(ReadIndexStamp(At("u.NDX")), 6);
  Use(At("t.dbf") + " EXCLUSIVE", nullptr, 0);
  EXPECT_TRUE(SetIndexToOrder("u", 1));
}

TEST_F(UpdateTest, TheHookSlotsDescribeTheOrders) {
  CreateTable("t.dbf", {{"NAME", 'C', 8}, {"AMT", 'N', 6, 2}, {"DAY", 'D', 8}});
  ASSERT_NE(IndexOn("t.ndx", "NAME", 'C', 8), nullptr);
  auto soundex = OpenOrderFile(CreateIndex("sx.ndx", 'C', 4, ""));
  soundex->KeyMaker = [](std::uint32_t arg, std::uint8_t order, std::string& key) {
    EXPECT_EQ(arg, 77u);
    EXPECT_EQ(order, 2);
    key = Text("NAME");
  };
  soundex->KeyMakerArg = 77;
  soundex->SoundexKeys = true;
  ASSERT_TRUE(SeatOrder(std::move(soundex), 2, true));
  auto descending = OpenOrderFile(CreateIndex("desc.ndx", 'C', 8, ""));
  descending->KeyMaker = [](std::uint32_t, std::uint8_t, std::string& key) { key = Text("NAME"); };
  descending->DescendingKeys = true;
  ASSERT_TRUE(SeatOrder(std::move(descending), 3, true));
  ASSERT_NE(IndexOn("amt.ndx", "AMT", 'N', 8, 4), nullptr);
  ASSERT_NE(IndexOn("day.ndx", "DAY", 'D', 8, 5), nullptr);
  for (const char* name : {"DOG", "CATS", "EMU", "CAT", "DOG", "DOGE"})
    AppendWith({{"NAME", name}, {"AMT", "12.5"}, {"DAY", "03/15/24"}});

  EXPECT_EQ(IndexHookTable.IndexName(1), At("t.ndx"));
  EXPECT_EQ(IndexHookTable.IndexName(6), "");
  EXPECT_TRUE(IndexHookTable.IsAscending(1));
  EXPECT_FALSE(IndexHookTable.IsAscending(3));
  EXPECT_TRUE(IndexHookTable.IsSoundex(2));
  EXPECT_FALSE(IndexHookTable.IsSoundex(1));
  EXPECT_FALSE(IndexHookTable.OrderKeyFunc(6));
  const KeyTextFunction byName = IndexHookTable.OrderKeyFunc(1);
  Go(2);
  EXPECT_EQ(byName(), "CATS    ");
  EXPECT_EQ(IndexHookTable.OrderKeyFunc(2)(), "CATS") << "the key maker's text";
  EXPECT_EQ(IndexHookTable.OrderKeyFunc(4)(), " 12.50") << "in the width and decimals of AMT";
  EXPECT_EQ(IndexHookTable.OrderKeyFunc(5)(), "03/15/24");
  EXPECT_EQ(IndexHookTable.CurrentKeyFunc()(), "CATS    ");
  AreaIndexOf(CurrentWorkArea).IndexBypass = true;
  EXPECT_EQ(IndexHookTable.CurrentKeyFunc()(), "Rec:         2");
  AreaIndexOf(CurrentWorkArea).IndexBypass = false;
  CloseOrder(1);
  EXPECT_EQ(byName(), "") << "the order is closed";

  // SOUNDEX: DOG, DOG and DOGE share D200; DESCENDING: the reverse.
  std::vector<std::string> codes;
  for (const auto& entry : testing::ReadNdxTree(At("sx.ndx")).entries) codes.push_back(entry.key);
  EXPECT_EQ(codes, (std::vector<std::string>{"C300", "C320", "D200", "D200", "D200", "E500"}));
  EXPECT_EQ(Records(testing::ReadNdxTree(At("desc.ndx"))), (std::vector<std::uint32_t>{3, 6, 5, 1, 2, 4}));
  MakeControlling(3);
  Find("DOG");
  EXPECT_EQ(Text("NAME"), "DOGE") << "DOGE sorts before DOG when descending, and begins with DOG";
  Skip(1);
  EXPECT_EQ(RecNo(), 5u);
  Skip(1);
  EXPECT_EQ(RecNo(), 1u);
  Skip(1);
  EXPECT_EQ(Text("NAME"), "CATS");
  MakeControlling(2);
  FindKey("Dag");
  EXPECT_EQ(IndexFound, 1);
  EXPECT_EQ(Text("NAME"), "DOGE") << "the newest of D200";
}

}  // namespace
}  // namespace xbase
