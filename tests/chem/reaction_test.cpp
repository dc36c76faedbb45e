// The reaction model: input, compositions, molar masses, the differential,
// the list rows it writes, and the automatic ratio determination.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "chem_test_util.h"
#include "reaction.h"

namespace {

struct Row {
    const char *formula;
    int fixed;
    double ratio;
};

class ReactionTest : public ::testing::Test {
protected:
    void SetUp() override { LoadTestElements(); }
    void TearDown() override { elementTable.ResetInclusion(); }

    // Fills the rows (owned here, as the list control owns its rows), makes
    // the row list record the way the main dialog does and builds the
    // reaction from it.
    CReaction &Build(const char *product, double ratio, const std::vector<Row> &input) {
        rows.clear();
        rows.resize(input.size());
        LedraRowList *list = new LedraRowList;
        list->count = static_cast<int>(input.size());
        list->fixedCount = 0;
        list->rows = new LedraRow *[input.size() + 1];
        for (size_t i = 0; i < input.size(); ++i) {
            rows[i].formula = input[i].formula;
            rows[i].fixed = input[i].fixed;
            rows[i].ratio = input[i].ratio;
            list->rows[i] = &rows[i];
            if (input[i].fixed) ++list->fixedCount;
        }
        reaction.reset(new CReaction(formulaParser));
        EXPECT_EQ(0, reaction->SetInput(product, ratio, list));
        return *reaction;
    }

    std::vector<LedraRow> rows;
    std::unique_ptr<CReaction> reaction;
};

TEST_F(ReactionTest, SetInputCopiesRows) {
    CReaction &r = Build("BaTiO3", 2.5, {{"BaCO3", 1, 1.5}, {"TiO2", 0, 1.0}});
    EXPECT_EQ(2, r.ReactantCount());
    EXPECT_EQ(1, r.FixedCount());
    EXPECT_EQ(2.5, r.ProductRatio());
    EXPECT_STREQ("TiO2", r.ReactantFormula(1));
    EXPECT_EQ(0, r.ReactantFixed(1));
    EXPECT_EQ(&rows[1], r.RowList()->rows[1]);
    rows[0].ratio = 9.0;  // a copy: changing the row does not change the reaction
    EXPECT_EQ(1.5, r.ReactantRatio(0));
}

TEST_F(ReactionTest, WaterFromHydrogenAndOxygen) {
    CReaction &r = Build("H2O", 1.0, {{"H2", 1, 1.0}, {"O2", 1, 0.5}});
    ASSERT_EQ(0, r.RunCalculation(0));
    const double h = 1.00794;
    const double o = 15.9994;
    EXPECT_DOUBLE_EQ(2 * h + o, r.ProductMolarMass());
    EXPECT_DOUBLE_EQ(2 * h, r.ReactantMolarMass(0));
    EXPECT_DOUBLE_EQ(2 * o, r.ReactantMolarMass(1));
    EXPECT_STREQ("", r.GetDifferential());
}

TEST_F(ReactionTest, Differentials) {
    struct {
        const char *product;
        double productRatio;
        std::vector<Row> rows;
        const char *differential;
    } cases[] = {
        {"BaTiO3", 1.0, {{"BaCO3", 1, 1.0}, {"TiO2", 1, 1.0}}, "C1O2"},
        {"BaTiO3", 1.0, {{"BaCO3", 1, 2.0}, {"TiO2", 1, 1.0}}, "C2O5Ba1"},
        {"BaTiO3", 2.0, {{"BaCO3", 1, 2.0}, {"TiO2", 1, 2.0}}, "C1O2"},
        {"H2O", 2.0, {{"H2", 1, 2.0}, {"O2", 1, 1.0}}, ""},
        {"", 1.0, {{"C2.5", 1, 1.0}, {"N3", 1, 1.0}, {"O-1", 1, 1.0}, {"F0.000004", 1, 1.0}}, "C2.5N3O-1"},
        {"TiO2", 1.0, {{"Ti", 1, 0.5}}, "O-2Ti-0.5"},
        {"H2O", 1.0, {{"H2O", 1, 1.000002}}, ""},
    };
    for (const auto &c : cases) {
        CReaction &r = Build(c.product, c.productRatio, c.rows);
        ASSERT_EQ(0, r.RunCalculation(0)) << c.product;
        EXPECT_STREQ(c.differential, r.GetDifferential()) << c.product << " / " << c.rows[0].formula;
    }
}

TEST_F(ReactionTest, DifferentialOfAHugeAmountIsWhole) {
    // -1e308 prints with 309 digits; nothing may be cut short.
    CReaction &r = Build("H1e308", 1.0, {{"O", 1, 1.0}});
    ASSERT_EQ(0, r.RunCalculation(0));
    std::string text = r.GetDifferential().GetString();
    EXPECT_EQ(std::string("H-1"), text.substr(0, 3));
    EXPECT_EQ(std::string("O1"), text.substr(text.size() - 2));
    EXPECT_EQ(1 + 1 + 309 + 2, static_cast<int>(text.size()));
}

TEST_F(ReactionTest, InvalidReactantClearsEveryComposition) {
    CReaction &r = Build("H2O", 1.0, {{"H2", 1, 1.0}, {"O2", 1, 0.5}, {"Xy2", 1, 1.0}, {"H2", 1, 1.0}});
    int failing = -1;
    EXPECT_EQ(1, r.ComputeReactantCompositions(0, 0, &failing));
    EXPECT_EQ(2, failing);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(0, r.ReactantComposition(i).count) << i;
    EXPECT_EQ(3, r.RunCalculation(0));
}

TEST_F(ReactionTest, ReactantWithoutCompositionGivesTwo) {
    // A valid text whose counts multiply past the largest double.
    CReaction &r = Build("H2O", 1.0, {{"H2", 1, 1.0}, {"(H1e200)1e200", 1, 1.0}});
    int failing = -1;
    EXPECT_EQ(2, r.ComputeReactantCompositions(0, 0, &failing));
    EXPECT_EQ(1, failing);
    EXPECT_EQ(0, r.ReactantComposition(0).count);
}

TEST_F(ReactionTest, InvalidProduct) {
    CReaction &r = Build("H2O)", 1.0, {{"H2", 1, 1.0}});
    EXPECT_EQ(1, r.ComputeProductComposition(0));
    EXPECT_EQ(0, r.ProductComposition().count);
    EXPECT_EQ(2, r.RunCalculation(0));
    EXPECT_EQ(1, Build("(H1e200)1e200", 1.0, {{"H2", 1, 1.0}}).ComputeProductComposition(0));
}

TEST_F(ReactionTest, ProjectionOntoTheProduct) {
    for (int i = 0; i < elementTable.Count(); ++i) elementTable.SetIncluded(i, 0);
    elementTable.SetIncluded(El("Ba"), 1);
    elementTable.SetIncluded(El("Ti"), 1);
    CReaction &r = Build("BaTiO3", 1.0, {{"BaCO3", 0, 1.0}, {"Y2O3", 0, 1.0}});
    ASSERT_EQ(0, r.ComputeProductComposition(1));
    int failing = -1;
    ASSERT_EQ(0, r.ComputeReactantCompositions(1, 1, &failing));
    for (int k = 0; k < 2; ++k) {
        const Composition &c = r.ReactantComposition(k);
        ASSERT_EQ(2, c.count);
        EXPECT_EQ(El("Ti"), c.elements[0]);
        EXPECT_EQ(El("Ba"), c.elements[1]);
        EXPECT_EQ(0.0, c.amounts[0]);
        EXPECT_EQ(k == 0 ? 1.0 : 0.0, c.amounts[1]);
    }
    // Without projection the reactant keeps its own (included) elements.
    ASSERT_EQ(0, r.ComputeReactantCompositions(1, 0, &failing));
    EXPECT_EQ(1, r.ReactantComposition(0).count);
    EXPECT_EQ(0, r.ReactantComposition(1).count);
}

TEST_F(ReactionTest, MarkUndeterminedAndWriteBack) {
    CReaction &r = Build("BaTiO3", 1.0, {{"BaCO3", 1, 2.0}, {"TiO2", 0, 1.0}, {"BaO", 0, 1.0}});
    r.MarkUndetermined();
    EXPECT_EQ(2.0, rows[0].ratio);
    EXPECT_EQ(UNDETERMINED_RATIO, rows[1].ratio);
    EXPECT_EQ(UNDETERMINED_RATIO, rows[2].ratio);
    r.WriteBackRatios();
    EXPECT_EQ(2.0, rows[0].ratio);
    EXPECT_EQ(1.0, rows[1].ratio);
    EXPECT_EQ(1.0, rows[2].ratio);
}

struct AutoCase {
    const char *name;
    const char *product;
    double productRatio;
    std::vector<Row> rows;
    int result;
    std::vector<double> ratios;  // the rows afterwards
};

TEST_F(ReactionTest, AutoRatio) {
    AutoCase cases[] = {
        {"square", "YBa2Cu3O7", 1.0, {{"Y2O3", 0, 1.0}, {"BaCO3", 0, 1.0}, {"CuO", 0, 1.0}}, 0, {0.5, 2, 3}},
        {"product ratio 2", "YBa2Cu3O7", 2.0, {{"Y2O3", 0, 1.0}, {"BaCO3", 0, 1.0}, {"CuO", 0, 1.0}}, 0, {1, 4, 6}},
        {"overdetermined", "Sr0.5Ba0.5TiO3", 1.0, {{"SrTiO3", 0, 1.0}, {"BaTiO3", 0, 1.0}}, 0, {0.5, 0.5}},
        {"fixed on the right", "Sr0.5Ba0.5TiO3", 1.0, {{"SrTiO3", 1, 0.5}, {"BaTiO3", 0, 1.0}}, 0, {0.5, 0.5}},
        {"fixed in the middle", "YBa2Cu3O7", 1.0, {{"Y2O3", 0, 1.0}, {"BaCO3", 1, 1.0}, {"CuO", 0, 1.0}, {"BaO", 0, 1.0}},
         0, {0.5, 1, 3, 1}},
        {"singular", "BaTiO3", 1.0, {{"BaCO3", 0, 1.0}, {"BaO", 0, 1.0}, {"TiO2", 1, 1.0}}, 4, {1, 1, 1}},
        {"zero row", "BaTiO3", 1.0, {{"BaCO3", 0, 1.0}, {"CuO", 0, 1.0}}, 4, {1, 1}},
        {"more unknowns than elements", "BaTiO3", 1.0, {{"BaCO3", 0, 1.0}, {"TiO2", 0, 1.0}, {"BaO", 0, 1.0}}, 4, {1, 1, 1}},
        {"nothing unfixed", "BaTiO3", 1.0, {{"BaCO3", 1, 1.0}, {"TiO2", 1, 1.0}}, 4, {1, 1}},
        {"inconsistent", "Sr0.5Ba0.5TiO3", 1.0, {{"SrTiO3", 0, 1.0}, {"BaO", 0, 1.0}, {"TiO2", 1, 1.0}}, 4, {1, 1, 1}},
        {"invalid product", "YBa2Cu3O7(", 1.0, {{"Y2O3", 0, 1.0}}, 1, {1}},
        {"invalid reactant", "YBa2Cu3O7", 1.0, {{"Y2O3", 0, 1.0}, {"Bq", 0, 1.0}}, 3, {1, 1}},
    };
    for (const AutoCase &c : cases) {
        CReaction &r = Build(c.product, c.productRatio, c.rows);
        ASSERT_EQ(c.result, r.RunAutoRatio()) << c.name;
        ASSERT_EQ(c.ratios.size(), rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_NEAR(c.ratios[i], rows[i].ratio, 1e-12) << c.name << " row " << i;
            EXPECT_NEAR(c.ratios[i], r.ReactantRatio(static_cast<int>(i)), 1e-12) << c.name << " reactant " << i;
        }
    }
}

TEST_F(ReactionTest, CalculationWithAutoRatio) {
    CReaction &r = Build("YBa2Cu3O7", 1.0, {{"Y2O3", 0, 1.0}, {"BaCO3", 0, 1.0}, {"CuO", 0, 1.0}});
    ASSERT_EQ(0, r.RunCalculation(1));
    EXPECT_NEAR(0.5, r.ReactantRatio(0), 1e-12);
    // Molar masses count every element, not just the balanced ones.
    EXPECT_DOUBLE_EQ(2 * 88.90585 + 3 * 15.9994, r.ReactantMolarMass(0));
    EXPECT_DOUBLE_EQ(137.327 + 12.0107 + 3 * 15.9994, r.ReactantMolarMass(1));
    EXPECT_DOUBLE_EQ(88.90585 + 2 * 137.327 + 3 * 63.546 + 7 * 15.9994, r.ProductMolarMass());
    EXPECT_EQ(3, r.ReactantComposition(1).count);
    EXPECT_STREQ("C2O3.5", r.GetDifferential());

    CReaction &failing = Build("BaTiO3", 1.0, {{"BaCO3", 0, 1.0}, {"BaO", 0, 1.0}, {"TiO2", 1, 1.0}});
    EXPECT_EQ(1, failing.RunCalculation(1));
}

TEST_F(ReactionTest, EmptyRowList) {
    reaction.reset(new CReaction(formulaParser));
    LedraRowList *list = new LedraRowList{0, 0, nullptr};
    ASSERT_EQ(0, reaction->SetInput("H2O", 1.0, list));
    EXPECT_EQ(0, reaction->ReactantCount());
    EXPECT_EQ(0, reaction->RunCalculation(0));
    EXPECT_STREQ("H-2O-1", reaction->GetDifferential());
    EXPECT_EQ(4, reaction->RunAutoRatio());
}

}  // namespace
