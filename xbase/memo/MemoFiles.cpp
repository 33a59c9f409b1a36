// Memo files: the dialect of a table, opening, closing and creating its memo file.

#include <algorithm>
#include <array>

#include "xbase/core/ByteOrder.h"
#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/dbf/ovdbflow.h"
#include "xbase/memo/MemoInternal.h"

namespace xbase {
namespace {

constexpr std::size_t kFoxProHeader = 8;   // the part of a FoxPro header that says anything
constexpr std::size_t kDbase4Header = 24;

bool IsMemoDialect(std::uint8_t version) {
  return version == MemoDbase3 || version == MemoDbase4 || version == MemoFoxPro ||
         version == MemoDbase4Level7;
}

// The block size the header gives, or 100 for a header its dialect cannot have.
std::uint16_t ReadBlockSize(MemoDescriptor& memo) {
  if (memo::IsDbase3(memo.Dialect)) {
    memo.BlockSize = 512;
    return 0;
  }
  std::array<std::uint8_t, kDbase4Header> header{};
  const bool foxPro = memo::IsFoxPro(memo.Dialect);
  const std::size_t needed = foxPro ? kFoxProHeader : kDbase4Header;
  const auto read = memo.MemoFile.ReadAt(0, header.data(), needed);
  if (read.code != 0) return read.code;
  if (read.count < needed) return 100;
  const std::uint16_t stored = foxPro ? static_cast<std::uint16_t>(header[6] << 8 | header[7])
                                      : GetLE16(&header[20]);
  memo.BlockSize = stored != 0 ? stored : DefaultMemoBlockSize;
  // A size nobody can have: the library's own default stands in.
  if (memo.BlockSize == 0) memo.BlockSize = 512;
  return 0;
}

}  // namespace

namespace memo {

std::size_t HeaderBytes(const MemoDescriptor& memo) { return IsDbase4(memo.Dialect) ? kDbase4Header : 512; }

std::uint16_t ReopenMemoFile(const WorkAreaRecord& area, MemoDescriptor& memo) {
  std::uint16_t mode = area.ExclusiveFlag || !NetworkLocking ? OpenModeExclusive : OpenModeShared;
  if (OpenModeOverride < 65535) mode = OpenModeOverride & 0xFF;
  const bool shared = (mode & 0x70) == 0x40;
  return memo.MemoFile.Open(memo.MemoFileName,
                            shared ? platform::os::ShareMode::kShared : platform::os::ShareMode::kExclusive,
                            HeaderBytes(memo));
}

std::optional<MemoArea> CurrentMemoArea(std::string_view routine) {
  if (CheckMemoArea(routine)) return std::nullopt;
  WorkAreaRecord& area = *WorkArea(CurrentWorkArea);
  return MemoArea{area, *area.MemoDescriptor};
}

MemoDescriptor* MemoOf(std::uint8_t n) {
  WorkAreaRecord* area = WorkArea(n);
  return area != nullptr ? area->MemoDescriptor.get() : nullptr;
}

}  // namespace memo

std::uint8_t GetMemoType() {
  if (CheckAreaOpen("GetMemoType")) return DefaultVersionByte;
  const std::uint8_t version = WorkArea(CurrentWorkArea)->Header[0];
  return IsMemoDialect(version) ? version : DefaultVersionByte;
}

bool IsFoxProMemo() {
  const MemoDescriptor* memo = memo::MemoOf(CurrentWorkArea);
  return memo != nullptr && memo::IsFoxPro(memo->Dialect);
}

bool IsDbase4Memo() {
  const MemoDescriptor* memo = memo::MemoOf(CurrentWorkArea);
  return memo != nullptr && memo::IsDbase4(memo->Dialect);
}

bool IsDbase3Memo() { return IsDbase3Memo(CurrentWorkArea); }

bool IsDbase3Memo(std::uint8_t area) {
  const MemoDescriptor* memo = memo::MemoOf(area);
  return memo != nullptr && memo::IsDbase3(memo->Dialect);
}

void OpenMemofile(const std::string& name) {
  ErrorCode = 0;
  if (CheckAreaOpen("USE")) return;
  WorkAreaRecord& area = *WorkArea(CurrentWorkArea);
  const std::uint8_t dialect = GetMemoType();
  const std::string fileName = ResolvedFileName(DefaultExtension(name, MemoFileExt(dialect)));
  if (area.MemoDescriptor != nullptr) {
    SetError(1007, fileName + " [USE]");
    return;
  }
  auto memo = std::make_shared<MemoDescriptor>();
  memo->MemoFileName = fileName;
  memo->Dialect = dialect;
  std::uint16_t code = memo::ReopenMemoFile(area, *memo);
  if (code != 0) {
    SetError(code, "Memo file not found: " + fileName + " [USE]");
    return;
  }
  code = ReadBlockSize(*memo);
  if (code != 0) {
    SetError(code, "Memo file header cut short: " + fileName + " [USE]");
    return;
  }
  area.MemoDescriptor = std::move(memo);
}

void CloseMemofile() {
  WorkAreaRecord* area = WorkArea(CurrentWorkArea);
  if (area == nullptr || area->MemoDescriptor == nullptr) return;
  const std::shared_ptr<MemoDescriptor> memo = std::move(area->MemoDescriptor);
  const std::uint16_t code = memo->MemoFile.Close();
  ErrorCode = code;
  if (code != 0) SetError(code, memo->MemoFileName + " [CloseMemofile]");
}

void CreateMemofile(const std::string& name) {
  CreateMemoFileForVersion(name, DefaultVersionByte, DefaultMemoBlockSize, "CreateMemofile()");
}

void CreateMemo(const std::string& name) {
  CloseMemofile();
  if (ErrorCode != 0) return;
  // The new file must be of the dialect the open will read it in.
  CreateMemoFileForVersion(name, GetMemoType(), DefaultMemoBlockSize, "CreateMemofile()");
  if (ErrorCode == 0) OpenMemofile(name);
}

}  // namespace xbase
