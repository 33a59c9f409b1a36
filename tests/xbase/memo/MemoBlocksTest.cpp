// The dBase IV free-block chain, on memo files built by hand with 64-byte blocks:
//   block 0 header, 1-2 memo A (100 bytes), 3-5 a free run, 6-8 memo B (150 bytes); 9 blocks.

#include <gtest/gtest.h>

#include "tests/xbase/memo/MemoTest.h"
#include "xbase/core/ByteOrder.h"
#include "xbase/memo/MemoInternal.h"

namespace xbase {
namespace {

constexpr std::size_t kBlock = 64;

class MemoBlocksTest : public MemoTest {
 protected:
  void SetUp() override {
    MemoTest::SetUp();
    CreateMemoTable({0x8B, kBlock, "dbt"});
    CloseArea();
    a_ = std::string(100, 'A');
    b_ = std::string(150, 'B');
  }

  // Writes the file: the header says nextFree, then the blocks as given (each padded).
  void WriteFile(std::uint32_t nextFree, const std::vector<std::string>& blocks) {
    std::string file = std::string("\0\0\0\0\0\0\0\0memo\0\0\0\0\0\0\x02\x01\x40\0\0\0", 24);
    Put(file, 0, nextFree);
    file.resize(kBlock, '\0');
    for (std::string block : blocks) {
      block.resize((block.size() + kBlock - 1) / kBlock * kBlock, '\0');
      file += block;
    }
    Write("memo.dbt", file);
    Use(At("memo.dbf") + " EXCLUSIVE", nullptr, 0);
  }

  static void Put(std::string& bytes, std::size_t at, std::uint32_t value) {
    PutLE32(reinterpret_cast<std::uint8_t*>(&bytes[at]), value);
  }
  static std::string Memo(const std::string& text) {
    std::string run = "\xFF\xFF\x08" + std::string(5, '\0') + text;
    Put(run, 4, static_cast<std::uint32_t>(text.size() + 8));
    return run;
  }
  static std::string FreeRun(std::uint32_t next, std::uint32_t size) {
    std::string run(8, '\0');
    Put(run, 0, next);
    Put(run, 4, size);
    return run;
  }
  // The usual layout with the free run at 3 as given.
  void WriteLayout(std::uint32_t nextFree, const std::string& run3) {
    WriteFile(nextFree, {Memo(a_), run3, std::string(2 * kBlock, '\0'), Memo(b_)});
    ASSERT_EQ(MemoFile().size(), 9 * kBlock);
  }

  std::uint32_t At32(std::size_t offset) const {
    return GetLE32(reinterpret_cast<const std::uint8_t*>(MemoFile().data() + offset));
  }

  static std::int32_t Rewrite(std::int32_t old, const std::string& text) {
    MemoLineTable lines;
    SplitMemoLines(text, 0, lines);
    std::int32_t block = 0;
    return EditMemo(lines, old, block) ? block : -1;
  }

  std::string a_, b_;
};

TEST_F(MemoBlocksTest, AFreeRunThatHoldsTheMemoIsTakenAndUnlinked) {
  WriteLayout(3, FreeRun(9, 3));
  EXPECT_EQ(Rewrite(1, std::string(150, 'N')), 3);
  EXPECT_EQ(MemoFile().size(), 9 * kBlock) << "the file did not grow";
  EXPECT_EQ(StreamText(3), std::string(150, 'N'));
  EXPECT_EQ(StreamText(6), b_);
  EXPECT_EQ(NextFree(), 9u);
}

TEST_F(MemoBlocksTest, ThePartOfARunNotTakenStaysFree) {
  WriteLayout(3, FreeRun(9, 3));
  EXPECT_EQ(Rewrite(0, std::string(80, 'N')), 3);
  EXPECT_EQ(At32(5 * kBlock), 9u);  // the rest: a run of 1 block at 5
  EXPECT_EQ(At32(5 * kBlock + 4), 1u);
  EXPECT_EQ(StreamText(3), std::string(80, 'N'));
  EXPECT_EQ(StreamText(1), a_);
  EXPECT_EQ(StreamText(6), b_);
}

TEST_F(MemoBlocksTest, ARewriteThatFitsStaysInPlaceAndFreesExactlyItsSurplus) {
  // A holds blocks 1-3 here, a free run block 4, B blocks 5-7.
  WriteFile(4, {Memo(std::string(150, 'A')), FreeRun(8, 1), Memo(b_)});
  EXPECT_EQ(Rewrite(1, "short"), 1);
  EXPECT_EQ(At32(2 * kBlock), 4u);  // blocks 2-3 became a free run in front of the head
  EXPECT_EQ(At32(2 * kBlock + 4), 2u);
  EXPECT_EQ(StreamText(1), "short");
  EXPECT_EQ(StreamText(5), b_);
}

TEST_F(MemoBlocksTest, AChainThatRunsIntoAMemoEndsThere) {
  WriteLayout(6, FreeRun(9, 3));  // the header points at memo B
  EXPECT_EQ(Rewrite(1, std::string(150, 'N')), 9);
  EXPECT_EQ(StreamText(6), b_) << "nothing was written into B";
  EXPECT_EQ(StreamText(9), std::string(150, 'N'));
}

TEST_F(MemoBlocksTest, AFreeRunThatClaimsALiveMemoIsNotTaken) {
  // The run at 3 says it holds 6 blocks, 3 to 8, though memo B starts at 6.
  for (const std::size_t length : {200, 150}) {  // 4 blocks, or 3 and the rest recorded at 6
    SCOPED_TRACE(length);
    WriteLayout(3, FreeRun(9, 6));
    const std::string text(length, 'N');
    EXPECT_EQ(Rewrite(0, text), 9) << "at the end of the file";
    EXPECT_EQ(StreamText(6), b_);
    EXPECT_EQ(StreamText(1), a_);
    EXPECT_EQ(StreamText(9), text);
    CloseArea();
  }
}

TEST_F(MemoBlocksTest, ALoopingChainIsAnErrorAndTheOldMemoStays) {
  WriteLayout(3, FreeRun(3, 1));
  QuietErrors();
  EXPECT_EQ(Rewrite(1, std::string(150, 'N')), -1);
  EXPECT_EQ(ErrorCode, 1003);
  EXPECT_EQ(LastErrorMessage, MemoPath() + " free block chain is broken [EditMemo/CloseMemo]");
  EXPECT_EQ(StreamText(1), a_);
}

TEST_F(MemoBlocksTest, ALongChainIsWalkedNoFurtherThanAHundredRuns) {
  std::vector<std::string> blocks;
  for (std::uint32_t n = 1; n <= 150; ++n) blocks.push_back(FreeRun(n + 1, 1));
  WriteFile(1, blocks);
  EXPECT_EQ(Rewrite(0, std::string(100, 'N')), 151);
  EXPECT_EQ(StreamText(151), std::string(100, 'N'));
}

TEST_F(MemoBlocksTest, FreedRunsAreRecordedWithTheirExactSize) {
  // A memo of 120 bytes and its header fills blocks 1 and 2 exactly; a free run at 3.
  WriteFile(3, {Memo(std::string(120, 'A')), FreeRun(5, 1), Memo("next")});
  MemoDescriptor& memo = *WorkArea(1)->MemoDescriptor;
  ASSERT_TRUE(memo::FreeMemoRun(memo, 1));
  EXPECT_EQ(At32(0), 1u);
  EXPECT_EQ(At32(kBlock), 3u);
  EXPECT_EQ(At32(kBlock + 4), 2u);
  EXPECT_EQ(StreamText(4), "next");
  // Freeing nothing records nothing.
  const std::string before = MemoFile();
  ASSERT_TRUE(memo::FreeMemoBlocks(memo, 6, 0));
  EXPECT_EQ(MemoFile(), before);
}

}  // namespace
}  // namespace xbase
