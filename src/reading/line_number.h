#pragma once

#include <cstdint>
#include <string_view>

namespace orlavo {

// The line number a person types. A number is an optional sign, digits with at most one decimal
// mark (at least one digit), and an optional exponent, with blanks around it allowed. The decimal
// mark is the point, or the desktop's own (the comma of a German desktop): "2.6" and "2,6" are
// the same number there, whatever the C library's locale says.
bool IsNumeric(std::string_view text, std::string_view decimalMark);
// Raises error 5 for a text that is not numeric.
double TextToDouble(std::string_view text, std::string_view decimalMark);
// The nearest integer, the even one of two equally near; error 6 outside the 32-bit range.
std::int32_t RoundToInteger(double value);

}  // namespace orlavo
