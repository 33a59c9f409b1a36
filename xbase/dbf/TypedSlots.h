#pragma once
// Reading and writing the slots of a typed record (layout in ovdbflow.h): packed and unaligned,
// so every access goes through bytes.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "xbase/core/ByteOrder.h"

namespace xbase {

// A length-prefixed text slot with room for `room` characters; a length byte beyond the room
// counts as the room.
inline std::string_view SlotText(const std::uint8_t* slot, std::size_t room) {
  const std::size_t length = std::min<std::size_t>(slot[0], room);
  return {reinterpret_cast<const char*>(slot + 1), length};
}

// The same as a copy.
inline std::string GetSlotText(const std::uint8_t* slot, std::size_t room) {
  return std::string(SlotText(slot, room));
}

// Stores at most `room` characters of text and zeroes the rest of the slot.
inline void PutSlotText(std::uint8_t* slot, std::size_t room, std::string_view text) {
  const std::size_t length = std::min(text.size(), room);
  slot[0] = static_cast<std::uint8_t>(length);
  // memmove is a call, which for these short copies beats the string instruction that the
  // compiler puts in place of a memcpy of a length it knows to be small.
  std::memmove(slot + 1, text.data(), length);
  std::memset(slot + 1 + length, 0, room - length);
}

inline std::int32_t GetSlotInt32(const std::uint8_t* slot) {
  return static_cast<std::int32_t>(GetLE32(slot));
}

inline void PutSlotInt32(std::uint8_t* slot, std::int32_t value) {
  PutLE32(slot, static_cast<std::uint32_t>(value));
}

inline double GetSlotDouble(const std::uint8_t* slot) {
  const std::uint64_t bits = GetLE32(slot) | static_cast<std::uint64_t>(GetLE32(slot + 4)) << 32;
  return std::bit_cast<double>(bits);
}

inline void PutSlotDouble(std::uint8_t* slot, double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  PutLE32(slot, static_cast<std::uint32_t>(bits));
  PutLE32(slot + 4, static_cast<std::uint32_t>(bits >> 32));
}

}  // namespace xbase
