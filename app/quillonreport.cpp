// The main dialog's output: the sheet appended to a report file and shown
// (the default output), or typed into the word processor; and the report
// files of earlier runs.
#include <cstdio>

#include "core/sheet.h"
#include "quillondlg.h"
#include "resource.h"
#include "sheetdisplaydlg.h"
#include "wordout.h"

namespace {

// moduleDir + "YYYY.MM.DD-hh.mm.ss." + extension for the given local time.
CString ReportFileName(const char *moduleDir, const char *extension, const SYSTEMTIME &time) {
    CString name;
    name.Format("%s%04d.%02d.%02d-%02d.%02d.%02d.%s", moduleDir, int(time.wYear), int(time.wMonth), int(time.wDay),
                int(time.wHour), int(time.wMinute), int(time.wSecond), extension);
    return name;
}

}  // namespace

// The outcome's sheet goes to Word when that output is chosen, else to the
// default output; the outcome is kept for printing, export and the weighed
// check.
void CQuillonDlg::WriteSheet(const CalcOutcome &outcome) {
    KeepSheet(outcome);
    if (outputToWord)
        WriteWordReport(outcome.sheet);
    else
        WriteDefaultReport(outcome.sheet);
}

int CQuillonDlg::WriteDefaultReport(const WeighingSheet &sheet) {
    CString text = SheetFileText(sheet);
    return ShowReportText(text.GetString(), size_t(text.GetLength()));
}

// The text appended to this second's report file, then shown; 1 when the
// file cannot be opened, else 0.
int CQuillonDlg::ShowReportText(const char *text, size_t length) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    CString name = ReportFileName(moduleDir, reportExtension, now);
    std::FILE *file = std::fopen(name, "a");
    if (file == nullptr) {
        MessageBox("A file error occurred while producing output.");
        return 1;
    }
    std::fwrite(text, 1, length, file);
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

int CQuillonDlg::WriteWordReport(const WeighingSheet &sheet) {
    outputToWord = 1;
    if (TypeSheetInWord(wordClsid, sheet, wordDocumentName, this) != WORD_OUTPUT_UNREACHABLE) return 0;
    // Later calculations use the default output until Word is chosen again.
    outputToWord = 0;
    return WriteDefaultReport(sheet);
}
