#pragma once
// The text of a memo field in a table record: the number of the memo's first block as decimal
// digits, right-aligned and blank-padded; blanks or 0 mean no memo. A negative number names a
// memo that carries a group header in a dBase III memo file.

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "xbase/core/ovutils.h"

namespace xbase {

// The block a field's text names; 0 for blanks and for text that is no number.
inline std::int32_t MemoBlockOfField(std::string_view text) {
  text = AllTrimView(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int32_t block = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), block);
  return error == std::errc() && end == text.data() + text.size() ? block : 0;
}

// The text a field of `width` characters stores for a block: blanks for 0.
inline std::string MemoFieldText(std::int32_t block, std::size_t width = 10) {
  std::string digits = block == 0 ? std::string() : std::to_string(block);
  if (digits.size() < width) digits.insert(0, width - digits.size(), ' ');
  return digits;
}

}  // namespace xbase
