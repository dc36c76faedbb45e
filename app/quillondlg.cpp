#include "quillondlg.h"

#include <cstring>
#include <string>

#include "controlrecords.h"
#include "elementselectdlg.h"
#include "core/elements.h"
#include "core/formula.h"
#include "core/reaction.h"
#include "htmlhelp.h"
#include "resource.h"
#include "version.h"

namespace {

// The main dialog the plain callbacks below answer for: the list's formula
// check and closing callbacks are plain functions, so they reach the dialog
// through this one pointer, set while the dialog's window exists.
CQuillonDlg *runningDialog = nullptr;

}  // namespace

int FormulaCheckCallback(const char *formula) {
    return runningDialog != nullptr && runningDialog->Parser().Check(formula) == 0 ? 1 : 0;
}

int AppClosingCallback() { return runningDialog != nullptr && runningDialog->Closing() ? 1 : 0; }


namespace {

// Ctrl+N, Ctrl+O, Ctrl+S and F1 of the main window. The dialog manager's
// loop knows no accelerators, so a message hook translates them for the
// main window and its controls (never while a box or dialog above it runs).
HHOOK acceleratorHook = nullptr;
HACCEL accelerators = nullptr;
HWND acceleratorWindow = nullptr;

LRESULT CALLBACK TranslateShortcuts(int code, WPARAM wParam, LPARAM lParam) {
    MSG *msg = reinterpret_cast<MSG *>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg != nullptr && acceleratorWindow != nullptr &&
        (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) && ::IsWindowEnabled(acceleratorWindow) &&
        (msg->hwnd == acceleratorWindow || ::IsChild(acceleratorWindow, msg->hwnd)) &&
        ::TranslateAcceleratorA(acceleratorWindow, accelerators, msg)) {
        msg->message = WM_NULL;
    }
    return ::CallNextHookEx(acceleratorHook, code, wParam, lParam);
}

}  // namespace

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
    ON_MESSAGE(WM_TIMER, OnTimer)
    ON_MESSAGE(WM_RELEASE_BUTTONS, OnReleaseButtons)
END_MESSAGE_MAP()

CQuillonDlg::CQuillonDlg(CWnd *parent)
    : CDialog(IDD_QUILLON_DIALOG, parent), fileExtension("QSF"), fileFilter("Quillon Source Files(*.QSF)") {
    m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
}

CQuillonDlg::~CQuillonDlg() {
    delete letterFont;
    delete digitFont;
    delete ledraInit;
    delete vexilInit;
    if (runningDialog == this) runningDialog = nullptr;
}

// ---------------------------------------------------------------------------
// Start-up

BOOL CQuillonDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    runningDialog = this;

    HMENU systemMenu = GetSystemMenu(FALSE);
    char about[64] = "";
    if (systemMenu != nullptr && ::LoadStringA(AfxGetInstanceHandle(), IDS_ABOUTBOX, about, sizeof about) > 0) {
        ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, about);
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    RecordLayout();
    accelerators = ::LoadAcceleratorsA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_ACCELERATORS));
    acceleratorWindow = m_hWnd;
    acceleratorHook = ::SetWindowsHookExA(WH_GETMESSAGE, TranslateShortcuts, nullptr, ::GetCurrentThreadId());

    reportFontFace = "Courier New";
    formulaFontFace = FORMULA_FONT_FACE;
    reportExtension = "QL";

    char path[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    char *slash = length > 0 && length < sizeof path ? std::strrchr(path, '\\') : nullptr;
    if (slash == nullptr) {
        AfxMessageBox("Failed to get module path.");
        ::ExitProcess(1);
    }
    slash[1] = 0;
    moduleDir = path;

    DeleteOldReports();
    ReadSettings();

    HCURSOR cursor = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    wordAvailable = ::CLSIDFromProgID(L"Word.Application", &wordClsid) == S_OK ? 1 : 0;
    ::SetCursor(cursor);
    if (!wordAvailable) outputToWord = 0;

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

    productField = new CProductField(*this);
    productField->SubclassDlgItem(IDC_PRODUCT, this);
    productField->SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    ratioField = new CNumberField(*this, "Wrong ratio value for the product!");
    ratioField->SubclassDlgItem(IDC_PRODUCT_RATIO, this);
    ratioField->SetWindowText("1");
    amountField = new CNumberField(*this, "Wrong value for amount!");
    amountField->SubclassDlgItem(IDC_AMOUNT, this);
    amountField->SetWindowText("1");

    elementSelection = ElementSelection::Metals(elementTable);
    PostMessage(WM_DEFERRED_INIT, 0, 0);
    return TRUE;
}

// Fonts, the two custom controls and the layout over the list's columns.
LRESULT CQuillonDlg::OnDeferredInit(WPARAM, LPARAM) {
    delete letterFont;
    letterFont = nullptr;
    delete digitFont;
    digitFont = nullptr;
    CDC *dc = GetDC();
    letterFont = new CFont;
    digitFont = new CFont;
    CreateFormulaFonts(*letterFont, *digitFont, formulaFontFace, dc);
    ReleaseDC(dc);

    delete vexilInit;
    vexilInit = new VexilInit(FormulaFieldInit(*letterFont, *digitFont));
    GetDlgItem(IDC_PRODUCT)->SendMessage(VXM_INITIALIZE, reinterpret_cast<WPARAM>(vexilInit), 0);

    CRect productClient;
    GetDlgItem(IDC_PRODUCT)->GetClientRect(&productClient);
    delete ledraInit;
    ledraInit = new LedraInit(ListInit(m_hWnd, vexilInit, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)),
                                       productClient.Height(), FormulaCheckCallback, AppClosingCallback));
    GetDlgItem(IDC_LIST)->SendMessage(LDM_INITIALIZE, 0, reinterpret_cast<LPARAM>(ledraInit));
    LayOutOverColumns();
    baseListHeight = GetControlRectInParent(IDC_LIST).Height();  // whole rows, as the list made it
    ApplyStoredHeight();
    EntryKept(nullptr);
    ::SetTimer(m_hWnd, IDT_ENTRY_CHANGED, 250, nullptr);
    return 1;
}

CRect CQuillonDlg::GetControlRectInParent(int id) const {
    CRect rect;
    GetDlgItem(id)->GetWindowRect(&rect);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

// The fields and headers take the list's column edges.
void CQuillonDlg::LayOutOverColumns() {
    CRect list = GetControlRectInParent(IDC_LIST);
    int x0 = list.left, x1 = x0 + ledraInit->formulaLeft, x2 = x0 + ledraInit->ratioLeft, xR = list.right;
    const struct { int id, left, right; } moves[] = {
        {IDC_SAMPLE_ID, x0, xR},      {IDC_PRODUCT, x0, x2},        {IDC_PRODUCT_RATIO, x2, xR},
        {IDC_HEADER_NUMBER, x0, x1},  {IDC_HEADER_FORMULA, x1, x2}, {IDC_HEADER_RATIO, x2, xR},
    };
    // Moved without drawing; each control and the dialog's ground it
    // uncovers are drawn once, at the next paint.
    for (const auto &move : moves) {
        CRect own = GetControlRectInParent(move.id);
        HWND control = GetDlgItem(move.id)->m_hWnd;
        ::SetWindowPos(control, nullptr, move.left, own.top, move.right - move.left, own.Height(),
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        InvalidateRect(&own, TRUE);
        ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
}

// ---------------------------------------------------------------------------
// Commands and system messages

BOOL CQuillonDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    if (id == IDOK) return TRUE;  // Enter never closes the window
    // A shortcut, like a menu, acts once the field or cell being edited has been left.
    if (HIWORD(wParam) == 1 && lParam == 0) SetFocus();
    if ((id == IDC_PRODUCT_RATIO || id == IDC_LIST) && HIWORD(wParam) == LDN_AUTORATIO) {
        OnAutoRatio();
        return TRUE;
    }
    switch (id) {
    case ID_FILE_NEW:
        OnClear();
        break;
    case ID_FILE_EXIT:
        if (!ConfirmDiscard()) break;
        closing = true;
        SendMessage(WM_CLOSE);
        break;
    case ID_HELP_HELP:
        OnHelpContents();
        break;
    case ID_HELP_ABOUT:
        OnAbout();
        break;
    case ID_FILE_OPEN:
        OnOpenFile();
        break;
    case ID_FILE_SAVE:
        OnSaveFile();
        break;
    case ID_OUTPUT_WORD:
        outputToWord = 1;
        break;
    case ID_OUTPUT_DEFAULT:
        outputToWord = 0;
        break;
    case ID_OPTIONS_DIFFERENCE:
        showDifferential = showDifferential == 0 ? 1 : 0;
        break;
    case ID_OPTIONS_MMOL:
        showMmol = showMmol == 0 ? 1 : 0;
        break;
    case ID_OPTIONS_GASES:
        showGases = showGases == 0 ? 1 : 0;
        break;
    case ID_OPTIONS_WEIGHING:
        OnWeighing();
        break;
    case ID_FILE_PRINT:
        OnPrint();
        break;
    case ID_FILE_EXPORT_CSV:
        OnExportCsv();
        break;
    case ID_OPTIONS_BALANCE:
        OnBalanceSettings();
        break;
    case ID_OPTIONS_SERIES:
        OnSeries();
        break;
    case ID_OPTIONS_WEIGHED:
        OnWeighedMasses();
        break;
    default:
        break;
    }
    return CWnd::OnCommand(wParam, lParam);
}

void CQuillonDlg::OnSysCommand(UINT id, LPARAM) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        OnAbout();
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
    UINT grey = wordAvailable ? MF_ENABLED : MF_GRAYED;
    ::EnableMenuItem(menu, ID_OUTPUT_WORD, MF_BYCOMMAND | grey);
    ::EnableMenuItem(menu, ID_OUTPUT_DEFAULT, MF_BYCOMMAND | grey);
    ::CheckMenuItem(menu, ID_OUTPUT_WORD, MF_BYCOMMAND | (outputToWord ? MF_CHECKED : MF_UNCHECKED));
    ::CheckMenuItem(menu, ID_OUTPUT_DEFAULT, MF_BYCOMMAND | (outputToWord ? MF_UNCHECKED : MF_CHECKED));
    ::CheckMenuItem(menu, ID_OPTIONS_DIFFERENCE, MF_BYCOMMAND | (showDifferential ? MF_CHECKED : MF_UNCHECKED));
    ::CheckMenuItem(menu, ID_OPTIONS_MMOL, MF_BYCOMMAND | (showMmol ? MF_CHECKED : MF_UNCHECKED));
    ::CheckMenuItem(menu, ID_OPTIONS_GASES, MF_BYCOMMAND | (showGases ? MF_CHECKED : MF_UNCHECKED));
    // Printing and export need a calculated sheet.
    ::EnableMenuItem(menu, ID_FILE_PRINT, MF_BYCOMMAND | (sheetKept ? MF_ENABLED : MF_GRAYED));
    ::EnableMenuItem(menu, ID_FILE_EXPORT_CSV, MF_BYCOMMAND | (sheetKept ? MF_ENABLED : MF_GRAYED));
}

// Ctrl+Shift+J in a formula editor: what this copy of the program runs on.
LRESULT CQuillonDlg::OnEditorSignal(WPARAM, LPARAM) {
    CString text;
    text.Format("Quillon %s (%d-bit)\n\nElement data: %sATOMS.LST, %d elements.\nReport files: %s*.%s",
                QUILLON_VERSION, int(sizeof(void *) * 8), moduleDir.GetString(), elementTable.Count(), moduleDir.GetString(),
                reportExtension.GetString());
    MessageBox(text, "Quillon", MB_OK | MB_ICONINFORMATION);
    return 0;
}

void CQuillonDlg::OnDestroy() {
    ::KillTimer(m_hWnd, IDT_ENTRY_CHANGED);
    if (acceleratorHook != nullptr) ::UnhookWindowsHookEx(acceleratorHook);
    acceleratorHook = nullptr;
    acceleratorWindow = nullptr;
    Default();
    UninitializeHelp();
    WriteSettings();
    if (productField != nullptr) {
        productField->UnsubclassWindow();
        delete productField;
        productField = nullptr;
    }
    if (ratioField != nullptr) {
        ratioField->UnsubclassWindow();
        delete ratioField;
        ratioField = nullptr;
    }
    if (amountField != nullptr) {
        amountField->UnsubclassWindow();
        delete amountField;
        amountField = nullptr;
    }
}

// ---------------------------------------------------------------------------
// Calculate, Clear and the automatic ratios

void CQuillonDlg::OnCalculate() {
    if (!seriesFormula.IsEmpty()) {  // a series entry is calculated member by member
        OnSeries();
        return;
    }
    ::MessageBeep(MB_ICONASTERISK);
    const CalcOptions options = CalculationOptions(IsDlgButtonChecked(IDC_AUTO_RATIO) == BST_CHECKED);
    const Entry entry = CalculationEntry();
    const CalcStart start = StartCalculation(entry, options);
    if (start.refused) {
        ShowMessages(start.messages);
        return;
    }
    if (start.needsSelection && !ChooseElements(start, true)) return;
    const CalcOutcome outcome = Calculate(entry, formulaParser, elementSelection, options);
    ShowRows(outcome.entry);
    ShowMessages(outcome.messages);
    if (!outcome.done) return;
    WriteSheet(outcome);
    if (resetSelectionAfterCalc != 0) elementSelection = ElementSelection::Metals(elementTable);
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
    seriesValues.Empty();
    KeepSeriesFormula(CString());
    EntryKept(nullptr);
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

bool CQuillonDlg::Closing() const { return closing; }

// "Wrong Format for Product.", naming the first symbol ATOMS.LST lacks.
CString CQuillonDlg::ProductProblem(const char *formula) const {
    if (formulaParser.Check(formula) == 0) return CString();
    CString text = "Wrong Format for Product.";
    std::string unknown = FirstUnknownSymbol(formula, elementTable);
    if (!unknown.empty()) text += ("\n" + unknown + " is not in ATOMS.LST.").c_str();
    return text;
}

CString CQuillonDlg::ProductFormula() {
    CString text;
    GetDlgItem(IDC_PRODUCT)->GetWindowText(text);
    return text;
}

// The entry with the sheet's options, which are settings, as its mmol and gases.
Entry CQuillonDlg::CalculationEntry() {
    Entry entry;
    ReadEntry(entry);
    entry.batch.mmol = showMmol != 0;
    entry.batch.gases = showGases != 0;
    return entry;
}

CalcOptions CQuillonDlg::CalculationOptions(bool autoRatio) const {
    CalcOptions options;
    options.autoRatio = autoRatio;
    options.showDifferential = showDifferential;
    return options;
}

// What the user changed in the selection stays, whether the ratios were
// asked for or not; so does the Retain setting, when offered.
bool CQuillonDlg::ChooseElements(const CalcStart &start, bool retainOffered) {
    CElementSelectionDlg dialog;
    dialog.SetData(start.product, start.unknowns, formulaParser, elementSelection, retainOffered,
                   resetSelectionAfterCalc == 0);
    const bool chosen = dialog.DoModal() == IDOK;
    elementSelection = dialog.Selection();
    if (retainOffered) resetSelectionAfterCalc = dialog.Retain() ? 0 : 1;
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
// The window enlarged

// The template's layout: the smallest size, and the controls under the list
// that move down when the window grows.
void CQuillonDlg::RecordLayout() {
    CRect window, client;
    GetWindowRect(&window);
    GetClientRect(&client);
    baseWidth = window.Width();
    baseHeight = window.Height();
    baseClientHeight = client.Height();
    CRect list = GetControlRectInParent(IDC_LIST);
    belowList.clear();
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        CRect rect;
        ::GetWindowRect(child, &rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT *>(&rect), 2);
        if (rect.top >= list.bottom) belowList.push_back({child, int(rect.top)});
    }
}

// The height of the last run, when it is larger than the template's and
// fits on the screen.
void CQuillonDlg::ApplyStoredHeight() {
    CRect window;
    GetWindowRect(&window);
    RECT work = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int height = storedHeight;
    if (height > work.bottom - work.top) height = work.bottom - work.top;
    if (height <= baseHeight) return;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, window.Width(), height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CQuillonDlg::OnGetMinMaxInfo(WPARAM, LPARAM lParam) {
    MINMAXINFO *info = reinterpret_cast<MINMAXINFO *>(lParam);
    if (baseWidth > 0) {
        // Taller only: the list's columns and the fields over them keep their width.
        info->ptMinTrackSize.x = info->ptMaxTrackSize.x = baseWidth;
        info->ptMinTrackSize.y = baseHeight;
    }
    return 0;
}

// The list takes the extra height in whole rows; what lies under it keeps
// its distance from the bottom edge.
void CQuillonDlg::OnSize(UINT type, int, int cy) {
    Default();
    if (type == SIZE_MINIMIZED || baseListHeight == 0 || ledraInit == nullptr || ledraInit->rowHeight <= 0) return;
    int grow = cy > baseClientHeight ? cy - baseClientHeight : 0;
    CRect list = GetControlRectInParent(IDC_LIST);
    int rows = grow / ledraInit->rowHeight;
    GetDlgItem(IDC_LIST)->MoveWindow(list.left, list.top, list.Width(), baseListHeight + rows * ledraInit->rowHeight,
                                     TRUE);
    for (const auto &control : belowList) {
        CRect rect;
        ::GetWindowRect(control.first, &rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT *>(&rect), 2);
        ::MoveWindow(control.first, rect.left, control.second + grow, rect.Width(), rect.Height(), TRUE);
    }
    InvalidateRect(nullptr, TRUE);
}

LRESULT CQuillonDlg::OnTimer(WPARAM id, LPARAM) {
    if (id == IDT_ENTRY_CHANGED) UpdateTitle();
    return 0;
}
