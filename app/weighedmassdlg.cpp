#include "weighedmassdlg.h"

#include "core/datatext.h"
#include "core/textutil.h"
#include "fields.h"
#include "resource.h"

namespace {

// The list's columns, in dialog units: row, formula, sheet's grams, grams weighed.
const int kTabStops[] = {18, 120, 180};

CString ItemText(HWND dialog, int id) { return WholeText(::GetDlgItem(dialog, id)); }

LRESULT Send(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendDlgItemMessageA(dialog, id, message, wParam, lParam);
}

// A mass or a tolerance as the chemist may type it: a plain number of 0 or more.
bool ReadNoneOrMore(const CString &text, double *value) {
    return ReadNumberText(text, value) == 0 && *value >= 0.0;
}

}  // namespace

BEGIN_MESSAGE_MAP(CWeighedMassDlg, CDialog)
    ON_CONTROL(LBN_SELCHANGE, IDC_WEIGHED_LIST, OnSelectRow)
    ON_CONTROL(EN_CHANGE, IDC_WEIGHED_GRAMS, OnGramsTyped)
    ON_CONTROL(EN_CHANGE, IDC_WEIGHED_TOLERANCE, Recheck)
    ON_BN_CLICKED(IDC_WEIGHED_COPY, OnCopy)
    ON_BN_CLICKED(IDC_WEIGHED_PRINT, OnPrint)
    ON_BN_CLICKED(IDC_WEIGHED_EXPORT, OnExport)
END_MESSAGE_MAP()

CWeighedMassDlg::CWeighedMassDlg(const CReaction &calculated, const WeighingSheet &weighing,
                                 const std::vector<int> &rows, const std::vector<CString> &formulas,
                                 WeighedMasses &kept, const WeighedOutputs &out, CWnd *parent)
    : CDialog(IDD_WEIGHED, parent), reaction(calculated), sheet(weighing), rowNumbers(rows), rowFormulas(formulas),
      masses(kept), outputs(out), typed(weighing.reactants.size()) {
    for (size_t i = 0; i < typed.size(); ++i) {
        byVolume.push_back(weighing.reactants[i].hasVolume);
        const double *value = byVolume[i] ? masses.Millilitres(rowNumbers[i], rowFormulas[i])
                                          : masses.Grams(rowNumbers[i], rowFormulas[i]);
        if (value != nullptr) typed[i] = FormatFieldNumber(*value);
    }
}

BOOL CWeighedMassDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    Send(m_hWnd, IDC_WEIGHED_LIST, LB_SETTABSTOPS, sizeof kTabStops / sizeof kTabStops[0],
         reinterpret_cast<LPARAM>(kTabStops));
    Send(m_hWnd, IDC_WEIGHED_RESULT, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(ANSI_FIXED_FONT)));
    for (size_t i = 0; i < sheet.reactants.size(); ++i) {
        Send(m_hWnd, IDC_WEIGHED_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
        ShowLine(int(i), false);
    }
    SetDlgItemText(IDC_WEIGHED_TOLERANCE, FormatFieldNumber(masses.tolerance));
    Send(m_hWnd, IDC_WEIGHED_LIST, LB_SETCURSEL, 0);
    OnSelectRow();
    Recheck();
    return TRUE;
}

void CWeighedMassDlg::ShowLine(int index, bool past) {
    const SheetReactant &reactant = sheet.reactants[size_t(index)];
    const bool volume = byVolume[size_t(index)];
    const CString &value = typed[size_t(index)];
    // What the pipette or the balance is to show: a solution is weighed whole.
    const double target = volume                       ? reactant.volumeMl
                          : reactant.hasSolutionGrams ? reactant.solutionGrams
                                                      : GramsToWeigh(sheet, reactant);
    CString line;
    line.Format("%d\t%s\t%s%s\t%s%s%s", rowNumbers[size_t(index)], reactant.formula.GetString(),
                NumberText(target).c_str(), volume ? " mL" : "",
                value.GetString(), volume && !value.IsEmpty() ? " mL" : "", past ? "  *" : "");
    const LRESULT selected = Send(m_hWnd, IDC_WEIGHED_LIST, LB_GETCURSEL);
    Send(m_hWnd, IDC_WEIGHED_LIST, LB_DELETESTRING, WPARAM(index));
    Send(m_hWnd, IDC_WEIGHED_LIST, LB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(line.GetString()));
    if (selected == index) Send(m_hWnd, IDC_WEIGHED_LIST, LB_SETCURSEL, WPARAM(index));
}

void CWeighedMassDlg::OnSelectRow() {
    shown = -1;  // setting the field's text is no typing
    int index = int(Send(m_hWnd, IDC_WEIGHED_LIST, LB_GETCURSEL));
    if (index < 0) return;
    SetDlgItemText(IDC_WEIGHED_UNIT, byVolume[size_t(index)] ? "&Dispensed (mL)" : "&Weighed (g)");
    SetDlgItemText(IDC_WEIGHED_GRAMS, typed[size_t(index)]);
    shown = index;
}

// The row chosen as a click on it would choose it, its mass selected in the field.
void CWeighedMassDlg::SelectRow(int index) {
    Send(m_hWnd, IDC_WEIGHED_LIST, LB_SETCURSEL, WPARAM(index));
    OnSelectRow();
    HWND field = ::GetDlgItem(m_hWnd, IDC_WEIGHED_GRAMS);
    ::SetFocus(field);
    ::SendMessageA(field, EM_SETSEL, 0, -1);
}

void CWeighedMassDlg::OnGramsTyped() {
    if (shown < 0) return;
    typed[size_t(shown)] = ItemText(m_hWnd, IDC_WEIGHED_GRAMS);
    Recheck();
}

// The typed text becomes the row's mass or volume (an empty text: none,
// unless the row holds a value of the other kind, which stays).
bool CWeighedMassDlg::CommitRow(int index) {
    const CString &text = typed[size_t(index)];
    const bool volume = byVolume[size_t(index)];
    const int row = rowNumbers[size_t(index)];
    double value = 0.0;
    if (!text.IsEmpty() && !ReadNoneOrMore(text, &value)) {
        CString message;
        message.Format(volume ? "The millilitres dispensed of %s (row %d) are not a number of 0 or more."
                              : "The grams weighed of %s (row %d) are not a number of 0 or more.",
                       sheet.reactants[size_t(index)].formula.GetString(), row);
        MessageBox(message, "Quillon", MB_OK | MB_ICONEXCLAMATION);
        SelectRow(index);
        return false;
    }
    const CString &formula = rowFormulas[size_t(index)];
    if (text.IsEmpty() && (volume ? masses.Grams(row, formula) : masses.Millilitres(row, formula)) != nullptr)
        return true;
    if (volume) masses.SetDispensed(row, text.IsEmpty() ? "" : formula.GetString(), value);
    else masses.SetRow(row, text.IsEmpty() ? "" : formula.GetString(), value);
    return true;
}

bool CWeighedMassDlg::CommitTolerance() {
    double tolerance = 0.0;
    if (!ReadNoneOrMore(ItemText(m_hWnd, IDC_WEIGHED_TOLERANCE), &tolerance)) {
        MessageBox("Enter the tolerance: a percentage of 0 or more.", "Quillon", MB_OK | MB_ICONEXCLAMATION);
        HWND field = ::GetDlgItem(m_hWnd, IDC_WEIGHED_TOLERANCE);
        ::SetFocus(field);
        ::SendMessageA(field, EM_SETSEL, 0, -1);
        return false;
    }
    masses.tolerance = tolerance;
    return true;
}

// Enter: in the grams field the mass is kept and the next row comes up (the
// last row stays); in the tolerance field the tolerance is kept. No button
// is the default, so Enter never closes the dialog.
void CWeighedMassDlg::OnOK() {
    HWND focus = ::GetFocus();
    if (focus == ::GetDlgItem(m_hWnd, IDC_WEIGHED_TOLERANCE)) {
        CommitTolerance();
        return;
    }
    if (focus != ::GetDlgItem(m_hWnd, IDC_WEIGHED_GRAMS) || shown < 0) return;
    const int index = shown;
    if (!CommitRow(index)) return;
    SelectRow(index + 1 < int(typed.size()) ? index + 1 : index);
}

// Every mass typed is kept, the one in the field too.
void CWeighedMassDlg::OnCancel() {
    for (size_t i = 0; i < typed.size(); ++i)
        if (!CommitRow(int(i))) return;
    if (CommitTolerance()) CDialog::OnCancel();
}

// The check once every row has a mass (or volume) that reads (0 or more)
// and the tolerance reads; until then what is missing.
void CWeighedMassDlg::Recheck() {
    std::vector<WeighedAmount> weighed(typed.size());
    CString missing;
    for (size_t i = 0; i < typed.size(); ++i) {
        double value = 0.0;
        if (typed[i].IsEmpty() || ReadNumberText(typed[i], &value) != 0 || value < 0.0) {
            if (missing.IsEmpty())
                missing.Format(byVolume[i] ? "Enter the millilitres dispensed of %s (row %d)."
                                           : "Enter the grams weighed of %s (row %d).",
                               sheet.reactants[i].formula.GetString(), rowNumbers[i]);
        }
        weighed[i].byVolume = byVolume[i];
        (byVolume[i] ? weighed[i].millilitres : weighed[i].grams) = value;
    }
    double tolerance = 0.0;
    if (missing.IsEmpty() && (ReadNumberText(ItemText(m_hWnd, IDC_WEIGHED_TOLERANCE), &tolerance) != 0 || tolerance < 0.0))
        missing = "Enter the tolerance: a percentage of 0 or more.";
    result = WeighedResult();
    checked = missing.IsEmpty();
    if (checked) result = CheckWeighed(reaction, sheet, rowNumbers, weighed, tolerance);
    if (result.status == WeighedStatus::BadVolume) {
        checked = false;
        missing = result.refusal;
    }
    for (size_t i = 0; i < typed.size(); ++i) ShowLine(int(i), result.done && result.rows[i].past);
    CString text;
    if (!checked) {
        text = missing;
    } else {
        for (char ch : WeighedText(result)) {
            if (ch == '\n') text += '\r';
            text += ch;
        }
    }
    SetDlgItemText(IDC_WEIGHED_RESULT, text);
    for (int id : {IDC_WEIGHED_COPY, IDC_WEIGHED_PRINT, IDC_WEIGHED_EXPORT})
        ::EnableWindow(::GetDlgItem(m_hWnd, id), checked ? TRUE : FALSE);
}

// The check's text as shown (CR LF) to the clipboard, through the field's own copy.
void CWeighedMassDlg::OnCopy() {
    if (!checked) return;
    Send(m_hWnd, IDC_WEIGHED_RESULT, EM_SETSEL, 0, -1);
    Send(m_hWnd, IDC_WEIGHED_RESULT, WM_COPY);
    ::MessageBeep(MB_ICONASTERISK);
}

void CWeighedMassDlg::OnPrint() {
    if (checked && outputs.print) outputs.print(this, WeighedText(result));
}

void CWeighedMassDlg::OnExport() {
    if (checked && outputs.exportCsv) outputs.exportCsv(this, WeighedCsv(result));
}
