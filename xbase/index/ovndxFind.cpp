// Seeking a key text in the controlling order: Find, FindKey and the soft-seek switch.

#include <cstring>
#include <utility>

#include "xbase/index/ovndxInternal.h"
#include "xbase/workarea/dbf4Internal.h"

namespace xbase {

using namespace ndx;

namespace {

// The area hides some records (SET DELETED or a filter).
bool AreaFilters(const WorkAreaRecord& table) {
  return table.IgnoreDeleted || table.FilterCallback || table.FilterExpr != nullptr;
}

void Seek(WorkAreaRecord& table, OrderDescriptor& order, std::string_view text) {
  {
    dbf4::IndexBracket reading(dbf4::IndexBracket::Read, true);
    if (!reading.Held()) return;
    if (order.Path.Depth == 0 || table.RecordCount == 0) {
      CatchUpWithGeneration();
      FindFirstRec();
      if (ErrorCode != 0 || order.AtEof) return;
    }
    KeyBytes key;
    const std::size_t compared = SearchKey(order, text, key);
    CatchUpWithGeneration();
    SeekKey(order, key);
    // Nothing at or after the key (every greater record hidden, or none at all): EOF.
    const auto toEof = [&] {
      GoIndexEof();
      IndexFound = 0;
    };
    if (order.AtEof) return toEof();
    const auto matches = [&] {
      return order.CharacterKey ? std::memcmp(CursorKey(order), key.data(), compared) == 0
                                : SameKey(order, CursorKey(order), key.data());
    };
    // Every key from here on is greater: a miss that keeps no position reads no record.
    if (KeepPositionOnMiss == 0 && !matches()) return toEof();
    RecordNumber record = CursorRecord(order);
    if (AreaFilters(table)) {
      Dbf4RawGo(record);
      while (ErrorCode == 0 && !dbf4::EvalFilter(table)) {
        record = FindNextRec();
        if (ErrorCode != 0) return;
        if (order.AtEof) return toEof();
        Dbf4RawGo(record);
      }
      if (ErrorCode != 0) return;
    }
    CopyKey(order, CursorKey(order), order.SavedKey);
    GoAndSync(record);
    if (ErrorCode != 0) return;
    IndexFound = matches() ? 1 : 0;
  }
  if (IndexFound == 0 && KeepPositionOnMiss == 0) {
    GoIndexEof();
    IndexFound = 0;
  } else {
    UpdateKeyPositions(false, 1);
  }
}

}  // namespace

void Find(std::string_view text) {
  IndexFound = 0;
  OrderDescriptor* order = CheckIndexOpen("Find");
  if (order == nullptr) return;
  if (AreaIndexOf(CurrentWorkArea).IndexBypass) {
    SetError(254, "Cannot use Find() with index order 0 (natural order) [Find]");
    return;
  }
  text = text.substr(0, MaxKeyTextLength);
  if (text.empty()) return;
  ErrorCode = 0;
  ActiveOrder = 1;
  WorkAreaRecord& table = *CurrentTable();
  Guarded([&] { Seek(table, *order, text); });
}

void FindKey(std::string_view text) {
  IndexFound = 0;
  text = text.substr(0, MaxKeyTextLength);
  if (text.empty()) return;
  WorkAreaRecord* table = CurrentTable();
  if (table == nullptr) return Find(text);
  const bool withCallback = static_cast<bool>(table->MoveCallback);
  {
    dbf4::SuspendMoveCallback suspended(*table);
    Restore<std::uint8_t> nearMatch(NearMatch, 0);
    Restore<std::uint8_t> keepPosition(KeepPositionOnMiss, 1);
    Find(text);
  }
  OrderDescriptor* order = OrderInSlot(1);
  if (ErrorCode != 0 || order == nullptr) return;
  if (withCallback && !order->AtEof) GoAndSync(CursorRecord(*order));
  UpdateKeyPositions(false, 1);
}

std::uint8_t BeginSoftSeek() { return std::exchange(NearMatch, std::uint8_t{1}); }

std::uint8_t EndSoftSeek() { return std::exchange(NearMatch, std::uint8_t{0}); }

}  // namespace xbase
