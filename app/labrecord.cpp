#include "labrecord.h"

#include <cstring>

#include "core/calcfile.h"
#include "core/printsheet.h"
#include "core/reaction.h"
#include "core/sheetdata.h"
#include "framework/afxdlgs.h"
#include "printpreviewdlg.h"
#include "weighedmassdlg.h"

namespace {

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

// The name a sheet proposes for its files and prints under.
CString SheetName(const WeighingSheet &sheet) {
    return sheet.sampleId.IsEmpty() ? sheet.productFormula : sheet.sampleId;
}

}  // namespace

void CLabRecord::Keep(const CalcOutcome &calculated, const Entry &from) {
    outcome = calculated;
    entry = from;
    kept = true;
}

bool CLabRecord::Current(CWnd *owner, const Entry &now) const {
    if (!kept) {
        owner->MessageBox("There is no weighing sheet yet: press Calculate first.", "Quillon",
                          MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    // The masses weighed are no input of the sheet.
    Entry calculated = now;
    calculated.weighed = entry.weighed;
    if (!SameEntry(calculated, entry)) {
        owner->MessageBox("The entry has changed since the last calculation.\nPress Calculate again, then print or export.",
                          "Quillon", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool CLabRecord::MakePage(CWnd *owner, const Entry &now, PrintedSheet *printed) const {
    if (!Current(owner, now)) return false;
    PrintSettings settings;
    settings.operatorName = balance.operatorName;
    // The texts were checked when they were set or read: a blank minimum weight stays units 0.
    ReadBalanceGrams(balance.readability, &settings.readability);
    ReadBalanceGrams(balance.minimumWeight, &settings.minimumWeight);
    ReadBalanceGrams(balance.pipetteReadability, &settings.pipetteReadability);
    ReadBalanceGrams(balance.minimumVolume, &settings.minimumVolume);
    SYSTEMTIME time;
    ::GetLocalTime(&time);
    CString date;
    date.Format("%04d-%02d-%02d %02d:%02d", int(time.wYear), int(time.wMonth), int(time.wDay), int(time.wHour),
                int(time.wMinute));
    const PrintSheetStatus status = MakePrintedSheet(outcome.sheet, settings, date, printed);
    if (status == PrintSheetStatus::NotRoundable)
        owner->MessageBox("The masses are too large to round to the balance's readability.\n"
                          "Check the readability under Options, Balance and Operator.",
                          "Quillon", MB_OK | MB_ICONEXCLAMATION);
    if (status == PrintSheetStatus::VolumeNotRoundable)
        owner->MessageBox("The volumes are too large to round to the pipette's readability.\n"
                          "Check the pipette readability under Options, Balance and Operator.",
                          "Quillon", MB_OK | MB_ICONEXCLAMATION);
    return status == PrintSheetStatus::Ready;
}

void CLabRecord::Print(CWnd *owner, const Entry &now) {
    PrintedSheet printed;
    if (MakePage(owner, now, &printed)) PrintWithMessages(printer, owner, printed, "Quillon - " + SheetName(outcome.sheet));
}

void CLabRecord::Preview(CWnd *owner, const Entry &now) {
    PrintedSheet printed;
    if (!MakePage(owner, now, &printed)) return;
    CPrintPreviewDlg dialog(printer, printed, "Quillon - " + SheetName(outcome.sheet), SafeFileName(SheetName(outcome.sheet)),
                            owner);
    dialog.DoModal();
}

// What quillon-cli's "sheet --format csv" prints.
void CLabRecord::ExportCsv(CWnd *owner, const Entry &now) {
    if (Current(owner, now)) ExportCsvFile(owner, SheetName(outcome.sheet), SheetCsv(outcome.sheet));
}

void CLabRecord::CheckWeighed(CWnd *owner, const Entry &now) {
    if (!Current(owner, now)) return;
    std::vector<CString> formulas;
    for (int row : outcome.rowNumbers) formulas.push_back(entry.rows.row(row - 1)->formula);
    weighed = now.weighed;
    const CString name = SheetName(outcome.sheet) + " weighed";
    WeighedOutputs outputs;
    outputs.print = [this, name](CWnd *dialog, const std::string &text) {
        SayPrinted(dialog, printer.Print(dialog,
                                         [&text](HDC dc, int width, int height, int dpi) {
                                             DrawTextPage(dc, "Weighed masses", text, width, height, dpi);
                                         },
                                         "Quillon - " + name));
    };
    outputs.exportCsv = [name](CWnd *dialog, const std::string &csv) { ExportCsvFile(dialog, name, csv); };
    CWeighedMassDlg dialog(*outcome.reaction, outcome.sheet, outcome.rowNumbers, formulas, weighed, outputs, owner);
    dialog.DoModal();
}

void CLabRecord::EditBalance(CWnd *owner) {
    CBalanceDlg dialog(balance, owner);
    if (dialog.DoModal() == IDOK) balance = dialog.Texts();
}

void ExportCsvFile(CWnd *owner, const CString &proposedName, const std::string &csv) {
    CFileDialog dialog(FALSE, "csv", SafeFileName(proposedName), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*||", owner);
    dialog.m_ofn.lpstrTitle = "Export CSV";
    if (dialog.DoModal() != IDOK) return;
    if (SaveTextFile(dialog.GetPathName(), CString(csv.c_str())) != CalcSaveStatus::Saved)
        owner->MessageBox("Failed to export the sheet.", "Quillon : File I/O Error", MB_OK | MB_ICONEXCLAMATION);
}
