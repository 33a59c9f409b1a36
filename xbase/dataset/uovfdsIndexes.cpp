// TOvFileDataSet: index files opened with the table and later, and seeks in the controlling
// order.

#include <algorithm>
#include <cstring>

#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/dataset/ovmsg.h"
#include "xbase/dataset/uovfds.h"
#include "xbase/index/ovndx.h"
#include "xbase/index/ovndxBuild.h"
#include "xbase/index/ovndxSemaphore.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {

namespace {

// Most characters of a key sought, and of an IndexList expression.
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

// One line of IndexList: "<order>,<file>,<expression>". An item whose comma comes first is left
// at its default (order 0, no file).
struct TIndexItem {
  int Order = 0;
  std::string File;
  std::string Expression;
};

// Indexes that cannot be opened for these codes are built (missing, damaged, or made by a key
// maker).
bool IsBuildCode(std::uint16_t code) { return code == 2 || code == 222 || code == 223; }

TIndexItem ParseIndexItem(std::string_view line) {
  TIndexItem item;
  const std::size_t first = line.find(',');
  if (first == line.npos) {
    item.File = AllTrim(line);
    return item;
  }
  if (first > 0) item.Order = ValInt(line.substr(0, first));
  line.remove_prefix(first + 1);
  const std::size_t second = line.find(',');
  if (second == line.npos) {
    item.File = AllTrim(line);
    return item;
  }
  if (second > 0) item.File = AllTrim(line.substr(0, second));
  item.Expression = std::string(line.substr(second + 1, kMaxKey));
  return item;
}

}  // namespace

// ---- Opening the listed indexes

bool TOvFileDataSet::SemaphoreFileCheck() {
  std::string name;
  SemaphoreFileName(name);
  // A file that another program holds open is not erased, whatever its date.
  if (FileFound(name) && !FileIsDatedToday(name)) EraseFile(name);
  ErrorCode = 0;
  return FileFound(name);
}

void TOvFileDataSet::MakeListedIndex(const std::string& file, const std::string& expression) {
  std::unique_ptr<TOvProgress100> progress;
  if (ShowProgress()) {
    progress = std::make_unique<TOvProgress100>("Indexing " + file + "...");
    SetIndexProgress([&progress] { progress->Step(); }, TOvProgress100::BarLength);
  }
  struct ClearProgress {
    ~ClearProgress() { SetIndexProgress(nullptr, 0); }
  } clear;
  IndexOnWithOptions(expression, file);
}

bool TOvFileDataSet::OpenIndexList() {
  if (!IsTableUsable() || indexList_.empty()) return true;
  std::vector<TIndexItem> items;
  for (const std::string& line : indexList_) items.push_back(ParseIndexItem(line));
  const bool immediate = SetImmediateErrors(false);
  // The error that ends the open, reported again once immediate handling is back.
  const auto fail = [immediate](std::uint16_t code, const std::string& message) {
    SetImmediateErrors(immediate);
    SetError(code, message);
    return false;
  };
  struct RestoreImmediate {
    bool immediate;
    ~RestoreImmediate() { SetImmediateErrors(immediate); }
  } restore{immediate};

  TCreateIndexType policy = createIndex_;
  if ((policy == ciAlways || policy == ciVerifyHeader) && SemaphoreFileCheck()) policy = ciNotFound;
  // Each index alone as order 1: opened, or built when the policy says so.
  for (const TIndexItem& item : items) {
    std::uint16_t code = 0;
    if (policy == ciAlways || (policy == ciVerifyHeader && ReadIndexStamp(item.File) != std::int32_t(RecCount()))) {
      code = 2;
    } else {
      SetIndexToOrder(item.File, 1);
      code = ErrorCode;
    }
    if (policy != ciNever && IsBuildCode(code)) {
      bool canMake = true;
      if (OnBeforeMakeIndex) OnBeforeMakeIndex(item.File, canMake);
      if (canMake) {
        GetErrorMessage();
        MakeListedIndex(item.File, item.Expression);
        code = ErrorCode;
        if (OnAfterMakeIndex) OnAfterMakeIndex(item.File);
        if (code == 0) {
          SetIndexToOrder(item.File, 1);
          code = ErrorCode;
        }
      }
    }
    if (code != 0) return fail(code, GetErrorMessage());
    CloseAllIndexes();
  }
  // Then all of them, each into its own order; the one in order 1 controls.
  for (const TIndexItem& item : items) {
    xbase::SetIndexTo(item.File, static_cast<std::uint8_t>(std::clamp(item.Order, 0, 255)));
    if (const std::uint16_t code = ErrorCode; code != 0) {
      const std::string message = GetErrorMessage();
      CloseAllIndexes();
      return fail(code, message);
    }
  }
  return true;
}

// ---- Index methods

std::function<void(std::uint32_t, std::uint8_t, std::string&)> TOvFileDataSet::KeyMaker(std::uint8_t slot) {
  return [this, slot](std::uint32_t, std::uint8_t, std::string& key) {
    // The callback reads the record the table stands on through the dataset's fields.
    const TRecordBuffer buffer = ActiveBuffer();
    const std::vector<std::uint8_t> saved(buffer, buffer + RecordBufferSize());
    struct RestoreBuffer {
      TRecordBuffer buffer;
      const std::vector<std::uint8_t>& saved;
      ~RestoreBuffer() { std::memcpy(buffer, saved.data(), saved.size()); }
    } restore{buffer, saved};
    ReadRecordToBuffer(buffer);
    key = keyMakers_[slot] ? keyMakers_[slot](*this) : std::string();
  };
}

void TOvFileDataSet::IndexOn(const std::string& expression, const std::string& fileName) {
  if (!SelectWorkArea("IndexOn")) return;
  IndexOnExpr(expression, fileName);
  ResyncAfterDirectOp();
}

void TOvFileDataSet::IndexOnCB(const std::string& fileName, TKeyMakerCallback callback) {
  if (!SelectWorkArea("IndexOnCB")) return;
  keyMakers_[0] = std::move(callback);
  IndexOnKeyMaker(fileName, KeyMaker(0), 0);
  ResyncAfterDirectOp();
}

void TOvFileDataSet::SetIndexTo(const std::string& list) {
  UpdateCursorPos();
  if (!SelectWorkArea("SetIndexTo")) return;
  SetIndexToList(list);
  ResyncAfterDirectOp();
}

void TOvFileDataSet::SetIndexToCB(const std::string& fileName, std::uint8_t order, TKeyMakerCallback callback) {
  if (!SelectWorkArea("SetIndexToCB")) return;
  // An order outside 1..16 is refused by the engine; its callback is kept nowhere.
  if (order >= 1 && order <= MaxOrders) keyMakers_[order] = std::move(callback);
  SetIndexToKeyMaker(fileName, order, KeyMaker(order), order);
  ResyncAfterDirectOp();
}

void TOvFileDataSet::SetIndexToLFN(const std::string& fileName, std::uint8_t order) {
  UpdateCursorPos();
  if (!SelectWorkArea("SetIndexToLFN")) return;
  SetIndexToOrder(fileName, order);
  ResyncAfterDirectOp();
}

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

bool TOvFileDataSet::BeginReading() { return SelectWorkArea("BeginReading") && SetReadSemaphoreProc(true); }

void TOvFileDataSet::EndReading() {
  // Called on the way out of a reading, also when an error is being raised: a failure of the
  // closing stays stored instead of raising.
  if (SelectWorkArea("EndReading") && IndexHookTable.ReadSemaphore) IndexHookTable.ReadSemaphore(false);
}

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
