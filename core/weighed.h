// What was weighed: the composition that the masses actually put on the
// balance make, against the product they were meant for.
//
// Each row's moles are its weighed grams times its purity over its molar
// mass, less the excess the sheet adds to that row (the excess is meant to
// leave in the furnace, so it is no deviation); the element
// totals are summed over the rows (every amount kept, a dopant of a
// milligram batch too) and then normalised so that the balanced elements
// add up to the same number of atoms as in the product formula. The
// balanced elements are the product's elements that the element selection
// holds; when it holds none, those the sheet's ratios bring in the product's
// amounts (the outputs name them; with none, nothing is judged). Each balanced element's deviation is
// (normalised - product count) / product count in %; an element of the
// selection that the product lacks is past the tolerance when weighed at all. Weighing exactly the
// sheet's masses gives back the product's counts (to rounding). Other
// elements (oxygen of carbonates, carbon) are listed, not judged: what
// leaves in the furnace is no deviation.
//
// The masses make a batch of their own size: the grams of product their
// balanced elements give. Each row's deviation compares its weighed mass
// with the sheet's mass scaled to that batch, so a batch weighed larger as a
// whole deviates nowhere, and the row that was weighed wrong stands out. A
// row is past the tolerance when that deviation passes it (a row the sheet
// weighs at 0 g is past it as soon as anything of it was weighed). No
// output shows a number that is not finite: such a row's deviation is
// "not on sheet" (empty in CSV, null in JSON).
//
// A row dispensed by volume is given in millilitres, which stand for the
// grams its form makes of them (DispensedGrams): a neat liquid's mL times
// its density (the liquid's grams: purity counts as for a mass weighed), a
// solution's mL times its molarity and the molar mass (the compound's
// grams), a mass fraction's mL times the solution's density and the
// fraction. A volume of a row weighed as a solid, or of a mass fraction
// without a density, makes no grams: the check refuses it. The grams given
// for a solution are the solution's, what the balance showed (SolutionGrams):
// a mass fraction's times the fraction, a molar solution's through its
// density and molarity (without a density they make no amount: refused).
// Portable.
#ifndef QUILLON_CORE_WEIGHED_H
#define QUILLON_CORE_WEIGHED_H

#include <string>
#include <vector>

#include "framework/afxstr.h"
#include "quillon/rows.h"
#include "sheet.h"

class CReaction;
class LedraRowStore;

const double DEFAULT_WEIGHED_TOLERANCE = 0.5;  // %

struct WeighedRow {
    int row = 0;              // the row number the mass was given for
    CString formula;
    double molarMass = 0.0;
    double sheetGrams = 0.0;   // what the sheet puts on the balance (purity and excess in)
    double targetGrams = 0.0;  // the sheet's grams scaled to the batch the masses make
    double weighedGrams = 0.0;  // for a row dispensed by volume: the grams its millilitres stand for
    bool byVolume = false;      // dispensed: given in millilitres
    double millilitres = 0.0;
    double deviation = 0.0;   // %, against the sheet scaled to the batch; infinite when the sheet weighs 0
    bool past = false;
};

struct WeighedElement {
    CString symbol;
    double target = 0.0;      // count in the product formula (0 when not in it)
    double weighed = 0.0;     // normalised count the weighed masses give
    bool balanced = false;    // judged: a balanced element of the product
    double deviation = 0.0;   // %, for balanced elements (infinite for a selected one the product lacks)
    bool past = false;
};

enum class WeighedStatus {
    Done,
    NoneWeighed,   // the masses hold none of the balanced elements
    NoneBalanced,  // the selection holds none of the product's elements and the sheet's ratios balance none
    Overflow,      // the masses are so large that the numbers are not finite
    BadVolume,     // a volume (or a solution's grams) its row's form makes no grams of (refusal says which)
};

// Why nothing is judged, as the text output says it (empty for Done).
const char *WeighedWhyNot(WeighedStatus status);

struct WeighedResult {
    bool done = false;        // status is Done: rows and deviations are filled in
    WeighedStatus status = WeighedStatus::NoneWeighed;
    CString basis;            // the elements compared when they are not the selection's; empty when they are
    CString refusal;          // BadVolume: why (DispenseProblem)
    CString sampleId;
    CString productFormula;
    double amount = 0.0;        // grams of product the sheet is for
    double productGrams = 0.0;  // grams of product the weighed masses make
    double tolerance = DEFAULT_WEIGHED_TOLERANCE;
    std::vector<WeighedRow> rows;
    std::vector<WeighedElement> elements;  // the product's in formula order, then the others
    // Done, and every balanced element and every row within the tolerance.
    bool Within() const;
    // Some row was dispensed by volume: the outputs show the millilitres.
    bool AnyVolume() const;
};

// What was put in of one starting material: grams weighed, or millilitres dispensed.
struct WeighedAmount {
    double grams = 0.0;        // 0 or more; 0 when byVolume
    bool byVolume = false;
    double millilitres = 0.0;  // 0 or more, when byVolume
    bool operator==(const WeighedAmount &other) const {
        return grams == other.grams && byVolume == other.byVolume && millilitres == other.millilitres;
    }
};

// Whether millilitres of a sheet's row make grams the check can take.
enum class DispenseCheck {
    Converted,
    Solid,              // the row is weighed as a solid
    FractionNoDensity,  // a mass fraction without the solution's density
    MolarNoDensity,     // grams of a solution of known molarity without its density
};

// The grams the check takes for millilitres dispensed of reactant (see
// above) into *grams; *grams is 0 when they make none.
DispenseCheck DispensedGrams(const SheetReactant &reactant, double millilitres, double *grams);
// Why a volume is refused, naming the row as material ("SiO2 (row 3)"); empty for Converted.
CString DispenseProblem(DispenseCheck check, const char *material);

// The check of amounts[i] (grams weighed or millilitres dispensed) for
// starting material i of reaction (whose RunCalculation has succeeded) and
// its sheet; rowNumbers[i] names the row.
WeighedResult CheckWeighed(const CReaction &reaction, const WeighingSheet &sheet, const std::vector<int> &rowNumbers,
                           const std::vector<WeighedAmount> &amounts, double tolerance);
// The same of grams alone: weighed[i] grams of starting material i.
WeighedResult CheckWeighed(const CReaction &reaction, const WeighingSheet &sheet, const std::vector<int> &rowNumbers,
                           const std::vector<double> &weighed, double tolerance);

// ---- The masses the entry keeps (dialog, files, quillon-cli) ----

// The grams weighed (or millilitres dispensed) of one list row and the
// formula they were given for.
struct WeighedRowMass {
    CString formula;       // empty: no mass for the row
    WeighedAmount amount;  // a mass or a volume
};

// The masses weighed of an entry, keyed by the list's row number (index =
// row number - 1), and the tolerance they are judged by. Like the batch
// values, a row's mass belongs to the formula it was weighed for: it
// applies only while the row holds that formula.
struct WeighedMasses {
    WeighedRowMass rows[ROW_CAPACITY];
    double tolerance = DEFAULT_WEIGHED_TOLERANCE;

    // No mass and the default tolerance: such an entry saves as one without masses.
    bool IsPlain() const;
    // Row rowNumber's mass for formula; an empty formula clears the row.
    // False, nothing changed, for a row number outside 1..30.
    bool SetRow(int rowNumber, const char *formula, double grams);
    // The same for millilitres dispensed.
    bool SetDispensed(int rowNumber, const char *formula, double millilitres);
    // What was given of row rowNumber while it holds formula (a mass or a volume); nullptr when nothing.
    const WeighedAmount *Given(int rowNumber, const char *formula) const;
    // The mass of row rowNumber while it holds formula; nullptr when none (or a volume).
    const double *Grams(int rowNumber, const char *formula) const;
    // The volume of row rowNumber while it holds formula; nullptr when none (or a mass).
    const double *Millilitres(int rowNumber, const char *formula) const;
    // These masses, without those whose row holds another formula than theirs.
    WeighedMasses ForRows(const LedraRowStore &rows) const;
};

// True when both hold the same masses (formulas, grams and volumes) and tolerance.
bool SameWeighed(const WeighedMasses &a, const WeighedMasses &b);

// The check as text (LF line ends), CSV (CR LF) and JSON, numbers of CSV
// and JSON at full precision.
std::string WeighedText(const WeighedResult &result);
std::string WeighedCsv(const WeighedResult &result);
std::string WeighedJson(const WeighedResult &result);

#endif
