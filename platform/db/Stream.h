#pragma once
// A byte stream, as datasets hand them out for the contents of BLOB and memo fields.

#include <cstdint>

namespace platform::db {

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;

  // Read and write at most `count` bytes at the position, which moves on; the bytes done.
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // Moves the position and returns it.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

  std::int64_t Position() { return Seek(0, soCurrent); }
  // The length, found by seeking to the end and back.
  std::int64_t Size() {
    const std::int64_t position = Position();
    const std::int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
  }
};

}  // namespace platform::db
