// Linear algebra of the automatic ratio determination: Gaussian elimination
// with scaled partial pivoting, the balance test, and the solution of square
// and overdetermined element balances.
//
// A balance is solved only when its answer is unique. Rows that are
// dependent in exact arithmetic need not give an exact 0.0 pivot when the
// counts are fractions (Sr0.9Ba0.1TiO3 is 0.9 SrTiO3 + 0.1 BaTiO3), and the
// elimination then "solves" the system with ratios of any size and sign. So
// the columns (the starting materials to be determined) are first checked
// for numerical independence: Gram-Schmidt over the columns, each of which
// must add a direction longer than RANK_TOLERANCE times its own length. The
// rows are scaled to a largest entry of 1 first, so that an element present
// at 1e-5 separates two starting materials as well as a major element does.
//
// With independent columns at most one ratio vector balances the system. A
// square balance is solved by GaussSolve; a balance with more elements than
// unknowns by least squares from the same Gram-Schmidt factors, which gives
// that one vector when it exists; a second least-squares pass weights each
// row by the amounts it involves, the measure of the balance test, so that a
// trace element is fitted as closely as a major one. Either way the solution
// must then balance all E rows within BALANCE_TOLERANCE of the amounts
// involved (BalanceTest); an element that does not balance makes the whole
// balance fail, and the failure names it.
#include "solver.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>
#include <utility>

// GaussSolve and BalanceTest stay out of line so that every caller runs the
// same machine code; on x87 targets an inlined copy could round differently.
#if defined(__GNUC__)
#define QUILLON_NOINLINE __attribute__((noinline))
#else
#define QUILLON_NOINLINE
#endif

namespace {

// Read access to the E x (U + 1) balance matrix.
struct Balance {
    int E;
    int U;
    const double *matrix;

    const double *Row(int i) const { return matrix + static_cast<size_t>(i) * (U + 1); }
    double Rhs(int i) const { return Row(i)[U]; }
};

double Dot(const double *a, const double *b, int n) {
    double sum = 0.0;
    for (int k = 0; k < n; ++k) sum += a[k] * b[k];
    return sum;
}

double Norm(const double *a, int n) { return std::sqrt(Dot(a, a, n)); }

// True when the matrix or the row scales hold an infinity or a NaN.
bool HasNonFinite(const Balance &b, const double *rowScale) {
    for (int i = 0; i < b.E; ++i) {
        if (rowScale && !std::isfinite(rowScale[i])) return true;
        const double *row = b.Row(i);
        for (int j = 0; j <= b.U; ++j) {
            if (!std::isfinite(row[j])) return true;
        }
    }
    return false;
}

// The columns of the row-scaled coefficients as Q R: orthonormal directions
// q (E entries each) and the upper triangle r (U x U), as far as the columns
// are independent.
struct Factors {
    std::vector<double> weight, q, r;  // weight: the factor of each row
};

// Checks that the columns of the rows times their weights (null: each row
// scaled to a largest entry of 1) are independent. Solved when they are;
// otherwise Dependent with the first column that depends on the ones before
// it and those of them that take part in the dependence.
SolveResult CheckColumns(const Balance &b, const double *weights, Factors &f) {
    const int E = b.E, U = b.U;
    // Column j of the row-scaled coefficients at columns[j * E].
    std::vector<double> columns(static_cast<size_t>(U) * E), w(E);
    std::vector<double> &q = f.q, &r = f.r;
    f.weight.assign(E, 0.0);
    r.assign(static_cast<size_t>(U) * U, 0.0);
    q.clear();
    for (int i = 0; i < E; ++i) {
        const double *row = b.Row(i);
        double largest = 0.0;
        for (int j = 0; j < U; ++j) largest = std::max(largest, std::fabs(row[j]));
        f.weight[i] = weights ? weights[i] : largest > 0.0 ? 1.0 / largest : 0.0;
        for (int j = 0; j < U; ++j) columns[static_cast<size_t>(j) * E + i] = row[j] * f.weight[i];
    }
    SolveResult result;
    result.status = SolveStatus::Solved;
    for (int j = 0; j < U; ++j) {
        const double *a = &columns[static_cast<size_t>(j) * E];
        std::copy(a, a + E, w.begin());
        // Two projection passes keep the directions orthogonal to working accuracy.
        for (int pass = 0; pass < 2; ++pass) {
            for (int k = 0; k < j; ++k) {
                const double *qk = &q[static_cast<size_t>(k) * E];
                const double d = Dot(qk, w.data(), E);
                r[static_cast<size_t>(k) * U + j] += d;
                for (int i = 0; i < E; ++i) w[i] -= d * qk[i];
            }
        }
        const double length = Norm(a, E), rest = Norm(w.data(), E);
        if (length > 0.0 && rest > RANK_TOLERANCE * length) {
            r[static_cast<size_t>(j) * U + j] = rest;
            for (int i = 0; i < E; ++i) q.push_back(w[i] / rest);
            continue;
        }
        // Column j = sum_k c_k column k: solve R c = (the projections) upwards.
        result.status = SolveStatus::Dependent;
        std::vector<double> c(j);
        for (int k = j - 1; k >= 0; --k) {
            double sum = r[static_cast<size_t>(k) * U + j];
            for (int m = k + 1; m < j; ++m) sum -= r[static_cast<size_t>(k) * U + m] * c[m];
            c[k] = sum / r[static_cast<size_t>(k) * U + k];
        }
        for (int k = 0; k < j && length > 0.0; ++k) {
            if (std::fabs(c[k]) * Norm(&columns[static_cast<size_t>(k) * E], E) > 1e-6 * length) {
                result.columns.push_back(k);
            }
        }
        result.columns.push_back(j);
        return result;
    }
    return result;
}

// The least-squares solution of the row-scaled balance from its factors:
// R x = Q^T b, the projections taken twice like the columns'.
void LeastSquares(const Balance &b, const Factors &f, double *x) {
    const int E = b.E, U = b.U;
    std::vector<double> w(E), d(U, 0.0);
    for (int i = 0; i < E; ++i) w[i] = b.Rhs(i) * f.weight[i];
    for (int pass = 0; pass < 2; ++pass) {
        for (int k = 0; k < U; ++k) {
            const double *qk = &f.q[static_cast<size_t>(k) * E];
            const double dot = Dot(qk, w.data(), E);
            d[k] += dot;
            for (int i = 0; i < E; ++i) w[i] -= dot * qk[i];
        }
    }
    for (int k = U - 1; k >= 0; --k) {
        double sum = d[k];
        for (int m = k + 1; m < U; ++m) sum -= f.r[static_cast<size_t>(k) * U + m] * x[m];
        x[k] = sum / f.r[static_cast<size_t>(k) * U + k];
    }
}

// Every column, as the dependence when no finer one is known.
SolveResult AllColumnsDependent(int U) {
    SolveResult result;
    result.status = SolveStatus::Dependent;
    for (int j = 0; j < U; ++j) result.columns.push_back(j);
    return result;
}

// SolveBalance after the argument checks; may throw bad_alloc.
SolveResult SolveChecked(const Balance &b, const double *rowScale, double *x) {
    SolveResult result;
    if (HasNonFinite(b, rowScale)) {
        result.status = SolveStatus::NotFinite;
        return result;
    }
    Factors factors;
    result = CheckColumns(b, nullptr, factors);
    if (!result.Solved()) return result;

    // Square: the elimination of all rows. More rows: the least-squares
    // solution, which is the solution when the balance holds.
    const int width = b.U + 1;
    std::vector<double> solution(b.U);
    if (b.E == b.U) {
        std::vector<double> square(b.matrix, b.matrix + static_cast<size_t>(b.U) * width);
        if (GaussSolve(b.U, square.data(), solution.data()) != 1) return AllColumnsDependent(b.U);
    } else {
        LeastSquares(b, factors, solution.data());
        // Once more with each row weighted by the amounts it involves, the
        // measure of BalanceTest, so that an element present at 1e-5 is
        // fitted as closely as a major one.
        std::vector<double> weights(b.E);
        double largest = 0.0;
        for (int i = 0; i < b.E; ++i) {
            double involved = std::fabs(b.Rhs(i)) + (rowScale ? rowScale[i] : 0.0);
            for (int j = 0; j < b.U; ++j) involved += std::fabs(b.Row(i)[j] * solution[j]);
            weights[i] = involved;
            largest = std::max(largest, involved);
        }
        for (double &w : weights) w = 1.0 / (w + ROUNDING_FLOOR * largest);
        Factors weighted;
        std::vector<double> refined(b.U);
        if (largest > 0.0 && std::isfinite(largest) && CheckColumns(b, weights.data(), weighted).Solved()) {
            LeastSquares(b, weighted, refined.data());
            if (BalanceTest(b.E, b.U, b.matrix, rowScale, refined.data(), BALANCE_TOLERANCE) < 0) solution = refined;
        }
    }
    for (double value : solution) {
        if (!std::isfinite(value)) {
            result.status = SolveStatus::NotFinite;
            return result;
        }
    }
    const int failing = BalanceTest(b.E, b.U, b.matrix, rowScale, solution.data(), BALANCE_TOLERANCE);
    if (failing >= 0) {
        result.status = SolveStatus::Unbalanced;
        result.row = failing;
        return result;
    }
    std::copy(solution.begin(), solution.end(), x);
    result.status = SolveStatus::Solved;
    return result;
}

}  // namespace

// The checks in the order of the header: unknowns, equations, finiteness,
// independent columns, then the solution and its balance.
SolveResult SolveBalance(int E, int U, const double *matrix, const double *rowScale, double *x) {
    SolveResult result;
    if (U < 1) return result;
    if (E < U) {
        result.status = SolveStatus::TooFewEquations;
        return result;
    }
    if (!matrix || !x) {
        result.status = SolveStatus::NotFinite;
        return result;
    }
    try {
        return SolveChecked(Balance{E, U, matrix}, rowScale, x);
    } catch (const std::bad_alloc &) {
        return AllColumnsDependent(0);
    }
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

// The first row that does not balance for x, or -1. Besides the amounts of
// its own row, each row is allowed ROUNDING_FLOOR of the largest amount in
// the balance (the largest right-hand side or row scale, or the largest
// coefficient at the largest ratio): an element that the solution leaves at
// zero still carries the rounding of the other elements' arithmetic.
QUILLON_NOINLINE int BalanceTest(int rows, int columns, const double *matrix, const double *rowScale,
                                 const double *x, double tolerance)
{
    if (rows < 0 || columns < 0) return 0;
    if (rows > 0 && (!matrix || (columns > 0 && !x))) return 0;
    const size_t width = static_cast<size_t>(columns) + 1;
    double largest = 0.0, coefficient = 0.0, ratio = 0.0;
    for (int j = 0; j < columns; ++j) ratio = std::max(ratio, std::fabs(x[j]));
    for (int i = 0; i < rows; ++i) {
        const double *row = matrix + i * width;
        largest = std::max(largest, std::fabs(row[columns]));
        if (rowScale) largest = std::max(largest, rowScale[i]);
        for (int j = 0; j < columns; ++j) coefficient = std::max(coefficient, std::fabs(row[j]));
    }
    // The largest amount any starting material could bring at the largest ratio.
    largest = std::max(largest, coefficient * ratio);
    for (int i = 0; i < rows; ++i) {
        const double *row = matrix + i * width;
        double sum = 0.0, involved = 0.0;
        for (int j = 0; j < columns; ++j) {
            sum += row[j] * x[j];
            involved += std::fabs(row[j] * x[j]);
        }
        const double outside = std::fabs(row[columns]);
        involved += rowScale ? std::max(rowScale[i], outside) : outside;
        if (!(std::fabs(row[columns] - sum) <= tolerance * involved + ROUNDING_FLOOR * largest)) return i;
    }
    return -1;
}
