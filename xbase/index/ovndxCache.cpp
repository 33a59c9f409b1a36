#include "xbase/index/ovndxCache.h"

#include <algorithm>
#include <cstring>

#include "xbase/index/ovndxFormat.h"

namespace xbase {

std::uint32_t RoundedNodeCacheSize(std::uint32_t size) {
  return std::max<std::uint32_t>(size / NodeSize * NodeSize, MinNodeCacheSize);
}

// The buffers are filled before they are read, so the block needs no zeroing.
NodeCache::NodeCache(std::uint32_t size) : block_(new std::uint8_t[size]), slots_(size / NodeSize) {}

std::uint8_t* NodeCache::Find(std::uint32_t node) {
  if (!Holds(node)) return nullptr;
  Place& place = places_[node];
  const std::size_t k = place.slotPlusOne - 1;
  if (k > 0) {
    const std::uint32_t ahead = slots_[k - 1];
    slots_[k - 1] = node;
    slots_[k] = ahead;
    places_[ahead].slotPlusOne = static_cast<std::uint32_t>(k + 1);
    place.slotPlusOne = static_cast<std::uint32_t>(k);
  }
  return Buffer(place);
}

void NodeCache::Store(std::uint32_t node, const std::uint8_t* image) {
  std::size_t k;
  std::uint32_t buffer;
  if (used_ < slots_.size()) {
    k = used_++;
    buffer = static_cast<std::uint32_t>(k);
  } else {
    k = slots_.size() - 1;
    Place& evicted = places_[slots_[k]];
    evicted.slotPlusOne = 0;
    buffer = evicted.buffer;
  }
  if (node >= places_.size()) places_.resize(std::max<std::size_t>(node + 1, places_.size() * 2));
  slots_[k] = node;
  Place& place = places_[node];
  place = {static_cast<std::uint32_t>(k + 1), buffer};
  std::memcpy(Buffer(place), image, NodeSize);
}

void NodeCache::Refresh(std::uint32_t node, const std::uint8_t* image) {
  if (Holds(node)) std::memcpy(Buffer(places_[node]), image, NodeSize);
}

void NodeCache::Reset() {
  used_ = 0;
  std::fill(places_.begin(), places_.end(), Place{});
}

std::vector<std::uint32_t> NodeCache::Nodes() const {
  return {slots_.begin(), slots_.begin() + static_cast<std::ptrdiff_t>(used_)};
}

}  // namespace xbase
