#include "xbase/workarea/TypedFieldText.h"

#include <charconv>
#include <cstdint>
#include <optional>

#include "xbase/dbf/TypedSlots.h"
#include "xbase/dbf/ovdbflow.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {
namespace {

struct Slot {
  std::uint8_t* address;
  const FieldEntry& field;
};

std::optional<Slot> SlotOf(int n) {
  if (n < 1 || n > FieldCount()) return std::nullopt;
  return Slot{FieldAddress(n), WorkArea(CurrentWorkArea)->FieldTable[n - 1]};
}

bool HoldsDouble(const FieldEntry& field) {
  return (field.FieldType == 'N' || field.FieldType == 'F') && field.Decimals > 0;
}

}  // namespace

std::string TypedFieldText(int n) {
  const auto slot = SlotOf(n);
  if (!slot) return {};
  const std::uint8_t* at = slot->address;
  switch (slot->field.FieldType) {
    case 'C':
    case 'D':
      return GetSlotText(at, TypedSlotSize(slot->field) - 1);
    case 'L':
      return at[0] != 0 ? "T" : "F";
    case 'N':
    case 'F':
    case 'M':
      if (HoldsDouble(slot->field)) {
        char digits[64];
        return std::string(digits, std::to_chars(digits, digits + sizeof digits, GetSlotDouble(at)).ptr);
      }
      return std::to_string(GetSlotInt32(at));
    default:
      return {};
  }
}

void SetTypedFieldText(int n, std::string_view text) {
  const auto slot = SlotOf(n);
  if (!slot) return;
  std::uint8_t* at = slot->address;
  switch (slot->field.FieldType) {
    case 'C':
    case 'D':
      PutSlotText(at, TypedSlotSize(slot->field) - 1, text);
      break;
    case 'L':
      at[0] = !text.empty() && std::string_view("TtYy").find(text[0]) != std::string_view::npos;
      break;
    case 'N':
    case 'F':
    case 'M':
      if (HoldsDouble(slot->field)) {
        double value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        PutSlotDouble(at, value);
      } else {
        std::int32_t value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        PutSlotInt32(at, value);
      }
      break;
    default:
      break;
  }
}

}  // namespace xbase
