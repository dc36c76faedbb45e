// The literal search over choices of equations, for the benchmarks: what
// SolveBalance agrees with on every balance whose verdict is clear (the fuzz
// target and the property test hold the solver to an exact rank instead).
#ifndef QUILLON_BENCH_NATIVE_SOLVER_REFERENCE_H
#define QUILLON_BENCH_NATIVE_SOLVER_REFERENCE_H

#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

#include "core/solver.h"

// Refuses what SolveBalance refuses as not finite or dependent, then walks
// every choice of U of the E rows in lexicographic order and returns 1 with
// x for the first whose square GaussSolve succeeds and whose solution
// balances all E rows (BalanceTest with BALANCE_TOLERANCE, scales |rhs|); 0
// when none does. Exponential in E.
inline int SolveOverdeterminedExhaustive(int E, int U, const double *matrix, double *x) {
    if (!matrix || !x || U < 1 || E < U) return 0;
    try {
        const SolveStatus status = SolveBalance(E, U, matrix, nullptr, x).status;
        if (status == SolveStatus::NotFinite || status == SolveStatus::Dependent) return 0;
        const size_t width = static_cast<size_t>(U) + 1;
        std::vector<double> square(static_cast<size_t>(U) * width);
        std::vector<int> choice(static_cast<size_t>(U));
        for (int t = 0; t < U; ++t) choice[static_cast<size_t>(t)] = t;
        for (;;) {
            for (size_t t = 0; t < choice.size(); ++t) {
                const double *row = matrix + static_cast<size_t>(choice[t]) * width;
                std::copy(row, row + width, &square[t * width]);
            }
            if (GaussSolve(U, square.data(), x) && BalanceTest(E, U, matrix, nullptr, x, BALANCE_TOLERANCE) < 0)
                return 1;
            int t = U - 1;
            while (t >= 0 && choice[static_cast<size_t>(t)] == E - U + t) --t;
            if (t < 0) return 0;
            ++choice[static_cast<size_t>(t)];
            for (int k = t + 1; k < U; ++k) choice[static_cast<size_t>(k)] = choice[static_cast<size_t>(k) - 1] + 1;
        }
    } catch (const std::bad_alloc &) {
        return 0;
    }
}

#endif
