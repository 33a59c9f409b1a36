#include "platform/os/BinaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/os/ByteRangeLocks.h"
#include "platform/os/ErrnoCodes.h"

namespace platform::os {
namespace {

// EINVAL and ENOLCK: the file system keeps no open-file-description locks, so nobody else can
// hold the file that way either.
bool LockUnsupported(int error) { return error == EINVAL || error == ENOLCK; }

std::uint16_t TakeShareLock(int fd, ShareMode share) {
  const int error = LockShareByte(fd, share);
  if (error == 0 || LockUnsupported(error)) return 0;
  return DosErrorCode(error, IoOperation::kShareLock);
}

}  // namespace

BinaryFile::~BinaryFile() { Close(); }

BinaryFile::BinaryFile(BinaryFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {
  other.window_.clear();
}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    other.window_.clear();
  }
  return *this;
}

std::uint16_t BinaryFile::Open(const std::string& path, FileAccess access, ShareMode share) {
  Close();
  const bool readOnly = access == FileAccess::kRead && share == ShareMode::kShared;
  const int fd = open(path.c_str(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
  if (fd < 0) return DosErrorCode(errno);
  if (const std::uint16_t code = TakeShareLock(fd, share); code != 0) {
    close(fd);
    return code;
  }
  fd_ = fd;
  return 0;
}

std::uint16_t BinaryFile::Create(const std::string& path) {
  if (const std::uint16_t code = CreateHeld(path, O_CREAT); code != 0) return code;
  return Truncate(0);
}

std::uint16_t BinaryFile::CreateNew(const std::string& path) { return CreateHeld(path, O_CREAT | O_EXCL); }

std::uint16_t BinaryFile::CreateHeld(const std::string& path, int createFlags) {
  Close();
  const int fd = open(path.c_str(), O_RDWR | createFlags | O_CLOEXEC, 0666);
  if (fd < 0) return DosErrorCode(errno);
  if (const std::uint16_t code = TakeShareLock(fd, ShareMode::kExclusive); code != 0) {
    close(fd);
    return code;
  }
  fd_ = fd;
  return 0;
}

Transfer BinaryFile::ReadAhead(std::uint64_t offset, void* buffer, std::size_t length,
                               std::size_t window) const {
  const bool inSequence = offset == lastReadEnd_;
  lastReadEnd_ = offset + length;
  const bool inWindow = offset >= windowOffset_ && offset + length <= windowOffset_ + window_.size();
  if (!inWindow) {
    if (!inSequence || length >= window) return ReadAt(offset, buffer, length);
    window_.resize(window);
    const Transfer filled = ReadAt(offset, window_.data(), window);
    window_.resize(filled.code == 0 ? filled.count : 0);
    windowOffset_ = offset;
    if (filled.code != 0) return filled;
  }
  // A window cut short by the end of the file gives the end of the file.
  const std::size_t available = static_cast<std::size_t>(windowOffset_ + window_.size() - offset);
  Transfer result;
  result.count = std::min(length, available);
  std::memcpy(buffer, window_.data() + (offset - windowOffset_), result.count);
  return result;
}

Transfer BinaryFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const {
  Transfer result;
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  while (result.count < length) {
    const ssize_t n = pread(fd_, bytes + result.count, length - result.count,
                            static_cast<off_t>(offset + result.count));
    if (n < 0) {
      if (errno == EINTR) continue;
      result.code = DosErrorCode(errno, IoOperation::kRead);
      break;
    }
    if (n == 0) break;
    result.count += static_cast<std::size_t>(n);
  }
  return result;
}

Transfer BinaryFile::WriteAt(std::uint64_t offset, const void* data, std::size_t length) {
  window_.clear();
  Transfer result;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (result.count < length) {
    const ssize_t n = pwrite(fd_, bytes + result.count, length - result.count,
                             static_cast<off_t>(offset + result.count));
    if (n < 0) {
      if (errno == EINTR) continue;
      result.code = DosErrorCode(errno, IoOperation::kWrite);
      break;
    }
    if (n == 0) {
      result.code = DosErrorCode(ENOSPC, IoOperation::kWrite);
      break;
    }
    result.count += static_cast<std::size_t>(n);
  }
  return result;
}

std::uint16_t BinaryFile::Size(std::uint64_t& size) const {
  struct stat st {};
  if (fstat(fd_, &st) != 0) return DosErrorCode(errno);
  size = static_cast<std::uint64_t>(st.st_size);
  return 0;
}

std::uint16_t BinaryFile::Truncate(std::uint64_t size) {
  window_.clear();
  if (ftruncate(fd_, static_cast<off_t>(size)) != 0) return DosErrorCode(errno, IoOperation::kWrite);
  return 0;
}

std::uint16_t BinaryFile::Sync() {
  if (fsync(fd_) != 0) return DosErrorCode(errno, IoOperation::kWrite);
  return 0;
}

std::uint16_t BinaryFile::Close() {
  window_.clear();
  if (fd_ < 0) return 0;
  ForgetFileLocks(fd_);  // the descriptor's number may come back for another file
  const int result = close(std::exchange(fd_, -1));
  // After an interrupted close the descriptor is gone on Linux; nothing to retry.
  return result == 0 || errno == EINTR ? 0 : DosErrorCode(errno, IoOperation::kWrite);
}

}  // namespace platform::os
