#pragma once
// Blocks of a file's bytes that one open keeps after reading them: the first blocks of equal
// length from a base offset on, each in its place in one buffer, so that a kept block is found
// without a search. BinaryFile keeps them up to date with its writes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform::os {

class KeptBlocks {
 public:
  // Room for `blocks` blocks of blockLength bytes from base on (none: nothing is kept). More
  // room in the same layout keeps the blocks kept; any other change forgets them. The memory
  // is taken when the first block is kept.
  void Lay(std::uint64_t base, std::size_t blockLength, std::size_t blocks);

  // The kept copy of the `length` bytes at `offset`, or null when no kept block holds them all.
  const std::uint8_t* Find(std::uint64_t offset, std::size_t length) const {
    if (held_.empty() || offset < base_) return nullptr;
    const std::uint64_t block = (offset - base_) / blockLength_;
    const std::size_t at = static_cast<std::size_t>(offset - base_ - block * blockLength_);
    if (block >= held_.size() || held_[block] == 0 || length > blockLength_ - at) return nullptr;
    return bytes_.get() + block * blockLength_ + at;
  }

  // The `length` bytes at `offset` were read from the file: the whole blocks among them that
  // have room are kept.
  void Keep(std::uint64_t offset, const std::uint8_t* bytes, std::size_t length);

  // Bytes written at offset go into the kept blocks they meet.
  void Update(std::uint64_t offset, const std::uint8_t* bytes, std::size_t length);

  // Forgets the layout and every block, and gives their memory back.
  void Clear();

 private:
  std::uint64_t base_ = 0;
  std::size_t blockLength_ = 0;
  std::vector<std::uint8_t> held_;         // per block: 1 when kept
  std::unique_ptr<std::uint8_t[]> bytes_;  // room for every block, left uninitialised
};

}  // namespace platform::os
