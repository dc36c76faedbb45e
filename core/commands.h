// The calculation commands of the main window, written once for every front
// end: the preparation step, Calculate and the automatic-ratio command. The
// main dialog runs them on its fields, its list and its dialogs; quillon-cli
// runs them on a calculation file's entry, with the element selection given
// on the command line and the messages on standard error. Portable: no
// Windows headers here.
#ifndef QUILLON_SHELL_CALCULATION_H
#define QUILLON_SHELL_CALCULATION_H

#include <vector>

#include "quillon/rows.h"
#include "framework/afxstr.h"
#include "elements.h"
#include "batch.h"

class CReaction;
class CFormulaParser;

// How a command ended: Done (a report written, the ratios solved) or
// Refused (the message that says why has been shown).
enum class CommandResult { Done, Refused };

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
    // The element selection for unfixedCount unknowns, starting from (and
    // left in) *selection; true when the user asked for the ratios.
    // resetFlag: the reset-after-calculation flag the selection may change,
    // or nullptr when it is not offered.
    virtual bool ChooseElements(const CString &product, int unfixedCount, ElementSelection *selection,
                                int *resetFlag) = 0;
    // One message; for CALC_CORRECT the field to go back to.
    virtual void ShowMessage(const char *text, CalcMessageKind kind, CalcField field = CALC_FIELD_NONE) = 0;
    // The report of a finished calculation for amount grams of product.
    virtual void WriteReport(const CReaction &reaction, double amount) = 0;
    // The batch values of the entry (purity, excess, scaling, mmol, gases),
    // or nullptr when the source keeps none: Calculate then runs as it
    // always has. The values reach the starting materials through
    // RowNumber, which a source with batch values must answer.
    virtual const BatchSettings *Batch() { return nullptr; }
    // The report of a finished batch calculation that is not plain
    // (BatchIsPlain false): make the sheet with MakeBatchSheet(reaction,
    // input, result, rowNumbers, sampleId, showDifferential). The default
    // writes the plain report for the batch's product grams.
    virtual void WriteBatchReport(const CReaction &reaction, const BatchInput &input, const BatchResult &result,
                                  const std::vector<int> &rowNumbers) {
        (void)input;
        (void)rowNumbers;
        WriteReport(reaction, result.productGrams);
    }
    // The rows may have changed (normalised, solved): show them again.
    virtual void RowsChanged() {}
    // The list's row number (from 1) of a row the list handed out, or 0 when
    // it is not known (messages then count the starting materials instead).
    virtual int RowNumber(const LedraRow *) { return 0; }
    // The first used row whose ratio is undetermined ("?"): its number from
    // 1 and *formula, or 0 when every used row has a ratio.
    virtual int UndeterminedRow(CString * /*formula*/) { return 0; }
};

// The Calculate command: checks the amount and the product ratio, lets the
// user choose the elements when autoRatio is set (without it, a row whose
// ratio is "?" is refused), calculates, checks the sheet on its own
// (CheckSheet: refused with "Failed to generate output." and the reason),
// warns of negative amounts and writes the report. Formulas are read with
// parser; *selection is the program's current element selection, which the
// user may change and which returns to the metals of the parser's table
// after a report when *resetSelection is nonzero. With autoRatio the solved
// ratios are written into the source's rows. When the source's Batch() is
// not plain, the batch is calculated on top (the amount field is read only
// when it scales to the product; values out of range, a scaling row that is
// not used, and a batch that cannot be scaled are refused with a message
// naming the row), CheckSheet checks its numbers too, and WriteBatchReport
// writes the report.
CommandResult CalculateCommand(CalcEntrySource &source, const CFormulaParser &parser, bool autoRatio,
                               ElementSelection *selection, int *resetSelection);

// The automatic-ratio command: solves the Unfixed rows into the source's
// rows (after a failed solve they are marked "?"). A product ratio that is
// not positive is refused first.
CommandResult AutoRatioCommand(CalcEntrySource &source, const CFormulaParser &parser, ElementSelection *selection);

#endif
