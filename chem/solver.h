// Linear algebra of the automatic ratio determination. Matrices are
// row-major arrays of doubles; an augmented matrix with U unknowns has
// U + 1 columns, the last one the right-hand side.
#ifndef QUILLON_CHEM_SOLVER_H
#define QUILLON_CHEM_SOLVER_H

// E equations, U unknowns: E < U fails; E = U GaussSolve, accepted only
// when the rows are numerically independent and the solution is finite and
// satisfies every equation within RESIDUAL_TOLERANCE; E > U
// SolveOverdetermined. Returns 1 with x[0..U-1] filled, else 0.
int SolveLinearSystem(int E, int U, double *matrix, double *x);

// Gaussian elimination with scaled partial pivoting on an n x (n + 1)
// augmented matrix, which it overwrites. Returns 1 solved, 0 singular or n < 1.
int GaussSolve(int n, double *matrix, double *x);

// The first choice of U of the E equations, in lexicographic order of row
// indices, whose square solution satisfies all E equations within
// RESIDUAL_TOLERANCE. The matrix is left unchanged. Returns 1 with x, else 0.
int SolveOverdetermined(int E, int U, const double *matrix, double *x);

// 1 when every row satisfies |rhs - sum(coefficient * x)| < tolerance.
// columns is the number of unknowns; the row stride is columns + 1.
int ResidualTest(int rows, int columns, const double *matrix, const double *x, double tolerance);

#endif
