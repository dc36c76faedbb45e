#include "seriesdlg.h"

#include "fields.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CSeriesDlg, CDialog)
    ON_BN_CLICKED(IDC_SERIES_CALCULATE, OnCalculate)
END_MESSAGE_MAP()

CSeriesDlg::CSeriesDlg(const SeriesTexts &initial, Calculation calc, CWnd *parent)
    : CDialog(IDD_SERIES, parent), texts(initial), calculate(std::move(calc)) {}

BOOL CSeriesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_SERIES_FORMULA, texts.formula);
    SetDlgItemText(IDC_SERIES_VALUES, texts.values);
    return TRUE;
}

SeriesTexts CSeriesDlg::Typed() const {
    SeriesTexts typed;
    GetDlgItem(IDC_SERIES_FORMULA)->GetWindowText(typed.formula);
    GetDlgItem(IDC_SERIES_VALUES)->GetWindowText(typed.values);
    return typed;
}

// The series as typed; a refused text gets the focus, selected.
void CSeriesDlg::OnCalculate() {
    int wrong = 0;
    if (calculate(Typed(), false, &wrong)) return;
    FocusField(this, wrong);
}

// The texts are kept as typed (an empty formula ends the series); a formula
// that is not a series formula keeps the dialog open.
void CSeriesDlg::OnOK() {
    SeriesTexts typed = Typed();
    int wrong = 0;
    if (!typed.formula.IsEmpty() && !calculate(typed, true, &wrong)) {
        FocusField(this, wrong);
        return;
    }
    texts = typed;
    CDialog::OnOK();
}
