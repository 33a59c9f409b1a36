#pragma once
// The vocabulary of the abstract dataset (DataSet.h): its states, the fetch modes and results of
// its record slots, bookmark flags, field types and kinds, and the typed values that fields
// exchange with their dataset. Text values are bytes of Windows-1252, as in the table library.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace platform::db {

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields };

// What a record fetch asks for, and what it found.
enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };

// What a record buffer holds: a record of the table, the crack before the first or after the
// last record, or a record being inserted.
enum TBookmarkFlag : std::uint8_t { bfCurrent, bfBOF, bfEOF, bfInserted };

// Resync options, combined with |.
enum TResyncOption : unsigned { rmExact = 1, rmCenter = 2 };
using TResyncMode = unsigned;

// Locate options, combined with |.
enum TLocateOption : unsigned { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = unsigned;

// Notifications a dataset sends itself (and its data sources) about what changed.
enum TDataEvent {
  deFieldChange,
  deRecordChange,
  deDataSetChange,
  deDataSetScroll,
  deLayoutChange,
  deUpdateState,
  deCheckBrowseMode,
};

enum TFieldType { ftUnknown, ftString, ftInteger, ftFloat, ftDate, ftBoolean, ftBlob, ftMemo };
enum TFieldKind { fkData, fkCalculated };

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// What an error handler of Post, Edit or Delete asks for.
enum TDataAction { daFail, daAbort, daRetry };

// A date: days since 30 December 1899; 0 is that day.
struct TDateTime {
  double Days = 0;
  friend bool operator==(const TDateTime&, const TDateTime&) = default;
};

// A field's value: nothing (null), text, a whole number, a number, a logical or a date.
using TFieldValue = std::variant<std::monostate, std::string, std::int32_t, double, bool, TDateTime>;

// A record buffer: memory whose layout belongs to the dataset that allocated it.
using TRecordBuffer = std::uint8_t*;

// A saved position; empty for none.
using TBookmark = std::vector<std::uint8_t>;

}  // namespace platform::db
