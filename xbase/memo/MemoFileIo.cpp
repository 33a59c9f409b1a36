#include "xbase/memo/MemoFileIo.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/os/ErrnoCodes.h"

namespace xbase {

MemoFileIo::~MemoFileIo() { Close(); }

std::uint16_t MemoFileIo::Open(const std::string& path, platform::os::ShareMode share,
                               std::size_t headerBytes) {
  Close();
  exclusive_ = share == platform::os::ShareMode::kExclusive;
  keepSize_ = sizeKnown_ = false;
  std::uint16_t code = file_.Open(path, platform::os::FileAccess::kReadWrite, share);
  std::uint64_t size = 0;
  if (code == 0) code = file_.Size(size);
  if (code != 0) {
    file_.Close();
    return code;
  }
  if (exclusive_) size_ = size;
  // Only bytes the file has: a store into the mapping past its end would not reach it.
  const std::size_t mapped = static_cast<std::size_t>(std::min<std::uint64_t>(headerBytes, size));
  if (mapped > 0) {
    void* header = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_SHARED, file_.Descriptor(), 0);
    if (header != MAP_FAILED) {
      header_ = static_cast<std::uint8_t*>(header);
      headerBytes_ = mapped;
    }
  }
  return 0;
}

std::uint16_t MemoFileIo::Close() {
  window_.clear();
  if (header_ != nullptr) munmap(header_, headerBytes_);
  header_ = nullptr;
  headerBytes_ = 0;
  keepSize_ = sizeKnown_ = false;
  return file_.Close();
}

platform::os::Transfer MemoFileIo::ReadAt(std::uint64_t offset, void* buffer,
                                          std::size_t length) const {
  if (header_ != nullptr && offset + length <= headerBytes_) {
    std::memcpy(buffer, header_ + offset, length);
    return {length, 0};
  }
  if (!exclusive_ || length == 0 || length > kWindow / 2) return file_.ReadAt(offset, buffer, length);
  if (window_.empty() || offset < windowStart_ || offset + length > windowStart_ + kWindow) {
    // The window starts on a page at or before offset, so that it holds the whole request.
    windowStart_ = offset / 4096 * 4096;
    window_.resize(kWindow);
    const platform::os::Transfer read = file_.ReadAt(windowStart_, window_.data(), kWindow);
    window_.resize(read.count);
    if (read.code != 0) {
      window_.clear();
      return read;
    }
  }
  platform::os::Transfer result;
  const std::uint64_t at = offset - windowStart_;
  if (length > 0 && at < window_.size()) {
    result.count = std::min<std::size_t>(length, window_.size() - at);
    std::memcpy(buffer, window_.data() + at, result.count);
  }
  return result;
}

void MemoFileIo::Wrote(std::uint64_t offset, const void* data, std::size_t count) {
  if (SizeKnown()) size_ = std::max(size_, offset + count);
  if (window_.empty() || offset >= windowStart_ + kWindow || offset + count <= windowStart_) return;
  // Bytes the window holds take the new ones; else it forgets what it may no longer hold as
  // the file does.
  if (data != nullptr && offset >= windowStart_ && offset + count <= windowStart_ + window_.size())
    std::memcpy(window_.data() + (offset - windowStart_), data, count);
  else
    window_.clear();
}

platform::os::Transfer MemoFileIo::WriteAt(std::uint64_t offset, const void* data,
                                           std::size_t length) {
  if (header_ != nullptr && offset + length <= headerBytes_) {
    std::memcpy(header_ + offset, data, length);
    Wrote(offset, data, length);
    return {length, 0};
  }
  const platform::os::Transfer written = file_.WriteAt(offset, data, length);
  // After a failure the size is asked again.
  if (written.code != 0) sizeKnown_ = false;
  Wrote(offset, data, written.count);
  return written;
}

platform::os::Transfer MemoFileIo::WriteAt(std::uint64_t offset, const iovec* pieces, int count) {
  std::size_t length = 0;
  for (int i = 0; i < count; ++i) length += pieces[i].iov_len;
  platform::os::Transfer result;
  // Most writes go at once; the pieces left after a short one are copied and written on.
  std::vector<iovec> rest;
  const iovec* next = pieces;
  int left = count;
  while (result.count < length) {
    const ssize_t done =
        pwritev(file_.Descriptor(), next, std::min(left, IOV_MAX), static_cast<off_t>(offset + result.count));
    if (done < 0) {
      if (errno == EINTR) continue;
      result.code = platform::os::DosErrorCode(errno, platform::os::IoOperation::kWrite);
      break;
    }
    if (done == 0) {
      result.code = platform::os::DosErrorCode(ENOSPC, platform::os::IoOperation::kWrite);
      break;
    }
    result.count += static_cast<std::size_t>(done);
    if (result.count == length) break;
    if (rest.empty()) {
      rest.assign(next, next + left);
      next = rest.data();
    }
    // Past the pieces written whole, and into the one written in part.
    auto* piece = const_cast<iovec*>(next);
    for (auto skip = static_cast<std::size_t>(done); skip > 0;) {
      const std::size_t taken = std::min(skip, piece->iov_len);
      piece->iov_base = static_cast<std::uint8_t*>(piece->iov_base) + taken;
      piece->iov_len -= taken;
      skip -= taken;
      if (piece->iov_len == 0) {
        ++piece;
        --left;
      }
    }
    next = piece;
  }
  if (result.code != 0) sizeKnown_ = false;
  Wrote(offset, nullptr, result.count);
  return result;
}

std::uint16_t MemoFileIo::Size(std::uint64_t& size) const {
  if (SizeKnown()) {
    size = size_;
    return 0;
  }
  const std::uint16_t code = file_.Size(size);
  if (code == 0 && keepSize_) {
    size_ = size;
    sizeKnown_ = true;
  }
  return code;
}

}  // namespace xbase
