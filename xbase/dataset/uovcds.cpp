// TOvCDataSet: the record API.

#include "xbase/dataset/uovcds.h"

#include <cstring>

#include "platform/db/DbErrors.h"
#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/core/timedate.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {

using namespace platform::db;

TOvCDataSet::TOvCDataSet(TComponentState state) : TOvDataSet(state) {}

bool TOvCDataSet::InEditState() const {
  return State() == dsEdit || State() == dsInsert || State() == dsSetKey;
}

void TOvCDataSet::CheckWritable() {
  if (readOnly_) DatabaseError("Cannot modify a read-only dataset");
}

// ---- Properties

void TOvCDataSet::SetDbfFileName(const std::string& name) {
  const bool loading = ComponentState().Loading;
  const bool wasActive = Active();
  if (!loading) Close();
  std::string trimmed = AllTrim(name);
  if (!trimmed.empty() && trimmed.back() != '.') trimmed = DefaultExtension(trimmed, "DBF");
  dbfFileName_ = trimmed;
  if (!loading && wasActive) Open();
}

void TOvCDataSet::SetHideDeletedRecs(bool hide) {
  if (hide == hideDeletedRecs_) return;
  hideDeletedRecs_ = hide;
  if (!Active() || DesignState()) return;
  UpdateCursorPos();
  if (!SelectWorkArea("HideDeletedRecs")) return;
  SetIgnoreDel(hide);
  RereadCurrent();
  ResyncAfterDirectOp();
}

// ---- Direct operations

void TOvCDataSet::AppendRec() { WriteTypedRecord("AppendRec", xbase::Append); }

void TOvCDataSet::ReplaceRec() { WriteTypedRecord("ReplaceRec", xbase::Replace); }

void TOvCDataSet::WriteTypedRecord(const char* operation, void (*write)()) {
  CheckWritable();
  if (!SelectWorkArea(operation)) return;
  // The values set since ClearRecord are in the buffer; a read of the table since may have
  // overwritten them in the typed record.
  if (InEditState()) WriteBufferToRecord(ActiveBuffer(), -1);
  write();
  RereadCurrent();
  ResyncAfterDirectOp();
}

void TOvCDataSet::DeleteRec() {
  CheckWritable();
  if (!SelectWorkArea("DeleteRec")) return;
  UpdateCursorPos();
  xbase::DeleteRec();
  RereadCurrent();
  ResyncAfterDirectOp();
}

void TOvCDataSet::ClearRecord() {
  if (!SelectWorkArea("ClearRecord")) return;
  if (!InEditState()) SetState(dsEdit);
  directEdit_ = true;
  WriteBufferToRecord(ActiveBuffer(), -1);
  xbase::ClearRecord();
  ReadRecordToBuffer(ActiveBuffer());
  if (!ControlsDisabled()) {
    DataEvent(deLayoutChange);
    SetModified(true);
  }
}

void TOvCDataSet::ResyncAfterDirectOp() {
  if (PendingError != 0) return;
  if (InEditState()) SetState(dsBrowse);
  if (IsEmptyDbf()) {
    std::memset(ActiveBuffer(), 0, RecordBufferSize());
    SetCracks(true, true);
    Resync(0);
  } else {
    SetCracks(false, false);
    Resync(rmExact);
  }
  DoAfterScroll();
}

void TOvCDataSet::ResyncAfterFind() {
  if (dEOF())
    Last();
  else
    ResyncAfterDirectOp();
}

void TOvCDataSet::CheckBrowseMode() {
  if (directEdit_ && InEditState()) Cancel();
  TOvDataSet::CheckBrowseMode();
}

void TOvCDataSet::DataEvent(TDataEvent event, const TField* field) {
  if (event == deUpdateState) directEdit_ = false;
  TOvDataSet::DataEvent(event, field);
}

// ---- Fields and moves

std::string TOvCDataSet::Field(int n) {
  if (!SelectWorkArea("Field")) return {};
  return xbase::Field(n).substr(0, 10);
}

int TOvCDataSet::FieldCount() {
  if (!SelectWorkArea("FieldCount")) return 0;
  return xbase::FieldCount();
}

void TOvCDataSet::Skip(int n) {
  if (n != 0) {
    MoveBy(n);
    return;
  }
  if (!SelectWorkArea("Skip")) return;
  xbase::Skip(0);
  ResyncAfterDirectOp();
}

std::string TOvCDataSet::FieldText(const std::string& name) {
  TField& field = NamedField(name);
  switch (field.DataType()) {
    case ftInteger:
    case ftFloat: return PadLeft(field.AsString(), field.Size());
    case ftBoolean: return field.AsBoolean() ? "T" : "F";
    case ftDate: {
      std::string text = field.AsString();
      if (text.size() != 8 && text.size() != 10) text = BlankDatePicture(SetDateCode);
      return text;
    }
    case ftMemo: return field.AsString();
    default: return PadRight(field.AsString(), field.Size());
  }
}

bool TOvCDataSet::GetFieldAsBoolean(const std::string& name) { return NamedField(name).AsBoolean(); }

void TOvCDataSet::SetFieldAsString(const std::string& name, const std::string& value) {
  if (!InEditState()) Edit();
  NamedField(name).SetAsString(value);
}

void TOvCDataSet::SetFieldAsBoolean(const std::string& name, bool value) {
  if (!InEditState()) Edit();
  NamedField(name).SetAsBoolean(value);
}

std::string TOvCDataSet::PadLeft(const std::string& s, int width) {
  return s.size() >= static_cast<std::size_t>(std::max(width, 0)) ? s
                                                                  : std::string(width - s.size(), ' ') + s;
}

std::string TOvCDataSet::PadRight(const std::string& s, int width) {
  return s.size() >= static_cast<std::size_t>(std::max(width, 0)) ? s
                                                                  : s + std::string(width - s.size(), ' ');
}

}  // namespace xbase
