// Linear algebra of the automatic ratio determination. Matrices are
// row-major arrays of doubles; an augmented matrix with U unknowns has
// U + 1 columns, the last one the right-hand side.
#ifndef QUILLON_CORE_SOLVER_H
#define QUILLON_CORE_SOLVER_H

#include <vector>

// An element balances when what is left over is at most this fraction of the
// amount of the element involved (product, Fixed and solved starting
// materials together). Exact data balance to the rounding of doubles (about
// 1e-16 times the condition of the balance); anything coarser would let a
// ratio drift along a near-dependence of the starting materials: when two of
// them differ only by a dopant at 1e-5, a tolerance t leaves their ratios
// uncertain by t / 1e-5. One part in 1e9 keeps that below 1e-4 of a ratio,
// and holds a dopant at 1e-5 to the same standard as a major element.
const double BALANCE_TOLERANCE = 1e-9;

// What an element may be off by in any case, as a fraction of the largest
// amount in the balance: far above the rounding of a well-posed balance, far
// below the smallest amount a composition keeps relative to its other
// amounts.
const double ROUNDING_FLOOR = 1e-10;

// A starting material to be determined must add a direction at least this
// long, relative to its own column, to those of the ones before it. Counts
// are typed with about six significant digits, so a mixture of other
// materials written with rounded counts (Sr0.333Ba0.667TiO3 beside SrTiO3
// and BaTiO3, Sr0.04Ba0.653333Ca1.30667Ti2O6 beside the three end members)
// differs from the exact mixture by a few parts in a million: any ratios
// found from that difference would magnify the rounding a hundred thousand
// times. The rows are scaled first, so an element present only at 1e-5
// still separates two materials fully.
const double RANK_TOLERANCE = 1e-5;

// Why a balance was or was not solved.
enum class SolveStatus {
    Solved,
    NoUnknowns,        // no column: nothing to determine
    TooFewEquations,   // fewer rows (elements) than unknowns
    NotFinite,         // an entry, or the solution, is not a finite number
    Dependent,         // the columns are numerically dependent (see columns)
    Unbalanced,        // row `row` does not balance within BALANCE_TOLERANCE
};

struct SolveResult {
    SolveStatus status = SolveStatus::NoUnknowns;
    int row = -1;              // Unbalanced: the row that does not balance
    std::vector<int> columns;  // Dependent: the columns involved, ascending;
                               // a single column is a column of zeros
    bool Solved() const { return status == SolveStatus::Solved; }
};

// Solves the E x (U + 1) balance, which it leaves unchanged. rowScale (may be
// null) holds, per row, the amount of the element outside the unknowns (the
// product's and the Fixed rows', as magnitudes); null counts |rhs| instead.
// The columns must be independent (greedy Gram-Schmidt over the columns,
// rows first scaled to a largest entry of 1); the solution (GaussSolve when
// square, else least squares) must be finite and balance every one of the E
// rows (BalanceTest). x receives U values when solved.
SolveResult SolveBalance(int E, int U, const double *matrix, const double *rowScale, double *x);

// Gaussian elimination with scaled partial pivoting on an n x (n + 1)
// augmented matrix, which it overwrites. Returns 1 solved, 0 singular or n < 1.
int GaussSolve(int n, double *matrix, double *x);

// The first of the rows that does not balance for x, or -1 when all do: row i
// balances when |rhs_i - sum_j a_ij x_j| <= tolerance * (s_i + sum_j |a_ij x_j|)
// + ROUNDING_FLOOR * (the largest amount of the balance: right-hand side, row
// scale, or largest coefficient times largest |x|), with s_i the larger of
// rowScale[i] and |rhs_i| (|rhs_i| when rowScale is null). A NaN fails.
int BalanceTest(int rows, int columns, const double *matrix, const double *rowScale, const double *x,
                double tolerance);

#endif
