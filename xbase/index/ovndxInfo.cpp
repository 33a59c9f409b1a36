// Reading an index file's header without opening it as an order.

#include <cstring>

#include "xbase/core/ByteOrder.h"
#include "xbase/core/ovutils.h"
#include "xbase/index/ovndxBuild.h"
#include "xbase/index/ovndxInternal.h"

namespace xbase {

namespace {

std::string TextAt(const NodeImage& block, std::size_t offset, std::size_t most) {
  const auto* text = reinterpret_cast<const char*>(block.data() + offset);
  return std::string(text, strnlen(text, most));
}

}  // namespace

void IndexInfo(IndexInfoRecord& info, const std::string& fileName) {
  ErrorCode = 0;
  const std::string name = AllTrim(fileName);
  const std::string failure = "Error reading index file: \n\r[IndexInfo(<>," + name + ")]";
  if (name.empty()) {
    SetError(220, failure);
    return;
  }
  platform::os::BinaryFile file;
  const std::string path = ResolvedFileName(ResolveIndexPath(DefaultExtension(name, "NDX")));
  NodeImage block{};
  std::uint16_t code = file.Open(path, platform::os::FileAccess::kRead, platform::os::ShareMode::kShared);
  if (code == 0) {
    const platform::os::Transfer read = file.ReadAt(0, block.data(), NodeSize);
    code = read.code != 0 ? read.code : read.count == NodeSize ? 0 : 100;
  }
  if (code != 0) {
    SetError(code, failure);
    return;
  }
  info.KeyExpression = TextAt(block, KeyTextOffset, MaxKeyTextLength);
  info.KeyLength = block[12];
  info.KeyType = static_cast<char>(block[9]);
  info.Unique = block[23] != 0;
  const std::int64_t stamp = IndexStamp(block.data());
  info.Stamp = static_cast<std::int32_t>(stamp);
  info.TableName = stamp < 0 ? std::string() : TextAt(block, TableNameOffset, MaxTableNameLength);
}

std::int32_t ReadIndexStamp(const std::string& fileName) {
  IndexInfoRecord info;
  IndexInfo(info, fileName);
  return ErrorCode == 0 ? info.Stamp : -1;
}

}  // namespace xbase
