#include <gtest/gtest.h>

#include <filesystem>

#include "tests/xbase/workarea/WorkAreaTest.h"

namespace xbase {
namespace {

using NavigationTest = WorkAreaTest;

// Where the area stands: the record number, BOF, EOF and the name in the typed record.
struct Position {
  std::uint32_t recNo;
  bool bof, eof;
  std::string name;
  bool operator==(const Position&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Position& p) {
  return out << "recNo " << p.recNo << (p.bof ? " BOF" : "") << (p.eof ? " EOF" : "") << " '"
             << p.name << "'";
}

Position Here() { return {RecNo(), dBOF(), dEOF(), RTrimStr(TypedFieldText(1))}; }

TEST_F(NavigationTest, MovesWithAndWithoutSetDeleted) {
  struct Case {
    const char* what;
    int count;
    std::vector<int> deleted;
    bool hide;
    std::function<void()> moves;
    Position expected;
  };
  const std::vector<Case> cases = {
      {"GoTop", 5, {1, 2}, false, [] { GoTop(); }, {1, false, false, "A"}},
      {"GoTop passes deleted", 5, {1, 2}, true, [] { GoTop(); }, {3, false, false, "C"}},
      {"GoTop, all deleted", 3, {1, 2, 3}, true, [] { GoTop(); }, {4, false, true, ""}},
      {"GoBottom", 5, {5}, false, [] { GoBottom(); }, {5, false, false, "E"}},
      {"GoBottom passes deleted", 5, {4, 5}, true, [] { GoBottom(); }, {3, false, false, "C"}},
      {"GoBottom, all deleted", 3, {1, 2, 3}, true, [] { GoBottom(); }, {4, true, true, ""}},
      {"Skip off the end", 5, {}, false, [] { GoBottom(); Skip(1); }, {6, false, true, ""}},
      {"Skip off the last visible", 5, {5}, true, [] { GoTop(); Skip(3); Skip(1); }, {6, false, true, ""}},
      {"Skip before the first", 5, {}, false, [] { GoTop(); Skip(-1); }, {1, true, false, "A"}},
      {"Skip before the first visible", 5, {1}, true, [] { Go(3); Skip(-1); Skip(-1); }, {2, true, false, "B"}},
      {"Skip counts visible records", 5, {2, 3}, true, [] { GoTop(); Skip(2); }, {5, false, false, "E"}},
      {"Skip back counts visible records", 5, {3, 4}, true, [] { GoBottom(); Skip(-2); }, {1, false, false, "A"}},
      {"Skip beyond the end", 5, {2, 3}, true, [] { GoTop(); Skip(3); }, {6, false, true, ""}},
      {"Skip beyond the start", 5, {}, false, [] { Go(2); Skip(-2); }, {1, true, false, "A"}},
      {"Skip shows deleted records", 5, {2, 3}, false, [] { GoTop(); Skip(2); }, {3, false, false, "C"}},
      {"Go ignores SET DELETED", 5, {1}, true, [] { Go(1); }, {1, false, false, "A"}},
  };
  for (const Case& c : cases) {
    UsePeople(c.count, c.deleted);
    SetIgnoreDel(c.hide);
    c.moves();
    EXPECT_EQ(ErrorCode, 0) << c.what;
    EXPECT_EQ(Here(), c.expected) << c.what;
    CloseArea();
  }
}

TEST_F(NavigationTest, AtTheEndTheRecordIsBlank) {
  UsePeople(3);
  GoBottom();
  Skip(1);
  EXPECT_EQ(Text("AGE"), "0");
  EXPECT_EQ(Text("OK"), "F");
  EXPECT_EQ(WorkArea(1)->RecordBuffer, std::vector<std::uint8_t>(13, ' '));
}

TEST_F(NavigationTest, MovesThatCannotBeMade) {
  QuietErrors();
  const std::string path = UsePeople(3);
  struct Case {
    std::function<void()> move;
    std::string message;
    Position after;
  };
  for (const Case& c : {
           Case{[] { GoBottom(); Skip(1); Skip(1); }, "Database \"" + path + "\" is past EOF. [SKIP]",
                {4, false, true, ""}},
           Case{[] { Go(0); }, "Invalid record number = 0 \nDatabase \"" + path + "\" [GO]",
                {4, false, true, "A"}},
           Case{[] { GoTop(); Go(4); }, "Invalid record number = 4 \nDatabase \"" + path + "\" [GO]",
                {4, false, true, "A"}},
           Case{[] { GoTop(); Go(-7); }, "Invalid record number = -7 \nDatabase \"" + path + "\" [GO]",
                {4, false, true, "A"}}}) {
    GoTop();
    c.move();
    EXPECT_EQ(ErrorCode, 212) << c.message;
    EXPECT_EQ(LastErrorMessage, c.message);
    EXPECT_EQ(Here(), c.after) << c.message;
  }
  EXPECT_FALSE(GoIfValid(0));
  EXPECT_FALSE(GoIfValid(4));
  EXPECT_TRUE(GoIfValid(2));
  EXPECT_EQ(Here(), (Position{2, false, false, "B"}));
}

TEST_F(NavigationTest, AnEmptyTableHasNowhereToGo) {
  QuietErrors();
  const std::string path = UsePeople(0);
  Skip(-1);
  EXPECT_EQ(ErrorCode, 212);
  EXPECT_EQ(LastErrorMessage, "Database \"" + path + "\" is empty. [SKIP]");
  Go(1);
  EXPECT_EQ(ErrorCode, 212);
  EXPECT_EQ(Here(), (Position{0, true, true, ""}));
  GoTop();
  GoBottom();
  EXPECT_EQ(ErrorCode, 0);
  EXPECT_EQ(Here(), (Position{0, true, true, ""}));
}

TEST_F(NavigationTest, SkipZeroReadsTheRecordAgain) {
  UsePeople(3);
  Go(2);
  Set("NAME", "changed");
  Skip(0);
  EXPECT_EQ(Text("NAME"), "B");
  EXPECT_TRUE(SetIgnoreDel(true) == false);
  EXPECT_TRUE(SetIgnoreDel(false));
}

TEST_F(NavigationTest, RecordsOthersAppendBecomeVisible) {
  const std::string path = UsePeople(2);
  Select(2);
  Use(path + " ALIAS WRITER", nullptr, 0);
  ASSERT_TRUE(ALock());
  Set("NAME", "Z");
  Append();
  Unlock();
  Select(1);
  EXPECT_EQ(RecCount(), 3u);
  GoBottom();
  EXPECT_EQ(Here(), (Position{3, false, false, "Z"}));
  Go(2);
  Skip(1);
  EXPECT_EQ(RecNo(), 3u);
  Select(2);
  Set("NAME", "Y");
  ASSERT_TRUE(ALock());
  Append();
  Select(1);
  Skip(1);  // no RecCount in between: the step itself finds the new record
  EXPECT_EQ(Here(), (Position{4, false, false, "Y"}));
}

// An index order over the records, answering the index hooks and recording the calls.
class FakeIndex {
 public:
  explicit FakeIndex(std::vector<RecordNumber> order) : order_(std::move(order)) {
    IndexingEnabled = true;
    IndexHookTable.IsActive = [] { return true; };
    IndexHookTable.FirstRec = [this] { return Seat(0, "FirstRec"); };
    IndexHookTable.LastRec = [this] { return Seat(order_.size() - 1, "LastRec"); };
    IndexHookTable.NextRec = [this] { return Seat(pos_ + 1, "NextRec"); };
    IndexHookTable.PriorRec = [this] { return Seat(pos_ - 1, "PriorRec"); };
    IndexHookTable.IsEof = [this] { return pos_ >= order_.size(); };
    IndexHookTable.IsBof = [this] { return pos_ == npos; };
    IndexHookTable.SyncCurrent = [this] { calls.push_back("SyncCurrent"); };
    IndexHookTable.SyncAfterMove = [this] { calls.push_back("SyncAfterMove"); };
    IndexHookTable.ReadSemaphore = [this](bool on) {
      calls.push_back(on ? "read on" : "read off");
      return true;
    };
  }

  std::vector<std::string> calls;

 private:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  // Moves to position p of the order; before the first or after the last stays on the edge.
  RecordNumber Seat(std::size_t p, const char* call) {
    calls.push_back(call);
    const RecordNumber count = WorkArea(1)->RecordCount;
    if (order_.empty()) return count + 1;
    if (p == npos) {
      pos_ = npos;
      return order_.front();
    }
    if (p >= order_.size()) {
      pos_ = order_.size();
      return order_.back();
    }
    pos_ = p;
    return order_[p];
  }

  std::vector<RecordNumber> order_;
  std::size_t pos_ = 0;
};

TEST_F(NavigationTest, IndexedAreasMoveInTheOrder) {
  UsePeople(4, {3});
  FakeIndex index({4, 3, 1, 2});
  SetIgnoreDel(true);
  index.calls.clear();
  GoTop();
  EXPECT_EQ(Text("NAME"), "D");
  EXPECT_EQ(index.calls, (std::vector<std::string>{"read on", "FirstRec", "SyncAfterMove", "read off"}));
  index.calls.clear();
  Skip(1);
  EXPECT_EQ(Text("NAME"), "A") << "record 3 is deleted and passed";
  EXPECT_EQ(index.calls,
            (std::vector<std::string>{"read on", "NextRec", "NextRec", "read off", "SyncAfterMove"}));
  GoBottom();
  EXPECT_EQ(Text("NAME"), "B");
}

TEST_F(NavigationTest, AnEmptyOrderGivesBothEnds) {
  UsePeople(2);
  FakeIndex index({});
  GoTop();
  EXPECT_EQ(RecNo(), 3u);
  EXPECT_TRUE(WorkArea(1)->BofFlag);
  EXPECT_TRUE(WorkArea(1)->EofFlag);
}

TEST_F(NavigationTest, TheReadBracketClosesWhenAReadFails) {
  const std::string path = UsePeople(3, {}, " EXCLUSIVE");
  FakeIndex index({3, 2, 1});
  std::filesystem::resize_file(path, 129 + 13 + 5);  // record 2 is cut short
  index.calls.clear();
  EXPECT_THROW(Go(2), EOrvelError);
  EXPECT_EQ(index.calls, (std::vector<std::string>{"read on", "read off"}));
  EXPECT_EQ(RecNo(), 1u) << "the area stays on the record read last";
}

TEST_F(NavigationTest, TheMoveCallbackRunsOnceAfterEveryMove) {
  UsePeople(3);
  Select(2);
  UsePeople(2, {}, "", "other.dbf");
  Select(1);
  int runs = 0;
  SetMoveCallback([&] {
    ++runs;
    Select(2);  // it may move other areas
    GoBottom();
    Select(1);
    Skip(0);  // and it is not called again from inside
  });
  EXPECT_EQ(runs, 1) << "a new callback runs at once";
  Skip(1);
  GoTop();
  Go(3);
  EXPECT_EQ(runs, 4);
  EXPECT_EQ(CurrentArea(), 1);
  EXPECT_EQ(ErrorCode, 0);
  EXPECT_TRUE(SetMoveCallback(nullptr) != nullptr);
}

TEST_F(NavigationTest, ACallbackThatMovesItsOwnAreaIsReported) {
  QuietErrors();
  const std::string path = UsePeople(3);
  SetMoveCallback([] {
    Select(1);
    Go(3);
    Select(2);
  });
  Go(1);
  EXPECT_EQ(ErrorCode, 224);
  EXPECT_EQ(LastErrorMessage, path);
  EXPECT_EQ(CurrentArea(), 1) << "the current area is restored";
}

TEST_F(NavigationTest, TheFoundFlagSurvivesTheCallback) {
  UsePeople(2);
  std::uint8_t found = 1;
  IndexingEnabled = true;
  IndexHookTable.FoundFlag = [&] { return &found; };
  SetMoveCallback([&] { found = 0; });
  Skip(1);
  EXPECT_EQ(found, 1);
}

TEST_F(NavigationTest, RereadCurrentMovesOffAHiddenRecord) {
  UsePeople(3);
  SetIgnoreDel(true);
  Go(2);
  EXPECT_FALSE(RereadCurrent());
  ASSERT_TRUE(RLock());
  DeleteRec();
  EXPECT_TRUE(RereadCurrent());
  EXPECT_EQ(RecNo(), 3u);
  EXPECT_EQ(WorkArea(1)->LockState, LockNone) << "the locks are released";
  // The last record: back to the one before.
  ASSERT_TRUE(RLock());
  DeleteRec();
  EXPECT_TRUE(RereadCurrent());
  EXPECT_EQ(RecNo(), 1u);
}

TEST_F(NavigationTest, FilterAndScopeCallbacks) {
  UsePeople(5);
  WorkArea(1)->FilterCallback = [] { return Text("OK") == "T"; };  // odd records
  GoTop();
  Skip(1);
  EXPECT_EQ(RecNo(), 3u);
  GoBottom();
  EXPECT_EQ(RecNo(), 5u);
  WorkArea(1)->WhileCallback = [] { return RecNo() <= 3; };
  EXPECT_TRUE(IsWhileOn());
  GoTop();
  Skip(2);
  EXPECT_TRUE(dEOF()) << "leaving the scope forwards ends at EOF";
  LastInScope();
  EXPECT_EQ(RecNo(), 3u);
  FirstInScope();
  EXPECT_EQ(RecNo(), 1u);
}

TEST_F(NavigationTest, FilterExpressionsGoThroughTheExpressionHooks) {
  UsePeople(5);
  // A stand-in for a compiled expression: "AGE > 25".
  int marker = 0;
  auto* compiled = reinterpret_cast<CompiledExpr*>(&marker);
  std::int32_t answer = 0;
  std::vector<std::string> calls;
  ExprHookTable.Evaluate = [&](CompiledExpr* expression) -> void* {
    EXPECT_EQ(expression, compiled);
    answer = std::stoi(Text("AGE")) > 25 ? 256 : 0;  // any non-zero is true, whatever its low byte
    return &answer;
  };
  ExprHookTable.Free = [&](CompiledExpr*& expression) {
    calls.push_back(expression == compiled ? "free" : "free other");
    expression = nullptr;
  };
  WorkArea(1)->FilterExpr = compiled;
  GoTop();
  EXPECT_EQ(Text("NAME"), "C");
  Skip(-1);
  EXPECT_TRUE(dBOF());
  EXPECT_EQ(Text("NAME"), "C");
  CloseArea();
  EXPECT_EQ(calls, std::vector<std::string>{"free"}) << "the area's expressions are released";
}

}  // namespace
}  // namespace xbase
