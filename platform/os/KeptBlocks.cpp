#include "platform/os/KeptBlocks.h"

#include <algorithm>
#include <cstring>

namespace platform::os {

void KeptBlocks::Lay(std::uint64_t base, std::size_t blockLength, std::size_t blocks) {
  if (blockLength == 0 || blocks == 0) {
    if (!held_.empty()) Clear();
    return;
  }
  if (base == base_ && blockLength == blockLength_ && blocks == held_.size()) return;
  if (base != base_ || blockLength != blockLength_ || blocks < held_.size()) Clear();
  if (bytes_ != nullptr) {  // more room: the blocks kept move along
    std::unique_ptr<std::uint8_t[]> room(new std::uint8_t[blocks * blockLength]);
    std::memcpy(room.get(), bytes_.get(), held_.size() * blockLength);
    bytes_ = std::move(room);
  }
  held_.resize(blocks, 0);
  base_ = base;
  blockLength_ = blockLength;
}

void KeptBlocks::Keep(std::uint64_t offset, const std::uint8_t* bytes, std::size_t length) {
  if (held_.empty() || offset + length < base_ + blockLength_) return;
  const std::uint64_t from = std::max(offset, base_) - base_;
  // From the first block that starts inside to the last that ends inside.
  const std::uint64_t first = (from + blockLength_ - 1) / blockLength_;
  const std::uint64_t end =
      std::min<std::uint64_t>((offset + length - base_) / blockLength_, held_.size());
  if (first >= end) return;
  if (bytes_ == nullptr) bytes_.reset(new std::uint8_t[held_.size() * blockLength_]);
  const std::uint64_t start = base_ + first * blockLength_;
  std::memcpy(bytes_.get() + first * blockLength_, bytes + (start - offset),
              (end - first) * blockLength_);
  std::fill(held_.begin() + static_cast<std::ptrdiff_t>(first),
            held_.begin() + static_cast<std::ptrdiff_t>(end), 1);
}

void KeptBlocks::Update(std::uint64_t offset, const std::uint8_t* bytes, std::size_t length) {
  const std::uint64_t to = offset + length;
  if (held_.empty() || to <= base_ || length == 0) return;
  const std::uint64_t first = (std::max(offset, base_) - base_) / blockLength_;
  const std::uint64_t end =
      std::min<std::uint64_t>((to - 1 - base_) / blockLength_ + 1, held_.size());
  for (std::uint64_t block = first; block < end; ++block) {
    if (held_[block] == 0) continue;
    const std::uint64_t start = base_ + block * blockLength_;
    const std::uint64_t a = std::max(offset, start);
    const std::uint64_t b = std::min(to, start + blockLength_);
    std::memcpy(bytes_.get() + (a - base_), bytes + (a - offset), static_cast<std::size_t>(b - a));
  }
}

void KeptBlocks::Clear() {
  base_ = 0;
  blockLength_ = 0;
  std::vector<std::uint8_t>().swap(held_);
  bytes_.reset();
}

}  // namespace platform::os
