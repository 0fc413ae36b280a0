#include "book_loading/text_decoder.h"

#include <iconv.h>
#include <uchardet.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>

#include "book_loading/byte_scan.h"
#include "platform/runtime_error.h"
#include "platform/text/utf8.h"

namespace orlavo {
namespace {

using namespace std::string_view_literals;

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// How much of the start of a file is looked at for the zero bytes of UTF-16.
constexpr std::size_t kUtf16Sample = std::size_t{1} << 16;

// UTF-8 with a few damaged bytes: at least this many well-formed multi-byte characters, and at
// most one bad byte in kDamageRatio of the non-ASCII bytes. Text in a legacy encoding read as
// UTF-8 breaks on nearly every non-ASCII byte, so the two are far apart.
constexpr std::size_t kFewestSequences = 5;
constexpr std::size_t kDamageRatio = 10;
// Once this many bad bytes are seen, and too many of them to be damage, the file is surely in
// another encoding and the rest of a long book need not be scanned: that saves about a third of
// the time a legacy book takes to decode.
constexpr std::size_t kSurelyForeign = 4096;

// uchardet is slow on single-byte encodings (it weighs every byte against a dozen languages),
// and a few pieces of a book tell it as surely as the whole.
constexpr std::size_t kCharsetPieces = 8;
constexpr std::size_t kCharsetPiece = 2048;

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

// uchardet names the standard an encoding follows; books were made with the Windows or wider
// form of it, which reads the same letters and a few more: curly quotes and dashes in
// Windows-1252, the circled numbers of Windows' Shift_JIS, the Ukrainian letters of KOI8-U.
// ISO-2022-JP-2 reads every ISO-2022-JP book, and the Korean, Chinese and accented letters that
// some mail-era texts switch to.
constexpr std::array<std::pair<std::string_view, const char*>, 11> kWiderCharsets = {{
    {""sv, "WINDOWS-1252"},  // uchardet could not tell
    {"ASCII"sv, "WINDOWS-1252"},
    {"ISO-8859-1"sv, "WINDOWS-1252"},
    {"ISO-8859-9"sv, "WINDOWS-1254"},
    {"KOI8-R"sv, "KOI8-U"},
    {"SHIFT_JIS"sv, "CP932"},
    {"BIG5"sv, "CP950"},
    {"EUC-KR"sv, "CP949"},
    {"GB2312"sv, "GB18030"},
    {"TIS-620"sv, "CP874"},
    {"ISO-2022-JP"sv, "ISO-2022-JP-2"},
}};

bool IsKeptControl(unsigned char byte) {
    return byte == '\t' || byte == '\n' || byte == '\r';
}

bool IsBlankedControl(unsigned char byte) {
    return (byte < 0x20 && !IsKeptControl(byte)) || byte == 0x7F;
}

bool IsUtf8C1Control(unsigned char lead, unsigned char next) {
    return lead == 0xC2 && next < 0xA0;
}

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
    const __m128i kept = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(ascii, _mm_set1_epi8('\t')),
                                                   _mm_cmpeq_epi8(ascii, _mm_set1_epi8('\n'))),
                                      _mm_cmpeq_epi8(ascii, _mm_set1_epi8('\r')));
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

void RefuseIfTooLarge(std::size_t decodedSize) {
    if (decodedSize > kLargestDecodedText) {
        throw RuntimeError(kFileCannotBeRead,
                           "The book is too large: its text would take more than " +
                               std::to_string(kLargestDecodedText >> 30) +
                               " GB of memory once decoded.");
    }
}

// UTF-8 that breaks its word in places: each bad byte becomes U+FFFD, which shows the reader where
// the file is damaged. Guessing a Windows-1252 letter for a stray byte instead would be a guess,
// and often a wrong one, and would turn every other letter of the book into nonsense besides.
std::string RepairUtf8(std::string_view text, std::size_t invalid) {
    const std::size_t size = text.size() + invalid * (kReplacement.size() - 1);
    RefuseIfTooLarge(size);
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

// One conversion to UTF-8, closed when it goes out of scope.
class Iconv {
  public:
    explicit Iconv(const char* charset) : m_cd(iconv_open("UTF-8", charset)) {}
    ~Iconv() {
        if (ok()) {
            iconv_close(m_cd);
        }
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(std::intptr_t{-1}); }
    iconv_t get() const { return m_cd; }

  private:
    iconv_t m_cd;
};

constexpr std::size_t kIconvFailed = static_cast<std::size_t>(-1);

// Runs all of `in` through the conversion, handing each piece of UTF-8 to `take`. iconv stops at a
// byte it cannot read: that unit becomes U+FFFD and the conversion goes on after it, so one bad
// byte costs one character, not the rest of the book.
template <typename Take>
void RunIconv(iconv_t cd, std::string_view in, std::size_t unit, Take&& take) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::array<char, std::size_t{1} << 14> buffer;
    char* from = const_cast<char*>(in.data());  // iconv's signature; it never writes there
    std::size_t left = in.size();
    while (true) {
        char* to = buffer.data();
        std::size_t room = buffer.size();
        const bool flushing = left == 0;
        const std::size_t result = flushing ? iconv(cd, nullptr, nullptr, &to, &room)
                                            : iconv(cd, &from, &left, &to, &room);
        const int error = errno;
        take(std::string_view(buffer.data(), static_cast<std::size_t>(to - buffer.data())));
        if (result != kIconvFailed) {
            if (flushing) {
                return;
            }
        } else if (error != E2BIG) {
            if (flushing) {
                return;
            }
            take(kReplacement);
            // EILSEQ: a unit that is no character; EINVAL: half a character at the end.
            const std::size_t skip = error == EINVAL ? left : std::min(unit, left);
            from += skip;
            left -= skip;
        }
    }
}

// A single-byte encoding as 256 ready UTF-8 strings, control characters already blanked. The
// encodings of one byte a letter (Windows-125x, ISO-8859-x, KOI8, DOS code pages) are the common
// legacy case, and a table decodes them many times faster than iconv.
struct ByteTable {
    std::array<std::array<char, 4>, 256> utf8{};
    std::array<std::uint8_t, 256> length{};
};

// The table for `cd`, or nothing when some byte starts a longer character (Shift_JIS, GB18030)
// or a shift state (ISO-2022), which only iconv can follow. Nothing either when the converter
// holds a letter back until it sees the next byte: Windows-1258 writes Vietnamese tone marks
// after their letters, and iconv joins the two into the one character the text means, which a
// byte-by-byte table cannot.
std::optional<ByteTable> SingleByteTable(iconv_t cd) {
    ByteTable table;
    for (std::size_t value = 0; value < 256; ++value) {
        char byte = static_cast<char>(value);
        char* from = &byte;
        std::size_t left = 1;
        std::array<char, 16> out{};
        char* to = out.data();
        std::size_t room = out.size();
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &from, &left, &to, &room) == kIconvFailed) {
            if (errno != EILSEQ) {
                return std::nullopt;
            }
            std::copy(kReplacement.begin(), kReplacement.end(), to);
            to += kReplacement.size();
        } else if (to == out.data()) {
            return std::nullopt;  // held back: a converter that composes
        } else if (iconv(cd, nullptr, nullptr, &to, &room) == kIconvFailed) {
            return std::nullopt;
        }
        std::size_t length = static_cast<std::size_t>(to - out.data());
        const auto first = static_cast<unsigned char>(out[0]);
        if (length == 0 || length > 4) {
            return std::nullopt;
        }
        if ((length == 1 && IsBlankedControl(first)) ||
            (length == 2 && IsUtf8C1Control(first, static_cast<unsigned char>(out[1])))) {
            out[0] = ' ';
            length = 1;
        }
        std::copy_n(out.begin(), 4, table.utf8[value].begin());
        table.length[value] = static_cast<std::uint8_t>(length);
    }
    return table;
}

std::string FromSingleByte(std::string_view bytes, const ByteTable& table) {
    std::size_t size = 0;
    for (const char c : bytes) {
        size += table.length[static_cast<unsigned char>(c)];
    }
    RefuseIfTooLarge(size);
    // Every character is stored as four bytes and the write moves on by its length, so the last
    // one needs up to three bytes of room past the text.
    std::string out(size + 3, '\0');
    char* at = out.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        std::memcpy(at, table.utf8[byte].data(), 4);
        at += table.length[byte];
    }
    out.resize(size);
    return out;
}

// Through iconv twice: once to learn the exact size of the text, once to make it, so a book costs
// the file and its text and never a half-grown copy of the text besides.
std::string FromMultiByte(std::string_view bytes, iconv_t cd, std::size_t unit) {
    std::size_t size = 0;
    RunIconv(cd, bytes, unit, [&size](std::string_view piece) { size += piece.size(); });
    RefuseIfTooLarge(size);
    std::string out;
    out.reserve(size);
    RunIconv(cd, bytes, unit, [&out](std::string_view piece) { out.append(piece); });
    return out;
}

struct Decoded {
    std::string text;
    bool blanked = false;  // control characters already became spaces
};

Decoded Convert(std::string_view bytes, const char* charset, std::size_t unit) {
    Iconv cd(charset);
    if (!cd.ok()) {
        return Convert(bytes, "WINDOWS-1252", 1);
    }
    if (unit == 1) {
        if (const std::optional<ByteTable> table = SingleByteTable(cd.get())) {
            return {FromSingleByte(bytes, *table), true};
        }
    }
    return {FromMultiByte(bytes, cd.get(), unit), false};
}

// UTF-16 without a mark: big-endian when the zeros fall on even offsets, little-endian when on
// odd ones. Debris NULs in an 8-bit file fall on both alike, and UTF-32 fills both.
std::optional<bool> Utf16BigEndianByZeros(std::string_view bytes) {
    const std::size_t units = std::min(bytes.size(), kUtf16Sample) / 2;
    std::array<std::size_t, 2> zeros{};
    for (std::size_t i = 0; i < units * 2; ++i) {
        zeros[i % 2] += bytes[i] == '\0' ? 1 : 0;
    }
    for (const bool bigEndian : {false, true}) {
        const std::size_t high = zeros[bigEndian ? 0 : 1];
        const std::size_t low = zeros[bigEndian ? 1 : 0];
        if (high >= 2 && high * 16 >= units && low * 4 <= high) {
            return bigEndian;
        }
    }
    return std::nullopt;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// A piece of a legacy book for uchardet, about `size` bytes from `begin`. Unless `begin` is known
// to start a character, the piece starts after the next line end, and it stops at its last one:
// a piece that began inside a two-byte character of Shift_JIS or Big5 could make uchardet rule
// that encoding out.
std::string_view CharsetPiece(std::string_view text, std::size_t begin, std::size_t size,
                              bool atCharacter) {
    if (!atCharacter) {
        const std::size_t lineEnd = text.find('\n', begin);
        if (lineEnd == std::string_view::npos || lineEnd - begin >= size) {
            return {};
        }
        begin = lineEnd + 1;
    }
    std::size_t end = std::min(text.size(), begin + size);
    if (end < text.size()) {
        const std::size_t lastLineEnd = text.rfind('\n', end - 1);
        if (lastLineEnd != std::string_view::npos && lastLineEnd >= begin) {
            end = lastLineEnd + 1;
        }
    }
    return text.substr(begin, end - begin);
}

// The first piece starts at the first non-ASCII byte, since a book often opens with pages of
// plain ASCII that say nothing of its encoding; the others are spread over the rest.
std::string DetectCharset(std::string_view bytes, std::size_t firstNonAscii) {
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, decltype(&uchardet_delete)> detector(
        uchardet_new(), &uchardet_delete);
    const std::string_view rest = bytes.substr(firstNonAscii);
    if (rest.size() <= kCharsetPieces * kCharsetPiece) {
        uchardet_handle_data(detector.get(), rest.data(), rest.size());
    } else {
        for (std::size_t i = 0; i < kCharsetPieces; ++i) {
            const std::string_view piece =
                CharsetPiece(rest, rest.size() * i / kCharsetPieces, kCharsetPiece, i == 0);
            uchardet_handle_data(detector.get(), piece.data(), piece.size());
        }
    }
    uchardet_data_end(detector.get());
    const std::string_view detected = uchardet_get_charset(detector.get());
    for (const auto& [name, wider] : kWiderCharsets) {
        if (detected == name) {
            return wider;
        }
    }
    return std::string(detected);
}

// A 7-bit file is read as UTF-8 unless it switches character sets with ISO-2022 escapes (ESC $ B,
// ESC ( B, ESC $ ) C with SO and SI, ...): Japanese and Korean mail and old books were written so,
// and read as UTF-8 they would show as Latin letters and spaces. uchardet tells which ISO-2022
// from the start of the escapes on; anything else with an ESC in it stays UTF-8.
std::optional<std::string> Iso2022Charset(std::string_view text) {
    std::size_t escape = text.find('\x1B');
    while (escape != std::string_view::npos && escape + 1 < text.size() &&
           std::string_view("$()").find(text[escape + 1]) == std::string_view::npos) {
        escape = text.find('\x1B', escape + 1);
    }
    if (escape == std::string_view::npos || escape + 1 >= text.size()) {
        return std::nullopt;
    }
    std::string charset = DetectCharset(text, escape);
    if (!StartsWith(charset, "ISO-2022-")) {
        return std::nullopt;
    }
    return charset;
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

Decoded DecodeWithoutMark(std::string& bytes) {
    const std::string_view view(bytes);
    if (const std::optional<bool> bigEndian = Utf16BigEndianByZeros(view)) {
        return Convert(view, *bigEndian ? "UTF-16BE" : "UTF-16LE", 2);
    }
    const Utf8Scan scan = ScanUtf8(view, true);
    if (scan.invalid == 0) {
        if (scan.nonAscii == 0 && scan.hasControls) {
            if (const std::optional<std::string> charset = Iso2022Charset(view)) {
                return Convert(view, charset->c_str(), 1);
            }
        }
        return {std::move(bytes), !scan.hasControls};
    }
    if (IsDamagedUtf8(scan)) {
        return {RepairUtf8(view, scan.invalid), false};
    }
    const std::string charset = DetectCharset(view, scan.firstNonAscii);
    if (charset == "UTF-8") {
        return {RepairUtf8(view, ScanUtf8(view, false).invalid), false};
    }
    return Convert(view, charset.c_str(), 1);
}

Decoded Decode(std::string& bytes) {
    const std::string_view view(bytes);
    if (StartsWith(view, "\xEF\xBB\xBF")) {
        const Utf8Scan scan = ScanUtf8(view.substr(3), false);
        if (scan.invalid > 0) {
            return {RepairUtf8(view.substr(3), scan.invalid), false};
        }
        bytes.erase(0, 3);
        return {std::move(bytes), !scan.hasControls};
    }
    for (const ByteOrderMark& mark : kMarks) {
        if (StartsWith(view, mark.bytes)) {
            return Convert(view.substr(mark.bytes.size()), mark.charset, mark.unit);
        }
    }
    return DecodeWithoutMark(bytes);
}

}  // namespace

std::string DecodeBookText(std::string bytes) {
    Decoded decoded = Decode(bytes);
    if (!decoded.blanked) {
        BlankControls(decoded.text);
    }
    return std::move(decoded.text);
}

}  // namespace orlavo
