#pragma once
// The clue table over the table library's component: a TOvDbf opened shared, Windows-1252,
// its index <table name without extension>.NDX the controlling order, deleted records hidden.
// The clue database window and tools/cluedb open their tables through it.

#include <vector>

#include "app/clues/ClueTable.h"
#include "xbase/dataset/uovfds.h"

class TDbfClueTable : public TClueTable {
 public:
  // The component is set up here: ANSI text, shared, never created when missing.
  explicit TDbfClueTable(xbase::TOvDbf& table);

  // The index file of a table: its name with the extension NDX (ndx for a table whose extension
  // is in lower case), spelled as on disk when it exists in any case.
  static std::string IndexFileOf(const std::string& table);

  std::string Open(const std::string& path) override;
  void Close() override;
  std::uint64_t Openings() override { return openings_; }
  // Names the file that the error names (else the one being opened, else the table) and says
  // what to do when a damaged file is the cause: cluedb index rebuilds an index.
  std::string FailureMessage(const std::string& error) override;

  void BeginReading() override { reading_.push_back(table_.BeginReading()); }
  void EndReading() override {
    if (reading_.back()) table_.EndReading();
    reading_.pop_back();
  }
  bool FindExact(const std::string& key) override { return table_.FindExact(key); }
  bool FindNear(const std::string& key) override { return table_.FindNear(key); }
  void Skip(int n) override { table_.Skip(n); }
  void FirstRec() override { table_.FirstRec(); }
  void LastRec() override { table_.LastRec(); }
  bool IsBof() override { return table_.IsBof(); }
  bool IsEof() override { return table_.IsEof(); }
  bool IsEmpty() override { return table_.IsEmpty(); }
  std::uint32_t RecNo() override { return static_cast<std::uint32_t>(table_.RecNo()); }
  void GoToRecNo(std::uint32_t recNo) override { table_.SetRecNo(static_cast<int>(recNo)); }

  int FieldCount() override { return table_.FieldCount(); }
  std::string Field(int n) override { return table_.Field(n); }
  char FieldType(const std::string& name) override;
  int FieldLength(const std::string& name) override;
  std::string FieldText(const std::string& name) override { return table_.FieldText(name); }
  bool GetFieldAsBoolean(const std::string& name) override { return table_.GetFieldAsBoolean(name); }

  void ClearRecord() override { table_.ClearRecord(); }
  void SetFieldAsString(const std::string& name, const std::string& value) override {
    table_.SetFieldAsString(name, value);
  }
  void SetFieldAsBoolean(const std::string& name, bool value) override { table_.SetFieldAsBoolean(name, value); }
  void AppendRec() override { table_.AppendRec(); }
  void ReplaceRec() override { table_.ReplaceRec(); }
  void DeleteRec() override { table_.DeleteRec(); }

  bool FLock() override { return table_.FLock(); }
  void FUnLock() override { table_.FUnLock(); }
  bool ALock() override { return table_.ALock(); }
  bool RLock() override { return table_.RLock(); }
  void UnLock() override { table_.UnLock(); }

 private:
  xbase::TOvDbf& table_;
  // The files of the table last opened (Memo empty without one), and the one being opened.
  std::string tableFile_, indexFile_, memoFile_;
  std::vector<bool> reading_;  // of each BeginReading not yet ended: whether it holds the table
  const std::string* opening_ = nullptr;
  std::uint64_t openings_ = 0;
};
