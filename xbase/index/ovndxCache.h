#pragma once
// The node cache of a work area's controlling order: CacheSize div 512 slots, each a node
// number and a 512-byte buffer of one block. Buffers are handed to slots in slot order as the
// slots are first used. A hit moves its slot one place towards the front, so that nodes used
// often gather there; a miss takes the first unused slot, or else reuses the last one. Beside
// the slots, a table indexed by node number finds a node's slot at once; node numbers are dense
// and bounded by the file's size, since only nodes read from it are cached.
//
// Images in the cache are those on disk: the engine writes every change at once and refreshes
// the cached copy with it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace xbase {

inline constexpr std::uint32_t MinNodeCacheSize = 2048;

// The size a cache of `size` bytes gets: rounded down to a multiple of 512, at least 2048.
std::uint32_t RoundedNodeCacheSize(std::uint32_t size);

class NodeCache {
 public:
  // A cache of `size` bytes, as RoundedNodeCacheSize gives them; raises std::bad_alloc.
  explicit NodeCache(std::uint32_t size);

  std::uint32_t Size() const { return static_cast<std::uint32_t>(slots_.size() * kNodeBytes); }
  std::size_t SlotCount() const { return slots_.size(); }

  // The buffer holding the node, its slot moved one place forward; null when it is not here.
  std::uint8_t* Find(std::uint32_t node);

  // Keeps the image of a node that is not here: in the first unused slot, else in the last one.
  void Store(std::uint32_t node, const std::uint8_t* image);

  // The cached copy of a node, when there is one, becomes the image.
  void Refresh(std::uint32_t node, const std::uint8_t* image);

  // Every slot unused.
  void Reset();

  // The node numbers of the used slots, front first (for tests).
  std::vector<std::uint32_t> Nodes() const;

 private:
  static constexpr std::size_t kNodeBytes = 512;

  struct Slot {
    std::uint32_t node = 0;
    std::uint8_t* buffer = nullptr;
  };

  // The slot of a node, 0 for none.
  std::uint32_t& SlotOf(std::uint32_t node) { return slotPlusOne_[node]; }
  bool Holds(std::uint32_t node) const { return node < slotPlusOne_.size() && slotPlusOne_[node] != 0; }

  std::unique_ptr<std::uint8_t[]> block_;
  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  std::vector<std::uint32_t> slotPlusOne_;  // by node number: its slot + 1, 0 when not cached
};

}  // namespace xbase
