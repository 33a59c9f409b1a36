#pragma once
// One field of the current area's typed record as text, for programs that fill and read typed
// records from text (the peer program of the sharing tests, the benchmark).
//   C  the text (at most the field's length); D  the date text of the slot
//   N, F  the number ("12.5", "-3"); L  "T" or "F"; M  the block number

#include <string>
#include <string_view>

namespace xbase {

// "" for a field number that names no field.
std::string TypedFieldText(int field);

// Stores the text in the field's slot; nothing for a field number that names no field.
void SetTypedFieldText(int field, std::string_view text);

}  // namespace xbase
