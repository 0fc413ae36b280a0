// From the bytes of a book file to the text the list shows: encodings, byte-order marks, damaged
// bytes and control characters.

#include "book_loading/text_decoder.h"

#include <gtest/gtest.h>

#include <string>

#include "book_loading/field_reader.h"

namespace orlavo {
namespace {

using namespace std::string_literals;

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::string text;
};

class TextDecoderTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(TextDecoderTest, DecodesToUtf8) {
    EXPECT_EQ(DecodeBookText(GetParam().bytes), GetParam().text);
}

const DecodeCase kDecodeCases[] = {
    // Without a byte-order mark
    {"PlainAsciiIsUnchanged", "In the beginning,\r\nGod.\n", "In the beginning,\r\nGod.\n"},
    {"ValidUtf8IsUtf8", "Caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x93\x96", "Café — 📖"},
    {"InvalidUtf8IsWindows1252", "Caf\xE9 na\xEFve", "Café naïve"},
    {"Windows1252PunctuationRange", "\x93quoted\x94 \x85 \x80 \x99 \x8A\x9F",
     "\u201Cquoted\u201D \u2026 \u20AC \u2122 \u0160\u0178"},
    {"Windows1252UndefinedBytesAreMarked",
     "a\x81"
     "b\x8D"
     "c\x8F"
     "d\x90"
     "e\x9D",
     "a\uFFFDb\uFFFDc\uFFFDd\uFFFDe\uFFFD"},
    {"OverlongUtf8IsNotUtf8", "\xC0\xAF", "\u00C0\u00AF"},
    {"EncodedSurrogateIsNotUtf8", "\xED\xA0\x80", "\u00ED\u00A0\u20AC"},
    {"TruncatedUtf8AtEndIsNotUtf8", "ok \xE2\x80", "ok \u00E2\u20AC"},
    {"EmptyFile", "", ""},
    // Byte-order marks decide
    {"Utf8BomIsDropped", "\xEF\xBB\xBFhello", "hello"},
    {"Utf8BomWithDamagedByte",
     "\xEF\xBB\xBF"
     "a\xFFz",
     "a\uFFFDz"},
    {"Utf8BomAloneGivesEmptyText", "\xEF\xBB\xBF", ""},
    {"Utf16LittleEndian",
     "\xFF\xFE"
     "C\0a\0f\0\xE9\0,\0\n\0"s,
     "Café,\n"},
    {"Utf16BigEndian",
     "\xFE\xFF"
     "\0C\0a\0f\0\xE9\0,\0\n"s,
     "Café,\n"},
    {"Utf16SurrogatePair", "\xFF\xFE\x3D\xD8\xD6\xDC"s, "\U0001F4D6"},
    {"Utf16LoneSurrogateIsMarked",
     "\xFF\xFE\x3D\xD8"
     "A\0"s,
     "\uFFFDA"},
    {"Utf16OddLastByteIsMarked",
     "\xFF\xFE"
     "A\0B"s,
     "A\uFFFD"},
    {"Utf16ThatLooksLikeWindows1252", "\xFF\xFE\x1C\x20"s, "\u201C"},
    // Control characters become spaces; tab, CR and LF stay
    {"NulBecomesSpace", "a\0b"s, "a b"},
    {"OnlyNuls", "\0\0\0"s, "   "},
    {"C0ControlsBecomeSpaces",
     "a\x01\x07\x08\x0B\x0C\x1B\x1F"
     "b",
     "a       b"},
    {"ControlsInsideLongAsciiRuns",
     "0123456789abcdef\x01"
     "0123456\x7F"
     "89abcdef\r\n\t",
     "0123456789abcdef 0123456 89abcdef\r\n\t"},
    {"LongPlainRunsAreUnchanged", "Genesis 1:1\tIn the beginning God created\r\n",
     "Genesis 1:1\tIn the beginning God created\r\n"},
    {"DeleteBecomesSpace",
     "a\x7F"
     "b",
     "a b"},
    {"TabCrLfAreKept", "a\tb\r\nc\rd\n", "a\tb\r\nc\rd\n"},
    {"Utf8C1ControlBecomesOneSpace",
     "a\xC2\x85"
     "b\xC2\x9F",
     "a b "},
    {"Utf8NoBreakSpaceIsNotAControl",
     "a\xC2\xA0"
     "b",
     "a\u00A0b"},
    {"Utf16NulBecomesSpace",
     "\xFF\xFE"
     "a\0\0\0b\0"s,
     "a b"},
};

INSTANTIATE_TEST_SUITE_P(Encodings, TextDecoderTest, ::testing::ValuesIn(kDecodeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The two steps together: what a damaged or foreign file turns into in the list.
struct BookCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> items;
};

class DecodedItemsTest : public ::testing::TestWithParam<BookCase> {};

TEST_P(DecodedItemsTest, ListShowsCleanItems) {
    const BookItems book = ReadBookItems(DecodeBookText(GetParam().bytes));
    std::vector<std::string> items;
    for (std::int32_t i = 0; i < book.size(); ++i) {
        items.emplace_back(book.at(i));
    }
    EXPECT_EQ(items, GetParam().items);
}

const BookCase kBookCases[] = {
    {"NulsAtItemEdgesAreBlanks", "\0alpha\0,beta\n"s, {"alpha", "beta"}},
    {"NulLineIsAnEmptyItem", "a\n\0\0\nb"s, {"a", "", "b"}},
    {"Windows1252CrLfBook", "Caf\xE9, cr\xE8me\r\nfin\r\n", {"Café", "crème", "fin"}},
    {"Utf16CrLfBook",
     "\xFF\xFE"
     "a\0,\0b\0\r\0\n\0"s,
     {"a", "b"}},
    {"BomIsNotPartOfFirstItem",
     "\xEF\xBB\xBF"
     "first,second",
     {"first", "second"}},
};

INSTANTIATE_TEST_SUITE_P(Books, DecodedItemsTest, ::testing::ValuesIn(kBookCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo
