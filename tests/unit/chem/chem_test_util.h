// Helpers shared by the chemistry, solver, report and command tests.
#ifndef QUILLON_TESTS_CHEM_TEST_UTIL_H
#define QUILLON_TESTS_CHEM_TEST_UTIL_H

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/elements.h"
#include "core/formula.h"
#include "core/reaction.h"
#include "core/rowstore.h"
#include "core/sheet.h"
#include "core/textutil.h"

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

inline std::string Str(const CString &s) { return std::string(s.GetString(), s.GetLength()); }

// A starting material as typed: formula, Fixed flag, ratio.
struct TestRow {
    const char *formula;
    int fixed;
    double ratio;
};

// The list's 30 rows holding the given ones from the top.
inline void FillRows(LedraRowStore &rows, const std::vector<TestRow> &given) {
    rows.create(ROW_CAPACITY);
    for (size_t i = 0; i < given.size(); ++i) {
        rows.setFormula(int(i), given[i].formula);
        rows.setFixed(int(i), given[i].fixed);
        rows.setRatio(int(i), given[i].ratio);
    }
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

// An entry as the main dialog holds it: its fields, its 30 rows, the messages
// shown and the sheet its report would print. ChooseElements adds `extra` (an
// element index, -1 none) to the selection, as a user ticking one more would.
class TestEntry : public CalcEntrySource {
public:
    TestEntry(const char *product, const std::vector<TestRow> &given) : product(product) { FillRows(rows, given); }
    CString ProductFormula() override { return product; }
    int ReadProductRatio(double *ratio) override { return *ratio = productRatio, 0; }
    int ReadAmount(double *value) override { return ReadNumberText(amount, value); }
    int GetRows(int count, LedraRowList *list) override { return rows.getRows(count, list); }
    int GetUnfixedCount() override { return rows.getUnfixedCount(); }
    bool ChooseElements(const CString &, int, ElementSelection *selection, int *) override {
        if (extra >= 0) selection->Set(extra, true);
        return true;
    }
    void ShowMessage(const char *text, CalcMessageKind, CalcField) override { messages += text; }
    void WriteReport(const CReaction &reaction, double grams) override {
        sheet = MakeWeighingSheet(reaction, grams, "", 1);
        ++reports;
    }

    CString product;
    double productRatio = 1.0;
    const char *amount = "10";
    int extra = -1;
    LedraRowStore rows;
    std::string messages;
    WeighingSheet sheet;
    int reports = 0;
};

#endif
