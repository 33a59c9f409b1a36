#pragma once
// TOvCDataSet: the dataset that applications place on their windows, with a record API in the
// manner of the work-area engine beside the dataset's own cycle: fields read and written by
// name, and the current record appended, replaced or deleted directly on the table.
//
// The table is the truth. ClearRecord and the field setters write the dataset's buffer (and
// through it the work area's typed record); AppendRec and ReplaceRec write the buffer's record
// to the table, and every direct operation then reads the dataset's buffers again from the
// table (ResyncAfterDirectOp), leaving any edit state without posting it. An edit begun with
// ClearRecord is such a direct edit: a move or First/Last before AppendRec or ReplaceRec drops
// it instead of posting it. An edit begun otherwise (Edit, or a setter in browse mode) is
// posted by the next move, as datasets do.
//
// No lock is taken here: a shared table needs the append lock for AppendRec and the record
// lock for ReplaceRec and DeleteRec, else the library reports 5 or 1200. On a ReadOnly dataset
// AppendRec, ReplaceRec and DeleteRec raise EDatabaseError before the table is touched.
//
// Field names given to this API are cut to 10 characters. Operations on the table select the
// dataset's work area first; on a closed dataset that is error 1103 (see SelectWorkArea) and
// the operation does nothing (Field gives "", FieldCount 0).

#include <string>

#include "xbase/dataset/ovprimds.h"

namespace xbase {

class TOvCDataSet : public TOvDataSet {
 public:
  explicit TOvCDataSet(TComponentState state = {});

  // Closes the dataset (unless loading), stores the name without surrounding blanks and, when
  // its last path part has no extension and it does not end in ".", with ".DBF"; reopens it
  // when it was open.
  void SetDbfFileName(const std::string& name);
  // Open: the dataset re-seats on the next visible record when its record becomes hidden.
  void SetHideDeletedRecs(bool hide);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

  // ---- Direct operations on the table

  // The typed record as a new last record, which the dataset then shows.
  void AppendRec();
  // The typed record over the table's current record.
  void ReplaceRec();
  // Marks the record the dataset shows deleted. The dataset then shows the same record when
  // deleted records are visible; when they are hidden (HideDeletedRecs), the next visible
  // record, or the previous one when it was the last, or none.
  void DeleteRec();
  // Starts a direct edit of a blank record.
  void ClearRecord();

  // ---- Fields and moves

  // The name of field n (at most 10 characters).
  std::string Field(int n);
  int FieldCount();
  // n != 0: MoveBy(n). 0: the record read again from the table, with what other programs
  // changed.
  void Skip(int n);
  void FirstRec() { First(); }
  void LastRec() { Last(); }
  bool IsBof() const { return Bof(); }
  bool IsEof() const { return Eof(); }
  // The field's text for display: numbers right-aligned and texts left-aligned to the field's
  // size, logicals "T" or "F", dates as shown (an empty date as the blank date picture), memos
  // as their contents.
  std::string FieldText(const std::string& name);
  std::string GetFieldText(const std::string& name) { return FieldText(name); }
  bool GetFieldAsBoolean(const std::string& name);
  // Begin an edit unless one is in progress, then set the field.
  void SetFieldAsString(const std::string& name, const std::string& value);
  void SetFieldAsBoolean(const std::string& name, bool value);

  // s right-aligned (PadLeft) or left-aligned (PadRight) in width characters; never cut.
  static std::string PadLeft(const std::string& s, int width);
  static std::string PadRight(const std::string& s, int width);

  // A direct edit is dropped here instead of posted.
  void CheckBrowseMode() override;
  void DataEvent(platform::db::TDataEvent event, const TField* field = nullptr) override;

 protected:
  bool GetCanModify() override { return !readOnly_; }

  // After a direct operation: leaves any edit state unposted and reads the buffers again from
  // the table (none when it is empty). Nothing while a library error is pending.
  void ResyncAfterDirectOp();
  // After a seek: the found record, or the last record at the end of the table.
  void ResyncAfterFind();

 private:
  bool InEditState() const;
  void CheckWritable();
  // The direct write of AppendRec and ReplaceRec: the active buffer's record by `write`.
  void WriteTypedRecord(const char* operation, void (*write)());
  TField& NamedField(const std::string& name) { return FieldByName(name.substr(0, 10)); }

  bool readOnly_ = false;
  bool directEdit_ = false;  // the edit began with ClearRecord
};

}  // namespace xbase
