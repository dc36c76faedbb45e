// A stock solution: the grams of a solid (of a given purity) to dissolve for
// V mL of a solution that holds c mol/L of a formula unit, such as Y or
// Y(NO3)3 from Y(NO3)3·6H2O.
//
// The solid holds n units per formula: the largest n such that it holds n
// times the unit's amount of every element of the unit (the smallest ratio
// of the solid's amount to the unit's over the unit's elements). A unit with
// an element the solid lacks is refused. The grams are
// c * V / 1000 / n * M(solid) / (purity / 100). Portable.
#ifndef QUILLON_CORE_STOCK_H
#define QUILLON_CORE_STOCK_H

#include <string>

#include "formula.h"

enum class StockStatus {
    Done,
    BadSolid,        // the solid's formula does not read
    BadUnit,         // the unit's formula does not read, or holds no element in a positive amount
    UnitNotInSolid,  // an element of the unit is not in the solid (StockResult::missing names it)
    BadPurity,       // not in (0, 100]
    BadMolarity,     // not a positive finite number
    BadVolume,       // not a positive finite number
    NotFinite,       // the grams (or the solid's molar mass) come out not finite
};

struct StockInput {
    std::string solid;  // formulas as typed (stored or UTF-8 middle dot)
    std::string unit;   // empty: the solid itself
    double purity = 100.0;  // %
    double molarity = 0.0;  // mol/L of the unit
    double volumeMl = 0.0;
};

struct StockResult {
    StockStatus status = StockStatus::BadSolid;
    std::string missing;          // UnitNotInSolid: the symbol of the element the solid lacks
    double unitsPerFormula = 0.0; // n
    double solidMolarMass = 0.0;
    double unitMol = 0.0;         // mol of the unit in the solution
    double solidMol = 0.0;        // mol of the solid's formula
    double grams = 0.0;           // grams of the solid as it is (purity in)
};

StockResult CalculateStock(const CFormulaParser &parser, const StockInput &input);

// The unit as named in the outputs: the unit's formula, or the solid's when none is given.
std::string StockUnit(const StockInput &input);

// Why the input is refused, one sentence (empty for Done): the program's
// message and quillon-cli's.
std::string StockProblem(const StockInput &input, const StockResult &result);

// The result as one line of text (LF) and as a JSON object (numbers at full
// precision, formulas with the stored middle dot).
std::string StockText(const StockInput &input, const StockResult &result);
std::string StockJson(const StockInput &input, const StockResult &result);

#endif
