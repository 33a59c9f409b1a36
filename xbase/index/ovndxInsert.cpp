// Inserting a key into an order: into its leaf, splitting full nodes on the way up and the root
// last, with the separators of the parents kept right.
//
// A split keeps the first count - count div 2 entries in the node and moves the rest (with an
// interior node's trailing child) into a new node from next free; an interior node then gives
// up its last entry, whose child becomes its trailing child. The pending entry (the new key, or
// the separator coming up from below) joins the half it belongs to, and the parent learns the
// largest key of the node that split, followed by the new node.
//
// The writes are ordered so that a program killed between any two of them loses no key that
// was there before: first every new node, then the node that leads to them (the parent with
// room, or a new root and the header that names it), then the shortened halves from the top
// down. Until its shortened image is written a node still holds all its old entries, so a key
// that moved to a new node is found through either. The header with the table's count comes
// last: until then its stamp lags, or says ChangingStamp, and the next program rebuilds.

#include <array>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "xbase/index/ovndxInternal.h"

namespace xbase {

using namespace ndx;

namespace {

// Room for one more entry (and the trailing child of an interior node).
bool HasRoom(const OrderDescriptor& order, const std::uint8_t* image) {
  return NodeCount(image) < order.Header.KeysPerNode;
}

void InsertLeafEntry(const OrderDescriptor& order, std::uint8_t* image, int position,
                     RecordNumber record, const KeyBytes& key) {
  const std::uint16_t entrySize = order.Header.EntrySize;
  const int count = NodeCount(image);
  std::memmove(EntryAt(image, position + 1, entrySize), EntryAt(image, position, entrySize),
               static_cast<std::size_t>(count - position) * entrySize);
  PutEntry(EntryAt(image, position, entrySize), 0, record, key.data(), order.KeyLength(), entrySize);
  SetNodeCount(image, count + 1);
}

// The child at `position` split into `left` and `right`: an entry (left, separator) goes in at
// the position and the pointer after it leads to `right`.
void InsertSeparator(const OrderDescriptor& order, std::uint8_t* image, int position,
                     const KeyBytes& separator, std::uint32_t left, std::uint32_t right) {
  const std::uint16_t entrySize = order.Header.EntrySize;
  const int count = NodeCount(image);
  std::memmove(EntryAt(image, position + 1, entrySize), EntryAt(image, position, entrySize),
               static_cast<std::size_t>(count - position) * entrySize + 4);
  PutEntry(EntryAt(image, position, entrySize), left, 0, separator.data(), order.KeyLength(), entrySize);
  SetNodeCount(image, count + 1);
  SetChildAt(image, position + 1, entrySize, right);
}

// The shortened halves of the nodes that split, leaf first, waiting for their parents' write.
class ShortenedNodes {
 public:
  void Add(std::uint32_t node, std::uint8_t* image) { nodes_[count_++] = {node, image}; }
  void WriteFromTheTop(OrderDescriptor& order) {
    while (count_ > 0) {
      const auto& [node, image] = nodes_[--count_];
      SeekAndWrite(order, node, image);
    }
  }

 private:
  // A tree of 2^32 keys is at most 33 levels deep.
  std::array<std::pair<std::uint32_t, std::uint8_t*>, 64> nodes_{};
  std::size_t count_ = 0;
};

// The new nodes through which the way from the root to the new entry goes. The path takes them
// once every write is done: until then the separators are read through the path's old halves.
class NewNodesOnTheWay {
 public:
  void Add(std::size_t level, std::uint32_t node, const NodeImage& image, int position) {
    levels_.push_back({level, {node, position, image}});
  }
  // A new root above the path.
  void AddRoot(std::uint32_t node, const NodeImage& image, int position) { root_ = PathLevel{node, position, image}; }
  void SeatPath(PathStack& path) const {
    for (const auto& [level, node] : levels_) path.Levels[level] = node;
    if (root_) {
      // The levels beyond the path's depth, kept from earlier descents, go one deeper too.
      path.Levels.insert(path.Levels.begin(), *root_);
      ++path.Depth;
    }
  }

 private:
  std::vector<std::pair<std::size_t, PathLevel>> levels_;
  std::optional<PathLevel> root_;
};

// Inserts (key, record) at the cursor of a seek for insertion, and leaves the path on the new
// entry: at each level that split, in the half that leads to it.
void InsertAtCursor(OrderDescriptor& order, const KeyBytes& key, RecordNumber record) {
  const std::uint16_t entrySize = order.Header.EntrySize;
  std::size_t level = order.Path.Depth - 1;
  const std::size_t leafLevel = level;
  int position = order.Path.Levels[level].Position;
  KeyBytes separator{};
  std::uint32_t left = 0, right = 0;
  // The new entry went into the new node of the level below.
  bool belowInNewNode = false;
  // Puts the pending entry into an image at a position.
  const auto place = [&](std::uint8_t* image, int at, bool leaf) {
    if (leaf)
      InsertLeafEntry(order, image, at, record, key);
    else
      InsertSeparator(order, image, at, separator, left, right);
  };
  ShortenedNodes shortened;
  NewNodesOnTheWay way;
  while (true) {
    PathLevel& here = order.Path.Levels[level];
    std::uint8_t* image = here.Image.data();
    const bool leaf = level == leafLevel;
    // The way to the new entry here: the entry itself, or the child on either side of the
    // separator.
    const int onTheWay = position + (belowInNewNode ? 1 : 0);
    if (HasRoom(order, image)) {
      place(image, position, leaf);
      here.Position = onTheWay;
      SeekAndWrite(order, here.Node, image);
      shortened.WriteFromTheTop(order);
      way.SeatPath(order.Path);
      return;
    }
    const int count = NodeCount(image);
    const int kept = count - count / 2;
    const std::uint32_t newNode = AllocateNode(order);
    NodeImage split{};
    std::memcpy(EntryAt(split.data(), 0, entrySize), EntryAt(image, kept, entrySize),
                static_cast<std::size_t>(count - kept) * entrySize + (leaf ? 0 : 4));
    SetNodeCount(split.data(), count - kept);
    // An interior node's last kept entry gives up its key: its child, already in the place of
    // a trailing child, becomes the trailing child.
    SetNodeCount(image, leaf ? kept : kept - 1);
    belowInNewNode = position >= kept;
    if (belowInNewNode) {
      place(split.data(), position - kept, leaf);
      way.Add(level, newNode, split, onTheWay - kept);
    } else {
      place(image, position, leaf);
      here.Position = onTheWay;
    }
    // The separator below reads the kept half through the cache and the path.
    StageNode(order, here.Node, image);
    shortened.Add(here.Node, image);
    WriteNewNode(order, newNode, split.data());

    const int remaining = NodeCount(image);
    if (leaf)
      CopyKey(order, EntryKey(EntryAt(image, remaining - 1, entrySize)), separator);
    else
      MaxKeyBelow(order, ChildAt(image, remaining, entrySize), separator);
    left = here.Node;
    right = newNode;
    if (level == 0) {
      const std::uint32_t root = AllocateNode(order);
      NodeImage rootImage{};
      SetNodeCount(rootImage.data(), 1);
      PutEntry(EntryAt(rootImage.data(), 0, entrySize), left, 0, separator.data(), order.KeyLength(),
               entrySize);
      SetChildAt(rootImage.data(), 1, entrySize, right);
      order.Header.Root = root;
      WriteNewNode(order, root, rootImage.data());
      {
        // The old root is shortened only once the header leads through the new one.
        Restore<bool> changing(order.ChangeInProgress, true);
        WriteHeaderBlock(order);
      }
      shortened.WriteFromTheTop(order);
      way.AddRoot(root, rootImage, belowInNewNode ? 1 : 0);
      way.SeatPath(order.Path);
      return;
    }
    --level;
    position = order.Path.Levels[level].Position;
  }
}

int Insert(OrderDescriptor& order, std::uint8_t slot, const KeyBytes& key) {
  WorkAreaRecord& table = *WorkArea(order.AreaNumber);
  const RecordNumber record = table.RecNo;
  Restore<std::uint8_t> active(ActiveOrder, slot);
  if (order.Unique()) {
    SeekKey(order, key);
    if (IndexFound != 0) {
      // No entry, but the stamp keeps up with the table, which has the record.
      if (!order.ChangeInProgress) WriteHeaderBlock(order);
      GoAndSync(record);
      return 0;
    }
  }
  SeekKey(order, key, true);
  InsertAtCursor(order, key, record);
  order.HeaderDirty = true;
  // A replaced key writes the header when the whole change is done.
  if (!order.ChangeInProgress) WriteHeaderBlock(order);
  // The controlling order stands on the new entry; the others keep their own cursors.
  order.AtBof = order.AtEof = false;
  if (slot != 1) order.Path.Owner = 0;
  return 0;
}

}  // namespace

int AppendIndex(const KeyBytes& key, std::uint8_t slot) {
  OrderDescriptor* order = OrderInSlot(slot);
  if (order == nullptr) return -1;
  return ChangeKeys(*order, [&] { return Insert(*order, slot, key); });
}

}  // namespace xbase
