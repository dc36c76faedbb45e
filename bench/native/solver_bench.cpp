// Speed of the balance solver on element balances of up to 118 equations and
// 30 unknowns, against the literal walk over every choice of equations where
// that walk finishes at all.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/solver.h"
#include "solver_reference.h"

namespace {

enum Kind {
    CONSISTENT = 0,    // a planted solution fits every row
    INCONSISTENT = 1,  // the last row's right-hand side is off by 0.25
    COPIED_ROWS = 2,   // consistent, with every early row repeated once
    RANK_DEFICIENT = 3 // two equal columns and the last row off: refused by the column check
};

// A random E x (U + 1) balance with small integer amounts (a third nonzero).
std::vector<double> MakeSystem(int E, int U, int kind)
{
    std::mt19937 random(12345);
    std::vector<double> planted(U);
    for (int j = 0; j < U; ++j) planted[j] = 0.5 * (1 + random() % 6);
    std::vector<double> m(static_cast<size_t>(E) * (U + 1));
    for (int i = 0; i < E; ++i) {
        for (int j = 0; j < U; ++j) m[i * (U + 1) + j] = random() % 3 == 0 ? 1.0 + random() % 4 : 0.0;
    }
    if (kind == COPIED_ROWS) {
        for (int i = 1; i < E && i < 2 * U; i += 2) {
            for (int j = 0; j < U; ++j) m[i * (U + 1) + j] = m[(i - 1) * (U + 1) + j];
        }
    }
    if (kind == RANK_DEFICIENT) {
        for (int i = 0; i < E; ++i) m[i * (U + 1) + U - 1] = m[i * (U + 1) + U - 2];
    }
    for (int i = 0; i < E; ++i) {
        double rhs = 0.0;
        for (int j = 0; j < U; ++j) rhs += m[i * (U + 1) + j] * planted[j];
        m[i * (U + 1) + U] = rhs;
    }
    if (kind == INCONSISTENT || kind == RANK_DEFICIENT) m[(E - 1) * (U + 1) + U] += 0.25;
    return m;
}

// SolveBalance without row scales; arguments E, U, kind.
void BM_SolveBalance(benchmark::State &state)
{
    const int E = static_cast<int>(state.range(0)), U = static_cast<int>(state.range(1));
    const std::vector<double> m = MakeSystem(E, U, static_cast<int>(state.range(2)));
    std::vector<double> x(U);
    int solved = 0;
    for (auto _ : state) {
        solved = SolveBalance(E, U, m.data(), nullptr, x.data()).Solved() ? 1 : 0;
        benchmark::DoNotOptimize(x.data());
    }
    state.counters["solved"] = solved;
}

// The literal walk over every choice; arguments E, U, kind.
void BM_SolveOverdeterminedExhaustive(benchmark::State &state)
{
    const int E = static_cast<int>(state.range(0)), U = static_cast<int>(state.range(1));
    const std::vector<double> m = MakeSystem(E, U, static_cast<int>(state.range(2)));
    std::vector<double> x(U);
    int solved = 0;
    for (auto _ : state) {
        solved = SolveOverdeterminedExhaustive(E, U, m.data(), x.data());
        benchmark::DoNotOptimize(x.data());
    }
    state.counters["solved"] = solved;
}

}  // namespace

BENCHMARK(BM_SolveBalance)
    ->ArgNames({"E", "U", "kind"})
    ->Args({118, 30, CONSISTENT})
    ->Args({118, 30, INCONSISTENT})
    ->Args({118, 30, COPIED_ROWS})
    ->Args({60, 30, CONSISTENT})
    ->Args({60, 30, INCONSISTENT})
    ->Args({60, 30, COPIED_ROWS})
    ->Args({118, 30, RANK_DEFICIENT})
    ->Args({60, 30, RANK_DEFICIENT})
    ->Args({16, 8, INCONSISTENT})
    ->Args({20, 10, INCONSISTENT})
    ->Unit(benchmark::kMicrosecond);

// The walk finishes quickly only when an early choice passes; a system that
// no choice satisfies costs C(E, U) square solves (C(60, 30) is about 1e17).
BENCHMARK(BM_SolveOverdeterminedExhaustive)
    ->ArgNames({"E", "U", "kind"})
    ->Args({118, 30, CONSISTENT})
    ->Args({16, 8, INCONSISTENT})
    ->Args({20, 10, INCONSISTENT})
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
