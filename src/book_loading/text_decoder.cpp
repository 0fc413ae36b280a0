#include "book_loading/text_decoder.h"

#include "book_loading/byte_scan.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

namespace orlavo {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; zero marks the five undefined bytes.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at the start of text, or 0 when it is not one.
std::size_t SequenceLength(std::string_view text) {
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
        if (!IsContinuation(at(i))) {
            return 0;
        }
    }
    return length;
}

bool IsKeptControl(unsigned char byte) {
    return byte == '\t' || byte == '\n' || byte == '\r';
}

bool IsBlankedControl(unsigned char byte) {
    return (byte < 0x20 && !IsKeptControl(byte)) || byte == 0x7F;
}

struct Utf8Scan {
    bool valid = true;
    bool hasControls = false;  // any control character to blank
};

Utf8Scan ScanUtf8(std::string_view text) {
    Utf8Scan scan;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.size() - i >= 8) {
            const std::uint64_t word = byte_scan::Load(text.data() + i);
            if ((word & byte_scan::kHighBits) == 0) {  // eight ASCII characters
                const std::uint64_t kept = byte_scan::Matches(word, '\t') |
                                           byte_scan::Matches(word, '\n') |
                                           byte_scan::Matches(word, '\r');
                if (((byte_scan::BelowSpace(word) & ~kept) | byte_scan::Matches(word, 0x7F)) != 0) {
                    scan.hasControls = true;
                }
                i += 8;
                continue;
            }
        }
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            scan.hasControls = scan.hasControls || IsBlankedControl(byte);
            ++i;
            continue;
        }
        const std::size_t length = SequenceLength(text.substr(i));
        if (length == 0) {
            scan.valid = false;
            return scan;
        }
        if (byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            scan.hasControls = true;
        }
        i += length;
    }
    return scan;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// UTF-8 from a file that says it is UTF-8 but breaks its word: each bad byte becomes U+FFFD.
std::string RepairUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = SequenceLength(text.substr(i));
        if (length == 0) {
            AppendUtf8(out, kReplacement);
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

std::string FromUtf16(std::string_view bytes, bool bigEndian) {
    const auto unit = [&bytes, bigEndian](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    std::size_t i = 0;
    while (i + 1 < bytes.size()) {
        const char16_t code = unit(i);
        i += 2;
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < bytes.size()) {
            const char16_t low = unit(i);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                i += 2;
                AppendUtf8(out, 0x10000 + ((char32_t{code} - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
        }
        const bool lonelySurrogate = code >= 0xD800 && code <= 0xDFFF;
        AppendUtf8(out, lonelySurrogate ? kReplacement : char32_t{code});
    }
    if (i < bytes.size()) {  // half a character at the end
        AppendUtf8(out, kReplacement);
    }
    return out;
}

std::string FromWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out.push_back(c);
        } else if (byte < 0xA0) {
            const char16_t code = kWindows1252High[byte - 0x80];
            AppendUtf8(out, code == 0 ? kReplacement : char32_t{code});
        } else {
            AppendUtf8(out, byte);
        }
    }
    return out;
}

// Replaces control characters by spaces, in place: a C1 character (two bytes in UTF-8) becomes
// one space, so the text never grows and can be rewritten over itself.
void BlankControls(std::string& text) {
    const std::size_t size = text.size();
    std::size_t read = 0;
    std::size_t write = 0;
    while (read < size) {
        const auto byte = static_cast<unsigned char>(text[read]);
        if (IsBlankedControl(byte)) {
            text[write++] = ' ';
            ++read;
        } else if (byte == 0xC2 && read + 1 < size &&
                   static_cast<unsigned char>(text[read + 1]) < 0xA0) {
            text[write++] = ' ';
            read += 2;
        } else {
            text[write++] = text[read++];
        }
    }
    text.resize(write);
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string DecodeBookText(std::string bytes) {
    const std::string_view view(bytes);
    std::string text;
    bool blank = true;
    if (StartsWith(view, "\xEF\xBB\xBF")) {
        const Utf8Scan scan = ScanUtf8(view.substr(3));
        if (scan.valid) {
            bytes.erase(0, 3);
            text = std::move(bytes);
            blank = scan.hasControls;
        } else {
            text = RepairUtf8(view.substr(3));
        }
    } else if (StartsWith(view, "\xFF\xFE")) {
        text = FromUtf16(view.substr(2), false);
    } else if (StartsWith(view, "\xFE\xFF")) {
        text = FromUtf16(view.substr(2), true);
    } else if (const Utf8Scan scan = ScanUtf8(view); scan.valid) {
        text = std::move(bytes);
        blank = scan.hasControls;
    } else {
        text = FromWindows1252(view);
    }
    if (blank) {
        BlankControls(text);
    }
    return text;
}

}  // namespace orlavo
