#pragma once
// The field classes of the field types: text, whole number, number, logical, date, and the
// BLOB and memo fields whose contents come through a stream of their dataset.

#include <cstdint>
#include <string>

#include "platform/db/Field.h"

namespace platform::db {

// Text of at most Size characters; longer texts are cut. As a logical, a text starting with
// T, t, Y or y is true.
class TStringField : public TField {
 public:
  TStringField() : TField(ftString, 20) {}
  int DataSize() const override { return Size() + 1; }
  std::string AsString() const override;
  void SetAsString(const std::string& value) override;
  std::int32_t AsInteger() const override;
  void SetAsInteger(std::int32_t value) override;
  double AsFloat() const override;
  void SetAsFloat(double value) override;
  bool AsBoolean() const override;
  void SetAsBoolean(bool value) override;

 protected:
  void CheckTypeSize(int size) const override;
};

// A number field keeping a Number: a 32-bit whole number (TIntegerField) or a double
// (TFloatField). It reads and writes the other type too, a whole number rounded; an empty text
// clears it.
template <class Number>
class TNumericField : public TField {
 public:
  int DataSize() const override { return static_cast<int>(sizeof(Number)); }
  std::string AsString() const override;
  void SetAsString(const std::string& value) override;
  std::int32_t AsInteger() const override;
  void SetAsInteger(std::int32_t value) override;
  double AsFloat() const override;
  void SetAsFloat(double value) override;

 protected:
  explicit TNumericField(TFieldType dataType) : TField(dataType, 0) {}
};

extern template class TNumericField<std::int32_t>;
extern template class TNumericField<double>;

// A 32-bit whole number.
class TIntegerField : public TNumericField<std::int32_t> {
 public:
  TIntegerField() : TNumericField(ftInteger) {}
};

// A number; its text is FloatToStr's.
class TFloatField : public TNumericField<double> {
 public:
  TFloatField() : TNumericField(ftFloat) {}
};

// A logical: "True" or "False" as text; a text is read by the start of "true", "false", "yes"
// or "no" in any case, and an empty text clears it.
class TBooleanField : public TField {
 public:
  TBooleanField() : TField(ftBoolean, 0) {}
  int DataSize() const override { return 2; }
  std::string AsString() const override;
  void SetAsString(const std::string& value) override;
  bool AsBoolean() const override;
  void SetAsBoolean(bool value) override;
};

// A date, as text in the short date format of FormatSettings; "" when null, and an empty text
// clears it.
class TDateField : public TField {
 public:
  TDateField() : TField(ftDate, 0) {}
  int DataSize() const override { return 8; }
  std::string AsString() const override { return GetText(false); }
  void SetAsString(const std::string& value) override;
  double AsFloat() const override { return AsDateTime().Days; }
  TDateTime AsDateTime() const override;
  void SetAsDateTime(TDateTime value) override;

 protected:
  std::string GetText(bool displayText) const override;
};

// Contents of any length, read and written through the dataset's stream for the field
// (CreateBlobStream). A dataset without streams shows what its record holds for the field;
// writing needs a stream.
class TBlobField : public TField {
 public:
  TBlobField() : TBlobField(ftBlob) {}
  bool IsBlob() const override { return true; }
  std::string AsString() const override;
  void SetAsString(const std::string& value) override;

 protected:
  explicit TBlobField(TFieldType dataType) : TField(dataType, 0) {}
};

class TMemoField : public TBlobField {
 public:
  TMemoField() : TBlobField(ftMemo) {}
};

}  // namespace platform::db
