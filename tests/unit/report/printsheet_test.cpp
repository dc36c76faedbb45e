// The balance settings and the printed sheet's rounding and warnings (the
// rounding itself is tested with the other decimals, Balance.*).
#include <gtest/gtest.h>

#include <string>

#include "core/printsheet.h"
#include "core/sheet.h"
#include "tests/support/entry.h"

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

// The page (its header fields are in the printed golden sheet): rows rounded, the rows under the minimum
// weight (and negative ones) marked "!", the total from the unrounded masses, the notes; a mass the
// balance's digits cannot hold is refused, not printed wrong.
TEST(PrintedSheet, RoundsWarnsAndTotalsFromUnroundedMasses) {
    const std::string under = "! Below the balance's minimum weight of ";
    const struct {
        const char *readability, *minimum;  // minimum "": a hundred times the readability
        std::vector<std::pair<const char *, double>> grams;
        std::string printed;  // "number formula mass[!] ...| total| note| note", or "refused"
    } cases[] = {
        // Three masses that each print as 0.0033 but add up to 0.0100 (the minimum weight); the
        // total is not 0.0199, the sum of the printed masses.
        {"0.0001", "", {{"BaCO3", 0.00333}, {"TiO2", 0.00333}, {"CO2", 0.00334}, {"Ba", 0.01}},
         "1 BaCO3 0.0033! 2 TiO2 0.0033! 3 CO2 0.0033! 4 Ba 0.0100 | 0.0200| " + under +
             "0.0100 g: weigh a larger batch or use a finer balance."},
        {"0.001", "0.02", {{"BaO", 5.0}, {"O2", -0.5}},
         "1 BaO 5.000 2 O2 -0.500! | 4.500| " + under + "0.02 g: weigh a larger batch or use a finer balance.| " +
             "Warning: negative amounts cannot be weighed: O2."},
        {"0.001", "", {{"BaO", 1e15}}, "refused"},
    };
    for (const auto &c : cases) {
        PrintSettings settings;
        ASSERT_TRUE(ReadBalanceGrams(c.readability, &settings.readability));
        ASSERT_TRUE(!*c.minimum || ReadBalanceGrams(c.minimum, &settings.minimumWeight));
        WeighingSheet sheet;  // as the calculation leaves it, without a reaction behind it
        sheet.amount = 10;
        for (const auto &g : c.grams) sheet.reactants.push_back({g.first, 100.0, g.second});
        PrintedSheet printed;
        std::string text = "refused";
        if (MakePrintedSheet(sheet, settings, "", &printed) == PrintSheetStatus::Ready) {
            text.clear();
            for (const PrintedRow &row : printed.rows)
                text += Str(row.number + " " + row.formula + " " + row.mass) + (row.warned ? "! " : " ");
            text += "| " + Str(printed.total);
            for (const CString &note : printed.notes) text += "| " + Str(note);
        }
        EXPECT_EQ(c.printed, text) << c.readability;
    }
}
