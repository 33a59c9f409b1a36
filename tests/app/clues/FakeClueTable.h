#pragma once
// A clue table in memory with the table component's rules (ClueTable.h): records in ENTRY
// order with deleted ones hidden, the dataset's ends, the library's lock rules (no append lock
// while records are locked, no record lock while the append lock is held, a write only under
// its lock) and its refusals when another program holds a lock. A delete releases the record
// locks and moves on, as the component does with hidden deleted records.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/clues/ClueTable.h"

class FakeClueTable : public TClueTable {
 public:
  struct FieldDef {
    std::string Name;
    char Type = 'C';
    int Length = 0;
  };
  struct Record {
    std::map<std::string, std::string> Values;  // L fields "T" or "F"
    bool Deleted = false;
  };

  // ENTRY C(30), MORE L, CLUE1 to CLUE10 C(60), NOTE M: the sample's layout.
  FakeClueTable() : FakeClueTable(SampleFields()) {}
  explicit FakeClueTable(std::vector<FieldDef> fields) : fields_(std::move(fields)) {}

  static std::vector<FieldDef> SampleFields(int clueFields = 10, bool note = true) {
    std::vector<FieldDef> fields{{"ENTRY", 'C', 30}, {"MORE", 'L', 1}};
    for (int n = 1; n <= clueFields; ++n) fields.push_back({"CLUE" + std::to_string(n), 'C', 60});
    if (note) fields.push_back({"NOTE", 'M', 10});
    return fields;
  }

  // Appends a record as another program writing the table would; its number.
  std::uint32_t Add(const std::string& entry, bool more, const std::vector<std::string>& clues = {},
                    const std::string& note = "") {
    Record record;
    record.Values["ENTRY"] = entry;
    record.Values["MORE"] = more ? "T" : "F";
    std::size_t next = 0;
    for (const FieldDef& field : fields_)
      if (field.Type == 'C' && field.Name != "ENTRY" && next < clues.size()) record.Values[field.Name] = clues[next++];
    if (!note.empty()) record.Values["NOTE"] = note;
    records.push_back(record);
    return static_cast<std::uint32_t>(records.size());
  }

  // Every visible record in key order: "ENTRY T|F clue|clue..." with blank clue fields as "".
  std::vector<std::string> Dump() const {
    std::vector<std::string> lines;
    for (const std::uint32_t n : Order()) {
      const Record& record = records[n - 1];
      std::string line = Value(record, "ENTRY") + " " + (Value(record, "MORE") == "T" ? "T" : "F");
      std::string clues;
      bool first = true;
      for (const FieldDef& field : fields_) {
        if ((field.Type != 'C' && field.Type != 'M') || field.Name == "ENTRY") continue;
        clues += (first ? "" : "|") + Value(record, field.Name);
        first = false;
      }
      while (!clues.empty() && clues.back() == '|') clues.pop_back();
      lines.push_back(line + (clues.empty() ? "" : " " + clues));
    }
    return lines;
  }

  std::vector<Record> records;      // record n at n - 1
  std::vector<std::string> writes;  // "append <entry>", "replace <n>", "delete <n>" in order
  // Called after each write with its entry in `writes`: another program acting in between.
  std::function<void(const std::string& write)> afterWrite;
  // Locks another program holds.
  bool tableLockedElsewhere = false;
  bool appendLockedElsewhere = false;
  std::set<std::uint32_t> recordsLockedElsewhere;
  // So many tries of the table lock are refused before one is granted.
  int refusedTableLocks = 0;

  bool HoldsLocks() const { return tableLock_ || appendLock_ || !recordLocks_.empty(); }

  // Another table of other fields under the same name, as the next Open finds it.
  void Replace(std::vector<FieldDef> fields) {
    fields_ = std::move(fields);
    records.clear();
  }

  // Open answers with this message for any other path than `path`.
  std::string path = "clues.dbf";
  std::string openFailure = "The clue database was not found.";
  bool open = false;
  // Every seek fails as a damaged table's would.
  bool damaged = false;

  // ---- TClueTable

  std::string Open(const std::string& name) override {
    open = name == path;
    if (!open) return openFailure;
    ++openings_;
    FirstRec();
    return {};
  }
  std::uint64_t Openings() override { return openings_; }
  void Close() override { open = false; }

  bool FindExact(const std::string& key) override {
    DropEdit();
    if (damaged) throw std::runtime_error("The clue table is damaged.");
    const std::string padded = Padded(key.substr(0, 100));
    for (const std::uint32_t n : Order())
      if (Padded(Value(records[n - 1], "ENTRY")) == padded) return StandOn(n);
    LastRec();
    return false;
  }

  bool FindNear(const std::string& key) override {
    DropEdit();
    if (damaged) throw std::runtime_error("The clue table is damaged.");
    const std::string wanted = key.substr(0, 100);
    for (const std::uint32_t n : Order()) {
      const std::string start = Padded(Value(records[n - 1], "ENTRY")).substr(0, wanted.size());
      if (!ByteLess(start, wanted)) {
        StandOn(n);
        return start == wanted;
      }
    }
    LastRec();
    return false;
  }

  void Skip(int n) override {
    DropEdit();
    if ((n > 0 && eof_) || (n < 0 && bof_) || n == 0) return;
    bof_ = eof_ = false;
    const std::vector<std::uint32_t> order = Order();
    auto at = std::find(order.begin(), order.end(), current_) - order.begin();
    for (; n > 0; --n) {
      if (at + 1 >= static_cast<long>(order.size())) {
        eof_ = true;
        break;
      }
      current_ = order[++at];
    }
    for (; n < 0; ++n) {
      if (at == 0) {
        bof_ = true;
        break;
      }
      current_ = order[--at];
    }
  }

  void FirstRec() override {
    DropEdit();
    const std::vector<std::uint32_t> order = Order();
    current_ = order.empty() ? 0 : order.front();
    bof_ = true;
    eof_ = order.empty();
  }

  void LastRec() override {
    DropEdit();
    const std::vector<std::uint32_t> order = Order();
    current_ = order.empty() ? 0 : order.back();
    eof_ = true;
    bof_ = order.empty();
  }

  bool IsBof() override { return bof_; }
  bool IsEof() override { return eof_; }
  bool IsEmpty() override { return Order().empty(); }
  std::uint32_t RecNo() override { return current_; }

  void GoToRecNo(std::uint32_t recNo) override {
    DropEdit();
    if (recNo < 1 || recNo > records.size()) throw std::runtime_error("no record " + std::to_string(recNo));
    StandOn(recNo);
  }

  int FieldCount() override { return static_cast<int>(fields_.size()); }
  std::string Field(int n) override { return fields_.at(static_cast<std::size_t>(n) - 1).Name; }
  char FieldType(const std::string& name) override { return Def(name).Type; }
  int FieldLength(const std::string& name) override { return Def(name).Length; }

  std::string FieldText(const std::string& name) override {
    const FieldDef& field = Def(name);
    const std::string value = Value(Shown(), name);
    if (field.Type == 'L') return value == "T" ? "T" : "F";
    if (field.Type == 'M') return value;
    return value + std::string(static_cast<std::size_t>(field.Length) - value.size(), ' ');
  }

  bool GetFieldAsBoolean(const std::string& name) override { return Value(Shown(), name) == "T"; }

  void ClearRecord() override {
    edit_ = Record{};
    editing_ = true;
  }

  void SetFieldAsString(const std::string& name, const std::string& value) override {
    BeginEdit();
    edit_.Values[name] = value.substr(0, static_cast<std::size_t>(Def(name).Length));
  }

  void SetFieldAsBoolean(const std::string& name, bool value) override {
    BeginEdit();
    edit_.Values[name] = value ? "T" : "F";
  }

  void AppendRec() override {
    if (!appendLock_) throw std::runtime_error("error 5: append without the append lock");
    edit_.Deleted = false;
    records.push_back(edit_);
    editing_ = false;
    StandOn(static_cast<std::uint32_t>(records.size()));
    Wrote("append " + Value(edit_, "ENTRY"));
  }

  void ReplaceRec() override {
    if (recordLocks_.count(current_) == 0) throw std::runtime_error("error 1200: replace without the record lock");
    records[current_ - 1] = edit_;
    editing_ = false;
    Wrote("replace " + std::to_string(current_));
  }

  void DeleteRec() override {
    if (recordLocks_.count(current_) == 0) throw std::runtime_error("error 1200: delete without the record lock");
    DropEdit();
    const std::vector<std::uint32_t> before = Order();
    const auto at = std::find(before.begin(), before.end(), current_);
    records[current_ - 1].Deleted = true;
    const std::string write = "delete " + std::to_string(current_);
    // The record is hidden now: the locks go and the table moves to the next visible record,
    // or the previous one at the end.
    recordLocks_.clear();
    if (at + 1 != before.end())
      current_ = *(at + 1);
    else
      current_ = at != before.begin() ? *(at - 1) : 0;
    bof_ = eof_ = current_ == 0;
    Wrote(write);
  }

  bool FLock() override {
    if (tableLockedElsewhere || refusedTableLocks > 0) {
      --refusedTableLocks;
      return false;
    }
    tableLock_ = true;
    return true;
  }
  void FUnLock() override { tableLock_ = false; }

  bool ALock() override {
    if (!recordLocks_.empty() || appendLockedElsewhere) return false;
    appendLock_ = true;
    return true;
  }

  bool RLock() override {
    if (appendLock_ || current_ == 0 || recordsLockedElsewhere.count(current_) != 0) return false;
    recordLocks_.insert(current_);
    return true;
  }

  void UnLock() override {
    appendLock_ = false;
    recordLocks_.clear();
  }

 private:
  void Wrote(const std::string& write) {
    writes.push_back(write);
    if (afterWrite) afterWrite(write);
  }

  static std::string Value(const Record& record, const std::string& name) {
    const auto found = record.Values.find(name);
    return found == record.Values.end() ? std::string() : found->second;
  }

  const FieldDef& Def(const std::string& name) const {
    for (const FieldDef& field : fields_)
      if (field.Name == name) return field;
    throw std::runtime_error("Field '" + name + "' not found");
  }

  // Keys compare as unsigned bytes, as the index does.
  static bool ByteLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
  }

  std::string Padded(std::string text) const {
    const auto length = static_cast<std::size_t>(Def("ENTRY").Length);
    if (text.size() < length) text.resize(length, ' ');
    return text;
  }

  std::vector<std::uint32_t> Order() const {
    std::vector<std::uint32_t> order;
    for (std::uint32_t n = 1; n <= records.size(); ++n)
      if (!records[n - 1].Deleted) order.push_back(n);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
      return ByteLess(Padded(Value(records[a - 1], "ENTRY")), Padded(Value(records[b - 1], "ENTRY")));
    });
    return order;
  }

  bool StandOn(std::uint32_t n) {
    current_ = n;
    bof_ = eof_ = false;
    return true;
  }

  const Record& Shown() const {
    static const Record none;
    if (editing_) return edit_;
    return current_ == 0 ? none : records[current_ - 1];
  }

  void BeginEdit() {
    if (editing_) return;
    edit_ = current_ == 0 ? Record{} : records[current_ - 1];
    editing_ = true;
  }

  void DropEdit() { editing_ = false; }

  std::vector<FieldDef> fields_;
  std::uint64_t openings_ = 0;
  std::uint32_t current_ = 0;
  bool bof_ = true;
  bool eof_ = true;
  Record edit_;
  bool editing_ = false;
  bool tableLock_ = false;
  bool appendLock_ = false;
  std::set<std::uint32_t> recordLocks_;
};
