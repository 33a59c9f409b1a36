#pragma once
// A field of a dataset: one column of its current record, read and written as text, number,
// logical or date. A field holds no value itself; it asks its dataset (GetFieldData and
// SetFieldData), which keeps the record. The typed field classes are in FieldClasses.h.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/DbTypes.h"

namespace platform::db {

class TDataSet;

class TField {
 public:
  virtual ~TField() = default;
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  const std::string& FieldName() const { return fieldName_; }
  void SetFieldName(std::string name) { fieldName_ = std::move(name); }
  TFieldType DataType() const { return dataType_; }
  // For text fields the most characters, for numbers the table's width.
  int Size() const { return size_; }
  // Raises EDatabaseError for a size the field's type does not take.
  void SetSize(int size);
  TFieldKind FieldKind() const { return fieldKind_; }
  void SetFieldKind(TFieldKind kind) { fieldKind_ = kind; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  // The field's number among the table's fields (from 1) while its dataset is open; 0 otherwise
  // and for calculated fields.
  int FieldNo() const { return fieldNo_; }
  // Where a calculated field's value lies in its dataset's area of calculated values.
  int Offset() const { return offset_; }
  TDataSet* DataSet() const { return dataSet_; }
  // The bytes a value of this field takes in a record buffer.
  virtual int DataSize() const { return 0; }
  virtual bool IsBlob() const { return false; }

  bool IsNull() const;
  // The value; monostate when the field is null.
  TFieldValue Value() const;
  // Stores a value through the setter of its type; monostate clears the field.
  void SetValue(const TFieldValue& value);
  void Clear() { SetData(std::monostate{}); }

  // Typed access; a type the field cannot give or take raises EDatabaseError, a text that is no
  // value of the field's type EConvertError.
  virtual std::string AsString() const;
  virtual void SetAsString(const std::string& value);
  virtual std::int32_t AsInteger() const;
  virtual void SetAsInteger(std::int32_t value);
  virtual double AsFloat() const;
  virtual void SetAsFloat(double value);
  virtual bool AsBoolean() const;
  virtual void SetAsBoolean(bool value);
  virtual TDateTime AsDateTime() const;
  virtual void SetAsDateTime(TDateTime value);

  // The text to edit and the text to show.
  std::string Text() const { return GetText(false); }
  std::string DisplayText() const { return GetText(true); }

  // Called with every value about to be stored; may raise to refuse it.
  std::function<void(TField& field, const TFieldValue& value)> OnValidate;
  void Validate(const TFieldValue& value);

 protected:
  TField(TFieldType dataType, int size);

  // The value from the dataset's current record; false when the field is null.
  bool GetData(TFieldValue& value) const;
  // The value as T (T's zero when the record holds another type); nullopt when the field is null.
  template <class T>
  std::optional<T> DataAs() const {
    TFieldValue value;
    if (!GetData(value)) return std::nullopt;
    const T* held = std::get_if<T>(&value);
    return held != nullptr ? *held : T{};
  }
  void SetData(const TFieldValue& value);

  virtual std::string GetText(bool displayText) const;
  // The sizes the type takes: 0 only, unless a field class says otherwise.
  virtual void CheckTypeSize(int size) const;
  [[noreturn]] void AccessError(const char* typeName) const;

 private:
  friend class TDataSet;  // binds and unbinds the field
  friend class TFields;

  std::string fieldName_;
  TFieldType dataType_;
  int size_;
  TFieldKind fieldKind_ = fkData;
  bool readOnly_ = false;
  int fieldNo_ = 0;
  int offset_ = 0;
  TDataSet* dataSet_ = nullptr;
};

// Makes a field of one class; a dataset names the class for each field type with one of these.
using TFieldClass = std::unique_ptr<TField> (*)();

template <class F>
std::unique_ptr<TField> NewField() {
  return std::make_unique<F>();
}

// The fields of a dataset, which owns them.
class TFields {
 public:
  explicit TFields(TDataSet& owner) : owner_(owner) {}

  // Adds a field to the dataset (at the end) and returns it.
  TField& Add(std::unique_ptr<TField> field);
  void Clear() { fields_.clear(); }

  int Count() const { return static_cast<int>(fields_.size()); }
  TField& operator[](int index) const { return *fields_.at(static_cast<std::size_t>(index)); }
  // The field of that name, case ignored; null when there is none.
  TField* Find(std::string_view name) const;

 private:
  TDataSet& owner_;
  std::vector<std::unique_ptr<TField>> fields_;
};

}  // namespace platform::db
