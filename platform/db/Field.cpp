#include "platform/db/Field.h"

#include <algorithm>
#include <type_traits>

#include "platform/db/DataSet.h"
#include "platform/db/DbErrors.h"
#include "platform/db/FieldDefs.h"

namespace platform::db {

TField::TField(TFieldType dataType, int size) : dataType_(dataType), size_(size) {}

void TField::SetSize(int size) {
  CheckTypeSize(size);
  size_ = size;
}

void TField::CheckTypeSize(int size) const {
  if (size != 0) DatabaseError("Invalid field size " + std::to_string(size) + " for field '" + fieldName_ + "'");
}

bool TField::IsNull() const {
  TFieldValue value;
  return !GetData(value);
}

TFieldValue TField::Value() const {
  TFieldValue value;
  if (!GetData(value)) return std::monostate{};
  return value;
}

void TField::SetValue(const TFieldValue& value) {
  std::visit(
      [this](const auto& v) {
        using V = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<V, std::monostate>) Clear();
        if constexpr (std::is_same_v<V, std::string>) SetAsString(v);
        if constexpr (std::is_same_v<V, std::int32_t>) SetAsInteger(v);
        if constexpr (std::is_same_v<V, double>) SetAsFloat(v);
        if constexpr (std::is_same_v<V, bool>) SetAsBoolean(v);
        if constexpr (std::is_same_v<V, TDateTime>) SetAsDateTime(v);
      },
      value);
}

void TField::AccessError(const char* typeName) const {
  DatabaseError("Field '" + fieldName_ + "' cannot be accessed as type " + typeName);
}

std::string TField::AsString() const { AccessError("String"); }
void TField::SetAsString(const std::string&) { AccessError("String"); }
std::int32_t TField::AsInteger() const { AccessError("Integer"); }
void TField::SetAsInteger(std::int32_t) { AccessError("Integer"); }
double TField::AsFloat() const { AccessError("Float"); }
void TField::SetAsFloat(double) { AccessError("Float"); }
bool TField::AsBoolean() const { AccessError("Boolean"); }
void TField::SetAsBoolean(bool) { AccessError("Boolean"); }
TDateTime TField::AsDateTime() const { AccessError("DateTime"); }
void TField::SetAsDateTime(TDateTime) { AccessError("DateTime"); }

std::string TField::GetText(bool) const { return AsString(); }

void TField::Validate(const TFieldValue& value) {
  if (OnValidate) OnValidate(*this, value);
}

bool TField::GetData(TFieldValue& value) const {
  if (dataSet_ == nullptr) DatabaseError("Field '" + fieldName_ + "' has no dataset");
  return dataSet_->GetFieldData(*this, value);
}

void TField::SetData(const TFieldValue& value) {
  if (dataSet_ == nullptr) DatabaseError("Field '" + fieldName_ + "' has no dataset");
  dataSet_->SetFieldData(*this, value);
}

TField& TFields::Add(std::unique_ptr<TField> field) {
  field->dataSet_ = &owner_;
  return *fields_.emplace_back(std::move(field));
}

TField* TFields::Find(std::string_view name) const {
  // Names are nearly always asked for as they are spelled: that is looked for first.
  auto found = std::find_if(fields_.begin(), fields_.end(),
                            [name](const auto& field) { return field->FieldName() == name; });
  if (found == fields_.end())
    found = std::find_if(fields_.begin(), fields_.end(),
                         [name](const auto& field) { return SameFieldName(field->FieldName(), name); });
  return found == fields_.end() ? nullptr : found->get();
}

}  // namespace platform::db
