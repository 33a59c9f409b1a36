#include "xbase/index/ovndxFormat.h"

#include <algorithm>
#include <cstring>

#include "xbase/index/ovndxlow.h"

namespace xbase {

IndexHeader MakeIndexHeader(char keyType, std::uint16_t keyLength, bool unique) {
  IndexHeader header;
  header.KeyType = keyType;
  header.KeyLength = keyLength;
  header.EntrySize = static_cast<std::uint16_t>((keyLength + 3) / 4 * 4 + 8);
  header.KeysPerNode = static_cast<std::uint16_t>(NodeEntriesRoom / header.EntrySize);
  header.NumericFlag = keyType == 'C' ? 0 : 1;
  header.Unique = unique ? 1 : 0;
  return header;
}

IndexHeader DecodeIndexHeader(const std::uint8_t* bytes) {
  IndexHeader header;
  header.Root = GetLE32(bytes);
  header.NextFree = GetLE32(bytes + 4);
  header.KeyType = static_cast<char>(bytes[9]);
  header.KeyLength = GetLE16(bytes + 12);
  header.KeysPerNode = GetLE16(bytes + 14);
  header.NumericFlag = GetLE16(bytes + 16);
  header.EntrySize = GetLE16(bytes + 18);
  header.Unique = bytes[23];
  return header;
}

void EncodeIndexHeader(const IndexHeader& header, std::uint8_t* bytes) {
  std::memset(bytes, 0, HeaderImageSize);
  PutLE32(bytes, header.Root);
  PutLE32(bytes + 4, header.NextFree);
  bytes[9] = static_cast<std::uint8_t>(header.KeyType);
  PutLE16(bytes + 12, header.KeyLength);
  PutLE16(bytes + 14, header.KeysPerNode);
  PutLE16(bytes + 16, header.NumericFlag);
  PutLE16(bytes + 18, header.EntrySize);
  bytes[23] = header.Unique;
}

bool IndexHeaderIsUsable(const IndexHeader& header) {
  return header.KeyLength >= 1 && header.KeyLength <= MaxKeyLength &&
         header.EntrySize >= header.KeyLength + 8 && header.KeysPerNode >= 1 &&
         static_cast<std::size_t>(header.KeysPerNode) * header.EntrySize <= NodeEntriesRoom;
}

void BuildAnchorBlock(const IndexHeader& header, std::string_view keyText,
                      std::uint32_t recordCount, std::string_view tableName, NodeImage& block) {
  block.fill(0);
  EncodeIndexHeader(header, block.data());
  keyText = keyText.substr(0, MaxKeyTextLength);
  std::copy(keyText.begin(), keyText.end(), block.begin() + KeyTextOffset);
  PutIndexStamp(block.data(), recordCount);
  tableName = tableName.substr(0, MaxTableNameLength);
  std::copy(tableName.begin(), tableName.end(), block.begin() + TableNameOffset);
}

void PutIndexStamp(std::uint8_t* block, std::uint32_t recordCount) {
  PutLE32(block + StampOffset, ~recordCount);
  PutLE32(block + StampOffset + 4, recordCount);
}

std::int64_t IndexStamp(const std::uint8_t* block) {
  const std::uint32_t count = GetLE32(block + StampOffset + 4);
  return GetLE32(block + StampOffset) == ~count ? std::int64_t{count} : -1;
}

void PutEntry(std::uint8_t* entry, std::uint32_t child, std::uint32_t record,
              const std::uint8_t* key, std::uint16_t keyLength, std::uint16_t entrySize) {
  PutLE32(entry, child);
  PutLE32(entry + 4, record);
  std::memcpy(entry + 8, key, keyLength);
  std::memset(entry + 8 + keyLength, 0, entrySize - 8u - keyLength);
}

void ZeroNodeTail(std::uint8_t* node, std::uint16_t entrySize, bool interior) {
  const std::size_t end = 4 + static_cast<std::size_t>(std::max(0, int{NodeCount(node)})) * entrySize +
                          (interior ? 4 : 0);
  if (end < NodeSize) std::memset(node + end, 0, NodeSize - end);
}

namespace {

constexpr std::array<std::uint8_t, 8 + MaxKeyLength> MakeEmptyCursorNode() {
  std::array<std::uint8_t, 8 + MaxKeyLength> entry{};
  for (int i = 4; i < 8; ++i) entry[i] = 0xFF;
  return entry;
}

}  // namespace

const std::array<std::uint8_t, 8 + MaxKeyLength> EmptyCursorNode = MakeEmptyCursorNode();

int CompareCharKey(const void* a, const void* b, std::uint16_t keyLength) {
  return std::memcmp(a, b, keyLength);
}

int CompareNumericKey(const void* a, const void* b, std::uint16_t) { return CompareDouble(a, b); }

}  // namespace xbase
