// Index files whose tree cannot be right: every walk and seek stops with 254 naming the node and
// the file, never reads past a node and never loops.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/xbase/index/IndexTest.h"

namespace xbase {
namespace {

using CorruptTest = IndexTest;

struct Entry {
  std::uint32_t child;
  char key;
  std::uint32_t record = 1;  // of a leaf entry
};

// A node of 4-byte keys (entry size 12): a count, entries, and a trailing child when given.
std::string Node(int count, const std::vector<Entry>& entries, std::uint32_t trailing = 0) {
  std::string node(512, '\0');
  node[0] = static_cast<char>(count & 0xFF);
  node[1] = static_cast<char>((count >> 8) & 0xFF);
  const auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) node[at + i] = static_cast<char>(v >> (8 * i));
  };
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t at = 4 + i * 12;
    put32(at, entries[i].child);
    if (entries[i].child == 0) put32(at + 4, entries[i].record);
    node.replace(at + 8, 4, std::string(1, entries[i].key) + "   ");
  }
  if (trailing != 0) put32(4 + entries.size() * 12, trailing);
  return node;
}

TEST_F(CorruptTest, AWalkOrSeekIntoABrokenTreeStopsAt254) {
  CreateTable("t.dbf", {{"NAME", 'C', 4}});
  for (const char* name : {"A", "B", "C"}) AppendWith({{"NAME", name}});
  const std::string header = Contents(CreateIndex("x.ndx", 'C', 4, "NAME")).substr(0, 512);
  struct Case {
    const char* what;
    std::vector<std::string> nodes;  // nodes 1, 2, ...
    char key;                        // a key whose seek meets the fault
    std::string message;             // before ". <file> [GetNode]"
  };
  const std::vector<Case> cases = {
      {"too many keys", {Node(43, {{0, 'A'}})}, 'A', "Index file corrupted: node 1 holds 43 keys"},
      {"a negative count", {Node(-1, {{0, 'A'}})}, 'A', "Index file corrupted: node 1 holds -1 keys"},
      {"a child of 0", {Node(1, {{2, 'B'}}, 0), Node(2, {{0, 'A'}, {0, 'B'}})}, 'C',
       "Index file corrupted: node 1 points to node 0"},
      {"a child past next free", {Node(1, {{2, 'B'}}, 9), Node(2, {{0, 'A'}, {0, 'B'}})}, 'C',
       "Index file corrupted: node 1 points to node 9"},
      {"a node its own child", {Node(1, {{1, 'B'}}, 2), Node(1, {{0, 'C'}})}, 'A',
       "Index file corrupted: node 1 leads back to node 1"},
      {"a two-node cycle", {Node(1, {{2, 'B'}}, 2), Node(1, {{1, 'B'}}, 1)}, 'A',
       "Index file corrupted: node 2 leads back to node 1"},
      {"an empty node below the root", {Node(1, {{2, 'B'}}, 3), Node(0, {}), Node(1, {{0, 'C'}})}, 'A',
       "Index file corrupted: node 2 below the root is empty"},
  };
  QuietErrors();
  int n = 0;
  for (const Case& c : cases) {
    std::string bytes = header;
    bytes[4] = static_cast<char>(c.nodes.size() + 1);  // next free
    for (const std::string& node : c.nodes) bytes += node;
    const std::string path = Write("bad" + std::to_string(n++) + ".ndx", bytes);
    const std::string expected = c.message + ". " + path + " [GetNode]";
    SCOPED_TRACE(c.what);
    const auto expectReported = [&](const char* move) {
      EXPECT_EQ(ErrorCode, 254) << move;
      EXPECT_EQ(GetErrorMessage(), expected) << move;
      ErrorCode = 0;
    };
    // The controlling order: seated on its first key at once, its last key at GoBottom.
    if (c.key == 'A') {
      EXPECT_EQ(OpenOrder(path, 1), nullptr);
      EXPECT_EQ(OrderInSlot(1), nullptr) << "the slot stays free";
      expectReported("seated");
    } else {
      ASSERT_NE(OpenOrder(path, 1), nullptr);
      GoBottom();
      expectReported("GoBottom");
      CloseOrder(1);
    }
    // Another order, only sought for a key.
    ASSERT_NE(OpenOrder(path, 2), nullptr);
    const std::uint32_t record = c.key == 'A' ? 1 : 3;
    Dbf4RawGo(record);
    KeyBytes key;
    MakeOrderKey(*OrderInSlot(2), key);
    EXPECT_EQ(AppendIndex(key, 2), -1);
    expectReported("AppendIndex");
    DeleteTarget = record;
    EXPECT_EQ(DeleteKey(key, 2), -1);
    expectReported("DeleteKey");
    CloseOrder(2);
  }
}

// Records A to F in three leaves, the middle one's node past the end of the file: a walk that
// has to pass it, stepping over hidden records, stops there with the error instead of asking
// the index again for ever, and a walk that meets it never ends as if at the edge.
TEST_F(CorruptTest, AWalkOverHiddenRecordsStopsAtTheFirstFailedStep) {
  CreateTable("t.dbf", {{"NAME", 'C', 4}});
  for (const char* name : {"A", "B", "C", "D", "E", "F"}) AppendWith({{"NAME", name}});
  std::string bytes = Contents(CreateIndex("x.ndx", 'C', 4, "NAME")).substr(0, 512);
  bytes[4] = 5;  // next free: nodes 1 to 4 are in the file
  bytes += Node(2, {{3, 'B'}, {9, 'D'}}, 4);
  bytes += Node(2, {{0, 'C', 3}, {0, 'D', 4}});
  bytes += Node(2, {{0, 'A', 1}, {0, 'B', 2}});
  bytes += Node(2, {{0, 'E', 5}, {0, 'F', 6}});
  const std::string path = Write("x.ndx", bytes);
  const std::string broken = "Index file corrupted: node 1 points to node 9. " + path + " [GetNode]";
  ASSERT_NE(OpenOrder(path, 1), nullptr);
  QuietErrors();
  struct Case {
    const char* what;
    std::vector<std::uint32_t> hidden;
    std::function<void()> walk;
  };
  const std::vector<Case> cases = {
      {"GoTop past hidden A and B", {1, 2}, [] { GoTop(); }},
      {"GoBottom past hidden F and E", {5, 6}, [] { GoBottom(); }},
      {"Skip(-1) from EOF past hidden F and E", {5, 6},
       [] {
         Go(6);
         Skip(1);
         ASSERT_EQ(ErrorCode, 0);
         ASSERT_TRUE(dEOF());
         Skip(-1);
       }},
      {"Find of A past hidden A and B", {1, 2}, [] { Find("A"); }},
      {"GoTop past A and B filtered out", {}, [] {
         WorkArea(CurrentWorkArea)->FilterCallback = [] { return Text("NAME") > "B"; };
         GoTop();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WorkArea(CurrentWorkArea)->FilterCallback = nullptr;
    SetIgnoreDel(false);
    for (std::uint32_t record = 1; record <= 6; ++record) {
      Dbf4RawGo(record);  // not through the index, which cannot reach C and D
      std::count(c.hidden.begin(), c.hidden.end(), record) ? DeleteRec() : RecallRec();
    }
    SetIgnoreDel(true);
    ErrorCode = 0;
    c.walk();
    EXPECT_EQ(ErrorCode, 254);
    EXPECT_EQ(GetErrorMessage(), broken);
  }
}

TEST_F(CorruptTest, ANodePastTheEndOfTheFileIsAReadError) {
  CreateTable("t.dbf", {{"NAME", 'C', 4}});
  AppendWith({{"NAME", "A"}});
  std::string bytes = Contents(CreateIndex("x.ndx", 'C', 4, "NAME")).substr(0, 512);
  bytes[4] = 5;  // next free 5, but only node 1 in the file
  bytes += Node(1, {{3, 'A'}}, 4);
  QuietErrors();
  const std::string path = Write("short.ndx", bytes);
  EXPECT_EQ(OpenOrder(path, 1), nullptr);
  EXPECT_EQ(ErrorCode, 100);
  EXPECT_EQ(GetErrorMessage(), "Error reading index file: " + path + " [SeekAndRead]");
}

TEST_F(CorruptTest, ANextFreeNodePastTheEndOfTheFileIsNeverWritten) {
  CreateTable("t.dbf", {{"NAME", 'C', 4}});
  std::string bytes = Contents(CreateIndex("x.ndx", 'C', 4, "NAME"));
  bytes[5] = 1;  // next free 258, the file ends after node 1
  const std::string path = Write("far.ndx", bytes);
  ASSERT_NE(OpenOrder(path, 1), nullptr);
  QuietErrors();
  for (int i = 0; i < 43 && ErrorCode == 0; ++i) AppendWith({{"NAME", std::to_string(i)}});
  EXPECT_EQ(ErrorCode, 254) << "the 43rd key splits the root";
  EXPECT_EQ(GetErrorMessage(), "Index file corrupted: node 258 is next free, past the end of the file. " +
                                   path + " [AppendIndex]");
  EXPECT_EQ(Contents(path).size(), 1024u);
}

}  // namespace
}  // namespace xbase
