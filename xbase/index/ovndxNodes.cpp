// Node input and output of the index engine: reading a node through the node cache, the path
// or the file, checking it, writing a changed node through to the file and every copy, the
// paths of the orders, the header block and the node cache's settings.

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "xbase/core/ovcommon.h"
#include "xbase/index/ovndxCache.h"
#include "xbase/index/ovndxInternal.h"

namespace xbase {
namespace ndx {

namespace {

std::string Corrupted(const OrderDescriptor& order, std::uint32_t node, const std::string& what,
                      const char* routine = "GetNode") {
  return "Index file corrupted: node " + std::to_string(node) + " " + what + ". " + order.FileName + " [" +
         routine + "]";
}

// The order stands in slot 1 of its area and the area has a node cache.
NodeCache* CacheOf(const OrderDescriptor& order) {
  AreaIndex& area = AreaIndexOf(order.AreaNumber);
  return area.OrderTable[0].get() == &order ? area.Cache.get() : nullptr;
}

// The node's image from the order's path, when the node is on it, else from the file; the
// modified mark cleared.
void SeekAndRead(OrderDescriptor& order, std::uint32_t node, std::uint8_t* buffer) {
  const PathStack& path = order.Path;
  for (std::size_t level = path.Depth; level-- > 0;) {
    if (path.Levels[level].Node == node) {
      std::memcpy(buffer, path.Levels[level].Image.data(), NodeSize);
      return;
    }
  }
  const platform::os::Transfer read =
      order.IndexFile.ReadAt(std::uint64_t{node} * NodeSize, buffer, NodeSize);
  if (read.code != 0 || read.count != NodeSize)
    Fail(read.code != 0 ? read.code : 100, "Error reading index file: " + order.FileName + " [SeekAndRead]");
  ClearNodeModified(buffer);
}

// Whether a node past next free is in the file after all, in an index other programs write: a
// program that died in a split leaves the new node, and the parent that leads to it, without
// the header that counts it. Next free follows the header as written since, and the file.
bool NodeWrittenSince(OrderDescriptor& order, std::uint32_t node) {
  if (AreaIndexOf(order.AreaNumber).Semaphore == nullptr) return false;
  std::uint8_t image[HeaderImageSize];
  const platform::os::Transfer read = order.IndexFile.ReadAt(0, image, sizeof image);
  if (read.code == 0 && read.count == sizeof image)
    order.Header.NextFree = std::max(order.Header.NextFree, DecodeIndexHeader(image).NextFree);
  std::uint64_t size = 0;
  if (node >= order.Header.NextFree && order.IndexFile.Size(size) == 0 && size >= (std::uint64_t{node} + 1) * NodeSize)
    order.Header.NextFree = static_cast<std::uint32_t>(size / NodeSize);
  return node < order.Header.NextFree;
}

void CheckNode(const OrderDescriptor& order, std::uint32_t node, const std::uint8_t* image,
               bool isRoot) {
  const int count = NodeCount(image);
  if (count < 0 || count > order.Header.KeysPerNode)
    Fail(254, Corrupted(order, node, "holds " + std::to_string(count) + " keys"));
  if (count == 0 && !isRoot) Fail(254, Corrupted(order, node, "below the root is empty"));
}

}  // namespace

[[noreturn]] void Fail(std::uint16_t code, const std::string& message) {
  SetError(code, message);
  throw OperationFailed{};
}

const std::uint8_t* FetchNode(OrderDescriptor& order, std::uint32_t node, bool isRoot) {
  if (node == 0)
    Fail(254, "Invalid Node Number (0) in DBF Area " + std::to_string(order.AreaNumber) + ", Order " +
                  std::to_string(order.OrderNumber) + " " + order.FileName + " [GetNode]");
  if (node >= order.Header.NextFree && !NodeWrittenSince(order, node))
    Fail(254, Corrupted(order, node, "is past the last node " + std::to_string(order.Header.NextFree - 1)));
  NodeCache* cache = CacheOf(order);
  const std::uint8_t* image = cache != nullptr ? cache->Find(node) : nullptr;
  if (image == nullptr) {
    SeekAndRead(order, node, order.NodeBuffer.data());
    image = order.NodeBuffer.data();
    if (cache != nullptr) cache->Store(node, image);
  }
  CheckNode(order, node, image, isRoot);
  return image;
}

void StageNode(OrderDescriptor& order, std::uint32_t node, std::uint8_t* image) {
  ClearNodeModified(image);
  ZeroNodeTail(image, order.Header.EntrySize, !IsLeafNode(image));
  if (NodeCache* cache = CacheOf(order)) cache->Refresh(node, image);
  // Levels below the path's depth are kept too: the next descent takes them again.
  for (PathLevel& copy : order.Path.Levels) {
    if (copy.Node == node && copy.Image.data() != image) std::memcpy(copy.Image.data(), image, NodeSize);
  }
}

void SeekAndWrite(OrderDescriptor& order, std::uint32_t node, std::uint8_t* image) {
  StageNode(order, node, image);
  const platform::os::Transfer written =
      order.IndexFile.WriteAt(std::uint64_t{node} * NodeSize, image, NodeSize);
  if (written.code != 0 || written.count != NodeSize)
    Fail(written.code != 0 ? written.code : 101, "Error writing index file: " + order.FileName + " [SeekAndWrite]");
  order.FileBytesKnown = std::max(order.FileBytesKnown, (std::uint64_t{node} + 1) * NodeSize);
}

void WriteNewNode(OrderDescriptor& order, std::uint32_t node, std::uint8_t* image) {
  SeekAndWrite(order, node, image);
  if (NodeCache* cache = CacheOf(order); cache != nullptr && !cache->Holds(node)) cache->Store(node, image);
}

std::uint32_t ChildNode(OrderDescriptor& order, const std::uint8_t* image,
                        std::uint32_t nodeNumber, int position) {
  const std::uint32_t child = ChildAt(image, position, order.Header.EntrySize);
  if (child == 0 || (child >= order.Header.NextFree && !NodeWrittenSince(order, child)))
    Fail(254, Corrupted(order, nodeNumber, "points to node " + std::to_string(child)));
  return child;
}

void ResetPath(OrderDescriptor& order) {
  order.Path.Owner = order.Id;
  order.Path.Depth = 0;
}

void ForgetPath(OrderDescriptor& order) {
  order.Path.Depth = 0;
  order.Path.Owner = 0;
  for (PathLevel& level : order.Path.Levels) level.Node = 0;
}

void ForgetNodes(OrderDescriptor& order) {
  ForgetPath(order);
  if (NodeCache* cache = CacheOf(order)) cache->Reset();
}

PathLevel& PushNode(OrderDescriptor& order, std::uint32_t node) {
  PathStack& path = order.Path;
  for (std::size_t level = 0; level < path.Depth; ++level) {
    if (path.Levels[level].Node == node)
      Fail(254, Corrupted(order, path.Levels[path.Depth - 1].Node,
                          "leads back to node " + std::to_string(node)));
  }
  // The level still holds this node from the last descent: its image is the node as it is,
  // since every write of this program refreshes it and another program's empties the path.
  if (path.Depth < path.Levels.size() && path.Levels[path.Depth].Node == node) {
    PathLevel& level = path.Levels[path.Depth++];
    level.Position = 0;
    return level;
  }
  const std::uint8_t* image = FetchNode(order, node, path.Depth == 0);
  if (path.Levels.size() <= path.Depth) {
    try {
      path.Levels.emplace_back();
    } catch (const std::bad_alloc&) {
      Fail(217, " [add_path (InternalIndexFunction)]");
    }
  }
  PathLevel& level = path.Levels[path.Depth++];
  level.Node = node;
  level.Position = 0;
  std::memcpy(level.Image.data(), image, NodeSize);
  return level;
}

std::uint32_t AllocateNode(OrderDescriptor& order) {
  if (order.Header.NextFree == std::numeric_limits<std::uint32_t>::max())
    Fail(254, "Index file full: " + order.FileName + " [AppendIndex]");
  // Every node below next free is in the file: a next free past its end is corrupt, and a node
  // written there would leave a hole up to it. Nodes past next free are a dead program's, that
  // a parent may lead to already: the new node goes after them. The file is asked only when the
  // nodes written since do not show it (FileBytesKnown is forgotten when other programs write).
  if (std::uint64_t{order.Header.NextFree} * NodeSize > order.FileBytesKnown) {
    if (const std::uint16_t code = order.IndexFile.Size(order.FileBytesKnown))
      Fail(code, "Error reading index file: " + order.FileName + " [SeekAndRead]");
    const std::uint64_t nodesInFile = (order.FileBytesKnown + NodeSize - 1) / NodeSize;
    if (order.Header.NextFree > nodesInFile)
      Fail(254, Corrupted(order, order.Header.NextFree, "is next free, past the end of the file", "AppendIndex"));
    if (nodesInFile > order.Header.NextFree && nodesInFile < std::numeric_limits<std::uint32_t>::max())
      order.Header.NextFree = static_cast<std::uint32_t>(nodesInFile);
  }
  order.HeaderDirty = true;
  return order.Header.NextFree++;
}

const std::uint8_t* CursorEntry(const OrderDescriptor& order) {
  if (order.OnEmptyCursor || order.Path.Depth == 0) return EmptyCursorNode.data();
  const PathLevel& top = order.Path.Levels[order.Path.Depth - 1];
  if (top.Position >= NodeCount(top.Image.data())) return EmptyCursorNode.data();
  return EntryAt(top.Image.data(), top.Position, order.Header.EntrySize);
}

bool SameKey(const OrderDescriptor& order, const std::uint8_t* a, const std::uint8_t* b) {
  if (order.Comparator == CompareCharKey) return CompareCharBytes(a, b, order.KeyLength()) == 0;
  return order.Comparator(a, b, order.KeyLength()) == 0;
}

void CopyKey(const OrderDescriptor& order, const std::uint8_t* from, KeyBytes& to) {
  std::memcpy(to.data(), from, order.KeyLength());
  std::memset(to.data() + order.KeyLength(), 0, to.size() - order.KeyLength());
}

void WriteHeaderBlock(OrderDescriptor& order) {
  EncodeIndexHeader(order.Header, order.AnchorBlock.data());
  if (order.ChangeInProgress || order.NeedsRebuild)
    PutIndexStamp(order.AnchorBlock.data(), ChangingStamp);
  else if (const WorkAreaRecord* table = WorkArea(order.AreaNumber))
    PutIndexStamp(order.AnchorBlock.data(), table->RecordCount);
  const platform::os::Transfer written = order.IndexFile.WriteAt(0, order.AnchorBlock.data(), NodeSize);
  if (written.code != 0 || written.count != NodeSize)
    Fail(written.code != 0 ? written.code : 101,
         "Error writing index file:  " + order.FileName + " [WriteAnchorNode]");
  order.HeaderDirty = false;
  if (FlushAfterHeaderWrite) order.IndexFile.Sync();
}

bool StampShowsMissingKeys(std::int64_t stamp, RecordNumber recordCount) {
  return stamp == ChangingStamp || (stamp >= 0 && stamp != recordCount);
}

void ReadHeaderImages() {
  const WorkAreaRecord* table = CurrentTable();
  for (std::uint8_t slot = 1; slot <= MaxOrders; ++slot) {
    OrderDescriptor* order = OrderInSlot(slot);
    if (order == nullptr) continue;
    NodeImage block;
    const platform::os::Transfer read = order->IndexFile.ReadAt(0, block.data(), NodeSize);
    const IndexHeader header = DecodeIndexHeader(block.data());
    if (read.code != 0 || read.count != NodeSize || !IndexHeaderIsUsable(header))
      Fail(read.code != 0 ? read.code : 222,
           "Error reading index file:  " + order->FileName + " [ReadAnchorNodes]");
    order->Header.Root = header.Root;
    order->Header.NextFree = header.NextFree;
    // Read between writes, the stamp is the table's count, unless a program died in a change or
    // wrote records without the index: the file then keeps the changing stamp until rebuilt.
    if (table != nullptr && StampShowsMissingKeys(IndexStamp(block.data()), table->RecordCount))
      order->NeedsRebuild = true;
    order->FileBytesKnown = 0;
    ForgetPath(*order);
  }
  ResetNodeCache();
}

}  // namespace ndx

void WriteAnchorNode(OrderDescriptor& order) {
  ndx::Guarded([&] { ndx::WriteHeaderBlock(order); });
}

void ReadAnchorNodes() { ndx::Guarded(ndx::ReadHeaderImages); }

void SetNodeCacheSize(std::uint32_t size) {
  AreaIndex& area = AreaIndexOf(CurrentWorkArea);
  if (area.OrderTable[0] == nullptr) return;
  if (size == 0 || NoIndexCache) {
    area.Cache.reset();
    return;
  }
  const std::uint32_t rounded = RoundedNodeCacheSize(size);
  if (area.Cache != nullptr && area.Cache->Size() == rounded) return;
  area.Cache.reset();
  try {
    area.Cache = std::make_unique<NodeCache>(rounded);
  } catch (const std::bad_alloc&) {
  }
}

std::uint32_t NodeCacheSize() {
  const AreaIndex& area = AreaIndexOf(CurrentWorkArea);
  return area.Cache != nullptr ? area.Cache->Size() : 0;
}

void ResetNodeCache() {
  if (NodeCache* cache = AreaIndexOf(CurrentWorkArea).Cache.get()) cache->Reset();
}

}  // namespace xbase
