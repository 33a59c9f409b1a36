#include <gtest/gtest.h>

#include "tests/xbase/workarea/WorkAreaTest.h"

namespace xbase {
namespace {

class PeekTest : public WorkAreaTest {
 protected:
  static std::string Peeked(int field, std::int64_t rec) {
    std::string text = "untouched";
    Peek(field, rec, text);
    return text;
  }
};

TEST_F(PeekTest, FieldsOfAnyRecordWithAndWithoutTheCache) {
  for (std::uint16_t cache : {0, 30, 4096}) {
    PeekCacheSize = cache;
    UsePeople(5, {2});
    Go(4);
    EXPECT_EQ(Peeked(0, 2), "*") << cache;
    EXPECT_EQ(Peeked(0, 3), " ") << cache;
    EXPECT_EQ(Peeked(1, 5), "E       ") << cache;
    EXPECT_EQ(Peeked(2, 1), " 10") << cache;
    EXPECT_EQ(Peeked(3, 2), "F") << cache;
    EXPECT_EQ(Peeked(1, 1), "A       ") << cache;
    for (const auto& [field, rec] : {std::pair{1, 0}, std::pair{1, 6}, std::pair{4, 1}, std::pair{-1, 1}})
      EXPECT_EQ(Peeked(field, rec), "untouched") << field << " " << rec;
    EXPECT_EQ(RecNo(), 4u) << "the current record stays";
    CloseArea();
  }
}

TEST_F(PeekTest, PokeWritesOneFieldAndTheCacheFollows) {
  PeekCacheSize = 4096;
  const std::string path = UsePeople(3, {}, " EXCLUSIVE");
  EXPECT_EQ(Peeked(1, 2), "B       ");
  Poke("LONGER THAN EIGHT", 1, 2);
  EXPECT_EQ(Peeked(1, 2), "LONGER T");
  Poke("*", 0, 3);
  EXPECT_EQ(Peeked(0, 3), "*");
  Poke("x", 1, 4);  // beyond the table: nothing
  CloseArea();
  const std::string bytes = Contents(path);
  EXPECT_EQ(bytes.substr(129 + 13, 13), " LONGER T 20F") << "the next field is untouched";
  EXPECT_EQ(bytes[129 + 26], '*');
  EXPECT_EQ(bytes.size(), 129u + 3 * 13 + 1);
}

TEST_F(PeekTest, PokeOnASharedTableNeedsTheRecordLock) {
  QuietErrors();
  UsePeople(3);
  Poke("Q", 1, 2);
  EXPECT_EQ(ErrorCode, 1200);
  EXPECT_EQ(LastErrorMessage, "Record not locked [Poke(Q,1,2)]");
  ASSERT_TRUE(ALock());
  Poke("Q", 1, 2);
  EXPECT_EQ(ErrorCode, 1200);
  Unlock();
  Go(2);
  ASSERT_TRUE(RLock());
  Poke("Q", 1, 2);
  EXPECT_EQ(ErrorCode, 0);
  EXPECT_EQ(Peeked(1, 2), "Q       ");
}

TEST_F(PeekTest, ASecondTableReplacesTheCache) {
  PeekCacheSize = 4096;
  UsePeople(3);
  EXPECT_EQ(Peeked(1, 1), "A       ");
  Select(2);
  DbfImage image;
  image.Field("CODE", 'C', 8).Record("other   ");
  Use(Write("other.dbf", image.Bytes()), nullptr, 0);
  EXPECT_EQ(Peeked(1, 1), "other   ");
  Select(1);
  EXPECT_EQ(Peeked(1, 1), "A       ");
}

TEST_F(PeekTest, TheCacheHoldsOnlyWholeRecordsRead) {
  PeekCacheSize = 4096;
  const std::string path = UsePeople(3);
  EXPECT_EQ(Peeked(1, 2), "B       ");  // the cache holds records 2 and 3
  Select(2);
  Use(path + " ALIAS WRITER", nullptr, 0);
  ASSERT_TRUE(ALock());
  ClearRecord();
  Set("NAME", "NEW");
  Append();
  Select(1);
  ASSERT_EQ(RecCount(), 4u);
  EXPECT_EQ(Peeked(1, 4), "NEW     ") << "read from the file, not from the cache";
}

TEST_F(PeekTest, CachedAndUncachedAgreeAfterAReplaceOnAnOemTable) {
  PeekCacheSize = 4096;
  const std::string path = UsePeople(3, {}, " EXCLUSIVE");
  EXPECT_EQ(Peeked(1, 2), "B       ");
  Go(2);
  Set("NAME", "Caf\xE9");  // é, stored as 0x82 in code page 850
  Replace();
  const std::string cached = Peeked(1, 2);
  EXPECT_EQ(cached, "Caf\x82    ");
  PeekCacheSize = 0;
  DropPeekCache();
  EXPECT_EQ(Peeked(1, 2), cached);
  // Deleting goes through the cache too.
  PeekCacheSize = 4096;
  EXPECT_EQ(Peeked(0, 3), " ");
  Go(3);
  DeleteRec();
  EXPECT_EQ(Peeked(0, 3), "*");
}

}  // namespace
}  // namespace xbase
