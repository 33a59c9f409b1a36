#pragma once
// Pieces shared by the files of the index engine; not for callers.

#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>

#include "xbase/index/ovndx.h"
#include "xbase/workarea/dbf4.h"

namespace xbase::ndx {

// Thrown after a failure was reported through SetError and SetError returned (immediate
// handling off, or an error callback): the operation stops, and its entry point returns its
// neutral value.
struct OperationFailed {};

[[noreturn]] void Fail(std::uint16_t code, const std::string& message);

// Runs an operation and gives `neutral` when it stopped at a failure.
template <typename Body>
auto Guarded(std::invoke_result_t<Body> neutral, Body&& body) -> std::invoke_result_t<Body> {
  try {
    return body();
  } catch (const OperationFailed&) {
    return neutral;
  }
}
template <typename Body>
void Guarded(Body&& body) {
  try {
    body();
  } catch (const OperationFailed&) {
  }
}

// The current area's table; null when none is open.
WorkAreaRecord* CurrentTable();
// The current area's table, or 215 (CheckAreaOpen) and null.
WorkAreaRecord* CheckedTable(std::string_view routine);
// The current area's controlling order, or 215, or 221 "Index not open. (DBF=<table>)
// [<routine>]", and null.
OrderDescriptor* CheckIndexOpen(std::string_view routine);
// Every order and log-in of every area dropped without touching any file, as at start-up.
void DropAllOrders();

// A name with options taken apart (ovndxNames.cpp): the option words removed, wherever they
// stand and in any case, the rest trimmed and kept as written.
struct IndexOptions {
  std::string Name;
  bool Unique = false;
  bool Soundex = false;
  bool Descending = false;
  bool NoCache = false;
};
IndexOptions ParseIndexOptions(const std::string& nameWithOptions);

// The order's file is the file of that path (the same file, by whatever name).
bool IsFileOf(const OrderDescriptor& order, const std::string& path);

// Restores a global when it ends.
template <typename T>
class Restore {
 public:
  explicit Restore(T& variable) : variable_(variable), saved_(variable) {}
  Restore(T& variable, T value) : variable_(variable), saved_(variable) { variable = value; }
  ~Restore() { variable_ = saved_; }
  Restore(const Restore&) = delete;
  Restore& operator=(const Restore&) = delete;

 private:
  T& variable_;
  T saved_;
};

// ---------------------------------------------------------------------------------------------
// Nodes (ovndxNodes.cpp)

// The image of a node of the order, checked (its count, and for a node below the root that it
// has entries): from the area's node cache (controlling order), the order's path, or the file.
// Valid until the order's next fetch.
const std::uint8_t* FetchNode(OrderDescriptor& order, std::uint32_t node, bool isRoot);

// Writes an image as node n (bytes 2-3 and everything after its entries zeroed first) and
// refreshes the copies of the node cache and the order's path.
void SeekAndWrite(OrderDescriptor& order, std::uint32_t node, std::uint8_t* image);
// SeekAndWrite without the write: the copies see the image now, the file later.
void StageNode(OrderDescriptor& order, std::uint32_t node, std::uint8_t* image);
// SeekAndWrite of a node just taken from next free, which the node cache keeps too: the next
// descent through it finds it there instead of reading it back.
void WriteNewNode(OrderDescriptor& order, std::uint32_t node, std::uint8_t* image);

// The node a position of an interior node leads to, checked: not 0, below next free (or in the
// file, written by a program that died before its header, see FetchNode).
std::uint32_t ChildNode(OrderDescriptor& order, const std::uint8_t* image,
                        std::uint32_t nodeNumber, int position);

// An empty path owned by the order. Its levels keep their images, which the next descent takes
// again where it passes the same nodes.
void ResetPath(OrderDescriptor& order);
// An empty path, stale, its images forgotten: another program may have changed the nodes.
void ForgetPath(OrderDescriptor& order);

// The order's path images and its area's node cache forgotten.
void ForgetNodes(OrderDescriptor& order);

// Runs a change of the order's keys (0, or -1 on failure). One that fails part way may leave
// images in the path and the node cache that the file does not hold: they are forgotten, so
// that the next descent reads the file.
template <typename Change>
int ChangeKeys(OrderDescriptor& order, Change&& change) {
  try {
    const int result = Guarded(-1, std::forward<Change>(change));
    if (result == -1) ForgetNodes(order);
    return result;
  } catch (...) {
    ForgetNodes(order);
    throw;
  }
}
// Fetches a node onto the path (refusing a node already on it: a loop); position 0.
PathLevel& PushNode(OrderDescriptor& order, std::uint32_t node);
inline PathLevel& TopLevel(OrderDescriptor& order) {
  return order.Path.Levels[order.Path.Depth - 1];
}
inline bool PathIsOwned(const OrderDescriptor& order) {
  return order.Path.Owner == order.Id && order.Path.Depth > 0;
}

// CheckIndexGeneration, stopping the operation when the headers cannot be read again.
bool CatchUpWithGeneration();

// A header's stamp says the file lacks keys: the changing stamp, or a count other than the
// table's (-1, a stamp other programs did not keep, says nothing).
bool StampShowsMissingKeys(std::int64_t stamp, RecordNumber recordCount);

// WriteAnchorNode and ReadAnchorNodes, stopping the operation on failure. A header written
// carries ChangingStamp while a change is in progress or the file needs rebuilding; one read
// again marks its order NeedsRebuild when its stamp shows missing keys.
void WriteHeaderBlock(OrderDescriptor& order);
void ReadHeaderImages();

// A node number from next free, which grows by one.
std::uint32_t AllocateNode(OrderDescriptor& order);

// ---------------------------------------------------------------------------------------------
// Cursor

// The cursor's entry: in the leaf on top of the path, or EmptyCursorNode at the end, before
// any positioning and after the last entry.
const std::uint8_t* CursorEntry(const OrderDescriptor& order);
inline RecordNumber CursorRecord(const OrderDescriptor& order) {
  return EntryRecord(CursorEntry(order));
}
inline const std::uint8_t* CursorKey(const OrderDescriptor& order) {
  return EntryKey(CursorEntry(order));
}
// Two keys of the order are equal: byte for byte for C keys, as numbers for the others.
bool SameKey(const OrderDescriptor& order, const std::uint8_t* a, const std::uint8_t* b);
// Copies a key of the order (key length bytes, NUL after a C key).
void CopyKey(const OrderDescriptor& order, const std::uint8_t* from, KeyBytes& to);

// ---------------------------------------------------------------------------------------------
// Keys (ovndxKeys.cpp)

// The key of a search text (zero after the text, so that a prefix seeks the first key that
// begins with it) and the number of its bytes that a match compares.
std::size_t SearchKey(const OrderDescriptor& order, std::string_view text, KeyBytes& key);

// A key as a message shows it: C keys without trailing blanks, numbers and dates as text.
std::string KeyForMessage(const OrderDescriptor& order, const KeyBytes& key);

// ---------------------------------------------------------------------------------------------
// Search (ovndxSearch.cpp)

// The first entry of the image whose key is not less than the key: -1 for none before the
// first (or an empty node), 0 for a key equal to the first, -2 after the last, else its index.
int SearchNode(const OrderDescriptor& order, const std::uint8_t* image, const std::uint8_t* key);

// Seeks a key in the order: the cursor on the first entry whose key is not less, IndexFound
// set when it is equal. Past every key: with forInsertion the cursor stays after the leaf's
// last entry, otherwise it steps on, to EOF when there is nothing more.
void SeekKey(OrderDescriptor& order, const KeyBytes& key, bool forInsertion = false);

// The order's first (last) entry: its record number with AtBof and AtEof clear, or for an empty
// order the record count + 1 with both set.
RecordNumber GoFirstLast(OrderDescriptor& order, bool first);

// One entry on (back) through the leaves; false with the cursor left where it was when there is
// no entry after (before) it.
bool StepForward(OrderDescriptor& order);
bool StepBackward(OrderDescriptor& order);

// Seeks SavedKey again and steps on to the remembered record, for an order whose path is stale.
void ReseatOrder(OrderDescriptor& order, RecordNumber remembered, const char* routine);

// The largest key below a node (the last key of its rightmost leaf), into key.
void MaxKeyBelow(OrderDescriptor& order, std::uint32_t node, KeyBytes& key);

}  // namespace xbase::ndx
