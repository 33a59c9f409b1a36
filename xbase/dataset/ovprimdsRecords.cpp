// TOvDataSet: the record layout of its buffers, the field definitions of the open table, and
// records and field values between the buffers and the work area's typed record.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/db/DateTime.h"
#include "platform/db/DbErrors.h"
#include "platform/db/FormatSettings.h"
#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/core/timedate.h"
#include "xbase/dataset/ovprimds.h"
#include "xbase/dbf/TypedSlots.h"

namespace xbase {

using platform::db::TDateTime;

namespace {

// Room of a date's text in the typed record.
constexpr std::size_t kDateTextRoom = 10;

bool HasDecimals(char type, int decimals) { return (type == 'N' || type == 'F') && decimals > 0; }

std::size_t SlotSize(const TDTField& field) {
  switch (field.Type) {
    case 'C': return field.Length + 1u;
    case 'D': return 8;
    case 'N': case 'F': return HasDecimals(field.Type, field.Decimals) ? 8 : 4;
    case 'L': return 2;
    case 'M': return 4;
    default: return 0;
  }
}

// The number as it reads back after being written with `decimals` decimals.
double RoundToDecimals(double value, int decimals) {
  if (!std::isfinite(value) || decimals > 22) return value;
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  // Most values are already the nearest double to a number of `decimals` decimals; they read
  // back unchanged, and need no text.
  const double units = std::round(value * kPowers[decimals]);
  if (std::fabs(units) < 0x1p50 && units / kPowers[decimals] == value) return value;
  char text[400];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return std::strtod(text, nullptr);
}

// The typed record's text of a date: the blank picture for none, else the date in the layout
// of SET DATE.
std::string DateText(double days) {
  int year = 0, month = 0, day = 0;
  if (days == 0 || !platform::db::DecodeDate(TDateTime{days}, year, month, day))
    return BlankDatePicture(SetDateCode);
  std::string text = RTrimStr(platform::db::DateToStr(TDateTime{days}));
  if (!IsValidDate(text)) {
    ShowLibText(TextInvalidDate);
    return BlankDatePicture(SetDateCode);
  }
  return text;
}

template <class T>
const T* Held(const TFieldValue& value) {
  return std::get_if<T>(&value);
}

double NumberOf(const TFieldValue& value, const std::string& field) {
  if (const double* number = Held<double>(value)) return *number;
  if (const std::int32_t* integer = Held<std::int32_t>(value)) return *integer;
  platform::db::DatabaseError("Invalid value for field '" + field + "'");
}

}  // namespace

int TOvDataSet::OviGetRecordSize() {
  if (recordSize_ == 0) ComputeRecordLayout();
  return static_cast<int>(recordSize_);
}

void TOvDataSet::ComputeRecordLayout() {
  fieldOffsets_.clear();
  std::size_t size = 1;
  for (int n = 1; n <= fieldProps_->Count(); ++n) {
    fieldOffsets_.push_back(size);
    size += SlotSize(fieldProps_->Item(n));
  }
  recordSize_ = size;
}

void TOvDataSet::InternalInitFieldDefs() {
  using namespace platform::db;
  FieldDefs().Clear();
  for (int n = 1; n <= fieldProps_->Count(); ++n) {
    const TDTField& field = fieldProps_->Item(n);
    switch (field.Type) {
      case 'D': FieldDefs().Add(field.Name, ftDate); break;
      case 'N': case 'F':
        FieldDefs().Add(field.Name, HasDecimals(field.Type, field.Decimals) ? ftFloat : ftInteger, field.Length);
        break;
      case 'L': FieldDefs().Add(field.Name, ftBoolean); break;
      case 'M':
        if (MemoAsNumber())
          FieldDefs().Add(field.Name, ftInteger, field.Length);
        else
          FieldDefs().Add(field.Name, ftMemo);
        break;
      default: FieldDefs().Add(field.Name, ftString, field.Length); break;
    }
  }
}

platform::db::TFieldClass TOvDataSet::GetFieldClass(platform::db::TFieldType fieldType) {
  switch (fieldType) {
    case platform::db::ftInteger: return platform::db::NewField<TOvIntegerField>;
    case platform::db::ftFloat: return platform::db::NewField<TOvFloatField>;
    case platform::db::ftDate: return platform::db::NewField<TOvDateField>;
    default: return TOvPrimDataset::GetFieldClass(fieldType);
  }
}

void TOvDataSet::ReadRecordToBuffer(TRecordBuffer buffer) {
  const TDbfFieldProps& props = *fieldProps_;
  buffer[0] = *props.Address(0);
  for (int n = 1; n <= props.Count(); ++n) {
    const TDTField& field = props.Item(n);
    std::uint8_t* slot = buffer + fieldOffsets_[n - 1];
    const std::uint8_t* typed = props.Address(n);
    switch (field.Type) {
      case 'C': PutSlotText(slot, field.Length, SlotText(typed, field.Length)); break;
      case 'D': PutSlotDouble(slot, DbfDateToDateTime(SlotText(typed, kDateTextRoom), true).Days); break;
      case 'N': case 'F':
        if (HasDecimals(field.Type, field.Decimals))
          PutSlotDouble(slot, RoundToDecimals(GetSlotDouble(typed), field.Decimals));
        else
          std::memcpy(slot, typed, 4);
        break;
      case 'M': std::memcpy(slot, typed, 4); break;
      case 'L':
        slot[0] = typed[0];
        slot[1] = 0;
        break;
      default: break;
    }
  }
}

void TOvDataSet::WriteBufferToRecord(TRecordBuffer buffer, int field) {
  const TDbfFieldProps& props = *fieldProps_;
  *props.Address(0) = buffer[0];
  const int first = field < 0 ? 1 : field;
  const int last = field < 0 ? props.Count() : field;
  for (int n = first; n <= last; ++n) {
    const TDTField& entry = props.Item(n);
    const std::uint8_t* slot = buffer + fieldOffsets_[n - 1];
    std::uint8_t* typed = props.Address(n);
    switch (entry.Type) {
      case 'C': PutSlotText(typed, entry.Length, SlotText(slot, entry.Length)); break;
      case 'D': PutSlotText(typed, kDateTextRoom, DateText(GetSlotDouble(slot))); break;
      case 'N': case 'F': std::memcpy(typed, slot, HasDecimals(entry.Type, entry.Decimals) ? 8 : 4); break;
      case 'M': std::memcpy(typed, slot, 4); break;
      case 'L': typed[0] = slot[0] != 0; break;
      default: break;
    }
  }
}

TFieldValue TOvDataSet::GetFieldValue(int n, TRecordBuffer buffer) const {
  const TDTField& field = fieldProps_->Item(n);
  const std::uint8_t* slot = buffer + fieldOffsets_[n - 1];
  switch (field.Type) {
    case 'C': {
      std::string_view text = SlotText(slot, field.Length);
      text.remove_suffix(text.size() - (text.find_last_not_of(' ') + 1));
      return std::string(text);
    }
    case 'D': {
      const double days = GetSlotDouble(slot);
      if (days == 0) return std::monostate{};
      return TDateTime{days};
    }
    case 'N': case 'F':
      if (HasDecimals(field.Type, field.Decimals)) return GetSlotDouble(slot);
      return GetSlotInt32(slot);
    case 'M': return GetSlotInt32(slot);
    case 'L': return slot[0] != 0;
    default: return std::monostate{};
  }
}

void TOvDataSet::SetFieldValue(int n, TRecordBuffer buffer, const TFieldValue& data) {
  const TDTField& field = fieldProps_->Item(n);
  std::uint8_t* slot = buffer + fieldOffsets_[n - 1];
  if (std::holds_alternative<std::monostate>(data)) {
    std::memset(slot, 0, SlotSize(field));
  } else {
    switch (field.Type) {
      case 'C': {
        const std::string* text = Held<std::string>(data);
        if (text == nullptr) platform::db::DatabaseError("Invalid value for field '" + field.Name + "'");
        PutSlotText(slot, field.Length, *text);
        break;
      }
      case 'D': {
        const TDateTime* date = Held<TDateTime>(data);
        PutSlotDouble(slot, date != nullptr ? date->Days : NumberOf(data, field.Name));
        break;
      }
      case 'N': case 'F': case 'M':
        if (HasDecimals(field.Type, field.Decimals))
          PutSlotDouble(slot, NumberOf(data, field.Name));
        else if (const std::int32_t* integer = Held<std::int32_t>(data))
          PutSlotInt32(slot, *integer);
        else
          PutSlotInt32(slot, static_cast<std::int32_t>(std::lround(NumberOf(data, field.Name))));
        break;
      case 'L': {
        const bool* logical = Held<bool>(data);
        if (logical == nullptr) platform::db::DatabaseError("Invalid value for field '" + field.Name + "'");
        slot[0] = *logical;
        slot[1] = 0;
        break;
      }
      default: break;
    }
  }
  WriteBufferToRecord(buffer, n);
}

int TOvDataSet::OviGetFieldData(const TField& field, TRecordBuffer buffer, bool& isBlank, TFieldValue* data) {
  const int n = field.FieldNo();
  isBlank = fieldProps_->Type(n) == 'D' && GetSlotDouble(buffer + fieldOffsets_[n - 1]) == 0;
  if (data != nullptr) *data = GetFieldValue(n, buffer);
  return 0;
}

int TOvDataSet::OviSetFieldData(const TField& field, TRecordBuffer buffer, const TFieldValue& data) {
  SetFieldValue(field.FieldNo(), buffer, data);
  return 0;
}

}  // namespace xbase
