// Memo fields in expressions: their lines joined into one value through the memo hook.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/xbase/expr/ExprTest.h"
#include "tests/xbase/expr/FakeMemos.h"

namespace xbase {
namespace {

class ExprMemoTest : public ExprTest {};

TEST_F(ExprMemoTest, LinesJoinWithoutTheirEnds) {
  std::vector<std::pair<std::int32_t, int>> binds;
  ServeMemos([](std::int32_t block) { return block == 1 ? "AB\r\nCD" : "unused"; },
             [&](std::int32_t block, std::uint8_t area) { binds.emplace_back(block, area); });
  EXPECT_EQ(Value("NOTES"), "M:ABCD");
  EXPECT_EQ(binds, (std::vector<std::pair<std::int32_t, int>>{{1, 1}})) << "the field's block";
}

TEST_F(ExprMemoTest, AMemoValueHoldsAtMost255Characters) {
  ServeMemos([](std::int32_t) {
    return std::string(100, 'a') + "\r\n" + std::string(100, 'b') + "\r\n" + std::string(100, 'c');
  });
  EXPECT_EQ(Value("NOTES"), "M:" + std::string(100, 'a') + std::string(100, 'b') + std::string(55, 'c'));
  ServeMemos([](std::int32_t) { return std::string(600, 'x'); });
  EXPECT_EQ(Value("NOTES"), "M:" + std::string(255, 'x'));
}

TEST_F(ExprMemoTest, AMemoOfAnotherAreaIsReadInItsArea) {
  std::vector<int> areas;
  ServeMemos([](std::int32_t block) { return "block " + std::to_string(block); },
             [&](std::int32_t, std::uint8_t area) { areas.push_back(area); });
  Select(2);
  EXPECT_EQ(Value("PEOPLE->NOTES"), "M:block 1");
  EXPECT_EQ(CurrentArea(), 2) << "the current area is back";
  Select(1);
  Skip(1);
  EXPECT_EQ(Value("NOTES"), "M:block 0") << "a blank memo field is block 0";
  EXPECT_EQ(areas, (std::vector<int>{1, 1}));
}

TEST_F(ExprMemoTest, WithoutAMemoStoreAMemoReadsEmpty) {
  MemoHookTable.AssignMemo = nullptr;
  EXPECT_EQ(Value("NOTES"), "M:");
  // A store that refuses to bind leaves the file unassigned.
  MemoHookTable.AssignMemo = [](MemoTextFile&, std::int32_t&) {};
  EXPECT_EQ(Value("NOTES"), "M:");
}

}  // namespace
}  // namespace xbase
