#pragma once
// An open table file as the table-file layer (ovdbflow.h) sees it: the part of a work area's
// record that this layer fills and keeps up to date. The work-area unit's WorkAreaRecord
// derives from it and adds what only work areas have (typed buffer, filter, locks, memo, ...).

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/os/BinaryFile.h"

namespace xbase {

// File modes of a table open, as the runtime's file-open mode numbers: bits 0..2 the access
// (0 read only, 2 read and write), bits 4..6 the sharing (0x40 deny none = shared; any other
// sharing opens exclusively).
inline constexpr std::uint16_t OpenModeExclusive = 18;  // read/write, deny all
inline constexpr std::uint16_t OpenModeShared = 66;     // read/write, deny none

// The life of an open table: AreaClosed -> AreaClean (open) -> AreaChanged (a record
// rewritten) or AreaAppended (a record added; wins over changed) -> AreaClean (flushed) ->
// AreaClosed. The header on disk is rewritten only when leaving changed or appended.
enum AreaState : std::uint8_t {
  AreaClosed = 0,
  AreaClean = 1,
  AreaChanged = 2,
  AreaAppended = 3,
};

// One field of a table, in table order.
struct FieldEntry {
  std::string Name;          // at most 10 characters, upper case
  char FieldType = 'C';      // C, D, F, L, M, N (B, G, P are read as M)
  std::uint8_t Length = 0;   // bytes in the record
  std::uint8_t Decimals = 0;
  std::uint16_t Offset = 0;  // position in the record; the first field is at 1
};

// A record hook: rewrites the bytes of one record after its deleted flag, in place.
using RecordTransform = std::function<void(std::uint8_t* bytes, std::size_t length)>;

struct DbfTable {
  // ---- Given by the caller before OpenDbf

  // The table's path. OpenDbf gives it the default extension "DBF" and, when the file exists
  // under another case, the spelling on disk.
  std::string FileName;
  // The file mode of the open (OpenModeExclusive or OpenModeShared, see above).
  std::uint16_t OpenMode = OpenModeExclusive;
  // Text in the file is OEM (code page 850); memory holds it as ANSI (Windows-1252).
  bool OemTranslate = false;
  // Hooks applied to each record written (after the OEM encoding) and read (before the OEM
  // decoding); empty unless a caller installs them.
  RecordTransform WriteTransform;
  RecordTransform ReadTransform;

  // ---- Filled by OpenDbf, kept up to date by the record routines

  // The file name without its folder (OEM when OemTranslate). Work areas replace it by
  // their own alias.
  std::string Alias;
  // The first 32 bytes of the file as read at open (dBase II uses the first 8).
  std::array<std::uint8_t, 32> Header{};
  bool HasMemo = false;
  std::uint16_t HeaderLength = 0;
  std::uint16_t RecordLength = 0;  // including the deleted-flag byte
  std::uint8_t FieldCount = 0;     // FieldTable.size()
  std::vector<FieldEntry> FieldTable;
  AreaState State = AreaClosed;
  std::string LastUpdate;  // YYYYMMDD from the header
  // The current record, RecordLength bytes as on disk but always decoded (ANSI, read
  // transform applied): byte 0 is the deleted flag ('*' deleted, ' ' not), the fields follow.
  std::vector<std::uint8_t> RecordBuffer;
  std::uint32_t RecordCount = 0;
  std::uint32_t RecNo = 0;  // the current record, RecordCount + 1 past the end
  bool EofFlag = false;
  bool BofFlag = false;
  // Where this open's last append ended, while it has written nothing beyond since (0 when
  // not so). An exclusive open then knows that its file ends there: nobody else writes it,
  // and this open writes beyond its records only the end byte, which clears this.
  std::uint64_t AppendEnd = 0;
  // No other program changes the file while this open holds it: it is open exclusively, or
  // was opened without network locking. Record reads then come from blocks of records read
  // ahead (ReadAheadSize) while a walk goes on, and from the records kept after their reads
  // (RecordCacheSize).
  bool HeldAlone = false;
  // The index's read bracket is held (a seek or walk goes on): no program that keeps the index
  // writes meanwhile, and a record read again comes from the few read with it, one read call
  // for them, forgotten when the bracket closes (ForgetHeldRecords).
  bool ReadingHeld = false;
  bool CountHeld = false;  // the record count was taken from the file within that reading
  // The open table file; its descriptor carries the byte-range locks of the work area.
  platform::os::BinaryFile DataFile;
  // Where a record read on its own lands before it becomes the record buffer.
  std::vector<std::uint8_t> ReadBuffer;
};

// The table is open shared (deny none); any other sharing is exclusive.
inline bool IsSharedOpen(const DbfTable& area) { return (area.OpenMode & 0x70) == 0x40; }

}  // namespace xbase
