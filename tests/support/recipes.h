// Random entries made from known ratios, for the property test of the whole
// calculation: products built from random starting materials (dopants down
// to 4e-5 of a formula unit, hydrates, Fixed and automatic rows mixed,
// products of metals or of non-metals balanced on a non-metal selection)
// and composition series over such materials, with purity, excess, the
// three scalings, mmol, gases and a balance's readability. Each recipe keeps
// the ratios it was made from, which the test holds the sheet to.
#ifndef QUILLON_TESTS_SUPPORT_RECIPES_H
#define QUILLON_TESTS_SUPPORT_RECIPES_H

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "core/calculation.h"
#include "core/datatext.h"
#include "core/decimal.h"
#include "core/printsheet.h"
#include "tests/support/chemistry.h"

#ifdef QUILLON_TEST_DATA

inline std::string Shown(double value) { return NumberText(value).c_str(); }

typedef std::map<int, double> Counts;  // element index -> count

inline std::string FormulaText(const Counts &counts) {
    std::string text;
    char number[40];
    for (const auto &e : counts)
        text += Table().Symbol(e.first) + (std::snprintf(number, sizeof number, "%.17g", e.second), std::string(number));
    return text;
}
inline long double MassOf(const Counts &counts) {
    long double mass = 0.0L;
    for (const auto &e : counts) mass += static_cast<long double>(e.second) * Table().Mass(e.first);
    return mass;
}

// A starting material; its ratio at x is r0 + r1 x (r1 only in a series).
struct Material {
    Counts counts;  // water of a hydrate included
    std::string text;
    double r0 = 0.0, r1 = 0.0;
    int fixed = 0;
    int row = 0;                          // list row index
    double purity = 100.0, excess = 0.0;  // as the sheet must take them
};

struct Recipe {
    std::vector<Material> materials;
    Counts product0, product1;  // the product's counts at x: product0 + x product1
    double productRatio = 1.0;
    bool mustRefuse = false;  // a material is (nearly) a mixture of two others
    bool nonMetal = false, series = false;
    std::string templ, values;  // a series: the formula with x and the values of x
    Entry entry;
    CalcOptions options;
    ElementSelection selection;
    Decimal printReadability;
};

struct RecipeGenerator {
    std::mt19937 random;
    std::vector<int> metals, nonMetals;
    int oxygen = -1, carbon = -1, hydrogen = -1;

    int Below(int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); }
    template <class List> auto Pick(const List &list) { return list[Below(static_cast<int>(std::size(list)))]; }
    void Shuffle(std::vector<int> &list) {
        for (size_t i = list.size(); i > 1; --i) std::swap(list[i - 1], list[Below(static_cast<int>(i))]);
    }

    // A material of counts, one in five written as a hydrate.
    void Add(Recipe &r, Counts c, double r0, double r1, int fixed) {
        static const double WATER[] = {1, 2, 5, 6, 0.5};
        std::string text = FormulaText(c);
        if (Below(5) == 0) {
            const double water = Pick(WATER);
            text += std::string(Below(2) ? "*" : "\xB7") + Shown(water) + "H2O";
            c[hydrogen] += 2 * water, c[oxygen] += water;
        }
        r.materials.push_back(Material{c, text, r0, r1, fixed});
    }

    void Products(Recipe &r) {
        static const double COUNTS[] = {1, 1, 2, 3, 0.5, 0.25, 0.1, 0.3, 0.7, 0.9, 1.5, 0.333};
        static const double DOPANTS[] = {0.00004, 0.00005, 0.0001};
        static const double RATIOS[] = {0.5, 1, 1, 2, 0.75, 1.25, 3};
        static const double SHARES[] = {0.5, 0.3, 0.7, 0.25, 0.9};
        // Major elements, and dopants: elements that every material holds only
        // in traces (a trace of a major element is another matter: see the
        // README's known limits).
        r.nonMetal = Below(5) == 0;
        const std::vector<int> &elements = r.nonMetal ? nonMetals : metals;
        std::vector<int> pool, dopants;
        for (int k = 0, want = 2 + Below(5); k < want; ++k) pool.push_back(Pick(elements));
        for (int k = 0, d; k < 2; ++k)
            if (d = Pick(elements), std::find(pool.begin(), pool.end(), d) == pool.end()) dopants.push_back(d);
        const int count = 1 + Below(5);
        for (int m = 0; m < count; ++m) {
            Counts c;
            for (int k = 0, want = 1 + Below(3); k < want; ++k) c[Pick(pool)] = Pick(COUNTS);
            if (!dopants.empty() && Below(3) == 0) c[Pick(dopants)] = Pick(DOPANTS);
            c[oxygen] = 1 + Below(4);
            if (Below(3) == 0) c[carbon] = 1;
            Add(r, c, Pick(RATIOS), 0, Below(10) < 3);
        }
        // A mixture of two automatic materials, exact or off by a part in 1e9.
        std::vector<int> automatic;
        for (int m = 0; m < count; ++m)
            if (!r.materials[m].fixed) automatic.push_back(m);
        if (automatic.size() >= 2 && Below(3) == 0) {
            const Counts &a = r.materials[Pick(automatic)].counts, &b = r.materials[Pick(automatic)].counts;
            const double s = Pick(SHARES);
            Counts mix;
            for (const auto &e : a) mix[e.first] += s * e.second;
            for (const auto &e : b) mix[e.first] += (1 - s) * e.second;
            if (Below(2) == 0) mix.begin()->second *= 1 + 1e-9;
            // A count below 5e-6 is dropped from the composition, which would
            // then not be a mixture.
            bool kept = true;
            for (const auto &e : mix) kept = kept && e.second >= 1e-5;
            if (kept) r.materials.push_back(Material{mix, FormulaText(mix), Pick(RATIOS)});
            r.mustRefuse = r.mustRefuse || kept;
        }
        for (const Material &m : r.materials)
            for (const auto &e : m.counts) r.product0[e.first] += m.r0 * e.second / r.productRatio;
    }

    // A series like Sr1-xBaxTiO3: metals a and b sharing a site, up to two
    // others, one material of count 1 for each metal.
    void Series(Recipe &r) {
        static const double COUNTS[] = {1, 2, 3, 0.5, 0.25, 0.333, 1.5};
        static const char *const SITES[][2] = {{"1-x", "x"}, {"2-2x", "2x"}, {"1-0.5x", "0.5x"}};
        static const double SITE_COUNTS[][2] = {{1, 1}, {2, 2}, {1, 0.5}};
        static const char *const VALUES[] = {"0,0.25,0.5,1", "0:1:0.5", "0.1,0.3,0.7", "0.05:0.2:0.05"};
        r.series = true;
        std::vector<int> chosen = metals;
        Shuffle(chosen);
        const int site = Below(3), others = Below(3);
        r.templ = std::string(Table().Symbol(chosen[0])) + SITES[site][0] + Table().Symbol(chosen[1]) + SITES[site][1];
        r.product0[chosen[0]] = SITE_COUNTS[site][0];
        r.product1[chosen[0]] = -SITE_COUNTS[site][1], r.product1[chosen[1]] = SITE_COUNTS[site][1];
        for (int k = 0; k < others; ++k) {
            const double c = Pick(COUNTS);
            r.templ += Table().Symbol(chosen[2 + k]) + (c == 1 ? std::string() : Shown(c));
            r.product0[chosen[2 + k]] = c;
        }
        r.product0[oxygen] = 1 + Below(4);
        r.templ += "O" + Shown(r.product0[oxygen]);
        for (int k = 0; k < 2 + others; ++k) {
            Counts c{{chosen[k], 1}, {oxygen, Below(3) ? 1.0 + Below(2) : 3.0}};
            if (c[oxygen] == 3.0) c[carbon] = 1;
            const double p = r.productRatio;
            Add(r, c, p * r.product0[chosen[k]], p * r.product1[chosen[k]], k >= 2 && Below(3) == 0);
        }
        r.values = Pick(VALUES);
    }

    Recipe Next() {
        static const double PRODUCT_RATIOS[] = {1, 1, 2, 0.5};
        static const char *const AMOUNTS[] = {"10", "2.5", "0.1", "25"};
        static const double MASSES[] = {0.5, 2, 7.25, 15};
        static const char *const READABILITIES[] = {"0.1", "0.01", "0.001", "0.0001", "0.002", "0.00001"};
        Recipe r;
        r.productRatio = Pick(PRODUCT_RATIOS);
        Below(6) == 0 ? Series(r) : Products(r);
        r.selection = ElementSelection::Metals(Table());
        if (r.nonMetal)
            for (int i = 0; i < Table().Count(); ++i)
                r.selection.Set(i, std::find(nonMetals.begin(), nonMetals.end(), i) != nonMetals.end());

        // The rows in order, with gaps; purity, excess, or values left for another formula.
        std::vector<int> rows(ROW_CAPACITY);
        std::iota(rows.begin(), rows.end(), 0);
        Shuffle(rows);
        rows.resize(r.materials.size());
        std::sort(rows.begin(), rows.end());
        Entry &entry = r.entry =
            MakeEntry(r.series ? r.templ.c_str() : FormulaText(r.product0).c_str(), {}, Pick(AMOUNTS));
        entry.fields.ratioText = FormatFieldNumber(r.productRatio);
        for (size_t m = 0; m < r.materials.size(); ++m) {
            Material &material = r.materials[m];
            material.row = rows[m];
            entry.rows.setFormula(material.row, material.text.c_str());
            entry.rows.setFixed(material.row, material.fixed), entry.rows.setRatio(material.row, material.fixed ? material.r0 : 1.0);
            const double purity = Below(3) ? 100.0 : 90 + Below(10001) / 1000.0;
            const double excess = Below(3) ? 0.0 : Below(50001) / 1000.0;
            if (Below(8) == 0)
                entry.batch.SetRow(material.row + 1, "H2O", 95, 10);
            else
                entry.batch.SetRow(material.row + 1, material.text.c_str(), material.purity = purity, material.excess = excess);
        }
        entry.batch.scale = static_cast<BatchScale>(Below(3));
        const Material &scaled = r.materials[entry.batch.scale == BatchScale::Material ? Below(int(r.materials.size())) : 0];
        if (entry.batch.scale == BatchScale::Material) entry.batch.scaleRow = scaled.row + 1, entry.batch.scaleFormula = scaled.text.c_str();
        entry.batch.scaleMass = Pick(MASSES);
        entry.batch.mmol = Below(2) == 0, entry.batch.gases = Below(2) == 0;
        r.options.autoRatio = true;
        if (Below(3)) ReadBalanceGrams(Pick(READABILITIES), &r.options.readability);
        r.options.minimumWeight = Below(2) ? 0.0 : 0.01;
        ReadBalanceGrams(Pick(READABILITIES), &r.printReadability);
        return r;
    }
};


#endif  // QUILLON_TEST_DATA

#endif
