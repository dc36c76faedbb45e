// The choice among the shelf's bottles of one formula, when a row takes a
// formula that several bottles hold: a line per bottle (name, supplier, lot,
// purity, form), Take (or a double click) for the chosen one, None (or
// Escape) for none, which keeps the row without the shelf's values.
#ifndef QUILLON_APP_BOTTLECHOICEDLG_H
#define QUILLON_APP_BOTTLECHOICEDLG_H

#include <vector>

#include "core/shelf.h"
#include "framework/afxwin.h"

// A bottle as the choice and the program's questions name it: as the sheet
// does, "Barium carbonate, Northfield Chemicals, lot NC-2291" (BottleText),
// or the formula when it has no name, supplier or lot.
CString BottleTitle(const Bottle &bottle);

class CBottleChoiceDlg : public CDialog {
public:
    // bottles: indices into shelf.bottles, all of formula (shown above the list).
    CBottleChoiceDlg(const Shelf &shelf, const std::vector<int> &bottles, const CString &formula, int rowNumber,
                     CWnd *parent = nullptr);
    // After IDOK: the index into shelf.bottles of the bottle chosen.
    int Chosen() const { return chosen; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnListDoubleClick();
    DECLARE_MESSAGE_MAP()

private:
    const Shelf &shelf;
    std::vector<int> bottles;
    CString formula;
    int rowNumber;
    int chosen = -1;
};

#endif
