#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "core/textutil.h"

// TrimBlanks: blanks, control and high bytes go at the ends; DEL and a leading high byte stay.
// TrimTrailingZeros: zeros go after the point only, never the first character; "-0" keeps its sign.
TEST(TextUtil, TrimInPlace) {
    const struct { bool zeros; const char *text, *trimmed; } cases[] = {
        {false, "  \t H2O \r\n", "H2O"}, {false, " a b ", "a b"}, {false, "x\xe9\xff", "x"},
        {false, "\xe9x", "\xe9x"},       {false, "\x01 \x7f", "\x7f"}, {false, "a\x7f ", "a\x7f"},
        {false, " \t\r\n", ""},          {true, "2.50000", "2.5"},     {true, "10.00000", "10"},
        {true, "-0.00000", "-0"},        {true, "2.01588", "2.01588"}, {true, "0", "0"}, {true, "", ""}};
    for (const auto &c : cases) {
        char buffer[32];
        std::strcpy(buffer, c.text);
        if (c.zeros)
            TrimTrailingZeros(buffer);
        else
            EXPECT_EQ(int(std::strlen(c.trimmed)), TrimBlanks(buffer)) << c.text;
        EXPECT_STREQ(c.trimmed, buffer) << c.text;
    }
}

// The widest values fit NumberText whole, and a short buffer is cut, never overrun; nothing shows as "-0".
TEST(FormatNumber, ExtremeValuesFitTheBuffer) {
    const std::pair<double, const char *> cases[] = {
        {0.000001, "0"}, {-0.0, "0"}, {-0.000001, "0"}, {-0.00001, "-0.00001"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"}, {std::numeric_limits<double>::infinity(), "inf"}};
    for (const auto &c : cases) EXPECT_STREQ(c.second, NumberText(c.first).c_str()) << c.first;
    EXPECT_EQ(310u, std::strlen(NumberText(-std::numeric_limits<double>::max()).c_str()));
    char small[8];
    FormatNumber(-1e308, small, sizeof small);
    EXPECT_STREQ("-100000", small);
}

// Exactly one strtod number with blanks around it, the whole text however long;
// failures leave the value alone; a '?' as the very first character reads as the fallback.
TEST(ReadNumberText, AcceptsExactlyOneNumber) {
    const struct { std::string text; int result; double value; } cases[] = {
        {"1.5 ", 0, 1.5}, {"  ", 0, 0}, {"1e3", 0, 1000}, {"1. 5", 1, 42}, {"1e999", 1, 42},
        {"-1e999", 1, 42}, {"?", 1, 42}, {std::string(99, ' ') + "7", 0, 7},
        // Long texts read whole: 1 written with 98 zeros and e-98, text past the 99th character.
        {"1" + std::string(98, '0') + "e-98", 0, 1}, {"1" + std::string(200, ' ') + "x", 1, 42},
        {".5", 0, 0.5}, {"5.", 0, 5}, {"+2E-1", 0, 0.2}, {"1e", 1, 42}, {".", 1, 42}, {"-", 1, 42},
        // strtod spellings that are not a chemist's numbers: "nan" would act as "?", "0x10" as 16 g.
        {"nan", 1, 42}, {"NAN(123)", 1, 42}, {"-nan", 1, 42}, {"inf", 1, 42}, {"-Infinity", 1, 42},
        {"0x10", 1, 42}, {"0X1p4", 1, 42}, {"1e400", 1, 42},
        // A decimal comma reads as 2, so the message can say to use a point; other commas do not.
        {"1,5", 2, 42}, {" -0,25 ", 2, 42}, {"1,5,0", 1, 42}, {"1.000,5", 1, 42}, {",", 1, 42}};
    for (const auto &c : cases) {
        double v = 42;
        EXPECT_EQ(c.result, ReadNumberText(c.text.c_str(), &v)) << c.text;
        EXPECT_EQ(c.value, v) << c.text;
    }
    double v = 0;
    EXPECT_EQ(0, ReadNumberTextOr("?x", -1e308, &v));
    EXPECT_EQ(-1e308, v);
    EXPECT_EQ(1, ReadNumberTextOr(" ?", -1e308, &v));
}
