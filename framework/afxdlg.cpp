// CDialog: modal dialogs from the module's resource templates.
//
// DialogBoxParamA runs the system's dialog manager. At WM_INITDIALOG the
// dialog window is subclassed with this module's AfxWndProc, so from then on
// every message goes through the dialog object's message map first and its
// default processing (Default()) is the dialog manager's window procedure.
// Enter and Escape arrive as WM_COMMAND IDOK and IDCANCEL (the dialog
// manager's keyboard handling, and WM_CLOSE turned into IDCANCEL); CDialog's
// own map sends them to OnOK and OnCancel.
//
// The dialog manager's loop offers each message it takes from the queue to
// the thread's message filter (WH_MSGFILTER, MSGF_DIALOGBOX) before it
// handles it; while a CDialog runs modally, the filter gives the message to
// the objects' PreTranslateMessage, as a framework's own loop would.
#include "afxwin.h"

namespace {

// The thread's message filter while at least one CDialog runs modally.
HHOOK messageFilter = nullptr;
int modalDialogs = 0;

// The message to this module's objects of its window and its parents, up
// to the top-level window: a message of another dialog (a message box)
// never reaches the windows beneath it.
LRESULT CALLBACK FilterDialogMessage(int code, WPARAM wParam, LPARAM lParam) {
    MSG *msg = reinterpret_cast<MSG *>(lParam);
    if (code == MSGF_DIALOGBOX && msg != nullptr) {
        for (HWND window = msg->hwnd; window != nullptr; window = ::GetParent(window)) {
            CWnd *object = CWnd::FromHandlePermanent(window);
            if (object != nullptr && object->PreTranslateMessage(msg)) return TRUE;
            if ((::GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) == 0) break;
        }
    }
    return ::CallNextHookEx(messageFilter, code, wParam, lParam);
}

// A dialog whose owner is shown goes over the middle of the owner, inside
// the work area of the owner's monitor; with no owner in view it stays where
// its template puts it (the main window at start).
void CentreOverOwner(HWND dialog) {
    HWND owner = ::GetWindow(dialog, GW_OWNER);
    if (owner == nullptr || !::IsWindowVisible(owner) || ::IsIconic(owner)) return;
    RECT over = {}, own = {};
    ::GetWindowRect(owner, &over);
    ::GetWindowRect(dialog, &own);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT &work = monitor.rcWork;
    const LONG width = own.right - own.left, height = own.bottom - own.top;
    LONG x = over.left + ((over.right - over.left) - width) / 2;
    LONG y = over.top + ((over.bottom - over.top) - height) / 2;
    if (x + width > work.right) x = work.right - width;
    if (y + height > work.bottom) y = work.bottom - height;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    ::SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The dialog procedure: binds the object at WM_INITDIALOG and runs
// OnInitDialog through the object (which may size the dialog), then centres
// it over its owner; everything else is the dialog manager's.
INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    CDialog *dialog = reinterpret_cast<CDialog *>(lParam);
    if (dialog == nullptr || !dialog->SubclassWindow(hWnd)) {
        ::EndDialog(hWnd, -1);
        return FALSE;
    }
    INT_PTR focusSet = AfxCallWndProc(dialog, hWnd, WM_INITDIALOG, wParam, lParam);
    if (::IsWindow(hWnd)) CentreOverOwner(hWnd);
    return focusSet;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

// A dialog from template templateId, owned by parent.
CDialog::CDialog(UINT templateId, CWnd *parent) : m_nIDHelp(templateId), m_pParentWnd(parent) {}

// Runs the dialog modally; the owner is the parent given, else the thread's
// active window, so that the window beneath is disabled while it runs.
INT_PTR CDialog::DoModal() {
    if (m_hWnd != nullptr) return -1;  // already running
    HWND owner = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : ::GetActiveWindow();
    CFocusKeeper focus;  // given back once the dialog is gone and its owner enabled again
    if (modalDialogs++ == 0)
        messageFilter = ::SetWindowsHookExA(WH_MSGFILTER, FilterDialogMessage, nullptr, ::GetCurrentThreadId());
    INT_PTR result = ::DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nIDHelp), owner,
                                       DialogProc, reinterpret_cast<LPARAM>(this));
    if (--modalDialogs == 0 && messageFilter != nullptr) {
        ::UnhookWindowsHookEx(messageFilter);
        messageFilter = nullptr;
    }
    // The window is gone; WM_NCDESTROY has unbound the object. Should the
    // dialog manager have failed after WM_INITDIALOG, unbind it here.
    if (m_hWnd != nullptr && !::IsWindow(m_hWnd)) Detach();
    return result;
}

// Ends the modal loop with result.
void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

// TRUE: the dialog manager gives the focus to the first control.
BOOL CDialog::OnInitDialog() { return TRUE; }

// Enter, or the OK button.
void CDialog::OnOK() { EndDialog(IDOK); }

// Escape, the Close command, or the Cancel button.
void CDialog::OnCancel() { EndDialog(IDCANCEL); }

// The message maps, derived classes first; CDialog's map ends in IDOK and IDCANCEL.
BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) { return CWnd::OnCommand(wParam, lParam); }

// WM_INITDIALOG runs OnInitDialog; every other message as in CWnd. The
// dialog manager gives the focus, when the dialog window itself gets it or
// is activated, to the control it saved at its last deactivation, else to
// the first control with its text selected: Wine's display driver sets the
// focus to the window on its own focus events, so that a stale choice would
// take the typing away from the field in use. Here the control that just
// gave the focus up, or else the one kept, has it back, its text as it was.
LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    if (message == WM_SETFOCUS) {
        const HWND from = reinterpret_cast<HWND>(wParam);
        const HWND back = from != nullptr && ::IsChild(m_hWnd, from) ? from : focusKept;
        if (back != nullptr && ::IsWindow(back) && ::IsChild(m_hWnd, back) && ::IsWindowVisible(back) &&
            ::IsWindowEnabled(back)) {
            ::SetFocus(back);
            return 0;
        }
    }
    if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (!focusPinned && focus != nullptr && ::IsChild(m_hWnd, focus)) focusKept = focus;
    }
    LRESULT result = CWnd::WindowProc(message, wParam, lParam);
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && m_hWnd != nullptr) {
        focusPinned = false;
        CFocusKeeper(focusKept).Restore();
    }
    return result;
}

// The dialog manager's processing: the subclassed procedure, or DefDlgProc.
LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefDlgProcA(m_hWnd, message, wParam, lParam);
}
