// The edit cycle of the abstract dataset: Edit, Insert and Append, Post, Cancel and Delete.

#include <algorithm>

#include "platform/db/DataSet.h"
#include "platform/db/DbErrors.h"

namespace platform::db {
namespace {

bool Editing(TDataSetState state) { return state == dsEdit || state == dsInsert; }

}  // namespace

void TDataSet::CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& onError) {
  for (;;) {
    try {
      operation();
      return;
    } catch (const EDatabaseError& error) {
      TDataAction action = daFail;
      if (onError) onError(*this, error, action);
      if (action == daFail) throw;
      if (action == daAbort) throw EAbort();
    }
  }
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode);
  if (Editing(state_)) {
    if (modified_)
      Post();
    else
      Cancel();
  } else if (state_ == dsSetKey) {
    Post();
  }
}

void TDataSet::Edit() {
  if (Editing(state_)) return;
  if (recordCount_ == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  Fire(BeforeEdit);
  CheckOperation(
      [this] {
        UpdateCursorPos();
        InternalEdit();
      },
      OnEditError);
  GetCalcFields(ActiveBuffer());
  SetState(dsEdit);
  DataEvent(deRecordChange);
  Fire(AfterEdit);
}

void TDataSet::InitRecord(TRecordBuffer buffer) {
  InternalInitRecord(buffer);
  ClearCalcFields(buffer);
  SetBookmarkFlag(buffer, bfInserted);
}

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  CheckCanModify();
  Fire(BeforeInsert);
  DoBeforeScroll();
}

void TDataSet::EndInsertAppend() {
  SetState(dsInsert);
  try {
    DoOnNewRecord();
  } catch (...) {
    UpdateCursorPos();
    SetState(dsBrowse);
    Resync(0);
    throw;
  }
  modified_ = false;
  DataEvent(deDataSetChange);
  Fire(AfterInsert);
  DoAfterScroll();
}

void TDataSet::DoOnNewRecord() { Fire(OnNewRecord); }

void TDataSet::Insert() {
  BeginInsertAppend();
  // The new record goes before the one shown; the cursor comes back to that one.
  TBookmark current(static_cast<std::size_t>(bookmarkSize_));
  if (recordCount_ > 0) GetBookmarkData(ActiveBuffer(), current.data());
  MoveBuffer(recordCount_, activeRecord_);
  TRecordBuffer buffer = ActiveBuffer();
  InitRecord(buffer);
  if (recordCount_ == 0)
    SetBookmarkFlag(buffer, bfBOF);
  else
    SetBookmarkData(buffer, current.data());
  if (recordCount_ < kBufferCount) ++recordCount_;
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::Append() {
  BeginInsertAppend();
  ClearBuffers();
  TRecordBuffer buffer = buffers_[0];
  InitRecord(buffer);
  SetBookmarkFlag(buffer, bfEOF);
  recordCount_ = 1;
  bof_ = false;
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::Post() {
  if (!Editing(state_)) return;
  DataEvent(deCheckBrowseMode);
  Fire(BeforePost);
  CheckOperation(
      [this] {
        UpdateCursorPos();
        InternalPost();
      },
      OnPostError);
  SetState(dsBrowse);
  Resync(0);
  Fire(AfterPost);
}

void TDataSet::Cancel() {
  if (!Editing(state_)) return;
  DataEvent(deCheckBrowseMode);
  Fire(BeforeCancel);
  UpdateCursorPos();
  InternalCancel();
  SetState(dsBrowse);
  Resync(0);
  Fire(AfterCancel);
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == dsInsert || state_ == dsSetKey) {
    Cancel();
    return;
  }
  if (recordCount_ == 0) DatabaseError("Cannot perform this operation on an empty dataset");
  DataEvent(deCheckBrowseMode);
  Fire(BeforeDelete);
  DoBeforeScroll();
  CheckOperation(
      [this] {
        UpdateCursorPos();
        InternalDelete();
      },
      OnDeleteError);
  SetState(dsBrowse);
  Resync(0);
  Fire(AfterDelete);
  DoAfterScroll();
}

void TDataSet::AddRecord(const std::vector<TFieldValue>& values, bool append) {
  append ? Append() : Insert();
  const std::size_t count = std::min(values.size(), static_cast<std::size_t>(fields_.Count()));
  for (std::size_t i = 0; i < count; ++i) fields_[static_cast<int>(i)].SetValue(values[i]);
  DataEvent(deCheckBrowseMode);
  Fire(BeforePost);
  CheckOperation([this, append] { InternalAddRecord(ActiveBuffer(), append); }, OnPostError);
  SetState(dsBrowse);
  Resync(0);
  Fire(AfterPost);
}

}  // namespace platform::db
