#include "xbase/index/ovndxCache.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "xbase/index/ovndxFormat.h"

namespace xbase {

std::uint32_t RoundedNodeCacheSize(std::uint32_t size) {
  return std::max<std::uint32_t>(size / NodeSize * NodeSize, MinNodeCacheSize);
}

// The buffers are filled before they are read, so the block needs no zeroing.
NodeCache::NodeCache(std::uint32_t size) : block_(new std::uint8_t[size]), slots_(size / NodeSize) {}

std::uint8_t* NodeCache::Find(std::uint32_t node) {
  if (!Holds(node)) return nullptr;
  std::uint32_t& slot = SlotOf(node);
  std::size_t k = slot - 1;
  if (k > 0) {
    std::swap(slots_[k], slots_[k - 1]);
    SlotOf(slots_[k].node) = static_cast<std::uint32_t>(k + 1);
    slot = static_cast<std::uint32_t>(k--);
  }
  return slots_[k].buffer;
}

void NodeCache::Store(std::uint32_t node, const std::uint8_t* image) {
  std::size_t k;
  if (used_ < slots_.size()) {
    k = used_++;
    slots_[k].buffer = block_.get() + k * NodeSize;
  } else {
    k = slots_.size() - 1;
    SlotOf(slots_[k].node) = 0;
  }
  if (node >= slotPlusOne_.size()) slotPlusOne_.resize(std::max<std::size_t>(node + 1, slotPlusOne_.size() * 2), 0);
  slots_[k].node = node;
  SlotOf(node) = static_cast<std::uint32_t>(k + 1);
  std::memcpy(slots_[k].buffer, image, NodeSize);
}

void NodeCache::Refresh(std::uint32_t node, const std::uint8_t* image) {
  if (Holds(node)) std::memcpy(slots_[SlotOf(node) - 1].buffer, image, NodeSize);
}

void NodeCache::Reset() {
  used_ = 0;
  std::fill(slotPlusOne_.begin(), slotPlusOne_.end(), 0);
}

std::vector<std::uint32_t> NodeCache::Nodes() const {
  std::vector<std::uint32_t> nodes;
  for (std::size_t k = 0; k < used_; ++k) nodes.push_back(slots_[k].node);
  return nodes;
}

}  // namespace xbase
