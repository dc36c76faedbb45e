// The literal search over choices of equations, for the benchmarks: what
// SolveBalance agrees with on every balance whose verdict is clear (the fuzz
// target and the property test hold the solver to an exact rank instead).
#ifndef QUILLON_CORE_SOLVER_REFERENCE_H
#define QUILLON_CORE_SOLVER_REFERENCE_H

// Refuses dependent columns as SolveBalance does, then walks every choice of U
// of the E rows in lexicographic order and returns 1 with x for the first
// whose square GaussSolve succeeds and whose solution balances all E rows
// (BalanceTest with BALANCE_TOLERANCE, scales |rhs|); 0 when none does.
// Exponential in E.
int SolveOverdeterminedExhaustive(int E, int U, const double *matrix, double *x);

#endif
