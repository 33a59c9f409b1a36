// Typed records: the caller's fixed image of a record, scattered from and gathered into the
// raw record buffer. Numbers are read and written in the "C" form whatever the locale.

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "xbase/core/NumberText.h"
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

// The displayed text of a stored YYYYMMDD written at text (room for kDateRoom), the blank
// picture for a blank field; its length.
std::size_t DisplayedDate(std::string_view stored, char* text) {
  if (const std::size_t length = YMDToDateText(stored, text)) return length;
  std::string canonical = "  /  /  ";
  if (!AllTrimView(stored).empty() && stored.size() == 8) {
    const std::string_view year = stored.substr(0, 4);
    canonical = std::string(stored.substr(4, 2)) + "/" + std::string(stored.substr(6, 2)) + "/" +
                std::string(SetCenturyFlag ? year : year.substr(2));
  }
  CanonicalToDateText(canonical);
  const std::size_t length = std::min(canonical.size(), kDateRoom);
  std::copy_n(canonical.begin(), length, text);
  return length;
}

// A logical field's stored character means true.
bool IsTrueLetter(char c) { return c == 'T' || c == 't' || c == 'Y' || c == 'y'; }

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
      case 'D': {
        // Straight into the slot, which has room for every layout: a date field is 8 long
        // (OpenDbf refuses others).
        if (size - 1 < kDateRoom) break;
        const std::size_t length = DisplayedDate(text, reinterpret_cast<char*>(slot + 1));
        slot[0] = static_cast<std::uint8_t>(length);
        std::fill(slot + 1 + length, slot + size, 0);
        break;
      }
      case 'N': case 'F': case 'M':
        if (HasDecimals(field))
          PutSlotDouble(slot, ScatteredNumber(field, text));
        else
          PutSlotInt32(slot, static_cast<std::int32_t>(ScatteredNumber(field, text)));
        break;
      case 'L':
        *slot = !text.empty() && IsTrueLetter(text.front());
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
