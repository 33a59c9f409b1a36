// The memo lock, the header's next free block and the error reporting every memo routine
// shares.

#include <array>
#include <thread>

#include "platform/os/MessagePump.h"
#include "xbase/core/ByteOrder.h"
#include "xbase/core/ovcommon.h"
#include "xbase/memo/MemoInternal.h"

namespace xbase {

std::uint8_t MemoLockTries = 11;
std::chrono::milliseconds MemoLockWait{10};

namespace {

constexpr std::uint64_t kLockByte = 10;

// Waits between two tries of the lock, letting the application's messages run.
void PauseBeforeRetry() {
  platform::os::ProcessMessages();
  std::this_thread::sleep_for(MemoLockWait);
}

bool WriteNextFree(MemoDescriptor& memo, std::uint32_t nextFree, std::string_view tag) {
  std::array<std::uint8_t, 4> bytes{};
  if (memo::IsFoxPro(memo.Dialect))
    PutBE32(bytes.data(), nextFree);
  else
    PutLE32(bytes.data(), nextFree);
  const auto written = memo.MemoFile.WriteAt(0, bytes.data(), bytes.size());
  ErrorCode = written.code;
  if (written.count < bytes.size()) {
    ReportMemoError(29, memo.MemoFileName + std::string(tag));
    return false;
  }
  return true;
}

}  // namespace

namespace memo {

std::uint64_t FirstDataOffset(const MemoDescriptor& memo) {
  return BlocksFor(HeaderBytes(memo), memo.BlockSize) * memo.BlockSize;
}

std::uint16_t MemoFileSize(const MemoDescriptor& memo, std::uint64_t& size) {
  size = 0;
  return memo.MemoFile.Size(size);
}

bool LockMemo(const WorkAreaRecord& area, MemoDescriptor& memo) {
  if (!NetworkLocking || area.ExclusiveFlag) return true;
  // Held already: a stream of this area is writing.
  if (memo.Locked) return false;
  for (unsigned attempt = 1; attempt <= MemoLockTries; ++attempt) {
    if (LockRegion(false, memo.MemoFile.Descriptor(), kLockByte, 1) == 0) {
      memo.Locked = true;
      // Nobody else appends now: the size asked once stays true.
      memo.MemoFile.KeepSize(true);
      return true;
    }
    if (attempt < MemoLockTries) PauseBeforeRetry();
  }
  return false;
}

bool UnlockMemo(const WorkAreaRecord& area, MemoDescriptor& memo) {
  if (!NetworkLocking || area.ExclusiveFlag || !memo.Locked) return true;
  memo.Locked = false;
  memo.MemoFile.KeepSize(false);
  return LockRegion(true, memo.MemoFile.Descriptor(), kLockByte, 1) == 0;
}

std::string RecordContext() { return " Record # " + std::to_string(RecNo()); }

}  // namespace memo

bool LockMemoFile() {
  WorkAreaRecord* area = WorkArea(CurrentWorkArea);
  if (area == nullptr || area->MemoDescriptor == nullptr) return false;
  return memo::LockMemo(*area, *area->MemoDescriptor);
}

bool UnlockMemoFile() {
  WorkAreaRecord* area = WorkArea(CurrentWorkArea);
  if (area == nullptr || area->MemoDescriptor == nullptr) return true;
  return memo::UnlockMemo(*area, *area->MemoDescriptor);
}

bool CheckMemoArea(std::string_view routine) {
  if (CheckAreaOpen(routine)) return true;
  const WorkAreaRecord& area = *WorkArea(CurrentWorkArea);
  if (area.MemoDescriptor != nullptr) return false;
  SetError(1019, area.FileName + " No Memo Field [" + std::string(routine) + "]");
  return true;
}

void ReportMemoError(std::uint16_t code, const std::string& text) {
  UnlockMemoFile();
  SetError(code, text);
}

namespace memo {

std::uint64_t LockForAppend(std::string_view routine, std::uint64_t& end) {
  const auto current = CurrentMemoArea(routine);
  if (!current) return 0;
  MemoDescriptor& memo = current->Memo;
  // Held already: this area's own stream holds the lock, and keeps it.
  if (memo.Locked || !LockMemo(current->Area, memo)) {
    SetError(1017, memo.MemoFileName + " [" + std::string(routine) + "]");
    return 0;
  }
  if (const std::uint16_t code = MemoFileSize(memo, end)) {
    ReportMemoError(code, memo.MemoFileName + " [LockMemoPadAndSeekEOF]");
    return 0;
  }
  // A new dBase III file: the first memo overwrites its final 0x1A and lands at block 1.
  if (IsDbase3(memo.Dialect) && end == 513) return 513;
  return std::max(BlocksFor(end, memo.BlockSize) * memo.BlockSize, FirstDataOffset(memo));
}

}  // namespace memo

std::uint64_t LockMemoPadAndSeekEOF(std::string_view routine) {
  std::uint64_t end = 0;
  const std::uint64_t start = memo::LockForAppend(routine, end);
  if (start <= end) return start;
  MemoDescriptor& memo = *WorkArea(CurrentWorkArea)->MemoDescriptor;
  memo::Pieces zeros;
  zeros.AddZeros(start - end);
  const auto written = memo.MemoFile.WriteAt(end, zeros.data(), zeros.size());
  if (written.code != 0 || written.count < start - end) {
    ReportMemoError(written.code != 0 ? written.code : 29,
                    memo.MemoFileName + " [LockMemoPadAndSeekEOF]");
    return 0;
  }
  return start;
}

void UpdateMemoHeader() {
  const auto current = memo::CurrentMemoArea("UpdateMemoHeader()");
  if (!current) return;
  MemoDescriptor& memo = current->Memo;
  std::uint64_t size = 0;
  if (const std::uint16_t code = memo::MemoFileSize(memo, size)) {
    ReportMemoError(code, memo.MemoFileName + " [UpdateMemoHeader()]");
    return;
  }
  const std::uint64_t nextFree = memo::BlocksFor(size, memo.BlockSize);
  if (!WriteNextFree(memo, static_cast<std::uint32_t>(std::min<std::uint64_t>(nextFree, UINT32_MAX)),
                     " [UpdateMemoHeader()]"))
    return;
  if (!memo::UnlockMemo(current->Area, memo))
    SetError(1018, memo.MemoFileName + " [UpdateMemoHeader()]");
}

}  // namespace xbase
