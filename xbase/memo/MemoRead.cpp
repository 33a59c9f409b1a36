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
// plain memo ends at its first 0x1A. The run's header and its first chunk come with one read.
// False after reporting a failure (1003 for a run at or past the last byte of the file).
bool ReadMemoText(const WorkAreaRecord& area, const MemoDescriptor& memo, std::uint64_t offset,
                  std::size_t cap, std::string& text) {
  const auto fail = [&](std::uint16_t code) {
    ReportMemoError(code, memo.MemoFileName + memo::RecordContext() + " [GetMemo]");
    return false;
  };
  memo::MemoRun run;
  std::size_t got = 0;
  text.resize(8 + kChunk);
  if (const std::uint16_t code = memo::ReadRunStart(memo.MemoFile, memo.Dialect, offset,
                                                    reinterpret_cast<std::uint8_t*>(text.data()),
                                                    text.size(), got, run))
    return fail(code);
  const bool plain = run.Layout == memo::RunLayout::Plain;
  const std::uint64_t limit = plain ? cap : std::min<std::uint64_t>(run.Length, cap);
  // The first chunk's text: whole transform pieces, as every later chunk.
  const std::size_t skip = static_cast<std::size_t>(run.DataStart - offset);
  const std::size_t first = static_cast<std::size_t>(
      std::min<std::uint64_t>({got > skip ? got - skip : 0, kChunk, limit}));
  bool ended = got < text.size() && first == got - std::min(got, skip);  // the file ends in it
  text.erase(0, skip);
  text.resize(first);
  for (std::size_t at = 0;;) {
    memo::TransformPieces(area.ReadTransform, reinterpret_cast<std::uint8_t*>(text.data() + at),
                          text.size() - at);
    if (plain) {
      if (const std::size_t end = text.find('\x1A', at); end != std::string::npos) {
        text.resize(end);
        break;
      }
    }
    if (ended || text.size() >= limit) break;
    at = text.size();
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, limit - at));
    text.resize(at + want);
    const auto read = memo.MemoFile.ReadAt(run.DataStart + at, text.data() + at, want);
    if (read.code != 0) return fail(read.code);
    text.resize(at + read.count);
    ended = read.count < want;  // the file ends first
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
  std::string stored;
  if (!ReadMemoText(current->Area, memo, offset, kLineTableBytes, stored)) return false;
  SplitMemoLines(stored, maxLines, text);
  return true;
}

}  // namespace xbase
