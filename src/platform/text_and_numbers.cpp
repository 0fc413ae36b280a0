#include "platform/text_and_numbers.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/runtime_error.h"

namespace orlavo {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool IsNumeric(std::string_view text) {
    text = TrimBlanks(text);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        std::size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == text.size();
}

double TextToDouble(std::string_view text) {
    if (!IsNumeric(text)) {
        throw RuntimeError(kInvalidArgument, "\"" + std::string(text) + "\" is not a number");
    }
    // strtod is locale-dependent; the program keeps the C locale for numbers, and the text has
    // been checked to hold only the characters above, so the conversion cannot stop early.
    const std::string copy(TrimBlanks(text));
    return std::strtod(copy.c_str(), nullptr);
}

std::int32_t RoundToInteger(double value) {
    const double rounded = std::nearbyint(value);  // the default rounding mode is half to even
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max()) {
        throw RuntimeError(kOverflow, "Overflow");
    }
    return static_cast<std::int32_t>(rounded);
}

std::int32_t TextToInteger(std::string_view text) {
    return RoundToInteger(TextToDouble(text));
}

std::string IntegerToText(std::int64_t value) {
    return std::to_string(value);
}

}  // namespace orlavo
