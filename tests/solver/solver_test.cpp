// Gaussian elimination, the residual test, the dispatch of SolveLinearSystem
// and the overdetermined search on hand-made systems.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "../../chem/solver.h"
#include "../../chem/solver_reference.h"
#include "../../common/rows.h"

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double INF = std::numeric_limits<double>::infinity();

// Bitwise equality of two solution vectors.
bool SameBits(const std::vector<double> &a, const std::vector<double> &b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

// Largest |rhs - A x| over the rows of an augmented matrix.
double MaxResidual(int rows, int columns, const std::vector<double> &m, const std::vector<double> &x)
{
    double worst = 0.0;
    for (int i = 0; i < rows; ++i) {
        double sum = 0.0;
        for (int j = 0; j < columns; ++j) sum += m[i * (columns + 1) + j] * x[j];
        worst = std::fmax(worst, std::fabs(m[i * (columns + 1) + columns] - sum));
    }
    return worst;
}

}  // namespace

TEST(GaussSolve, SolvesTheSuperconductorBalance)
{
    // YBa2Cu3O7 from Y2O3, BaCO3 and CuO with Y, Ba, Cu balanced.
    std::vector<double> m = {2, 0, 0, 1,
                             0, 1, 0, 2,
                             0, 0, 1, 3};
    std::vector<double> x(3);
    ASSERT_EQ(1, GaussSolve(3, m.data(), x.data()));
    EXPECT_DOUBLE_EQ(0.5, x[0]);
    EXPECT_DOUBLE_EQ(2.0, x[1]);
    EXPECT_DOUBLE_EQ(3.0, x[2]);
}

TEST(GaussSolve, SolvesADenseSystemThatNeedsRowExchanges)
{
    // The top-left entry is zero and the largest scaled entries of the first
    // column lie below it.
    const std::vector<double> original = {0, 1, 2, 5,
                                          1, 0, 1, 4,
                                          4, 1, 0, 6};
    std::vector<double> m = original, x(3);
    ASSERT_EQ(1, GaussSolve(3, m.data(), x.data()));
    EXPECT_LT(MaxResidual(3, 3, original, x), 1e-12);
}

TEST(GaussSolve, FailsOnSingularAndDegenerateInput)
{
    struct Case {
        const char *what;
        int n;
        std::vector<double> m;
    };
    const Case cases[] = {
        {"n = 0", 0, {1}},
        {"n < 0", -1, {1}},
        {"1 x 1 zero", 1, {0, 1}},
        {"coefficients zero, rhs not", 2, {1, 2, 3, 0, 0, 1}},
        {"all-zero row", 2, {1, 2, 3, 0, 0, 0}},
        {"zero column", 3, {1, 0, 2, 1, 3, 0, 1, 2, 4, 0, 5, 3}},
        {"last column zero", 2, {1, 0, 1, 2, 0, 1}},
        {"duplicate rows", 3, {1, 2, 3, 1, 0.5, 0.1, 0.3, 2, 1, 2, 3, 7}},
        {"row doubled", 2, {0.3, 0.7, 1, 0.6, 1.4, 1}},
        {"dependent third row", 3, {1, 0, 1, 1, 0, 1, 1, 2, 1, 1, 2, 3}},
        {"NaN pivot column", 2, {NaN, 1, 1, NaN, 2, 1}},
        {"NaN reaches the last pivot", 2, {1, NaN, 1, 2, 1, 1}},
    };
    for (const Case &c : cases) {
        std::vector<double> m = c.m;
        std::vector<double> x(3, 0.0);
        EXPECT_EQ(0, GaussSolve(c.n, m.data(), x.data())) << c.what;
    }
    EXPECT_EQ(0, GaussSolve(2, nullptr, nullptr));
}

TEST(GaussSolve, FirstOfEqualRatiosBecomesThePivotAndRowsStayInPlace)
{
    // Scaled ratios 2/2 and 4/4 tie in column 0, so row 0 is the pivot and
    // stays as it is; row 1 loses 2 x row 0 from column 1 on, but keeps its
    // first entry, which is never read again. All of this is exact.
    std::vector<double> m = {2, 1, 3,
                             4, 3, 7};
    std::vector<double> x(2);
    ASSERT_EQ(1, GaussSolve(2, m.data(), x.data()));
    EXPECT_EQ((std::vector<double>{2, 1, 3, 4, 1, 1}), m);
    EXPECT_EQ((std::vector<double>{1, 1}), x);

    // With the larger scaled ratio in row 1 (4/4 against 1/3), row 1 is the
    // pivot and row 0 loses 1/4 x row 1 in place; no row moves in memory.
    m = {1, 3, 7,
         4, 2, 8};
    ASSERT_EQ(1, GaussSolve(2, m.data(), x.data()));
    EXPECT_EQ((std::vector<double>{1, 2.5, 5, 4, 2, 8}), m);
    EXPECT_EQ((std::vector<double>{1, 2}), x);
}

TEST(ResidualTest, AcceptsOnlyResidualsStrictlyBelowTheTolerance)
{
    // Two unknowns, stride 3: x = (1, 2).
    const std::vector<double> x = {1, 2};
    struct Case {
        const char *what;
        std::vector<double> row;
        int expected;
    };
    const Case cases[] = {
        {"exact", {1, 1, 3}, 1},
        {"just inside", {1, 1, 3 + 4e-5}, 1},
        {"negative side", {1, 1, 3 - 4e-5}, 1},
        {"at the tolerance", {0, 0, RESIDUAL_TOLERANCE}, 0},
        {"outside", {2, 0, 2.001}, 0},
        {"NaN coefficient", {NaN, 0, 0}, 0},
        {"infinite rhs", {0, 0, INF}, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.expected, ResidualTest(1, 2, c.row.data(), x.data(), RESIDUAL_TOLERANCE)) << c.what;
    }
    const std::vector<double> nanX = {NaN, 1};
    const std::vector<double> row = {0, 1, 1};
    EXPECT_EQ(0, ResidualTest(1, 2, row.data(), nanX.data(), RESIDUAL_TOLERANCE));
}

TEST(ResidualTest, ChecksOnlyTheRowsItIsGiven)
{
    const std::vector<double> m = {1, 0, 1,
                                   0, 1, 2,
                                   1, 1, 9};  // the third row does not hold
    const std::vector<double> x = {1, 2};
    EXPECT_EQ(1, ResidualTest(2, 2, m.data(), x.data(), RESIDUAL_TOLERANCE));
    EXPECT_EQ(0, ResidualTest(3, 2, m.data(), x.data(), RESIDUAL_TOLERANCE));
    EXPECT_EQ(1, ResidualTest(0, 2, m.data(), x.data(), RESIDUAL_TOLERANCE));
}

TEST(SolveLinearSystem, DispatchesOnTheShapeOfTheSystem)
{
    // Fewer equations than unknowns: no solution, x untouched.
    std::vector<double> wide = {1, 1, 2};
    std::vector<double> x = {-7, -7};
    EXPECT_EQ(0, SolveLinearSystem(1, 2, wide.data(), x.data()));
    EXPECT_EQ((std::vector<double>{-7, -7}), x);

    // Square: exactly GaussSolve, which overwrites the matrix.
    const std::vector<double> square = {1, 2, 5, 3, 1, 5};
    std::vector<double> a = square, b = square, xa(2), xb(2);
    ASSERT_EQ(1, SolveLinearSystem(2, 2, a.data(), xa.data()));
    ASSERT_EQ(1, GaussSolve(2, b.data(), xb.data()));
    EXPECT_TRUE(SameBits(xa, xb));
    EXPECT_EQ(b, a);

    // No unknowns at all.
    std::vector<double> none = {0, 0};
    EXPECT_EQ(0, SolveLinearSystem(0, 0, none.data(), x.data()));
    EXPECT_EQ(0, SolveLinearSystem(2, 0, none.data(), x.data()));
}

TEST(SolveLinearSystem, BalancesAMixedPerovskite)
{
    // Sr0.5Ba0.5TiO3 from SrTiO3 and BaTiO3; rows Ti, Sr, Ba (element order).
    const std::vector<double> original = {1, 1, 1,
                                          1, 0, 0.5,
                                          0, 1, 0.5};
    for (double productRatio : {1.0, 2.0}) {
        std::vector<double> m = original;
        for (int i = 0; i < 3; ++i) m[i * 3 + 2] *= productRatio;
        const std::vector<double> before = m;
        std::vector<double> x(2);
        ASSERT_EQ(1, SolveLinearSystem(3, 2, m.data(), x.data()));
        EXPECT_DOUBLE_EQ(0.5 * productRatio, x[0]);
        EXPECT_DOUBLE_EQ(0.5 * productRatio, x[1]);
        EXPECT_EQ(before, m);  // the overdetermined search leaves the matrix alone
    }

    // SrTiO3 fixed at 0.5 moves to the right-hand side; BaTiO3 alone is solved.
    std::vector<double> fixedSr = {1, 1 - 0.5,
                                   0, 0.5 - 0.5,
                                   1, 0.5};
    std::vector<double> x(1);
    ASSERT_EQ(1, SolveLinearSystem(3, 1, fixedSr.data(), x.data()));
    EXPECT_DOUBLE_EQ(0.5, x[0]);
}

TEST(SolveOverdetermined, TakesTheFirstChoiceThatFitsEveryEquation)
{
    // One unknown, three slightly different measurements. x = 1 misses the
    // second by 8e-5 and x = 1.00008 misses the first; x = 1.00004 is within
    // 4e-5 of both, so the third choice is the answer.
    const std::vector<double> m = {1, 1,
                                   1, 1.00008,
                                   1, 1.00004};
    std::vector<double> x(1), reference(1);
    int route = 0;
    ASSERT_EQ(1, SolveOverdeterminedWithBudget(3, 1, m.data(), x.data(), DEFAULT_SEARCH_BUDGET, &route));
    EXPECT_EQ(1.00004, x[0]);
    EXPECT_EQ(ROUTE_SEARCHED, route);
    ASSERT_EQ(1, SolveOverdeterminedExhaustive(3, 1, m.data(), reference.data()));
    EXPECT_TRUE(SameBits(reference, x));
}

TEST(SolveOverdetermined, RejectsSystemsNoChoiceCanSatisfy)
{
    struct Case {
        const char *what;
        int E, U;
        std::vector<double> m;
    };
    const Case cases[] = {
        {"contradicting rows", 3, 1, {1, 1, 1, 2, 2, 1}},
        {"zero row with a right-hand side", 3, 2, {1, 0, 1, 0, 1, 1, 0, 0, 1}},
        {"unknown in no equation", 3, 2, {1, 0, 1, 2, 0, 2, 3, 0, 3}},
        {"proportional columns", 3, 2, {1, 2, 3, 2, 4, 6, 3, 6, 9}},
        {"identical rows only", 3, 2, {1, 1, 2, 1, 1, 2, 1, 1, 2}},
        {"NaN entry", 3, 1, {1, 1, 1, 1, NaN, 1}},
        {"infinite entry", 3, 1, {1, 1, 1, 1, 1, INF}},
        {"as many equations as unknowns", 2, 2, {1, 0, 1, 0, 1, 1}},
        {"no unknowns", 2, 0, {1, 1}},
    };
    for (const Case &c : cases) {
        std::vector<double> x(3, 0.0);
        EXPECT_EQ(0, SolveOverdetermined(c.E, c.U, c.m.data(), x.data())) << c.what;
        EXPECT_EQ(0, SolveOverdeterminedExhaustive(c.E, c.U, c.m.data(), x.data())) << c.what;
    }
}

TEST(SolveOverdetermined, ToleratesAZeroRowWithinTheTolerance)
{
    const std::vector<double> m = {0, 0, 1e-5,
                                   1, 0, 1,
                                   0, 1, 2};
    std::vector<double> x(2);
    ASSERT_EQ(1, SolveOverdetermined(3, 2, m.data(), x.data()));
    EXPECT_EQ((std::vector<double>{1, 2}), x);
}

namespace {

// A random E x (U + 1) system with small integer coefficients and a planted
// solution; with inconsistent set, one row's right-hand side is off by 0.25.
std::vector<double> LargeSystem(int E, int U, bool inconsistent, std::vector<double> &planted,
                                unsigned seed)
{
    std::mt19937 random(seed);
    planted.resize(U);
    for (int j = 0; j < U; ++j) planted[j] = 0.5 * (1 + random() % 6);
    std::vector<double> m(static_cast<size_t>(E) * (U + 1));
    for (int i = 0; i < E; ++i) {
        double rhs = 0.0;
        for (int j = 0; j < U; ++j) {
            const double a = random() % 3 == 0 ? 1.0 + random() % 4 : 0.0;
            m[i * (U + 1) + j] = a;
            rhs += a * planted[j];
        }
        m[i * (U + 1) + U] = rhs;
    }
    if (inconsistent) m[(E - 1) * (U + 1) + U] += 0.25;
    return m;
}

}  // namespace

TEST(SolveOverdetermined, SettlesLargeSystemsWithoutSearching)
{
    for (int E : {60, 118}) {
        std::vector<double> planted, x(30), reference(30);
        int route = 0;
        std::vector<double> m = LargeSystem(E, 30, false, planted, 7);
        ASSERT_EQ(1, SolveOverdeterminedWithBudget(E, 30, m.data(), x.data(), 0, &route)) << E;
        EXPECT_EQ(ROUTE_DECIDED, route);
        for (int j = 0; j < 30; ++j) EXPECT_NEAR(planted[j], x[j], 1e-9);
        // The exhaustive walk is quick here only if an early choice passes;
        // it must give the same bits.
        ASSERT_EQ(1, SolveOverdeterminedExhaustive(E, 30, m.data(), reference.data()));
        EXPECT_TRUE(SameBits(reference, x));

        m = LargeSystem(E, 30, true, planted, 7);
        EXPECT_EQ(0, SolveOverdeterminedWithBudget(E, 30, m.data(), x.data(), 0, &route)) << E;
        EXPECT_EQ(ROUTE_DECIDED, route);
    }
}

TEST(SolveOverdetermined, PassesOverCopiedRowsWithoutSearching)
{
    // Rows 0 and 1, and rows 2 and 3, are equal; any choice with both of a
    // pair fails, so the first passing choice skips the copies.
    std::vector<double> planted;
    std::vector<double> m = LargeSystem(60, 30, false, planted, 11);
    for (int j = 0; j <= 30; ++j) {
        m[1 * 31 + j] = m[0 * 31 + j];
        m[3 * 31 + j] = m[2 * 31 + j];
    }
    std::vector<double> x(30);
    int route = 0;
    ASSERT_EQ(1, SolveOverdeterminedWithBudget(60, 30, m.data(), x.data(), 0, &route));
    EXPECT_EQ(ROUTE_DECIDED, route);
    for (int j = 0; j < 30; ++j) EXPECT_NEAR(planted[j], x[j], 1e-9);
}

TEST(SolveOverdetermined, GivesUpTheSearchWithinItsBudget)
{
    // Column 29 equals column 28 in every row: rank 29, so no choice is
    // nonsingular in exact arithmetic and no bound applies; the last row also
    // contradicts the others, so no choice can pass either. The search runs
    // until its budget ends and the greedy answer (none) stands.
    std::vector<double> planted;
    std::vector<double> m = LargeSystem(60, 30, true, planted, 5);
    for (int i = 0; i < 60; ++i) m[i * 31 + 29] = m[i * 31 + 28];
    std::vector<double> x(30);
    int route = 0;
    EXPECT_EQ(0, SolveOverdeterminedWithBudget(60, 30, m.data(), x.data(), 1e6, &route));
    EXPECT_EQ(ROUTE_ABANDONED, route);
}
