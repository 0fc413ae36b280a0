#include "text_decoding/text_decoder.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/text/line_end.h"
#include "platform/text/utf8.h"
#include "text_decoding/byte_scan.h"
#include "text_decoding/charset_decoding.h"

namespace orlavo {
namespace {

using namespace std::string_view_literals;
using namespace text_decoding;

// How much of the start of a file is looked at for the zero bytes of UTF-16 and UTF-32.
constexpr std::size_t kWideSample = std::size_t{1} << 16;

// UTF-8 with a few damaged bytes: at least this many well-formed multi-byte characters, and at
// most one bad byte in kDamageRatio of the non-ASCII bytes. Text in a legacy encoding read as
// UTF-8 breaks on nearly every non-ASCII byte, so the two are far apart.
constexpr std::size_t kFewestSequences = 5;
constexpr std::size_t kDamageRatio = 10;
// Once this many bad bytes are seen, and too many of them to be damage, the file is surely in
// another encoding and the rest of a long book need not be scanned: that saves about a third of
// the time a legacy book takes to decode.
constexpr std::size_t kSurelyForeign = 4096;

struct ByteOrderMark {
    std::string_view bytes;
    const char* charset;
    std::size_t unit;  // bytes per code unit: an undecodable unit is skipped whole
};

// UTF-32 LE before UTF-16 LE, whose mark it starts with.
constexpr std::array<ByteOrderMark, 4> kMarks = {{
    {"\xFF\xFE\0\0"sv, "UTF-32LE", 4},
    {"\0\0\xFE\xFF"sv, "UTF-32BE", 4},
    {"\xFF\xFE"sv, "UTF-16LE", 2},
    {"\xFE\xFF"sv, "UTF-16BE", 2},
}};

struct Utf8Scan {
    std::size_t sequences = 0;  // well-formed multi-byte characters
    std::size_t nonAscii = 0;   // bytes from 0x80 up
    std::size_t invalid = 0;    // bytes that start no well-formed character
    std::size_t firstNonAscii = std::string_view::npos;
    bool hasControls = false;  // any control character to blank
};

bool IsDamagedUtf8(const Utf8Scan& scan) {
    return scan.sequences >= kFewestSequences && scan.invalid * kDamageRatio <= scan.nonAscii;
}

#if defined(__SSE2__)
// Whether sixteen ASCII bytes hold a control character to blank. Most of a book is ASCII and this
// scan reads every byte of it, so it takes sixteen at a time where the portable form takes eight.
bool HasControl(__m128i ascii) {
    const __m128i below = _mm_cmplt_epi8(ascii, _mm_set1_epi8(0x20));
    const __m128i kept =
        _mm_or_si128(_mm_cmpeq_epi8(ascii, _mm_set1_epi8('\t')), line_end::Matches(ascii));
    const __m128i del = _mm_cmpeq_epi8(ascii, _mm_set1_epi8(0x7F));
    return _mm_movemask_epi8(_mm_or_si128(_mm_andnot_si128(kept, below), del)) != 0;
}
#endif

// With `stopWhenForeign`, stops once the text is surely not UTF-8, damaged or not.
Utf8Scan ScanUtf8(std::string_view text, bool stopWhenForeign) {
    Utf8Scan scan;
    std::size_t i = 0;
    while (i < text.size()) {
#if defined(__SSE2__)
        if (text.size() - i >= 32) {
            const auto* at = reinterpret_cast<const __m128i*>(text.data() + i);
            const __m128i first = _mm_loadu_si128(at);
            const __m128i second = _mm_loadu_si128(at + 1);
            if (_mm_movemask_epi8(_mm_or_si128(first, second)) == 0) {  // 32 ASCII characters
                scan.hasControls = scan.hasControls || HasControl(first) || HasControl(second);
                i += 32;
                continue;
            }
        }
#endif
        if (text.size() - i >= 8) {
            const std::uint64_t word = byte_scan::Load(text.data() + i);
            if ((word & byte_scan::kHighBits) == 0) {  // eight ASCII characters
                const std::uint64_t kept = byte_scan::Matches(word, '\t') | line_end::Matches(word);
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
        if (scan.nonAscii == 0) {
            scan.firstNonAscii = i;
        }
        const std::size_t length = utf8::SequenceLength(text.substr(i));
        if (length == 0) {
            ++scan.invalid;
            ++scan.nonAscii;
            ++i;
            if (stopWhenForeign && scan.invalid >= kSurelyForeign && !IsDamagedUtf8(scan)) {
                return scan;
            }
            continue;
        }
        if (IsUtf8C1Control(byte, static_cast<unsigned char>(text[i + 1]))) {
            scan.hasControls = true;
        }
        ++scan.sequences;
        scan.nonAscii += length;
        i += length;
    }
    return scan;
}

// UTF-8 that breaks its word in places: each bad byte becomes U+FFFD, which shows the reader where
// the file is damaged. Guessing a Windows-1252 letter for a stray byte instead would be a guess,
// and often a wrong one, and would turn every other letter of the book into nonsense besides.
std::string RepairUtf8(std::string_view text, std::size_t invalid, const MemoryCheck& reserve) {
    const std::size_t size = text.size() + invalid * (kReplacement.size() - 1);
    RefuseIfTooLarge(size, reserve);
    std::string out;
    out.reserve(size);
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = utf8::SequenceLength(text.substr(i));
        if (length == 0) {
            out.append(kReplacement);
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

// The zero bytes at each offset within a code unit of kUnit bytes, over the start of the file.
template <std::size_t kUnit>
std::array<std::size_t, kUnit> ZerosByOffset(std::string_view bytes) {
    const std::size_t units = std::min(bytes.size(), kWideSample) / kUnit;
    std::array<std::size_t, kUnit> zeros{};
    for (std::size_t i = 0; i < units * kUnit; ++i) {
        zeros[i % kUnit] += bytes[i] == '\0' ? 1 : 0;
    }
    return zeros;
}

// UTF-16 without a mark: big-endian when the zeros fall on even offsets, little-endian when on
// odd ones. Debris NULs in an 8-bit file fall on both alike, and UTF-32 fills both.
std::optional<bool> Utf16BigEndianByZeros(std::string_view bytes) {
    const std::size_t units = std::min(bytes.size(), kWideSample) / 2;
    const std::array<std::size_t, 2> zeros = ZerosByOffset<2>(bytes);
    for (const bool bigEndian : {false, true}) {
        const std::size_t high = zeros[bigEndian ? 0 : 1];
        const std::size_t low = zeros[bigEndian ? 1 : 0];
        if (high >= 2 && high * 16 >= units && low * 4 <= high) {
            return bigEndian;
        }
    }
    return std::nullopt;
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
        } else if (read + 1 < size &&
                   IsUtf8C1Control(byte, static_cast<unsigned char>(text[read + 1]))) {
            text[write++] = ' ';
            read += 2;
        } else {
            text[write++] = text[read++];
        }
    }
    text.resize(write);
}

// UTF-32 without a mark: the top byte of every character is zero, and so is the next one of every
// character below U+10000 (all of a book's text): big-endian when those zeros lead each four
// bytes, little-endian when they end them. The low byte of a character is rarely zero.
std::optional<bool> Utf32BigEndianByZeros(std::string_view bytes) {
    const std::size_t units = std::min(bytes.size(), kWideSample) / 4;
    const std::array<std::size_t, 4> zeros = ZerosByOffset<4>(bytes);
    for (const bool bigEndian : {false, true}) {
        const std::size_t high = zeros[bigEndian ? 0 : 3] + zeros[bigEndian ? 1 : 2];
        const std::size_t low = zeros[bigEndian ? 3 : 0];
        if (units >= 2 && high * 16 >= 2 * units * 15 && low * 2 < units) {
            return bigEndian;
        }
    }
    return std::nullopt;
}

Decoded DecodeWithoutMark(std::string& bytes, const MemoryCheck& reserve) {
    const std::string_view view(bytes);
    if (const std::optional<bool> bigEndian = Utf32BigEndianByZeros(view)) {
        return Convert(view, *bigEndian ? "UTF-32BE" : "UTF-32LE", 4, reserve);
    }
    if (const std::optional<bool> bigEndian = Utf16BigEndianByZeros(view)) {
        return Convert(view, *bigEndian ? "UTF-16BE" : "UTF-16LE", 2, reserve);
    }
    const Utf8Scan scan = ScanUtf8(view, true);
    if (scan.invalid == 0) {
        if (scan.nonAscii == 0 && scan.hasControls) {
            if (const std::optional<std::string> charset = Iso2022Charset(view)) {
                return Convert(view, charset->c_str(), 1, reserve);
            }
        }
        return {std::move(bytes), !scan.hasControls};
    }
    if (IsDamagedUtf8(scan)) {
        return {RepairUtf8(view, scan.invalid, reserve), false};
    }
    const std::string charset = DetectCharset(view, scan.firstNonAscii);
    if (charset == "UTF-8") {
        return {RepairUtf8(view, ScanUtf8(view, false).invalid, reserve), false};
    }
    return Convert(view, charset.c_str(), 1, reserve);
}

Decoded Decode(std::string& bytes, const MemoryCheck& reserve) {
    const std::string_view view(bytes);
    if (view.starts_with("\xEF\xBB\xBF")) {
        const Utf8Scan scan = ScanUtf8(view.substr(3), false);
        if (scan.invalid > 0) {
            return {RepairUtf8(view.substr(3), scan.invalid, reserve), false};
        }
        bytes.erase(0, 3);
        return {std::move(bytes), !scan.hasControls};
    }
    for (const ByteOrderMark& mark : kMarks) {
        if (view.starts_with(mark.bytes)) {
            return Convert(view.substr(mark.bytes.size()), mark.charset, mark.unit, reserve);
        }
    }
    return DecodeWithoutMark(bytes, reserve);
}

}  // namespace

std::string DecodeBookText(std::string bytes, std::string* charset, const MemoryCheck& reserve) {
    Decoded decoded = Decode(bytes, reserve);
    if (charset != nullptr) {
        *charset = decoded.charset;
    }
    if (!decoded.blanked) {
        BlankControls(decoded.text);
    }
    return std::move(decoded.text);
}

}  // namespace orlavo
