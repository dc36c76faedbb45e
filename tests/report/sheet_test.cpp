#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "elements.h"
#include "formula.h"
#include "reaction.h"
#include "rowstore.h"
#include "sheet.h"

namespace {

std::string Str(const CString &s) { return std::string(s.GetString(), s.GetLength()); }

struct Reactant {
    const char *formula;
    int fixed;
    double ratio;
};

// Loads the test element table (H, C, O, Ti, Ba) once for every test.
class SheetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(5, elementTable.Load(QUILLON_TEST_DATA "/sheet_atoms.lst"));
        parser = new CFormulaParser(LookupElement);
    }
    static void TearDownTestSuite() {
        delete parser;
        parser = nullptr;
    }

    // A calculated reaction built the way the Calculate command builds it:
    // rows in the list's store, collected with LDM_GETROWS.
    CReaction *Calculate(const char *product, double productRatio, std::vector<Reactant> reactants) {
        rows.create(ROW_CAPACITY);
        for (size_t i = 0; i < reactants.size(); ++i) {
            rows.setFormula(int(i), reactants[i].formula);
            rows.setFixed(int(i), reactants[i].fixed);
            rows.setRatio(int(i), reactants[i].ratio);
        }
        int n = rows.getRows(0, nullptr);
        LedraRowList *list = new LedraRowList{n, 0, new LedraRow *[n]};
        EXPECT_EQ(0, rows.getRows(n, list));
        CReaction *reaction = new CReaction(parser);
        reaction->SetInput(product, productRatio, list);
        EXPECT_EQ(0, reaction->RunCalculation(0));
        return reaction;
    }

    // The file text of the sheet of a reaction.
    std::string FileText(const char *product, double productRatio, std::vector<Reactant> reactants,
                         double amount, const char *sampleId, int showDifferential) {
        CReaction *reaction = Calculate(product, productRatio, reactants);
        WeighingSheet sheet = MakeWeighingSheet(*reaction, amount, sampleId, showDifferential);
        delete reaction;
        return Str(SheetFileText(sheet));
    }

    static CFormulaParser *parser;
    LedraRowStore rows;
};

CFormulaParser *SheetTest::parser = nullptr;

const std::string EQUALS(53, '=');
const std::string DASHES(53, '-');
const std::string HEADER = "Reactant  (Molar Mass)              Amount Weighed(g)";

// The worked example: 10 g of H2O from H2 and O2, sample S-17.
const std::string H2O_SHEET =
    "ID: S-17\r\n"
    "H2O  (10 grams)  + None\r\n" +
    EQUALS + "\r\n" + HEADER + "\r\n" + DASHES + "\r\n" +
    "H2  (2.01588)                        1.11898\r\n"
    "O2  (31.9988)                        8.88102\r\n" +
    DASHES + "\n"
    "\r\n\r\n";

}  // namespace

TEST_F(SheetTest, WorkedExampleByteForByte) {
    EXPECT_EQ(H2O_SHEET, FileText("H2O", 1.0, {{"H2", 1, 1.0}, {"O2", 1, 0.5}}, 10.0, "S-17", 1));
}

TEST_F(SheetTest, StoredBytesOfATextModeStream) {
    std::string written = FileText("H2O", 1.0, {{"H2", 1, 1.0}, {"O2", 1, 0.5}}, 10.0, "S-17", 1);
    std::string stored = TextModeBytes(written.c_str());
    const std::string expected =
        "ID: S-17\r\r\n"
        "H2O  (10 grams)  + None\r\r\n" +
        EQUALS + "\r\r\n" + HEADER + "\r\r\n" + DASHES + "\r\r\n" +
        "H2  (2.01588)                        1.11898\r\r\n"
        "O2  (31.9988)                        8.88102\r\r\n" +
        DASHES + "\r\n" + "\r\r\n\r\r\n";
    EXPECT_EQ(expected, stored);
    EXPECT_EQ(written, TextModeRead(stored.data(), stored.size()));
}

TEST(TextModeTranslation, ReadTurnsOnlyCrLfPairsIntoLf) {
    struct Case {
        std::string stored, read;
    } cases[] = {
        {"a\r\nb", "a\nb"},
        {"\r\r\n", "\r\n"},
        {"a\rb\n", "a\rb\n"},  // a lone CR and a lone LF pass unchanged
        {"end\r", "end\r"},
        {std::string("x\0\r\ny", 5), std::string("x\0\ny", 4)},
        {"", ""},
    };
    for (const Case &c : cases) EXPECT_EQ(c.read, TextModeRead(c.stored.data(), c.stored.size())) << c.stored;
    EXPECT_EQ("\r\r\n\r\n", TextModeBytes("\r\n\n"));
}

TEST_F(SheetTest, ProductLineWithAndWithoutTheDifferential) {
    std::vector<Reactant> carbonate = {{"BaCO3", 1, 1.0}, {"TiO2", 1, 1.0}};
    std::string shown = FileText("BaTiO3", 1.0, carbonate, 12.5, "", 1);
    EXPECT_EQ(0u, shown.find("ID: \r\nBaTiO3  (12.5 grams)  + C1O2\r\n"));
    std::string hidden = FileText("BaTiO3", 1.0, carbonate, 12.5, "", 0);
    EXPECT_EQ(0u, hidden.find("ID: \r\nBaTiO3  (12.5 grams)\r\n" + EQUALS));
}

TEST_F(SheetTest, GramsFollowTheProductRatio) {
    // M(BaTiO3) = 137.327 + 47.867 + 3 x 15.9994 = 233.1922; with r_p = 2
    // one reaction unit of the reactants makes two formula units of product.
    CReaction *reaction = Calculate("BaTiO3", 2.0, {{"BaCO3", 1, 1.0}, {"TiO2", 1, 1.0}});
    WeighingSheet sheet = MakeWeighingSheet(*reaction, 100.0, "", 0);
    delete reaction;
    ASSERT_EQ(2u, sheet.reactants.size());
    EXPECT_NEAR(137.327 + 12.0107 + 3 * 15.9994, sheet.reactants[0].molarMass, 1e-9);
    EXPECT_NEAR(100.0 / 233.1922 * 197.3359 / 2, sheet.reactants[0].grams, 1e-9);
    EXPECT_NEAR(100.0 / 233.1922 * 79.8658 / 2, sheet.reactants[1].grams, 1e-9);
}

TEST(SheetLayout, ReactantColumnIsPaddedTo36Characters) {
    struct Case {
        const char *formula;
        const char *line;
    } cases[] = {
        // "  (2)" after the formula: piece lengths 34, 35, 36 and 40.
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZab1", "ABCDEFGHIJKLMNOPQRSTUVWXYZab1  (2)   0.5\r\n"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZab12", "ABCDEFGHIJKLMNOPQRSTUVWXYZab12  (2)  0.5\r\n"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZab123", "ABCDEFGHIJKLMNOPQRSTUVWXYZab123  (2) 0.5\r\n"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZab1234567", "ABCDEFGHIJKLMNOPQRSTUVWXYZab1234567  (2) 0.5\r\n"},
    };
    for (const Case &c : cases) {
        WeighingSheet sheet;
        sheet.amount = 1.0;
        sheet.reactants.push_back({c.formula, 2.0, 0.5});
        std::string text = Str(SheetFileText(sheet));
        EXPECT_NE(std::string::npos, text.find(DASHES + "\r\n" + c.line + DASHES + "\n")) << c.formula;
    }
}

TEST_F(SheetTest, WordPiecesOfTheWorkedExample) {
    CReaction *reaction = Calculate("H2O", 1.0, {{"H2", 1, 1.0}, {"O2", 1, 0.5}});
    WeighingSheet sheet = MakeWeighingSheet(*reaction, 10.0, "S-17", 1);
    delete reaction;
    struct Expected {
        SheetPieceKind kind;
        std::string text;
    } expected[] = {
        {SHEET_TEXT, "ID: S-17\n"},
        {SHEET_FORMULA, "H2O"},
        {SHEET_TEXT, "  (10 grams)  "},
        {SHEET_TEXT, "  + "},
        {SHEET_TEXT, "None"},
        {SHEET_TEXT, "\n"},
        {SHEET_TEXT, EQUALS + "\n"},
        {SHEET_TEXT, HEADER + "\n"},
        {SHEET_TEXT, EQUALS + "\n"},
        {SHEET_FORMULA, "H2"},
        {SHEET_TEXT, "  (2.01588)" + std::string(25, ' ')},
        {SHEET_TEXT, " 1.11898"},
        {SHEET_PARAGRAPH, ""},
        {SHEET_FORMULA, "O2"},
        {SHEET_TEXT, "  (31.9988)" + std::string(25, ' ')},
        {SHEET_TEXT, " 8.88102"},
        {SHEET_PARAGRAPH, ""},
        {SHEET_TEXT, DASHES + "\n"},
        {SHEET_PARAGRAPH, ""},
        {SHEET_PARAGRAPH, ""},
        {SHEET_PARAGRAPH, ""},
    };
    std::vector<SheetPiece> pieces = SheetWordPieces(sheet);
    ASSERT_EQ(sizeof expected / sizeof expected[0], pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_EQ(expected[i].kind, pieces[i].kind) << i;
        EXPECT_EQ(expected[i].text, Str(pieces[i].text)) << i;
    }
}

TEST_F(SheetTest, WordDifferentialIsTypedAsAFormula) {
    CReaction *reaction = Calculate("BaTiO3", 1.0, {{"BaCO3", 1, 1.0}, {"TiO2", 1, 1.0}});
    WeighingSheet sheet = MakeWeighingSheet(*reaction, 1.0, "", 1);
    delete reaction;
    std::vector<SheetPiece> pieces = SheetWordPieces(sheet);
    ASSERT_GT(pieces.size(), 5u);
    EXPECT_EQ(SHEET_TEXT, pieces[3].kind);
    EXPECT_EQ("  + ", Str(pieces[3].text));
    EXPECT_EQ(SHEET_FORMULA, pieces[4].kind);
    EXPECT_EQ("C1O2", Str(pieces[4].text));
    sheet.showDifferential = 0;
    EXPECT_EQ("\n", Str(SheetWordPieces(sheet)[3].text));
}

TEST(FormulaRuns, SplitIntoLettersAndSubscripts) {
    struct Case {
        const char *formula;
        std::vector<std::pair<int, std::string>> runs;
    } cases[] = {
        {"H2SO4", {{0, "H"}, {1, "2"}, {0, "SO"}, {1, "4"}}},
        {"Ca(OH)2", {{0, "Ca(OH)"}, {1, "2"}}},
        {"Sr0.5Ba0.5TiO3", {{0, "Sr"}, {1, "0.5"}, {0, "Ba"}, {1, "0.5"}, {0, "TiO"}, {1, "3"}}},
        {"H2.1(Re3Os7.8)(PtAu)3.4",
         {{0, "H"}, {1, "2.1"}, {0, "(Re"}, {1, "3"}, {0, "Os"}, {1, "7.8"}, {0, ")(PtAu)"}, {1, "3.4"}}},
        {"C2O-1.5", {{0, "C"}, {1, "2"}, {0, "O"}, {1, "-1.5"}}},
        {"12", {{1, "12"}}},
        {"", {}},
    };
    for (const Case &c : cases) {
        std::vector<FormulaRun> runs = SplitFormulaRuns(c.formula);
        ASSERT_EQ(c.runs.size(), runs.size()) << c.formula;
        for (size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(c.runs[i].first, runs[i].subscript) << c.formula << " run " << i;
            EXPECT_EQ(c.runs[i].second, Str(runs[i].text)) << c.formula << " run " << i;
        }
    }
}
