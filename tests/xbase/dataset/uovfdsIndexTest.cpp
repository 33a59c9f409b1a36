// TOvFileDataSet's index files: those of IndexList opened or built at open as CreateIndex says,
// with the progress window, and the index methods.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <ctime>

#include "tests/xbase/dataset/DatasetTest.h"
#include "xbase/dataset/ovmsg.h"
#include "xbase/dataset/uovfds.h"
#include "xbase/index/ovndx.h"

namespace xbase {
namespace {

// ENTRY C(10) of three records, shared.
class IndexListTest : public DatasetTest {
 protected:
  void SetUp() override {
    DatasetTest::SetUp();
    data.SetName("CLUES");
    DbfImage image;
    image.Field("ENTRY", 'C', 10);
    for (const char* entry : {"EMU", "CAT", "DOG"}) image.Record(std::string(entry) + std::string(10 - std::strlen(entry), ' '));
    table = Write("clues.dbf", image.Bytes());
    data.SetDbfFileName(table);
    data.IndexList() = {"1,clues.ndx,ENTRY"};
    data.OnBeforeMakeIndex = [this](const std::string& name, bool& canMake) {
      asked.push_back(name);
      EXPECT_TRUE(canMake);
      canMake = allowBuild;
    };
    data.OnAfterMakeIndex = [this](const std::string&) { ++built; };
  }

  // Builds the index over the first `records` records, as an older open of the table left it.
  void WriteIndex(std::uint32_t records) {
    Select(30);
    Use(table + " ALIAS MAKER", nullptr, 0);
    IndexOnExpr("ENTRY", At("clues.ndx"));
    CloseArea();
    if (records < 3) {
      // The stamp says the table had fewer records then.
      std::string bytes = Contents(At("clues.ndx"));
      const std::uint32_t stamp = records;
      const std::uint32_t inverted = ~stamp;
      std::memcpy(&bytes[488], &inverted, 4);
      std::memcpy(&bytes[492], &stamp, 4);
      Write("clues.ndx", bytes);
    }
  }

  // A semaphore file as a program that uses the table today leaves it, or one of yesterday.
  void WriteSemaphoreFile(bool today) {
    const std::string path = Write("clues.@S@", std::string(4, '\0'));
    if (today) return;
    const std::time_t yesterday = std::time(nullptr) - 36 * 3600;
    const utimbuf times{yesterday, yesterday};
    ASSERT_EQ(utime(path.c_str(), &times), 0);
  }

  std::vector<std::string> Walk() {
    std::vector<std::string> entries;
    for (data.First(); !data.Eof(); data.Next()) entries.push_back(RTrimStr(data.GetFieldText("ENTRY")));
    return entries;
  }

  TOvDbf data;
  std::string table;
  bool allowBuild = true;
  std::vector<std::string> asked;  // the files OnBeforeMakeIndex was asked about
  int built = 0;
};

enum class IndexState { Missing, Stale, Fresh };
enum class Outcome { Built, Opened, Error2, Refused };

struct PolicyCase {
  TCreateIndexType policy;
  IndexState state;
  bool semaphoreToday;
  Outcome outcome;
};

const PolicyCase kPolicies[] = {
    {ciNotFound, IndexState::Missing, false, Outcome::Built},
    // An index whose stamp lags its table misses records: it is refused, as damaged files are.
    {ciNotFound, IndexState::Stale, false, Outcome::Built},
    {ciNotFound, IndexState::Fresh, false, Outcome::Opened},
    {ciAlways, IndexState::Missing, false, Outcome::Built},
    {ciAlways, IndexState::Fresh, false, Outcome::Built},
    {ciAlways, IndexState::Fresh, true, Outcome::Opened},
    {ciAlways, IndexState::Missing, true, Outcome::Built},
    {ciVerifyHeader, IndexState::Missing, false, Outcome::Built},
    {ciVerifyHeader, IndexState::Stale, false, Outcome::Built},
    {ciVerifyHeader, IndexState::Fresh, false, Outcome::Opened},
    {ciVerifyHeader, IndexState::Stale, true, Outcome::Built},
    {ciNever, IndexState::Missing, false, Outcome::Error2},
    {ciNever, IndexState::Stale, false, Outcome::Refused},
};

class PolicyTest : public IndexListTest, public ::testing::WithParamInterface<PolicyCase> {};

TEST_P(PolicyTest, IndexesOpenOrBuildAsThePolicySays) {
  const PolicyCase& c = GetParam();
  if (c.state != IndexState::Missing) WriteIndex(c.state == IndexState::Fresh ? 3 : 2);
  if (c.semaphoreToday) WriteSemaphoreFile(true);
  data.SetCreateIndex(c.policy);
  if (c.outcome == Outcome::Error2 || c.outcome == Outcome::Refused) {
    EXPECT_THROW(data.Open(), EOrvelError);
    EXPECT_EQ(ErrorCode, c.outcome == Outcome::Error2 ? 2 : 222);
    EXPECT_FALSE(data.Active());
    EXPECT_EQ(FileFound(At("clues.ndx")), c.outcome == Outcome::Refused);
    return;
  }
  data.Open();
  EXPECT_EQ(built, c.outcome == Outcome::Built ? 1 : 0);
  EXPECT_EQ(asked, c.outcome == Outcome::Built ? std::vector<std::string>{"clues.ndx"} : std::vector<std::string>{});
  EXPECT_EQ(Walk(), (std::vector<std::string>{"CAT", "DOG", "EMU"}));
  EXPECT_EQ(ReadIndexStamp(At("clues.ndx")), 3);
}

INSTANTIATE_TEST_SUITE_P(Policies, PolicyTest, ::testing::ValuesIn(kPolicies));

TEST_F(IndexListTest, IndexThatMayNotBeBuiltLeavesItsErrorReported) {
  allowBuild = false;
  EXPECT_THROW(data.Open(), EOrvelError);
  EXPECT_EQ(ErrorCode, 2);
  EXPECT_EQ(built, 0);
  EXPECT_FALSE(data.Active());
  EXPECT_FALSE(FileFound(At("clues.ndx")));
}

TEST_F(IndexListTest, SemaphoreFileOfAnEarlierDayIsErasedUnlessItIsHeld) {
  WriteIndex(3);
  WriteSemaphoreFile(false);
  data.SetCreateIndex(ciAlways);
  data.Open();
  EXPECT_EQ(built, 1) << "nobody used the table today: the index is rebuilt";
  data.Close();

  // Another open of the table, logged in to its semaphore file, holds it.
  Select(30);
  Use(table + " ALIAS OTHER", nullptr, 0);
  ASSERT_TRUE(SetIndexToOrder(At("clues.ndx"), 1));
  const std::time_t yesterday = std::time(nullptr) - 36 * 3600;
  const utimbuf times{yesterday, yesterday};
  ASSERT_EQ(utime(At("clues.@S@").c_str(), &times), 0);
  data.Open();
  EXPECT_EQ(built, 1) << "in use: only opened";
  EXPECT_TRUE(FileFound(At("clues.@S@")));
}

TEST_F(IndexListTest, OrdersOfTheListInTheirSlots) {
  data.IndexList() = {"2,upper.ndx,UPPER(ENTRY)", "1,clues.ndx,ENTRY"};
  data.Open();
  EXPECT_EQ(asked, (std::vector<std::string>{"upper.ndx", "clues.ndx"}));
  EXPECT_EQ(built, 2);
  data.FieldCount();  // the dataset's area is current now
  ASSERT_NE(OrderInSlot(1), nullptr);
  ASSERT_NE(OrderInSlot(2), nullptr);
  EXPECT_EQ(OrderInSlot(1)->KeyText, "ENTRY");
  EXPECT_EQ(OrderInSlot(2)->KeyText, "UPPER(ENTRY)");
  EXPECT_TRUE(data.FindExact("DOG"));
}

// Records what the progress window shows.
class RecordingDisplay final : public MsgWindowDisplay {
 public:
  MsgExtent TextExtent(const std::string& text, const std::string&) override {
    return {static_cast<int>(text.size()) * 8, 16};
  }
  int CaptionHeight() override { return 19; }
  FormHandle ActiveForm() override { return nullptr; }
  MsgBounds FormBounds(FormHandle) override { return {}; }
  MsgBounds ScreenBounds() override { return {0, 0, 1024, 768}; }
  void Placed(const TOvMsg& window) override { captions.push_back(window.Caption()); }
  void TextShown(const TOvMsg& window) override { bars.push_back(window.Text().size()); }
  void Destroyed(const TOvMsg&) override { ++destroyed; }

  std::vector<std::string> captions;
  std::vector<std::size_t> bars;
  int destroyed = 0;
};

TEST_F(IndexListTest, BuildShowsAdvancingProgress) {
  RecordingDisplay display;
  SetMsgWindowDisplay(&display);
  data.Open();
  SetMsgWindowDisplay(nullptr);
  EXPECT_EQ(display.captions, std::vector<std::string>{"Indexing clues.ndx..."});
  ASSERT_EQ(display.bars.size(), 101u) << "the full bar, then one step a call";
  EXPECT_EQ(display.bars.front(), 100u);
  EXPECT_EQ(display.bars.back(), 0u);
  EXPECT_EQ(display.destroyed, 1);

  data.Close();
  EraseFile(At("clues.ndx"));
  RecordingDisplay quiet;
  SetMsgWindowDisplay(&quiet);
  data.SetShowProgress(false);
  data.Open();
  SetMsgWindowDisplay(nullptr);
  EXPECT_TRUE(quiet.captions.empty());
  EXPECT_EQ(built, 2);
}

TEST_F(IndexListTest, IndexMethods) {
  data.IndexList().clear();
  data.Open();
  data.IndexOn("ENTRY", "byentry.ndx");
  EXPECT_EQ(Walk(), (std::vector<std::string>{"CAT", "DOG", "EMU"}));
  EXPECT_FALSE(data.IsSequenced());

  // Keys made by the dataset's own callback, from the record in its buffer: the last letter.
  int calls = 0;
  const auto lastLetter = [](TOvFileDataSet& dataSet) {
    const std::string entry = RTrimStr(dataSet.GetFieldText("ENTRY"));
    return entry.empty() ? std::string(" ") : entry.substr(entry.size() - 1);
  };
  data.IndexOnCB("bylast.ndx", [&](TOvFileDataSet& dataSet) {
    ++calls;
    return lastLetter(dataSet);
  });
  EXPECT_GE(calls, 3);
  EXPECT_EQ(Walk(), (std::vector<std::string>{"DOG", "CAT", "EMU"}));  // G, T, U
  EXPECT_EQ(data.State(), platform::db::dsBrowse);

  data.SetIndexToLFN("byentry", 1);
  EXPECT_EQ(Walk(), (std::vector<std::string>{"CAT", "DOG", "EMU"}));
  data.SetIndexToCB("bylast.ndx", 1, lastLetter);
  EXPECT_TRUE(data.Find("G"));
  EXPECT_EQ(RTrimStr(data.GetFieldText("ENTRY")), "DOG");

  data.IndexOn("UPPER(ENTRY)", "upper.ndx");
  data.SetIndexTo("upper byentry");
  EXPECT_EQ(Walk(), (std::vector<std::string>{"CAT", "DOG", "EMU"}));
  data.FieldCount();  // the dataset's area is current now
  ASSERT_NE(OrderInSlot(2), nullptr);
  EXPECT_EQ(OrderInSlot(1)->KeyText, "UPPER(ENTRY)");
}

}  // namespace
}  // namespace xbase
