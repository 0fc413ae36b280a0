// Feeds arbitrary bytes through the decoder, the language guess and the item reader, as a book
// file would reach them, and checks what every later stage relies on: the text is valid UTF-8
// without stray control characters (C0, DEL or C1), the language is a short lowercase code or
// nothing, and no item holds a line end. The corpus holds legacy encodings and UTF-16 without a
// mark, so mutations reach uchardet, iconv and the damaged-UTF-8 repair as well.
// The same bytes also give the lengths of a book's lines, up to several times the span past which
// a block of the item index keeps every start, and the index must find each line as a plain split
// at the line ends does.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "book_items/item_reader.h"
#include "book_language/book_language.h"
#include "text_decoding/text_decoder.h"

namespace {

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

bool HasStrayControl(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F) {
            return true;
        }
        if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            return true;  // U+0080..U+009F
        }
    }
    return false;
}

// Lines whose lengths the bytes give: most short, those of the highest bytes long enough that a
// block of the index holding one spans far. The index built line by line must give each back.
void CheckIndexAgainstAPlainSplit(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kMostBytes = 4 << 20;
    constexpr std::uint8_t kLongFrom = 240;
    std::string text;
    std::vector<std::size_t> starts;
    orlavo::BookItems::Index index;
    for (std::size_t i = 0; i < size && text.size() < kMostBytes; ++i) {
        const std::size_t length =
            data[i] < kLongFrom ? data[i] : orlavo::BookItems::kFarSpan + data[i];
        if (i > 0) {
            text.push_back('\n');
        }
        starts.push_back(text.size());
        text.append(length, static_cast<char>('a' + i % 26));
        index.Add(length);
    }
    const orlavo::BookItems book(text, std::move(index));
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] - 1 : text.size();
        if (book.at(static_cast<std::int32_t>(i)) !=
            std::string_view(text).substr(starts[i], end - starts[i])) {
            std::abort();
        }
    }
}

bool IsLanguageCode(std::string_view code) {
    return code.size() <= 3 &&
           code.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = orlavo::DecodeBookText(bytes);
    if (!IsValidUtf8(text) || HasStrayControl(text) ||
        !IsLanguageCode(orlavo::GuessBookLanguage(text))) {
        std::abort();
    }
    CheckIndexAgainstAPlainSplit(data, size);
    const orlavo::BookItems items = orlavo::ReadBookItems(text);
    for (std::int32_t i = 0; i < items.size(); ++i) {
        const std::string_view item = items.at(i);
        if (item.find_first_of("\r\n") != std::string_view::npos || !IsValidUtf8(item)) {
            std::abort();
        }
    }
    return 0;
}
