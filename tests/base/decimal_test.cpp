#include "base/decimal.h"

#include <gtest/gtest.h>

#include <string>

TEST(ParseDecimal, ReadsLikeACDecimalConversion) {
    EXPECT_EQ(ParseDecimal("1"), 1);
    EXPECT_EQ(ParseDecimal("0"), 0);
    EXPECT_EQ(ParseDecimal(""), 0);
    EXPECT_EQ(ParseDecimal("  \t-12abc"), -12);
    EXPECT_EQ(ParseDecimal("+7"), 7);
    EXPECT_EQ(ParseDecimal("abc1"), 0);
    EXPECT_EQ(ParseDecimal("2 3"), 2);
    EXPECT_EQ(ParseDecimal("-"), 0);
    EXPECT_EQ(ParseDecimal(nullptr), 0);
}

TEST(ParseDecimal, ClampsNumbersBeyondThirtyTwoBits) {
    EXPECT_EQ(ParseDecimal("2147483647"), 2147483647);
    EXPECT_EQ(ParseDecimal("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseDecimal("9999999999999999999"), 2147483647);
    EXPECT_EQ(ParseDecimal("-9999999999999999999"), -2147483647 - 1);
    EXPECT_EQ(ParseDecimal(std::string(5000, '9').c_str()), 2147483647);
}
