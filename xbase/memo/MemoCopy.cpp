// Copying a memo between memo files of any two dialects.

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "xbase/core/ovcommon.h"
#include "xbase/memo/MemoInternal.h"

namespace xbase {
namespace memo {
namespace {

// Bytes copied at a time: whole transform pieces; the first chunk is smaller, so that the
// many short memos are read from a window of the file where there is one (MemoFileIo.h).
constexpr std::size_t kFirstChunk = 8 * MemoBufferSize;
constexpr std::size_t kChunk = 128 * MemoBufferSize;

// The first bytes of a source run, read with one call: its header and its first chunk.
struct RunStart {
  std::array<std::uint8_t, 8 + kFirstChunk> Bytes{};
  std::size_t Got = 0;   // bytes the file had there
  std::size_t Skip = 0;  // the header's, before the text
};

// Reads a source memo's text chunk by chunk, the first one from the run's start.
class SourceText {
 public:
  SourceText(const CopyRequest& request, const MemoRun& run, const RunStart& start)
      : request_(request), run_(run), start_(start) {}

  // The next chunk, empty at the end of the text; false with the read's code on failure.
  bool Next(std::vector<std::uint8_t>& chunk, std::uint16_t& code) {
    chunk.clear();
    if (ended_) return true;
    std::size_t want = position_ == 0 ? kFirstChunk : kChunk;
    if (run_.Length >= 0)
      want = static_cast<std::size_t>(std::min<std::uint64_t>(want, run_.Length - position_));
    std::size_t count = 0;
    if (position_ == 0) {
      // Fewer bytes than wanted there: the file ends with them.
      count = std::min(want, start_.Got > start_.Skip ? start_.Got - start_.Skip : 0);
      chunk.assign(start_.Bytes.begin() + static_cast<std::ptrdiff_t>(start_.Skip),
                   start_.Bytes.begin() + static_cast<std::ptrdiff_t>(start_.Skip + count));
    } else {
      chunk.resize(want);
      const auto read = request_.Source.ReadAt(run_.DataStart + position_, chunk.data(), want);
      if (read.code != 0) {
        code = read.code;
        return false;
      }
      count = read.count;
      chunk.resize(count);
    }
    TransformPieces(request_.SourceReadTransform, chunk.data(), chunk.size());
    if (run_.Layout == RunLayout::Plain) {
      // A plain memo ends at its first 0x1A; a zero byte ends it as well.
      const auto end = std::find_if(chunk.begin(), chunk.end(),
                                    [](std::uint8_t c) { return c == 0x1A || c == 0; });
      if (end != chunk.end()) {
        chunk.erase(end, chunk.end());
        ended_ = true;
      }
    }
    if (count < want || want == 0) ended_ = true;
    position_ += chunk.size();
    return true;
  }

 private:
  const CopyRequest& request_;
  const MemoRun& run_;
  const RunStart& start_;
  std::uint64_t position_ = 0;
  bool ended_ = false;
};

// Whether a text holds a byte that would end it early in a plain dBase III memo.
bool NeedsGroupHeader(const CopyRequest& request, const MemoRun& run, const RunStart& start,
                      std::uint16_t& code) {
  SourceText text(request, run, start);
  std::vector<std::uint8_t> chunk;
  while (text.Next(chunk, code) && !chunk.empty()) {
    if (HoldsPlainMemoEnd(chunk.data(), chunk.size())) return true;
  }
  return false;
}

constexpr std::string_view kCopyTag = "AppendFrom/CopyTo";

std::int32_t Fail(const CopyRequest& request, std::uint16_t code, std::string_view tag = kCopyTag) {
  ReportMemoError(code, request.FileName + " [" + std::string(tag) + "]");
  return 0;
}

}  // namespace

std::int32_t CopyMemoBlocks(const CopyRequest& request) {
  if (request.SourceBlock == 0) return 0;
  const std::uint64_t sourceOffset =
      BlockOffset(std::llabs(std::int64_t{request.SourceBlock}), request.SourceBlockSize);
  // A run at or past the source's last byte is 1003, told by the read of its header.
  MemoRun run;
  RunStart start;
  if (const std::uint16_t code = ReadRunStart(request.Source, request.SourceDialect, sourceOffset,
                                              start.Bytes.data(), start.Bytes.size(), start.Got, run))
    return Fail(request, code);
  start.Skip = static_cast<std::size_t>(run.DataStart - sourceOffset);
  // Outside a dBase III file, and for a negated block, a memo must carry its header.
  const bool headerRequired = !IsDbase3(request.SourceDialect) || request.SourceBlock < 0;
  if (headerRequired && run.Layout == RunLayout::Plain) return 0;

  std::uint16_t code = 0;
  bool withHeader = !IsDbase3(request.DestDialect);
  if (!withHeader && run.Layout != RunLayout::Plain) {
    withHeader = NeedsGroupHeader(request, run, start, code);
    if (code != 0) return Fail(request, code);
  }
  const std::uint64_t dataStart = request.DestOffset + (withHeader ? 8 : 0);
  // The padding goes with the first piece, and the header too when that is the only one.
  const std::uint64_t padFrom = std::min(request.PadFrom, request.DestOffset);
  const auto write = [&](std::uint64_t offset, const Pieces& pieces) {
    std::size_t length = 0;
    for (int i = 0; i < pieces.size(); ++i) length += pieces.data()[i].iov_len;
    const auto written = request.Dest.WriteAt(offset, pieces.data(), pieces.size());
    return written.code == 0 && written.count == length;
  };
  SourceText text(request, run, start);
  std::vector<std::uint8_t> chunk;
  std::vector<std::uint8_t> next;
  if (!text.Next(chunk, code)) return Fail(request, code);
  std::uint64_t copied = 0;
  bool headerWritten = !withHeader;
  std::array<std::uint8_t, 8> header{};
  while (!chunk.empty()) {
    if (!text.Next(next, code)) return Fail(request, code);
    // A plain memo ends with 0x1A 0x1A, written with its last piece.
    if (next.empty() && !withHeader) chunk.insert(chunk.end(), {0x1A, 0x1A});
    TransformPieces(request.DestWriteTransform, chunk.data(), chunk.size());
    Pieces pieces;
    std::uint64_t at = dataStart + copied;
    if (copied == 0) {
      pieces.AddZeros(request.DestOffset - padFrom);
      if (withHeader && next.empty()) {
        header = RunHeader(IsFoxPro(request.DestDialect), chunk.size());
        pieces.Add(header.data(), header.size());
        headerWritten = true;
      } else if (withHeader) {
        pieces.AddZeros(8);  // the header's place, written at the end
      }
      at = padFrom;
    }
    pieces.Add(chunk.data(), chunk.size());
    // A first write that pads the file fails as its padding would.
    const bool pads = copied == 0 && padFrom < request.DestOffset;
    if (!write(at, pieces)) return Fail(request, 1005, pads ? request.PadTag : kCopyTag);
    copied += chunk.size();
    chunk.swap(next);
  }
  if (copied == 0) {
    // Nothing to copy: the file is padded all the same.
    Pieces zeros;
    zeros.AddZeros(request.DestOffset - padFrom);
    if (zeros.size() > 0 && !write(padFrom, zeros)) return Fail(request, 1005, request.PadTag);
    return 0;
  }
  if (!headerWritten) {
    header = RunHeader(IsFoxPro(request.DestDialect), copied);
    const auto written = request.Dest.WriteAt(request.DestOffset, header.data(), header.size());
    if (written.code != 0 || written.count < header.size()) return Fail(request, 1005);
  }
  const auto block = static_cast<std::int32_t>(request.DestBlock);
  return request.NegateResult && withHeader ? -block : block;
}

}  // namespace memo

std::int32_t CopyMemo(std::uint8_t sourceArea, std::int32_t sourceBlock, bool atSameBlock) {
  if (sourceBlock == 0) return 0;
  const auto current = memo::CurrentMemoArea("AppendFrom/CopyTo");
  if (!current) return 0;
  ErrorCode = 0;
  const WorkAreaRecord* source = WorkArea(sourceArea);
  if (source == nullptr || source->MemoDescriptor == nullptr) {
    SetError(1019, "Work area " + std::to_string(sourceArea) + " No Memo Field [AppendFrom/CopyTo]");
    return 0;
  }
  const MemoDescriptor& from = *source->MemoDescriptor;
  MemoDescriptor& memo = current->Memo;
  memo::MemoLockRelease release(current->Area, memo);
  // Copied to the end, the memo pads the file with its first write.
  std::uint64_t fileEnd = 0;
  const std::uint64_t end =
      atSameBlock ? LockMemoPadAndSeekEOF("CopyMemo()") : memo::LockForAppend("CopyMemo()", fileEnd);
  if (end == 0) return 0;
  memo::CopyRequest request{from.MemoFile, memo.MemoFile};
  request.SourceBlockSize = from.BlockSize;
  request.DestBlockSize = memo.BlockSize;
  request.SourceDialect = from.Dialect;
  request.DestDialect = memo.Dialect;
  request.SourceBlock = sourceBlock;
  if (atSameBlock) {
    request.DestBlock = static_cast<std::uint32_t>(std::llabs(std::int64_t{sourceBlock}));
    request.DestOffset = memo::BlockOffset(request.DestBlock, memo.BlockSize);
  } else {
    // A new dBase III file's final 0x1A is overwritten.
    request.DestOffset = memo::IsDbase3(memo.Dialect) && end == 513 ? 512 : end;
    const std::uint64_t block = request.DestOffset / memo.BlockSize;
    if (block > memo::kMaxBlock) {
      ReportMemoError(1003, memo.MemoFileName + " [AppendFrom/CopyTo]");
      return 0;
    }
    request.DestBlock = static_cast<std::uint32_t>(block);
    request.PadFrom = fileEnd;
  }
  request.SourceReadTransform = source->ReadTransform;
  request.DestWriteTransform = current->Area.WriteTransform;
  request.NegateResult = memo::IsDbase3(memo.Dialect);
  request.FileName = memo.MemoFileName;
  const std::int32_t block = memo::CopyMemoBlocks(request);
  if (ErrorCode == 0) {
    memo::FlushMemoFile(memo);
    if (ErrorCode == 0) UpdateMemoHeader();
  }
  return block;
}

}  // namespace xbase
