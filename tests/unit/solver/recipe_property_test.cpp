// Property test of the whole Calculate command on random recipes made from
// known ratios: products built from random starting materials (dopants down
// to 1e-5 of a formula unit, Fixed and automatic rows mixed), every sheet
// held to a recomputation of its own in long double; and dependent or nearly
// dependent sets of starting materials, which must never give a sheet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

#include "core/calculation.h"
#include "tests/support/exact_rank.h"
#include "tests/support/chemistry.h"

namespace {

typedef std::map<int, double> Counts;  // element index -> count

std::string FormulaText(const Counts &counts) {
    std::string text;
    char number[40];
    for (const auto &entry : counts) {
        std::snprintf(number, sizeof number, "%.17g", entry.second);
        text += Table().Symbol(entry.first);
        text += number;
    }
    return text;
}

long double MassOf(const Counts &counts) {
    long double mass = 0.0L;
    for (const auto &entry : counts) mass += static_cast<long double>(entry.second) * Table().Mass(entry.first);
    return mass;
}

struct Recipe {
    std::vector<Counts> materials;
    std::vector<double> ratios;
    std::vector<int> fixed;
    double productRatio = 1.0;
    bool mustRefuse = false;  // a material is (nearly) a mixture of two others
};

struct RecipeGenerator {
    std::mt19937 random;
    std::vector<int> metals;
    int oxygen = -1, carbon = -1;

    int Below(int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); }
    template <class T, size_t N>
    T Pick(const T (&list)[N]) { return list[Below(static_cast<int>(N))]; }

    Recipe Next() {
        static const double COUNTS[] = {1, 1, 2, 3, 0.5, 0.25, 0.1, 0.3, 0.7, 0.9, 1.5, 0.333};
        static const double DOPANTS[] = {0.00004, 0.00005, 0.0001};
        static const double RATIOS[] = {0.5, 1, 1, 2, 0.75, 1.25, 3};
        static const double SHARES[] = {0.5, 0.3, 0.7, 0.25, 0.9};
        Recipe r;
        // Major elements, and dopants: elements that every material holds only
        // in traces (a trace of a major element is another matter: see the
        // README's known limits).
        std::vector<int> pool, dopants;
        for (int k = 0, want = 2 + Below(5); k < want; ++k) pool.push_back(metals[Below(static_cast<int>(metals.size()))]);
        for (int k = 0; k < 2; ++k) {
            const int d = metals[Below(static_cast<int>(metals.size()))];
            if (std::find(pool.begin(), pool.end(), d) == pool.end()) dopants.push_back(d);
        }
        const int count = 1 + Below(5);
        for (int m = 0; m < count; ++m) {
            Counts c;
            for (int k = 0, want = 1 + Below(3); k < want; ++k) c[pool[Below(static_cast<int>(pool.size()))]] = Pick(COUNTS);
            if (!dopants.empty() && Below(3) == 0) c[dopants[Below(static_cast<int>(dopants.size()))]] = Pick(DOPANTS);
            c[oxygen] = 1 + Below(4);
            if (Below(3) == 0) c[carbon] = 1;
            r.materials.push_back(c);
            r.ratios.push_back(Pick(RATIOS));
            r.fixed.push_back(Below(10) < 3);
        }
        // A mixture of two automatic materials, exact or off by a part in 1e9.
        std::vector<int> automatic;
        for (int m = 0; m < count; ++m)
            if (!r.fixed[m]) automatic.push_back(m);
        if (automatic.size() >= 2 && Below(3) == 0) {
            const int a = automatic[Below(static_cast<int>(automatic.size()))];
            const int b = automatic[Below(static_cast<int>(automatic.size()))];
            const double s = Pick(SHARES);
            Counts mix;
            for (const auto &e : r.materials[a]) mix[e.first] += s * e.second;
            for (const auto &e : r.materials[b]) mix[e.first] += (1 - s) * e.second;
            if (Below(2) == 0) mix.begin()->second *= 1 + 1e-9;
            // A count below 5e-6 would be dropped from the composition, and
            // the material would no longer be a mixture.
            bool kept = true;
            for (const auto &e : mix) kept = kept && e.second >= 1e-5;
            if (kept) {
                r.materials.push_back(mix);
                r.ratios.push_back(Pick(RATIOS));
                r.fixed.push_back(0);
                r.mustRefuse = true;
            }
        }
        static const double PRODUCT_RATIOS[] = {1, 1, 2, 0.5};
        r.productRatio = Pick(PRODUCT_RATIOS);
        return r;
    }
};

// Thousands of recipes through the Calculate command: a sheet exactly when
// the automatic materials are independent in the metals of the product (the
// ones balanced), with the planted ratios, molar masses and grams to 1e-9 of
// a long double recomputation; otherwise a refusal, never a sheet.
TEST(RecipeProperty, EverySheetMatchesAnExactRecomputation) {
    LoadTestElements();
    RecipeGenerator generator{std::mt19937(1234567u), {}, Table().Lookup("O"), Table().Lookup("C")};
    for (int i = 0; i < Table().Count(); ++i)
        if (Table().metal(i)) generator.metals.push_back(i);
    int cases = 0, sheets = 0, refusedDependent = 0, refusedOther = 0, failures = 0;
    for (int n = 0; n < 10000 && failures < 5; ++n) {
        const Recipe r = generator.Next();
        Entry source = MakeEntry("", {});
        Counts product;
        for (size_t m = 0; m < r.materials.size(); ++m) {
            for (const auto &e : r.materials[m]) product[e.first] += r.ratios[m] * e.second;
            source.rows.setFormula(static_cast<int>(m), FormulaText(r.materials[m]).c_str());
            source.rows.setFixed(static_cast<int>(m), r.fixed[m]);
            source.rows.setRatio(static_cast<int>(m), r.fixed[m] ? r.ratios[m] : 1.0);
        }
        for (auto &e : product) e.second /= r.productRatio;
        source.fields.productFormula = FormulaText(product).c_str();
        source.fields.ratioText = FormatFieldNumber(r.productRatio);
        CalcOptions options;
        options.autoRatio = true;
        const CalcOutcome outcome = Calculate(source, Parser(), ElementSelection::Metals(Table()), options);
        const bool result = outcome.done;
        const std::string messages = Str(outcome.MessageText());
        ++cases;

        // The balance the command must solve: automatic columns over the product's metals.
        std::vector<int> rowsOf, columns;
        for (const auto &e : product)
            if (Table().metal(e.first)) rowsOf.push_back(e.first);
        for (size_t m = 0; m < r.materials.size(); ++m)
            if (!r.fixed[m]) columns.push_back(static_cast<int>(m));
        const int E = static_cast<int>(rowsOf.size()), U = static_cast<int>(columns.size());
        auto entry = [&](int i, int j) {
            const Counts &c = r.materials[columns[j]];
            const auto found = c.find(rowsOf[i]);
            return found == c.end() ? 0.0 : found->second;
        };
        const bool solvable = U >= 1 && E >= U && !r.mustRefuse && ExactRank(E, U, entry) == U;

        std::string fault;
        if (!solvable) {
            if (result) fault = "a sheet from an unsolvable recipe";
            if (messages.compare(0, 24, "Failed to obtain ratios.") != 0) fault += " wrong message";
            (r.mustRefuse ? refusedDependent : refusedOther)++;
        } else if (!result) {
            fault = "refused: " + messages;
        } else {
            ++sheets;
            // Molar masses exact; grams as planted (a ratio fixed only by a
            // dopant is sensitive to the rounding of the product's counts);
            // what is weighed balances every metal of the product exactly.
            const long double productMoles = 10.0L / MassOf(product);
            std::map<int, long double> left, involved;
            for (const auto &e : product) {
                left[e.first] -= productMoles * e.second;
                involved[e.first] += productMoles * e.second;
            }
            for (size_t m = 0; m < r.materials.size() && fault.empty(); ++m) {
                const SheetReactant &line = outcome.sheet.reactants[m];
                const long double mass = MassOf(r.materials[m]);
                const long double grams = r.ratios[m] * mass * productMoles / r.productRatio;
                if (std::fabs(line.molarMass - mass) > 1e-12L * mass) fault = "molar mass of row " + std::to_string(m);
                if (std::fabs(line.grams - grams) > 1e-6L * grams) fault = "grams of row " + std::to_string(m);
                for (const auto &e : r.materials[m]) {
                    left[e.first] += line.grams / mass * e.second;
                    involved[e.first] += std::fabs(line.grams / mass * e.second);
                }
            }
            for (int element : rowsOf)
                if (std::fabs(left[element]) > 1e-9L * involved[element]) fault += std::string(" balance of ") + Table().Symbol(element);
            if (outcome.sheet.amount != 10.0) fault = "product amount";
        }
        if (!fault.empty() && ++failures) {
            std::string rowsText;
            for (size_t m = 0; m < r.materials.size(); ++m)
                rowsText += "\n  " + FormulaText(r.materials[m]) + (r.fixed[m] ? " fixed " : " auto ") + std::to_string(r.ratios[m]);
            ADD_FAILURE() << fault << ": " << source.fields.productFormula.GetString() << " / " << r.productRatio << rowsText;
        }
    }
    std::printf("[ recipes ] %d cases: %d sheets checked, %d dependent sets refused, %d others refused, %d failures\n",
                cases, sheets, refusedDependent, refusedOther, failures);
    EXPECT_EQ(0, failures);
    EXPECT_GT(sheets, cases / 4);
    EXPECT_GT(refusedDependent, cases / 10);
}

}  // namespace
