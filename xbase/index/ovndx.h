#pragma once
// The index engine: up to 16 open index orders per work area, each an NDX file (ovndxFormat.h)
// holding a B+-tree of keys and record numbers. The order in slot 1 is the controlling order:
// GoTop, GoBottom and Skip of the work-area engine follow it through IndexHookTable, which this
// unit fills; Find and FindKey seek in it. Appends and rewrites keep every open order in step.
//
// Each order keeps a cursor: the path of nodes from the root down to its entry (with a copy of
// each node image), AtBof and AtEof, and SavedKey, the key of the record it was last seated on.
// The cursor counts only while the path's owner is the order itself; whatever makes it stale
// (a change of the controlling order, another program's change) clears the owner, and the
// order then seeks its SavedKey again before it steps. Nodes of the controlling order may come
// from the area's node cache; every changed node is written at once.
//
// Failures follow the library's error convention (ovcommon.h); an operation that fails stops
// where it is and returns its neutral value. A corrupt file (a count below 0 or above keys per
// node, a child of 0 or past the next free node, a node that leads back to itself) is 254 with
// the node and the file named; no node is read past its end.
//
// The work area that an operation acts on is the current one; an order belongs to the area it
// was opened in and is used only while that area is current.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/BinaryFile.h"
#include "xbase/core/ovcommon.h"
#include "xbase/index/ovndxCache.h"
#include "xbase/index/ovndxFormat.h"
#include "xbase/index/ovndxSemaphore.h"

namespace xbase {

inline constexpr std::uint8_t MaxOrders = 16;

struct OrderDescriptor;

// What a key function gives for the current record: the text of a C key (padded or cut to the
// key length afterwards), the number of an N, F or D key (a day number for D). The text lives
// until the next call.
struct KeyValue {
  std::string_view Text;
  double Number = 0;
};

// Makes the current record's key of an order.
using KeyFunctionProc = std::function<KeyValue(OrderDescriptor& order)>;

// A caller's key maker: user argument, order number, the key text to fill in.
using KeyMakerProc = std::function<void(std::uint32_t arg, std::uint8_t order, std::string& key)>;

// One level of a path: a node, the position taken in it (the child followed, or in the leaf the
// cursor's entry) and a copy of its image.
struct PathLevel {
  std::uint32_t Node = 0;
  int Position = 0;
  NodeImage Image{};
};

// The nodes from the root down to an order's cursor. Levels stay allocated between seeks.
struct PathStack {
  std::uint64_t Owner = 0;  // the id of the order whose cursor stands on it; 0 = stale
  std::vector<PathLevel> Levels;
  std::size_t Depth = 0;
};

// One open index order.
struct OrderDescriptor {
  std::uint8_t OrderNumber = 0;  // the slot it was opened into, handed to the key maker
  std::uint8_t AreaNumber = 0;
  std::uint64_t Id = 0;          // unique in the process, the path's owner mark
  std::string FileName;
  platform::os::BinaryFile IndexFile;
  IndexHeader Header;
  std::string KeyText;  // the key expression; empty for key-maker orders
  KeyComparator Comparator = CompareCharKey;
  bool HeaderDirty = false;  // root or next free changed since the header was written
  // A change of several writes is under way (a key replaced), or the file is known to lack keys
  // (a program died in a change, or wrote records without this index): header writes carry
  // ChangingStamp instead of the record count.
  bool ChangeInProgress = false;
  bool NeedsRebuild = false;
  std::int64_t OpenedStamp = -1;  // the header's stamp as the file was opened (IndexStamp)
  // The index file holds at least this many bytes: its size when last asked, or the end of a
  // node written since (nobody shortens an index file that an order has open).
  std::uint64_t FileBytesKnown = 0;
  bool CharacterKey = true;  // C keys: key length + 1 bytes with the NUL
  bool AtBof = false;
  bool AtEof = false;
  bool SoundexKeys = false;     // key-maker orders only
  bool DescendingKeys = false;  // key-maker orders only
  KeyFunctionProc KeyFunction;  // empty for key-maker orders
  KeyMakerProc KeyMaker;
  std::uint32_t KeyMakerArg = 0;
  KeyBytes SavedKey{};  // the key of the record the cursor was last seated on
  NodeImage NodeBuffer{};  // the order's own node image
  bool OnEmptyCursor = false;  // the cursor stands on EmptyCursorNode, after the last entry
  PathStack Path;
  CompiledExpr* CompiledKey = nullptr;  // the order's own compiled key expression
  // How the key-text function writes a number key: width and decimals.
  std::uint16_t NumberWidth = 20;
  std::uint8_t NumberDecimals = 6;
  // The record's key and number before a rewrite, kept for the comparison after it.
  KeyBytes OldKey{};
  RecordNumber OldRecNo = 0;
  // Block 0 as last written; the key text and table name part is made when the order is seated.
  NodeImage AnchorBlock{};
  std::string KeyMakerText;  // the key maker's result, kept to reuse its room

  OrderDescriptor();
  ~OrderDescriptor();
  OrderDescriptor(const OrderDescriptor&) = delete;
  OrderDescriptor& operator=(const OrderDescriptor&) = delete;

  std::uint16_t KeyLength() const { return Header.KeyLength; }
  bool Unique() const { return Header.Unique != 0; }
};

// ---------------------------------------------------------------------------------------------
// Engine state

extern std::uint8_t ActiveOrder;         // the slot an internal operation works on; 1 between
extern std::uint8_t KeyOrder;            // the order whose key the key function makes
extern std::uint8_t IndexFound;          // the result of the last seek (the FOUND byte)
extern std::uint8_t NearMatch;           // Find pads C keys to the key length (whole-key match)
extern std::uint8_t KeepPositionOnMiss;  // Find stays on the next greater key after a miss
extern std::uint32_t IndexCacheSize;     // the node cache of a new controlling order (4096)
extern bool NoIndexCache;                // no node cache at all (False)
// The controlling order of a shared table keeps its node cache too (True): the nodes read stay
// valid while the semaphore file's generation stands, and the cache is emptied whenever it
// shows another program's write, so that every look-up sees what others wrote. False: with
// network locking on, orders opened by name have no cache.
extern bool SharedNodeCache;
extern bool FlushAfterHeaderWrite;       // the index file is flushed after each header write
extern RecordNumber DeleteTarget;        // the record whose key DeleteKey removes

// The index state of a work area.
struct AreaIndex {
  std::array<std::unique_ptr<OrderDescriptor>, MaxOrders> OrderTable;  // slot n at [n - 1]
  bool IndexBypass = false;  // natural order: the orders stay open, navigation ignores them
  std::unique_ptr<NodeCache> Cache;  // the controlling order's, when it has one
  std::unique_ptr<SemaphoreRecord> Semaphore;  // from LOGIN to LOGOUT of a shared table
  std::uint32_t ReadBrackets = 0;  // nesting of SetReadSemaphoreProc
  std::uint32_t LockBrackets = 0;  // nesting of SetLockSemaphoreProc
};

// Area n (1 to 35); a number outside answers with an empty state.
AreaIndex& AreaIndexOf(std::uint8_t area);

// The order in slot n (1 to 16) of the current area; null when the slot is free.
OrderDescriptor* OrderInSlot(std::uint8_t slot);

// ---------------------------------------------------------------------------------------------
// Opening and closing orders. The entry points that open index files by name (options, key
// expressions, semaphore log-in) wrap these.

// Opens an index file for reading and writing and seats its header in a new descriptor, not
// yet in a slot. Refused with 222 "Unable to open index: <name> [OpenIndex/Set_Index_To]": a
// file under 1024 bytes, a key length outside 1..100, an entry size below the key length + 8,
// keys per node of 0 or more than 504 bytes of them. A file that cannot be opened gives the
// system's code with the same text. The key text is cut at 100 characters and, for OEM tables
// of the current area, translated to ANSI. Null on failure.
std::unique_ptr<OrderDescriptor> OpenOrderFile(const std::string& name);

// Puts an opened descriptor with its key function (or key maker) into slot n of the current
// area: 220 outside 1..16, 254 for an occupied slot. Slot 1 gets the node cache unless noCache,
// NoIndexCache or an IndexCacheSize of 0 says otherwise. With records, the order in slot 1 moves
// the area to its first visible record (GoTop) and every order saves the current record's key;
// without records the order stands at BOF and EOF on its root. False on failure (the slot
// stays free).
bool SeatOrder(std::unique_ptr<OrderDescriptor> order, std::uint8_t slot, bool noCache);

// Makes an expression order of an opened descriptor: the compiled key, which the order owns from
// now on, makes its keys (EvaluateOrderKey), and the key type follows the expression's result:
// C for text, D for dates, N for numbers. False, the key left with the caller, for any other
// result, and for a number or date key where the file holds keys of another length than 8.
bool UseCompiledKey(OrderDescriptor& order, CompiledExpr* key);

// The key function of expression orders: the order's compiled key evaluated on the current
// records; a blank key when the evaluation fails (the expression engine reports it).
KeyValue EvaluateOrderKey(OrderDescriptor& order);

// Closes the order in slot n of the current area: a dirty header is written, the node cache of
// slot 1 released, the file closed and the slot freed; nothing for a free slot. "Error closing
// index file:  <name>" when the close fails.
void ReleaseOrder(std::uint8_t slot);

// The order's header block: the header image, the key text (or KeyMakerMarker), the table's
// record count and file name (OEM for OEM tables), written at offset 0. "Error writing index
// file:  <name> [WriteAnchorNode]". Clears HeaderDirty.
void WriteAnchorNode(OrderDescriptor& order);

// After another program changed the area's indexes: every open order reads its header image
// again, and the node cache and every path are emptied, so that no node is served from before
// the change. "Error reading index file:  <name> [ReadAnchorNodes]".
void ReadAnchorNodes();

// True when another program has changed the current area's indexes since this one last looked
// (the headers are then read again): the generation of the semaphore file, as the area last
// read it, differs from the one it caught up with, or a program that died counted was found.
// A header read again whose stamp shows missing keys marks its order NeedsRebuild. Always
// False for an area not logged in.
bool CheckIndexGeneration();

// ---------------------------------------------------------------------------------------------
// Index files by name: making, opening, choosing the controlling order, rebuilding, closing.
//
// A name gets the extension NDX when it has none, and one without a folder lies beside the
// current area's table (ResolveIndexPath). A name with options may carry the option words
// " UNIQUE", " SOUNDEX", " DESCENDING" and " NOCACHE" (any case, each with its leading blank),
// which are removed before the name is used. Failures follow the library's error convention;
// every entry point leaves a failed order's slot free.

extern bool UniqueDefault;  // every index made through an entry with options is UNIQUE (False)

// Builds a new index file for the current area's table from a key expression (C, N or D
// result) or, with a key maker, from its texts (C keys, their SOUNDEX codes with soundex,
// inverted with descending); the key length is that of the current record's key. No slot is
// taken and the file is closed afterwards. 220 for an empty name, 215 without a table, 254
// without expression and key maker or for a logical key, 221 without the expression engine, 300
// for an expression over 100 characters, 214 when an area has the file open, 266 for a key
// length outside 1..100, 217 and 227 when memory or disk space is short, 225 when the file is in
// use elsewhere and the table cannot be had exclusively. The file is written beside an existing
// one and renamed over it once whole: a build that fails (or is killed) leaves the old file. Every message ends with
// " [MakeIndex(<...>,<name>)]".
void MakeIndex(const std::string& indexName, const std::string& keyExpr, bool soundex,
               std::uint8_t orderNumber, bool unique, bool descending, KeyMakerProc keyMaker,
               std::uint32_t keyMakerArg);

// MakeIndex with the options of the name: UNIQUE (or UniqueDefault); for a key maker also
// SOUNDEX and DESCENDING, which an expression index cannot record and so ignores.
void IndexOnWithOptions(const std::string& keyExpr, const std::string& nameWithOptions);
void IndexOnWithOptionsEx(const std::string& nameWithOptions, KeyMakerProc keyMaker,
                          std::uint32_t keyMakerArg);

// Closes the area's orders; false (254) when slot 1 stays occupied.
bool Index_On();
// Index_On, the build with options, and the new file opened as the controlling order 1; a build
// that fails opens the orders the area had again, its error kept.
void IndexOnExpr(const std::string& keyExpr, const std::string& nameWithOptions);
void IndexOnKeyMaker(const std::string& nameWithOptions, KeyMakerProc keyMaker, std::uint32_t keyMakerArg);

// Opens an index file into slot `order` of the current area: an expression order made from
// the key expression in its header, or with a key maker an order of a file built with one
// (SOUNDEX and DESCENDING as the caller says). Refused with 220 when an area of another table
// (or this area in another slot) has the file open, 254 for an occupied slot, 222 for a file
// that is no index or whose key expression does not compile, 223 for an expression file opened
// with a key maker or the other way round, 266 when the key of a blank record has another
// length than the file's keys, 222 (", rebuild it") when its stamp shows that it lacks keys:
// written for another record count than the table's, or left with ChangingStamp by a program
// that died in a change. The header is read inside the read bracket; a next free node that
// disagrees with the file's size is corrected under the write bracket. With records, slot 1
// goes to the first visible record.
void OpenIndex(const std::string& fileName, bool noCache, bool soundex, std::uint8_t order,
               bool descending, KeyMakerProc keyMaker, std::uint32_t keyMakerArg);

// Closes slot `order`, logs a shared table in to its semaphore file and opens the file there;
// with network locking on the order gets no node cache. False with an error, or without one
// for an empty name; 220 for an order outside 1..16, 215 without a table, 2 for a missing file.
bool SetIndexTo(const std::string& nameWithOptions, std::uint8_t order, KeyMakerProc keyMaker = nullptr,
                std::uint32_t keyMakerArg = 0);
// SetIndexTo, then the order becomes the controlling one.
bool SetIndexToKeyMaker(const std::string& nameWithOptions, std::uint8_t order, KeyMakerProc keyMaker,
                        std::uint32_t keyMakerArg);
bool SetIndexToOrder(const std::string& nameWithOptions, std::uint8_t order);
// Closes the area's orders and opens the names (separated by blanks) into slots 1, 2, ...;
// 220 for more than 16. Order 1 is controlling afterwards.
void SetIndexToList(const std::string& names);

// The order opened as n becomes the controlling order and is seated on the current record; 0
// switches to natural order, keeping the orders open. 220 above 16, 221 for a free slot.
void Set_Order_To(std::uint8_t order);
// The slots as Set_Order_To leaves them for order n, without seating the orders.
void SwapControllingOrder(std::uint8_t order);

// Rebuilds every open order's file with its key and options, keeping the controlling order.
void Reindex();

// Closes the order opened as n (its header written under the index's anchor lock when the
// table is shared); the last order of an area logs it out. Nothing for a free slot.
void CloseOrder(std::uint8_t order);
// Every order of the current area, and its log-in.
void CloseAllIndexes();

// An index file's header as IndexInfo reads it.
struct IndexInfoRecord {
  std::string KeyExpression;  // at most 100 characters
  std::uint8_t KeyLength = 0;
  char KeyType = 'C';
  bool Unique = false;
  std::string TableName;     // at most 12 characters; empty when the stamp is invalid
  std::int32_t Stamp = -1;   // the table's record count when the index was written, -1 invalid
};

// Reads an index file's header without opening it as an order; 220 for an empty name, the
// system's code for a file that cannot be read.
void IndexInfo(IndexInfoRecord& info, const std::string& fileName);
// IndexInfo's stamp (-1 on failure).
std::int32_t ReadIndexStamp(const std::string& fileName);

// ---------------------------------------------------------------------------------------------
// Node cache of the current area's controlling order

// 0 (or NoIndexCache) releases it; otherwise the size is rounded down to a multiple of 512 and
// raised to 2048, and a new empty cache made unless the size is unchanged. Without memory for
// it there is simply no cache.
void SetNodeCacheSize(std::uint32_t size);
// Bytes of the cache, 0 without one.
std::uint32_t NodeCacheSize();
// Every slot unused, as when the controlling order changes.
void ResetNodeCache();

// ---------------------------------------------------------------------------------------------
// Seeking and moving in the controlling order

// Seeks the text in the controlling order and moves the area to the record found, through the
// area's filter: C keys compare over the text's length (a prefix finds the first key that
// begins with it) unless NearMatch pads them to the key length; N and F texts are numbers, D
// texts dates of the SET DATE layout. Found: IndexFound 1. Otherwise the area goes to EOF, or
// with KeepPositionOnMiss stays on the next greater key (EOF when there is none), IndexFound 0.
// The text is cut to 100 characters; an empty one does nothing. 215 without a table, 221
// without an order, 254 in natural order.
void Find(std::string_view text);

// Find without NearMatch that keeps the position on a miss; the area's move callback runs once,
// after the seek.
void FindKey(std::string_view text);

// NearMatch on (off) and its old value.
std::uint8_t BeginSoftSeek();
std::uint8_t EndSoftSeek();

// The controlling order's number; 0 in natural order or without an order.
std::uint8_t CurrentOrder();

// Record numbers in the controlling order (1 and the record count in natural order); the
// record count + 1 for an empty order.
RecordNumber FindFirstRec();
RecordNumber FindLastRec();
RecordNumber FindNextRec();
RecordNumber FindPriorRec();

// The area at EOF, the controlling order after its last entry.
void GoIndexEof();

// ---------------------------------------------------------------------------------------------
// Keys and their maintenance

// The current record's key of an order: the key function's value (C keys blank-padded or cut
// to the key length, OEM for OEM tables), or the key maker's text (OEM for OEM tables, the
// SOUNDEX code for SOUNDEX orders, padded or cut, every byte inverted for DESCENDING orders).
void MakeOrderKey(OrderDescriptor& order, KeyBytes& key);

// Inserts the key with the current record's number into the order in slot n; 0 when done or
// when a UNIQUE order has the key already, -1 on failure.
int AppendIndex(const KeyBytes& key, std::uint8_t slot);

// Removes the entry of the key and DeleteTarget from the order in slot n; 0 when removed or
// when a UNIQUE order holds the key for another record, -1 when the key or the record is not
// there.
int DeleteKey(const KeyBytes& key, std::uint8_t slot);

// The keys of the current (just appended) record into every open order; a failure takes the
// keys already added out again ("Index file corrupted. <name> [AppendNewKey]" when that fails).
void AppendNewKey();

// Seats the controlling order (all: every order) on the current record's key and number; 212
// when the key or the record is not in the order.
void SyncIndex(bool all);

// Seats the controlling order again after another program changed the index.
void SoftSyncIndex();

// The current record's key becomes SavedKey of slots 1 to count (16 with all); with all it is
// also kept as the key before a rewrite. Without records the keys are blanked.
void UpdateKeyPositions(bool all, std::uint8_t count);

// After a record was rewritten: every order whose key changed loses the old key and gets the
// new one.
void CompareKeys();

// The current record's key of order n as text: C keys as they are, dates as date text, numbers
// in the order's width and decimals, key-maker orders as the key maker gives them. Empty for a
// free slot.
KeyTextFunction OrderKeyText(std::uint8_t slot);

// ---------------------------------------------------------------------------------------------
// Start-up and shut-down

// Engine state to its defaults, every order and log-in of every area dropped without writing,
// the hook slots 0 to 16 and 18 to 24 filled and IndexingEnabled set.
void OvNdxInit();

// Closes the orders of areas 1 to 34 (CloseAllIndexes) and clears IndexingEnabled.
void OvNdxDone();

}  // namespace xbase
