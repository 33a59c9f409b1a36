// Writing memos: appending a text, and writing an edited text in place of an old memo.

#include <sys/uio.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/memo/MemoInternal.h"

namespace xbase {
namespace {

// The longest text a length field of 32 bits can describe with its header.
constexpr std::uint64_t kMaxTextLength = 0xFFFFFFFFull - 8;

// Whether a memo of text goes with a header: always but in a dBase III file, where only a
// text that a plain memo would cut short needs the group header.
bool WithHeader(const MemoDescriptor& memo, std::string_view text) {
  return !memo::IsDbase3(memo.Dialect) || memo::HoldsPlainMemoEnd(text.data(), text.size());
}

// The bytes of a memo's run through the area's write transform, in one piece: a plain
// dBase III memo is its text, 0x1A 0x1A (so that readers looking for the pair stop there too)
// and zeros to whole blocks; the others carry their dialect's header.
std::vector<std::uint8_t> TransformedImage(const MemoDescriptor& memo, std::string_view text,
                                           bool withHeader, const RecordTransform& transform) {
  std::vector<std::uint8_t> image;
  if (!withHeader) {
    image.assign(memo::BlocksFor(text.size() + 2, MemoBufferSize) * MemoBufferSize, 0);
    std::copy(text.begin(), text.end(), image.begin());
    image[text.size()] = image[text.size() + 1] = 0x1A;
    memo::TransformPieces(transform, image.data(), image.size());
    return image;
  }
  const auto header = memo::RunHeader(memo::IsFoxPro(memo.Dialect), text.size());
  image.reserve(header.size() + text.size());
  image.assign(header.begin(), header.end());
  image.insert(image.end(), text.begin(), text.end());
  memo::TransformPieces(transform, image.data() + header.size(), text.size());
  return image;
}

const std::uint8_t kPlainEnd[2] = {0x1A, 0x1A};

// Writes the run at block, and zeros in front of it from `from` on when that lies before it (a
// file not yet padded to the run's block), with one call, and flushes the file; false after
// reporting a failure.
bool WriteRun(memo::MemoArea current, std::uint64_t block, std::string_view text, bool withHeader,
              std::string_view tag, std::uint64_t from) {
  MemoDescriptor& memo = current.Memo;
  if (block > memo::kMaxBlock) {
    ReportMemoError(1003, memo.MemoFileName + " [" + std::string(tag) + "]");
    return false;
  }
  const std::uint64_t offset = memo::BlockOffset(block, memo.BlockSize);
  from = std::min(from, offset);
  memo::Pieces pieces;
  pieces.AddZeros(offset - from);
  std::vector<std::uint8_t> image;
  std::array<std::uint8_t, 8> header{};
  if (current.Area.WriteTransform) {
    image = TransformedImage(memo, text, withHeader, current.Area.WriteTransform);
    pieces.Add(image.data(), image.size());
  } else if (!withHeader) {
    pieces.Add(text.data(), text.size());
    pieces.Add(kPlainEnd, sizeof kPlainEnd);
    pieces.AddZeros(memo::BlocksFor(text.size() + 2, MemoBufferSize) * MemoBufferSize - text.size() - 2);
  } else {
    header = memo::RunHeader(memo::IsFoxPro(memo.Dialect), text.size());
    pieces.Add(header.data(), header.size());
    pieces.Add(text.data(), text.size());
  }
  if (!memo::WriteMemoBytes(memo, from, pieces.data(), pieces.size(), tag)) return false;
  memo::FlushMemoFile(memo);
  return ErrorCode == 0;
}

bool TooLong(const MemoDescriptor& memo, std::uint64_t length, std::string_view tag) {
  if (length <= kMaxTextLength) return false;
  SetError(1005, memo.MemoFileName + " [" + std::string(tag) + "]");
  return true;
}

}  // namespace

std::int32_t AddMemo(std::string_view text) {
  const auto current = memo::CurrentMemoArea("AddMemo");
  if (!current) return 0;
  ErrorCode = 0;
  const std::string_view data = RTrimView(text);
  MemoDescriptor& memo = current->Memo;
  if (data.empty() || TooLong(memo, data.size(), "AddMemo")) return 0;
  memo::MemoLockRelease release(current->Area, memo);
  std::uint64_t end = 0;
  const std::uint64_t start = memo::LockForAppend("AddMemo()", end);
  if (start == 0) return 0;
  const std::uint64_t block = start / memo.BlockSize;
  const bool withHeader = WithHeader(memo, data);
  if (!WriteRun(*current, block, data, withHeader, "AddMemo", end)) return 0;
  UpdateMemoHeader();
  return memo::FieldBlock(memo.Dialect, static_cast<std::uint32_t>(block), withHeader);
}

bool EditMemo(const MemoLineTable& text, std::int32_t oldBlock, std::int32_t& block) {
  return memo::EditMemoText(text.StoredText(), oldBlock, block);
}

namespace memo {

bool EditMemoText(std::string_view stored, std::int32_t oldBlock, std::int32_t& block) {
  block = oldBlock;
  constexpr std::string_view kTag = "EditMemo/CloseMemo";
  const auto current = memo::CurrentMemoArea(kTag);
  if (!current) return false;
  ErrorCode = 0;
  if (stored.empty()) {
    block = 0;
    return true;
  }
  MemoDescriptor& memo = current->Memo;
  if (TooLong(memo, stored.size(), kTag)) return false;
  if (static_cast<std::uint64_t>(DiskSpace(memo.MemoFileName)) <= stored.size() / 1024) {
    ReportMemoError(1004, memo.MemoFileName + " [EditMemo/CloseMemo]");
    return false;
  }
  memo::MemoLockRelease release(current->Area, memo);
  // The file is padded to its next block by the write of a memo that goes there, with the
  // memo; the dBase IV allocator counts a last block begun as a whole one, as it stands padded.
  const bool dbase4 = memo::IsDbase4(memo.Dialect);
  std::uint64_t end = 0;
  const std::uint64_t start = memo::LockForAppend(kTag, end);
  if (start == 0) return false;
  const auto old = static_cast<std::uint32_t>(std::llabs(std::int64_t{oldBlock}));
  memo::MemoPlacement placement{};
  std::uint64_t newBlock = start / memo.BlockSize;
  if (dbase4) {
    const std::uint64_t needed = memo::BlocksFor(stored.size() + 8, memo.BlockSize);
    placement = memo::AllocMemoBlocks(
        memo, static_cast<std::uint32_t>(std::min<std::uint64_t>(needed, memo::kUnknownSize - 1)),
        old, kTag);
    if (placement.Block == 0) return false;
    newBlock = placement.Block;
  }
  const bool withHeader = WithHeader(memo, stored);
  if (!WriteRun(*current, newBlock, stored, withHeader, kTag, end)) return false;
  // Only now that the new memo stands are the blocks it no longer needs given up.
  if (dbase4) {
    if (!memo::FreeMemoBlocks(memo, placement.SurplusFirst, placement.SurplusBlocks)) return false;
    if (old != 0 && old != newBlock && !memo::FreeMemoRun(memo, old)) return false;
  }
  UpdateMemoHeader();
  if (ErrorCode != 0) return false;
  block = memo::FieldBlock(memo.Dialect, static_cast<std::uint32_t>(newBlock), withHeader);
  return true;
}

}  // namespace memo

}  // namespace xbase
