// The main dialog's calculation commands, without the dialog: the entry is
// the field texts and the rows that opening a calculation file leaves, the
// element selection is given instead of being chosen in the selection
// dialog, and the message boxes become message texts.
#ifndef QUILLON_CLI_CALCULATION_H
#define QUILLON_CLI_CALCULATION_H

#include <vector>

#include "../common/rowstore.h"
#include "../framework/afxstr.h"
#include "../shell/calcfile.h"

class CReaction;

// What the main dialog holds after a calculation file was opened.
struct CalcEntry {
    CalcFields fields;
    LedraRowStore rows;

    CalcEntry() { rows.create(ROW_CAPACITY); }
};

// The elements to balance: the defaults (the metals), or exactly the
// listed element indices.
struct ElementSelection {
    bool useDefaults = true;
    std::vector<int> included;
};

// Sets the element table's inclusion flags to the selection.
void ApplySelection(const ElementSelection &selection);

// The preparation step: builds the reaction from the product fields and the
// used rows (normalising them). 0 with *reaction (the caller deletes it),
// or 1 empty product, 2 invalid product, 3 product ratio not a number,
// 5 reaction not built, 6 no used row, 7 rows not obtained.
int PrepareReaction(CalcEntry &entry, CReaction **reaction);

// The automatic-ratio command: solves the Unfixed rows, writing the ratios
// into entry.rows. Returns 0, or 1 with *message set; after a failed solve
// the Unfixed rows' ratios are marked undetermined.
int RunAutoRatioCommand(CalcEntry &entry, const ElementSelection &selection, CString *message);

// The Calculate command up to the report: checks the amount, solves the
// Unfixed rows first when autoRatio is set, computes the molar masses.
// Returns 0 with *reaction (the caller deletes it) and *amount, or 1 with
// *message set.
int RunCalculateCommand(CalcEntry &entry, bool autoRatio, const ElementSelection &selection,
                        CReaction **reaction, double *amount, CString *message);

#endif
