// The weighing sheet: what a calculation prints for the chemist. The grams
// to weigh for every reactant, the sheet's text as the report file gets it,
// the pieces typed into a word processor, and the byte translation of a
// Windows text-mode stream. Portable: no Windows headers here.
#ifndef QUILLON_CORE_SHEET_H
#define QUILLON_CORE_SHEET_H

#include <cstddef>
#include <string>
#include <vector>

#include "framework/afxstr.h"
#include "batch.h"
#include "decimal.h"

class CReaction;

struct SheetReactant {
    CString formula;
    double molarMass = 0.0;
    double grams = 0.0;        // the grams the ratios give (pure, no excess)
    double ratio = 0.0;
    // The batch's columns (see core/batch.h), shown when the sheet asks for them.
    double weighedGrams = 0.0; // grams / purity * (1 + excess): what goes on the balance
    double purity = 100.0;     // %
    double excess = 0.0;       // %
    double mmol = 0.0;
    int row = 0;               // the list row (1..30) it came from; 0 when not known
    // Dispensed by volume (see MaterialForm in core/batch.h): the form, the
    // millilitres and the grams of solution, each where it applies.
    MaterialForm form{};
    bool hasVolume = false;
    double volumeMl = 0.0;
    bool hasSolutionGrams = false;
    double solutionGrams = 0.0;
    BottleRef bottle{};        // the shelf's bottle its values came from, if any
};

// Everything one sheet shows.
struct WeighingSheet {
    CString sampleId;
    double amount = 0.0;        // grams of product wanted
    CString productFormula;
    double productMolarMass = 0.0;
    double productRatio = 0.0;
    int showDifferential = 0;   // nonzero: the product line carries the differential
    CString differential;       // empty: "None"
    std::vector<SheetReactant> reactants;
    // The batch's extras; all off (and empty) on a plain sheet (MakeWeighingSheet's).
    int showPurity = 0;         // columns Pure(g), Purity(%), Excess(%); Amount Weighed(g) is weighedGrams
    int showMmol = 0;           // the mmol column and the product's mmol
    double productMmol = 0.0;
    CString scaleNote;          // how the batch is scaled, e.g. "Scaled to 2 g of BaCO3 (row 2) as weighed"; empty: to the product
    BatchScale scale = BatchScale::Product;
    int scaleRow = 0;           // BatchScale::Material: the list row (0 when not known)
    CString scaleFormula;       // BatchScale::Material: the starting material
    double scaleGrams = 0.0;    // BatchScale::Material, BatchScale::Total: the grams scaled to
    int showGases = 0;          // the gases, the mass loss and what is not accounted for
    int showVolume = 0;         // the Volume (mL) column: some row is dispensed by volume
    int showSolutionGrams = 0;  // the grams of solution: some row has them
    int anySolution = 0;        // some row is a solution: the sheet's line on the solvent
    BatchResult batch;          // the numbers the lines under the table show
    // The balance: with a readability above 0, every mass shows rounded to a
    // whole multiple of it, a total (of the unrounded masses, then rounded)
    // follows the rows, and rows above 0 g but under minimumWeight are named.
    Decimal readability;
    double minimumWeight = 0.0;
    // The pipette: with a readability above 0, every volume shows rounded to
    // a whole multiple of it, and volumes above 0 mL under minimumVolume are named.
    Decimal pipetteReadability;
    double minimumVolume = 0.0;
};

// The grams that go on the balance for one row (the Amount Weighed column):
// with purity or excess shown, the weighed grams, else the grams the ratios give.
inline double GramsToWeigh(const WeighingSheet &sheet, const SheetReactant &reactant) {
    return sheet.showPurity ? reactant.weighedGrams : reactant.grams;
}


// The mass as the balance shows it: rounded to the sheet's readability
// ("%.5f" trimmed without one).
CString SheetGramsText(const WeighingSheet &sheet, double grams);

// The starting materials a balance of the sheet cannot weigh reliably
// (above 0 g, under its minimum weight), "A, B"; empty when none.
CString UnderMinimumNames(const WeighingSheet &sheet);

// A volume as the pipette measures it: rounded to the sheet's pipette
// readability ("%.5f" trimmed without one).
CString SheetVolumeText(const WeighingSheet &sheet, double millilitres);

// The starting materials dispensed by volume that the sheet's pipette cannot
// measure reliably (above 0 mL, under its minimum volume), "A, B"; empty when none.
CString UnderMinimumVolumeNames(const WeighingSheet &sheet);

// The sheet of a reaction whose RunCalculation has succeeded, for amount
// grams of product. The differential is computed only when it is shown.
WeighingSheet MakeWeighingSheet(const CReaction &reaction, double amount, const char *sampleId,
                                int showDifferential);

// The sheet of a batch: MakeWeighingSheet for the batch's product grams,
// with the batch's columns and lines as input asks for them. result is
// CalculateBatch(reaction, input) with status Done; rowNumbers (may be
// empty) name the list rows in the scaling note. A plain input
// (every purity 100, every excess 0, every row a solid, scaled to the
// product, no mmol, no gases) gives exactly MakeWeighingSheet's sheet.
WeighingSheet MakeBatchSheet(const CReaction &reaction, const BatchInput &input, const BatchResult &result,
                             const std::vector<int> &rowNumbers, const char *sampleId, int showDifferential);

// The reactants whose amount to weigh (GramsToWeigh, unrounded) is below 0,
// as the warning names them ("A, B"); empty when there are none.
CString NegativeWeighingNames(const WeighingSheet &sheet);

// The warning line a sheet with negative weighings carries under its
// weighings (without a line end); empty when there are none.
CString NegativeWeighingWarning(const WeighingSheet &sheet);

// The sheet as the report file receives it, with the line ends as written:
// "\r\n" for every line except the closing rule, which ends in "\n" alone,
// then the warning line of negative weighings if any, and "\r\n\r\n" at
// the end.
CString SheetFileText(const WeighingSheet &sheet);

// One step of typing the sheet into a word processor.
enum SheetPieceKind {
    SHEET_TEXT = 0,       // type text as it is (subscript off)
    SHEET_FORMULA = 1,    // type text as a formula: counts subscripted (SplitFormulaRuns)
    SHEET_PARAGRAPH = 2,  // start a new paragraph; text is empty
};

struct SheetPiece {
    SheetPieceKind kind;
    CString text;
};

// The word-processor variant of the sheet, in typing order.
std::vector<SheetPiece> SheetWordPieces(const WeighingSheet &sheet);

// One run of a formula typed with subscripts.
struct FormulaRun {
    int subscript;  // 1 for the counts' digits and other non-letters, 0 for the rest
    CString text;
};

// Cuts a formula into maximal runs of one class: letters, parentheses,
// separators and the leading count after a separator type in normal
// position, every other character (the counts' digits, '.') as subscript
// (FormulaSubscripts). H2SO4 gives H, 2, SO, 4; CuSO4*5H2O gives CuSO, 4,
// *5H, 2, O. An empty formula gives no runs.
std::vector<FormulaRun> SplitFormulaRuns(const char *formula);

// What a Windows text-mode stream reads from stored bytes (it stores a CR
// before every LF, so a line written with "\r\n" is stored ending CR CR
// LF): every CR LF pair becomes LF, other bytes pass unchanged.
std::string TextModeRead(const char *bytes, size_t length);

#endif
