#pragma once
// Base fixture of the index tests: tables created empty and grown through the work-area engine,
// with index files that start empty (root 1, next free 2) and expression orders made from the
// key expression of the file's header, so that other programs read the same keys.

#include <string>
#include <vector>

#include "tests/xbase/index/NdxTree.h"
#include "tests/xbase/workarea/WorkAreaTest.h"
#include "xbase/core/ovutils.h"
#include "xbase/expr/ovparser.h"
#include "xbase/index/ovndx.h"
#include "xbase/index/ovndxlow.h"

namespace xbase {

class IndexTest : public WorkAreaTest {
 public:
  // Creates an empty table of the fields and opens it exclusively in the current area.
  std::string CreateTable(const std::string& name, const std::vector<FieldSpec>& fields) {
    DbfImage image;
    for (const FieldSpec& f : fields) image.Field(f.name, f.type, f.length, f.decimals);
    const std::string path = Write(name, image.Bytes());
    Use(path + " EXCLUSIVE", nullptr, 0);
    return path;
  }

  // Closes the current area's table with its orders.
  static void CloseTable() { CloseArea(); }

  // An empty index of keys of a type and length, its header naming the key expression.
  std::string CreateIndex(const std::string& name, char type, std::uint16_t length,
                          const std::string& keyText, bool unique = false) {
    NodeImage block;
    BuildAnchorBlock(MakeIndexHeader(type, length, unique), keyText, 0, "", block);
    return Write(name, std::string(block.begin(), block.end()) + std::string(512, '\0'));
  }

  // Opens an index into a slot of the current area as an expression order: its header's key
  // expression makes the keys.
  static OrderDescriptor* OpenOrder(const std::string& path, std::uint8_t slot, bool noCache = true) {
    auto order = OpenOrderFile(path);
    if (order == nullptr) return nullptr;
    CompiledExpr* key = AssignExpr(order->KeyText);
    if (key == nullptr) return nullptr;
    if (!UseCompiledKey(*order, key)) {
      FreeExpr(key);
      return nullptr;
    }
    if (!SeatOrder(std::move(order), slot, noCache)) return nullptr;
    return OrderInSlot(slot);
  }

  // A new index on a key expression (a field, say), opened into a slot.
  OrderDescriptor* IndexOn(const std::string& name, const std::string& expression, char type,
                           std::uint16_t length, std::uint8_t slot = 1, bool unique = false) {
    return OpenOrder(CreateIndex(name, type, length, expression, unique), slot);
  }

  // What choosing another controlling order does to the cursors: the orders swap slots, every
  // path goes stale, and every order is seated on the current record.
  static void MakeControlling(std::uint8_t slot) {
    auto& orders = AreaIndexOf(CurrentWorkArea).OrderTable;
    std::swap(orders[0], orders[slot - 1]);
    ResetNodeCache();
    for (auto& order : orders)
      if (order != nullptr) order->Path.Owner = 0;
    SyncIndex(true);
    UpdateKeyPositions(false, 1);
  }

  // Appends a record with the fields given as text.
  static void AppendWith(const std::vector<std::pair<std::string, std::string>>& values) {
    ClearRecord();
    for (const auto& [field, text] : values) Set(field, text);
    Append();
  }

  // Rewrites the current record with a field changed.
  static void ReplaceWith(const std::string& field, const std::string& text) {
    Set(field, text);
    Replace();
  }

  // A field of every record in the controlling order, walked from GoTop to EOF (or from
  // GoBottom to BOF).
  static std::vector<std::string> Walk(const std::string& field, bool forward = true) {
    std::vector<std::string> values;
    if (forward) {
      GoTop();
      while (!dEOF()) {
        values.push_back(Text(field));
        Skip(1);
      }
    } else {
      GoBottom();
      while (!dBOF()) {
        values.push_back(Text(field));
        Skip(-1);
      }
    }
    return values;
  }

  // The record numbers of a file's entries, in key order.
  static std::vector<std::uint32_t> Records(const testing::NdxTree& tree) {
    std::vector<std::uint32_t> records;
    for (const auto& entry : tree.entries) records.push_back(entry.record);
    return records;
  }
};

// NAME C(8) indexed on NAME: 1 DOG, 2 CATS, 3 EMU, 4 CAT, 5 DOG; in key order 4 CAT, 2 CATS,
// 5 DOG, 1 DOG, 3 EMU (the newest of equal keys first).
class AnimalsTest : public IndexTest {
 protected:
  void SetUp() override {
    IndexTest::SetUp();
    CreateTable("t.dbf", {{"NAME", 'C', 8}});
    ASSERT_NE(IndexOn("t.ndx", "NAME", 'C', 8), nullptr);
    for (const char* name : {"DOG", "CATS", "EMU", "CAT", "DOG"}) AppendWith({{"NAME", name}});
  }

  // The key of a name.
  static KeyBytes KeyOf(const std::string& text) {
    KeyBytes key{};
    std::fill_n(key.begin(), 8, ' ');
    std::copy(text.begin(), text.end(), key.begin());
    return key;
  }
};

}  // namespace xbase
