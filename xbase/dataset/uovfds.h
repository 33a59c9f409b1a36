#pragma once
// TOvFileDataSet: the dataset over one table file. It opens the table (creating it from
// DbfFields when it is missing and CreateIfNotFound says so), shared or exclusively, writes the
// dataset's posts, inserts, deletes and restores under the multi-user locks, and offers the
// locks as methods. TOvDbf is the same class as the component that windows hold.
//
// Locked writes: the lock is taken (the append lock for an insert, else the record lock of the
// current record), the library writes and the lock is released. A refused lock calls the
// operation's event with Retry false, or without a handler shows "Lock failed [<operation>]";
// while the handler sets Retry the lock is tried again. A write that does not happen raises
// EDatabaseError "Lock failed [<operation>]" (a ReadOnly dataset: "Cannot modify a read-only
// dataset"), so a Post keeps its edit.
//
// Index files: IndexList names the files opened with the table, each as "<order>,<file>,
// <expression>"; CreateIndex says when one is built from its expression at open (always, when
// its record-count stamp differs from the table's, only when it cannot be opened, or never).
// ciAlways and ciVerifyHeader build nothing while another program may use the table today (its
// semaphore file is dated today). The index methods open, build and choose orders later; every
// one reads the dataset's record again.
//
// TOvBlobStream is the stream that the dataset hands out for memo fields: TMemoField::AsString
// reads a memo through it. A work area has one memo stream: a second one on the same area is
// refused while the first is open.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/Stream.h"
#include "xbase/dataset/uovcds.h"
#include "xbase/dbf/DbfTable.h"

namespace xbase {

enum TCreateIndexType {
  ciNotFound,      // build an index only when opening it fails with 2, 222 or 223
  ciAlways,        // rebuild every listed index at open
  ciVerifyHeader,  // rebuild an index whose record-count stamp differs from the table's
  ciNever,         // never build
};

class TOvFileDataSet;

using TAfterMakeIndexEvent = std::function<void(const std::string& name)>;
using TBeforeMakeIndexEvent = std::function<void(const std::string& name, bool& canMake)>;
using TOvLockFailedEvent = std::function<void(TOvFileDataSet& sender, bool& retry)>;
// A key maker of the dataset: the key of the record that the dataset's active buffer holds
// while it is called.
using TKeyMakerCallback = std::function<std::string(TOvFileDataSet& dataSet)>;

class TOvFileDataSet : public TOvCDataSet {
 public:
  explicit TOvFileDataSet(TComponentState state = {});
  ~TOvFileDataSet() override;

  TCreateIndexType CreateIndex() const { return createIndex_; }
  void SetCreateIndex(TCreateIndexType type) { createIndex_ = type; }
  bool CreateIfNotFound() const { return createIfNotFound_; }
  void SetCreateIfNotFound(bool create) { createIfNotFound_ = create; }
  // The record count is taken from the file size at open.
  bool AutoFixRecCount() const { return autoFixRecCount_; }
  void SetAutoFixRecCount(bool fix) { autoFixRecCount_ = fix; }
  // Lines "<order>,<file>,<expression>" of the indexes opened with the table.
  std::vector<std::string>& IndexList() { return indexList_; }
  bool Exclusive() const { return exclusive_; }
  // A change reopens an open dataset.
  void SetExclusive(bool exclusive);
  // Record hooks for writing and reading, given to the table at open (UseWithMode).
  RecordTransform WriteTransform;
  RecordTransform ReadTransform;

  TAfterMakeIndexEvent OnAfterMakeIndex;
  TBeforeMakeIndexEvent OnBeforeMakeIndex;
  TOvLockFailedEvent OnRLockFailedOnPost;
  TOvLockFailedEvent OnALockFailedOnInsert;
  TOvLockFailedEvent OnRLockFailedOnDelete;
  TOvLockFailedEvent OnRLockFailedOnRestore;

  // ---- Locks of the table (false: refused after the library's own tries)

  bool ALock();
  // The record lock of the record the dataset shows.
  bool RLock();
  // Releases the append lock or the record locks.
  void UnLock();
  // The table lock, beside the others: programs that change a table in several steps hold it
  // so that they do not interleave.
  bool FLock();
  void FUnLock();

  // ---- Index files

  // Builds an index file from the key expression and opens it as the controlling order 1.
  virtual void IndexOn(const std::string& expression, const std::string& fileName);
  // The same with the keys the callback makes.
  virtual void IndexOnCB(const std::string& fileName, TKeyMakerCallback callback);
  // Opens index files (names separated by blanks) as orders 1, 2, ...; order 1 controls.
  virtual void SetIndexTo(const std::string& list);
  // Opens a file built with a key maker as an order, with the callback making its keys.
  virtual void SetIndexToCB(const std::string& fileName, std::uint8_t order, TKeyMakerCallback callback);
  // Opens one index file as an order, which becomes the controlling one.
  virtual void SetIndexToLFN(const std::string& fileName, std::uint8_t order);

  // ---- Seeks in the controlling order (the key cut to 100 characters)

  // The first record whose key begins with the key: true, standing on it. A miss leaves the
  // dataset on its last record with Eof.
  bool Find(const std::string& key);
  // As Find, but only a whole key matches: the key is blank-padded to the key length.
  bool FindExact(const std::string& key);
  // As Find, but a miss stands on the next greater key (on the last record with Eof when there
  // is none).
  bool FindNear(const std::string& key);

  // ---- Reading several records in one go

  // Holds the index's read bracket from BeginReading to EndReading (the two nest): the seeks
  // and moves in between register once with the semaphore file, and no other program changes
  // the index meanwhile, so that they cost one registration. False, with the error stored,
  // when the bracket is refused (another program writes past the time-outs). Hold it no
  // longer than the reading takes: other programs' writes wait for it.
  bool BeginReading();
  void EndReading();  // never raises: a failure stays stored

  // ---- Overrides

  // With an index order in force the values, as one text, are sought in it (FindExact, or Find
  // with loPartialKey), whatever the field names; a miss keeps the position.
  bool Locate(const std::string& keyFields, const std::vector<TFieldValue>& keyValues,
              platform::db::TLocateOptions options) override;
  std::unique_ptr<platform::db::TStream> CreateBlobStream(const TField& field,
                                                          platform::db::TBlobStreamMode mode) override;
  // Record numbers follow the record order unless a filter or an index order is in force.
  bool IsSequenced() override;

 protected:
  bool IsTableUsable() override { return !(DesignState() && exclusive_); }
  bool s_OpenTable(const std::string& name) override;
  bool s_AppendWithLock() override;
  bool s_DeleteWithLock() override;
  bool s_RestoreWithLock() override;
  bool s_ReplaceWithLock() override;
  // Opens (and, as CreateIndex says, builds) the indexes of IndexList; false after reporting
  // the first error.
  bool OpenIndexList();

 private:
  friend class TOvBlobStream;

  // A seek: the engine's Find (or FindKey for a near seek) with its exact mode as given, the
  // dataset resynced, FOUND kept.
  bool Seek(const char* operation, const std::string& key, std::uint8_t exact, bool near);
  // An index order is in force in the dataset's area.
  bool IndexOrderActive();

  // The engine's key maker for the callback of slot n (0 for IndexOnCB, else the order).
  std::function<void(std::uint32_t, std::uint8_t, std::string&)> KeyMaker(std::uint8_t slot);
  // True when another program may be using the table today (its semaphore file is dated
  // today); a semaphore file of an earlier day that nobody holds is erased first.
  bool SemaphoreFileCheck();
  // Builds one IndexList file from its expression, with the progress window when ShowProgress.
  void MakeListedIndex(const std::string& file, const std::string& expression);

  // The locked-write loop of one operation ("Insert", "Delete", "Restore", "Post").
  bool LockedWrite(const char* operation, bool appendLock, const TOvLockFailedEvent& onFailed,
                   void (*write)());
  // The memo field's block number in the buffer that its value is read from or written to.
  std::int32_t BlobBlock(const TField& field);
  void SetBlobBlock(const TField& field, std::int32_t block);

  TCreateIndexType createIndex_ = ciNotFound;
  bool createIfNotFound_ = true;
  bool autoFixRecCount_ = false;
  std::vector<std::string> indexList_;
  bool exclusive_ = false;
  std::array<TKeyMakerCallback, 17> keyMakers_;  // IndexOnCB's in 0, the orders' in 1 to 16
};

class TOvDbf : public TOvFileDataSet {
 public:
  using TOvFileDataSet::TOvFileDataSet;
};

class TOvBlobStream : public platform::db::TStream {
 public:
  // Opens the field's memo of the record the dataset shows: for reading with bmRead, else as a
  // new memo written at the end of the memo file (the dataset enters its edit state first). With
  // oem, text is translated between OEM and ANSI when its first bytes say it is OEM text.
  TOvBlobStream(const TField& field, platform::db::TBlobStreamMode mode, bool oem);
  // A write stream that wrote nothing leaves the field empty; a written one makes its block the
  // field's value. The memo lock of a write stream is released.
  ~TOvBlobStream() override;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, platform::db::TSeekOrigin origin) override;

 private:
  bool SelectArea(const char* operation);

  const TField& field_;
  TOvFileDataSet& dataSet_;
  std::uint8_t area_ = 0;
  bool directOpen_ = false;  // the table was opened for this stream alone (a designer)
  bool written_ = false;
  bool writeMode_ = false;
  bool oem_ = false;
};

}  // namespace xbase
