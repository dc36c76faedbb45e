// Helpers shared by the chemistry tests.
#ifndef QUILLON_TESTS_CHEM_TEST_UTIL_H
#define QUILLON_TESTS_CHEM_TEST_UTIL_H

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/elements.h"
#include "core/formula.h"

// Loads tests/data/chem_elements.lst (H to Au) and makes the process-wide parser.
inline void LoadTestElements() {
    ASSERT_EQ(31, elementTable.Load((std::string(QUILLON_TEST_DATA) + "/chem_elements.lst").c_str()));
    static CFormulaParser parser(LookupElement);
    formulaParser = &parser;
}

// A composition as "Symbol:amount ..." (amounts to 6 significant digits).
inline std::string Text(const Composition &c) {
    std::string text;
    char entry[40];
    for (int i = 0; i < c.count; ++i) {
        std::snprintf(entry, sizeof entry, "%s%s:%g", i ? " " : "", elementTable.Symbol(c.elements[i]), c.amounts[i]);
        text += entry;
    }
    return text;
}

#endif
