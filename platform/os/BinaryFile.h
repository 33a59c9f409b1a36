#pragma once
// A file opened for byte-exact reads and writes at given offsets, the stand-in for the runtime's
// untyped files: one POSIX descriptor (close-on-exec) per open, so that each open is its own
// open file description with its own share lock and byte-range locks. Every operation answers
// with the DOS-style code of ErrnoCodes.h, 0 on success.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

  // ReadAt for a file that no other open writes while this one reads it (one held
  // exclusively): a read that starts where the last of these ended fills a window of `window`
  // bytes at once, from which the reads after it are served. Every write, truncation and close
  // drops the window.
  Transfer ReadAhead(std::uint64_t offset, void* buffer, std::size_t length, std::size_t window) const;
  Transfer WriteAt(std::uint64_t offset, const void* data, std::size_t length);

  // The file's size in bytes, or the code of the failure.
  std::uint16_t Size(std::uint64_t& size) const;

  std::uint16_t Truncate(std::uint64_t size);

  // Writes the file's data through to the device.
  std::uint16_t Sync();

  // Closes the file (also when closing reports an error, which is returned).
  std::uint16_t Close();

 private:
  // Opens path for reading and writing with the O_CREAT flags given and takes the exclusive
  // share lock.
  std::uint16_t CreateHeld(const std::string& path, int createFlags);

  int fd_ = -1;
  // The bytes read ahead from windowOffset_, and where the last ReadAhead ended.
  mutable std::vector<std::uint8_t> window_;
  mutable std::uint64_t windowOffset_ = 0;
  mutable std::uint64_t lastReadEnd_ = 0;
};

}  // namespace platform::os
