#include "xbase/index/ovndxCache.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "xbase/index/ovndxFormat.h"

namespace xbase {

std::uint32_t RoundedNodeCacheSize(std::uint32_t size) {
  return std::max<std::uint32_t>(size / NodeSize * NodeSize, MinNodeCacheSize);
}

NodeCache::NodeCache(std::uint32_t size) : block_(size, 0), slots_(size / NodeSize) {
  slotOf_.reserve(slots_.size());
}

std::uint8_t* NodeCache::Find(std::uint32_t node) {
  const auto found = slotOf_.find(node);
  if (found == slotOf_.end()) return nullptr;
  std::size_t& k = found->second;
  if (k > 0) {
    std::swap(slots_[k], slots_[k - 1]);
    slotOf_[slots_[k].node] = k;
    --k;
  }
  return slots_[k].buffer;
}

std::uint8_t* NodeCache::Claim(std::uint32_t node) {
  std::size_t k;
  if (used_ < slots_.size()) {
    k = used_++;
    slots_[k].buffer = block_.data() + k * NodeSize;
  } else {
    k = slots_.size() - 1;
    slotOf_.erase(slots_[k].node);
  }
  slots_[k].node = node;
  slotOf_[node] = k;
  return slots_[k].buffer;
}

void NodeCache::Forget(std::uint32_t node) {
  const auto found = slotOf_.find(node);
  if (found == slotOf_.end()) return;
  // The slot keeps its buffer under a node number that no file holds.
  slots_[found->second].node = 0;
  slotOf_.erase(found);
}

void NodeCache::Refresh(std::uint32_t node, const std::uint8_t* image) {
  const auto found = slotOf_.find(node);
  if (found != slotOf_.end()) std::memcpy(slots_[found->second].buffer, image, NodeSize);
}

void NodeCache::Reset() {
  used_ = 0;
  slotOf_.clear();
}

std::vector<std::uint32_t> NodeCache::Nodes() const {
  std::vector<std::uint32_t> nodes;
  for (std::size_t k = 0; k < used_; ++k) nodes.push_back(slots_[k].node);
  return nodes;
}

}  // namespace xbase
