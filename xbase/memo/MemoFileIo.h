#pragma once
// A memo file as the memo store reads and writes it. While one open holds the file exclusively
// nobody else changes it, so its size is known without asking and reads go through a window of
// the file kept in memory, which this open's own writes keep true: a scan of memos written in
// order then costs a read of the file every window rather than every memo. A file opened
// shared is read and sized afresh every time.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/BinaryFile.h"

namespace xbase {

class MemoFileIo {
 public:
  std::uint16_t Open(const std::string& path, platform::os::ShareMode share);
  std::uint16_t Close();
  bool IsOpen() const { return file_.IsOpen(); }
  int Descriptor() const { return file_.Descriptor(); }

  platform::os::Transfer ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const;
  platform::os::Transfer WriteAt(std::uint64_t offset, const void* data, std::size_t length);
  std::uint16_t Size(std::uint64_t& size) const;
  std::uint16_t Sync() { return file_.Sync(); }

 private:
  static constexpr std::size_t kWindow = 64 * 1024;

  platform::os::BinaryFile file_;
  bool exclusive_ = false;
  std::uint64_t size_ = 0;  // exclusive: the file's size
  // Exclusive: bytes of the file from windowStart_ on (fewer than kWindow at its end).
  mutable std::vector<std::uint8_t> window_;
  mutable std::uint64_t windowStart_ = 0;
};

}  // namespace xbase
