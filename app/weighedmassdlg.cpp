#include "weighedmassdlg.h"

#include "core/textutil.h"
#include "core/weighed.h"
#include "fields.h"
#include "resource.h"

namespace {

// The list's columns, in dialog units: row, formula, sheet's grams, grams weighed.
const int kTabStops[] = {18, 120, 180};

CString ItemText(HWND dialog, int id) { return WholeText(::GetDlgItem(dialog, id)); }

LRESULT Send(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendDlgItemMessageA(dialog, id, message, wParam, lParam);
}

}  // namespace

BEGIN_MESSAGE_MAP(CWeighedMassDlg, CDialog)
    ON_CONTROL(LBN_SELCHANGE, IDC_WEIGHED_LIST, OnSelectRow)
    ON_CONTROL(EN_CHANGE, IDC_WEIGHED_GRAMS, OnGramsTyped)
    ON_CONTROL(EN_CHANGE, IDC_WEIGHED_TOLERANCE, Recheck)
END_MESSAGE_MAP()

CWeighedMassDlg::CWeighedMassDlg(const CReaction &calculated, const WeighingSheet &weighing,
                                 const std::vector<int> &rows, CWnd *parent)
    : CDialog(IDD_WEIGHED, parent), reaction(calculated), sheet(weighing), rowNumbers(rows),
      typed(weighing.reactants.size()) {}

BOOL CWeighedMassDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    Send(m_hWnd, IDC_WEIGHED_LIST, LB_SETTABSTOPS, sizeof kTabStops / sizeof kTabStops[0],
         reinterpret_cast<LPARAM>(kTabStops));
    Send(m_hWnd, IDC_WEIGHED_RESULT, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(ANSI_FIXED_FONT)));
    for (size_t i = 0; i < sheet.reactants.size(); ++i) {
        Send(m_hWnd, IDC_WEIGHED_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
        ShowLine(int(i), false);
    }
    CString tolerance(NumberText(DEFAULT_WEIGHED_TOLERANCE).c_str());
    SetDlgItemText(IDC_WEIGHED_TOLERANCE, tolerance);
    Send(m_hWnd, IDC_WEIGHED_LIST, LB_SETCURSEL, 0);
    OnSelectRow();
    Recheck();
    return TRUE;
}

void CWeighedMassDlg::ShowLine(int index, bool past) {
    const SheetReactant &reactant = sheet.reactants[size_t(index)];
    CString line;
    line.Format("%d\t%s\t%s\t%s%s", rowNumbers[size_t(index)], reactant.formula.GetString(),
                NumberText(GramsToWeigh(sheet, reactant)).c_str(), typed[size_t(index)].GetString(), past ? "  *" : "");
    const LRESULT selected = Send(m_hWnd, IDC_WEIGHED_LIST, LB_GETCURSEL);
    Send(m_hWnd, IDC_WEIGHED_LIST, LB_DELETESTRING, WPARAM(index));
    Send(m_hWnd, IDC_WEIGHED_LIST, LB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(line.GetString()));
    if (selected == index) Send(m_hWnd, IDC_WEIGHED_LIST, LB_SETCURSEL, WPARAM(index));
}

void CWeighedMassDlg::OnSelectRow() {
    shown = -1;  // setting the field's text is no typing
    int index = int(Send(m_hWnd, IDC_WEIGHED_LIST, LB_GETCURSEL));
    if (index < 0) return;
    SetDlgItemText(IDC_WEIGHED_GRAMS, typed[size_t(index)]);
    shown = index;
}

void CWeighedMassDlg::OnGramsTyped() {
    if (shown < 0) return;
    typed[size_t(shown)] = ItemText(m_hWnd, IDC_WEIGHED_GRAMS);
    Recheck();
}

// The check once every row has a mass that reads (0 g or more) and the
// tolerance reads; until then what is missing.
void CWeighedMassDlg::Recheck() {
    std::vector<double> weighed;
    CString missing;
    for (size_t i = 0; i < typed.size(); ++i) {
        double grams = 0.0;
        if (typed[i].IsEmpty() || ReadNumberText(typed[i], &grams) != 0 || grams < 0.0) {
            if (missing.IsEmpty()) missing.Format("Enter the grams weighed of %s (row %d).",
                                                  sheet.reactants[i].formula.GetString(), rowNumbers[i]);
        }
        weighed.push_back(grams);
    }
    double tolerance = 0.0;
    if (missing.IsEmpty() && (ReadNumberText(ItemText(m_hWnd, IDC_WEIGHED_TOLERANCE), &tolerance) != 0 || tolerance < 0.0))
        missing = "Enter the tolerance: a percentage of 0 or more.";
    WeighedResult result;
    if (missing.IsEmpty()) result = CheckWeighed(reaction, sheet, rowNumbers, weighed, tolerance);
    for (size_t i = 0; i < typed.size(); ++i) ShowLine(int(i), result.done && result.rows[i].past);
    CString text;
    if (!missing.IsEmpty()) {
        text = missing;
    } else {
        for (char ch : WeighedText(result)) {
            if (ch == '\n') text += '\r';
            text += ch;
        }
    }
    SetDlgItemText(IDC_WEIGHED_RESULT, text);
}
