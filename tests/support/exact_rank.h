// The oracle of the solver's tests and fuzz target: the rank of a matrix of
// decimals (at most twelve places), computed exactly. Entries are scaled to
// integers and eliminated modulo the prime 2^32 - 5 (a full rank lost to the
// prime is a chance of one in four billion).
#ifndef QUILLON_TESTS_SUPPORT_EXACT_RANK_H
#define QUILLON_TESTS_SUPPORT_EXACT_RANK_H

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

// Rank of the rows x columns matrix at entry(i, j).
template <class Entry>
int ExactRank(int rows, int columns, Entry entry) {
    const uint64_t p = 4294967291u;  // products of two residues fit 64 bits
    std::vector<std::vector<uint64_t>> m(rows, std::vector<uint64_t>(columns));
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < columns; ++j) {
            const long long v = std::llround(entry(i, j) * 1e12);
            m[i][j] = v >= 0 ? uint64_t(v) % p : p - uint64_t(-v) % p;
        }
    int rank = 0;
    for (int j = 0; j < columns && rank < rows; ++j) {
        int pivot = rank;
        while (pivot < rows && m[pivot][j] == 0) ++pivot;
        if (pivot == rows) continue;
        std::swap(m[pivot], m[rank]);
        uint64_t inverse = 1;  // m[rank][j]^(p - 2), Fermat's inverse
        for (uint64_t e = p - 2, a = m[rank][j]; e; e >>= 1, a = a * a % p)
            if (e & 1) inverse = inverse * a % p;
        for (int i = rank + 1; i < rows; ++i) {
            const uint64_t f = m[i][j] * inverse % p;
            for (int k = j; k < columns; ++k) m[i][k] = (m[i][k] + p - f * m[rank][k] % p) % p;
        }
        ++rank;
    }
    return rank;
}

#endif
