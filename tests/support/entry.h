// Entries for the native tests: rows as typed into the list, and an entry
// (core/entry.h) holding them with a product, its ratio and its amount.
#ifndef QUILLON_TESTS_SUPPORT_ENTRY_H
#define QUILLON_TESTS_SUPPORT_ENTRY_H

#include <string>
#include <vector>

#include "core/batch.h"
#include "core/entry.h"
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

// The entry of product (ratio 1) for amount grams from the given rows.
inline Entry MakeEntry(const char *product, const std::vector<TestRow> &given, const char *amount = "10") {
    Entry entry;
    entry.fields.productFormula = product;
    entry.fields.amountText = amount;
    FillRows(entry.rows, given);
    return entry;
}

#endif
