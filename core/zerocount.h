// Counts that start with a zero followed by a digit: LiCo02, O01, (NO3)02,
// CuSO4·02H2O. Nobody writes a count of 2 as "02"; such a count is almost
// always the letter O typed as the digit zero, a typo the parser cannot see
// (LiCo02 reads as LiCo2). Counts that start "0." (Ba0.5, Sr0.05) and a
// count of 0 alone are what they say.
//
// A count starts after an element symbol (a capital and its small letters;
// the x of a series formula is never part of one), after ")", and after a
// hydrate separator (the part's leading count); blanks before it are
// skipped, as the number reader skips them. Only the start of a count is
// looked at: the 05 of Sr1-05x is no count of its own, the 05 of Co1e05 is
// an exponent. Portable.
#ifndef QUILLON_CORE_ZEROCOUNT_H
#define QUILLON_CORE_ZEROCOUNT_H

#include <cstddef>
#include <string>
#include <vector>

struct ZeroCount {
    size_t position = 0;  // of the zero in the formula text
    std::string count;    // the count's digits and points as typed: "02", "00.5"
};

// Every such count of formula, in text order.
std::vector<ZeroCount> FindZeroCounts(const char *formula);

// formula with the zero of each count made the letter O: LiCo02 -> LiCoO2.
std::string WithLetterO(const char *formula, const std::vector<ZeroCount> &counts);

#endif
