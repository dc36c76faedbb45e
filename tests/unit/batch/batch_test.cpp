// The batch: the published recipe, the invariants of purity, excess,
// scaling and gases, the independent check catching altered numbers, and
// the batch lines of calculation files.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/batch.h"
#include "core/calcfile.h"
#include "core/elements.h"
#include "core/formula.h"
#include "core/reaction.h"
#include "core/rowstore.h"
#include "core/sheet.h"
#include "core/sheetcheck.h"

namespace {

constexpr double nudge = 1.000001;

const CElementTable &Atoms() {
    static CElementTable table;
    static const ElementLoad loaded = table.Load(QUILLON_ATOMS_PATH);
    EXPECT_EQ(ElementLoad::Loaded, loaded);
    return table;
}

const CFormulaParser &Parser() {
    static const CFormulaParser parser(Atoms());
    return parser;
}

// A calculated reaction: "product" from starting materials; ratio 0 means Unfixed (solved over the metals).
std::unique_ptr<CReaction> Calculated(const char *product, std::vector<std::pair<const char *, double>> materials) {
    std::unique_ptr<CReaction> reaction(new CReaction(Parser(), ElementSelection::Metals(Atoms())));
    std::vector<ReactantInput> input;
    bool solve = false;
    for (const auto &m : materials) {
        input.push_back(ReactantInput{m.first, m.second != 0.0 ? 1 : 0, m.second != 0.0 ? m.second : 1.0});
        solve = solve || m.second == 0.0;
    }
    reaction->SetInput(product, 1.0, input);
    EXPECT_EQ(ReactionResult::Done, reaction->RunCalculation(solve)) << product;
    return reaction;
}

std::unique_ptr<CReaction> Ybco() {
    return Calculated("YBa2Cu3O7", {{"BaCO3", 0}, {"Y2(CO3)3", 0}, {"CuCO3", 0}});
}

double GasGrams(const BatchResult &result, const char *formula) {
    for (const BatchGas &gas : result.gases)
        if (gas.formula == formula) return gas.grams;
    return 0.0;
}

BatchInput Input(double mass, std::vector<BatchMaterial> materials = {}) {
    BatchInput input;
    input.mass = mass;
    input.materials = materials;
    return input;
}

// The check of the sheet the batch gives.
// balanceIncluded: the ratios were solved, so the metals must balance too.
SheetCheck Checked(const CReaction &reaction, const BatchInput &input, const BatchResult &result,
                   bool balanceIncluded = false) {
    const WeighingSheet sheet = MakeBatchSheet(reaction, input, result, {}, "", 1);
    return CheckBatchSheet(reaction, input, sheet, balanceIncluded).status;
}

// 3 g of YBa2Cu3O7 from the carbonates, with the published figures to four decimals.
TEST(Batch, PublishedRecipeForYbcoFromCarbonates) {
    const auto reaction = Ybco();
    const BatchResult result = CalculateBatch(*reaction, Input(3.0));
    ASSERT_EQ(BatchStatus::Done, result.status);
    EXPECT_NEAR(1.7773, result.rows[0].weighedGrams, 0.00005);
    EXPECT_NEAR(0.8057, result.rows[1].weighedGrams, 0.00005);
    EXPECT_NEAR(1.6692, result.rows[2].weighedGrams, 0.00005);
    EXPECT_NEAR(1.2882, GasGrams(result, "CO2"), 0.00005);
    EXPECT_NEAR(-0.0360, GasGrams(result, "O2"), 0.00005);
    EXPECT_EQ(2u, result.gases.size());
    EXPECT_TRUE(result.unaccounted.empty());
    EXPECT_NEAR(100.0 * (1.2882 - 0.0360) / (1.7773 + 0.8057 + 1.6692), result.massLossPercent, 0.01);
    EXPECT_EQ(SheetCheck::Passed, Checked(*reaction, Input(3.0), result, true));
}

// Purity and excess change only their own row's grams (by 1/purity, by 1 + excess), purity no moles,
// neither the gases; scaling to a row's or the total weighed mass meets it and leads back to the
// product's mass; the pure grams minus the gases are the product's grams; every sheet passes the check.
TEST(Batch, InvariantsOfPurityExcessScalingAndGases) {
    struct Case {
        const char *what;
        int row;            // the row the values are given for
        double purity, excess;
        BatchScale scale;   // to the product (3 g), to `row`'s weighed mass, or to the total
        double mass;
    };
    const Case cases[] = {
        {"purity of one row", 1, 99.5, 0, BatchScale::Product, 3.0},
        {"small purity", 0, 12.5, 0, BatchScale::Product, 3.0},
        {"excess of one row", 2, 100, 10, BatchScale::Product, 3.0},
        {"purity and excess together", 0, 98, 5, BatchScale::Product, 3.0},
        {"scaled to what is left in a bottle", 1, 99, 0, BatchScale::Material, 1.25},
        {"scaled to the crucible's capacity", 2, 100, 7.5, BatchScale::Total, 20.0},
    };
    std::unique_ptr<CReaction> reactions[] = {
        Ybco(),
        Calculated("LiNiO2", {{"LiOH", 0}, {"Ni(NO3)2", 0}}),
        Calculated("Sr0.5Ba0.5TiO3", {{"SrCO3", 0}, {"BaCO3", 0}, {"TiO2", 0}}),
    };
    for (const auto &reaction : reactions) {
        const int count = reaction->ReactantCount();
        const BatchResult plain = CalculateBatch(*reaction, Input(3.0));
        ASSERT_EQ(BatchStatus::Done, plain.status);
        for (const Case &c : cases) {
            if (c.row >= count) continue;
            SCOPED_TRACE(std::string(c.what) + " in " + reaction->ProductFormula().GetString());
            BatchInput input = Input(c.mass, std::vector<BatchMaterial>(size_t(count)));
            input.materials[size_t(c.row)] = BatchMaterial{c.purity, c.excess};
            input.scale = c.scale;
            input.scaleMaterial = c.row;
            const BatchResult batch = CalculateBatch(*reaction, input);
            ASSERT_EQ(BatchStatus::Done, batch.status);
            EXPECT_EQ(SheetCheck::Passed, Checked(*reaction, input, batch));
            // Scaled: back to the product's mass gives the same batch.
            const double scale = batch.productGrams / plain.productGrams;
            const double met = c.scale == BatchScale::Material ? batch.rows[size_t(c.row)].weighedGrams
                               : c.scale == BatchScale::Total  ? batch.weighedTotal
                                                               : batch.productGrams;
            EXPECT_NEAR(c.mass, met, 1e-13 * c.mass);
            BatchInput back = input;
            back.scale = BatchScale::Product;
            back.mass = batch.productGrams;
            const BatchResult again = CalculateBatch(*reaction, back);
            for (int i = 0; i < count; ++i) {
                const BatchRow &row = batch.rows[size_t(i)], &before = plain.rows[size_t(i)];
                EXPECT_NEAR(row.weighedGrams, again.rows[size_t(i)].weighedGrams, 1e-13 * row.weighedGrams);
                const double factor = i == c.row ? 100.0 / c.purity * (1.0 + c.excess / 100.0) : 1.0;
                EXPECT_NEAR(before.stoichiometricGrams * scale * factor, row.weighedGrams, 1e-13 * row.weighedGrams);
                EXPECT_NEAR(before.mmol * scale * (i == c.row ? 1.0 + c.excess / 100.0 : 1.0), row.mmol, 1e-13 * row.mmol);
            }
            ASSERT_EQ(plain.gases.size(), batch.gases.size());
            for (size_t g = 0; g < batch.gases.size(); ++g)
                EXPECT_NEAR(plain.gases[g].grams * scale, batch.gases[g].grams, 1e-13 * std::fabs(batch.gases[g].grams));
            EXPECT_NEAR(batch.productGrams, batch.stoichiometricTotal - batch.gasGrams, 1e-12 * batch.productGrams);
            EXPECT_DOUBLE_EQ(plain.massLossPercent, batch.massLossPercent);
        }
    }
}

// What leaves, what is taken up and what no gas accounts for, per formula unit of product (mmol / 1000 per mol).
TEST(Batch, GasesFollowTheElementBalance) {
    struct Case {
        const char *product;
        std::vector<std::pair<const char *, double>> materials;
        const char *gases;        // "formula:molecules per unit ..."; taken up negative
        const char *unaccounted;  // "symbol:amount ..."
    } cases[] = {
        {"BaTiO3", {{"BaCO3", 1}, {"TiO2", 1}}, "CO2:1", ""},
        {"LiNiO2", {{"LiOH", 1}, {"Ni(NO3)2", 1}}, "H2O:0.5 NO2:2 O2:0.25", ""},
        {"CuO", {{"Cu2(OH)2CO3", 0.5}}, "CO2:0.5 H2O:0.5", ""},
        {"BaTiO3", {{"BaCl2", 1}, {"TiO2", 1}}, "O2:-0.5", "Cl:2"},
        {"BaTiO3", {{"BaO", 1.1}, {"TiO2", 1}}, "O2:0.05", "Ba:0.1"},
        {"BaC2", {{"BaO", 1}, {"C", 1}}, "O2:0.5", "C:-1"},
        {"BaTiO3", {{"BaO", 1}, {"TiO2", 1}}, "", ""},
    };
    for (const Case &c : cases) {
        const auto reaction = Calculated(c.product, c.materials);
        const BatchResult result = CalculateBatch(*reaction, Input(1.0));
        ASSERT_EQ(BatchStatus::Done, result.status) << c.product;
        // Per mole of product: mmol / (1000 * product mmol / 1000).
        std::string gases, unaccounted;
        char item[64];
        for (const BatchGas &gas : result.gases) {
            std::snprintf(item, sizeof item, "%s%s:%g", gases.empty() ? "" : " ", gas.formula.GetString(),
                          gas.mmol / result.productMmol);
            gases += item;
        }
        for (const BatchLeftover &left : result.unaccounted) {
            std::snprintf(item, sizeof item, "%s%s:%g", unaccounted.empty() ? "" : " ", left.symbol.GetString(),
                          left.mmol / result.productMmol);
            unaccounted += item;
        }
        EXPECT_EQ(c.gases, gases) << c.product << " from " << c.materials[0].first;
        EXPECT_EQ(c.unaccounted, unaccounted) << c.product << " from " << c.materials[0].first;
        EXPECT_EQ(SheetCheck::Passed, Checked(*reaction, Input(1.0), result)) << c.product;
    }
}

// Values out of range and targets that cannot be met are refused, naming the starting material.
TEST(Batch, RefusesValuesOutOfRangeAndTargetsThatCannotBeMet) {
    const auto reaction = Calculated("Sr2TiO4", {{"SrTiO3", 2}, {"TiO2", -1}});
    struct Case {
        BatchMaterial material;  // for starting material 0
        BatchScale scale;
        int scaleMaterial;
        double mass;
        BatchStatus status;
    } cases[] = {
        {{0.0, 0}, BatchScale::Product, -1, 1, BatchStatus::BadPurity},
        {{100.001, 0}, BatchScale::Product, -1, 1, BatchStatus::BadPurity},
        {{NAN, 0}, BatchScale::Product, -1, 1, BatchStatus::BadPurity},
        {{100, -0.5}, BatchScale::Product, -1, 1, BatchStatus::BadExcess},
        {{100, 1000}, BatchScale::Product, -1, 1, BatchStatus::BadExcess},
        {{100, 0}, BatchScale::Product, -1, 0, BatchStatus::BadMass},
        {{100, 0}, BatchScale::Total, -1, INFINITY, BatchStatus::BadMass},
        {{100, 0}, BatchScale::Material, 2, 1, BatchStatus::BadScaleMaterial},
        {{100, 0}, BatchScale::Material, 1, 1, BatchStatus::CannotScale},  // TiO2 weighs less than nothing
        {{0.001, 999.999}, BatchScale::Product, -1, 1, BatchStatus::Done},
    };
    for (const Case &c : cases) {
        BatchInput input = Input(c.mass, {c.material});
        input.scale = c.scale;
        input.scaleMaterial = c.scaleMaterial;
        const BatchResult result = CalculateBatch(*reaction, input);
        EXPECT_EQ(c.status, result.status) << c.material.purity << " " << c.material.excess << " " << c.mass;
        const bool named = c.status == BatchStatus::BadPurity || c.status == BatchStatus::BadExcess;
        EXPECT_EQ(named ? 0 : -1, result.material);
    }
}

// The independent check finds every number of a batch that was altered after it was calculated.
TEST(Batch, CheckFindsAlteredNumbers) {
    const auto reaction = Calculated("BaTiO3", {{"BaCl2", 1}, {"BaCO3", 0.5}, {"TiO2", 1}});
    BatchInput input = Input(2.0, {{99, 5}});
    input.scale = BatchScale::Total;
    const BatchResult result = CalculateBatch(*reaction, input);
    ASSERT_EQ(BatchStatus::Done, result.status);
    const WeighingSheet good = MakeBatchSheet(*reaction, input, result, {}, "", 1);
    ASSERT_EQ(SheetCheck::Passed, CheckBatchSheet(*reaction, input, good, false).status);
    const struct {
        const char *fault;
        void (*alter)(WeighingSheet &, BatchInput &);
        SheetCheck status;
    } cases[] = {
        {"weighing", [](WeighingSheet &s, BatchInput &) { s.reactants[0].weighedGrams *= nudge; }, SheetCheck::Disagrees},
        {"purity shown", [](WeighingSheet &s, BatchInput &) { s.reactants[0].purity = 100; }, SheetCheck::Disagrees},
        {"mmol", [](WeighingSheet &s, BatchInput &) { s.reactants[2].mmol *= nudge; }, SheetCheck::Disagrees},
        {"product mmol", [](WeighingSheet &s, BatchInput &) { s.productMmol *= nudge; }, SheetCheck::Disagrees},
        {"target", [](WeighingSheet &, BatchInput &i) { i.mass *= nudge; }, SheetCheck::Disagrees},
        {"gas grams", [](WeighingSheet &s, BatchInput &) { s.batch.gases[0].grams *= nudge; }, SheetCheck::Disagrees},
        {"gas amount", [](WeighingSheet &s, BatchInput &) {
             s.batch.gases[0].mmol *= nudge;
             s.batch.gases[0].grams *= nudge;
         }, SheetCheck::Unbalanced},
        {"gas dropped", [](WeighingSheet &s, BatchInput &) { s.batch.gases.pop_back(); }, SheetCheck::Unbalanced},
        {"chlorine dropped", [](WeighingSheet &s, BatchInput &) { s.batch.unaccounted.clear(); }, SheetCheck::Unbalanced},
        {"mass loss", [](WeighingSheet &s, BatchInput &) { s.batch.massLossPercent *= nudge; }, SheetCheck::Disagrees},
    };
    for (const auto &c : cases) {
        WeighingSheet sheet = good;
        BatchInput changed = input;
        c.alter(sheet, changed);
        EXPECT_EQ(c.status, CheckBatchSheet(*reaction, changed, sheet, false).status) << c.fault;
    }
}

// Without new values the batch's sheet is today's sheet, byte for byte.
TEST(Batch, PlainBatchSheetIsTodaysSheet) {
    const auto reaction = Ybco();
    BatchInput input = Input(3.0, {{}, {}, {}});
    ASSERT_TRUE(BatchIsPlain(input));
    const WeighingSheet plain = MakeWeighingSheet(*reaction, 3.0, "S-1", 1);
    const WeighingSheet batch = MakeBatchSheet(*reaction, input, CalculateBatch(*reaction, input), {1, 2, 3}, "S-1", 1);
    EXPECT_EQ(std::string(SheetFileText(plain).GetString()), std::string(SheetFileText(batch).GetString()));
    const auto a = SheetWordPieces(plain), b = SheetWordPieces(batch);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_TRUE(a[i].kind == b[i].kind && a[i].text == b[i].text) << i;
}

// The batch's columns and lines read the same in the report file and in the word processor.
TEST(Batch, WordPiecesCarryTheFileTextsColumnsAndLines) {
    const auto reaction = Calculated("BaTiO3", {{"BaCl2", 1}, {"BaCO3", 0.5}, {"TiO2", 1}});
    BatchInput input = Input(2.0, {{99, 5}, {100, 10}});
    input.mmol = input.gases = true;
    input.scale = BatchScale::Material;
    input.scaleMaterial = 2;
    const WeighingSheet sheet = MakeBatchSheet(*reaction, input, CalculateBatch(*reaction, input), {4, 5, 6}, "", 1);
    std::string file = SheetFileText(sheet).GetString(), word;
    for (const SheetPiece &piece : SheetWordPieces(sheet)) word += piece.kind == SHEET_PARAGRAPH ? "\n" : piece.text.GetString();
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

int AnyFormula(const char *formula) { return formula[0] != 0; }

// The batch lines: what no line of a file without them can be, read back exactly, refused when out of range.
TEST(BatchFile, LinesReadBackAndRefuseWhatIsOutOfRange) {
    const struct {
        const char *line;
        int parsed;  // ParseCalcLine's answer
    } cases[] = {
        {"purity 2 99.5 BaCO3", 1}, {"excess 30 999.99999 Li2CO3", 1}, {"scale row 1 0.25 Y2(CO3)3", 1},
        {"scale total 1e3", 1},     {"show mmol", 1},                  {"show gases", 1},
        {"purity 2 0 BaCO3", -1},   {"purity 2 100.00001 BaCO3", -1},  {"excess 2 1000 BaCO3", -1},
        {"excess 2 -1 BaCO3", -1},  {"purity 31 90 BaCO3", -1},        {"purity 0 90 BaCO3", -1},
        {"purity 2.5 90 BaCO3", -1}, {"purity 2 nan BaCO3", -1},       {"purity 2 0x10 BaCO3", -1},
        {"purity 2 90", -1},        {"purity2 90 BaCO3", -1},          {"scale row 2 0 BaCO3", -1},
        {"scale total 5 g", -1},    {"show grams", -1},                {"Purity 2 90 BaCO3", -1},
    };
    for (const auto &c : cases) {
        std::string line = c.line;
        CalcRecord record;
        EXPECT_EQ(c.parsed, ParseCalcLine(&line[0], ROW_CAPACITY, AnyFormula, &record)) << c.line;
    }
}

// Values belong to the formula they were given for: a retyped row neither keeps nor passes them on.
TEST(BatchFile, ValuesStayWithTheirMaterial) {
    LedraRowStore rows;
    rows.create(ROW_CAPACITY);
    rows.setFormula(0, "BaCO3");
    rows.setFormula(1, "TiO2");
    BatchSettings settings;
    settings.SetRow(1, "BaCO3", 99.5, 0);
    settings.SetRow(2, "TiO2", 100, 2.5);
    settings.scale = BatchScale::Material;
    settings.scaleRow = 2;
    settings.scaleFormula = "TiO2";
    settings.scaleMass = 0.75;
    settings.gases = true;
    const std::string lines = CalcBatchLines(settings, rows).GetString();
    EXPECT_EQ("purity 1 99.50000 BaCO3\r\nexcess 2 2.50000 TiO2\r\nscale row 2 0.75000 TiO2\r\nshow gases\r\n", lines);
    EXPECT_EQ("", std::string(CalcBatchLines(BatchSettings(), rows).GetString()));

    // Read back: the same settings.
    std::vector<CalcRecord> records;
    for (size_t start = 0, end; (end = lines.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = lines.substr(start, end - start);
        CalcRecord record;
        ASSERT_EQ(1, ParseCalcLine(&line[0], ROW_CAPACITY, AnyFormula, &record)) << line;
        records.push_back(record);
    }
    CalcFields fields;
    LedraRowStore read;
    read.create(ROW_CAPACITY);
    BatchSettings back;
    ApplyCalcRecords(records, fields, read, &back);
    EXPECT_EQ(CalcBatchLines(settings, rows), CalcBatchLines(back, rows));

    // Row 1 retyped: its purity is neither written nor used for the new formula.
    rows.setFormula(0, "SrCO3");
    EXPECT_EQ("excess 2 2.50000 TiO2\r\nscale row 2 0.75000 TiO2\r\nshow gases\r\n",
              std::string(CalcBatchLines(settings, rows).GetString()));
    const auto reaction = Calculated("SrTiO3", {{"SrCO3", 1}, {"TiO2", 1}});
    BatchInput input;
    ASSERT_EQ(BatchMatch::Done, MakeBatchInput(settings, *reaction, {1, 2}, 5.0, &input));
    EXPECT_EQ(100.0, input.materials[0].purity);
    EXPECT_EQ(2.5, input.materials[1].excess);
    EXPECT_EQ(1, input.scaleMaterial);
    // Scaled to a row that now holds another material: refused, not moved.
    settings.scaleFormula = "ZrO2";
    EXPECT_EQ(BatchMatch::ScaleRowUnused, MakeBatchInput(settings, *reaction, {1, 2}, 5.0, &input));
}

}  // namespace
