// Opening index files by name into order slots, and closing them: OpenIndex, the SetIndexTo
// entries with the semaphore log-in, CloseOrder and CloseAllIndexes.

#include <vector>

#include "platform/os/ByteRangeLocks.h"
#include "xbase/core/ovutils.h"
#include "xbase/index/ovndxBuild.h"
#include "xbase/index/ovndxInternal.h"
#include "xbase/index/ovndxlow.h"
#include "xbase/workarea/dbf4Internal.h"

namespace xbase {

using namespace ndx;

namespace {

const char* const kOpenTag = " [OpenIndex/Set_Index_To]";

std::string OpenFailure(const std::string& path) { return "Unable to open index: " + path + kOpenTag; }

// Refuses a file that an order has open already: in this area in another slot, or in an area
// of another table (two areas of one table may share an index).
void CheckIndexNotOpen(const std::string& path, std::uint8_t slot) {
  const WorkAreaRecord* table = CurrentTable();
  for (std::uint8_t area = 1; area < WorkAreaCount; ++area) {
    const WorkAreaRecord* other = WorkArea(area);
    const auto& orders = AreaIndexOf(area).OrderTable;
    for (std::uint8_t n = 1; n <= MaxOrders; ++n) {
      const OrderDescriptor* order = orders[n - 1].get();
      if (order == nullptr || (area == CurrentWorkArea && n == slot) || !IsFileOf(*order, path)) continue;
      if (area != CurrentWorkArea && other != nullptr && other->FileName == table->FileName) continue;
      Fail(220, "Index file already open: " + path + " for " + (other != nullptr ? other->FileName : "") +
                    "\r\nAttempting to set index of same name for " + table->FileName + "." + kOpenTag);
    }
  }
}

// The order's key for a blank record (the one past the last), as text before padding.
std::string BlankRecordKey(OrderDescriptor& order, WorkAreaRecord& table) {
  const std::vector<std::uint8_t> saved = table.RecordBuffer;
  const RecordNumber savedRecNo = table.RecNo;
  std::fill(table.RecordBuffer.begin(), table.RecordBuffer.end(), ' ');
  table.RecNo = table.RecordCount + 1;
  std::string key;
  if (order.KeyFunction) {
    key = std::string(order.KeyFunction(order).Text);
  } else {
    ScatterCurrent();
    order.KeyMaker(order.KeyMakerArg, order.OrderNumber, key);
    if (order.SoundexKeys) key = Soundex(key);
  }
  table.RecordBuffer = saved;
  table.RecNo = savedRecNo;
  if (!order.KeyFunction) ScatterCurrent();
  return key;
}

// An expression order: the key expression of the header compiled.
void MakeExpressionOrder(OrderDescriptor& order, const std::string& path) {
  if (order.KeyText == KeyMakerMarker)
    Fail(223, "Key maker function required, \"" + path + "\" was created using KeyMaker function." + kOpenTag);
  const std::string invalid = "Invalid dBASE key expression or corrupted index file " + path + kOpenTag;
  if (order.KeyText.empty() || !ExprHookTable.Compile) Fail(222, invalid);
  CompiledExpr* key = nullptr;
  {
    ImmediateErrorsScope quiet(false);
    key = ExprHookTable.Compile(order.KeyText);
  }
  if (key == nullptr) Fail(222, invalid);
  if (!UseCompiledKey(order, key)) {
    ExprHookTable.Free(key);
    Fail(222, invalid);
  }
}

void MakeKeyMakerOrder(OrderDescriptor& order, const std::string& path, bool soundex, bool descending,
                       KeyMakerProc keyMaker, std::uint32_t keyMakerArg) {
  if (order.KeyText != KeyMakerMarker)
    Fail(223, "Attempted use of Key Maker function with index file created with a dBASE key expression "
              "[OpenIndex/Set_Index_ToCB(" + path + ")]");
  order.KeyMaker = std::move(keyMaker);
  order.KeyMakerArg = keyMakerArg;
  order.SoundexKeys = soundex;
  order.DescendingKeys = descending;
  order.Header.KeyType = 'C';
  order.CharacterKey = true;
  order.Comparator = CompareCharKey;
}

// Next free as the file's size says.
std::uint32_t NextFreeOfFile(const OrderDescriptor& order) {
  std::uint64_t size = 0;
  if (const std::uint16_t code = order.IndexFile.Size(size)) Fail(code, "Error opening index file: " + order.FileName + kOpenTag);
  return static_cast<std::uint32_t>((size - NodeSize) / NodeSize + 1);
}

// Next free as the file's size says; true when the header said otherwise.
bool SyncNextFree(OrderDescriptor& order) {
  const std::uint32_t nextFree = NextFreeOfFile(order);
  if (nextFree == order.Header.NextFree) return false;
  order.Header.NextFree = nextFree;
  return true;
}

// The correction of a next free that disagreed with the file's size, written under the write
// bracket from the header and the size as they are then: another program may have changed
// both since they were first read.
void CorrectNextFree(OrderDescriptor& order) {
  const dbf4::IndexBracket writing(dbf4::IndexBracket::Lock, true);
  if (!writing.Held()) throw OperationFailed{};
  NodeImage block{};
  const platform::os::Transfer read = order.IndexFile.ReadAt(0, block.data(), NodeSize);
  if (read.code != 0 || read.count != NodeSize) Fail(read.code != 0 ? read.code : 222, OpenFailure(order.FileName));
  IndexHeader header = DecodeIndexHeader(block.data());
  order.Header.Root = header.Root;
  order.Header.NextFree = header.NextFree;
  const std::uint32_t nextFree = NextFreeOfFile(order);
  if (nextFree == header.NextFree) return;
  header.NextFree = order.Header.NextFree = nextFree;
  EncodeIndexHeader(header, block.data());
  const platform::os::Transfer written = order.IndexFile.WriteAt(0, block.data(), NodeSize);
  if (written.code != 0 || written.count != NodeSize)
    Fail(written.code != 0 ? written.code : 101, "Error writing index file:  " + order.FileName + " [WriteAnchorNode]");
}

// A header whose stamp says the file lacks keys is refused: a program died in a change of
// it, or records were written without it. It must be rebuilt.
void CheckStamp(const OrderDescriptor& order, const WorkAreaRecord& table) {
  if (order.OpenedStamp == ChangingStamp)
    Fail(222, "Index file " + order.FileName + " was being changed by a program that ended; rebuild it" + kOpenTag);
  if (StampShowsMissingKeys(order.OpenedStamp, table.RecordCount))
    Fail(222, "Index file " + order.FileName + " was written for " + std::to_string(order.OpenedStamp) +
                  " records and the table has " + std::to_string(table.RecordCount) + "; rebuild it" + kOpenTag);
}

void Open(const std::string& fileName, bool noCache, bool soundex, std::uint8_t slot, bool descending,
          KeyMakerProc keyMaker, std::uint32_t keyMakerArg) {
  WorkAreaRecord* table = CheckedTable("OpenIndex/Set_Index_To");
  if (table == nullptr) throw OperationFailed{};
  const std::string path = ResolvedFileName(ResolveIndexPath(DefaultExtension(AllTrim(fileName), "NDX")));
  CheckIndexNotOpen(path, slot);
  if (OrderInSlot(slot) != nullptr)
    Fail(254, std::string("Internal error: IND pointer already allocated") + kOpenTag);
  std::unique_ptr<OrderDescriptor> order;
  bool corrected = false;
  {
    // The header, the file's size and the table's count are read while no other program
    // changes the index: a header read in the middle of another program's write is not yet
    // the header of its nodes.
    const dbf4::IndexBracket reading(dbf4::IndexBracket::Read, true);
    if (!reading.Held()) throw OperationFailed{};
    order = OpenOrderFile(path);
    if (order == nullptr) throw OperationFailed{};
    NormalizeKeyExpr(order->KeyText, false);
    order->OrderNumber = slot;
    order->AreaNumber = CurrentWorkArea;
    if (keyMaker)
      MakeKeyMakerOrder(*order, path, soundex, descending, std::move(keyMaker), keyMakerArg);
    else
      MakeExpressionOrder(*order, path);
    corrected = SyncNextFree(*order);
    RefreshRecCount(*table);
    if (table->RecordCount > 0 && order->CharacterKey) {
      const std::string key = BlankRecordKey(*order, *table);
      if (key.size() != order->KeyLength())
        Fail(266, "Incorrect key length: Must be 1 to 100.\n\rExpected Length= " + StrInt(order->KeyLength(), 3) +
                      "\n\rKey= [" + key + "] " + path + " [SetIndexTo/OpenIndex]");
    }
    CheckStamp(*order, *table);
  }
  if (corrected) CorrectNextFree(*order);
  if (!SeatOrder(std::move(order), slot, noCache)) throw OperationFailed{};
}

bool AnyOrderOpen() {
  for (std::uint8_t slot = 1; slot <= MaxOrders; ++slot)
    if (OrderInSlot(slot) != nullptr) return true;
  return false;
}

// The area leaves the semaphore protocol; an error already pending stays the one reported.
void LogOut() {
  const std::uint16_t code = ErrorCode;
  const std::string message = LastErrorMessage;
  HandleSemafore(LOGOUT);
  if (code != 0) {
    ErrorCode = code;
    LastErrorMessage = message;
  }
}

}  // namespace

void OpenIndex(const std::string& fileName, bool noCache, bool soundex, std::uint8_t order, bool descending,
               KeyMakerProc keyMaker, std::uint32_t keyMakerArg) {
  ErrorCode = 0;
  Guarded([&] { Open(fileName, noCache, soundex, order, descending, std::move(keyMaker), keyMakerArg); });
}

bool SetIndexTo(const std::string& nameWithOptions, std::uint8_t order, KeyMakerProc keyMaker,
                std::uint32_t keyMakerArg) {
  ErrorCode = 0;
  CloseOrder(order);
  if (ErrorCode != 0) return false;
  const IndexOptions options = ParseIndexOptions(nameWithOptions);
  if (options.Name.empty()) return false;
  const std::string name = DefaultExtension(options.Name, "NDX");
  const std::string tag = " [SetIndexTo(<>," + name + "," + std::to_string(order) + ")]";
  if (order == 0 || order > MaxOrders) {
    SetError(220, "Index Order parameter out of range" + tag);
    return false;
  }
  if (CurrentTable() == nullptr) {
    SetError(215, "Attempt to open " + name + " index file with no DBF file open." + tag);
    return false;
  }
  const std::string path = ResolvedFileName(ResolveIndexPath(name));
  if (!FileFound(path)) {
    SetError(2, "Attempt to open " + name + tag);
    return false;
  }
  ActiveOrder = order;
  const bool noCache = options.NoCache || (NetworkLocking && !SharedNodeCache);
  if (OpenModeOverride >= 65535 || (OpenModeOverride & 0x70) == 0x40) {
    HandleSemafore(LOGIN);
    if (ErrorCode != 0) return false;
  }
  OpenIndex(path, noCache, options.Soundex, order, options.Descending, std::move(keyMaker), keyMakerArg);
  if (ErrorCode != 0) {
    // An area whose every open failed leaves the protocol again.
    if (!AnyOrderOpen()) LogOut();
    return false;
  }
  UpdateKeyPositions(false, 1);
  return ErrorCode == 0;
}

bool SetIndexToKeyMaker(const std::string& nameWithOptions, std::uint8_t order, KeyMakerProc keyMaker,
                        std::uint32_t keyMakerArg) {
  if (!SetIndexTo(nameWithOptions, order, std::move(keyMaker), keyMakerArg)) return false;
  Set_Order_To(1);
  ActiveOrder = 1;
  return ErrorCode == 0;
}

bool SetIndexToOrder(const std::string& nameWithOptions, std::uint8_t order) {
  return SetIndexToKeyMaker(nameWithOptions, order, nullptr, 0);
}

void SetIndexToList(const std::string& names) {
  CloseAllIndexes();
  ErrorCode = 0;
  if (!ParserPresent) {
    SetError(221, "OVParser unit not linked in. [Set_Index_To]");
    return;
  }
  // Each name into the next slot: a seventeenth has none (220).
  const std::string list = LTrimStr(names).substr(0, 255);
  std::vector<std::string> words;
  for (std::size_t at = 0; at < list.size();) {
    const std::size_t end = std::min(list.find(' ', at), list.size());
    if (end > at) words.push_back(list.substr(at, end - at));
    at = end + 1;
  }
  std::uint16_t failure = 0;
  std::string failureMessage;
  for (std::size_t i = 0; i < words.size() && failure == 0; ++i) {
    if (!SetIndexTo(words[i], static_cast<std::uint8_t>(std::min<std::size_t>(i + 1, 255))) && ErrorCode != 0) {
      failure = ErrorCode;
      failureMessage = LastErrorMessage;
    }
  }
  if (OrderInSlot(1) != nullptr) Set_Order_To(1);
  if (failure != 0) SetError(failure, failureMessage + " [SetIndexTo]");
}

void CloseOrder(std::uint8_t slot) {
  OrderDescriptor* order = OrderInSlot(slot);
  const WorkAreaRecord* table = CurrentTable();
  if (order == nullptr || table == nullptr) return;
  if (order->HeaderDirty) {
    // Another program closing the same index at the same moment must not interleave its header.
    const bool shared = !table->ExclusiveFlag;
    if (shared && !LockWithRetry(order->IndexFile.Descriptor(), 0, 1)) {
      SetError(platform::os::kErrorLockViolation, "Could not lock index for writing anchor node " + order->FileName);
      return;
    }
    WriteAnchorNode(*order);
    if (shared) {
      if (const std::uint32_t code = LockRegion(true, order->IndexFile.Descriptor(), 0, 1)) {
        SetError(static_cast<std::uint16_t>(code), "Could not unlock index after writing anchor node " + order->FileName);
        return;
      }
    }
  }
  ReleaseOrder(slot);
  if (!AnyOrderOpen()) LogOut();
}

void CloseAllIndexes() {
  AreaIndexOf(CurrentWorkArea).IndexBypass = false;
  ImmediateErrorsScope quiet(false);
  for (std::uint8_t slot = 1; slot <= MaxOrders; ++slot) {
    ErrorCode = 0;
    CloseOrder(slot);
  }
  HandleSemafore(LOGOUT);
}

}  // namespace xbase
