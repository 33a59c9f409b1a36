// The semaphore protocol within one program: the 4 bytes of the file after each action, the
// nesting of the brackets, the unbalanced calls, where the file goes, and the sound answers
// where the plain protocol would block or lose a count.

#include <gtest/gtest.h>
#include <utime.h>

#include <filesystem>
#include <fstream>

#include "tests/xbase/index/IndexTest.h"

namespace xbase {
namespace {

class SemaphoreTest : public IndexTest {
 protected:
  void SetUp() override {
    IndexTest::SetUp();
    SemaphoreLockTries = TableLockTries = 3;
    SemaphorePauseMs = 1;
    ReadTimeoutSeconds = 1;
    CreateTable("t.dbf", {{"NAME", 'C', 8}});
    for (const char* name : {"B", "A", "C"}) AppendWith({{"NAME", name}});
    MakeIndex("names", "NAME", false, 0, false, false, nullptr, 0);
    CloseArea();
    table_ = At("t.dbf");
  }

  // The table opened shared in the current area, logged in through its index.
  void Join() {
    Use(table_ + " ALIAS T" + std::to_string(CurrentWorkArea), nullptr, 0);
    ASSERT_TRUE(SetIndexTo("names", 1));
  }

  static void LockedAppend(const std::string& name) {
    ASSERT_TRUE(ALock());
    AppendWith({{"NAME", name}});
    Unlock();
  }

  std::array<int, 3> Counters(const std::string& file = "") const {
    const std::string bytes = Contents(file.empty() ? At("t.@S@") : file);
    if (bytes.size() != 4) return {-1, -1, -1};
    const auto byte = [&](int i) { return static_cast<unsigned char>(bytes[i]); };
    return {byte(0), static_cast<signed char>(bytes[1]), byte(2) | byte(3) << 8};
  }

  std::string table_;
};

TEST_F(SemaphoreTest, LoginReadersWritersAndLogout) {
  Join();
  EXPECT_EQ(Counters(), (std::array<int, 3>{1, 0, 0}));
  Select(2);
  Join();
  EXPECT_EQ(Counters(), (std::array<int, 3>{2, 0, 0}));
  SetReadSemaphoreProc(true);
  SetReadSemaphoreProc(true);
  EXPECT_EQ(Counters(), (std::array<int, 3>{2, 1, 0}));
  SetReadSemaphoreProc(false);
  EXPECT_EQ(Counters(), (std::array<int, 3>{2, 1, 0}));
  SetReadSemaphoreProc(false);
  EXPECT_EQ(Counters(), (std::array<int, 3>{2, 0, 0}));
  SetLockSemaphoreProc(true);
  SetLockSemaphoreProc(true);
  EXPECT_EQ(Counters(), (std::array<int, 3>{2, 1, 0}));
  SetLockSemaphoreProc(false);
  SetLockSemaphoreProc(false);
  EXPECT_EQ(Counters(), (std::array<int, 3>{2, 0, 1}));
  // Area 1 is another program as far as the file goes: it learns of the write when it reads.
  Select(1);
  SetReadSemaphoreProc(true);
  EXPECT_TRUE(CheckIndexGeneration());
  EXPECT_FALSE(CheckIndexGeneration());
  SetReadSemaphoreProc(false);
  CloseArea();
  EXPECT_EQ(Counters(), (std::array<int, 3>{1, 0, 1}));
  Select(2);
  CloseArea();
  EXPECT_FALSE(std::filesystem::exists(At("t.@S@")));
}

// The brackets around an operation on a shared table close after it: the operation's error is
// what the caller sees, never wiped by the bracket's own success.
TEST_F(SemaphoreTest, ClosingABracketKeepsTheErrorOfWhatItHeld) {
  QuietErrors();
  const auto patch = [&](const std::string& file, std::size_t at, const std::string& bytes) {
    std::string contents = Contents(At(file));
    contents.replace(at, bytes.size(), bytes);
    Write(file, contents);
  };
  // An index whose root lies past its end is refused, the slot left free.
  std::filesystem::copy_file(At("names.NDX"), At("bad.NDX"));
  patch("bad.NDX", 0, std::string("\x09\0\0\0", 4));
  Use(table_, nullptr, 0);
  EXPECT_FALSE(SetIndexToOrder("bad", 1));
  EXPECT_EQ(ErrorCode, 254);
  EXPECT_EQ(OrderInSlot(1), nullptr);
  // An append whose third order fails answers the failure, the other orders without its key.
  for (const char* name : {"n2", "n3"}) MakeIndex(name, "NAME", false, 0, false, false, nullptr, 0);
  SetIndexToList("names n2 n3");
  ASSERT_EQ(ErrorCode, 0);
  patch("n3.NDX", 512, std::string("\x63\0", 2));  // node 1 holds 99 keys
  patch("t.@S@", 2, std::string("\x01", 1));         // written so by another program
  ASSERT_TRUE(ALock());
  AppendWith({{"NAME", "D"}});
  EXPECT_EQ(ErrorCode, 254);
  EXPECT_EQ(GetErrorMessage(), "Index file corrupted: node 1 holds 99 keys. " + At("n3.NDX") + " [GetNode]");
  Unlock();
  Find("D");
  EXPECT_EQ(IndexFound, 0);
  CloseArea();
  // Skip(-1) from EOF after another program's write left a root past the end.
  Join();
  GoBottom();
  Skip(1);
  ASSERT_TRUE(dEOF());
  patch("names.NDX", 0, std::string("\x09\0\0\0", 4));
  patch("t.@S@", 2, std::string("\x02", 1));  // the generation another program's write leaves
  Skip(-1);
  EXPECT_EQ(ErrorCode, 254);
}

TEST_F(SemaphoreTest, UnbalancedCalls) {
  Join();
  QuietErrors();
  const auto raised = [](auto call) {
    try {
      call();
    } catch (const EOrvelError&) {
      return LastErrorMessage;
    }
    return std::string("not raised");
  };
  EXPECT_EQ(raised([] { HandleSemafore(DECREAD); }),
            "Unbalanced IncRead/DecRead for semaphore file: " + At("t.@S@") + " DECREAD");
  EXPECT_EQ(raised([] { HandleSemafore(UNLOCKSEMAPHORE); }),
            "Unbalanced Lock/Unlock for semaphore file: " + At("t.@S@") + " UNLOCKSEMAPHORE");
  EXPECT_EQ(raised([] { SetReadSemaphoreProc(false); }), "Non-symmetrical Lock-Unlock [SetReadSemaphoreProc]");
  EXPECT_EQ(raised([] { SetLockSemaphoreProc(false); }), "Non-symmetrical Lock-Unlock [SetLockSemaphoreProc]");
  EXPECT_EQ(ErrorCode, 254);
  // The brackets still balance afterwards.
  SetReadSemaphoreProc(true);
  SetReadSemaphoreProc(false);
  EXPECT_EQ(Counters(), (std::array<int, 3>{1, 0, 0}));
}

TEST_F(SemaphoreTest, WhereTheFileGoes) {
  Use(table_, nullptr, 0);
  std::string name;
  SemaphoreFileName(name);
  EXPECT_EQ(name, At("t.@S@"));
  SemaphoreFolder = At("sem");
  SemaphoreFileName(name);
  EXPECT_EQ(name, At("sem") + "/t.@S@");
  std::filesystem::create_directories(At("sem"));
  ASSERT_TRUE(SetIndexTo("names", 1));
  EXPECT_EQ(Counters(At("sem/t.@S@")), (std::array<int, 3>{1, 0, 0}));
  CloseArea();
  // An exclusive area makes none.
  SemaphoreFolder.clear();
  Use(table_ + " EXCLUSIVE", nullptr, 0);
  ASSERT_TRUE(SetIndexTo("names", 1));
  Find("A");
  EXPECT_EQ(IndexFound, 1);
  EXPECT_FALSE(std::filesystem::exists(At("t.@S@")));
}

TEST_F(SemaphoreTest, AFileNobodyHoldsStartsAfresh) {
  // Left by a program that ended inside a read: a reader registered and logins counted.
  for (const bool yesterday : {true, false}) {
    SCOPED_TRACE(yesterday);
    { std::ofstream(At("t.@S@"), std::ios::binary) << std::string("\x03\x02\x07\x00", 4); }
    if (yesterday) {
      const utimbuf times{time(nullptr) - 86400, time(nullptr) - 86400};
      utime(At("t.@S@").c_str(), &times);
    }
    Join();
    EXPECT_EQ(Counters(), (std::array<int, 3>{1, 0, 0}));
    LockedAppend("D");
    EXPECT_EQ(Counters(), (std::array<int, 3>{1, 0, 1}));
    CloseArea();
  }
}

TEST_F(SemaphoreTest, AWriteInsideItsOwnReadDoesNotWaitForItself) {
  Join();
  SetReadSemaphoreProc(true);
  EXPECT_EQ(Counters(), (std::array<int, 3>{1, 1, 0}));
  SetLockSemaphoreProc(true);
  SetLockSemaphoreProc(false);
  EXPECT_EQ(Counters(), (std::array<int, 3>{1, 1, 1}));
  SetReadSemaphoreProc(false);
  EXPECT_EQ(Counters(), (std::array<int, 3>{1, 0, 1}));
  // A record written from the move callback of a seek: inside the seek's read bracket.
  bool written = false;
  Go(3);
  SetMoveCallback([&] {
    if (written || RecNo() != 2) return;
    written = true;
    RLock();
    Set("NAME", "AA");
    Replace();
    Unlock();
  });
  Find("A");
  SetMoveCallback(nullptr);
  EXPECT_TRUE(written);
  EXPECT_EQ(ErrorCode, 0);
  EXPECT_EQ(Counters()[1], 0);
  EXPECT_EQ(Walk("NAME"), (std::vector<std::string>{"AA", "B", "C"}));
}

TEST_F(SemaphoreTest, LogoutEndsAWriteInProgress) {
  Join();
  Select(2);
  Join();
  Select(1);
  SetLockSemaphoreProc(true);
  CloseArea();
  EXPECT_EQ(Counters(), (std::array<int, 3>{1, 0, 1}));
  Select(2);
  LockedAppend("D");
  EXPECT_EQ(ErrorCode, 0);
}

TEST_F(SemaphoreTest, A128thReaderIsRefused) {
  // Area 2 is a living reader: the count of 127 is not a dead program's.
  Join();
  Select(2);
  Join();
  SetReadSemaphoreProc(true);
  Select(1);
  { std::fstream(At("t.@S@"), std::ios::in | std::ios::out | std::ios::binary).seekp(1).put(127); }
  QuietErrors();
  try {
    SetReadSemaphoreProc(true);
    FAIL() << "not raised";
  } catch (const EOrvelError&) {
  }
  EXPECT_EQ(ErrorCode, 1202);
  EXPECT_EQ(Counters()[1], 127);
  // Nothing was counted: the next bracket counts and uncounts itself only.
  { std::fstream(At("t.@S@"), std::ios::in | std::ios::out | std::ios::binary).seekp(1).put(5); }
  SetReadSemaphoreProc(true);
  EXPECT_EQ(Counters()[1], 6);
  SetReadSemaphoreProc(false);
  EXPECT_EQ(Counters()[1], 5);
}

// A count of readers that no living program backs (they died registered) is set to the living
// by the next reader or writer, which steps the generation so that every program reads its
// headers again.
TEST_F(SemaphoreTest, ReadersThatDiedAreNotCounted) {
  Join();
  for (const bool writing : {false, true}) {
    SCOPED_TRACE(writing);
    const int generation = Counters()[2];
    { std::fstream(At("t.@S@"), std::ios::in | std::ios::out | std::ios::binary).seekp(1).put(3); }
    writing ? SetLockSemaphoreProc(true) : SetReadSemaphoreProc(true);
    EXPECT_EQ(Counters()[1], 1);
    EXPECT_EQ(Counters()[2], generation + 1);
    writing ? SetLockSemaphoreProc(false) : SetReadSemaphoreProc(false);
    EXPECT_EQ(Counters()[1], 0);
  }
}

}  // namespace
}  // namespace xbase
