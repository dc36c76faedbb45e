#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "rowstore.h"

namespace {

// A store of 30 rows with the given rows used: {index, fixed, ratio, formula}.
struct RowSetting {
    int index;
    int fixed;
    double ratio;
    const char *formula;
};

void Fill(LedraRowStore &store, std::initializer_list<RowSetting> settings) {
    store.create(ROW_CAPACITY);
    for (const RowSetting &s : settings) {
        store.setFormula(s.index, s.formula);
        store.setFixed(s.index, s.fixed);
        store.setRatio(s.index, s.ratio);
    }
}

}  // namespace

TEST(LedraRowStore, CreateAndResetGiveDefaultRows) {
    LedraRowStore store;
    EXPECT_EQ(nullptr, store.row(0));  // no rows before create
    EXPECT_EQ(0, store.getRows(0, nullptr));
    ASSERT_EQ(1, store.create(ROW_CAPACITY));
    EXPECT_EQ(ROW_CAPACITY, store.capacity());
    store.setFormula(4, "H2O");
    store.setFixed(4, 1);
    store.setRatio(4, 2.5);
    store.setRatio(9, 7.0);  // an unused row may hold a ratio
    store.reset();
    for (int i = 0; i < ROW_CAPACITY; ++i) {
        ASSERT_NE(nullptr, store.row(i));
        EXPECT_EQ(0, store.row(i)->fixed);
        EXPECT_TRUE(store.formula(i)->IsEmpty());
        EXPECT_EQ(1.0, *store.ratio(i));
    }
    EXPECT_EQ(0, store.collectedCount());
}

TEST(LedraRowStore, IndexesOutsideTheStoreChangeNothing) {
    LedraRowStore store;
    store.create(ROW_CAPACITY);
    for (int bad : {-1, ROW_CAPACITY}) {
        EXPECT_EQ(0, store.setFormula(bad, "H2")) << bad;
        EXPECT_EQ(0, store.setRatio(bad, 3.0)) << bad;
        EXPECT_EQ(nullptr, store.row(bad)) << bad;
    }
    EXPECT_EQ(0, store.getRows(0, nullptr));
}

TEST(LedraRowStore, NormalisationOfUsedRows) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char *name;
        int fixed;
        double ratio;
        int fixedAfter;
        double ratioAfter;
    } cases[] = {
        {"unfixed ratio resets to 1", 0, 2.5, 0, 1.0},
        {"fixed ratio kept", 1, 2.5, 1, 2.5},
        {"fixed undetermined becomes unfixed", 1, UNDETERMINED_RATIO, 0, 1.0},
        {"fixed below undetermined becomes unfixed", 1, -inf, 0, 1.0},
        {"fixed NaN becomes unfixed", 1, std::nan(""), 0, 1.0},
        {"fixed negative ratio kept", 1, -3.0, 1, -3.0},
        {"fixed flag 5 counts as fixed", 5, 0.25, 5, 0.25},
    };
    for (const Case &c : cases) {
        LedraRowStore store;
        Fill(store, {{3, c.fixed, c.ratio, "BaCO3"}});
        int fixedCount = -1;
        EXPECT_EQ(1, store.normaliseAndCollect(&fixedCount)) << c.name;
        EXPECT_EQ(c.fixedAfter, store.row(3)->fixed) << c.name;
        EXPECT_EQ(c.ratioAfter, store.row(3)->ratio) << c.name;
        EXPECT_EQ(c.fixedAfter != 0 ? 1 : 0, fixedCount) << c.name;
        EXPECT_EQ(c.fixedAfter != 0 ? 0 : 1, store.getUnfixedCount()) << c.name;
    }
}

TEST(LedraRowStore, UnusedRowsAreSkippedAndKept) {
    LedraRowStore store;
    Fill(store, {{2, 0, 4.0, "Y2O3"}, {6, 1, 2.0, "BaCO3"}});
    store.setRatio(0, UNDETERMINED_RATIO);  // unused rows keep whatever they hold
    store.setFixed(1, 1);
    store.setRatio(1, 9.0);

    int fixedCount = -1;
    EXPECT_EQ(2, store.normaliseAndCollect(&fixedCount));
    EXPECT_EQ(1, fixedCount);
    EXPECT_EQ(store.row(2), store.collectedRow(0));
    EXPECT_EQ(store.row(6), store.collectedRow(1));
    EXPECT_EQ(UNDETERMINED_RATIO, store.row(0)->ratio);
    EXPECT_EQ(1, store.row(1)->fixed);
    EXPECT_EQ(9.0, store.row(1)->ratio);
}

TEST(LedraRowStore, GetRowsFillsTheRecordInRowOrder) {
    LedraRowStore store;
    Fill(store, {{6, 0, 3.0, "CuO"}, {2, 1, 0.5, "Y2O3"}, {29, 1, UNDETERMINED_RATIO, "BaCO3"}});
    ASSERT_EQ(3, store.getRows(0, nullptr));
    LedraRow *pointers[3] = {nullptr, nullptr, nullptr};
    LedraRowList list = {3, -1, pointers};
    ASSERT_EQ(0, store.getRows(3, &list));
    EXPECT_EQ(1, list.fixedCount);  // row 30's undetermined ratio made it Unfixed
    EXPECT_EQ(store.row(2), pointers[0]);
    EXPECT_EQ(store.row(6), pointers[1]);
    EXPECT_EQ(store.row(29), pointers[2]);
    EXPECT_EQ(1.0, pointers[1]->ratio);
    EXPECT_EQ(0.5, pointers[0]->ratio);
}

TEST(LedraRowStore, GetRowsRefusals) {
    LedraRow *sentinel = reinterpret_cast<LedraRow *>(0x10);
    struct Case {
        const char *name;
        int used;       // rows 0..used-1 used, Unfixed with ratio 2.5
        int count;      // wParam
        bool withList;  // lParam given
        int listCount;  // the record's count
        int result;
        bool normalised;
    } cases[] = {
        {"empty list, counting", 0, 0, false, 0, 0, false},
        {"empty list, collecting", 0, 1, true, 1, 1, false},
        {"count differs from N", 2, 3, true, 3, 1, true},
        {"record count differs from N", 2, 2, true, 3, 1, true},
        {"list without count", 2, 0, true, 2, -1, false},
        {"count without list", 2, 2, false, 2, -1, false},
    };
    for (const Case &c : cases) {
        LedraRowStore store;
        store.create(ROW_CAPACITY);
        for (int i = 0; i < c.used; ++i) {
            store.setFormula(i, "H2");
            store.setRatio(i, 2.5);
        }
        LedraRow *pointers[4] = {sentinel, sentinel, sentinel, sentinel};
        LedraRowList list = {c.listCount, -7, pointers};
        EXPECT_EQ(c.result, store.getRows(c.count, c.withList ? &list : nullptr)) << c.name;
        EXPECT_EQ(-7, list.fixedCount) << c.name;
        EXPECT_EQ(sentinel, pointers[0]) << c.name;
        if (c.used > 0) {
            EXPECT_EQ(c.normalised ? 1.0 : 2.5, store.row(0)->ratio) << c.name;
        }
    }
}
