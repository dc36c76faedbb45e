// The rows of the starting-materials list: ROW_CAPACITY LedraRow records
// that the list control owns and hands out by pointer, plus the collection
// of used rows that answers LDM_GETROWS. Portable, so that the command-line
// tool and the tests use the very code the list control runs.
//
// A row is used when its formula has at least one character. Rows never
// move; emptying a row clears its formula only.
#ifndef QUILLON_CORE_ROWSTORE_H
#define QUILLON_CORE_ROWSTORE_H

#include "quillon/rows.h"

// Room for a ratio's display text and its NUL: the buffer the list's ratio
// editor is loaded from, and the one the list paints from.
const int RATIO_TEXT_SIZE = 40;

// The text the list shows for a ratio: "?" for an undetermined one (at or
// below UNDETERMINED_RATIO, and NaN); else "%.5f" without trailing zeros when
// that fits in size - 1 characters; else (magnitudes from about 1e33) the
// shortest "%g" text that reads back as the same value, such as "1e+308".
// Never writes more than size bytes; 25 always hold the "%g" text.
void FormatRatioText(double ratio, char *buffer, int size);

class LedraRowStore {
public:
    LedraRowStore();
    ~LedraRowStore();

    // Builds capacity default rows (fixed 0, empty formula, ratio 1.0) and an
    // empty collection, replacing any rows made before. Returns 1, or 0 for a
    // capacity below 1 (the store is then empty).
    int create(int capacity);
    // Every row back to fixed 0, empty formula, ratio 1.0; collection emptied.
    void reset();
    int capacity() const { return rowCount; }

    // Store into row i; 0 when i is outside 0..capacity-1 (nothing changes), else 1.
    int setFormula(int i, const char *text);
    int setRatio(int i, double value);
    int setFixed(int i, int value);

    // Pointers into row i, valid until the store is destroyed or re-created;
    // nullptr when i is outside 0..capacity-1.
    LedraRow *row(int i);
    const LedraRow *row(int i) const;
    CString *formula(int i);
    double *ratio(int i);

    // Normalises the used rows in index order (a ratio at or below
    // UNDETERMINED_RATIO makes the row Unfixed; every Unfixed row's ratio
    // becomes 1.0) and collects pointers to them in row order. Returns the
    // number of used rows N; *fixedCount (when given) receives the number of
    // Fixed ones F. Unused rows are neither changed nor collected.
    int normaliseAndCollect(int *fixedCount = nullptr);

    // The answer to LDM_GETROWS(count, list):
    //  (0, nullptr): normalise and collect, return N;
    //  (count, list) both given: normalise and collect; N of 0, or N unequal
    //    to count or to list->count, returns 1 with the record untouched;
    //    otherwise fixedCount := F, the N row pointers in row order, 0;
    //  exactly one of them given: -1, nothing normalised.
    int getRows(int count, LedraRowList *list);

    // The answer to LDM_GETUNFIXEDCOUNT: normalise and collect, return N - F.
    int getUnfixedCount();

    // The collection made by the last normalisation.
    int collectedCount() const { return collected; }
    LedraRow *collectedRow(int k) const;

private:
    LedraRowStore(const LedraRowStore &) = delete;
    LedraRowStore &operator=(const LedraRowStore &) = delete;
    void release();

    int rowCount = 0;
    LedraRow *rows = nullptr;
    LedraRow **collection = nullptr;
    int collected = 0;
};

#endif
