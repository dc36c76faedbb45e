// The main dialog's calculation files, settings, help and About box.
#include <cstring>

#include "quillon/ledra.h"
#include "aboutdlg.h"
#include "framework/afxdlgs.h"
#include "core/calcfile.h"
#include "htmlhelp.h"
#include "quillondlg.h"
#include "resource.h"
#include "weighingdlg.h"

namespace {

const char kSection[] = "Settings";
const char kFileErrorCaption[] = "Quillon : File I/O Error";

}  // namespace

// ---------------------------------------------------------------------------
// Calculation files

// The filter of both file dialogs: "Quillon Source Files(*.QSF)|*.QSF||".
CString CQuillonDlg::FileDialogFilter() const { return fileFilter + "|*." + fileExtension + "||"; }

// Save...: the entry goes to a new file in the chosen folder, which replaces
// the chosen file only once it is complete; a failure leaves that file as it
// was. True when the entry is in the file.
bool CQuillonDlg::OnSaveFile() {
    CString proposed = ProductFormula();
    CFileDialog dialog(FALSE, fileExtension, proposed, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, FileDialogFilter(),
                       this);
    if (dialog.DoModal() != IDOK) return false;

    Entry entry;
    ReadEntry(entry);
    CString text;
    if (CalcEntryText(entry.fields, entry.rows, entry.batch, &text) &&
        SaveCalcFile(dialog.GetPathName(), text) == CalcSaveStatus::Saved) {
        EntryKept(dialog.GetPathName());
        ::Beep(1000, 100);
        return true;
    }
    MessageBox("Failed to save to a file.", kFileErrorCaption, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

// Open...: the whole file is read first; only a file that reads whole (see
// core/calcfile.h) replaces the entry, which then counts as unchanged. A
// file that is not read leaves the entry exactly as it was, and the message
// says which line and why.
void CQuillonDlg::OnOpenFile() {
    if (!ConfirmDiscard()) return;
    CString initial = "*." + fileExtension;
    CFileDialog dialog(TRUE, fileExtension, initial, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, FileDialogFilter(),
                       this);
    if (dialog.DoModal() != IDOK) return;

    CalcReadResult result;
    ReadCalcFile(dialog.GetPathName(), ROW_CAPACITY, FormulaCheckCallback, result);
    if (result.status != CalcReadStatus::Ok) {
        // The second line says where and why, the reader's reason made a sentence.
        CString message = "Failed to load a file.", why = result.reason;
        if (!why.IsEmpty()) {
            char *first = why.GetBuffer(0);
            if (*first >= 'a' && *first <= 'z') *first = static_cast<char>(*first - 'a' + 'A');
            why.ReleaseBuffer(why.GetLength());
            why = " " + why + ".";
        }
        if (result.status == CalcReadStatus::OpenFailed) {
            message += "\nThe file cannot be opened.";
        } else if (result.status == CalcReadStatus::ReadError) {
            CString where;
            where.Format("\nLine %d cannot be read.", result.failingLine);
            message += where;
        } else if (result.failingLine > 0) {
            CString where;
            where.Format("\nLine %d cannot be read.", result.failingLine);
            message += where + why;
        } else {
            message += "\nThe file holds no entry." + why;
        }
        MessageBox(message, kFileErrorCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // Fields the file has no line for keep their text; the list holds the file's rows only.
    Entry entry;
    ReadEntry(entry);
    entry.rows.reset();
    // The sheet's options are the program's settings: a file's own are for quillon-cli.
    ApplyCalcRecords(result.records, entry.fields, entry.rows, &entry.batch);
    entry.batch.mmol = entry.batch.gases = false;
    ShowEntry(entry);
    EntryKept(dialog.GetPathName());
    GetDlgItem(IDC_SAMPLE_ID)->SetFocus();
}

// ---------------------------------------------------------------------------
// The entry, its changes and the title bar

void CQuillonDlg::ReadEntry(Entry &entry) {
    GetDlgItem(IDC_SAMPLE_ID)->GetWindowText(entry.fields.sampleId);
    entry.fields.productFormula = seriesFormula.IsEmpty() ? ProductFormula() : seriesFormula;
    GetDlgItem(IDC_PRODUCT_RATIO)->GetWindowText(entry.fields.ratioText);
    GetDlgItem(IDC_AMOUNT)->GetWindowText(entry.fields.amountText);
    entry.fields.seriesValues = seriesValues;
    CWnd *list = GetDlgItem(IDC_LIST);
    for (int i = 0; i < entry.rows.capacity(); ++i) {
        const LedraRow *row = reinterpret_cast<const LedraRow *>(list->SendMessage(LDM_GETROW, i));
        if (row == nullptr) continue;
        entry.rows.setFormula(i, row->formula.GetString());
        entry.rows.setRatio(i, row->ratio);
        entry.rows.setFixed(i, row->fixed);
    }
    entry.batch = batchValues;
}

void CQuillonDlg::ShowEntry(const Entry &entry) {
    SetDlgItemText(IDC_SAMPLE_ID, entry.fields.sampleId);
    GetDlgItem(IDC_PRODUCT)->SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(entry.fields.productFormula.GetString()));
    SetDlgItemText(IDC_PRODUCT_RATIO, entry.fields.ratioText);
    SetDlgItemText(IDC_AMOUNT, entry.fields.amountText);
    seriesValues = entry.fields.seriesValues;
    // A product with x is a series formula (the file's reading accepted it).
    const CString &product = entry.fields.productFormula;
    KeepSeriesFormula(product.IsEmpty() || formulaParser.Check(product) == 0 ? CString() : product);
    CWnd *list = GetDlgItem(IDC_LIST);
    list->SendMessage(LDM_RESETCONTENT);
    for (int i = 0; i < entry.rows.capacity(); ++i) {
        const LedraRow *row = entry.rows.row(i);
        if (row->formula.IsEmpty()) continue;
        double ratio = row->ratio;
        list->SendMessage(LDM_SETFORMULA, i, reinterpret_cast<LPARAM>(&row->formula));
        list->SendMessage(LDM_SETRATIO, i, reinterpret_cast<LPARAM>(&ratio));
        list->SendMessage(LDM_SETFIXED, i, row->fixed);
    }
    list->InvalidateRect(nullptr, TRUE);
    batchValues = entry.batch;
}

// The weighing dialog on the used rows, each with the values kept for its
// formula (a row retyped since shows the defaults). OK keeps what the dialog
// leaves, for the formulas it showed; Cancel changes nothing.
void CQuillonDlg::OnWeighing() {
    CWnd *list = GetDlgItem(IDC_LIST);
    auto rowAt = [list](int number) {
        return reinterpret_cast<const LedraRow *>(list->SendMessage(LDM_GETROW, WPARAM(number - 1)));
    };
    WeighingValues values;
    for (int number = 1; number <= ROW_CAPACITY; ++number) {
        const LedraRow *row = rowAt(number);
        if (row == nullptr || row->formula.IsEmpty()) continue;
        WeighingMaterial material;
        material.row = number;
        material.formula = row->formula;
        material.ratio = row->ratio;
        const BatchRowValues &kept = batchValues.rows[number - 1];
        if (kept.formula == row->formula) {
            material.purity = kept.purity;
            material.excess = kept.excess;
        }
        values.materials.push_back(material);
    }
    values.scale = batchValues.scale;
    values.scaleGrams = batchValues.scaleMass;
    if (values.scale == BatchScale::Material) {
        const LedraRow *row = rowAt(batchValues.scaleRow);
        if (row != nullptr && row->formula == batchValues.scaleFormula) values.scaleRow = batchValues.scaleRow;
    }

    CWeighingDlg dialog(values, this);
    if (dialog.DoModal() != IDOK) return;
    const WeighingValues &chosen = dialog.Values();
    batchValues.scale = chosen.scale;
    batchValues.scaleRow = chosen.scaleRow;
    batchValues.scaleMass = chosen.scaleGrams;
    batchValues.scaleFormula.Empty();
    for (const WeighingMaterial &material : chosen.materials) {
        batchValues.SetRow(material.row, material.formula, material.purity, material.excess);
        if (chosen.scale == BatchScale::Material && material.row == chosen.scaleRow)
            batchValues.scaleFormula = material.formula;
    }
}

bool CQuillonDlg::EntryChanged() {
    if (!entryReady) return false;
    Entry now;
    ReadEntry(now);
    return !SameEntry(now, keptEntry);
}

void CQuillonDlg::EntryKept(const char *path) {
    entryReady = true;
    ReadEntry(keptEntry);
    if (path == nullptr) {
        entryName.Empty();
    } else {
        const char *slash = std::strrchr(path, '\\');
        entryName = slash != nullptr ? slash + 1 : path;
    }
    UpdateTitle();
}

// "entry.QSF* - Quillon": the entry's file ("Untitled" before it has one),
// marked while it holds changes not saved.
void CQuillonDlg::UpdateTitle() {
    CString title = entryName.IsEmpty() ? CString("Untitled") : entryName;
    if (EntryChanged()) title += "*";
    title += " - Quillon";
    CString shown;
    GetWindowText(shown);
    if (shown != title) SetWindowText(title);
}

// Before the entry is dropped (closing, New, Open): a cell or field being
// edited is left first, so that its text counts; then, when the entry has
// changed, "Save changes?": Yes saves (and a save that does not happen
// keeps the entry), No drops it, Cancel keeps it.
bool CQuillonDlg::ConfirmDiscard() {
    if (!entryReady) return true;  // start-up failed: there is no entry yet
    SetFocus();
    if (!EntryChanged()) return true;
    int answer = MessageBox("Save changes?", "Quillon", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES) return OnSaveFile();
    return answer == IDNO;
}

// ---------------------------------------------------------------------------
// Settings, under HKEY_CURRENT_USER\Software\Hobnail\<program name>\Settings

// Read once, while the dialog initialises.
void CQuillonDlg::ReadSettings() {
    CWinApp *app = AfxGetApp();
    outputToWord = int(app->GetProfileInt(kSection, "Output To MS Word", 1));
    int autoRatio = int(app->GetProfileInt(kSection, "Automatic Ratio Calculation", 1));
    CheckDlgButton(IDC_AUTO_RATIO, autoRatio == 1 ? BST_CHECKED : BST_UNCHECKED);
    int retain = int(app->GetProfileInt(kSection, "Retain Change After Calculation", 0));
    resetSelectionAfterCalc = retain <= 0 ? 1 : 0;
    showDifferential = int(app->GetProfileInt(kSection, "Show Differential", 1)) == 1 ? 1 : 0;
    CString folder = app->GetProfileString(kSection, "Last Working Dir", "");
    if (!folder.IsEmpty()) ::SetCurrentDirectoryA(folder);
    storedHeight = int(app->GetProfileInt(kSection, "Window Height", 0));
    showMmol = int(app->GetProfileInt(kSection, "Show mmol", 0)) == 1 ? 1 : 0;
    showGases = int(app->GetProfileInt(kSection, "Show Released Gases", 0)) == 1 ? 1 : 0;
    ReadPrintSettings();
}

// Written once, when the dialog is destroyed, in the order they are read.
// The window's height is the sixth, the sheet's mmol and gases follow.
void CQuillonDlg::WriteSettings() {
    CWinApp *app = AfxGetApp();
    app->WriteProfileInt(kSection, "Output To MS Word", outputToWord);
    app->WriteProfileInt(kSection, "Automatic Ratio Calculation", IsDlgButtonChecked(IDC_AUTO_RATIO) == BST_CHECKED);
    app->WriteProfileInt(kSection, "Retain Change After Calculation", resetSelectionAfterCalc == 0 ? 1 : 0);
    app->WriteProfileInt(kSection, "Show Differential", showDifferential == 1 ? 1 : 0);
    char folder[1024];
    DWORD length = ::GetCurrentDirectoryA(sizeof folder, folder);
    if (length > 0 && length < sizeof folder) app->WriteProfileString(kSection, "Last Working Dir", folder);
    // The height the window has when it is neither minimised nor maximised.
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (::GetWindowPlacement(m_hWnd, &placement))
        app->WriteProfileInt(kSection, "Window Height", int(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top));
    app->WriteProfileInt(kSection, "Show mmol", showMmol);
    app->WriteProfileInt(kSection, "Show Released Gases", showGases);
    WritePrintSettings();
}

// ---------------------------------------------------------------------------
// Help and About

void CQuillonDlg::OnHelpContents() { ShowHelpContents(m_hWnd, moduleDir); }

void CQuillonDlg::OnAbout() {
    CAboutDlg about(this);
    about.DoModal();
}
