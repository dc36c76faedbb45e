// The calculation commands of the main window, written once for every front
// end: the preparation step, Calculate and the automatic-ratio command. The
// main dialog runs them on its fields, its list and its dialogs; quillon-cli
// runs them on a calculation file's entry, with the element selection given
// on the command line and the messages on standard error. Portable: no
// Windows headers here.
#ifndef QUILLON_SHELL_CALCULATION_H
#define QUILLON_SHELL_CALCULATION_H

#include "quillon/rows.h"
#include "framework/afxstr.h"

class CReaction;

// The entry fields a message may send the user back to (the amount
// messages leave the focus where it is).
enum CalcField { CALC_FIELD_NONE = 0, CALC_FIELD_PRODUCT = 1, CALC_FIELD_RATIO = 2 };

// How a message is shown: a failure (stop icon), input to correct or a
// warning (exclamation icon).
enum CalcMessageKind { CALC_FAILURE = 0, CALC_CORRECT = 1, CALC_WARNING = 2 };

// What the commands need of the entry they work on.
class CalcEntrySource {
public:
    virtual ~CalcEntrySource() {}
    virtual CString ProductFormula() = 0;
    // The product ratio field: 0 and the value ("?" first reads as
    // UNDETERMINED_RATIO), or 1 when it is not a number.
    virtual int ReadProductRatio(double *ratio) = 0;
    // The amount field: 0 and the value (blank reads as 0), or 1.
    virtual int ReadAmount(double *amount) = 0;
    // LDM_GETROWS and LDM_GETUNFIXEDCOUNT of the starting-materials list.
    virtual int GetRows(int count, LedraRowList *list) = 0;
    virtual int GetUnfixedCount() = 0;
    // The element selection for unfixedCount unknowns; true when the user
    // asked for the ratios. resetFlag: the reset-after-calculation flag the
    // selection may change, or nullptr when it is not offered.
    virtual bool ChooseElements(const CString &product, int unfixedCount, int *resetFlag) = 0;
    // One message; for CALC_CORRECT the field to go back to.
    virtual void ShowMessage(const char *text, CalcMessageKind kind, CalcField field = CALC_FIELD_NONE) = 0;
    // The report of a finished calculation for amount grams of product.
    virtual void WriteReport(const CReaction &reaction, double amount) = 0;
    // The rows may have changed (normalised, solved): show them again.
    virtual void RowsChanged() {}
    // The list's row number (from 1) of a row the list handed out, or 0 when
    // it is not known (messages then count the starting materials instead).
    virtual int RowNumber(const LedraRow *) { return 0; }
    // The first used row whose ratio is undetermined ("?"): its number from
    // 1 and *formula, or 0 when every used row has a ratio.
    virtual int UndeterminedRow(CString * /*formula*/) { return 0; }
};

// Builds the reaction from the product fields and the used rows (which the
// list normalises). 0 with *reaction (the caller deletes it), or 1 empty
// product, 2 invalid product, 3 product ratio not a number, 5 reaction not
// built, 6 no used row, 7 rows not obtained.
int PrepareCalculation(CalcEntrySource &source, CReaction **reaction);

// Preparation and RunCalculation. 0 with *reaction ready for the report, 1
// preparation failed, 2 ratios not determined (the Unfixed rows are then
// marked "?"), 3 calculation failed. For 2, *why (when given) receives the
// sentence that says why.
int PrepareAndRunCalculation(CalcEntrySource &source, bool autoRatio, CReaction **reaction,
                             CString *why = nullptr);

// The Calculate command: checks the amount and the product ratio, lets the
// user choose the elements when autoRatio is set (without it, a row whose
// ratio is "?" is refused), calculates, checks the sheet on its own
// (CheckSheet: refused with "Failed to generate output." and the reason),
// warns of negative amounts and writes the report; the element selection returns to
// its defaults afterwards when *resetSelection is nonzero. 0 when a report
// was written, 1 otherwise (the message shown).
int CalculateCommand(CalcEntrySource &source, bool autoRatio, int *resetSelection);

// The automatic-ratio command: solves the Unfixed rows into the list. 0 on
// success, 1 otherwise (the message shown; after a failed solve the Unfixed
// rows are marked "?"). A product ratio that is not positive is refused first.
int AutoRatioCommand(CalcEntrySource &source);

// The starting materials of a calculated reaction whose ratio is negative,
// as the warning names them ("A, B"); empty when there are none.
CString NegativeRatioNames(const CReaction &reaction);

// Why a calculated reaction gives no sheet of finite numbers for amount
// grams of product: a product ratio so small that the grams overflow, or the
// first molar mass, ratio, amount to weigh or element amount of the
// differential that is not a finite number, naming its starting material
// and row ("Molar mass of Og1e306 (row 3) is not a finite number."); empty
// when every number is finite.
CString NonFiniteSheetNumber(CalcEntrySource &source, const CReaction &reaction, double amount);

#endif
