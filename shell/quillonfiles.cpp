// The main dialog's calculation files, settings, help and About box.
#include <cstring>

#include "../common/ledra.h"
#include "aboutdlg.h"
#include "afxdlgs.h"
#include "calcfile.h"
#include "fields.h"
#include "htmlhelp.h"
#include "quillondlg.h"
#include "resource.h"

namespace {

const char kSection[] = "Settings";
const char kFileErrorCaption[] = "Quillon : File I/O Error";

}  // namespace

// ---------------------------------------------------------------------------
// Calculation files

// The filter of both file dialogs: "Quillon Source Files(*.QSF)|*.QSF||".
CString CQuillonDlg::FileDialogFilter() const { return fileFilter + "|*." + fileExtension + "||"; }

// Save...: the entry goes to a new file in the chosen folder, which replaces
// the chosen file only once it is complete; a failure leaves that file as it was.
void CQuillonDlg::OnSaveFile() {
    CString proposed = ProductFormula();
    CFileDialog dialog(FALSE, fileExtension, proposed, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, FileDialogFilter(),
                       this);
    if (dialog.DoModal() != IDOK) return;

    CString sampleId, formula, text;
    GetDlgItem(IDC_SAMPLE_ID)->GetWindowText(sampleId);
    double amount = 0.0, ratio = 0.0;
    bool read = ReadNumberField(GetDlgItem(IDC_AMOUNT), &amount) == 0;
    formula = ProductFormula();
    read = read && ReadNumberField(GetDlgItem(IDC_PRODUCT_RATIO), &ratio) == 0;
    if (read) {
        text = CalcSampleLine(sampleId) + CalcProductLine(amount, ratio, formula);
        CWnd *list = GetDlgItem(IDC_LIST);
        int capacity = (int)list->SendMessage(LDM_GETCAPACITY);
        for (int i = 0; i < capacity; ++i) {
            const CString *rowFormula = reinterpret_cast<const CString *>(list->SendMessage(LDM_GETFORMULA, i));
            const LedraRow *row = reinterpret_cast<const LedraRow *>(list->SendMessage(LDM_GETROW, i));
            const double *rowRatio = reinterpret_cast<const double *>(list->SendMessage(LDM_GETRATIO, i));
            if (rowFormula == nullptr || rowFormula->IsEmpty() || row == nullptr || rowRatio == nullptr) continue;
            text += CalcRowLine(i + 1, row->fixed, *rowRatio, *rowFormula);
        }
    }
    if (read && SaveCalcFile(dialog.GetPathName(), text) == CALC_SAVED) {
        ::Beep(1000, 100);
        return;
    }
    MessageBox("Failed to save to a file.", kFileErrorCaption, MB_OK | MB_ICONEXCLAMATION);
}

// Open...: the list is emptied, then the lines fill the fields and rows in
// file order; a line that does not read empties the list again.
void CQuillonDlg::OnOpenFile() {
    CString initial = "*." + fileExtension;
    CFileDialog dialog(TRUE, fileExtension, initial, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, FileDialogFilter(),
                       this);
    if (dialog.DoModal() != IDOK) return;

    CWnd *list = GetDlgItem(IDC_LIST);
    list->SendMessage(LDM_RESETCONTENT);
    int capacity = (int)list->SendMessage(LDM_GETCAPACITY);
    CalcReadResult result;
    ReadCalcFile(dialog.GetPathName(), capacity, FormulaCheckCallback, result);
    for (const CalcRecord &record : result.records) {
        switch (record.kind) {
        case CALC_SAMPLE:
            SetDlgItemText(IDC_SAMPLE_ID, record.text);
            break;
        case CALC_PRODUCT:
            GetDlgItem(IDC_PRODUCT)->SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(record.text.GetString()));
            SetDlgItemText(IDC_PRODUCT_RATIO, FormatFieldNumber(record.ratio));
            SetDlgItemText(IDC_AMOUNT, FormatFieldNumber(record.amount));
            break;
        case CALC_ROW: {
            double ratio = record.ratio;
            list->SendMessage(LDM_SETFORMULA, record.row - 1, reinterpret_cast<LPARAM>(&record.text));
            list->SendMessage(LDM_SETRATIO, record.row - 1, reinterpret_cast<LPARAM>(&ratio));
            list->SendMessage(LDM_SETFIXED, record.row - 1, record.fixed);
            break;
        }
        }
    }
    if (result.status == CALC_READ_OK) {
        list->InvalidateRect(nullptr, TRUE);
        GetDlgItem(IDC_SAMPLE_ID)->SetFocus();
        return;
    }
    list->SendMessage(LDM_RESETCONTENT);
    MessageBox("Failed to load a file.", kFileErrorCaption, MB_OK | MB_ICONEXCLAMATION);
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
}

// Written once, when the dialog is destroyed, in the order they are read.
void CQuillonDlg::WriteSettings() {
    CWinApp *app = AfxGetApp();
    app->WriteProfileInt(kSection, "Output To MS Word", outputToWord);
    app->WriteProfileInt(kSection, "Automatic Ratio Calculation", IsDlgButtonChecked(IDC_AUTO_RATIO) == BST_CHECKED);
    app->WriteProfileInt(kSection, "Retain Change After Calculation", resetSelectionAfterCalc == 0 ? 1 : 0);
    app->WriteProfileInt(kSection, "Show Differential", showDifferential == 1 ? 1 : 0);
    char folder[1024];
    DWORD length = ::GetCurrentDirectoryA(sizeof folder, folder);
    if (length > 0 && length < sizeof folder) app->WriteProfileString(kSection, "Last Working Dir", folder);
}

// ---------------------------------------------------------------------------
// Help and About

void CQuillonDlg::OnHelpContents() { ShowHelpContents(m_hWnd, moduleDir); }

void CQuillonDlg::OnAbout() {
    CAboutDlg about(this);
    about.DoModal();
}
