#pragma once
// A file opened for byte-exact reads and writes at given offsets, the stand-in for the runtime's
// untyped files: one POSIX descriptor (close-on-exec) per open, so that each open is its own
// open file description with its own share lock and byte-range locks. Every operation answers
// with the DOS-style code of ErrnoCodes.h, 0 on success.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/KeptBlocks.h"
#include "platform/os/ShareLock.h"

namespace platform::os {

enum class FileAccess {
  kRead,       // reading only
  kReadWrite,  // reading and writing
};

// The bytes one transfer moved and its code: fewer bytes than asked with code 0 means that a
// read met the end of the file.
struct Transfer {
  std::size_t count = 0;
  std::uint16_t code = 0;
};

class BinaryFile {
 public:
  BinaryFile() = default;
  ~BinaryFile();
  BinaryFile(BinaryFile&& other) noexcept;
  BinaryFile& operator=(BinaryFile&& other) noexcept;
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;

  // Opens an existing file and takes its share lock without waiting; an open that holds the
  // file in a conflicting mode gives 32 and leaves this file closed. The exclusive lock needs
  // write access, so an exclusive open always reads and writes. On a file system that keeps
  // no such locks the file opens without one.
  std::uint16_t Open(const std::string& path, FileAccess access, ShareMode share);

  // Creates a file, or empties an existing one, and holds it exclusively. An existing file
  // that another open holds gives 32 and is left as it was.
  std::uint16_t Create(const std::string& path);

  // Creates a file that does not exist yet (80 when it does) and holds it exclusively.
  std::uint16_t CreateNew(const std::string& path);

  bool IsOpen() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }

  // Transfer length bytes at offset, going on after short counts and interruptions. A read
  // stops early only at the end of the file; a write that cannot go on gives its code (101
  // when the device is full).
  Transfer ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const;

  Transfer WriteAt(std::uint64_t offset, const void* data, std::size_t length);

  // The file's size in bytes, or the code of the failure.
  std::uint16_t Size(std::uint64_t& size) const;

  std::uint16_t Truncate(std::uint64_t size);

  // Writes the file's data through to the device.
  std::uint16_t Sync();

  // Closes the file (also when closing reports an error, which is returned).
  std::uint16_t Close();

  // ---- The read-ahead block and the kept blocks
  // For a file that no other open changes while this one holds it (the caller knows when):
  // a run of its bytes read with one call, from which later reads are served, and blocks of
  // its bytes kept after their reads. Each write of this open goes into both (a failed one
  // drops them), so that they always hold what was last written; truncation, opening and
  // closing drop them.

  // Replaces the read-ahead block by the `length` bytes from `offset` on (fewer at the end of
  // the file); a failed read leaves no block and gives its code.
  Transfer ReadAhead(std::uint64_t offset, std::size_t length);

  // Room for `blocks` blocks of blockLength bytes from base on to be kept (KeptBlocks.h).
  void LayKeptBlocks(std::uint64_t base, std::size_t blockLength, std::size_t blocks) {
    kept_.Lay(base, blockLength, blocks);
  }

  // ReadAt, keeping the whole blocks read when every byte asked for was read.
  Transfer ReadAndKeep(std::uint64_t offset, void* buffer, std::size_t length);

  // Keeps the whole blocks of the read-ahead block.
  void KeepReadAhead() { kept_.Keep(aheadOffset_, ahead_.data(), ahead_.size()); }

  // The read-ahead block's or the kept blocks' copy of the `length` bytes at `offset`, or null
  // when neither the read-ahead block nor one kept block holds them all.
  const std::uint8_t* ReadAheadBytes(std::uint64_t offset, std::size_t length) const {
    if (offset >= aheadOffset_ && offset - aheadOffset_ <= ahead_.size()) {
      const std::size_t at = static_cast<std::size_t>(offset - aheadOffset_);
      if (length <= ahead_.size() - at) return ahead_.data() + at;
    }
    return kept_.Find(offset, length);
  }

  // Drops the read-ahead block and the kept blocks, whose memory goes back.
  void DropReadAhead() {
    ahead_.clear();
    kept_.Clear();
  }

 private:
  // Opens path for reading and writing with the O_CREAT flags given and takes the exclusive
  // share lock.
  std::uint16_t CreateHeld(const std::string& path, int createFlags);

  // The written bytes that fall inside the read-ahead block or the kept blocks go there too.
  void UpdateReadAhead(std::uint64_t offset, const std::uint8_t* bytes, std::size_t length);

  int fd_ = -1;
  std::vector<std::uint8_t> ahead_;  // the read-ahead block, the file's bytes from aheadOffset_
  std::uint64_t aheadOffset_ = 0;
  KeptBlocks kept_;
};

}  // namespace platform::os
