// The stand-in of the main dialog's entry for the native tests of the
// commands: the fields, the list's 30 rows, the messages shown and the sheet
// the report would print.
#ifndef QUILLON_TESTS_SUPPORT_ENTRY_H
#define QUILLON_TESTS_SUPPORT_ENTRY_H

#include <string>
#include <vector>

#include "core/batch.h"
#include "core/commands.h"
#include "core/rowstore.h"
#include "core/sheet.h"
#include "core/textutil.h"

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
    const BatchSettings *Batch() override { return &batch; }
    void WriteBatchReport(const CReaction &, const BatchInput &, const BatchResult &result,
                          const std::vector<int> &) override {
        batches.push_back({result.productGrams, result.weighedTotal});
    }
    int RowNumber(const LedraRow *row) override {
        for (int i = 0; i < ROW_CAPACITY; ++i)
            if (rows.row(i) == row) return i + 1;
        return 0;
    }

    CString product;
    double productRatio = 1.0;
    const char *amount = "10";
    int extra = -1;
    LedraRowStore rows;
    std::string messages;
    WeighingSheet sheet;
    int reports = 0;
    BatchSettings batch;  // none used: the plain report
    std::vector<std::pair<double, double>> batches;  // the product grams and weighed total of each batch report
};

#endif
