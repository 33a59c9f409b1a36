// Keys of the orders: the current record's key, the key of a search text, and the key as text
// for the hook slots that show it.

#include <bit>
#include <charconv>
#include <cstring>

#include "platform/os/CodePage850.h"
#include "xbase/core/ovutils.h"
#include "xbase/expr/ovparser.h"
#include "xbase/index/ovndxInternal.h"
#include "xbase/index/ovndxlow.h"

namespace xbase {

static_assert(std::endian::native == std::endian::little,
              "numeric keys are stored as the machine's doubles, which must be little-endian");

namespace ndx {

namespace {

// Text bytes into a C key: translated to OEM for OEM tables, cut to `count` and blank-padded to
// the key length.
void PutCharKey(const OrderDescriptor& order, std::string_view text, bool oem, KeyBytes& key,
                std::size_t padTo) {
  const std::size_t count = std::min<std::size_t>(text.size(), order.KeyLength());
  for (std::size_t i = 0; i < count; ++i) {
    const auto byte = static_cast<std::uint8_t>(text[i]);
    key[i] = oem ? platform::os::AnsiToOem(byte) : byte;
  }
  const std::size_t padded = std::max(count, std::min<std::size_t>(padTo, order.KeyLength()));
  std::memset(key.data() + count, ' ', padded - count);
  std::memset(key.data() + padded, 0, key.size() - padded);
}

void PutNumberKey(double number, KeyBytes& key) {
  key.fill(0);
  std::memcpy(key.data(), &number, sizeof number);
}

void InvertKey(KeyBytes& key, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) key[i] = static_cast<std::uint8_t>(~key[i]);
}

bool OemTable(const OrderDescriptor& order) {
  const WorkAreaRecord* table = WorkArea(order.AreaNumber);
  return table != nullptr && table->OemTranslate;
}

// The key maker's text for the current record.
const std::string& KeyMakerText(OrderDescriptor& order) {
  order.KeyMakerText.clear();
  if (order.KeyMaker) order.KeyMaker(order.KeyMakerArg, order.OrderNumber, order.KeyMakerText);
  return order.KeyMakerText;
}

// The value of a number text ("1.5", "-3", "1,234.5" with the separators in force); 0 when it
// holds no number.
double NumberOfText(std::string_view text) {
  std::string normalized(text);
  NormalizeNumberText(normalized);
  double value = 0;
  std::from_chars(normalized.data(), normalized.data() + normalized.size(), value);
  return value;
}

}  // namespace

std::size_t SearchKey(const OrderDescriptor& order, std::string_view text, KeyBytes& key) {
  const std::uint16_t keyLength = order.KeyLength();
  const bool oem = OemTable(order);
  if (!order.KeyFunction) {
    std::string made(text);
    if (order.SoundexKeys) made = Soundex(oem ? platform::os::AnsiToOem(made) : made);
    PutCharKey(order, made, oem && !order.SoundexKeys, key, NearMatch ? keyLength : 0);
    const std::size_t length = NearMatch ? keyLength : std::min<std::size_t>(made.size(), keyLength);
    if (order.DescendingKeys) InvertKey(key, length);
    return length;
  }
  switch (order.Header.KeyType) {
    case 'C':
      PutCharKey(order, text, oem, key, NearMatch ? keyLength : 0);
      return NearMatch ? keyLength : std::min<std::size_t>(text.size(), keyLength);
    case 'D':
      PutNumberKey(DateTextToJulian(AllTrimView(text)), key);
      return keyLength;
    default:
      PutNumberKey(NumberOfText(text), key);
      return keyLength;
  }
}

std::string KeyForMessage(const OrderDescriptor& order, const KeyBytes& key) {
  if (order.CharacterKey)
    return RTrimStr(std::string_view(reinterpret_cast<const char*>(key.data()), order.KeyLength()));
  double number;
  std::memcpy(&number, key.data(), sizeof number);
  if (order.Header.KeyType == 'D') return JulianToDateText(number);
  return AllTrim(StrFloat(number, order.NumberWidth, order.NumberDecimals));
}

}  // namespace ndx

using namespace ndx;

void MakeOrderKey(OrderDescriptor& order, KeyBytes& key) {
  const bool oem = OemTable(order);
  if (order.KeyFunction) {
    const KeyValue value = order.KeyFunction(order);
    if (order.CharacterKey)
      PutCharKey(order, value.Text, oem, key, order.KeyLength());
    else
      PutNumberKey(value.Number, key);
    return;
  }
  const std::string& text = KeyMakerText(order);
  if (order.SoundexKeys) {
    PutCharKey(order, Soundex(oem ? platform::os::AnsiToOem(text) : text), false, key, order.KeyLength());
  } else {
    PutCharKey(order, text, oem, key, order.KeyLength());
  }
  if (order.DescendingKeys) InvertKey(key, order.KeyLength());
}

bool UseCompiledKey(OrderDescriptor& order, CompiledExpr* key) {
  const char type = key->ResultType;
  if (type != 'C' && type != 'D' && type != 'N') return false;
  if (type != 'C' && order.Header.KeyLength != NumericKeyLength) return false;
  order.CompiledKey = key;
  order.KeyFunction = EvaluateOrderKey;
  order.Header.KeyType = type;
  order.CharacterKey = type == 'C';
  order.Comparator = order.CharacterKey ? CompareCharKey : CompareNumericKey;
  order.NumberWidth = key->ResultWidth;
  order.NumberDecimals = key->ResultDecimals;
  return true;
}

KeyValue EvaluateOrderKey(OrderDescriptor& order) {
  const void* result = ExprHookTable.Evaluate ? ExprHookTable.Evaluate(order.CompiledKey) : nullptr;
  if (result == nullptr) return {};
  if (order.CompiledKey->ResultType == 'C') return {static_cast<const char*>(result), 0};
  return {{}, *static_cast<const double*>(result)};
}

KeyTextFunction OrderKeyText(std::uint8_t slot) {
  const OrderDescriptor* order = OrderInSlot(slot);
  if (order == nullptr) return {};
  return [area = CurrentWorkArea, id = order->Id]() -> std::string {
    for (auto& candidate : AreaIndexOf(area).OrderTable) {
      if (candidate == nullptr || candidate->Id != id) continue;
      Restore<std::uint8_t> current(CurrentWorkArea, area);
      OrderDescriptor& order = *candidate;
      if (!order.KeyFunction) return KeyMakerText(order);
      const KeyValue value = order.KeyFunction(order);
      switch (order.Header.KeyType) {
        case 'C':
          return std::string(value.Text);
        case 'D':
          return JulianToDateText(value.Number);
        default:
          return StrFloat(value.Number, order.NumberWidth, order.NumberDecimals);
      }
    }
    return {};
  };
}

}  // namespace xbase
