// Two work areas on one table and one index file: after the other area changed the index, the
// first one reads the headers again and serves no node from before the change.

#include <gtest/gtest.h>

#include "tests/xbase/index/IndexTest.h"

namespace xbase {
namespace {

using AreasTest = IndexTest;

std::string Name(int n) { return "N" + std::to_string(1000 + n); }

TEST_F(AreasTest, AChangeByAnotherAreaEmptiesTheNodeCacheAndThePaths) {
  DbfImage image;
  image.Field("NAME", 'C', 12);
  const std::string table = Write("t.dbf", image.Bytes());
  const std::string index = CreateIndex("t.ndx", 'C', 12, "NAME");
  Select(1);
  Use(table, nullptr, 0);
  ASSERT_NE(OpenOrder(index, 1, false), nullptr);
  ASSERT_TRUE(ALock());
  for (int n = 0; n < 10; ++n) AppendWith({{"NAME", Name(2 * n)}});
  Unlock();
  EXPECT_EQ(Walk("NAME").size(), 10u) << "the cache holds the root leaf";

  Select(2);
  Use(table + " ALIAS OTHER", nullptr, 0);
  ASSERT_NE(OpenOrder(index, 1), nullptr);
  ASSERT_TRUE(ALock());
  for (int n = 0; n < 200; ++n) AppendWith({{"NAME", Name(2 * n + 1)}});
  Unlock();
  EXPECT_EQ(Walk("NAME").size(), 210u);

  Select(1);
  ReadAnchorNodes();
  EXPECT_EQ(OrderInSlot(1)->Header.Root, testing::ReadNdxTree(index).root);
  EXPECT_EQ(RecCount(), 210u);
  const auto walked = Walk("NAME");
  ASSERT_EQ(walked.size(), 210u);
  EXPECT_TRUE(std::is_sorted(walked.begin(), walked.end()));
  Find(Name(399));
  EXPECT_EQ(IndexFound, 1);
  EXPECT_EQ(RecNo(), 210u);
  CloseTable();
  Select(2);
  CloseTable();
}

TEST_F(AreasTest, AnOrderOpenedAfterAnotherClosedWalksOnlyItsOwnFile) {
  CreateTable("t.dbf", {{"NAME", 'C', 12}, {"CITY", 'C', 12}});
  ASSERT_NE(IndexOn("name.ndx", "NAME", 'C', 12), nullptr);
  ASSERT_NE(IndexOn("city.ndx", "CITY", 'C', 12, 2), nullptr);
  for (int n = 0; n < 100; ++n) AppendWith({{"NAME", Name(n)}, {"CITY", Name(100 - n)}});
  const std::uint64_t closedId = OrderInSlot(1)->Id;
  const int closedDescriptor = OrderInSlot(1)->IndexFile.Descriptor();
  CloseOrder(1);
  ASSERT_NE(OpenOrder(At("city.ndx"), 1), nullptr);
  EXPECT_EQ(OrderInSlot(1)->IndexFile.Descriptor(), closedDescriptor) << "the descriptor is reused";
  EXPECT_NE(OrderInSlot(1)->Id, closedId);
  const auto cities = Walk("CITY");
  ASSERT_EQ(cities.size(), 100u);
  EXPECT_EQ(cities.front(), Name(1));
  EXPECT_EQ(Text("NAME"), "") << "at EOF";
}

}  // namespace
}  // namespace xbase
