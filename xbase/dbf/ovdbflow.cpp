// Table format, opening, header write-back and closing.

#include "xbase/dbf/ovdbflow.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/os/CodePage1252.h"
#include "xbase/core/ByteOrder.h"
#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/core/timedate.h"

namespace xbase {
namespace {

using platform::os::FileAccess;
using platform::os::ShareMode;

constexpr std::size_t kPrologLength = 32;
constexpr std::size_t kLevel7BlockLength = 36;
constexpr std::uint16_t kDbase2HeaderLength = 521;
constexpr std::uint8_t kEndOfDescriptors = 0x0D;

bool CustomVersionSet() { return CustomVersionByte != 0 || CustomMemoVersionByte != 0; }

// Forgets everything an open filled in and closes the file: the area is closed again.
void AbandonOpen(DbfTable& area) {
  area.DataFile.Close();
  area.RecordBuffer.clear();
  area.ReadBuffer.clear();
  area.FieldTable.clear();
  area.FieldCount = 0;
  area.State = AreaClosed;
  area.AppendEnd = 0;
}

// Leaves the area closed at the end of a scope unless dismissed, also when an error is raised
// as an exception inside it.
class AreaCloser {
 public:
  explicit AreaCloser(DbfTable& area) : area_(area) {}
  ~AreaCloser() {
    if (!dismissed_) AbandonOpen(area_);
  }
  AreaCloser(const AreaCloser&) = delete;
  AreaCloser& operator=(const AreaCloser&) = delete;
  void Dismiss() { dismissed_ = true; }

 private:
  DbfTable& area_;
  bool dismissed_ = false;
};

// Reports a failed open after closing the area, so that a raised error finds it closed.
bool FailOpen(DbfTable& area, std::uint16_t code, const std::string& message) {
  AbandonOpen(area);
  SetError(code, message);
  return false;
}

std::string NotATable(const std::string& name, const std::string& reason, const char* tail) {
  return name + " is not a dBASE database." + reason + tail;
}

bool FailReading(DbfTable& area, std::uint16_t code) {
  return FailOpen(area, code, "Error reading " + area.FileName + " [Use/OpenDbf]");
}

// Whole records must hold every field after the deleted flag.
bool CheckRecordLength(DbfTable& area) {
  std::uint32_t needed = 1;
  for (const auto& field : area.FieldTable) needed += field.Length;
  if (needed <= area.RecordLength) return true;
  return FailOpen(area, 210,
                  NotATable(FileNameOf(area.FileName),
                            " (Record length is out of range)", " [Use/OpenDbf]"));
}

// Parses descriptors of `size` bytes from `descriptors` until one starts with 0x0D or `limit`
// are parsed; false after a parse error (the area is closed then).
bool ParseDescriptors(DbfTable& area, const std::uint8_t* descriptors, std::size_t size,
                      int limit) {
  std::uint16_t offset = 1;
  for (int i = 0; i < limit; ++i) {
    const std::uint8_t* descriptor = descriptors + i * size;
    if (descriptor[0] == kEndOfDescriptors) break;
    FieldEntry entry;
    ParseFieldDescriptor(area, {descriptor, size}, entry, offset);
    if (ErrorCode != 0) return FailReading(area, ErrorCode);
    area.FieldTable.push_back(std::move(entry));
  }
  area.FieldCount = static_cast<std::uint8_t>(area.FieldTable.size());
  return true;
}

bool ReadDbfHeader(DbfTable& area) {
  const std::uint8_t version = area.Header[0];
  if (CustomMemoVersionByte != 0)
    area.HasMemo = version == CustomMemoVersionByte;
  else if (IsVfp(area))
    area.HasMemo = IsVfpWithMemo(area);
  else
    area.HasMemo = (version & 0x80) != 0;

  const bool level7 = IsLevel7(area);
  const int headerLength = GetLE16(&area.Header[8]);
  const int fieldCount = level7 ? (headerLength - 68) / 48 : (headerLength - 32) / 32;
  if (fieldCount < 1 || fieldCount > 255) {
    return FailOpen(area, 210,
                    NotATable(FileNameOf(area.FileName),
                              " (Number of fields is out of range)", " [Use/OpenDbf]"));
  }

  area.LastUpdate = YMDString(area.Header[1] + 1900, area.Header[2], area.Header[3]);
  area.RecordCount = GetLE32(&area.Header[4]);
  area.HeaderLength = static_cast<std::uint16_t>(headerLength);
  area.RecordLength = GetLE16(&area.Header[10]);
  area.RecordBuffer.assign(area.RecordLength, ' ');
  area.State = AreaClean;

  std::vector<std::uint8_t> descriptors(headerLength - kPrologLength);
  const auto read = area.DataFile.ReadAt(kPrologLength, descriptors.data(), descriptors.size());
  if (read.code != 0 || read.count < descriptors.size())
    return FailReading(area, read.code != 0 ? read.code : 100);

  const std::size_t first = level7 ? kLevel7BlockLength : 0;
  if (descriptors[first] == kEndOfDescriptors) return FailReading(area, 222);
  if (!ParseDescriptors(area, descriptors.data() + first, level7 ? 48 : 32, fieldCount))
    return false;
  return CheckRecordLength(area);
}

bool ReadDbase2Header(DbfTable& area, std::uint64_t fileSize) {
  area.RecordCount = GetLE16(&area.Header[1]);
  area.LastUpdate = YMDString(area.Header[5] + 1900, area.Header[3], area.Header[4]);
  area.RecordLength = GetLE16(&area.Header[6]);
  area.HeaderLength = kDbase2HeaderLength;
  if (fileSize < kDbase2HeaderLength) {
    return FailOpen(area, 210,
                    NotATable(area.FileName, "(Header is less than 521 bytes)", " [Use/OpenDBF]"));
  }
  area.RecordBuffer.assign(area.RecordLength, ' ');
  area.State = AreaClean;
  area.HasMemo = false;

  std::uint8_t descriptors[512];
  const auto read = area.DataFile.ReadAt(8, descriptors, sizeof descriptors);
  if (read.code != 0 || read.count < sizeof descriptors)
    return FailReading(area, read.code != 0 ? read.code : 100);
  if (!ParseDescriptors(area, descriptors, 16, 32)) return false;
  if (area.FieldCount == 0) {
    return FailOpen(area, 210,
                    NotATable(FileNameOf(area.FileName),
                              "(Number of fields is out of range)", " [Use/OpenDbf]"));
  }
  return CheckRecordLength(area);
}

bool ReadDbfProlog(DbfTable& area, std::uint64_t fileSize) {
  const auto read = area.DataFile.ReadAt(0, area.Header.data(), kPrologLength);
  if (read.code != 0) return FailReading(area, read.code);
  if (read.count < kPrologLength) {
    return FailOpen(area, 210,
                    NotATable(area.FileName, " (Prolog is less than 32 bytes)", " [USE/OpenDBF]"));
  }
  if (!IsValidVersionByte(area.Header[0])) {
    return FailOpen(area, 210,
                    NotATable(area.FileName, "(Invalid version byte)+", " [USE/OpenDBF]"));
  }
  return IsDbase2(area) ? ReadDbase2Header(area, fileSize) : ReadDbfHeader(area);
}

// The end byte follows record n.
bool EndByteAfter(const DbfTable& area, std::uint32_t n) {
  std::uint8_t byte = 0;
  const platform::os::Transfer read = area.DataFile.ReadAt(RecordOffset(area, n + 1), &byte, 1);
  return read.code == 0 && read.count == 1 && byte == EofByte;
}

void StoreIoResult(std::uint16_t code) {
  ErrorCode = code;
  if (code != 0 && ImmediateErrors) FatalErrorHandler();
}

// Header and end byte of a changed or grown table; false after a failure, which is stored and
// reported as an I/O result (the state then stays as it was).
bool WriteBack(DbfTable& area, std::uint8_t endByte) {
  if (area.State != AreaChanged && area.State != AreaAppended) return true;
  // Another program may have appended since: its records count, and the end byte belongs
  // after them.
  if (IsSharedOpen(area)) TakeCountFromFile(area, CountFromSize(area));
  WriteDbfHeader(area);
  if (ErrorCode != 0) return false;
  if (area.State == AreaAppended) {
    area.AppendEnd = 0;  // the end byte goes there
    const std::uint64_t offset = RecordOffset(area, area.RecordCount + 1);
    std::uint64_t size = 0;
    std::uint16_t code = area.DataFile.Size(size);
    if (code == 0 && size <= offset + 1) code = area.DataFile.WriteAt(offset, &endByte, 1).code;
    if (code != 0) {
      StoreIoResult(code);
      return false;
    }
  }
  area.State = AreaClean;
  return true;
}

}  // namespace

bool IsValidVersionByte(std::uint8_t version) {
  switch (version) {
    case 0x02: case 0x03: case 0x83: case 0x8B: case 0xF5: case 0x04: case 0x8C:
      return true;
    default:
      return (CustomVersionByte != 0 && version == CustomVersionByte) ||
             (CustomMemoVersionByte != 0 && version == CustomMemoVersionByte);
  }
}

bool IsDbase2(const DbfTable& area) { return !CustomVersionSet() && area.Header[0] == 0x02; }

bool IsLevel7(const DbfTable& area) {
  return !CustomVersionSet() && (area.Header[0] == 0x04 || area.Header[0] == 0x8C);
}

bool IsVfp(const DbfTable& area) { return !CustomVersionSet() && area.Header[0] == 0x30; }

bool IsVfpWithMemo(const DbfTable& area) { return IsVfp(area) && area.Header[28] == 2; }

void OpenDbf(DbfTable& area) {
  ErrorCode = 0;
  AreaCloser closeOnFailure(area);
  AbandonOpen(area);
  area.FileName = ResolvedFileName(DefaultExtension(area.FileName, "DBF"));
  const auto access = (area.OpenMode & 0x07) == 0 ? FileAccess::kRead : FileAccess::kReadWrite;
  const auto share = IsSharedOpen(area) ? ShareMode::kShared : ShareMode::kExclusive;
  std::uint16_t code = area.DataFile.Open(area.FileName, access, share);
  std::uint64_t fileSize = 0;
  if (code == 0) code = area.DataFile.Size(fileSize);
  if (code != 0) {
    FailOpen(area, code, "Failure to open " + area.FileName + " [USE/OpenDbf]");
    return;
  }
  ChangeOpenMode(area, area.OpenMode);
  const std::string alias = platform::os::Utf8ToAnsi(FileNameOf(area.FileName));
  area.Alias = area.OemTranslate ? AnsiToOemStr(alias) : alias;

  if (!ReadDbfProlog(area, fileSize)) return;
  // A header that claims more records than the file holds would send every walk on past the
  // end of the file, one failed read a record.
  const std::uint32_t whole = RecordsInSize(area, fileSize);
  if (CountFromFileSize || area.RecordCount > whole) area.RecordCount = whole;
  if (area.RecordCount < whole && !EndByteAfter(area, area.RecordCount)) {
    // Whole records past the count and no end byte where it says the records end: a program
    // that appended them died before its count was written. They are the table's, and an
    // append must not go over them.
    ReportWarning(0, std::to_string(whole - area.RecordCount) + " records past the record count of " +
                         area.FileName + " are counted [USE/OpenDbf]");
    area.RecordCount = whole;
  }
  const bool empty = area.RecordCount < 1;
  area.RecNo = empty ? 0 : 1;
  area.BofFlag = area.EofFlag = empty;
  closeOnFailure.Dismiss();
}

void ChangeOpenMode(DbfTable& area, std::uint16_t mode) {
  area.OpenMode = mode;
  area.HeldAlone = !IsSharedOpen(area) || !NetworkLocking;
  area.DataFile.DropReadAhead();  // once others may write, what was read ahead may go stale
}

void ParseFieldDescriptor(const DbfTable& area, std::span<const std::uint8_t> descriptor,
                          FieldEntry& entry, std::uint16_t& runningOffset) {
  struct Positions {
    std::size_t nameRoom, type, length, decimals;
  };
  const Positions at = IsLevel7(area)   ? Positions{32, 32, 33, 34}
                       : IsDbase2(area) ? Positions{11, 11, 12, 15}
                                        : Positions{11, 11, 16, 17};
  const auto* name = descriptor.data();
  const auto nameLength = std::find(name, name + at.nameRoom, 0) - name;
  entry.Name = UpperStr(std::string(name, name + std::min<std::ptrdiff_t>(nameLength, 10)));
  entry.FieldType = static_cast<char>(descriptor[at.type]);
  switch (entry.FieldType) {
    case 'B': case 'G': case 'P': case 'b': case 'g': case 'p':
      entry.FieldType = 'M';
      break;
    default:
      break;
  }
  entry.Length = descriptor[at.length];
  entry.Decimals = descriptor[at.decimals];
  entry.Offset = runningOffset;
  runningOffset = static_cast<std::uint16_t>(runningOffset + entry.Length);
  const std::string type(1, entry.FieldType);
  if (!ValidFieldTypes.contains(entry.FieldType)) {
    SetError(211, "Field: " + entry.Name + " [" + type + "] in " + area.FileName +
                      " is not a valid field type");
  } else if (entry.FieldType == 'D' && entry.Length != 8) {
    // Dates are stored as YYYYMMDD; another length would not fit its typed slot.
    SetError(211, "Field: " + entry.Name + " [" + type + "] in " + area.FileName +
                      " is not 8 characters long");
  }
}

namespace {

// Today's date and the record count into the header image: bytes 1 to 5 of dBase II, 1 to 7
// of the others.
void EncodeDateAndCount(DbfTable& area) {
  const CalendarDate today = Today();
  auto& header = area.Header;
  if (IsDbase2(area)) {
    PutLE16(&header[1], static_cast<std::uint16_t>(area.RecordCount));
    header[3] = static_cast<std::uint8_t>(today.month);
    header[4] = static_cast<std::uint8_t>(today.day);
    header[5] = static_cast<std::uint8_t>(today.year - 1900);
  } else {
    header[1] = static_cast<std::uint8_t>(today.year - 1900);
    header[2] = static_cast<std::uint8_t>(today.month);
    header[3] = static_cast<std::uint8_t>(today.day);
    PutLE32(&header[4], area.RecordCount);
  }
}

}  // namespace

void WriteDbfHeader(DbfTable& area) {
  EncodeDateAndCount(area);
  auto& header = area.Header;
  std::uint16_t code = 0;
  if (IsDbase2(area)) {
    code = area.DataFile.WriteAt(0, header.data(), 8).code;
  } else {
    // Another program may have written the reserved bytes since the open.
    code = area.DataFile.ReadAt(16, &header[16], 12).code;
    if (code == 0) code = area.DataFile.WriteAt(0, header.data(), header.size()).code;
  }
  StoreIoResult(code);
}

void WriteDbfCount(DbfTable& area) {
  EncodeDateAndCount(area);
  StoreIoResult(area.DataFile.WriteAt(1, &area.Header[1], IsDbase2(area) ? 5 : 7).code);
}

void FlushDbf(DbfTable& area) {
  ErrorCode = 0;
  if (area.State != AreaChanged && area.State != AreaAppended) return;
  if (WriteBack(area, 0x1A)) FlushFile(area.DataFile);
}

void CloseDbf(DbfTable& area) {
  ErrorCode = 0;
  std::uint16_t code = 0;
  {
    AreaCloser closing(area);  // also when a write error is raised
    const bool written = area.State == AreaChanged || area.State == AreaAppended;
    if (!WriteBack(area, EofByte))
      code = ErrorCode;
    else if (written)
      code = area.DataFile.Sync();
    const std::uint16_t closeCode = area.DataFile.Close();
    if (code == 0) code = closeCode;
  }
  if (code != 0) {
    SetError(code, "File:  " + area.FileName + " [CloseDbf(" + area.FileName + ")]");
  }
}

void FlushFile(platform::os::BinaryFile& file) {
  const std::uint16_t code = file.Sync();
  if (code != 0) SetError(code, "Unable to flush file [FlushFile]");
}

std::uint32_t CountFromSize(const DbfTable& area) {
  std::uint64_t size = 0;
  if (area.DataFile.Size(size) != 0) return area.RecordCount;
  return RecordsInSize(area, size);
}

void TakeCountFromFile(DbfTable& area, std::uint32_t count) {
  if (count != area.RecordCount) area.DataFile.DropReadAhead();
  area.RecordCount = count;
}

std::uint32_t RecordsInSize(const DbfTable& area, std::uint64_t size) {
  if (area.RecordLength == 0 || size <= area.HeaderLength) return 0;
  const std::uint64_t count = (size - area.HeaderLength) / area.RecordLength;
  return static_cast<std::uint32_t>(
      std::min<std::uint64_t>(count, std::numeric_limits<std::uint32_t>::max()));
}

std::uint64_t RecordOffset(const DbfTable& area, std::uint32_t n) {
  return area.HeaderLength + (static_cast<std::uint64_t>(n) - 1) * area.RecordLength;
}

}  // namespace xbase
