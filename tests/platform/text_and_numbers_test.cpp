#include "platform/text_and_numbers.h"

#include <gtest/gtest.h>

#include "platform/runtime_error.h"

namespace orlavo {
namespace {

struct NumericCase {
    std::string text;
    bool numeric;
    double value;
};

void PrintTo(const NumericCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class NumericTest : public ::testing::TestWithParam<NumericCase> {};

TEST_P(NumericTest, EveryNumericTextConverts) {
    const NumericCase& c = GetParam();
    EXPECT_EQ(IsNumeric(c.text), c.numeric);
    if (c.numeric) {
        EXPECT_DOUBLE_EQ(TextToDouble(c.text), c.value);
    } else {
        try {
            TextToDouble(c.text);
            FAIL() << "a text that is not a number converted";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), kInvalidArgument);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    TypedAnswers, NumericTest,
    ::testing::Values(
        NumericCase{"98", true, 98}, NumericCase{"2.5", true, 2.5}, NumericCase{"-1", true, -1},
        NumericCase{"+7", true, 7}, NumericCase{"1e9", true, 1e9}, NumericCase{"1E-2", true, 0.01},
        NumericCase{".5", true, 0.5}, NumericCase{"5.", true, 5}, NumericCase{"  12\t", true, 12},
        NumericCase{"", false, 0}, NumericCase{" ", false, 0}, NumericCase{"abc", false, 0},
        NumericCase{"12abc", false, 0}, NumericCase{"1 2", false, 0}, NumericCase{".", false, 0},
        NumericCase{"-", false, 0}, NumericCase{"1e", false, 0}, NumericCase{"e5", false, 0},
        NumericCase{"1.2.3", false, 0}, NumericCase{"inf", false, 0}, NumericCase{"nan", false, 0},
        NumericCase{"0x10", false, 0}, NumericCase{"1,5", false, 0},
        NumericCase{std::string("1\0", 2), false, 0}));

struct RoundingCase {
    double value;
    std::int32_t rounded;
};

class RoundingTest : public ::testing::TestWithParam<RoundingCase> {};

TEST_P(RoundingTest, RoundsHalfToEven) {
    EXPECT_EQ(RoundToInteger(GetParam().value), GetParam().rounded);
}

INSTANTIATE_TEST_SUITE_P(Lines, RoundingTest,
                         ::testing::Values(RoundingCase{2.5, 2}, RoundingCase{3.5, 4},
                                           RoundingCase{97.5, 98}, RoundingCase{0.5, 0},
                                           RoundingCase{1.5, 2}, RoundingCase{-0.5, 0},
                                           RoundingCase{-1.5, -2}, RoundingCase{2.4999, 2},
                                           RoundingCase{2.5001, 3}, RoundingCase{32767.5, 32768},
                                           RoundingCase{2147483647.0, 2147483647},
                                           RoundingCase{-2147483648.0, -2147483647 - 1}));

TEST(Rounding, OutsideThe32BitRangeIsAnOverflow) {
    for (const double value : {2147483647.5, 1e9 * 10, -2147483649.0, 1e300}) {
        try {
            RoundToInteger(value);
            FAIL() << value << " fitted";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), kOverflow);
        }
    }
}

TEST(IntegerToText, HasNoLeadingBlank) {
    EXPECT_EQ(IntegerToText(0), "0");
    EXPECT_EQ(IntegerToText(-1), "-1");
    EXPECT_EQ(IntegerToText(101785), "101785");
}

}  // namespace
}  // namespace orlavo
