// Peek and Poke: one field of any record straight from and to the file, with an optional read
// cache of consecutive records of one table. The cache holds the file's bytes as stored.

#include <algorithm>

#include "xbase/dbf/ovdbflow.h"
#include "xbase/workarea/dbf4.h"
#include "xbase/workarea/dbf4Internal.h"

namespace xbase {

std::uint16_t PeekCacheSize = 0;

namespace {

constexpr std::size_t kMaxCacheBytes = 65520;

struct ReadCache {
  std::vector<std::uint8_t> bytes;  // `count` whole records from record `first` on
  std::string alias;                // the table they belong to
  RecordNumber first = 0;
  RecordNumber count = 0;

  bool Holds(const std::string& table, std::int64_t rec) const {
    return !bytes.empty() && alias == table && rec >= first && rec < std::int64_t{first} + count;
  }
};

ReadCache PeekCache;

// Where a field lies in its record: field 0 is the deleted flag.
struct FieldSpan {
  std::size_t offset;
  std::size_t length;
};

FieldSpan SpanOf(const WorkAreaRecord& area, int field) {
  if (field == 0) return {0, 1};
  const FieldEntry& entry = area.FieldTable[field - 1];
  return {entry.Offset, entry.Length};
}

bool InRange(const WorkAreaRecord& area, int field, std::int64_t rec) {
  return rec >= 1 && rec <= area.RecordCount && field >= 0 && field <= area.FieldCount;
}

// Fills the cache from record rec on; false after reporting a failure.
bool FillCache(const WorkAreaRecord& area, std::int64_t rec, int field) {
  const std::size_t recordLength = area.RecordLength;
  std::size_t count = std::min<std::size_t>(PeekCacheSize, kMaxCacheBytes) / recordLength;
  count = std::clamp<std::size_t>(count, 1, std::max<std::size_t>(area.RecordCount, 1));
  PeekCache.bytes.resize(count * recordLength);
  const auto read = area.DataFile.ReadAt(RecordOffset(area, static_cast<RecordNumber>(rec)),
                                         PeekCache.bytes.data(), PeekCache.bytes.size());
  ErrorCode = read.code;
  // Only whole records read count: a later record may have been appended since.
  const std::size_t whole = read.count / recordLength;
  if (read.code != 0 || whole == 0) {
    DropPeekCache();
    SetError(read.code != 0 ? read.code : 100, "DBF: " + area.FileName + " [Peek(" +
                                                   std::to_string(field) + "," + std::to_string(rec) + ")]");
    return false;
  }
  PeekCache.bytes.resize(whole * recordLength);
  PeekCache.alias = area.Alias;
  PeekCache.first = static_cast<RecordNumber>(rec);
  PeekCache.count = static_cast<RecordNumber>(whole);
  return true;
}

}  // namespace

namespace dbf4 {

void ResetPeekCache() {
  PeekCacheSize = 0;
  DropPeekCache();
}

void DropPeekCacheOf(const std::string& alias) {
  if (PeekCache.alias == alias) DropPeekCache();
}

void UpdatePeekCache(WorkAreaRecord& area) {
  if (!PeekCache.Holds(area.Alias, area.RecNo)) return;
  // The cache keeps the bytes as written to the file, not as decoded in memory.
  std::vector<std::uint8_t> stored = area.RecordBuffer;
  TranslateRecord(true, area.OemTranslate, area.WriteTransform, stored.size(), area.RecordLength,
                  stored.data());
  std::copy(stored.begin(), stored.end(),
            PeekCache.bytes.begin() + (area.RecNo - PeekCache.first) * area.RecordLength);
}

}  // namespace dbf4

void DropPeekCache() {
  PeekCache.bytes.clear();
  PeekCache.bytes.shrink_to_fit();
  PeekCache.alias.clear();
  PeekCache.first = PeekCache.count = 0;
}

void Peek(int field, std::int64_t rec, std::string& text) {
  const WorkAreaRecord* area = dbf4::OpenArea("Peek");
  if (area == nullptr) return;
  if (!PeekCache.bytes.empty() && PeekCache.alias != area->Alias) DropPeekCache();
  if (!InRange(*area, field, rec)) return;
  const FieldSpan span = SpanOf(*area, field);
  if (PeekCacheSize == 0) {
    std::string bytes(span.length, '\0');
    const auto read = area->DataFile.ReadAt(
        RecordOffset(*area, static_cast<RecordNumber>(rec)) + span.offset, bytes.data(), span.length);
    ErrorCode = read.code;
    if (read.code != 0 || read.count < span.length) {
      SetError(read.code != 0 ? read.code : 100, "DBF: " + area->FileName + " [Peek(" +
                                                     std::to_string(field) + "," + std::to_string(rec) + ")]");
      return;
    }
    text = std::move(bytes);
    return;
  }
  if (!PeekCache.Holds(area->Alias, rec) && !FillCache(*area, rec, field)) return;
  const std::size_t at = (rec - PeekCache.first) * area->RecordLength + span.offset;
  text.assign(reinterpret_cast<const char*>(PeekCache.bytes.data() + at), span.length);
}

void Poke(const std::string& value, int field, std::int64_t rec) {
  WorkAreaRecord* area = dbf4::OpenArea("Poke");
  if (area == nullptr) return;
  const std::string context = ("[Poke(" + value + "," + std::to_string(field) + "," +
                               std::to_string(rec) + ")]").substr(0, 100);
  if (!InRange(*area, field, rec)) return;
  if (dbf4::LocksReachFile(*area) && area->LockState != LockFileAll &&
      (area->LockState == LockAppend ||
       std::find(area->RecordLockList.begin(), area->RecordLockList.end(), rec) ==
           area->RecordLockList.end())) {
    SetError(1200, "Record not locked " + context);
    return;
  }
  const FieldSpan span = SpanOf(*area, field);
  const std::size_t length = std::min(value.size(), span.length);
  const std::uint64_t position = RecordOffset(*area, static_cast<RecordNumber>(rec)) + span.offset;
  const auto written = area->DataFile.WriteAt(position, value.data(), length);
  ErrorCode = written.code;
  if (written.code != 0 || written.count < length) {
    SetError(written.code != 0 ? written.code : 101, context);
    return;
  }
  if (PeekCache.Holds(area->Alias, rec)) {
    std::copy_n(value.begin(), length,
                PeekCache.bytes.begin() + (rec - PeekCache.first) * area->RecordLength + span.offset);
  }
}

}  // namespace xbase
