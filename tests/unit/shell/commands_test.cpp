// The automatic-ratio and Calculate commands on a stand-in entry: solved
// ratios reach the rows they came from (as quillon-cli solve prints them:
// its golden files), a failed solve marks the rows to be determined "?", the
// element selection is passed on, used and reset, an amount that is not a
// usable number is refused with the right message, and
// batch values reach the rows they belong to.
#include <gtest/gtest.h>

#include <cstdio>

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

TEST(Commands, RatiosReachTheRowsAndTheSelectionIsKeptOrReset) {
    LoadTestElements();
    const int metal = -1, oxygen = Table().Lookup("O");
    const std::vector<TestRow> ybco = {{"Y2O3", 0, 1}, {"BaCO3", 0, 1}, {"CuO", 0, 1}},
                               singular = {{"BaCO3", 0, 1}, {"BaO", 0, 1}, {"TiO2", 1, 1}},
                               sbt = {{"SrO", 0, 1}, {"BaTiO3", 0, 1}, {"TiO2", 1, 0.5}};
    const std::string check = "Check amount of product in grams.";
    const struct {
        const char *fault;
        bool calculate;  // Calculate with Auto-Ratio, else the automatic-ratio command
        const char *product;
        std::vector<TestRow> rows;
        int extra;  // element the user adds to the selection
        int reset;  // the reset-after-calculation setting
        CommandResult result;
        const char *ratios;
        bool selectionIsDefault;  // afterwards
        const char *amount;
        std::string message;  // the start of what was shown
    } cases[] = {
        {"a Fixed row's ratio overwritten", false, "Sr0.5Ba0.5TiO3", {{"SrTiO3", 1, 0.5}, {"BaTiO3", 0, 7}},
         metal, 1, CommandResult::Done, "0.5 0.5", true, "10", ""},
        {"a failed solve left ratios that look determined", false, "BaTiO3", singular, metal, 1,
         CommandResult::Refused, "? ? 1", true, "10", "Failed to determine ratio."},
        {"the user's selection not used by the solve", false, "BaTiO3", {{"BaCO3", 0, 1}, {"TiO2", 0, 1}}, oxygen,
         1, CommandResult::Refused, "? ?", false, "10", "Failed to determine ratio."},
        {"Calculate's solved ratios not shown in the rows", true, "YBa2Cu3O7", ybco, metal, 1, CommandResult::Done,
         "0.5 2 3", true, "10", ""},
        {"Calculate's failed solve not marked", true, "BaTiO3", singular, metal, 1, CommandResult::Refused, "? ? 1",
         true, "10", "Failed to obtain ratios."},
        {"the selection not reset after a report", true, "Sr0.5Ba0.5TiO3", sbt, oxygen, 1, CommandResult::Done,
         "0.5 0.5 0.5", true, "10", ""},
        {"a retained selection reset after a report", true, "Sr0.5Ba0.5TiO3", sbt, oxygen, 0, CommandResult::Done,
         "0.5 0.5 0.5", false, "10", ""},
        // Amounts (which spellings are numbers is the number reader's): a decimal comma gets the hint,
        // other wrong spellings do not.
        {"a decimal comma without the hint", true, "BaTiO3", ybco, metal, 0, CommandResult::Refused, "1 1 1", true,
         "1,5", check + "\nUse a point for decimals: 1.5."},
        {"a nan amount weighed", true, "BaTiO3", ybco, metal, 0, CommandResult::Refused, "1 1 1", true, "nan", check},
    };
    for (const auto &c : cases) {
        TestEntry entry(c.product, c.rows);
        entry.extra = c.extra;
        entry.amount = c.amount;
        ElementSelection selection = ElementSelection::Metals(Table());
        int reset = c.reset;
        const CommandResult result = c.calculate ? CalculateCommand(entry, Parser(), true, &selection, &reset)
                                                 : AutoRatioCommand(entry, Parser(), &selection);
        EXPECT_EQ(c.result, result) << c.fault;
        EXPECT_EQ(c.ratios, Ratios(entry.rows)) << c.fault;
        EXPECT_EQ(c.selectionIsDefault, selection == ElementSelection::Metals(Table())) << c.fault;
        EXPECT_EQ(c.calculate && result == CommandResult::Done ? 1 : 0, entry.reports) << c.fault;
        // The amount's messages whole; a failed solve's first line (the reason follows).
        const bool whole = std::string(c.amount) != "10";
        EXPECT_EQ(c.message, whole ? entry.messages : entry.messages.substr(0, c.message.size())) << c.fault;
    }
}

// Calculate with batch values: they reach the rows they belong to, a value out of range is refused
// naming the row, and a batch report replaces the plain one (scaling to a row, to the total or to a
// retyped row is quillon-cli's, with the numbers of the whole batch sheet).
TEST(Commands, BatchValuesReachTheirRowsOrAreRefusedNamingThem) {
    LoadTestElements();
    const struct {
        const char *fault;
        int row;  // the row of the values (1 TiO2, 2 BaCO3)
        const char *formula;
        double purity, excess;
        const char *message;  // "" when a batch report is written
        double weighed;       // the grams of the batch report
    } cases[] = {
        {"purity 0 divided by zero", 2, "BaCO3", 0, 0, "Purity of BaCO3 (row 2) must be above 0 and at most 100 %.", 0},
        {"a huge excess taken", 1, "TiO2", 100, 1000, "Excess of TiO2 (row 1) must be 0 or more and below 1000 %.", 0},
        {"the values of another formula applied", 2, "SrCO3", 50, 0, "", 10 / 233.1922 * (79.8658 + 197.3359)},
    };
    for (const auto &c : cases) {
        TestEntry entry("BaTiO3", {{"TiO2", 1, 1}, {"BaCO3", 1, 1}});
        entry.batch.rows[c.row - 1] = BatchRowValues{c.formula, c.purity, c.excess};
        entry.batch.gases = true;
        ElementSelection selection = ElementSelection::Metals(Table());
        const CommandResult result = CalculateCommand(entry, Parser(), false, &selection, nullptr);
        EXPECT_EQ(c.message, entry.messages) << c.fault;
        EXPECT_EQ(c.message[0] ? CommandResult::Refused : CommandResult::Done, result) << c.fault;
        EXPECT_EQ(0, entry.reports) << c.fault;
        ASSERT_EQ(c.message[0] ? 0u : 1u, entry.batches.size()) << c.fault;
        if (!c.message[0]) { EXPECT_NEAR(c.weighed, entry.batches[0].second, 1e-9) << c.fault; }
    }
}

}  // namespace
