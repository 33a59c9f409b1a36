#include <gtest/gtest.h>

#include "tests/xbase/index/IndexTest.h"

namespace xbase {
namespace {

using FormatTest = IndexTest;

std::uint16_t U16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                    static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}
std::uint32_t U32(const std::string& bytes, std::size_t at) {
  return U16(bytes, at) | static_cast<std::uint32_t>(U16(bytes, at + 2)) << 16;
}

TEST(IndexHeaderTest, SizesFollowTheKeyLength) {
  struct Case {
    char type;
    std::uint16_t length;
    bool unique;
    std::uint16_t entrySize, keysPerNode, numericFlag;
  };
  for (const Case& c : std::vector<Case>{{'C', 12, false, 20, 25, 0},
                                         {'C', 100, true, 108, 4, 0},
                                         {'N', 8, false, 16, 31, 1},
                                         {'D', 8, true, 16, 31, 1},
                                         {'C', 1, false, 12, 42, 0},
                                         {'C', 20, false, 28, 18, 0}}) {
    NodeImage block;
    BuildAnchorBlock(MakeIndexHeader(c.type, c.length, c.unique), "KEY", 7, "TABLE.DBF", block);
    const std::string bytes(block.begin(), block.end());
    SCOPED_TRACE(std::string(1, c.type) + std::to_string(c.length));
    EXPECT_EQ(U32(bytes, 0), 1u) << "root";
    EXPECT_EQ(U32(bytes, 4), 2u) << "next free";
    EXPECT_EQ(bytes[8], '\0');
    EXPECT_EQ(bytes[9], c.type);
    EXPECT_EQ(U16(bytes, 10), 0);
    EXPECT_EQ(U16(bytes, 12), c.length);
    EXPECT_EQ(U16(bytes, 14), c.keysPerNode);
    EXPECT_EQ(U16(bytes, 16), c.numericFlag);
    EXPECT_EQ(U16(bytes, 18), c.entrySize);
    EXPECT_EQ(bytes.substr(20, 3), std::string(3, '\0'));
    EXPECT_EQ(bytes[23], c.unique ? 1 : 0);
    EXPECT_EQ(bytes.substr(24, 4), std::string("KEY\0", 4));
    EXPECT_EQ(bytes.substr(28, 460), std::string(460, '\0'));
    EXPECT_EQ(U32(bytes, 488), ~7u);
    EXPECT_EQ(U32(bytes, 492), 7u);
    EXPECT_EQ(bytes.substr(496), std::string("TABLE.DBF") + std::string(7, '\0'));
  }
}

TEST(IndexHeaderTest, TheStampHoldsWhileItsTwoWordsAgree) {
  NodeImage block;
  BuildAnchorBlock(MakeIndexHeader('C', 10, false), std::string(120, 'X'), 3, "averylongtablename.dbf", block);
  EXPECT_EQ(IndexStamp(block.data()), 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&block[24])), std::string(100, 'X'))
      << "the key text is cut at 100 characters";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&block[496])), "averylongtab");
  block[490] ^= 1;
  EXPECT_EQ(IndexStamp(block.data()), -1);
  PutIndexStamp(block.data(), 3);
  block[493] ^= 1;
  EXPECT_EQ(IndexStamp(block.data()), -1);
}

TEST_F(FormatTest, TheHeaderBlockOfAnOpenOrderCarriesItsTableAndKey) {
  CreateTable("a long table name.dbf", {{"NAME", 'C', 12}, {"AMT", 'N', 8, 2}});
  const std::string name = CreateIndex("name.ndx", 'C', 12, "NAME", true);
  const std::string amount = CreateIndex("amt.ndx", 'N', 8, "AMT");
  const std::string maker = CreateIndex("maker.ndx", 'C', 12, "");
  ASSERT_NE(OpenOrder(name, 1), nullptr);
  ASSERT_NE(OpenOrder(amount, 2), nullptr);
  auto order = OpenOrderFile(maker);
  ASSERT_NE(order, nullptr);
  order->KeyMaker = [](std::uint32_t, std::uint8_t, std::string& key) { key = Text("NAME"); };
  ASSERT_TRUE(SeatOrder(std::move(order), 3, true));
  for (const char* n : {"B", "A", "C"}) AppendWith({{"NAME", n}, {"AMT", "1.5"}});

  const std::string header = Contents(name).substr(0, 512);
  EXPECT_EQ(U32(header, 488), ~3u);
  EXPECT_EQ(U32(header, 492), 3u);
  EXPECT_EQ(header[23], 1) << "UNIQUE";
  EXPECT_EQ(std::string(&header[496]), "a long table");
  EXPECT_EQ(std::string(&header[24]), "NAME");
  EXPECT_EQ(std::string(&Contents(amount)[24]), "AMT");
  EXPECT_EQ(std::string(&Contents(maker)[24]), "USERDEFINEDKEYMAKERWASUSEDTOBUILDTHISINDEX");
  EXPECT_EQ(testing::ReadNdxTree(maker).entries.size(), 3u);
}

TEST_F(FormatTest, AnIndexFileThatCannotBeWalkedIsRefused) {
  CreateTable("t.dbf", {{"NAME", 'C', 12}});
  QuietErrors();
  struct Case {
    const char* what;
    std::size_t at;  // the header word changed, or the size of the file
    std::uint16_t value;
  };
  const std::vector<Case> cases = {
      {"key length 0", 12, 0},         {"key length 101", 12, 101},
      {"entry size below the key", 18, 19}, {"no keys per node", 14, 0},
      {"more than 504 bytes of keys", 14, 26}, {"a numeric key of 4 bytes", 16, 1},
  };
  std::vector<std::string> files;
  for (const Case& c : cases) {
    std::string bytes = Contents(CreateIndex("bad.ndx", 'C', 12, "NAME"));
    bytes[c.at] = static_cast<char>(c.value & 0xFF);
    bytes[c.at + 1] = static_cast<char>(c.value >> 8);
    if (c.at == 16) bytes[12] = 4;  // numeric flag set for a key of 4 bytes
    files.push_back(Write(std::string("bad-") + std::to_string(files.size()) + ".ndx", bytes));
  }
  files.push_back(Write("short.ndx", Contents(CreateIndex("x.ndx", 'C', 12, "NAME")).substr(0, 1023)));
  for (const std::string& file : files) {
    ErrorCode = 0;
    EXPECT_EQ(OpenOrderFile(file), nullptr) << file;
    EXPECT_EQ(ErrorCode, 222) << file;
    EXPECT_EQ(GetErrorMessage(), "Unable to open index: " + file + " [OpenIndex/Set_Index_To]");
  }
  EXPECT_EQ(OpenOrderFile(At("missing.ndx")), nullptr);
  EXPECT_EQ(ErrorCode, 2);
}

TEST_F(FormatTest, TheNumericFlagTellsTheKeyTypeWhereTheTypeByteIsAKeyCount) {
  CreateTable("t.dbf", {{"NAME", 'C', 12}, {"AMT", 'N', 8, 0}});
  // Other programs keep a key count in bytes 8 to 11.
  std::string chars = Contents(CreateIndex("c.ndx", 'C', 12, "NAME"));
  chars[8] = 0x01;
  chars[9] = 'N';
  std::string numbers = Contents(CreateIndex("n.ndx", 'N', 8, "AMT"));
  numbers[9] = 0x0B;
  auto c = OpenOrderFile(Write("c.ndx", chars));
  auto n = OpenOrderFile(Write("n.ndx", numbers));
  ASSERT_NE(c, nullptr);
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(c->Header.KeyType, 'C');
  EXPECT_TRUE(c->CharacterKey);
  EXPECT_EQ(n->Header.KeyType, 'N');
  EXPECT_FALSE(n->CharacterKey);
}

TEST_F(FormatTest, SeatingRefusesASlotOutOfRangeOrTaken) {
  CreateTable("t.dbf", {{"NAME", 'C', 12}});
  QuietErrors();
  const std::string path = CreateIndex("t.ndx", 'C', 12, "NAME");
  auto order = OpenOrderFile(path);
  order->KeyFunction = [](OrderDescriptor&) { return KeyValue{"A", 0}; };
  EXPECT_FALSE(SeatOrder(std::move(order), 17, true));
  EXPECT_EQ(ErrorCode, 220);
  ASSERT_NE(OpenOrder(path, 1), nullptr);
  order = OpenOrderFile(path);
  order->KeyFunction = [](OrderDescriptor&) { return KeyValue{"A", 0}; };
  EXPECT_FALSE(SeatOrder(std::move(order), 1, true));
  EXPECT_EQ(ErrorCode, 254);
  EXPECT_EQ(GetErrorMessage(), "Internal error: IND pointer already allocated [OpenIndex/Set_Index_To]");
}

}  // namespace
}  // namespace xbase
