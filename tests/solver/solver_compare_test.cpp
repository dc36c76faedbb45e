// The overdetermined search against the literal walk over every choice of
// equations, on thousands of random small balances of the kind chemistry
// gives: small integer and simple decimal amounts, many zeros, copied,
// scaled and summed rows, zero rows and columns, dependent columns, and right-
// hand sides that are consistent, slightly off (around the tolerance) or
// plainly contradictory.
//
// The answers must agree bit for bit, not merely within 1e-12: both take x
// from the same GaussSolve call on the same copied rows, so any difference
// means a different choice of equations was taken.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "../../chem/solver.h"
#include "../../chem/solver_reference.h"
#include "../../common/rows.h"

namespace {

struct System {
    int E;
    int U;
    std::vector<double> m;  // E x (U + 1)

    double &At(int i, int j) { return m[static_cast<size_t>(i) * (U + 1) + j]; }
};

// Random balances with a fixed seed; the same sequence on every platform
// (only raw mt19937 output is used, no library distributions).
class SystemGenerator {
public:
    explicit SystemGenerator(uint32_t seed) : random(seed) {}

    int Below(int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }

    // An element amount as formulas give them.
    double Amount()
    {
        static const double AMOUNTS[] = {1, 1, 1, 2, 2, 3, 4, 6, 0.5, 1.5, 2.5, 0.25,
                                         0.75, 0.1, 0.2, 0.3, 0.05, 0.333, 0.667};
        return AMOUNTS[Below(sizeof AMOUNTS / sizeof AMOUNTS[0])];
    }

    // A ratio for the planted solution.
    double Ratio()
    {
        static const double RATIOS[] = {0.5, 1, 1, 2, 3, 0.25, 0.333, 0, 1.5, 0.1};
        return RATIOS[Below(sizeof RATIOS / sizeof RATIOS[0])];
    }

    System Next(int E, int U)
    {
        System s{E, U, std::vector<double>(static_cast<size_t>(E) * (U + 1), 0.0)};
        for (int i = 0; i < E; ++i) {
            for (int j = 0; j < U; ++j) s.At(i, j) = Chance(55) ? Amount() : 0.0;
        }
        if (Chance(25)) CopyRow(s, 1.0);
        if (Chance(10)) CopyRow(s, 1.0);
        if (Chance(15)) {
            static const double FACTORS[] = {2, 0.5, 3, 1.5, 0.1, 0.3};
            CopyRow(s, FACTORS[Below(6)]);
        }
        if (Chance(15) && E >= 3) {
            const int a = Below(E), b = Below(E), k = Below(E);
            if (k != a && k != b) {
                for (int j = 0; j < U; ++j) s.At(k, j) = s.At(a, j) + s.At(b, j);
            }
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
            if (j != k) {
                for (int i = 0; i < E; ++i) s.At(i, j) = factor * s.At(i, k);
            }
        }

        std::vector<double> planted(U);
        for (int j = 0; j < U; ++j) planted[j] = Ratio();
        for (int i = 0; i < E; ++i) {
            double rhs = 0.0;
            for (int j = 0; j < U; ++j) rhs += s.At(i, j) * planted[j];
            s.At(i, U) = rhs;
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

private:
    // Row k := factor x row i for two random rows i < k (coefficients only).
    void CopyRow(System &s, double factor)
    {
        if (s.E < 2) return;
        int i = Below(s.E), k = Below(s.E);
        if (i == k) return;
        if (i > k) std::swap(i, k);
        for (int j = 0; j < s.U; ++j) s.At(k, j) = factor * s.At(i, j);
    }

    std::mt19937 random;
};

// Whether the very first choice (rows 0 .. U-1) passes the literal test.
bool FirstChoicePasses(const System &s)
{
    std::vector<double> square(s.m.begin(), s.m.begin() + static_cast<size_t>(s.U) * (s.U + 1));
    for (int t = 0; t < s.U; ++t) {
        bool allZero = true;
        for (int j = 0; j <= s.U; ++j) allZero = allZero && square[t * (s.U + 1) + j] == 0.0;
        if (allZero) return false;
    }
    std::vector<double> x(s.U);
    return GaussSolve(s.U, square.data(), x.data()) &&
           ResidualTest(s.E, s.U, s.m.data(), x.data(), RESIDUAL_TOLERANCE);
}

// Prints a system for the record of a failed comparison.
std::string Describe(const System &s)
{
    std::string text = "E=" + std::to_string(s.E) + " U=" + std::to_string(s.U) + "\n";
    char number[40];
    for (int i = 0; i < s.E; ++i) {
        for (int j = 0; j <= s.U; ++j) {
            std::snprintf(number, sizeof number, "%.17g%s", s.m[i * (s.U + 1) + j], j == s.U ? "\n" : " ");
            text += number;
        }
    }
    return text;
}

bool SameBits(const std::vector<double> &a, const std::vector<double> &b)
{
    return std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

struct Tally {
    int cases = 0, solved = 0, laterChoice = 0, routes[4] = {0, 0, 0, 0}, mismatches = 0;
};

// Solves s both ways with the given budget; returns false (after reporting)
// when an answer that claims to be exact differs from the walk's.
bool CompareOne(const System &s, double budget, Tally &tally)
{
    std::vector<double> fast(s.U, -1.0), walk(s.U, -2.0);
    const std::vector<double> before = s.m;
    int route = 0;
    const int fastResult = SolveOverdeterminedWithBudget(s.E, s.U, s.m.data(), fast.data(), budget, &route);
    const int walkResult = SolveOverdeterminedExhaustive(s.E, s.U, s.m.data(), walk.data());
    EXPECT_EQ(before, s.m) << "matrix changed\n" << Describe(s);

    ++tally.cases;
    tally.routes[route >= 0 && route <= 3 ? route : 0]++;
    if (walkResult) {
        ++tally.solved;
        if (!FirstChoicePasses(s)) ++tally.laterChoice;
    }
    const bool same = fastResult == walkResult && (!walkResult || SameBits(fast, walk));
    if (route == ROUTE_ABANDONED) {
        // No claim of exactness, but an answer must still satisfy every equation.
        if (!same) ++tally.mismatches;
        if (fastResult) {
            EXPECT_EQ(1, ResidualTest(s.E, s.U, s.m.data(), fast.data(), RESIDUAL_TOLERANCE)) << Describe(s);
        }
        return true;
    }
    EXPECT_TRUE(same) << "route " << route << ", fast " << fastResult << ", walk " << walkResult << "\n"
                      << Describe(s);
    return same;
}

// Prints the tally, for the record.
void Report(const char *name, const Tally &t)
{
    std::printf("[ %s ] %d systems, %d solved (%d not by the first choice); routes decided %d, "
                "searched %d, abandoned %d (%d differing)\n",
                name, t.cases, t.solved, t.laterChoice, t.routes[ROUTE_DECIDED], t.routes[ROUTE_SEARCHED],
                t.routes[ROUTE_ABANDONED], t.mismatches);
}

// Runs count random systems with E in [minE, minE + spanE) and U from 1
// (or minU) up to maxU and below E, and tallies the comparison.
Tally CompareMany(uint32_t seed, int count, int minE, int spanE, int minU, int maxU, double budget)
{
    SystemGenerator generator(seed);
    Tally tally;
    int failures = 0;
    for (int n = 0; n < count && failures < 5; ++n) {
        const int E = minE + generator.Below(spanE);
        const int top = E - 1 < maxU ? E - 1 : maxU;
        const int U = minU + generator.Below(top - minU + 1);
        if (!CompareOne(generator.Next(E, U), budget, tally)) ++failures;
    }
    return tally;
}

}  // namespace

TEST(OverdeterminedComparison, AgreesWithTheExhaustiveWalk)
{
    const Tally small = CompareMany(20240611u, 20000, 2, 8, 1, 5, DEFAULT_SEARCH_BUDGET);
    Report("small", small);
    const Tally medium = CompareMany(4242u, 300, 10, 5, 3, 7, DEFAULT_SEARCH_BUDGET);
    Report("medium", medium);
    // The default budget always finishes the search for systems this small.
    EXPECT_EQ(0, small.routes[ROUTE_ABANDONED] + medium.routes[ROUTE_ABANDONED]);
    // The mix must exercise both verdicts and answers beyond the first choice.
    EXPECT_GT(small.solved, small.cases / 4);
    EXPECT_LT(small.solved, small.cases * 3 / 4);
    EXPECT_GT(small.laterChoice, small.cases / 20);
}

TEST(OverdeterminedComparison, ShortcutsAgreeWithTheExhaustiveWalk)
{
    // No search at all: every answer reached without one must be the walk's.
    const Tally tally = CompareMany(977u, 20000, 2, 8, 1, 5, 0.0);
    Report("no search", tally);
    EXPECT_GT(tally.routes[ROUTE_DECIDED], tally.cases * 3 / 4);
}
