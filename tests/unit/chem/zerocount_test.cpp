// The counts that start with a zero followed by a digit, where a count
// starts (after a symbol, ")" or a hydrate separator) and nowhere else, and
// the formula with the letter O in their place.
#include <gtest/gtest.h>

#include "core/zerocount.h"

namespace {

TEST(ZeroCount, FoundAtTheStartOfCountsOnly) {
    const struct {
        const char *formula;
        const char *counts;  // found, comma separated
        const char *withO;   // the formula with the letter O for them
    } cases[] = {
        {"LiCo02", "02", "LiCoO2"}, {"O01", "01", "OO1"}, {"Li2C03", "03", "Li2CO3"}, {"Ba(N03)2", "03", "Ba(NO3)2"},
        {"(NO3)02", "02", "(NO3)O2"}, {"Co00.5", "00.5", "CoO0.5"}, {"CuSO4*05H2O", "05", "CuSO4*O5H2O"},
        {"CuSO4\xB7" "05H2O", "05", "CuSO4\xB7O5H2O"},            // the stored middle dot: a part's leading count
        {"CuSO4\xC2\xB7" "05H2O", "05", "CuSO4\xC2\xB7O5H2O"},  // the UTF-8 one
        {"Co 02", "02", "Co O2"},    // read as Co2: blanks before a count are skipped
        {"Co02-x", "02", "CoO2-x"},  // a series count
        {"Fe203Co304", "", "Fe203Co304"}, {"Fe02Co03", "02,03", "FeO2CoO3"},  // 203 does not start with a zero
        // What is written as meant: exponents (Co1e05), counts inside a series count (Sr1-05x), the
        // period as a decimal point (O4.05), a leading 02 with nothing before it.
        {"Ba0.5Sr0.5TiO3", "", ""}, {"Sr0.05Ba0.95TiO3", "", ""}, {"Co0", "", ""}, {"Co0e2", "", ""}, {"Co1e05", "", ""},
        {"Co10", "", ""}, {"Co1.05", "", ""}, {"Sr1-05xBa0.5x", "", ""}, {"Sr1-xBaxTiO3", "", ""},
        {"CuSO4\xB7" "5H2O", "", ""}, {"CuSO4.05H2O", "", ""}, {"", "", ""}, {"02", "", ""},
    };
    for (const auto &c : cases) {
        const std::vector<ZeroCount> found = FindZeroCounts(c.formula);
        std::string counts;
        for (const ZeroCount &zero : found) counts += (counts.empty() ? "" : ",") + zero.count;
        EXPECT_EQ(counts, c.counts) << c.formula;
        if (!found.empty()) { EXPECT_EQ(WithLetterO(c.formula, found), c.withO) << c.formula; }
    }
}

}  // namespace
