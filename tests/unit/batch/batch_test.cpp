// The batch: the gases, the targets refused, the independent check every
// sheet passes, the sheet's batch lines, and a retyped row's batch values.
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
        const BatchInput one{{}, BatchScale::Product, 1.0};
        const BatchResult result = CalculateBatch(*reaction, one);
        ASSERT_EQ(BatchStatus::Done, result.status) << c.product;
        std::string left;
        char item[64];
        for (const BatchGas &gas : result.gases)
            left += (std::snprintf(item, sizeof item, "%s:%g ", gas.formula.GetString(), gas.mmol / result.productMmol), item);
        left += "|";
        for (const BatchLeftover &l : result.unaccounted)
            left += (std::snprintf(item, sizeof item, " %s:%g", l.symbol.GetString(), l.mmol / result.productMmol), item);
        EXPECT_EQ(c.left, left) << c.product << " from " << c.materials[0].first;
        const WeighingSheet sheet = MakeBatchSheet(*reaction, one, result, {}, "", 1);
        EXPECT_EQ(SheetCheck::Passed, CheckBatchSheet(*reaction, one, sheet, false).status) << c.product;
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
        const BatchResult result = CalculateBatch(*reaction, BatchInput{{c.material}, c.scale, c.mass, c.scaleMaterial});
        EXPECT_EQ(c.status, result.status) << c.material.purity << " " << c.material.excess << " " << c.mass;
    }
    for (double grams : {1e-200, 0.000004, double(NAN)}) EXPECT_FALSE(AmountShowable(grams)) << grams;
    EXPECT_TRUE(AmountShowable(0.00001));
}

// The independent check, as the calculation runs it on every sheet: a sound sheet passes, and every
// number altered after it was calculated, every non-finite number and every unbalanced element is
// refused with a sentence that names the starting material or the element. Its Ba is unbalanced
// (1.5 from Fixed rows), which is refused only when the ratios were solved. Sheet 1, NaAlSiO4 from a
// silica sol (40 % by mass, 1.3 g/mL) and solid NaAlO2: its volumes, grams of solution and forms.
TEST(Batch, CheckRefusesSheetsThatDisagreeWithThemselves) {
    const std::unique_ptr<CReaction> reactions[] = {Chloride(), Calc("NaAlSiO4", {{"NaAlO2", 0}, {"SiO2", 0}})};
    const BatchInput inputs[] = {{{{99, 5}}, BatchScale::Total, 2.0},
                                 {{{100, 0}, {100, 5, MaterialForm{1.3, 0, 40}}}, BatchScale::Total, 20}};
    std::vector<WeighingSheet> good;
    for (int k = 0; k < 2; ++k) {
        const BatchResult result = CalculateBatch(*reactions[k], inputs[k]);
        ASSERT_EQ(BatchStatus::Done, result.status) << k;
        good.push_back(MakeBatchSheet(*reactions[k], inputs[k], result, k ? std::vector<int>{1, 2} : std::vector<int>{}, "S-17", 1));
    }
    using S = SheetCheck;
    const struct {
        const char *fault;  // what a passing check would let through
        void (*alter)(WeighingSheet &, BatchInput &);
        bool solved;
        SheetCheck status;
        const char *text;
        int sheet = 0;
    } cases[] = {
        {"a sound sheet refused", [](auto &, auto &) {}, false, S::Passed, ""},
        {"weighings that do not balance Ba", [](auto &, auto &) {}, true, S::Unbalanced, "Ba is not balanced by the weighings."},
        {"grams off by a part in 1e9", [](auto &s, auto &) { s.reactants[2].grams *= 1 + 1e-9; }, false, S::Disagrees,
         "TiO2 (starting material 3): the weighing does not agree with the ratio and molar mass."},
        {"a molar mass other than the formula's", [](auto &s, auto &) { s.reactants[0].molarMass += 1e-6; }, false,
         S::Disagrees, "BaCl2 (starting material 1): the molar mass shown does not agree with the formula."},
        {"infinite grams", [](auto &s, auto &) { s.reactants[0].grams = INFINITY; }, false, S::NotFinite,
         "BaCl2 (starting material 1) has a ratio, molar mass or weighing that is not a finite number."},
        {"another formula", [](auto &s, auto &) { s.reactants[2].formula = "TiO"; }, false, S::Disagrees,
         "TiO2 (starting material 3) is not the formula calculated."},
        {"a row dropped", [](auto &s, auto &) { s.reactants.pop_back(); }, false, S::Disagrees,
         "The product line does not show the product and amount asked for."},
        {"a differential of infinities", [](auto &s, auto &) { s.differential = "CinfO2"; }, false, S::NotFinite,
         "The differential is not made of finite numbers."},
        {"weighing", [](auto &s, auto &) { s.reactants[0].weighedGrams *= 1.000001; }, false, S::Disagrees,
         "BaCl2 (starting material 1): the weighing does not agree with the purity and excess."},
        {"purity shown", [](auto &s, auto &) { s.reactants[0].purity = 100; }, false, S::Disagrees,
         "BaCl2 (starting material 1): the purity or excess shown is not the one given."},
        {"mmol", [](auto &s, auto &) { s.reactants[2].mmol *= 1.000001; }, false, S::Disagrees,
         "TiO2 (starting material 3): the mmol do not agree with the ratio."},
        {"product mmol", [](auto &s, auto &) { s.productMmol *= 1.000001; }, false, S::Disagrees,
         "The product's mmol do not agree with its grams."},
        {"target", [](auto &, auto &i) { i.mass *= 1.000001; }, false, S::Disagrees,
         "The batch does not meet the mass it is scaled to."},
        {"gas grams", [](auto &s, auto &) { s.batch.gases[0].grams *= 1.000001; }, false, S::Disagrees,
         "CO2: the grams do not agree with the mmol."},
        {"gas amount", [](auto &s, auto &) { s.batch.gases[0].mmol *= 1.000001, s.batch.gases[0].grams *= 1.000001; },
         false, S::Unbalanced, "C is not accounted for by the product and the gases."},
        {"gas dropped", [](auto &s, auto &) { s.batch.gases.pop_back(); }, false, S::Unbalanced,
         "O is not accounted for by the product and the gases."},
        {"chlorine dropped", [](auto &s, auto &) { s.batch.unaccounted.clear(); }, false, S::Unbalanced,
         "Cl is not accounted for by the product and the gases."},
        {"mass loss", [](auto &s, auto &) { s.batch.massLossPercent *= 1.000001; }, false, S::Disagrees,
         "The mass loss does not agree with the gases."},
        {"a volume", [](auto &s, auto &) { s.reactants[1].volumeMl *= 1 + 1e-9; }, true, S::Disagrees,
         "SiO2 (row 2): the volume does not agree with the grams, mmol and form.", 1},
        {"grams of solution", [](auto &s, auto &) { s.reactants[1].solutionGrams *= 1 - 1e-9; }, true, S::Disagrees,
         "SiO2 (row 2): the grams of solution do not agree with the grams and form.", 1},
        {"a volume of a solid", [](auto &s, auto &) { s.reactants[0].hasVolume = true; }, true, S::Disagrees,
         "NaAlO2 (row 1): the volume does not agree with the grams, mmol and form.", 1},
        {"NaN grams of solution", [](auto &s, auto &) { s.reactants[1].solutionGrams = NAN; }, true, S::NotFinite,
         "SiO2 (row 2) has a volume or grams of solution that is not a finite number.", 1},
        {"a density", [](auto &s, auto &) { s.reactants[1].form.density = 1.2; }, true, S::Disagrees,
         "SiO2 (row 2): the density, molarity or mass fraction shown is not the one given.", 1},
        {"the volumes hidden", [](auto &s, auto &) { s.showVolume = 0; }, true, S::Disagrees,
         "The sheet does not show the volumes and grams of solution its rows have.", 1},
    };
    for (const auto &c : cases) {
        WeighingSheet sheet = good[size_t(c.sheet)];
        BatchInput changed = inputs[c.sheet];
        c.alter(sheet, changed);
        const SheetCheckResult check = CheckBatchSheet(*reactions[c.sheet], changed, sheet, c.solved);
        EXPECT_EQ(c.status, check.status) << c.fault;
        EXPECT_EQ(c.text, Str(check.text)) << c.fault;
    }
}

// The batch's columns and lines read the same in the report file and in the word processor (a batch
// without new values: quillon-cli's golden sheets).
TEST(Batch, SheetTextAndWordPieces) {
    auto texts = [](const WeighingSheet &sheet) {
        std::string file = SheetFileText(sheet).GetString(), word;
        for (const SheetPiece &piece : SheetWordPieces(sheet)) word += piece.kind == SHEET_PARAGRAPH ? "\n" : piece.text.GetString();
        return std::make_pair(file, word);
    };
    const auto reaction = Chloride();
    const BatchInput input{{{99, 5}, {100, 10}}, BatchScale::Material, 2.0, 2, true, true};
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

// A retyped row's values are not written for its new formula (the lines themselves: the calculation
// file's round trips).
TEST(BatchFile, ValuesStayWithTheirMaterial) {
    LedraRowStore rows;
    FillRows(rows, {{"BaCO3", 0, 1}, {"TiO2", 0, 1}});
    BatchSettings settings;
    settings.SetRow(1, "BaCO3", 99.5, 0);
    settings.SetRow(2, "TiO2", 100, 2.5);
    rows.setFormula(0, "SrCO3");
    EXPECT_EQ("excess 2 2.50000 TiO2\r\n", Str(CalcBatchLines(settings, rows)));
}

}  // namespace
