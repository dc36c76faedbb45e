#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/rowstore.h"

// LDM_GETROWS normalises the used rows (undetermined, lower or NaN Fixed ratios turn Unfixed,
// Unfixed ratios reset to 1), hands them out in row order and leaves unused rows untouched.
TEST(LedraRowStore, GetRowsNormalisesAndCollectsInRowOrder) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct { int index, fixed; double ratio; int fixedAfter; double ratioAfter; } cases[] = {
        {2, 1, 0.5, 1, 0.5},           {6, 0, 3.0, 0, 1.0},    {11, 1, -inf, 0, 1.0},
        {12, 1, std::nan(""), 0, 1.0}, {20, 5, -3.0, 5, -3.0}, {29, 1, UNDETERMINED_RATIO, 0, 1.0}};
    LedraRowStore store;
    store.create(ROW_CAPACITY);
    for (const auto &c : cases) store.setFormula(c.index, "BaCO3"), store.setFixed(c.index, c.fixed), store.setRatio(c.index, c.ratio);
    store.setFixed(1, 1), store.setRatio(1, UNDETERMINED_RATIO);  // an unused row
    EXPECT_EQ(0, store.setRatio(ROW_CAPACITY, 3.0));
    ASSERT_EQ(6, store.getRows(0, nullptr));
    LedraRow *pointers[6] = {};
    LedraRowList list = {6, -1, pointers};
    ASSERT_EQ(0, store.getRows(6, &list));
    EXPECT_EQ(2, list.fixedCount);
    for (int k = 0; k < 6; ++k) {
        SCOPED_TRACE(cases[k].index);
        EXPECT_EQ(store.row(cases[k].index), pointers[k]);
        EXPECT_EQ(cases[k].fixedAfter, pointers[k]->fixed);
        EXPECT_EQ(cases[k].ratioAfter, pointers[k]->ratio);
    }
    EXPECT_TRUE(store.row(1)->ratio == UNDETERMINED_RATIO && store.row(1)->fixed == 1) << "an unused row normalised";
    EXPECT_EQ(4, store.getUnfixedCount());
}

// Mismatched or half-given LDM_GETROWS arguments leave the record untouched.
TEST(LedraRowStore, GetRowsRefusals) {
    LedraRow *sentinel = reinterpret_cast<LedraRow *>(0x10);
    // rows 0..used-1 Unfixed with ratio 2.5; getRows(count, withList ? list : nullptr)
    const struct { int used, count; bool withList; int listCount, result; bool normalised; } cases[] = {
        {0, 0, false, 0, 0, false}, {0, 1, true, 1, 1, false},  {2, 3, true, 3, 1, true},
        {2, 2, true, 3, 1, true},   {2, 0, true, 2, -1, false}, {2, 2, false, 2, -1, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(&c - cases);
        LedraRowStore store;
        store.create(ROW_CAPACITY);
        for (int i = 0; i < c.used; ++i) store.setFormula(i, "H2"), store.setRatio(i, 2.5);
        LedraRow *pointers[4] = {sentinel, sentinel, sentinel, sentinel};
        LedraRowList list = {c.listCount, -7, pointers};
        EXPECT_EQ(c.result, store.getRows(c.count, c.withList ? &list : nullptr));
        EXPECT_EQ(-7, list.fixedCount);
        EXPECT_EQ(sentinel, pointers[0]);
        EXPECT_EQ(c.used > 0 && !c.normalised ? 2.5 : 1.0, store.row(0)->ratio);
    }
}

// Ratio texts: trimmed "%.5f" while it fits the 40-character buffer, an exact
// "%g" text beyond, "?" for undetermined values; never a byte past the buffer.
TEST(LedraRowStore, RatioTextFitsItsBufferForAnyDouble) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct { double ratio; const char *text; } cases[] = {
        {2.5, "2.5"}, {3.0, "3"}, {0.0, "0"}, {-0.25, "-0.25"}, {1e-7, "0"}, {2.123456, "2.12346"},
        {UNDETERMINED_RATIO, "?"}, {-inf, "?"}, {std::nan(""), "?"},
        {1e38, "99999999999999997748809823456034029568"}, {1e40, "1e+40"}, {-1e39, "-1e+39"},
        {1e308, "1e+308"}, {-1e300, "-1e+300"}, {1.7976931348623157e308, "1.7976931348623157e+308"},
        {-9.99e307, "-9.99e+307"}};
    for (const auto &c : cases) {
        char buffer[RATIO_TEXT_SIZE + 8];
        std::fill(buffer, buffer + sizeof buffer, '#');
        FormatRatioText(c.ratio, buffer, RATIO_TEXT_SIZE);
        EXPECT_STREQ(c.text, buffer) << c.ratio;
        for (size_t i = RATIO_TEXT_SIZE; i < sizeof buffer; ++i) ASSERT_EQ('#', buffer[i]) << c.ratio;
    }
}
