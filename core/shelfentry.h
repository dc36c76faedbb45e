// The shelf (core/shelf.h) meeting the entry: a row taking a bottle's
// purity and form and naming it, the rows quillon-cli fills from the shelf,
// and the bottles of a reopened file whose values on the shelf have changed
// since it was saved. A row's values "apply to a formula" while the row's
// values were given for that very formula (BatchSettings, core/batch.h).
// Portable.
#ifndef QUILLON_CORE_SHELFENTRY_H
#define QUILLON_CORE_SHELFENTRY_H

#include <vector>

#include "framework/afxstr.h"
#include "batch.h"
#include "entry.h"
#include "shelf.h"

// How a row met a bottle it was to take.
enum class BottleTake {
    Taken,      // the row holds the bottle's values and names it
    Unchanged,  // the row held exactly these values and this bottle already (or names no row 1..30)
    AskFirst,   // nothing changed: the row has values of its own that the bottle's would overwrite
};

// Row rowNumber, holding formula, takes the bottle's purity and form and
// names the bottle; its excess stays when its values apply to formula, else
// it is 0. Without overwrite, a row with values of its own for formula
// (RowHasOwnValues) that differ from the bottle's (purity or form, or
// another bottle named) is left alone: AskFirst.
BottleTake TakeBottle(BatchSettings *batch, int rowNumber, const char *formula, const Bottle &bottle, bool overwrite);

// True when row rowNumber's values apply to formula and are not all the
// defaults (purity 100 %, excess 0 %, a solid); the bottle named does not count.
bool RowHasOwnValues(const BatchSettings &batch, int rowNumber, const char *formula);

// Every used row of the entry without values of its own takes its bottle's:
// the bottle its values name (Shelf::FindBottle) when they name one that is
// still on the shelf, else, when they name none, the first of its formula.
// Returns how many rows took values.
int TakeShelfValues(const Shelf &shelf, Entry *entry);

// A row naming a bottle whose values on the shelf differ from the row's.
struct ShelfChange {
    int row = 0;                // 1..30
    CString formula;            // the row's
    BottleRef bottle;           // as the row names it
    bool gone = false;          // the shelf does not hold the bottle (what is then empty)
    std::vector<CString> what;  // "purity 99.5 % on the shelf, 99 % in the file", one per value
};

// The rows of entry naming a bottle whose shelf values (purity, density,
// molarity, mass fraction) differ from the row's, or that is gone, in row order.
std::vector<ShelfChange> ShelfChanges(const Shelf &shelf, const Entry &entry);

// The body of the message about changes (the question is the caller's):
// a line saying what follows, then a line per change, for example
// "BaCO3 (row 1), bottle Barium carbonate, lot NC-2291: purity 99.5 % on
// the shelf, 99 % in the file." Lines end in "\n"; empty for no changes.
CString ShelfChangesText(const std::vector<ShelfChange> &changes);

// Each change whose bottle is still on the shelf: its row takes the
// bottle's values (the excess stays).
void TakeShelfChanges(const Shelf &shelf, const std::vector<ShelfChange> &changes, Entry *entry);

#endif
