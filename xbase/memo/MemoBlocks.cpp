// The dBase IV free-block chain: runs released by rewrites, taken again by later ones. The
// chain ascends from the header's next free block; each free run starts with the number of
// the next one and its own size in blocks, and the last points past the end of the file.
// Files from other programs may hold any chain, so every walk is bounded and checked, a run
// taken is unlinked, a run in which a memo starts is never taken, and nothing is ever written
// into a run that holds a memo.

#include <array>
#include <string>

#include "xbase/core/ByteOrder.h"
#include "xbase/core/ovcommon.h"
#include "xbase/memo/MemoInternal.h"

namespace xbase::memo {
namespace {

constexpr int kMaxChainNodes = 100;

// The first 8 bytes of a block read as a free run; for a memo's run they are its group header
// (Size then holding the stored length).
struct Node {
  std::uint32_t Next = 0;
  std::uint32_t Size = 0;  // blocks
};

// The first block past the 24-byte header.
std::uint32_t FirstDataBlock(const MemoDescriptor& memo) {
  return static_cast<std::uint32_t>(BlocksFor(24, memo.BlockSize));
}

// A free run's link looks like the start of a memo (FF FF 08 00 read as its next block).
bool IsMemoStart(const Node& node) { return (node.Next & 0xFFFF) == 0xFFFF; }

class Chain {
 public:
  Chain(MemoDescriptor& memo, std::string_view tag)
      : memo_(memo), tag_(" [" + std::string(tag) + "]") {}

  // Blocks in the file (at least 1), a last block begun counted whole, as the file stands once
  // padded (the next append pads it); false after reporting a failure.
  bool ReadBlocks(std::uint32_t& blocks) {
    std::uint64_t size = 0;
    if (const std::uint16_t code = MemoFileSize(memo_, size)) return Fail(code);
    blocks = static_cast<std::uint32_t>(std::min<std::uint64_t>(
        std::max<std::uint64_t>(BlocksFor(size, memo_.BlockSize), 1), UINT32_MAX));
    return true;
  }

  // The 8 bytes at the start of a block (block 0: the header's first 8).
  bool Read(std::uint32_t block, Node& node, std::array<std::uint8_t, 8>& bytes) {
    const auto read = memo_.MemoFile.ReadAt(BlockOffset(block, memo_.BlockSize), bytes.data(), 8);
    if (read.code != 0 || read.count < 8) return Fail(30);
    node = {GetLE32(&bytes[0]), GetLE32(&bytes[4])};
    return true;
  }
  bool Read(std::uint32_t block, Node& node) {
    std::array<std::uint8_t, 8> bytes{};
    return Read(block, node, bytes);
  }

  // Points a node (block 0: the header) at next.
  bool Link(std::uint32_t block, std::uint32_t next) {
    std::array<std::uint8_t, 4> bytes{};
    PutLE32(bytes.data(), next);
    return Write(BlockOffset(block, memo_.BlockSize), bytes.data(), bytes.size());
  }

  // Makes block a free run of size blocks followed by next.
  bool MakeNode(std::uint32_t block, std::uint32_t next, std::uint32_t size) {
    std::array<std::uint8_t, 8> bytes{};
    PutLE32(&bytes[0], next);
    PutLE32(&bytes[4], size);
    return Write(BlockOffset(block, memo_.BlockSize), bytes.data(), bytes.size());
  }

  bool Broken() { return Fail(1003, " free block chain is broken"); }

  // Whether a memo starts in blocks first .. first + count - 1: a chain that says such blocks
  // are free is not to be believed.
  bool HoldsMemo(std::uint32_t first, std::uint32_t count, bool& holds) {
    holds = false;
    for (std::uint64_t block = first; block < std::uint64_t{first} + count && !holds; ++block) {
      Node node;
      std::array<std::uint8_t, 8> bytes{};
      if (!Read(static_cast<std::uint32_t>(block), node, bytes)) return false;
      holds = IsGroupHeader(bytes.data());
    }
    return true;
  }

 private:
  bool Write(std::uint64_t offset, const std::uint8_t* data, std::size_t length) {
    const auto written = memo_.MemoFile.WriteAt(offset, data, length);
    return written.code == 0 && written.count == length ? true : Fail(29);
  }

  bool Fail(std::uint16_t code, const std::string& what = {}) {
    ReportMemoError(code, memo_.MemoFileName + what + tag_);
    return false;
  }

  MemoDescriptor& memo_;
  std::string tag_;
};

}  // namespace

MemoPlacement AllocMemoBlocks(MemoDescriptor& memo, std::uint32_t needed, std::uint32_t current,
                              std::string_view tag) {
  Chain chain(memo, tag);
  std::uint32_t blocks = 0;
  if (!chain.ReadBlocks(blocks)) return {};
  const std::uint32_t firstData = FirstDataBlock(memo);

  // In place, when the current memo's run is long enough.
  if (current != 0 && needed != kUnknownSize && current >= firstData && current < blocks) {
    Node node;
    std::array<std::uint8_t, 8> bytes{};
    if (!chain.Read(current, node, bytes)) return {};
    const std::uint64_t run = BlocksFor(std::max<std::uint32_t>(node.Size, 8), memo.BlockSize);
    if (IsGroupHeader(bytes.data()) && run >= needed && current + run <= blocks)
      return {current, current + needed, static_cast<std::uint32_t>(run - needed)};
  }

  // A free run of the chain that holds it.
  std::uint32_t previous = 0;  // the header
  Node head;
  if (!chain.Read(0, head)) return {};
  std::uint32_t node = head.Next;
  int visited = 0;
  bool tooLong = false;
  while (needed != kUnknownSize && node < blocks) {
    if (node < firstData || (previous != 0 && node <= previous)) {
      chain.Broken();
      return {};
    }
    if (++visited > kMaxChainNodes) {
      tooLong = true;
      break;
    }
    Node run;
    if (!chain.Read(node, run)) return {};
    if (IsMemoStart(run)) break;  // the chain runs into a memo: it ends before it
    if (run.Size >= needed && std::uint64_t{node} + run.Size <= blocks) {
      // The blocks the memo takes, and the one where the rest of the run would be recorded.
      bool claimed = false;
      if (!chain.HoldsMemo(node + 1, run.Size > needed ? needed : needed - 1, claimed)) return {};
      if (claimed) break;  // the run holds a memo: the chain ends before it
      std::uint32_t after = run.Next;
      if (run.Size > needed) {
        after = node + needed;
        if (!chain.MakeNode(after, run.Next, run.Size - needed)) return {};
      }
      if (!chain.Link(previous, after)) return {};
      return {node};
    }
    previous = node;
    node = run.Next;
  }

  // The end of the file; the chain's last run now points past the new memo.
  const std::uint64_t past = std::uint64_t{blocks} + needed;
  const auto tail = static_cast<std::uint32_t>(past > kMaxBlock ? needed : past);
  if (!chain.Link(previous, tail)) return {};
  if (tooLong && previous != 0 && !chain.Link(0, tail)) return {};
  return {blocks};
}

bool FreeMemoBlocks(MemoDescriptor& memo, std::uint32_t first, std::uint32_t count) {
  if (count == 0) return true;
  Chain chain(memo, "EditMemo/CloseMemo");
  std::uint32_t blocks = 0;
  if (!chain.ReadBlocks(blocks)) return false;
  if (first < FirstDataBlock(memo) || std::uint64_t{first} + count > blocks) return true;
  Node head;
  if (!chain.Read(0, head)) return false;
  if (head.Next >= blocks) return true;  // an empty chain records nothing
  if (head.Next > first) return chain.MakeNode(first, head.Next, count) && chain.Link(0, first);

  std::uint32_t node = head.Next;
  for (int visited = 0;; ++visited) {
    if (visited > kMaxChainNodes) return true;
    Node run;
    if (!chain.Read(node, run)) return false;
    if (IsMemoStart(run)) return true;  // a chain that runs into a memo takes nothing more
    if (first >= node && first < std::uint64_t{node} + run.Size) return true;  // free already
    if (run.Next > first || run.Next >= blocks) {
      return chain.MakeNode(first, run.Next, count) && chain.Link(node, first);
    }
    if (run.Next <= node) return chain.Broken();
    node = run.Next;
  }
}

bool FreeMemoRun(MemoDescriptor& memo, std::uint32_t block) {
  Chain chain(memo, "EditMemo/CloseMemo");
  std::uint32_t blocks = 0;
  if (!chain.ReadBlocks(blocks) || block >= blocks) return true;
  Node node;
  std::array<std::uint8_t, 8> bytes{};
  if (!chain.Read(block, node, bytes)) return false;
  if (!IsGroupHeader(bytes.data())) return true;
  const std::uint64_t run = BlocksFor(std::max<std::uint32_t>(node.Size, 8), memo.BlockSize);
  return FreeMemoBlocks(memo, block, static_cast<std::uint32_t>(std::min<std::uint64_t>(run, blocks - block)));
}

}  // namespace xbase::memo
