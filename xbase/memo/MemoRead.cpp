// Reading a memo's text into lines.

#include <cstdlib>

#include "xbase/core/ovcommon.h"
#include "xbase/memo/MemoInternal.h"

namespace xbase {
namespace {

// Bytes read at a time: whole transform pieces, and most memos in one read.
constexpr std::size_t kChunk = 8 * MemoBufferSize;

// Enough text to fill the line table and see whether more follows: every line ends within
// 255 bytes of input.
constexpr std::size_t kLineTableBytes = MaxMemoLines * (MemoLineWidth + 1) + 1;

// The text of the run at offset, at most `cap` bytes, through the area's read transform; a
// plain memo ends at its first 0x1A. False after reporting a failure.
bool ReadMemoText(const WorkAreaRecord& area, const MemoDescriptor& memo, std::uint64_t offset,
                  std::size_t cap, std::string& text) {
  memo::MemoRun run;
  if (const std::uint16_t code = memo::ReadMemoRun(memo.MemoFile, memo.Dialect, offset, run)) {
    ReportMemoError(code, memo.MemoFileName + memo::RecordContext() + " [GetMemo]");
    return false;
  }
  const bool plain = run.Layout == memo::RunLayout::Plain;
  const std::uint64_t limit = plain ? cap : std::min<std::uint64_t>(run.Length, cap);
  text.clear();
  while (text.size() < limit) {
    const std::size_t at = text.size();
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, limit - at));
    text.resize(at + want);
    const auto read = memo.MemoFile.ReadAt(run.DataStart + at, text.data() + at, want);
    if (read.code != 0) {
      ReportMemoError(read.code, memo.MemoFileName + memo::RecordContext() + " [GetMemo]");
      return false;
    }
    text.resize(at + read.count);
    memo::TransformPieces(area.ReadTransform, reinterpret_cast<std::uint8_t*>(text.data() + at),
                          read.count);
    if (plain) {
      if (const std::size_t end = text.find('\x1A', at); end != std::string::npos) {
        text.resize(end);
        break;
      }
    }
    if (read.count < want) break;  // the file ends first
  }
  return true;
}

}  // namespace

bool GetMemo(std::int32_t block, std::uint8_t maxLines, MemoLineTable& text) {
  text.Clear();
  const auto current = memo::CurrentMemoArea("GetMemo");
  if (!current) return false;
  if (block == 0) return true;
  const MemoDescriptor& memo = current->Memo;
  const std::uint64_t offset = memo::BlockOffset(std::llabs(std::int64_t{block}), memo.BlockSize);
  std::uint64_t size = 0;
  if (const std::uint16_t code = memo::MemoFileSize(memo, size)) {
    ReportMemoError(code, memo.MemoFileName + memo::RecordContext() + " [GetMemo]");
    return false;
  }
  if (offset + 1 >= size) {
    ReportMemoError(1003, memo.MemoFileName + memo::RecordContext() + " [GetMemo]");
    return false;
  }
  std::string stored;
  if (!ReadMemoText(current->Area, memo, offset, kLineTableBytes, stored)) return false;
  SplitMemoLines(stored, maxLines, text);
  return true;
}

}  // namespace xbase
