// Record reads and writes, and the OEM and transform translation of records.

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/os/CodePage850.h"
#include "xbase/core/ovcommon.h"
#include "xbase/dbf/ovdbflow.h"

namespace xbase {
namespace {

// The most records a table of this dialect can count.
std::uint32_t RecordLimit(const DbfTable& area) {
  return IsDbase2(area) ? 0xFFFF : std::numeric_limits<std::uint32_t>::max();
}

// What an append overwrites of the file: its size and the bytes from the new record's start to
// the end (the old end byte), so that a failed append can give them back.
struct FileTail {
  std::uint64_t size = 0;
  std::vector<std::uint8_t> bytes;
};

// The file's size before an append after the counted records.
std::uint16_t SizeBeforeAppend(const DbfTable& area, std::uint64_t& size) {
  // Saves asking the system at every append of a table loaded exclusively.
  if (!IsSharedOpen(area) && area.AppendEnd == RecordOffset(area, area.RecordCount + 1)) {
    size = area.AppendEnd;
    return 0;
  }
  return area.DataFile.Size(size);
}

// The bytes of a file of tail.size bytes that an append at offset overwrites.
std::uint16_t SaveTailBytes(const DbfTable& area, std::uint64_t offset, FileTail& tail) {
  if (tail.size <= offset) return 0;
  tail.bytes.resize(std::min<std::uint64_t>(tail.size - offset, area.RecordLength));
  return area.DataFile.ReadAt(offset, tail.bytes.data(), tail.bytes.size()).code;
}

void RestoreTail(DbfTable& area, std::uint64_t offset, const FileTail& tail) {
  area.DataFile.Truncate(tail.size);
  if (!tail.bytes.empty()) area.DataFile.WriteAt(offset, tail.bytes.data(), tail.bytes.size());
}

std::uint16_t WriteEncoded(DbfTable& area, std::uint64_t offset) {
  if (!area.OemTranslate && !area.WriteTransform)  // nothing to encode
    return area.DataFile.WriteAt(offset, area.RecordBuffer.data(), area.RecordBuffer.size()).code;
  // Encoding works on a copy: characters without an OEM form must stay as they are in memory.
  std::vector<std::uint8_t> encoded = area.RecordBuffer;
  TranslateRecord(true, area.OemTranslate, area.WriteTransform, encoded.size(),
                  area.RecordLength, encoded.data());
  return area.DataFile.WriteAt(offset, encoded.data(), encoded.size()).code;
}

// PutDbfRecord; an append with countFromSize first takes the record count from the size it
// reads anyway.
void WriteRecord(DbfTable& area, std::uint32_t n, bool countFromSize) {
  const auto fail = [&area](std::uint16_t code) {
    SetError(code, "File:  " + area.FileName + " [Replace/Append/PutDbfRecord]");
  };
  // Record 0 would lie inside the header.
  if (n == 0) {
    fail(212);
    return;
  }
  const bool append = n > area.RecordCount;
  FileTail tail;
  if (append) {
    ErrorCode = SizeBeforeAppend(area, tail.size);
    if (ErrorCode != 0) {
      fail(ErrorCode);
      return;
    }
    if (countFromSize) TakeCountFromFile(area, RecordsInSize(area, tail.size));
    if (area.RecordCount >= RecordLimit(area)) {
      fail(212);
      return;
    }
    n = area.RecordCount + 1;
  }
  const std::uint64_t offset = RecordOffset(area, n);
  ErrorCode = append ? SaveTailBytes(area, offset, tail) : 0;
  if (ErrorCode == 0) ErrorCode = WriteEncoded(area, offset);
  if (ErrorCode != 0) {
    if (append) {
      RestoreTail(area, offset, tail);
      area.AppendEnd = 0;  // the restore may have failed too
    }
    fail(ErrorCode);
    return;
  }
  if (append) {
    const std::uint64_t end = offset + area.RecordLength;
    area.AppendEnd = tail.size <= end ? end : 0;
    area.RecordCount = n;
    area.RecNo = n;
    area.State = AreaAppended;
    // Other programs reading a shared table count its records by the header: they see the new
    // one at once (the caller holds the append lock).
    if (countFromSize) WriteDbfCount(area);
    if (FlushAfterWrite) FlushDbf(area);
  } else {
    if (area.State != AreaAppended) area.State = AreaChanged;
    if (FlushAfterWrite) FlushFile(area.DataFile);
  }
}

// Lays out the records a table held alone keeps: all of them when RecordCacheSize bytes hold
// them, else none. A larger table's records would push each other out, and keeping a record
// costs memory traffic near what reading it again from the system's file cache costs, so only a
// table kept whole gains. Room grows with the table in steps that double. True when the records
// are kept.
bool LayKeptRecords(DbfTable& area) {
  const std::uint64_t room = RecordCacheSize / area.RecordLength;
  const std::uint64_t records = std::bit_ceil(std::uint64_t{std::max(area.RecordCount, 1u)});
  const std::uint64_t kept = area.RecordCount <= room ? std::min(room, records) : 0;
  area.DataFile.LayKeptBlocks(area.HeaderLength, area.RecordLength,
                              static_cast<std::size_t>(kept));
  return kept != 0;
}

// Record n of a table held alone from the records read ahead or kept. A read next to the current
// record that they do not hold (a walk in either direction leaving them) first fills the
// read-ahead block with the records from there in the direction of the walk, ReadAheadSize bytes
// of them, never beyond the last record, which are kept when the table's records are. Null when
// record n is to be read on its own: out of sequence (that read keeps it then), or where the
// block came short of it (the file ends or fails there), so that the read on its own gives
// what it always gave.
const std::uint8_t* ReadAheadRecord(DbfTable& area, std::uint32_t n) {
  const std::uint64_t offset = RecordOffset(area, n);
  if (const std::uint8_t* bytes = area.DataFile.ReadAheadBytes(offset, area.RecordLength)) return bytes;
  const bool keep = LayKeptRecords(area);
  const std::uint32_t records = ReadAheadSize / area.RecordLength;
  const bool forward = n == area.RecNo + 1;
  if (records < 2 || (!forward && n + 1 != area.RecNo)) return nullptr;
  const std::uint32_t first = forward ? n : n - std::min(n - 1, records - 1);
  const std::uint32_t last = forward ? n + std::min(area.RecordCount - n, records - 1) : n;
  area.DataFile.ReadAhead(RecordOffset(area, first), std::size_t{last - first + 1} * area.RecordLength);
  if (keep) area.DataFile.KeepReadAhead();
  return area.DataFile.ReadAheadBytes(offset, area.RecordLength);
}

// Record n of a shared table while the index's read bracket is held: from the records read with
// the last one read on its own, else read with the next few (an entry's continuation records
// follow it), never beyond the last record.
const std::uint8_t* HeldRecord(DbfTable& area, std::uint32_t n) {
  constexpr std::uint32_t kRecordsRead = 4;
  const std::uint64_t offset = RecordOffset(area, n);
  if (const std::uint8_t* bytes = area.DataFile.ReadAheadBytes(offset, area.RecordLength)) return bytes;
  const std::uint32_t records = std::min(kRecordsRead, area.RecordCount - n + 1);
  area.DataFile.ReadAhead(offset, std::size_t{records} * area.RecordLength);
  return area.DataFile.ReadAheadBytes(offset, area.RecordLength);
}

}  // namespace

void ForgetHeldRecords(DbfTable& area) {
  area.ReadingHeld = false;
  area.CountHeld = false;
  area.DataFile.DropReadAhead();
}

void GetDbfRecord(DbfTable& area, std::uint32_t n) {
  if (n < 1 || n > area.RecordCount) {
    SetError(212, "Invalid record number = " + std::to_string(n) + " (" + area.FileName +
                      ")  [GetDbfRecord]");
    return;
  }
  area.EofFlag = false;
  area.BofFlag = false;
  const std::uint8_t* ahead = area.HeldAlone ? ReadAheadRecord(area, n) : area.ReadingHeld ? HeldRecord(area, n) : nullptr;
  if (ahead != nullptr) {
    std::memcpy(area.RecordBuffer.data(), ahead, area.RecordLength);
  } else {
    auto& record = area.ReadBuffer;
    record.resize(area.RecordLength);
    const std::uint64_t offset = RecordOffset(area, n);
    const auto read = area.HeldAlone
                          ? area.DataFile.ReadAndKeep(offset, record.data(), record.size())
                          : area.DataFile.ReadAt(offset, record.data(), record.size());
    ErrorCode = read.code;
    if (ErrorCode == 0 && read.count < record.size()) ErrorCode = 213;
    if (ErrorCode != 0) {
      SetError(ErrorCode, "File:  " + area.FileName + "  [GetDbfRecord]");
      return;
    }
    area.RecordBuffer.swap(record);
  }
  ErrorCode = 0;
  TranslateRecord(false, area.OemTranslate, area.ReadTransform, area.RecordLength, area.RecordLength,
                  area.RecordBuffer.data());
  area.RecNo = n;
}

void PutDbfRecord(DbfTable& area, std::uint32_t n) { WriteRecord(area, n, false); }

void AppendDbfRecord(DbfTable& area, bool countFromSize) {
  WriteRecord(area, area.RecordCount + 1, countFromSize);
}

void WriteDeletedFlag(DbfTable& area, std::uint32_t n) {
  const std::string message = "File:  " + area.FileName + " [DeleteRec/RecallRec]";
  // A single byte beyond the last record would be a partial record that the header counts.
  if (n < 1 || n > area.RecordCount) {
    SetError(212, message);
    return;
  }
  ErrorCode = area.DataFile.WriteAt(RecordOffset(area, n), area.RecordBuffer.data(), 1).code;
  if (ErrorCode != 0) {
    SetError(ErrorCode, message);
    return;
  }
  if (area.State != AreaAppended) area.State = AreaChanged;
  if (FlushAfterWrite) FlushFile(area.DataFile);
}

void TranslateRecord(bool encode, bool oem, const RecordTransform& transform,
                     std::size_t totalLength, std::uint16_t recordLength, std::uint8_t* buffer) {
  if ((!transform && !oem) || recordLength < 2) return;
  const auto translate = [&](std::uint8_t* bytes, std::size_t length) {
    if (!oem) return;
    for (std::size_t i = 0; i < length; ++i)
      bytes[i] = encode ? platform::os::AnsiToOem(bytes[i]) : platform::os::OemToAnsi(bytes[i]);
  };
  for (std::size_t start = 0; start + recordLength <= totalLength; start += recordLength) {
    std::uint8_t* bytes = buffer + start + 1;
    const std::size_t length = recordLength - 1u;
    if (!encode && transform) transform(bytes, length);
    translate(bytes, length);
    if (encode && transform) transform(bytes, length);
  }
}

}  // namespace xbase
