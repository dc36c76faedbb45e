// The weighing sheet: the report file's bytes, the pieces typed into a word
// processor, the grams and the negative-weighing warning (each row's layout
// on random sheets: the property test).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/sheet.h"
#include "tests/support/chemistry.h"

namespace {

// Word pieces as one string: kind letter (T text, F formula, P paragraph), text, '|'.
std::string Encode(const std::vector<SheetPiece> &pieces) {
    std::string out;
    for (const SheetPiece &p : pieces) out += std::string(1, "TFP"[p.kind]) + Str(p.text) + "|";
    return out;
}

// A sheet calculated over the test elements, the product's ratio 1 and its differential shown.
WeighingSheet Sheet(const char *product, const std::vector<TestRow> &rows, double amount, const char *sampleId) {
    return MakeWeighingSheet(*Calculated(Chemistry(), product, 1.0, rows), amount, sampleId, 1);
}
WeighingSheet Water() { return Sheet("H2O", {{"H2", 1, 1.0}, {"O2", 1, 0.5}}, 10.0, "S-17"); }

const std::string EQUALS(53, '='), DASHES(53, '-');
const std::string HEADER = "Reactant  (Molar Mass)              Amount Weighed(g)";

}  // namespace

// The worked example (10 g of H2O from H2 and O2) as written, and as a text-mode stream stores it.
TEST(Sheet, WorkedExampleByteForByte) {
    LoadTestElements();
    std::string written = Str(SheetFileText(Water()));
    EXPECT_EQ("ID: S-17\r\nH2O  (10 grams)  + None\r\n" + EQUALS + "\r\n" + HEADER + "\r\n" + DASHES + "\r\n" +
                  "H2  (2.01588)                        1.11898\r\n"
                  "O2  (31.9988)                        8.88102\r\n" +
                  DASHES + "\n\r\n\r\n",
              written);
    // A text-mode stream puts a CR before every LF; reading undoes only that.
    const std::string stored = "a\r\r\nb\r\n\r\r\n";
    EXPECT_EQ("a\r\nb\n\r\n", TextModeRead(stored.data(), stored.size()));
    EXPECT_EQ(std::string("a\rb\0\n\r", 6), TextModeRead("a\rb\0\n\r", 6));  // only CR LF pairs change
}

// The worked example typed into a word processor: formulas as formulas, grams after the padded mass; the
// differential goes on the product line only when shown, typed as a formula (the report file's product
// lines are quillon-cli's golden BaTiO3 sheets).
TEST(Sheet, WordPiecesAndTheProductLine) {
    LoadTestElements();
    const std::string pad(25, ' ');
    EXPECT_EQ("TID: S-17\n|FH2O|T  (10 grams)  |T  + |TNone|T\n|T" + EQUALS + "\n|T" + HEADER + "\n|T" + EQUALS +
                  "\n|FH2|T  (2.01588)" + pad + "|T 1.11898|P|FO2|T  (31.9988)" + pad + "|T 8.88102|P|T" +
                  DASHES + "\n|P|P|P|",
              Encode(SheetWordPieces(Water())));
    WeighingSheet sheet = Sheet("BaTiO3", {{"BaCO3", 1, 1.0}, {"TiO2", 1, 1.0}}, 12.5, "");
    for (const char *shown : {"  + C1O2", ""}) {
        EXPECT_EQ(0u, Encode(SheetWordPieces(sheet)).find(*shown ? "TID: \n|FBaTiO3|T  (12.5 grams)  |T  + |FC1O2|T\n|"
                                                                 : "TID: \n|FBaTiO3|T  (12.5 grams)  |T\n|"));
        sheet.showDifferential = 0;
    }
}

// Letters, parentheses, separators and coefficients type normally; counts' digits, points and signs as
// subscript runs ('_').
TEST(FormulaRuns, SplitIntoLettersAndSubscripts) {
    const char *cases[][2] = {{"H2SO4", "H|_2|SO|_4|"},
                              {"H2.1(Re3Os7.8)(PtAu)3.4", "H|_2.1|(Re|_3|Os|_7.8|)(PtAu)|_3.4|"},
                              {"C2O-1.5", "C|_2|O|_-1.5|"}, {"12", "_12|"}, {"", ""},
                              // the count after a separator is a coefficient at full size
                              {"CuSO4\xB7" "5H2O", "CuSO|_4|\xB7" "5H|_2|O|"},
                              {"Na2CO3*1.5H2O2*H2O", "Na|_2|CO|_3|*1.5H|_2|O|_2|*H|_2|O|"}};
    for (auto &c : cases) {
        std::string runs;
        for (const FormulaRun &run : SplitFormulaRuns(c[0])) runs += (run.subscript ? "_" : "") + Str(run.text) + "|";
        EXPECT_EQ(c[1], runs) << c[0];
    }
}

// A negative weighing is warned of under the weighings in both variants, every one named, also one
// that rounds to 0 at the sheet's five decimals; "-0" never shows (a negative molar mass and a negative ratio: quillon-cli's golden sheets).
TEST(SheetWarning, NegativeWeighingsAreNamedUnderTheWeighings) {
    const struct {
        std::vector<SheetReactant> reactants;
        const char *warning;  // nullptr: no warning line, nothing under the weighings
        const char *fault;
    } cases[] = {
        {{{"A", 1.0, -1.0}, {"B", 1.0, -2.0}}, "A, B", "only the first was named"},
        {{{"TiO2", 79.9, -0.0}, {"BaO", 153.3, 0.0}}, nullptr, "-0 g taken for a negative weighing"},
        {{{"TiO2", 79.9, -0.000001}}, "TiO2", "a negative weighing that rounds to 0 not warned of"},
    };
    for (const auto &c : cases) {
        WeighingSheet sheet;
        sheet.amount = 10.0;
        sheet.reactants = c.reactants;
        std::string file = Str(SheetFileText(sheet)), word = Encode(SheetWordPieces(sheet));
        std::string line = c.warning ? "Warning: negative amounts cannot be weighed: " + std::string(c.warning) + "." : "";
        std::string tail = DASHES + "\n" + (c.warning ? line + "\r\n" : "") + "\r\n\r\n";
        EXPECT_EQ(tail, file.substr(file.size() - tail.size())) << c.fault;
        std::string wordTail = "|T" + DASHES + "\n|" + (c.warning ? "T" + line + "\n|" : "") + "P|P|P|";
        EXPECT_EQ(wordTail, word.substr(word.size() - wordTail.size())) << c.fault;
        EXPECT_EQ(std::string::npos, file.find(" -0\r\n")) << c.fault;
    }
}
