// TOvFileDataSet: seeks in the controlling order.

#include "xbase/core/ovcommon.h"
#include "xbase/dataset/uovfds.h"
#include "xbase/index/ovndx.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {

namespace {

// Most characters of a key sought.
constexpr std::size_t kMaxKey = 100;

// The text of a value sought in an index.
std::string KeyText(const TFieldValue& value) {
  return std::visit(
      [](const auto& v) -> std::string {
        using V = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<V, std::string>) return v;
        if constexpr (std::is_same_v<V, bool>) return v ? "T" : "F";
        if constexpr (std::is_same_v<V, std::int32_t> || std::is_same_v<V, double>) return std::to_string(v);
        return {};
      },
      value);
}

}  // namespace

bool TOvFileDataSet::IndexOrderActive() {
  if (AreaNumber() == 0 || !IndexingEnabled || !IndexHookTable.IsActive || !SelectWorkArea("IndexOrderActive"))
    return false;
  return IndexHookTable.IsActive();
}

bool TOvFileDataSet::IsSequenced() { return !Filtered() && !IndexOrderActive(); }

bool TOvFileDataSet::Seek(const char* operation, const std::string& key, std::uint8_t exact, bool near) {
  if (!SelectWorkArea(operation)) return false;
  {
    struct RestoreExactMode {
      std::uint8_t mode = NearMatch;
      ~RestoreExactMode() { NearMatch = mode; }
    } restore;
    NearMatch = exact;
    const std::string_view text = std::string_view(key).substr(0, kMaxKey);
    near ? FindKey(text) : xbase::Find(text);
  }
  if (ErrorCode != 0) return false;
  const std::uint8_t found = IndexFound;
  ResyncAfterFind();
  IndexFound = found;
  return found != 0;
}

bool TOvFileDataSet::Find(const std::string& key) { return Seek("Find", key, NearMatch, false); }

bool TOvFileDataSet::FindExact(const std::string& key) { return Seek("FindExact", key, 1, false); }

bool TOvFileDataSet::FindNear(const std::string& key) { return Seek("FindNear", key, 0, true); }

bool TOvFileDataSet::Locate(const std::string& keyFields, const std::vector<TFieldValue>& keyValues,
                            platform::db::TLocateOptions options) {
  if (!IndexOrderActive()) return TOvCDataSet::Locate(keyFields, keyValues, options);
  CheckBrowseMode();
  std::string text;
  for (const TFieldValue& value : keyValues) text += KeyText(value);
  const platform::db::TBookmark shown = GetBookmark();
  const bool found = (options & platform::db::loPartialKey) != 0 ? Find(text) : FindExact(text);
  if (!found && !shown.empty()) GotoBookmark(shown);
  return found;
}

}  // namespace xbase
