// Helpers shared by the chemistry, solver, report and command tests.
#ifndef QUILLON_TESTS_CHEM_TEST_UTIL_H
#define QUILLON_TESTS_CHEM_TEST_UTIL_H

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/elements.h"
#include "core/formula.h"
#include "core/reaction.h"
#include "tests/support/entry.h"

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

// The reaction of the given rows, collected with LDM_GETROWS and calculated
// over the metals as the Calculate command does.
inline std::unique_ptr<CReaction> Calculated(const char *product, double productRatio,
                                             const std::vector<TestRow> &given) {
    LedraRowStore rows;
    FillRows(rows, given);
    const int n = rows.getRows(0, nullptr);
    std::vector<LedraRow *> collected(size_t(n), nullptr);
    LedraRowList list{n, 0, collected.data()};
    EXPECT_EQ(0, rows.getRows(n, &list));
    std::vector<ReactantInput> input;
    for (const LedraRow *row : collected) input.push_back(ReactantInput{row->formula, row->fixed, row->ratio});
    std::unique_ptr<CReaction> reaction(new CReaction(Parser(), ElementSelection::Metals(Table())));
    reaction->SetInput(product, productRatio, input);
    EXPECT_EQ(ReactionResult::Done, reaction->RunCalculation(false));
    return reaction;
}

#endif
