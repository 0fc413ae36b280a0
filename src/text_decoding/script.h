#pragma once

// Which writing system a character belongs to: the decoder's second opinion checks that each word
// keeps to one.

namespace orlavo {

// kNone first: everything that is not a letter.
enum class Script {
    kNone,
    kLatin,
    kGreek,
    kCyrillic,
    kArmenian,
    kHebrew,
    kThai,
    kGeorgian,
    kKana,
    kHangul,
    kHan,
    kOther
};

constexpr Script ScriptOf(char32_t code) {
    const auto in = [code](char32_t first, char32_t last) { return code >= first && code <= last; };
    if (in('A', 'Z') || in('a', 'z') || (in(0xC0, 0x24F) && code != 0xD7 && code != 0xF7)) {
        return Script::kLatin;
    }
    if (in(0x370, 0x3FF) || in(0x1F00, 0x1FFF)) {
        return Script::kGreek;
    }
    if (in(0x400, 0x52F)) {
        return Script::kCyrillic;
    }
    if (in(0x531, 0x587)) {
        return Script::kArmenian;
    }
    if (in(0x5D0, 0x5EA)) {
        return Script::kHebrew;
    }
    if (in(0xE01, 0xE4E)) {
        return Script::kThai;
    }
    if (in(0x10A0, 0x10FF)) {
        return Script::kGeorgian;
    }
    if (in(0x3041, 0x30FF) || in(0x31F0, 0x31FF) || in(0xFF66, 0xFF9D)) {
        return Script::kKana;
    }
    if (in(0xAC00, 0xD7A3) || in(0x1100, 0x11FF) || in(0x3131, 0x318E)) {
        return Script::kHangul;
    }
    if (in(0x3400, 0x4DBF) || in(0x4E00, 0x9FFF) || in(0xF900, 0xFAFF) || in(0x20000, 0x2FFFF)) {
        return Script::kHan;
    }
    // Other alphabets (Arabic, Hebrew, Indic, Thai, ...), leaving out combining marks,
    // punctuation, symbols, CJK punctuation, private use, specials and emoji.
    if (in(0x530, 0x1FFF) || in(0xA000, 0xD7FF) || in(0x10000, 0x1EFFF)) {
        return Script::kOther;
    }
    return Script::kNone;
}

}  // namespace orlavo
