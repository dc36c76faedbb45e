// The calculation on entries as values: solved ratios reach the rows they
// came from, a failed solve leaves "?", without Auto-Ratio the ratios shown
// are weighed and a "?" row is refused by name, the element selection given
// is the one balanced, amounts that are not usable numbers are refused with
// the right message, and batch values reach the rows they belong to.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/calculation.h"
#include "tests/support/chemistry.h"

namespace {

// The used rows' ratios as the list shows them ("?" when undetermined).
std::string Ratios(const LedraRowStore &rows) {
    std::string text;
    char number[32];
    for (int i = 0; i < ROW_CAPACITY && !rows.row(i)->formula.IsEmpty(); ++i) {
        const double ratio = rows.row(i)->ratio;
        std::snprintf(number, sizeof number, "%.6g", ratio);
        text += (i ? " " : "") + std::string(ratio <= UNDETERMINED_RATIO ? "?" : number);
    }
    return text;
}

TEST(Calculation, RatiosReachTheRowsAndRefusalsSayWhy) {
    LoadTestElements();
    const int metal = -1, oxygen = Table().Lookup("O");
    const std::vector<TestRow> ybco = {{"Y2O3", 0, 1}, {"BaCO3", 0, 1}, {"CuO", 0, 1}},
                               singular = {{"BaCO3", 0, 1}, {"BaO", 0, 1}, {"TiO2", 1, 1}},
                               sbt = {{"SrO", 0, 1}, {"BaTiO3", 0, 1}, {"TiO2", 1, 0.5}};
    const double undetermined = UNDETERMINED_RATIO;
    const std::string check = "Check amount of product in grams.";
    enum Command { SOLVE, AUTO, SHOWN };  // "?", Calculate with and without Auto-Ratio
    const struct {
        const char *fault;
        Command command;
        const char *product;
        std::vector<TestRow> rows;
        int extra;  // element the user adds to the selection
        bool done;
        const char *ratios;   // afterwards
        std::string message;  // the start of what is shown
        double firstGrams;    // Calculate done: the first row's weighing
        const char *amount = "10";
    } cases[] = {
        {"a Fixed row's ratio overwritten", SOLVE, "Sr0.5Ba0.5TiO3", {{"SrTiO3", 1, 0.5}, {"BaTiO3", 0, 7}}, metal, true,
         "0.5 0.5", "", 0},
        {"a failed solve left ratios that look determined", SOLVE, "BaTiO3", singular, metal, false, "? ? 1",
         "Failed to determine ratio.", 0},
        {"the user's selection not used by the solve", SOLVE, "BaTiO3", {{"BaCO3", 0, 1}, {"TiO2", 0, 1}}, oxygen, false,
         "? ?", "Failed to determine ratio.", 0},
        {"Calculate's solved ratios not shown in the rows", AUTO, "YBa2Cu3O7", ybco, metal, true, "0.5 2 3", "", 1.69478},
        {"Calculate's failed solve not marked", AUTO, "BaTiO3", singular, metal, false, "? ? 1", "Failed to obtain ratios.", 0},
        {"a selection with oxygen ignored", AUTO, "Sr0.5Ba0.5TiO3", sbt, oxygen, true, "0.5 0.5 0.5", "", 0},
        {"a \"?\" row solved without Auto-Ratio", SHOWN, "YBa2Cu3O7", {{"Y2O3", 0, 0.5}, {"BaCO3", 1, undetermined},
         {"CuO", 0, 3}}, metal, false, "0.5 ? 3", "The ratio of row 2 (BaCO3) is not determined (\"?\").\nType its ratio, "
         "or check Auto-Ratio to have it determined.", 0},
        {"the ratios shown not weighed without Auto-Ratio", SHOWN, "YBa2Cu3O7", {{"Y2O3", 0, 0.5}, {"BaCO3", 0, 2},
         {"CuO", 0, 3}}, metal, true, "0.5 2 3", "", 1.69478},
        // Amounts (which spellings are numbers is the number reader's): a decimal comma gets the hint,
        // other wrong spellings do not.
        {"a decimal comma without the hint", AUTO, "BaTiO3", ybco, metal, false, "1 1 1",
         check + "\nUse a point for decimals: 1.5.", 0, "1,5"},
        {"a nan amount weighed", AUTO, "BaTiO3", ybco, metal, false, "1 1 1", check, 0, "nan"},
        {"an amount that heads a sheet of zeros", AUTO, "BaTiO3", ybco, metal, false, "1 1 1",
         "Enter a product amount of at least 0.00001 g (the sheet shows 5 decimals).", 0, "1e-200"},
        {"every ratio 0 weighed as a sheet", SHOWN, "BaTiO3", {{"BaCO3", 1, 0}, {"TiO2", 1, 0}}, metal, false, "0 0",
         "The amounts to weigh all show as 0 g: there is nothing to weigh.", 0},
    };
    for (const auto &c : cases) {
        const Entry entry = MakeEntry(c.product, c.rows, c.amount);
        ElementSelection selection = ElementSelection::Metals(Table());
        if (c.extra >= 0) selection.Set(c.extra, true);
        CalcOptions options;
        options.autoRatio = c.command == AUTO;
        const CalcOutcome outcome =
            c.command == SOLVE ? Solve(entry, Parser(), selection) : Calculate(entry, Parser(), selection, options);
        EXPECT_EQ(c.done, outcome.done) << c.fault;
        EXPECT_EQ(c.ratios, Ratios(outcome.entry.rows)) << c.fault;
        const std::string messages = Str(outcome.MessageText());
        EXPECT_EQ(c.message, messages.substr(0, c.message.size())) << c.fault << ": " << messages;
        EXPECT_EQ(c.done && c.command != SOLVE, outcome.reaction != nullptr) << c.fault;
        if (c.firstGrams > 0) { EXPECT_NEAR(c.firstGrams, outcome.sheet.reactants[0].grams, 5e-6) << c.fault; }
    }
}

// Calculate with batch values: a value out of range is refused naming the row (values reach only the
// rows of their formula: the property test), and a negative weighing made by purity or excess is warned of (scaling to a row, to
// the total or to a retyped row is quillon-cli's, with the numbers of the whole batch sheet).
TEST(Calculation, BatchValuesReachTheirRowsOrAreRefusedNamingThem) {
    LoadTestElements();
    const struct {
        const char *fault;
        int row;  // the row of the values (1 TiO2, 2 BaCO3, 3 BaO)
        const char *formula;
        double purity, excess;
        const char *message;  // the whole message; a warning when weighed is not 0
        double weighed;       // the weighed grams of the sheet
    } cases[] = {
        {"purity 0 divided by zero", 2, "BaCO3", 0, 0, "Purity of BaCO3 (row 2) must be above 0 and at most 100 %.", 0},
        {"a huge excess taken", 1, "TiO2", 100, 1000, "Excess of TiO2 (row 1) must be 0 or more and below 1000 %.", 0},
        // BaO's pure grams (-6.6e-7) show as 0; what goes on the balance does not.
        {"a negative weighing made by purity and excess not warned of", 3, "BaO", 1, 900,
         "These starting materials have negative amounts to weigh: BaO.\nThey cannot give the product as they stand.",
         1 / 233.1922 * (79.8658 + 197.3359 - 0.001 * 153.3264)},
    };
    for (const auto &c : cases) {
        std::vector<TestRow> rows = {{"TiO2", 1, 1}, {"BaCO3", 1, 1}};
        if (c.row == 3) rows.push_back({"BaO", 1, -0.000001});
        Entry entry = MakeEntry("BaTiO3", rows, "1");
        entry.batch.rows[c.row - 1] = BatchRowValues{c.formula, c.purity, c.excess};
        entry.batch.gases = true;
        const CalcOutcome outcome = Calculate(entry, Parser(), ElementSelection::Metals(Table()), CalcOptions());
        EXPECT_EQ(c.message, Str(outcome.MessageText())) << c.fault;
        EXPECT_EQ(c.weighed != 0, outcome.done) << c.fault;
        if (outcome.done) { EXPECT_NEAR(c.weighed, outcome.sheet.batch.weighedTotal, 1e-9) << c.fault; }
    }
}

// The product and every used row are looked at, each named with the field to
// go back to; a refused start asks nothing, and the sheet is still made.
TEST(Calculation, CountsStartingWithZeroAreAskedAboutBeforeTheSheet) {
    LoadTestElements();
    Entry entry = MakeEntry("LiCo02", {{"Li2C03", 1, 0.5}, {"CoO", 1, 1}, {"", 0, 1}, {"Fe02Co03", 1, 1}});
    const CalcStart start = StartCalculation(entry, CalcOptions());
    ASSERT_FALSE(start.refused);
    std::string seen;
    for (const CalcMessage &warning : start.formulaWarnings)
        seen += Str(warning.text) + " [" + std::to_string(warning.field) + " " + std::to_string(warning.row) + "]\n";
    EXPECT_EQ("The formula LiCo02 has the count 02, which starts with a zero: was the letter O meant (LiCoO2)? [1 0]\n"
              "The formula Li2C03 (row 1) has the count 03, which starts with a zero: was the letter O meant (Li2CO3)? "
              "[3 1]\n"
              "The formula Fe02Co03 (row 4) has the counts 02 and 03, which start with a zero: was the letter O meant "
              "(FeO2CoO3)? [3 4]\n",
              seen);

    entry.fields.amountText = "0";
    EXPECT_TRUE(StartCalculation(entry, CalcOptions()).formulaWarnings.empty()) << "a refused start asked";

    // LiCo02 weighed as LiCo2 from Li2CO3 and Co3O4, the sheet unchanged by the warning.
    const Entry typo = MakeEntry("LiCo02", {{"Li2CO3", 1, 0.5}, {"Co3O4", 1, 2.0 / 3}}, "5");
    const CalcOutcome outcome = Calculate(typo, Parser(), ElementSelection::Metals(Table()), CalcOptions());
    ASSERT_TRUE(outcome.done);
    EXPECT_EQ("", Str(outcome.MessageText()));
}

}  // namespace
