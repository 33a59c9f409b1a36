#pragma once
// A memo file as the memo store reads and writes it. While one open holds the file exclusively
// nobody else changes it, so its size is known without asking and reads go through a window of
// the file kept in memory, which this open's own writes keep true: a scan of memos written in
// order then costs a read of the file every window rather than every memo. A file opened
// shared is read afresh every time, and sized afresh unless this open holds the memo lock
// (KeepSize): under it nobody else appends, so the size asked once and this open's own writes
// tell it.
//
// The header (the file's first bytes, up to where the first memo may start) is read and
// written through a shared mapping of the file, as the index semaphore's counters are: the
// same bytes of the same file as the calls would read and write, seen by every other program
// at once and written through to the device by the next flush, without a system call each.
// Nobody shortens a memo file that another program holds, so the mapping stays backed; where
// a file cannot be mapped, the calls stand in.

#include <sys/uio.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/BinaryFile.h"

namespace xbase {

class MemoFileIo {
 public:
  MemoFileIo() = default;
  ~MemoFileIo();
  MemoFileIo(const MemoFileIo&) = delete;
  MemoFileIo& operator=(const MemoFileIo&) = delete;

  // Opens the file; its first headerBytes bytes (those of them that the file has) are the
  // header, read and written through the mapping.
  std::uint16_t Open(const std::string& path, platform::os::ShareMode share, std::size_t headerBytes = 0);
  std::uint16_t Close();
  bool IsOpen() const { return file_.IsOpen(); }
  bool Exclusive() const { return exclusive_; }
  int Descriptor() const { return file_.Descriptor(); }

  platform::os::Transfer ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const;
  platform::os::Transfer WriteAt(std::uint64_t offset, const void* data, std::size_t length);
  // The pieces written one after the other from offset on, with one call where the system
  // takes them all at once; none of them in the header.
  platform::os::Transfer WriteAt(std::uint64_t offset, const iovec* pieces, int count);
  std::uint16_t Size(std::uint64_t& size) const;
  std::uint16_t Sync() { return file_.Sync(); }

  // A shared file: from now until KeepSize(false) this open alone changes the file (it holds
  // the memo lock), so its size is asked once.
  void KeepSize(bool keep) {
    keepSize_ = keep;
    sizeKnown_ = false;
  }

 private:
  static constexpr std::size_t kWindow = 64 * 1024;

  bool SizeKnown() const { return exclusive_ || (keepSize_ && sizeKnown_); }
  // This open wrote `count` bytes at offset (data: those bytes, or null).
  void Wrote(std::uint64_t offset, const void* data, std::size_t count);

  platform::os::BinaryFile file_;
  bool exclusive_ = false;
  bool keepSize_ = false;
  mutable bool sizeKnown_ = false;  // shared: size_ is the file's while keepSize_
  mutable std::uint64_t size_ = 0;  // exclusive: the file's size
  std::uint8_t* header_ = nullptr;  // the mapping of the file's first headerBytes_ bytes
  std::size_t headerBytes_ = 0;
  // Exclusive: bytes of the file from windowStart_ on (fewer than kWindow at its end).
  mutable std::vector<std::uint8_t> window_;
  mutable std::uint64_t windowStart_ = 0;
};

}  // namespace xbase
