// The bulk build: the shape of the trees it writes, the order of equal keys, UNIQUE and
// DESCENDING, progress calls, the temporary file, and the same file whatever memory it has.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "tests/xbase/ExternalTool.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/xbase/index/IndexTest.h"
#include "xbase/index/ovndxBuild.h"

namespace xbase {
namespace {

class BuildTest : public IndexTest {
 protected:
  void SetUp() override {
    IndexTest::SetUp();
    // The build's temporary files go to a folder of the test's own, to be counted.
    tempFolder_ = At("tmp");
    std::filesystem::create_directories(tempFolder_);
    const char* old = std::getenv("TMPDIR");
    savedTmp_ = old != nullptr ? old : "";
    setenv("TMPDIR", tempFolder_.c_str(), 1);
  }
  void TearDown() override {
    if (savedTmp_.empty())
      unsetenv("TMPDIR");
    else
      setenv("TMPDIR", savedTmp_.c_str(), 1);
  }

  std::size_t TemporaryFiles() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(tempFolder_), {}));
  }

  // A table of `count` records with KEY C(length) holding keys that repeat, and NUM N(8,2).
  std::string Table(const std::string& name, int count, std::uint8_t length = 8, unsigned seed = 1) {
    DbfImage image;
    image.Field("KEY", 'C', length).Field("NUM", 'N', 8, 2);
    std::mt19937 random(seed);
    for (int i = 0; i < count; ++i) {
      std::string key = "K" + std::to_string(random() % (count / 3 + 1));
      key.resize(length, ' ');
      char text[16];
      std::snprintf(text, sizeof text, "%8.2f", (static_cast<int>(random() % 200000) - 100000) / 100.0);
      image.Record(key + text);
    }
    const std::string path = Write(name, image.Bytes());
    Use(path + " EXCLUSIVE", nullptr, 0);
    return path;
  }

  static std::string Build(const std::string& name, const std::string& expression, bool unique = false) {
    MakeIndex(name, expression, false, 0, unique, false, nullptr, 0);
    return DefaultExtension(name, "NDX");
  }

  std::string tempFolder_;
  std::string savedTmp_;
};

TEST_F(BuildTest, TreeShapes) {
  // C(8): 16-byte entries, 31 keys a node.
  struct Case {
    int records;
    std::uint32_t root, nextFree;
  };
  for (const Case& c : std::vector<Case>{{0, 1, 2}, {1, 1, 2}, {31, 1, 2}, {32, 3, 4}, {62, 3, 4}, {63, 4, 5}}) {
    SCOPED_TRACE(c.records);
    Table("t" + std::to_string(c.records) + ".dbf", c.records);
    const std::string index = At(Build("t" + std::to_string(c.records), "KEY"));
    const testing::NdxTree tree = testing::ReadNdxTree(index);
    EXPECT_EQ(tree.fault, "");
    EXPECT_EQ(tree.root, c.root);
    EXPECT_EQ(tree.nextFree, c.nextFree);
    EXPECT_EQ(std::filesystem::file_size(index), c.nextFree * 512u);
    EXPECT_EQ(tree.entries.size(), static_cast<std::size_t>(c.records));
    CloseArea();
  }
}

TEST_F(BuildTest, EqualKeysByRecordNumberAndUniqueKeepsTheLowest) {
  CreateTable("t.dbf", {{"KEY", 'C', 4}});
  for (const char* key : {"B", "A", "B", "A", "B"}) AppendWith({{"KEY", key}});
  EXPECT_EQ(Records(testing::ReadNdxTree(At(Build("all", "KEY")))), (std::vector<std::uint32_t>{2, 4, 1, 3, 5}));
  EXPECT_EQ(Records(testing::ReadNdxTree(At(Build("one", "KEY", true)))), (std::vector<std::uint32_t>{2, 1}));
}

TEST_F(BuildTest, DescendingKeyMakerSortsBackwards) {
  CreateTable("t.dbf", {{"KEY", 'C', 4}});
  for (const char* key : {"B", "D", "A", "C"}) AppendWith({{"KEY", key}});
  IndexOnKeyMaker("made DESCENDING",
                  [](std::uint32_t, std::uint8_t, std::string& key) { key = TypedFieldText(FieldNo("KEY")); }, 0);
  EXPECT_EQ(Records(testing::ReadNdxTree(At("made.NDX"))), (std::vector<std::uint32_t>{2, 4, 1, 3}));
  EXPECT_EQ(Walk("KEY"), (std::vector<std::string>{"D", "C", "B", "A"}));
}

TEST_F(BuildTest, ProgressIsCalledStepsTimes) {
  for (const int records : {0, 1, 99, 100, 12345}) {
    SCOPED_TRACE(records);
    Table("p" + std::to_string(records) + ".dbf", records);
    int calls = 0;
    SetIndexProgress([&] { ++calls; }, 100);
    Build("p" + std::to_string(records), "KEY");
    EXPECT_EQ(calls, 100);
    SetIndexProgress(nullptr, 0);
    CloseArea();
  }
}

TEST_F(BuildTest, TheSameFileWhateverTheMemory) {
  const std::vector<std::string> expressions = {"KEY", "NUM", "KEY+STR(NUM,8,2)"};
  Table("t.dbf", 20000, 8);
  for (const std::string& expression : expressions) {
    for (const bool unique : {false, true}) {
      SCOPED_TRACE(expression + (unique ? " UNIQUE" : ""));
      IndexBuildFreeMemory = nullptr;
      const std::string ample = Contents(At(Build("ample", expression, unique)));
      // A few hundred entries a run, read back a few at a time.
      IndexBuildFreeMemory = [] { return std::int64_t{12000}; };
      const std::string tight = Contents(At(Build("tight", expression, unique)));
      EXPECT_EQ(tight, ample);
      EXPECT_EQ(testing::ReadNdxTree(At("tight.NDX")).fault, "");
    }
  }
  IndexBuildFreeMemory = nullptr;
  EXPECT_EQ(TemporaryFiles(), 0u);
}

TEST_F(BuildTest, EveryShortageOfMemoryIs217) {
  Table("t.dbf", 3000, 8);
  struct Case {
    std::string name;
    std::function<std::int64_t()> source;
    std::string message;
  };
  int calls = 0;
  const std::vector<Case> cases = {
      {"stack", [] { return std::int64_t{1000}; }, " for allocating reindex stack [MakeIndex]"},
      {"additional", [] { return std::int64_t{4000}; }, "Additional "},
      // Free memory that vanishes once the plan is made.
      {"buffer", [&] { return ++calls <= 2 ? std::int64_t{1} << 30 : std::int64_t{2000}; },
       " to allocate RW buffer [MakeIndex]"},
      {"pointers", [&] { return ++calls <= 3 ? std::int64_t{1} << 30 : std::int64_t{66000}; },
       " to allocate at least 256 s_ptrs [MakeIndex]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    calls = 0;
    IndexBuildFreeMemory = c.source;
    QuietErrors();
    MakeIndex("m", "KEY", false, 0, false, false, nullptr, 0);
    EXPECT_EQ(ErrorCode, 217);
    EXPECT_EQ(LastErrorMessage.rfind(c.message, 0), 0u) << LastErrorMessage;
    EXPECT_FALSE(std::filesystem::exists(At("m.NDX")));
  }
  IndexBuildFreeMemory = nullptr;
  EXPECT_EQ(TemporaryFiles(), 0u);
}

TEST_F(BuildTest, ARecordLongerThanHalfTheBufferIs217) {
  CreateTable("wide.dbf", {{"A", 'C', 250}, {"B", 'C', 250}, {"C", 'C', 250}});
  AppendWith({{"A", "x"}});
  IndexBuildFreeMemory = [] { return std::int64_t{3500}; };
  QuietErrors();
  MakeIndex("w", "LEFT(A,4)", false, 0, false, false, nullptr, 0);
  EXPECT_EQ(ErrorCode, 217);
  EXPECT_EQ(LastErrorMessage, " to read a record of 751 bytes [MakeIndex] [MakeIndex(<...>,w)]");
}

TEST_F(BuildTest, AFailedBuildLeavesNoFiles) {
  Table("t.dbf", 20000, 8);
  IndexBuildFreeMemory = [] { return std::int64_t{12000}; };
  int keys = 0;
  QuietErrors();
  MakeIndex("f", "", false, 0, false, false,
            [&](std::uint32_t, std::uint8_t, std::string& key) {
              key = "KEY";
              if (++keys == 15000) SetError(999, "key maker failed");
            },
            0);
  EXPECT_EQ(ErrorCode, 999);
  EXPECT_EQ(TemporaryFiles(), 0u);
  EXPECT_FALSE(std::filesystem::exists(At("f.NDX")));
}

// The new file is built beside the old one: a rebuild that fails leaves the old file, and the
// order it was open in, as they were.
TEST_F(BuildTest, AFailedRebuildKeepsTheIndexAndItsOrder) {
  Table("t.dbf", 3000, 8);
  IndexOnExpr("KEY", "r");
  ASSERT_EQ(ErrorCode, 0);
  const std::string before = Contents(At("r.NDX"));
  const auto expectKept = [&](std::uint16_t code) {
    EXPECT_EQ(ErrorCode, code) << LastErrorMessage;
    EXPECT_EQ(Contents(At("r.NDX")), before);
    ASSERT_NE(OrderInSlot(1), nullptr) << "the order stays open";
    EXPECT_EQ(OrderInSlot(1)->KeyText, "KEY");
    Find(Text("KEY"));
    EXPECT_EQ(IndexFound, 1);
    std::size_t besideIt = 0;
    for (const auto& entry : std::filesystem::directory_iterator(temp.path()))
      besideIt += entry.path().filename().string().rfind("r.NDX.", 0) == 0;
    EXPECT_EQ(besideIt, 0u) << "no half-built file is left";
  };
  QuietErrors();
  IndexBuildFreeMemory = [] { return std::int64_t{1000}; };
  Reindex();
  expectKept(217);
  IndexOnExpr("NUM", "r");
  expectKept(217);
  IndexBuildFreeMemory = nullptr;
  {
    // The disk fills up part of the way through the new file.
    const testing_support::FileSizeLimit limit(before.size() / 2);
    Reindex();
  }
  expectKept(101);
}

TEST_F(BuildTest, OtherProgramsReadBuiltFiles) {
  struct Kind {
    char type;
    std::uint8_t length;
  };
  const bool perl = HasPerlXBase();
  for (const int records : {0, 31, 32, 2500}) {
    for (const Kind& kind : std::vector<Kind>{{'C', 8}, {'C', 12}, {'C', 24}, {'C', 100}, {'N', 10}, {'D', 8}}) {
      const std::string name = std::string(1, kind.type) + std::to_string(kind.length) + "_" + std::to_string(records);
      SCOPED_TRACE(name);
      DbfImage image;
      image.Field("KEY", kind.type, kind.length);
      std::mt19937 random(records);
      for (int i = 0; i < records; ++i) {
        const int n = static_cast<int>(random() % 700);
        std::string value = kind.type == 'N'   ? std::to_string(n - 350)
                            : kind.type == 'D' ? std::to_string(19000101 + n % 12 * 100 + n % 28)
                                               : "K" + std::to_string(n);
        value = kind.type == 'N' ? std::string(kind.length - value.size(), ' ') + value : value + std::string(kind.length - value.size(), ' ');
        image.Record(value);
      }
      const std::string table = Write(name + ".dbf", image.Bytes());
      Use(table + " EXCLUSIVE", nullptr, 0);
      const std::string index = At(Build(name, "KEY"));
      const testing::NdxTree tree = testing::ReadNdxTree(index);
      EXPECT_EQ(tree.fault, "");
      EXPECT_EQ(tree.entries.size(), static_cast<std::size_t>(records));
      if (perl) {
        const ToolResult dump = RunTool("index_dump " + index + " ''");
        EXPECT_EQ(dump.status, 0) << dump.output;
        EXPECT_EQ(static_cast<std::size_t>(std::count(dump.output.begin(), dump.output.end(), '\n')),
                  static_cast<std::size_t>(records));
      }
#ifdef XBASE64_LONGFIX_LIBRARY
      // xbase64's own limits: the key lengths it reads right.
      const bool xbase64Reads = kind.type == 'N' || (kind.type == 'C' && (kind.length == 8 || kind.length == 24));
      if (xbase64Reads && records > 0) {
        const ToolResult check =
            RunTool(std::string("LD_PRELOAD=") + XBASE64_LONGFIX_LIBRARY + " checkndx " + table + " " + index);
        EXPECT_NE(check.output.find("Ndx integrity check = 0"), std::string::npos) << check.output;
      }
#endif
      CloseArea();
    }
  }
}

#ifdef XBASE64_LONGFIX_LIBRARY
TEST_F(BuildTest, TheEngineSeeksANumericIndexThatXbase64Rebuilt) {
  if (!HasProgram("/usr/bin/reindex")) GTEST_SKIP() << "xbase64's reindex is not installed";
  const std::string table = Table("n.dbf", 3000);
  const std::string ours = At(Build("n", "NUM"));
  CloseArea();
  std::filesystem::copy_file(ours, At("copy.ndx"));
  const ToolResult result =
      RunTool(std::string("LD_PRELOAD=") + XBASE64_LONGFIX_LIBRARY + " reindex " + table + " " + At("copy.ndx"));
  ASSERT_EQ(result.status, 0) << result.output;
  // xbase64 leaves bytes of its own after the entries of a node: read through the engine.
  const testing::NdxTree built = testing::ReadNdxTree(ours);
  Use(table + " EXCLUSIVE", nullptr, 0);
  ASSERT_TRUE(SetIndexToOrder("copy", 1));
  std::vector<double> walked;
  for (GoTop(); !dEOF(); Skip(1)) walked.push_back(std::stod(AllTrim(TypedFieldText(FieldNo("NUM")))));
  ASSERT_EQ(walked.size(), built.entries.size());
  for (std::size_t i = 0; i < walked.size(); ++i) EXPECT_DOUBLE_EQ(walked[i], built.entries[i].Number()) << i;
  for (std::size_t i = 0; i < built.entries.size(); i += 97) {
    const double number = built.entries[i].Number();
    Find(StrFloat(number, 8, 2));
    ASSERT_EQ(IndexFound, 1) << number;
    EXPECT_DOUBLE_EQ(std::stod(AllTrim(TypedFieldText(FieldNo("NUM")))), number);
  }
}
#endif

}  // namespace
}  // namespace xbase
