#include "textfunctions/TextFunctions.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

TEST(FormatFixed, PrecisionChoosesTheFormat) {
    const struct {
        double value;
        int precision;
        const char* text;
    } cases[] = {
        {1234.5678, 1, "    1234.6"},
        {1234.5678, 0, "      1235"},
        {3.14159265, 7, "   3.14159"},
        {3.14159265, -1, "   3.14159"},
        {3.14159265, 5, "   3.14159"},
        {3.14159265, 4, "    3.1416"},
        {2.5, 2, "      2.50"},
        {-2.5, 2, "     -2.50"},
        {0.0, 3, "     0.000"},
        {-0.25, 3, "    -0.250"},
        {12345678901.5, 1, " 12345678901.5"},
        {std::numeric_limits<double>::infinity(), 2, "       inf"},
        {-std::numeric_limits<double>::infinity(), 2, "      -inf"},
        {std::numeric_limits<double>::quiet_NaN(), 2, "       nan"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(FormatFixed(c.value, c.precision), c.text)
            << c.value << " precision " << c.precision;
}

TEST(FormatFixed, EachCallOverwritesTheOneBuffer) {
    char* first = FormatFixed(123456.0, 2);
    char* second = FormatFixed(1.0, 0);
    EXPECT_EQ(first, second);
    EXPECT_STREQ(second, "         1");
}

// The text of a huge value is cut at the 255 characters the buffer holds.
TEST(FormatFixed, HugeValuesStayInsideTheBuffer) {
    for (double value : {1e250, 1e300, -DBL_MAX, DBL_MAX}) {
        std::vector<char> full(400);
        std::snprintf(full.data(), full.size(), "% 10.5f", value);
        ASSERT_GT(std::strlen(full.data()), 255u);
        const char* text = FormatFixed(value, 9);
        EXPECT_EQ(std::string(text), std::string(full.data(), 255)) << value;
    }
}

TEST(ParseHex, ReadsHexadecimalTexts) {
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"1A", 26},
        {"1a", 26},
        {"0x1a", 26},
        {"0x1A", 26},
        {"abc0x10", 16},
        {"9", 9},
        {"fF", 255},
        {"7FFFFFFF", INT_MAX},
        {"80000000", INT_MIN},
        {"90abcdef", -1867788817},
        {"FFFFFFFF", -1},
        {"123456789", 591751049},
        {"1234567890abcdef", -1867788817},
        {"0xFFFFFFFFFFFFFFFF", -1},
        {"000000000000000001", 1},
        {"", 0},
        {"0x", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseHex(c.text), c.value) << c.text;
}

TEST(ParseHex, RefusesInvalidTexts) {
    for (const char* text : {"0X1A", "1A ", " 1A", "-1", "+1", "g", "G", "1x", "0x0x1", "0x1 ",
                             "1234567890123456789", "0x00000000000000001"})
        EXPECT_EQ(ParseHex(text), -1) << text;
    EXPECT_EQ(ParseHex(nullptr), 0);
}

TEST(TextKey, PacksTheFirstFourCharactersAndAddsTheRest) {
    const std::string wraps = std::string(70004, '\x7f');
    const struct {
        std::string text;
        int key;
    } cases[] = {
        {"ABCD", 1094861636},     {"ABCDE", 1094861705}, {"ABCDEF", 1094861775},
        {"AB", 1094844416},       {"A", 1090519040},     {"", 0},
        {"\x80", INT_MIN},        {"\xff", -16777216},   {"A\xff", 1090453504},
        {"\x80\x80", 2139095040}, {wraps, -2147015153},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextKey(c.text.c_str()), c.key) << c.text.size() << " characters";
    EXPECT_EQ(TextKey(nullptr), -1);
}

TEST(DigitValue, OnlyTheLowByteCounts) {
    const struct {
        int c;
        int value;
    } cases[] = {
        {'0', 0},  {'7', 7},  {'9', 9},       {' ', -1},          {'/', -1},
        {':', -1}, {'a', -1}, {256 + '7', 7}, {256 + '0', 0},     {256, -1},
        {-1, -1},  {0, -1},   {-200, 8},      {INT_MIN + '5', 5}, {INT_MAX, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DigitValue(c.c), c.value) << c.c;
}

} // namespace
