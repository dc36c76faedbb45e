// Formula parser: validity, trees, compositions, counts and Composition
// operations.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "chem_test_util.h"
#include "elements.h"
#include "formula.h"

namespace {

typedef std::vector<std::pair<const char *, double>> Amounts;

// The composition as (symbol, amount) pairs, in the composition's order.
void ExpectComposition(const Amounts &expected, const Composition &c, const std::string &label) {
    ASSERT_EQ(static_cast<int>(expected.size()), c.count) << label;
    for (int i = 0; i < c.count; ++i) {
        EXPECT_STREQ(expected[i].first, elementTable.Symbol(c.elements[i])) << label << " entry " << i;
        EXPECT_DOUBLE_EQ(expected[i].second, c.amounts[i]) << label << " entry " << i;
    }
}

// Composition of a formula text through Check and GetComposition.
int CompositionOf(const char *text, Composition &out, int includedOnly = 0, double scale = 1.0) {
    CFormulaNode *tree = nullptr;
    int checked = formulaParser->Check(text, &tree);
    if (checked != 0) return 100 + checked;
    int result = formulaParser->GetComposition(includedOnly, scale, tree, out);
    delete tree;
    return result;
}

// Builds a composition from (element index, amount) pairs.
Composition Make(const std::vector<std::pair<int, double>> &entries) {
    Composition c;
    c.count = static_cast<int>(entries.size());
    c.elements = new int[entries.size() + 1];
    c.amounts = new double[entries.size() + 1];
    for (size_t i = 0; i < entries.size(); ++i) {
        c.elements[i] = entries[i].first;
        c.amounts[i] = entries[i].second;
    }
    return c;
}

class FormulaTest : public ::testing::Test {
protected:
    void SetUp() override { LoadTestElements(); }
};

// ---------------------------------------------------------------------------
// Validity

TEST_F(FormulaTest, CheckResults) {
    struct {
        const char *text;
        int result;
    } cases[] = {
        // valid formulas
        {"", 0}, {"H2O", 0}, {"Y2O3", 0}, {"Ba(NO3)2", 0}, {"H2.1(Re3Os7.8)(PtAu)3.4", 0}, {"Co", 0},
        {"CO", 0}, {"HeH", 0}, {"((H2)3)2", 0}, {"CH3COOH", 0}, {"()", 0}, {"()3", 0}, {"H()", 0},
        {"H0", 0}, {"H2H-2", 0}, {"H-1", 0}, {"H+2", 0}, {"H1e-999", 0}, {"O2.", 0}, {"O.5", 0},
        {"C1e1", 0}, {"C1E+1", 0}, {"H 2O", 0}, {"H\t2", 0}, {"H\n2", 0}, {"(H) 2", 0},
        {"H1.7976931348623157e308", 0},
        // unbalanced parentheses
        {"H2O)", -1}, {")H2O(", -1}, {"(H2O", -1}, {"H2O(", -1}, {"(", -1}, {")", -1}, {"(()", -1},
        {"())(", -1}, {"2H2O)", -1},
        // everything else
        {"Cx", -2}, {"Hex", -2}, {"2H2O", -2}, {"h2o", -2}, {"H2 O", -2}, {" H2O", -2}, {"H2O ", -2},
        {"H ", -2}, {"H1e999", -2}, {"(H)-1e999", -2}, {"H1.7976931348623159e308", -2}, {"H.", -2},
        {"H-", -2}, {"H1e", -2}, {"H1e+", -2}, {"H0x1", -2}, {"(H)nan", -2}, {"(H)inf", -2},
        {"(H) inf", -2}, {"H,O", -2}, {"H\xC3", -2}, {"\xC3", -2}, {"H2O\x01", -2}, {"Ab", -2},
        {".5H", -2}, {"+H", -2}, {"(2H)", -2},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.result, formulaParser->Check(c.text)) << '"' << c.text << '"';
        CFormulaNode *tree = reinterpret_cast<CFormulaNode *>(&tree);  // not null before the call
        EXPECT_EQ(c.result, formulaParser->Check(c.text, &tree)) << '"' << c.text << "\" with tree";
        EXPECT_EQ(c.result == 0, tree != nullptr) << c.text;
        delete tree;
    }
}

TEST_F(FormulaTest, UnknownLookupResultsAreRefused) {
    // A lookup that answers indices outside any table.
    CFormulaParser wild([](const char *symbol) { return symbol[0] == 'A' ? MAX_ELEMENTS : 0; });
    EXPECT_EQ(-2, wild.Check("A"));
    EXPECT_EQ(0, wild.Check("B"));
    EXPECT_EQ(-2, CFormulaParser(nullptr).Check("H"));
    EXPECT_EQ(-2, formulaParser->Check(nullptr));
}

// ---------------------------------------------------------------------------
// Trees

TEST_F(FormulaTest, ParseBuildsTheTree) {
    CFormulaNode *root = formulaParser->Parse("Ba(NO3)2");
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(CFormulaNode::GROUP, root->kind);
    EXPECT_EQ(1.0, root->count);
    ASSERT_EQ(2, root->ChildCount());
    EXPECT_EQ(CFormulaNode::ELEMENT, root->Child(0)->kind);
    EXPECT_EQ(El("Ba"), root->Child(0)->element);
    EXPECT_EQ(1.0, root->Child(0)->count);
    CFormulaNode *group = root->Child(1);
    EXPECT_EQ(CFormulaNode::GROUP, group->kind);
    EXPECT_EQ(2.0, group->count);
    ASSERT_EQ(2, group->ChildCount());
    EXPECT_EQ(El("N"), group->Child(0)->element);
    EXPECT_EQ(1.0, group->Child(0)->count);
    EXPECT_EQ(El("O"), group->Child(1)->element);
    EXPECT_EQ(3.0, group->Child(1)->count);
    delete root;
}

TEST_F(FormulaTest, ParseWithoutParenthesisTest) {
    // The end of the text closes open groups; a top-level ")" ends parsing.
    CFormulaNode *open = formulaParser->Parse("(H2(O");
    ASSERT_NE(nullptr, open);
    ASSERT_EQ(1, open->ChildCount());
    ASSERT_EQ(2, open->Child(0)->ChildCount());
    EXPECT_EQ(1.0, open->Child(0)->Child(1)->count);
    delete open;
    CFormulaNode *closed = formulaParser->Parse("H2)xyz");
    ASSERT_NE(nullptr, closed);
    EXPECT_EQ(1, closed->ChildCount());
    delete closed;
    EXPECT_EQ(nullptr, formulaParser->Parse("H2Q"));
}

TEST_F(FormulaTest, AppendChild) {
    CFormulaNode element(CFormulaNode::ELEMENT, 0, 1.0);
    CFormulaNode child(CFormulaNode::ELEMENT, 1, 1.0);
    EXPECT_EQ(0, element.AppendChild(&child));  // refused: the caller keeps it
    EXPECT_EQ(0, element.ChildCount());
    CFormulaNode group(CFormulaNode::GROUP, 0, 1.0);
    for (int i = 0; i < 25; ++i) ASSERT_EQ(1, group.AppendChild(new CFormulaNode(CFormulaNode::ELEMENT, i, 1.0)));
    ASSERT_EQ(25, group.ChildCount());
    EXPECT_EQ(24, group.Child(24)->element);
}

// ---------------------------------------------------------------------------
// Compositions

TEST_F(FormulaTest, Compositions) {
    struct {
        const char *text;
        Amounts amounts;
    } cases[] = {
        {"H2.1(Re3Os7.8)(PtAu)3.4", {{"H", 2.1}, {"Re", 3}, {"Os", 7.8}, {"Pt", 3.4}, {"Au", 3.4}}},
        {"Ba(NO3)2", {{"N", 2}, {"O", 6}, {"Ba", 1}}},
        {"((H2)3)2", {{"H", 12}}},
        {"CH3COOH", {{"H", 4}, {"C", 2}, {"O", 2}}},
        {"Co", {{"Co", 1}}},
        {"CO", {{"C", 1}, {"O", 1}}},
        {"H 2O", {{"H", 2}, {"O", 1}}},
        {"", {}},
        {"H0", {}},
        {"H2H-2", {}},
        {"H-1", {{"H", -1}}},
        {"H1e-999", {}},
        {"()3", {}},
        {"H()", {{"H", 1}}},
        {"H0.000004", {}},
        {"H0.000005", {{"H", 0.000005}}},
        {"H-0.000005", {{"H", -0.000005}}},
        {"H0.000003H0.000003", {{"H", 0.000006}}},
        {"(H2O)0.5", {{"H", 1}, {"O", 0.5}}},
        {"(O(H)2)3", {{"H", 6}, {"O", 3}}},
        {"La0.6Sr0.4Co0.2Fe0.8O3", {{"O", 3}, {"Fe", 0.8}, {"Co", 0.2}, {"Sr", 0.4}, {"La", 0.6}}},
        {"C1e1O.5", {{"C", 10}, {"O", 0.5}}},
    };
    for (const auto &c : cases) {
        Composition out;
        ASSERT_EQ(0, CompositionOf(c.text, out)) << c.text;
        ExpectComposition(c.amounts, out, c.text);
    }
}

TEST_F(FormulaTest, IncludedOnlyAndScale) {
    // After loading, metals are included and oxygen (a non-metal) is not.
    Composition out;
    ASSERT_EQ(0, CompositionOf("Y2O3", out, 1));
    ExpectComposition({{"Y", 2}}, out, "included only");
    ASSERT_EQ(0, CompositionOf("Y2O3", out, 1, 0.5));
    ExpectComposition({{"Y", 1}}, out, "scaled");
    ASSERT_EQ(0, CompositionOf("Y2O3", out, 0, 2.0));
    ExpectComposition({{"O", 6}, {"Y", 4}}, out, "all elements");
    elementTable.IncludeAll();
    ASSERT_EQ(0, CompositionOf("Y2O3", out, 1));
    ExpectComposition({{"O", 3}, {"Y", 2}}, out, "all included");
    elementTable.ResetInclusion();
}

TEST_F(FormulaTest, NormalisationLeavesGroupCountsAtOne) {
    CFormulaNode *tree = nullptr;
    ASSERT_EQ(0, formulaParser->Check("((H2)3)2", &tree));
    Composition out;
    ASSERT_EQ(0, formulaParser->GetComposition(0, 1.0, tree, out));
    EXPECT_EQ(1.0, tree->count);
    CFormulaNode *outer = tree->Child(0);
    CFormulaNode *inner = outer->Child(0);
    EXPECT_EQ(1.0, outer->count);
    EXPECT_EQ(1.0, inner->count);
    EXPECT_EQ(12.0, inner->Child(0)->count);
    // A second run on the normalised tree gives the same composition.
    Composition again;
    ASSERT_EQ(0, formulaParser->GetComposition(0, 1.0, tree, again));
    ExpectComposition({{"H", 12}}, again, "second run");
    delete tree;
}

TEST_F(FormulaTest, GetCompositionFailuresLeaveOutAlone) {
    Composition out = Make({{0, 7.0}});
    EXPECT_EQ(1, formulaParser->GetComposition(0, 1.0, nullptr, out));
    CFormulaNode element(CFormulaNode::ELEMENT, 0, 1.0);
    EXPECT_EQ(1, formulaParser->GetComposition(0, 1.0, &element, out));
    // Counts multiplied past the largest double: valid text, no composition.
    CFormulaNode *tree = nullptr;
    ASSERT_EQ(0, formulaParser->Check("(H1e200)1e200", &tree));
    EXPECT_EQ(1, formulaParser->GetComposition(0, 1.0, tree, out));
    delete tree;
    ASSERT_EQ(0, formulaParser->Check("((H0)1e200)1e200", &tree));  // 0 x infinity
    EXPECT_EQ(1, formulaParser->GetComposition(0, 1.0, tree, out));
    delete tree;
    ExpectComposition({{"H", 7.0}}, out, "untouched");
}

TEST_F(FormulaTest, MolarMass) {
    Composition water;
    ASSERT_EQ(0, CompositionOf("H2O", water));
    EXPECT_DOUBLE_EQ(2 * 1.00794 + 15.9994, MolarMass(water));
    Composition nitrate;
    ASSERT_EQ(0, CompositionOf("Ba(NO3)2", nitrate));
    EXPECT_DOUBLE_EQ(2 * 14.0067 + 6 * 15.9994 + 137.327, MolarMass(nitrate));
    EXPECT_EQ(0.0, MolarMass(Composition()));
}

// ---------------------------------------------------------------------------
// Depth and width: nothing may overflow the stack.

TEST_F(FormulaTest, MegabyteOfOpeningParentheses) {
    std::string text(1 << 20, '(');
    EXPECT_EQ(-1, formulaParser->Check(text.c_str()));
    // Without the parenthesis test the end of the text closes every group.
    CFormulaNode *tree = formulaParser->Parse(text.c_str());
    ASSERT_NE(nullptr, tree);
    Composition out;
    EXPECT_EQ(0, formulaParser->GetComposition(0, 1.0, tree, out));
    EXPECT_EQ(0, out.count);
    delete tree;
    EXPECT_EQ(-1, formulaParser->Check(std::string(1 << 20, ')').c_str()));
}

TEST_F(FormulaTest, HalfAMillionNestedGroups) {
    const int depth = 500000;
    std::string text = std::string(depth, '(') + "H2" + std::string(depth, ')');
    CFormulaNode *tree = nullptr;
    ASSERT_EQ(0, formulaParser->Check(text.c_str(), &tree));
    ASSERT_NE(nullptr, tree);
    Composition out;
    ASSERT_EQ(0, formulaParser->GetComposition(0, 1.0, tree, out));
    ExpectComposition({{"H", 2}}, out, "nested");
    delete tree;

    // Counts on every level multiply down to the element.
    std::string counted = std::string(depth, '(') + "H";
    for (int i = 0; i < depth; ++i) counted += i % 2 ? ")2" : ")0.5";
    ASSERT_EQ(0, CompositionOf(counted.c_str(), out));
    ExpectComposition({{"H", 1}}, out, "nested counts");

    // A failure deep down frees every node on the way (the sanitizer build
    // checks for leaks).
    std::string bad = std::string(depth, '(') + "Hx" + std::string(depth, ')');
    EXPECT_EQ(-2, formulaParser->Check(bad.c_str()));
    tree = reinterpret_cast<CFormulaNode *>(&tree);
    EXPECT_EQ(-2, formulaParser->Check(bad.c_str(), &tree));
    EXPECT_EQ(nullptr, tree);
}

TEST_F(FormulaTest, HalfAMillionSiblings) {
    std::string empty;
    std::string hydrogen;
    for (int i = 0; i < 500000; ++i) {
        empty += "()";
        hydrogen += "(H)";
    }
    Composition out;
    ASSERT_EQ(0, CompositionOf(empty.c_str(), out));
    EXPECT_EQ(0, out.count);
    ASSERT_EQ(0, CompositionOf(hydrogen.c_str(), out));
    ExpectComposition({{"H", 500000}}, out, "siblings");
}

// ---------------------------------------------------------------------------
// Counts

// Reads text with strtod as the reference (the text must be decimal).
double Reference(const char *text, const char **end) {
    char *e = nullptr;
    double value = std::strtod(text, &e);
    *end = e;
    return value;
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(DecimalNumber, ReadsWhatStrtodReads) {
    const char *texts[] = {
        "0", "-0", "+0", "1", "12", "0.6", ".5", "5.", "1e5", "1E-5", "1.e5", "  \t\n\v\f\r3", "-2.5x",
        "1e", "1e+", "1e-x", "0.1", "0.3", "123456789012345", "1234567890123456", "9007199254740993",
        "0.000000000000000000001", "1e22", "1e23", "1e-22", "1e-23", "3.14159265358979323846264338327950288",
        "1e308", "1.7976931348623157e308", "1e999", "-1e999", "1e-999", "4.9406564584124654e-324",
        "2.2250738585072011e-308", "0e999", "000000000000000000000000001.5", "0.6000000000000000000000",
        "8.98846567431158e307", "123e-20", "7e-10", "1.00794", "15.9994", "196.96655",
    };
    for (const char *text : texts) {
        const char *expectedEnd = nullptr;
        double expected = Reference(text, &expectedEnd);
        double value = -7.0;
        const char *end = ReadDecimalNumber(text, &value);
        EXPECT_EQ(expectedEnd - text, end - text) << text;
        EXPECT_TRUE(SameBits(expected, value)) << text << ": " << value << " vs " << expected;
        EXPECT_EQ(end, ScanDecimalNumber(text)) << text;
        double quick = 0.0;
        if (QuickDecimalNumber(text, &quick)) {
            EXPECT_TRUE(SameBits(expected, quick)) << text;
        }
    }
}

TEST(DecimalNumber, OnlyDecimalSpellings) {
    struct {
        const char *text;
        int length;  // characters read; 0 = no number
        double value;
    } cases[] = {
        {"0x10", 1, 0.0}, {"-0X1p3", 2, -0.0}, {"inf", 0, 0}, {"-infinity", 0, 0}, {"nan", 0, 0},
        {" NAN(1)", 0, 0}, {".", 0, 0}, {"+", 0, 0}, {"-.e5", 0, 0}, {"", 0, 0}, {"e5", 0, 0},
        {" \xA0" "1", 0, 0},
    };
    for (const auto &c : cases) {
        double value = 99.0;
        const char *end = ReadDecimalNumber(c.text, &value);
        EXPECT_EQ(c.length, end - c.text) << c.text;
        if (c.length > 0) {
            EXPECT_TRUE(SameBits(c.value, value)) << c.text;
        } else {
            EXPECT_EQ(99.0, value) << c.text;
        }
    }
}

TEST(DecimalNumber, AgreesWithStrtodOnRandomNumbers) {
    // Random decimal spellings, compared bit for bit with strtod; in the
    // Windows build this also covers the x87 arithmetic of the quick path.
    std::mt19937 random(20240611u);
    auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    int quickCount = 0;
    for (int round = 0; round < 200000; ++round) {
        std::string text;
        if (pick(8) == 0) text += " ";
        int sign = pick(4);
        if (sign == 1) text += '-';
        if (sign == 2) text += '+';
        int integerDigits = pick(3) == 0 ? pick(25) : pick(6);
        for (int i = 0; i < integerDigits; ++i) text += static_cast<char>('0' + pick(10));
        if (pick(2)) {
            text += '.';
            int fractionDigits = pick(3) == 0 ? pick(25) : pick(8);
            for (int i = 0; i < fractionDigits; ++i) text += static_cast<char>('0' + pick(10));
        }
        if (pick(3) == 0) {
            text += pick(2) ? 'e' : 'E';
            if (pick(2)) text += pick(2) ? '-' : '+';
            int exponentDigits = pick(4);
            for (int i = 0; i < exponentDigits; ++i) text += static_cast<char>('0' + pick(10));
        }
        if (pick(2)) text += "O2";

        const char *expectedEnd = nullptr;
        double expected = Reference(text.c_str(), &expectedEnd);
        double value = 0.0;
        const char *end = ReadDecimalNumber(text.c_str(), &value);
        if (expectedEnd == text.c_str()) {
            ASSERT_EQ(text.c_str(), end) << text;
            continue;
        }
        ASSERT_EQ(expectedEnd, end) << text;
        ASSERT_TRUE(SameBits(expected, value)) << text;
        double quick = 0.0;
        if (QuickDecimalNumber(text.c_str(), &quick)) {
            ++quickCount;
            ASSERT_TRUE(SameBits(expected, quick)) << text;
        }
    }
    EXPECT_GT(quickCount, 10000);  // the quick path was exercised
}

// ---------------------------------------------------------------------------
// Composition operations

TEST(CompositionOps, CopiesAreDeep) {
    Composition a = Make({{1, 2.0}, {4, 3.0}});
    Composition b(a);
    Composition c;
    c = a;
    Composition &alias = c;
    c = alias;  // self-assignment keeps the content
    a.amounts[0] = 9.0;
    for (const Composition *x : {&b, &c}) {
        ASSERT_EQ(2, x->count);
        EXPECT_EQ(2.0, x->amounts[0]);
        EXPECT_EQ(4, x->elements[1]);
    }
}

TEST(CompositionOps, ScaledCopyDropsNothing) {
    Composition a = Make({{0, 1.0}, {3, 2.0}});
    Composition s = a.ScaledCopy(1e-9);
    ASSERT_EQ(2, s.count);
    EXPECT_EQ(3, s.elements[1]);
    EXPECT_DOUBLE_EQ(2e-9, s.amounts[1]);
}

TEST(CompositionOps, AddAndSubtract) {
    struct {
        const char *name;
        std::vector<std::pair<int, double>> a, b;
        bool subtract;
        std::vector<std::pair<int, double>> result;
    } cases[] = {
        {"disjoint", {{1, 1.0}, {5, 2.0}}, {{0, 3.0}, {3, 4.0}, {9, 5.0}}, false,
         {{0, 3.0}, {1, 1.0}, {3, 4.0}, {5, 2.0}, {9, 5.0}}},
        {"cancel", {{1, 1.0}, {2, 2.0}}, {{1, -1.0}, {2, 1.0}}, false, {{2, 3.0}}},
        {"small sums dropped", {{1, 0.000004}}, {{1, 0.000000}, {2, 0.000001}}, false, {}},
        {"subtract", {{1, 1.0}, {2, 2.0}}, {{2, 2.0}, {3, 1.5}}, true, {{1, 1.0}, {3, -1.5}}},
        {"subtract from empty", {}, {{7, 2.5}}, true, {{7, -2.5}}},
        {"add empty", {{7, 2.5}}, {}, false, {{7, 2.5}}},
        {"tolerance is inclusive", {{1, 0.000005}}, {}, false, {{1, 0.000005}}},
    };
    for (const auto &c : cases) {
        Composition a = Make(c.a);
        Composition b = Make(c.b);
        if (c.subtract) {
            a.Subtract(b);
        } else {
            a.Add(b);
        }
        ASSERT_EQ(static_cast<int>(c.result.size()), a.count) << c.name;
        for (int i = 0; i < a.count; ++i) {
            EXPECT_EQ(c.result[i].first, a.elements[i]) << c.name;
            EXPECT_DOUBLE_EQ(c.result[i].second, a.amounts[i]) << c.name;
        }
    }
    Composition self = Make({{2, 1.5}});
    self.Add(self);
    ASSERT_EQ(1, self.count);
    EXPECT_EQ(3.0, self.amounts[0]);
    self.Subtract(self);
    EXPECT_EQ(0, self.count);
}

TEST(CompositionOps, Project) {
    Composition a = Make({{0, 1.0}, {2, 2.0}, {5, 3.0}});
    Composition onto = Make({{2, 9.0}, {3, 9.0}, {5, 9.0}, {8, 9.0}});
    a.Project(onto);
    ASSERT_EQ(4, a.count);
    const int elements[] = {2, 3, 5, 8};
    const double amounts[] = {2.0, 0.0, 3.0, 0.0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(elements[i], a.elements[i]);
        EXPECT_EQ(amounts[i], a.amounts[i]);
    }
    a.Project(Composition());
    EXPECT_EQ(0, a.count);
}

}  // namespace
