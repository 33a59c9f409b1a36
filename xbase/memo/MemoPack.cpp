// Packing a memo file: the memos the table's records point to are copied into a new file,
// which then replaces the old one, and only then are the records' pointers rewritten, so that
// a pack that fails leaves table and memo file as they were. The table must be held
// exclusively: another program could otherwise add a memo to the old file meanwhile.

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/os/ErrnoCodes.h"
#include "xbase/core/ByteOrder.h"
#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/dbf/MemoField.h"
#include "xbase/dbf/ovdbflow.h"
#include "xbase/memo/MemoInternal.h"

namespace xbase {
namespace {

// A record's memo field and the block it points to once the pack is done.
struct Pointer {
  std::uint32_t Record;
  int Field;
  std::int32_t Block;
};

// Removes the temporary file unless the pack put it in place.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    file.Close();
    if (!path_.empty()) std::remove(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& Path() const { return path_; }
  void Keep() { path_.clear(); }

  MemoFileIo file;

 private:
  std::string path_;
};

// A record's field as stored, through the area's read transform when it has one.
std::string StoredField(WorkAreaRecord& area, int field, std::uint32_t record) {
  std::string text;
  if (!area.ReadTransform && !area.WriteTransform) {
    Peek(field, record, text);
    return text;
  }
  GetDbfRecord(area, record);
  const FieldEntry& entry = area.FieldTable[field - 1];
  return std::string(reinterpret_cast<const char*>(&area.RecordBuffer[entry.Offset]), entry.Length);
}

void StoreField(WorkAreaRecord& area, const Pointer& pointer) {
  const FieldEntry& entry = area.FieldTable[pointer.Field - 1];
  const std::string text = MemoFieldText(pointer.Block, entry.Length);
  if (!area.ReadTransform && !area.WriteTransform) {
    Poke(text, pointer.Field, pointer.Record);
    return;
  }
  GetDbfRecord(area, pointer.Record);
  std::copy(text.begin(), text.end(), area.RecordBuffer.begin() + entry.Offset);
  PutDbfRecord(area, pointer.Record);
}

// Copies the memo at block into the pack's file, at its end; its new block, 0 for a pointer
// beyond the memo file (reported, and the pack goes on). False after any other failure.
bool PackMemo(memo::MemoArea current, memo::CopyRequest& request, std::int32_t block,
              std::uint32_t record, std::int32_t& packed) {
  packed = 0;
  MemoDescriptor& memo = current.Memo;
  std::uint64_t size = 0;
  if (const std::uint16_t code = request.Dest.Size(size)) {
    ReportMemoError(code, memo.MemoFileName + " [PackMemo]");
    return false;
  }
  // A new dBase III file's final 0x1A is overwritten; otherwise whole blocks, past the header.
  const std::uint64_t offset =
      memo::IsDbase3(memo.Dialect) && size == 513
          ? 512
          : std::max(memo::BlocksFor(size, memo.BlockSize) * memo.BlockSize,
                     memo::FirstDataOffset(memo));
  std::uint64_t memoSize = 0;
  if (const std::uint16_t code = memo::MemoFileSize(memo, memoSize)) {
    ReportMemoError(code, memo.MemoFileName + " [PackMemo]");
    return false;
  }
  const std::uint64_t source =
      memo::BlockOffset(std::llabs(std::int64_t{block}), memo.BlockSize);
  if (source + 1 >= memoSize) {
    ReportMemoError(1003, memo.MemoFileName + " Memo block # " + std::to_string(block) +
                              " Record # " + std::to_string(record) + " [PackMemo]");
    return true;
  }
  if (offset / memo.BlockSize > memo::kMaxBlock) {
    ReportMemoError(1005, memo.MemoFileName + " [PackMemo]");
    return false;
  }
  // The zeros up to the memo's block go with the copy's first write.
  request.PadFrom = size;
  request.PadTag = "PackMemo";
  request.SourceBlock = block;
  request.DestOffset = offset;
  request.DestBlock = static_cast<std::uint32_t>(offset / memo.BlockSize);
  ErrorCode = 0;
  packed = memo::CopyMemoBlocks(request);
  return ErrorCode == 0;
}

// Sets the pack's file's next free block and closes it; false after reporting a failure.
bool FinishPackFile(const MemoDescriptor& memo, MemoFileIo& file) {
  std::uint64_t size = 0;
  std::uint16_t code = file.Size(size);
  // A dBase III file that received no memo keeps its new header (next free block 1).
  if (code == 0 && !(memo::IsDbase3(memo.Dialect) && size == 513)) {
    std::array<std::uint8_t, 4> next{};
    const auto blocks = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(memo::BlocksFor(size, memo.BlockSize), UINT32_MAX));
    if (memo::IsFoxPro(memo.Dialect))
      PutBE32(next.data(), blocks);
    else
      PutLE32(next.data(), blocks);
    const auto written = file.WriteAt(0, next.data(), next.size());
    code = written.count < next.size() ? 29 : file.Sync();
  }
  const std::uint16_t closeCode = file.Close();
  if (code == 0) code = closeCode;
  if (code == 0) return true;
  ReportMemoError(code, memo.MemoFileName + " [PackMemo]");
  return false;
}

}  // namespace

void PackMemofile() {
  const auto current = memo::CurrentMemoArea("PackMemofile");
  if (!current) return;
  ErrorCode = 0;
  WorkAreaRecord& area = current->Area;
  MemoDescriptor& memo = current->Memo;
  if (!area.ExclusiveFlag) {
    SetError(225, memo.MemoFileName + " [PackMemofile]");
    return;
  }
  std::uint64_t memoSize = 0;
  if (const std::uint16_t code = memo::MemoFileSize(memo, memoSize)) {
    SetError(code, memo.MemoFileName + " [PackMemofile]");
    return;
  }
  if (static_cast<std::uint64_t>(DiskSpace(area.FileName)) < memoSize / 1024) {
    SetError(1012, memo.MemoFileName + " [PackMemofile]");
    return;
  }

  TemporaryFile packed(ForceExtension(area.FileName, "$$$"));
  CreateMemoFileForVersion(packed.Path(), memo.Dialect, memo.BlockSize, "PackMemofile");
  if (ErrorCode != 0) return;
  if (const std::uint16_t code = packed.file.Open(packed.Path(), platform::os::ShareMode::kExclusive)) {
    SetError(code, packed.Path() + " [PackMemofile]");
    return;
  }
  memo::CopyRequest request{memo.MemoFile, packed.file};
  request.SourceBlockSize = request.DestBlockSize = memo.BlockSize;
  request.SourceDialect = request.DestDialect = memo.Dialect;
  request.SourceReadTransform = area.ReadTransform;
  request.DestWriteTransform = area.WriteTransform;
  request.NegateResult = memo::IsDbase3(memo.Dialect);
  request.FileName = memo.MemoFileName;

  const std::uint32_t remembered = area.RecNo;
  std::uint16_t reported = 0;  // a pointer beyond the memo file, reported and passed over
  std::vector<Pointer> pointers;
  for (std::uint32_t record = area.RecordCount; record >= 1; --record) {
    for (int field = area.FieldCount; field >= 1; --field) {
      if (area.FieldTable[field - 1].FieldType != 'M') continue;
      const std::string text = StoredField(area, field, record);
      if (ErrorCode != 0) return;
      const std::int32_t block = MemoBlockOfField(text.substr(0, 10));
      if (block == 0) continue;
      std::int32_t moved = 0;
      if (!PackMemo(*current, request, block, record, moved)) return;
      if (ErrorCode != 0) reported = ErrorCode;
      pointers.push_back({record, field, moved});
    }
  }
  if (!FinishPackFile(memo, packed.file)) return;

  memo.MemoFile.Close();
  if (std::rename(packed.Path().c_str(), memo.MemoFileName.c_str()) != 0) {
    const std::uint16_t code = platform::os::DosErrorCode(errno);
    memo::ReopenMemoFile(area, memo);
    SetError(code, memo.MemoFileName + " [PackMemofile]");
    return;
  }
  packed.Keep();
  if (const std::uint16_t code = memo::ReopenMemoFile(area, memo)) {
    const std::string name = memo.MemoFileName;
    area.MemoDescriptor.reset();
    SetError(code, "Memo file not found: " + name + " [PackMemofile]");
    return;
  }
  for (const Pointer& pointer : pointers) {
    StoreField(area, pointer);
    if (ErrorCode != 0) return;
  }
  // The record in the buffers holds the new pointers too.
  if (remembered >= 1 && remembered <= area.RecordCount) Go(static_cast<std::int32_t>(remembered));
  if (ErrorCode == 0) ErrorCode = reported;
}

}  // namespace xbase
