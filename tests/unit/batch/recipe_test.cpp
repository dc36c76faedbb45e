// Real recipes dispensed by volume, from their calculation files through the
// whole calculation, against numbers worked out here in long double from the
// masses of ATOMS.LST: grams, mmol, millilitres and grams of solution.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/calcfile.h"
#include "core/calculation.h"
#include "tests/support/chemistry.h"

namespace {

// Long double: its 64-bit mantissa is exact to far below the 1e-14 the sheets are held to.
typedef long double Q;
Q Dec(const std::string &text) { return std::strtold(text.c_str(), nullptr); }

// The atomic masses as ATOMS.LST writes them: "  14 Si  28.085".
std::map<std::string, Q> Masses() {
    std::map<std::string, Q> masses;
    std::ifstream in(QUILLON_ATOMS_PATH);
    for (std::string line; std::getline(in, line);) {
        int number = 0;
        char symbol[8], mass[32];
        if (std::sscanf(line.c_str(), "%d %7s %31s", &number, symbol, mass) == 3) masses[symbol] = Dec(mass);
    }
    return masses;
}

using Counts = std::vector<std::pair<const char *, int>>;
Q MolarMass(const Counts &atoms) {
    static const std::map<std::string, Q> masses = Masses();
    Q sum = 0;
    for (const auto &atom : atoms) sum += masses.at(atom.first) * atom.second;
    return sum;
}

// A starting material as its file gives it ("" where a value is not given).
struct Material {
    Counts atoms;
    const char *ratio, *purity, *excess, *density, *molarity, *fraction;
};

struct Recipe {
    const char *file;
    Counts product;
    const char *grams;  // of product
    std::vector<Material> materials;
};

}  // namespace

// SiO2 gel from TEOS (98 % assay) with water and ethanol, all neat liquids; a Pechini YAG batch from
// nitrate stock solutions (one with its density), citric acid weighed and ethylene glycol; zeolite A
// from a 40 wt % silica sol and sodium aluminate; LiNbO3 from 1 mol/L LiOH with 5 % excess and Nb2O5.
TEST(Recipes, VolumesAndSolutionGramsAreExact) {
    const Recipe recipes[] = {
        {QUILLON_CLI_DATA "/sio2-gel-teos.qsf", {{"Si", 1}, {"O", 2}}, "5",
         {{{{"Si", 1}, {"O", 4}, {"C", 8}, {"H", 20}}, "1", "98", "0", "0.933", "", ""},
          {{{"H", 2}, {"O", 1}}, "4", "100", "0", "0.997", "", ""},
          {{{"C", 2}, {"H", 6}, {"O", 1}}, "4", "100", "0", "0.789", "", ""}}},
        {QUILLON_EXAMPLES "/Y3Al5O12-pechini.qsf", {{"Y", 3}, {"Al", 5}, {"O", 12}}, "2",
         {{{{"Y", 1}, {"N", 3}, {"O", 9}}, "3", "100", "0", "1.1", "0.5", ""},
          {{{"Al", 1}, {"N", 3}, {"O", 9}}, "5", "100", "0", "", "1", ""},
          {{{"C", 6}, {"H", 8}, {"O", 7}}, "16", "100", "0", "", "", ""},
          {{{"C", 2}, {"H", 6}, {"O", 2}}, "64", "100", "0", "1.113", "", ""}}},
        {QUILLON_CLI_DATA "/zeolite-a-silica-sol.qsf", {{"Na", 12}, {"Al", 12}, {"Si", 12}, {"O", 48}}, "10",
         {{{{"Si", 1}, {"O", 2}}, "12", "100", "0", "1.3", "", "40"},
          {{{"Na", 1}, {"Al", 1}, {"O", 2}}, "12", "100", "0", "", "", ""}}},
        {QUILLON_CLI_DATA "/linbo3-lioh-solution.qsf", {{"Li", 1}, {"Nb", 1}, {"O", 3}}, "5",
         {{{{"Li", 1}, {"O", 1}, {"H", 1}}, "1", "100", "5", "", "1", ""},
          {{{"Nb", 2}, {"O", 5}}, "0.5", "100", "0", "", "", ""}}},
    };
    const TestChemistry &chemistry = ::Atoms();
    for (const Recipe &recipe : recipes) {
        CalcReadResult read;
        ASSERT_EQ(CalcReadStatus::Ok,
                  ReadCalcFile(recipe.file, ROW_CAPACITY, [](const char *) { return 1; }, read))
            << recipe.file << ": " << Str(read.reason);
        Entry entry;
        ApplyCalcRecords(read.records, &entry);
        const CalcOutcome outcome = Calculate(entry, chemistry.parser, ElementSelection::Metals(chemistry.table), {});
        ASSERT_TRUE(outcome.done) << recipe.file << ": " << Str(outcome.MessageText());
        const WeighingSheet &sheet = outcome.sheet;
        ASSERT_EQ(recipe.materials.size(), sheet.reactants.size()) << recipe.file;
        const Q unit = Dec(recipe.grams) / MolarMass(recipe.product);  // mol of product
        const Q hundred = 100;
        bool anyVolume = false, anySolution = false;
        for (size_t i = 0; i < recipe.materials.size(); ++i) {
            const Material &m = recipe.materials[i];
            const SheetReactant &row = sheet.reactants[i];
            const Q ratio = Dec(m.ratio), more = 1 + Dec(m.excess) / hundred;
            const Q pure = ratio * MolarMass(m.atoms) * unit, weighed = pure * more / (Dec(m.purity) / hundred);
            const Q mmol = 1000 * ratio * unit * more;
            const bool density = *m.density != 0, molar = *m.molarity != 0, fraction = *m.fraction != 0;
            // Neat: V = g / d; molar: V = mmol / c, solution g = V d; by mass: solution g = g / f, V = that / d.
            const Q solution = molar ? mmol / Dec(m.molarity) * (density ? Dec(m.density) : Q(0))
                               : fraction ? weighed / (Dec(m.fraction) / hundred)
                                          : Q(0);
            const Q volume = molar ? mmol / Dec(m.molarity)
                             : density ? (fraction ? solution : weighed) / Dec(m.density)
                                       : Q(0);
            const std::string where = std::string(recipe.file) + " row " + std::to_string(i + 1);
            const struct { double expected, got; const char *what; } numbers[] = {
                {double(pure), row.grams, "pure grams"}, {double(weighed), row.weighedGrams, "weighed grams"},
                {double(mmol), row.mmol, "mmol"}, {double(volume), row.hasVolume ? row.volumeMl : 0.0, "mL"},
                {double(solution), row.hasSolutionGrams ? row.solutionGrams : 0.0, "grams of solution"}};
            for (const auto &n : numbers) EXPECT_NEAR(n.expected, n.got, 1e-14 * n.expected) << where << " " << n.what;
            EXPECT_EQ(molar || density, row.hasVolume) << where;
            EXPECT_EQ(fraction || (molar && density), row.hasSolutionGrams) << where;
            anyVolume = anyVolume || row.hasVolume;
            anySolution = anySolution || molar || fraction;
        }
        EXPECT_EQ(anyVolume, sheet.showVolume != 0) << recipe.file;
        EXPECT_EQ(anySolution, sheet.anySolution != 0) << recipe.file;
    }
}
