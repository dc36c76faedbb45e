// The Balance and Operator dialog: who weighs, the balance's readability and
// minimum weight, and the pipette's readability and minimum volume, that the
// printed sheet rounds and warns by.
// The texts are checked when OK is pressed; a wrong one keeps the dialog open.
#ifndef QUILLON_APP_BALANCEDLG_H
#define QUILLON_APP_BALANCEDLG_H

#include "framework/afxwin.h"

// The settings as typed (the minimum weight and volume may be blank).
struct BalanceTexts {
    CString operatorName;
    CString readability;
    CString minimumWeight;
    CString pipetteReadability;  // mL
    CString minimumVolume;       // mL
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
