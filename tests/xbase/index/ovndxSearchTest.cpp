#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/xbase/index/IndexTest.h"
#include "xbase/index/ovndxInternal.h"

namespace xbase {
namespace {

using SearchTest = IndexTest;

// NAME C(12): "N0001" .. in the order given.
void AppendNames(const std::vector<int>& numbers) {
  for (int n : numbers) {
    std::string name = std::to_string(n);
    IndexTest::AppendWith({{"NAME", "N" + std::string(4 - name.size(), '0') + name}});
  }
}

TEST_F(SearchTest, WalksFollowTheKeysThroughSplitsBothWays) {
  CreateTable("t.dbf", {{"NAME", 'C', 12}});
  ASSERT_NE(IndexOn("t.ndx", "NAME", 'C', 12), nullptr);
  std::vector<int> numbers(200);
  for (int i = 0; i < 200; ++i) numbers[i] = i + 1;
  std::shuffle(numbers.begin(), numbers.end(), std::mt19937(7));
  AppendNames(numbers);

  const auto tree = testing::ReadNdxTree(At("t.ndx"));
  EXPECT_EQ(tree.fault, "");
  ASSERT_EQ(tree.entries.size(), 200u);
  std::vector<std::string> sorted;
  for (int i = 1; i <= 200; ++i) {
    std::string name = std::to_string(i);
    sorted.push_back("N" + std::string(4 - name.size(), '0') + name);
  }
  EXPECT_EQ(Walk("NAME"), sorted);
  std::reverse(sorted.begin(), sorted.end());
  EXPECT_EQ(Walk("NAME", false), sorted);
}

TEST(SearchNodeTest, FindsTheFirstEntryNotLessThanTheKey) {
  OrderDescriptor order;
  order.Header = MakeIndexHeader('C', 4, false);
  NodeImage node{};
  const std::vector<std::string> keys = {"BBBB", "DDDD", "DDDD", "FFFF", "HHHH"};
  for (std::size_t i = 0; i < keys.size(); ++i)
    PutEntry(EntryAt(node.data(), static_cast<int>(i), order.Header.EntrySize), 0, static_cast<std::uint32_t>(i + 1),
             reinterpret_cast<const std::uint8_t*>(keys[i].data()), 4, order.Header.EntrySize);
  SetNodeCount(node.data(), static_cast<int>(keys.size()));
  const auto search = [&](const char* key) {
    return ndx::SearchNode(order, node.data(), reinterpret_cast<const std::uint8_t*>(key));
  };
  EXPECT_EQ(search("AAAA"), -1) << "before the first";
  EXPECT_EQ(search("BBBB"), 0) << "the first";
  EXPECT_EQ(search("CCCC"), 1);
  EXPECT_EQ(search("DDDD"), 1) << "the first of equal keys";
  EXPECT_EQ(search("EEEE"), 3);
  EXPECT_EQ(search("HHHH"), 4) << "the last";
  EXPECT_EQ(search("ZZZZ"), -2) << "after the last";
  SetNodeCount(node.data(), 0);
  EXPECT_EQ(search("BBBB"), -1) << "an empty node";
}

using FindTest = AnimalsTest;

TEST_F(FindTest, SeeksByPrefixWholeKeyAndNextGreaterKey) {
  enum Mode { Prefix, Exact, Near };
  struct Case {
    const char* text;
    Mode mode;
    bool found;
    std::uint32_t record;  // 0: EOF
  };
  const std::vector<Case> cases = {
      {"CAT", Prefix, true, 4},   {"CA", Prefix, true, 4},      {"CATS", Prefix, true, 2},
      {"DOG", Prefix, true, 5},   {"COW", Prefix, false, 0},    {"ZEBRA", Prefix, false, 0},
      {"A", Prefix, false, 0},    {"CAT", Exact, true, 4},      {"CA", Exact, false, 0},
      {"CATS", Exact, true, 2},   {"DOG     ", Exact, true, 5}, {"COW", Near, false, 5},
      {"CAU", Near, false, 5},    {"A", Near, false, 4},        {"ZEBRA", Near, false, 0},
      {"EMU", Near, true, 3},     {"CA", Near, true, 4},
  };
  for (const Case& c : cases) {
    Go(3);
    if (c.mode == Near) {
      FindKey(c.text);
    } else {
      if (c.mode == Exact) BeginSoftSeek();
      Find(c.text);
      EndSoftSeek();
    }
    SCOPED_TRACE(std::string(c.text) + " mode " + std::to_string(c.mode));
    EXPECT_EQ(IndexFound, c.found ? 1 : 0);
    EXPECT_EQ(dEOF(), c.record == 0);
    EXPECT_EQ(RecNo(), c.record == 0 ? 6u : c.record);
    if (c.record != 0) {
      // The order continues from the record found.
      const std::string here = Text("NAME");
      Skip(-1);
      if (!dBOF()) {
        EXPECT_LE(Text("NAME"), here);
      }
    }
  }
}

TEST_F(FindTest, AnEmptyTextAndNaturalOrderLeaveTheRecordAlone) {
  Go(3);
  Find("");
  EXPECT_EQ(RecNo(), 3u);
  FindKey("");
  EXPECT_EQ(RecNo(), 3u);
  QuietErrors();
  AreaIndexOf(CurrentWorkArea).IndexBypass = true;
  Find("CAT");
  EXPECT_EQ(ErrorCode, 254);
  EXPECT_EQ(GetErrorMessage(), "Cannot use Find() with index order 0 (natural order) [Find]");
  EXPECT_EQ(RecNo(), 3u);
  EXPECT_EQ(IndexFound, 0);
}

TEST_F(FindTest, HiddenRecordsArePassedOver) {
  Go(4);
  DeleteRec();
  SetIgnoreDel(true);
  Find("CAT");
  EXPECT_EQ(IndexFound, 1) << "CATS begins with CAT";
  EXPECT_EQ(RecNo(), 2u);
  BeginSoftSeek();
  Find("CAT");
  EndSoftSeek();
  EXPECT_EQ(IndexFound, 0);
  EXPECT_TRUE(dEOF());
  Go(3);
  DeleteRec();
  FindKey("E");
  EXPECT_EQ(IndexFound, 0);
  EXPECT_TRUE(dEOF()) << "nothing visible after the key";
}

TEST_F(FindTest, WithoutATableOrAnOrderFindReports) {
  QuietErrors();
  Select(2);
  Find("CAT");
  EXPECT_EQ(ErrorCode, 215);
  Select(1);
  CloseOrder(1);
  EXPECT_EQ(OrderInSlot(1), nullptr);
  Find("CAT");
  EXPECT_EQ(ErrorCode, 221);
  EXPECT_EQ(GetErrorMessage(), "Index not open. (DBF=" + At("t.dbf") + ") [Find]");
}

TEST_F(FindTest, NumbersAndDatesAreSoughtAsValues) {
  CloseTable();
  CreateTable("v.dbf", {{"AMT", 'N', 8, 2}, {"DAY", 'D', 8}});
  ASSERT_NE(IndexOn("amt.ndx", "AMT", 'N', 8), nullptr);
  ASSERT_NE(IndexOn("day.ndx", "DAY", 'D', 8, 2), nullptr);
  AppendWith({{"AMT", "12.5"}, {"DAY", "03/15/24"}});
  AppendWith({{"AMT", "-3"}, {"DAY", "01/02/99"}});
  AppendWith({{"AMT", "0"}, {"DAY", "12/31/99"}});
  Find("12.50");
  EXPECT_EQ(IndexFound, 1);
  EXPECT_EQ(RecNo(), 1u);
  Find(" -3 ");
  EXPECT_EQ(RecNo(), 2u);
  FindKey("5");
  EXPECT_EQ(IndexFound, 0);
  EXPECT_EQ(RecNo(), 1u) << "the next greater amount";
  std::swap(AreaIndexOf(CurrentWorkArea).OrderTable[0], AreaIndexOf(CurrentWorkArea).OrderTable[1]);
  Find(" 12/31/99");
  EXPECT_EQ(IndexFound, 1);
  EXPECT_EQ(RecNo(), 3u);
}

TEST_F(FindTest, TheLastNextStaysOnTheLastRecordThenMovesOffIt) {
  GoBottom();
  ASSERT_EQ(RecNo(), 3u);
  OrderDescriptor& order = *OrderInSlot(1);
  EXPECT_EQ(FindNextRec(), 3u) << "the last record again";
  EXPECT_TRUE(order.AtEof);
  EXPECT_FALSE(order.OnEmptyCursor);
  EXPECT_EQ(FindNextRec(), 3u);
  EXPECT_TRUE(order.OnEmptyCursor);
  EXPECT_EQ(FindPriorRec(), 3u) << "from the end, the last record";
  EXPECT_FALSE(order.AtEof);
  GoTop();
  EXPECT_EQ(FindPriorRec(), 4u) << "the first record again";
  EXPECT_TRUE(order.AtBof);
  EXPECT_EQ(FindPriorRec(), 4u);
}

TEST_F(FindTest, AStalePathIsSoughtAgainAmongEqualKeys) {
  Find("DOG");
  Skip(1);
  ASSERT_EQ(RecNo(), 1u) << "the older DOG";
  OrderInSlot(1)->Path.Owner = 0;
  Skip(1);
  EXPECT_EQ(Text("NAME"), "EMU");
  Go(1);
  OrderInSlot(1)->Path.Owner = 0;
  Skip(-1);
  EXPECT_EQ(RecNo(), 5u);
}

TEST_F(SearchTest, TwoOrdersSteppedInTurnEachContinueInTheirOwnOrder) {
  CreateTable("t.dbf", {{"NAME", 'C', 8}, {"AGE", 'N', 3}});
  ASSERT_NE(IndexOn("name.ndx", "NAME", 'C', 8), nullptr);
  ASSERT_NE(IndexOn("age.ndx", "AGE", 'N', 8, 2), nullptr);
  // By name A B C D E F G H, by age A C B E D G F H.
  const std::vector<std::pair<const char*, const char*>> people = {
      {"A", "10"}, {"B", "30"}, {"C", "20"}, {"D", "50"}, {"E", "40"}, {"F", "70"}, {"G", "60"}, {"H", "80"}};
  for (const auto& [name, age] : people) AppendWith({{"NAME", name}, {"AGE", age}});
  GoTop();
  std::string seen = Text("NAME");
  for (int step = 0; step < 4; ++step) {
    MakeControlling(2);
    Skip(1);
    seen += Text("NAME");
  }
  EXPECT_EQ(seen, "ACDGH");
  MakeControlling(2);
  EXPECT_EQ(OrderInSlot(1)->KeyText, "AGE");
  Skip(-1);
  EXPECT_EQ(Text("NAME"), "F");
}

TEST(NodeCacheTest, SizesRoundToWholeNodes) {
  EXPECT_EQ(RoundedNodeCacheSize(1000), 2048u);
  EXPECT_EQ(NodeCache(RoundedNodeCacheSize(1000)).SlotCount(), 4u);
  EXPECT_EQ(RoundedNodeCacheSize(5000), 4608u);
  EXPECT_EQ(NodeCache(RoundedNodeCacheSize(5000)).SlotCount(), 9u);
  EXPECT_EQ(RoundedNodeCacheSize(4096), 4096u);
}

TEST(NodeCacheTest, AHitMovesOneSlotForwardAndAMissTakesTheLastSlot) {
  NodeCache cache(2048);
  std::uint8_t image[512] = {};
  for (std::uint32_t node : {10u, 20u, 30u, 40u}) {
    image[0] = static_cast<std::uint8_t>(node);
    cache.Store(node, image);
  }
  EXPECT_EQ(cache.Nodes(), (std::vector<std::uint32_t>{10, 20, 30, 40}));
  ASSERT_NE(cache.Find(40), nullptr);
  EXPECT_EQ(cache.Find(40)[0], 40);
  EXPECT_EQ(cache.Nodes(), (std::vector<std::uint32_t>{10, 40, 20, 30}));
  cache.Store(50, image);
  EXPECT_EQ(cache.Nodes(), (std::vector<std::uint32_t>{10, 40, 20, 50}));
  EXPECT_EQ(cache.Find(30), nullptr);
  image[0] = 7;
  cache.Refresh(50, image);
  EXPECT_EQ(cache.Find(50)[0], 7);
  cache.Reset();
  EXPECT_TRUE(cache.Nodes().empty());
  EXPECT_EQ(cache.Find(10), nullptr);
}

TEST_F(SearchTest, TheControllingOrdersCacheServesTheSameWalk) {
  CreateTable("t.dbf", {{"NAME", 'C', 12}});
  const std::string path = CreateIndex("t.ndx", 'C', 12, "NAME");
  ASSERT_NE(OpenOrder(path, 1, false), nullptr);
  EXPECT_EQ(NodeCacheSize(), 4096u);
  std::vector<int> numbers(300);
  for (int i = 0; i < 300; ++i) numbers[i] = (i * 7919) % 300;
  AppendNames(numbers);
  const auto cached = Walk("NAME");
  const auto backwards = Walk("NAME", false);
  for (std::uint32_t size : {1000u, 5000u, 0u}) {
    SetNodeCacheSize(size);
    EXPECT_EQ(NodeCacheSize(), size == 0 ? 0u : RoundedNodeCacheSize(size));
    EXPECT_EQ(Walk("NAME"), cached);
    EXPECT_EQ(Walk("NAME", false), backwards);
  }
  CloseOrder(1);
  NoIndexCache = true;
  ASSERT_NE(OpenOrder(path, 1, false), nullptr);
  EXPECT_EQ(NodeCacheSize(), 0u);
  EXPECT_EQ(Walk("NAME"), cached);
}

}  // namespace
}  // namespace xbase
