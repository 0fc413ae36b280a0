#include "text_decoding/charset_decoding.h"

#include <uchardet.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <type_traits>
#include <utility>

#include "platform/text/iconv_converter.h"
#include "platform/text/line_end.h"
#include "text_decoding/charset_judge.h"

namespace orlavo::text_decoding {
namespace {

using namespace std::string_view_literals;

// uchardet is slow on single-byte encodings (it weighs every byte against a dozen languages),
// and a few pieces of a book tell it as surely as the whole.
constexpr std::size_t kCharsetPieces = 8;
constexpr std::size_t kCharsetPiece = 2048;
// How much of the book the second opinion decodes in each likely encoding.
constexpr std::size_t kJudgedPiece = std::size_t{1} << 14;

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

// Runs all of `in` through the conversion, handing each piece of UTF-8 to `take`. iconv stops at a
// byte it cannot read: that unit becomes U+FFFD and the conversion goes on after it, so one bad
// byte costs one character, not the rest of the book.
template <typename Take>
void RunIconv(IconvConverter& converter, std::string_view in, std::size_t unit, Take&& take) {
    converter.Reset();
    std::array<char, std::size_t{1} << 14> buffer;
    while (true) {
        const bool flushing = in.empty();
        const IconvConverter::Step step =
            flushing ? converter.Finish(buffer) : converter.Convert(in, buffer);
        in.remove_prefix(step.read);
        take(std::string_view(buffer.data(), step.written));
        if (step.error == 0) {
            if (flushing) {
                return;
            }
        } else if (step.error != E2BIG) {
            if (flushing) {
                return;
            }
            take(kReplacement);
            // EILSEQ: a unit that is no character; EINVAL: half a character at the end.
            in.remove_prefix(step.error == EINVAL ? in.size() : std::min(unit, in.size()));
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

// The table for `converter`, or nothing when some byte starts a longer character (Shift_JIS,
// GB18030) or a shift state (ISO-2022), which only iconv can follow. Nothing either when the
// converter holds a letter back until it sees the next byte: Windows-1258 writes Vietnamese tone
// marks after their letters, and iconv joins the two into the one character the text means, which a
// byte-by-byte table cannot.
std::optional<ByteTable> SingleByteTable(IconvConverter& converter) {
    ByteTable table;
    for (std::size_t value = 0; value < 256; ++value) {
        const char byte = static_cast<char>(value);
        std::array<char, 16> out{};
        converter.Reset();
        const IconvConverter::Step step = converter.Convert(std::string_view(&byte, 1), out);
        char* to = out.data() + step.written;
        if (step.error != 0) {
            if (step.error != EILSEQ) {
                return std::nullopt;
            }
            std::copy(kReplacement.begin(), kReplacement.end(), to);
            to += kReplacement.size();
        } else if (step.written == 0) {
            return std::nullopt;  // held back: a converter that composes
        } else {
            const IconvConverter::Step end = converter.Finish(std::span(to, out.end()));
            if (end.error != 0) {
                return std::nullopt;
            }
            to += end.written;
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

std::string FromSingleByte(std::string_view bytes, const ByteTable& table,
                           const MemoryCheck& reserve) {
    std::size_t size = 0;
    for (const char c : bytes) {
        size += table.length[static_cast<unsigned char>(c)];
    }
    RefuseIfTooLarge(size, reserve);
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
std::string FromMultiByte(std::string_view bytes, IconvConverter& converter, std::size_t unit,
                          const MemoryCheck& reserve) {
    std::size_t size = 0;
    RunIconv(converter, bytes, unit, [&size](std::string_view piece) { size += piece.size(); });
    RefuseIfTooLarge(size, reserve);
    std::string out;
    out.reserve(size);
    RunIconv(converter, bytes, unit, [&out](std::string_view piece) { out.append(piece); });
    return out;
}

// A piece of a legacy book for uchardet, about `size` bytes from `begin`. Unless `begin` is known
// to start a character, the piece starts after the next line end, and it stops at its last one:
// a piece that began inside a two-byte character of Shift_JIS or Big5 could make uchardet rule
// that encoding out. The LF is looked for, which ends CR LF lines too; a book whose lines end in
// a CR alone is judged by its first piece.
std::string_view CharsetPiece(std::string_view text, std::size_t begin, std::size_t size,
                              bool atCharacter) {
    if (!atCharacter) {
        const std::size_t lineEnd = text.find(line_end::kLineFeed, begin);
        if (lineEnd == std::string_view::npos || lineEnd - begin >= size) {
            return {};
        }
        begin = lineEnd + 1;
    }
    std::size_t end = std::min(text.size(), begin + size);
    if (end < text.size()) {
        const std::size_t lastLineEnd = text.rfind(line_end::kLineFeed, end - 1);
        if (lastLineEnd != std::string_view::npos && lastLineEnd >= begin) {
            end = lastLineEnd + 1;
        }
    }
    return text.substr(begin, end - begin);
}

}  // namespace

Decoded Convert(std::string_view bytes, const char* charset, std::size_t unit,
                const MemoryCheck& reserve) {
    IconvConverter converter(charset);
    if (!converter.ok()) {
        return Convert(bytes, "WINDOWS-1252", 1, reserve);
    }
    if (unit == 1) {
        if (const std::optional<ByteTable> table = SingleByteTable(converter)) {
            return {FromSingleByte(bytes, *table, reserve), true, charset};
        }
    }
    return {FromMultiByte(bytes, converter, unit, reserve), false, charset};
}

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
    std::string charset(detected);
    for (const auto& [name, wider] : kWiderCharsets) {
        if (detected == name) {
            charset = wider;
        }
    }
    // The second opinion reads words, so its piece starts with the line that holds the first
    // non-ASCII byte, not inside its word.
    const std::size_t lineEnd = bytes.rfind(line_end::kLineFeed, firstNonAscii);
    const std::size_t line = lineEnd == std::string_view::npos ? 0 : lineEnd + 1;
    return JudgeCharset(CharsetPiece(bytes.substr(line), 0, kJudgedPiece, true), charset);
}

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
    if (!charset.starts_with("ISO-2022-")) {
        return std::nullopt;
    }
    return charset;
}

}  // namespace orlavo::text_decoding
