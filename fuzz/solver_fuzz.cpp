// Fuzzes the balance solver on element balances built from the input: amounts
// from a table (some rows a dopant's, 1e-5 times smaller), ratios planted,
// columns mixed from others (exactly or off by a part in 1e9), right-hand
// sides consistent or put off. Whatever it answers must hold: a solved
// balance is finite and balances; dependent or nearly dependent columns are
// never solved; clearly independent columns with a consistent balance are
// solved with the planted ratios. Columns that are independent in exact
// arithmetic but nearly dependent after the rows are scaled (materials that
// differ only in traces) may go either way: the solver refuses below its
// own threshold, and a solved answer must still balance.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tests/support/exact_rank.h"
#include "core/solver.h"

static void Require(bool condition) { if (!condition) std::abort(); }

namespace {

// The input read as small numbers, then zeros.
struct Bytes {
    const uint8_t *data;
    size_t size, at = 0;
    int Next(int n) { return at < size ? data[at++] % n : 0; }
};

// The smallest share of a column that is new to the columns before it, on
// the rows scaled to a largest coefficient of 1 (the solver's measure of
// independence, here in long double).
double IndependenceMargin(int E, int U, const std::vector<double> &m) {
    std::vector<long double> a(static_cast<size_t>(E) * U), q;
    for (int i = 0; i < E; ++i) {
        long double largest = 0;
        for (int j = 0; j < U; ++j) largest = std::max(largest, std::fabs((long double)m[i * (U + 1) + j]));
        for (int j = 0; j < U; ++j) a[i * U + j] = largest > 0 ? m[i * (U + 1) + j] / largest : 0;
    }
    long double margin = 1;
    std::vector<long double> v(E);
    for (int j = 0; j < U; ++j) {
        long double length = 0;
        for (int i = 0; i < E; ++i) length += (v[i] = a[i * U + j]) * v[i];
        length = std::sqrt(length);
        for (int pass = 0; pass < 2; ++pass) {
            for (size_t d = 0; d < q.size() / E; ++d) {
                long double dot = 0;
                for (int i = 0; i < E; ++i) dot += q[d * E + i] * v[i];
                for (int i = 0; i < E; ++i) v[i] -= dot * q[d * E + i];
            }
        }
        long double rest = 0;
        for (int i = 0; i < E; ++i) rest += v[i] * v[i];
        rest = std::sqrt(rest);
        if (!(length > 0) || !(rest > 0)) return 0;
        margin = std::min(margin, rest / length);
        for (int i = 0; i < E; ++i) q.push_back(v[i] / rest);
    }
    return static_cast<double>(margin);
}

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
    // A hundred times the solver's threshold: clearly independent.
    if (fullRank && !mixed && !off && IndependenceMargin(E, U, m) > 1e-3) {
        Require(result.Solved());
        for (int j = 0; j < U; ++j) Require(std::fabs(x[j] - planted[j]) <= 1e-9 * (1 + planted[j]));
    }
    return 0;
}
