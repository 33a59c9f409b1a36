// Memo streams: memos read and written byte for byte, with OEM detection and record
// transforms.

#include <gtest/gtest.h>

#include "tests/xbase/memo/MemoTest.h"

namespace xbase {
namespace {

using MemoStreamsTest = MemoTest;

TEST_F(MemoStreamsTest, AStreamReadsAPlainMemoUpToItsEndMark) {
  CreateMemoTable(kDbase3);
  const std::int32_t block = AddMemo("plain text");
  EXPECT_EQ(OpenBlob(false, block, 1), -block);
  EXPECT_EQ(SeekBlob(0, 2), 10);  // read through to find the end
  EXPECT_EQ(SeekBlob(6, 0), 6);
  char piece[20];
  ASSERT_EQ(ReadBlobStream(piece, sizeof piece), 4);
  EXPECT_EQ(std::string(piece, 4), "text");
  EXPECT_EQ(ReadBlobStream(piece, sizeof piece), 0);
  EXPECT_EQ(SeekBlob(-4, 1), 6);
  EXPECT_EQ(SeekBlob(-100, 1), 0);
  CloseBlob();
}

TEST_F(MemoStreamsTest, StreamsWriteEveryByteInEveryDialect) {
  std::string bytes;
  for (int i = 0; i < 3; ++i) bytes += AllBytes();
  for (const Dialect& dialect : kDialects) {
    SCOPED_TRACE(DialectName(dialect));
    CreateMemoTable(dialect);
    AddMemo("before");
    const std::string caller = bytes;
    const std::int32_t block = StreamMemo(caller);
    EXPECT_EQ(caller, bytes);
    // In dBase III the end marks among the bytes need the group header, told by the negated
    // block.
    EXPECT_EQ(block < 0, dialect.version == 0x83);
    EXPECT_EQ(StreamText(block), bytes);
    // The header tells where the next memo goes, as after any write.
    const std::uint64_t size = MemoFile().size();
    EXPECT_EQ(NextFree(), (size + dialect.blockSize - 1) / dialect.blockSize);
    EXPECT_EQ(StreamText(AddMemo("after")), "after");
    EXPECT_EQ(StreamText(block), bytes);
    OpenBlob(false, block, 1);
    EXPECT_EQ(SeekBlob(0, 2), static_cast<std::int32_t>(bytes.size()));
    CloseBlob();
    CloseArea();
  }
}

TEST_F(MemoStreamsTest, Dbase3StreamsWritePlainMemosAsEveryWriterDoes) {
  CreateMemoTable(kDbase3);
  const std::string text = std::string(600, 'p') + "\r\nend";
  EXPECT_EQ(OpenBlob(false, 0, 2), 1);
  WriteBlobStream(text.data(), 300);
  WriteBlobStream(text.data() + 300, static_cast<std::int32_t>(text.size() - 300));
  EXPECT_EQ(CloseBlob(), 1);
  // As AddMemo writes it: the text, two end marks, zeros to the end of the block.
  const std::int32_t added = AddMemo(text);
  EXPECT_EQ(MemoFile().substr(512, 1024), MemoFile().substr(added * 512, 1024));
  EXPECT_EQ(MemoFile().substr(512, text.size() + 3), text + "\x1A\x1A" + std::string(1, '\0'));
  EXPECT_EQ(StreamText(1), text);
  EXPECT_EQ(LinesText(1), text);

  // Bytes that end a plain memo move behind the group header; so does a gap a seek left.
  for (const std::string& bytes : {std::string("a\x1A" "b"), std::string("a\0b", 3)}) {
    EXPECT_EQ(StreamText(StreamMemo(bytes)), bytes);
  }
  const std::int32_t first = OpenBlob(false, 0, 2);
  WriteBlobStream("ab", 2);
  SeekBlob(4, 0);
  WriteBlobStream("cd", 2);
  const std::int32_t gapped = CloseBlob();
  EXPECT_EQ(gapped, -first);
  EXPECT_EQ(StreamText(gapped), std::string("ab\0\0cd", 6));
  // Written over, what was written last counts.
  OpenBlob(false, 0, 2);
  WriteBlobStream("xyz", 3);
  SeekBlob(0, 0);
  WriteBlobStream("X", 1);
  const std::int32_t over = CloseBlob();
  EXPECT_GT(over, 0);
  EXPECT_EQ(StreamText(over), "Xyz");
}

TEST_F(MemoStreamsTest, ReadsOfASharedTableDeliverEveryLengthWhole) {
  // Shared, a memo's first bytes come with its header, and the rest from the file: lengths on
  // both sides of what that first read holds (the last one where the file ends in it), read in
  // pieces smaller and larger than it.
  std::vector<std::string> texts;
  for (const std::size_t length : {1u, 700u, 4087u, 4088u, 4089u, 4095u, 4096u, 4097u, 9000u, 5u}) {
    std::string text;
    for (std::size_t i = 0; text.size() < length; ++i) text += static_cast<char>('a' + i % 26);
    texts.push_back(text);
  }
  for (const Dialect& dialect : kDialects) {
    SCOPED_TRACE(DialectName(dialect));
    CreateMemoTable(dialect, "memo", "");
    std::vector<std::int32_t> blocks;
    for (const std::string& text : texts) blocks.push_back(AddMemo(text));
    for (std::size_t i = 0; i < texts.size(); ++i) {
      SCOPED_TRACE(texts[i].size());
      EXPECT_EQ(StreamText(blocks[i]), texts[i]);
      EXPECT_EQ(LinesText(blocks[i]), texts[i]);
      for (const std::size_t piece : {1u, 4096u, 10000u}) {
        OpenBlob(false, blocks[i], 1);
        std::string read;
        std::vector<char> buffer(piece);
        while (const std::int32_t n = ReadBlobStream(buffer.data(), static_cast<std::int32_t>(piece)))
          read.append(buffer.data(), n);
        EXPECT_EQ(read, texts[i]) << piece;
        EXPECT_EQ(SeekBlob(0, 2), static_cast<std::int32_t>(texts[i].size()));
        EXPECT_EQ(SeekBlob(-1, 2), static_cast<std::int32_t>(texts[i].size() - 1));
        char last = 0;
        EXPECT_EQ(ReadBlobStream(&last, 1), 1);
        EXPECT_EQ(last, texts[i].back());
        CloseBlob();
      }
    }
    CloseArea();
  }
}

TEST_F(MemoStreamsTest, AStreamClosedUnwrittenLeavesNoMemo) {
  CreateMemoTable(kDbase4);
  AddMemo("x");
  const std::int32_t block = OpenBlob(false, 0, 2);
  EXPECT_EQ(SeekBlob(0, 2), 0);
  EXPECT_EQ(CloseBlob(), 0);
  EXPECT_EQ(MemoFile().size(), 1024u);
  EXPECT_EQ(NextFree(), 2u);
  QuietErrors();
  EXPECT_EQ(OpenBlob(false, block, 1), 0);
  EXPECT_EQ(ErrorCode, 1003);
}

TEST_F(MemoStreamsTest, AStreamWriterHoldsTheMemoLockUntilItCloses) {
  CreateMemoTable(kFoxPro, "memo", "");
  Select(2);
  Use(At("memo.dbf") + " ALIAS SECOND", nullptr, 0);
  Select(1);
  const std::int32_t block = OpenBlob(false, 0, 2);
  WriteBlobStream("streamed", 8);
  Select(2);
  MemoLockTries = 1;
  QuietErrors();
  EXPECT_EQ(AddMemo("waits"), 0);
  EXPECT_EQ(ErrorCode, 1017);
  Select(1);
  EXPECT_EQ(AddMemo("same area"), 0) << "the stream of this area writes at the end";
  CloseBlob();
  Select(2);
  const std::int32_t later = AddMemo("later");
  EXPECT_GT(later, block);
  EXPECT_EQ(StreamText(block), "streamed");
  EXPECT_EQ(StreamText(later), "later");
}

TEST_F(MemoStreamsTest, OemTextIsTranslatedWhenItsFirstBytesLookLikeText) {
  CreateMemoTable(kDbase4);
  const std::string ansi = "Gr\xFC\xDF" "e\r\n\t\xE9t\xE9";   // Windows-1252
  const std::string oem = "Gr\x81\xE1" "e\r\n\t\x82t\x82";    // code page 850
  OpenBlob(true, 0, 2);
  EXPECT_EQ(WriteBlobStream(ansi.data(), static_cast<std::int32_t>(ansi.size())),
            static_cast<std::int32_t>(ansi.size()));
  std::int32_t block = CloseBlob();
  EXPECT_EQ(StreamText(block), oem);
  OpenBlob(true, block, 1);
  char piece[40];
  const std::int32_t n = ReadBlobStream(piece, sizeof piece);
  EXPECT_EQ(std::string(piece, n), ansi);
  CloseBlob();

  // A control byte among the first bytes: binary data, left alone for the whole stream.
  const std::string binary = "\x01\x81\xE1";
  OpenBlob(true, 0, 2);
  WriteBlobStream(binary.data(), 3);
  WriteBlobStream(ansi.data(), static_cast<std::int32_t>(ansi.size()));
  block = CloseBlob();
  EXPECT_EQ(StreamText(block), binary + ansi);
  OpenBlob(true, block, 1);
  const std::int32_t m = ReadBlobStream(piece, sizeof piece);
  EXPECT_EQ(std::string(piece, m), binary + ansi);
  CloseBlob();
}

TEST_F(MemoStreamsTest, RecordTransformsApplyAlikeToEveryWayIn) {
  const auto flip = [](std::uint8_t* bytes, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) bytes[i] ^= 0x5A;
  };
  for (const Dialect& dialect : kDialects) {
    SCOPED_TRACE(DialectName(dialect));
    CreateMemoTable(dialect);
    CloseArea();
    UseWithMode(At("memo.dbf") + " EXCLUSIVE", nullptr, 0, flip, flip);
    const std::string text = std::string(700, 'q') + "\r\nend";
    const std::int32_t added = AddMemo(text);
    EXPECT_EQ(MemoFile().find("qqqq"), std::string::npos) << "stored transformed";
    EXPECT_EQ(StreamText(added), text);
    const std::int32_t streamed = StreamMemo(text);
    EXPECT_EQ(LinesText(streamed), text);
    EXPECT_EQ(StreamText(streamed), text);
    // The group header a dBase III stream may take moves the bytes as they were stored.
    const std::string marked = text + "\x1A" + text;
    EXPECT_EQ(StreamText(StreamMemo(marked)), marked);
    CloseArea();
  }
}

}  // namespace
}  // namespace xbase
