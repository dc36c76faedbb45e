#include "rowstore.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "numbers.h"
#include "textutil.h"

// "?", the trimmed "%.5f" text, or the shortest exact "%g" text that fits.
void FormatRatioText(double ratio, char *buffer, int size) {
    if (size < 2) {
        if (size == 1) buffer[0] = 0;
        return;
    }
    if (!(ratio > UNDETERMINED_RATIO)) {
        std::snprintf(buffer, size_t(size), "?");
        return;
    }
    NumberText fixed(ratio);
    if (std::strlen(fixed.c_str()) < size_t(size)) {
        std::snprintf(buffer, size_t(size), "%s", fixed.c_str());
        return;
    }
    // Seventeen significant digits always read back exactly; fewer usually do.
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(buffer, size_t(size), "%.*g", digits, ratio);
        if (ReadsBackAs(buffer, ratio)) return;
    }
}

LedraRowStore::LedraRowStore() {}

LedraRowStore::~LedraRowStore() { release(); }

// Frees the rows and the collection.
void LedraRowStore::release() {
    delete[] rows;
    delete[] collection;
    rows = nullptr;
    collection = nullptr;
    rowCount = 0;
    collected = 0;
}

// Builds capacity default rows and an empty collection.
int LedraRowStore::create(int capacity) {
    release();
    if (capacity < 1) return 0;
    rows = new LedraRow[capacity];
    collection = new LedraRow *[capacity];
    rowCount = capacity;
    reset();
    return 1;
}

// Puts every row back to its default and empties the collection.
void LedraRowStore::reset() {
    for (int i = 0; i < rowCount; ++i) {
        rows[i].fixed = 0;
        rows[i].formula.Empty();
        rows[i].ratio = 1.0;
    }
    collected = 0;
}

// Copies text into the formula of row i.
int LedraRowStore::setFormula(int i, const char *text) {
    LedraRow *target = row(i);
    if (target == nullptr) return 0;
    target->formula = text;
    return 1;
}

// Stores the ratio of row i.
int LedraRowStore::setRatio(int i, double value) {
    LedraRow *target = row(i);
    if (target == nullptr) return 0;
    target->ratio = value;
    return 1;
}

// Stores the Fixed/Unfixed flag of row i.
int LedraRowStore::setFixed(int i, int value) {
    LedraRow *target = row(i);
    if (target == nullptr) return 0;
    target->fixed = value;
    return 1;
}

// Row i, or nullptr outside the store.
LedraRow *LedraRowStore::row(int i) {
    if (i < 0 || i >= rowCount) return nullptr;
    return &rows[i];
}

// Row i, or nullptr outside the store (read only).
const LedraRow *LedraRowStore::row(int i) const {
    if (i < 0 || i >= rowCount) return nullptr;
    return &rows[i];
}

// The formula of row i, or nullptr outside the store.
CString *LedraRowStore::formula(int i) {
    LedraRow *target = row(i);
    return target == nullptr ? nullptr : &target->formula;
}

// The ratio of row i, or nullptr outside the store.
double *LedraRowStore::ratio(int i) {
    LedraRow *target = row(i);
    return target == nullptr ? nullptr : &target->ratio;
}

// Normalises the used rows and collects them in row order; returns N.
int LedraRowStore::normaliseAndCollect(int *fixedCount) {
    int unfixed = 0;
    collected = 0;
    for (int i = 0; i < rowCount; ++i) {
        LedraRow &r = rows[i];
        if (r.formula.IsEmpty()) continue;
        // "Not greater than": a NaN ratio becomes Unfixed as well.
        if (!(r.ratio > UNDETERMINED_RATIO)) r.fixed = 0;
        if (r.fixed == 0) {
            r.ratio = 1.0;
            ++unfixed;
        }
        collection[collected++] = &r;
    }
    if (fixedCount != nullptr) *fixedCount = collected - unfixed;
    return collected;
}

// The LDM_GETROWS answer for (count, list).
int LedraRowStore::getRows(int count, LedraRowList *list) {
    if (count == 0 && list == nullptr) return normaliseAndCollect();
    if (count == 0 || list == nullptr) return -1;
    int fixedCount = 0;
    int n = normaliseAndCollect(&fixedCount);
    if (n == 0 || n != count || n != list->count || list->rows == nullptr) return 1;
    list->fixedCount = fixedCount;
    for (int k = 0; k < n; ++k) list->rows[k] = collection[k];
    return 0;
}

// The LDM_GETUNFIXEDCOUNT answer: used rows that are Unfixed.
int LedraRowStore::getUnfixedCount() {
    int fixedCount = 0;
    int n = normaliseAndCollect(&fixedCount);
    return n - fixedCount;
}

// Entry k of the last collection, or nullptr.
LedraRow *LedraRowStore::collectedRow(int k) const {
    if (k < 0 || k >= collected) return nullptr;
    return collection[k];
}
