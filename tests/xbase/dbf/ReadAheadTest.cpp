// Record reads of tables no other program changes come from blocks of records read ahead: the
// walks, the writes in between and the failures must look exactly as on a shared table, which
// reads each record from the file.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/xbase/workarea/WorkAreaTest.h"
#include "xbase/core/ovcommon.h"

namespace xbase {
namespace {

// The read calls this process has made so far.
long ReadCalls() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long value = 0;
  while (io >> key >> value) {
    if (key == "syscr:") return value;
  }
  return -1;
}

// NAME C(6), AGE N(4,0): 11-byte records, named R1, R2, ...; every seventh deleted.
constexpr std::uint16_t kRecordLength = 11;

DbfImage Numbered(int count) {
  DbfImage image;
  image.Field("NAME", 'C', 6).Field("AGE", 'N', 4);
  for (int n = 1; n <= count; ++n) {
    std::string name = "R" + std::to_string(n);
    std::string age = std::to_string(n);
    image.Record(name + std::string(6 - name.size(), ' ') + std::string(4 - age.size(), ' ') + age,
                 n % 7 == 0);
  }
  return image;
}

class ReadAheadTest : public WorkAreaTest {
 protected:
  void SetUp() override {
    WorkAreaTest::SetUp();
    QuietErrors();
    ReadAheadSize = 5 * kRecordLength;  // blocks of five records: many refills
  }

  // Writes the table afresh and opens it in the current area, exclusively or shared.
  std::string UseTable(const DbfImage& image, bool exclusive) {
    const std::string path = Write("numbered.dbf", image.Bytes());
    Use(path + (exclusive ? " EXCLUSIVE" : ""), nullptr, 0);
    EXPECT_EQ(ErrorCode, 0);
    return path;
  }
};

constexpr std::uint64_t kHeaderLength = 32 + 2 * 32 + 1;

// The deleted flag of the typed record.
bool Deleted() { return WorkArea(CurrentArea())->TypedBuffer[0] != 0; }

// Where the area stands, with what it read.
std::string State() {
  std::ostringstream out;
  out << RecNo() << (dBOF() ? " BOF" : "") << (dEOF() ? " EOF" : "") << " del " << Deleted()
      << " '" << WorkAreaTest::Text("NAME") << "' " << WorkAreaTest::Text("AGE");
  return out.str();
}

// Makes a move and notes the state after it with the move's error, which it returns.
int Step(std::vector<std::string>& states, const std::function<void()>& move) {
  ErrorCode = 0;
  move();
  const int error = ErrorCode;
  states.push_back(State() + " error " + std::to_string(error));
  return error;
}

// The states after each move of a walk.
using Walk = std::function<void(std::vector<std::string>& states)>;

TEST_F(ReadAheadTest, WalksReadTheSameRecordsAsOnASharedTable) {
  constexpr int kCount = 23;
  struct Case {
    const char* what;
    bool hideDeleted;
    Walk walk;
  };
  const std::vector<Case> cases = {
      {"forward to the end and past it", false,
       [](auto& s) {
         Step(s, [] { GoTop(); });
         while (!dEOF()) Step(s, [] { Skip(1); });
         Step(s, [] { Skip(1); });
       }},
      {"backward to the start and past it", false,
       [](auto& s) {
         Step(s, [] { GoBottom(); });
         while (!dBOF()) Step(s, [] { Skip(-1); });
         Step(s, [] { Skip(-1); });
       }},
      {"forward and backward, deleted records hidden", true,
       [](auto& s) {
         Step(s, [] { GoTop(); });
         while (!dEOF()) Step(s, [] { Skip(1); });
         while (!dBOF()) Step(s, [] { Skip(-1); });
       }},
      {"steps of several records both ways", true,
       [](auto& s) {
         Step(s, [] { GoTop(); });
         for (int k = 0; k < 6; ++k) {
           Step(s, [] { Skip(4); });
           Step(s, [] { Skip(-3); });
           Step(s, [] { Skip(0); });
         }
       }},
      {"random moves, also to records that do not exist", false,
       [](auto& s) {
         std::mt19937 random(7);
         std::uniform_int_distribution<int> pick(-1, kCount + 2);
         for (int k = 0; k < 60; ++k) {
           const int n = pick(random);
           Step(s, [n] { Go(n); });
           if (k % 3 == 0) Step(s, [k] { Skip(k % 2 ? 1 : -1); });
         }
       }},
  };
  for (const Case& c : cases) {
    std::vector<std::string> shared, exclusive;
    UseTable(Numbered(kCount), false);
    SetIgnoreDel(c.hideDeleted);
    c.walk(shared);
    CloseArea();
    UseTable(Numbered(kCount), true);
    SetIgnoreDel(c.hideDeleted);
    c.walk(exclusive);
    CloseArea();
    EXPECT_EQ(exclusive, shared) << c.what;
    EXPECT_GT(shared.size(), 10u) << c.what;
  }
}

TEST_F(ReadAheadTest, AWriteDuringAWalkIsReadBackInEitherDirection) {
  for (const bool exclusive : {false, true}) {
    SCOPED_TRACE(exclusive ? "exclusive" : "shared");
    UseTable(Numbered(20), exclusive);
    const auto write = [exclusive](int n, const std::function<void()>& change) {
      Go(n);
      if (!exclusive) RLock();
      change();
      EXPECT_EQ(ErrorCode, 0);
      if (!exclusive) Unlock();
    };

    // Forward: the block holds records 2 to 6 when they are written.
    GoTop();
    Skip(1);
    write(4, [] { Set("NAME", "F\xF6" "ur"); Replace(); });  // OEM on disk, ANSI in memory
    write(5, [] { DeleteRec(); });
    write(3, [] { Poke("P", 1, 3); });
    Go(2);
    Skip(1);
    EXPECT_EQ(Text("NAME"), "P3");
    Skip(1);
    EXPECT_EQ(Text("NAME"), "F\xF6" "ur");
    Skip(1);
    EXPECT_TRUE(Deleted());

    // Backward: the block holds records 10 to 14 when they are written.
    GoBottom();
    for (int k = 0; k < 6; ++k) Skip(-1);
    write(14, [] { RecallRec(); });  // deleted until now
    write(12, [] { Set("AGE", "99"); Replace(); });
    Go(15);
    Skip(-1);
    EXPECT_EQ(RecNo(), 14u);
    EXPECT_FALSE(Deleted());
    Skip(-2);
    EXPECT_EQ(Text("AGE"), "99");

    // Records appended while the block holds the last ones.
    Go(20);
    Skip(-1);
    if (!exclusive) ALock();
    Set("NAME", "NEW");
    Append();
    Append();
    if (!exclusive) Unlock();
    Go(19);
    Skip(1);
    Skip(1);
    EXPECT_EQ(RecNo(), 21u);
    EXPECT_EQ(Text("NAME"), "NEW");
    Skip(2);
    EXPECT_TRUE(dEOF());
    GoBottom();
    EXPECT_EQ(RecNo(), 22u);
    CloseArea();
  }
}

TEST_F(ReadAheadTest, ATableCutShortUnderAWalkEndsItWithTheSameError) {
  struct Cut {
    const char* what;
    std::uintmax_t size;  // of the file once cut
  };
  for (const Cut& cut : {Cut{"inside record 13", kHeaderLength + 12 * kRecordLength + 4},
                         Cut{"after record 12", kHeaderLength + 12 * kRecordLength}}) {
    std::vector<std::string> states[2];
    for (const bool exclusive : {false, true}) {
      const std::string path = UseTable(Numbered(20), exclusive);
      auto& s = states[exclusive];
      Step(s, [] { GoTop(); });
      Step(s, [] { Skip(1); });  // the block: records 2 to 6
      std::filesystem::resize_file(path, cut.size);
      while (Step(s, [] { Skip(1); }) == 0 && !dEOF()) {
      }
      s.push_back(LastErrorMessage);
      CloseArea();
    }
    EXPECT_EQ(states[1], states[0]) << cut.what;
    EXPECT_EQ(states[0].end()[-2], "12 del 0 'R12' 12 error 213") << cut.what;
  }
}

TEST_F(ReadAheadTest, NoRecordComesFromBeyondTheCount) {
  // The header counts 9 records, the end byte follows the ninth, and bytes as long as three
  // more records lie beyond it: a block read from record 1 on holds them, and an exclusive open
  // must not give them as records.
  DbfImage image = Numbered(12);
  image.count = 9;
  ReadAheadSize = 64 * 1024;
  std::string bytes = image.Bytes();
  bytes[kHeaderLength + 9 * kRecordLength] = '\x1A';
  Write("numbered.dbf", bytes);
  Use(At("numbered.dbf") + " EXCLUSIVE", nullptr, 0);
  std::vector<std::string> states;
  Step(states, [] { GoTop(); });
  while (!dEOF()) Step(states, [] { Skip(1); });
  EXPECT_EQ(states.size(), 10u);
  EXPECT_EQ(states.back(), "10 EOF del 0 '' 0 error 0");
  Step(states, [] { Go(10); });
  EXPECT_EQ(states.back(), "10 EOF del 0 '' 0 error 212");
  Step(states, [] { GoBottom(); });
  EXPECT_EQ(states.back(), "9 del 0 'R9' 9 error 0");
}

TEST_F(ReadAheadTest, OnlyTablesNoOtherProgramChangesAreReadAhead) {
  struct Case {
    const char* what;
    std::uint16_t mode;
    bool networkLocking;
    bool readAhead;
  };
  const Case cases[] = {
      {"exclusive", OpenModeExclusive, true, true},
      {"shared", OpenModeShared, true, false},
      {"shared, opened without network locking", OpenModeShared, false, true},
  };
  ReadAheadSize = 100 * kRecordLength;  // four blocks a walk
  const std::string path = Write("numbered.dbf", Numbered(400).Bytes());
  for (const Case& c : cases) {
    NetworkLocking = c.networkLocking;
    DbfTable table;
    Open(table, path, c.mode);
    NetworkLocking = true;  // counts as at the open
    for (const bool forward : {true, false}) {
      const long before = ReadCalls();
      for (std::uint32_t k = 1; k <= 400; ++k) GetDbfRecord(table, forward ? k : 401 - k);
      const long calls = ReadCalls() - before;
      if (c.readAhead)
        EXPECT_LT(calls, 10) << c.what << (forward ? ", forward" : ", backward");
      else
        EXPECT_GE(calls, 400) << c.what << (forward ? ", forward" : ", backward");
    }
    CloseDbf(table);
  }
}

TEST_F(ReadAheadTest, ATableThatBecomesSharedReadsWhatOthersWrote) {
  const std::string path = UseTable(Numbered(20), false);
  ASSERT_EQ(ReopenDbf(true), 0);
  GoTop();
  Skip(1);  // the block: records 2 to 6
  ASSERT_EQ(ReopenDbf(false), 0);
  std::fstream other(path, std::ios::in | std::ios::out | std::ios::binary);
  other.seekp(kHeaderLength + 2 * kRecordLength + 1).write("OTHER ", 6);
  other.close();
  Go(3);
  EXPECT_EQ(Text("NAME"), "OTHER");
  ASSERT_EQ(ReopenDbf(true), 0);
  Go(4);
  Skip(-1);
  EXPECT_EQ(Text("NAME"), "OTHER");
}

}  // namespace
}  // namespace xbase
