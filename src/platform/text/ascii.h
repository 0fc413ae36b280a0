#pragma once

// Blanks and letter case of the ASCII range, for code that reads text a program or a person
// typed: numbers, language codes, configuration files, book items. Each test is named after the
// blanks it means, since the callers mean different ones. None of these follows the C library's
// locale, which the window toolkit sets from the desktop: language codes and configuration
// keywords are ASCII whatever language the desktop speaks.

#include <string>
#include <string_view>

namespace orlavo::ascii {

// The blanks that pad an item or a number on a line.
constexpr bool IsSpaceOrTab(char c) {
    return c == ' ' || c == '\t';
}

// A-Z and a-z.
constexpr bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The C locale's white space: space, tab, line feed, carriage return, vertical tab, form feed.
constexpr bool IsWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Whether the text is empty or white space (IsWhitespace) alone.
bool IsAllWhitespace(std::string_view text);

// The text without the spaces and tabs at either end.
std::string_view TrimSpacesAndTabs(std::string_view text);

// The text with A-Z made a-z (Lowercase) or a-z made A-Z (Uppercase); every other byte as it is.
std::string Lowercase(std::string_view text);
std::string Uppercase(std::string_view text);

}  // namespace orlavo::ascii
