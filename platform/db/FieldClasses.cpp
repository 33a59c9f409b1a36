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

template <class T>
T ValueOr(const TFieldValue& value, T otherwise) {
  const T* held = std::get_if<T>(&value);
  return held != nullptr ? *held : otherwise;
}

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

}  // namespace

// ---- TStringField

void TStringField::CheckTypeSize(int size) const {
  if (size < 0) TField::CheckTypeSize(size);
}

std::string TStringField::AsString() const {
  TFieldValue value;
  return GetData(value) ? ValueOr<std::string>(value, {}) : std::string();
}

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

// ---- TIntegerField

std::string TIntegerField::AsString() const {
  TFieldValue value;
  return GetData(value) ? std::to_string(ValueOr<std::int32_t>(value, 0)) : std::string();
}

void TIntegerField::SetAsString(const std::string& value) {
  if (IsBlank(value))
    Clear();
  else
    SetAsInteger(StrToInt(value));
}

std::int32_t TIntegerField::AsInteger() const {
  TFieldValue value;
  return GetData(value) ? ValueOr<std::int32_t>(value, 0) : 0;
}

void TIntegerField::SetAsInteger(std::int32_t value) { SetData(value); }
double TIntegerField::AsFloat() const { return AsInteger(); }
void TIntegerField::SetAsFloat(double value) { SetAsInteger(RoundedInt32(value)); }

// ---- TFloatField

std::string TFloatField::AsString() const {
  TFieldValue value;
  return GetData(value) ? FloatToStr(ValueOr<double>(value, 0)) : std::string();
}

void TFloatField::SetAsString(const std::string& value) {
  if (IsBlank(value))
    Clear();
  else
    SetAsFloat(StrToFloat(value));
}

std::int32_t TFloatField::AsInteger() const { return RoundedInt32(AsFloat()); }
void TFloatField::SetAsInteger(std::int32_t value) { SetAsFloat(value); }

double TFloatField::AsFloat() const {
  TFieldValue value;
  return GetData(value) ? ValueOr<double>(value, 0) : 0;
}

void TFloatField::SetAsFloat(double value) { SetData(value); }

// ---- TBooleanField

std::string TBooleanField::AsString() const {
  TFieldValue value;
  if (!GetData(value)) return {};
  return ValueOr<bool>(value, false) ? "True" : "False";
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

bool TBooleanField::AsBoolean() const {
  TFieldValue value;
  return GetData(value) && ValueOr<bool>(value, false);
}

void TBooleanField::SetAsBoolean(bool value) { SetData(value); }

// ---- TDateField

std::string TDateField::GetText(bool) const {
  TFieldValue value;
  return GetData(value) ? DateToStr(ValueOr<TDateTime>(value, {})) : std::string();
}

void TDateField::SetAsString(const std::string& value) {
  if (IsBlank(value))
    Clear();
  else
    SetAsDateTime(StrToDate(value));
}

TDateTime TDateField::AsDateTime() const {
  TFieldValue value;
  return GetData(value) ? ValueOr<TDateTime>(value, {}) : TDateTime{};
}

void TDateField::SetAsDateTime(TDateTime value) { SetData(value); }

// ---- TBlobField

std::string TBlobField::AsString() const {
  if (DataSet() == nullptr) DatabaseError("Field '" + FieldName() + "' has no dataset");
  const auto stream = DataSet()->CreateBlobStream(*this, bmRead);
  if (!stream) {
    TFieldValue value;
    if (!GetData(value)) return {};
    if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
    return ValueOr<std::string>(value, {});
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
