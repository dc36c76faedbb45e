// The Series dialog: the series formula (with x, as plain text), the values
// of x and a Calculate button that hands both to the main dialog, which
// calculates every member and shows the series sheet. OK keeps the formula
// and values with the entry; Cancel leaves the entry as it was.
#ifndef QUILLON_APP_SERIESDLG_H
#define QUILLON_APP_SERIESDLG_H

#include <functional>

#include "framework/afxwin.h"

struct SeriesTexts {
    CString formula;
    CString values;
};

class CSeriesDlg : public CDialog {
public:
    // calculate: runs the series of the texts (only checks the formula when
    // checkOnly); false when they are refused (it has said why), and
    // *wrongField names the field to correct.
    typedef std::function<bool(const SeriesTexts &, bool checkOnly, int *wrongField)> Calculation;
    CSeriesDlg(const SeriesTexts &texts, Calculation calculate, CWnd *parent = nullptr);
    const SeriesTexts &Texts() const { return texts; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCalculate();
    DECLARE_MESSAGE_MAP()

private:
    SeriesTexts Typed() const;
    SeriesTexts texts;
    Calculation calculate;
};

#endif
