#pragma once
// The node cache of a work area's controlling order: CacheSize div 512 slots, each a node
// number and a 512-byte buffer of one block. Buffers are handed to slots in slot order as the
// slots are first used. A hit moves its slot one place towards the front, so that nodes used
// often gather there; a miss takes the first unused slot, or else reuses the last one. A
// buffer travels with its node when slots change places, so the slots keep only node numbers;
// a table indexed by node number holds each cached node's slot and buffer, and finds a node at
// once. Node numbers are dense and bounded by the file's size, since only nodes read from it
// are cached.
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
  bool Holds(std::uint32_t node) const { return node < places_.size() && places_[node].slotPlusOne != 0; }

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

  // Where a node is kept: its slot + 1 (0 when it is not cached) and its buffer's number.
  struct Place {
    std::uint32_t slotPlusOne = 0;
    std::uint32_t buffer = 0;
  };

  std::uint8_t* Buffer(const Place& place) { return block_.get() + std::size_t{place.buffer} * kNodeBytes; }

  std::unique_ptr<std::uint8_t[]> block_;
  std::vector<std::uint32_t> slots_;  // the node of each slot, front first
  std::size_t used_ = 0;
  std::vector<Place> places_;  // by node number
};

}  // namespace xbase
