// The element table: loading ATOMS.LST-style files and looking symbols up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chem_test_util.h"
#include "elements.h"

namespace {

struct LoadCase {
    const char *name;
    std::string content;
    int result;                        // what Load returns
    std::vector<std::string> symbols;  // the table afterwards, when result > 0
};

// n element lines numbered 1..n, all called "X".
std::string NumberedLines(int n) {
    std::string text;
    for (int i = 1; i <= n; ++i) text += std::to_string(i) + " X 1.5\n";
    return text;
}

class LoadTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadTest, GivesResultAndSymbols) {
    const LoadCase &c = GetParam();
    ScratchFile file(c.content);
    CElementTable table;
    EXPECT_EQ(c.result, table.Load(file.Path()));
    if (c.result > 0) {
        ASSERT_EQ(static_cast<int>(c.symbols.size()), table.Count());
        for (int i = 0; i < table.Count(); ++i) EXPECT_EQ(c.symbols[i], table.Symbol(i)) << "element " << i;
    }
}

const std::string LONG_PADDING(140, ' ');

INSTANTIATE_TEST_SUITE_P(
    ElementFile, LoadTest,
    ::testing::Values(
        LoadCase{"Empty", "", 0, {}},
        LoadCase{"FirstNumberNotOne", "2 He 4.002602\n3 Li 6.941\n", 0, {}},
        LoadCase{"RepeatedNumberSkipped", "1 H 1.00794\n1 He 4.002602\n2 He 4.002602\n", 2, {"H", "He"}},
        LoadCase{"GapStopsTheTable", "1 H 1\n2 He 4\n4 Be 9\n5 B 10.8\n", 2, {"H", "He"}},
        LoadCase{"HeadersAndCommentsSkipped",
                 "Number Symbol Mass\n# comment\n\n1 H 1.00794\nH 2 3\n2 He 4.002602\n", 2, {"H", "He"}},
        LoadCase{"LeadingBlanksAndSign", "  +1 H 1.0\n\t2\tHe\t4.0\n", 2, {"H", "He"}},
        LoadCase{"SymbolRunsIntoMass", "1 H 1\n2 He 4\n3 Li 6.9\n4 Be 9\n5 B10.811\n", -3, {}},
        LoadCase{"SymbolWithoutMass", "1 B\n", -3, {}},
        LoadCase{"NumberWithoutSymbol", "1\n", -3, {}},
        LoadCase{"SymbolTooLong", "1 Bxyz 10.811\n", -3, {}},
        LoadCase{"MassNotANumber", "1 H m\n", -3, {}},
        LoadCase{"MassOverflows", "1 H 1e999\n", -3, {}},
        LoadCase{"InfinityIsNoMass", "1 H inf\n", -3, {}},
        LoadCase{"MalformedLineAfterGapIgnored", "1 H 1\n3 Toolong\n", 1, {"H"}},
        // High bytes are blanks: they end a symbol and are skipped before it.
        LoadCase{"HighBytesAreBlanks", "1 \xA0H 1.00794\n2\xFFHe 4.0\n", 2, {"H", "He"}},
        // strtod does not skip a high byte, so the mass is missing.
        LoadCase{"HighByteBeforeMass", "1 H\xA0" "1.00794\n", -3, {}},
        LoadCase{"Exactly120", NumberedLines(120), 120, std::vector<std::string>(120, "X")},
        LoadCase{"Line121", NumberedLines(121), -4, {}},
        LoadCase{"BadLine121", NumberedLines(120) + "121 Xxxx 1\n", -3, {}},
        LoadCase{"MissingMass121", NumberedLines(120) + "121 X\n", -3, {}},
        LoadCase{"Line121AfterGap", NumberedLines(120) + "122 X 1\n", 120, std::vector<std::string>(120, "X")},
        // A long physical line is read in pieces of 99 characters; the second
        // piece of this one is only blanks.
        LoadCase{"LongLineSecondPieceSkipped", "1 H 1.00794" + LONG_PADDING + "\n2 He 4.002602\n", 2, {"H", "He"}},
        // Here the second piece starts with the next number and is an element.
        LoadCase{"LongLineSecondPieceTaken", "1 H 1.00794" + std::string(88, ' ') + "2 He 4.002602\n", 2, {"H", "He"}},
        // The first piece ends inside the symbol's line: no mass in it.
        LoadCase{"PieceEndsAfterSymbol", "1" + std::string(97, ' ') + "H 1.00794\n", -3, {}}),
    [](const ::testing::TestParamInfo<LoadCase> &info) { return std::string(info.param.name); });

TEST(ElementTable, MissingFileGivesMinusOne) {
    CElementTable table;
    EXPECT_EQ(-1, table.Load("no_such_directory/ATOMS.LST"));
}

TEST(ElementTable, UnreadableFileIsAFailure) {
    // A directory opens on POSIX but cannot be read (-2); Windows refuses to
    // open it (-1).
    CElementTable table;
    int result = table.Load(QUILLON_TEST_DATA);
#ifdef _WIN32
    EXPECT_EQ(-1, result);
#else
    EXPECT_EQ(-2, result);
#endif
}

TEST(ElementTable, ReadsMassAndClass) {
    ScratchFile file(
        "1 H 1.00794\n"
        "2 N 14.0067 m\n"
        "3 O 15.9994 M\n"
        "4 Fe 55.845 nonmetal\n"
        "5 Ne 20.1797\xA0m\n"
        "6 Cu 63.546 \n"
        "7 Zn 65.38e0xyz\n");
    CElementTable table;
    ASSERT_EQ(7, table.Load(file.Path()));
    const double masses[] = {1.00794, 14.0067, 15.9994, 55.845, 20.1797, 63.546, 65.38};
    const int metals[] = {1, 0, 0, 1, 0, 1, 1};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(masses[i], table.Mass(i)) << table.Symbol(i);
        EXPECT_EQ(metals[i], table.metal(i)) << table.Symbol(i);
        EXPECT_EQ(metals[i], table.included(i)) << table.Symbol(i);  // metals included after Load
    }
}

TEST(ElementTable, InclusionFlags) {
    ScratchFile file("1 H 1 m\n2 Li 6.9\n3 Be 9\n");
    CElementTable table;
    ASSERT_EQ(3, table.Load(file.Path()));
    table.SetIncluded(0, 1);
    table.SetIncluded(1, 0);
    EXPECT_EQ(1, table.included(0));
    EXPECT_EQ(0, table.included(1));
    EXPECT_EQ(1, table.included(2));
    table.ResetInclusion();
    EXPECT_EQ(0, table.included(0));
    EXPECT_EQ(1, table.included(1));
    table.IncludeAll();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(1, table.included(i));
}

TEST(ElementTable, ReloadStartsFromEmpty) {
    ScratchFile big("1 H 1\n2 He 4\n3 Li 6.9\n");
    ScratchFile small("1 Li 6.9\n");
    CElementTable table;
    ASSERT_EQ(3, table.Load(big.Path()));
    ASSERT_EQ(1, table.Load(small.Path()));
    EXPECT_EQ(0, table.Lookup("Li"));
    EXPECT_EQ(-1, table.Lookup("H"));
}

TEST(ElementLookup, IsExactAndCaseSensitive) {
    ScratchFile file("1 C 12\n2 O 16\n3 Co 58.9\n4 B 10.8\n5 Ba 137\n6 Be 9\n7 Bi 209\n8 Br 79.9\n9 Uuo 294\n");
    CElementTable table;
    ASSERT_EQ(9, table.Load(file.Path()));
    struct {
        const char *text;
        int index;
    } cases[] = {
        {"C", 0}, {"O", 1}, {"Co", 2}, {"B", 3}, {"Ba", 4}, {"Be", 5}, {"Bi", 6}, {"Br", 7}, {"Uuo", 8},
        {"CO", -1}, {"co", -1}, {"c", -1}, {"", -1}, {"Coo", -1}, {"Uuoo", -1}, {"Uu", -1}, {"Bz", -1},
        {"A", -1}, {"Z", -1}, {"\xC3", -1},
    };
    for (const auto &c : cases) EXPECT_EQ(c.index, table.Lookup(c.text)) << c.text;
    EXPECT_EQ(-1, table.Lookup(nullptr));
}

TEST(ElementLookup, FindsEverySymbolOfALargeTable) {
    // 120 distinct symbols in scrambled order, including the byte-order
    // neighbours (upper case before lower case, shorter before longer).
    std::vector<std::string> symbols;
    for (int i = 0; i < 120; ++i) {
        std::string s(1, static_cast<char>('A' + (i * 7) % 26));
        if (i >= 26) s += static_cast<char>('a' + (i * 11) % 26);
        if (i >= 52) s += static_cast<char>('a' + (i + i / 26) % 26);
        symbols.push_back(s);
    }
    std::string text;
    for (int i = 0; i < 120; ++i) text += std::to_string(i + 1) + " " + symbols[i] + " 1\n";
    ScratchFile file(text);
    CElementTable table;
    ASSERT_EQ(120, table.Load(file.Path()));
    for (int i = 0; i < 120; ++i) {
        int found = table.Lookup(symbols[i].c_str());
        ASSERT_GE(found, 0) << symbols[i];
        EXPECT_EQ(symbols[i], table.Symbol(found));
    }
}

TEST(ElementLookup, DuplicateSymbolFindsOneOfThem) {
    ScratchFile file("1 H 1\n2 X 2\n3 X 3\n");
    CElementTable table;
    ASSERT_EQ(3, table.Load(file.Path()));
    int found = table.Lookup("X");
    EXPECT_TRUE(found == 1 || found == 2) << found;
}

TEST(ElementLookup, GlobalTableAndLookupFunction) {
    LoadTestElements();
    EXPECT_EQ(0, LookupElement("H"));
    EXPECT_EQ(30, LookupElement("Au"));
    EXPECT_EQ(-1, LookupElement("Cx"));
    EXPECT_EQ(elementTable.Lookup("Co"), LookupElement("Co"));
}

}  // namespace
