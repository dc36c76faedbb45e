// The last check before a sheet is shown: a sound sheet passes, and every
// kind of disagreement, non-finite number or unbalanced element is refused
// with a sentence that names the starting material or the element.
#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "core/sheetcheck.h"
#include "tests/support/chemistry.h"

namespace {

// BaTiO3 from BaCO3 and TiO2 at the given ratios, calculated as the Calculate command does.
std::unique_ptr<CReaction> Titanate(double baRatio, double tiRatio) {
    return Calculated(Chemistry(), "BaTiO3", 1.0, {{"BaCO3", 1, baRatio}, {"TiO2", 1, tiRatio}});
}

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
    LoadTestElements();
    for (const auto &c : cases) {
        const std::unique_ptr<CReaction> reaction = Titanate(c.baRatio, 1.0);
        WeighingSheet sheet = MakeWeighingSheet(*reaction, 10.0, "S-17", 1);
        c.tamper(sheet);
        const SheetCheckResult result = CheckSheet(*reaction, 10.0, sheet, c.balance);
        EXPECT_EQ(static_cast<int>(c.status), static_cast<int>(result.status)) << c.fault;
        EXPECT_STREQ(c.text, result.text) << c.fault;
    }
}

}  // namespace
