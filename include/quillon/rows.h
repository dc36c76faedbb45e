// Records and constants shared by the program, the chemistry core and the
// starting-materials list. Portable: no Windows types here, because the
// chemistry core builds natively as well.
#ifndef QUILLON_INCLUDE_QUILLON_ROWS_H
#define QUILLON_INCLUDE_QUILLON_ROWS_H

#include <cstdint>

#include "framework/afxstr.h"

// Number of rows of the starting-materials list, fixed for its whole life.
const int ROW_CAPACITY = 30;

// A ratio at or below this value is undetermined: typed as "?" and shown as "?".
const double UNDETERMINED_RATIO = -1e308;

// One row of the starting-materials list. The list owns all of them; the
// program reads and writes them through the pointers that LDM_GETROW and
// LDM_GETROWS hand out.
struct LedraRow {
    int32_t fixed;    // 1 = Fixed (ratio given), 0 = Unfixed (ratio to be solved)
    CString formula;  // empty = unused row
    double ratio;     // 1.0 by default
};

// The request record of LDM_GETROWS, allocated and owned by the requester.
struct LedraRowList {
    int32_t count;       // in: the number of used rows expected
    int32_t fixedCount;  // out (LDM_GETROWS): how many of them are Fixed
    LedraRow **rows;     // out (LDM_GETROWS): count pointers, filled in row order
};

// The rows are handed across module boundaries by pointer, so their layout
// in the 32-bit program is part of the list's protocol.
#if defined(_WIN32) && !defined(_WIN64)
#include <cstddef>
static_assert(sizeof(LedraRow) == 16 && offsetof(LedraRow, formula) == 4 && offsetof(LedraRow, ratio) == 8,
              "LedraRow layout");
static_assert(sizeof(LedraRowList) == 12 && offsetof(LedraRowList, fixedCount) == 4 &&
                  offsetof(LedraRowList, rows) == 8,
              "LedraRowList layout");
#endif

#endif
