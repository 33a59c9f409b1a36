#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/FileSizeLimit.h"
#include "tests/xbase/dbf/DbfTest.h"
#include "xbase/core/ovcommon.h"
#include "xbase/dbf/ovdbflow.h"

namespace xbase {
namespace {

// Three records of one 6-byte text field: header 65 bytes, records 7 bytes.
DbfImage Words() {
  DbfImage image;
  image.Field("WORD", 'C', 6);
  image.Record("alpha ").Record("beta  ", true).Record("gamma ");
  return image;
}

constexpr std::size_t kHeader = 65;
constexpr std::size_t kRecord = 7;

std::string Text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

class RecordsTest : public DbfTest {
 protected:
  void OpenWords(std::uint16_t mode = OpenModeExclusive) {
    path = Write("words.dbf", Words().Bytes());
    Open(area, path, mode);
  }
  std::string path;
  DbfTable area;
};

TEST_F(RecordsTest, ReadMakesTheRecordCurrent) {
  OpenWords();
  area.BofFlag = area.EofFlag = true;
  GetDbfRecord(area, 2);
  EXPECT_EQ(ErrorCode, 0);
  EXPECT_EQ(Text(area.RecordBuffer), "*beta  ");
  EXPECT_EQ(area.RecNo, 2u);
  EXPECT_FALSE(area.BofFlag);
  EXPECT_FALSE(area.EofFlag);
}

TEST_F(RecordsTest, ReadOutsideTheTableChangesNothing) {
  OpenWords();
  SetImmediateErrors(false);
  GetDbfRecord(area, 3);
  area.EofFlag = true;
  for (const std::uint32_t n : {0u, 4u}) {
    GetDbfRecord(area, n);
    EXPECT_EQ(ErrorCode, 212) << n;
    EXPECT_EQ(LastErrorMessage, "Invalid record number = " + std::to_string(n) + " (" + path +
                                    ")  [GetDbfRecord]");
    EXPECT_EQ(area.RecNo, 3u);
    EXPECT_TRUE(area.EofFlag);
    EXPECT_EQ(Text(area.RecordBuffer), " gamma ");
  }
}

TEST_F(RecordsTest, ReadOfACutRecordGives213AndKeepsTheBuffer) {
  OpenWords();
  std::filesystem::resize_file(path, kHeader + 2 * kRecord + 3);  // cut after the open
  SetImmediateErrors(false);
  GetDbfRecord(area, 1);
  GetDbfRecord(area, 3);
  EXPECT_EQ(ErrorCode, 213);
  EXPECT_EQ(LastErrorMessage, "File:  " + path + "  [GetDbfRecord]");
  EXPECT_EQ(area.RecNo, 1u);
  EXPECT_EQ(Text(area.RecordBuffer), " alpha ");
}

TEST_F(RecordsTest, RewriteMarksTheTableChanged) {
  OpenWords();
  GetDbfRecord(area, 2);
  area.RecordBuffer[1] = 'B';
  PutDbfRecord(area, 2);
  EXPECT_EQ(area.State, AreaChanged);
  EXPECT_EQ(area.RecordCount, 3u);
  EXPECT_EQ(Contents(path).substr(kHeader + kRecord, kRecord), "*Beta  ");
}

TEST_F(RecordsTest, WriteBeyondTheCountAppendsTheNextRecord) {
  OpenWords();
  GetDbfRecord(area, 1);
  PutDbfRecord(area, area.RecordCount + 5);
  EXPECT_EQ(area.RecordCount, 4u);
  EXPECT_EQ(area.RecNo, 4u);
  EXPECT_EQ(area.State, AreaAppended);
  const std::string file = Contents(path);
  EXPECT_EQ(file.size(), kHeader + 4 * kRecord) << "the end byte is written at close";
  EXPECT_EQ(file.substr(kHeader + 3 * kRecord), " alpha ");

  PutDbfRecord(area, 1);
  EXPECT_EQ(area.State, AreaAppended) << "appended wins over changed";
}

TEST_F(RecordsTest, RecordZeroIsNoPlaceToWrite) {
  OpenWords();
  GetDbfRecord(area, 2);
  SetImmediateErrors(false);
  const std::string before = Contents(path);
  area.RecordBuffer.assign(kRecord, 'X');
  PutDbfRecord(area, 0);  // would land on the end of the header
  EXPECT_EQ(ErrorCode, 212);
  EXPECT_EQ(LastErrorMessage, "File:  " + path + " [Replace/Append/PutDbfRecord]");
  EXPECT_EQ(area.State, AreaClean);
  EXPECT_EQ(area.RecNo, 2u);
  EXPECT_EQ(Contents(path), before);
}

TEST_F(RecordsTest, AppendWithFlushAfterWriteUpdatesTheHeaderAtOnce) {
  OpenWords();
  FlushAfterWrite = true;
  GetDbfRecord(area, 1);
  AppendDbfRecord(area);
  EXPECT_EQ(area.State, AreaClean);
  const std::string file = Contents(path);
  EXPECT_EQ(file[4], 4);
  EXPECT_EQ(file.size(), kHeader + 4 * kRecord + 1);
  EXPECT_EQ(file.back(), '\x1A');
}

using testing_support::FileSizeLimit;

TEST_F(RecordsTest, FailedAppendLeavesCountAndFileAsTheyWere) {
  OpenWords();
  const std::string before = Contents(path);
  GetDbfRecord(area, 1);
  SetImmediateErrors(false);
  {
    FileSizeLimit limit(before.size() + 3);  // the new record fits only in part
    AppendDbfRecord(area);
  }
  EXPECT_EQ(ErrorCode, 101);
  EXPECT_EQ(LastErrorMessage, "File:  " + path + " [Replace/Append/PutDbfRecord]");
  EXPECT_EQ(area.RecordCount, 3u);
  EXPECT_EQ(area.RecNo, 1u);
  EXPECT_EQ(area.State, AreaClean);
  EXPECT_EQ(Contents(path), before) << "size and end byte as before";
  CloseDbf(area);
  EXPECT_EQ(Contents(path), before);
}

// An exclusive open that appended last knows where its file ends; the end byte of a flush and
// bytes beyond the records must still come back after a failed append.
TEST_F(RecordsTest, FailedAppendAfterAnotherLeavesTheFileAsItWas) {
  struct Case {
    const char* name;
    std::uint16_t mode;
    bool flushBetween;
    std::string beyondEndByte;
    const char* afterClose;  // what follows the four records once closed
  };
  for (const Case& c : {Case{"exclusive", OpenModeExclusive, false, "", "\x1A"},
                        Case{"shared", OpenModeShared, false, "", "\x1A"},
                        Case{"flushed", OpenModeExclusive, true, "", "\x1A"},
                        Case{"bytes beyond", OpenModeExclusive, false, "0123456789", "6789"}}) {
    SCOPED_TRACE(c.name);
    path = Write("words.dbf", Words().Bytes() + c.beyondEndByte);
    Open(area, path, c.mode);
    GetDbfRecord(area, 1);
    AppendDbfRecord(area);
    ASSERT_EQ(ErrorCode, 0);
    if (c.flushBetween) FlushDbf(area);
    const std::string before = Contents(path);
    SetImmediateErrors(false);
    {
      // The new record fits only in part; what it overwrote can be written back.
      FileSizeLimit limit(std::max(before.size(), kHeader + 4 * kRecord + 3));
      AppendDbfRecord(area);
    }
    EXPECT_EQ(ErrorCode, 101);
    EXPECT_EQ(area.RecordCount, 4u);
    EXPECT_EQ(Contents(path), before);
    CloseDbf(area);
    EXPECT_EQ(Contents(path).substr(kHeader + 4 * kRecord), c.afterClose);
  }
}

TEST_F(RecordsTest, AppendCountingFromTheSizeGoesAfterTheRecordsOfAnotherOpen) {
  OpenWords(OpenModeShared);
  DbfTable other;
  Open(other, path, OpenModeShared);
  GetDbfRecord(other, 1);
  AppendDbfRecord(other);  // record 4
  GetDbfRecord(area, 3);
  SetImmediateErrors(false);
  {
    FileSizeLimit limit(kHeader + 5 * kRecord - 1);
    AppendDbfRecord(area, true);
  }
  EXPECT_EQ(ErrorCode, 101);
  EXPECT_EQ(area.RecordCount, 4u) << "the other open's record counts";
  EXPECT_EQ(Contents(path).size(), kHeader + 4 * kRecord);
  AppendDbfRecord(area, true);
  EXPECT_EQ(ErrorCode, 0);
  EXPECT_EQ(area.RecNo, 5u);
  CloseDbf(other);
  CloseDbf(area);
  const std::string file = Contents(path);
  EXPECT_EQ(file[4], 5);
  EXPECT_EQ(file.substr(kHeader + 3 * kRecord), " alpha  gamma \x1A");
}

TEST_F(RecordsTest, Dbase2TableTakesAtMost65535Records) {
  DbfImage image(0x02);
  image.Field("A", 'C', 1).Record("x");
  image.count = 65535;
  path = Write("two.dbf", image.Bytes());
  std::filesystem::resize_file(path, 521 + 65535 * 2);  // records of blanks
  Open(area, path);
  SetImmediateErrors(false);
  const std::string before = Contents(path);
  AppendDbfRecord(area);
  EXPECT_EQ(ErrorCode, 212);
  EXPECT_EQ(area.RecordCount, 65535u);
  CloseDbf(area);
  EXPECT_EQ(Contents(path), before);
}

TEST_F(RecordsTest, DeletedFlagIsWrittenAloneAndOnlyInsideTheTable) {
  OpenWords();
  area.OemTranslate = true;
  GetDbfRecord(area, 3);
  area.RecordBuffer = {'*', 'X', 'X', 'X', 'X', 'X', 'X'};
  WriteDeletedFlag(area, 3);
  EXPECT_EQ(area.State, AreaChanged);
  EXPECT_EQ(Contents(path).substr(kHeader + 2 * kRecord, kRecord), "*gamma ");

  SetImmediateErrors(false);
  const std::string before = Contents(path);
  for (const std::uint32_t n : {0u, 4u, 5u}) {
    WriteDeletedFlag(area, n);
    EXPECT_EQ(ErrorCode, 212) << n;
    EXPECT_EQ(LastErrorMessage, "File:  " + path + " [DeleteRec/RecallRec]");
  }
  EXPECT_EQ(area.RecordCount, 3u);
  EXPECT_EQ(Contents(path), before);
}

TEST_F(RecordsTest, OemTablesHoldOemBytesWhileMemoryHoldsAnsi) {
  DbfImage image;
  image.Field("WORD", 'C', 4);
  image.Record("\x82t\x84 ", true);  // "étä " in code page 850
  path = Write("oem.dbf", image.Bytes());
  area.OemTranslate = true;
  Open(area, path);
  GetDbfRecord(area, 1);
  EXPECT_EQ(Text(area.RecordBuffer), "*\xE9t\xE4 ");

  area.RecordBuffer = {'*', 0xE9, 0x80, 0xE4, 0xC9};  // the euro sign has no OEM form
  const auto inMemory = area.RecordBuffer;
  PutDbfRecord(area, 1);
  EXPECT_EQ(area.RecordBuffer, inMemory) << "memory stays as it was";
  EXPECT_EQ(Contents(path).substr(kHeader, 5), "*\x82?\x84\x90");
  GetDbfRecord(area, 1);
  EXPECT_EQ(Text(area.RecordBuffer), "*\xE9?\xE4\xC9");
}

TEST_F(RecordsTest, TransformsRunOutsideTheOemTranslation) {
  OpenWords();
  std::vector<std::string> calls;
  const auto rotate = [&calls](const char* name, int by) {
    return [&calls, name, by](std::uint8_t* bytes, std::size_t length) {
      calls.push_back(name + std::string(reinterpret_cast<char*>(bytes), length));
      for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(bytes[i] + by);
    };
  };
  area.ReadTransform = rotate("read ", -1);
  area.WriteTransform = rotate("write ", 1);
  area.OemTranslate = true;
  GetDbfRecord(area, 1);
  EXPECT_EQ(Text(area.RecordBuffer), " `kog`\x1F");
  area.RecordBuffer = {' ', 0xE9, 'a', 'b', 'c', 'd', 'e'};
  PutDbfRecord(area, 1);
  EXPECT_EQ(Contents(path).substr(kHeader, kRecord), " \x83" "bcdef");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1], "write \x82" "abcde") << "encoding: OEM first, then the transform";
}

TEST_F(RecordsTest, TranslateRecordWorksRecordByRecord) {
  std::vector<std::uint8_t> buffer = {'*', 0x82, 0x84, ' ', 0x82, 0x84, 'x'};
  TranslateRecord(false, true, nullptr, buffer.size(), 3, buffer.data());
  EXPECT_EQ(Text(buffer), std::string("*\xE9\xE4 \xE9\xE4x"))
      << "each record's flag stays, a partial record at the end is left alone";
  TranslateRecord(true, false, nullptr, buffer.size(), 3, buffer.data());
  EXPECT_EQ(Text(buffer), std::string("*\xE9\xE4 \xE9\xE4x")) << "nothing to do";
}

}  // namespace
}  // namespace xbase
