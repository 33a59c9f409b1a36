// Record reads of tables no other program changes come from blocks of records read ahead and
// from the records kept once read: the walks, the random moves, the writes in between and the
// failures must look exactly as on a shared table, which reads each record from the file.

#include <gtest/gtest.h>

#include <algorithm>
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

// The writes among the states.
int RecordsWritten(const std::vector<std::string>& states) {
  return static_cast<int>(std::count_if(states.begin(), states.end(), [](const std::string& state) {
    return state.find(" after ") != std::string::npos && state.find("error 0") != std::string::npos;
  }));
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
  // Read ahead only (as a table too large for the record cache is), and kept as well.
  for (const std::uint32_t cacheSize : {0u, 1024u * kRecordLength}) {
    RecordCacheSize = cacheSize;
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
      EXPECT_EQ(exclusive, shared) << c.what << ", record cache " << cacheSize;
      EXPECT_GT(shared.size(), 10u) << c.what;
    }
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
  RecordCacheSize = 0;                  // each walk reads its blocks
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

// Writes an "other program's" bytes into the file at offset.
void WriteAsAnotherProgram(const std::string& path, std::uint64_t offset, const std::string& bytes) {
  std::fstream other(path, std::ios::in | std::ios::out | std::ios::binary);
  other.seekp(static_cast<std::streamoff>(offset))
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST_F(ReadAheadTest, RandomMovesAmongThisProgramsWritesReadWhatWasWritten) {
  // Every record read is kept (the table is far smaller than the record cache): each write of
  // this program must reach the copy kept, or a later Go reads the old bytes.
  struct Write {
    const char* what;
    std::function<void(int n)> write;
    bool appends;
  };
  const std::vector<Write> writes = {
      {"Replace", [](int n) { Set("NAME", "W" + std::to_string(n)); Replace(); }, false},
      {"Replace in OEM", [](int) { Set("NAME", "\xC4\xF6"); Replace(); }, false},
      {"DeleteRec", [](int) { DeleteRec(); }, false},
      {"RecallRec", [](int) { RecallRec(); }, false},
      {"Poke", [](int n) { Poke("P" + std::to_string(n), 1, n); }, false},
      {"Append", [](int n) { Set("AGE", std::to_string(n)); Append(); }, true},
  };
  const auto run = [&](bool exclusive, std::vector<std::string>& s) {
    const std::string path = UseTable(Numbered(20), exclusive);
    std::mt19937 random(11);
    for (int k = 0; k < 300; ++k) {
      const int count = static_cast<int>(RecCount());
      const int n = std::uniform_int_distribution<int>(1, count)(random);
      switch (std::uniform_int_distribution<int>(0, 3)(random)) {
        case 0:
          Step(s, [n] { Go(n - 1); });  // also record 0
          break;
        case 1:
          Step(s, [k] { Skip(k % 2 ? 1 : -1); });
          break;
        default: {
          std::uniform_int_distribution<std::size_t> pickWrite(0, writes.size() - 1);
          const Write& w = writes[pickWrite(random)];
          Go(n);
          if (!exclusive) w.appends ? ALock() : RLock();
          Step(s, [&w, n] { w.write(n); });
          s.back() += std::string(" after ") + w.what;
          if (!exclusive) Unlock();
          Step(s, [n] { Go(n); });
          Step(s, [count] { Go(count + 1); });
        }
      }
    }
    CloseArea();
    return Contents(path);
  };
  std::vector<std::string> shared, exclusive;
  const std::string sharedFile = run(false, shared);
  const std::string exclusiveFile = run(true, exclusive);
  EXPECT_EQ(exclusive, shared);
  EXPECT_EQ(exclusiveFile, sharedFile);
  EXPECT_GT(RecordsWritten(shared), 20);
}

TEST_F(ReadAheadTest, ACutFileGivesTheSameErrorOnEveryRecordNotReadBefore) {
  // Records 2 to 6 are read before the file is cut inside record 13 (a walk from record 1 reads
  // them ahead), and record 9 afterwards.
  struct Case {
    const char* what;
    std::function<void()> move;
    int error;
  };
  const std::vector<Case> cases = {
      {"read before, whole after the cut", [] { Go(4); }, 0},
      {"not read before, whole after the cut", [] { Go(9); }, 0},
      {"read after the cut", [] { Go(9); }, 0},
      {"cut inside", [] { Go(13); }, 213},
      {"past the cut", [] { Go(17); }, 213},
      {"a walk onto the cut record", [] { Go(12); Skip(1); }, 213},
  };
  std::vector<std::string> states[2];
  for (const bool exclusive : {false, true}) {
    const std::string path = UseTable(Numbered(20), exclusive);
    Go(2);
    Go(6);
    std::filesystem::resize_file(path, kHeaderLength + 12 * kRecordLength + 4);
    for (const Case& c : cases) {
      EXPECT_EQ(Step(states[exclusive], c.move), c.error)
          << c.what << (exclusive ? ", exclusive" : ", shared");
      states[exclusive].back() += std::string(" ") + c.what;
    }
    CloseArea();
  }
  EXPECT_EQ(states[1], states[0]);
}

TEST_F(ReadAheadTest, KeptRecordsGoWhenAnotherProgramMayHaveWritten) {
  // Record 15 is read and kept; then another program may write, and does: the next read of
  // record 15 gives its bytes.
  const std::string other = "OTHER ";
  struct Case {
    const char* what;
    std::function<void(const std::string& path)> open;
    std::function<void()> othersMayWrite;
    std::function<void()> afterwards;
  };
  const std::vector<Case> cases = {
      {"the table becomes shared, then exclusive again",
       [](const std::string& path) {
         Use(path, nullptr, 0);
         ASSERT_EQ(ReopenDbf(true), 0);
       },
       [] { ASSERT_EQ(ReopenDbf(false), 0); },
       [] { ASSERT_EQ(ReopenDbf(true), 0); }},
      {"network locking off, and another program appends",
       [](const std::string& path) {
         Use(path, nullptr, 0);
         NetworkLocking = false;
         ASSERT_EQ(ReopenDbf(false), 0);  // shared, but held alone without network locking
       },
       [] {},
       [] { Go(21); }},  // the count read again has moved
  };
  for (const Case& c : cases) {
    const std::string path = Write("numbered.dbf", Numbered(20).Bytes());
    c.open(path);
    Go(15);
    ASSERT_EQ(Text("NAME"), "R15") << c.what;
    c.othersMayWrite();
    WriteAsAnotherProgram(path, kHeaderLength + 14 * kRecordLength + 1, other);
    WriteAsAnotherProgram(path, kHeaderLength + 20 * kRecordLength, " R21     21\x1A");
    c.afterwards();
    Go(15);
    EXPECT_EQ(Text("NAME"), "OTHER") << c.what;
    CloseArea();
    NetworkLocking = true;
  }
}

TEST_F(ReadAheadTest, OnlyATableTheRecordCacheHoldsIsKept) {
  struct Case {
    const char* what;
    int cacheRecords;  // RecordCacheSize in records
    int appended;      // after the first reading
    bool kept;
  };
  const Case cases[] = {
      {"a table the cache holds", 64, 0, true},
      {"a table of the cache's size", 40, 0, true},
      {"a table one record larger", 39, 0, false},
      {"a table that grows within the cache", 64, 10, true},
      {"a table that grows past the cache", 48, 10, false},
      {"no cache", 0, 0, false},
  };
  for (const Case& c : cases) {
    RecordCacheSize = static_cast<std::uint32_t>(c.cacheRecords * kRecordLength);
    UseTable(Numbered(40), true);
    // Strides of 7 records: never next to the record before, so nothing is read ahead.
    const auto readAll = [] {
      const int count = static_cast<int>(RecCount());
      for (int k = 0; k < count; ++k) Go(k * 7 % count + 1);
    };
    readAll();
    for (int k = 0; k < c.appended; ++k) Append();
    readAll();
    const long before = ReadCalls();
    readAll();
    const long calls = ReadCalls() - before;
    if (c.kept)
      EXPECT_LE(calls, 1) << c.what;  // the read of /proc/self/io itself
    else
      EXPECT_GE(calls, 40 + c.appended) << c.what;
    CloseArea();
  }
}

}  // namespace
}  // namespace xbase
