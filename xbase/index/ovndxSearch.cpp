// Moving an order's cursor: the search inside a node, the descent to a key, first and last,
// the step to the next and prior entry through the leaves, and the controlling order's moves
// that the work-area engine calls through IndexHookTable.

#include <algorithm>

#include "xbase/index/ovndxInternal.h"
#include "xbase/workarea/dbf4Internal.h"

namespace xbase {
namespace ndx {

namespace {

// The position a search result stands for: the child to follow, or in a leaf the entry.
int PositionOf(int result, int count) {
  if (result == -1) return 0;
  if (result == -2) return count;
  return result;
}

// Descends from the root to the leaf of a key, pushing every node on the path; the search
// result in the leaf.
int DescendToKey(OrderDescriptor& order, const std::uint8_t* key) {
  PathLevel* level = &PushNode(order, order.Header.Root);
  while (true) {
    const std::uint8_t* image = level->Image.data();
    const int result = SearchNode(order, image, key);
    level->Position = PositionOf(result, NodeCount(image));
    if (IsLeafNode(image)) return result;
    const std::uint32_t child = ChildNode(order, image, level->Node, level->Position);
    level = &PushNode(order, child);
  }
}

// From the node on top of the path down to the first (last) entry of its leftmost (rightmost)
// leaf.
void DescendToEdge(OrderDescriptor& order, bool first) {
  PathLevel* level = &TopLevel(order);
  while (!IsLeafNode(level->Image.data())) {
    level->Position = first ? 0 : NodeCount(level->Image.data());
    const std::uint32_t child = ChildNode(order, level->Image.data(), level->Node, level->Position);
    level = &PushNode(order, child);
  }
  level->Position = first ? 0 : NodeCount(level->Image.data()) - 1;
}

void SaveCursorKey(OrderDescriptor& order) { CopyKey(order, CursorKey(order), order.SavedKey); }

WorkAreaRecord& TableOf(const OrderDescriptor& order) { return *WorkArea(order.AreaNumber); }

// After another program changed the index: the record is read again, and the order seated on
// it, or sent to EOF when the record is gone.
void RefreshAfterChange(WorkAreaRecord& table, const AreaIndex& area) {
  if (!CatchUpWithGeneration()) return;
  RefreshRecCount(table);
  if (table.RecNo > table.RecordCount) {
    GoIndexEof();
  } else {
    Dbf4RawGo(table.RecNo);
    if (!area.IndexBypass) SoftSyncIndex();
  }
}

// SearchNode over the entries with a comparison of an entry's key with the search key.
template <typename Compare>
int SearchEntries(const std::uint8_t* image, int count, std::uint16_t entrySize, Compare compareWithKey) {
  const auto compare = [&](int i) { return compareWithKey(EntryKey(EntryAt(image, i, entrySize))); };
  const int first = compare(0);
  if (first > 0) return -1;
  if (first == 0) return 0;
  if (compare(count - 1) < 0) return -2;
  int low = 1, high = count - 1;  // the answer lies in [low, high]
  while (low < high) {
    const int middle = (low + high) / 2;
    if (compare(middle) < 0)
      low = middle + 1;
    else
      high = middle;
  }
  return low;
}

}  // namespace

int SearchNode(const OrderDescriptor& order, const std::uint8_t* image, const std::uint8_t* key) {
  const int count = NodeCount(image);
  if (count == 0) return -1;
  const std::uint16_t entrySize = order.Header.EntrySize;
  const std::uint16_t keyLength = order.KeyLength();
  if (order.Comparator == CompareCharKey)
    return SearchEntries(image, count, entrySize,
                         [&](const std::uint8_t* entryKey) { return CompareCharBytes(entryKey, key, keyLength); });
  return SearchEntries(image, count, entrySize, [&](const std::uint8_t* entryKey) {
    return order.Comparator(entryKey, key, keyLength);
  });
}

void SeekKey(OrderDescriptor& order, const KeyBytes& key, bool forInsertion) {
  ErrorCode = 0;
  if (TableOf(order).RecordCount == 0) {
    GoFirstLast(order, true);
    return;
  }
  order.AtBof = order.AtEof = false;
  order.OnEmptyCursor = false;
  IndexFound = 0;
  ResetPath(order);
  const int result = DescendToKey(order, key.data());
  PathLevel& leaf = TopLevel(order);
  const int count = NodeCount(leaf.Image.data());
  if (count == 0) {  // an empty order
    order.AtBof = order.AtEof = true;
    return;
  }
  if (result == -1) return;
  if (result == -2) {
    if (forInsertion) return;
    // The separators above are upper bounds: greater keys may follow in the next leaf.
    leaf.Position = count - 1;
    if (!StepForward(order)) {
      TopLevel(order).Position = count;
      order.AtEof = true;
      return;
    }
  }
  IndexFound = SameKey(order, CursorKey(order), key.data()) ? 1 : 0;
}

RecordNumber GoFirstLast(OrderDescriptor& order, bool first) {
  ResetPath(order);
  order.OnEmptyCursor = false;
  const PathLevel& root = PushNode(order, order.Header.Root);
  if (NodeCount(root.Image.data()) == 0) {
    order.AtBof = order.AtEof = true;
    return TableOf(order).RecordCount + 1;
  }
  DescendToEdge(order, first);
  order.AtBof = order.AtEof = false;
  IndexFound = 1;
  SaveCursorKey(order);
  return CursorRecord(order);
}

bool StepForward(OrderDescriptor& order) {
  PathStack& path = order.Path;
  if (path.Depth == 0) return false;
  PathLevel& leaf = TopLevel(order);
  if (leaf.Position + 1 < NodeCount(leaf.Image.data())) {
    ++leaf.Position;
    return true;
  }
  std::size_t level = path.Depth - 1;
  while (level > 0 && path.Levels[level - 1].Position >= NodeCount(path.Levels[level - 1].Image.data()))
    --level;
  if (level == 0) return false;
  PathLevel& parent = path.Levels[level - 1];
  ++parent.Position;
  path.Depth = level;
  PushNode(order, ChildNode(order, parent.Image.data(), parent.Node, parent.Position));
  DescendToEdge(order, true);
  return true;
}

bool StepBackward(OrderDescriptor& order) {
  PathStack& path = order.Path;
  if (path.Depth == 0) return false;
  PathLevel& leaf = TopLevel(order);
  const int count = NodeCount(leaf.Image.data());
  if (leaf.Position > 0 && count > 0) {
    leaf.Position = std::min(leaf.Position, count) - 1;
    return true;
  }
  std::size_t level = path.Depth - 1;
  while (level > 0 && path.Levels[level - 1].Position == 0) --level;
  if (level == 0) return false;
  PathLevel& parent = path.Levels[level - 1];
  --parent.Position;
  path.Depth = level;
  PushNode(order, ChildNode(order, parent.Image.data(), parent.Node, parent.Position));
  DescendToEdge(order, false);
  return true;
}

void ReseatOrder(OrderDescriptor& order, RecordNumber remembered, const char* routine) {
  SeekKey(order, order.SavedKey);
  if (order.AtEof) {
    GoFirstLast(order, false);
    return;
  }
  while (CursorRecord(order) != remembered) {
    if (!StepForward(order)) {
      SetError(254, std::string(" [") + routine + "]");
      SeekKey(order, order.SavedKey);
      if (order.AtEof) GoFirstLast(order, false);
      return;
    }
  }
}

void MaxKeyBelow(OrderDescriptor& order, std::uint32_t node, KeyBytes& key) {
  // A tree of 2^32 records is at most 33 levels deep; anything deeper loops.
  constexpr int kDeepest = 64;
  const std::uint8_t* image = FetchNode(order, node, false);
  for (int depth = 0; !IsLeafNode(image); ++depth) {
    if (depth == kDeepest) Fail(254, "Index file corrupted: node " + std::to_string(node) +
                                         " leads back to itself. " + order.FileName + " [GetNode]");
    node = ChildNode(order, image, node, NodeCount(image));
    image = FetchNode(order, node, false);
  }
  CopyKey(order, EntryKey(EntryAt(image, NodeCount(image) - 1, order.Header.EntrySize)), key);
}

}  // namespace ndx

using namespace ndx;

namespace {

RecordNumber FirstOrLast(bool first) {
  IndexFound = 0;
  OrderDescriptor* order = CheckIndexOpen("_FindFirst/LastRec");
  if (order == nullptr) return 0;
  const RecordNumber neutral = WorkArea(order->AreaNumber)->RecordCount + 1;
  return Guarded(neutral, [&] {
    CatchUpWithGeneration();
    return GoFirstLast(*order, first);
  });
}

}  // namespace

RecordNumber FindFirstRec() {
  const WorkAreaRecord* table = CurrentTable();
  if (table != nullptr && AreaIndexOf(CurrentWorkArea).IndexBypass) {
    IndexFound = table->RecordCount != 0 ? 1 : 0;
    return 1;
  }
  return FirstOrLast(true);
}

RecordNumber FindLastRec() {
  const WorkAreaRecord* table = CurrentTable();
  if (table != nullptr && AreaIndexOf(CurrentWorkArea).IndexBypass) {
    IndexFound = table->RecordCount != 0 ? 1 : 0;
    return std::max<RecordNumber>(table->RecordCount, 1);
  }
  return FirstOrLast(false);
}

namespace {

// _FindNextRec and _FindPriorRec: the controlling order one entry on or back.
RecordNumber StepControlling(bool forward) {
  IndexFound = 0;
  const char* routine = forward ? "_FindNextRec" : "_FindPriorRec";
  OrderDescriptor* order = CheckIndexOpen(routine);
  if (order == nullptr) return 0;
  WorkAreaRecord& table = *CurrentTable();
  const AreaIndex& area = AreaIndexOf(CurrentWorkArea);
  return Guarded(table.RecNo, [&]() -> RecordNumber {
    RefreshAfterChange(table, area);
    if (table.RecordCount == 0) {
      order->AtBof = order->AtEof = true;
      return 1;
    }
    if (area.IndexBypass) {
      if (forward ? table.RecNo < table.RecordCount : table.RecNo > 1)
        return forward ? table.RecNo + 1 : table.RecNo - 1;
      (forward ? table.EofFlag : table.BofFlag) = true;
      return table.RecNo;
    }
    bool& behind = forward ? order->AtBof : order->AtEof;
    bool& ahead = forward ? order->AtEof : order->AtBof;
    behind = false;
    if (forward && order->AtEof) {
      // A second step past the last entry leaves the cursor after it.
      const RecordNumber last = GoFirstLast(*order, false);
      order->OnEmptyCursor = true;
      order->AtEof = true;
      return last;
    }
    if (!forward && order->OnEmptyCursor) return GoFirstLast(*order, false);
    if (!forward && order->AtBof) return CursorRecord(*order);
    const RecordNumber remembered = table.RecNo;
    if (!PathIsOwned(*order)) ReseatOrder(*order, remembered, routine);
    if (!(forward ? StepForward(*order) : StepBackward(*order))) {
      // At the edge: the cursor on the edge entry, at the end only when it was there already.
      const RecordNumber edge = GoFirstLast(*order, !forward);
      if (edge == remembered) ahead = true;
      return CursorRecord(*order);
    }
    IndexFound = 1;
    SaveCursorKey(*order);
    return CursorRecord(*order);
  });
}

}  // namespace

RecordNumber FindNextRec() { return StepControlling(true); }

RecordNumber FindPriorRec() { return StepControlling(false); }

void GoIndexEof() {
  WorkAreaRecord* table = CurrentTable();
  OrderDescriptor* order = OrderInSlot(1);
  if (table == nullptr || order == nullptr) return;
  Guarded([&] { GoFirstLast(*order, false); });
  dbf4::PhantomRecord(*table);
  order->AtEof = true;
  order->OnEmptyCursor = true;
}

}  // namespace xbase
