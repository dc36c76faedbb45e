// Formula parser: validity, compositions, depth limits, decimal counts (the arithmetic of compositions:
// the differentials and every solve).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <utility>

#include "tests/support/chemistry.h"
#include "core/numbers.h"
#include "core/elements.h"
#include "core/formula.h"

namespace {

// Check, then GetComposition twice on the same tree (the second run must not
// multiply the group counts again): the composition's text, or "fail".
std::string CompositionOf(const std::string &text, Composition *out = nullptr) {
    CFormulaNode *tree = nullptr;
    if (Parser().Check(text.c_str(), &tree) != 0) return "invalid";
    Composition first, second;
    int result = Parser().GetComposition(nullptr, 1.0, tree, first);
    result |= Parser().GetComposition(nullptr, 1.0, tree, second);
    delete tree;
    if (out != nullptr) *out = first;
    if (Text(first) != Text(second)) return "second run differs: " + Text(second);
    return result == 0 ? Text(first) : "fail";
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class FormulaTest : public ::testing::Test {
protected:
    void SetUp() override { LoadTestElements(); }
};

// 0 valid, -1 unbalanced parentheses, -2 anything else; a tree only when valid; the unknown symbol named.
TEST_F(FormulaTest, CheckResults) {
    const std::pair<const char *, int> cases[] = {
        {"", 0}, {"Ba(NO3)2", 0}, {"()3", 0}, {"H2H-2", 0}, {"H+2", 0}, {"O2.", 0}, {"O.5", 0},
        {"C1E+1", 0}, {"H 2O", 0}, {"(H) 2", 0}, {"H1.7976931348623157e308", 0},
        {"H2O)", -1}, {")H2O(", -1}, {"(H2O", -1}, {"())(", -1}, {"2H2O)", -1},
        {"Cx", -2}, {"2H2O", -2}, {"h2o", -2}, {"H2 O", -2}, {" H2O", -2}, {"H2O ", -2}, {"H1e999", -2},
        {"H1.7976931348623159e308", -2}, {"H.", -2}, {"H-", -2}, {"H1e+", -2}, {"H0x1", -2},
        {"(H)nan", -2}, {"(H) inf", -2}, {"H\xC3", -2}, {"H2O\x01", -2}, {"(2H)", -2},
    };
    for (const auto &c : cases) {  // without a tree the same answers: the formula fuzz target's
        CFormulaNode *tree = reinterpret_cast<CFormulaNode *>(&tree);  // not null before the call
        EXPECT_EQ(c.second, Parser().Check(c.first, &tree)) << '"' << c.first << '"';
        EXPECT_EQ(c.second == 0, tree != nullptr) << c.first;
        delete tree;
    }
    // The symbol that makes a formula fail, read as the parser reads symbols ("" for h2o: no
    // symbol at all, the formula fails for another reason).
    const std::pair<const char *, const char *> unknown[] = {
        {"Ba(NO3)2", ""}, {"Xx2O3", "Xx"}, {"Y2O3Xx", "Xx"}, {"(CuQq)2Zz", "Qq"}, {"Cabc", "Cab"},
        {"h2o", ""},      {"O2Q", "Q"},    {"", ""}};
    for (const auto &c : unknown) EXPECT_EQ(c.second, FirstUnknownSymbol(c.first, Table())) << c.first;
    EXPECT_EQ("H", FirstUnknownSymbol("H2", CElementTable()));
    // A parser over an empty table knows no symbol.
    const CElementTable empty;
    EXPECT_EQ(-2, CFormulaParser(empty).Check("H"));
    EXPECT_EQ(0, CFormulaParser(empty).Check("()"));
    EXPECT_EQ(-2, Parser().Check(nullptr));
}

// Counts multiply, every amount typed is kept however small, only what cancels within rounding
// drops out; overflow (or 0 x inf) fails, and CheckComposition names it.
TEST_F(FormulaTest, Compositions) {
    const std::pair<const char *, const char *> cases[] = {
        {"H2.1(Re3Os7.8)(PtAu)3.4", "H:2.1 Re:3 Os:7.8 Pt:3.4 Au:3.4"},
        {"Ba(NO3)2", "N:2 O:6 Ba:1"}, {"((H2)3)2", "H:12"}, {"CH3COOH", "H:4 C:2 O:2"},
        {"", ""}, {"H2H-2", ""}, {"H-1", "H:-1"}, {"Al1.99Co0.000004O3", "O:3 Al:1.99 Co:4e-06"},
        {"H-0.000005", "H:-5e-06"}, {"H1e-300", "H:1e-300"}, {"(H0.1)3H-0.3", ""}, {"H1H-0.9999999", "H:1e-07"},
        {"(O(H)2)0.5", "H:1 O:0.5"}, {"C1e1O.5", "C:10 O:0.5"}, {"(H1e200)1e200", "fail"}, {"((H0)1e200)1e200", "fail"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.second, CompositionOf(c.first)) << c.first;
        Composition checked;
        EXPECT_EQ(std::string(c.second) == "fail" ? FORMULA_AMOUNT_TOO_LARGE : 0, Parser().CheckComposition(c.first, checked));
    }
    // Molar masses are the double nearest the exact sum (summing the doubles is one unit in the
    // last place off for the first five), also where counts multiply and add up; past the largest
    // double they are infinite.
    const std::pair<const char *, double> masses[] = {
        {"BaCO3", 197.3359}, {"YBa2Cu3O7", 666.19365}, {"K2SO4", 174.2592}, {"Li2CO3", 73.8909}, {"NiO", 74.6928},
        {"H-1Ba0.25", 33.32381}, {"H2H-2", 0.0}, {"C1e308", HUGE_VAL},
        {"(Ni0.1O0.1)3", 22.40784}, {"Ni0.1Ni0.2O0.3", 22.40784},  // products and sums of counts rounded once
    };
    for (const auto &c : masses) {
        Composition composition;
        CompositionOf(c.first, &composition);
        EXPECT_TRUE(SameBits(c.second, MolarMass(composition, Table()))) << c.first << " " << MolarMass(composition, Table());
    }
}

// Hydrates and adducts: each part after "*" or the middle dot (stored 0xB7 or UTF-8) is a group
// whose count is the part's leading count; the period stays a decimal point; empty parts, separators
// inside parentheses and blanks or signs before a leading count are refused.
TEST_F(FormulaTest, HydratesAndAdducts) {
    const struct { const char *formula; int check; const char *sameAs = ""; } cases[] = {
        {"CuSO4\xB7" "5H2O", 0, "CuSO4(H2O)5"},  // the asterisk, UTF-8 dot and O4.5: quillon-cli's mass test
        {"CaSO4\xB7" "0.5H2O", 0, "CaSO4(H2O)0.5"}, {"Na2CO3\xB7" "1.5H2O2", 0, "Na2CO3(H2O2)1.5"},
        {"K2SO4*Al2(SO4)3*24H2O", 0, "K2SO4(Al2(SO4)3)(H2O)24"}, {"CuSO4\xB7H2O", 0, "CuSO4H2O"},
        {"CuSO4\xB7" "2(H2O)3", 0, "CuSO4(H2O)6"}, {"CuSO4\xB7.5H2O", 0, "CuSO4(H2O)0.5"},
        {"CuSO4\xB7" "0H2O", 0, "CuSO4"}, {"CuSO4\xB7" "1e1H2O", 0, "CuSO4(H2O)10"},
        {"CuSO4\xB7", -2}, {"\xB7H2O", -2}, {"CuSO4*\xB7H2O", -2}, {"CuSO4\xB7" "5", -2}, {"CuSO4*5*H2O", -2},
        {"(CuSO4\xB7" "5H2O)", -2}, {"Cu(SO4*H2O)", -2}, {"(CuSO4*5H2O", -1}, {"CuSO4\xB7 5H2O", -2},
        {"CuSO4 \xB7" "5H2O", -2}, {"CuSO4\xB7" "5 H2O", -2}, {"CuSO4\xB7-5H2O", -2}, {"CuSO4\xB7" "1e999H2O", -2},
        {"CuSO4\xC2H2O", -2}, {"CuSO4\xB7\xC2\xB7H2O", -2},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.check, Parser().Check(c.formula)) << c.formula;
        if (c.check == 0) { EXPECT_EQ(CompositionOf(c.sameAs), CompositionOf(c.formula)) << c.formula; }
    }
    EXPECT_EQ("CuSO4\xB7" "5H2O*\xC2", StoredFormulaText("CuSO4\xC2\xB7" "5H2O*\xC2"));  // a lone C2 stays
}

// Depth and width must not overflow the stack; deep failures leak nothing (sanitizer).
TEST_F(FormulaTest, MegabyteOfOpeningParenthesesAndHalfAMillionNestedGroups) {
    std::string open(1 << 20, '(');
    EXPECT_EQ(-1, Parser().Check(open.c_str()));
    EXPECT_EQ(-1, Parser().Check(std::string(1 << 20, ')').c_str()));
    CFormulaNode *tree = Parser().Parse(open.c_str());  // the end closes every group
    ASSERT_NE(nullptr, tree);
    Composition out;
    EXPECT_EQ(0, Parser().GetComposition(nullptr, 1.0, tree, out));
    EXPECT_EQ(0, out.count);
    delete tree;

    const int depth = 500000;
    EXPECT_EQ("H:2", CompositionOf(std::string(depth, '(') + "H2" + std::string(depth, ')')));
    std::string counted = std::string(depth, '(') + "H", siblings;
    for (int i = 0; i < depth; ++i) counted += i % 2 ? ")2" : ")0.5";
    EXPECT_EQ("H:1", CompositionOf(counted));
    for (int i = 0; i < depth; ++i) siblings += "(H)";
    EXPECT_EQ("H:500000", CompositionOf(siblings));
    tree = reinterpret_cast<CFormulaNode *>(&tree);
    EXPECT_EQ(-2, Parser().Check((std::string(depth, '(') + "Hx" + std::string(depth, ')')).c_str(), &tree));
    EXPECT_EQ(nullptr, tree);
}

// Counts are read bit for bit as strtod reads decimal text, on hard cases
// and random spellings (under Wine also the quick path's x87 arithmetic).
TEST(DecimalNumber, AgreesWithStrtod) {
    int quickCount = 0;
    auto check = [&quickCount](const std::string &text) {
        char *expectedEnd = nullptr;
        double expected = std::strtod(text.c_str(), &expectedEnd), value = 0.0, quick = 0.0;
        const char *end = ReadDecimalNumber(text.c_str(), &value);
        EXPECT_EQ(expectedEnd, end) << text;
        EXPECT_TRUE(end == text.c_str() || SameBits(expected, value)) << text << ": " << value;
        if (QuickDecimalNumber(text.c_str(), &quick)) {
            ++quickCount;
            EXPECT_TRUE(SameBits(expected, quick)) << text;
        }
    };
    for (const char *text : {"-0", ".5", "5.", "  \t\n\v\f\r3", "-2.5x", "1e+", "0.3", "9007199254740993", "1e23",
                             "3.14159265358979323846264338327950288", "1.7976931348623157e308", "-1e999",
                             "1e-999", "4.9406564584124654e-324", "2.2250738585072011e-308", "0e999",
                             "000000000000000000000000001.5", "123e-20"}) {
        check(text);
    }
    std::mt19937 random(20240611u);
    auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    auto digits = [&](std::string &text, int n) {
        for (int i = 0; i < n; ++i) text += static_cast<char>('0' + pick(10));
    };
    for (int round = 0; round < 50000 && !::testing::Test::HasFailure(); ++round) {
        std::string text = std::string(pick(8) == 0 ? " " : "") + (pick(2) ? "" : pick(2) ? "-" : "+");
        digits(text, pick(3) == 0 ? pick(25) : pick(6));
        if (pick(2)) digits(text += '.', pick(3) == 0 ? pick(25) : pick(8));
        if (pick(3) == 0) digits(text += pick(2) ? "e" : pick(2) ? "E-" : "e+", pick(4));
        check(pick(2) ? text + "O2" : text);
    }
    EXPECT_GT(quickCount, 20000);  // the quick path was exercised
    // Hexadecimal, infinity and NaN spellings are never read: the formula fuzz target's.
}

}  // namespace
