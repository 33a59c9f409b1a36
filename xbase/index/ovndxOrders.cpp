// The orders of the work areas: the engine's state, opening an index file into a descriptor,
// seating it in an order slot and closing it again.

#include <cstring>
#include <utility>

#include "platform/os/CodePage850.h"
#include "xbase/core/ovutils.h"
#include "xbase/index/ovndxCache.h"
#include "xbase/index/ovndxInternal.h"

namespace xbase {

std::uint8_t ActiveOrder = 1;
std::uint8_t KeyOrder = 1;
std::uint8_t IndexFound = 0;
std::uint8_t NearMatch = 0;
std::uint8_t KeepPositionOnMiss = 0;
std::uint32_t IndexCacheSize = 4096;
bool NoIndexCache = false;
bool SharedNodeCache = true;
bool FlushAfterHeaderWrite = false;
RecordNumber DeleteTarget = 0;

namespace {

std::array<AreaIndex, WorkAreaCount> AreaIndexTable;
AreaIndex NoArea;
std::uint64_t LastOrderId = 0;

}  // namespace

OrderDescriptor::OrderDescriptor() : Id(++LastOrderId) {}

OrderDescriptor::~OrderDescriptor() {
  if (CompiledKey != nullptr && ExprHookTable.Free) ExprHookTable.Free(CompiledKey);
}

AreaIndex& AreaIndexOf(std::uint8_t area) {
  if (area < 1 || area > WorkAreaCount) {
    NoArea = AreaIndex{};
    return NoArea;
  }
  return AreaIndexTable[area - 1];
}

OrderDescriptor* OrderInSlot(std::uint8_t slot) {
  if (slot < 1 || slot > MaxOrders) return nullptr;
  return AreaIndexOf(CurrentWorkArea).OrderTable[slot - 1].get();
}

namespace ndx {

WorkAreaRecord* CurrentTable() { return WorkArea(CurrentWorkArea); }

WorkAreaRecord* CheckedTable(std::string_view routine) {
  return CheckAreaOpen(routine) ? nullptr : CurrentTable();
}

OrderDescriptor* CheckIndexOpen(std::string_view routine) {
  const WorkAreaRecord* table = CheckedTable(routine);
  if (table == nullptr) return nullptr;
  OrderDescriptor* order = OrderInSlot(1);
  if (order == nullptr)
    SetError(221, "Index not open. (DBF=" + table->FileName + ") [" + std::string(routine) + "]");
  return order;
}

void DropAllOrders() {
  for (AreaIndex& area : AreaIndexTable) {
    for (auto& order : area.OrderTable) {
      // Compiled keys went with the expression engine's own start-up.
      if (order != nullptr) order->CompiledKey = nullptr;
      order.reset();
    }
    area.IndexBypass = false;
    area.Cache.reset();
    area.Semaphore.reset();
    area.ReadBrackets = area.LockBrackets = 0;
  }
}

}  // namespace ndx

using namespace ndx;

namespace {

std::string OpenTag(const std::string& name) {
  return "Unable to open index: " + name + " [OpenIndex/Set_Index_To]";
}

// The key type by the numeric flag, which every program writes; the type byte names the kind
// of number (some programs keep a key count in bytes 8 to 11 instead).
char KeyTypeOf(const IndexHeader& header) {
  if (header.NumericFlag == 0) return 'C';
  return header.KeyType == 'D' || header.KeyType == 'F' ? header.KeyType : 'N';
}

std::unique_ptr<OrderDescriptor> ReadOrderFile(const std::string& name) {
  auto order = std::make_unique<OrderDescriptor>();
  order->FileName = ResolvedFileName(name);
  if (const std::uint16_t code = order->IndexFile.Open(order->FileName, platform::os::FileAccess::kReadWrite,
                                                       platform::os::ShareMode::kShared))
    Fail(code, OpenTag(name));
  std::uint64_t size = 0;
  if (const std::uint16_t code = order->IndexFile.Size(size)) Fail(code, OpenTag(name));
  NodeImage block{};
  const platform::os::Transfer read = order->IndexFile.ReadAt(0, block.data(), NodeSize);
  if (read.code != 0) Fail(read.code, OpenTag(name));
  IndexHeader header = DecodeIndexHeader(block.data());
  if (size < MinIndexFileSize || read.count < KeyTextOffset + MaxKeyTextLength + 1 ||
      !IndexHeaderIsUsable(header))
    Fail(222, OpenTag(name));
  header.KeyType = KeyTypeOf(header);
  if (header.KeyType != 'C' && header.KeyLength != NumericKeyLength) Fail(222, OpenTag(name));
  order->Header = header;
  order->OpenedStamp = IndexStamp(block.data());
  order->CharacterKey = header.CharacterKeys();
  order->Comparator = order->CharacterKey ? CompareCharKey : CompareNumericKey;
  const auto* text = reinterpret_cast<const char*>(block.data() + KeyTextOffset);
  order->KeyText.assign(text, strnlen(text, MaxKeyTextLength));
  const WorkAreaRecord* table = CurrentTable();
  if (table != nullptr && table->OemTranslate) order->KeyText = platform::os::OemToAnsi(order->KeyText);
  return order;
}

// Where a new order stands: the controlling order on the first visible record, every order
// with the current record's key; without records at BOF and EOF on the root.
void PositionNewOrder(OrderDescriptor& order, std::uint8_t slot, WorkAreaRecord& table) {
  if (table.RecordCount == 0) {
    order.AtBof = order.AtEof = true;
    order.SavedKey.fill(0);
    if (order.CharacterKey) std::fill_n(order.SavedKey.begin(), order.KeyLength(), ' ');
    ResetPath(order);
    PushNode(order, order.Header.Root);
    return;
  }
  if (slot == 1) {
    GoTop();
    if (ErrorCode != 0) throw OperationFailed{};
  }
  KeyOrder = slot;
  MakeOrderKey(order, order.SavedKey);
}

bool Seat(std::unique_ptr<OrderDescriptor> opened, std::uint8_t slot, bool noCache) {
  WorkAreaRecord* table = CheckedTable("OpenIndex/Set_Index_To");
  if (table == nullptr) return false;
  if (slot < 1 || slot > MaxOrders) Fail(220, "Index Order parameter out of range [OpenIndex/Set_Index_To]");
  AreaIndex& area = AreaIndexOf(CurrentWorkArea);
  auto& place = area.OrderTable[slot - 1];
  if (place != nullptr) Fail(254, "Internal error: IND pointer already allocated [OpenIndex/Set_Index_To]");
  OrderDescriptor& order = *opened;
  order.OrderNumber = slot;
  order.AreaNumber = CurrentWorkArea;
  const std::string_view keyText = order.KeyFunction ? std::string_view(order.KeyText) : KeyMakerMarker;
  const std::string tableName = table->ShortName.substr(0, MaxTableNameLength);
  BuildAnchorBlock(order.Header, table->OemTranslate ? platform::os::AnsiToOem(keyText) : std::string(keyText),
                   table->RecordCount, table->OemTranslate ? platform::os::AnsiToOem(tableName) : tableName,
                   order.AnchorBlock);
  place = std::move(opened);
  // A failure below leaves the slot free again.
  struct FreeSlotOnFailure {
    AreaIndex& area;
    std::unique_ptr<OrderDescriptor>& place;
    bool seated = false;
    ~FreeSlotOnFailure() {
      if (seated) return;
      if (&place == &area.OrderTable[0]) area.Cache.reset();
      place.reset();
    }
  } freeSlot{area, place};
  if (slot == 1) {
    area.Cache.reset();
    if (!noCache) SetNodeCacheSize(IndexCacheSize);
  }
  PositionNewOrder(order, slot, *table);
  freeSlot.seated = true;
  return true;
}

}  // namespace

std::unique_ptr<OrderDescriptor> OpenOrderFile(const std::string& name) {
  return Guarded(std::unique_ptr<OrderDescriptor>(), [&] { return ReadOrderFile(name); });
}

bool SeatOrder(std::unique_ptr<OrderDescriptor> order, std::uint8_t slot, bool noCache) {
  return Guarded(false, [&] { return Seat(std::move(order), slot, noCache); });
}

void ReleaseOrder(std::uint8_t slot) {
  if (slot < 1 || slot > MaxOrders) return;
  AreaIndex& area = AreaIndexOf(CurrentWorkArea);
  std::unique_ptr<OrderDescriptor> order = std::move(area.OrderTable[slot - 1]);
  if (order == nullptr) return;
  if (slot == 1) area.Cache.reset();
  if (order->HeaderDirty) Guarded([&] { WriteHeaderBlock(*order); });
  if (const std::uint16_t code = order->IndexFile.Close())
    SetError(code, "Error closing index file:  " + order->FileName);
}

std::uint8_t CurrentOrder() {
  if (CheckAreaOpen("CurrentOrder")) return 0;
  const OrderDescriptor* order = OrderInSlot(1);
  if (order == nullptr || AreaIndexOf(CurrentWorkArea).IndexBypass) return 0;
  return order->OrderNumber;
}

}  // namespace xbase
