#pragma once
// The memo store: the memo files beside tables with memo fields, in three dialects chosen by the
// table's version byte (integers little-endian unless said otherwise):
//
//   0x83 dBase III  "DBT"  512-byte blocks. Block 0: u32 next free block, zeros; a new file is
//        513 bytes (next free 1, a final 0x1A). A memo is its text, 0x1A 0x1A and zeros to the
//        end of its last block; readers stop at the first 0x1A. A text that holds 0x1A or a
//        zero byte carries the dBase IV group header below instead, the field holding its
//        block negated (readers test every run for that header, whatever the sign).
//   0x8B, 0x8C dBase IV  "DBT"  header: u32 next free block (head of the free chain, or the
//        block past the end), u32 0, 8 bytes of the table's base name, 2 zero bytes, u16 0x0102,
//        u16 block size, 2 zero bytes; a new file is just these 24 bytes. A memo: FF FF 08 00,
//        u32 length including these 8 bytes, the text. A free run: u32 next free run, u32 its
//        size in blocks; the chain ascends and its last run points past the end of the file.
//   0xF5 FoxPro  "FPT"  big-endian header: u32 next free block, u16 0, u16 block size, zeros
//        up to offset 512. A memo: u32 type (1, text), u32 text length, the text.
// Any other version byte reads and writes as DefaultVersionByte. Block n starts at offset
// n x block size; a memo is known by its first block, which the table's memo field holds as
// decimal digits (blank or 0: no memo). After every append and rewrite the header's next free
// block is the first block past the end of the file, so this library's own dBase IV files
// never keep a free chain.
//
// Programs share a memo file under a one-byte lock at offset 10, taken (when NetworkLocking is
// on and the table is shared) for every append, rewrite and stream write, and released when the
// header is up to date or on the first error. Every routine acts on the current work area and
// follows the library's error convention (ovcommon.h); memo errors release the lock first.
//
// The lower layers reach the store through MemoHookTable, which MemoInit fills.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "xbase/memo/MemoLines.h"

namespace xbase {

class MemoTextFile;

inline constexpr std::uint8_t MemoDbase3 = 0x83;
inline constexpr std::uint8_t MemoDbase4 = 0x8B;
inline constexpr std::uint8_t MemoDbase4Level7 = 0x8C;
inline constexpr std::uint8_t MemoFoxPro = 0xF5;

// Pieces in which memo data passes through an area's record transforms, counted from a memo's
// first data byte (the last piece may be shorter).
inline constexpr std::size_t MemoBufferSize = 512;

// Tries of the memo lock and the wait after each refused try (a peer's append takes well
// under a millisecond, a stream write as long as its writer needs).
extern std::uint8_t MemoLockTries;               // default 11
extern std::chrono::milliseconds MemoLockWait;   // default 10 ms

// ---- Files (the current area's memo file)

// The dialect of the current table: its version byte when that is 0x83, 0x8B, 0x8C or 0xF5,
// else DefaultVersionByte (also, after 215, without a table).
std::uint8_t GetMemoType();

bool IsFoxProMemo();       // the current area's memo file is FoxPro
bool IsDbase4Memo();       // dBase IV, either level
bool IsDbase3Memo();
bool IsDbase3Memo(std::uint8_t area);

// Opens the memo file of the current table (MemoHookTable.OpenMemo, called by Use with the
// table's path without extension; the dialect's extension is added when the name has none).
// Refused: 1007 when the area has one open; the open's code with "Memo file not found"; 100
// for a header shorter than its dialect's (8 bytes FoxPro, 24 bytes dBase IV).
void OpenMemofile(const std::string& name);

// Closes the current area's memo file (MemoHookTable.CloseMemo); nothing when none is open.
void CloseMemofile();

// Writes a new empty memo file of DefaultVersionByte with DefaultMemoBlockSize.
void CreateMemofile(const std::string& name);

// MemoHookTable.CreateMemo: closes the area's memo file, creates a new one and opens it.
void CreateMemo(const std::string& name);

// ---- Reading and writing

// Reads the memo at block (its absolute value) into text, at most maxLines lines (0: no
// limit but MaxMemoLines); text.Cut says when the memo has more. Block 0 gives no lines.
// False after reporting 1003 (a block at or beyond the last byte of the file) or a read
// failure.
bool GetMemo(std::int32_t block, std::uint8_t maxLines, MemoLineTable& text);

// Appends text (trailing blanks and controls removed) as a new memo; its block (negated for a
// dBase III memo with the group header), or 0 when the text is empty or the write failed.
std::int32_t AddMemo(std::string_view text);

// Writes text as the memo that replaces oldBlock and sets block to where it went (0 for an
// empty text; negated as AddMemo's). False after a failure: oldBlock's memo is then untouched
// and still readable.
bool EditMemo(const MemoLineTable& text, std::int32_t oldBlock, std::int32_t& block);

// ---- The memo lock and the header

bool LockMemoFile();
bool UnlockMemoFile();

// Takes the memo lock and pads the file with zeros to a block boundary; the offset where a new
// memo starts (0 after reporting 1017 or a write failure, the lock released). A new dBase III
// file's final 0x1A is overwritten: 513 gives block 1.
std::uint64_t LockMemoPadAndSeekEOF(std::string_view routine);

// Next free block := the first block past the end of the file, then the lock is released.
void UpdateMemoHeader();

// True, after reporting 215 or 1019, when the current area has no table or no memo file.
bool CheckMemoArea(std::string_view routine);

// Releases the memo lock, then SetError(code, text).
void ReportMemoError(std::uint16_t code, const std::string& text);

// ---- Pack and copy

// Copies the memo at sourceBlock of another area's memo file into the current area's, appended
// at the end or at the same block number; the new block (negated for a dBase III destination
// that got a group header), 0 when nothing was copied.
std::int32_t CopyMemo(std::uint8_t sourceArea, std::int32_t sourceBlock, bool atSameBlock);

// Rewrites the current area's memo file with only the memos its records point to, and the
// records' pointers with them. Needs the table exclusively (225 otherwise).
void PackMemofile();

// ---- The text driver and memo streams

// Binds file to the memo at block of the current area (MemoHookTable.AssignMemo); a refusal
// (CheckMemoArea) leaves file as it was. Opened for input the file reads the memo's lines
// (hard returns end lines, soft returns and width breaks join the next); opened for output or
// append, closing it writes the text as the memo replacing block and stores the new block in
// block, which must outlive the open file.
void AssignMemo(MemoTextFile& file, std::int32_t& block);

// Opens the memo at block as a byte stream, for reading (mode 1) or writing a new memo at the
// end of the file (mode 2, holding the memo lock until CloseBlob). With oemDetect the first
// bytes decide whether the data is OEM text, translated to and from ANSI. The block (for
// reading negated in a dBase III file), 0 on refusal or failure.
std::int32_t OpenBlob(bool oemDetect, std::int32_t block, std::uint8_t mode);
// Bytes read into or written from buffer; 0 on failure.
std::int32_t ReadBlobStream(void* buffer, std::int32_t count);
std::int32_t WriteBlobStream(const void* buffer, std::int32_t count);
// The new position: from the start (origin 0), the position (1) or the end (2).
std::int32_t SeekBlob(std::int32_t offset, std::uint16_t origin);
// Ends the stream; a written stream gets its header (in a dBase III file its end marks, or the
// group header when the bytes hold what a plain memo cannot) and the memo file its next free
// block. The block the memo field is to hold: OpenBlob's, negated for a dBase III memo with
// the group header; 0 when nothing was written, after a failure and for a read stream.
std::int32_t CloseBlob();

// ---- Start-up

// Fills MemoHookTable and puts the settings above back to their defaults; runs after
// Dbf4Init, which clears the table.
void MemoInit();

}  // namespace xbase
