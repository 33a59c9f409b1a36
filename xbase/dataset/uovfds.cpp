// TOvFileDataSet: opening the table file, its locks and the locked writes.

#include "xbase/dataset/uovfds.h"

#include "platform/db/DbErrors.h"
#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {

namespace {

// OpenModeOverride of a ReadOnly open: read only, with the sharing of the open.
constexpr std::uint16_t kReadOnlyExclusive = 0;
constexpr std::uint16_t kReadOnlyShared = 64;

}  // namespace

TOvFileDataSet::TOvFileDataSet(TComponentState state) : TOvCDataSet(state) {}

TOvFileDataSet::~TOvFileDataSet() { CloseNoThrow(); }

void TOvFileDataSet::SetExclusive(bool exclusive) {
  if (exclusive == exclusive_) return;
  exclusive_ = exclusive;
  if (!Active()) return;
  Close();
  Open();
}

// ---- Opening

bool TOvFileDataSet::s_OpenTable(const std::string& name) {
  if (createIfNotFound_ && !FileFound(name) && !CreateTableFromDbfFields(&DbfFields(), name, Name())) {
    // The message says it; the open below reports why the table is not there.
    GetErrorMessage();
    ShowLibMessage(TextCouldNotCreate, {DbfFileName()});
  }
  std::string command = name;
  if (exclusive_) command += " EXCLUSIVE";
  if (const std::string alias = AllTrim(Name()); !alias.empty()) command += " ALIAS " + alias;

  {
    struct OpenSettings {
      bool countFromFileSize = CountFromFileSize;
      std::uint16_t openModeOverride = OpenModeOverride;
      ~OpenSettings() {
        CountFromFileSize = countFromFileSize;
        OpenModeOverride = openModeOverride;
      }
    } restore;
    CountFromFileSize = autoFixRecCount_;
    if (ReadOnly()) OpenModeOverride = exclusive_ ? kReadOnlyExclusive : kReadOnlyShared;
    if (WriteTransform || ReadTransform)
      UseWithMode(command, nullptr, 0, WriteTransform, ReadTransform);
    else
      Use(command, nullptr, 0);
  }
  return ErrorCode == 0 && OpenIndexList();
}

// ---- Locks

bool TOvFileDataSet::ALock() { return SelectWorkArea("ALock") && xbase::ALock(); }

bool TOvFileDataSet::RLock() {
  UpdateCursorPos();
  return SelectWorkArea("RLock") && xbase::RLock();
}

void TOvFileDataSet::UnLock() {
  if (SelectWorkArea("UnLock")) xbase::Unlock();
}

bool TOvFileDataSet::FLock() { return SelectWorkArea("FLock") && xbase::FLock(); }

void TOvFileDataSet::FUnLock() {
  if (SelectWorkArea("FUnLock")) xbase::FUnlock();
}

// ---- Locked writes

bool TOvFileDataSet::LockedWrite(const char* operation, bool appendLock, const TOvLockFailedEvent& onFailed,
                                 void (*write)()) {
  if (ReadOnly()) platform::db::DatabaseError("Cannot modify a read-only dataset");
  for (;;) {
    if (!SelectWorkArea(operation)) return false;
    if (appendLock ? xbase::ALock() : xbase::RLock()) {
      write();
      const std::uint16_t code = ErrorCode;
      xbase::Unlock();
      ErrorCode = code;
      return code == 0;
    }
    bool retry = false;
    if (onFailed)
      onFailed(*this, retry);
    else
      ShowLibMessage(TextLockFailed, {operation});
    if (!retry) break;
  }
  platform::db::DatabaseError(FormatLibText(OemToAnsiStr(TextLockFailed), {operation}));
}

bool TOvFileDataSet::s_AppendWithLock() {
  return LockedWrite("Insert", true, OnALockFailedOnInsert, xbase::Append);
}

bool TOvFileDataSet::s_DeleteWithLock() {
  return LockedWrite("Delete", false, OnRLockFailedOnDelete, xbase::DeleteRec);
}

bool TOvFileDataSet::s_RestoreWithLock() {
  return LockedWrite("Restore", false, OnRLockFailedOnRestore, xbase::RecallRec);
}

bool TOvFileDataSet::s_ReplaceWithLock() {
  return LockedWrite("Post", false, OnRLockFailedOnPost, xbase::Replace);
}

}  // namespace xbase
