// Fuzz target of the index engine: the input is opened as the index of a small table (NAME
// C(10), AMT N(8,2), DAY D; 40 records), as the controlling order on the field its key type
// asks for, walked both ways, sought, and kept in step with an appended and a rewritten record.
// Then it is opened again by name (SetIndexTo), with the key expression its header holds, or
// with a key maker on NAME when the header says it was made with one, and walked and sought;
// and once more on the table opened shared (through the semaphore protocol), stamped for the
// table's 40 records so that the open reaches the tree, walked with deleted records hidden and
// a filter that hides every other record: every walk ends.
// No input may crash, hang or touch memory out of bounds: it opens, or it is refused with a
// library error that leaves the slot free, and every later failure is a library error too.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "tests/xbase/dbf/DbfImage.h"
#include "tools/fuzz/FuzzFolder.h"
#include "xbase/Library.h"
#include "xbase/expr/ovparser.h"
#include "xbase/index/ovndx.h"
#include "xbase/workarea/TypedFieldText.h"
#include "xbase/workarea/dbf4.h"

namespace {

using namespace xbase;

// Names and amounts repeat, dates run over two centuries.
std::string TableBytes() {
  DbfImage image;
  image.Field("NAME", 'C', 10).Field("AMT", 'N', 8, 2).Field("DAY", 'D', 8);
  for (int i = 0; i < 40; ++i) {
    std::string name = "N" + std::to_string(i * 7 % 23);
    name.resize(10, ' ');
    std::string amount = std::to_string(i % 9 * 125 - 500) + ".25";
    amount.insert(0, 8 - amount.size(), ' ');
    image.Record(name + amount + std::to_string(1950 + i * 3) + "0615", i % 11 == 0);
  }
  return image.Bytes();
}

void WriteFile(const std::string& path, const void* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(data, 1, size, file);
  std::fclose(file);
}

// Opens the input as the controlling order; false when it is refused.
bool OpenOrder(const std::string& path, bool noCache) {
  auto order = OpenOrderFile(path);
  if (order == nullptr) return false;
  const char* field = order->Header.KeyType == 'C' ? "NAME" : order->Header.KeyType == 'D' ? "DAY" : "AMT";
  CompiledExpr* key = AssignExpr(field);
  if (key == nullptr || !UseCompiledKey(*order, key)) {
    FreeExpr(key);
    return false;
  }
  return SeatOrder(std::move(order), 1, noCache);
}

void Set(const char* field, const std::string& text) { SetTypedFieldText(FieldNo(field), text); }

void WalkAndSeek() {
  constexpr int kSteps = 100;
  GoTop();
  for (int i = 0; i < kSteps && !dEOF(); ++i) Skip(1);
  GoBottom();
  for (int i = 0; i < kSteps && !dBOF(); ++i) Skip(-1);
  Find("N1");
  FindKey("N2");
  FindKey("500");
}

// Opens the input by name; a refusal must leave the slot free.
void OpenByName(const std::string& path, bool noCache) {
  const std::string name = path + (noCache ? " NOCACHE" : "");
  if (!SetIndexTo(name, 1) && ErrorCode == 223) {
    const int field = FieldNo("NAME");
    SetIndexTo(name, 1, [field](std::uint32_t, std::uint8_t, std::string& key) { key = TypedFieldText(field); }, 0);
  }
  if (ErrorCode != 0) {
    if (OrderInSlot(1) != nullptr) __builtin_trap();
    return;
  }
  WalkAndSeek();
  CloseOrder(1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const FuzzFolder folder("fuzz-ndx");
  static const std::string table = folder.Path("t.dbf"), index = folder.Path("t.ndx");
  static const std::string tableBytes = TableBytes();
  WriteFile(table, tableBytes.data(), tableBytes.size());
  WriteFile(index, data, size);

  ResetForTests();
  SetImmediateErrors(false);
  AnsiTables = true;
  Use(table + " EXCLUSIVE", nullptr, 0);
  // The input's length chooses the options, so that each input runs the same way every time.
  SetIgnoreDel(size % 2 == 1);
  if (OpenOrder(index, size % 3 == 0)) {
    WalkAndSeek();
    BeginSoftSeek();
    Find("N14");
    EndSoftSeek();
    ClearRecord();
    Set("NAME", "N15");
    Set("AMT", "-12.5");
    Set("DAY", "02/29/00");
    Append();
    Go(7);
    Set("NAME", "A");
    Set("AMT", "9999");
    Replace();
    Skip(-1);
    CloseOrder(1);
  }
  // The file as the first open may have left it.
  WriteFile(index, data, size);
  OpenByName(index, size % 3 == 0);
  CloseArea();

  std::string stamped(reinterpret_cast<const char*>(data), size);
  if (stamped.size() >= 512) PutIndexStamp(reinterpret_cast<std::uint8_t*>(stamped.data()), 40);
  WriteFile(index, stamped.data(), stamped.size());
  Use(table, nullptr, 0);
  SetIgnoreDel(true);
  if (WorkAreaRecord* area = WorkArea(CurrentWorkArea)) area->FilterCallback = [] { return RecNo() % 2 == 1; };
  OpenByName(index, true);
  CloseArea();
  return 0;
}
