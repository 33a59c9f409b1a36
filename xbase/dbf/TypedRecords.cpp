// Typed records: the caller's fixed image of a record, scattered from and gathered into the
// raw record buffer. Numbers are read and written in the "C" form whatever the locale.

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/core/timedate.h"
#include "xbase/dbf/TypedSlots.h"
#include "xbase/dbf/ovdbflow.h"

namespace xbase {
namespace {

constexpr std::size_t kDateRoom = 10;

bool HasDecimals(const FieldEntry& field) {
  return (field.FieldType == 'N' || field.FieldType == 'F') && field.Decimals > 0;
}

// The field's bytes in the record buffer, cut at the buffer's end.
std::string_view FieldText(const DbfTable& area, const FieldEntry& field) {
  const auto& record = area.RecordBuffer;
  const std::size_t start = std::min<std::size_t>(field.Offset, record.size());
  const std::size_t length = std::min<std::size_t>(field.Length, record.size() - start);
  return {reinterpret_cast<const char*>(record.data()) + start, length};
}

char* FieldBytes(DbfTable& area, const FieldEntry& field, std::size_t& length) {
  auto& record = area.RecordBuffer;
  const std::size_t start = std::min<std::size_t>(field.Offset, record.size());
  length = std::min<std::size_t>(field.Length, record.size() - start);
  return reinterpret_cast<char*>(record.data()) + start;
}

void StoreField(DbfTable& area, const FieldEntry& field, std::string_view text, char fill) {
  std::size_t length = 0;
  char* bytes = FieldBytes(area, field, length);
  const std::size_t copied = std::min(text.size(), length);
  std::copy_n(text.data(), copied, bytes);
  std::fill(bytes + copied, bytes + length, fill);
}

// ---- Numbers

// A whole text of the form [+|-]digits[.digits] (or .digits), as a finite double.
std::optional<double> WholeNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return std::nullopt;
  double value = 0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

// Every power of ten a double holds exactly.
constexpr std::array<double, 23> kExactPowersOfTen = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A whole text of an optional '-', at most 15 digits and at most one '.', as from_chars reads
// it; nothing for other texts. Most stored numbers are such texts, and reading them is far
// quicker than from_chars: the digits make an integer below 2^53, the decimals an exact power
// of ten, and one division rounds their quotient as from_chars rounds the text.
std::optional<double> ShortDecimal(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  const auto point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction = point == text.npos ? "" : text.substr(point + 1);
  const std::size_t count = whole.size() + fraction.size();
  if (count == 0 || count > 15) return std::nullopt;
  std::int64_t digits = 0;
  for (const std::string_view part : {whole, fraction}) {
    for (const char c : part) {
      if (c < '0' || c > '9') return std::nullopt;
      digits = digits * 10 + (c - '0');
    }
  }
  const double value = static_cast<double>(digits) / kExactPowersOfTen[fraction.size()];
  return negative ? -value : value;
}

// The number at the start of a text, 0 when it starts with none.
double LeadingNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (const auto value = ShortDecimal(text)) return *value;
  double value = 0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  return ec == std::errc() && std::isfinite(value) ? value : 0;
}

std::int32_t ClampedInt32(double value) {
  constexpr double kMin = std::numeric_limits<std::int32_t>::min();
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(std::trunc(value), kMin, kMax));
}

// What a number slot holds for a field text.
double ScatteredNumber(const FieldEntry& field, std::string_view text) {
  const double value = LeadingNumber(AllTrimView(text));
  return HasDecimals(field) ? value : ClampedInt32(value);
}

// The text of a whole number of units of the last decimal place, with `decimals` decimals.
std::size_t FixedPointText(std::int64_t units, int decimals, char* text) {
  char* out = text;
  if (units < 0) *out++ = '-';
  char digits[24];
  const auto magnitude = units < 0 ? 0 - static_cast<std::uint64_t>(units)
                                   : static_cast<std::uint64_t>(units);
  const auto count = static_cast<std::size_t>(
      std::to_chars(digits, digits + sizeof digits, magnitude).ptr - digits);
  const auto places = static_cast<std::size_t>(decimals);
  const std::size_t whole = count > places ? count - places : 0;
  if (whole == 0) *out++ = '0';
  out = std::copy_n(digits, whole, out);
  if (places > 0) {
    *out++ = '.';
    out = std::fill_n(out, places - (count - whole), '0');
    out = std::copy(digits + whole, digits + count, out);
  }
  return static_cast<std::size_t>(out - text);
}

// The text of a number with `decimals` decimals as to_chars writes it (rounding the exact
// value), into text; its length, 0 when it is no finite number below 1e300.
std::size_t NumberText(double value, int decimals, char (&text)[600]) {
  if (!std::isfinite(value) || std::fabs(value) >= 1e300) return 0;
  if (value == 0) value = 0;  // no "-0"
  // Most numbers are a whole number of units of the last decimal place, and writing that
  // integer is far quicker than to_chars. When value * 10^decimals comes out whole and below
  // 2^50, the exact product is within 1/16 of it, so to_chars rounds to the same digits.
  if (static_cast<std::size_t>(decimals) < kExactPowersOfTen.size()) {
    const double units = value * kExactPowersOfTen[decimals];
    if (std::fabs(units) < 0x1p50 && units == std::trunc(units))
      return FixedPointText(static_cast<std::int64_t>(units), decimals, text);
  }
  const auto [end, ec] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return ec == std::errc() ? static_cast<std::size_t>(end - text) : 0;
}

// The field text for a number, field.Length bytes into out: right-aligned with the field's
// decimals, or the field filled with '*' when it is wider than the field or no finite number.
std::string_view FormattedNumber(const FieldEntry& field, double value, char (&out)[255]) {
  char text[600];  // below 1e300 with up to 255 decimals
  const std::size_t length = NumberText(value, HasDecimals(field) ? field.Decimals : 0, text);
  if (length == 0 || length > field.Length) {
    std::fill_n(out, field.Length, '*');
  } else {
    const std::size_t pad = field.Length - length;
    std::fill_n(out, pad, ' ');
    std::copy_n(text, length, out + pad);
  }
  return {out, field.Length};
}

// A number text in one form for comparing values: sign, integer digits without leading zeros,
// and decimals without trailing zeros.
std::string CanonicalNumber(std::string_view text) {
  std::string sign;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    if (text.front() == '-') sign = "-";
    text.remove_prefix(1);
  }
  const auto point = text.find('.');
  std::string_view whole = text.substr(0, point);
  std::string_view fraction = point == std::string_view::npos ? "" : text.substr(point + 1);
  while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
  while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
  if (whole.empty() && fraction.empty()) return "0";
  return sign + std::string(whole) + "." + std::string(fraction);
}

// Whether the slot can hold a stored text's value so that gathering it back keeps the value:
// blank texts (blanks or NULs, gathered as 0) and numbers that come back alike; not text that
// is no number (such as a binary block number), integers beyond 32 bits or more digits than a
// double keeps.
bool SlotRepresents(const FieldEntry& field, std::string_view stored) {
  if (stored.find_first_not_of(std::string_view(" \0", 2)) == std::string_view::npos) return true;
  const std::string_view text = AllTrimView(stored);
  if (!WholeNumber(text)) return false;
  char formatted[255];
  const std::string_view back =
      AllTrimView(FormattedNumber(field, ScatteredNumber(field, text), formatted));
  return WholeNumber(back) && CanonicalNumber(back) == CanonicalNumber(text);
}

void GatherNumber(DbfTable& area, const FieldEntry& field, double value) {
  const std::string_view stored = FieldText(area, field);
  // A value the caller left alone keeps its stored text when the slot could not hold it.
  if (value == ScatteredNumber(field, stored) && !SlotRepresents(field, stored)) return;
  // Memo block 0 is no memo: a blank field, as other programs read it (not block 0, which is
  // the memo file's header).
  if (field.FieldType == 'M' && value == 0) {
    StoreField(area, field, "", ' ');
    return;
  }
  char formatted[255];
  StoreField(area, field, FormattedNumber(field, value, formatted), ' ');
}

// ---- Dates

bool IsBlankDateText(const std::string& text) {
  if (AllTrimView(text).empty()) return true;
  for (const char* picture : {"  /  /  ", "  /  /    ", "  -  -  ", "  -  -    ", "  .  .  ",
                              "  .  .    "}) {
    if (text == picture) return true;
  }
  return false;
}

// YYYYMMDD of a displayed date, or 8 blanks for a blank or invalid one.
std::string StoredDate(std::string_view typed) {
  if (auto stored = ShapedDateToYMD(typed)) return *std::move(stored);
  std::string text(typed);
  if (IsBlankDateText(text) || !IsValidDate(text)) return std::string(8, ' ');
  return DateToYMDString(text);
}

// The displayed text of a stored YYYYMMDD, the blank picture for a blank field.
std::string DisplayedDate(std::string_view stored) {
  if (auto shown = YMDToDateText(stored)) return *std::move(shown);
  std::string canonical = "  /  /  ";
  if (!AllTrimView(stored).empty() && stored.size() == 8) {
    const std::string_view year = stored.substr(0, 4);
    canonical = std::string(stored.substr(4, 2)) + "/" + std::string(stored.substr(6, 2)) + "/" +
                std::string(SetCenturyFlag ? year : year.substr(2));
  }
  CanonicalToDateText(canonical);
  return canonical;
}

}  // namespace

std::uint16_t TypedSlotSize(const FieldEntry& field) {
  switch (field.FieldType) {
    case 'C': return static_cast<std::uint16_t>(field.Length + 1);
    case 'D': return static_cast<std::uint16_t>(field.Length + 3);
    case 'N': case 'F': return field.Decimals > 0 ? 8 : 4;
    case 'L': return 1;
    case 'M': return 4;
    default: return 0;
  }
}

std::uint32_t TypedRecordSize(const DbfTable& area) {
  std::uint32_t size = 1;
  for (const auto& field : area.FieldTable) size += TypedSlotSize(field);
  return size;
}

void ScatterRecord(const DbfTable& area, std::span<std::uint8_t> typed) {
  if (typed.empty()) return;
  typed[0] = !area.RecordBuffer.empty() && area.RecordBuffer[0] == '*';
  std::size_t position = 1;
  for (const auto& field : area.FieldTable) {
    const std::size_t size = TypedSlotSize(field);
    if (position + size > typed.size()) break;
    std::uint8_t* slot = typed.data() + position;
    position += size;
    const std::string_view text = FieldText(area, field);
    switch (field.FieldType) {
      case 'C':
        PutSlotText(slot, size - 1, text);
        break;
      case 'D':
        PutSlotText(slot, std::min(size - 1, kDateRoom), DisplayedDate(text));
        break;
      case 'N': case 'F': case 'M':
        if (HasDecimals(field))
          PutSlotDouble(slot, ScatteredNumber(field, text));
        else
          PutSlotInt32(slot, static_cast<std::int32_t>(ScatteredNumber(field, text)));
        break;
      case 'L':
        *slot = !text.empty() && std::string_view("TtYy").find(text.front()) != text.npos;
        break;
      default:
        break;
    }
  }
}

void GatherRecord(DbfTable& area, std::span<const std::uint8_t> typed) {
  if (typed.empty() || area.RecordBuffer.empty()) return;
  area.RecordBuffer[0] = typed[0] ? '*' : ' ';
  std::size_t position = 1;
  for (const auto& field : area.FieldTable) {
    const std::size_t size = TypedSlotSize(field);
    if (position + size > typed.size()) break;
    const std::uint8_t* slot = typed.data() + position;
    position += size;
    switch (field.FieldType) {
      case 'C':
        StoreField(area, field, SlotText(slot, size - 1), ' ');
        break;
      case 'D':
        StoreField(area, field, StoredDate(SlotText(slot, std::min(size - 1, kDateRoom))), ' ');
        break;
      case 'N': case 'F': case 'M':
        GatherNumber(area, field, HasDecimals(field) ? GetSlotDouble(slot) : GetSlotInt32(slot));
        break;
      case 'L':
        StoreField(area, field, *slot ? "T" : "F", ' ');
        break;
      default:
        break;
    }
  }
}

}  // namespace xbase
