#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "textutil.h"

static std::string Trimmed(const char *text, int *length = nullptr) {
    char buffer[256];
    std::strcpy(buffer, text);
    int n = TrimBlanks(buffer);
    if (length) *length = n;
    return buffer;
}

TEST(TrimBlanks, RemovesControlAndHighBytesAtTheEnds) {
    int n = -1;
    EXPECT_EQ("H2O", Trimmed("  \t H2O \r\n", &n));
    EXPECT_EQ(3, n);
    EXPECT_EQ("a b", Trimmed(" a b "));
    EXPECT_EQ("x", Trimmed("x\xe9\xff"));      // trailing bytes 128..255 go
    EXPECT_EQ("\xe9x", Trimmed("\xe9x"));      // a leading high byte stays
    EXPECT_EQ("\x7f", Trimmed("\x01 \x7f"));  // 127 counts as a character
    EXPECT_EQ("", Trimmed(" \t\r\n"));
}

TEST(TrimBlanks, KeepsDelAsLastCharacter) {
    EXPECT_EQ("a\x7f", Trimmed("a\x7f "));
}

static std::string Zeros(const char *text) {
    char buffer[64];
    std::strcpy(buffer, text);
    TrimTrailingZeros(buffer);
    return buffer;
}

TEST(TrimTrailingZeros, TrimsFixedPointTexts) {
    EXPECT_EQ("2.5", Zeros("2.50000"));
    EXPECT_EQ("2", Zeros("2.00000"));
    EXPECT_EQ("10", Zeros("10.00000"));
    EXPECT_EQ("0", Zeros("0.00000"));
    EXPECT_EQ("-0", Zeros("-0.00000"));
    EXPECT_EQ("2.01588", Zeros("2.01588"));
    EXPECT_EQ("0", Zeros("0"));
    EXPECT_EQ("", Zeros(""));
}

TEST(FormatNumber, ExtremeValuesFitTheBuffer) {
    EXPECT_STREQ("1000", NumberText(1e3).c_str());
    EXPECT_STREQ("0", NumberText(0.000001).c_str());
    std::string big = NumberText(-1e308).c_str();
    EXPECT_EQ(310u, big.size());  // sign and 309 digits, zeros and point trimmed
    EXPECT_EQ(std::string(NumberText(1e308).c_str()).size(), 309u);
    EXPECT_STREQ("nan", NumberText(std::numeric_limits<double>::quiet_NaN()).c_str());
    EXPECT_STREQ("inf", NumberText(std::numeric_limits<double>::infinity()).c_str());
    EXPECT_EQ(310u, std::strlen(NumberText(-std::numeric_limits<double>::max()).c_str()));
    char small[8];
    FormatNumber(-1e308, small, sizeof small);  // cut short, never overrun
    EXPECT_STREQ("-100000", small);
}

TEST(ReadNumberText, AcceptsExactlyOneNumber) {
    double v = -7;
    EXPECT_EQ(0, ReadNumberText("1.5 ", &v));
    EXPECT_EQ(1.5, v);
    EXPECT_EQ(0, ReadNumberText("  ", &v));
    EXPECT_EQ(0.0, v);
    EXPECT_EQ(0, ReadNumberText("1e3", &v));
    EXPECT_EQ(1000.0, v);
    v = 42;
    EXPECT_EQ(1, ReadNumberText("1. 5", &v));
    EXPECT_EQ(1, ReadNumberText("abc", &v));
    EXPECT_EQ(1, ReadNumberText("1,5", &v));
    EXPECT_EQ(1, ReadNumberText("1e999", &v));
    EXPECT_EQ(1, ReadNumberText("-1e999", &v));
    EXPECT_EQ(1, ReadNumberText("?", &v));
    EXPECT_EQ(42, v);
}

TEST(ReadNumberText, QuestionMarkFirstReadsAsFallback) {
    double v = 0;
    EXPECT_EQ(0, ReadNumberTextOr("?x", -1e308, &v));
    EXPECT_EQ(-1e308, v);
    EXPECT_EQ(1, ReadNumberTextOr(" ?", -1e308, &v));  // a blank before it is just text
    EXPECT_EQ(0, ReadNumberTextOr("2", -1e308, &v));
    EXPECT_EQ(2, v);
}

TEST(ReadNumberText, OnlyTheFirst99CharactersCount) {
    std::string text(98, ' ');
    text += "7";
    double v = 0;
    EXPECT_EQ(0, ReadNumberText(text.c_str(), &v));
    EXPECT_EQ(7, v);
    text = std::string(99, ' ') + "7";  // the digit falls outside the field buffer
    EXPECT_EQ(0, ReadNumberText(text.c_str(), &v));
    EXPECT_EQ(0, v);
}
