// Keeping the orders in step with the table: the keys of an appended record into every order
// (taken out again when one order fails), the keys of a rewritten record replaced where they
// changed, and the cursors seated on the current record.

#include <algorithm>
#include <optional>

#include "xbase/index/ovndxInternal.h"

namespace xbase {

using namespace ndx;

namespace {

bool HasCurrentRecord(const WorkAreaRecord& table) {
  return table.RecordCount > 0 && table.RecNo >= 1 && table.RecNo <= table.RecordCount;
}

// The cursor already stands on the entry of this key and record (after an insertion, or a
// move that found it): nothing to seek.
bool Seated(const OrderDescriptor& order, const KeyBytes& key, RecordNumber record) {
  return PathIsOwned(order) && !order.OnEmptyCursor && !order.AtEof &&
         CursorRecord(order) == record && SameKey(order, CursorKey(order), key.data());
}

// Seats an order on the key and record; false when the key is there but not for this record.
bool SeatOnRecord(OrderDescriptor& order, const KeyBytes& key, RecordNumber record) {
  if (order.Unique()) return true;
  while (CursorRecord(order) != record) {
    if (!StepForward(order) || !SameKey(order, CursorKey(order), key.data())) return false;
  }
  return true;
}

// Seats the controlling order (with all, every order) on the current record; the controlling
// order's key of the record is made unless the caller has it already.
void SyncOrders(bool all, const KeyBytes* controllingKey = nullptr) {
  WorkAreaRecord* table = CurrentTable();
  if (table == nullptr) return;
  AreaIndex& area = AreaIndexOf(CurrentWorkArea);
  const bool bypassed = area.IndexBypass;
  Restore<bool> bypass(area.IndexBypass, false);
  Restore<std::uint8_t> active(ActiveOrder);
  CatchUpWithGeneration();
  for (std::uint8_t slot = 1; slot <= (all ? MaxOrders : 1); ++slot) {
    OrderDescriptor* order = OrderInSlot(slot);
    if (order == nullptr) continue;
    KeyOrder = ActiveOrder = slot;
    if (!HasCurrentRecord(*table)) {
      if (slot == 1 && !bypassed)
        GoIndexEof();
      else
        GoFirstLast(*order, false);
      continue;
    }
    KeyBytes key;
    if (slot == 1 && controllingKey != nullptr)
      key = *controllingKey;
    else
      MakeOrderKey(*order, key);
    if (Seated(*order, key, table->RecNo)) continue;
    CatchUpWithGeneration();
    SeekKey(*order, key);
    if (IndexFound == 0)
      Fail(212, "Key: \"" + KeyForMessage(*order, key) + "\" not in index: " + order->FileName +
                    ". [SyncIndex-1] Record: " + std::to_string(table->RecNo));
    if (!SeatOnRecord(*order, key, table->RecNo))
      Fail(212, "Record with key: \"" + KeyForMessage(*order, key) + "\" not in index: " +
                    order->FileName + ". [SyncIndex-2]");
  }
}

// Blank keys for every order of an empty table.
void ClearOrderKeys(bool all) {
  for (std::uint8_t slot = 1; slot <= MaxOrders; ++slot) {
    OrderDescriptor* order = OrderInSlot(slot);
    if (order == nullptr) continue;
    order->SavedKey.fill(0);
    if (order->CharacterKey) std::fill_n(order->SavedKey.begin(), order->KeyLength(), ' ');
    if (all) {
      order->OldKey = order->SavedKey;
      order->OldRecNo = 0;
    }
  }
}

void ReplaceChangedKeys(WorkAreaRecord& table) {
  // An order that did not hold the old key is reported once the others are in step, since every
  // seek clears the error code.
  const OrderDescriptor* corrupted = nullptr;
  for (std::uint8_t slot = 1; slot <= MaxOrders; ++slot) {
    OrderDescriptor* order = OrderInSlot(slot);
    if (order == nullptr) continue;
    KeyOrder = slot;
    KeyBytes key;
    MakeOrderKey(*order, key);
    if (!order->Unique() && order->OldRecNo != table.RecNo)
      Fail(254, "Record number " + std::to_string(table.RecNo) + " not found in index. " +
                    order->FileName + " [CompareKeys]");
    if (SameKey(*order, key.data(), order->OldKey.data())) continue;
    Restore<std::uint8_t> active(ActiveOrder, slot);
    DeleteTarget = table.RecNo;
    {
      // Between the old key's removal and the new one's entry the record is in no key of the
      // order: a program killed there leaves the changing stamp behind.
      Restore<bool> changing(order->ChangeInProgress, true);
      WriteHeaderBlock(*order);
      // A record may lack its entry only in a UNIQUE order: another record had the key first.
      if (DeleteKey(order->OldKey, slot) == -1 && !order->Unique() && corrupted == nullptr) corrupted = order;
      if (AppendIndex(key, slot) == -1) throw OperationFailed{};
    }
    WriteHeaderBlock(*order);
    order->SavedKey = key;
  }
  if (corrupted != nullptr) SetError(254, "Index file corrupted. " + corrupted->FileName + " [CompareKeys]");
}

}  // namespace

void AppendNewKey() {
  WorkAreaRecord* table = CurrentTable();
  if (table == nullptr) return;
  AreaIndex& area = AreaIndexOf(CurrentWorkArea);
  Restore<bool> bypass(area.IndexBypass, false);
  // The failure is reported again at the end, since every seek after it clears the error code.
  std::uint16_t failure = 0;
  std::string failureMessage;
  // The controlling order's key, made once for its entry, its seat and its saved key.
  std::optional<KeyBytes> controllingKey;
  Guarded([&] {
    CatchUpWithGeneration();
    std::uint8_t failed = 0;
    KeyBytes key;
    for (std::uint8_t slot = 1; slot <= MaxOrders && failed == 0; ++slot) {
      OrderDescriptor* order = area.OrderTable[slot - 1].get();
      if (order == nullptr) continue;
      KeyOrder = slot;
      MakeOrderKey(*order, key);
      if (slot == 1) controllingKey = key;
      if (AppendIndex(key, slot) == -1) {
        failed = slot;
        failure = ErrorCode;
        failureMessage = LastErrorMessage;
      }
    }
    if (failed != 0) {
      DeleteTarget = table->RecordCount;
      for (std::uint8_t slot = failed - 1; slot >= 1; --slot) {
        OrderDescriptor* order = OrderInSlot(slot);
        if (order == nullptr) continue;
        KeyOrder = slot;
        MakeOrderKey(*order, key);
        if (DeleteKey(key, slot) == -1) {
          failure = 254;
          failureMessage = "Index file corrupted. " + order->FileName + " [AppendNewKey]";
          break;
        }
      }
    }
    SyncOrders(false, controllingKey ? &*controllingKey : nullptr);
  });
  // The appended record is the current one: its key is the controlling order's saved key.
  if (controllingKey)
    area.OrderTable[0]->SavedKey = *controllingKey;
  else
    UpdateKeyPositions(false, 1);
  if (failure != 0) SetError(failure, failureMessage);
}

void SyncIndex(bool all) { Guarded([&] { SyncOrders(all); }); }

void SoftSyncIndex() {
  OrderDescriptor* order = OrderInSlot(1);
  WorkAreaRecord* table = CurrentTable();
  if (order == nullptr || table == nullptr) return;
  Guarded([&] {
    KeyOrder = 1;
    KeyBytes key;
    MakeOrderKey(*order, key);
    SeekKey(*order, key);
    if (IndexFound == 0 || !SeatOnRecord(*order, key, table->RecNo))
      Fail(212, "Record with key: \"" + KeyForMessage(*order, key) + "\" not in index: " +
                    order->FileName + ". [SoftSyncIndex]");
  });
}

void UpdateKeyPositions(bool all, std::uint8_t count) {
  const WorkAreaRecord* table = CurrentTable();
  if (table == nullptr) return;
  if (table->RecordCount == 0) {
    ClearOrderKeys(all);
    return;
  }
  if (!HasCurrentRecord(*table)) return;
  for (std::uint8_t slot = 1; slot <= (all ? MaxOrders : count); ++slot) {
    OrderDescriptor* order = OrderInSlot(slot);
    if (order == nullptr) continue;
    KeyOrder = slot;
    MakeOrderKey(*order, order->SavedKey);
    if (all) {
      order->OldKey = order->SavedKey;
      order->OldRecNo = table->RecNo;
    }
  }
}

void CompareKeys() {
  if (WorkAreaRecord* table = CurrentTable()) Guarded([&] { ReplaceChangedKeys(*table); });
}

}  // namespace xbase
