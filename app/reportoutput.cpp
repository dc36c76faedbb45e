#include "reportoutput.h"

#include <cstdio>

#include "sheetdisplaydlg.h"
#include "wordout.h"

namespace {

const char kReportFontFace[] = "Courier New";

// folder + "YYYY.MM.DD-hh.mm.ss." + extension for the given local time.
CString ReportFileName(const char *folder, const char *extension, const SYSTEMTIME &time) {
    CString name;
    name.Format("%s%04d.%02d.%02d-%02d.%02d.%02d.%s", folder, int(time.wYear), int(time.wMonth), int(time.wDay),
                int(time.wHour), int(time.wMinute), int(time.wSecond), extension);
    return name;
}

}  // namespace

void CReportOutput::Start(const CString &programFolder, bool wordChosen) {
    folder = programFolder;
    DeleteOldReports();
    HCURSOR cursor = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    wordAvailable = ::CLSIDFromProgID(L"Word.Application", &wordClsid) == S_OK;
    ::SetCursor(cursor);
    ChooseWord(wordChosen);
}

void CReportOutput::Write(CWnd *owner, const WeighingSheet &sheet) {
    if (toWord && TypeSheetInWord(wordClsid, sheet, wordDocumentName, owner) != WORD_OUTPUT_UNREACHABLE) return;
    toWord = false;
    CString text = SheetFileText(sheet);
    ShowText(owner, text.GetString(), size_t(text.GetLength()));
}

bool CReportOutput::ShowText(CWnd *owner, const char *text, size_t length) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    CString name = ReportFileName(folder, Extension(), now);
    std::FILE *file = std::fopen(name, "a");
    if (file == nullptr) {
        owner->MessageBox("A file error occurred while producing output.");
        return false;
    }
    std::fwrite(text, 1, length, file);
    std::fclose(file);

    CSheetDisplayDlg display;
    display.SetData(name, kReportFontFace);
    display.SetSize(displaySize);
    display.DoModal();
    displaySize = display.Size();
    return true;
}

int CReportOutput::DeleteOldReports() {
    CString pattern = folder + "*." + Extension();
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
                    count == 1 ? "is" : "are", count, count == 1 ? "" : "s", Extension(),
                    count == 1 ? "it is" : "they are", count == 1 ? "it" : "them");
    if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) return 0;
    search = ::FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int deleted = 0;
    do {
        if (!::DeleteFileA(folder + found.cFileName)) break;
        ++deleted;
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return deleted;
}
