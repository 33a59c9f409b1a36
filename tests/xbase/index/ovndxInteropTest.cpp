// Index files against independent programs: Perl's XBase::Index (index_dump) and xbase64's
// checkndx read the files grown here, and the engine walks and seeks files made by xbase64.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

#include "tests/xbase/ExternalTool.h"
#include "tests/xbase/index/IndexTest.h"

namespace xbase {
namespace {

using InteropTest = IndexTest;

struct Dumped {
  std::string key;
  std::uint32_t record;
};

// index_dump's lines: the key, a blank, the record number.
std::vector<Dumped> PerlDump(const std::string& path) {
  const ToolResult result = RunTool("index_dump " + path + " ''");
  EXPECT_EQ(result.status, 0) << result.output;
  std::vector<Dumped> lines;
  std::istringstream in(result.output);
  for (std::string line; std::getline(in, line);) {
    const std::size_t blank = line.rfind(' ');
    if (blank == std::string::npos) continue;
    lines.push_back({line.substr(0, blank), static_cast<std::uint32_t>(std::stoul(line.substr(blank + 1)))});
  }
  return lines;
}

// The first field of the current record as stored.
std::string CurrentKey() {
  const WorkAreaRecord& table = *WorkArea(CurrentWorkArea);
  const FieldEntry& field = table.FieldTable[0];
  return std::string(reinterpret_cast<const char*>(table.RecordBuffer.data()) + field.Offset, field.Length);
}

// The controlling order walked from GoTop: each record's number and its first field.
std::vector<Dumped> EngineWalk() {
  std::vector<Dumped> walked;
  for (GoTop(); !dEOF(); Skip(1)) walked.push_back({CurrentKey(), RecNo()});
  return walked;
}

// The key as index_dump shows it: C keys as they are, N keys as numbers, D keys as day numbers.
bool SameKey(char type, const std::string& perl, const std::string& field) {
  if (type == 'C') return RTrimStr(perl) == RTrimStr(field);
  const double value = type == 'D' ? DbfDateToJulian(field) : std::stod(std::string(AllTrimView(field)));
  return std::fabs(std::stod(perl) - value) < 1e-9;
}

struct Kind {
  char type;
  std::uint8_t length;  // of the field; the key is as long, or 8 for numbers and dates
  std::uint8_t decimals;
};

std::string KindName(const Kind& kind) { return std::string(1, kind.type) + std::to_string(kind.length); }

// A random value for a field of the kind, from a small range so that keys repeat.
std::string SomeValue(const Kind& kind, std::mt19937& random) {
  const int n = static_cast<int>(random() % 400);
  switch (kind.type) {
    case 'N':
      return std::to_string(n - 200) + "." + std::to_string(n % 100);
    case 'D':
      if (n < 10) return "  /  /    ";
      return std::to_string(1 + n % 12) + "/" + std::to_string(1 + n % 28) + "/" + std::to_string(1890 + n % 200);
    default:
      if (kind.length == 1) return std::string(1, char('A' + n % 26));
      return std::string(kind.length > 40 ? kind.length - 12 : 0, 'x') + "K" + std::to_string(n);
  }
}

// Grows an index on KEY through appends, key-moving rewrites and deletes; `check` runs at each
// stage with its name.
void Grow(const Kind& kind, int records, int rewrites, const std::function<void(const std::string&)>& check,
          bool deleteAll) {
  std::mt19937 random(kind.type * 100 + kind.length);
  for (int i = 0; i < records; ++i) IndexTest::AppendWith({{"KEY", SomeValue(kind, random)}});
  check("appended");
  for (int i = 0; i < rewrites; ++i) {
    Go(static_cast<std::int32_t>(1 + random() % records));
    IndexTest::ReplaceWith("KEY", SomeValue(kind, random));
  }
  check("rewritten");
  if (!deleteAll) return;
  std::vector<std::uint32_t> order(records);
  for (int r = 0; r < records; ++r) order[r] = r + 1;
  std::shuffle(order.begin(), order.end(), random);
  for (int i = 0; i < records; ++i) {
    Dbf4RawGo(order[i]);
    KeyBytes key;
    MakeOrderKey(*OrderInSlot(1), key);
    DeleteTarget = order[i];
    ASSERT_EQ(DeleteKey(key, 1), 0);
    if (i % 100 == 99 || i >= records - 2) check("deleted " + std::to_string(i + 1));
  }
}

TEST_F(InteropTest, PerlReadsEveryFileGrownFromAnEmptyIndex) {
  if (!HasPerlXBase()) GTEST_SKIP() << "Perl's XBase is not installed";
  SetCenturyFlag = true;
  const std::vector<Kind> kinds = {{'C', 1, 0}, {'C', 12, 0}, {'C', 24, 0}, {'C', 100, 0}, {'N', 10, 2}, {'D', 8, 0}};
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(KindName(kind));
    const std::string name = KindName(kind);
    CreateTable(name + ".dbf", {{"KEY", kind.type, kind.length, kind.decimals}});
    const std::string index = CreateIndex(name + ".ndx", kind.type, kind.type == 'C' ? kind.length : 8, "KEY");
    ASSERT_NE(OpenOrder(index, 1), nullptr);
    Grow(kind, 250, 80, [&](const std::string& stage) {
      const std::vector<Dumped> perl = PerlDump(index), ours = EngineWalk();
      ASSERT_EQ(perl.size(), ours.size()) << stage;
      for (std::size_t i = 0; i < perl.size(); ++i) {
        ASSERT_EQ(perl[i].record, ours[i].record) << stage << " entry " << i;
        ASSERT_TRUE(SameKey(kind.type, perl[i].key, ours[i].key)) << stage << " entry " << i << ": " << perl[i].key;
      }
    }, true);
    EXPECT_EQ(testing::ReadNdxTree(index).nextFree, 2u);
    CloseTable();
  }
}

#ifdef XBASE64_LONGFIX_LIBRARY

// checkndx's verdict on a table and its index: "Ndx integrity check = 0" with every record
// checked. Its exit status is always 0.
void ExpectCheckndxAccepts(const std::string& table, const std::string& index, std::uint32_t records,
                           const std::string& stage) {
  const ToolResult result =
      RunTool(std::string("LD_PRELOAD=") + XBASE64_LONGFIX_LIBRARY + " checkndx " + table + " " + index);
  EXPECT_NE(result.output.find("Ndx integrity check = 0"), std::string::npos) << stage << "\n" << result.output;
  EXPECT_NE(result.output.find("Total records checked = " + std::to_string(records)), std::string::npos)
      << stage << "\n" << result.output;
}

TEST_F(InteropTest, CheckndxAcceptsFilesGrownHere) {
  if (!HasProgram("/usr/bin/checkndx")) GTEST_SKIP() << "xbase64's checkndx is not installed";
  const std::vector<Kind> kinds = {{'C', 8, 0}, {'C', 24, 0}, {'C', 32, 0}, {'C', 40, 0}, {'N', 10, 2}};
  const int records = 2000;
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(KindName(kind));
    const std::string name = KindName(kind);
    const std::string table = CreateTable(name + ".dbf", {{"KEY", kind.type, kind.length, kind.decimals}});
    const std::string index = CreateIndex(name + ".ndx", kind.type, kind.type == 'C' ? kind.length : 8, "KEY");
    ASSERT_NE(OpenOrder(index, 1), nullptr);
    Grow(kind, records, 300, [&](const std::string& stage) {
      // Keys taken out of the index go back in, so that every record is there to check.
      std::mt19937 random(7);
      for (int i = 0; i < 400; ++i) {
        const std::uint32_t record = 1 + random() % records;
        Dbf4RawGo(record);
        KeyBytes key;
        MakeOrderKey(*OrderInSlot(1), key);
        DeleteTarget = record;
        ASSERT_EQ(DeleteKey(key, 1), 0);
        ASSERT_EQ(AppendIndex(key, 1), 0);
      }
      FlushDbf(*WorkArea(CurrentWorkArea));
      ExpectCheckndxAccepts(table, index, records, stage);
    }, false);
    CloseTable();
  }
}

TEST_F(InteropTest, TheEngineWalksSeeksAndGrowsIndexesMadeByXbase64) {
  struct Made {
    const char* kind;
    int records;
    char type;
  };
  for (const Made& made : std::vector<Made>{{"N", 3000, 'N'}, {"C12", 100, 'C'}, {"C24", 100, 'C'}}) {
    SCOPED_TRACE(made.kind);
    const std::string table = At(std::string(made.kind) + ".dbf"), index = At(std::string(made.kind) + ".ndx");
    const ToolResult result = RunTool(std::string(XBASE64_NDX_PROGRAM) + " build " + table + " " + index + " " +
                                      made.kind + " " + std::to_string(made.records));
    ASSERT_EQ(result.status, 0) << result.output;
    Use(table + " EXCLUSIVE", nullptr, 0);
    ASSERT_NE(OpenOrder(index, 1), nullptr);
    std::vector<Dumped> walked = EngineWalk();
    ASSERT_EQ(walked.size(), static_cast<std::size_t>(made.records));
    const auto value = [&](const Dumped& d) {
      return made.type == 'N' ? std::to_string(std::stol(std::string(AllTrimView(d.key)))) : RTrimStr(d.key);
    };
    const auto numeric = [&](const Dumped& d) { return std::stod(std::string(AllTrimView(d.key))); };
    const auto ascending = [&] {
      for (std::size_t i = 1; i < walked.size(); ++i) {
        if (made.type == 'N' ? numeric(walked[i - 1]) > numeric(walked[i]) : walked[i - 1].key > walked[i].key)
          return false;
      }
      return true;
    };
    EXPECT_TRUE(ascending());
    BeginSoftSeek();
    for (std::size_t i = 0; i < walked.size(); i += 7) {
      Find(value(walked[i]));
      ASSERT_EQ(IndexFound, 1) << value(walked[i]);
      ASSERT_EQ(value({CurrentKey(), 0}), value(walked[i]));
    }
    EndSoftSeek();
    // Keys added here join xbase64's nodes, whatever their number of keys.
    for (int i = 0; i < 100; ++i)
      AppendWith({{"KEY", made.type == 'N' ? std::to_string(i * 37 % 3000 - 1500) : "KEY " + std::to_string(i)}});
    walked = EngineWalk();
    ASSERT_EQ(walked.size(), static_cast<std::size_t>(made.records + 100));
    EXPECT_TRUE(ascending());
    CloseTable();
  }
}

#endif

}  // namespace
}  // namespace xbase
