// The entry: everything the chemist gives for one calculation, as a value.
// The sample ID, the product (the series formula of a composition series)
// with its ratio and amount as typed, the 30 rows of starting materials and
// the batch values (purity, excess, scaling) and the masses weighed with
// their tolerance. The main dialog reads one from
// its fields and its list, quillon-cli from a calculation file and its
// options; the calculation (core/calculation.h) takes it as it is and hands
// back an entry of its own with the ratios it solved. Portable.
#ifndef QUILLON_CORE_ENTRY_H
#define QUILLON_CORE_ENTRY_H

#include "framework/afxstr.h"
#include "batch.h"
#include "rowstore.h"
#include "weighed.h"

// The texts of the main dialog's entry fields (a calculation file fills
// them), with the values they hold when the program starts.
struct CalcFields {
    CString sampleId;
    CString productFormula;
    CString ratioText = "1";
    CString amountText = "1";
    CString seriesValues;  // the values of x of a composition series; empty: none
};

struct Entry {
    CalcFields fields;    // the field texts: sample ID, product, ratio, amount, values of x
    LedraRowStore rows;   // ROW_CAPACITY rows; a row with an empty formula is unused
    BatchSettings batch;  // per row and formula; the sheet's mmol and gases are options
    WeighedMasses weighed;  // per row and formula, and the tolerance

    Entry();
    Entry(const Entry &other);
    Entry &operator=(const Entry &other);
};

// True when both hold the same texts, rows, batch values (with the rows'
// forms and bottles) and weighed masses (ratios compared exactly, NaN equal
// to NaN).
bool SameEntry(const Entry &a, const Entry &b);

#endif
