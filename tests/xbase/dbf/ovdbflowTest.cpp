#include "xbase/dbf/ovdbflow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/xbase/SyncLog.h"
#include "tests/xbase/dbf/DbfTest.h"
#include "xbase/core/ovcommon.h"
#include "xbase/core/timedate.h"

namespace xbase {
namespace {

namespace fs = std::filesystem;

DbfImage Clues() {
  DbfImage image;
  image.Field("ENTRY", 'C', 10).Field("MORE", 'L', 1).Field("CLUE1", 'C', 20);
  image.Record("CROSSWORD F" + std::string(20, 'a'));
  image.Record("PUZZLE    T" + std::string(20, 'b'), true);
  return image;
}

std::string TodayYMD() {
  const CalendarDate today = Today();
  return YMDString(today.year, today.month, today.day);
}

using OpenTest = DbfTest;

TEST_F(OpenTest, ReadsHeaderAndFields) {
  Write("clues.dbf", Clues().Bytes());
  DbfTable area;
  Open(area, At("CLUES"));
  EXPECT_EQ(ErrorCode, 0);
  EXPECT_EQ(area.FileName, At("clues.dbf")) << "default extension, then the spelling on disk";
  EXPECT_EQ(area.Alias, "clues.dbf");
  EXPECT_EQ(area.State, AreaClean);
  EXPECT_TRUE(area.DataFile.IsOpen());
  EXPECT_EQ(area.Header[0], 0x03);
  EXPECT_FALSE(area.HasMemo);
  EXPECT_EQ(area.HeaderLength, 32 + 3 * 32 + 1);
  EXPECT_EQ(area.RecordLength, 32);
  EXPECT_EQ(area.RecordCount, 2u);
  EXPECT_EQ(area.LastUpdate, "20240315");
  EXPECT_EQ(area.RecNo, 1u);
  EXPECT_FALSE(area.BofFlag);
  EXPECT_FALSE(area.EofFlag);
  EXPECT_EQ(area.RecordBuffer.size(), 32u);
  ASSERT_EQ(area.FieldCount, 3);
  ASSERT_EQ(area.FieldTable.size(), 3u);
  struct Expected {
    const char* name;
    char type;
    int length, offset;
  };
  const Expected expected[] = {{"ENTRY", 'C', 10, 1}, {"MORE", 'L', 1, 11}, {"CLUE1", 'C', 20, 12}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(area.FieldTable[i].Name, expected[i].name);
    EXPECT_EQ(area.FieldTable[i].FieldType, expected[i].type);
    EXPECT_EQ(area.FieldTable[i].Length, expected[i].length);
    EXPECT_EQ(area.FieldTable[i].Offset, expected[i].offset);
  }
  CloseDbf(area);
  EXPECT_EQ(area.State, AreaClosed);
  EXPECT_FALSE(area.DataFile.IsOpen());
  EXPECT_TRUE(area.RecordBuffer.empty());
  EXPECT_TRUE(area.FieldTable.empty());
}

TEST_F(OpenTest, AliasIsTheFileNameInTheTablesCodePage) {
  Write("caf\xC3\xA9.dbf", Clues().Bytes());  // "café.dbf"
  DbfTable area;
  Open(area, At("CAF\xC3\x89"));
  EXPECT_EQ(area.Alias, "caf\xE9.dbf");
  CloseDbf(area);
  area.OemTranslate = true;
  Open(area, At("caf\xC3\xA9.dbf"));
  EXPECT_EQ(area.Alias, "caf\x82.dbf");
}

TEST_F(OpenTest, EveryAcceptedVersionOpens) {
  for (const std::uint8_t version : {0x03, 0x83, 0x8B, 0xF5, 0x04, 0x8C}) {
    DbfImage image(version);
    image.Field("NAME", 'C', 4).Record("abcd");
    const std::string path = Write("v.dbf", image.Bytes());
    DbfTable area;
    Open(area, path);
    EXPECT_EQ(area.FieldCount, 1) << int(version);
    EXPECT_EQ(area.HasMemo, (version & 0x80) != 0) << int(version);
    EXPECT_EQ(IsLevel7(area), version == 0x04 || version == 0x8C) << int(version);
    EXPECT_EQ(area.HeaderLength, IsLevel7(area) ? 68 + 48 + 1 : 32 + 32 + 1) << int(version);
    CloseDbf(area);
  }
}

TEST_F(OpenTest, EmptyTableStartsAtBothEnds) {
  DbfImage image;
  image.Field("A", 'C', 1);
  DbfTable area;
  Open(area, Write("e.dbf", image.Bytes()));
  EXPECT_EQ(area.RecordCount, 0u);
  EXPECT_EQ(area.RecNo, 0u);
  EXPECT_TRUE(area.BofFlag);
  EXPECT_TRUE(area.EofFlag);
}

TEST_F(OpenTest, CustomVersionBytes) {
  DbfImage vfp(0x30);
  vfp.Field("A", 'C', 1).Record("x");
  vfp.tableFlags = 2;
  const std::string path = Write("vfp.dbf", vfp.Bytes());
  CustomVersionByte = 0x30;
  DbfTable area;
  Open(area, path);
  EXPECT_FALSE(area.HasMemo) << "a custom byte reads the table as an ordinary one";
  EXPECT_FALSE(IsVfp(area));
  CloseDbf(area);

  CustomVersionByte = 0;
  CustomMemoVersionByte = 0x30;
  Open(area, path);
  EXPECT_TRUE(area.HasMemo);
  CloseDbf(area);
}

TEST_F(OpenTest, DialectPredicates) {
  DbfTable area;
  struct Case {
    std::uint8_t version, flags;
    bool dbase2, level7, vfp, vfpMemo;
  };
  for (const auto& c : {Case{0x02, 0, true, false, false, false},
                        Case{0x04, 0, false, true, false, false},
                        Case{0x8C, 0, false, true, false, false},
                        Case{0x30, 0, false, false, true, false},
                        Case{0x30, 2, false, false, true, true},
                        Case{0x03, 2, false, false, false, false}}) {
    area.Header[0] = c.version;
    area.Header[28] = c.flags;
    EXPECT_EQ(IsDbase2(area), c.dbase2) << int(c.version);
    EXPECT_EQ(IsLevel7(area), c.level7) << int(c.version);
    EXPECT_EQ(IsVfp(area), c.vfp) << int(c.version);
    EXPECT_EQ(IsVfpWithMemo(area), c.vfpMemo) << int(c.version);
  }
  CustomMemoVersionByte = 0x31;
  area.Header[0] = 0x02;
  EXPECT_FALSE(IsDbase2(area)) << "no dialect while a custom byte is set";
  area.Header[0] = 0x8C;
  EXPECT_FALSE(IsLevel7(area));
}

TEST_F(OpenTest, ValidVersionBytes) {
  for (int b = 0; b < 256; ++b) {
    const bool valid = b == 0x02 || b == 0x03 || b == 0x83 || b == 0x8B || b == 0xF5 ||
                       b == 0x04 || b == 0x8C;
    EXPECT_EQ(IsValidVersionByte(static_cast<std::uint8_t>(b)), valid) << b;
  }
  CustomVersionByte = 0x30;
  CustomMemoVersionByte = 0x31;
  EXPECT_TRUE(IsValidVersionByte(0x30));
  EXPECT_TRUE(IsValidVersionByte(0x31));
  EXPECT_FALSE(IsValidVersionByte(0x00));
}

struct Refusal {
  const char* what;
  std::string bytes;
  std::uint16_t code;
  std::string message;  // with {NAME} for the full path and {BASE} for the name alone
};

std::vector<Refusal> Refusals() {
  std::vector<Refusal> cases;
  const std::string notATable = " is not a dBASE database.";
  cases.push_back({"prolog under 32 bytes", std::string(31, '\x03'), 210,
                   "{NAME}" + notATable + " (Prolog is less than 32 bytes) [USE/OpenDBF]"});
  {
    DbfImage image(0x30);
    image.Field("A", 'C', 1);
    cases.push_back({"version 0x30 without custom byte", image.Bytes(), 210,
                     "{NAME}" + notATable + "(Invalid version byte)+ [USE/OpenDBF]"});
  }
  for (const int headerLength : {33, 20, 0, 63}) {
    DbfImage image;
    image.Field("A", 'C', 1);
    image.headerLength = static_cast<std::uint16_t>(headerLength);
    cases.push_back({"header length out of range", image.Bytes(), 210,
                     "{BASE}" + notATable + " (Number of fields is out of range) [Use/OpenDbf]"});
  }
  {
    DbfImage image(0x8C);
    image.Field("A", 'C', 1);
    image.headerLength = 100;
    cases.push_back({"level-7 header without descriptor room", image.Bytes(), 210,
                     "{BASE}" + notATable + " (Number of fields is out of range) [Use/OpenDbf]"});
  }
  {
    DbfImage image;
    image.Field("A", 'C', 1);
    std::string bytes = image.Bytes();
    bytes[32] = '\x0D';
    cases.push_back({"empty descriptor list", bytes, 222, "Error reading {NAME} [Use/OpenDbf]"});
  }
  {
    DbfImage image;
    image.Field("A", 'C', 1).Field("B", 'C', 1);
    cases.push_back({"descriptors cut short", image.Bytes().substr(0, 70), 100,
                     "Error reading {NAME} [Use/OpenDbf]"});
  }
  {
    DbfImage image;
    image.Field("A", 'C', 10).Field("B", 'C', 10);
    image.recordLength = 20;
    cases.push_back({"fields longer than the record", image.Bytes(), 210,
                     "{BASE}" + notATable + " (Record length is out of range) [Use/OpenDbf]"});
    image.recordLength = 0;
    cases.push_back({"record length 0", image.Bytes(), 210,
                     "{BASE}" + notATable + " (Record length is out of range) [Use/OpenDbf]"});
  }
  {
    DbfImage image;
    image.Field("A", 'C', 1).Field("PIC", 'X', 4);
    cases.push_back({"field type not accepted", image.Bytes(), 211,
                     "Error reading {NAME} [Use/OpenDbf]"});
  }
  {
    DbfImage image;
    image.Field("WHEN", 'D', 4);
    cases.push_back({"date field not 8 long", image.Bytes(), 211,
                     "Error reading {NAME} [Use/OpenDbf]"});
  }
  {
    DbfImage image(0x02);
    image.Field("A", 'C', 1);
    cases.push_back({"dBase II header under 521 bytes", image.Bytes().substr(0, 520), 210,
                     "{NAME}" + notATable + "(Header is less than 521 bytes) [Use/OpenDBF]"});
  }
  {
    DbfImage image(0x02);
    cases.push_back({"dBase II without fields", image.Bytes(), 210,
                     "{BASE}" + notATable + "(Number of fields is out of range) [Use/OpenDbf]"});
  }
  return cases;
}

std::string Expand(std::string message, const std::string& path, const std::string& base) {
  for (const auto& [key, value] : {std::pair{"{NAME}", path}, std::pair{"{BASE}", base}}) {
    for (auto at = message.find(key); at != std::string::npos; at = message.find(key))
      message.replace(at, 6, value);
  }
  return message;
}

TEST_F(OpenTest, RefusalsLeaveTheAreaClosed) {
  SetImmediateErrors(false);
  const int descriptors = OpenDescriptors();
  for (const auto& c : Refusals()) {
    SCOPED_TRACE(c.what);
    const std::string path = Write("bad.dbf", c.bytes);
    DbfTable area;
    Open(area, path);
    EXPECT_EQ(ErrorCode, c.code);
    EXPECT_EQ(LastErrorMessage, Expand(c.message, path, "bad.dbf"));
    EXPECT_EQ(area.State, AreaClosed);
    EXPECT_FALSE(area.DataFile.IsOpen());
    EXPECT_TRUE(area.RecordBuffer.empty());
    EXPECT_TRUE(area.FieldTable.empty());
    EXPECT_EQ(OpenDescriptors(), descriptors);
  }
}

TEST_F(OpenTest, RaisedRefusalAlsoClosesTheArea) {
  const int descriptors = OpenDescriptors();
  DbfImage image;
  image.Field("A", 'C', 1).Field("PIC", 'X', 4);
  const std::string path = Write("bad.dbf", image.Bytes());
  DbfTable area;
  try {
    Open(area, path);
    FAIL() << "no error";
  } catch (const EOrvelError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Error # 211 (Invalid database field type encountered)\r\nField: PIC [X] in " + path +
                  " is not a valid field type");
  }
  EXPECT_EQ(area.State, AreaClosed);
  EXPECT_FALSE(area.DataFile.IsOpen());
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(OpenTest, FailureToOpen) {
  SetImmediateErrors(false);
  DbfTable area;
  Open(area, At("missing"));
  EXPECT_EQ(ErrorCode, 2);
  EXPECT_EQ(LastErrorMessage, "Failure to open " + At("missing.DBF") + " [USE/OpenDbf]");
  EXPECT_EQ(area.State, AreaClosed);
}

TEST_F(OpenTest, ShareModesBetweenOpens) {
  SetImmediateErrors(false);
  const std::string path = Write("t.dbf", Clues().Bytes());
  DbfTable first, second, third;
  Open(first, path, OpenModeShared);
  Open(second, path, OpenModeShared);
  EXPECT_EQ(ErrorCode, 0);
  Open(third, path, OpenModeExclusive);
  EXPECT_EQ(ErrorCode, 32);
  EXPECT_EQ(LastErrorMessage, "Failure to open " + path + " [USE/OpenDbf]");
  EXPECT_FALSE(third.DataFile.IsOpen());
  CloseDbf(first);
  CloseDbf(second);
  Open(third, path, OpenModeExclusive);
  EXPECT_EQ(ErrorCode, 0);
  Open(first, path, OpenModeShared);
  EXPECT_EQ(ErrorCode, 32);
}

TEST_F(OpenTest, DescriptorParsing) {
  DbfImage image;
  image.Field("ABCDEFGHIJK", 'C', 2)  // 11 bytes, no NUL
      .Field("lower", 'n', 3)
      .Field("pic", 'b', 10)
      .Field("G", 'G', 10)
      .Field("P", 'p', 10)
      .Field("DEC", 'N', 8, 2);
  image.headerLength = 32 + 6 * 32 + 1 + 64;  // room after the 0x0D
  SetImmediateErrors(false);
  DbfTable area;
  Open(area, Write("p.dbf", image.Bytes()));
  EXPECT_EQ(ErrorCode, 211) << "'n' is no accepted type";

  ValidFieldTypes.insert('n');
  Open(area, Write("p.dbf", image.Bytes()));
  ASSERT_EQ(ErrorCode, 0);
  ASSERT_EQ(area.FieldCount, 6) << "the 0x0D ends the list before the header's end";
  const char* names[] = {"ABCDEFGHIJ", "LOWER", "PIC", "G", "P", "DEC"};
  const char types[] = {'C', 'n', 'M', 'M', 'M', 'N'};
  const int offsets[] = {1, 3, 6, 16, 26, 36};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(area.FieldTable[i].Name, names[i]);
    EXPECT_EQ(area.FieldTable[i].FieldType, types[i]);
    EXPECT_EQ(area.FieldTable[i].Offset, offsets[i]);
  }
  EXPECT_EQ(area.FieldTable[5].Decimals, 2);
}

TEST_F(OpenTest, Level7Descriptors) {
  DbfImage image(0x8C);
  image.Field("A_LONG_LEVEL7_NAME", 'C', 3).Field("N", 'N', 5, 1).Record("abc  1.5");
  DbfTable area;
  Open(area, Write("l7.dbf", image.Bytes()));
  ASSERT_EQ(area.FieldCount, 2);
  EXPECT_EQ(area.FieldTable[0].Name, "A_LONG_LEV");
  EXPECT_EQ(area.FieldTable[1].Length, 5);
  EXPECT_EQ(area.FieldTable[1].Decimals, 1);
  EXPECT_EQ(area.FieldTable[1].Offset, 4);
}

TEST_F(OpenTest, CountFromFileSizeCountsWholeRecords) {
  std::string bytes = Clues().Bytes();
  bytes.resize(bytes.size() - 1 - 10);  // no end byte, the last record cut
  const std::string path = Write("cut.dbf", bytes);
  CountFromFileSize = true;
  DbfTable area;
  Open(area, path);
  EXPECT_EQ(area.RecordCount, 1u);
  EXPECT_EQ(CountFromSize(area), 1u);

  fs::resize_file(path, area.HeaderLength - 5);
  EXPECT_EQ(CountFromSize(area), 0u) << "a file shorter than its header holds no record";
  CloseDbf(area);
}

// A program killed while it appended to a shared table leaves whole records past the header's
// count and no end byte after the counted ones: an open counts them (and says so), so that its
// appends go after them. Bytes past an end byte are no records.
TEST_F(OpenTest, RecordsADeadAppenderLeftAreCounted) {
  struct Case {
    const char* what;
    bool endByteAfterTheCount;
    std::uint32_t count;
    std::size_t warnings;
  };
  for (const Case& c : {Case{"no end byte", false, 2, 1}, Case{"an end byte after record 1", true, 1, 0}}) {
    SCOPED_TRACE(c.what);
    DbfImage image = Clues();
    image.count = 1;
    image.endByte = false;
    std::string bytes = image.Bytes();
    if (c.endByteAfterTheCount) bytes[129 + 32] = '\x1A';
    const std::string path = Write("t.dbf", bytes);
    std::vector<std::string> warnings;
    ErrorHookTable.Warning = [&](std::uint16_t, const std::string& message) { warnings.push_back(message); };
    DbfTable area;
    Open(area, path);
    ErrorHookTable.Warning = nullptr;
    EXPECT_EQ(ErrorCode, 0);
    EXPECT_EQ(area.RecordCount, c.count);
    ASSERT_EQ(warnings.size(), c.warnings);
    if (c.warnings > 0)
      EXPECT_EQ(warnings[0], "1 records past the record count of " + path + " are counted [USE/OpenDbf]");
    GetDbfRecord(area, 1);
    AppendDbfRecord(area);
    CloseDbf(area);
    const std::string after = Contents(path);
    EXPECT_EQ(after[4], static_cast<char>(c.count + 1));
    if (!c.endByteAfterTheCount) EXPECT_EQ(after.substr(129 + 32, 32), bytes.substr(129 + 32, 32)) << "record 2 kept";
  }
}

TEST_F(OpenTest, RecordOffsets) {
  DbfTable area;
  Open(area, Write("t.dbf", Clues().Bytes()));
  EXPECT_EQ(RecordOffset(area, 1), 129u);
  EXPECT_EQ(RecordOffset(area, 3), 129u + 64u);
  EXPECT_EQ(RecordOffset(area, 0xFFFFFFFF), 129u + 0xFFFFFFFEull * 32u) << "no wrap at 32 bits";
}

using HeaderWriteTest = DbfTest;

TEST_F(HeaderWriteTest, CleanTableIsLeftAsItWas) {
  const std::string bytes = Clues().Bytes();
  const std::string path = Write("t.dbf", bytes);
  DbfTable area;
  Open(area, path);
  FlushDbf(area);
  CloseDbf(area);
  EXPECT_EQ(Contents(path), bytes);
}

TEST_F(HeaderWriteTest, RewrittenTableGetsDateAndCountButNoEndByte) {
  DbfImage image = Clues();
  image.endByte = false;
  image.count = 1;  // another program added a record without counting it
  const std::string bytes = image.Bytes();
  const std::string path = Write("t.dbf", bytes);
  DbfTable area;
  Open(area, path);
  area.RecordCount = 2;
  area.State = AreaChanged;
  CloseDbf(area);
  const std::string after = Contents(path);
  ASSERT_EQ(after.size(), bytes.size());
  const CalendarDate today = Today();
  EXPECT_EQ(static_cast<std::uint8_t>(after[1]), today.year - 1900);
  EXPECT_EQ(after[2], today.month);
  EXPECT_EQ(after[3], today.day);
  EXPECT_EQ(after[4], 2);
  EXPECT_EQ(after.substr(8), bytes.substr(8));
}

TEST_F(HeaderWriteTest, GrownTableEndsInOneEndByte) {
  const std::string path = Write("t.dbf", Clues().Bytes());
  DbfTable area;
  Open(area, path);
  GetDbfRecord(area, 1);
  AppendDbfRecord(area);
  CloseDbf(area);
  const std::string after = Contents(path);
  EXPECT_EQ(after.size(), 129u + 3 * 32 + 1);
  EXPECT_EQ(after.back(), '\x1A');
  EXPECT_EQ(after[4], 3);
  EXPECT_EQ(after.substr(129 + 2 * 32, 32), after.substr(129, 32)) << "record 1 copied as 3";
}

// A table that changed reaches the device whole at its close; an unchanged one costs no flush.
TEST_F(HeaderWriteTest, CloseFlushesAChangedTableAfterItsLastWrite) {
  struct Case {
    const char* name;
    bool append;
    AreaState state;  // before the close
  };
  for (const Case& c : {Case{"unchanged", false, AreaClean}, Case{"rewritten", false, AreaChanged},
                        Case{"grown", true, AreaAppended}}) {
    SCOPED_TRACE(c.name);
    const std::string path = Write("t.dbf", Clues().Bytes());
    DbfTable area;
    Open(area, path);
    if (c.append) AppendDbfRecord(area);
    area.State = c.state;
    ClearSyncs();
    CloseDbf(area);
    const auto syncs = SyncsOf(path);
    if (c.state == AreaClean) {
      EXPECT_TRUE(syncs.empty());
      continue;
    }
    ASSERT_EQ(syncs.size(), 1u);
    EXPECT_EQ(syncs[0].bytes, Contents(path)) << "header and end byte written before";
  }
}

TEST_F(HeaderWriteTest, ChosenEndByteAtClose) {
  const std::string path = Write("t.dbf", Clues().Bytes());
  EofByte = 0x00;
  DbfTable area;
  Open(area, path);
  AppendDbfRecord(area);
  CloseDbf(area);
  EXPECT_EQ(Contents(path).back(), '\0');
}

TEST_F(HeaderWriteTest, ReservedBytesAreKeptAsFound) {
  DbfImage image = Clues();
  image.reserved = "0123456789ABCDEF";  // bytes 12..27
  image.tableFlags = 0x01;
  const std::string path = Write("t.dbf", image.Bytes());
  DbfTable area;
  Open(area, path);
  {
    // Another program writes into the reserved bytes after the open.
    std::fstream other(path, std::ios::in | std::ios::out | std::ios::binary);
    other.seekp(20);
    other.write("xyz", 3);
  }
  area.State = AreaChanged;
  FlushDbf(area);
  const std::string after = Contents(path);
  EXPECT_EQ(after.substr(12, 16), "01234567xyzBCDEF");
  EXPECT_EQ(after[28], '\x01');
  EXPECT_EQ(area.State, AreaClean);
  CloseDbf(area);
}

TEST_F(HeaderWriteTest, FlushWritesHeaderEndByteAndCleansTheState) {
  const std::string path = Write("t.dbf", Clues().Bytes());
  DbfTable area;
  Open(area, path);
  AppendDbfRecord(area);
  EXPECT_EQ(area.State, AreaAppended);
  FlushDbf(area);
  EXPECT_EQ(area.State, AreaClean);
  const std::string flushed = Contents(path);
  EXPECT_EQ(flushed[4], 3);
  EXPECT_EQ(flushed.size(), 129u + 3 * 32 + 1);
  EXPECT_EQ(flushed.back(), '\x1A');
}

TEST_F(HeaderWriteTest, FailedHeaderWriteKeepsTheStateForALaterTry) {
  const std::string path = Write("t.dbf", Clues().Bytes());
  SetImmediateErrors(false);
  DbfTable area;
  Open(area, path, 0x40);  // read only, deny none
  ASSERT_EQ(ErrorCode, 0);
  area.State = AreaChanged;
  FlushDbf(area);
  EXPECT_NE(ErrorCode, 0);
  EXPECT_EQ(area.State, AreaChanged);
  CloseDbf(area);
  EXPECT_NE(ErrorCode, 0);
  EXPECT_EQ(LastErrorMessage, "File:  " + path + " [CloseDbf(" + path + ")]");
  EXPECT_EQ(area.State, AreaClosed);
  EXPECT_FALSE(area.DataFile.IsOpen());
}

TEST_F(HeaderWriteTest, RaisedHeaderWriteFailureStillClosesTheArea) {
  const std::string path = Write("t.dbf", Clues().Bytes());
  const int descriptors = OpenDescriptors();
  DbfTable area;
  Open(area, path, 0x40);
  area.State = AreaChanged;
  EXPECT_THROW(CloseDbf(area), EOrvelError);
  EXPECT_EQ(area.State, AreaClosed);
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(HeaderWriteTest, Dbase2HeaderDateOrder) {
  DbfImage image(0x02);
  image.Field("NAME", 'C', 5).Field("N", 'N', 3).Record("abcde  7");
  image.year = 84;
  image.month = 7;
  image.day = 21;
  const std::string path = Write("two.dbf", image.Bytes());
  DbfTable area;
  Open(area, path);
  EXPECT_TRUE(IsDbase2(area));
  EXPECT_EQ(area.LastUpdate, "19840721");
  EXPECT_EQ(area.HeaderLength, 521);
  EXPECT_EQ(area.RecordLength, 9);
  EXPECT_EQ(area.RecordCount, 1u);
  ASSERT_EQ(area.FieldCount, 2);
  EXPECT_EQ(area.FieldTable[1].Offset, 6);
  AppendDbfRecord(area);
  CloseDbf(area);

  const std::string after = Contents(path);
  const CalendarDate today = Today();
  EXPECT_EQ(after[1], 2);
  EXPECT_EQ(after[2], 0);
  EXPECT_EQ(after[3], today.month);
  EXPECT_EQ(after[4], today.day);
  EXPECT_EQ(static_cast<std::uint8_t>(after[5]), today.year - 1900);
  EXPECT_EQ(after.substr(6, 515), image.Bytes().substr(6, 515)) << "only the first 6 bytes";
  EXPECT_EQ(after.size(), 521u + 2 * 9 + 1);
  Open(area, path);
  EXPECT_EQ(area.LastUpdate, TodayYMD());
  EXPECT_EQ(area.RecordCount, 2u);
}

// Two programs share a table: each is an open of its own, as two processes' opens are.
class SharedTableTest : public DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    path = Write("t.dbf", Clues().Bytes());
    Open(mine, path, OpenModeShared);
    Open(theirs, path, OpenModeShared);
  }
  std::string path;
  DbfTable mine, theirs;
};

TEST_F(SharedTableTest, CloseCountsWhatAnotherProgramAppended) {
  GetDbfRecord(mine, 1);
  PutDbfRecord(mine, 1);  // only a rewrite here
  AppendDbfRecord(theirs);
  CloseDbf(theirs);
  CloseDbf(mine);
  const std::string after = Contents(path);
  EXPECT_EQ(after[4], 3) << "the other program's record stays counted";
  EXPECT_EQ(after.size(), 129u + 3 * 32 + 1);
}

TEST_F(SharedTableTest, EndByteNeverLandsOnAnotherProgramsRecord) {
  GetDbfRecord(mine, 1);
  AppendDbfRecord(mine);  // record 3
  GetDbfRecord(theirs, 2);
  theirs.RecordCount = CountFromSize(theirs);  // as the work areas refresh before appending
  AppendDbfRecord(theirs);  // record 4, not yet closed
  CloseDbf(mine);
  std::string after = Contents(path);
  ASSERT_EQ(after.size(), 129u + 4 * 32 + 1);
  EXPECT_EQ(after[129 + 3 * 32], '*') << "record 4 keeps its deleted flag";
  EXPECT_EQ(after[4], 4);
  EXPECT_EQ(after.back(), '\x1A');

  CloseDbf(theirs);
  after = Contents(path);
  EXPECT_EQ(after.size(), 129u + 4 * 32 + 1);
  EXPECT_EQ(after[4], 4);
}

TEST_F(SharedTableTest, EndByteIsNotWrittenOverData) {
  AppendDbfRecord(mine);
  theirs.RecordCount = CountFromSize(theirs);
  GetDbfRecord(theirs, 2);
  AppendDbfRecord(theirs);
  // A stale count, as with an exclusive table that another program wrote to anyway.
  mine.OpenMode = OpenModeExclusive;
  CloseDbf(mine);
  const std::string after = Contents(path);
  EXPECT_EQ(after[129 + 3 * 32], '*') << "record 4 untouched";
  CloseDbf(theirs);
}

}  // namespace
}  // namespace xbase
