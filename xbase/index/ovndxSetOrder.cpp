// Choosing the controlling order: Set_Order_To and the swap of slots behind it.

#include "xbase/core/ovutils.h"
#include "xbase/index/ovndxInternal.h"
#include "xbase/workarea/dbf4Internal.h"

namespace xbase {

using namespace ndx;

namespace {

// The order opened as n takes slot 1, the one opened as 1 its slot; every other order stays
// in its own. False with 221 when no order was opened as n.
bool Swap(std::uint8_t n) {
  WorkAreaRecord& table = *CurrentTable();
  AreaIndex& area = AreaIndexOf(CurrentWorkArea);
  area.IndexBypass = false;
  if (table.RecNo >= 1 && table.RecNo <= table.RecordCount) Dbf4RawGo(table.RecNo);
  auto& slots = area.OrderTable;
  OrderDescriptor& controlling = *slots[0];
  const std::uint8_t current = controlling.OrderNumber;
  const bool wasAtEof = controlling.AtEof;
  if (current != n) {
    const auto& wanted = n == 1 ? slots[current - 1] : slots[n - 1];
    if (wanted == nullptr) {
      SetError(221, "Index not open.. (DBF=" + table.FileName + ") [Set_Order_To(" + std::to_string(n) + ")]");
      return false;
    }
    std::swap(slots[0], slots[current - 1]);
    std::swap(slots[0], slots[n - 1]);
    for (auto& order : slots)
      if (order != nullptr) order->Path.Owner = 0;
    ResetNodeCache();
  }
  ActiveOrder = KeyOrder = 1;
  if (table.RecordCount == 0) {
    UpdateKeyPositions(false, 1);
  } else if (wasAtEof) {
    GoIndexEof();
    UpdateKeyPositions(false, 1);
  }
  return true;
}

}  // namespace

void SwapControllingOrder(std::uint8_t order) {
  if (CurrentTable() != nullptr && OrderInSlot(1) != nullptr && order >= 1 && order <= MaxOrders) Swap(order);
}

void Set_Order_To(std::uint8_t order) {
  if (CheckAreaOpen("Set_Order_To") || CheckIndexOpen("Set_Order_To") == nullptr) return;
  ErrorCode = 0;
  if (order > MaxOrders) {
    SetError(220, "Invalid Index Order Specified: SET_ORDER_TO. [Set_Order_To(" + std::to_string(order) +
                      ")] (DBF=" + CurrentTable()->FileName + ")");
    return;
  }
  if (order == 0) {
    AreaIndexOf(CurrentWorkArea).IndexBypass = true;
    return;
  }
  dbf4::IndexBracket reading(dbf4::IndexBracket::Read, true);
  if (!reading.Held()) return;
  Restore<std::uint8_t> found(IndexFound);
  if (!Swap(order)) return;
  SyncIndex(true);
  UpdateKeyPositions(false, 1);
}

}  // namespace xbase
