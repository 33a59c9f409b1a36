#pragma once
// The table-file layer: the dBase table format on disk, opening a table and reading its header
// and field descriptors, writing the header back, record reads and writes, typed records, and
// creating new tables with their empty memo files.
//
// Every routine works on the DbfTable it is given (a work area's record, or a staging record
// before a work area takes it), never on the current work area. Failures follow the library's
// error convention (ovcommon.h): SetError with the routine's tag, after which the routine
// leaves the state documented here, so that callers with immediate handling off or with an
// error callback can go on. Each routine stores its I/O result in ErrorCode, 0 on success.
//
// Table file, dBase III and later (integers little-endian):
//   0 version byte; 1..3 date of last update (year - 1900, month, day); 4..7 record count;
//   8..9 header length; 10..11 record length (with the deleted-flag byte); 12..27 reserved,
//   kept as found; 28 table flags; 29..31 reserved; level 7 only: 32..67 language-driver
//   block; then one descriptor per field, 32 bytes (48 for level 7), and 0x0D.
//   Descriptor: name 0..10 (NUL-padded), type 11, length 16, decimals 17
//   (level 7: name 0..31, type 32, length 33, decimals 34).
// dBase II (version 2): a fixed 521-byte header: 0 version, 1..2 record count, 3 month, 4 day,
//   5 year - 1900, 6..7 record length, 8..519 32 descriptors of 16 bytes (name 0..10, type 11,
//   length 12, decimals 15; a descriptor starting with 0x0D ends the list), 520 0x0D.
// Record n (1-based) starts at header length + (n - 1) x record length. A table that grew is
// closed with EofByte after its last record.
//
// Files keep the case of their names; a name given by a caller finds an existing file exactly
// first, then without regard to case per path part.
//
// Sharing between programs: a shared table's record count is read again from the file size
// before its header is written at flush and close, and the end byte is never written over
// data. The work-area engine holds the append lock around CloseDbf of a shared table so that no
// other program appends in between; when another program holds it, that program may be
// appending, and the end byte is left to it.

#include <cstdint>
#include <span>
#include <string>

#include "xbase/dbf/DbfTable.h"

namespace xbase {

// ---- Version bytes and dialects

// 0x02, 0x03, 0x83, 0x8B, 0xF5, 0x04, 0x8C, and the custom version bytes when set.
bool IsValidVersionByte(std::uint8_t version);

// The dialect of an open table by its header; all false while a custom version byte is set.
bool IsDbase2(const DbfTable& area);       // version 0x02
bool IsLevel7(const DbfTable& area);       // version 0x04 or 0x8C: 48-byte descriptors
bool IsVfp(const DbfTable& area);          // version 0x30
bool IsVfpWithMemo(const DbfTable& area);  // version 0x30 with table flags 2

// ---- Opening, header write-back, closing

// Opens the table named by area.FileName in area.OpenMode and reads its header and field
// descriptors; the record buffer is allocated, no record is read. RecNo is 1, or 0 with BOF
// and EOF set for an empty table. With CountFromFileSize the record count comes from the file
// size, as it does when the header claims more records than the file holds, and when the file
// holds whole records past the header's count without the end byte after them (a program died
// appending them; ReportWarning says so). Any failure leaves
// the area closed with no file open:
//   the file cannot be opened (2, 5, 32 held by another open, ...) "Failure to open ..."
//   not a table: 210 (file under 32 bytes, unknown version byte, field count out of range,
//     record length smaller than its fields, dBase II header under 521 bytes)
//   descriptors cut short: 100; an empty descriptor list: 222 (both "Error reading ...")
//   a field type outside ValidFieldTypes, or a date field not 8 long: 211
void OpenDbf(DbfTable& area);

// Gives an open table the file mode its share lock now has (OpenModeExclusive or a shared
// mode). A table held exclusively, or opened with NetworkLocking off, is held alone (DbfTable).
void ChangeOpenMode(DbfTable& area, std::uint16_t mode);

// Parses one field descriptor of the table's dialect into entry: the name up to its first NUL
// (at most 10 characters, upper-cased), B, G and P read as M, the offset from runningOffset,
// which moves on by the field's length. A type outside ValidFieldTypes reports 211.
void ParseFieldDescriptor(const DbfTable& area, std::span<const std::uint8_t> descriptor,
                          FieldEntry& entry, std::uint16_t& runningOffset);

// Writes today's date and the record count into the header on disk, keeping the reserved
// bytes 16..27 that another program may have written since the open. A failure stores its code
// in ErrorCode and, with ImmediateErrors on, calls FatalErrorHandler with the last message.
void WriteDbfHeader(DbfTable& area);

// Today's date and the record count alone into the header on disk: what other programs read
// to count the records, written at every append of a shared table.
void WriteDbfCount(DbfTable& area);

// When the table changed or grew: the header, after appends the end byte 0x1A, the state clean
// and the file flushed to the device. After a failure the state stays as it was, so that a
// later flush or close writes the header again.
void FlushDbf(DbfTable& area);

// Writes header and end byte (EofByte) and flushes the file to the device as FlushDbf does, then
// closes the file and frees the record buffer and field table; the area is closed afterwards
// whatever failed.
void CloseDbf(DbfTable& area);

// Writes the file's data through to the device; "Unable to flush file [FlushFile]".
void FlushFile(platform::os::BinaryFile& file);

// Whole records between the header and the end of the file (0 when the file is shorter than
// its header; the count as it stands when the size cannot be read). The work-area engine
// refreshes the count of shared tables with it.
std::uint32_t CountFromSize(const DbfTable& area);

// Makes count, read from the file, the record count. A count that moved means that another
// program wrote the file: the records read ahead or kept of it are dropped.
void TakeCountFromFile(DbfTable& area, std::uint32_t count);

// Whole records between the header and the end of a file of `size` bytes.
std::uint32_t RecordsInSize(const DbfTable& area, std::uint64_t size);

// Where record n (1-based) starts in the file.
std::uint64_t RecordOffset(const DbfTable& area, std::uint32_t n);

// ---- Records

// Reads record n into the record buffer and makes it current. n outside 1..RecordCount: 212,
// nothing changes. A file that ends inside the record: 213. After a failure the record buffer
// and RecNo are as they were.
void GetDbfRecord(DbfTable& area, std::uint32_t n);

// Writes the record buffer as record n; n beyond RecordCount appends record RecordCount + 1,
// which becomes current and makes the area appended. The buffer in memory stays as it was
// (encoding works on a copy). A failed append changes no count and leaves the file as it
// was. A dBase II table takes at most 65535 records (212); n = 0 names no record (212, nothing
// written).
void PutDbfRecord(DbfTable& area, std::uint32_t n);

// PutDbfRecord(area, RecordCount + 1). With countFromSize the record count is first taken from
// the file size, which the append reads anyway, so that the new record goes after those other
// programs appended; the count stays so taken when the append then fails. The work areas of
// shared tables append so.
void AppendDbfRecord(DbfTable& area, bool countFromSize = false);

// The end of a reading of a shared table under the index's read bracket (ReadingHeld): the
// records read with it, and the record count taken within it, are forgotten.
void ForgetHeldRecords(DbfTable& area);

// Writes byte 0 of the record buffer (the deleted flag) into record n, untranslated. n outside
// 1..RecordCount: 212, nothing written.
void WriteDeletedFlag(DbfTable& area, std::uint32_t n);

// Translates each record of buffer (totalLength div recordLength records) after its deleted
// flag: decoding runs the transform, then OEM to ANSI; encoding ANSI to OEM, then the
// transform. Nothing happens without a transform and without OEM translation.
void TranslateRecord(bool encode, bool oem, const RecordTransform& transform,
                     std::size_t totalLength, std::uint16_t recordLength, std::uint8_t* buffer);

// ---- Typed records
//
// A typed record is the caller's fixed image of a record: the deleted flag (1 byte, 1 =
// deleted), then one slot per field in table order, packed, little-endian:
//   C   length + 1 bytes: length-prefixed text
//   D   length + 3 bytes: length-prefixed date text in the SET DATE layout (8 or 10 chars)
//   N,F with decimals: 8-byte double; without: 4-byte signed integer
//   L   1 byte, 1 = true
//   M   4-byte signed integer, the memo block number
// Other field types take no room.

// The slot size of a field in the typed record (0 for types without a slot).
std::uint16_t TypedSlotSize(const FieldEntry& field);

// 1 + the slot sizes of every field.
std::uint32_t TypedRecordSize(const DbfTable& area);

// Record buffer -> typed record. typed holds TypedRecordSize(area) bytes; slots beyond its end
// are left out. Numbers that do not fit their slot are clamped.
void ScatterRecord(const DbfTable& area, std::span<std::uint8_t> typed);

// Typed record -> record buffer. A number wider than its field fills the field with '*'. A
// date that is no valid date is stored blank. A number slot that still holds what
// ScatterRecord made of the stored text keeps that text when the slot could not represent it
// (integers beyond 32 bits, more digits than a double keeps, text that is no number), so that
// writing back a record changes no field the caller left alone.
void GatherRecord(DbfTable& area, std::span<const std::uint8_t> typed);

// ---- Creation

// Creates the table `name` (default extension "DBF") with the given fields (their Offset is
// ignored) and leaves the area describing it, closed: the file holds the header and the end
// byte. A table with memo fields gets its empty memo file (CreateMemoFileForVersion). The files
// are written beside their names and renamed over them once whole, so that a failure (a full
// disk) leaves a table of that name as it was, and creates nothing new.
// Refused, creating nothing: 211 for a field list of 0 or more than 255 fields, an empty name,
// a C, F or N field of length 0 or a type not accepted; 220 for a memo block size of 0; 32
// when another open holds an existing file of that name.
void CreateDBF(DbfTable& area, const std::string& name, std::span<const FieldEntry> fields);

// "FPT" for version 0xF5 or 0x30, "DBT" otherwise (a version not accepted counts as
// DefaultVersionByte).
std::string MemoFileExt(std::uint8_t version);

// Creates the empty memo file for a table version (default extension MemoFileExt(version)):
// 0x83 a 513-byte dBase III file, 0xF5 a 512-byte FoxPro header, others a 24-byte dBase IV
// header with the table's base name. It replaces a file of that name only once written whole.
// callerTag names the caller in messages. A block size of 0 is refused with 220 and creates
// nothing.
void CreateMemoFileForVersion(const std::string& name, std::uint8_t version,
                              std::uint16_t blockSize, const std::string& callerTag);

}  // namespace xbase
