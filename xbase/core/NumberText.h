#pragma once
// Numbers as table fields store them, in the "C" form whatever DecimalPoint says: an optional
// sign, digits and at most one '.', read also with an exponent after them (as other programs
// may store floats), written without. Scans and expressions read and write such texts at every
// record, so both ways avoid temporary texts and take a quick path for the usual short numbers.

#include <cstddef>
#include <string_view>

namespace xbase {

// The number at the start of a text ([+|-]digits[.digits] or .digits, then optionally E or e,
// a sign and digits), 0 when the text starts with none or its value is beyond a double's
// range; always finite. Blanks in front are not skipped.
double LeadingNumber(std::string_view text);

// The text of a number with `decimals` (0 to 255) decimals, into text: the exact value rounded
// to the nearer text, and away from zero when it lies exactly half-way (2.5 gives "3", 0.125
// with 2 decimals "0.13"), as dBase rounds; its length, 0 when it is no finite number below
// 1e300. Never "-0": what rounds to zero has no sign.
std::size_t NumberText(double value, int decimals, char (&text)[600]);

}  // namespace xbase
