// From the bytes of a book file to the text the list shows: encodings, byte-order marks, damaged
// bytes and control characters.

#include "book_loading/text_decoder.h"

#include <gtest/gtest.h>

#include <string>

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
    {"Windows1252UndefinedBytesAreMarked", "\x81 \x8D \x8F \x90 \x9D",
     "\uFFFD \uFFFD \uFFFD \uFFFD \uFFFD"},
    {"OverlongUtf8IsNotUtf8", "\xC0\xAF", "\u00C0\u00AF"},
    {"EncodedSurrogateIsNotUtf8", "\xED\xA0\x80", "\u00ED\u00A0\u20AC"},
    {"TruncatedUtf8AtEndIsNotUtf8", "ok \xE2\x80", "ok \u00E2\u20AC"},
    {"EmptyFile", "", ""},
    // Byte-order marks decide
    {"Utf8BomIsDropped", "\xEF\xBB\xBFhello", "hello"},
    {"Utf8BomWithDamagedByte", "\xEF\xBB\xBFx\xFFz", "x\uFFFDz"},
    {"Utf8BomAloneGivesEmptyText", "\xEF\xBB\xBF", ""},
    {"Utf16LittleEndian", "\xFF\xFE\x43\0a\0f\0\xE9\0,\0\n\0"s, "Café,\n"},
    {"Utf16BigEndian", "\xFE\xFF\0C\0a\0f\0\xE9\0,\0\n"s, "Café,\n"},
    {"Utf16SurrogatePair", "\xFF\xFE\x3D\xD8\xD6\xDC"s, "\U0001F4D6"},
    {"Utf16LoneSurrogateIsMarked", "\xFF\xFE\x3D\xD8\x41\0"s, "\uFFFDA"},
    {"Utf16OddLastByteIsMarked", "\xFF\xFE\x41\0\x42"s, "A\uFFFD"},
    {"Utf16ThatLooksLikeWindows1252", "\xFF\xFE\x1C\x20"s, "\u201C"},
    // Control characters become spaces; tab, CR and LF stay
    {"NulBecomesSpace", "a\0b"s, "a b"},
    {"OnlyNuls", "\0\0\0"s, "   "},
    {"C0ControlsBecomeSpaces", "a\x01\x07\x08\x0B\x0C\x1B\x1F.", "a       ."},
    {"ControlsInsideLongAsciiRuns", "0123456789abcdef\x01ghijklm\x7Fnopqrstu\r\n\t",
     "0123456789abcdef ghijklm nopqrstu\r\n\t"},
    {"DeleteBecomesSpace", "a\x7F.", "a ."},
    {"TabCrLfAreKept", "a\tb\r\nc\rd\n", "a\tb\r\nc\rd\n"},
    {"Utf8C1ControlBecomesOneSpace", "a\xC2\x85.\xC2\x9F", "a . "},
    {"Utf8NoBreakSpaceIsNotAControl", "a\xC2\xA0.", "a\u00A0."},
    {"Utf16NulBecomesSpace", "\xFF\xFE\x61\0\0\0\x62\0"s, "a b"},
};

INSTANTIATE_TEST_SUITE_P(Encodings, TextDecoderTest, ::testing::ValuesIn(kDecodeCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo
