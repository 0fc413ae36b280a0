#include "reading/line_number.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "platform/runtime_error.h"
#include "platform/text/ascii.h"
#include "texts/program_texts.h"

namespace orlavo {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The text with the desktop's decimal mark written as a point, or nothing when it is not a
// number. Conversion never goes through the C library's locale.
bool Normalise(std::string_view text, std::string_view decimalMark, std::string& out) {
    text = ascii::TrimSpacesAndTabs(text);
    out.clear();
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') {
            out += '-';
        }
        ++i;
    }
    std::size_t digits = 0;
    bool mark = false;
    while (i < text.size()) {
        if (IsDigit(text[i])) {
            out += text[i++];
            ++digits;
        } else if (!mark && text[i] == '.') {
            out += '.';
            ++i;
            mark = true;
        } else if (!mark && !decimalMark.empty() && text.substr(i).starts_with(decimalMark)) {
            out += '.';
            i += decimalMark.size();
            mark = true;
        } else {
            break;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        out += text[i++];
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            out += text[i++];
        }
        std::size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) {
            out += text[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == text.size();
}

}  // namespace

bool IsNumeric(std::string_view text, std::string_view decimalMark) {
    std::string normal;
    return Normalise(text, decimalMark, normal);
}

double TextToDouble(std::string_view text, std::string_view decimalMark) {
    std::string normal;
    if (!Normalise(text, decimalMark, normal)) {
        throw RuntimeError(kInvalidArgument, NotANumberText(std::string(text)));
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Beyond a double: a tiny number is 0, a huge one lies past every limit on its side.
        const bool tiny =
            normal.find("e-") != std::string::npos || normal.find("E-") != std::string::npos;
        const double huge = std::numeric_limits<double>::infinity();
        return tiny ? 0.0 : normal.front() == '-' ? -huge : huge;
    }
    (void)end;
    return value;
}

std::int32_t RoundToInteger(double value) {
    const double rounded = std::nearbyint(value);  // the default rounding mode is half to even
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max()) {
        throw RuntimeError(kOverflow, kOverflowText);
    }
    return static_cast<std::int32_t>(rounded);
}

}  // namespace orlavo
