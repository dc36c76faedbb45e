// Fuzzes the balance solver on element balances built from the input: amounts
// from a table (some rows a dopant's, 1e-5 times smaller), ratios planted,
// columns mixed from others (exactly or off by a part in 1e9), right-hand
// sides consistent or put off. Whatever it answers must hold: a solved
// balance is finite and balances; dependent or nearly dependent columns are
// never solved; independent columns with a consistent balance are solved
// with the planted ratios.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tests/unit/solver/exact_rank.h"
#include "core/solver.h"

static void Require(bool condition) { if (!condition) std::abort(); }

namespace {

// The input read as small numbers, then zeros.
struct Bytes {
    const uint8_t *data;
    size_t size, at = 0;
    int Next(int n) { return at < size ? data[at++] % n : 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const double AMOUNTS[] = {0, 0, 0, 1, 2, 3, 4, 0.5, 0.25, 1.5, 0.1, 0.3, 0.7};
    static const double RATIOS[] = {1, 2, 0.5, 0.25, 3, 0.00001, 0, 1.5};
    static const double SHARES[] = {0.5, 0.3, 0.7, 0.25, 0.9, 0.1};
    Bytes in{data, size};
    const int E = 1 + in.Next(9), U = 1 + in.Next(7);
    std::vector<double> m(static_cast<size_t>(E) * (U + 1), 0.0), planted(U), x(U, -1.0);
    auto at = [&](int i, int j) -> double & { return m[static_cast<size_t>(i) * (U + 1) + j]; };
    for (int i = 0; i < E; ++i) {
        const double dopant = in.Next(5) == 0 ? 0.00001 : 1.0;
        for (int j = 0; j < U; ++j) at(i, j) = dopant * AMOUNTS[in.Next(13)];
    }
    // Column k becomes a mixture of columns a and b, maybe off by a part in 1e9.
    const int mixing = in.Next(3), k = in.Next(U), a = in.Next(U), b = in.Next(U);
    const bool mixed = mixing > 0 && U >= 2 && k != a && k != b;
    if (mixed) {
        const double s = SHARES[in.Next(6)], nudge = mixing == 2 ? 1 + 1e-9 : 1.0;
        for (int i = 0; i < E; ++i) at(i, k) = (s * at(i, a) + (1 - s) * at(i, b)) * nudge;
    }
    for (int j = 0; j < U; ++j) planted[j] = RATIOS[in.Next(8)];
    for (int i = 0; i < E; ++i) {
        for (int j = 0; j < U; ++j) at(i, U) += at(i, j) * planted[j];
    }
    const bool off = in.Next(4) == 0;
    if (off) at(in.Next(E), U) += 0.01 * (1 + in.Next(100));

    const SolveResult result = SolveBalance(E, U, m.data(), nullptr, x.data());
    const bool fullRank = E >= U && ExactRank(E, U, [&](int i, int j) { return at(i, j); }) == U;
    if (result.Solved()) {
        for (double value : x) Require(std::isfinite(value));
        Require(BalanceTest(E, U, m.data(), nullptr, x.data(), BALANCE_TOLERANCE) < 0);
    }
    if (!fullRank || mixed) Require(!result.Solved());
    if (fullRank && !mixed && !off) {
        Require(result.Solved());
        for (int j = 0; j < U; ++j) Require(std::fabs(x[j] - planted[j]) <= 1e-9 * (1 + planted[j]));
    }
    return 0;
}
