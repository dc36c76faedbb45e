// Composition series' member formulas and values of x (the members' sheets and
// formulas are quillon-cli's golden series, values without drift the series
// fuzz target's), the weighed-mass check, the balance's rounding.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/batch.h"
#include "core/decimal.h"
#include "core/formula.h"
#include "core/datatext.h"
#include "core/series.h"
#include "core/weighed.h"
#include "tests/support/chemistry.h"

namespace {

const CFormulaParser &Parser() { return Atoms().parser; }

std::vector<SeriesX> Values(const char *text) {
    std::vector<SeriesX> values;
    CString why;
    EXPECT_TRUE(ParseSeriesValues(text, &values, &why)) << why.GetString();
    return values;
}

TEST(Series, MemberFormulas) {
    const SeriesFormulaStatus DONE = SeriesFormulaStatus::Done, INVALID = SeriesFormulaStatus::Invalid;
    struct Case {
        const char *templ, *x;
        SeriesFormulaStatus status;
        const char *expected;  // the formula, or a piece of the reason
    } cases[] = {
        {"La1-xSrxMnO3", "0.7", DONE, "La0.3Sr0.7MnO3"},  // 1 - 0.7 is 0.3 exactly
        {"TiO2-x", "0.05", DONE, "TiO1.95"},              // a count with x at the very end
        {"(Sr1-0.5xBa0.5x)TiO3", "0.2", DONE, "(Sr0.9Ba0.1)TiO3"}, {"Y1+xBa2-2xCu3O7", "0.1", DONE, "Y1.1Ba1.8Cu3O7"},
        {"Ba(Ti1-xZrx)2O3", "1", DONE, "Ba(Zr)2O3"}, {"Sr1-xEuxTiO3", "0.5", DONE, "Sr0.5Eu0.5TiO3"},
        {"Sr(TiO3)xBa", "0", DONE, "SrBa"},  // a group of count 0 goes whole
        {"Sr1-xBaxTiO3", "1.2", SeriesFormulaStatus::Negative, "count of Sr is negative (-0.2) at x = 1.2"},
        {"Sr1-BaxTiO3", "0.5", INVALID, "after Sr"},  // minus without x
        {"Sr1-x2Ba", "0.5", INVALID, "after Sr"},     // 0.5 then 2 would read 0.52
        {"Sr1-x Ba", "0.5", INVALID, "after Sr"},     {"BaxE2", "0.3", INVALID, "after Ba"},  // 0.3E2 would read 30
        {"Sr1-xQqxO3", "0.5", INVALID, "not valid"},  // unknown symbol
        {"Sr)xBa", "0", INVALID, "never opened"},     // not a formula at any x
        {"Sr1-0.123456789xBa", "0.123456789012", SeriesFormulaStatus::TooLong, "too many digits"},
    };
    for (const Case &c : cases) {
        SeriesX x = Values(c.x)[0];
        CString formula, why;
        EXPECT_EQ(c.status, SeriesMemberFormula(Parser(), c.templ, &x, &formula, &why)) << c.templ;
        std::string got = c.status == SeriesFormulaStatus::Done ? formula.GetString() : why.GetString();
        EXPECT_NE(std::string::npos, got.find(c.expected)) << c.templ << " at " << c.x << ": " << got;
    }
}

TEST(Series, ValuesOfX) {
    struct Case {
        const char *text;
        const char *expected;  // the values joined by blanks, or a piece of the reason
    } cases[] = {
        {"0.50:0.5:0.1", "0.5"}, {"-0.2:0.2:0.2", "-0.2 0 0.2"}, {"1:0:0.1", "FROM <= TO"}, {"0:1:0", "STEP above 0"},
        {"0:1e3:1", "plain decimals"}, {"0,0.1,0.10", "given twice"}, {"0,,1", "is not a value of x"},
        {"0:1", "neither a list"}, {"0:1:0.1:2", "neither a list"}, {"0:1000:1", "more than 1000"},
    };
    for (const Case &c : cases) {
        std::vector<SeriesX> values;
        CString why;
        std::string got = ParseSeriesValues(c.text, &values, &why) ? "" : Str(why);
        for (const SeriesX &x : values) got += (got.empty() ? "" : " ") + Str(x.text);
        EXPECT_NE(std::string::npos, got.find(c.expected)) << c.text << ": " << got;
    }
}

// Masses weighed against the sheet beyond the property test's (the sheet's own masses, one of them
// 2 % heavy): a row the sheet weighs at 0 g, a Fixed row, a balanced element not weighed at all,
// nothing weighed. No output holds a number that is not finite.
TEST(Weighed, CompositionOfTheMasses) {
    const std::vector<TestRow> lfp = {{"Li2CO3", 0, 1}, {"FeC2O4*2H2O", 0, 1}, {"NH4H2PO4", 1, 1}};
    const struct {
        const char *product;
        std::vector<TestRow> rows;
        std::vector<double> weighed;
        const char *pastRows;  // the rows past the tolerance, as "2 "
    } cases[] = {
        {"SrTiO3", {{"SrCO3", 0, 1}, {"BaCO3", 1, 0}, {"TiO2", 0, 1}}, {4.02291, 0.001, 2.17635}, "2 "},
        {"LiFePO4", lfp, {2.34186, 11.40333, 8.74964}, "3 "},  // a Fixed row weighed heavy
        {"LiFePO4", lfp, {0, 11.40333, 7.29137}, "1 2 3 "},
        {"YBa2Cu3O7", {{"Y2O3", 0, 1}, {"BaCO3", 0, 1}, {"CuO", 0, 1}}, {0, 0, 0}, ""},
    };
    for (const auto &c : cases) {
        const auto reaction = Calculated(Atoms(), c.product, 1.0, c.rows);
        BatchInput input;
        input.mass = 10.0;
        input.materials.resize(c.rows.size());
        const std::vector<int> numbers = {1, 2, 3};
        const WeighingSheet sheet = MakeBatchSheet(*reaction, input, CalculateBatch(*reaction, input), numbers, "", 1);
        const WeighedResult check = CheckWeighed(*reaction, sheet, numbers, c.weighed, DEFAULT_WEIGHED_TOLERANCE);
        EXPECT_FALSE(check.Within()) << c.product;
        std::string past;
        for (const WeighedRow &row : check.rows)
            if (row.past) past += std::to_string(row.row) + " ";
        EXPECT_EQ(c.pastRows, past) << c.product;
        for (const std::string &out : {WeighedText(check), WeighedCsv(check), WeighedJson(check)})
            EXPECT_TRUE(out.find("inf") == std::string::npos && out.find("nan") == std::string::npos) << c.product << ":\n" << out;
    }
}

// Text cells a spreadsheet would run as a formula are kept text; quoting
// where a comma, quote or line end would split the cell; the hydrate dot
// escaped in JSON.
TEST(DataOutput, TextCells) {
    const char *cases[][2] = {
        {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
        {"+ C3O6", "'+ C3O6"}, {"-1", "'-1"}, {"@SUM(A1)", "'@SUM(A1)"}, {"\tBa", "'\tBa"},
        {"\rBa", "\"'\rBa\""}, {"S-17, a", "\"S-17, a\""}, {"Li7-xLa3Zr2-xTaxO12", "Li7-xLa3Zr2-xTaxO12"}, {"", ""},
    };
    for (const auto &c : cases) EXPECT_EQ(c[1], CsvField(c[0])) << c[0];
    EXPECT_EQ("\"CuSO4\\u00b75H2O \\\"\\u007f\\u0001\"", JsonString("CuSO4\xb7" "5H2O \"\x7f\x01"));
}

// Masses on the balance (the sheet's and the printed one's): the nearest
// whole multiple of the readability (on random sheets: the property test),
// halves away from zero, with the readability's decimals; refused where the
// last digit would be a guess.
TEST(Balance, RoundedToReadability) {
    struct Case { double grams; const char *readability, *shown; } cases[] = {
        {1.11898, "0.002", "1.118"}, {0.25, "0.5", "0.5"}, {7.0, "5", "5"},
        {0.0005, "0.001", "0.001"},    {-1.2345, "0.001", "-1.235"},    {-2.5, "1", "-3"},
        {-0.00004, "0.0001", "0.0000"}, {123.4567891, "0.000001", "123.456789"},
        {99999999999.9, "0.0001", "99999999999.9000"}, {100000000000.1, "0.0001", "refused"},
        {INFINITY, "0.1", "refused"},    {NAN, "0.1", "refused"},
    };
    for (const Case &c : cases) {
        Decimal step, rounded;
        ReadDecimal(c.readability, false, &step);
        const std::string got = RoundToMultiple(c.grams, step, &rounded) ? DecimalFixedText(rounded) : "refused";
        EXPECT_EQ(c.shown, got) << c.grams << " to " << c.readability;
    }
}

}  // namespace
