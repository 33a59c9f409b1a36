#pragma once
// The bulk build of a new index file: one key entry per record of the current area's table,
// sorted (in memory, or as sorted runs in a temporary file merged afterwards) and written as a
// tree of full nodes from the leaves up, in one sequential pass. MakeIndex (ovndx.h) calls it.
//
// Memory is planned before the first record is read, from the free memory that
// IndexBuildFreeMemory reports, less what the build has taken: pools of at most 32758 bytes
// hold the entries, a pointer array of at most 16378 pointers orders them, and one buffer of
// at most 65512 bytes reads the table, writes the runs and then the nodes. A table that does not
// fit goes through more runs, never into more memory: the file is the same whatever the memory.
//
// Also here: the preparation of key expression texts and index file names.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "xbase/index/ovndx.h"

namespace xbase {

// Called IndexProgressSteps times in all during a build (nothing while the steps are 0).
extern std::function<void()> IndexProgressProc;
extern std::uint16_t IndexProgressSteps;
void SetIndexProgress(std::function<void()> proc, std::uint16_t steps);

// The free memory in bytes the build plans with; MaxAvail when empty.
extern std::function<std::int64_t()> IndexBuildFreeMemory;

// Writes every node of the order's tree into its file from node 1 on and returns the root's
// node number (the number of nodes written), or 0 with the error pending: 217 for memory, 227
// for disk space (the index's file system and the temporary folder's), the code of a failed
// read or write with " [MakeIndex]". Uses the order's key function or key maker, header image
// (key length, keys per node, UNIQUE) and comparator. Of equal keys the lowest record number
// comes first; UNIQUE keeps only that one. The current record is the same afterwards.
std::uint32_t BuildIndex(OrderDescriptor& order);

// A key expression as an index header keeps it: outside literals upper-cased (a to z only),
// blanks and tabs dropped, literal delimiters turned into double quotes (kept as they are for a
// literal that holds a double quote). With keepBlanks the delimiters stay, and blanks and tabs
// become one blank unless a blank, a tab, a quote, "=" or the end follows.
void NormalizeKeyExpr(std::string& text, bool keepBlanks);

// A name without a folder ("/", "\" or ":") in the folder of the current area's table; any
// other name as given.
std::string ResolveIndexPath(std::string_view name);

}  // namespace xbase
