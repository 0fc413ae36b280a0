#pragma once

// The decoder's second half: the encodings uchardet names and iconv decodes, from Windows-1252 to
// Shift_JIS, and UTF-16/32 once their byte order is known. text_decoder.cpp, which tells UTF-8 and
// UTF-16 by hand and picks the encoding, calls it; the few rules both halves keep are here too.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime_error.h"
#include "platform/text/line_end.h"
#include "text_decoding/text_decoder.h"
#include "texts/program_texts.h"

namespace orlavo::text_decoding {

inline constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Tab, CR and LF shape the book's items; every other control character becomes a space.
constexpr bool IsKeptControl(unsigned char byte) {
    return byte == '\t' || byte == line_end::kLineFeed || byte == line_end::kCarriageReturn;
}

constexpr bool IsBlankedControl(unsigned char byte) {
    return (byte < 0x20 && !IsKeptControl(byte)) || byte == 0x7F;
}

// A C1 control character (U+0080..U+009F) is two bytes in UTF-8.
constexpr bool IsUtf8C1Control(unsigned char lead, unsigned char next) {
    return lead == 0xC2 && next < 0xA0;
}

inline void RefuseIfTooLarge(std::size_t decodedSize, const MemoryCheck& reserve) {
    if (decodedSize > kLargestDecodedText) {
        throw RuntimeError(kFileCannotBeRead, TextTooLargeText(kLargestDecodedText >> 30));
    }
    if (reserve) {
        reserve(decodedSize);
    }
}

struct Decoded {
    std::string text;
    bool blanked = false;  // control characters already became spaces
    std::string charset = "UTF-8";
};

// `bytes` in `charset`, `unit` bytes a code unit (1 for a legacy encoding, 2 for UTF-16, 4 for
// UTF-32), as UTF-8 through iconv; Windows-1252 when iconv knows no such charset.
Decoded Convert(std::string_view bytes, const char* charset, std::size_t unit,
                const MemoryCheck& reserve = {});

// The encoding uchardet finds in a book that is not UTF-8, by the name of the wider form iconv
// decodes it with. The first piece starts at the first non-ASCII byte, since a book often opens
// with pages of plain ASCII that say nothing of its encoding; the others are spread over the rest.
std::string DetectCharset(std::string_view bytes, std::size_t firstNonAscii);

// A 7-bit file is read as UTF-8 unless it switches character sets with ISO-2022 escapes (ESC $ B,
// ESC ( B, ESC $ ) C with SO and SI, ...): Japanese and Korean mail and old books were written so,
// and read as UTF-8 they would show as Latin letters and spaces. uchardet tells which ISO-2022
// from the start of the escapes on; anything else with an ESC in it stays UTF-8. The ISO-2022
// charset of such a file, or nothing.
std::optional<std::string> Iso2022Charset(std::string_view text);

}  // namespace orlavo::text_decoding
