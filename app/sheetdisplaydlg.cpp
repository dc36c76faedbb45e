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
    if (LoadReportFile() > 0) return TRUE;
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
