// The item rules of a book file, one row per rule, from decoded text to the items of the list.

#include "book_loading/field_reader.h"
#include "book_loading/text_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlavo {
namespace {

struct ItemsCase {
    const char* name;
    std::string text;
    std::vector<std::string> items;
};

class FieldReaderTest : public ::testing::TestWithParam<ItemsCase> {};

TEST_P(FieldReaderTest, SplitsTheTextIntoItems) {
    const BookItems book = ReadBookItems(GetParam().text);
    std::vector<std::string> items;
    for (std::int32_t i = 0; i < book.size(); ++i) {
        items.emplace_back(book.at(i));
    }
    EXPECT_EQ(items, GetParam().items);
}

const ItemsCase kItemCases[] = {
    // Delimiters and line ends
    {"CommaSplitsALine", "alpha,beta\n", {"alpha", "beta"}},
    {"LineFeedEndsAnItem", "one\ntwo\n", {"one", "two"}},
    {"CrLfIsOneLineEnd", "one\r\ntwo\r\n", {"one", "two"}},
    {"LoneCrIsOneLineEnd", "one\rtwo\r", {"one", "two"}},
    {"MixedLineEnds", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
    {"LfThenCrAreTwoLineEnds", "a\n\rb", {"a", "", "b"}},
    {"CommaAtLineEndGivesEmptyItem", "a,\nb", {"a", "", "b"}},
    {"CommaAtTextEndGivesEmptyItem", "a,b,", {"a", "b", ""}},
    {"TwoCommasGiveEmptyItemBetween", "a,,b", {"a", "", "b"}},
    // Empty lines and the ends of the text
    {"EmptyTextGivesNoItem", "", {}},
    {"OnlyALineEndIsOneEmptyItem", "\n", {""}},
    {"EmptyLineIsOneEmptyItem", "one\n\ntwo\n", {"one", "", "two"}},
    {"EmptyCrLfLineIsOneEmptyItem", "one\r\n\r\ntwo\r\n", {"one", "", "two"}},
    {"BlankLineIsOneEmptyItem", "one\n \t  \ntwo", {"one", "", "two"}},
    {"LastLineWithoutLineEndIsAnItem", "one\ntwo", {"one", "two"}},
    {"FinalLineEndGivesNoExtraItem", "one\n", {"one"}},
    {"TrailingEmptyLineIsKept", "one\n\n", {"one", ""}},
    // Blanks
    {"LeadingBlanksAreSkipped", "  \t alpha,   beta", {"alpha", "beta"}},
    {"TrailingBlanksAreDropped", "alpha  \t, beta \n", {"alpha", "beta"}},
    {"InnerBlanksAndTabsAreKept", "In the\tbeginning  God", {"In the\tbeginning  God"}},
    // Quotes
    {"QuotedItemKeepsCommas", "\"Hello, world\",next", {"Hello, world", "next"}},
    {"QuotedItemKeepsItsBlanks", "  \"  padded  \"  ,x", {"  padded  ", "x"}},
    {"TextAfterClosingQuoteStartsNextItem", "\"abc\"def,ghi", {"abc", "def", "ghi"}},
    {"QuotedItemAtLineEnd", "\"a\"\n\"b\"", {"a", "b"}},
    {"EmptyQuotedItem", "\"\",x", {"", "x"}},
    {"MissingClosingQuoteEndsAtLineEnd", "\"open, still open\nnext", {"open, still open", "next"}},
    {"MissingClosingQuoteAtTextEnd", "x,\"open", {"x", "open"}},
    {"QuoteInsideUnquotedItemIsKept", "say \"hi\" now", {"say \"hi\" now"}},
    {"QuoteDoesNotSpanLines", "\"one\ntwo\"", {"one", "two\""}},
    // What the decoder leaves in the text
    {"LongItemsWithDelimitersAtEveryOffset",
     "abcdefghijklmnop,q\r\nrstuvwxyz0123456789\rABCDEFG,HIJKLMNOPQRSTU\nV",
     {"abcdefghijklmnop", "q", "rstuvwxyz0123456789", "ABCDEFG", "HIJKLMNOPQRSTU", "V"}},
    {"NonAsciiTextIsKeptWhole", "Café, naïve\n", {"Café", "naïve"}},
};

INSTANTIATE_TEST_SUITE_P(Rules, FieldReaderTest, ::testing::ValuesIn(kItemCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A book that is one enormous line, and a file with nothing in it, as the loader passes them on.
TEST(HugeAndEmptyBooks, AreReadWithoutTrouble) {
    const std::size_t size = 100 * 1024 * 1024;
    const BookItems line = ReadBookItems(DecodeBookText(std::string(size, 'x')));
    ASSERT_EQ(line.size(), 1);
    EXPECT_EQ(line.at(0).size(), size);

    EXPECT_TRUE(ReadBookItems(DecodeBookText(std::string())).empty());
}

}  // namespace
}  // namespace orlavo
