#include "xbase/core/MemoTextFile.h"

#include <algorithm>
#include <utility>

namespace xbase {
namespace {

constexpr std::uint16_t kNotAssigned = 102;
constexpr std::uint16_t kNotOpen = 103;
constexpr std::uint16_t kNotOpenForInput = 104;
constexpr std::uint16_t kNotOpenForOutput = 105;

}  // namespace

void MemoTextFile::Assign(std::unique_ptr<MemoTextDevice> device) {
  device_ = std::move(device);
  mode_ = TextFileMode::Closed;
  ClearBuffer();
  pendingCode_ = 0;
  ended_ = false;
}

std::uint16_t MemoTextFile::Open(TextFileMode mode) {
  if (device_ == nullptr || mode == TextFileMode::Closed) return kNotAssigned;
  if (mode_ != TextFileMode::Closed) Close();
  mode_ = mode;
  ClearBuffer();
  pendingCode_ = 0;
  ended_ = false;
  const std::uint16_t code = device_->Open(*this);
  if (code != 0) {
    mode_ = TextFileMode::Closed;
    return code;
  }
  if (mode_ == TextFileMode::Append) mode_ = TextFileMode::Output;
  return 0;
}

std::uint16_t MemoTextFile::CheckOpen(TextFileMode wanted) const {
  if (device_ == nullptr) return kNotAssigned;
  if (mode_ == TextFileMode::Closed) return kNotOpen;
  if (mode_ != wanted) return wanted == TextFileMode::Input ? kNotOpenForInput : kNotOpenForOutput;
  return 0;
}

bool MemoTextFile::Refill(std::uint16_t& code) {
  if (pendingCode_ != 0) {
    code = std::exchange(pendingCode_, 0);
    return false;
  }
  if (ended_) return false;
  code = device_->InOut(*this);
  ended_ = code == 0 && position_ >= end_;
  return code == 0 && !ended_;
}

bool MemoTextFile::NextChar(char& c, std::uint16_t& code) {
  if (position_ >= end_ && !Refill(code)) return false;
  c = buffer_[position_++];
  return true;
}

std::uint16_t MemoTextFile::ReadLine(std::string& line) {
  bool ended = false;
  return ReadLine(line, ended);
}

std::uint16_t MemoTextFile::ReadLine(std::string& line, bool& ended) {
  line.clear();
  ended = false;
  if (const std::uint16_t code = CheckOpen(TextFileMode::Input)) return code;
  std::uint16_t code = 0;
  for (;;) {
    // The characters up to a line end in the buffer go at once.
    const char* begin = buffer_.data() + position_;
    const char* end = std::find_if(begin, static_cast<const char*>(buffer_.data() + end_),
                                   [](char c) { return c == '\r' || c == '\n'; });
    line.append(begin, end);
    position_ += static_cast<std::size_t>(end - begin);
    if (position_ < end_) {
      ended = true;
      // CR LF is one line end; the LF may only arrive with the next fill.
      char c = buffer_[position_++];
      if (c == '\r' && NextChar(c, code) && c != '\n') --position_;
      break;
    }
    if (!Refill(code)) break;
  }
  if (code != 0) return code;
  return device_->Flush(*this);
}

bool MemoTextFile::Eof() {
  if (CheckOpen(TextFileMode::Input) != 0) return true;
  if (position_ < end_) return false;
  if (pendingCode_ != 0 || ended_) return true;
  pendingCode_ = device_->InOut(*this);
  ended_ = pendingCode_ == 0 && position_ >= end_;
  return pendingCode_ != 0 || ended_;
}

std::uint16_t MemoTextFile::Write(std::string_view text) {
  if (const std::uint16_t code = CheckOpen(TextFileMode::Output)) return code;
  while (!text.empty()) {
    const std::size_t n = std::min(text.size(), kBufferSize - position_);
    std::copy_n(text.data(), n, buffer_.data() + position_);
    position_ += n;
    text.remove_prefix(n);
    if (position_ == kBufferSize) {
      if (const std::uint16_t code = device_->InOut(*this)) return code;
    }
  }
  return device_->Flush(*this);
}

std::uint16_t MemoTextFile::WriteLine(std::string_view text) {
  std::string line(text);
  line += "\r\n";
  return Write(line);
}

std::uint16_t MemoTextFile::Flush() {
  if (device_ == nullptr) return kNotAssigned;
  if (mode_ == TextFileMode::Closed) return kNotOpen;
  return device_->Flush(*this);
}

std::uint16_t MemoTextFile::Close() {
  if (device_ == nullptr) return kNotAssigned;
  if (mode_ == TextFileMode::Closed) return kNotOpen;
  std::uint16_t code = 0;
  if (mode_ == TextFileMode::Output && position_ > 0) code = device_->InOut(*this);
  const std::uint16_t closeCode = device_->Close(*this);
  if (code == 0) code = closeCode;
  mode_ = TextFileMode::Closed;
  ClearBuffer();
  return code;
}

void MemoTextFile::FillBuffer(std::string_view text) {
  end_ = std::min(text.size(), kBufferSize);
  std::copy_n(text.data(), end_, buffer_.data());
  position_ = 0;
}

}  // namespace xbase
