#include "quillondlg.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "aboutdlg.h"
#include "bottlechoicedlg.h"
#include "controlrecords.h"
#include "core/reaction.h"
#include "core/series.h"
#include "core/shelfentry.h"
#include "core/textutil.h"
#include "elementselectdlg.h"
#include "framework/afxdlgs.h"
#include "shelfdlg.h"
#include "stockdlg.h"
#include "resource.h"
#include "version.h"
#include "weighingdlg.h"

namespace {

// The main dialog the plain callbacks answer for: the application's main
// window, when it is one.
CQuillonDlg *MainDialog() { return dynamic_cast<CQuillonDlg *>(AfxGetMainWnd()); }

// The warnings of formulas whose count starts with a zero, asked in one box
// before a sheet is made: true to go on (No), false to go back (Yes).
bool GoOnDespite(CWnd *dialog, const std::vector<CalcMessage> &warnings) {
    if (warnings.empty()) return true;
    CString text;
    for (const CalcMessage &warning : warnings) text += warning.text + "\n";
    text += "\nGo back to correct it?";
    return dialog->MessageBox(text, "Quillon", MB_YESNO | MB_ICONWARNING) != IDYES;
}

// The focus into the field a warning names: the product field, or the list
// row's formula cell, opened as a click opens it (the row scrolled into view
// first).
void FocusWarnedField(CWnd *dialog, const LedraInit &listInit, const CalcMessage &warning) {
    if (warning.field != CALC_FIELD_ROW) {
        FocusField(dialog, IDC_PRODUCT);
        return;
    }
    CWnd *list = dialog->GetDlgItem(IDC_LIST);
    RECT client;
    list->GetClientRect(&client);
    const int shown = client.bottom / (listInit.rowHeight > 0 ? listInit.rowHeight : 1);
    const int index = warning.row - 1;
    int top = list->GetScrollPos(SB_VERT);
    if (index < top || index >= top + shown) {
        list->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, index), 0);
        top = list->GetScrollPos(SB_VERT);
    }
    list->SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(listInit.formulaLeft + 2, (index - top) * listInit.rowHeight + 2));
}

}  // namespace

int FormulaCheckCallback(const char *formula) {
    CQuillonDlg *dialog = MainDialog();
    return dialog != nullptr && dialog->Parser().Check(formula) == 0 ? 1 : 0;
}

int AppClosingCallback() {
    CQuillonDlg *dialog = MainDialog();
    return dialog != nullptr && dialog->Closing() ? 1 : 0;
}

BEGIN_MESSAGE_MAP(CQuillonDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_CALCULATE, OnCalculate)
    ON_BN_CLICKED(IDC_CLEAR, OnClear)
    ON_BN_CLICKED(IDC_WEIGHING, OnWeighing)
    ON_WM_DESTROY()
    ON_WM_INITMENU()
    ON_MESSAGE(WM_DEFERRED_INIT, OnDeferredInit)
    ON_MESSAGE(VXN_EDITORSIGNAL, OnEditorSignal)
    ON_WM_SIZE()
    ON_MESSAGE(WM_GETMINMAXINFO, OnGetMinMaxInfo)
    ON_MESSAGE(WM_RELEASE_BUTTONS, OnReleaseButtons)
    ON_MESSAGE(WM_ENTRY_EDITED, OnEntryEdited)
    ON_MESSAGE(WM_DPICHANGED, OnDpiChanged)
END_MESSAGE_MAP()

CQuillonDlg::CQuillonDlg(CWnd *parent) : CDialog(IDD_QUILLON_DIALOG, parent) {
    m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
}

CQuillonDlg::~CQuillonDlg() = default;

// ---------------------------------------------------------------------------
// Start-up and the end

BOOL CQuillonDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    HMENU systemMenu = GetSystemMenu(FALSE);
    char about[64] = "";
    if (systemMenu != nullptr && ::LoadStringA(AfxGetInstanceHandle(), IDS_ABOUTBOX, about, sizeof about) > 0) {
        ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, about);
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    layout.Record(m_hWnd);
    accelerators = ::LoadAcceleratorsA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_ACCELERATORS));

    char path[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    char *slash = length > 0 && length < sizeof path ? std::strrchr(path, '\\') : nullptr;
    if (slash == nullptr) {
        AfxMessageBox("Failed to get module path.");
        ::ExitProcess(1);
    }
    slash[1] = 0;
    moduleDir = path;

    settings = ReadAppSettings(*AfxGetApp());
    CheckDlgButton(IDC_AUTO_RATIO, settings.autoRatio ? BST_CHECKED : BST_UNCHECKED);
    if (!settings.workingFolder.IsEmpty()) ::SetCurrentDirectoryA(settings.workingFolder);
    record.SetBalance(settings.balance);
    output.Start(moduleDir, settings.outputToWord);
    output.SetDisplaySize(SIZE{settings.displayWidth, settings.displayHeight});

    CString atoms = moduleDir;
    atoms += "ATOMS.LST";
    if (elementTable.Load(atoms) != ElementLoad::Loaded) {
        CString message = "Couldn't load data from ATOMS.LST.";
        if (elementTable.FailingLine() > 0) {
            CString where;
            where.Format("\nLine %d is not an element line: its number, its symbol and a positive mass "
                         "written with a point (1.008).",
                         elementTable.FailingLine());
            message += where;
        }
        AfxMessageBox(message);
        SendMessage(WM_CLOSE);
        return FALSE;
    }

    productField.SubclassDlgItem(IDC_PRODUCT, this);
    productField.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    ratioField.SubclassDlgItem(IDC_PRODUCT_RATIO, this);
    ratioField.SetWindowText("1");
    amountField.SubclassDlgItem(IDC_AMOUNT, this);
    amountField.SetWindowText("1");

    elementSelection = ElementSelection::Metals(elementTable);
    PostMessage(WM_DEFERRED_INIT, 0, 0);
    return TRUE;
}

// Fonts, the two custom controls and the layout over the list's columns.
LRESULT CQuillonDlg::OnDeferredInit(WPARAM, LPARAM) {
    int dpi = QuillonDpiOf(m_hWnd);
    letterFont.reset(new CFont);
    digitFont.reset(new CFont);
    CreateFormulaFonts(*letterFont, *digitFont, FORMULA_FONT_FACE, dpi);

    GetDlgItem(IDC_SERIES_SHOWN)->SetFont(letterFont.get(), FALSE);
    vexilInit.reset(new VexilInit(FormulaFieldInit(*letterFont, *digitFont, dpi)));
    GetDlgItem(IDC_PRODUCT)->SendMessage(VXM_INITIALIZE, reinterpret_cast<WPARAM>(vexilInit.get()), 0);

    CRect productClient;
    GetDlgItem(IDC_PRODUCT)->GetClientRect(&productClient);
    ledraInit.reset(new LedraInit(ListInit(m_hWnd, vexilInit.get(), reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)),
                                           productClient.Height(), FormulaCheckCallback, AppClosingCallback)));
    GetDlgItem(IDC_LIST)->SendMessage(LDM_INITIALIZE, 0, reinterpret_cast<LPARAM>(ledraInit.get()));
    layout.ListReady(ledraInit->formulaLeft, ledraInit->ratioLeft, ledraInit->rowHeight);
    layout.ApplySize(settings.windowWidth, settings.windowHeight);
    entryFile.Keep(ReadEntry(), nullptr);
    UpdateTitle();
    LoadShelf(settings.shelfFile);
    return 1;
}

// The settings are written once, in the order they are read.
void CQuillonDlg::OnDestroy() {
    Default();
    help.Close();
    settings.autoRatio = IsDlgButtonChecked(IDC_AUTO_RATIO) == BST_CHECKED;
    settings.outputToWord = output.ToWord();
    settings.displayWidth = int(output.DisplaySize().cx);
    settings.displayHeight = int(output.DisplaySize().cy);
    char folder[1024];
    DWORD length = ::GetCurrentDirectoryA(sizeof folder, folder);
    settings.workingFolder = length > 0 && length < sizeof folder ? folder : "";
    settings.windowWidth = layout.NormalWidth();
    settings.windowHeight = layout.NormalHeight();
    settings.balance = record.Balance();
    settings.shelfFile = shelf.Path();
    WriteAppSettings(*AfxGetApp(), settings);
    for (CWnd *field : {static_cast<CWnd *>(&productField), static_cast<CWnd *>(&ratioField),
                        static_cast<CWnd *>(&amountField)})
        if (field->m_hWnd != nullptr) field->UnsubclassWindow();
}

// ---------------------------------------------------------------------------
// Commands, shortcuts and system messages

// Ctrl+N, Ctrl+O, Ctrl+S and F1 of the main window and its controls (never
// while a box or dialog above it runs: then the window is disabled). Any
// other input may change the entry: once it has been handled, the title's
// mark is brought up to date.
BOOL CQuillonDlg::PreTranslateMessage(MSG *msg) {
    // F4, Options > Toggle Fixed, without the menu's initialisation, which
    // would close the open cell: the chemist goes on typing in it.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_F4 && IsWindowEnabled(m_hWnd) &&
        ((::GetKeyState(VK_CONTROL) | ::GetKeyState(VK_SHIFT)) & 0x8000) == 0) {
        OnCommand(ID_OPTIONS_TOGGLEFIXED, 0);
        return TRUE;
    }
    if ((msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) && accelerators != nullptr &&
        IsWindowEnabled(m_hWnd) && ::TranslateAcceleratorA(m_hWnd, accelerators, msg))
        return TRUE;
    const bool input = (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ||
                       (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST && msg->message != WM_MOUSEMOVE);
    if (input && !entryCheckPosted) entryCheckPosted = PostMessage(WM_ENTRY_EDITED) != FALSE;
    return FALSE;
}

LRESULT CQuillonDlg::OnEntryEdited(WPARAM, LPARAM) {
    entryCheckPosted = false;
    UpdateTitle();
    return 0;
}

BOOL CQuillonDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    if (id == IDOK) return TRUE;  // Enter never closes the window
    if (id == ID_OPTIONS_TOGGLEFIXED) {
        // The list's current row; an open cell stays open.
        GetDlgItem(IDC_LIST)->SendMessage(LDM_TOGGLEFIXED, WPARAM(-1), 0);
        UpdateTitle();
        return TRUE;
    }
    // A shortcut, like a menu, acts once the field or cell being edited has
    // been left, so that its text counts. The focus goes back at once to a
    // field; a list cell, which closed, has it back (reopened) once the
    // command is done. A file opened gives it to the new entry's sample ID.
    HWND left = nullptr;
    auto leaveField = [this, &left] {
        left = ::GetFocus();
        SetFocus();  // the dialog manager passes it on to a control of its choice
        if (left == nullptr || !::IsChild(m_hWnd, left)) return;
        if (::IsWindowVisible(left) && ::IsWindowEnabled(left))
            ::SetFocus(left);
        else
            KeepFocus(left);
    };
    if (HIWORD(wParam) == 1 && lParam == 0) leaveField();
    if ((id == IDC_PRODUCT_RATIO || id == IDC_LIST) && HIWORD(wParam) == LDN_AUTORATIO) {
        OnAutoRatio();
        UpdateTitle();
        return TRUE;
    }
    if (id == IDC_LIST && HIWORD(wParam) == LDN_FORMULACOMMITTED) {
        OnFormulaCommitted();
        UpdateTitle();
        return TRUE;
    }
    switch (id) {
    case ID_FILE_NEW: OnClear(); break;
    case ID_FILE_EXIT:
        if (!ConfirmDiscard()) break;
        closing = true;
        SendMessage(WM_CLOSE);
        break;
    case ID_HELP_HELP: help.ShowContents(m_hWnd, moduleDir); break;
    case ID_HELP_ABOUT: {
        CAboutDlg about(this);
        about.DoModal();
        break;
    }
    case ID_FILE_OPEN: OnOpenFile(); break;
    case ID_FILE_SAVE: OnSaveFile(); break;
    case ID_OUTPUT_WORD: output.ChooseWord(true); break;
    case ID_OUTPUT_DEFAULT: output.ChooseWord(false); break;
    case ID_OPTIONS_DIFFERENCE: settings.showDifferential = !settings.showDifferential; break;
    case ID_OPTIONS_MMOL: settings.showMmol = !settings.showMmol; break;
    case ID_OPTIONS_GASES: settings.showGases = !settings.showGases; break;
    case ID_OPTIONS_WEIGHING: OnWeighing(); break;
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
        if (!seriesFormula.IsEmpty()) {
            // The printed page holds one composition; a series goes to a spreadsheet.
            MessageBox("A series sheet is not printed from here.\nExport it with File, Export CSV, and print it "
                       "from the spreadsheet.",
                       "Quillon", MB_OK | MB_ICONEXCLAMATION);
            break;
        }
        leaveField();  // a field being edited is left first, so that its text counts
        if (id == ID_FILE_PRINT_PREVIEW)
            record.Preview(this, ReadEntry());
        else
            record.Print(this, ReadEntry());
        break;
    case ID_FILE_EXPORT_CSV:
        leaveField();
        if (!seriesFormula.IsEmpty())
            ExportSeriesCsv();
        else
            record.ExportCsv(this, ReadEntry());
        break;
    case ID_OPTIONS_BALANCE: record.EditBalance(this); break;
    case ID_OPTIONS_SERIES: OnSeries(); break;
    case ID_OPTIONS_STOCK: {
        CStockDlg stock(formulaParser, this);
        stock.DoModal();
        break;
    }
    case ID_OPTIONS_SHELF_FILE: OnShelfFile(); break;
    case ID_OPTIONS_NO_SHELF: LoadShelf(CString()); break;
    case ID_OPTIONS_SHELF:
        leaveField();
        OnShelf();
        break;
    case ID_OPTIONS_WEIGHED:
        leaveField();
        record.CheckWeighed(this, ReadEntry());
        break;
    default: break;
    }
    BOOL handled = CWnd::OnCommand(wParam, lParam);
    if (m_hWnd != nullptr && !closing) {
        if (left != nullptr && id != ID_FILE_OPEN) CFocusKeeper(left).Restore();
        UpdateTitle();
    }
    return handled;
}

void CQuillonDlg::OnSysCommand(UINT id, LPARAM) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.DoModal();
        return;
    }
    // Menu and keyboard variants of the command carry flags in the low bits.
    if ((id & 0xFFF0) == SC_CLOSE) {
        if (!ConfirmDiscard()) return;
        closing = true;
    }
    Default();
}

// Escape, and the close box and Exit once they have asked.
void CQuillonDlg::OnCancel() {
    if (!closing && !ConfirmDiscard()) return;
    CDialog::OnCancel();
}

// A refused field took the focus back while a button was being clicked: the
// button lets go of the mouse and is drawn released (its click never comes).
LRESULT CQuillonDlg::OnReleaseButtons(WPARAM, LPARAM) {
    for (int id : {IDC_CALCULATE, IDC_CLEAR, IDC_WEIGHING}) {
        HWND button = ::GetDlgItem(m_hWnd, id);
        if (button == nullptr) continue;
        if (::GetCapture() == button) ::ReleaseCapture();
        if (::SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED) ::SendMessageA(button, BM_SETSTATE, FALSE, 0);
    }
    return 0;
}

// Minimised, the window shows its icon centred.
void CQuillonDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    CRect client;
    GetClientRect(&client);
    int x = (client.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

// Opening a menu first gives the focus to the dialog, so that a field being
// edited runs its leave check before a command acts on it.
void CQuillonDlg::OnInitMenu(HMENU menu) {
    SetFocus();
    auto check = [menu](UINT id, bool on) { ::CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); };
    auto enable = [menu](UINT id, bool on) { ::EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
    enable(ID_OUTPUT_WORD, output.WordAvailable());
    enable(ID_OUTPUT_DEFAULT, output.WordAvailable());
    check(ID_OUTPUT_WORD, output.ToWord());
    check(ID_OUTPUT_DEFAULT, !output.ToWord());
    check(ID_OPTIONS_DIFFERENCE, settings.showDifferential);
    check(ID_OPTIONS_MMOL, settings.showMmol);
    check(ID_OPTIONS_GASES, settings.showGases);
    // Printing and export need a calculated sheet.
    enable(ID_FILE_PRINT, record.HasSheet());
    enable(ID_FILE_PRINT_PREVIEW, record.HasSheet());
    enable(ID_FILE_EXPORT_CSV, record.HasSheet());
    enable(ID_OPTIONS_NO_SHELF, !shelf.Path().IsEmpty());
}

// Ctrl+Shift+J in a formula editor: what this copy of the program runs on.
LRESULT CQuillonDlg::OnEditorSignal(WPARAM, LPARAM) {
    CString text;
    text.Format("Quillon %s (%d-bit)\n\nElement data: %sATOMS.LST, %d elements.\nReport files: %s*.%s",
                QUILLON_VERSION, int(sizeof(void *) * 8), moduleDir.GetString(), elementTable.Count(),
                moduleDir.GetString(), output.Extension());
    MessageBox(text, "Quillon", MB_OK | MB_ICONINFORMATION);
    return 0;
}

LRESULT CQuillonDlg::OnGetMinMaxInfo(WPARAM, LPARAM lParam) {
    layout.LimitTracking(reinterpret_cast<MINMAXINFO *>(lParam));
    return 0;
}

// A move to a monitor of another scaling: the layout's smallest size and
// distances follow the new DPI, then the window takes the rectangle the
// system suggests (the system rescales the template's controls and fonts).
// The formula fonts are made again at the new DPI and handed to the formula
// field and the list (rows as high as the formula field); the old fonts go
// once neither control uses them.
LRESULT CQuillonDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    int dpi = HIWORD(wParam);
    layout.DpiChanged(dpi);
    const RECT *suggested = reinterpret_cast<const RECT *>(lParam);
    ::SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (ledraInit == nullptr || dpi <= 0) return 0;
    std::unique_ptr<CFont> newLetter(new CFont), newDigit(new CFont);
    CreateFormulaFonts(*newLetter, *newDigit, FORMULA_FONT_FACE, dpi);
    *vexilInit = FormulaFieldInit(*newLetter, *newDigit, dpi);
    GetDlgItem(IDC_PRODUCT)->SendMessage(VXM_SETFONTS, reinterpret_cast<WPARAM>(vexilInit.get()), 0);
    CRect productClient;
    GetDlgItem(IDC_PRODUCT)->GetClientRect(&productClient);
    ledraInit->font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    ledraInit->rowHeight = productClient.Height();
    GetDlgItem(IDC_LIST)->SendMessage(LDM_SETMETRICS, 0, reinterpret_cast<LPARAM>(ledraInit.get()));
    GetDlgItem(IDC_SERIES_SHOWN)->SetFont(newLetter.get(), TRUE);  // it holds the old font too
    letterFont = std::move(newLetter);
    digitFont = std::move(newDigit);
    return 0;
}

void CQuillonDlg::OnSize(UINT type, int cx, int cy) {
    Default();
    layout.Resize(type, cx, cy);
}

// ---------------------------------------------------------------------------
// The entry

Entry CQuillonDlg::ReadEntry() {
    Entry entry;
    GetDlgItem(IDC_SAMPLE_ID)->GetWindowText(entry.fields.sampleId);
    entry.fields.productFormula = seriesFormula.IsEmpty() ? ProductFieldText() : seriesFormula;
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
    // A row retyped or emptied drops its mass for good (a formula typed
    // back later is another weighing).
    entry.weighed = record.Weighed().ForRows(entry.rows);
    record.SetWeighed(entry.weighed);
    return entry;
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
    record.SetWeighed(entry.weighed);
    ShowScaling();
}

void CQuillonDlg::UpdateTitle() {
    if (!entryFile.Ready()) return;
    CString title = entryFile.Title(ReadEntry());
    CString shown;
    GetWindowText(shown);
    if (shown != title) SetWindowText(title);
}

// A cell or field being edited is left first, so that its text counts;
// then, when the entry has changed, "Save changes?": Yes saves (and a save
// that does not happen keeps the entry), No drops it, Cancel keeps it.
bool CQuillonDlg::ConfirmDiscard() {
    if (!entryFile.Ready()) return true;  // start-up failed: there is no entry yet
    SetFocus();
    const Entry now = ReadEntry();
    if (!entryFile.Changed(now)) return true;
    int answer = MessageBox("Save changes?", "Quillon", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES) return entryFile.Save(this, now, ProductFieldText());
    return answer == IDNO;
}

// The file is named after the product field's formula at first (blank for a series).
CString CQuillonDlg::ProductFieldText() {
    CString text;
    GetDlgItem(IDC_PRODUCT)->GetWindowText(text);
    return text;
}

void CQuillonDlg::OnSaveFile() { entryFile.Save(this, ReadEntry(), ProductFieldText()); }

// Only a file that reads whole replaces the entry, which then counts as unchanged.
void CQuillonDlg::OnOpenFile() {
    if (!ConfirmDiscard()) return;
    Entry opened;
    CString path;
    if (!entryFile.Open(this, ReadEntry(), FormulaCheckCallback, &opened, &path)) return;
    ShowEntry(opened);
    entryFile.Keep(ReadEntry(), path);
    OfferShelfChanges();
    GetDlgItem(IDC_SAMPLE_ID)->SetFocus();
}

// ---------------------------------------------------------------------------
// The lab's shelf

// The read's one message, at start and when a file is chosen; a file that
// does not read leaves the entry without bottles, never stops it.
void CQuillonDlg::LoadShelf(const CString &path) {
    const CString message = shelf.Load(path);
    if (!message.IsEmpty()) MessageBox(message, "Quillon", MB_OK | MB_ICONEXCLAMATION);
}

// Options > Shelf File...: Cancel keeps the shelf as it is (Options > No
// Shelf ends it); a chosen file that gives no shelf at all is said and the
// shelf before it kept.
void CQuillonDlg::OnShelfFile() {
    CFileDialog dialog(TRUE, "csv", shelf.Path(), OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                       "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*||", this);
    dialog.m_ofn.lpstrTitle = "Shelf File";
    if (dialog.DoModal() != IDOK) return;
    CLabShelf chosen(shelf.Check());
    const CString message = chosen.Load(dialog.GetPathName());
    if (!message.IsEmpty()) MessageBox(message, "Quillon", MB_OK | MB_ICONEXCLAMATION);
    if (chosen.Status() == ShelfReadStatus::Read) shelf = chosen;
}

// The user stored another formula into a row: the shelf's one bottle of it
// is taken, or the one chosen among several (None: the row stays as it is).
void CQuillonDlg::OnFormulaCommitted() {
    CWnd *list = GetDlgItem(IDC_LIST);
    const int index = int(list->SendMessage(LDM_GETCURRENTROW));
    const CString *formula = reinterpret_cast<const CString *>(list->SendMessage(LDM_GETFORMULA, WPARAM(index)));
    if (formula == nullptr || formula->IsEmpty()) return;
    const std::vector<int> found = shelf.Get().Find(*formula);
    if (found.empty()) return;
    int chosen = found.front();
    if (found.size() > 1) {
        CBottleChoiceDlg choice(shelf.Get(), found, *formula, index + 1, this);
        if (choice.DoModal() != IDOK) return;
        chosen = choice.Chosen();
    }
    TakeBottleIntoRow(index + 1, shelf.Get().bottles[size_t(chosen)]);
}

// The Shelf window over the program's shelf, proposing the list's current
// row; a bottle put into a row is taken as one committed there.
void CQuillonDlg::OnShelf() {
    const int current = int(GetDlgItem(IDC_LIST)->SendMessage(LDM_GETCURRENTROW));
    CShelfDlg dialog(*shelf.Edit(), shelf.Path(), shelf.Check(), current + 1, this);
    if (dialog.DoModal() == IDC_SHELF_PUT) TakeBottleIntoRow(dialog.PutRow(), dialog.PutBottle());
}

bool CQuillonDlg::TakeBottleIntoRow(int rowNumber, const Bottle &bottle) {
    CWnd *list = GetDlgItem(IDC_LIST);
    const CString *held = reinterpret_cast<const CString *>(list->SendMessage(LDM_GETFORMULA, WPARAM(rowNumber - 1)));
    if (held == nullptr) return false;
    if (ShelfFormulaKey(*held) != ShelfFormulaKey(bottle.formula)) {
        if (!held->IsEmpty() &&
            MessageBox(MaterialName(*held, rowNumber) + " is in that row.\nPut " + bottle.formula + " there instead?",
                       "Quillon", MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        list->SendMessage(LDM_SETFORMULA, WPARAM(rowNumber - 1), reinterpret_cast<LPARAM>(&bottle.formula));
        list->InvalidateRect(nullptr, TRUE);
    }
    const CString formula = *held;
    BottleTake take = TakeBottle(&batchValues, rowNumber, formula, bottle, false);
    if (take == BottleTake::AskFirst) {
        const CString question = MaterialName(formula, rowNumber) +
                                 " has values of its own.\nTake those of the shelf's bottle " + BottleTitle(bottle) +
                                 " instead?";
        if (MessageBox(question, "Quillon", MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
        take = TakeBottle(&batchValues, rowNumber, formula, bottle, true);
    }
    ShowScaling();
    return take != BottleTake::AskFirst;
}

// An opened file's rows whose bottles have other values on the shelf than
// in the file, or are not on the shelf: named in one question; Yes takes
// the shelf's values, No keeps the file's.
void CQuillonDlg::OfferShelfChanges() {
    if (shelf.Path().IsEmpty()) return;  // no shelf: the file's bottles are only names
    shelf.Refresh();  // the shelf as its file holds it, should someone else have written it
    if (shelf.Status() != ShelfReadStatus::Read) return;  // a shelf that did not read was said already
    Entry entry = ReadEntry();
    const std::vector<ShelfChange> changes = ShelfChanges(shelf.Get(), entry);
    if (changes.empty()) return;
    // A bottle the shelf does not hold has no values to take: then it is only said.
    const bool takeable = std::any_of(changes.begin(), changes.end(), [](const ShelfChange &c) { return !c.gone; });
    if (!takeable) {
        MessageBox(ShelfChangesText(changes) + "\nThe file's values are kept.", "Quillon", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (MessageBox(ShelfChangesText(changes) + "\nTake the shelf's values?", "Quillon", MB_YESNO | MB_ICONQUESTION) !=
        IDYES)
        return;
    TakeShelfChanges(shelf.Get(), changes, &entry);
    batchValues = entry.batch;
    ShowScaling();
}

// Clear and New: a new, untitled entry (after asking when the entry has changed).
void CQuillonDlg::OnClear() {
    if (!ConfirmDiscard()) return;
    SetDlgItemText(IDC_SAMPLE_ID, "");
    GetDlgItem(IDC_PRODUCT)->SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    SetDlgItemText(IDC_PRODUCT_RATIO, "1");
    GetDlgItem(IDC_LIST)->SendMessage(LDM_RESETCONTENT);
    SetDlgItemText(IDC_AMOUNT, "");
    batchValues = BatchSettings();
    record.SetWeighed(WeighedMasses());
    ShowScaling();
    seriesValues.Empty();
    KeepSeriesFormula(CString());
    entryFile.Keep(ReadEntry(), nullptr);
}

// The weighing dialog on the used rows, each with the values (purity,
// excess, form) kept for its formula (a row retyped since shows the defaults), those taken from the
// shelf as if typed. OK keeps what the dialog leaves, for the formulas it showed; Cancel changes nothing.
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
            material.form = kept.form;
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
        // A bottle taken from the shelf stays named while the row keeps its
        // purity and form (the excess is the row's own); other values are typed.
        const BatchRowValues &kept = batchValues.rows[material.row - 1];
        const BottleRef bottle = kept.formula == material.formula && kept.purity == material.purity &&
                                         kept.form == material.form
                                     ? kept.bottle
                                     : BottleRef();
        batchValues.SetRow(material.row, material.formula, material.purity, material.excess, material.form, bottle);
        if (chosen.scale == BatchScale::Material && material.row == chosen.scaleRow)
            batchValues.scaleFormula = material.formula;
    }
    ShowScaling();
}

// Scaled to a starting material or the total, the weighing does not read the
// amount of product: the field is disabled and the text beside it says what
// the weighing is scaled to instead.
void CQuillonDlg::ShowScaling() {
    CString text;
    const CString grams = NumberText(batchValues.scaleMass).c_str();
    if (batchValues.scale == BatchScale::Total)
        text = "scaled to " + grams + " g in total";
    else if (batchValues.scale == BatchScale::Material)
        text.Format("scaled to %s g of %s (row %d)", grams.GetString(), batchValues.scaleFormula.GetString(),
                    batchValues.scaleRow);
    SetDlgItemText(IDC_SCALED_TO, text);
    GetDlgItem(IDC_AMOUNT)->EnableWindow(text.IsEmpty());
}

bool CQuillonDlg::Closing() const { return closing; }

// "Wrong Format for Product.", naming the first symbol ATOMS.LST lacks.
CString CQuillonDlg::ProductProblem(const char *formula) const {
    if (formulaParser.Check(formula) == 0) return CString();
    CString text = "Wrong Format for Product.";
    std::string unknown = FirstUnknownSymbol(formula, elementTable);
    if (!unknown.empty()) text += ("\n" + unknown + " is not in ATOMS.LST.").c_str();
    return text;
}

// ---------------------------------------------------------------------------
// Calculate and the automatic ratios

void CQuillonDlg::OnCalculate() {
    if (!seriesFormula.IsEmpty()) {  // a series entry is calculated member by member
        OnSeries();
        return;
    }
    ::MessageBeep(MB_ICONASTERISK);
    const CalcOptions options = CalculationOptions();
    const Entry entry = CalculationEntry();
    const CalcStart start = StartCalculation(entry, options);
    if (start.refused) {
        ShowMessages(start.messages);
        return;
    }
    if (!GoOnDespite(this, start.formulaWarnings)) {
        FocusWarnedField(this, *ledraInit, start.formulaWarnings.front());
        return;
    }
    if (start.needsSelection && !ChooseElements(start, true)) return;
    const CalcOutcome outcome = Calculate(entry, formulaParser, elementSelection, options);
    ShowRows(outcome.entry);
    ShowMessages(outcome.messages);
    if (!outcome.done) return;
    // Kept for printing, export and the weighed check with the entry as it
    // now stands (its ratios solved).
    record.Keep(outcome, ReadEntry());
    output.Write(this, outcome.sheet);
    if (!settings.retainSelection) elementSelection = ElementSelection::Metals(elementTable);
}

void CQuillonDlg::OnAutoRatio() {
    const Entry entry = CalculationEntry();
    const CalcStart start = StartSolve(entry);
    if (start.refused) {
        ShowMessages(start.messages);
        return;
    }
    if (!ChooseElements(start, false)) return;
    const CalcOutcome outcome = Solve(entry, formulaParser, elementSelection);
    ShowRows(outcome.entry);
    ShowMessages(outcome.messages);
}

// The entry with the sheet's options, which are settings, as its mmol and gases.
Entry CQuillonDlg::CalculationEntry() {
    Entry entry = ReadEntry();
    entry.batch.mmol = settings.showMmol;
    entry.batch.gases = settings.showGases;
    return entry;
}

CalcOptions CQuillonDlg::CalculationOptions() const {
    CalcOptions options;
    options.autoRatio = IsDlgButtonChecked(IDC_AUTO_RATIO) == BST_CHECKED;
    options.showDifferential = settings.showDifferential;
    return options;
}

// What the user changed in the selection stays, whether the ratios were
// asked for or not; so does the Retain setting, when offered.
bool CQuillonDlg::ChooseElements(const CalcStart &start, bool retainOffered) {
    CElementSelectionDlg dialog;
    dialog.SetData(start.product, start.unknowns, formulaParser, elementSelection, retainOffered,
                   settings.retainSelection);
    const bool chosen = dialog.DoModal() == IDOK;
    elementSelection = dialog.Selection();
    if (retainOffered) settings.retainSelection = dialog.Retain();
    return chosen;
}

// The used rows of an outcome's entry into the list (its ratios solved, or
// "?", and a "?" row made Unfixed), then the list drawn again.
void CQuillonDlg::ShowRows(const Entry &entry) {
    CWnd *list = GetDlgItem(IDC_LIST);
    for (int i = 0; i < entry.rows.capacity(); ++i) {
        const LedraRow *row = entry.rows.row(i);
        if (row->formula.IsEmpty()) continue;
        double ratio = row->ratio;
        list->SendMessage(LDM_SETRATIO, i, reinterpret_cast<LPARAM>(&ratio));
        list->SendMessage(LDM_SETFIXED, i, row->fixed);
    }
    list->InvalidateRect(nullptr, TRUE);
}

// Failures carry the stop icon, input to correct and warnings the
// exclamation; input to correct may send the user back to its field.
void CQuillonDlg::ShowMessages(const std::vector<CalcMessage> &messages) {
    for (const CalcMessage &message : messages) {
        MessageBox(message.text, "Quillon", MB_OK | (message.kind == CALC_FAILURE ? MB_ICONHAND : MB_ICONEXCLAMATION));
        if (message.kind != CALC_CORRECT) continue;
        const int id = message.field == CALC_FIELD_PRODUCT ? IDC_PRODUCT
                       : message.field == CALC_FIELD_RATIO ? IDC_PRODUCT_RATIO
                                                           : 0;
        if (id != 0) FocusField(this, id);
    }
}

// ---------------------------------------------------------------------------
// Composition series

// The product field (a formula control, which cannot hold the x of a series)
// stays empty and disabled under a series entry; the series formula is shown
// in its place in a disabled field of its own, which nothing reads back.
void CQuillonDlg::KeepSeriesFormula(const CString &formula) {
    seriesFormula = formula;
    CWnd *product = GetDlgItem(IDC_PRODUCT);
    CWnd *shown = GetDlgItem(IDC_SERIES_SHOWN);
    const bool series = !formula.IsEmpty();
    if (series) product->SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    product->EnableWindow(!series);
    shown->SetWindowText(formula);
    product->ShowWindow(series ? SW_HIDE : SW_SHOW);
    shown->ShowWindow(series ? SW_SHOW : SW_HIDE);
    SetDlgItemText(IDC_PRODUCT_LABEL, series ? "Series" : "&Product");
}

// The Series dialog on the entry's series; OK keeps what it leaves.
void CQuillonDlg::OnSeries() {
    SeriesTexts texts{seriesFormula, seriesValues};
    CSeriesDlg dialog(texts, [this](const SeriesTexts &typed, bool checkOnly, int *wrong) {
        return ShowSeriesSheet(typed, checkOnly, wrong);
    }, this);
    if (dialog.DoModal() != IDOK) return;
    seriesValues = dialog.Texts().values;
    KeepSeriesFormula(dialog.Texts().formula);
}

// Every member of the typed series, calculated from the window's entry with
// the member's formula. False (having said why) when the formula or the
// values are refused; with series nullptr only the formula is checked.
bool CQuillonDlg::CalculateTypedSeries(const SeriesTexts &typed, SeriesResult *series, int *wrong) {
    CString probe, why;
    if (SeriesMemberFormula(formulaParser, typed.formula, nullptr, &probe, &why) != SeriesFormulaStatus::Done) {
        *wrong = IDC_SERIES_FORMULA;
        MessageBox("\"" + typed.formula + "\" is not a series formula: " + why, "Quillon", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (series == nullptr) return true;
    std::vector<SeriesX> values;
    if (!ParseSeriesValues(typed.values, &values, &why)) {
        *wrong = IDC_SERIES_VALUES;
        MessageBox(why, "Quillon", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    Entry entry = CalculationEntry();
    entry.fields.productFormula = typed.formula;
    // Going back from here keeps the Series dialog on its formula; the rows
    // are corrected once it is closed.
    if (!GoOnDespite(this, ZeroCountWarnings(entry))) {
        *wrong = IDC_SERIES_FORMULA;
        return false;
    }
    *series = CalculateSeries(entry, formulaParser, elementSelection, CalculationOptions(), values);
    return true;
}

// The Series dialog's Calculate: the series sheet appended to a report file and shown.
bool CQuillonDlg::ShowSeriesSheet(const SeriesTexts &typed, bool checkOnly, int *wrong) {
    SeriesResult series;
    if (!CalculateTypedSeries(typed, checkOnly ? nullptr : &series, wrong)) return false;
    if (checkOnly) return true;
    std::string text = SeriesText(series);
    output.ShowText(this, text.c_str(), text.size());
    return true;
}

// File > Export CSV of a series entry: every member calculated from the
// entry as it stands, written as quillon-cli's "series --format csv" writes it.
void CQuillonDlg::ExportSeriesCsv() {
    if (seriesValues.IsEmpty()) {
        MessageBox("Enter the values of x under Options, Composition Series..., then export.", "Quillon",
                   MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    SeriesResult series;
    int wrong = 0;
    if (!CalculateTypedSeries(SeriesTexts{seriesFormula, seriesValues}, &series, &wrong)) return;
    ExportCsvFile(this, series.sampleId.IsEmpty() ? seriesFormula : series.sampleId, SeriesCsv(series));
}
