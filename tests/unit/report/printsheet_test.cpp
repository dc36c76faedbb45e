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

// Volumes on the page: rounded to the pipette (0.01 mL and 10 times it unless set), those above 0 mL
// under the minimum volume marked (the rounded volume compared, as masses are), a Pipette line and a
// note; weighed rows leave the volume empty, and a sheet without volumes has neither the Pipette
// field nor a volume column.
TEST(PrintedSheet, VolumesRoundedToThePipetteAndMarked) {
    const std::string under = "! Below the pipette's minimum volume of ";
    const struct {
        const char *pipette, *minimum;  // "": the defaults
        std::vector<double> volumes;    // mL, one row each; < 0: weighed (no volume)
        std::string printed;  // "Pipette field| formula volume[!] ...| note", or "refused"
    } cases[] = {
        {"", "", {10.7165, -1, 0.054, 0.004, 0.096},
         "readability 0.01 mL, minimum volume 0.10 mL| A 10.72 B  C 0.05! D 0.00! E 0.10 | " + under +
             "0.10 mL: dispense a larger batch or use a finer pipette."},
        {"0.1", "2", {1.96, 1.94}, "readability 0.1 mL, minimum volume 2 mL| A 2.0 B 1.9! | " + under +
                                       "2 mL: dispense a larger batch or use a finer pipette."},
        {"0.05", "", {0.5, 12.3456}, "readability 0.05 mL, minimum volume 0.50 mL| A 0.50 B 12.35 "},
        {"", "", {-1, -1}, "no volumes| A  B  "},
        {"0.01", "", {1e18}, "refused"},
    };
    for (const auto &c : cases) {
        PrintSettings settings;
        ASSERT_TRUE(ReadBalanceGrams("0.001", &settings.readability));
        ASSERT_TRUE(!*c.pipette || ReadBalanceGrams(c.pipette, &settings.pipetteReadability));
        ASSERT_TRUE(!*c.minimum || ReadBalanceGrams(c.minimum, &settings.minimumVolume));
        WeighingSheet sheet;
        sheet.amount = 10;
        for (size_t i = 0; i < c.volumes.size(); ++i) {
            SheetReactant reactant;
            reactant.formula = std::string(1, char('A' + i)).c_str();
            reactant.grams = 1.0;
            reactant.hasVolume = c.volumes[i] >= 0;
            reactant.volumeMl = c.volumes[i];
            sheet.showVolume = sheet.showVolume || reactant.hasVolume;
            sheet.reactants.push_back(reactant);
        }
        PrintedSheet printed;
        std::string text = "refused";
        if (MakePrintedSheet(sheet, settings, "", &printed) == PrintSheetStatus::Ready) {
            text = printed.volumes ? Str(printed.fields.back().second) : "no volumes";
            EXPECT_EQ(printed.volumes ? 6u : 5u, printed.fields.size());
            text += "| ";
            for (const PrintedRow &row : printed.rows)
                text += Str(row.formula + " " + row.volume) + (row.volumeWarned ? "! " : " ");
            for (const CString &note : printed.notes) text += "| " + Str(note);
        }
        EXPECT_EQ(c.printed, text) << c.pipette;
    }
}

// A solution's mass on the page is what goes on the balance: its own grams (in the total), none
// when it is known by volume alone; the compound it holds is not weighed out.
TEST(PrintedSheet, SolutionsShowTheirOwnGrams) {
    WeighingSheet sheet;
    sheet.amount = 10;
    sheet.showVolume = 1;
    const struct { double molarity, fraction, solutionGrams; } rows[] = {{0, 0, 0}, {0.5, 0, 0}, {0, 40, 10}};
    for (const auto &r : rows) {
        SheetReactant reactant;
        reactant.formula = "A";
        reactant.grams = 4.0;
        reactant.form.molarity = r.molarity;
        reactant.form.massFraction = r.fraction;
        reactant.hasSolutionGrams = r.solutionGrams > 0;
        reactant.solutionGrams = r.solutionGrams;
        reactant.hasVolume = r.molarity > 0;
        reactant.volumeMl = 5;
        sheet.reactants.push_back(reactant);
    }
    PrintSettings settings;
    ASSERT_TRUE(ReadBalanceGrams("0.001", &settings.readability));
    PrintedSheet printed;
    ASSERT_EQ(PrintSheetStatus::Ready, MakePrintedSheet(sheet, settings, "", &printed));
    std::string text;  // each row's mass and volume, then the total
    for (const PrintedRow &row : printed.rows) text += Str(row.mass + "/" + row.volume) + " ";
    EXPECT_EQ("4.000/ /5.00 10.000/ 14.000", text + Str(printed.total));
    ASSERT_FALSE(printed.notes.empty());
    EXPECT_EQ(0u, Str(printed.notes.back()).find("The mass of a solution is the grams of the solution"));
}
