// Memo files shared by separate programs: peers (tools/peer) write memos at the same time,
// hold and lose the memo lock, and may not pack what others use.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "platform/os/ByteRangeLocks.h"
#include "tests/xbase/HexText.h"
#include "tests/xbase/dbf/DbfTest.h"
#include "tests/xbase/multiprocess/PeerExpect.h"
#include "xbase/core/ovutils.h"
#include "xbase/dbf/MemoField.h"
#include "xbase/memo/memo.h"
#include "xbase/workarea/TypedFieldText.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {
namespace {

struct Dialect {
  const char* version;
  std::uint16_t blockSize;
  const char* memo;
};
const Dialect kDialects[] = {{"0x83", 512, "memo.dbt"}, {"0x8B", 512, "memo.dbt"},
                             {"0xF5", 64, "memo.fpt"}};

class MemoSharingTest : public DbfTest {
 protected:
  // Creates memo.dbf (NAME C(10), NOTES M) with `records` blank records through a peer.
  void CreateTable(PeerGroup& peers, const Dialect& dialect, int records) {
    PeerProcess& maker = peers.Start();
    Expect(maker, std::string("create memo.dbf ") + dialect.version + " " +
                      std::to_string(dialect.blockSize) + " NAME:C:10 NOTES:M:10",
           "-");
    Expect(maker, "use memo EXCLUSIVE", "MEMO");
    for (int n = 1; n <= records; ++n) maker.Send("append NAME=r" + std::to_string(n));
    for (int n = 1; n <= records; ++n) EXPECT_EQ(maker.Receive().result, std::to_string(n));
    Expect(maker, "close", "-");
    memo_ = At(dialect.memo);
  }

  static PeerProcess& Joined(PeerGroup& peers) {
    PeerProcess& peer = peers.Start();
    Expect(peer, "use memo", "MEMO");
    return peer;
  }

  // Whether an open holds byte 10 of the memo file, as a separate open sees it.
  bool MemoLockSeen() const {
    const int fd = open(memo_.c_str(), O_RDONLY | O_CLOEXEC);
    const auto lock = platform::os::ProbeFileRange(fd, 10, 1);
    close(fd);
    return lock.has_value() && lock->exclusive && lock->offset == 10 && lock->length == 1;
  }

  std::string memo_;
};

// The text peer p writes for its k-th record: each a different length, up to several blocks.
std::string TextOf(int p, int k) {
  static const std::size_t kLengths[] = {10, 100, 600, 3000};
  std::string text = "p" + std::to_string(p) + "k" + std::to_string(k) + ":";
  text.resize(kLengths[(p + k) % 4], static_cast<char>('a' + (p * 7 + k) % 26));
  return text;
}

TEST_F(MemoSharingTest, PeersWritingMemosAtOnceLoseAndOverlapNone) {
  constexpr int kPeers = 4;
  constexpr int kEach = 16;
  for (const Dialect& dialect : kDialects) {
    SCOPED_TRACE(dialect.version);
    PeerGroup peers(temp.path());
    CreateTable(peers, dialect, kPeers * kEach);
    std::vector<PeerProcess*> writers;
    for (int p = 0; p < kPeers; ++p) {
      writers.push_back(&Joined(peers));
      Expect(*writers.back(), "memo-wait 250 20", "-");
    }
    // Every peer gets its whole script at once: they run side by side.
    for (int p = 0; p < kPeers; ++p) {
      for (int k = 0; k < kEach; ++k) {
        PeerProcess& peer = *writers[p];
        peer.Send("go " + std::to_string(p * kEach + k + 1));
        peer.Send("rlock");
        peer.Send((k % 2 ? "blob-put NOTES " : "memo-add NOTES ") + Hex(TextOf(p, k)));
        peer.Send("unlock");
      }
    }
    for (int p = 0; p < kPeers; ++p) {
      for (int i = 0; i < 4 * kEach; ++i) {
        const PeerAnswer answer = writers[p]->Receive();
        ASSERT_EQ(answer.code, 0) << "peer " << p << " step " << i << ": " << answer.result;
      }
    }
    for (PeerProcess* peer : writers) peer->Finish();

    // Every memo reads back; no run overlaps another.
    Use(At("memo.dbf"), nullptr, 0);
    struct Run {
      std::uint64_t start, end;
    };
    std::vector<Run> runs;
    for (int p = 0; p < kPeers; ++p) {
      for (int k = 0; k < kEach; ++k) {
        Go(p * kEach + k + 1);
        const std::int32_t block = MemoBlockOfField(TypedFieldText(2));
        ASSERT_NE(block, 0);
        OpenBlob(false, block, 1);
        std::string text(4000, '\0');
        text.resize(ReadBlobStream(text.data(), 4000));
        CloseBlob();
        EXPECT_EQ(text, TextOf(p, k)) << "peer " << p << " record " << k;
        const std::uint64_t start = std::uint64_t(std::abs(block)) * dialect.blockSize;
        runs.push_back({start, start + text.size() + 8});
      }
    }
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.start < b.start; });
    for (std::size_t i = 1; i < runs.size(); ++i) EXPECT_LE(runs[i - 1].end, runs[i].start);
    CloseArea();
    // The header names the first block past the end, as every writer left it.
    const std::string file = Contents(memo_);
    std::uint32_t next = 0;
    for (int i = 0; i < 4; ++i) {
      const int at = dialect.blockSize == 64 ? i : 3 - i;
      next = next << 8 | static_cast<std::uint8_t>(file[at]);
    }
    EXPECT_EQ(next, (file.size() + dialect.blockSize - 1) / dialect.blockSize);
  }
}

TEST_F(MemoSharingTest, AHeldMemoLockMakesOtherWritersFailAfterTheirTries) {
  PeerGroup peers(temp.path());
  CreateTable(peers, kDialects[1], 2);
  PeerProcess& holder = Joined(peers);
  PeerProcess& writer = Joined(peers);
  Expect(writer, "go 1", "1");
  Expect(writer, "rlock", "1");
  Expect(writer, "memo-add NOTES 6669727374", "1");
  Expect(holder, "memo-lock", "1");
  EXPECT_TRUE(MemoLockSeen());
  const auto start = std::chrono::steady_clock::now();
  Expect(writer, "memo-add NOTES 7365636f6e64", "0", 1017);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100))
      << "eleven tries about 10 ms apart";
  Expect(writer, "blob-put NOTES 7365636f6e64", "0", 1017);
  Expect(writer, "memo-edit NOTES 7365636f6e64", "0", 1017);
  Expect(holder, "memo-unlock", "1");
  EXPECT_FALSE(MemoLockSeen()) << "the failed writer holds nothing";
  Expect(writer, "blob-get NOTES", "6669727374");
  Expect(writer, "memo-edit NOTES 7365636f6e64", "1");
  EXPECT_FALSE(MemoLockSeen());
  Expect(holder, "go 1", "1");
  Expect(holder, "memo-get NOTES", "7365636f6e64");
}

TEST_F(MemoSharingTest, AKilledHoldersMemoLockVanishes) {
  PeerGroup peers(temp.path());
  CreateTable(peers, kDialects[2], 1);
  PeerProcess& holder = Joined(peers);
  PeerProcess& other = Joined(peers);
  Expect(holder, "memo-lock", "1");
  Expect(other, "memo-lock", "0");
  EXPECT_TRUE(MemoLockSeen());
  EXPECT_TRUE(WIFSIGNALED(holder.Kill(SIGKILL)));
  EXPECT_FALSE(MemoLockSeen());
  Expect(other, "memo-lock", "1");
}

TEST_F(MemoSharingTest, APackOfASharedTableIsRefused) {
  PeerGroup peers(temp.path());
  CreateTable(peers, kDialects[0], 1);
  PeerProcess& a = Joined(peers);
  PeerProcess& b = Joined(peers);
  Expect(a, "go 1", "1");
  Expect(a, "rlock", "1");
  Expect(a, "memo-add NOTES 6b657074", "1");
  Expect(a, "unlock", "-");
  const std::string before = Contents(memo_);
  Expect(b, "memo-pack", "-", 225);
  EXPECT_EQ(Contents(memo_), before);
  Expect(b, "close", "-");
  Expect(b, "use memo EXCLUSIVE", "-", 32);
  Expect(a, "close", "-");
  Expect(b, "use memo EXCLUSIVE", "MEMO");
  Expect(b, "memo-pack", "-");
  Expect(b, "go 1", "1");
  Expect(b, "memo-get NOTES", "6b657074");
}

}  // namespace
}  // namespace xbase
