// The batch: the gases, the targets refused, the independent check catching
// altered numbers, the sheet's batch lines, and the batch lines of
// calculation files (which lines read is the calculation file's test).
// Purity, excess, mmol and the three scalings on random recipes are the
// property test's; quillon-cli's golden sheets hold the published recipe of
// YBa2Cu3O7 from the carbonates.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/batch.h"
#include "core/calcfile.h"
#include "core/sheetcheck.h"
#include "tests/support/chemistry.h"

namespace {

// Calculated over ATOMS.LST; a row with ratio 0 is Unfixed.
std::unique_ptr<CReaction> Calc(const char *product, std::vector<std::pair<const char *, double>> materials) {
    std::vector<TestRow> rows;
    for (const auto &m : materials) rows.push_back({m.first, m.second != 0.0, m.second != 0.0 ? m.second : 1.0});
    return Calculated(Atoms(), product, 1.0, rows);
}
std::unique_ptr<CReaction> Chloride() { return Calc("BaTiO3", {{"BaCl2", 1}, {"BaCO3", 0.5}, {"TiO2", 1}}); }

BatchInput Input(double mass, std::vector<BatchMaterial> materials = {}, BatchScale scale = BatchScale::Product,
                 int scaleMaterial = -1) {
    BatchInput input;
    input.mass = mass;
    input.materials = materials;
    input.scale = scale;
    input.scaleMaterial = scaleMaterial;
    return input;
}


// What leaves, what is taken up and what no gas accounts for, per formula unit of product.
TEST(Batch, GasesFollowTheElementBalance) {
    const struct {
        const char *product;
        std::vector<std::pair<const char *, double>> materials;
        const char *left;  // "formula:molecules ..." (taken up negative), then "| symbol:amount ..."
    } cases[] = {
        {"LiNiO2", {{"LiOH", 1}, {"Ni(NO3)2", 1}}, "H2O:0.5 NO2:2 O2:0.25 |"},
        {"CuO", {{"Cu2(OH)2CO3", 0.5}}, "CO2:0.5 H2O:0.5 |"},
        {"BaTiO3", {{"BaCl2", 1}, {"TiO2", 1}}, "O2:-0.5 | Cl:2"},
        {"BaTiO3", {{"BaO", 1.1}, {"TiO2", 1}}, "O2:0.05 | Ba:0.1"},
        {"BaC2", {{"BaO", 1}, {"C", 1}}, "O2:0.5 | C:-1"},
        {"BaTiO3", {{"BaO", 1}, {"TiO2", 1}}, "|"},
    };
    for (const auto &c : cases) {
        const auto reaction = Calc(c.product, c.materials);
        const BatchResult result = CalculateBatch(*reaction, Input(1.0));
        ASSERT_EQ(BatchStatus::Done, result.status) << c.product;
        std::string left;
        char item[64];
        for (const BatchGas &gas : result.gases)
            left += (std::snprintf(item, sizeof item, "%s:%g ", gas.formula.GetString(), gas.mmol / result.productMmol), item);
        left += "|";
        for (const BatchLeftover &l : result.unaccounted)
            left += (std::snprintf(item, sizeof item, " %s:%g", l.symbol.GetString(), l.mmol / result.productMmol), item);
        EXPECT_EQ(c.left, left) << c.product << " from " << c.materials[0].first;
        const WeighingSheet sheet = MakeBatchSheet(*reaction, Input(1.0), result, {}, "", 1);
        EXPECT_EQ(SheetCheck::Passed, CheckBatchSheet(*reaction, Input(1.0), sheet, false).status) << c.product;
    }
}

// Targets that cannot be met are refused; the extremes of purity and excess are taken (their limits
// are the calculation file's and the commands' tests, naming the row), down to what the sheet's five
// decimals show truthfully; an amount of product is showable from 0.00001 g.
TEST(Batch, RefusesTargetsThatCannotBeMet) {
    const auto reaction = Calc("Sr2TiO4", {{"SrTiO3", 2}, {"TiO2", -1}});
    using S = BatchScale;
    const struct {
        BatchMaterial material;  // for starting material 0
        S scale;
        int scaleMaterial;
        double mass;
        BatchStatus status;
    } cases[] = {
        {{100, 0}, S::Product, -1, 0, BatchStatus::BadMass},      {{100, 0}, S::Total, -1, INFINITY, BatchStatus::BadMass},
        {{100, 0}, S::Material, 2, 1, BatchStatus::BadScaleMaterial},
        {{100, 0}, S::Material, 1, 1, BatchStatus::CannotScale},  // TiO2 weighs less than nothing
        {{0.001, 999.999}, S::Product, -1, 1, BatchStatus::Done},
        {{0.00001, 999.99999}, S::Product, -1, 1, BatchStatus::Done},
        {{1e-300, 0}, S::Product, -1, 1, BatchStatus::BadPurity},          // shows as purity 0
        {{100, 999.9999999999999}, S::Product, -1, 1, BatchStatus::BadExcess},  // shows as 1000 %
        {{100, 1e-320}, S::Product, -1, 1, BatchStatus::BadExcess},        // shows as 0 % but added
    };
    for (const auto &c : cases) {
        const BatchResult result = CalculateBatch(*reaction, Input(c.mass, {c.material}, c.scale, c.scaleMaterial));
        EXPECT_EQ(c.status, result.status) << c.material.purity << " " << c.material.excess << " " << c.mass;
    }
    for (double grams : {1e-200, 0.000004, double(NAN)}) EXPECT_FALSE(AmountShowable(grams)) << grams;
    EXPECT_TRUE(AmountShowable(0.00001));
}

// The independent check finds every number of a batch that was altered after it was calculated.
TEST(Batch, CheckFindsAlteredNumbers) {
    const auto reaction = Chloride();
    const BatchInput input = Input(2.0, {{99, 5}}, BatchScale::Total);
    const BatchResult result = CalculateBatch(*reaction, input);
    ASSERT_EQ(BatchStatus::Done, result.status);
    const WeighingSheet good = MakeBatchSheet(*reaction, input, result, {}, "", 1);
    ASSERT_EQ(SheetCheck::Passed, CheckBatchSheet(*reaction, input, good, false).status);
    const double nudge = 1.000001;
    const SheetCheck D = SheetCheck::Disagrees, U = SheetCheck::Unbalanced;
    const struct {
        const char *fault;
        void (*alter)(WeighingSheet &, BatchInput &, double);
        SheetCheck status;
    } cases[] = {
        {"weighing", [](WeighingSheet &s, BatchInput &, double n) { s.reactants[0].weighedGrams *= n; }, D},
        {"purity shown", [](WeighingSheet &s, BatchInput &, double) { s.reactants[0].purity = 100; }, D},
        {"mmol", [](WeighingSheet &s, BatchInput &, double n) { s.reactants[2].mmol *= n; }, D},
        {"product mmol", [](WeighingSheet &s, BatchInput &, double n) { s.productMmol *= n; }, D},
        {"target", [](WeighingSheet &, BatchInput &i, double n) { i.mass *= n; }, D},
        {"gas grams", [](WeighingSheet &s, BatchInput &, double n) { s.batch.gases[0].grams *= n; }, D},
        {"gas amount", [](WeighingSheet &s, BatchInput &, double n) { s.batch.gases[0].mmol *= n, s.batch.gases[0].grams *= n; }, U},
        {"gas dropped", [](WeighingSheet &s, BatchInput &, double) { s.batch.gases.pop_back(); }, U},
        {"chlorine dropped", [](WeighingSheet &s, BatchInput &, double) { s.batch.unaccounted.clear(); }, U},
        {"mass loss", [](WeighingSheet &s, BatchInput &, double n) { s.batch.massLossPercent *= n; }, D},
    };
    for (const auto &c : cases) {
        WeighingSheet sheet = good;
        BatchInput changed = input;
        c.alter(sheet, changed, nudge);
        EXPECT_EQ(c.status, CheckBatchSheet(*reaction, changed, sheet, false).status) << c.fault;
    }
}

// Without new values the batch's sheet is today's sheet; with them, its columns and lines read the same
// in the report file and in the word processor.
TEST(Batch, SheetTextAndWordPieces) {
    auto texts = [](const WeighingSheet &sheet) {
        std::string file = SheetFileText(sheet).GetString(), word;
        for (const SheetPiece &piece : SheetWordPieces(sheet)) word += piece.kind == SHEET_PARAGRAPH ? "\n" : piece.text.GetString();
        return std::make_pair(file, word);
    };
    const auto ybco = Calc("YBa2Cu3O7", {{"BaCO3", 0}, {"Y2(CO3)3", 0}, {"CuCO3", 0}});
    const BatchInput plain = Input(3.0, {{}, {}, {}});
    EXPECT_EQ(texts(MakeWeighingSheet(*ybco, 3.0, "S-1", 1)),
              texts(MakeBatchSheet(*ybco, plain, CalculateBatch(*ybco, plain), {1, 2, 3}, "S-1", 1)));

    const auto reaction = Chloride();
    BatchInput input = Input(2.0, {{99, 5}, {100, 10}}, BatchScale::Material, 2);
    input.mmol = input.gases = true;
    auto [file, word] = texts(MakeBatchSheet(*reaction, input, CalculateBatch(*reaction, input), {4, 5, 6}, "", 1));
    for (size_t at; (at = file.find("\r\n")) != std::string::npos;) file.erase(at, 1);
    for (const char *expected : {"Pure(g)     Purity(%)   Excess(%)   mmol", "5.21447     99          5           26.29437\n",
                                 "Scaled to 2 g of TiO2 (row 6) as weighed", "BaCl2: 5 % excess", "BaCO3: 10 % excess",
                                 "Not accounted for: Cl ", "O2 taken up"}) {
        EXPECT_NE(std::string::npos, file.find(expected)) << expected;
        EXPECT_NE(std::string::npos, word.find(expected)) << expected;
    }
    // From the closing rule on; the file ends in two blank lines, the document in three paragraphs.
    const std::string rule = "\n" + std::string(101, '-') + "\n";
    ASSERT_NE(std::string::npos, file.find(rule));
    EXPECT_EQ(file.substr(file.rfind(rule)) + "\n", word.substr(word.rfind(rule)));
}

// The settings' lines (read back the same: the calculation file's fuzz target); a retyped row's values
// are not written for the new formula.
TEST(BatchFile, ValuesStayWithTheirMaterial) {
    LedraRowStore rows;
    FillRows(rows, {{"BaCO3", 0, 1}, {"TiO2", 0, 1}});
    BatchSettings settings;
    settings.SetRow(1, "BaCO3", 99.5, 0);
    settings.SetRow(2, "TiO2", 100, 2.5);
    settings.scale = BatchScale::Material;
    settings.scaleRow = 2;
    settings.scaleFormula = "TiO2";
    settings.scaleMass = 0.75;
    settings.gases = true;
    const std::string lines = CalcBatchLines(settings, rows).GetString();
    const std::string kept = "excess 2 2.50000 TiO2\r\nscale row 2 0.75000 TiO2\r\nshow gases\r\n";
    EXPECT_EQ("purity 1 99.50000 BaCO3\r\n" + kept, lines);
    EXPECT_EQ("", std::string(CalcBatchLines(BatchSettings(), rows).GetString()));
    rows.setFormula(0, "SrCO3");
    EXPECT_EQ(kept, std::string(CalcBatchLines(settings, rows).GetString()));
}

}  // namespace
