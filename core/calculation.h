// One calculation of an entry, for every front end. It runs in two steps so
// that the element selection can be asked for in between:
//   StartCalculation checks the entry's fields and says whether the
//   selection is needed (with Auto-Ratio), for which product and how many
//   unknowns;
//   Calculate takes the entry, the selection and the options and returns
//   the outcome: the entry with the ratios it solved (or "?" where they
//   could not be determined), the messages to show in their order, and,
//   when done, the reaction and the checked weighing sheet. Every view (the
//   report file, the display, Word, the printed sheet, CSV, JSON, the
//   weighed check, a series) renders that one sheet.
// The "?" command (the Unfixed ratios determined at once, no sheet) is
// StartSolve and Solve. A composition series is the list of its members'
// outcomes, each calculated from the series entry with the member's
// formula. Nothing here shows a window or keeps state. Portable.
#ifndef QUILLON_CORE_CALCULATION_H
#define QUILLON_CORE_CALCULATION_H

#include <memory>
#include <vector>

#include "framework/afxstr.h"
#include "decimal.h"
#include "elements.h"
#include "entry.h"
#include "series.h"
#include "sheet.h"

class CReaction;
class CFormulaParser;

// The entry fields a message may send the user back to (the amount
// messages leave the focus where it is); CALC_FIELD_ROW is a list row's
// formula.
enum CalcField { CALC_FIELD_NONE = 0, CALC_FIELD_PRODUCT = 1, CALC_FIELD_RATIO = 2, CALC_FIELD_ROW = 3 };

// How a message is shown: a failure (stop icon), input to correct or a
// warning (exclamation icon).
enum CalcMessageKind { CALC_FAILURE = 0, CALC_CORRECT = 1, CALC_WARNING = 2 };

struct CalcMessage {
    CalcMessageKind kind = CALC_FAILURE;
    CString text;
    CalcField field = CALC_FIELD_NONE;  // CALC_CORRECT, and the formula warnings: the field to go back to
    int row = 0;                        // CALC_FIELD_ROW: the list row, 1..30
};

// What a calculation takes besides the entry and the selection. The sheet's
// mmol column and gases are the entry's batch values (entry.batch.mmol,
// entry.batch.gases), which the program sets from its options.
struct CalcOptions {
    bool autoRatio = false;   // determine the Unfixed rows' ratios first
    int showDifferential = 1; // the product line carries the differential
    // The balance the sheet's masses are rounded to (no rounding while 0).
    Decimal readability;
    double minimumWeight = 0.0;
    // The pipette the sheet's volumes are rounded to (no rounding while 0), in mL.
    Decimal pipetteReadability;
    double minimumVolume = 0.0;
};

// The first step.
struct CalcStart {
    bool refused = false;               // messages say why; nothing follows
    std::vector<CalcMessage> messages;
    bool needsSelection = false;        // the elements to balance are to be chosen for:
    CString product;                    //   this product formula
    int unknowns = 0;                   //   and this many Unfixed rows
    // When not refused: the formulas to ask about before the calculation
    // goes on (ZeroCountWarnings); the sheet is still possible.
    std::vector<CalcMessage> formulaWarnings;
};

// The outcome of Calculate or Solve.
struct CalcOutcome {
    bool done = false;
    std::vector<CalcMessage> messages;  // in the order they are shown: refusals, or warnings when done
    Entry entry;                        // the entry after: used rows normalised, ratios solved or "?"
    std::shared_ptr<const CReaction> reaction;  // done (Calculate): the reaction of the sheet
    WeighingSheet sheet;                // done (Calculate): the checked sheet, the one to render
    std::vector<int> rowNumbers;        // the list row (1..30) of each starting material, in order

    // The messages' texts, one per line.
    CString MessageText() const;
};

// The formulas of the entry with a count that starts with a zero followed by
// a digit (core/zerocount: the letter O typed as a zero), one warning each:
// the product field's formula (the series formula of a series entry) and
// every used row in row order, with the field to go back to (the product,
// or the row). "The formula LiCo02 has the count 02, which starts with a
// zero: was the letter O meant (LiCoO2)?"
std::vector<CalcMessage> ZeroCountWarnings(const Entry &entry);

// Checks the amount (unless the batch is scaled to something else), the
// product ratio, and, without Auto-Ratio, that no used row shows "?"; with
// Auto-Ratio the product must not be empty and the selection is needed.
// Then the formula warnings.
CalcStart StartCalculation(const Entry &entry, const CalcOptions &options);

// The whole calculation: StartCalculation's checks again (its refusal is
// the outcome's), the ratios (with Auto-Ratio, balancing the elements of
// selection), the molar masses, the batch, the sheet and its independent
// check, and the warnings of negative amounts. Formulas are read with
// parser.
CalcOutcome Calculate(const Entry &entry, const CFormulaParser &parser, const ElementSelection &selection,
                      const CalcOptions &options);

// The "?" command: the product must not be empty and its ratio positive;
// the selection is always needed.
CalcStart StartSolve(const Entry &entry);

// Determines the Unfixed rows' ratios by balancing the elements of
// selection; after a failure they show "?". No sheet.
CalcOutcome Solve(const Entry &entry, const CFormulaParser &parser, const ElementSelection &selection);

// One member of a composition series: the series entry (its product field
// holds the series formula) made the member's entry (PrepareSeriesMember),
// calculated with the selection given and no dialogs.
SeriesMemberOutcome CalculateSeriesMember(const Entry &seriesEntry, const CFormulaParser &parser,
                                          const ElementSelection &selection, const CalcOptions &options,
                                          const CString &formula);

// Every member of the series entry at the values of x, with the entry's
// sample ID and amount.
SeriesResult CalculateSeries(const Entry &seriesEntry, const CFormulaParser &parser, const ElementSelection &selection,
                             const CalcOptions &options, const std::vector<SeriesX> &values);

#endif
