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

TEST(ParseDecimal, ReadsWithinTheGivenTextOnly) {
    const std::string text = "12345";
    EXPECT_EQ(ParseDecimal(std::string_view(text).substr(0, 2)), 12);
    size_t end = 99;
    EXPECT_EQ(ParseDecimal(std::string_view(" -42,7"), &end), -42);
    EXPECT_EQ(end, 4u);
    EXPECT_EQ(ParseDecimal(std::string_view("x"), &end), 0);
    EXPECT_EQ(end, 0u);
    bool clamped = false;
    ParseDecimal(std::string_view("2147483648"), nullptr, &clamped);
    EXPECT_TRUE(clamped);
    ParseDecimal(std::string_view("2147483647"), nullptr, &clamped);
    EXPECT_FALSE(clamped);
}

TEST(ReadPositiveNumber, OnlyAWholePositiveNumberBetweenBlanks) {
    int value = 5;
    for (const char* bad : {"", " ", "0", "-1", "+1", "1x", "x1", "1 2", "2147483648",
                            "99999999999999999999", "\n1"})
        EXPECT_FALSE(ReadPositiveNumber(bad, value)) << bad;
    EXPECT_EQ(value, 5); // untouched by every refusal
    EXPECT_TRUE(ReadPositiveNumber(" \t9600 ", value));
    EXPECT_EQ(value, 9600);
    EXPECT_TRUE(ReadPositiveNumber("2147483647", value));
    EXPECT_EQ(value, 2147483647);
    EXPECT_TRUE(ReadPositiveNumber("007", value));
    EXPECT_EQ(value, 7);
}
