#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orlavo {

// Number handling for what a person types. A numeric text is an optional sign, digits with at
// most one decimal point (at least one digit), and an optional exponent, with blanks allowed
// around it. Every text that passes IsNumeric converts with TextToDouble.
bool IsNumeric(std::string_view text);
// Raises error 5 for a text that is not numeric.
double TextToDouble(std::string_view text);
// The nearest integer, the even one of two equally near; error 6 outside the 32-bit range.
std::int32_t RoundToInteger(double value);
std::int32_t TextToInteger(std::string_view text);
std::string IntegerToText(std::int64_t value);

}  // namespace orlavo
