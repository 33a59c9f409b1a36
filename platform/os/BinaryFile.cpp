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

BinaryFile::BinaryFile(BinaryFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      ahead_(std::move(other.ahead_)),
      aheadOffset_(other.aheadOffset_),
      kept_(std::move(other.kept_)) {
  other.DropReadAhead();
}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    ahead_ = std::move(other.ahead_);
    aheadOffset_ = other.aheadOffset_;
    kept_ = std::move(other.kept_);
    other.DropReadAhead();
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
  // What a failed write left in the file is not known.
  if (result.code != 0)
    DropReadAhead();
  else
    UpdateReadAhead(offset, bytes, length);
  return result;
}

Transfer BinaryFile::ReadAndKeep(std::uint64_t offset, void* buffer, std::size_t length) {
  const Transfer read = ReadAt(offset, buffer, length);
  if (read.code == 0 && read.count == length)
    kept_.Keep(offset, static_cast<const std::uint8_t*>(buffer), length);
  return read;
}

Transfer BinaryFile::ReadAhead(std::uint64_t offset, std::size_t length) {
  ahead_.resize(length);
  const Transfer read = ReadAt(offset, ahead_.data(), length);
  ahead_.resize(read.code == 0 ? read.count : 0);
  aheadOffset_ = offset;
  return read;
}

void BinaryFile::UpdateReadAhead(std::uint64_t offset, const std::uint8_t* bytes, std::size_t length) {
  const std::uint64_t from = std::max(offset, aheadOffset_);
  const std::uint64_t to = std::min(offset + length, aheadOffset_ + ahead_.size());
  if (from < to) {
    std::memcpy(ahead_.data() + (from - aheadOffset_), bytes + (from - offset),
                static_cast<std::size_t>(to - from));
  }
  kept_.Update(offset, bytes, length);
}

std::uint16_t BinaryFile::Size(std::uint64_t& size) const {
  struct stat st {};
  if (fstat(fd_, &st) != 0) return DosErrorCode(errno);
  size = static_cast<std::uint64_t>(st.st_size);
  return 0;
}

std::uint16_t BinaryFile::Truncate(std::uint64_t size) {
  DropReadAhead();
  if (ftruncate(fd_, static_cast<off_t>(size)) != 0) return DosErrorCode(errno, IoOperation::kWrite);
  return 0;
}

std::uint16_t BinaryFile::Sync() {
  if (fsync(fd_) != 0) return DosErrorCode(errno, IoOperation::kWrite);
  return 0;
}

std::uint16_t BinaryFile::Close() {
  std::vector<std::uint8_t>().swap(ahead_);
  kept_.Clear();
  if (fd_ < 0) return 0;
  ForgetFileLocks(fd_);  // the descriptor's number may come back for another file
  const int result = close(std::exchange(fd_, -1));
  // After an interrupted close the descriptor is gone on Linux; nothing to retry.
  return result == 0 || errno == EINTR ? 0 : DosErrorCode(errno, IoOperation::kWrite);
}

}  // namespace platform::os
