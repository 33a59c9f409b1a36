// TOvBlobStream: a memo field's contents as a stream over the memo store's one stream per work
// area.

#include <algorithm>
#include <cstdint>
#include <set>

#include "platform/db/DbErrors.h"
#include "xbase/core/ovcommon.h"
#include "xbase/dataset/uovfds.h"
#include "xbase/memo/memo.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {

namespace {

constexpr std::uint8_t kBlobRead = 1;
constexpr std::uint8_t kBlobWrite = 2;

// The work areas that have a stream open: the memo store keeps one per area, and a second
// would reset the first one's position and lock.
std::set<std::uint8_t>& AreasWithStream() {
  static std::set<std::uint8_t> areas;
  return areas;
}

}  // namespace

std::unique_ptr<platform::db::TStream> TOvFileDataSet::CreateBlobStream(const TField& field,
                                                                        platform::db::TBlobStreamMode mode) {
  return std::make_unique<TOvBlobStream>(field, mode, TableLanguage() == tlOem);
}

std::int32_t TOvFileDataSet::BlobBlock(const TField& field) {
  TFieldValue value;
  if (!GetFieldData(field, value)) return 0;
  const std::int32_t* block = std::get_if<std::int32_t>(&value);
  return block != nullptr ? *block : 0;
}

void TOvFileDataSet::SetBlobBlock(const TField& field, std::int32_t block) {
  // Into the edit buffer and through it into the work area's typed record.
  OviSetFieldData(field, ActiveBuffer(), block);
}

TOvBlobStream::TOvBlobStream(const TField& field, platform::db::TBlobStreamMode mode, bool oem)
    : field_(field),
      dataSet_(dynamic_cast<TOvFileDataSet&>(*field.DataSet())),
      writeMode_(mode != platform::db::bmRead),
      oem_(oem) {
  if (!dataSet_.Active()) {
    // The stream stays closed: it reads and writes nothing.
    SetError(1103, "DataSet must be active. " + dataSet_.Name());
    return;
  }
  if (dataSet_.IsTableUsable()) {
    if (AreasWithStream().count(dataSet_.AreaNumber()) != 0)
      platform::db::DatabaseError("A memo stream of " + dataSet_.Name() + " is open already");
    area_ = dataSet_.AreaNumber();
  } else {
    // Only the structure was read: the table is opened for this stream, in an area of its own.
    Select(0);
    if (ErrorCode != 0) return;
    Use(dataSet_.DbfFileName(), nullptr, 0);
    if (ErrorCode != 0) return;
    area_ = CurrentArea();
    directOpen_ = true;
  }
  if (writeMode_ && dataSet_.State() != platform::db::dsEdit && dataSet_.State() != platform::db::dsInsert)
    dataSet_.Edit();
  if (!SelectArea("CreateBlobStream")) return;
  const std::int32_t block = OpenBlob(oem_, dataSet_.BlobBlock(field_), writeMode_ ? kBlobWrite : kBlobRead);
  if (writeMode_ && block != 0) dataSet_.SetBlobBlock(field_, block);
  AreasWithStream().insert(area_);
}

TOvBlobStream::~TOvBlobStream() {
  if (area_ == 0 || AreasWithStream().count(area_) == 0) {
    if (directOpen_ && SelectArea("DestroyBlobStream")) CloseArea();
    return;
  }
  AreasWithStream().erase(area_);
  try {
    if (!SelectArea("DestroyBlobStream")) return;
    if (writeMode_ && !written_) {
      // Nothing written: the field holds no memo.
      if (dataSet_.BlobBlock(field_) != 0) dataSet_.SetBlobBlock(field_, 0);
      written_ = true;
    }
    const std::int32_t block = CloseBlob();
    // A dBase III memo that had to take the group header says so by its block, known only now.
    if (writeMode_ && block != 0 && block != dataSet_.BlobBlock(field_)) {
      dataSet_.SetBlobBlock(field_, block);
      if (!SelectArea("DestroyBlobStream")) return;
    }
    if (directOpen_) CloseArea();
    if (written_) dataSet_.DataEvent(platform::db::deFieldChange, &field_);
  } catch (const std::exception&) {
    // A destructor reports nothing more: the library has reported the failure already.
  }
}

bool TOvBlobStream::SelectArea(const char* operation) {
  if (area_ == 0) return false;
  if (!directOpen_) return dataSet_.SelectWorkArea(operation);
  Select(area_);
  AnsiTables = dataSet_.TableLanguage() == tlAnsi;
  ErrorCode = 0;
  return true;
}

std::int64_t TOvBlobStream::Read(void* buffer, std::int64_t count) {
  if (!SelectArea("ReadBlobStream")) return 0;
  return ReadBlobStream(buffer, static_cast<std::int32_t>(std::min<std::int64_t>(count, INT32_MAX)));
}

std::int64_t TOvBlobStream::Write(const void* buffer, std::int64_t count) {
  if (!SelectArea("WriteBlobStream")) return 0;
  const std::int32_t done =
      WriteBlobStream(buffer, static_cast<std::int32_t>(std::min<std::int64_t>(count, INT32_MAX)));
  if (done > 0) written_ = true;
  return done;
}

std::int64_t TOvBlobStream::Seek(std::int64_t offset, platform::db::TSeekOrigin origin) {
  if (!SelectArea("SeekBlobStream")) return 0;
  return SeekBlob(static_cast<std::int32_t>(offset), static_cast<std::uint16_t>(origin));
}

}  // namespace xbase
