// Start-up and shut-down of the index engine, and the slots of IndexHookTable through which
// the work-area engine reaches it.

#include "xbase/index/ovndx.h"

#include "xbase/core/ovutils.h"
#include "xbase/index/ovndxBuild.h"
#include "xbase/index/ovndxInternal.h"

namespace xbase {

using namespace ndx;

namespace {

bool Bypassed() { return AreaIndexOf(CurrentWorkArea).IndexBypass; }

// A flag of the controlling order, or of the area itself in natural order.
bool EndFlag(bool OrderDescriptor::*orderFlag, bool DbfTable::*areaFlag) {
  const OrderDescriptor* order = OrderInSlot(1);
  const WorkAreaRecord* table = CurrentTable();
  if (order == nullptr || table == nullptr) return false;
  return Bypassed() ? table->*areaFlag : order->*orderFlag;
}

void SetEndFlag(bool OrderDescriptor::*flag) {
  if (OrderDescriptor* order = OrderInSlot(1)) order->*flag = true;
}

// "Rec:" and the current record number right-aligned in 10 characters.
KeyTextFunction RecordNumberText() {
  return [area = CurrentWorkArea] {
    const WorkAreaRecord* table = WorkArea(area);
    return "Rec:" + StrInt(table != nullptr ? table->RecNo : 0, 10);
  };
}

// A closing area goes on closing when the log-out fails: the error stays stored.
void CloseAllQuietly() {
  try {
    CloseAllIndexes();
  } catch (const EOrvelError&) {
  }
}

// The work-area engine ends its brackets from a destructor, where an error must not escape:
// one raised there stays stored.
bool Bracket(bool (*proc)(bool), bool on) {
  if (on) return proc(true);
  try {
    return proc(false);
  } catch (const EOrvelError&) {
    return false;
  }
}

void FillHookTable() {
  IndexHooks& hooks = IndexHookTable;
  hooks.IsActive = [] { return OrderInSlot(1) != nullptr; };
  hooks.SyncCurrent = [] { SyncIndex(false); };
  hooks.NextRec = FindNextRec;
  hooks.PriorRec = FindPriorRec;
  hooks.FirstRec = FindFirstRec;
  hooks.LastRec = FindLastRec;
  hooks.IsEof = [] { return EndFlag(&OrderDescriptor::AtEof, &DbfTable::EofFlag); };
  hooks.IsBof = [] { return EndFlag(&OrderDescriptor::AtBof, &DbfTable::BofFlag); };
  hooks.AppendKeys = AppendNewKey;
  hooks.SyncAfterMove = [] { UpdateKeyPositions(false, 1); };
  hooks.SyncAllOrders = [] {
    SyncIndex(false);
    UpdateKeyPositions(true, MaxOrders);
  };
  hooks.UpdateKeys = [] {
    {
      Restore<bool> bypass(AreaIndexOf(CurrentWorkArea).IndexBypass, false);
      CompareKeys();
    }
    UpdateKeyPositions(false, 1);
  };
  hooks.SetBof = [] { SetEndFlag(&OrderDescriptor::AtBof); };
  hooks.SetEof = [] { SetEndFlag(&OrderDescriptor::AtEof); };
  hooks.FoundFlag = [] { return &IndexFound; };
  hooks.IndexName = [](std::uint8_t slot) {
    const OrderDescriptor* order = OrderInSlot(slot);
    return order != nullptr ? order->FileName : std::string();
  };
  hooks.OrderKeyFunc = OrderKeyText;
  hooks.CurrentKeyFunc = []() -> KeyTextFunction {
    if (OrderInSlot(1) == nullptr) return {};
    return Bypassed() ? RecordNumberText() : OrderKeyText(1);
  };
  hooks.IsAscending = [](std::uint8_t slot) {
    const OrderDescriptor* order = OrderInSlot(slot);
    return order != nullptr && !order->DescendingKeys;
  };
  hooks.IsSoundex = [](std::uint8_t slot) {
    const OrderDescriptor* order = OrderInSlot(slot);
    return order != nullptr && order->SoundexKeys;
  };
  hooks.Reindex = Reindex;
  hooks.CloseAll = CloseAllQuietly;
  hooks.ReadSemaphore = [](bool on) { return Bracket(SetReadSemaphoreProc, on); };
  hooks.LockSemaphore = [](bool on) { return Bracket(SetLockSemaphoreProc, on); };
}

}  // namespace

void OvNdxInit() {
  ActiveOrder = KeyOrder = 1;
  IndexFound = NearMatch = KeepPositionOnMiss = 0;
  IndexCacheSize = 4096;
  NoIndexCache = false;
  SharedNodeCache = true;
  FlushAfterHeaderWrite = false;
  DeleteTarget = 0;
  UniqueDefault = false;
  SetIndexProgress(nullptr, 0);
  IndexBuildFreeMemory = nullptr;
  ReadTimeoutSeconds = 100;
  SemaphoreFolder.clear();
  SemaphoreLockTries = TableLockTries = 1001;
  SemaphorePauseMs = 10;
  DropAllOrders();
  FillHookTable();
  IndexingEnabled = true;
}

void OvNdxDone() {
  Restore<std::uint8_t> current(CurrentWorkArea);
  for (std::uint8_t area = 1; area < WorkAreaCount; ++area) {
    CurrentWorkArea = area;
    CloseAllQuietly();
  }
  IndexingEnabled = false;
}

}  // namespace xbase
