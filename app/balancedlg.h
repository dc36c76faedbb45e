// The Balance and Operator dialog: who weighs, and the balance's
// readability and minimum weight that the printed sheet rounds and warns by.
// The texts are checked when OK is pressed; a wrong one keeps the dialog open.
#ifndef QUILLON_APP_BALANCEDLG_H
#define QUILLON_APP_BALANCEDLG_H

#include "framework/afxwin.h"

// The three settings as typed (the minimum weight may be blank).
struct BalanceTexts {
    CString operatorName;
    CString readability;
    CString minimumWeight;
};

class CBalanceDlg : public CDialog {
public:
    explicit CBalanceDlg(const BalanceTexts &texts, CWnd *parent = nullptr);
    const BalanceTexts &Texts() const { return texts; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    BalanceTexts texts;
};

#endif
