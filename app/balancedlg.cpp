#include "balancedlg.h"

#include <cstring>

#include "core/printsheet.h"
#include "fields.h"
#include "resource.h"

namespace {

// A field's text without the blanks around it (letters beyond ASCII stay).
CString ItemText(HWND dialog, int id) {
    const CString whole = WholeText(::GetDlgItem(dialog, id));
    const char *text = whole.GetString();
    const char *start = text;
    while (*start == ' ' || *start == '\t') ++start;
    const char *end = start + std::strlen(start);
    while (end > start && (end[-1] == ' ' || end[-1] == '\t')) --end;
    return CString(start, int(end - start));
}

}  // namespace

CBalanceDlg::CBalanceDlg(const BalanceTexts &initial, CWnd *parent) : CDialog(IDD_BALANCE, parent), texts(initial) {}

BOOL CBalanceDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_OPERATOR, texts.operatorName);
    SetDlgItemText(IDC_READABILITY, texts.readability);
    SetDlgItemText(IDC_MINIMUM_WEIGHT, texts.minimumWeight);
    return TRUE;
}

// A readability or minimum weight that does not read keeps the dialog open
// with that field selected.
void CBalanceDlg::OnOK() {
    BalanceTexts typed{ItemText(m_hWnd, IDC_OPERATOR), ItemText(m_hWnd, IDC_READABILITY),
                       ItemText(m_hWnd, IDC_MINIMUM_WEIGHT)};
    Decimal grams;
    int wrong = 0;
    if (!ReadBalanceGrams(typed.readability, &grams))
        wrong = IDC_READABILITY;
    else if (!typed.minimumWeight.IsEmpty() && !ReadBalanceGrams(typed.minimumWeight, &grams))
        wrong = IDC_MINIMUM_WEIGHT;
    if (wrong != 0) {
        MessageBox(wrong == IDC_READABILITY
                       ? "Enter the balance's readability in grams: a positive number with at most 6 decimals, "
                         "such as 0.0001."
                       : "Enter the minimum weight in grams (at most 6 decimals, such as 0.02), or leave it "
                         "blank for 100 times the readability.",
                   "Quillon", MB_OK | MB_ICONEXCLAMATION);
        FocusField(this, wrong);
        return;
    }
    texts = typed;
    CDialog::OnOK();
}
