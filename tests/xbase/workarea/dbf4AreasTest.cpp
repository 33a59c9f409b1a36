#include <gtest/gtest.h>

#include <filesystem>

#include "tests/xbase/workarea/WorkAreaTest.h"

namespace xbase {
namespace {

using AreasTest = WorkAreaTest;

TEST_F(AreasTest, StartsInAreaOneWithEveryAreaClosed) {
  EXPECT_EQ(CurrentArea(), 1);
  for (unsigned n = 0; n <= WorkAreaCount + 1; ++n) EXPECT_EQ(WorkArea(n), nullptr) << n;
}

TEST_F(AreasTest, SelectAcceptsOnlyCallerAreas) {
  QuietErrors();
  struct Case {
    int n;
    std::uint16_t code;
    std::uint8_t current;
    std::string message;
  };
  for (const Case& c : {Case{1, 0, 1, ""}, Case{33, 0, 33, ""},
                        Case{34, 220, 33, "Invalid workarea selected = [Select(34)]"},
                        Case{255, 220, 33, "Invalid workarea selected = [Select(255)]"},
                        Case{7, 0, 7, ""}}) {
    LastErrorMessage.clear();
    Select(static_cast<std::uint8_t>(c.n));
    EXPECT_EQ(ErrorCode, c.code) << c.n;
    EXPECT_EQ(CurrentArea(), c.current) << c.n;
    EXPECT_EQ(LastErrorMessage, c.message) << c.n;
  }
}

TEST_F(AreasTest, SelectZeroPicksTheLowestFreeArea) {
  const std::string path = Write("people.dbf", People(2).Bytes());
  for (int n = 1; n <= 3; ++n) {
    Select(0);
    EXPECT_EQ(CurrentArea(), n);
    Use(path + " ALIAS P" + std::to_string(n), nullptr, 0);
  }
  Select(2);
  CloseArea();
  Select(0);
  EXPECT_EQ(CurrentArea(), 2);
}

TEST_F(AreasTest, SelectZeroWithEveryAreaInUse) {
  const std::string path = Write("people.dbf", People(1).Bytes());
  for (int n = 1; n <= CallerWorkAreas; ++n) {
    Select(static_cast<std::uint8_t>(n));
    Use(path + " ALIAS P" + std::to_string(n), nullptr, 0);
  }
  Select(5);
  QuietErrors();
  Select(0);
  EXPECT_EQ(ErrorCode, 220);
  EXPECT_EQ(LastErrorMessage, "No free workarea available [Select(0)]");
  EXPECT_EQ(CurrentArea(), 5);
  CloseAll();
  EXPECT_EQ(CurrentArea(), 1);
  for (int n = 1; n <= CallerWorkAreas; ++n) EXPECT_EQ(WorkArea(n), nullptr);
}

TEST_F(AreasTest, UseReadsOptionsAndKeepsThePathsCase) {
  const std::string path = Write("Mixed Case/People.dbf", People(3).Bytes());
  struct Case {
    std::string name;
    std::string alias;
    bool exclusive;
  };
  const std::string folder = temp.path() + "/Mixed Case/";
  for (const Case& c : {Case{folder + "People", "PEOPLE", false},
                        Case{folder + "PEOPLE.DBF exclusive", "PEOPLE", true},
                        Case{"  " + folder + "people alias friends ", "FRIENDS", false},
                        Case{folder + "People.dbf ALIAS Crew EXCLUSIVE", "CREW", true},
                        Case{folder + "People EXCLUSIVE2", "", false}}) {
    QuietErrors();
    Use(c.name, nullptr, 0);
    if (c.alias.empty()) {
      EXPECT_NE(ErrorCode, 0) << "a word that only starts with EXCLUSIVE stays in the name";
      continue;
    }
    ASSERT_EQ(ErrorCode, 0) << c.name;
    EXPECT_EQ(CurrentTableName(), path) << c.name;
    EXPECT_EQ(AliasOfCurrent(), c.alias) << c.name;
    EXPECT_EQ(WorkArea(1)->ExclusiveFlag, c.exclusive) << c.name;
    EXPECT_EQ(WorkArea(1)->ShortName, "People.dbf");
    EXPECT_EQ(RecNo(), 1u);
  }
}

// Letters are told by the library's own tables, whatever the C library's locale says: the
// UTF-8 "\xC3\xA9" starts with a letter of Windows-1252.
TEST_F(AreasTest, AnOptionWordGoingOnInALetterStaysInTheName) {
  const std::string path = Write("People EXCLUSIVE\xC3\xA9.dbf", People(2).Bytes());
  Use(temp.path() + "/People EXCLUSIVE\xC3\xA9", nullptr, 0);
  EXPECT_EQ(CurrentTableName(), path);
  EXPECT_FALSE(WorkArea(1)->ExclusiveFlag);
}

TEST_F(AreasTest, AnAliasInUseElsewhereLeavesTheNewAreaClosed) {
  const std::string path = Write("people.dbf", People(2).Bytes());
  Use(path, nullptr, 0);
  Select(2);
  QuietErrors();
  Use(path, nullptr, 0);
  EXPECT_EQ(ErrorCode, 220);
  EXPECT_EQ(LastErrorMessage, "Alias name \"PEOPLE\" already in use. [USE]");
  EXPECT_EQ(WorkArea(2), nullptr);
  Use(path + " ALIAS OTHER", nullptr, 0);
  EXPECT_EQ(ErrorCode, 0);
  EXPECT_EQ(AliasOfCurrent(), "OTHER");
  // The same alias in the same area is no clash: the old table closes first.
  Use(path + " ALIAS OTHER", nullptr, 0);
  EXPECT_EQ(ErrorCode, 0);
}

TEST_F(AreasTest, BufferRules) {
  const std::string path = Write("people.dbf", People(2).Bytes());
  QuietErrors();
  std::vector<std::uint8_t> buffer(64);
  Use(path, nullptr, 14);
  EXPECT_EQ(ErrorCode, 220);
  EXPECT_EQ(LastErrorMessage, "Buffer is NIL or size is zero, attempting to open " + path + " [USE]");
  Use(path, buffer.data(), 0);
  EXPECT_EQ(ErrorCode, 220);
  EXPECT_EQ(WorkArea(1), nullptr);

  // NAME C(8) 9 + AGE N(3,0) 4 + OK 1 + the flag 1 = 15 bytes.
  Use(path, buffer.data(), 16);
  EXPECT_EQ(ErrorCode, 266);
  EXPECT_EQ(LastErrorMessage, "Database record/buffer size mismatch: " + path +
                                  " [USE()]\n\rRecord Size=15, Buffer Size=16");
  EXPECT_EQ(WorkArea(1), nullptr);

  Use(path, buffer.data(), 15);
  ASSERT_EQ(ErrorCode, 0);
  EXPECT_EQ(WorkArea(1)->TypedBuffer, buffer.data());
  EXPECT_FALSE(WorkArea(1)->OwnsTypedBuffer);
  EXPECT_EQ(buffer[1], 8) << "the first record is scattered into the caller's buffer";
  EXPECT_EQ(buffer[2], 'A');
  CloseArea();
  EXPECT_EQ(buffer[2], 'A') << "a caller's buffer is never freed";
}

TEST_F(AreasTest, AnEmptyTableOpensAtBothEndsWithABlankRecord) {
  UsePeople(0);
  EXPECT_TRUE(dBOF());
  EXPECT_TRUE(dEOF());
  EXPECT_EQ(RecNo(), 0u);
  EXPECT_EQ(Text("NAME"), "");
  EXPECT_EQ(Text("AGE"), "0");
  EXPECT_EQ(Text("OK"), "F");
  EXPECT_EQ(WorkArea(1)->RecordBuffer, std::vector<std::uint8_t>(13, ' '));
}

TEST_F(AreasTest, UseInNoAreaOrOfVirtualFilesFails) {
  QuietErrors();
  const std::string path = Write("people.dbf", People(1).Bytes());
  CurrentWorkArea = 0;  // the area before any Select
  Use(path, nullptr, 0);
  EXPECT_EQ(ErrorCode, 215);
  EXPECT_EQ(WorkArea(0), nullptr);

  Select(1);
  std::uint8_t buffer[4];
  Use("queue LINKED LIST FIFO", buffer, 4);
  EXPECT_EQ(ErrorCode, 1101);
  EXPECT_EQ(LastErrorMessage, "[USE(queue LINKED LIST FIFO,<@Buffer>,4)]");
  Use("x VIRTUAL FILE", nullptr, 0);
  EXPECT_EQ(ErrorCode, 220);
  EXPECT_EQ(LastErrorMessage, "NIL buffer pointer [USE(x VIRTUAL FILE,Nil,0)]");
}

TEST_F(AreasTest, AFailedUseLeavesTheAreaClosed) {
  QuietErrors();
  UsePeople(2);
  ASSERT_NE(WorkArea(1), nullptr);
  Use(temp.path() + "/missing", nullptr, 0);
  EXPECT_EQ(ErrorCode, 2);
  EXPECT_EQ(WorkArea(1), nullptr) << "the table open before is closed too";
}

TEST_F(AreasTest, OperationsWithoutATableReportTheirTag) {
  QuietErrors();
  Select(4);
  struct Case {
    std::function<void()> call;
    std::string tag;
  };
  for (const Case& c : {Case{[] { GoTop(); }, "GoTop"}, Case{[] { Skip(1); }, "SKIP()"},
                        Case{[] { Go(1); }, "GO()"}, Case{[] { FieldType(1); }, "FieldType()"},
                        Case{[] { Append(); }, "Append"}, Case{[] { RLock(); }, "RLock"},
                        Case{[] { Replace(); }, "Replace"}}) {
    c.call();
    EXPECT_EQ(ErrorCode, 215) << c.tag;
    EXPECT_EQ(LastErrorMessage, "No database in use [" + c.tag + "]  WorkArea = 4");
  }
  EXPECT_TRUE(dEOF());
  EXPECT_TRUE(dBOF());
  EXPECT_EQ(RecCount(), 0u);
  EXPECT_EQ(FieldCount(), 0);
  EXPECT_EQ(CurrentTableName(), "");
}

TEST_F(AreasTest, MemoFilesOpenAndCloseThroughTheMemoHooks) {
  std::vector<std::string> calls;
  MemoHookTable.OpenMemo = [&](const std::string& name) { calls.push_back("open " + name); };
  MemoHookTable.CloseMemo = [&] { calls.push_back("close"); };
  DbfImage image(0x83);
  image.Field("ENTRY", 'C', 5).Field("NOTES", 'M', 10).Record("ABCDE         1");
  const std::string path = Write("memo.dbf", image.Bytes());
  Use(path, nullptr, 0);
  CloseArea();
  EXPECT_EQ(calls, (std::vector<std::string>{"open " + temp.path() + "/memo", "close"}));

  // A memo file that cannot be opened closes the table again.
  QuietErrors();
  calls.clear();
  MemoHookTable.OpenMemo = [&](const std::string&) { SetError(2, "memo store's own message"); };
  Use(path, nullptr, 0);
  EXPECT_EQ(ErrorCode, 2);
  EXPECT_EQ(LastErrorMessage, "Problem opening memo file [USE(" + path + ",<@Buffer>,0)]");
  EXPECT_EQ(WorkArea(1), nullptr);
  EXPECT_EQ(calls, std::vector<std::string>{"close"});
}

TEST_F(AreasTest, WithoutAMemoStoreAMemoTableStillOpens) {
  MemoHookTable = {};
  DbfImage image(0x83);
  image.Field("NOTES", 'M', 10).Record("         7");
  Use(Write("memo.dbf", image.Bytes()), nullptr, 0);
  EXPECT_EQ(Text("NOTES"), "7");
}

TEST_F(AreasTest, ShutDownClosesTheLibrarysOwnAreasToo) {
  const std::string path = Write("people.dbf", People(1).Bytes());
  for (std::uint8_t n : {1, 34, 35}) {
    CurrentWorkArea = n;
    Use(path + " ALIAS A" + std::to_string(n), nullptr, 0);
    ASSERT_NE(WorkArea(n), nullptr);
  }
  const int open = OpenDescriptors();
  Dbf4Done();
  for (std::uint8_t n : {1, 34, 35}) EXPECT_EQ(WorkArea(n), nullptr);
  EXPECT_EQ(OpenDescriptors(), open - 3);
  Dbf4Init();
}

TEST_F(AreasTest, ClosingATableThatGrewWritesItsHeader) {
  const std::string path = UsePeople(2, {}, " EXCLUSIVE");
  GoBottom();
  Append();
  CloseArea();
  const std::string bytes = Contents(path);
  EXPECT_EQ(static_cast<unsigned char>(bytes[4]), 3) << "the header counts the new record";
  EXPECT_EQ(bytes.size(), 129u + 3 * 13 + 1);
  EXPECT_EQ(bytes.back(), '\x1A');
}

TEST_F(AreasTest, TheFatalExitClosesEveryAreaFirst) {
  const std::string path = UsePeople(2, {}, " EXCLUSIVE");
  Append();  // counted in the header only when the table is closed
  EXPECT_EXIT(
      {
        SetRaiseErrors(false);
        FatalExit.ShowBox = [](const std::string&, const std::string&, unsigned) {};
        SetError(101, "disk full");
      },
      ::testing::ExitedWithCode(101), "");
  EXPECT_EQ(static_cast<unsigned char>(Contents(path)[4]), 3) << "the dying process wrote the header";
}

// An exit of the program's own that returns keeps it running: the operation that failed goes on
// with its area, so the areas stay open.
TEST_F(AreasTest, AnExitThatReturnsLeavesTheAreasOpen) {
  const std::string path = UsePeople(3);
  std::filesystem::resize_file(path, 129 + 2 * 13 + 5);  // record 3 cut short
  SetRaiseErrors(false);
  std::vector<std::uint16_t> exits;
  FatalExit.ShowBox = [](const std::string&, const std::string&, unsigned) {};
  FatalExit.Terminate = [&exits](int status) { exits.push_back(static_cast<std::uint16_t>(status)); };
  Go(2);
  Skip(1);
  EXPECT_EQ(exits, std::vector<std::uint16_t>{213});
  ASSERT_NE(WorkArea(1), nullptr);
  EXPECT_EQ(RecNo(), 2u) << "the failed read left the record where it was";
  Go(1);
  EXPECT_EQ(Text("NAME"), "A");
}

}  // namespace
}  // namespace xbase
