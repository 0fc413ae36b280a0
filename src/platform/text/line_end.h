#pragma once

// Where a line of a book ends: at LF, at CR, or at CR LF, which is one line end. Books come from
// Unix, from Windows and from old Macs, and each of them ends its lines its own way. The item
// reader cuts items at these bytes, the decoder keeps them when it blanks other control
// characters, and the encoding guess starts and stops its samples at them. The tests are inline
// and come one byte, eight bytes or sixteen bytes at a time: each of them looks at every byte of
// a book.

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text_decoding/byte_scan.h"

namespace orlavo::line_end {

inline constexpr char kLineFeed = '\n';
inline constexpr char kCarriageReturn = '\r';

constexpr bool IsLineEnd(char c) {
    return c == kLineFeed || c == kCarriageReturn;
}

// 0x80 in each byte of `word` that ends a line, 0 in every other byte.
inline std::uint64_t Matches(std::uint64_t word) {
    return byte_scan::Matches(word, kLineFeed) | byte_scan::Matches(word, kCarriageReturn);
}

#if defined(__SSE2__)
// 0xFF in each of the sixteen bytes that ends a line, 0 in every other byte.
inline __m128i Matches(__m128i bytes) {
    return _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(kLineFeed)),
                        _mm_cmpeq_epi8(bytes, _mm_set1_epi8(kCarriageReturn)));
}
#endif

// How many bytes the line end at `pos` in `text` takes: 2 for CR LF, 1 for a CR or an LF alone, 0
// when none starts there (or `pos` is the end of the text).
constexpr std::size_t LengthAt(std::string_view text, std::size_t pos) {
    const auto at = [text](std::size_t i, char c) { return i < text.size() && text[i] == c; };
    if (at(pos, kCarriageReturn)) {
        return at(pos + 1, kLineFeed) ? 2 : 1;
    }
    return at(pos, kLineFeed) ? 1 : 0;
}

}  // namespace orlavo::line_end
