#pragma once
// The clue table as the clue database's logic sees it: the few calls of the table component
// that it makes, with the component's rules for positions and ends, so that the logic runs on
// the real table (DbfClueTable.h) and on a fake one in tests alike.
//
// Positions follow the dataset: the table always stands on a record while it has one. A move
// past either end leaves it on the first or last record and sets Bof or Eof; any move that
// lands clears both. FirstRec sets Bof, LastRec sets Eof. The records are in ENTRY order
// (the table's index) and deleted records are hidden.
//
// Texts are Windows-1252 bytes. Writes need their lock (AppendRec the append lock, ReplaceRec
// and DeleteRec the record lock of the current record); a table error raises.

#include <cstdint>
#include <string>

class TClueTable {
 public:
  virtual ~TClueTable() = default;

  // Opens the table at path with its index, shared with other programs: "" when it is open,
  // else the one message that says why not (UTF-8, as the path). Nothing is created.
  virtual std::string Open(const std::string& path) = 0;
  virtual void Close() = 0;
  // The opens that succeeded so far: the fields may differ after each.
  virtual std::uint64_t Openings() { return 1; }
  // What a table error (the text of its exception) means to the user: which file, what to do,
  // and the error's own text as the last line (UTF-8).
  virtual std::string FailureMessage(const std::string& error) { return error; }

  // True when a record has exactly this ENTRY (the key blank-padded to the key's length): the
  // table stands on it. Else the table stands on the last record with Eof.
  virtual bool FindExact(const std::string& key) = 0;
  // Stands on the first record whose ENTRY, over the key's length, is not below the key (Eof on
  // the last record when there is none); true when it begins with the key.
  virtual bool FindNear(const std::string& key) = 0;
  // Holds the table still for a reading of several records (they nest): other programs' writes
  // wait until EndReading. A table error raises.
  virtual void BeginReading() {}
  virtual void EndReading() {}
  virtual void Skip(int n) = 0;
  virtual void FirstRec() = 0;
  virtual void LastRec() = 0;
  virtual bool IsBof() = 0;
  virtual bool IsEof() = 0;
  // No record to stand on.
  virtual bool IsEmpty() = 0;
  virtual std::uint32_t RecNo() = 0;
  virtual void GoToRecNo(std::uint32_t recNo) = 0;

  // Fields are numbered from 1; their names are upper case.
  virtual int FieldCount() = 0;
  virtual std::string Field(int n) = 0;
  // The field's type letter (C, L, M, ...) and its length in the record.
  virtual char FieldType(const std::string& name) = 0;
  virtual int FieldLength(const std::string& name) = 0;
  // The text for display: C fields padded to their length, memos their contents.
  virtual std::string FieldText(const std::string& name) = 0;
  virtual bool GetFieldAsBoolean(const std::string& name) = 0;

  // A blank record to append; setting a field without it edits the current record.
  virtual void ClearRecord() = 0;
  virtual void SetFieldAsString(const std::string& name, const std::string& value) = 0;
  virtual void SetFieldAsBoolean(const std::string& name, bool value) = 0;
  virtual void AppendRec() = 0;
  virtual void ReplaceRec() = 0;
  // After a delete the table stands on another record, and the record locks may be released.
  virtual void DeleteRec() = 0;

  // One try each; false when another program holds the lock.
  virtual bool FLock() = 0;
  virtual void FUnLock() = 0;
  virtual bool ALock() = 0;
  virtual bool RLock() = 0;
  // Releases the append lock or every record lock.
  virtual void UnLock() = 0;
};
