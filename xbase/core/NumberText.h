#pragma once
// Numbers as table fields store them, in the "C" form whatever DecimalPoint says: an optional
// sign, digits and at most one '.', no exponent. Scans and expressions read and write such
// texts at every record, so both ways avoid temporary texts and take a quick path for the
// usual short numbers.

#include <cstddef>
#include <string_view>

namespace xbase {

// The number at the start of a text ([+|-]digits[.digits] or .digits), 0 when the text starts
// with none; always finite. Blanks in front are not skipped.
double LeadingNumber(std::string_view text);

// The text of a number with `decimals` (0 to 255) decimals as to_chars writes it (rounding the
// exact value), into text; its length, 0 when it is no finite number below 1e300. Never "-0".
std::size_t NumberText(double value, int decimals, char (&text)[600]);

}  // namespace xbase
