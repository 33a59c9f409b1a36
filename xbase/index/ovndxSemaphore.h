#pragma once
// How several programs share a table's index files: through the table's semaphore file.
//
// The semaphore file sits beside the table (or in SemaphoreFolder), named after it with the
// extension ".@S@", and holds 4 bytes, read and written as one record:
//     0 u8 logins: programs logged in to the table
//     1 i8 readers: registered readers, 0 to 127 (a writer counts as one)
//     2 u16 generation: one up at the end of every write
// Bytes 1 to 4 are the semaphore lock, an open-file-description write lock, held to change the
// counters and for the whole of a write. Every open of the file holds its share byte
// (ShareLock.h), and every registered reader a read lock on bytes 1 to 5 for as long as it is
// counted: readers share it, and it keeps writers (and log-ins) out. The kernel drops a
// program's locks when it dies; so the locks tell the living, and a count left behind by a dead
// program is corrected by the next reader or writer that meets it (below). The first program
// to log in, finding nobody else holding the file, starts it afresh; the last to log out (or
// the last living one) erases it.
//
// The two brackets, which nest per work area (only the outermost touches the file):
//
// The read bracket (SetReadSemaphoreProc, INCREAD and DECREAD) surrounds every walk and seek
// of a shared order. Opened, it guarantees that no other program changes the index until it
// closes: the program holds a reader's lock and is counted among the readers (the count
// changes atomically in the mapped counters, under that lock), and writers wait for both. It
// also refreshes the counters, so that CheckIndexGeneration sees another program's write. It
// costs two system calls, the lock and its release. It fails with 1202 when a writer holds the
// semaphore lock past SemaphoreLockTries tries ("10 second timeout: Cannot lock index semaphore
// file: ...").
//
// The write bracket (SetLockSemaphoreProc, LOCKSEMAPHORE and UNLOCKSEMAPHORE) surrounds every
// change of a shared index. Opened, the program holds the semaphore lock alone until it closes:
// no other program reads or writes the index meanwhile. Closing advances the generation, so
// that every other program reads its index headers again. Opening waits for the other readers'
// locks to go (this program's own reader's lock becomes the write lock), never for dead
// readers: a count beyond this program once the lock is granted is a dead program's, and is set
// to the living; the writer goes on, reading its headers again first (CheckIndexGeneration),
// since the dead program may have been a writer, and the generation steps, so that every other
// program reads its headers again too. A reader that registers does the same when it finds
// readers counted of whom no other holds a reader's lock. Opening fails with 1202 after
// ReadTimeoutSeconds of live readers or writers ("... second timeout, cannot read: <file> The
// index is busy: another program is reading it.").
//
// A failed opening raises no nesting count, so that no closing follows; it answers false and
// the caller must stop without touching the index (Append and Replace then write nothing, and
// a walk does not move). A closing answers false only for a failure of its own; it never
// clears the error code that the operation inside it left. Every failure goes through
// ReportIndexError, so that it surfaces even with immediate error handling off: the error is
// then raised as EOrvelError, the bracket not opened.
//
// Tables opened exclusively take no part: both brackets then open without touching anything.

#include <array>
#include <cstdint>
#include <string>

#include "platform/os/BinaryFile.h"

namespace xbase {

enum SemaphoreAction : std::uint8_t {
  LOGIN = 0,
  LOGOUT = 1,
  INCREAD = 2,
  DECREAD = 3,
  LOCKSEMAPHORE = 4,
  UNLOCKSEMAPHORE = 5,
};

// The semaphore state of one work area, from its LOGIN to its LOGOUT.
struct SemaphoreRecord {
  SemaphoreRecord() = default;
  ~SemaphoreRecord();
  SemaphoreRecord(const SemaphoreRecord&) = delete;
  SemaphoreRecord& operator=(const SemaphoreRecord&) = delete;

  platform::os::BinaryFile File;
  std::string FileName;
  // The file's 4 bytes mapped into memory: every program's counts at once, without a read.
  std::uint8_t* Mapped = nullptr;
  std::array<std::uint8_t, 4> Counters{};  // the file's 4 bytes as last read or written
  std::uint8_t LoginNumber = 0;            // logins after this program's login
  std::uint16_t LastGeneration = 0;        // the generation this program last caught up with
  bool Locked = false;                     // this program holds the semaphore lock
  bool Reading = false;                    // this program is counted among the readers
  bool HeadersStale = false;               // a dead program was found: read the headers again
  std::int32_t ReadNesting = 0;
  std::int32_t LockNesting = 0;

  std::uint8_t Logins() const { return Counters[0]; }
  std::int8_t Readers() const { return static_cast<std::int8_t>(Counters[1]); }
  std::uint16_t Generation() const;
};

// ---------------------------------------------------------------------------------------------
// Settings

extern std::uint16_t ReadTimeoutSeconds;  // how long a writer waits for readers (100; 0 = ever)
extern std::string SemaphoreFolder;       // where semaphore files go; empty: beside the table
extern std::uint16_t SemaphoreLockTries;  // tries for the semaphore lock (1001)
extern std::uint16_t TableLockTries;      // tries for the table lock at log-in and log-out (1001)
extern std::uint16_t SemaphorePauseMs;    // the pause after a refused try (10 ms)

// ---------------------------------------------------------------------------------------------
// The protocol, for the current work area

// The current area's semaphore file: the table's path with the extension ".@S@", or in
// SemaphoreFolder under the table's file name with that extension.
void SemaphoreFileName(std::string& name);

// Carries out one action; see above. Nothing for a table opened exclusively, for an area
// without a table, or before LOGIN (LOGIN itself aside).
void HandleSemafore(std::uint8_t action);

// The semaphore lock: SemaphoreLockTries tries, SemaphorePauseMs apart; 1202 when refused.
bool LockIndexSemaphore(std::uint8_t action);
void UnlockIndexSemaphore(std::uint8_t action);

// The nestable read and write brackets of the work-area engine (IndexHookTable slots 23, 24):
// true when the bracket opened (or closed) as above, false after a failure of its own.
bool SetReadSemaphoreProc(bool on);
bool SetLockSemaphoreProc(bool on);

// Stores an error like SetError; with immediate error handling off raises it as EOrvelError,
// the error staying stored.
void ReportIndexError(std::uint16_t code, const std::string& message);

}  // namespace xbase
