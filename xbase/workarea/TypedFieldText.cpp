#include "xbase/workarea/TypedFieldText.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "xbase/dbf/ovdbflow.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {
namespace {

struct Slot {
  std::uint8_t* address;
  FieldEntry field;
};

std::optional<Slot> SlotOf(int n) {
  if (n < 1 || n > FieldCount()) return std::nullopt;
  const WorkAreaRecord* area = WorkArea(CurrentWorkArea);
  return Slot{FieldAddress(n), area->FieldTable[n - 1]};
}

template <typename T>
T Load(const std::uint8_t* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

template <typename T>
void Store(std::uint8_t* at, T value) {
  std::memcpy(at, &value, sizeof value);
}

bool HasDoubleSlot(const FieldEntry& field) {
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
      return std::string(reinterpret_cast<const char*>(at + 1), at[0]);
    case 'L':
      return at[0] != 0 ? "T" : "F";
    case 'N':
    case 'F':
      if (HasDoubleSlot(slot->field)) {
        char digits[64];
        const auto end = std::to_chars(digits, digits + sizeof digits, Load<double>(at)).ptr;
        return std::string(digits, end);
      }
      return std::to_string(Load<std::int32_t>(at));
    case 'M':
      return std::to_string(Load<std::int32_t>(at));
    default:
      return {};
  }
}

void SetTypedFieldText(int n, std::string_view text) {
  const auto slot = SlotOf(n);
  if (!slot) return;
  std::uint8_t* at = slot->address;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  switch (slot->field.FieldType) {
    case 'C':
    case 'D': {
      const std::size_t room = TypedSlotSize(slot->field) - 1;
      const std::size_t length = std::min(text.size(), room);
      at[0] = static_cast<std::uint8_t>(length);
      std::memcpy(at + 1, text.data(), length);
      break;
    }
    case 'L':
      at[0] = !text.empty() && std::string_view("TtYy").find(text[0]) != std::string_view::npos;
      break;
    case 'N':
    case 'F':
      if (HasDoubleSlot(slot->field)) {
        double value = 0;
        std::from_chars(first, last, value);
        Store(at, value);
        break;
      }
      [[fallthrough]];
    case 'M': {
      std::int32_t value = 0;
      std::from_chars(first, last, value);
      Store(at, value);
      break;
    }
    default:
      break;
  }
}

}  // namespace xbase
