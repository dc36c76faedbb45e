// The main dialog's lab record: the sheet of the last calculation printed
// or exported as CSV, and the settings printing uses (operator, balance).
#include <cstdio>
#include <cstring>

#include "balancedlg.h"
#include "core/calcfile.h"
#include "core/printsheet.h"
#include "core/reaction.h"
#include "core/sheet.h"
#include "core/sheetdata.h"
#include "framework/afxdlgs.h"
#include "printout.h"
#include "quillondlg.h"
#include "resource.h"

namespace {

const char kSection[] = "Settings";
const char kDefaultReadability[] = "0.0001";

// A file name from text (a sample ID, a formula): the characters a file
// name cannot hold made '_'.
CString SafeFileName(const CString &name) {
    CString safe;
    for (int i = 0; i < name.GetLength(); ++i) {
        char ch = name[i];
        safe += std::strchr("\\/:*?\"<>|", ch) != nullptr || (unsigned char)ch < 32 ? '_' : ch;
    }
    return safe;
}

}  // namespace

// Called with every report: the outcome as calculated, and the entry it came from.
void CQuillonDlg::KeepSheet(const CalcOutcome &outcome) {
    kept = outcome;
    ReadEntry(sheetEntry);
    sheetKept = true;
}

// True when the kept sheet is still the entry's; else says why nothing is
// printed or exported.
bool CQuillonDlg::SheetCurrent() {
    SetFocus();  // a field being edited is left first, so that its text counts
    if (!sheetKept) {
        MessageBox("There is no weighing sheet yet: press Calculate first.", "Quillon", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    Entry now;
    ReadEntry(now);
    if (!SameEntry(now, sheetEntry)) {
        MessageBox("The entry has changed since the last calculation.\nPress Calculate again, then print or export.",
                   "Quillon", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

void CQuillonDlg::OnPrint() {
    if (!seriesFormula.IsEmpty()) {
        // The printed page holds one composition; a series goes to a spreadsheet.
        MessageBox("A series sheet is not printed from here.\nExport it with File, Export CSV, and print it "
                   "from the spreadsheet.",
                   "Quillon", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!SheetCurrent()) return;
    PrintSettings settings;
    settings.operatorName = balance.operatorName;
    // The texts were checked when they were set or read: a blank minimum weight stays units 0.
    ReadBalanceGrams(balance.readability, &settings.readability);
    ReadBalanceGrams(balance.minimumWeight, &settings.minimumWeight);
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    CString date;
    date.Format("%04d-%02d-%02d %02d:%02d", int(now.wYear), int(now.wMonth), int(now.wDay), int(now.wHour),
                int(now.wMinute));
    PrintedSheet printed;
    if (MakePrintedSheet(kept.sheet, settings, date, &printed) != PrintSheetStatus::Ready) {
        MessageBox("The masses are too large to round to the balance's readability.\n"
                   "Check the readability under Options, Balance and Operator.",
                   "Quillon", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CString title = "Quillon - " + (kept.sheet.sampleId.IsEmpty() ? kept.sheet.productFormula : kept.sheet.sampleId);
    PrintOutcome outcome = printer.Print(this, printed, title);
    if (outcome == PrintOutcome::NoPrinter)
        MessageBox("No printer is installed.\nAdd one in the system's printer settings, or export the sheet as CSV.",
                   "Quillon", MB_OK | MB_ICONEXCLAMATION);
    else if (outcome == PrintOutcome::Failed)
        MessageBox("The sheet could not be printed.", "Quillon", MB_OK | MB_ICONHAND);
}

// The sheet as CSV, or the series sheet while the entry is a series.
void CQuillonDlg::OnExportCsv() {
    if (!seriesFormula.IsEmpty()) {
        ExportSeriesCsv();
        return;
    }
    if (!SheetCurrent()) return;
    // What quillon-cli's "sheet --format csv" prints.
    ExportCsvText(kept.sheet.sampleId.IsEmpty() ? kept.sheet.productFormula : kept.sheet.sampleId,
                  SheetCsv(kept.sheet));
}

// Asks where to export, proposing the name (its sample ID, else its
// formula), and writes csv there whole or not at all: a file that was there
// stays until the new one is complete.
void CQuillonDlg::ExportCsvText(const CString &proposedName, const std::string &csv) {
    CFileDialog dialog(FALSE, "csv", SafeFileName(proposedName), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*||", this);
    dialog.m_ofn.lpstrTitle = "Export CSV";
    if (dialog.DoModal() != IDOK) return;
    if (SaveTextFile(dialog.GetPathName(), CString(csv.c_str())) != CalcSaveStatus::Saved)
        MessageBox("Failed to export the sheet.", "Quillon : File I/O Error", MB_OK | MB_ICONEXCLAMATION);
}

void CQuillonDlg::OnBalanceSettings() {
    CBalanceDlg dialog(balance, this);
    if (dialog.DoModal() == IDOK) balance = dialog.Texts();
}

// Read with the other settings; a stored readability that does not read is
// replaced by the default, a minimum weight that does not read by blank.
void CQuillonDlg::ReadPrintSettings() {
    CWinApp *app = AfxGetApp();
    balance.operatorName = app->GetProfileString(kSection, "Operator", "");
    balance.readability = app->GetProfileString(kSection, "Balance Readability", kDefaultReadability);
    balance.minimumWeight = app->GetProfileString(kSection, "Minimum Weight", "");
    Decimal grams;
    if (!ReadBalanceGrams(balance.readability, &grams)) balance.readability = kDefaultReadability;
    if (!ReadBalanceGrams(balance.minimumWeight, &grams)) balance.minimumWeight.Empty();
}

void CQuillonDlg::WritePrintSettings() {
    CWinApp *app = AfxGetApp();
    app->WriteProfileString(kSection, "Operator", balance.operatorName);
    app->WriteProfileString(kSection, "Balance Readability", balance.readability);
    app->WriteProfileString(kSection, "Minimum Weight", balance.minimumWeight);
}
