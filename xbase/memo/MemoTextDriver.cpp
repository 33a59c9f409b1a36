// The memo text driver: the device that MemoHookTable.AssignMemo plugs into a MemoTextFile.
// Input delivers the memo's lines one fill each: a line that ended with a hard return comes
// with CR LF, any other line without an end, so that soft returns and width breaks join the
// next line. Output collects the written characters into lines, each keeping the end it was
// written with, and closing writes them as the memo replacing the bound block. The line
// table's limit holds both ways: a memo longer than the table is not opened for append (what
// was appended would replace the whole with its first lines), and a text that outgrows it is
// not stored.

#include <memory>

#include "xbase/core/MemoTextFile.h"
#include "xbase/core/ovcommon.h"
#include "xbase/memo/MemoInternal.h"

namespace xbase {
namespace {

constexpr std::uint16_t kReadError = 100;
constexpr std::uint16_t kWriteError = 101;
constexpr std::uint16_t kBadMode = 102;

class MemoTextDriver final : public MemoTextDevice {
 public:
  MemoTextDriver(std::int32_t& block, std::uint8_t area) : block_(block), area_(area) {}

  std::uint16_t Open(MemoTextFile& file) override {
    memo::AreaScope scope(area_);
    text_.Clear();
    work_.clear();
    skipLineFeed_ = false;
    full_ = false;
    line_ = 0;
    oldBlock_ = block_;
    const TextFileMode mode = file.Mode();
    if (mode == TextFileMode::Output) return 0;
    if (mode != TextFileMode::Input && mode != TextFileMode::Append) return kBadMode;
    if (!GetMemo(block_, 0, text_)) return kReadError;
    if (mode == TextFileMode::Append) {
      if (text_.Cut) {
        text_.Clear();
        return kReadError;
      }
      // What is appended starts a line of its own.
      if (!text_.Lines.empty() && text_.Lines.back().End == LineEndNone)
        text_.Lines.back().End = LineEndHard;
      line_ = text_.Lines.size();
    }
    return 0;
  }

  std::uint16_t InOut(MemoTextFile& file) override {
    if (file.Mode() == TextFileMode::Input) {
      if (line_ >= text_.Lines.size()) {
        file.FillBuffer({});
        return 0;
      }
      const MemoLine& line = text_.Lines[line_++];
      if (line.End != LineEndHard) {
        file.FillBuffer(line.Text);
        return 0;
      }
      fill_.assign(line.Text, 0, MemoLineWidth - 1);
      fill_ += "\r\n";
      file.FillBuffer(fill_);
      return 0;
    }
    const std::string written(file.BufferedOutput());
    file.ClearBuffer();
    return Take(written);
  }

  std::uint16_t Flush(MemoTextFile& file) override {
    if (file.Mode() == TextFileMode::Output && !file.BufferedOutput().empty()) return InOut(file);
    return 0;
  }

  std::uint16_t Close(MemoTextFile& file) override {
    std::uint16_t code = 0;
    if (file.Mode() == TextFileMode::Output) {
      memo::AreaScope scope(area_);
      text_.Pending = work_;
      std::int32_t block = 0;
      // The bound block keeps the old memo, untouched, when the text is not stored.
      const std::string stored = full_ ? std::string() : text_.StoredText();
      if (!full_ && FitsMemoLines(stored) && memo::EditMemoText(stored, oldBlock_, block))
        block_ = block;
      else
        code = kWriteError;
    }
    text_.Clear();
    work_.clear();
    return code;
  }

 private:
  // Written characters: CR, 0x8D and LF end lines (an LF right after CR or 0x8D belongs to
  // it), and a line that reaches the width goes on in the next one.
  std::uint16_t Take(std::string_view written) {
    if (full_) return kWriteError;
    for (const char c : written) {
      if (skipLineFeed_) {
        skipLineFeed_ = false;
        if (c == '\n') continue;
      }
      if (c == '\r' || c == '\n' || c == '\x8D') {
        if (!Store(c == '\x8D' ? LineEndSoft : LineEndHard)) return kWriteError;
        skipLineFeed_ = c != '\n';
        continue;
      }
      if (work_.size() == MemoLineWidth && !Store(LineEndNone)) return kWriteError;
      work_ += c;
    }
    return 0;
  }

  bool Store(std::uint8_t end) {
    if (text_.Lines.size() >= MaxMemoLines) {
      full_ = true;
      return false;
    }
    text_.Lines.push_back({std::move(work_), end});
    work_.clear();
    return true;
  }

  std::int32_t& block_;
  const std::uint8_t area_;
  std::int32_t oldBlock_ = 0;
  MemoLineTable text_;
  std::size_t line_ = 0;      // input: the next line to deliver
  std::string fill_;          // input: a line with its end
  std::string work_;          // output: the line being written
  bool skipLineFeed_ = false;
  bool full_ = false;         // output: a line found the table full; the text is not stored
};

}  // namespace

void AssignMemo(MemoTextFile& file, std::int32_t& block) {
  if (CheckMemoArea("AssignMemo")) return;
  file.Assign(std::make_unique<MemoTextDriver>(block, CurrentWorkArea));
}

}  // namespace xbase
