// The main dialog's output: the sheet appended to a report file and shown
// (the default output), or typed into the word processor; and the report
// files of earlier runs.
#include <cstdio>

#include "core/reaction.h"
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

CString CQuillonDlg::SampleId() {
    CString sampleId;
    GetDlgItem(IDC_SAMPLE_ID)->GetWindowText(sampleId);
    return sampleId;
}

// The report goes to Word when that output is chosen, else to the default output.
// The sheet is kept for printing and export, with the list rows of its
// starting materials (empty when not known).
void CQuillonDlg::WriteSheet(const WeighingSheet &sheet, const std::vector<int> &rowNumbers) {
    KeepSheet(sheet, rowNumbers);
    if (outputToWord)
        WriteWordReport(sheet);
    else
        WriteDefaultReport(sheet);
}

// A plain sheet shows as it always has; it is kept with the batch's numbers
// (mmol, gases, totals), which its CSV carries as quillon-cli's does.
void CQuillonDlg::WriteReport(const CReaction &reaction, double amount) {
    BatchInput plain;
    plain.mass = amount;
    const BatchResult result = CalculateBatch(reaction, plain);
    if (result.status == BatchStatus::Done)
        WriteSheet(MakeBatchSheet(reaction, plain, result, rowsHandedOut, SampleId(), showDifferential), rowsHandedOut);
    else
        WriteSheet(MakeWeighingSheet(reaction, amount, SampleId(), showDifferential), rowsHandedOut);
}

void CQuillonDlg::WriteBatchReport(const CReaction &reaction, const BatchInput &input, const BatchResult &result,
                                   const std::vector<int> &rowNumbers) {
    WriteSheet(MakeBatchSheet(reaction, input, result, rowNumbers, SampleId(), showDifferential), rowNumbers);
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
