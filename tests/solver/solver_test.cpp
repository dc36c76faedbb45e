// Gaussian elimination, the residual test and the overdetermined search, also
// against the literal walk over every choice of equations on random balances.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "../../chem/solver.h"
#include "../../chem/solver_reference.h"
#include "../../common/rows.h"

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double INF = std::numeric_limits<double>::infinity();
typedef std::vector<double> Vec;

// Row exchange on a zero corner; the first of tied ratios pivots; rows never move.
TEST(GaussSolve, PivotsAndEliminatesInPlace) {
    Vec m = {0, 1, 2, 5, 1, 0, 1, 3, 4, 1, 0, 5}, x(3);
    ASSERT_EQ(1, GaussSolve(3, m.data(), x.data()));
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(j == 2 ? 2.0 : 1.0, x[j], 1e-12);
    m = {2, 1, 3, 4, 3, 7};  // ratios 2/2 and 4/4 tie: row 0 is the pivot
    ASSERT_EQ(1, GaussSolve(2, m.data(), x.data()));
    EXPECT_EQ((Vec{2, 1, 3, 4, 1, 1}), m);
    EXPECT_EQ((Vec{1, 1}), Vec(x.begin(), x.begin() + 2));
    m = {1, 3, 7, 4, 2, 8};  // 4/4 beats 1/3: row 1 is the pivot, row 0 changes in place
    ASSERT_EQ(1, GaussSolve(2, m.data(), x.data()));
    EXPECT_EQ((Vec{1, 2.5, 5, 4, 2, 8}), m);
    EXPECT_EQ((Vec{1, 2}), Vec(x.begin(), x.begin() + 2));
}

// Only an exact zero pivot is singular; NaN must not pass as a pivot.
TEST(GaussSolve, FailsOnSingularAndDegenerateInput) {
    const std::pair<int, Vec> cases[] = {
        {0, {1}}, {1, {0, 1}},
        {2, {1, 2, 3, 0, 0, 1}},                          // zero coefficients, nonzero rhs
        {2, {1, 2, 3, 0, 0, 0}},                          // all-zero row
        {3, {1, 0, 2, 1, 3, 0, 1, 2, 4, 0, 5, 3}},        // zero column
        {3, {1, 2, 3, 1, 0.5, 0.1, 0.3, 2, 1, 2, 3, 7}},  // duplicate rows
        {2, {0.3, 0.7, 1, 0.6, 1.4, 1}},                  // row doubled
        {2, {NaN, 1, 1, NaN, 2, 1}},
        {2, {1, NaN, 1, 2, 1, 1}},
    };
    for (const auto &c : cases) {
        Vec m = c.second, x(3, 0.0);
        EXPECT_EQ(0, GaussSolve(c.first, m.data(), x.data())) << c.first << " x " << c.second.size();
    }
}

// The square balance is held to its own equations: GaussSolve alone accepts a
// NaN right-hand side, and a row that is nearly a multiple of another (counts
// that are fractions) gives a nonzero pivot and a wild solution.
TEST(SolveLinearSystem, RefusesSquareSolutionsThatAreNotRatios) {
    const Vec refused[] = {
        {1, 0, NaN, 0, 1, 1},
        {1, 0, INF, 0, 1, 1},
        {0.3, 0.6, 0.5, 0.7, 1.4, 0.5},                // dependent rows, inconsistent rhs
        {0.1, 0.2, 0.3, 0.3, 0.6 + 1e-15, 0.9},         // nearly dependent, consistent
    };
    for (const Vec &c : refused) {
        Vec m = c, x(2, 0.0);
        EXPECT_EQ(0, SolveLinearSystem(2, 2, m.data(), x.data())) << c[0] << " " << c[2] << " " << c[4];
    }
    Vec m = {0.3, 0.6, 0.5, 0.7, 0.4, 0.5}, x(2, 0.0);
    ASSERT_EQ(1, SolveLinearSystem(2, 2, m.data(), x.data()));
    EXPECT_NEAR(1.0 / 3, x[0], 1e-12);
    EXPECT_NEAR(2.0 / 3, x[1], 1e-12);
}

// Residuals must be strictly below the tolerance (x = 1, 2).
TEST(ResidualTest, AcceptsOnlyResidualsStrictlyBelowTheTolerance) {
    const Vec x = {1, 2}, inside = {1, 1, 3 + 4e-5, 1, 1, 3 - 4e-5}, outside = {0, 0, RESIDUAL_TOLERANCE, 1, 1, 3};
    EXPECT_EQ(1, ResidualTest(2, 2, inside.data(), x.data(), RESIDUAL_TOLERANCE));
    EXPECT_EQ(0, ResidualTest(2, 2, outside.data(), x.data(), RESIDUAL_TOLERANCE));
    EXPECT_EQ(1, ResidualTest(1, 2, outside.data() + 3, x.data(), RESIDUAL_TOLERANCE));
    EXPECT_EQ(0, ResidualTest(1, 2, outside.data() + 3, Vec{NaN, 2}.data(), RESIDUAL_TOLERANCE));
}

// The first fitting choice wins (the third); non-finite entries fit nothing.
TEST(SolveOverdetermined, HandMadeSystems) {
    const Vec m = {1, 1, 1, 1.00008, 1, 1.00004};
    Vec x(2);
    int route = 0;
    ASSERT_EQ(1, SolveOverdeterminedWithBudget(3, 1, m.data(), x.data(), DEFAULT_SEARCH_BUDGET, &route));
    EXPECT_EQ(1.00004, x[0]);
    EXPECT_EQ(ROUTE_SEARCHED, route);
    EXPECT_EQ(0, SolveOverdetermined(3, 1, Vec{1, 1, 1, 1, NaN, 1}.data(), x.data()));
    EXPECT_EQ(0, SolveOverdetermined(3, 1, Vec{1, 1, 1, 1, 1, INF}.data(), x.data()));
    EXPECT_EQ(0, SolveOverdetermined(2, 2, Vec{1, 0, 1, 0, 1, 1}.data(), x.data()));
    EXPECT_EQ(0, SolveOverdetermined(2, 0, Vec{1, 1}.data(), x.data()));
}

// E x 31, small integers, a planted solution; inconsistent: last rhs off by 0.25.
Vec LargeSystem(int E, bool inconsistent, Vec &planted, unsigned seed) {
    std::mt19937 random(seed);
    planted.resize(30);
    for (double &p : planted) p = 0.5 * (1 + random() % 6);
    Vec m(static_cast<size_t>(E) * 31);
    for (int i = 0; i < E; ++i) {
        for (int j = 0; j < 30; ++j) {
            m[i * 31 + j] = random() % 3 == 0 ? 1.0 + random() % 4 : 0.0;
            m[i * 31 + 30] += m[i * 31 + j] * planted[j];
        }
    }
    if (inconsistent) m[(E - 1) * 31 + 30] += 0.25;
    return m;
}

// 60 or 118 equations, 30 unknowns: settled without search (also over copied rows);
// a rank-deficient inconsistent system is abandoned within the budget.
TEST(SolveOverdetermined, LargeSystems) {
    Vec planted, x(30), reference(30);
    int route = 0;
    for (int E : {60, 118}) {
        Vec m = LargeSystem(E, false, planted, 7);
        ASSERT_EQ(1, SolveOverdeterminedWithBudget(E, 30, m.data(), x.data(), 0, &route)) << E;
        EXPECT_EQ(ROUTE_DECIDED, route);
        for (int j = 0; j < 30; ++j) EXPECT_NEAR(planted[j], x[j], 1e-9);
        ASSERT_EQ(1, SolveOverdeterminedExhaustive(E, 30, m.data(), reference.data()));  // an early choice passes
        EXPECT_EQ(reference, x);
        m = LargeSystem(E, true, planted, 7);
        EXPECT_EQ(0, SolveOverdeterminedWithBudget(E, 30, m.data(), x.data(), 0, &route)) << E;
        EXPECT_EQ(ROUTE_DECIDED, route);
    }
    Vec m = LargeSystem(60, false, planted, 11);
    std::copy(m.begin(), m.begin() + 31, m.begin() + 31);  // row 1 := row 0, row 3 := row 2
    std::copy(m.begin() + 62, m.begin() + 93, m.begin() + 93);
    ASSERT_EQ(1, SolveOverdeterminedWithBudget(60, 30, m.data(), x.data(), 0, &route));
    EXPECT_EQ(ROUTE_DECIDED, route);
    for (int j = 0; j < 30; ++j) EXPECT_NEAR(planted[j], x[j], 1e-9);
    m = LargeSystem(60, true, planted, 5);
    for (int i = 0; i < 60; ++i) m[i * 31 + 29] = m[i * 31 + 28];
    EXPECT_EQ(0, SolveOverdeterminedWithBudget(60, 30, m.data(), x.data(), 1e6, &route));
    EXPECT_EQ(ROUTE_ABANDONED, route);
}

struct System {
    int E, U;
    std::vector<double> m;  // E x (U + 1)
    double &At(int i, int j) { return m[static_cast<size_t>(i) * (U + 1) + j]; }
};

// Small integer and simple decimal amounts, many zeros; copied, scaled and
// summed rows, zero rows and columns, dependent columns; right-hand sides
// consistent, off by about the tolerance, or plainly contradictory. Only raw
// mt19937 output is used (library distributions differ between platforms).
struct SystemGenerator {
    std::mt19937 random;

    int Below(int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }
    double Amount() {
        static const double AMOUNTS[] = {1, 1, 1, 2, 2, 3, 4, 6, 0.5, 1.5, 2.5, 0.25, 0.75, 0.1, 0.2, 0.3, 0.05,
                                         0.333, 0.667};
        return AMOUNTS[Below(sizeof AMOUNTS / sizeof AMOUNTS[0])];
    }

    System Next(int E, int U) {
        System s{E, U, std::vector<double>(static_cast<size_t>(E) * (U + 1), 0.0)};
        for (int i = 0; i < E; ++i) {
            for (int j = 0; j < U; ++j) s.At(i, j) = Chance(55) ? Amount() : 0.0;
        }
        static const double FACTORS[] = {2, 0.5, 3, 1.5, 0.1, 0.3};
        if (Chance(25)) CopyRow(s, 1.0);
        if (Chance(10)) CopyRow(s, 1.0);
        if (Chance(15)) CopyRow(s, FACTORS[Below(6)]);
        if (Chance(15) && E >= 3) {
            const int a = Below(E), b = Below(E), k = Below(E);
            for (int j = 0; j < U && k != a && k != b; ++j) s.At(k, j) = s.At(a, j) + s.At(b, j);
        }
        if (Chance(12)) {
            const int k = Below(E);
            for (int j = 0; j < U; ++j) s.At(k, j) = 0.0;
        }
        if (Chance(6)) {
            const int j = Below(U);
            for (int i = 0; i < E; ++i) s.At(i, j) = 0.0;
        }
        if (Chance(10) && U >= 2) {
            const int j = Below(U), k = Below(U);
            const double factor = Chance(50) ? 1.0 : Amount();
            for (int i = 0; i < E && j != k; ++i) s.At(i, j) = factor * s.At(i, k);
        }
        static const double RATIOS[] = {0.5, 1, 1, 2, 3, 0.25, 0.333, 0, 1.5, 0.1};
        std::vector<double> planted(U);
        for (int j = 0; j < U; ++j) planted[j] = RATIOS[Below(10)];
        for (int i = 0; i < E; ++i) {
            for (int j = 0; j < U; ++j) s.At(i, U) += s.At(i, j) * planted[j];
        }
        const int mode = Below(100);
        static const double SMALL[] = {1e-5, 3e-5, 4.5e-5, 6e-5, 9e-5, 2e-4};
        if (mode < 15) {
            s.At(Below(E), U) += 0.1 * (1 + Below(10));
        } else if (mode < 30) {
            s.At(Below(E), U) += (Chance(50) ? 1 : -1) * SMALL[Below(6)];
        } else if (mode < 40) {
            for (int i = 0; i < E; ++i) {
                if (Chance(50)) s.At(i, U) += (Chance(50) ? 1 : -1) * SMALL[Below(4)];
            }
        } else if (mode < 45) {
            for (int i = 0; i < E; ++i) s.At(i, U) = Amount();
        }
        return s;
    }

    // Row k := factor x row i for two random rows i < k (coefficients only).
    void CopyRow(System &s, double factor) {
        int i = Below(s.E), k = Below(s.E);
        if (i > k) std::swap(i, k);
        for (int j = 0; j < s.U && i != k; ++j) s.At(k, j) = factor * s.At(i, j);
    }
};

std::string Describe(const System &s) {
    std::string text = "E=" + std::to_string(s.E) + " U=" + std::to_string(s.U);
    char number[40];
    for (size_t k = 0; k < s.m.size(); ++k) {
        std::snprintf(number, sizeof number, "%s%.17g", k % (s.U + 1) ? " " : "\n", s.m[k]);
        text += number;
    }
    return text;
}

struct Tally {
    int cases = 0, solved = 0, laterChoice = 0, routes[4] = {0, 0, 0, 0};
};

// Random systems through the fast search and the walk: answers claimed exact must
// be the walk's bit for bit (same GaussSolve call, so any difference is another
// choice of equations); an abandoned search's answer must still fit.
Tally CompareMany(uint32_t seed, int count, int minE, int spanE, int minU, int maxU, double budget) {
    SystemGenerator generator{std::mt19937(seed)};
    Tally tally;
    for (int n = 0; n < count && !::testing::Test::HasFailure(); ++n) {
        const int E = minE + generator.Below(spanE);
        const int U = minU + generator.Below((E - 1 < maxU ? E - 1 : maxU) - minU + 1);
        const System s = generator.Next(E, U);
        std::vector<double> fast(U, -1.0), walk(U, -2.0);
        int route = 0;
        const int fastResult = SolveOverdeterminedWithBudget(E, U, s.m.data(), fast.data(), budget, &route);
        const int walkResult = SolveOverdeterminedExhaustive(E, U, s.m.data(), walk.data());
        ++tally.cases;
        tally.routes[route >= 0 && route <= 3 ? route : 0]++;
        tally.solved += walkResult;
        std::vector<double> square(s.m.begin(), s.m.begin() + static_cast<size_t>(U) * (U + 1)), first(U);
        tally.laterChoice += walkResult && !(GaussSolve(U, square.data(), first.data()) && first == walk);
        const size_t bytes = static_cast<size_t>(U) * sizeof(double);
        const bool same =
            fastResult == walkResult && (!walkResult || std::memcmp(fast.data(), walk.data(), bytes) == 0);
        EXPECT_TRUE(same || route == ROUTE_ABANDONED) << "route " << route << ", fast " << fastResult << Describe(s);
        EXPECT_TRUE(!fastResult || ResidualTest(E, U, s.m.data(), fast.data(), RESIDUAL_TOLERANCE)) << Describe(s);
    }
    return tally;
}

// Small systems always finish; the mix has both verdicts and later-choice answers.
TEST(OverdeterminedComparison, AgreesWithTheExhaustiveWalk) {
    const Tally small = CompareMany(20240611u, 20000, 2, 8, 1, 5, DEFAULT_SEARCH_BUDGET);
    const Tally medium = CompareMany(4242u, 300, 10, 5, 3, 7, DEFAULT_SEARCH_BUDGET);
    EXPECT_EQ(0, small.routes[ROUTE_ABANDONED] + medium.routes[ROUTE_ABANDONED]);
    EXPECT_GT(small.solved, small.cases / 4);
    EXPECT_LT(small.solved, small.cases * 3 / 4);
    EXPECT_GT(small.laterChoice, small.cases / 20);
    EXPECT_GT(medium.routes[ROUTE_SEARCHED], medium.cases / 10);
}

// Without any search, every answer still reached must be the walk's.
TEST(OverdeterminedComparison, ShortcutsAgreeWithTheExhaustiveWalk) {
    const Tally tally = CompareMany(977u, 20000, 2, 8, 1, 5, 0.0);
    EXPECT_GT(tally.routes[ROUTE_DECIDED], tally.cases * 3 / 4);
}

}  // namespace
