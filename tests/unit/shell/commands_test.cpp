// The automatic-ratio and Calculate commands on a stand-in entry: solved
// ratios reach the rows they came from, a failed solve marks the rows to be
// determined "?", the element selection is passed on, used and reset, and
// batch values reach the rows they belong to.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/formula.h"
#include "core/rowstore.h"

namespace {

struct Row {
    const char *formula;
    int fixed;
    double ratio;
};

// An entry as the main dialog holds it; ChooseElements adds `extra` to the
// selection it is given, as a user ticking one more element would.
class Entry : public CalcEntrySource {
public:
    Entry(const char *product, const std::vector<Row> &given, int extra) : product(product), extra(extra) {
        rows.create(ROW_CAPACITY);
        for (size_t i = 0; i < given.size(); ++i) {
            rows.setFormula(int(i), given[i].formula);
            rows.setFixed(int(i), given[i].fixed);
            rows.setRatio(int(i), given[i].ratio);
        }
    }
    CString ProductFormula() override { return product; }
    int ReadProductRatio(double *ratio) override { return *ratio = 1.0, 0; }
    int ReadAmount(double *amount) override { return *amount = 10.0, 0; }
    int GetRows(int count, LedraRowList *list) override { return rows.getRows(count, list); }
    int GetUnfixedCount() override { return rows.getUnfixedCount(); }
    bool ChooseElements(const CString &, int, ElementSelection *selection, int *) override {
        selection->Set(extra, true);
        return true;
    }
    void ShowMessage(const char *text, CalcMessageKind, CalcField) override { message = text; }
    void WriteReport(const CReaction &, double) override { ++reports; }
    const BatchSettings *Batch() override { return &batch; }
    void WriteBatchReport(const CReaction &, const BatchInput &, const BatchResult &result,
                          const std::vector<int> &) override {
        batches.push_back({result.productGrams, result.weighedTotal});
    }
    int RowNumber(const LedraRow *row) override {
        for (int i = 0; i < ROW_CAPACITY; ++i)
            if (rows.row(i) == row) return i + 1;
        return 0;
    }

    // The used rows' ratios as the list shows them ("?" when undetermined).
    std::string Ratios() {
        std::string text;
        char number[32];
        for (int i = 0; i < ROW_CAPACITY && !rows.row(i)->formula.IsEmpty(); ++i) {
            const double ratio = rows.row(i)->ratio;
            std::snprintf(number, sizeof number, "%.6g", ratio);
            text += (i ? " " : "") + std::string(ratio <= UNDETERMINED_RATIO ? "?" : number);
        }
        return text;
    }

    CString product;
    int extra;
    LedraRowStore rows;
    int reports = 0;
    BatchSettings batch;
    std::string message;
    std::vector<std::pair<double, double>> batches;  // the product grams and weighed total of each batch report
};

class CommandsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(ElementLoad::Loaded, table.Load((std::string(QUILLON_TEST_DATA) + "/chem_elements.lst").c_str()));
    }
    static CElementTable table;
};
CElementTable CommandsTest::table;

TEST_F(CommandsTest, RatiosReachTheRowsAndTheSelectionIsKeptOrReset) {
    const int metal = -1, oxygen = table.Lookup("O");
    const struct {
        const char *fault;
        bool calculate;  // Calculate with Auto-Ratio, else the automatic-ratio command
        const char *product;
        std::vector<Row> rows;
        int extra;  // element the user adds to the selection
        int reset;  // the reset-after-calculation setting
        CommandResult result;
        const char *ratios;
        bool selectionIsDefault;  // afterwards
    } cases[] = {
        {"solved ratios not written into the rows", false, "YBa2Cu3O7",
         {{"Y2O3", 0, 1}, {"BaCO3", 0, 1}, {"CuO", 0, 1}}, metal, 1, CommandResult::Done, "0.5 2 3", true},
        {"a Fixed row's ratio overwritten", false, "Sr0.5Ba0.5TiO3", {{"SrTiO3", 1, 0.5}, {"BaTiO3", 0, 7}},
         metal, 1, CommandResult::Done, "0.5 0.5", true},
        {"a failed solve left ratios that look determined", false, "BaTiO3",
         {{"BaCO3", 0, 1}, {"BaO", 0, 1}, {"TiO2", 1, 1}}, metal, 1, CommandResult::Refused, "? ? 1", true},
        {"the user's selection not used by the solve", false, "BaTiO3", {{"BaCO3", 0, 1}, {"TiO2", 0, 1}}, oxygen,
         1, CommandResult::Refused, "? ?", false},
        {"Calculate's solved ratios not shown in the rows", true, "YBa2Cu3O7",
         {{"Y2O3", 0, 1}, {"BaCO3", 0, 1}, {"CuO", 0, 1}}, metal, 1, CommandResult::Done, "0.5 2 3", true},
        {"Calculate's failed solve not marked", true, "BaTiO3", {{"BaCO3", 0, 1}, {"BaO", 0, 1}, {"TiO2", 1, 1}},
         metal, 1, CommandResult::Refused, "? ? 1", true},
        {"the selection not reset after a report", true, "Sr0.5Ba0.5TiO3", {{"SrO", 0, 1}, {"BaTiO3", 0, 1}, {"TiO2", 1, 0.5}},
         oxygen, 1, CommandResult::Done, "0.5 0.5 0.5", true},
        {"a retained selection reset after a report", true, "Sr0.5Ba0.5TiO3",
         {{"SrO", 0, 1}, {"BaTiO3", 0, 1}, {"TiO2", 1, 0.5}}, oxygen, 0, CommandResult::Done, "0.5 0.5 0.5", false},
    };
    const CFormulaParser parser(table);
    for (const auto &c : cases) {
        Entry entry(c.product, c.rows, c.extra);
        ElementSelection selection = ElementSelection::Metals(table);
        int reset = c.reset;
        const CommandResult result = c.calculate ? CalculateCommand(entry, parser, true, &selection, &reset)
                                                 : AutoRatioCommand(entry, parser, &selection);
        EXPECT_EQ(c.result, result) << c.fault;
        EXPECT_EQ(c.ratios, entry.Ratios()) << c.fault;
        EXPECT_EQ(c.selectionIsDefault, selection == ElementSelection::Metals(table)) << c.fault;
        EXPECT_EQ(c.calculate && result == CommandResult::Done ? 1 : 0, entry.reports) << c.fault;
    }
}

// Calculate with batch values: they reach the rows they belong to, a value out of range or a scaling to
// a row that holds another material is refused naming the row, and a batch report replaces the plain one.
TEST_F(CommandsTest, BatchValuesReachTheirRowsOrAreRefusedNamingThem) {
    const struct {
        const char *fault;
        int row;  // the row of the values (1 TiO2, 2 BaCO3)
        const char *formula;
        double purity, excess;
        BatchScale scale;
        const char *message;   // "" when a batch report is written
        double productGrams, weighed;  // of the batch report
    } cases[] = {
        {"purity 0 divided by zero", 2, "BaCO3", 0, 0, BatchScale::Product,
         "Purity of BaCO3 (row 2) must be above 0 and at most 100 %.", 0, 0},
        {"a huge excess taken", 1, "TiO2", 100, 1000, BatchScale::Product,
         "Excess of TiO2 (row 1) must be 0 or more and below 1000 %.", 0, 0},
        {"scaled to another material in the row", 2, "SrCO3", 100, 0, BatchScale::Material,
         "The batch is scaled to row 2 (SrCO3), which is not a starting material now.\nChoose again what to scale to.", 0, 0},
        {"the values of another formula applied", 2, "SrCO3", 50, 0, BatchScale::Product, "", 10,
         10 / 233.1922 * (79.8658 + 197.3359)},
        {"scaled to a row: the product's grams not from the row", 2, "BaCO3", 50, 0, BatchScale::Material, "",
         2.5 / 197.3359 * 233.1922, 5 + 2.5 / 197.3359 * 79.8658},
        {"the total not met", 1, "TiO2", 100, 10, BatchScale::Total, "",
         30.0 / (197.3359 + 79.8658 * 1.1) * 233.1922, 30},
    };
    const CFormulaParser parser(table);
    for (const auto &c : cases) {
        Entry entry("BaTiO3", {{"TiO2", 1, 1}, {"BaCO3", 1, 1}}, 0);
        entry.batch.rows[c.row - 1] = BatchRowValues{c.formula, c.purity, c.excess};
        entry.batch.scale = c.scale;
        entry.batch.scaleRow = c.row;
        entry.batch.scaleFormula = c.formula;
        entry.batch.scaleMass = c.scale == BatchScale::Total ? 30.0 : 5.0;
        entry.batch.gases = true;
        ElementSelection selection = ElementSelection::Metals(table);
        const CommandResult result = CalculateCommand(entry, parser, false, &selection, nullptr);
        EXPECT_EQ(c.message, entry.message) << c.fault;
        EXPECT_EQ(c.message[0] ? CommandResult::Refused : CommandResult::Done, result) << c.fault;
        EXPECT_EQ(0, entry.reports) << c.fault;
        ASSERT_EQ(c.message[0] ? 0u : 1u, entry.batches.size()) << c.fault;
        if (c.message[0]) continue;
        EXPECT_NEAR(c.productGrams, entry.batches[0].first, 1e-9) << c.fault;
        EXPECT_NEAR(c.weighed, entry.batches[0].second, 1e-9) << c.fault;
    }
}

}  // namespace
