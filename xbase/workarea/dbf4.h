#pragma once
// The work-area engine: a fixed table of numbered work areas, each holding one open table, and
// the current area on which every record, field, navigation, lock and update operation acts.
//
// Areas 1 to 33 are for callers; 34 and 35 are the library's own. Every public operation on the
// current area first checks that a table is open there (CheckAreaOpen): without one it reports
// 215 "No database in use" with its own tag and returns its neutral value (0, false, empty, or
// true for dEOF and dBOF). Failures follow the library's error convention (ovcommon.h).
//
// The index, expression and memo engines are reached only through the hook tables of ovcommon
// and only when filled, so that without them the engine answers as "no index, no expression
// engine, no memo file". An area is indexed when IndexingEnabled is on and IndexHookTable.IsActive
// reports a controlling order for the current area.
//
// Sharing between programs: tables open shared (deny none) or exclusively (deny all); a conflict
// is 32. Shared tables coordinate with byte-range locks beyond the end of the data:
//   table lock (FLock)     LockBase                                          1 byte
//   append lock (ALock)    LockBase + 1                                      1 byte
//   record n (RLock)       LockBase + HeaderLength + (n - 1) * RecordLength  RecordLength bytes
//   everything (LockFileAll, released by Unlock) LockBase + 1                0x3FFFFFFF bytes
// Each area opens its table on its own, so two areas of one program conflict as two programs
// do; a lock cannot be taken twice and only a held range can be released. A shared table's
// record count is read again from the file size before the moves and writes that depend on it.
//
// Hooks and callbacks run with the current area saved and restored; they must not close the
// area that called them.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "xbase/core/ovcommon.h"
#include "xbase/dbf/DbfTable.h"

namespace xbase {

struct MemoDescriptor;  // the memo store's state of an area's memo file

// ---------------------------------------------------------------------------------------------
// Work areas and opening tables

inline constexpr std::uint8_t WorkAreaCount = 35;
inline constexpr std::uint8_t CallerWorkAreas = 33;

enum LockStates : std::uint8_t {
  LockNone = 0,
  LockFileAll = 1,  // everything locked; nothing enters it, but Unlock and writes honour it
  LockAppend = 2,
  LockRecords = 3,
};

// One open table. The table-file part (DbfTable) is kept by the file layer.
struct WorkAreaRecord : DbfTable {
  std::string ShortName;      // the table file's name without folder
  bool IgnoreDeleted = false;  // SET DELETED: deleted records are hidden
  bool IsVirtual = false;      // never set: virtual files are not supported
  // The caller's typed record (ovdbflow.h), TypedBufferSize bytes; the library's own when
  // OwnsTypedBuffer.
  std::uint8_t* TypedBuffer = nullptr;
  std::uint16_t TypedBufferSize = 0;
  bool OwnsTypedBuffer = false;
  std::vector<std::uint8_t> OwnTypedBuffer;
  // Visibility and scope, each a callback or a compiled logical expression.
  std::function<bool()> FilterCallback;
  CompiledExpr* FilterExpr = nullptr;
  std::function<bool()> WhileCallback;
  CompiledExpr* WhileExpr = nullptr;
  // Runs after every move of the area.
  std::function<void()> MoveCallback;
  // The memo store's, set through its hooks; dropped with the area.
  std::shared_ptr<struct MemoDescriptor> MemoDescriptor;
  LockStates LockState = LockNone;
  std::deque<RecordNumber> RecordLockList;  // records locked, newest first
  std::vector<std::uint8_t> SwapBuffer;     // TypedBufferSize bytes used by Replace
  bool ExclusiveFlag = false;  // opened exclusively (or without network locking)

  std::size_t RecordLockCount() const { return RecordLockList.size(); }
};

// Slot n - 1 holds area n; empty = closed.
extern std::array<std::unique_ptr<WorkAreaRecord>, WorkAreaCount> WorkAreaTable;

// The record of area n (1..35), null when it is closed or n names no area.
WorkAreaRecord* WorkArea(unsigned n);

extern std::uint16_t SharedOpenMode;    // the mode of a shared open: 66, or 18 for all exclusive
extern std::uint16_t OpenModeOverride;  // below 65535: its low byte is the mode of every open
extern bool AnsiTables;                 // tables hold ANSI text (no OEM translation)
extern RecordTransform PendingWriteTransform;  // set only during UseWithMode
extern RecordTransform PendingReadTransform;

// n in 1..33 makes area n current; 0 picks the lowest free area of 1..33. Anything else, or no
// free area, is 220 and leaves the current area as it was.
void Select(std::uint8_t n);
std::uint8_t CurrentArea();

// Opens a table in the current area, closing what was open there. The name carries the options
// " EXCLUSIVE" and " ALIAS <alias>" in any case; the path keeps its case. buffer is the caller's
// typed record of exactly TypedRecordSize bytes, or null with size 0 for one of the library's.
// A failed Use leaves the area closed.
void Use(const std::string& name, void* buffer, std::uint16_t size);

// Use with record hooks for writing and reading.
void UseWithMode(const std::string& name, void* buffer, std::uint16_t size,
                 RecordTransform writeTransform, RecordTransform readTransform);

// Closes the table of the current area (header, end byte and locks as the file layer and the
// lock rules require); nothing when the area is closed.
void CloseArea();

// Closes areas 1 to 33; area 1 is current afterwards.
void CloseAll();

// True, with 215 "No database in use [<routine>]  WorkArea = <n>", when the current area has no
// table.
bool CheckAreaOpen(std::string_view routine);

std::string CurrentTableName();  // "" when closed
std::string AliasOfCurrent();    // "" when closed

// Start-up (shared open mode, every area closed, memo hooks cleared) and shut-down (areas 34
// and 35, then all). Dbf4Init also puts the unit's other settings back to their defaults.
void Dbf4Init();
void Dbf4Done();

// ---------------------------------------------------------------------------------------------
// Field catalogue and typed record of the current area (fields are numbered from 1)

char FieldType(int n);
int FieldLen(int n);  // a date field is 10 long with SET CENTURY on, else 8
int FieldDec(int n);
// The slot of field n in the typed record; n = 0 is the deleted flag. Null on error.
std::uint8_t* FieldAddress(int n);
std::string Field(int n);              // the field's name, "" on error
int FieldNo(std::string_view name);    // 0 when no field has that name (not an error)
int FieldCount();

void ScatterCurrent();  // record buffer -> typed record
void GatherCurrent();   // typed record -> record buffer
// A blank record: the record buffer all blanks, scattered into the typed record.
void ClearRecord();

std::string IntToShortStr(std::int64_t n);

// ---------------------------------------------------------------------------------------------
// Navigation, scope and filters

// When set, Skip asks it for its target record instead of stepping.
extern std::function<RecordNumber(std::int32_t n)> SkipHook;

void GoTop();               // the first visible record
void GoBottom();            // the last visible record
void Skip(std::int32_t n);  // n visible records; 0 reads the current record again
void Go(std::int32_t n);    // record number n, visible or not
void Dbf4RawGo(std::uint32_t n);   // read record n: no index, filter, callback or check
void GoAndSync(std::uint32_t n);   // Dbf4RawGo, then the after-move callback
bool GoIfValid(std::int32_t n);    // Go when 1 <= n <= RecCount, else false
bool dEOF();
bool dBOF();
std::uint32_t RecCount();  // refreshed first on shared tables
std::uint32_t RecNo();
std::uint16_t RecSize();

// SET DELETED for the current area; returns the old value, then reads the record again.
bool SetIgnoreDel(bool on);

void FirstInScope();
void LastInScope();
// After a write: false when the current record is still visible and in scope; otherwise
// releases the locks, moves to the next (or previous) record and returns true.
bool RereadCurrent();
bool IsWhileOn();

// Installs the after-move procedure and returns the previous one; a new one runs at once.
std::function<void()> SetMoveCallback(std::function<void()> callback);

// ---------------------------------------------------------------------------------------------
// Locate and Continue: a sequential search by record number over one field's stored text

extern int LocateField;  // 0: no Locate in force
extern std::string LocateValue;
extern bool LocateCaseSensitive;
extern bool LocateExact;      // the whole field must equal the value
extern bool LocateContained;  // the field contains the value

// Sets up a search: request is a field name and the options " NOCASE", " EXACT", " CONTAINED".
// Returns the field's number, 0 (with 220) for an empty or unknown name.
int Locate(std::string_view request);
// Searches from record `start` (1 starts a new search with LocateValue) and goes to the first
// match; without one the area is left at EOF and LocateField is 0. A record that cannot be read
// ends the search with its error, the area where it stood.
void LocateFrom(std::uint32_t start, int field);
// The next match of the last Locate.
void Continue();

// A value to look for, converted to the field's stored text: dates as YYYYMMDD, numbers in the
// field's width and decimals, logicals as T or F.
using FieldValue = std::variant<std::string, std::int64_t, double, bool, CalendarDate>;

// Locates the first visible record whose field matches the value; true when one was found.
// Without exact a text matches the start of the field; with exact the whole field, blanks
// after the text aside.
bool LocateFieldValue(std::string_view fieldName, const FieldValue& value, bool caseInsensitive,
                      bool exact);

// The dataset's Locate and Lookup: fields separated by ';', one value each; a record matches
// when every field matches its value. Stays on the found record only with moveTo (else goes
// back); a value list of another length than the field list is 220.
bool ParseCondition(std::string_view fields, const std::vector<FieldValue>& values,
                    bool caseInsensitive, bool moveTo, bool exact);

// ---------------------------------------------------------------------------------------------
// Record updates under the lock rules: a table opened exclusively, LockFileAll, or (for an
// existing record) its record lock. The append lock alone allows only Append.

extern bool IndexOnReplace;  // Replace keeps the index orders in step (default on)

void Append();     // the typed record as a new last record
void Replace();    // the typed record over the current record
void DeleteRec();  // marks the current record deleted
void RecallRec();  // clears the mark

// ---------------------------------------------------------------------------------------------
// Multi-user locks

inline constexpr std::uint64_t LockBase = 0x40000000;
inline constexpr std::uint64_t LockAllLength = 0x3FFFFFFF;

extern std::uint8_t LockRetryCount;  // further tries after a refused lock (default 0)
extern std::uint8_t LockRetryWait;   // seconds between tries (default 0)
// Asked when the tries are used up; true starts another round.
extern std::function<bool()> LockRetryCallback;
extern std::uint16_t RecordLockLimit;  // most record locks an area holds; 0 = no limit
extern bool ReopenedExclusive;

// Locks or releases a range of an open file; 0, or the platform's code. Does nothing (0) with
// NetworkLocking off.
std::uint32_t LockRegion(bool unlock, int handle, std::uint64_t offset, std::uint64_t length);
// Tries a lock as the retry settings say; true when it was granted.
bool LockWithRetry(int handle, std::uint64_t offset, std::uint64_t length);
// Lets the application's messages run for n seconds, or until it terminates.
void WaitSeconds(unsigned n);

// The table lock; does not change the area's lock state. FUnlock reports a failed release.
bool FLock();
void FUnlock();
bool ALock();  // the append lock: false while records are locked
bool RLock();  // locks the current record: false when it is no record or the append lock is held
bool IsLocked(RecordNumber n);
// n > 0 record n; -1 the oldest lock, -2 the newest, -3 all. Removing the last record lock ends
// the LockRecords state; the append lock is no record lock and stays. Failures set ErrorCode and
// the message without reporting them.
bool UnlockRec(std::int64_t n);
void Unlock();  // releases every lock of the area's lock state

// Holds the current area's table exclusively (or shared again) on the same open, keeping its
// record locks; 5 for an area opened exclusively, 32 when another open holds the table.
std::uint16_t ReopenDbf(bool exclusive);

// The record count of a shared table from its file size.
void RefreshRecCount(WorkAreaRecord& area);

// ---------------------------------------------------------------------------------------------
// Peek and Poke: one field of any record, straight from and to the file, as stored (no
// translation). Field 0 is the deleted-flag byte.

// Bytes asked for the read cache of consecutive records (0, the default, switches it off); the
// cache holds at most 65520 bytes of one table.
extern std::uint16_t PeekCacheSize;

void Peek(int field, std::int64_t rec, std::string& text);
void Poke(const std::string& value, int field, std::int64_t rec);

// Drops the read cache (also done at every new Locate on a shared table).
void DropPeekCache();

}  // namespace xbase
