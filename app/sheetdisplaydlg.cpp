#include "sheetdisplaydlg.h"

#include <cstdio>

#include "core/reaction.h"
#include "quillondlg.h"
#include "resource.h"
#include "core/sheet.h"

CString ReportFileName(const char *moduleDir, const char *extension, const SYSTEMTIME &time) {
    CString name;
    name.Format("%s%04d.%02d.%02d-%02d.%02d.%02d.%s", moduleDir, int(time.wYear), int(time.wMonth), int(time.wDay),
                int(time.wHour), int(time.wMinute), int(time.wSecond), extension);
    return name;
}

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

// ---------------------------------------------------------------------------
// The main dialog's default output

int CQuillonDlg::WriteDefaultReport(const CReaction &reaction, double amount) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    CString name = ReportFileName(moduleDir, reportExtension, now);
    std::FILE *file = std::fopen(name, "a");
    if (file == nullptr) {
        MessageBox("A file error occurred while producing output.");
        return 1;
    }
    CString sampleId;
    GetDlgItem(IDC_SAMPLE_ID)->GetWindowText(sampleId);
    CString text = SheetFileText(MakeWeighingSheet(reaction, amount, sampleId, showDifferential));
    std::fwrite(text.GetString(), 1, size_t(text.GetLength()), file);
    std::fclose(file);

    CSheetDisplayDlg display;
    display.SetData(name, reportFontFace);
    display.DoModal();
    return 0;
}

int CQuillonDlg::DeleteOldReports() {
    CString pattern = moduleDir + "*." + reportExtension;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        ++count;
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    // No is the default: Enter must not delete a sheet written minutes ago.
    CString question;
    question.Format("There %s %d old output file%s ( *.%s ), and %s about to be deleted.\n"
                    "Do you want to go ahead and delete %s?",
                    count == 1 ? "is" : "are", count, count == 1 ? "" : "s", reportExtension.GetString(),
                    count == 1 ? "it is" : "they are", count == 1 ? "it" : "them");
    if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) return 0;
    search = ::FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int deleted = 0;
    do {
        if (!::DeleteFileA(moduleDir + found.cFileName)) break;
        ++deleted;
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return deleted;
}
