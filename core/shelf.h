// The shelf: the starting materials a lab keeps, one bottle a line of a CSV
// file that a spreadsheet can edit. A header line names the columns
// (Formula, Name, Purity (%), Density (g/mL), Molarity (mol/L),
// Mass fraction (%), Supplier, Lot, Location, Note, in any order; names
// match without regard to case, surrounding blanks or the unit in
// parentheses; columns of other names are kept and ignored), then one line
// per bottle. A bottle's form follows from which of density, molarity and
// mass fraction are filled, as a row's does (MaterialForm, core/batch.h).
//
// Several bottles may hold one formula (two lots, two suppliers); they are
// found by the formula's meaning, not its bytes: surrounding blanks do not
// count, and the separators of a hydrate ("*", the middle dot in either
// spelling) are one. Texts are kept as the program keeps every text, in
// Windows-1252, whatever encoding the file had. Portable.
#ifndef QUILLON_CORE_SHELF_H
#define QUILLON_CORE_SHELF_H

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/afxstr.h"
#include "batch.h"

// One bottle: what a row takes from it (purity and form) and what names it.
struct Bottle {
    CString formula;  // as stored (Windows-1252, middle dot 0xB7), without surrounding blanks
    CString name;
    CString supplier;
    CString lot;
    CString location;
    CString note;
    double purity = PURITY_DEFAULT;  // a blank cell: 100 %
    MaterialForm form{};             // blank cells: not given (a solid)
    std::vector<CString> unknown;    // the cells of the columns of other names, in the header's order
    int line = 0;                    // the file's line it was read from (the header is 1); 0: added since

    // The name, supplier and lot a row keeps of the bottle it took.
    BottleRef Ref() const;
};

// A line of the file that gave no bottle: its number and why, for example
// "purity must be above 0 and at most 100 %, not 120".
struct ShelfProblem {
    int line = 0;
    CString reason;
};

// The key bottles are found by: the formula without surrounding blanks,
// every separator (UTF-8 or stored middle dot, "*") as the stored middle dot.
std::string ShelfFormulaKey(const char *formula);

class Shelf {
public:
    std::vector<Bottle> bottles;          // in the file's order, then those added
    std::vector<ShelfProblem> problems;   // the lines not taken, in line order

    // The indices into bottles of every bottle of formula, in shelf order.
    std::vector<int> Find(const char *formula) const;
    // The first bottle of formula whose name, supplier and lot equal those
    // of ref that are not empty (a ref with none: the first bottle of
    // formula); -1 when there is none.
    int FindBottle(const char *formula, const BottleRef &ref) const;
    // Makes Find see bottles as they now are; call after changing them.
    void Reindex();

private:
    std::unordered_map<std::string, std::vector<int>> index;
};

#endif
