#pragma once
// A stand-in for the memo store: MemoHookTable.AssignMemo binds the text file to a device that
// serves a text chosen by the block number, in buffers of the file's size, as the memo store's
// line driver does.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "xbase/core/MemoTextFile.h"
#include "xbase/core/ovcommon.h"

namespace xbase {

class FakeMemoDevice : public MemoTextDevice {
 public:
  explicit FakeMemoDevice(std::string text) : text_(std::move(text)) {}

  std::uint16_t Open(MemoTextFile& file) override {
    served_ = 0;
    return file.Mode() == TextFileMode::Input ? 0 : 102;
  }
  std::uint16_t InOut(MemoTextFile& file) override {
    const std::string_view rest = std::string_view(text_).substr(served_);
    const std::size_t count = std::min(rest.size(), MemoTextFile::kBufferSize);
    file.FillBuffer(rest.substr(0, count));
    served_ += count;
    return 0;
  }
  std::uint16_t Flush(MemoTextFile&) override { return 0; }
  std::uint16_t Close(MemoTextFile&) override { return 0; }

 private:
  std::string text_;
  std::size_t served_ = 0;
};

// Memo texts by block number; `bound` (when given) hears the block and the current area at
// each bind.
inline void ServeMemos(std::function<std::string(std::int32_t block)> textOf,
                       std::function<void(std::int32_t block, std::uint8_t area)> bound = nullptr) {
  MemoHookTable.AssignMemo = [textOf = std::move(textOf), bound = std::move(bound)](
                                 MemoTextFile& file, std::int32_t& block) {
    if (bound) bound(block, CurrentWorkArea);
    file.Assign(std::make_unique<FakeMemoDevice>(textOf(block)));
  };
}

}  // namespace xbase
