// A book's items: the rules that split a text into them, and the index that finds each again in
// the book's buffer, against a plain split at the line ends on books whose blocks of items span
// far, the index's hardest case.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "book_items/book_items.h"
#include "book_items/item_reader.h"
#include "fakes/fake_platform.h"

namespace orlavo::testing {
namespace {

using Items = std::vector<std::string>;

struct ItemsCase {
    const char* name;
    std::string in{};  // a book's text
    Items out{};       // its items
};

// Enough items for every kind of block the index keeps: short ones, one that spans far because an
// item in it is longer than the index walks, one ending with the long item, and the unfinished
// last one.
ItemsCase ManyItems(const char* name, std::size_t longAt) {
    ItemsCase c{.name = name};
    for (std::size_t i = 0; i < 300; ++i) {
        c.out.push_back(i == longAt ? std::string(BookItems::kFarSpan + 1, 'w')
                                    : std::to_string(i));
        c.in += (i % 3 == 0 ? "  " : "") + c.out.back() + (i % 2 == 0 ? " ,\t" : "\r\n");
    }
    return c;
}

class ItemRules : public ::testing::TestWithParam<ItemsCase> {};

TEST_P(ItemRules, SplitTheTextIntoItems) {
    FakePlatform list;
    list.ReplaceItems(ReadBookItems(GetParam().in));
    EXPECT_EQ(list.Items(), GetParam().out);
}

const ItemsCase kTexts[] = {
    {.name = "CommaAndEveryLineEnd", .in = "a,b\r\nc\nd\re", .out = {"a", "b", "c", "d", "e"}},
    {.name = "LfThenCrAreTwoLineEnds", .in = "a\n\rb", .out = {"a", "", "b"}},
    {.name = "CommaEndingALineGivesAnEmptyItem", .in = "a,\nb,", .out = {"a", "", "b", ""}},
    {.name = "TwoCommas", .in = "a,,b", .out = {"a", "", "b"}},
    {.name = "EmptyText", .in = "", .out = {}},
    {.name = "EmptyAndBlankLines", .in = "a\n\n \t \r\n\r\nb", .out = {"a", "", "", "", "b"}},
    {.name = "FinalLineEndGivesNoExtraItem", .in = "a\nb\n", .out = {"a", "b"}},
    {.name = "TrailingEmptyLineIsKept", .in = "a\n\n", .out = {"a", ""}},
    {.name = "BlanksAroundDroppedInsideKept", .in = " \t a\tb  c \t, d ", .out = {"a\tb  c", "d"}},
    {.name = "QuotedKeepsCommasAndBlanks", .in = "  \" x, y \"  ,z", .out = {" x, y ", "z"}},
    {.name = "TextAfterAQuoteStartsAnItem", .in = "\"abc\"def,ghi", .out = {"abc", "def", "ghi"}},
    {.name = "QuotedAtLineEnd", .in = "\"a\"\r\n\"\"", .out = {"a", ""}},
    {.name = "UnclosedQuoteEndsAtLineEnd", .in = "\"a, b\nc,\"d", .out = {"a, b", "c", "d"}},
    {.name = "QuoteInsideAnItemIsKept", .in = "say \"hi\" now", .out = {"say \"hi\" now"}},
    {.name = "LongRuns",
     .in = "abcdefghij,k\r\nlmnopqrstuv\rw,xyzABCDEFGH\nI",
     .out = {"abcdefghij", "k", "lmnopqrstuv", "w", "xyzABCDEFGH", "I"}},
    ManyItems("LongItemInsideABlock", 70),
    ManyItems("LongItemEndingABlock", 127),
    ManyItems("LongItemInTheLastBlock", 299)};

INSTANTIATE_TEST_SUITE_P(Book, ItemRules, ::testing::ValuesIn(kTexts),
                         [](const auto& info) { return std::string(info.param.name); });

// Books of several hundred items whose long items make blocks span farther than the index walks:
// each item read back is the line a plain split finds, in every block.
TEST(BookItemsIndex, FindsEachItemAsAPlainSplitDoesInBlocksThatSpanFar) {
    constexpr std::size_t kLong = BookItems::kFarSpan + 1;
    for (const std::vector<std::size_t>& longAt :
         {std::vector<std::size_t>{5, 300}, {127, 128, 255}, {0, 200, 400, 511}}) {
        std::string text;
        Items lines;
        BookItems::Index index;
        for (std::size_t i = 0; i < 520; ++i) {
            const bool isLong = std::find(longAt.begin(), longAt.end(), i) != longAt.end();
            lines.push_back(isLong ? std::string(kLong, char('a' + i % 26)) : std::to_string(i));
            text += (i == 0 ? "" : "\n") + lines.back();
            index.Add(lines.back().size());
        }
        const BookItems book(text, std::move(index));
        for (std::int32_t i = 0; i < book.size(); ++i) {
            ASSERT_EQ(book.at(i), lines[std::size_t(i)]) << "item " << i << " of " << longAt[0];
        }
    }
}

}  // namespace
}  // namespace orlavo::testing
