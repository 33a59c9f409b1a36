// The bulk build of an index file (see ovndxBuild.h): the memory plan, the collection of the
// key entries in one pass over the table, the sort of each run, the merge of the runs through
// the temporary file, and the tree written bottom-up in node order.

#include "xbase/index/ovndxBuild.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/os/DiskSpace.h"
#include "platform/os/TempFiles.h"
#include "xbase/core/ByteOrder.h"
#include "xbase/core/ovutils.h"
#include "xbase/dbf/ovdbflow.h"
#include "xbase/index/ovndxInternal.h"

namespace xbase {

std::function<void()> IndexProgressProc;
std::uint16_t IndexProgressSteps = 0;
std::function<std::int64_t()> IndexBuildFreeMemory;

void SetIndexProgress(std::function<void()> proc, std::uint16_t steps) {
  IndexProgressSteps = proc ? steps : 0;
  IndexProgressProc = std::move(proc);
}

namespace {

using ndx::Fail;
using ndx::OperationFailed;

constexpr std::int64_t kPoolCap = 32758;      // bytes of a pool with ample memory
constexpr std::int64_t kBufferCap = 65512;    // bytes of the RW buffer at most
constexpr std::int64_t kBufferStart = 1024;   // and at least
constexpr std::int64_t kPointerBytes = 4;     // what the plan counts for a pointer
constexpr std::int64_t kMinPointers = 256;
constexpr std::int64_t kRunDescriptorBytes = 14;

const std::string kTag = " [MakeIndex]";

// The memory a build may still take: the free memory as its source reports it now, less what
// the build holds.
class MemoryBudget {
 public:
  std::int64_t Free() const { return (IndexBuildFreeMemory ? IndexBuildFreeMemory() : MaxAvail()) - taken_; }
  bool Take(std::int64_t bytes) {
    if (bytes > Free()) return false;
    taken_ += bytes;
    return true;
  }
  void Give(std::int64_t bytes) { taken_ -= bytes; }

 private:
  std::int64_t taken_ = 0;
};

// Bytes from the heap, or null when there are none.
std::unique_ptr<std::uint8_t[]> Allocate(std::int64_t bytes) {
  return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(bytes)]());
}

// The progress procedure, called IndexProgressSteps times in all.
class Progress {
 public:
  explicit Progress(std::uint32_t records) : steps_(IndexProgressProc ? IndexProgressSteps : 0) {
    if (steps_ > 0) interval_ = std::max<std::uint32_t>((records / steps_) * 2, 2);
  }
  void At(std::uint64_t ordinal) {
    if (calls_ < steps_ && ordinal % interval_ == 0) Call();
  }
  void Finish() {
    while (calls_ < steps_) Call();
  }

 private:
  void Call() {
    ++calls_;
    IndexProgressProc();
  }

  std::uint32_t steps_;
  std::uint32_t interval_ = 2;
  std::uint32_t calls_ = 0;
};

// A sorted run in the temporary file, and its read buffer during the merge.
struct SortedRun {
  std::uint64_t next = 0;  // the file offset of the first entry not yet in the buffer
  std::uint64_t end = 0;
  std::uint8_t* buffer = nullptr;
  std::size_t bytes = 0;     // in the buffer
  std::size_t position = 0;  // of the current entry in the buffer
  const std::uint8_t* Current() const { return buffer + position; }
};

class Builder {
 public:
  Builder(OrderDescriptor& order, WorkAreaRecord& table)
      : order_(order),
        table_(table),
        keyLength_(order.KeyLength()),
        entryBytes_(order.KeyLength() + 4),
        records_(table.RecordCount),
        characterCompare_(order.Comparator == CompareCharKey),
        progress_(table.RecordCount),
        savedRecNo_(table.RecNo),
        savedRecord_(table.RecordBuffer) {}

  ~Builder() {
    if (!recordRestored_) RestoreRecord();
  }

  std::uint32_t Run() {
    PlanMemory();
    CheckDiskSpace();
    Collect();
    RestoreRecord();
    if (runs_.empty()) {
      std::sort(pointers_.begin(), pointers_.begin() + static_cast<std::ptrdiff_t>(used_), Ordering());
      for (std::size_t i = 0; i < used_; ++i) Emit(pointers_[i]);
    } else {
      if (used_ > 0) FlushRun();
      WriteRunBuffer();
      ReleaseEntrySpace();
      Merge();
    }
    const std::uint32_t root = FinishTree();
    progress_.Finish();
    return root;
  }

 private:
  // ---- Memory and disk

  void PlanMemory() {
    const std::uint16_t keysPerNode = order_.Header.KeysPerNode;
    std::size_t depth = 2;
    for (std::uint32_t n = records_ / keysPerNode; n > 0; n /= keysPerNode) ++depth;
    if (!budget_.Take(static_cast<std::int64_t>(depth * NodeSize)))
      Fail(217, " for allocating reindex stack" + kTag);
    levels_.assign(depth, NodeImage{});

    const double d = std::sqrt(static_cast<double>(entryBytes_ + 14) * (entryBytes_ + 4) * records_);
    double f = static_cast<double>(budget_.Free()) - 1024 - d - 512;
    if (f < 0) Fail(217, "Additional " + StrFloat(-f, 0, 0) + " bytes of memory are needed." + kTag);
    bufferSize_ = kBufferStart;
    if (f / 2 < kBufferCap - kBufferStart) {
      f /= 2;
      bufferSize_ += static_cast<std::int64_t>(f);
    } else {
      f -= kBufferCap - kBufferStart;
      bufferSize_ = kBufferCap;
    }
    if (!budget_.Take(bufferSize_) || !(buffer_ = Allocate(bufferSize_))) Fail(217, " to allocate RW buffer" + kTag);

    poolBytes_ = static_cast<std::int64_t>(d + f + 512 - 128);
    if (poolBytes_ > kBufferCap) poolBytes_ = kPoolCap;
    entriesPerPool_ = static_cast<std::size_t>(std::max<std::int64_t>(poolBytes_, 0)) / entryBytes_;
    std::int64_t pointers = std::max<std::int64_t>(poolBytes_, 0) / kPointerBytes;
    while (pointers == 0 || budget_.Free() <= kPointerBytes * pointers) {
      pointers /= 2;
      if (pointers < kMinPointers) Fail(217, " to allocate at least 256 s_ptrs" + kTag);
    }
    budget_.Take(kPointerBytes * pointers);
    pointerCharge_ = kPointerBytes * pointers;
    pointerLimit_ = static_cast<std::size_t>(pointers);
    pointers_.reserve(pointerLimit_);

    recordBlock_ = static_cast<std::size_t>(bufferSize_ / 2) / table_.RecordLength;
    if (recordBlock_ == 0)
      Fail(217, " to read a record of " + std::to_string(table_.RecordLength) + " bytes" + kTag);
  }

  // The runs go to the temporary folder, the nodes to the index's; where both are on one file
  // system it must hold both.
  void CheckDiskSpace() {
    const std::uint16_t keysPerNode = order_.Header.KeysPerNode;
    const std::uint64_t runBytes = std::uint64_t{records_} * entryBytes_;
    std::uint64_t nodeBytes = 0;
    std::uint64_t n = records_;
    for (std::size_t level = 0; level < levels_.size(); ++level) {
      n /= keysPerNode;
      nodeBytes += (n + 1) * NodeSize;
    }
    const std::string temp = platform::os::TempFolder();
    const bool together = SameFileSystem(order_.FileName, temp);
    CheckFree(order_.FileName, nodeBytes + (together ? runBytes : 0));
    if (!together) CheckFree(temp, runBytes);
  }

  static bool SameFileSystem(const std::string& a, const std::string& b) {
    struct stat first {}, second {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev;
  }

  static void CheckFree(const std::string& path, std::uint64_t needed) {
    const auto free = platform::os::FreeDiskBytes(path);
    if (!free || needed / 1024 <= *free / 1024) return;
    Fail(227, "Available disk space: " + std::to_string(*free / 1024) + " KBytes;" + "needed: " +
                  std::to_string(needed / 1024) + " KBytes" + kTag);
  }

  // ---- Collection

  void Collect() {
    const std::uint16_t recordLength = table_.RecordLength;
    const bool keyMaker = !order_.KeyFunction;
    KeyBytes key{};
    ErrorCode = 0;
    for (RecordNumber first = 1; first <= records_; first += static_cast<RecordNumber>(recordBlock_)) {
      const std::size_t count = std::min<std::size_t>(recordBlock_, records_ - first + 1);
      const std::size_t bytes = count * recordLength;
      const platform::os::Transfer read = table_.DataFile.ReadAt(RecordOffset(table_, first), buffer_.get(), bytes);
      if (read.code != 0 || read.count != bytes)
        Fail(read.code != 0 ? read.code : 100, "Error reading " + table_.FileName + kTag);
      TranslateRecord(false, table_.OemTranslate, table_.ReadTransform, bytes, recordLength, buffer_.get());
      for (std::size_t i = 0; i < count; ++i) {
        std::memcpy(table_.RecordBuffer.data(), buffer_.get() + i * recordLength, recordLength);
        table_.RecNo = first + static_cast<RecordNumber>(i);
        if (keyMaker) ScatterCurrent();
        MakeOrderKey(order_, key);
        // A key that could not be made (the evaluation reported why) ends the build.
        if (ErrorCode != 0) throw OperationFailed{};
        AddEntry(key, table_.RecNo);
        progress_.At(table_.RecNo);
      }
    }
  }

  void RestoreRecord() {
    recordRestored_ = true;
    table_.RecordBuffer = savedRecord_;
    table_.RecNo = savedRecNo_;
    if (!order_.KeyFunction) ScatterCurrent();
  }

  void AddEntry(const KeyBytes& key, RecordNumber record) {
    if (used_ == pointers_.size()) Grow();
    if (used_ == pointers_.size()) FlushRun();
    std::uint8_t* entry = pointers_[used_++];
    std::memcpy(entry, key.data(), keyLength_);
    PutLE32(entry + keyLength_, record);
  }

  // More entries: a pool while memory and pointers last; when a pool cannot be had, the unused
  // tail of the pointer array becomes entries of its own, and no further pool is tried.
  void Grow() {
    if (poolsExhausted_ || pointers_.size() >= pointerLimit_) return;
    if (entriesPerPool_ > 0 && budget_.Take(poolBytes_)) {
      if (auto pool = Allocate(poolBytes_)) {
        AddSlots(pool.get(), std::min(entriesPerPool_, pointerLimit_ - pointers_.size()));
        pools_.push_back(std::move(pool));
        return;
      }
      budget_.Give(poolBytes_);
    }
    poolsExhausted_ = true;
    const std::size_t unused = pointerLimit_ - pointers_.size();
    const std::size_t entries = unused * kPointerBytes / (entryBytes_ + kPointerBytes);
    pointerLimit_ = pointers_.size() + entries;
    if (entries == 0) return;
    pointerTail_ = Allocate(static_cast<std::int64_t>(entries * entryBytes_));
    if (pointerTail_ == nullptr) Fail(217, " to allocate at least 256 s_ptrs" + kTag);
    AddSlots(pointerTail_.get(), entries);
  }

  void AddSlots(std::uint8_t* space, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) pointers_.push_back(space + i * entryBytes_);
  }

  // ---- Sorting and runs

  // Key, then record number: a total order, so any sort gives the same file.
  int Compare(const std::uint8_t* a, const std::uint8_t* b) const {
    const int byKey = characterCompare_ ? std::memcmp(a, b, keyLength_) : order_.Comparator(a, b, keyLength_);
    if (byKey != 0) return byKey;
    const std::uint32_t ra = GetLE32(a + keyLength_), rb = GetLE32(b + keyLength_);
    return ra < rb ? -1 : ra > rb ? 1 : 0;
  }

  struct EntryOrder {
    const Builder* builder;
    bool operator()(const std::uint8_t* a, const std::uint8_t* b) const { return builder->Compare(a, b) < 0; }
  };
  EntryOrder Ordering() const { return EntryOrder{this}; }

  void FlushRun() {
    std::sort(pointers_.begin(), pointers_.begin() + static_cast<std::ptrdiff_t>(used_), Ordering());
    if (!temp_.IsOpen()) OpenTemp();
    const std::size_t half = static_cast<std::size_t>(bufferSize_ / 2);
    const std::size_t capacity = (static_cast<std::size_t>(bufferSize_) - half) / entryBytes_ * entryBytes_;
    std::uint8_t* out = buffer_.get() + half;
    runs_.push_back(SortedRun{runBytes_, runBytes_ + used_ * entryBytes_});
    for (std::size_t i = 0; i < used_; ++i) {
      std::memcpy(out + outFill_, pointers_[i], entryBytes_);
      outFill_ += entryBytes_;
      if (outFill_ == capacity) WriteRunBuffer();
    }
    runBytes_ += used_ * entryBytes_;
    used_ = 0;
  }

  void WriteRunBuffer() {
    if (outFill_ == 0) return;
    const std::uint8_t* out = buffer_.get() + bufferSize_ / 2;
    const platform::os::Transfer written = temp_.WriteAt(tempWritten_, out, outFill_);
    if (written.code != 0 || written.count != outFill_)
      Fail(written.code != 0 ? written.code : 101, "Error writing temporary file" + kTag);
    tempWritten_ += outFill_;
    outFill_ = 0;
  }

  // The temporary file is unlinked as soon as it is open: nothing of it outlives the build.
  void OpenTemp() {
    const std::string name = UniqueFilename();
    if (name.empty()) throw OperationFailed{};
    const std::uint16_t code =
        temp_.Open(name, platform::os::FileAccess::kReadWrite, platform::os::ShareMode::kExclusive);
    unlink(name.c_str());
    if (code != 0) Fail(code, "Error opening temporary file " + name + kTag);
  }

  void ReleaseEntrySpace() {
    budget_.Give(pointerCharge_);
    pointerCharge_ = 0;
    pointerTail_.reset();
  }

  // ---- Merge

  void Merge() {
    const std::size_t runs = runs_.size();
    pointers_ = {};
    while (budget_.Free() <= static_cast<std::int64_t>(kRunDescriptorBytes * runs)) {
      if (pools_.empty()) Fail(217, "after freeing all pools" + kTag);
      pools_.pop_back();
      budget_.Give(poolBytes_);
    }
    // Entries that all came from the pointer array leave no pool to read the runs through: the
    // array's memory, free again, gives one.
    if (pools_.empty()) {
      const std::int64_t room = budget_.Free() - static_cast<std::int64_t>(kRunDescriptorBytes * runs);
      poolBytes_ = std::min<std::int64_t>(room, kPoolCap);
      if (poolBytes_ < static_cast<std::int64_t>(runs * entryBytes_) || !budget_.Take(poolBytes_))
        Fail(217, "after freeing all pools" + kTag);
      auto pool = Allocate(poolBytes_);
      if (pool == nullptr) Fail(217, "after freeing all pools" + kTag);
      pools_.push_back(std::move(pool));
    }
    const std::size_t runsPerPool = (runs + pools_.size() - 1) / pools_.size();
    share_ = static_cast<std::size_t>(poolBytes_) / runsPerPool / entryBytes_ * entryBytes_;
    if (share_ == 0) Fail(217, "after freeing all pools" + kTag);
    std::vector<std::size_t> heap;
    heap.reserve(runs);
    for (std::size_t r = 0; r < runs; ++r) {
      runs_[r].buffer = pools_[r / runsPerPool].get() + (r % runsPerPool) * share_;
      Refill(runs_[r]);
      heap.push_back(r);
    }
    // A min-heap of the runs by their current entries.
    const auto later = [this](std::size_t a, std::size_t b) {
      return Compare(runs_[a].Current(), runs_[b].Current()) > 0;
    };
    std::make_heap(heap.begin(), heap.end(), later);
    while (!heap.empty()) {
      std::pop_heap(heap.begin(), heap.end(), later);
      SortedRun& run = runs_[heap.back()];
      Emit(run.Current());
      run.position += entryBytes_;
      if (run.position == run.bytes && !Refill(run)) {
        heap.pop_back();
        continue;
      }
      std::push_heap(heap.begin(), heap.end(), later);
    }
  }

  // The run's next part into its buffer; false when the run is used up.
  bool Refill(SortedRun& run) {
    if (run.next >= run.end) return false;
    const std::size_t bytes = static_cast<std::size_t>(std::min<std::uint64_t>(share_, run.end - run.next));
    const platform::os::Transfer read = temp_.ReadAt(run.next, run.buffer, bytes);
    if (read.code != 0 || read.count != bytes)
      Fail(read.code != 0 ? read.code : 100, "Error reading temporary file" + kTag);
    run.next += bytes;
    run.bytes = bytes;
    run.position = 0;
    return true;
  }

  // ---- The tree

  // The next entry in key order into the leaf; a full leaf is written first, and with it every
  // full node above, each parent learning the largest key below it.
  void Emit(const std::uint8_t* entry) {
    ++emitted_;
    const std::uint16_t entrySize = order_.Header.EntrySize;
    const bool duplicate = order_.Unique() && emitted_ > 1 && order_.Comparator(lastKey_.data(), entry, keyLength_) == 0;
    if (!duplicate) {
      std::memcpy(lastKey_.data(), entry, keyLength_);
      if (NodeCount(levels_[0].data()) == order_.Header.KeysPerNode) CloseLeaf();
      std::uint8_t* leaf = levels_[0].data();
      const int count = NodeCount(leaf);
      PutEntry(EntryAt(leaf, count, entrySize), 0, GetLE32(entry + keyLength_), entry, keyLength_, entrySize);
      SetNodeCount(leaf, count + 1);
    }
    progress_.At(emitted_);
  }

  void CloseLeaf() {
    const std::uint16_t entrySize = order_.Header.EntrySize;
    std::uint8_t* leaf = levels_[0].data();
    KeyBytes separator{};
    std::memcpy(separator.data(), EntryKey(EntryAt(leaf, NodeCount(leaf) - 1, entrySize)), keyLength_);
    for (std::size_t level = 0;; ++level) {
      const std::uint32_t written = WriteNode(levels_[level]);
      if (level + 1 == levels_.size()) levels_.emplace_back();
      std::uint8_t* parent = levels_[level + 1].data();
      if (level > 0) levels_[level].fill(0);
      const int count = NodeCount(parent);
      SetChildAt(parent, count, entrySize, written);
      if (count < order_.Header.KeysPerNode) {
        std::memcpy(EntryKey(EntryAt(parent, count, entrySize)), separator.data(), keyLength_);
        SetNodeCount(parent, count + 1);
        break;
      }
    }
    levels_[0].fill(0);
  }

  // The leaf, then every level above that holds an entry, its last child the node written
  // before it. The last node written is the root.
  std::uint32_t FinishTree() {
    std::uint32_t written = WriteNode(levels_[0]);
    for (std::size_t level = 1; level < levels_.size(); ++level) {
      std::uint8_t* node = levels_[level].data();
      if (NodeCount(node) == 0) continue;
      SetChildAt(node, NodeCount(node), order_.Header.EntrySize, written);
      written = WriteNode(levels_[level]);
    }
    WriteNodeBuffer();
    return written;
  }

  std::uint32_t WriteNode(const NodeImage& node) {
    const std::size_t capacity = static_cast<std::size_t>(bufferSize_) / NodeSize * NodeSize;
    if (nodeFill_ == capacity) WriteNodeBuffer();
    std::memcpy(buffer_.get() + nodeFill_, node.data(), NodeSize);
    nodeFill_ += NodeSize;
    return ++nodesWritten_;
  }

  void WriteNodeBuffer() {
    const std::uint64_t offset = (std::uint64_t{nodesWritten_} + 1) * NodeSize - nodeFill_;
    const platform::os::Transfer written = order_.IndexFile.WriteAt(offset, buffer_.get(), nodeFill_);
    if (written.code != 0 || written.count != nodeFill_)
      Fail(written.code != 0 ? written.code : 101, "Error writing index file: " + order_.FileName + kTag);
    nodeFill_ = 0;
  }

  OrderDescriptor& order_;
  WorkAreaRecord& table_;
  const std::uint16_t keyLength_;
  const std::size_t entryBytes_;  // a sort entry: the key and the record number
  const std::uint32_t records_;
  const bool characterCompare_;
  MemoryBudget budget_;
  Progress progress_;
  const RecordNumber savedRecNo_;
  const std::vector<std::uint8_t> savedRecord_;
  bool recordRestored_ = false;

  std::vector<NodeImage> levels_;  // the node being filled at each level, the leaf first
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::int64_t bufferSize_ = 0;
  std::size_t recordBlock_ = 0;  // records read at once

  std::int64_t poolBytes_ = 0;
  std::size_t entriesPerPool_ = 0;
  std::vector<std::unique_ptr<std::uint8_t[]>> pools_;
  bool poolsExhausted_ = false;
  std::unique_ptr<std::uint8_t[]> pointerTail_;
  std::int64_t pointerCharge_ = 0;
  // Every entry slot there is; the first used_ hold this run's entries.
  std::vector<std::uint8_t*> pointers_;
  std::size_t pointerLimit_ = 0;
  std::size_t used_ = 0;

  platform::os::BinaryFile temp_;
  std::vector<SortedRun> runs_;
  std::uint64_t runBytes_ = 0;     // of the runs so far
  std::uint64_t tempWritten_ = 0;  // of those, in the file
  std::size_t outFill_ = 0;
  std::size_t share_ = 0;  // bytes of a run's buffer

  std::uint64_t emitted_ = 0;
  KeyBytes lastKey_{};
  std::uint32_t nodesWritten_ = 0;
  std::size_t nodeFill_ = 0;
};

}  // namespace

std::uint32_t BuildIndex(OrderDescriptor& order) {
  WorkAreaRecord* table = ndx::CurrentTable();
  if (table == nullptr) return 0;
  return ndx::Guarded(std::uint32_t{0}, [&] { return Builder(order, *table).Run(); });
}

}  // namespace xbase
