// Making index files: MakeIndex with its header, the entries with options around it, and the
// rebuild of every open order.

#include <cstring>
#include <utility>
#include <vector>

#include "platform/os/CodePage850.h"
#include "platform/os/ReplacementFile.h"
#include "xbase/core/ovutils.h"
#include "xbase/expr/ovparser.h"
#include "xbase/index/ovndxBuild.h"
#include "xbase/index/ovndxInternal.h"

namespace xbase {

bool UniqueDefault = false;

using namespace ndx;

namespace {

// The key of the current record as text, before padding: its length is the key length of a
// new character index.
std::size_t CurrentKeyLength(OrderDescriptor& order, bool soundex) {
  if (order.KeyFunction) return order.KeyFunction(order).Text.size();
  if (soundex) return SoundexLength;
  std::string text;
  order.KeyMaker(order.KeyMakerArg, order.OrderNumber, text);
  return text.size();
}

// The key type and comparator of an expression order from its compiled key.
void TakeKeyType(OrderDescriptor& order, CompiledExpr* compiled) {
  const char type = compiled->ResultType;
  if (type != 'C' && type != 'D' && type != 'N' && type != 'F') Fail(254, "Wrong parser return type");
  order.CompiledKey = compiled;
  order.KeyFunction = EvaluateOrderKey;
  order.Header.KeyType = type;
  order.CharacterKey = type == 'C';
  order.Comparator = order.CharacterKey ? CompareCharKey : CompareNumericKey;
}

// Block 0 of a new file: the header with its root, the normalized key text (or the key maker's
// marker) and the stamp, OEM for OEM tables.
void WriteIndexHeader(OrderDescriptor& order, const WorkAreaRecord& table, std::uint32_t root) {
  order.Header.Root = root;
  order.Header.NextFree = root + 1;
  std::string keyText = order.KeyFunction ? order.KeyText : std::string(KeyMakerMarker);
  NormalizeKeyExpr(keyText, false);
  std::string tableName = table.ShortName.substr(0, MaxTableNameLength);
  if (table.OemTranslate) {
    keyText = platform::os::AnsiToOem(keyText);
    tableName = platform::os::AnsiToOem(tableName);
  }
  NodeImage block;
  BuildAnchorBlock(order.Header, keyText, table.RecordCount, tableName, block);
  const platform::os::Transfer written = order.IndexFile.WriteAt(0, block.data(), NodeSize);
  if (written.code != 0 || written.count != NodeSize)
    Fail(written.code != 0 ? written.code : 101, "Error writing index file: " + order.FileName + " [MakeIndex]");
}

// 214 when an order of any area has the file open.
void CheckNotOpenAnywhere(const std::string& path) {
  for (std::uint8_t area = 1; area < WorkAreaCount; ++area) {
    for (const auto& order : AreaIndexOf(area).OrderTable)
      if (order != nullptr && IsFileOf(*order, path)) Fail(214, path);
  }
}

struct MakeRequest {
  std::string name;
  std::string expression;
  bool soundex;
  std::uint8_t orderNumber;
  bool unique;
  bool descending;
  KeyMakerProc keyMaker;
  std::uint32_t keyMakerArg;
};

class IndexMaker {
 public:
  explicit IndexMaker(const MakeRequest& request) : request_(request) {}

  ~IndexMaker() {
    if (compiled_ != nullptr) ExprHookTable.Free(compiled_);
  }
  IndexMaker(const IndexMaker&) = delete;
  IndexMaker& operator=(const IndexMaker&) = delete;

  void Make() {
    const std::string& name = request_.name;
    if (name.empty()) Fail(220, "index filename not specified [MakeIndex()]");
    table_ = CurrentTable();
    if (table_ == nullptr) Fail(215, "database not open attempting to index to " + name + ".");
    const std::string path = ResolvedFileName(ResolveIndexPath(DefaultExtension(name, "NDX")));
    if (!request_.keyMaker) Compile();
    CheckNotOpenAnywhere(path);
    // The new file is built beside the old one, which stays as it was until the new one is
    // whole: a rebuild that fails, or is killed, costs no index.
    BeginReplacement(path);
    order_.FileName = path;
    order_.IndexFile = std::move(replacement_.File());
    order_.OrderNumber = request_.orderNumber;
    order_.AreaNumber = CurrentWorkArea;
    order_.KeyText = RTrimStr(request_.expression);
    if (request_.keyMaker) {
      order_.KeyMaker = request_.keyMaker;
      order_.KeyMakerArg = request_.keyMakerArg;
      order_.SoundexKeys = request_.soundex;
      order_.DescendingKeys = request_.descending;
    } else {
      TakeKeyType(order_, std::exchange(compiled_, nullptr));
    }
    const char type = order_.Header.KeyType;
    std::size_t keyLength = NumericKeyLength;
    if (type == 'C') {
      KeyOrder = request_.orderNumber;
      ErrorCode = 0;
      keyLength = CurrentKeyLength(order_, request_.soundex);
      if (ErrorCode != 0) throw OperationFailed{};
    }
    if (keyLength < 1 || keyLength > MaxKeyLength) Fail(266, "Incorrect key length: Must be 1 to 100.");
    order_.Header = MakeIndexHeader(type, static_cast<std::uint16_t>(keyLength), request_.unique);
    RefreshRecCount(*table_);
    const std::uint32_t root = BuildIndex(order_);
    if (root == 0) throw OperationFailed{};
    WriteIndexHeader(order_, *table_, root);
    replacement_.File() = std::move(order_.IndexFile);
    // An index is made again from its table: it needs no flush of its own (FlushAfterHeaderWrite
    // asks for one).
    if (const std::uint16_t code = replacement_.Commit(FlushAfterHeaderWrite))
      Fail(code, "Error writing index file: " + path + " [MakeIndex]");
  }

  // The table goes back to shared use when it was reopened exclusively for the file.
  void ShareAgain() {
    if (!reopened_) return;
    reopened_ = false;
    if (const std::uint16_t code = ReopenDbf(false)) SetError(code, table_->FileName);
  }

 private:
  void Compile() {
    const std::string expression = RTrimStr(request_.expression);
    if (expression.empty()) Fail(254, "Neither Expression nor KeyMaker defined");
    if (!ParserPresent || !ExprHookTable.Compile) Fail(221, "OVParser unit not linked in. [MakeIndex]");
    if (expression.size() + 1 > MaxKeyTextLength + 1) Fail(300, "Expression length exceeds 100 bytes");
    compiled_ = ExprHookTable.Compile(expression);
    if (compiled_ == nullptr) throw OperationFailed{};
  }

  // An existing file that another program holds needs the table exclusively: a program that
  // has the index open without the table is then still refused.
  void BeginReplacement(const std::string& path) {
    std::uint16_t code = replacement_.Begin(path);
    if ((code == 5 || code == 32) && !table_->ExclusiveFlag) {
      if (ReopenDbf(true) != 0) Fail(225, table_->FileName);
      reopened_ = true;
      code = replacement_.Begin(path);
    }
    if (code != 0) Fail(code, "File not open " + path);
  }

  const MakeRequest& request_;
  WorkAreaRecord* table_ = nullptr;
  platform::os::ReplacementFile replacement_;
  OrderDescriptor order_;
  CompiledExpr* compiled_ = nullptr;
  bool reopened_ = false;
};

// The orders of the current area as SetIndexTo opens them again: each file with its options and
// key maker, and the controlling order.
class AreaOrders {
 public:
  AreaOrders() : controlling_(CurrentOrder()) {
    for (std::uint8_t slot = 1; slot <= MaxOrders; ++slot)
      if (const OrderDescriptor* order = OrderInSlot(slot)) orders_.push_back(Describe(*order));
  }

  // Opens them again after they were closed; the error pending before stays the one reported.
  void Reopen() const {
    const std::uint16_t code = ErrorCode;
    const std::string message = LastErrorMessage;
    for (const Opened& order : orders_) SetIndexTo(order.nameWithOptions, order.slot, order.keyMaker, order.keyMakerArg);
    if (OrderInSlot(1) != nullptr) Set_Order_To(controlling_);
    if (code != 0) {
      ErrorCode = code;
      LastErrorMessage = message;
    }
  }

  struct Opened {
    std::uint8_t slot;
    std::string name;
    std::string nameWithOptions;
    std::string keyText;
    KeyMakerProc keyMaker;
    std::uint32_t keyMakerArg;
    bool soundex, descending, unique;
  };
  const std::vector<Opened>& Orders() const { return orders_; }

 private:
  // Each order goes back into the slot it was opened into (the controlling order's is slot 1
  // only while it is order 1).
  static Opened Describe(const OrderDescriptor& order) {
    const bool noCache = AreaIndexOf(CurrentWorkArea).Cache == nullptr;
    const bool soundex = order.SoundexKeys, descending = order.DescendingKeys, unique = order.Unique();
    return {order.OrderNumber,
            order.FileName,
            order.FileName + (soundex ? " SOUNDEX" : "") + (descending ? " DESCENDING" : "") + (unique ? " UNIQUE" : "") +
                (noCache ? " NOCACHE" : ""),
            order.KeyText,
            order.KeyMaker,
            order.KeyMakerArg,
            soundex,
            descending,
            unique};
  }

  std::uint8_t controlling_;
  std::vector<Opened> orders_;
};

}  // namespace

void MakeIndex(const std::string& indexName, const std::string& keyExpr, bool soundex,
               std::uint8_t orderNumber, bool unique, bool descending, KeyMakerProc keyMaker,
               std::uint32_t keyMakerArg) {
  ErrorCode = 0;
  const MakeRequest request{AllTrim(indexName), keyExpr, soundex, orderNumber,
                            unique, descending, std::move(keyMaker), keyMakerArg};
  std::uint16_t code = 0;
  std::string message;
  {
    // Every failure is reported once, at the end, tagged with the file.
    ImmediateErrorsScope quiet(false);
    IndexMaker maker(request);
    try {
      maker.Make();
    } catch (const OperationFailed&) {
    } catch (const EOrvelError&) {
    }
    code = ErrorCode;
    message = LastErrorMessage;
    maker.ShareAgain();
    if (code == 0 && ErrorCode != 0) {
      code = ErrorCode;
      message = LastErrorMessage;
    }
  }
  if (code != 0) SetError(code, message + " [MakeIndex(<...>," + request.name + ")]");
}

void IndexOnWithOptions(const std::string& keyExpr, const std::string& nameWithOptions) {
  // An expression index cannot record SOUNDEX or DESCENDING: they are dropped.
  const IndexOptions options = ParseIndexOptions(nameWithOptions);
  MakeIndex(options.Name, keyExpr, false, 0, options.Unique || UniqueDefault, false, nullptr, 0);
}

void IndexOnWithOptionsEx(const std::string& nameWithOptions, KeyMakerProc keyMaker,
                          std::uint32_t keyMakerArg) {
  const IndexOptions options = ParseIndexOptions(nameWithOptions);
  MakeIndex(options.Name, "", options.Soundex, 0, options.Unique || UniqueDefault, options.Descending,
            std::move(keyMaker), keyMakerArg);
}

bool Index_On() {
  ErrorCode = 0;
  CloseAllIndexes();
  if (OrderInSlot(1) != nullptr) {
    SetError(254, "Internal error: IND pointer already allocated [Index_On]");
    return false;
  }
  return true;
}

void IndexOnExpr(const std::string& keyExpr, const std::string& nameWithOptions) {
  // A build that fails leaves the area with the orders it had.
  const AreaOrders kept;
  if (!Index_On()) return;
  if (!ParserPresent) {
    SetError(221, "OVParser unit not linked in. [Index_On]");
    return;
  }
  IndexOnWithOptions(keyExpr, nameWithOptions);
  if (ErrorCode == 0)
    SetIndexToOrder(nameWithOptions, 1);
  else
    kept.Reopen();
}

void IndexOnKeyMaker(const std::string& nameWithOptions, KeyMakerProc keyMaker, std::uint32_t keyMakerArg) {
  const AreaOrders kept;
  if (!Index_On()) return;
  IndexOnWithOptionsEx(nameWithOptions, keyMaker, keyMakerArg);
  if (ErrorCode == 0)
    SetIndexToKeyMaker(nameWithOptions, 1, std::move(keyMaker), keyMakerArg);
  else
    kept.Reopen();
}

void Reindex() {
  if (CheckAreaOpen("Reindex") || CheckIndexOpen("Reindex") == nullptr) return;
  const std::uint8_t controlling = CurrentOrder();
  SwapControllingOrder(1);
  const AreaOrders orders;
  ErrorCode = 0;
  // The first failure stays the result: every later step starts afresh.
  std::uint16_t failure = 0;
  std::string failureMessage;
  const auto noteFailure = [&] {
    if (failure != 0 || ErrorCode == 0) return;
    failure = ErrorCode;
    failureMessage = LastErrorMessage;
  };
  for (const AreaOrders::Opened& order : orders.Orders()) {
    CloseOrder(order.slot);
    noteFailure();
    if (order.keyMaker)
      MakeIndex(order.name, "", order.soundex, order.slot, order.unique, order.descending, order.keyMaker,
                order.keyMakerArg);
    else
      MakeIndex(order.name, order.keyText, false, order.slot, order.unique, false, nullptr, 0);
    noteFailure();
    SetIndexTo(order.nameWithOptions, order.slot, order.keyMaker, order.keyMakerArg);
    noteFailure();
  }
  if (OrderInSlot(1) != nullptr) Set_Order_To(controlling);
  noteFailure();
  if (failure != 0 && ErrorCode == 0) {
    ErrorCode = failure;
    LastErrorMessage = failureMessage;
  }
}

}  // namespace xbase
