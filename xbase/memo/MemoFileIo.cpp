#include "xbase/memo/MemoFileIo.h"

#include <algorithm>
#include <cstring>

namespace xbase {

std::uint16_t MemoFileIo::Open(const std::string& path, platform::os::ShareMode share) {
  window_.clear();
  exclusive_ = share == platform::os::ShareMode::kExclusive;
  std::uint16_t code = file_.Open(path, platform::os::FileAccess::kReadWrite, share);
  if (code == 0 && exclusive_) code = file_.Size(size_);
  if (code != 0) file_.Close();
  return code;
}

std::uint16_t MemoFileIo::Close() {
  window_.clear();
  return file_.Close();
}

platform::os::Transfer MemoFileIo::ReadAt(std::uint64_t offset, void* buffer,
                                          std::size_t length) const {
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

platform::os::Transfer MemoFileIo::WriteAt(std::uint64_t offset, const void* data,
                                           std::size_t length) {
  const platform::os::Transfer written = file_.WriteAt(offset, data, length);
  if (!exclusive_) return written;
  size_ = std::max(size_, offset + written.count);
  // The window forgets what it may no longer hold as the file does.
  if (!window_.empty() && offset < windowStart_ + kWindow && offset + length > windowStart_)
    window_.clear();
  return written;
}

std::uint16_t MemoFileIo::Size(std::uint64_t& size) const {
  if (!exclusive_) return file_.Size(size);
  size = size_;
  return 0;
}

}  // namespace xbase
