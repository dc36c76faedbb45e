// The balance settings and the printed sheet's rounding and warnings (the
// rounding itself is tested with the other decimals, Balance.*).
#include <gtest/gtest.h>

#include <string>

#include "core/printsheet.h"
#include "core/sheet.h"
#include "tests/support/entry.h"

namespace {

Decimal Grams(const char *text) {
    Decimal grams;
    EXPECT_TRUE(ReadBalanceGrams(text, &grams)) << text;
    return grams;
}

// A sheet as the calculation leaves it, without a reaction behind it.
WeighingSheet Sheet(std::vector<std::pair<const char *, double>> grams) {
    WeighingSheet sheet;
    sheet.sampleId = "S-17";
    sheet.productFormula = "BaTiO3";
    sheet.amount = 10;
    for (const auto &g : grams) {
        SheetReactant reactant;
        reactant.formula = g.first;
        reactant.molarMass = 100.0;
        reactant.grams = g.second;
        reactant.ratio = 1.0;
        sheet.reactants.push_back(reactant);
    }
    return sheet;
}

}  // namespace

// What a balance setting may be: a positive decimal of at most six decimals, at most 1000 g.
TEST(BalanceGrams, ReadsPlainPositiveDecimalsOnly) {
    const struct {
        const char *text;
        bool reads;
        const char *shown;  // what was read, with its decimals
    } cases[] = {
        {"0.0001", true, "0.0001"}, {" 0.002 ", true, "0.002"},   {"0.010", true, "0.01"},
        {"1", true, "1"},           {"1.", true, "1"},            {".5", true, "0.5"},
        {"0.000001", true, "0.000001"}, {"1000", true, "1000"},
        {"", false, ""},            {"0", false, ""},             {"0.0000", false, ""},
        {"-0.1", false, ""},        {"0.0000001", false, ""},     {"1e-4", false, ""},
        {"0,001", false, ""},       {"1000.5", false, ""},        {".", false, ""},
        {"0.0000010", false, ""},   {"1000.000", true, "1000"},   {"+1", false, ""},
        {"99999999999999999999", false, ""}, {"0.1 g", false, ""},
    };
    for (const auto &c : cases) {
        Decimal grams{7, 1};
        EXPECT_EQ(c.reads, ReadBalanceGrams(c.text, &grams)) << c.text;
        EXPECT_EQ(c.reads ? c.shown : "0.7", DecimalFixedText(grams)) << c.text;
    }
}

// The page (its header fields are in the printed golden sheet): rows rounded, the rows under the minimum weight
// (and negative ones) marked, the total from the unrounded masses.
TEST(PrintedSheet, RoundsWarnsAndTotalsFromUnroundedMasses) {
    PrintSettings settings;
    settings.operatorName = "A. Chemist";
    settings.readability = Grams("0.0001");
    // Three masses that each print as 0.0033 but add up to 0.0100 (the minimum weight).
    PrintedSheet printed;
    ASSERT_EQ(PrintSheetStatus::Ready,
              MakePrintedSheet(Sheet({{"BaCO3", 0.00333}, {"TiO2", 0.00333}, {"CO2", 0.00334}, {"Ba", 0.01}}),
                               settings, "2026-12-07 16:35", &printed));
    ASSERT_EQ(4u, printed.rows.size());
    EXPECT_EQ("0.0033", Str(printed.rows[0].mass));
    EXPECT_EQ("0.0033", Str(printed.rows[2].mass));
    EXPECT_TRUE(printed.rows[0].warned);
    EXPECT_FALSE(printed.rows[3].warned);  // exactly the minimum weight
    EXPECT_EQ("4", Str(printed.rows[3].number));
    EXPECT_EQ("0.0200", Str(printed.total));  // not 0.0199, the sum of the printed masses
    ASSERT_EQ(1u, printed.notes.size());
    EXPECT_EQ("! Below the balance's minimum weight of 0.0100 g: weigh a larger batch or use a finer balance.",
              Str(printed.notes[0]));

    // A minimum weight of its own; a negative mass is marked and named.
    settings.readability = Grams("0.001");
    settings.minimumWeight = Grams("0.02");
    ASSERT_EQ(PrintSheetStatus::Ready,
              MakePrintedSheet(Sheet({{"BaO", 5.0}, {"O2", -0.5}}), settings, "", &printed));
    EXPECT_FALSE(printed.rows[0].warned);
    EXPECT_TRUE(printed.rows[1].warned);
    EXPECT_EQ("-0.500", Str(printed.rows[1].mass));
    ASSERT_EQ(2u, printed.notes.size());
    EXPECT_EQ(Str(NegativeWeighingWarning(Sheet({{"BaO", 5.0}, {"O2", -0.5}}))), Str(printed.notes[1]));

    // A mass the balance's digits cannot hold is refused, not printed wrong.
    EXPECT_EQ(PrintSheetStatus::NotRoundable, MakePrintedSheet(Sheet({{"BaO", 1e15}}), settings, "", &printed));
}
