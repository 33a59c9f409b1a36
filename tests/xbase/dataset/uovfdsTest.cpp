// TOvFileDataSet without indexes: opening (alias, sharing, creation, read-only), the locks, the
// locked-write loop with its events, and memo fields through TOvBlobStream.
//
// A second work area of this process stands in for another program: each area opens the table
// on its own, so their locks conflict as two programs' do.

#include "xbase/dataset/uovfds.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "platform/db/DbErrors.h"
#include "tests/xbase/dataset/DatasetTest.h"
#include "xbase/index/ovndx.h"

namespace xbase {
namespace {

using platform::db::dsBrowse;
using platform::db::dsEdit;
using platform::db::dsInsert;
using platform::db::EDatabaseError;

class UOvFDsTest : public DatasetTest {
 protected:
  void SetUp() override {
    DatasetTest::SetUp();
    data.SetName("PEOPLE");
  }

  std::string WritePeople(int count) { return Write("people.dbf", People(count).Bytes()); }

  // Opens the table again in area `area` of this process, as another program would.
  static void OpenElsewhere(const std::string& path, std::uint8_t area = 20, const std::string& options = "") {
    Select(area);
    Use(path + options + " ALIAS OTHER" + std::to_string(area), nullptr, 0);
  }

  // A table of notes with a memo field, made by the dataset from DbfFields.
  void OpenNotes() {
    data.DbfFields() = {"NAME,C,8,0", "NOTE,M,10,0"};
    data.SetDbfFileName(At("notes.dbf"));
    data.Open();
  }

  TOvDbf data;
};

TEST_F(UOvFDsTest, OpensSharedUnderItsNameAsAlias) {
  const std::string path = WritePeople(2);
  data.SetDbfFileName(path);
  data.Open();
  EXPECT_EQ(AliasOfCurrent(), "PEOPLE");
  EXPECT_FALSE(WorkArea(CurrentArea())->ExclusiveFlag);
  OpenElsewhere(path);
  EXPECT_EQ(RecCount(), 2u);
}

TEST_F(UOvFDsTest, ExclusiveReopensAndKeepsOthersOut) {
  const std::string path = WritePeople(2);
  data.SetDbfFileName(path);
  data.Open();
  data.Next();
  data.SetExclusive(true);
  EXPECT_TRUE(data.Active());
  EXPECT_EQ(data.GetFieldText("NAME"), "A       ");
  EXPECT_THROW(OpenElsewhere(path), EOrvelError);
  EXPECT_EQ(ErrorCode, 32);
  data.SetExclusive(false);
  OpenElsewhere(path);
  EXPECT_EQ(RecCount(), 2u);
}

TEST_F(UOvFDsTest, MissingTableCreatedFromDbfFieldsOnlyWhenAsked) {
  data.DbfFields() = {"ENTRY,C,30,0", "MORE,L,1,0"};
  data.SetDbfFileName(At("created.dbf"));
  data.SetCreateIfNotFound(false);
  EXPECT_THROW(data.Open(), EOrvelError);
  EXPECT_FALSE(FileFound(At("created.dbf")));

  data.SetCreateIfNotFound(true);
  data.Open();
  EXPECT_EQ(data.FieldCount(), 2);
  EXPECT_EQ(data.RecordCount(), 0);
  EXPECT_TRUE(messages.empty());
}

TEST_F(UOvFDsTest, TableThatCannotBeCreatedIsSaidSoAndTheOpenFails) {
  data.DbfFields() = {"ENTRY,C,30"};
  data.SetDbfFileName(At("bad.dbf"));
  EXPECT_THROW(data.Open(), EOrvelError);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Could not create \"" + At("bad.dbf") + "\"");
  EXPECT_FALSE(data.Active());
}

TEST_F(UOvFDsTest, ReadOnlyReadsAndRefusesEdits) {
  const std::string path = WritePeople(2);
  data.SetReadOnly(true);
  data.SetDbfFileName(path);
  data.Open();
  EXPECT_EQ(data.GetFieldText("NAME"), "A       ");
  EXPECT_THROW(data.Edit(), EDatabaseError);
  EXPECT_EQ(data.State(), dsBrowse);
  OpenElsewhere(path);
  EXPECT_EQ(RecCount(), 2u);
}

TEST_F(UOvFDsTest, LocksOfTheTable) {
  const std::string path = WritePeople(3);
  data.SetDbfFileName(path);
  data.Open();
  OpenElsewhere(path);
  data.Next();
  ASSERT_TRUE(data.RLock());
  Select(20);
  Go(2);
  EXPECT_FALSE(xbase::RLock());
  Go(1);
  EXPECT_TRUE(xbase::RLock());
  Unlock();
  EXPECT_FALSE(data.ALock());  // while it holds record locks
  data.UnLock();
  Select(20);
  Go(2);
  EXPECT_TRUE(xbase::RLock());
  Unlock();

  ASSERT_TRUE(data.FLock());
  Select(20);
  EXPECT_FALSE(xbase::FLock());
  EXPECT_TRUE(xbase::ALock());  // the table lock is beside the append lock
  Unlock();
  data.FUnLock();
  Select(20);
  EXPECT_TRUE(xbase::FLock());
  FUnlock();
}

// Each write of the dataset while another program holds the lock it needs.
struct LockedWriteCase {
  const char* name;
  const char* operation;
  bool appendLock;  // the other program holds the append lock, else record 1's lock
  TOvLockFailedEvent TOvFileDataSet::*event;
  std::function<void(TOvDbf&)> write;
};

const LockedWriteCase kLockedWrites[] = {
    {"Post", "Post", false, &TOvFileDataSet::OnRLockFailedOnPost,
     [](TOvDbf& data) {
       data.Edit();
       data.FieldByName("NAME").SetAsString("CHANGED");
       data.Post();
     }},
    {"Insert", "Insert", true, &TOvFileDataSet::OnALockFailedOnInsert,
     [](TOvDbf& data) {
       data.Append();
       data.FieldByName("NAME").SetAsString("NEW");
       data.Post();
     }},
    {"Delete", "Delete", false, &TOvFileDataSet::OnRLockFailedOnDelete, [](TOvDbf& data) { data.Delete(); }},
};

class LockedWriteTest : public UOvFDsTest, public testing::WithParamInterface<LockedWriteCase> {
 protected:
  void HoldLockElsewhere(const std::string& path) {
    OpenElsewhere(path);
    Go(1);
    ASSERT_TRUE(GetParam().appendLock ? xbase::ALock() : xbase::RLock());
  }
};

TEST_P(LockedWriteTest, RefusedLockWritesNothingAndRaises) {
  const std::string path = WritePeople(2);
  data.SetDbfFileName(path);
  data.Open();
  HoldLockElsewhere(path);
  const std::string before = Contents(path);
  try {
    GetParam().write(data);
    FAIL() << "the write went through";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(std::string(e.what()), "Lock failed [" + std::string(GetParam().operation) + "]");
  }
  EXPECT_EQ(messages, std::vector<std::string>{"Lock failed [" + std::string(GetParam().operation) + "]"});
  EXPECT_EQ(Contents(path), before);
  if (GetParam().name != std::string("Delete")) {
    EXPECT_TRUE(data.State() == dsEdit || data.State() == dsInsert) << "the edit stays";
  }
}

TEST_P(LockedWriteTest, HandlerThatAsksAgainGetsTheLockOnceItIsFree) {
  const std::string path = WritePeople(2);
  data.SetDbfFileName(path);
  data.Open();
  HoldLockElsewhere(path);
  const std::string before = Contents(path);
  int calls = 0;
  data.*(GetParam().event) = [&](TOvFileDataSet& sender, bool& retry) {
    EXPECT_EQ(&sender, &data);
    EXPECT_FALSE(retry);
    // The other program lets go after the second refusal.
    if (++calls == 2) {
      Select(20);
      Unlock();
    }
    retry = true;
  };
  GetParam().write(data);
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(data.State(), dsBrowse);
  EXPECT_NE(Contents(path), before);
  // The write gave its lock back.
  Select(20);
  Go(1);
  EXPECT_TRUE(xbase::RLock());
}

TEST_P(LockedWriteTest, HandlerThatGivesUpLeavesTheWriteUndone) {
  const std::string path = WritePeople(2);
  data.SetDbfFileName(path);
  data.Open();
  HoldLockElsewhere(path);
  int calls = 0;
  data.*(GetParam().event) = [&](TOvFileDataSet&, bool&) { ++calls; };
  EXPECT_THROW(GetParam().write(data), EDatabaseError);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Writes, LockedWriteTest, testing::ValuesIn(kLockedWrites),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UOvFDsTest, MemoWrittenAndReadThroughTheStream) {
  OpenNotes();
  data.Append();
  data.FieldByName("NAME").SetAsString("CAT");
  data.FieldByName("NOTE").SetAsString("Seen on every\r\nwindowsill");
  data.Post();
  data.Close();
  data.Open();
  EXPECT_EQ(data.FieldByName("NOTE").AsString(), "Seen on every\r\nwindowsill");
  EXPECT_EQ(data.FieldText("NOTE"), "Seen on every\r\nwindowsill");
  // Reading starts no edit.
  EXPECT_EQ(data.State(), dsBrowse);
  EXPECT_FALSE(data.Modified());
}

TEST_F(UOvFDsTest, WriteStreamWithoutBytesEmptiesTheMemo) {
  OpenNotes();
  data.Append();
  data.FieldByName("NOTE").SetAsString("to be dropped");
  data.Post();
  {
    auto stream = data.CreateBlobStream(data.FieldByName("NOTE"), platform::db::bmWrite);
    EXPECT_EQ(data.State(), dsEdit);
  }
  EXPECT_TRUE(data.Modified());
  data.Post();
  EXPECT_EQ(data.FieldByName("NOTE").AsString(), "");
  EXPECT_EQ(data.FieldByName("NOTE").AsString(), "");
}

TEST_F(UOvFDsTest, OneStreamPerWorkArea) {
  OpenNotes();
  data.Append();
  data.FieldByName("NOTE").SetAsString("first");
  data.Post();
  auto reading = data.CreateBlobStream(data.FieldByName("NOTE"), platform::db::bmRead);
  EXPECT_THROW(data.FieldByName("NOTE").AsString(), EDatabaseError);
  char text[5] = {};
  EXPECT_EQ(reading->Read(text, 5), 5);
  EXPECT_EQ(std::string(text, 5), "first");
  reading.reset();
  EXPECT_EQ(data.FieldByName("NOTE").AsString(), "first");
}

// ENTRY C(10) of CATS, CAV, CAT and CAT&, shared, with an index on ENTRY as its controlling
// order: in key order CAT, CAT&, CATS, CAV.
class SeekTest : public UOvFDsTest {
 protected:
  void SetUp() override {
    UOvFDsTest::SetUp();
    DbfImage image;
    image.Field("ENTRY", 'C', 10);
    for (const char* entry : {"CATS", "CAV", "CAT", "CAT&"}) image.Record(std::string(entry) + std::string(10 - std::strlen(entry), ' '));
    data.SetDbfFileName(Write("clues.dbf", image.Bytes()));
    data.SetHideDeletedRecs(true);
    data.Open();
    data.IndexOn("ENTRY", "clues.ndx");
  }

  std::string Shown() { return RTrimStr(data.GetFieldText("ENTRY")); }
};

TEST_F(SeekTest, SeeksStandWhereTheirKindSays) {
  enum Kind { kFind, kExact, kNear };
  struct Case {
    Kind kind;
    const char* key;
    bool found;
    const char* shown;
    bool eof;
  };
  const Case cases[] = {
      {kExact, "CAT", true, "CAT", false},     {kExact, "CATS", true, "CATS", false},
      {kExact, "CA", false, "CAV", true},      {kFind, "CA", true, "CAT", false},
      {kFind, "CAT&", true, "CAT&", false},    {kFind, "CAX", false, "CAV", true},
      {kNear, "CAU", false, "CAV", false},     {kNear, "CAT!", false, "CAT&", false},
      {kNear, "CATS", true, "CATS", false},    {kNear, "ZZZ", false, "CAV", true},
  };
  for (const Case& c : cases) {
    const bool found = c.kind == kFind ? data.Find(c.key) : c.kind == kExact ? data.FindExact(c.key) : data.FindNear(c.key);
    EXPECT_EQ(found, c.found) << c.key;
    EXPECT_EQ(Shown(), c.shown) << c.key;
    EXPECT_EQ(data.IsEof(), c.eof) << c.key;
    EXPECT_EQ(NearMatch, 0) << "exact mode back off after " << c.key;
  }
  // Exact mode already on makes Find exact too.
  NearMatch = 1;
  EXPECT_FALSE(data.Find("CA"));
  EXPECT_EQ(NearMatch, 1);
  NearMatch = 0;
  // The dataset moves on from where a seek left it.
  data.FindNear("CAU");
  data.Prior();
  EXPECT_EQ(Shown(), "CATS");
}

TEST_F(SeekTest, HiddenDeletedRecordsAreNotFound) {
  ASSERT_TRUE(data.FindExact("CAT"));
  ASSERT_TRUE(data.RLock());
  data.DeleteRec();
  data.UnLock();
  EXPECT_FALSE(data.FindExact("CAT"));
  EXPECT_TRUE(data.Find("CAT"));
  EXPECT_EQ(Shown(), "CAT&");
}

TEST_F(SeekTest, LocateSeeksTheIndexAndKeepsThePositionOnAMiss) {
  EXPECT_FALSE(data.IsSequenced());
  ASSERT_TRUE(data.Locate("ENTRY", {std::string("CATS")}, 0));
  EXPECT_EQ(Shown(), "CATS");
  EXPECT_FALSE(data.Locate("ENTRY", {std::string("CA")}, 0));
  EXPECT_EQ(Shown(), "CATS");
  EXPECT_FALSE(data.Eof());
  EXPECT_TRUE(data.Locate("ANY", {std::string("CA")}, platform::db::loPartialKey));
  EXPECT_EQ(Shown(), "CAT");
}

}  // namespace
}  // namespace xbase
