#pragma once
// Base unit of the table library. It owns
//  - the error convention every library routine follows: a process-wide error code and message,
//    and an immediate handler that by default shows a "Program halted." box and ends the process;
//  - the library-wide settings;
//  - the hook tables through which the lower layers (work areas, table files) reach the index,
//    expression and memo engines without depending on them. A higher layer fills its table from
//    its own Init and sets its presence flag; an empty slot is never called, so a layer that is
//    absent answers as "no index", "no expression engine", "no memo file".
//
// All state here is plain globals of the one GUI thread, unsynchronised. OvCommonInit runs
// before every other unit (xbase/Library.h runs the units in order).
//
// Error convention for every routine of the library:
//  - A routine that does I/O stores its I/O result in ErrorCode, also on success.
//  - A failure calls SetError(code, message); the message ends with the routine's tag in square
//    brackets, e.g. "... [Use/OpenDbf]".
//  - With ImmediateErrors on (the default), SetError calls FatalErrorHandler at once. Because the
//    handler may raise EOrvelError, code after a SetError must be exception safe (RAII). With a
//    callback installed or immediate handling off, SetError returns: the code after it then
//    runs and must leave the documented state and return the routine's neutral value.

#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>

#include "platform/os/UserLanguage.h"

namespace xbase {

// ---------------------------------------------------------------------------------------------
// Error state

extern std::uint16_t ErrorCode;         // the last operation's result, 0 = success
extern std::uint16_t PendingError;      // the last code given to SetError; cleared by GetErrorMessage
extern std::string LastErrorMessage;    // the message of the last SetError
extern bool ImmediateErrors;            // SetError calls FatalErrorHandler at once (default on)
extern bool RaiseErrors;                // FatalErrorHandler raises EOrvelError (default off)
extern bool InErrorHandler;             // set while the process is being ended
extern std::function<void()> ErrorCallback;  // when set, FatalErrorHandler only calls it

// The library's exception; carries only its message.
class EOrvelError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Stores the code and message, then reports at once when ImmediateErrors is on.
void SetError(std::uint16_t code, const std::string& message);

// Reports the pending error: the callback when one is installed; else, for a non-zero code,
// EOrvelError when raising is on, or the "Program halted." box and the end of the process.
void FatalErrorHandler();

// Passes a warning to ErrorHookTable.Warning, when it is filled; the error state stays as it is.
void ReportWarning(std::uint16_t code, const std::string& message);

// "" for 0, else "Error # <code> (<text of the code>)".
std::string ErrorText(std::uint16_t code);

// Returns LastErrorMessage and clears it and PendingError.
std::string GetErrorMessage();

// ErrorText(PendingError), CR LF and GetErrorMessage(); "" when nothing is pending.
std::string PendingErrorText();

// Switch a mode and return the previous value so that the caller can restore it.
bool SetRaiseErrors(bool flag);
bool SetImmediateErrors(bool flag);

// Switches immediate handling for a scope and restores it on the way out, also when an error
// is raised inside.
class ImmediateErrorsScope {
 public:
  explicit ImmediateErrorsScope(bool flag) : previous_(SetImmediateErrors(flag)) {}
  ~ImmediateErrorsScope() { SetImmediateErrors(previous_); }
  ImmediateErrorsScope(const ImmediateErrorsScope&) = delete;
  ImmediateErrorsScope& operator=(const ImmediateErrorsScope&) = delete;

 private:
  bool previous_;
};

[[noreturn]] void RaiseOrvelError(const std::string& message);

// Message box flag of the fatal box (a stop sign).
inline constexpr unsigned kIconHand = 0x10;

// Shows a message box through FatalExit.ShowBox.
void ShowErrorBox(const std::string& text, const std::string& caption, unsigned flags);

// Where the fatal path ends. The defaults suit a console program; the application installs its
// own box and its own exit, so that a table error never ends it with unsaved work.
struct FatalExitHooks {
  // The box of ShowErrorBox. Default: caption and text on stderr.
  std::function<void(const std::string& text, const std::string& caption, unsigned flags)> ShowBox;
  // Closes every open work area, so that finished appends keep their header. Filled by the
  // work-area unit; errors while it runs are not reported (InErrorHandler is set).
  std::function<void()> CloseAllAreas;
  // Ends the process with an exit status. Default: CloseAllAreas, then std::exit. A replacement
  // that ends the process runs CloseAllAreas first; one that returns keeps the program running
  // with its areas open (the failed operation goes on with them), and error reporting then
  // works again.
  std::function<void(int status)> Terminate;
};
extern FatalExitHooks FatalExit;

// ---------------------------------------------------------------------------------------------
// Settings (plain variables; callers may change them at any time)

extern std::uint8_t SetDateCode;          // SET DATE layout 0..8 (timedate.h)
extern std::uint8_t LanguageDateCode;     // the layout derived from the user's language
extern bool SetCenturyFlag;               // dates shown with four-digit years
extern std::uint16_t CenturyWindowStart;  // two-digit years fall in start .. start + 99
extern char DecimalPoint;                 // decimal separator of number texts
extern char ThousandsSeparator;           // thousands separator of number texts
extern std::set<char> ValidFieldTypes;    // field types accepted at open and create
extern std::uint8_t DefaultVersionByte;   // version byte of new tables with memo fields
extern std::uint8_t CustomVersionByte;    // non-zero: an extra accepted version byte, no memo
extern std::uint8_t CustomMemoVersionByte;  // the same for tables with memo
extern std::uint16_t DefaultMemoBlockSize;  // block size of new memo files
extern bool FlushAfterWrite;              // flush the file after every record write
extern bool CountFromFileSize;            // record count from the file size at open
extern bool NetworkLocking;               // byte-range locks and shared opens
extern std::uint32_t ReadAheadSize;       // bytes of records a walk of a table no other
                                          // program changes reads at once (under two
                                          // records: one record a read)
extern std::uint32_t RecordCacheSize;     // such a table of at most this many bytes of
                                          // records keeps each record once read (0: none)
extern std::uint8_t EofByte;              // written after the last record of a grown table
extern std::string TempFilePrefix;        // prefix of temporary file names
extern std::array<std::uint8_t, 36> Level7LanguageDriver;  // language block of level-7 headers

// The current work area. The work-area unit owns the areas; the number lives here because
// start-up makes area 1 current before that unit runs.
extern std::uint8_t CurrentWorkArea;

// The SET DATE layout for a language: German 5, US English 0, other English 2, Spanish 6,
// Canadian French 7, other French 4, Italian 3, Russian 8, anything else 0.
std::uint8_t LanguageDateCodeOf(const platform::os::Language& language);

// ---------------------------------------------------------------------------------------------
// Hook tables. Slot numbers are those of the original tables; the layer named on each table
// fills it from its Init.

struct CompiledExpr;        // made and owned by the expression engine
class MemoTextFile;         // a text file bound to a memo (MemoTextFile.h)

using RecordNumber = std::uint32_t;
using KeyTextFunction = std::function<std::string()>;  // the current record's key as text

// Filled by the index engine. The work-area engine calls a slot only when IndexingEnabled is on.
struct IndexHooks {
  std::function<bool()> IsActive;                    // 0  the current area has a controlling order
  std::function<void()> SyncCurrent;                 // 1  seat the controlling order on the record
  std::function<RecordNumber()> NextRec;             // 2  next record in index order
  std::function<RecordNumber()> PriorRec;            // 3  prior record in index order
  std::function<RecordNumber()> FirstRec;            // 4
  std::function<RecordNumber()> LastRec;             // 5
  std::function<bool()> IsEof;                       // 6
  std::function<bool()> IsBof;                       // 7
  std::function<void()> AppendKeys;                  // 8  add the new record's keys to every order
  std::function<void()> SyncAfterMove;               // 9
  std::function<void()> SyncAllOrders;               // 10 before a record is rewritten
  std::function<void()> UpdateKeys;                  // 11 after a record is rewritten
  std::function<void()> SetBof;                      // 12
  std::function<void()> SetEof;                      // 13
  std::function<std::uint8_t*()> FoundFlag;          // 14 address of the FOUND byte
  std::function<void()> Reindex;                     // 15
  std::function<void()> CloseAll;                    // 16 close every order of the current area
  // Slot 17 is never filled.
  std::function<std::string(std::uint8_t order)> IndexName;             // 18
  std::function<KeyTextFunction(std::uint8_t order)> OrderKeyFunc;      // 19 empty for a free slot
  std::function<KeyTextFunction()> CurrentKeyFunc;                      // 20 empty without an order
  std::function<bool(std::uint8_t order)> IsAscending;                  // 21
  std::function<bool(std::uint8_t order)> IsSoundex;                    // 22
  // 23 and 24: the read and write brackets; false when the bracket did not open (or close)
  std::function<bool(bool on)> ReadSemaphore;                           // 23
  std::function<bool(bool on)> LockSemaphore;                           // 24
};

// Filled by the expression engine.
struct ExprHooks {
  std::function<CompiledExpr*(const std::string& text)> Compile;  // 0 null on failure
  std::function<void(CompiledExpr*& expr)> Free;                  // 1 and sets expr to null
  // 2 the result, read by the expression's result type; null for a null expression
  std::function<void*(CompiledExpr* expr)> Evaluate;
  std::function<void(CompiledExpr* expr, std::string& text)> AssignString;  // 3 source text
};

// Filled by the memo store; block numbers are those stored in the memo fields.
struct MemoHooks {
  std::function<void(MemoTextFile& file, std::int32_t& block)> AssignMemo;  // 0 bind for reading
  std::function<void()> PackMemofile;                                     // 1
  std::function<void(const std::string& name)> OpenMemo;                  // 2
  std::function<void()> CloseMemo;                                        // 3
  // 4 and 5: copy a memo of another area into the current area's memo file, appended at the
  // end (4) or at the same block number (5); the new block, 0 when nothing was copied.
  std::function<std::int32_t(std::uint8_t sourceArea, std::int32_t sourceBlock)> Slot4;
  std::function<std::int32_t(std::uint8_t sourceArea, std::int32_t sourceBlock)> Slot5;
  std::function<void(const std::string& name)> CreateMemo;                // 6 close, create, open
  std::function<std::int32_t(const std::string& text)> AddMemo;           // 7 the new block
};

// Slot 0 holds FatalErrorHandler from start-up; slot 1, empty unless a caller fills it, hears
// the library's warnings; the other five are never filled.
struct ErrorHooks {
  std::function<void()> FatalError;  // 0
  // 1: something the library put right by itself, which the caller may want to know (the code
  // is 0 when no error code fits); nothing else follows from it.
  std::function<void(std::uint16_t code, const std::string& message)> Warning;
};

extern IndexHooks IndexHookTable;
extern ExprHooks ExprHookTable;
extern MemoHooks MemoHookTable;
extern ErrorHooks ErrorHookTable;

// The key expression of the index order being worked on, set by the index engine, and the
// expression engine's evaluation of it: the result, read by the expression's result type.
extern CompiledExpr* CurrentKeyExpr;
extern std::function<void*()> EvaluateCurrentHook;

// A virtual-file manager's open; nothing installs one, so virtual-file opens fail with 1101.
extern std::function<void(const std::string& name, void* buffer, std::uint16_t size)>
    VirtualFileHook;

// Presence flags. IndexingEnabled: the index engine filled IndexHookTable (a second index
// engine finding it set refuses). ParserPresent: the expression engine filled ExprHookTable.
extern bool IndexingEnabled;
extern bool ParserPresent;

// ---------------------------------------------------------------------------------------------
// Memory, code pages, date

// Thin wrappers of the heap; an allocation failure raises std::bad_alloc. FreeMem of an empty
// pointer reports 9; the pointer is always empty afterwards.
void GetMem(void*& pointer, std::uint16_t size);
void FreeMem(void*& pointer, std::uint16_t size);

// Always $7FFFFFFF: memory is never reported short, a real shortage raises std::bad_alloc.
std::int32_t MaxAvail();

// Whole-string translation between ANSI (Windows-1252) and OEM (code page 850).
std::string AnsiToOemStr(const std::string& text);
std::string OemToAnsiStr(const std::string& text);

struct CalendarDate {
  int year = 0;
  int month = 0;      // 1..12
  int day = 0;        // 1..31
  int dayOfWeek = 0;  // 1 = Sunday .. 7 = Saturday
};

// The current local date.
CalendarDate Today();

// ---------------------------------------------------------------------------------------------
// Start-up and shut-down of this unit

// Puts every global of this unit into its start-up state: error state cleared with the default
// modes, settings at their defaults (date layout and separators from `userLanguage`,
// CenturyWindowStart the current year - 70), every hook table and flag empty except
// ErrorHookTable.FatalError, the default fatal box and exit, area 1 current.
void OvCommonInit(const platform::os::Language& userLanguage);

// Clears LastErrorMessage.
void OvCommonDone();

}  // namespace xbase
