// Removing a record's key from an order, upwards from its leaf:
//  - a leaf left without entries is zero-filled and written (nodes are not reused), and its
//    parent loses the pointer to it; the last key of the whole index resets it to root 1 and
//    next free 2 with an empty node 1;
//  - a node that lost its last entry passes its new largest key up as the separator of the
//    parent entry that leads to it (through trailing children, to the first parent where it
//    stands in an entry);
//  - an interior node that loses its trailing child makes its last entry's child the trailing
//    child, dropping that key, which goes up as an upper bound of what remains;
//  - an interior node left without keys: the root is replaced by its only child, any other
//    node is bypassed (its parent leads straight to the only child, under that child's largest
//    key); either way the node is zero-filled and written.
// Separators stay upper bounds of their subtrees throughout, so that every seek stays right.

#include <cstring>

#include "xbase/index/ovndxInternal.h"

namespace xbase {

using namespace ndx;

namespace {

// The node at `level` of the path has a new largest key: the first parent entry above it that
// is not a trailing child takes it as its separator.
void RepairSeparators(OrderDescriptor& order, std::size_t level, const KeyBytes& key) {
  const std::uint16_t entrySize = order.Header.EntrySize;
  while (level > 0) {
    PathLevel& parent = order.Path.Levels[--level];
    std::uint8_t* image = parent.Image.data();
    if (parent.Position < NodeCount(image)) {
      std::memcpy(EntryKey(EntryAt(image, parent.Position, entrySize)), key.data(), order.KeyLength());
      SeekAndWrite(order, parent.Node, image);
      return;
    }
  }
}

void ZeroAndWrite(OrderDescriptor& order, PathLevel& level) {
  level.Image.fill(0);
  SeekAndWrite(order, level.Node, level.Image.data());
}

// The last key is gone: root 1, next free 2, an empty node 1.
void ResetIndex(OrderDescriptor& order) {
  order.Header.Root = 1;
  order.Header.NextFree = 2;
  order.HeaderDirty = true;
  NodeImage empty{};
  SeekAndWrite(order, 1, empty.data());
}

// Removes the cursor's entry and whatever that leaves empty above it.
void RemoveAtCursor(OrderDescriptor& order) {
  const std::uint16_t entrySize = order.Header.EntrySize;
  std::size_t level = order.Path.Depth - 1;
  {
    PathLevel& leaf = order.Path.Levels[level];
    std::uint8_t* image = leaf.Image.data();
    const int count = NodeCount(image);
    const int position = leaf.Position;
    if (count > 1) {
      std::memmove(EntryAt(image, position, entrySize), EntryAt(image, position + 1, entrySize),
                   static_cast<std::size_t>(count - position - 1) * entrySize);
      SetNodeCount(image, count - 1);
      SeekAndWrite(order, leaf.Node, image);
      if (position == count - 1) {
        KeyBytes last;
        CopyKey(order, EntryKey(EntryAt(image, count - 2, entrySize)), last);
        RepairSeparators(order, level, last);
      }
      return;
    }
    ZeroAndWrite(order, leaf);
    if (level == 0) {
      ResetIndex(order);
      return;
    }
  }
  // The pointer to an emptied child goes from its parent.
  PathLevel& here = order.Path.Levels[--level];
  std::uint8_t* image = here.Image.data();
  const int count = NodeCount(image);
  const int position = here.Position;
  KeyBytes dropped;
  if (position < count) {
    std::memmove(EntryAt(image, position, entrySize), EntryAt(image, position + 1, entrySize),
                 static_cast<std::size_t>(count - position - 1) * entrySize + 4);
  } else {
    // The last entry's child, in the place of a trailing child already, becomes it.
    CopyKey(order, EntryKey(EntryAt(image, count - 1, entrySize)), dropped);
  }
  SetNodeCount(image, count - 1);
  if (count - 1 > 0) {
    SeekAndWrite(order, here.Node, image);
    if (position == count) RepairSeparators(order, level, dropped);
    return;
  }
  const std::uint32_t only = ChildAt(image, 0, entrySize);
  ZeroAndWrite(order, here);
  if (level == 0) {
    order.Header.Root = only;
    order.HeaderDirty = true;
    return;
  }
  PathLevel& parent = order.Path.Levels[level - 1];
  SetChildAt(parent.Image.data(), parent.Position, entrySize, only);
  KeyBytes largest;
  MaxKeyBelow(order, only, largest);
  if (parent.Position < NodeCount(parent.Image.data())) {
    std::memcpy(EntryKey(EntryAt(parent.Image.data(), parent.Position, entrySize)), largest.data(),
                order.KeyLength());
    SeekAndWrite(order, parent.Node, parent.Image.data());
  } else {
    SeekAndWrite(order, parent.Node, parent.Image.data());
    RepairSeparators(order, level - 1, largest);
  }
}

int Remove(OrderDescriptor& order, std::uint8_t slot, const KeyBytes& key) {
  Restore<std::uint8_t> active(ActiveOrder, slot);
  SeekKey(order, key);
  if (IndexFound == 0) return -1;
  // Among equal keys, the target's entry.
  while (CursorRecord(order) != DeleteTarget && StepForward(order) &&
         SameKey(order, CursorKey(order), key.data())) {
  }
  if (order.AtEof || CursorRecord(order) != DeleteTarget ||
      !SameKey(order, CursorKey(order), key.data()))
    return order.Unique() ? 0 : -1;
  RemoveAtCursor(order);
  if (order.HeaderDirty) WriteHeaderBlock(order);
  order.Path.Owner = 0;
  return 0;
}

}  // namespace

int DeleteKey(const KeyBytes& key, std::uint8_t slot) {
  OrderDescriptor* order = OrderInSlot(slot);
  if (order == nullptr) return -1;
  return ChangeKeys(*order, [&] { return Remove(*order, slot, key); });
}

}  // namespace xbase
