#include "platform/db/FieldClasses.h"

#include <cmath>
#include <limits>

#include "platform/db/DataSet.h"
#include "platform/db/DbErrors.h"
#include "platform/db/FormatSettings.h"
#include "platform/db/Stream.h"
#include "platform/os/CodePage1252.h"

namespace platform::db {
namespace {

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

std::int32_t RoundedInt32(double value) {
  const double rounded = std::round(value);
  if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
        rounded <= std::numeric_limits<std::int32_t>::max()))
    throw EConvertError(FloatToStr(value) + " is not a valid integer value");
  return static_cast<std::int32_t>(rounded);
}

// A prefix of one of the words, case ignored.
bool StartsWord(const std::string& text, const char* word) {
  const std::string lower = platform::os::AnsiLower(text);
  return !lower.empty() && std::string_view(word).starts_with(lower);
}

// What a number field does with its type: its text, a text read as one, and the two types made
// one of it.
template <class Number>
struct NumberTraits;

template <>
struct NumberTraits<std::int32_t> {
  static std::string Text(std::int32_t value) { return std::to_string(value); }
  static std::int32_t Parse(const std::string& text) { return StrToInt(text); }
  static std::int32_t FromFloat(double value) { return RoundedInt32(value); }
  static std::int32_t Whole(std::int32_t value) { return value; }
};

template <>
struct NumberTraits<double> {
  static std::string Text(double value) { return FloatToStr(value); }
  static double Parse(const std::string& text) { return StrToFloat(text); }
  static double FromFloat(double value) { return value; }
  static std::int32_t Whole(double value) { return RoundedInt32(value); }
};

}  // namespace

// ---- TStringField

void TStringField::CheckTypeSize(int size) const {
  if (size < 0) TField::CheckTypeSize(size);
}

std::string TStringField::AsString() const { return DataAs<std::string>().value_or(std::string()); }

void TStringField::SetAsString(const std::string& value) {
  SetData(value.substr(0, static_cast<std::size_t>(Size())));
}

std::int32_t TStringField::AsInteger() const { return StrToInt(AsString()); }
void TStringField::SetAsInteger(std::int32_t value) { SetAsString(std::to_string(value)); }
double TStringField::AsFloat() const { return StrToFloat(AsString()); }
void TStringField::SetAsFloat(double value) { SetAsString(FloatToStr(value)); }

bool TStringField::AsBoolean() const {
  const std::string text = AsString();
  return !text.empty() && std::string_view("TtYy").find(text.front()) != std::string_view::npos;
}

void TStringField::SetAsBoolean(bool value) { SetAsString(value ? "T" : "F"); }

// ---- TNumericField

template <class Number>
std::string TNumericField<Number>::AsString() const {
  const std::optional<Number> value = DataAs<Number>();
  return value ? NumberTraits<Number>::Text(*value) : std::string();
}

template <class Number>
void TNumericField<Number>::SetAsString(const std::string& value) {
  if (IsBlank(value))
    Clear();
  else
    SetData(NumberTraits<Number>::Parse(value));
}

template <class Number>
std::int32_t TNumericField<Number>::AsInteger() const {
  return NumberTraits<Number>::Whole(DataAs<Number>().value_or(0));
}

template <class Number>
void TNumericField<Number>::SetAsInteger(std::int32_t value) {
  SetData(static_cast<Number>(value));
}

template <class Number>
double TNumericField<Number>::AsFloat() const {
  return DataAs<Number>().value_or(0);
}

template <class Number>
void TNumericField<Number>::SetAsFloat(double value) {
  SetData(NumberTraits<Number>::FromFloat(value));
}

template class TNumericField<std::int32_t>;
template class TNumericField<double>;

// ---- TBooleanField

std::string TBooleanField::AsString() const {
  const std::optional<bool> value = DataAs<bool>();
  if (!value) return {};
  return *value ? "True" : "False";
}

void TBooleanField::SetAsString(const std::string& value) {
  const std::string text(value.substr(0, value.find_last_not_of(' ') + 1));
  if (IsBlank(text))
    Clear();
  else if (StartsWord(text, "true") || StartsWord(text, "yes"))
    SetAsBoolean(true);
  else if (StartsWord(text, "false") || StartsWord(text, "no"))
    SetAsBoolean(false);
  else
    throw EConvertError("'" + value + "' is not a valid boolean value");
}

bool TBooleanField::AsBoolean() const { return DataAs<bool>().value_or(false); }

void TBooleanField::SetAsBoolean(bool value) { SetData(value); }

// ---- TDateField

std::string TDateField::GetText(bool) const {
  const std::optional<TDateTime> value = DataAs<TDateTime>();
  return value ? DateToStr(*value) : std::string();
}

void TDateField::SetAsString(const std::string& value) {
  if (IsBlank(value))
    Clear();
  else
    SetAsDateTime(StrToDate(value));
}

TDateTime TDateField::AsDateTime() const { return DataAs<TDateTime>().value_or(TDateTime{}); }

void TDateField::SetAsDateTime(TDateTime value) { SetData(value); }

// ---- TBlobField

std::string TBlobField::AsString() const {
  if (DataSet() == nullptr) DatabaseError("Field '" + FieldName() + "' has no dataset");
  const auto stream = DataSet()->CreateBlobStream(*this, bmRead);
  if (!stream) {
    TFieldValue value;
    if (!GetData(value)) return {};
    if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
    const auto* text = std::get_if<std::string>(&value);
    return text != nullptr ? *text : std::string();
  }
  std::string text(static_cast<std::size_t>(stream->Size()), '\0');
  text.resize(static_cast<std::size_t>(stream->Read(text.data(), static_cast<std::int64_t>(text.size()))));
  return text;
}

void TBlobField::SetAsString(const std::string& value) {
  if (DataSet() == nullptr) DatabaseError("Field '" + FieldName() + "' has no dataset");
  const auto stream = DataSet()->CreateBlobStream(*this, bmWrite);
  if (!stream) DatabaseError("Field '" + FieldName() + "' has no stream to write to");
  stream->Write(value.data(), static_cast<std::int64_t>(value.size()));
}

}  // namespace platform::db
