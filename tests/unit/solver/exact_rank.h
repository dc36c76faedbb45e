// The rank of a matrix of decimals (at most twelve places), computed exactly:
// entries scaled to integers and eliminated modulo the prime 2^32 - 5 (a
// full rank lost to the prime is a chance of one in four billion).
#ifndef QUILLON_TESTS_EXACT_RANK_H
#define QUILLON_TESTS_EXACT_RANK_H

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

inline uint64_t MulMod(uint64_t a, uint64_t b, uint64_t p) {
    return a * b % p;  // both below 2^32
}

inline uint64_t PowMod(uint64_t a, uint64_t e, uint64_t p) {
    uint64_t r = 1;
    for (; e; e >>= 1, a = MulMod(a, a, p)) {
        if (e & 1) r = MulMod(r, a, p);
    }
    return r;
}

// Rank of the rows x columns matrix at entry(i, j).
template <class Entry>
int ExactRank(int rows, int columns, Entry entry) {
    const uint64_t p = 4294967291u;
    std::vector<std::vector<uint64_t>> m(rows, std::vector<uint64_t>(columns));
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            const long long v = std::llround(entry(i, j) * 1e12);
            m[i][j] = v >= 0 ? uint64_t(v) % p : p - uint64_t(-v) % p;
        }
    }
    int rank = 0;
    for (int j = 0; j < columns && rank < rows; ++j) {
        int pivot = rank;
        while (pivot < rows && m[pivot][j] == 0) ++pivot;
        if (pivot == rows) continue;
        std::swap(m[pivot], m[rank]);
        const uint64_t inverse = PowMod(m[rank][j], p - 2, p);
        for (int i = rank + 1; i < rows; ++i) {
            const uint64_t f = MulMod(m[i][j], inverse, p);
            for (int k = j; k < columns; ++k) m[i][k] = (m[i][k] + p - MulMod(f, m[rank][k], p)) % p;
        }
        ++rank;
    }
    return rank;
}

#endif
