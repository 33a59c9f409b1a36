// A dataset and peer programs (tools/peer) on one shared table.

#include <gtest/gtest.h>

#include "tests/xbase/dataset/DatasetTest.h"
#include "tests/xbase/multiprocess/PeerExpect.h"

namespace xbase {
namespace {

class DatasetSharingTest : public DatasetTest {
 protected:
  void SetUp() override {
    DatasetTest::SetUp();
    DbfImage image;
    image.Field("TAG", 'C', 12).Field("N", 'N', 5);
    for (int n = 1; n <= 3; ++n) image.Record("start" + std::to_string(n) + "      " + "    " + std::to_string(n));
    data.Exclusive = false;
    data.SetTableLanguage(tlAnsi);
    data.SetDbfFileName(Write("shared.dbf", image.Bytes()));
    data.Open();
  }

  PeerProcess& Joined(PeerGroup& peers) {
    PeerProcess& peer = peers.Start();
    Expect(peer, "use shared", "SHARED");
    return peer;
  }

  std::string Tag() { return RTrimStr(data.FieldText("TAG")); }

  // Appends a record through the record API under the append lock.
  void AppendHere(const std::string& tag) {
    data.ClearRecord();
    data.SetFieldAsString("TAG", tag);
    data.SelectWorkArea("Test");
    ASSERT_TRUE(ALock());
    data.AppendRec();
    data.SelectWorkArea("Test");
    Unlock();
  }

  TableDataSet data{"SHARE"};
};

TEST_F(DatasetSharingTest, SkipZeroPicksUpAPeersReplacement) {
  PeerGroup peers(temp.path());
  PeerProcess& peer = Joined(peers);
  data.Next();
  EXPECT_EQ(Tag(), "start2");
  Expect(peer, "go 2", "2");
  Expect(peer, "rlock", "1");
  Expect(peer, "replace TAG=fromPeer", "2");
  Expect(peer, "unlock", "-");
  EXPECT_EQ(Tag(), "start2");
  data.Skip(0);
  EXPECT_EQ(Tag(), "fromPeer");
}

TEST_F(DatasetSharingTest, ADatasetAndAPeerAppendInTurn) {
  PeerGroup peers(temp.path());
  PeerProcess& peer = Joined(peers);
  AppendHere("here1");
  EXPECT_EQ(data.RecNo(), 4);
  Expect(peer, "alock", "1");
  Expect(peer, "append TAG=peer1", "5");
  Expect(peer, "unlock", "-");
  AppendHere("here2");
  EXPECT_EQ(data.RecNo(), 6);
  Expect(peer, "alock", "1");
  Expect(peer, "append TAG=peer2", "7");
  Expect(peer, "unlock", "-");
  Expect(peer, "reccount", "7");
  EXPECT_EQ(data.RecordCount(), 7);
  std::vector<std::string> tags;
  for (data.First(); !data.Eof(); data.Next()) tags.push_back(Tag());
  EXPECT_EQ(tags, (std::vector<std::string>{"start1", "start2", "start3", "here1", "peer1", "here2", "peer2"}));
  peer.Finish();
  data.Close();
  EXPECT_EQ(Contents(At("shared.dbf"))[4], 7);  // the header counts them all
}

}  // namespace
}  // namespace xbase
