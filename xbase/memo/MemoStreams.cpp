// Memo streams: a memo read or written as bytes, one stream per work area. A stream written
// gets its run at the end of the file with the dialect's header, and holds the memo lock until
// it is closed. In a dBase III file the run is a plain memo, its end marks written on closing,
// unless the bytes hold what a plain memo cannot: they then move up behind the dBase IV group
// header and the block is given negated. With a record transform on the area the bytes pass
// through a window of MemoBufferSize bytes, so that they are transformed in the same pieces as
// every memo's.

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/os/CodePage850.h"
#include "xbase/core/ovcommon.h"
#include "xbase/memo/MemoInternal.h"

namespace xbase {
namespace {

constexpr std::uint8_t kRead = 1;
constexpr std::uint8_t kWrite = 2;

// The bytes that decide whether a stream holds OEM text.
constexpr std::size_t kOemSample = 32767;
constexpr std::uint64_t kMaxStreamLength = 0xFFFFFFFFull - 8;

// The bytes read with a run's header when a stream opens it for reading in a file opened
// shared: the header and the data of most memos.
constexpr std::size_t kAheadBytes = 8 * MemoBufferSize;

// Bytes moved at a time when a dBase III stream takes the group header.
constexpr std::size_t kMoveChunk = 128 * MemoBufferSize;

// OEM text holds no control character but tab, LF, CR, 15, 20 and 21.
bool LooksLikeOemText(const std::uint8_t* bytes, std::size_t count) {
  const std::uint8_t* end = bytes + std::min(count, kOemSample);
  return std::all_of(bytes, end, [](std::uint8_t c) {
    return c >= 32 || c == 9 || c == 10 || c == 13 || c == 15 || c == 20 || c == 21;
  });
}

// The current area's memo file, when it has one; streams answer 0 quietly without.
std::optional<memo::MemoArea> StreamArea() {
  WorkAreaRecord* area = WorkArea(CurrentWorkArea);
  if (area == nullptr || area->MemoDescriptor == nullptr) return std::nullopt;
  return memo::MemoArea{*area, *area->MemoDescriptor};
}

void ReportBlobError(memo::MemoArea current, std::uint16_t code, std::string_view routine) {
  BlobDescriptor& blob = current.Memo.Blob;
  blob.Window.clear();
  blob.WindowLoaded = blob.WindowDirty = false;
  ReportMemoError(code, std::to_string(blob.Block) + " " + current.Area.FileName +
                            memo::RecordContext() + " [" + std::string(routine) + "]");
}

// ---- The transform window

std::uint16_t StoreWindow(memo::MemoArea current) {
  BlobDescriptor& blob = current.Memo.Blob;
  if (!blob.WindowDirty) return 0;
  std::vector<std::uint8_t> stored(blob.Window.begin(), blob.Window.begin() + blob.WindowFill);
  memo::TransformPieces(current.Area.WriteTransform, stored.data(), stored.size());
  const auto written =
      current.Memo.MemoFile.WriteAt(blob.DataStart + blob.WindowStart, stored.data(), stored.size());
  if (written.code != 0 || written.count < stored.size()) return written.code != 0 ? written.code : 29;
  blob.WindowDirty = false;
  return 0;
}

// Loads the window that holds data offset `position`.
std::uint16_t LoadWindow(memo::MemoArea current, std::uint64_t position) {
  BlobDescriptor& blob = current.Memo.Blob;
  const std::uint64_t start = position / MemoBufferSize * MemoBufferSize;
  if (blob.WindowLoaded && blob.WindowStart == start) return 0;
  if (const std::uint16_t code = StoreWindow(current)) return code;
  const auto read = current.Memo.MemoFile.ReadAt(blob.DataStart + start, blob.Window.data(),
                                                 MemoBufferSize);
  if (read.code != 0) return read.code;
  std::uint64_t fill = read.count;
  // Only data belongs to the window: not what follows a known length or the bytes written.
  const std::int64_t end = blob.Mode == kWrite ? static_cast<std::int64_t>(blob.Written) : blob.Length;
  if (end >= 0) fill = std::min<std::uint64_t>(fill, start < std::uint64_t(end) ? end - start : 0);
  blob.WindowFill = static_cast<std::size_t>(fill);
  memo::TransformPieces(current.Area.ReadTransform, blob.Window.data(), blob.WindowFill);
  blob.WindowStart = start;
  blob.WindowLoaded = true;
  return 0;
}

// Reads data from `position` on; `got` bytes arrived (fewer at the end of the file).
std::uint16_t ReadData(memo::MemoArea current, std::uint64_t position, std::uint8_t* out,
                       std::size_t count, std::size_t& got) {
  BlobDescriptor& blob = current.Memo.Blob;
  got = 0;
  if (blob.Window.empty()) {
    const auto read = current.Memo.MemoFile.ReadAt(blob.DataStart + position, out, count);
    got = read.count;
    return read.code;
  }
  while (got < count) {
    if (const std::uint16_t code = LoadWindow(current, position + got)) return code;
    const std::size_t at = static_cast<std::size_t>(position + got - blob.WindowStart);
    if (at >= blob.WindowFill) break;
    const std::size_t n = std::min(count - got, blob.WindowFill - at);
    std::memcpy(out + got, blob.Window.data() + at, n);
    got += n;
  }
  return 0;
}

std::uint16_t WriteData(memo::MemoArea current, std::uint64_t position, const std::uint8_t* data,
                        std::size_t count) {
  BlobDescriptor& blob = current.Memo.Blob;
  if (blob.Window.empty()) {
    const auto written = current.Memo.MemoFile.WriteAt(blob.DataStart + position, data, count);
    if (written.code != 0 || written.count < count) return written.code != 0 ? written.code : 29;
    return 0;
  }
  for (std::size_t done = 0; done < count;) {
    if (const std::uint16_t code = LoadWindow(current, position + done)) return code;
    const std::size_t at = static_cast<std::size_t>(position + done - blob.WindowStart);
    const std::size_t n = std::min(count - done, MemoBufferSize - at);
    std::memcpy(blob.Window.data() + at, data + done, n);
    blob.WindowFill = std::max(blob.WindowFill, at + n);
    blob.WindowDirty = true;
    done += n;
  }
  return 0;
}

// Ends a plain dBase III memo: 0x1A 0x1A and zeros to the end of its last block, as every plain
// memo's run, through the transform window like its data.
std::uint16_t WritePlainEnd(memo::MemoArea current) {
  BlobDescriptor& blob = current.Memo.Blob;
  std::vector<std::uint8_t> end(
      memo::BlocksFor(blob.Written + 2, MemoBufferSize) * MemoBufferSize - blob.Written, 0);
  end[0] = end[1] = 0x1A;
  if (const std::uint16_t code = WriteData(current, blob.Written, end.data(), end.size())) return code;
  return StoreWindow(current);
}

// Moves the data written up by 8 bytes, from its end down, and writes the group header before
// it. The stored bytes move as they are: transforms work in pieces counted from the data's
// first byte wherever it lies.
std::uint16_t MoveBehindGroupHeader(memo::MemoArea current) {
  BlobDescriptor& blob = current.Memo.Blob;
  MemoFileIo& file = current.Memo.MemoFile;
  std::vector<std::uint8_t> chunk;
  for (std::uint64_t end = blob.Written; end > 0;) {
    const std::uint64_t start = end > kMoveChunk ? end - kMoveChunk : 0;
    chunk.resize(static_cast<std::size_t>(end - start));
    const auto read = file.ReadAt(blob.DataStart + start, chunk.data(), chunk.size());
    if (read.code != 0 || read.count < chunk.size()) return read.code != 0 ? read.code : 30;
    const auto written = file.WriteAt(blob.DataStart + start + 8, chunk.data(), chunk.size());
    if (written.code != 0 || written.count < chunk.size()) return written.code != 0 ? written.code : 29;
    end = start;
  }
  const auto header = memo::RunHeader(false, blob.Written);
  const auto written = file.WriteAt(blob.DataStart, header.data(), header.size());
  if (written.code != 0 || written.count < header.size()) return written.code != 0 ? written.code : 29;
  blob.DataStart += 8;
  blob.HeaderSize = 8;
  return 0;
}

}  // namespace

std::int32_t OpenBlob(bool oemDetect, std::int32_t block, std::uint8_t mode) {
  const auto current = memo::CurrentMemoArea("CreateBlobDescriptor");
  if (!current) return 0;
  ErrorCode = 0;
  WorkAreaRecord& area = current->Area;
  MemoDescriptor& memo = current->Memo;
  // A stream left open is dropped; a written one gives up the lock it held.
  if (memo.Blob.IsOpen && memo.Blob.Mode == kWrite) memo::UnlockMemo(area, memo);
  memo.Blob = {};
  BlobDescriptor& blob = memo.Blob;
  if (mode != kRead && mode != kWrite) return 0;
  if (area.ReadTransform || area.WriteTransform) blob.Window.assign(MemoBufferSize, 0);
  blob.OemMode = oemDetect ? -1 : 0;
  blob.Block = static_cast<std::uint32_t>(std::llabs(std::int64_t{block}));
  blob.Mode = mode;
  if (mode == kRead) {
    if (blob.Block == 0) {
      // No memo: an empty stream.
      blob.Length = 0;
      blob.IsOpen = true;
      return 0;
    }
    const std::uint64_t offset = memo::BlockOffset(blob.Block, memo.BlockSize);
    memo::MemoRun run;
    // A file opened shared is read with a call each time: the header comes with the first
    // bytes of the data, kept for the reads.
    const bool ahead = !memo.MemoFile.Exclusive() && blob.Window.empty();
    std::array<std::uint8_t, 8> header{};
    if (ahead) blob.Ahead.resize(kAheadBytes);
    std::uint8_t* first = ahead ? blob.Ahead.data() : header.data();
    std::size_t got = 0;
    if (const std::uint16_t code = memo::ReadRunStart(memo.MemoFile, memo.Dialect, offset, first,
                                                      ahead ? kAheadBytes : header.size(), got, run)) {
      blob.Ahead.clear();
      ReportBlobError(*current, code, "CreateBlobDescriptor");
      return 0;
    }
    blob.DataStart = run.DataStart;
    blob.Length = run.Length;
    if (ahead) {
      // The data's bytes among those read: after the header, up to the length.
      const std::size_t skip = std::min(got, static_cast<std::size_t>(run.DataStart - offset));
      std::size_t kept = got - skip;
      if (run.Length >= 0) kept = static_cast<std::size_t>(std::min<std::uint64_t>(kept, run.Length));
      blob.Ahead.resize(skip + kept);
      blob.Ahead.erase(blob.Ahead.begin(), blob.Ahead.begin() + static_cast<std::ptrdiff_t>(skip));
      blob.AheadEnds = got < kAheadBytes;
    }
    blob.HeaderSize = run.Layout == memo::RunLayout::Plain ? 0 : 8;
  } else {
    // A run with a header pads the file with the header's write on closing; a plain dBase III
    // memo starts its run, which is padded now.
    const bool withHeader = !memo::IsDbase3(memo.Dialect);
    std::uint64_t end = 0;
    const std::uint64_t start = withHeader ? memo::LockForAppend("CreateBlobDescriptor", end)
                                           : LockMemoPadAndSeekEOF("CreateBlobDescriptor");
    if (start == 0) {
      blob.Window.clear();
      return 0;
    }
    if (withHeader) blob.PadFrom = end;
    std::uint64_t first = start / memo.BlockSize;
    if (memo::IsDbase4(memo.Dialect)) {
      // The size is not known yet: the run goes at the end of the file.
      first = memo::AllocMemoBlocks(memo, memo::kUnknownSize, 0, "CreateBlobDescriptor").Block;
      if (first == 0) {
        blob.Window.clear();
        return 0;
      }
    }
    if (first > memo::kMaxBlock) {
      ReportBlobError(*current, 1003, "CreateBlobDescriptor");
      return 0;
    }
    blob.Block = static_cast<std::uint32_t>(first);
    // A dBase III memo starts plain; it takes its header, if it needs one, on closing.
    blob.HeaderSize = memo::IsDbase3(memo.Dialect) ? 0 : 8;
    blob.DataStart = memo::BlockOffset(blob.Block, memo.BlockSize) + blob.HeaderSize;
  }
  blob.IsOpen = true;
  // A written memo's layout is settled on closing, which gives its block as the field holds it.
  return memo::FieldBlock(memo.Dialect, blob.Block, mode == kRead);
}

std::int32_t ReadBlobStream(void* buffer, std::int32_t count) {
  const auto current = StreamArea();
  if (!current) return 0;
  BlobDescriptor& blob = current->Memo.Blob;
  if (!blob.IsOpen || blob.Mode != kRead || count < 1) return 0;
  std::uint64_t wanted = static_cast<std::uint64_t>(count);
  if (blob.Length >= 0) {
    const auto length = static_cast<std::uint64_t>(blob.Length);
    wanted = blob.Position < length ? std::min(wanted, length - blob.Position) : 0;
  }
  if (wanted == 0) return 0;
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t got = 0;
  if (blob.Position < blob.Ahead.size()) {
    got = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, blob.Ahead.size() - blob.Position));
    std::memcpy(out, blob.Ahead.data() + blob.Position, got);
  }
  const bool past = blob.AheadEnds && blob.Position + got >= blob.Ahead.size();
  if (got < wanted && !past) {
    std::size_t more = 0;
    if (const std::uint16_t code = ReadData(*current, blob.Position + got, out + got, wanted - got, more)) {
      ReportBlobError(*current, code, "ReadBlobStream");
      return 0;
    }
    got += more;
  }
  if (blob.Length < 0) {
    // A plain memo ends at its first 0x1A.
    if (const void* end = std::memchr(out, 0x1A, got)) {
      got = static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - out);
      blob.Length = static_cast<std::int64_t>(blob.Position + got);
    }
  }
  if (blob.OemMode == -1 && got > 0) blob.OemMode = LooksLikeOemText(out, got) ? 1 : 0;
  if (blob.OemMode == 1) std::transform(out, out + got, out, [](std::uint8_t c) {
    return platform::os::OemToAnsi(c);
  });
  blob.Position += got;
  return static_cast<std::int32_t>(got);
}

std::int32_t WriteBlobStream(const void* buffer, std::int32_t count) {
  const auto current = StreamArea();
  if (!current) return 0;
  BlobDescriptor& blob = current->Memo.Blob;
  if (!blob.IsOpen || blob.Mode != kWrite || count < 1) return 0;
  if (blob.Position + static_cast<std::uint64_t>(count) > kMaxStreamLength) {
    ReportBlobError(*current, 1005, "WriteBlobStream");
    return 0;
  }
  const auto* data = static_cast<const std::uint8_t*>(buffer);
  if (blob.OemMode == -1) blob.OemMode = LooksLikeOemText(data, count) ? 1 : 0;
  std::vector<std::uint8_t> oem;
  if (blob.OemMode == 1) {
    // The caller's bytes stay as they are.
    oem.resize(static_cast<std::size_t>(count));
    std::transform(data, data + count, oem.begin(),
                   [](std::uint8_t c) { return platform::os::AnsiToOem(c); });
    data = oem.data();
  }
  if (const std::uint16_t code = WriteData(*current, blob.Position, data, count)) {
    ReportBlobError(*current, code, "WriteBlobStream");
    return 0;
  }
  // What lies between the data's end and a write beyond it reads as zeros.
  if (!blob.EndMarkWritten)
    blob.EndMarkWritten = blob.Position > blob.Written || memo::HoldsPlainMemoEnd(data, count);
  blob.Position += static_cast<std::uint64_t>(count);
  blob.Written = std::max(blob.Written, blob.Position);
  return count;
}

std::int32_t SeekBlob(std::int32_t offset, std::uint16_t origin) {
  const auto current = StreamArea();
  if (!current) return 0;
  BlobDescriptor& blob = current->Memo.Blob;
  if (!blob.IsOpen || blob.Block == 0 || blob.Mode == 0) return 0;
  std::int64_t target = offset;
  if (origin == 1) {
    target += static_cast<std::int64_t>(blob.Position);
  } else if (origin == 2) {
    if (blob.Mode == kWrite) {
      target += static_cast<std::int64_t>(blob.Written);
    } else {
      if (blob.Length < 0) {
        // A plain memo: read through it to its 0x1A (or the end of the file).
        const BlobDescriptor saved = blob;
        std::vector<std::uint8_t> piece(MemoBufferSize);
        while (ReadBlobStream(piece.data(), static_cast<std::int32_t>(piece.size())) > 0) {
        }
        const std::int64_t length = blob.Length >= 0 ? blob.Length : static_cast<std::int64_t>(blob.Position);
        blob = saved;
        blob.Length = length;
      }
      target += blob.Length;
    }
  }
  blob.Position = static_cast<std::uint64_t>(std::max<std::int64_t>(target, 0));
  return static_cast<std::int32_t>(std::min<std::uint64_t>(blob.Position, INT32_MAX));
}

std::int32_t CloseBlob() {
  const auto current = memo::CurrentMemoArea("DestroyBlobDescriptor");
  if (!current) return 0;
  MemoDescriptor& memo = current->Memo;
  struct EndStream {
    BlobDescriptor& blob;
    ~EndStream() { blob = {}; }
  } end{memo.Blob};
  const BlobDescriptor& blob = memo.Blob;
  if (!blob.IsOpen || blob.Mode != kWrite) return 0;
  ErrorCode = 0;
  memo::MemoLockRelease release(current->Area, memo);
  std::uint16_t code = StoreWindow(*current);
  const bool plain = memo::IsDbase3(memo.Dialect) && !blob.EndMarkWritten;
  if (code == 0 && blob.Written > 0 && memo::IsDbase3(memo.Dialect))
    code = plain ? WritePlainEnd(*current) : MoveBehindGroupHeader(*current);
  if (code == 0 && !memo::IsDbase3(memo.Dialect)) {
    // The header after the zeros that pad the file up to the run, with one write; a stream
    // that wrote nothing leaves the file padded.
    const std::uint64_t at = memo::BlockOffset(blob.Block, memo.BlockSize);
    const std::uint64_t from = std::min(blob.PadFrom, at);
    memo::Pieces pieces;
    pieces.AddZeros(at - from);
    const auto header = memo::RunHeader(memo::IsFoxPro(memo.Dialect), blob.Written);
    if (blob.Written > 0) pieces.Add(header.data(), header.size());
    if (pieces.size() > 0 && !memo::WriteMemoBytes(memo, from, pieces, "DestroyBlobDescriptor")) return 0;
  }
  if (code != 0) {
    ReportBlobError(*current, code, "DestroyBlobDescriptor");
    return 0;
  }
  memo::FlushMemoFile(memo);
  // Also after a stream that wrote nothing: a dBase IV header says 0x7FFFFFFF meanwhile.
  if (ErrorCode == 0) UpdateMemoHeader();
  if (ErrorCode != 0 || blob.Written == 0) return 0;
  return memo::FieldBlock(memo.Dialect, blob.Block, !plain);
}

}  // namespace xbase
