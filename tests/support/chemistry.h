// The chemistry the native tests calculate with: an element table with the
// parser over it, compositions as text, and a reaction calculated from rows
// as the Calculate command collects them.
#ifndef QUILLON_TESTS_SUPPORT_CHEMISTRY_H
#define QUILLON_TESTS_SUPPORT_CHEMISTRY_H

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/elements.h"
#include "core/formula.h"
#include "core/reaction.h"
#include "tests/support/entry.h"

struct TestChemistry {
    explicit TestChemistry(const std::string &path) : loaded(table.Load(path.c_str())) {}
    CElementTable table;
    CFormulaParser parser{table};
    ElementLoad loaded;
};

#ifdef QUILLON_TEST_DATA
// tests/data/chem_elements.lst: H to Au with older masses, loaded once.
inline const TestChemistry &Chemistry() {
    static const TestChemistry chemistry(std::string(QUILLON_TEST_DATA) + "/chem_elements.lst");
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
#ifdef QUILLON_ATOMS_PATH
// data/ATOMS.LST, loaded once.
inline const TestChemistry &Atoms() {
    static const TestChemistry atoms(QUILLON_ATOMS_PATH);
    EXPECT_EQ(ElementLoad::Loaded, atoms.loaded);
    return atoms;
}
#endif

// The reaction of the given rows, collected with LDM_GETROWS and calculated
// over the metals (the Unfixed ratios solved), as the Calculate command does.
inline std::unique_ptr<CReaction> Calculated(const TestChemistry &chemistry, const char *product, double productRatio,
                                             const std::vector<TestRow> &given) {
    LedraRowStore rows;
    FillRows(rows, given);
    const int n = rows.getRows(0, nullptr);
    std::vector<LedraRow *> collected(size_t(n), nullptr);
    LedraRowList list{n, 0, collected.data()};
    EXPECT_EQ(0, rows.getRows(n, &list));
    const bool solve = list.fixedCount < n;
    std::vector<ReactantInput> input;
    for (const LedraRow *row : collected) input.push_back(ReactantInput{row->formula, row->fixed, row->ratio});
    std::unique_ptr<CReaction> reaction(new CReaction(chemistry.parser, ElementSelection::Metals(chemistry.table)));
    reaction->SetInput(product, productRatio, input);
    EXPECT_EQ(ReactionResult::Done, reaction->RunCalculation(solve)) << product;
    return reaction;
}

#endif
