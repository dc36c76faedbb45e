// The element selection dialog: which elements of the product the automatic
// ratios balance. Lists the product's elements with their state (metal or
// not, included or not), toggles them with the space bar or a double click,
// and shows the calibration: included elements minus Unfixed rows. "Get
// Ratios" is enabled while the calibration is 0 or more. It works on a copy
// of the caller's element selection, which Selection() hands back.
#ifndef QUILLON_APP_ELEMENTSELECTDLG_H
#define QUILLON_APP_ELEMENTSELECTDLG_H

#include "framework/afxext.h"
#include "core/formula.h"

class CElementSelectionDlg : public CDialog {
public:
    CElementSelectionDlg();
    ~CElementSelectionDlg() override;

    // Before DoModal: the product, the number of Unfixed rows, the parser,
    // the selection to start from and whether "Retain change after
    // calculation" is offered, checked as retain (not offered: shown
    // checked and greyed). 0; 1 the formula does not parse (the list stays
    // empty); 2 its composition fails.
    int SetData(const char *productFormula, int unfixedCount, const CFormulaParser &parser,
                const ElementSelection &selection, bool retainOffered, bool retain);
    // The selection as the user left it.
    const ElementSelection &Selection() const { return selection; }
    // "Retain change after calculation" as "Get Ratios" left it.
    bool Retain() const { return retain; }

    int calibration = 0;
    int selectedCount = 0;
    int unfixedCount = 0;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnReset();
    void OnSetAll();
    void OnTreeKeyDown(NMHDR *header, LRESULT *result);
    void OnTreeDoubleClick(NMHDR *header, LRESULT *result);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void UpdateCalibration();
    void ToggleSelected();
    void RefreshStates();  // every item's image from the table, recounted
    int StateIndex(int element) const;
    const CElementTable &Table() const { return parser->Table(); }

    Composition composition;
    const CFormulaParser *parser = nullptr;
    ElementSelection selection;
    bool retainOffered = false;
    bool retain = true;
    CFont *font = nullptr;
    CImageList *images = nullptr;
    HBITMAP legend = nullptr;  // the legend scaled to the dialog's DPI (none at 96)
    CTreeCtrl tree;
};

#endif
