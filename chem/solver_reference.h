// Access to the overdetermined search for tests and benchmarks: the plain
// exhaustive search it must agree with, and the search with an explicit
// work budget that reports which way it reached its answer.
#ifndef QUILLON_CHEM_SOLVER_REFERENCE_H
#define QUILLON_CHEM_SOLVER_REFERENCE_H

// How SolveOverdeterminedWithBudget reached its answer.
enum OverdeterminedRoute {
    ROUTE_DECIDED = 1,    // settled without enumerating choices (always the exhaustive answer)
    ROUTE_SEARCHED = 2,   // settled by the pruned search in full (always the exhaustive answer)
    ROUTE_ABANDONED = 3   // the search ran out of budget; the answer of the greedy choice
};

// Work units (about one multiply-add each) that SolveOverdetermined allows
// its pruned search before it settles for the greedy choice.
const double DEFAULT_SEARCH_BUDGET = 1e7;

// The literal search: every choice of U rows in lexicographic order, the first
// whose square solve succeeds and whose solution passes ResidualTest over all
// E rows. Exponential in E; for tests and benchmarks only.
int SolveOverdeterminedExhaustive(int E, int U, const double *matrix, double *x);

// SolveOverdetermined with the search budget given; *route (if not null)
// receives an OverdeterminedRoute when the preconditions hold, else 0.
int SolveOverdeterminedWithBudget(int E, int U, const double *matrix, double *x,
                                  double searchBudget, int *route);

#endif
