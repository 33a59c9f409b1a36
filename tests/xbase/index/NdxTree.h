#pragma once
// Reads an NDX file on its own, byte by byte, without the engine: every entry in key order, and
// the faults of its tree against the rules every file we write keeps:
//  - the header's sizes agree with its key length and type, the stamp is valid;
//  - every node holds 1 to keys-per-node entries (the root may be empty) and is zero after its
//    entries (and trailing child), bytes 2-3 included;
//  - keys ascend through the leaves; every separator is at least the largest key below it and
//    at most the smallest key after it;
//  - every node from 1 to next free - 1 is reached exactly once, or is zero-filled whole.

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace xbase::testing {

struct NdxEntry {
  std::string key;  // the key bytes (8 for N and D keys)
  std::uint32_t record = 0;

  double Number() const {
    double value = 0;
    std::memcpy(&value, key.data(), sizeof value);
    return value;
  }
  bool operator==(const NdxEntry&) const = default;
};

struct NdxTree {
  std::uint32_t root = 0;
  std::uint32_t nextFree = 0;
  char keyType = 0;
  std::uint16_t keyLength = 0;
  std::uint16_t keysPerNode = 0;
  std::uint16_t entrySize = 0;
  bool unique = false;
  std::string keyText;
  std::int64_t stamp = -1;
  std::vector<NdxEntry> entries;
  std::string fault;  // empty when the file keeps every rule
};

class NdxReader {
 public:
  explicit NdxReader(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), {});
  }

  NdxTree Read() {
    if (bytes_.size() < 1024) return Faulty("file shorter than 1024 bytes");
    tree_.root = U32(0);
    tree_.nextFree = U32(4);
    tree_.keyType = static_cast<char>(bytes_[9]);
    tree_.keyLength = U16(12);
    tree_.keysPerNode = U16(14);
    tree_.entrySize = U16(18);
    tree_.unique = bytes_[23] != 0;
    tree_.keyText = std::string(reinterpret_cast<const char*>(&bytes_[24]));
    tree_.stamp = U32(488) == ~U32(492) ? std::int64_t{U32(492)} : -1;
    const std::uint16_t expectedEntry = static_cast<std::uint16_t>((tree_.keyLength + 3) / 4 * 4 + 8);
    if (tree_.entrySize != expectedEntry || tree_.keysPerNode != 504 / expectedEntry ||
        U16(16) != (tree_.keyType == 'C' ? 0 : 1))
      return Faulty("header sizes");
    if (tree_.nextFree < 2 || tree_.root == 0 || tree_.root >= tree_.nextFree)
      return Faulty("root or next free");
    if (bytes_.size() < std::size_t{tree_.nextFree} * 512) return Faulty("file shorter than next free");
    Walk(tree_.root, true, nullptr, nullptr, 0);
    for (std::uint32_t node = 1; tree_.fault.empty() && node < tree_.nextFree; ++node) {
      if (seen_.count(node) != 0) continue;
      for (std::size_t i = 0; i < 512; ++i)
        if (bytes_[node * 512 + i] != 0) Fault(node, "unreached and not zero-filled");
    }
    return tree_;
  }

 private:
  std::uint32_t U32(std::size_t at) const {
    return bytes_[at] | bytes_[at + 1] << 8 | bytes_[at + 2] << 16 |
           static_cast<std::uint32_t>(bytes_[at + 3]) << 24;
  }
  std::uint16_t U16(std::size_t at) const {
    return static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
  }

  NdxTree Faulty(const std::string& what) {
    tree_.fault = what;
    return tree_;
  }
  void Fault(std::uint32_t node, const std::string& what) {
    if (tree_.fault.empty()) tree_.fault = "node " + std::to_string(node) + ": " + what;
  }

  std::string KeyAt(std::size_t entry) const {
    return std::string(reinterpret_cast<const char*>(&bytes_[entry + 8]), tree_.keyLength);
  }

  int Compare(const std::string& a, const std::string& b) const {
    if (tree_.keyType == 'C') return a.compare(b) < 0 ? -1 : a.compare(b) > 0;
    double x, y;
    std::memcpy(&x, a.data(), 8);
    std::memcpy(&y, b.data(), 8);
    return x < y ? -1 : x > y;
  }

  // Walks a subtree whose keys must lie within [low, high] (null: open).
  void Walk(std::uint32_t node, bool isRoot, const std::string* low, const std::string* high, int depth) {
    if (!tree_.fault.empty()) return;
    if (node == 0 || node >= tree_.nextFree) return Fault(node, "child out of range");
    if (!seen_.insert(node).second) return Fault(node, "reached twice");
    if (depth > 40) return Fault(node, "too deep");
    const std::size_t base = node * std::size_t{512};
    const int count = static_cast<std::int16_t>(U16(base));
    if (U16(base + 2) != 0) return Fault(node, "bytes 2-3 not zero");
    if (count < 0 || count > tree_.keysPerNode) return Fault(node, "count " + std::to_string(count));
    if (count == 0 && !isRoot) return Fault(node, "empty below the root");
    const bool leaf = count == 0 || U32(base + 4) == 0;
    const std::size_t end = base + 4 + std::size_t(count) * tree_.entrySize + (leaf ? 0 : 4);
    for (std::size_t i = end; i < base + 512; ++i)
      if (bytes_[i] != 0) return Fault(node, "not zero after its entries");
    for (int i = 0; i < count; ++i) {
      const std::size_t entry = base + 4 + std::size_t(i) * tree_.entrySize;
      for (std::size_t pad = 8 + tree_.keyLength; pad < tree_.entrySize; ++pad)
        if (bytes_[entry + pad] != 0) return Fault(node, "padding not zero");
    }
    if (leaf) {
      for (int i = 0; i < count; ++i) {
        const std::size_t entry = base + 4 + std::size_t(i) * tree_.entrySize;
        if (U32(entry) != 0) return Fault(node, "leaf entry with a child");
        NdxEntry e{KeyAt(entry), U32(entry + 4)};
        if (low != nullptr && Compare(e.key, *low) < 0) return Fault(node, "key below its range");
        if (high != nullptr && Compare(e.key, *high) > 0) return Fault(node, "key above its separator");
        if (!tree_.entries.empty() && Compare(e.key, tree_.entries.back().key) < 0)
          return Fault(node, "keys out of order");
        tree_.entries.push_back(e);
      }
      return;
    }
    const std::string* lower = low;
    std::vector<std::string> separators(count);
    for (int i = 0; i < count; ++i) {
      const std::size_t entry = base + 4 + std::size_t(i) * tree_.entrySize;
      if (U32(entry + 4) != 0) return Fault(node, "interior entry with a record");
      separators[i] = KeyAt(entry);
      if (high != nullptr && Compare(separators[i], *high) > 0) return Fault(node, "separator above its range");
      Walk(U32(entry), false, lower, &separators[i], depth + 1);
      lower = &separators[i];
    }
    Walk(U32(base + 4 + std::size_t(count) * tree_.entrySize), false, lower, high, depth + 1);
  }

  std::vector<std::uint8_t> bytes_;
  NdxTree tree_;
  std::set<std::uint32_t> seen_;
};

inline NdxTree ReadNdxTree(const std::string& path) { return NdxReader(path).Read(); }

}  // namespace xbase::testing
