#include "platform/text/words.h"

#include "platform/text/utf8.h"

namespace orlavo::words {
namespace {

// A malformed byte counts as a letter of its own.
utf8::Character At(std::string_view text, std::size_t at) {
    const utf8::Character character = utf8::First(text.substr(at));
    return character.length > 0 ? character : utf8::Character{0xFFFD, 1};
}

bool In(char32_t code, char32_t first, char32_t last) {
    return code >= first && code <= last;
}

bool IsBlank(char32_t code) {
    return code <= 0x20 || code == 0x7F || code == 0xA0 || In(code, 0x2000, 0x200B) ||
           code == 0x2028 || code == 0x2029 || code == 0x202F || code == 0x3000;
}

// Signs around words: ASCII's, Latin-1's, the general punctuation block, CJK and full-width
// punctuation.
bool IsPunctuation(char32_t code) {
    return In(code, 0x21, 0x2F) || In(code, 0x3A, 0x40) || In(code, 0x5B, 0x60) ||
           In(code, 0x7B, 0x7E) || In(code, 0xA1, 0xBF) || In(code, 0x2010, 0x2027) ||
           In(code, 0x2030, 0x205E) || In(code, 0x3001, 0x3003) || In(code, 0x3008, 0x3011) ||
           In(code, 0x3014, 0x301F) || In(code, 0xFF01, 0xFF0F) || In(code, 0xFF1A, 0xFF20) ||
           In(code, 0xFF3B, 0xFF40) || In(code, 0xFF5B, 0xFF65);
}

// Han ideographs and kana: each one is read, and marked, as a word of its own.
bool StandsAlone(char32_t code) {
    return In(code, 0x3040, 0x30FF) || In(code, 0x3400, 0x4DBF) || In(code, 0x4E00, 0x9FFF) ||
           In(code, 0xF900, 0xFAFF) || In(code, 0x20000, 0x3FFFF);
}

}  // namespace

std::size_t NextStart(std::string_view text, std::size_t from) {
    for (std::size_t at = from; at < text.size();) {
        const utf8::Character character = At(text, at);
        if (!IsBlank(character.code) && !IsPunctuation(character.code)) {
            return at;
        }
        at += character.length;
    }
    return text.size();
}

std::size_t End(std::string_view text, std::size_t begin) {
    // Up to the next blank, without the signs that close the word there ("Jerry>," is "Jerry").
    std::size_t at = begin;
    std::size_t end = begin;
    while (at < text.size()) {
        const utf8::Character character = At(text, at);
        if (IsBlank(character.code) || (at > begin && StandsAlone(character.code))) {
            break;
        }
        at += character.length;
        if (!IsPunctuation(character.code) || end == begin) {
            end = at;
        }
        if (StandsAlone(character.code)) {
            break;
        }
    }
    return end;
}

}  // namespace orlavo::words
