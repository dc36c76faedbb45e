// Linear algebra of the automatic ratio determination: Gaussian elimination
// with scaled partial pivoting, the residual test, and the search for a
// consistent square subsystem of an overdetermined element balance.
//
// The overdetermined search is defined as a walk over every choice of U of
// the E equations in lexicographic order; the first choice whose square
// solve succeeds and whose solution satisfies all E equations within
// RESIDUAL_TOLERANCE wins. With 60 equations and 30 unknowns that walk would
// never end, so SolveOverdetermined finds the same choice another way:
//
//  1. Verdicts that hold for every choice at once. A non-finite entry makes
//     its row's residual infinite or NaN for every x. A row without a nonzero
//     coefficient has the residual |rhs| for every finite x, and a choice
//     containing it fails (all-zero row skipped, or row scale 0). A column
//     that is zero in every usable row stays exactly zero through the
//     elimination, so its pivot is 0. Two rows with identical coefficients in
//     one choice receive identical operations until one is the pivot; the
//     other then loses everything to an exact subtraction (multiplier exactly
//     1), so the elimination fails. Fewer distinct usable rows than unknowns
//     therefore fails every choice.
//  2. The greedy choice B: the usable rows in order, each taken when it adds
//     a clear new direction to the rows taken before (Gram-Schmidt with a
//     relative threshold), until U are taken. In the row matroid, a choice
//     that comes before B lexicographically first differs from B at some row
//     s that the greedy pass passed over, and it holds s together with all
//     rows of B before s. When every passed-over row before B's last row is
//     an exact copy of a row of B before it, each earlier choice holds two
//     identical rows and fails for certain (point 1), so when B itself passes
//     the literal test (the same GaussSolve and ResidualTest calls as the
//     walk), B is the answer, bit for bit.
//  3. When B fails, a bound shows that no x at all passes: B's rows limit the
//     size of any passing x (with a proven bound on the norm of B's inverse),
//     and a passed-over row s, written as a combination c of B's rows, must
//     satisfy r_s - c.r_B = (b_s - c.b_B) - (a_s - c.A_B).x for the residuals
//     r of any x. If that mismatch exceeds what the tolerance and the
//     rounding of ResidualTest can cover, no choice passes. This settles
//     inconsistent systems without looking at a single further choice.
//  4. Otherwise (rows that are only nearly dependent, rank deficiency, a
//     system consistent to within the tolerance but not exactly): a
//     depth-first walk over the choices in lexicographic order that skips
//     only what point 1 proves to fail, and runs the literal test on every
//     choice it reaches. It gives the walk's answer exactly, within a work
//     budget. Small systems (a dozen equations) always finish. Should the
//     budget run out, which takes many equations with numerically
//     degenerate dependencies, the greedy answer stands: B's solution when
//     it passes, else failure.
//
// Floating point: "singular" means an exact 0.0 pivot, so rows that are
// dependent in exact arithmetic may still give a tiny nonzero pivot and an
// arbitrary solution. Points 1 to 3 rely only on exact float behaviour
// (identical operations, multiplication by zero) or on bounds with rounding
// allowances, never on a rank threshold; the threshold in point 2 only picks
// which choice is tried first. Anything else goes to the exact search.
#include "solver.h"
#include "solver_reference.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "../common/rows.h"

// GaussSolve and ResidualTest stay out of line so that every caller runs the
// same machine code; on x87 targets an inlined copy could round differently.
#if defined(__GNUC__)
#define QUILLON_NOINLINE __attribute__((noinline))
#else
#define QUILLON_NOINLINE
#endif

namespace {

// A new row direction must be at least this long, relative to the row, for
// the greedy pass to take the row.
const double RANK_TOLERANCE = 1e-8;

// Read access to the E x (U + 1) balance matrix.
struct Balance {
    int E;
    int U;
    const double *matrix;

    const double *Row(int i) const { return matrix + static_cast<size_t>(i) * (U + 1); }
    double Rhs(int i) const { return Row(i)[U]; }
};

// 1 when the matrix holds an infinity or a NaN.
bool HasNonFinite(const Balance &b)
{
    for (int i = 0; i < b.E; ++i) {
        const double *row = b.Row(i);
        for (int j = 0; j <= b.U; ++j) {
            if (!std::isfinite(row[j])) return true;
        }
    }
    return false;
}

// True when row i has no nonzero coefficient.
bool HasZeroCoefficients(const Balance &b, int i)
{
    const double *row = b.Row(i);
    for (int j = 0; j < b.U; ++j) {
        if (row[j] != 0.0) return false;
    }
    return true;
}

// True when a row without coefficients fails the residual test whatever x is.
bool ZeroRowFails(const Balance &b)
{
    for (int i = 0; i < b.E; ++i) {
        if (HasZeroCoefficients(b, i) && !(std::fabs(b.Rhs(i)) < RESIDUAL_TOLERANCE)) return true;
    }
    return false;
}

// For each candidate position, the position of the first candidate with the
// same coefficients (itself when it is the first of its kind).
std::vector<int> CopyClasses(const Balance &b, const std::vector<int> &candidates)
{
    const int m = static_cast<int>(candidates.size());
    std::vector<int> classOf(m);
    for (int p = 0; p < m; ++p) {
        classOf[p] = p;
        const double *row = b.Row(candidates[p]);
        for (int q = 0; q < p; ++q) {
            if (classOf[q] != q) continue;
            const double *other = b.Row(candidates[q]);
            int j = 0;
            while (j < b.U && row[j] == other[j]) ++j;
            if (j == b.U) {
                classOf[p] = q;
                break;
            }
        }
    }
    return classOf;
}

// Number of distinct coefficient rows among the candidates.
int CountClasses(const std::vector<int> &classOf)
{
    int count = 0;
    for (size_t p = 0; p < classOf.size(); ++p) {
        if (classOf[p] == static_cast<int>(p)) ++count;
    }
    return count;
}

// True when some unknown has a zero coefficient in every candidate row.
bool HasEmptyColumn(const Balance &b, const std::vector<int> &candidates)
{
    for (int j = 0; j < b.U; ++j) {
        bool found = false;
        for (int row : candidates) {
            if (b.Row(row)[j] != 0.0) {
                found = true;
                break;
            }
        }
        if (!found) return true;
    }
    return false;
}

// The greedy pass: candidate positions, in order, whose coefficient row adds
// a clear new direction to the rows taken before; stops after U of them.
std::vector<int> GreedyBasis(const Balance &b, const std::vector<int> &candidates,
                             const std::vector<int> &classOf)
{
    const int U = b.U;
    std::vector<int> basis;
    std::vector<double> directions;  // orthonormal, U entries each
    std::vector<double> w(U);
    for (size_t p = 0; p < candidates.size() && static_cast<int>(basis.size()) < U; ++p) {
        if (classOf[p] != static_cast<int>(p)) continue;  // a copy adds nothing
        const double *row = b.Row(candidates[p]);
        double rowNorm = 0.0;
        for (int j = 0; j < U; ++j) {
            w[j] = row[j];
            rowNorm += row[j] * row[j];
        }
        rowNorm = std::sqrt(rowNorm);
        // Two projection passes keep the directions orthogonal to working accuracy.
        for (int pass = 0; pass < 2; ++pass) {
            for (size_t d = 0; d < basis.size(); ++d) {
                const double *q = &directions[d * U];
                double dot = 0.0;
                for (int j = 0; j < U; ++j) dot += q[j] * w[j];
                for (int j = 0; j < U; ++j) w[j] -= dot * q[j];
            }
        }
        double rest = 0.0;
        for (int j = 0; j < U; ++j) rest += w[j] * w[j];
        rest = std::sqrt(rest);
        if (rest > RANK_TOLERANCE * rowNorm) {
            for (int j = 0; j < U; ++j) directions.push_back(w[j] / rest);
            basis.push_back(static_cast<int>(p));
        }
    }
    return basis;
}

// The literal test of one choice: copy the rows, skip a choice with an
// all-zero row, solve the square system, accept when the solution passes
// ResidualTest over all E rows. square holds U x (U + 1), x U doubles.
bool TryChoice(const Balance &b, const int *rows, double *square, double *x)
{
    const int width = b.U + 1;
    for (int t = 0; t < b.U; ++t) {
        const double *row = b.Row(rows[t]);
        bool allZero = true;
        for (int j = 0; j < width; ++j) {
            square[t * width + j] = row[j];
            if (row[j] != 0.0) allZero = false;
        }
        if (allZero) return false;
    }
    return GaussSolve(b.U, square, x) == 1 &&
           ResidualTest(b.E, b.U, b.matrix, x, RESIDUAL_TOLERANCE) == 1;
}

// True when every candidate passed over before the greedy choice's last row is
// an exact copy of a chosen row before it, so every earlier choice fails.
bool EarlierChoicesFail(const std::vector<int> &basis, const std::vector<int> &classOf)
{
    std::vector<char> chosen(classOf.size(), 0);
    for (int p : basis) chosen[p] = 1;
    for (int p = 0; p < basis.back(); ++p) {
        if (chosen[p]) continue;
        if (classOf[p] == p || !chosen[classOf[p]]) return false;
    }
    return true;
}

// Inverts the n x n matrix a (row-major) into inverse by Gauss-Jordan
// elimination with partial pivoting; false when a pivot is zero.
bool Invert(int n, std::vector<double> a, std::vector<double> &inverse)
{
    inverse.assign(static_cast<size_t>(n) * n, 0.0);
    for (int i = 0; i < n; ++i) inverse[i * n + i] = 1.0;
    for (int k = 0; k < n; ++k) {
        int q = k;
        for (int i = k + 1; i < n; ++i) {
            if (std::fabs(a[i * n + k]) > std::fabs(a[q * n + k])) q = i;
        }
        if (!(std::fabs(a[q * n + k]) > 0.0)) return false;
        if (q != k) {
            for (int j = 0; j < n; ++j) {
                std::swap(a[k * n + j], a[q * n + j]);
                std::swap(inverse[k * n + j], inverse[q * n + j]);
            }
        }
        const double pivot = a[k * n + k];
        for (int j = 0; j < n; ++j) {
            a[k * n + j] /= pivot;
            inverse[k * n + j] /= pivot;
        }
        for (int i = 0; i < n; ++i) {
            const double m = a[i * n + k];
            if (i == k || m == 0.0) continue;
            for (int j = 0; j < n; ++j) {
                a[i * n + j] -= m * a[k * n + j];
                inverse[i * n + j] -= m * inverse[k * n + j];
            }
        }
    }
    return true;
}

// Proves that no x passes ResidualTest over all rows, using the square
// system of the rows in basisRows and the other candidate rows (point 3 of
// the file comment). False when the proof does not go through.
bool NoSolutionPasses(const Balance &b, const std::vector<int> &basisRows,
                      const std::vector<int> &otherRows)
{
    const int U = b.U;
    // Bound on the rounding of one sum of up to U + 2 terms, with margin;
    // it also covers the 80-bit intermediates of x87 code.
    const double g = 4.0 * (U + 2) * DBL_EPSILON;
    const double SAFETY = 1.01;

    std::vector<double> M(static_cast<size_t>(U) * U), R;
    for (int i = 0; i < U; ++i) {
        for (int j = 0; j < U; ++j) M[i * U + j] = b.Row(basisRows[i])[j];
    }
    if (!Invert(U, M, R)) return false;

    // ||B^-1|| <= ||R|| / (1 - theta) with theta >= ||I - R B||, rounding included.
    double theta = 0.0, normR = 0.0;
    for (int i = 0; i < U; ++i) {
        double rowSum = 0.0, rSum = 0.0;
        for (int j = 0; j < U; ++j) {
            double product = 0.0, magnitude = 0.0;
            for (int k = 0; k < U; ++k) {
                product += R[i * U + k] * M[k * U + j];
                magnitude += std::fabs(R[i * U + k] * M[k * U + j]);
            }
            rowSum += std::fabs((i == j ? 1.0 : 0.0) - product) + g * (1.0 + magnitude);
            rSum += std::fabs(R[i * U + j]);
        }
        if (rowSum > theta) theta = rowSum;
        if (rSum > normR) normR = rSum;
    }
    theta *= SAFETY;
    if (!(theta <= 0.5)) return false;
    const double inverseNorm = SAFETY * normR / (1.0 - theta);

    // Largest right-hand side and largest absolute row sum of coefficients.
    double beta = 0.0, alpha = 0.0, betaBasis = 0.0;
    for (int i = 0; i < b.E; ++i) {
        const double *row = b.Row(i);
        double sum = 0.0;
        for (int j = 0; j < U; ++j) sum += std::fabs(row[j]);
        if (sum > alpha) alpha = sum;
        if (std::fabs(row[U]) > beta) beta = std::fabs(row[U]);
    }
    for (int row : basisRows) {
        if (std::fabs(b.Rhs(row)) > betaBasis) betaBasis = std::fabs(b.Rhs(row));
    }
    alpha *= SAFETY;
    beta *= SAFETY;

    // A passing x meets |r_i| < tol + g (beta + alpha |x|) on B's rows, which
    // caps |x| (max norm) at xMax.
    if (!(inverseNorm * g * alpha <= 0.5)) return false;
    const double xMax = SAFETY * 2.0 * inverseNorm * (betaBasis + RESIDUAL_TOLERANCE + g * beta);
    const double allowance = SAFETY * (RESIDUAL_TOLERANCE + g * (beta + alpha * xMax));

    std::vector<double> c(U);
    for (int s : otherRows) {
        const double *row = b.Row(s);
        double cNorm = 0.0;
        for (int j = 0; j < U; ++j) {
            double sum = 0.0;
            for (int k = 0; k < U; ++k) sum += row[k] * R[k * U + j];
            c[j] = sum;
            cNorm += std::fabs(sum);
        }
        double mismatch = row[U], mismatchError = std::fabs(row[U]);
        for (int j = 0; j < U; ++j) {
            mismatch -= c[j] * b.Rhs(basisRows[j]);
            mismatchError += std::fabs(c[j] * b.Rhs(basisRows[j]));
        }
        double slope = 0.0;  // bound on the 1-norm of a_s - c.A_B
        for (int k = 0; k < U; ++k) {
            double e = row[k], eError = std::fabs(row[k]);
            for (int j = 0; j < U; ++j) {
                e -= c[j] * b.Row(basisRows[j])[k];
                eError += std::fabs(c[j] * b.Row(basisRows[j])[k]);
            }
            slope += std::fabs(e) + g * eError;
        }
        const double lower = (std::fabs(mismatch) - g * mismatchError - SAFETY * slope * xMax) /
                             (SAFETY * (1.0 + cNorm));
        if (lower >= allowance) return true;
    }
    return false;
}

// Outcome of the pruned search.
enum SearchOutcome { SEARCH_FOUND, SEARCH_NONE, SEARCH_ABANDONED };

// The first accepted choice in lexicographic order, found depth-first over
// the candidate rows; a branch is cut only when every choice in it contains
// two identical rows or leaves an unknown without a nonzero coefficient.
// Stops with SEARCH_ABANDONED after about budget multiply-adds.
SearchOutcome SearchFirstAccepted(const Balance &b, const std::vector<int> &candidates,
                                  const std::vector<int> &classOf, double budget, double *x)
{
    const int U = b.U;
    const int m = static_cast<int>(candidates.size());
    std::vector<char> nonzero(static_cast<size_t>(m) * U);
    std::vector<int> lastNonzero(U, -1);
    for (int p = 0; p < m; ++p) {
        for (int j = 0; j < U; ++j) {
            nonzero[p * U + j] = b.Row(candidates[p])[j] != 0.0;
            if (nonzero[p * U + j]) lastNonzero[j] = p;
        }
    }
    std::vector<int> cover(U, 0), position(U), rows(U);
    std::vector<char> classUsed(m, 0);
    std::vector<double> square(static_cast<size_t>(U) * (U + 1));
    const double nodeCost = U;
    const double leafCost = U * (double)U * U / 3.0 + (double)U * U + (double)b.E * U;
    double spent = 0.0;

    // Whether position p may join the current prefix at level t.
    auto admissible = [&](int t, int p) {
        if (classUsed[classOf[p]]) return false;
        const bool last = t == U - 1;
        for (int j = 0; j < U; ++j) {
            if (cover[j] > 0 || nonzero[p * U + j]) continue;
            if (last || lastNonzero[j] <= p) return false;
        }
        return true;
    };
    auto take = [&](int p, int delta) {
        classUsed[classOf[p]] = delta > 0;
        for (int j = 0; j < U; ++j) cover[j] += delta * nonzero[p * U + j];
    };

    int t = 0;
    position[0] = -1;
    while (t >= 0) {
        int p = position[t] + 1;
        for (; p <= m - (U - t); ++p) {
            spent += nodeCost;
            if (admissible(t, p)) break;
        }
        if (spent > budget) return SEARCH_ABANDONED;
        if (p > m - (U - t)) {  // level exhausted: back up one level
            --t;
            if (t >= 0) take(position[t], -1);
            continue;
        }
        position[t] = p;
        take(p, +1);
        if (t < U - 1) {
            ++t;
            position[t] = p;
            continue;
        }
        for (int k = 0; k < U; ++k) rows[k] = candidates[position[k]];
        spent += leafCost;
        if (TryChoice(b, rows.data(), square.data(), x)) return SEARCH_FOUND;
        take(p, -1);
    }
    return SEARCH_NONE;
}

// SolveOverdeterminedWithBudget after the argument checks; may throw bad_alloc.
int SolveOverdeterminedChecked(const Balance &b, double *x, double budget, int *route)
{
    const int U = b.U;
    *route = ROUTE_DECIDED;
    // Point 1: verdicts for every choice at once.
    if (HasNonFinite(b) || ZeroRowFails(b)) return 0;
    std::vector<int> candidates;
    for (int i = 0; i < b.E; ++i) {
        if (!HasZeroCoefficients(b, i)) candidates.push_back(i);
    }
    if (static_cast<int>(candidates.size()) < U) return 0;
    const std::vector<int> classOf = CopyClasses(b, candidates);
    if (CountClasses(classOf) < U || HasEmptyColumn(b, candidates)) return 0;

    // Points 2 and 3: the greedy choice.
    const std::vector<int> basis = GreedyBasis(b, candidates, classOf);
    std::vector<double> square(static_cast<size_t>(U) * (U + 1)), basisX(U);
    bool basisPasses = false;
    if (static_cast<int>(basis.size()) == U) {
        std::vector<int> basisRows, otherRows;
        std::vector<char> chosen(candidates.size(), 0);
        for (int p : basis) {
            basisRows.push_back(candidates[p]);
            chosen[p] = 1;
        }
        for (size_t p = 0; p < candidates.size(); ++p) {
            if (!chosen[p]) otherRows.push_back(candidates[p]);
        }
        basisPasses = TryChoice(b, basisRows.data(), square.data(), basisX.data());
        if (basisPasses && EarlierChoicesFail(basis, classOf)) {
            for (int j = 0; j < U; ++j) x[j] = basisX[j];
            return 1;
        }
        if (!basisPasses && NoSolutionPasses(b, basisRows, otherRows)) return 0;
    }

    // Point 4: the exact search, within the budget.
    std::vector<double> found(U);
    const SearchOutcome outcome = SearchFirstAccepted(b, candidates, classOf, budget, found.data());
    if (outcome != SEARCH_ABANDONED) {
        *route = ROUTE_SEARCHED;
        if (outcome == SEARCH_NONE) return 0;
        for (int j = 0; j < U; ++j) x[j] = found[j];
        return 1;
    }
    *route = ROUTE_ABANDONED;
    if (!basisPasses) return 0;
    for (int j = 0; j < U; ++j) x[j] = basisX[j];
    return 1;
}

// The square balance, solved in place by GaussSolve and then held to its own
// equations. Rows that are dependent in exact arithmetic need not give an
// exact 0.0 pivot when the counts are fractions (Sr0.3Ba0.7TiO3 beside
// Sr0.6Ba1.4Ti2O6), and the elimination then "solves" the system with
// ratios near 1e15 of opposite signs. So the solution must be finite, the
// rows must each add a clear new direction (the greedy pass's test), and the
// solution must satisfy every equation within RESIDUAL_TOLERANCE.
int SolveSquare(int n, double *matrix, double *x)
{
    const Balance b{n, n, matrix};
    if (HasNonFinite(b)) return 0;
    std::vector<double> original(matrix, matrix + static_cast<size_t>(n) * (n + 1));
    const Balance intact{n, n, original.data()};
    std::vector<int> rows(n);
    for (int i = 0; i < n; ++i) rows[i] = i;
    if (static_cast<int>(GreedyBasis(intact, rows, CopyClasses(intact, rows)).size()) < n) return 0;
    if (GaussSolve(n, matrix, x) != 1) return 0;
    for (int j = 0; j < n; ++j) {
        if (!std::isfinite(x[j])) return 0;
    }
    return ResidualTest(n, n, original.data(), x, RESIDUAL_TOLERANCE);
}

}  // namespace

// E < U fails, E = U solves the square system in place and checks the
// solution, E > U searches a consistent square subsystem.
int SolveLinearSystem(int E, int U, double *matrix, double *x)
{
    if (E < U) return 0;
    if (E == U) {
        if (E < 1 || !matrix || !x) return 0;
        try {
            return SolveSquare(E, matrix, x);
        } catch (const std::bad_alloc &) {
            return 0;
        }
    }
    return SolveOverdetermined(E, U, matrix, x);
}

// Gaussian elimination with scaled partial pivoting on the n x (n + 1)
// augmented matrix, which it overwrites; rows are ordered through a
// permutation vector and never moved. 1 with x filled, 0 singular or n < 1.
QUILLON_NOINLINE int GaussSolve(int n, double *matrix, double *x)
{
    if (n < 1 || !matrix || !x) return 0;
    std::vector<double> scale;
    std::vector<int> order;
    try {
        scale.resize(n);
        order.resize(n);
    } catch (const std::bad_alloc &) {
        return 0;
    }
    const size_t width = static_cast<size_t>(n) + 1;
    auto a = [&](int row, int column) -> double & { return matrix[row * width + column]; };

    for (int i = 0; i < n; ++i) {
        double largest = 0.0;
        for (int j = 0; j < n; ++j) {
            const double magnitude = std::fabs(a(i, j));
            if (magnitude > largest) largest = magnitude;
        }
        if (largest == 0.0) return 0;
        scale[i] = largest;
        order[i] = i;
    }

    for (int k = 0; k < n - 1; ++k) {
        double best = -1.0;
        int q = k;
        for (int i = k; i < n; ++i) {
            const double ratio = std::fabs(a(order[i], k)) / scale[order[i]];
            if (ratio > best) {  // strict: the first of equal ratios wins
                best = ratio;
                q = i;
            }
        }
        const double pivot = a(order[q], k);
        if (pivot == 0.0 || std::isnan(pivot)) return 0;
        if (q != k) std::swap(order[k], order[q]);
        for (int i = k + 1; i < n; ++i) {
            const double m = a(order[i], k) / pivot;
            for (int j = k + 1; j <= n; ++j) a(order[i], j) = a(order[i], j) - m * a(order[k], j);
        }
    }

    const double last = a(order[n - 1], n - 1);
    if (last == 0.0 || std::isnan(last)) return 0;
    x[n - 1] = a(order[n - 1], n) / last;
    for (int i = n - 2; i >= 0; --i) {
        double sum = 0.0;
        for (int j = i + 1; j < n; ++j) sum += a(order[i], j) * x[j];
        x[i] = (a(order[i], n) - sum) / a(order[i], i);
    }
    return 1;
}

// The first choice of U of the E equations, in lexicographic order, whose
// square solution satisfies all E equations; found without enumerating
// (see the comment at the top of this file). The matrix is not changed.
int SolveOverdetermined(int E, int U, const double *matrix, double *x)
{
    return SolveOverdeterminedWithBudget(E, U, matrix, x, DEFAULT_SEARCH_BUDGET, nullptr);
}

// SolveOverdetermined with an explicit budget for its search, reporting the
// route it took.
int SolveOverdeterminedWithBudget(int E, int U, const double *matrix, double *x,
                                  double searchBudget, int *route)
{
    int ignored = 0;
    if (!route) route = &ignored;
    *route = 0;
    if (!matrix || !x || E < 1 || U < 1 || E <= U) return 0;
    try {
        return SolveOverdeterminedChecked(Balance{E, U, matrix}, x, searchBudget, route);
    } catch (const std::bad_alloc &) {
        return 0;
    }
}

// The literal search over every choice of U rows, for tests and benchmarks.
int SolveOverdeterminedExhaustive(int E, int U, const double *matrix, double *x)
{
    if (!matrix || !x || E < 1 || U < 1 || E <= U) return 0;
    const int width = U + 1;
    std::vector<double> square;
    std::vector<int> choice;
    try {
        square.resize(static_cast<size_t>(U) * width);
        choice.resize(U);
    } catch (const std::bad_alloc &) {
        return 0;
    }
    for (int t = 0; t < U; ++t) choice[t] = t;
    for (;;) {
        bool zeroRow = false;
        for (int t = 0; t < U; ++t) {
            const double *row = matrix + static_cast<size_t>(choice[t]) * width;
            bool allZero = true;
            for (int j = 0; j < width; ++j) {
                square[t * width + j] = row[j];
                if (row[j] != 0.0) allZero = false;
            }
            if (allZero) zeroRow = true;
        }
        if (!zeroRow && GaussSolve(U, square.data(), x) &&
            ResidualTest(E, U, matrix, x, RESIDUAL_TOLERANCE)) {
            return 1;
        }
        int t = U - 1;
        while (t >= 0 && choice[t] == E - U + t) --t;
        if (t < 0) return 0;
        ++choice[t];
        for (int k = t + 1; k < U; ++k) choice[k] = choice[k - 1] + 1;
    }
}

// 1 when every one of the first rows rows satisfies
// |rhs - sum(coefficient * x)| < tolerance; a NaN residual fails.
QUILLON_NOINLINE int ResidualTest(int rows, int columns, const double *matrix, const double *x,
                                  double tolerance)
{
    if (rows < 0 || columns < 0) return 0;
    if (rows > 0 && (!matrix || (columns > 0 && !x))) return 0;
    const size_t width = static_cast<size_t>(columns) + 1;
    for (int i = 0; i < rows; ++i) {
        const double *row = matrix + i * width;
        double sum = 0.0;
        for (int j = 0; j < columns; ++j) sum += row[j] * x[j];
        if (!(std::fabs(row[columns] - sum) < tolerance)) return 0;
    }
    return 1;
}
