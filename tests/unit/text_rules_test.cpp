#include "shared/decimal_text.hpp"
#include "shared/integer_from_text.hpp"
#include "shared/truncation.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

TEST(DecimalText, SignDigitsAndExtremes) {
    EXPECT_EQ(bc::decimalText(0), "0");
    EXPECT_EQ(bc::decimalText(100), "100");
    EXPECT_EQ(bc::decimalText(-7), "-7");
    EXPECT_EQ(bc::decimalText(INT32_MIN), "-2147483648");
    EXPECT_EQ(bc::decimalText(INT64_MIN), "-9223372036854775808");
}

struct ParseCase {
    const char* name;
    std::string text;
    std::int32_t expected;
};

class IntegerFromTextCases : public testing::TestWithParam<ParseCase> {};

TEST_P(IntegerFromTextCases, WholeText) {
    EXPECT_EQ(bc::integerFromText(GetParam().text), GetParam().expected);
}

// Any split of the text into two pieces gives the same value, including a split inside a
// double-byte character.
TEST_P(IntegerFromTextCases, FedInTwoPieces) {
    const std::string& text = GetParam().text;
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        bc::IntegerFromText parser;
        parser.feed(std::string_view(text).substr(0, cut));
        parser.feed(std::string_view(text).substr(cut));
        EXPECT_EQ(parser.finish(), GetParam().expected) << "cut at " << cut;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IntegerFromTextCases,
    testing::Values(
        ParseCase{"plain", "57", 57}, ParseCase{"leading_blank_trailing_letters", " 42abc", 42},
        ParseCase{"line_end", "100\r\n", 100}, ParseCase{"blanks_of_every_kind", "\t\n\v\f\r 9", 9},
        ParseCase{"minus", "-5", -5}, ParseCase{"plus", "+8", 8}, ParseCase{"two_signs", "--5", 0},
        ParseCase{"blank_after_sign", "- 5", 0}, ParseCase{"empty", "", 0},
        ParseCase{"no_digits", "abc", 0}, ParseCase{"full_width_digits", "\xA3\xB6\xA3\xB0", 60},
        ParseCase{"full_width_minus", "\xA3\xAD\xA3\xB3", -3},
        ParseCase{"full_width_plus_mixed",
                  "\xA3\xAB"
                  "4\xA3\xB2",
                  42},
        ParseCase{"ideographic_space",
                  "\xA1\xA1\xA1\xA1"
                  "12",
                  12},
        ParseCase{"tilde_mapping_stops",
                  "\xA1\xAB"
                  "5",
                  0},
        ParseCase{"star_mapping_stops",
                  "7\xA1\xEE"
                  "5",
                  7},
        ParseCase{"other_double_byte_stops",
                  "3\xB0\xA1"
                  "4",
                  3},
        // 0xB0 0xA3 is one character, so the 0xA3 is not a full-width lead byte here.
        ParseCase{"pair_boundary_respected", "\xB0\xA3\xB1", 0},
        ParseCase{"dangling_lead_byte", "5\xA3", 5}, ParseCase{"int_max", "2147483647", INT32_MAX},
        ParseCase{"wraps_past_max", "2147483648", INT32_MIN},
        ParseCase{"wraps_negative", "-2147483649", INT32_MAX},
        ParseCase{"thirteen_digit_stamp", "1765432109876",
                  static_cast<std::int32_t>(1765432109876LL % 4294967296LL)}),
    [](const testing::TestParamInfo<ParseCase>& param) { return std::string(param.param.name); });

TEST(IntegerFromText, StopsReadingOnceTheNumberEnds) {
    bc::IntegerFromText parser;
    EXPECT_TRUE(parser.feed("  12"));
    EXPECT_FALSE(parser.feed("x99"));
    EXPECT_FALSE(parser.feed("99"));
    EXPECT_EQ(parser.finish(), 12);
}

TEST(Truncation, TowardZeroLow32Bits) {
    EXPECT_EQ(bc::truncateToInt32(2.9), 2);
    EXPECT_EQ(bc::truncateToInt32(-2.9), -2);
    EXPECT_EQ(bc::truncateToInt32(4294967296.0 + 5.0), 5);
    EXPECT_EQ(bc::truncateToInt32(2147483648.0), INT32_MIN);
    EXPECT_EQ(bc::truncateToInt32(-2147483649.0), INT32_MAX);
    EXPECT_EQ(bc::truncateToInt32(1e300), 0); // beyond 64 bits: still defined
}

} // namespace
