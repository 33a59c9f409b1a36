// Memo runs: the header at the start of a run and the bytes around it.

#include <algorithm>
#include <cstring>

#include "xbase/core/ByteOrder.h"
#include "xbase/core/ovcommon.h"
#include "xbase/memo/MemoInternal.h"

namespace xbase {
namespace memo {

const std::uint8_t kZeros[kZeroBytes] = {};

bool IsGroupHeader(const std::uint8_t* bytes) {
  return GetLE16(bytes) == 0xFFFF && GetLE16(bytes + 2) == 8;
}

bool HoldsPlainMemoEnd(const void* bytes, std::size_t count) {
  return std::memchr(bytes, 0x1A, count) != nullptr || std::memchr(bytes, 0, count) != nullptr;
}

std::array<std::uint8_t, 8> RunHeader(bool foxPro, std::uint64_t textLength) {
  std::array<std::uint8_t, 8> header{};
  if (foxPro) {
    PutBE32(&header[0], 1);  // text
    PutBE32(&header[4], static_cast<std::uint32_t>(textLength));
  } else {
    PutLE16(&header[0], 0xFFFF);
    PutLE16(&header[2], 8);
    PutLE32(&header[4], static_cast<std::uint32_t>(textLength + 8));
  }
  return header;
}

namespace {

// The run that begins with these 8 bytes (zeros where the file had none).
MemoRun ParseMemoRun(const std::uint8_t* header, std::uint8_t dialect, std::uint64_t offset) {
  if (IsFoxPro(dialect)) return {RunLayout::FoxPro, offset + 8, std::int64_t{GetBE32(&header[4])}};
  if (IsGroupHeader(header)) {
    const std::uint32_t stored = GetLE32(&header[4]);
    return {RunLayout::GroupHeader, offset + 8, stored < 8 ? 0 : std::int64_t{stored} - 8};
  }
  return {RunLayout::Plain, offset, -1};
}

// A write that came short or failed is reported with the memo file's name and the tag.
bool WholeWrite(MemoDescriptor& memo, const platform::os::Transfer& written, std::size_t length,
                std::string_view tag) {
  ErrorCode = written.code;
  if (written.code != 0 || written.count < length) {
    ReportMemoError(written.code != 0 ? written.code : 29,
                    memo.MemoFileName + " [" + std::string(tag) + "]");
    return false;
  }
  return true;
}

}  // namespace

std::uint16_t ReadRunStart(const MemoFileIo& file, std::uint8_t dialect, std::uint64_t offset,
                           std::uint8_t* bytes, std::size_t length, std::size_t& got, MemoRun& run) {
  got = 0;
  const auto read = file.ReadAt(offset, bytes, length);
  if (read.code != 0) return read.code;
  if (read.count < 2) return 1003;
  got = read.count;
  std::array<std::uint8_t, 8> header{};
  std::memcpy(header.data(), bytes, std::min(got, header.size()));
  run = ParseMemoRun(header.data(), dialect, offset);
  return 0;
}

void TransformPieces(const RecordTransform& transform, std::uint8_t* data, std::size_t length) {
  if (!transform) return;
  for (std::size_t at = 0; at < length; at += MemoBufferSize)
    transform(data + at, std::min(MemoBufferSize, length - at));
}

bool WriteMemoBytes(MemoDescriptor& memo, std::uint64_t offset, const void* data,
                    std::size_t length, std::string_view tag) {
  return WholeWrite(memo, memo.MemoFile.WriteAt(offset, data, length), length, tag);
}

bool WriteMemoBytes(MemoDescriptor& memo, std::uint64_t offset, const iovec* pieces, int count,
                    std::string_view tag) {
  std::size_t length = 0;
  for (int i = 0; i < count; ++i) length += pieces[i].iov_len;
  return WholeWrite(memo, memo.MemoFile.WriteAt(offset, pieces, count), length, tag);
}

void FlushMemoFile(MemoDescriptor& memo) {
  const std::uint16_t code = memo.MemoFile.Sync();
  if (code != 0) ReportMemoError(code, "Unable to flush file [FlushFile]");
}

}  // namespace memo

}  // namespace xbase
