#include "sheetdisplaydlg.h"

#include <cstdio>

#include "resource.h"

// ---------------------------------------------------------------------------
// CSheetDisplayDlg

BEGIN_MESSAGE_MAP(CSheetDisplayDlg, CDialog)
    ON_BN_CLICKED(IDC_COPY_ALL, OnCopyAll)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CSheetDisplayDlg::CSheetDisplayDlg() : CDialog(IDD_OUTPUT_DISPLAY, nullptr) {}

BOOL CSheetDisplayDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CDC *dc = GetDC();
    font = new CFont;
    font->CreatePointFont(100, fontFace, dc);
    ReleaseDC(dc);
    GetDlgItem(IDC_REPORT_TEXT)->SetFont(font, TRUE);
    if (LoadReportFile() > 0) {
        FitWidth();
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

// A sheet wider than the text window (one with the batch's columns) widens
// the dialog to show its longest line whole, as far as the screen allows;
// a sheet that fits leaves it as it is.
void CSheetDisplayDlg::FitWidth() {
    HWND edit = ::GetDlgItem(m_hWnd, IDC_REPORT_TEXT);
    HDC dc = ::GetDC(edit);
    HGDIOBJ old = ::SelectObject(dc, static_cast<HFONT>(*font));
    SIZE digit = {};
    ::GetTextExtentPoint32A(dc, "0", 1, &digit);
    ::SelectObject(dc, old);
    ::ReleaseDC(edit, dc);
    RECT text;
    ::SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    const int width = int(text.right - text.left);
    if (int(longestLine) * digit.cx <= width) return;
    int grow = int(longestLine + 1) * digit.cx - width;
    CRect window;
    GetWindowRect(&window);
    RECT work = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    if (grow > (work.right - work.left) - window.Width()) grow = (work.right - work.left) - window.Width();
    if (grow <= 0) return;
    const int left = window.left - grow / 2 < work.left ? work.left : window.left - grow / 2;
    ::SetWindowPos(m_hWnd, nullptr, left, window.top, window.Width() + grow, window.Height(), SWP_NOZORDER);
    RECT box;
    ::GetWindowRect(edit, &box);
    ::SetWindowPos(edit, nullptr, 0, 0, box.right - box.left + grow, box.bottom - box.top, SWP_NOMOVE | SWP_NOZORDER);
    HWND copy = ::GetDlgItem(m_hWnd, IDC_COPY_ALL);
    ::GetWindowRect(copy, &box);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT *>(&box), 2);
    ::SetWindowPos(copy, nullptr, box.left + grow, box.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
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
