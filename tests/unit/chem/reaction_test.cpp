// The reaction model: molar masses, the differential, automatic ratios.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/chemistry.h"
#include "core/reaction.h"

namespace {

const ReactionResult OK = ReactionResult::Done, UNSOLVED = ReactionResult::NotSolved,
                     PRODUCT = ReactionResult::ProductFails, REACTANT = ReactionResult::ReactantFails;

class ReactionTest : public ::testing::Test {
protected:
    void SetUp() override { LoadTestElements(); }

    // Builds the reaction over the default selection (the metals).
    CReaction &Build(const char *product, double ratio, const std::vector<ReactantInput> &input) {
        reaction.reset(new CReaction(Parser(), ElementSelection::Metals(Table())));
        reaction->SetInput(product, ratio, input);
        return *reaction;
    }

    // The reaction's ratios ("!" where Ratios() and ReactantRatio differ).
    std::string Ratios() const {
        std::string text;
        char entry[40];
        const std::vector<double> ratios = reaction->Ratios();
        for (size_t i = 0; i < ratios.size(); ++i) {
            const bool same = ratios[i] == reaction->ReactantRatio(static_cast<int>(i));
            std::snprintf(entry, sizeof entry, "%s%.12g%s", i ? " " : "", ratios[i], same ? "" : "!");
            text += entry;
        }
        return text;
    }

    std::unique_ptr<CReaction> reaction;
};

// The differential text: reactants minus product, amounts left below 5e-6 dropped (each amount in full,
// however long: NumberText's test).
TEST_F(ReactionTest, Differentials) {
    const struct {
        const char *product;
        double productRatio;
        std::vector<ReactantInput> rows;
        const char *expected;
    } cases[] = {
        {"BaTiO3", 1.0, {{"BaCO3", 1, 2.0}, {"TiO2", 1, 1.0}}, "C2O5Ba1"},
        {"BaTiO3", 2.0, {{"BaCO3", 1, 2.0}, {"TiO2", 1, 2.0}}, "C1O2"},
        {"", 1.0, {{"C2.5", 1, 1.0}, {"N3", 1, 1.0}, {"O-1", 1, 1.0}, {"F0.000004", 1, 1.0}}, "C2.5N3O-1"},
        {"TiO2", 1.0, {{"Ti", 1, 0.5}}, "O-2Ti-0.5"},
        {"H2O", 1.0, {{"H2O", 1, 1.000002}}, ""},
        {"Ti", 1.0, {{"Ti", 1, 1.0}, {"F0.000003", 1, 1.0}, {"F0.000003", 1, 1.0}}, "F0.00001"},  // traces summed first
        {"H2O", 1.0, {}, "H-2O-1"},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(OK, Build(c.product, c.productRatio, c.rows).RunCalculation(false)) << c.expected;
        EXPECT_STREQ(c.expected, reaction->GetDifferential()) << c.product;
    }
}

// Solved ratios reach both the reaction and the rows; failed solves say why in
// a sentence naming the element or the materials, and change no ratio.
// Included: the metals (the test table's defaults).
TEST_F(ReactionTest, AutoRatio) {
    const std::vector<ReactantInput> ybco = {{"Y2O3", 0, 1.0}, {"BaCO3", 0, 1.0}, {"CuO", 0, 1.0}};
    const struct {
        const char *product;
        double productRatio;
        std::vector<ReactantInput> rows;  // {formula, fixed, ratio}
        ReactionResult result;            // of RunAutoRatio
        const char *expected;             // the ratios afterwards
        const char *why;                  // SolveFailure(), nullptr: not asked
    } cases[] = {
        {"YBa2Cu3O7", 2.0, ybco, OK, "1 4 6", ""},
        {"BaTiO3", 1.0, {{"BaCO3", 0, 1.0}, {"CuO", 0, 1.0}}, UNSOLVED, "1 1",
         "CuO contains none of the elements being balanced."},
        {"YBa2Cu3O7(", 1.0, {{"Y2O3", 0, 1.0}}, PRODUCT, "1", nullptr},
        {"YBa2Cu3O7", 1.0, {{"Y2O3", 0, 1.0}, {"Bq", 0, 1.0}}, REACTANT, "1 1", nullptr},
        {"H2O", 1.0, {}, UNSOLVED, "", "No starting material has a ratio to determine."},
        // One material written twice (solved ratios of doped materials, Fixed rows among solved ones and
        // dopants down to 4e-5: the property test's).
        {"Sr0.5Ba0.5O", 1.0, {{"Sr0.3Ba0.7O", 0, 1.0}, {"Sr0.6Ba1.4O2", 0, 1.0}}, UNSOLVED, "1 1",
         "Sr0.3Ba0.7O and Sr0.6Ba1.4O2 depend on each other in the elements being balanced, so their ratios have "
         "no single answer."},
        // The recipes refused for a mixture of end members, a product ratio of 1e-5 hiding an excess
        // of Ti, a dopant without a source and fewer elements than ratios are quillon-cli's.
        {"BaTiO3", 1.0, {{"BaCO3", 1, 1}, {"TiO2", 1, 1}}, UNSOLVED, "1 1",
         "No starting material has a ratio to determine."},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(c.result, Build(c.product, c.productRatio, c.rows).RunAutoRatio()) << c.product;
        EXPECT_EQ(c.expected, Ratios()) << c.product;
        if (c.why != nullptr) { EXPECT_STREQ(c.why, reaction->SolveFailure()) << c.product; }
    }
}

// Three end members and their mixtures, with every fraction a user might
// type, also in a unit cell written twice: no mixture is ever accepted,
// whatever the rounding of its counts (mixtures of two are the property
// test's and quillon-cli's).
TEST_F(ReactionTest, MixturesOfEndMembersAreAlwaysRefused) {
    char mixture[80], product[80];
    for (int step = 1; step < 100; ++step) {
        const double s = step / 100.0, t = (100 - step) / 300.0;
        std::snprintf(mixture, sizeof mixture, "Sr%gBa%gCa%gTiO3", s, t, 1 - s - t);
        std::snprintf(product, sizeof product, "Sr%gBa%gCa%gTi2O6", 2 * s, 2 * t, 2 * (1 - s - t));
        for (const char *third : {static_cast<const char *>(mixture), static_cast<const char *>(product)}) {
            Build("Sr0.2Ba0.3Ca0.5TiO3", 1.0,
                  {{"SrTiO3", 0, 1}, {"BaTiO3", 0, 1}, {"CaTiO3", 0, 1}, {third, 0, 1}, {"Fe2O3", 1, 0.01}});
            EXPECT_EQ(UNSOLVED, reaction->RunAutoRatio()) << third;
        }
    }
}

// A failing formula clears every composition.
TEST_F(ReactionTest, Failures) {
    CReaction &r = Build("H2O", 1.0, {{"H2", 1, 1.0}, {"O2", 1, 0.5}, {"Xy2", 1, 1.0}, {"H2", 1, 1.0}});
    int failing = -1;
    EXPECT_EQ(CompositionResult::Invalid, r.ComputeReactantCompositions(false, false, &failing));
    EXPECT_EQ(2, failing);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(0, r.ReactantComposition(i).count) << i;
    EXPECT_EQ(REACTANT, r.RunCalculation(false));
    // Valid texts whose counts multiply past the largest double.
    Build("H2O", 1.0, {{"H2", 1, 1.0}, {"(H1e200)1e200", 1, 1.0}});
    EXPECT_EQ(CompositionResult::NoComposition, reaction->ComputeReactantCompositions(false, false, &failing));
    EXPECT_EQ(1, failing);
    EXPECT_EQ(CompositionResult::NoComposition, Build("(H1e200)1e200", 1.0, {{"H2", 1, 1.0}}).ComputeProductComposition(false));
    EXPECT_EQ(PRODUCT, Build("H2O)", 1.0, {{"H2", 1, 1.0}}).RunCalculation(false));
    EXPECT_EQ(0, reaction->ProductComposition().count);
}

}  // namespace
