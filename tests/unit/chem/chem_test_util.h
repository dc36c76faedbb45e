// Helpers shared by the chemistry tests.
#ifndef QUILLON_TESTS_CHEM_TEST_UTIL_H
#define QUILLON_TESTS_CHEM_TEST_UTIL_H

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/elements.h"
#include "core/formula.h"

// The element table of tests/data/chem_elements.lst (H to Au), loaded once,
// and the parser that reads formulas against it.
struct TestChemistry {
    CElementTable table;
    CFormulaParser parser{table};
    ElementLoad loaded = table.Load((std::string(QUILLON_TEST_DATA) + "/chem_elements.lst").c_str());
};
inline const TestChemistry &Chemistry() {
    static const TestChemistry chemistry;
    return chemistry;
}
inline const CElementTable &Table() { return Chemistry().table; }
inline const CFormulaParser &Parser() { return Chemistry().parser; }

inline void LoadTestElements() {
    ASSERT_EQ(ElementLoad::Loaded, Chemistry().loaded);
    ASSERT_EQ(31, Table().Count());
}

// A composition as "Symbol:amount ..." (amounts to 6 significant digits).
inline std::string Text(const Composition &c) {
    std::string text;
    char entry[40];
    for (int i = 0; i < c.count; ++i) {
        std::snprintf(entry, sizeof entry, "%s%s:%g", i ? " " : "", Table().Symbol(c.elements[i]), c.amounts[i]);
        text += entry;
    }
    return text;
}

#endif
