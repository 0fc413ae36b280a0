#pragma once

// UTF-8 one character at a time, for code that counts, cuts or checks text without a Unicode
// library: the book decoder and language guess, the book list, the voices. In: bytes meant to be
// UTF-8, well-formed or not; out: where characters start, how long they are, what they say.
// The per-byte tests are inline: the decoder and the item reader call them for every byte of a
// book.

#include <cstddef>
#include <string_view>

namespace orlavo::utf8 {

// A byte that goes on with a character rather than starting one.
constexpr bool IsContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The characters of the text: the bytes that are not continuation bytes.
std::size_t CountCharacters(std::string_view text);

// Where the text is cut to keep its first `count` characters and no part of the next: the offset
// of the byte that starts character number `count` (from 0), or text.size() when there is none.
std::size_t CutAfterCharacters(std::string_view text, std::size_t count);

// The length of the well-formed UTF-8 sequence at the start of text (1 to 4), or 0 when it is not
// one: a stray continuation byte, a lead byte that starts nothing, an overlong form, a surrogate,
// a code point past U+10FFFF, or a character cut short. `text` must not be empty.
inline std::size_t SequenceLength(std::string_view text) {
    const auto at = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length || at(1) < low || at(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsContinuationByte(text[i])) {
            return 0;
        }
    }
    return length;
}

// The character at the start of `text` (not empty): its code point and its length in bytes, or
// length 0 when SequenceLength finds no well-formed character there.
struct Character {
    char32_t code = 0;
    std::size_t length = 0;
};
inline Character First(std::string_view text) {
    const std::size_t length = SequenceLength(text);
    if (length == 0) {
        return {};
    }
    const auto lead = static_cast<unsigned char>(text[0]);
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        code = (code << 6) | (static_cast<unsigned char>(text[k]) & 0x3F);
    }
    return {code, length};
}

// Calls `visit` with the code point of each well-formed character; every other byte is passed
// over.
template <typename Visit>
void ForEachCodePoint(std::string_view text, Visit&& visit) {
    std::size_t i = 0;
    while (i < text.size()) {
        const Character character = First(text.substr(i));
        if (character.length == 0) {
            ++i;
            continue;
        }
        visit(character.code);
        i += character.length;
    }
}

}  // namespace orlavo::utf8
