#include "sheetdisplaydlg.h"

#include <cstdio>

#include "resource.h"

// ---------------------------------------------------------------------------
// CSheetDisplayDlg

BEGIN_MESSAGE_MAP(CSheetDisplayDlg, CDialog)
    ON_BN_CLICKED(IDC_COPY_ALL, OnCopyAll)
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_MESSAGE(WM_GETMINMAXINFO, OnGetMinMaxInfo)
END_MESSAGE_MAP()

namespace {

RECT ChildRect(HWND dialog, int id) {
    RECT rect = {};
    ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

}  // namespace

CSheetDisplayDlg::CSheetDisplayDlg() : CDialog(IDD_OUTPUT_DISPLAY, nullptr) {}

BOOL CSheetDisplayDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CRect window, inside;
    GetWindowRect(&window);
    GetClientRect(&inside);
    minimum = {window.Width(), window.Height()};
    client = {inside.Width(), inside.Height()};
    text = ChildRect(m_hWnd, IDC_REPORT_TEXT);
    close = ChildRect(m_hWnd, IDOK);
    copy = ChildRect(m_hWnd, IDC_COPY_ALL);
    CDC *dc = GetDC();
    font = new CFont;
    font->CreatePointFont(100, fontFace, dc);
    ReleaseDC(dc);
    GetDlgItem(IDC_REPORT_TEXT)->SetFont(font, TRUE);
    if (LoadReportFile() > 0) {
        const SIZE size = windowSize.cx > 0 && windowSize.cy > 0 ? windowSize : SheetSize();
        RECT work = {};
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        const int width = size.cx < work.right - work.left ? int(size.cx) : int(work.right - work.left);
        const int height = size.cy < work.bottom - work.top ? int(size.cy) : int(work.bottom - work.top);
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        laidOut = true;
        return TRUE;
    }
    AfxMessageBox("Error occurred while displaying result.", MB_OK);
    EndDialog(IDCANCEL);
    return TRUE;
}

long CSheetDisplayDlg::LoadReportFile() {
    const size_t BUFFER_SIZE = 520;
    if (size_t(fileName.GetLength()) >= BUFFER_SIZE) return 0;
    std::FILE *file = std::fopen(fileName, "r");
    if (file == nullptr) {
        AfxMessageBox("Error occurred while displaying output.", MB_OK);
        return 0;
    }
    CWnd *edit = GetDlgItem(IDC_REPORT_TEXT);
    char chunk[BUFFER_SIZE];
    long total = 0;
    for (;;) {
        size_t n = std::fread(chunk, 1, BUFFER_SIZE - 1, file);
        if (n == 0) break;
        chunk[n] = 0;
        total += long(n);
        for (size_t i = 0; i < n; ++i) {
            if (lineLength == 0 && chunk[i] != '\n') ++lines;
            if (chunk[i] == '\n' && lineLength == 0) ++lines;  // an empty line
            lineLength = chunk[i] == '\n' ? 0 : lineLength + 1;
            if (lineLength > longestLine) longestLine = lineLength;
        }
        LRESULT end = edit->SendMessage(WM_GETTEXTLENGTH);
        edit->SendMessage(EM_SETSEL, (WPARAM)end, end);
        edit->SendMessage(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(chunk));
    }
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    // The sheet opens at its top, not where the last chunk went in.
    edit->SendMessage(EM_SETSEL, 0, 0);
    edit->SendMessage(WM_VSCROLL, SB_TOP, 0);
    if (failed) AfxMessageBox("Error occurred while displaying output.", MB_OK);
    return total;
}

// At least the template's size; wider to show the longest line whole and
// taller to show every line (with one line to spare), in the sheet's font.
SIZE CSheetDisplayDlg::SheetSize() const {
    HWND edit = ::GetDlgItem(m_hWnd, IDC_REPORT_TEXT);
    HDC dc = ::GetDC(edit);
    HGDIOBJ old = ::SelectObject(dc, static_cast<HFONT>(*font));
    SIZE digit = {};
    ::GetTextExtentPoint32A(dc, "0", 1, &digit);
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(edit, dc);
    RECT shown;
    ::SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&shown));
    SIZE size = minimum;
    const long wider = long(longestLine + 1) * digit.cx - (shown.right - shown.left);
    const long taller = long(lines + 1) * metrics.tmHeight - (shown.bottom - shown.top);
    if (wider > 0) size.cx += wider;
    if (taller > 0) size.cy += taller;
    return size;
}

// The text takes the window's room; Close keeps to the bottom left corner,
// Copy All to the bottom right one. A size the user gives is kept.
void CSheetDisplayDlg::OnSize(UINT type, int cx, int cy) {
    Default();
    if (type == SIZE_MINIMIZED || client.cx == 0) return;
    const int dx = cx - int(client.cx), dy = cy - int(client.cy);
    auto place = [this](int id, const RECT &rect, int left, int top, int right, int bottom) {
        ::SetWindowPos(::GetDlgItem(m_hWnd, id), nullptr, rect.left + left, rect.top + top,
                       rect.right - rect.left + right - left, rect.bottom - rect.top + bottom - top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(IDC_REPORT_TEXT, text, 0, 0, dx, dy);
    place(IDOK, close, 0, dy, 0, dy);
    place(IDC_COPY_ALL, copy, dx, dy, dx, dy);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    if (laidOut && type == SIZE_RESTORED) {
        CRect window;
        GetWindowRect(&window);
        windowSize = {window.Width(), window.Height()};
    }
}

LRESULT CSheetDisplayDlg::OnGetMinMaxInfo(WPARAM, LPARAM lParam) {
    if (minimum.cx > 0) reinterpret_cast<MINMAXINFO *>(lParam)->ptMinTrackSize = {minimum.cx, minimum.cy};
    return 0;
}

// The whole sheet to the clipboard; the selection stays to show what went.
void CSheetDisplayDlg::OnCopyAll() {
    ::MessageBeep(MB_ICONASTERISK);
    CRichEditCtrl *edit = static_cast<CRichEditCtrl *>(GetDlgItem(IDC_REPORT_TEXT));
    edit->SetSel(0, -1);
    edit->Copy();
}

void CSheetDisplayDlg::OnDestroy() {
    delete font;
    font = nullptr;
    Default();
}
