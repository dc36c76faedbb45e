// Gaussian elimination, the balance test and the balance solver on chosen and
// large balances (random balances against an exact rank are the solver's fuzz
// target's, random recipes through the whole calculation the property test's,
// fewer elements than ratios quillon-cli's).
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "core/solver.h"
#include "tests/support/exact_rank.h"

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double INF = std::numeric_limits<double>::infinity();
typedef std::vector<double> Vec;

// Solved through a zero corner; only an exact zero pivot is singular, and NaN
// must not pass as a pivot.
TEST(GaussSolve, SolvesOrRefusesSingularAndDegenerateInput) {
    const struct {
        int n;
        Vec m, x;  // x empty: singular
    } cases[] = {
        {3, {0, 1, 2, 5, 1, 0, 1, 3, 4, 1, 0, 5}, {1, 1, 2}},
        {2, {1, 3, 7, 4, 2, 8}, {1, 2}},
        {0, {1}, {}}, {1, {0, 1}, {}},
        {2, {1, 2, 3, 0, 0, 1}, {}},                          // zero coefficients, nonzero rhs
        {2, {1, 2, 3, 0, 0, 0}, {}},                          // all-zero row
        {3, {1, 0, 2, 1, 3, 0, 1, 2, 4, 0, 5, 3}, {}},        // zero column
        {3, {1, 2, 3, 1, 0.5, 0.1, 0.3, 2, 1, 2, 3, 7}, {}},  // duplicate rows
        {2, {0.3, 0.7, 1, 0.6, 1.4, 1}, {}},                  // row doubled
        {2, {NaN, 1, 1, NaN, 2, 1}, {}},
        {2, {1, NaN, 1, 2, 1, 1}, {}},
    };
    for (const auto &c : cases) {
        Vec m = c.m, x(3, 0.0);
        ASSERT_EQ(!c.x.empty(), GaussSolve(c.n, m.data(), x.data())) << c.n << " x " << c.m.size();
        for (size_t j = 0; j < c.x.size(); ++j) EXPECT_NEAR(c.x[j], x[j], 1e-12) << c.n << " x " << c.m.size();
    }
}

typedef SolveStatus S;

struct BalanceCase {
    const char *fault;   // what an accepted or wrongly refused answer would mean
    int E, U;
    Vec m, scale;        // scale empty: |rhs|
    SolveStatus status;
    int row;             // Unbalanced: the row named
    std::vector<int> columns;  // Dependent: the columns named
    Vec x;               // Solved: the ratios
};

TEST(SolveBalance, VerdictsAndReasons) {
    const BalanceCase cases[] = {
        {"dependent square rows solved", 2, 2, {0.3, 0.6, 0.5, 0.7, 1.4, 0.5}, {}, S::Dependent, -1, {0, 1}, {}},
        {"nearly dependent square rows solved wildly", 2, 2, {0.1, 0.2, 0.3, 0.3, 0.6 + 1e-15, 0.9}, {},
         S::Dependent, -1, {0, 1}, {}},
        {"a material without balanced elements accepted", 3, 2, {1, 0, 1, 1, 0, 1, 0, 0, 0}, {}, S::Dependent, -1,
         {1}, {}},
        {"dependence named with an unrelated column", 3, 3, {1, 0, 2, 3, 0, 1, 0, 1, 1, 0, 2, 3}, {},
         S::Dependent, -1, {0, 2}, {}},
        {"rounding-sized mismatch refused", 3, 1, {1, 1, 1, 1 + 4e-12, 1, 1}, {}, S::Solved, -1, {}, {1}},
        {"a mismatch of 4e-5 accepted", 3, 1, {1, 1, 1, 1 + 4e-5, 1, 1}, {}, S::Unbalanced, 0, {}, {}},
        {"element balanced by Fixed rows refused", 2, 1, {1, 0.5, 0, 1e-17}, {0.5, 0.2}, S::Solved, -1, {}, {0.5}},
        {"element left over by Fixed rows accepted", 2, 1, {1, 0.5, 0, 1e-8}, {0.5, 0.2}, S::Unbalanced, 1, {}, {}},
        {"the first rows dependent, a later row ignored", 3, 2, {1, 1, 2, 2, 2, 4, 1, 0, 1}, {}, S::Solved, -1, {},
         {1, 1}},
        {"overdetermined solid solution refused", 3, 2, {0, 1, 0.5, 1, 1, 1, 1, 0, 0.5}, {}, S::Solved, -1, {},
         {0.5, 0.5}},
        {"a NaN right-hand side passed on", 2, 2, {1, 0, NaN, 0, 1, 1}, {}, S::NotFinite, -1, {}, {}},
        {"an infinite coefficient passed on", 3, 1, {1, 1, INF, 1, 1, 1}, {}, S::NotFinite, -1, {}, {}},
        {"nothing to determine called a success", 2, 0, {1, 1}, {}, S::NoUnknowns, -1, {}, {}},
    };
    for (const BalanceCase &c : cases) {
        Vec m = c.m, x(c.U > 0 ? c.U : 1, -7.0);
        const SolveResult result = SolveBalance(c.E, c.U, m.data(), c.scale.empty() ? nullptr : c.scale.data(), x.data());
        EXPECT_EQ(0, std::memcmp(c.m.data(), m.data(), m.size() * sizeof(double))) << c.fault << ": matrix changed";
        EXPECT_EQ(static_cast<int>(c.status), static_cast<int>(result.status)) << c.fault;
        if (c.status == S::Unbalanced) { EXPECT_EQ(c.row, result.row) << c.fault; }
        if (c.status == S::Dependent) { EXPECT_EQ(c.columns, result.columns) << c.fault; }
        for (size_t j = 0; j < c.x.size() && result.Solved(); ++j) EXPECT_NEAR(c.x[j], x[j], 1e-8) << c.fault;
        if (!result.Solved() && c.U > 0) { EXPECT_EQ(-7.0, x[0]) << c.fault << ": x changed on failure"; }
    }
}

// The tolerance is relative to the amounts involved, inclusive, per row; the
// first row that fails is named and NaN never passes.
TEST(BalanceTest, ScalesTheToleranceToEachRow) {
    const Vec x = {1, 2};
    const struct { const char *fault; Vec m, scale; int failing; } cases[] = {
        {"absolute tolerance: a 1e-5 mismatch of 1e-5 passes", {1, 1, 3, 0, 0, 1e-5}, {}, 1},
        {"large amounts held to an absolute tolerance", {100, 100, 300 + 1e-7, 1, 1, 3}, {}, -1},
        {"tolerance not relative: 2e-9 of 6 involved refused", {1, 1, 3 + 2e-9, 1, 1, 3}, {}, -1},
        {"tolerance too loose: 2e-8 of 6 involved accepted", {1, 1, 3, 1, 1, 3 + 2e-8}, {}, 1},
        {"Fixed amounts not counted: cancelled element refused", {1, 1, 3, 0, 0, 1e-10}, {0, 0.5}, -1},
        {"the product's amount not counted beside Fixed amounts: 5e-9 of 6 refused", {1, 1, 3 + 5e-9, 1, 1, 3}, {0, 0}, -1},
        {"NaN passes", {1, 1, NaN, 1, 1, 3}, {}, 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.failing, BalanceTest(2, 2, c.m.data(), c.scale.empty() ? nullptr : c.scale.data(), x.data(),
                                         BALANCE_TOLERANCE))
            << c.fault;
    }
}

// 60 or 118 equations, 30 unknowns: solved (also over copied rows), refused
// when one right-hand side is off or two columns are equal.
TEST(SolveBalance, LargeSystems) {
    std::mt19937 random(7);
    for (int E : {30, 60, 118}) {  // 30: square, where any right-hand side fits
        Vec planted(30), m(static_cast<size_t>(E) * 31), x(30);
        for (double &p : planted) p = 0.5 * (1 + random() % 6);
        for (int i = 0; i < E; ++i)
            for (int j = 0; j < 30; ++j) m[i * 31 + 30] += (m[i * 31 + j] = random() % 3 == 0 ? 1.0 + random() % 4 : 0.0) * planted[j];
        if (ExactRank(E, 30, [&](int i, int j) { return m[i * 31 + j]; }) < 30) continue;
        ASSERT_TRUE(SolveBalance(E, 30, m.data(), nullptr, x.data()).Solved()) << E;
        for (int j = 0; j < 30; ++j) EXPECT_NEAR(planted[j], x[j], 1e-9);
        Vec off = m;
        off[(E - 1) * 31 + 30] += 0.25;
        if (E > 30) { EXPECT_EQ(int(S::Unbalanced), int(SolveBalance(E, 30, off.data(), nullptr, x.data()).status)) << E; }
        for (int i = 0; i < E; ++i) m[i * 31 + 29] = m[i * 31 + 28];
        const SolveResult twins = SolveBalance(E, 30, m.data(), nullptr, x.data());
        EXPECT_EQ((std::vector<int>{28, 29}), twins.columns) << E;
    }
}

}  // namespace
