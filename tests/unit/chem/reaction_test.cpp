// The reaction model: molar masses, the differential, row writing, automatic ratios.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "chem_test_util.h"
#include "core/reaction.h"

namespace {

struct Case {
    const char *product;
    double productRatio;
    std::vector<LedraRow> rows;  // {fixed, formula, ratio}
    int result;                  // RunAutoRatio's result, or RunCalculation's autoRatio
    const char *expected;        // the rows' ratios afterwards, or the differential
};

class ReactionTest : public ::testing::Test {
protected:
    void SetUp() override { LoadTestElements(); }

    // Builds the reaction from rows owned here, as the main dialog does.
    CReaction &Build(const char *product, double ratio, const std::vector<LedraRow> &input) {
        rows = input;
        LedraRowList *list = new LedraRowList{static_cast<int>(rows.size()), 0, new LedraRow *[rows.size() + 1]};
        for (size_t i = 0; i < rows.size(); ++i) {
            list->rows[i] = &rows[i];
            list->fixedCount += rows[i].fixed;
        }
        reaction.reset(new CReaction(formulaParser));
        EXPECT_EQ(0, reaction->SetInput(product, ratio, list));
        return *reaction;
    }

    // The rows' ratios ("!" where the reaction's copy differs).
    std::string Ratios() const {
        std::string text;
        char entry[40];
        for (size_t i = 0; i < rows.size(); ++i) {
            const bool same = rows[i].ratio == reaction->ReactantRatio(static_cast<int>(i));
            std::snprintf(entry, sizeof entry, "%s%.12g%s", i ? " " : "", rows[i].ratio, same ? "" : "!");
            text += entry;
        }
        return text;
    }

    std::vector<LedraRow> rows;
    std::unique_ptr<CReaction> reaction;
};

// The differential text: reactants minus product, amounts below 5e-6 dropped.
TEST_F(ReactionTest, Differentials) {
    const Case cases[] = {
        {"BaTiO3", 1.0, {{1, "BaCO3", 1.0}, {1, "TiO2", 1.0}}, 0, "C1O2"},
        {"BaTiO3", 1.0, {{1, "BaCO3", 2.0}, {1, "TiO2", 1.0}}, 0, "C2O5Ba1"},
        {"BaTiO3", 2.0, {{1, "BaCO3", 2.0}, {1, "TiO2", 2.0}}, 0, "C1O2"},
        {"", 1.0, {{1, "C2.5", 1.0}, {1, "N3", 1.0}, {1, "O-1", 1.0}, {1, "F0.000004", 1.0}}, 0, "C2.5N3O-1"},
        {"TiO2", 1.0, {{1, "Ti", 0.5}}, 0, "O-2Ti-0.5"},
        {"H2O", 1.0, {{1, "H2O", 1.000002}}, 0, ""},
        {"H2O", 1.0, {}, 0, "H-2O-1"},
        {"YBa2Cu3O7", 1.0, {{0, "Y2O3", 1.0}, {0, "BaCO3", 1.0}, {0, "CuO", 1.0}}, 1, "C2O3.5"},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(0, Build(c.product, c.productRatio, c.rows).RunCalculation(c.result)) << c.expected;
        EXPECT_STREQ(c.expected, reaction->GetDifferential()) << c.product;
    }
    // -1e308 prints with 309 digits; nothing may be cut short.
    ASSERT_EQ(0, Build("H1e308", 1.0, {{1, "O", 1.0}}).RunCalculation(0));
    std::string text = reaction->GetDifferential().GetString();
    EXPECT_EQ("H-1", text.substr(0, 3));
    EXPECT_EQ("O1", text.substr(text.size() - 2));
    EXPECT_EQ(1 + 1 + 309 + 2, static_cast<int>(text.size()));
}

// Solved ratios reach both the reaction and the rows; failures change nothing.
TEST_F(ReactionTest, AutoRatio) {
    const Case cases[] = {
        {"YBa2Cu3O7", 1.0, {{0, "Y2O3", 1.0}, {0, "BaCO3", 1.0}, {0, "CuO", 1.0}}, 0, "0.5 2 3"},
        {"YBa2Cu3O7", 2.0, {{0, "Y2O3", 1.0}, {0, "BaCO3", 1.0}, {0, "CuO", 1.0}}, 0, "1 4 6"},
        {"Sr0.5Ba0.5TiO3", 1.0, {{0, "SrTiO3", 1.0}, {0, "BaTiO3", 1.0}}, 0, "0.5 0.5"},
        {"Sr0.5Ba0.5TiO3", 1.0, {{1, "SrTiO3", 0.5}, {0, "BaTiO3", 1.0}}, 0, "0.5 0.5"},
        {"YBa2Cu3O7", 1.0, {{0, "Y2O3", 1.0}, {1, "BaCO3", 1.0}, {0, "CuO", 1.0}, {0, "BaO", 1.0}}, 0, "0.5 1 3 1"},
        {"BaTiO3", 1.0, {{0, "BaCO3", 1.0}, {0, "BaO", 1.0}, {1, "TiO2", 1.0}}, 4, "1 1 1"},
        {"BaTiO3", 1.0, {{0, "BaCO3", 1.0}, {0, "CuO", 1.0}}, 4, "1 1"},
        {"BaTiO3", 1.0, {{0, "BaCO3", 1.0}, {0, "TiO2", 1.0}, {0, "BaO", 1.0}}, 4, "1 1 1"},
        {"BaTiO3", 1.0, {{1, "BaCO3", 1.0}, {1, "TiO2", 1.0}}, 4, "1 1"},
        {"Sr0.5Ba0.5TiO3", 1.0, {{0, "SrTiO3", 1.0}, {0, "BaO", 1.0}, {1, "TiO2", 1.0}}, 4, "1 1 1"},
        {"YBa2Cu3O7(", 1.0, {{0, "Y2O3", 1.0}}, 1, "1"},
        {"YBa2Cu3O7", 1.0, {{0, "Y2O3", 1.0}, {0, "Bq", 1.0}}, 3, "1 1"},
        {"H2O", 1.0, {}, 4, ""},
        // Doped starting materials: the second pair is one material written twice.
        {"Sr0.5Ba0.5O", 1.0, {{0, "Sr0.3Ba0.7O", 1.0}, {0, "Sr0.6Ba0.4O", 1.0}}, 0, "0.333333333333 0.666666666667"},
        {"Sr0.5Ba0.5O", 1.0, {{0, "Sr0.3Ba0.7O", 1.0}, {0, "Sr0.6Ba1.4O2", 1.0}}, 4, "1 1"},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(c.result, Build(c.product, c.productRatio, c.rows).RunAutoRatio()) << c.product;
        EXPECT_EQ(c.expected, Ratios()) << c.product;
    }
    EXPECT_EQ(1, Build("BaTiO3", 1.0, {{0, "BaCO3", 1.0}, {0, "BaO", 1.0}, {1, "TiO2", 1.0}}).RunCalculation(1));
    // Molar masses count every element, not just the balanced ones.
    CReaction &r = Build("YBa2Cu3O7", 1.0, {{0, "Y2O3", 1.0}, {0, "BaCO3", 1.0}, {0, "CuO", 1.0}});
    ASSERT_EQ(0, r.RunCalculation(1));
    EXPECT_DOUBLE_EQ(2 * 88.90585 + 3 * 15.9994, r.ReactantMolarMass(0));
    EXPECT_DOUBLE_EQ(137.327 + 12.0107 + 3 * 15.9994, r.ReactantMolarMass(1));
    EXPECT_DOUBLE_EQ(88.90585 + 2 * 137.327 + 3 * 63.546 + 7 * 15.9994, r.ProductMolarMass());
}

// Failed solves say why in a sentence naming the element or the materials,
// and change no ratio. Included: the metals (the test table's defaults).
TEST_F(ReactionTest, SolveFailuresNameTheCause) {
    const struct {
        const char *fault;
        const char *product;
        double productRatio;
        std::vector<LedraRow> rows;
        const char *why;
    } cases[] = {
        {"a mixture of end members solved with a negative ratio", "Sr0.1Ba0.7Ca0.2TiO3", 1.0,
         {{0, "SrTiO3", 1}, {0, "BaTiO3", 1}, {0, "Sr0.9Ba0.1TiO3", 1}, {1, "CaTiO3", 0.2}},
         "SrTiO3, BaTiO3 and Sr0.9Ba0.1TiO3 depend on each other in the elements being balanced, so their ratios "
         "have no single answer."},
        {"an excess of an element at product ratio 1e-5 accepted", "Ba2TiO4", 0.00001, {{0, "BaTiO3", 1}},
         "Ti cannot be balanced with these starting materials."},
        {"a dopant without a source accepted", "La0.7Sr0.3Fe0.99996Co0.00004O3", 1.0,
         {{0, "La2O3", 1}, {0, "SrCO3", 1}, {0, "Fe2O3", 1}}, "Co cannot be balanced with these starting materials."},
        {"a material without any balanced element accepted", "Sr0.5Ba0.5TiO3", 1.0,
         {{0, "SrCO3", 1}, {0, "BaTiO3", 1}, {0, "CO2", 1}},
         "CO2 contains none of the elements being balanced."},
        {"silent failure with more unknowns than elements", "BaTiO3", 1.0,
         {{0, "BaCO3", 1}, {0, "TiO2", 1}, {0, "BaO", 1}},
         "There are fewer elements to balance than ratios to determine."},
        {"silent failure with nothing to determine", "BaTiO3", 1.0, {{1, "BaCO3", 1}, {1, "TiO2", 1}},
         "No starting material has a ratio to determine."},
    };
    for (const auto &c : cases) {
        CReaction &r = Build(c.product, c.productRatio, c.rows);
        std::string before = Ratios();
        EXPECT_EQ(4, r.RunAutoRatio()) << c.fault;
        EXPECT_STREQ(c.why, r.SolveFailure()) << c.fault;
        EXPECT_EQ(before, Ratios()) << c.fault;
    }
    // A dopant that is supplied balances like a major element.
    CReaction &r = Build("La0.7Sr0.3Fe0.99996Co0.00004O3", 1.0,
                         {{0, "La2O3", 1}, {0, "SrCO3", 1}, {0, "Fe2O3", 1}, {0, "Co3O4", 1}});
    ASSERT_EQ(0, r.RunAutoRatio()) << r.SolveFailure().GetString();
    EXPECT_EQ("0.35 0.3 0.49998 1.33333333333e-05", Ratios());
    EXPECT_STREQ("", r.SolveFailure());
}

// End members and their mixtures, for two and three substituting cations,
// with and without a Fixed row and with every fraction a user might type: no
// mixture is ever accepted, whatever the rounding of its counts.
TEST_F(ReactionTest, MixturesOfEndMembersAreAlwaysRefused) {
    int cases = 0;
    char mixture[80], product[80];
    for (int step = 1; step < 100; ++step) {
        const double s = step / 100.0, t = (100 - step) / 300.0;
        std::snprintf(mixture, sizeof mixture, "Sr%gBa%gTiO3", s, 1 - s);
        // More included elements than unknown ratios (Ca from a Fixed row).
        Build("Sr0.1Ba0.7Ca0.2TiO3", 1.0, {{0, "SrTiO3", 1}, {0, "BaTiO3", 1}, {0, mixture, 1}, {1, "CaTiO3", 0.2}});
        EXPECT_EQ(4, reaction->RunAutoRatio()) << mixture;
        // Square: as many elements as unknown ratios.
        Build("Sr0.4Ba0.6TiO3", 1.0, {{0, "SrTiO3", 1}, {0, "BaTiO3", 1}, {0, mixture, 1}});
        EXPECT_EQ(4, reaction->RunAutoRatio()) << mixture;
        // Three cations: a mixture of three end members, and the same in a
        // unit cell written twice.
        std::snprintf(mixture, sizeof mixture, "Sr%gBa%gCa%gTiO3", s, t, 1 - s - t);
        std::snprintf(product, sizeof product, "Sr%gBa%gCa%gTi2O6", 2 * s, 2 * t, 2 * (1 - s - t));
        for (const char *third : {static_cast<const char *>(mixture), static_cast<const char *>(product)}) {
            Build("Sr0.2Ba0.3Ca0.5TiO3", 1.0,
                  {{0, "SrTiO3", 1}, {0, "BaTiO3", 1}, {0, "CaTiO3", 1}, {0, third, 1}, {1, "Fe2O3", 0.01}});
            EXPECT_EQ(4, reaction->RunAutoRatio()) << third;
            cases += 1;
        }
        cases += 2;
    }
    std::printf("[ mixtures ] %d dependent sets, all refused unless reported above\n", cases);
}

// A failing formula clears every composition; rows are written only on request.
TEST_F(ReactionTest, FailuresAndRowWriting) {
    CReaction &r = Build("H2O", 1.0, {{1, "H2", 1.0}, {1, "O2", 0.5}, {1, "Xy2", 1.0}, {1, "H2", 1.0}});
    int failing = -1;
    EXPECT_EQ(1, r.ComputeReactantCompositions(0, 0, &failing));
    EXPECT_EQ(2, failing);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(0, r.ReactantComposition(i).count) << i;
    EXPECT_EQ(3, r.RunCalculation(0));
    // Valid texts whose counts multiply past the largest double.
    Build("H2O", 1.0, {{1, "H2", 1.0}, {1, "(H1e200)1e200", 1.0}});
    EXPECT_EQ(2, reaction->ComputeReactantCompositions(0, 0, &failing));
    EXPECT_EQ(1, failing);
    EXPECT_EQ(1, Build("(H1e200)1e200", 1.0, {{1, "H2", 1.0}}).ComputeProductComposition(0));
    EXPECT_EQ(2, Build("H2O)", 1.0, {{1, "H2", 1.0}}).RunCalculation(0));
    EXPECT_EQ(0, reaction->ProductComposition().count);

    CReaction &m = Build("BaTiO3", 1.0, {{1, "BaCO3", 2.0}, {0, "TiO2", 1.0}});
    rows[0].ratio = 9.0;
    m.MarkUndetermined();
    EXPECT_EQ(9.0, rows[0].ratio);
    EXPECT_EQ(UNDETERMINED_RATIO, rows[1].ratio);
    m.WriteBackRatios();
    EXPECT_EQ("2 1", Ratios());
}

}  // namespace
