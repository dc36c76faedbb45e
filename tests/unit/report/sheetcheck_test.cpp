// The last check before a sheet is shown: a sound sheet passes, and every
// kind of disagreement, non-finite number or unbalanced element is refused
// with a sentence that names the starting material or the element.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "core/elements.h"
#include "core/formula.h"
#include "core/reaction.h"
#include "core/rowstore.h"
#include "core/sheet.h"
#include "core/sheetcheck.h"

namespace {

// BaTiO3 from BaCO3 and TiO2 at the given ratios, calculated as the Calculate
// command does (test element table H, C, O, Ti, Ba; Ti and Ba included).
struct Calculated {
    LedraRowStore rows;
    std::unique_ptr<CReaction> reaction;

    Calculated(double baRatio, double tiRatio) {
        static CElementTable table;
        static const CFormulaParser parser(table);
        EXPECT_EQ(ElementLoad::Loaded, table.Load(QUILLON_TEST_DATA "/sheet_atoms.lst"));
        rows.create(ROW_CAPACITY);
        rows.setFormula(0, "BaCO3");
        rows.setRatio(0, baRatio);
        rows.setFixed(0, 1);
        rows.setFormula(1, "TiO2");
        rows.setRatio(1, tiRatio);
        rows.setFixed(1, 1);
        const int n = rows.getRows(0, nullptr);
        std::vector<LedraRow *> collected(size_t(n), nullptr);
        LedraRowList list{n, 0, collected.data()};
        EXPECT_EQ(0, rows.getRows(n, &list));
        std::vector<ReactantInput> input;
        for (const LedraRow *row : collected) input.push_back(ReactantInput{row->formula, row->fixed, row->ratio});
        reaction.reset(new CReaction(parser, ElementSelection::Metals(table)));
        reaction->SetInput("BaTiO3", 1.0, input);
        EXPECT_EQ(ReactionResult::Done, reaction->RunCalculation(false));
    }
};

const double INF = std::numeric_limits<double>::infinity();

TEST(SheetCheck, RefusesSheetsThatDisagreeWithThemselves) {
    const struct {
        const char *fault;  // what a passing check would let through
        double baRatio;
        bool balance;
        std::function<void(WeighingSheet &)> tamper;
        SheetCheck status;
        const char *text;
    } cases[] = {
        {"a sound sheet refused", 1.0, true, [](WeighingSheet &) {}, SheetCheck::Passed, ""},
        {"an unbalanced Fixed recipe refused when nothing was solved", 1.5, false, [](WeighingSheet &) {},
         SheetCheck::Passed, ""},
        {"weighings that do not balance Ba shown", 1.5, true, [](WeighingSheet &) {}, SheetCheck::Unbalanced,
         "Ba is not balanced by the weighings."},
        {"a product amount other than the one asked for", 1.0, true, [](WeighingSheet &s) { s.amount = 10.5; },
         SheetCheck::Disagrees, "The product line does not show the product and amount asked for."},
        {"grams off by a part in 1e9", 1.0, true, [](WeighingSheet &s) { s.reactants[1].grams *= 1 + 1e-9; },
         SheetCheck::Disagrees,
         "TiO2 (starting material 2): the weighing does not agree with the ratio and molar mass."},
        {"a molar mass other than the formula's", 1.0, true,
         [](WeighingSheet &s) { s.reactants[0].molarMass += 1e-6; }, SheetCheck::Disagrees,
         "BaCO3 (starting material 1): the molar mass shown does not agree with the formula."},
        {"infinite grams", 1.0, true, [](WeighingSheet &s) { s.reactants[0].grams = INF; }, SheetCheck::NotFinite,
         "BaCO3 (starting material 1) has a ratio, molar mass or weighing that is not a finite number."},
        {"another formula on the sheet", 1.0, true, [](WeighingSheet &s) { s.reactants[1].formula = "TiO"; },
         SheetCheck::Disagrees, "TiO2 (starting material 2) is not the formula calculated."},
        {"a row dropped", 1.0, true, [](WeighingSheet &s) { s.reactants.pop_back(); }, SheetCheck::Disagrees,
         "The product line does not show the product and amount asked for."},
        {"a differential of infinities", 1.0, true, [](WeighingSheet &s) { s.differential = "CinfO2"; },
         SheetCheck::NotFinite, "The differential is not made of finite numbers."},
    };
    for (const auto &c : cases) {
        Calculated calculated(c.baRatio, 1.0);
        WeighingSheet sheet = MakeWeighingSheet(*calculated.reaction, 10.0, "S-17", 1);
        c.tamper(sheet);
        const SheetCheckResult result = CheckSheet(*calculated.reaction, 10.0, sheet, c.balance);
        EXPECT_EQ(static_cast<int>(c.status), static_cast<int>(result.status)) << c.fault;
        EXPECT_STREQ(c.text, result.text) << c.fault;
    }
    // A ratio past the largest double gives infinite grams on an untampered sheet.
    Calculated huge(1e308, 1e308);
    const SheetCheckResult result =
        CheckSheet(*huge.reaction, 10.0, MakeWeighingSheet(*huge.reaction, 10.0, "", 0), false);
    EXPECT_EQ(static_cast<int>(SheetCheck::NotFinite), static_cast<int>(result.status)) << result.text.GetString();
}

}  // namespace
