#include "fields.h"

#include "core/textutil.h"
#include "resource.h"

namespace {

// Selects the whole text and gives the field the focus again. The check's
// message box, as it closes, gives the focus back to the window that was
// getting it; the list answers that by posting itself a click that reopens
// its last cell, which would take the focus from the field again and run
// the check a second time. Such posted clicks (never the user's own, which
// come as input) are dropped.
void ReturnToField(CWnd *field) {
    MSG posted;
    while (::PeekMessageA(&posted, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE | PM_QS_POSTMESSAGE)) {
    }
    field->SendMessage(EM_SETSEL, 0, -1);
    field->SetFocus();
    // A button clicked to leave the field keeps the mouse and is drawn
    // pressed once its own click handling resumes: released after that.
    ::PostMessageA(::GetParent(field->m_hWnd), WM_RELEASE_BUTTONS, 0, 0);
}

}  // namespace

CString WholeText(HWND window) {
    CString text;
    const int length = ::GetWindowTextLengthA(window);
    if (length <= 0) return text;
    char *buffer = text.GetBuffer(length + 1);
    buffer[0] = 0;
    ::GetWindowTextA(window, buffer, length + 1);
    text.ReleaseBuffer(-1);
    return text;
}

void FocusField(CWnd *dialog, int id) {
    CWnd *field = dialog->GetDlgItem(id);
    field->SetFocus();
    field->SendMessage(EM_SETSEL, 0, -1);
}

int ReadNumberField(CWnd *window, double *value) { return ReadNumberText(WholeText(window->m_hWnd), value); }

int ReadNumberFieldOr(CWnd *window, double fallback, double *value) {
    return ReadNumberTextOr(WholeText(window->m_hWnd), fallback, value);
}

// ---------------------------------------------------------------------------
// CProductField

BEGIN_MESSAGE_MAP(CProductField, CWnd)
    ON_WM_KILLFOCUS()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_SETFOCUS()
END_MESSAGE_MAP()

// Leaving the field for another window checks the formula (an empty one passes).
void CProductField::OnKillFocus(CWnd *newFocus) {
    Default();
    if (newFocus == nullptr || busy >= 1 || owner.Closing()) return;
    ++busy;
    CString formula;
    GetWindowText(formula);
    CString problem = formula.IsEmpty() ? CString() : owner.ProductProblem(formula);
    if (!problem.IsEmpty()) {
        MessageBox(problem, "Quillon", MB_OK | MB_ICONHAND);
        ReturnToField(this);
    }
    --busy;
}

// A click that did not bring the focus (a leave check elsewhere kept it)
// ends the control's mouse capture at once.
void CProductField::OnLButtonDown(UINT, CPoint) {
    Default();
    if (::GetFocus() != m_hWnd) SendMessage(WM_LBUTTONUP, 0, 0);
}

void CProductField::OnLButtonUp(UINT, CPoint) { Default(); }

// Arriving in the field from another control of the window (Tab, an
// access key) selects the whole formula; the focus given back (a dialog or
// box above the window closing, the window itself handing it on) leaves the
// text as it was, so that the next key does not replace it.
void CProductField::OnSetFocus(CWnd *oldFocus) {
    Default();
    const HWND from = oldFocus != nullptr ? oldFocus->m_hWnd : nullptr, window = ::GetAncestor(m_hWnd, GA_ROOT);
    if (from != nullptr && from != window && ::GetAncestor(from, GA_ROOT) == window) SendMessage(EM_SETSEL, 0, -1);
}

// ---------------------------------------------------------------------------
// CNumberField

BEGIN_MESSAGE_MAP(CNumberField, CWnd)
    ON_WM_KILLFOCUS()
    ON_WM_LBUTTONDOWN()
    ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

// Leaving the field checks the number and shows it normalised (2.50 -> 2.5).
void CNumberField::OnKillFocus(CWnd *newFocus) {
    Default();
    if (newFocus == nullptr || busy >= 1 || owner.Closing()) return;
    ++busy;
    double value = 0.0;
    int read = ReadNumberField(this, &value);
    if (read != 0) {
        // "1,5": the chemist's decimal comma; say what the field takes.
        CString text = message;
        if (read == 2) text += "\nUse a point for decimals: 1.5.";
        MessageBox(text, "Quillon", MB_OK | MB_ICONHAND);
        ReturnToField(this);
    } else if (WholeText(m_hWnd) != NumberText(value).c_str()) {
        SetWindowText(NumberText(value).c_str());  // only when it changes: the caret stays where it was
    }
    --busy;
}

// As in CProductField, but posted: the edit control's own capture ends first.
void CNumberField::OnLButtonDown(UINT, CPoint) {
    Default();
    if (::GetFocus() != m_hWnd) PostMessage(WM_LBUTTONUP, 0, 0);
}
