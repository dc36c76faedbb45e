// The Stock Solution dialog: the grams of a solid (of a given purity) to
// dissolve for a volume of solution of a given molarity of a formula unit
// (core/stock). Calculate shows the result in a read-only line; a value that
// is refused is named in a message and its field gets the focus back. The
// dialog keeps nothing: it is a calculator beside the entry.
#ifndef QUILLON_APP_STOCKDLG_H
#define QUILLON_APP_STOCKDLG_H

#include "core/formula.h"
#include "framework/afxwin.h"

class CStockDlg : public CDialog {
public:
    CStockDlg(const CFormulaParser &parser, CWnd *parent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void OnCalculate();
    DECLARE_MESSAGE_MAP()

private:
    const CFormulaParser &parser;
};

#endif
