// The stock solution: units per formula, grams against exact fractions, and
// every refusal.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "core/stock.h"
#include "tests/support/chemistry.h"

namespace {

// Masses of tests/data/chem_elements.lst in units of 1e-7 g/mol.
const std::map<std::string, long long> MASS = {{"H", 10079400}, {"N", 140067000}, {"O", 159994000},
                                               {"S", 320650000}, {"Y", 889058500}, {"Cu", 635460000}};

using Count = std::pair<const char *, int>;  // a symbol and its count

}  // namespace

// Refusals, then solids whose atoms are counted by hand against n, purity, molarity and volume as
// fractions (value = num / den).
TEST(StockTest, GramsAgainstFractionsAndEveryRefusal) {
    LoadTestElements();
    const struct { const char *solid, *unit; double purity, molarity, volume; StockStatus status; } refused[] = {
        {"Xx2O3", "Y", 100, 1, 1, StockStatus::BadSolid},      {"Y2O3", "Y(", 100, 1, 1, StockStatus::BadUnit},
        {"Y2O3", "Y0", 100, 1, 1, StockStatus::BadUnit},       {"Y2O3", "YBa", 100, 1, 1, StockStatus::UnitNotInSolid},
        {"Y2O3", "Y", 0, 1, 1, StockStatus::BadPurity},        {"Y2O3", "Y", 100.00001, 1, 1, StockStatus::BadPurity},
        {"Y2O3", "Y", NAN, 1, 1, StockStatus::BadPurity},      {"Y2O3", "Y", 100, -1, 1, StockStatus::BadMolarity},
        {"Y2O3", "Y", 100, INFINITY, 1, StockStatus::BadMolarity}, {"Y2O3", "Y", 100, 1, 0, StockStatus::BadVolume},
        {"Y2O3", "Y", 100, 1e300, 1e300, StockStatus::NotFinite},
    };
    for (const auto &c : refused) {
        StockInput input{c.solid, c.unit, c.purity, c.molarity, c.volume};
        const StockResult result = CalculateStock(Parser(), input);
        EXPECT_EQ(c.status, result.status) << c.solid << " / " << c.unit;
        EXPECT_EQ(c.status == StockStatus::UnitNotInSolid ? "Ba" : "", result.missing) << c.unit;
        EXPECT_FALSE(StockProblem(input, result).empty()) << c.solid << " / " << c.unit;
    }
    const std::vector<Count> yNitrate = {{"Y", 1}, {"N", 3}, {"O", 15}, {"H", 12}};
    const struct {
        const char *solid, *unit;
        double purity, molarity, volume;
        std::vector<Count> atoms;
        long long nNum, nDen, pNum, pDen, cNum, cDen, vNum, vDen;
    } cases[] = {
        {"Y(NO3)3\xC2\xB7" "6H2O", "Y", 99.9, 0.5, 50, yNitrate, 1, 1, 999, 10, 1, 2, 50, 1},
        // O is 15/9 of Y(NO3)3's, N 3/3: the smallest ratio counts.
        {"Y(NO3)3\xB7" "6H2O", "Y(NO3)3", 100, 0.25, 12.5, yNitrate, 1, 1, 100, 1, 1, 4, 25, 2},
        {"Y(NO3)3*6H2O", "NO3", 98.5, 1.2, 100, yNitrate, 3, 1, 985, 10, 6, 5, 100, 1},
        {"CuSO4\xB7" "5H2O", "", 100, 0.1, 250, {{"Cu", 1}, {"S", 1}, {"O", 9}, {"H", 10}}, 1, 1, 100, 1, 1, 10, 250, 1},
        {"Y(NO3)3\xB7" "6H2O", "Y2", 100, 0.01, 1, yNitrate, 1, 2, 100, 1, 1, 100, 1, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.solid) + " / " + c.unit);
        StockInput input{c.solid, c.unit, c.purity, c.molarity, c.volume};
        const StockResult result = CalculateStock(Parser(), input);
        ASSERT_EQ(StockStatus::Done, result.status);
        EXPECT_EQ("", result.missing);
        EXPECT_TRUE(StockProblem(input, result).empty());
        long long mass = 0;  // 1e-7 g/mol
        for (const Count &a : c.atoms) mass += a.second * MASS.at(a.first);
        // grams = c * V / 1000 / n * M * 100 / p, one fraction, one division (products of integers in a
        // 64-bit mantissa: far finer than the tolerance, and built the same in every build)
        const long double num = static_cast<long double>(c.cNum) * c.vNum * c.nDen * mass * 100 * c.pDen;
        const long double den = static_cast<long double>(c.cDen) * c.vDen * 1000 * c.nNum * 10000000 * c.pNum;
        EXPECT_NEAR(double(c.nNum) / double(c.nDen), result.unitsPerFormula, 0.0);
        const double expected = double(num / den);
        EXPECT_NEAR(expected, result.grams, expected * 1e-14);
    }
}

TEST(StockTest, TextShowsTheSheetsDigits) {
    LoadTestElements();
    StockInput input{"Y2(SO4)3", "SO4", 99.5, 0.5, 10};
    const StockResult result = CalculateStock(Parser(), input);
    EXPECT_EQ("Dissolve 0.78057 g of Y2(SO4)3 (99.5 %) to make 10 mL of 0.5 mol/L SO4 (3 SO4 per formula).\n",
              StockText(input, result));
}
