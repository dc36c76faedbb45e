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
    SetDlgItemText(IDC_PIPETTE_READABILITY, texts.pipetteReadability);
    SetDlgItemText(IDC_MINIMUM_VOLUME, texts.minimumVolume);
    return TRUE;
}

// A readability or minimum (of the balance or the pipette) that does not
// read keeps the dialog open with that field selected.
void CBalanceDlg::OnOK() {
    BalanceTexts typed{ItemText(m_hWnd, IDC_OPERATOR), ItemText(m_hWnd, IDC_READABILITY),
                       ItemText(m_hWnd, IDC_MINIMUM_WEIGHT), ItemText(m_hWnd, IDC_PIPETTE_READABILITY),
                       ItemText(m_hWnd, IDC_MINIMUM_VOLUME)};
    const struct {
        int field;
        const CString &text;
        bool blankAllowed;
        const char *message;
    } settings[] = {
        {IDC_READABILITY, typed.readability, false,
         "Enter the balance's readability in grams: a positive number with at most 6 decimals, such as 0.0001."},
        {IDC_MINIMUM_WEIGHT, typed.minimumWeight, true,
         "Enter the minimum weight in grams (at most 6 decimals, such as 0.02), or leave it blank for 100 times the "
         "readability."},
        {IDC_PIPETTE_READABILITY, typed.pipetteReadability, false,
         "Enter the pipette's readability in millilitres: a positive number with at most 6 decimals, such as 0.01."},
        {IDC_MINIMUM_VOLUME, typed.minimumVolume, true,
         "Enter the minimum volume in millilitres (at most 6 decimals, such as 0.1), or leave it blank for 10 times "
         "the pipette's readability."},
    };
    for (const auto &setting : settings) {
        Decimal read;
        if ((setting.blankAllowed && setting.text.IsEmpty()) || ReadBalanceGrams(setting.text, &read)) continue;
        MessageBox(setting.message, "Quillon", MB_OK | MB_ICONEXCLAMATION);
        FocusField(this, setting.field);
        return;
    }
    texts = typed;
    CDialog::OnOK();
}
