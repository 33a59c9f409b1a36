#pragma once
// The index file format (NDX) that other dBase programs read: 512-byte blocks, block 0 the
// header, block n >= 1 tree node n at byte n * 512. Every integer is little-endian and every
// field is read and written on its own, never through a struct image.
//
// Header (block 0):
//     0 u32 root node              4 u32 next free node (one past the highest node in use)
//     8 zero                       9 key type: C, N, F or D
//    10 zero (2 bytes)            12 u16 key length: 1..100, 8 for N, F and D keys
//    14 u16 keys per node: 504 div entry size
//    16 u16 numeric flag: 0 for C keys, 1 for the others
//    18 u16 entry size: the key length rounded up to a multiple of 4, plus 8
//    20 zero (3 bytes)            23 UNIQUE: 1 when the order keeps one entry per key value
//    24 the key expression, NUL-terminated, at most 100 characters; zero up to 487
//   488 u32 NOT of the table's record count, 492 u32 that record count: the stamp, valid when
//       the first word is the NOT of the second
//   496 the table's file name without folder, cut to 12 bytes, NUL-terminated; zero to the end
//
// Node (block n):
//     0 i16 entry count            2 u16 zero (in memory: the modified mark, see below)
//     4 entries, entry size bytes each, in ascending key order:
//         child node u32 (0 in a leaf), record number u32 (0 in an interior node),
//         key (key length bytes), zero padding to the entry size
//     after the last entry of an interior node: u32 trailing child; zero to the end
// A node is a leaf when its first entry's child is 0 (an empty node is a leaf). Entry i of an
// interior node leads to the keys up to its key (the separator); the trailing child to the
// keys above the last separator. Equal keys may stand on both sides of a separator.
//
// Keys: C the key's bytes, blank-padded to the key length; N and F an IEEE double; D the day
// number of the date as an IEEE double. C keys compare byte by byte, the others as doubles.
//
// The first 24 bytes of the header are the "header image" an open order keeps in memory. Bytes
// 2-3 of a node would be its modified mark in memory; this engine writes every change at once,
// keeps them zero in memory and on disk, and clears what other programs may have left there.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "xbase/core/ByteOrder.h"

namespace xbase {

inline constexpr std::size_t NodeSize = 512;
inline constexpr std::size_t NodeEntriesRoom = 504;  // 512 minus the count word and a trailing child
inline constexpr std::size_t HeaderImageSize = 24;
inline constexpr std::size_t KeyTextOffset = 24;
inline constexpr std::size_t StampOffset = 488;
inline constexpr std::size_t TableNameOffset = 496;
inline constexpr std::size_t MaxKeyTextLength = 100;
inline constexpr std::size_t MaxTableNameLength = 12;
inline constexpr std::uint16_t MaxKeyLength = 100;
inline constexpr std::size_t NumericKeyLength = 8;
inline constexpr std::size_t MinIndexFileSize = 2 * NodeSize;  // the header and one node

using NodeImage = std::array<std::uint8_t, NodeSize>;

// A key as the engine handles it: key length bytes, then a NUL (C keys are key length + 1
// bytes long), zero beyond.
using KeyBytes = std::array<std::uint8_t, MaxKeyLength + 1>;

// The header's key expression of an index built with a key maker instead of an expression
// ("User defined KeyMaker was used to build this index", normalised).
inline constexpr std::string_view KeyMakerMarker = "USERDEFINEDKEYMAKERWASUSEDTOBUILDTHISINDEX";

// The header image (bytes 0 to 23).
struct IndexHeader {
  std::uint32_t Root = 1;
  std::uint32_t NextFree = 2;
  char KeyType = 'C';
  std::uint16_t KeyLength = 0;
  std::uint16_t KeysPerNode = 0;
  std::uint16_t NumericFlag = 0;
  std::uint16_t EntrySize = 0;
  std::uint8_t Unique = 0;

  bool CharacterKeys() const { return KeyType == 'C'; }
};

// The header of a new, empty index (root 1, next free 2) for keys of a type and length.
IndexHeader MakeIndexHeader(char keyType, std::uint16_t keyLength, bool unique);

IndexHeader DecodeIndexHeader(const std::uint8_t* bytes);
void EncodeIndexHeader(const IndexHeader& header, std::uint8_t* bytes);

// The header describes nodes the engine can walk: a key length of 1 to 100, an entry size
// that holds the key and both numbers, and at least one and at most 504 bytes of entries.
bool IndexHeaderIsUsable(const IndexHeader& header);

// Block 0 for a header, its key expression (cut to 100 characters), the table's record count
// and the table's file name (cut to 12 bytes); every other byte zero.
void BuildAnchorBlock(const IndexHeader& header, std::string_view keyText,
                      std::uint32_t recordCount, std::string_view tableName, NodeImage& block);

// Rewrites the stamp of an anchor block for a record count.
void PutIndexStamp(std::uint8_t* block, std::uint32_t recordCount);

// The record count of a block's stamp, -1 when its two words disagree.
std::int64_t IndexStamp(const std::uint8_t* block);

// The stamp a header carries while a change of several node writes is under way, and from
// then on in an index that lacks keys: a record count of 2^32 - 1, which no table reaches and
// every reader of the stamp takes as "record count unknown" (-1 as a signed number). A file
// left with it was cut short in a change, and must be rebuilt.
inline constexpr std::uint32_t ChangingStamp = 0xFFFFFFFF;

// ---------------------------------------------------------------------------------------------
// Node images. Positions in an interior node count its children: 0 .. count - 1 the entries'
// children, count the trailing child.

inline std::int16_t NodeCount(const std::uint8_t* node) {
  return static_cast<std::int16_t>(GetLE16(node));
}
inline void SetNodeCount(std::uint8_t* node, int count) {
  PutLE16(node, static_cast<std::uint16_t>(count));
}

inline void ClearNodeModified(std::uint8_t* node) { PutLE16(node + 2, 0); }

inline std::uint8_t* EntryAt(std::uint8_t* node, int index, std::uint16_t entrySize) {
  return node + 4 + static_cast<std::size_t>(index) * entrySize;
}
inline const std::uint8_t* EntryAt(const std::uint8_t* node, int index, std::uint16_t entrySize) {
  return node + 4 + static_cast<std::size_t>(index) * entrySize;
}

inline std::uint32_t EntryChild(const std::uint8_t* entry) { return GetLE32(entry); }
inline std::uint32_t EntryRecord(const std::uint8_t* entry) { return GetLE32(entry + 4); }
inline const std::uint8_t* EntryKey(const std::uint8_t* entry) { return entry + 8; }
inline std::uint8_t* EntryKey(std::uint8_t* entry) { return entry + 8; }

inline bool IsLeafNode(const std::uint8_t* node) {
  return NodeCount(node) == 0 || EntryChild(node + 4) == 0;
}

// The child at a position of an interior node.
inline std::uint32_t ChildAt(const std::uint8_t* node, int position, std::uint16_t entrySize) {
  return GetLE32(EntryAt(node, position, entrySize));
}
inline void SetChildAt(std::uint8_t* node, int position, std::uint16_t entrySize,
                       std::uint32_t child) {
  PutLE32(EntryAt(node, position, entrySize), child);
}

// Fills an entry: child, record, key (keyLength bytes) and zero padding.
void PutEntry(std::uint8_t* entry, std::uint32_t child, std::uint32_t record,
              const std::uint8_t* key, std::uint16_t keyLength, std::uint16_t entrySize);

// Zeroes a node after its entries, and after its trailing child when it is interior.
void ZeroNodeTail(std::uint8_t* node, std::uint16_t entrySize, bool interior);

// The cursor entry of an order at the end of its keys: child 0, record number -1, and a key
// of zero bytes with room for the longest key.
extern const std::array<std::uint8_t, 8 + MaxKeyLength> EmptyCursorNode;

// ---------------------------------------------------------------------------------------------
// Key comparators: negative, 0 or positive as a sorts before, with or after b.

using KeyComparator = int (*)(const void* a, const void* b, std::uint16_t keyLength);

// C keys: byte by byte over the key length.
int CompareCharKey(const void* a, const void* b, std::uint16_t keyLength);
// N, F and D keys: as doubles (0.0 and -0.0 are equal).
int CompareNumericKey(const void* a, const void* b, std::uint16_t keyLength);

// CompareCharKey's work, for the searches that call it for every entry they pass: eight bytes
// at a time, each group read as a big-endian number, which orders as its bytes do.
inline int CompareCharBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t length) {
  static_assert(std::endian::native == std::endian::little);
  std::size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    std::uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) return __builtin_bswap64(x) < __builtin_bswap64(y) ? -1 : 1;
  }
  if (i + 4 <= length) {
    std::uint32_t x, y;
    std::memcpy(&x, a + i, 4);
    std::memcpy(&y, b + i, 4);
    if (x != y) return __builtin_bswap32(x) < __builtin_bswap32(y) ? -1 : 1;
    i += 4;
  }
  for (; i < length; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

}  // namespace xbase
