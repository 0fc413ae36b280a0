#include "platform/text/ascii.h"

#include <algorithm>

namespace orlavo::ascii {
namespace {

// The text with the 26 letters from `first` on written from `to` on instead.
std::string ShiftCase(std::string_view text, char first, char to) {
    std::string result(text);
    for (char& c : result) {
        if (c >= first && c < first + 26) {
            c = static_cast<char>(c - first + to);
        }
    }
    return result;
}

}  // namespace

bool IsAllWhitespace(std::string_view text) {
    return std::all_of(text.begin(), text.end(), IsWhitespace);
}

std::string_view TrimSpacesAndTabs(std::string_view text) {
    while (!text.empty() && IsSpaceOrTab(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpaceOrTab(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string Lowercase(std::string_view text) {
    return ShiftCase(text, 'A', 'a');
}

std::string Uppercase(std::string_view text) {
    return ShiftCase(text, 'a', 'A');
}

}  // namespace orlavo::ascii
