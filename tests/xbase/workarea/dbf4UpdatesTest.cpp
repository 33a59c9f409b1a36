#include <gtest/gtest.h>

#include <filesystem>

#include "tests/xbase/workarea/WorkAreaTest.h"

namespace xbase {
namespace {

using UpdatesTest = WorkAreaTest;

enum class Lock { None, Append, Record, Exclusive };

// Stands on record 2 and takes the lock.
void Prepare(Lock lock) {
  Go(2);
  if (lock == Lock::Append) {
    ASSERT_TRUE(ALock());
  } else if (lock == Lock::Record) {
    ASSERT_TRUE(RLock());
  }
}

TEST_F(UpdatesTest, TheLockRuleOfEveryUpdate) {
  QuietErrors();
  struct Case {
    const char* what;
    Lock lock;
    std::function<void()> update;
    std::uint16_t code;
  };
  const std::vector<Case> cases = {
      {"Append after ALock", Lock::Append, [] { Append(); }, 0},
      {"Append without a lock", Lock::None, [] { Append(); }, 5},
      {"Append after RLock", Lock::Record, [] { Append(); }, 5},
      {"Append exclusive", Lock::Exclusive, [] { Append(); }, 0},
      {"Replace after RLock", Lock::Record, [] { Replace(); }, 0},
      {"Replace after ALock", Lock::Append, [] { Replace(); }, 1200},
      {"Replace without a lock", Lock::None, [] { Replace(); }, 1200},
      {"Replace exclusive", Lock::Exclusive, [] { Replace(); }, 0},
      {"DeleteRec after RLock", Lock::Record, [] { DeleteRec(); }, 0},
      {"DeleteRec after ALock", Lock::Append, [] { DeleteRec(); }, 1200},
      {"DeleteRec exclusive", Lock::Exclusive, [] { DeleteRec(); }, 0},
      {"RecallRec after RLock", Lock::Record, [] { RecallRec(); }, 0},
      {"RecallRec after ALock", Lock::Append, [] { RecallRec(); }, 1200},
      {"RecallRec without a lock", Lock::None, [] { RecallRec(); }, 1200},
  };
  for (const Case& c : cases) {
    const std::string path = UsePeople(3, {}, c.lock == Lock::Exclusive ? " EXCLUSIVE" : "");
    Prepare(c.lock);
    const std::string before = Contents(path);
    Set("NAME", "NEW");
    c.update();
    EXPECT_EQ(ErrorCode, c.code) << c.what;
    if (c.code != 0) {
      EXPECT_EQ(Contents(path), before) << c.what << ": nothing written";
    }
    CloseArea();
  }
}

TEST_F(UpdatesTest, RefusalMessages) {
  QuietErrors();
  const std::string path = UsePeople(3);
  Go(2);
  Append();
  EXPECT_EQ(LastErrorMessage, "File must be locked to append: " + path + " [APPEND]");
  Replace();
  EXPECT_EQ(LastErrorMessage, "Record #2 in " + path + " [REPLACE]");
  DeleteRec();
  EXPECT_EQ(LastErrorMessage, path + " Record not locked [DeleteRec]");
  RecallRec();
  EXPECT_EQ(LastErrorMessage, "Record not locked [RecallRec]");
}

TEST_F(UpdatesTest, AtTheEnds) {
  QuietErrors();
  const std::string path = UsePeople(2, {}, " EXCLUSIVE");
  GoBottom();
  Skip(1);
  const std::string before = Contents(path);
  DeleteRec();
  EXPECT_EQ(ErrorCode, 0) << "DeleteRec at EOF does nothing";
  RecallRec();
  EXPECT_EQ(ErrorCode, 1103);
  EXPECT_EQ(LastErrorMessage, path + " at EOF [RecallRec]");
  Replace();
  EXPECT_EQ(ErrorCode, 212);
  EXPECT_EQ(LastErrorMessage, "Database \"" + path + "\" is at EOF. [REPLACE]");
  EXPECT_EQ(Contents(path), before);
  CloseArea();
  UsePeople(0, {}, " EXCLUSIVE", "empty.dbf");
  Replace();
  EXPECT_EQ(LastErrorMessage, "Database \"" + temp.path() + "/empty.dbf\" is empty. [REPLACE]");
}

// Another program cut the shared table below the record being edited: the record is not
// written past the new end, where the gap would become blank records.
TEST_F(UpdatesTest, ReplaceOfARecordAnotherProgramCutAway) {
  QuietErrors();
  const std::string path = UsePeople(5);
  Go(5);
  ASSERT_TRUE(RLock());
  std::filesystem::resize_file(path, 129 + 3 * 13);
  Set("NAME", "Eve");
  Replace();
  EXPECT_EQ(ErrorCode, 212);
  EXPECT_EQ(LastErrorMessage, "Database \"" + path + "\" is at EOF. [REPLACE]");
  CloseArea();
  EXPECT_EQ(Contents(path).size(), 129u + 3 * 13) << "nothing written past the cut";
}

TEST_F(UpdatesTest, WritesReachTheFile) {
  const std::string path = UsePeople(3);
  Go(2);
  ASSERT_TRUE(RLock());
  Set("NAME", "Bee");
  Set("AGE", "7");
  Replace();
  DeleteRec();
  EXPECT_EQ(FieldAddress(0)[0], 1);
  Unlock();
  ASSERT_TRUE(ALock());
  ClearRecord();
  Set("NAME", "Dee");
  Append();
  EXPECT_EQ(RecNo(), 4u);
  EXPECT_FALSE(dEOF());
  Unlock();
  CloseArea();
  const std::string bytes = Contents(path);
  EXPECT_EQ(bytes.substr(129 + 13, 13), "*Bee       7F");
  EXPECT_EQ(bytes.substr(129 + 39, 13), " Dee       0F");
  EXPECT_EQ(bytes.size(), 129u + 4 * 13 + 1);
  Use(path, nullptr, 0);
  Go(2);
  ASSERT_TRUE(RLock());
  RecallRec();
  EXPECT_EQ(Contents(path)[129 + 13], ' ');
}

// Answers the index hooks that the updates call, and records them with the record's name as it
// stands in the typed record at the time.
struct RecordingIndex {
  std::vector<std::string> calls;
  RecordingIndex() {
    IndexingEnabled = true;
    IndexHookTable.IsActive = [] { return true; };
    IndexHookTable.LockSemaphore = [this](bool on) {
      calls.push_back(on ? "lock on" : "lock off");
      return true;
    };
    IndexHookTable.SyncAllOrders = [this] { calls.push_back("SyncAllOrders " + WorkAreaTest::Text("NAME")); };
    IndexHookTable.UpdateKeys = [this] { calls.push_back("UpdateKeys " + WorkAreaTest::Text("NAME")); };
    IndexHookTable.AppendKeys = [this] { calls.push_back("AppendKeys " + WorkAreaTest::Text("NAME")); };
    IndexHookTable.FirstRec = [] { return 1u; };
  }
};

TEST_F(UpdatesTest, ReplaceSeatsTheOrdersOnTheOldKeys) {
  UsePeople(3, {}, " EXCLUSIVE");
  RecordingIndex index;
  Go(2);
  Set("NAME", "NEW");
  Replace();
  EXPECT_EQ(index.calls, (std::vector<std::string>{"lock on", "SyncAllOrders B", "UpdateKeys NEW", "lock off"}));
  index.calls.clear();
  ClearRecord();
  Set("NAME", "ADDED");
  Append();
  EXPECT_EQ(index.calls, (std::vector<std::string>{"lock on", "AppendKeys ADDED", "lock off"}));
  index.calls.clear();
  IndexOnReplace = false;
  Replace();
  EXPECT_EQ(index.calls, std::vector<std::string>{}) << "no index protocol";
  DeleteRec();
  RecallRec();
  EXPECT_EQ(index.calls, std::vector<std::string>{}) << "the deleted flag is in no key";
}

TEST_F(UpdatesTest, AFailedRereadKeepsTheNewValues) {
  RecordCacheSize = 0;  // record 3 is read again from the file, not from memory
  const std::string path = UsePeople(3, {}, " EXCLUSIVE");
  RecordingIndex index;
  Go(3);
  std::filesystem::resize_file(path, 129 + 2 * 13 + 4);  // record 3 is cut short
  Set("NAME", "NEW");
  Set("AGE", "99");
  EXPECT_THROW(Replace(), EOrvelError);
  EXPECT_EQ(Text("NAME"), "NEW");
  EXPECT_EQ(Text("AGE"), "99");
  EXPECT_EQ(index.calls, (std::vector<std::string>{"lock on", "lock off"}));
}

// The index engine answers that its lock was refused (another program holds the index); the
// error it stored stands, and neither the record nor its keys are written.
TEST_F(UpdatesTest, AWriteWhoseIndexLockIsRefusedWritesNothing) {
  const std::string path = UsePeople(3, {}, " EXCLUSIVE");
  RecordingIndex index;
  IndexHookTable.LockSemaphore = [&index](bool on) {
    index.calls.push_back(on ? "lock refused" : "lock off");
    ErrorCode = 1202;
    return false;
  };
  const std::string before = Contents(path);
  ClearRecord();
  Set("NAME", "ADDED");
  Append();
  EXPECT_EQ(ErrorCode, 1202);
  Go(2);
  Set("NAME", "NEW");
  Replace();
  EXPECT_EQ(ErrorCode, 1202);
  EXPECT_EQ(index.calls, (std::vector<std::string>{"lock refused", "lock refused"}));
  EXPECT_EQ(RecCount(), 3u);
  CloseArea();
  EXPECT_EQ(Contents(path), before);
}

TEST_F(UpdatesTest, AppendRunsTheMoveCallback) {
  UsePeople(1, {}, " EXCLUSIVE");
  int runs = 0;
  SetMoveCallback([&] { ++runs; });
  Append();
  EXPECT_EQ(runs, 2);
  DeleteRec();
  EXPECT_EQ(runs, 2);
}

}  // namespace
}  // namespace xbase
