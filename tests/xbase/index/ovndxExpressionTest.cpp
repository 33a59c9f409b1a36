// Expression orders: the compiled key expression of an order makes its keys, and its result
// type, width and decimals decide the key type and the key's text.

#include <gtest/gtest.h>

#include "tests/xbase/index/IndexTest.h"

namespace xbase {
namespace {

using ExpressionTest = IndexTest;

TEST_F(ExpressionTest, TheResultTypeMakesTheKeyType) {
  CreateTable("t.dbf", {{"NAME", 'C', 10}, {"AGE", 'N', 3}, {"DAY", 'D', 8}});
  struct Case {
    const char* expression;
    char fileType;
    std::uint16_t fileLength;
    bool accepted;
    char keyType;
  };
  const std::vector<Case> cases = {
      {"UPPER(NAME)", 'C', 10, true, 'C'}, {"DTOS(DAY)", 'C', 8, true, 'C'},
      {"AGE * 2", 'N', 8, true, 'N'},      {"DAY + 1", 'D', 8, true, 'D'},
      {"AGE > 3", 'C', 8, false, 0},       {"AGE", 'C', 12, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expression);
    auto order = OpenOrderFile(CreateIndex("t.ndx", c.fileType, c.fileLength, c.expression));
    ASSERT_NE(order, nullptr);
    CompiledExpr* key = AssignExpr(c.expression);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(UseCompiledKey(*order, key), c.accepted);
    if (!c.accepted) {
      EXPECT_EQ(order->CompiledKey, nullptr);
      FreeExpr(key);
      continue;
    }
    EXPECT_EQ(order->Header.KeyType, c.keyType);
    EXPECT_EQ(order->CharacterKey, c.keyType == 'C');
    EXPECT_EQ(order->Comparator, c.keyType == 'C' ? &CompareCharKey : &CompareNumericKey);
  }
}

TEST_F(ExpressionTest, KeysOfComputedExpressionsOrderSeekAndShowThemselves) {
  SetCenturyFlag = true;
  CreateTable("t.dbf", {{"NAME", 'C', 10}, {"AGE", 'N', 5, 1}, {"DAY", 'D', 8}});
  ASSERT_NE(IndexOn("name.ndx", "UPPER(NAME)+STR(AGE,3)", 'C', 13), nullptr);
  ASSERT_NE(IndexOn("age.ndx", "AGE*2", 'N', 8, 2), nullptr);
  ASSERT_NE(IndexOn("day.ndx", "DAY", 'D', 8, 3), nullptr);
  const std::vector<std::vector<std::pair<std::string, std::string>>> people = {
      {{"NAME", "bob"}, {"AGE", "40.5"}, {"DAY", "03/15/2024"}},
      {{"NAME", "Ann"}, {"AGE", "7"}, {"DAY", "12/31/1999"}},
      {{"NAME", "BOB"}, {"AGE", "33"}, {"DAY", "01/01/2000"}},
  };
  for (const auto& person : people) AppendWith(person);
  EXPECT_EQ(Walk("NAME"), (std::vector<std::string>{"Ann", "BOB", "bob"}));
  Find("BOB");
  EXPECT_EQ(IndexFound, 1);
  EXPECT_EQ(RecNo(), 3u) << "BOB  33 before BOB  41";
  FindKey("BOB        35");
  EXPECT_EQ(IndexFound, 0);
  EXPECT_EQ(RecNo(), 1u) << "the next key, BOB  41";

  const auto byAge = testing::ReadNdxTree(At("age.ndx"));
  ASSERT_EQ(byAge.entries.size(), 3u);
  EXPECT_EQ(byAge.entries[0].Number(), 14.0);
  EXPECT_EQ(byAge.entries[2].Number(), 81.0);
  const auto byDay = testing::ReadNdxTree(At("day.ndx"));
  EXPECT_EQ(Records(byDay), (std::vector<std::uint32_t>{2, 3, 1}));
  EXPECT_EQ(byDay.entries[0].Number(), YmdToJulian(1999, 12, 31));

  Go(1);
  EXPECT_EQ(IndexHookTable.OrderKeyFunc(1)(), "BOB        41");  // STR rounds 40.5 up
  const CompiledExpr& ageKey = *OrderInSlot(2)->CompiledKey;
  EXPECT_EQ(IndexHookTable.OrderKeyFunc(2)(), StrFloat(81, ageKey.ResultWidth, ageKey.ResultDecimals));
  EXPECT_EQ(IndexHookTable.OrderKeyFunc(3)(), "03/15/2024");
  MakeControlling(3);
  Find("12/31/1999");
  EXPECT_EQ(RecNo(), 2u);
  MakeControlling(2);
  Find("66");
  EXPECT_EQ(RecNo(), 3u);
}

}  // namespace
}  // namespace xbase
