#pragma once
// Pieces shared by the files of the memo store; not for callers.

#include <sys/uio.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "xbase/memo/MemoDescriptor.h"
#include "xbase/memo/memo.h"
#include "xbase/workarea/dbf4.h"

namespace xbase::memo {

// The current area with its open memo file.
struct MemoArea {
  WorkAreaRecord& Area;
  MemoDescriptor& Memo;
};

// The current area and its memo file after CheckMemoArea(routine); nothing on refusal.
std::optional<MemoArea> CurrentMemoArea(std::string_view routine);

// Opens the memo file as its table is open: shared when the table is, else exclusively; its
// header through the mapping (MemoFileIo.h).
std::uint16_t ReopenMemoFile(const WorkAreaRecord& area, MemoDescriptor& memo);

// The bytes of the dialect's header: 24 in a dBase IV file, 512 in the others.
std::size_t HeaderBytes(const MemoDescriptor& memo);

// The descriptor of area n, null when it has none.
MemoDescriptor* MemoOf(std::uint8_t area);

inline bool IsFoxPro(std::uint8_t dialect) { return dialect == MemoFoxPro; }
inline bool IsDbase3(std::uint8_t dialect) { return dialect == MemoDbase3; }
// Every dialect byte but FoxPro and dBase III reads and writes as dBase IV.
inline bool IsDbase4(std::uint8_t dialect) { return !IsFoxPro(dialect) && !IsDbase3(dialect); }

inline std::uint64_t BlockOffset(std::uint64_t block, std::uint16_t blockSize) {
  return block * blockSize;
}

// Whole blocks that hold `bytes` bytes.
inline std::uint64_t BlocksFor(std::uint64_t bytes, std::uint16_t blockSize) {
  return (bytes + blockSize - 1) / blockSize;
}

// The highest block number a memo field and the hooks can carry.
inline constexpr std::uint64_t kMaxBlock = 0x7FFFFFFF;

// The first offset past the header, where the first memo may go: a dBase III and a FoxPro
// header fill 512 bytes, a dBase IV header 24.
std::uint64_t FirstDataOffset(const MemoDescriptor& memo);

// The file's size; on failure its code, after which size is 0.
std::uint16_t MemoFileSize(const MemoDescriptor& memo, std::uint64_t& size);

// The memo lock of an area (memo.h, LockMemoFile); Unlock is true when there was nothing to
// release.
bool LockMemo(const WorkAreaRecord& area, MemoDescriptor& memo);
bool UnlockMemo(const WorkAreaRecord& area, MemoDescriptor& memo);

// LockMemoPadAndSeekEOF without the padding: the offset where a new memo starts, and in `end`
// the file's end before it, up to which the memo's writer pads.
std::uint64_t LockForAppend(std::string_view routine, std::uint64_t& end);

// Releases the memo lock on every way out of a scope, exceptions included.
class MemoLockRelease {
 public:
  MemoLockRelease(const WorkAreaRecord& area, MemoDescriptor& memo) : area_(area), memo_(memo) {}
  ~MemoLockRelease() {
    if (memo_.Locked) UnlockMemo(area_, memo_);
  }
  MemoLockRelease(const MemoLockRelease&) = delete;
  MemoLockRelease& operator=(const MemoLockRelease&) = delete;

 private:
  const WorkAreaRecord& area_;
  MemoDescriptor& memo_;
};

// Makes an area current for a scope and restores the previous one.
class AreaScope {
 public:
  explicit AreaScope(std::uint8_t area) : saved_(CurrentWorkArea) { CurrentWorkArea = area; }
  ~AreaScope() { CurrentWorkArea = saved_; }
  AreaScope(const AreaScope&) = delete;
  AreaScope& operator=(const AreaScope&) = delete;

 private:
  std::uint8_t saved_;
};

// " Record # <n>" of the current area, for messages.
std::string RecordContext();

// ---- Runs

// The 8 bytes at the start of a run: FF FF 08 00 and the length with them (dBase IV, also in
// dBase III files), or FoxPro's type and text length.
bool IsGroupHeader(const std::uint8_t* bytes);
std::array<std::uint8_t, 8> RunHeader(bool foxPro, std::uint64_t textLength);

// Whether bytes hold what a plain dBase III memo cannot: its end mark 0x1A, or a zero byte,
// which copies and packs take for one. A dBase III memo of such bytes carries the group header
// instead, and its block is given negated.
bool HoldsPlainMemoEnd(const void* bytes, std::size_t count);

// The block as a memo field holds it: negated for a dBase III memo with a group header.
inline std::int32_t FieldBlock(std::uint8_t dialect, std::uint32_t block, bool groupHeader) {
  const auto field = static_cast<std::int32_t>(block);
  return IsDbase3(dialect) && groupHeader ? -field : field;
}

enum class RunLayout { Plain, GroupHeader, FoxPro };

struct MemoRun {
  RunLayout Layout = RunLayout::Plain;
  std::uint64_t DataStart = 0;  // file offset of the text
  std::int64_t Length = -1;     // text length; -1 for a plain memo, which ends at its first 0x1A
};

// What the run at offset holds, by the dialect and its first bytes (a run shorter than 8
// bytes is read as if zeros followed; a stored dBase IV length below 8 counts as an empty
// text), from one read of its first `length` bytes (at least 8) into bytes, of which `got`
// were there. 0, the read's code, or 1003 for a run at or past the last byte of the file
// (fewer than 2 bytes there), which so needs no question about the file's size.
std::uint16_t ReadRunStart(const MemoFileIo& file, std::uint8_t dialect, std::uint64_t offset,
                           std::uint8_t* bytes, std::size_t length, std::size_t& got, MemoRun& run);

// Applies a record transform to data in MemoBufferSize pieces; data starts a piece.
void TransformPieces(const RecordTransform& transform, std::uint8_t* data, std::size_t length);

// Zeros for the pieces of writes: as many as a block's padding (less than a block and the
// header) or a plain memo's tail can need in two pieces.
inline constexpr std::size_t kZeroBytes = 0x10000;
extern const std::uint8_t kZeros[kZeroBytes];

// The pieces of one write, copied nowhere: padding, a header, text, end marks.
class Pieces {
 public:
  void Add(const void* data, std::size_t length) {
    if (length > 0) pieces_.at(count_++) = {const_cast<void*>(data), length};
  }
  void AddZeros(std::uint64_t count) {
    for (; count > 0; count -= std::min<std::uint64_t>(count, kZeroBytes))
      Add(kZeros, static_cast<std::size_t>(std::min<std::uint64_t>(count, kZeroBytes)));
  }
  const iovec* data() const { return pieces_.data(); }
  int size() const { return static_cast<int>(count_); }

 private:
  std::array<iovec, 6> pieces_{};
  std::size_t count_ = 0;
};

// Writes bytes at offset of the current area's memo file; false after reporting the failure
// (its code, or 29 for a short write) with the file name and the tag.
bool WriteMemoBytes(MemoDescriptor& memo, std::uint64_t offset, const void* data,
                    std::size_t length, std::string_view tag);
// The same for pieces written one after the other with one call.
bool WriteMemoBytes(MemoDescriptor& memo, std::uint64_t offset, const iovec* pieces, int count,
                    std::string_view tag);
inline bool WriteMemoBytes(MemoDescriptor& memo, std::uint64_t offset, const Pieces& pieces,
                           std::string_view tag) {
  return WriteMemoBytes(memo, offset, pieces.data(), pieces.size(), tag);
}

// Writes the file's data through to the device, as the table layer's FlushFile does.
void FlushMemoFile(MemoDescriptor& memo);

// EditMemo of the text the line table stores (MemoLineTable::StoredText).
bool EditMemoText(std::string_view stored, std::int32_t oldBlock, std::int32_t& block);

// ---- dBase IV runs (MemoBlocks.cpp)

// Where a dBase IV memo of `needed` blocks goes: in place of `current` when its run is long
// enough (its surplus tail to be freed once the memo is written), else a free run taken from
// the chain, else the end of the file. needed = kUnknownSize always takes the end. Block 0
// after reporting a failure.
inline constexpr std::uint32_t kUnknownSize = 0x7FFFFFFF;

struct MemoPlacement {
  std::uint32_t Block = 0;
  std::uint32_t SurplusFirst = 0;   // a tail of the old run that the new memo leaves free
  std::uint32_t SurplusBlocks = 0;
};
MemoPlacement AllocMemoBlocks(MemoDescriptor& memo, std::uint32_t needed, std::uint32_t current,
                              std::string_view tag);

// Records `blocks` blocks from `first` on in the free chain (nothing when the chain is empty
// or blocks is 0); false after reporting a failure.
bool FreeMemoBlocks(MemoDescriptor& memo, std::uint32_t first, std::uint32_t blocks);

// Frees the run of the dBase IV memo at block (nothing when it holds no group header).
bool FreeMemoRun(MemoDescriptor& memo, std::uint32_t block);

// ---- Copies (MemoCopy.cpp)

// One memo copied from a run of one memo file to an offset of another (or the same).
struct CopyRequest {
  CopyRequest(const MemoFileIo& source, MemoFileIo& dest)
      : Source(source), Dest(dest) {}

  const MemoFileIo& Source;
  MemoFileIo& Dest;
  std::uint16_t SourceBlockSize = 512;
  std::uint16_t DestBlockSize = 512;
  std::uint8_t SourceDialect = MemoDbase4;
  std::uint8_t DestDialect = MemoDbase4;
  std::int32_t SourceBlock = 0;  // negative: a group header even in a dBase III file
  std::uint32_t DestBlock = 0;
  std::uint64_t DestOffset = 0;  // where the copy starts, at DestBlock or a new file's 0x1A
  // The destination's end when it lies before DestOffset: zeros pad it up to the copy, written
  // with the copy's first bytes.
  std::uint64_t PadFrom = UINT64_MAX;
  RecordTransform SourceReadTransform;
  RecordTransform DestWriteTransform;
  bool NegateResult = false;     // the destination is a dBase III file
  std::string FileName;          // named in messages
  // The tag of a failed write that pads the destination (a pack's own padding says so).
  std::string PadTag = "AppendFrom/CopyTo";
};

// The copied memo's block (negated for a dBase III destination that got a group header), 0
// when there was no text to copy or after reporting a failure (1003 for a run beyond the
// source file, 1005 for a short write).
std::int32_t CopyMemoBlocks(const CopyRequest& request);

}  // namespace xbase::memo
