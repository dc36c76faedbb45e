// The starting-materials list "LEDRA": 30 numbered rows of formula, ratio
// and Fixed/Unfixed mark, shown a few at a time under a vertical scroll bar
// and edited in place. A click in a formula or ratio cell lays an editor
// child over the cell (a VEXIL control for formulas, a system EDIT control
// for ratios); leaving the cell commits it: the formula goes through the
// program's check callback, the ratio must be one number or "?" (which asks
// the parent to determine the ratios, LDN_AUTORATIO). A click in the number
// cell toggles the row between Fixed and Unfixed. Painting composes the whole
// list in an off-screen bitmap and copies it once; the formulas are drawn by
// the VEXIL child (VXM_DRAWFORMULA), so they look as they do while edited.
//
// Choices made where the control's contract leaves room:
//  - VEXIL.DLL is loaded by the first list window created (WM_CREATE), not
//    as the library loads: nothing is loaded or shown while the loader holds
//    its lock.
//  - The editors are reached through their hooks, which are this module's
//    permanent objects for the children: the temporary wrappers GetDlgItem
//    hands out are freed when the outermost message returns.
//  - Ratios are shown with FormatRatioText (core/rowstore.h) in the
//    40-character buffer of the editor, in the editor and in the list alike:
//    trimmed "%.5f" while it fits, an exact "%g" text (1e+308) beyond.
//  - Row messages with an index outside the rows answer 0 (a null pointer)
//    and touch nothing; before LDM_INITIALIZE there are no rows at all and
//    LDM_GETCAPACITY answers 0.
//  - A cell is opened by sizing the editor first and loading its text after,
//    so a long formula is never cut to the editor's creation width; a
//    formula the VEXIL editor refuses opens as an empty, unchanged editor, so
//    leaving it never stores the previous cell's text in this row.
//  - Clicks above or below the rows are ignored, and a rowHeight below 1 is
//    taken as 1, instead of dividing by zero or reaching past the rows.
//  - LDM_RESETCONTENT hides an open editor without storing it.
//  - The list follows its window's size after LDM_INITIALIZE: as many whole
//    rows as the height holds are shown (the scroll range follows), the
//    ratio column stays at the right edge so that the formula column takes
//    the extra width, the column dividers are written back to the LedraInit
//    record again, and an open cell moves with its row and stays in view.
//  - The mouse wheel scrolls the list as the scroll bar does (the open cell
//    is committed first); the editors pass the wheel on to the list.
//  - Closing a cell repaints the list, so a new row's ratio shows at once.
//  - The ratio editor scrolls sideways (ES_AUTOHSCROLL): a system edit
//    control without it refuses what does not fit its width, and a ratio
//    typed with many digits would lose its last ones.
//  - Sizes follow the list's DPI (quillon/dpi.h): the row numbers start 10
//    pixels in and the ratios 4 pixels past their line (at 96 DPI, scaled);
//    both are centred in their rows. The formulas start where the formula
//    editor writes them (its left margin, EM_GETMARGINS). The ratio editor,
//    a single-line edit that writes at its top, is laid from the top of the
//    cell's centred text down, with its left margin to match, and the list
//    paints the band above it white, so its text does not move as it opens.
//  - The hidden formula editor is kept at the size of a formula cell, so
//    the rows are drawn with the same vertical layout as the open editor, and
//    each row's formula is clipped to its row, so subscripts never cover the
//    grid line below.
#include "ledractl.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>

#include "controls/keystate.h"
#include "core/textutil.h"
#include "quillon/dpi.h"

namespace {

const int FORMULA_EDITOR_ID = 101;
const int RATIO_EDITOR_ID = 102;
const COLORREF FIXED_FORMULA_COLOR = 0x000000FF;
const char SELF_TEST_FORMULA[] = "H2.1(Re3Os7.8)(PtAu)3.4";
// Posted to itself when the list receives the focus from outside: the cell to go to.
const UINT WM_APP_ENTER = WM_APP + 1;

// VEXIL.DLL, whose class is the list's formula editor: the first list window
// that finds it absent from the process loads it for good (never released).
// A library that cannot be loaded says so in a message box, and is tried
// again by the next window.
bool LoadVexil() {
    if (::GetModuleHandleA("VEXIL.DLL") != nullptr || ::LoadLibraryA("VEXIL.DLL") != nullptr) return true;
    AfxMessageBox("Failed to load VEXIL.DLL.", MB_OK);
    return false;
}

// A broken initialisation contract: the message, then the process ends.
[[noreturn]] void FailInitialisation(const char *text) {
    AfxMessageBox(text, MB_OK);
    std::exit(1);
}

}  // namespace

// ---------------------------------------------------------------------------
// CCellEditHook

BEGIN_MESSAGE_MAP(CCellEditHook, CWnd)
    ON_WM_KILLFOCUS()
    ON_WM_GETDLGCODE()
    ON_WM_KEYDOWN()
    ON_WM_SETFOCUS()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_MESSAGE(WM_MOUSEWHEEL, OnMouseWheel)
END_MESSAGE_MAP()

// Leaving the editor for another window commits the cell; a refused commit
// has already taken the focus back.
void CCellEditHook::OnKillFocus(CWnd *newWnd) {
    Default();
    if (newWnd != nullptr) owner->Commit();
}

// The editor wants every key, so a dialog never takes Tab, Enter or arrows from it.
UINT CCellEditHook::OnGetDlgCode() { return DLGC_WANTALLKEYS; }

// Navigation keys become messages posted to the list, so they run after the
// key has been handled; Tab, Up, Down, Ctrl+Home and Ctrl+End stop here.
// Home and End without Ctrl are the editor's own: the caret, or with Shift
// the selection, to the start or the end of the text.
void CCellEditHook::OnKeyDown(UINT vk, UINT, UINT) {
    switch (vk) {
    case VK_TAB:
        owner->PostMessage(LDM_TABOUT, WPARAM(ModifierState() & 3), 0);
        return;
    case VK_RETURN:
        owner->PostMessage(LDM_STEPCELL, WPARAM(ModifierState()), 0);
        break;
    case VK_UP:
        owner->PostMessage(LDM_STEPCELL, 1, 0);
        return;
    case VK_DOWN:
        owner->PostMessage(LDM_STEPCELL, 0, 0);
        return;
    case VK_PRIOR:
    case VK_NEXT:
        owner->PostMessage(LDM_PAGEKEY, vk, 0);
        break;
    case VK_END:
    case VK_HOME:
        if ((ModifierState() & 2) == 0) break;
        owner->PostMessage(LDM_PAGEKEY, vk, 0);
        return;
    }
    Default();
}

void CCellEditHook::OnSetFocus(CWnd *) { Default(); }

// A press in an editor that did not take the focus (a refused commit held
// it elsewhere) must not leave the editor tracking the mouse.
void CCellEditHook::OnLButtonDown(UINT, CPoint) {
    Default();
    if (::GetFocus() != m_hWnd) SendMessage(WM_LBUTTONUP, 0, 0);
}

void CCellEditHook::OnLButtonUp(UINT, CPoint) { Default(); }

// The wheel over an open cell scrolls the list.
LRESULT CCellEditHook::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
    return owner->SendMessage(WM_MOUSEWHEEL, wParam, lParam);
}

// ---------------------------------------------------------------------------
// CLedra: creation and destruction

BEGIN_MESSAGE_MAP(CLedra, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_VSCROLL()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_KEYDOWN()
    ON_WM_DESTROY()
    ON_MESSAGE(LDM_INITIALIZE, OnInitialize)
    ON_MESSAGE(LDM_SETMETRICS, OnSetMetrics)
    ON_MESSAGE(LDM_GETFORMULA, OnGetFormula)
    ON_MESSAGE(LDM_GETRATIO, OnGetRatio)
    ON_MESSAGE(LDM_GETROW, OnGetRow)
    ON_MESSAGE(LDM_SETFORMULA, OnSetFormula)
    ON_MESSAGE(LDM_SETRATIO, OnSetRatio)
    ON_MESSAGE(LDM_SETFIXED, OnSetFixed)
    ON_MESSAGE(LDM_RESETCONTENT, OnResetContent)
    ON_MESSAGE(LDM_GETROWS, OnGetRows)
    ON_MESSAGE(LDM_GETUNFIXEDCOUNT, OnGetUnfixedCount)
    ON_MESSAGE(LDM_GETCAPACITY, OnGetCapacity)
    ON_MESSAGE(LDM_TOGGLEFIXED, OnToggleFixed)
    ON_MESSAGE(LDM_GETCURRENTROW, OnGetCurrentRow)
    ON_MESSAGE(LDM_TABOUT, OnTabOut)
    ON_MESSAGE(LDM_STEPCELL, OnStepCell)
    ON_MESSAGE(LDM_PAGEKEY, OnPageKey)
    ON_MESSAGE(LDM_FORWARDTOPARENT, OnForwardToParent)
    ON_MESSAGE(WM_MOUSEWHEEL, OnMouseWheel)
    ON_MESSAGE(WM_APP_ENTER, OnEnter)
END_MESSAGE_MAP()

CLedra::CLedra()
    : formulaCheck(nullptr), isClosing(nullptr), commitDepth(0), formulaEditorHook(nullptr),
      ratioEditorHook(nullptr), formulaEditor(nullptr), ratioEditor(nullptr), activeEditor(0), lastColumn(1),
      currentRow(0), topRow(0), clickRow(0), visibleRows(1), rowHeight(1), numberChars(0), ratioChars(0),
      formulaLeft(0), ratioLeft(0), initialized(0), backColor(0), font(nullptr), initRecord(nullptr),
      columnUnit(0), wheelDelta(0), numberX(10), textPad(2), textOffset(6) {}

// The off-screen context goes before the bitmap selected into it, so the
// bitmap is selected nowhere when it is deleted.
CLedra::~CLedra() {
    offscreenDC.DeleteDC();
    offscreenBitmap.DeleteObject();
    delete formulaEditorHook;
    delete ratioEditorHook;
}

void CLedra::PostNcDestroy() { delete this; }

// Creates the two hidden editor children and hooks them; without VEXIL.DLL
// the window is not created.
int CLedra::OnCreate(LPCREATESTRUCT) {
    if (!LoadVexil() || Default() == -1) return -1;
    HWND formula = ::CreateWindowExA(0, VEXIL_CLASS_NAME, "", WS_CHILD, 0, 0, 100, 30, m_hWnd,
                                     reinterpret_cast<HMENU>(INT_PTR(FORMULA_EDITOR_ID)), AfxGetInstanceHandle(),
                                     nullptr);
    formulaEditorHook = new CCellEditHook(this);
    if (formula == nullptr || !formulaEditorHook->SubclassWindow(formula)) {
        AfxMessageBox("Failed to subclass VEXIL in Ledra.DLL.", MB_OK);
        std::exit(1);
    }
    formulaEditor = formulaEditorHook;

    HWND ratio = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 100, 30, m_hWnd,
                                   reinterpret_cast<HMENU>(INT_PTR(RATIO_EDITOR_ID)), AfxGetInstanceHandle(),
                                   nullptr);
    ratioEditorHook = new CCellEditHook(this);
    // Without the hook the editor still works as a plain cell; keep it bound.
    if (!ratioEditorHook->SubclassWindow(ratio)) ratioEditorHook->Attach(ratio);
    ratioEditor = ratioEditorHook;
    return 0;
}

// The hooks go before the children do, so their last messages commit nothing.
void CLedra::OnDestroy() {
    Default();
    for (CCellEditHook **hook : {&formulaEditorHook, &ratioEditorHook}) {
        if (*hook == nullptr) continue;
        (*hook)->UnsubclassWindow();
        delete *hook;
        *hook = nullptr;
    }
    formulaEditor = ratioEditor = nullptr;
    activeEditor = 0;
}

// ---------------------------------------------------------------------------
// Initialisation

// The spacings and columns from the rows' font, the row height and the
// column widths in the list's DPI. The column unit is the font's digit width:
// the same in every version of a metric-compatible face, where the widest
// character is not. The spacings are pixels at 96 DPI, scaled to the list's;
// the numbers and ratios are centred in their rows.
void CLedra::MeasureColumns() {
    CDC *dc = GetDC();
    HGDIOBJ previous = dc->SelectObject(font);
    TEXTMETRICA metrics = {};
    dc->GetTextMetrics(&metrics);
    SIZE digits = {0, 0};
    ::GetTextExtentPoint32A(dc->GetSafeHdc(), "0000", 4, &digits);
    if (previous != nullptr) dc->SelectObject(previous);
    ReleaseDC(dc);
    columnUnit = digits.cx > 0 ? (digits.cx + 2) / 4 : int(metrics.tmAveCharWidth);
    int dpi = QuillonDpiOf(m_hWnd);
    numberX = QuillonScale(10, dpi);
    textPad = QuillonScale(4, dpi);
    textOffset = (rowHeight - 1 - int(metrics.tmHeight)) / 2;
    if (textOffset < 0) textOffset = 0;
    CRect client;
    GetClientRect(&client);
    formulaLeft = numberChars * columnUnit;
    ratioLeft = client.right - ratioChars * columnUnit;
}

// The dividers into the record, in window coordinates (past the border).
void CLedra::WriteColumns() {
    CPoint origin(0, 0);
    ClientToScreen(&origin);
    CRect window;
    GetWindowRect(&window);
    int border = origin.x - window.left;
    initRecord->formulaLeft = formulaLeft + border;
    initRecord->ratioLeft = ratioLeft + border;
}

// LDM_SETMETRICS: the new record's fonts and sizes, laid out in the present
// window; the rows, the scroll position and an open cell are kept.
LRESULT CLedra::OnSetMetrics(WPARAM, LPARAM lParam) {
    LedraInit *init = reinterpret_cast<LedraInit *>(lParam);
    if (!initialized || init == nullptr || init->font == nullptr) return 1;
    if (formulaEditor->SendMessage(VXM_SETFONTS, reinterpret_cast<WPARAM>(init->vexilInit), 0) != 0) return 1;
    font = init->font;
    numberChars = init->numberChars;
    ratioChars = init->ratioChars;
    rowHeight = init->rowHeight > 0 ? init->rowHeight : 1;
    initRecord = init;
    MeasureColumns();
    WriteColumns();
    ratioEditor->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ratioEditor->SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(textPad - 1, 0));
    Relayout();
    return 0;
}

// LDM_INITIALIZE: checks the record and the sender, initialises the formula
// editor, lays out the columns, fits the height to whole rows and makes the
// rows. Every failure ends the process.
LRESULT CLedra::OnInitialize(WPARAM, LPARAM lParam) {
    LedraInit *init = reinterpret_cast<LedraInit *>(lParam);
    if (init == nullptr || init->parent == nullptr) FailInitialisation("NULL parameter passed to Initialization.");
    if (init->parent != ::GetParent(m_hWnd)) FailInitialisation("Initialization attempt by non-parent.");
    if (initialized) FailInitialisation("Multiple initialization attempt.");
    if (formulaEditor->SendMessage(VXM_INITIALIZE, reinterpret_cast<WPARAM>(init->vexilInit), 0) != 0)
        FailInitialisation("Vexil initialization attempt failed.");

    font = init->font;
    numberChars = init->numberChars;
    ratioChars = init->ratioChars;
    rowHeight = init->rowHeight > 0 ? init->rowHeight : 1;
    backColor = init->backColor;
    backBrush.CreateSolidBrush(backColor);

    initRecord = init;
    MeasureColumns();

    WriteColumns();
    CRect window;
    GetWindowRect(&window);

    // Whole rows only: the outer height rounded down to rows, plus the frame.
    CWnd *parent = GetParent();
    if (parent != nullptr) parent->ScreenToClient(&window);
    int frame = window.Height() - clientRect.Height();
    visibleRows = window.Height() / rowHeight;
    if (visibleRows < 1) visibleRows = 1;
    if (visibleRows > ROW_CAPACITY) visibleRows = ROW_CAPACITY;
    MoveWindow(window.left, window.top, window.Width(), visibleRows * rowHeight + frame, TRUE);

    activeEditor = 0;
    PlaceEditor(formulaEditor, 1, 0);
    ratioEditor->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    // The ratio editor's text starts where the cell's does (after the font,
    // which sets the margins of its own).
    ratioEditor->SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(textPad - 1, 0));
    rows.create(ROW_CAPACITY);
    SetScrollRange(SB_VERT, 0, ROW_CAPACITY - visibleRows, FALSE);

    isClosing = init->isClosing;
    if (isClosing == nullptr) FailInitialisation("Application closing function pointer is NULL.");
    if (isClosing() != 0) FailInitialisation("Application closing indicator has wrong value.");
    formulaCheck = init->formulaCheck;
    if (formulaCheck == nullptr) FailInitialisation("Formula check function pointer is NULL.");
    if (formulaCheck(SELF_TEST_FORMULA) == 0)
        FailInitialisation("Given Formula check function doesn't function properly.");
    caption = init->caption;

    initialized = 1;
    // The scroll bar is drawn with the frame at the next paint.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    return 0;
}

// ---------------------------------------------------------------------------
// Row messages

// wParam as a row index of the store, or -1 (also for every index before
// LDM_INITIALIZE, when there are no rows).
int CLedra::RowIndex(WPARAM wParam) const {
    return wParam < WPARAM(rows.capacity()) ? int(wParam) : -1;
}

LRESULT CLedra::OnGetFormula(WPARAM wParam, LPARAM) {
    return reinterpret_cast<LRESULT>(rows.formula(RowIndex(wParam)));
}

LRESULT CLedra::OnGetRatio(WPARAM wParam, LPARAM) { return reinterpret_cast<LRESULT>(rows.ratio(RowIndex(wParam))); }

LRESULT CLedra::OnGetRow(WPARAM wParam, LPARAM) { return reinterpret_cast<LRESULT>(rows.row(RowIndex(wParam))); }

// No validation and no repaint: the caller fills the list and repaints it.
LRESULT CLedra::OnSetFormula(WPARAM wParam, LPARAM lParam) {
    const CString *text = reinterpret_cast<const CString *>(lParam);
    if (text == nullptr) return 0;
    return rows.setFormula(RowIndex(wParam), *text);
}

LRESULT CLedra::OnSetRatio(WPARAM wParam, LPARAM lParam) {
    const double *value = reinterpret_cast<const double *>(lParam);
    if (value == nullptr) return 0;
    return rows.setRatio(RowIndex(wParam), *value);
}

LRESULT CLedra::OnSetFixed(WPARAM wParam, LPARAM lParam) { return rows.setFixed(RowIndex(wParam), int(lParam)); }

// Empties every row, closes the open cell without storing it and scrolls to the top.
LRESULT CLedra::OnResetContent(WPARAM, LPARAM) {
    rows.reset();
    if ((activeEditor == 1 || activeEditor == 2) && commitDepth == 0)
        (activeEditor == 1 ? formulaEditor : ratioEditor)->ShowWindow(SW_HIDE);
    activeEditor = 0;
    currentRow = 0;
    lastColumn = 0;
    topRow = 0;
    clickRow = 0;
    SetScrollPos(SB_VERT, 0, TRUE);
    Invalidate(TRUE);
    UpdateWindow();
    return 0;
}

// LDM_GETROWS: (0, 0) counts the used rows, (count, list) collects them.
LRESULT CLedra::OnGetRows(WPARAM wParam, LPARAM lParam) {
    // A count that does not fit an int can never match; it stays nonzero.
    int count = wParam <= WPARAM(INT_MAX) ? int(wParam) : -1;
    return rows.getRows(count, reinterpret_cast<LedraRowList *>(lParam));
}

LRESULT CLedra::OnGetUnfixedCount(WPARAM, LPARAM) { return rows.getUnfixedCount(); }

LRESULT CLedra::OnGetCapacity(WPARAM, LPARAM) { return rows.capacity(); }

LRESULT CLedra::OnGetCurrentRow(WPARAM, LPARAM) { return initialized ? currentRow : -1; }

// The mark of a row, or of the current row for wParam -1, switched as a click
// in its number cell does; an open cell stays open.
LRESULT CLedra::OnToggleFixed(WPARAM wParam, LPARAM) {
    int row = wParam == WPARAM(-1) ? currentRow : RowIndex(wParam);
    LedraRow *target = initialized ? rows.row(row) : nullptr;
    if (target == nullptr) return -1;
    target->fixed = target->fixed == 0 ? 1 : 0;
    Invalidate(FALSE);
    return target->fixed;
}

// The formula editor's Ctrl+Shift+J, relayed to the parent.
LRESULT CLedra::OnForwardToParent(WPARAM, LPARAM) {
    ::PostMessageA(::GetParent(m_hWnd), LDM_FORWARDTOPARENT, 0, 0);
    return 0;
}

// ---------------------------------------------------------------------------
// Editing

// Shows a validation failure and puts the user back into the editor with its
// whole text selected; the answer of a refused commit.
int CLedra::RefuseCell(CWnd *editor, const char *text) {
    MessageBox(text, caption, MB_ICONHAND | MB_OK);
    editor->SendMessage(EM_SETSEL, 0, LPARAM(-1));
    editor->SetFocus();
    --commitDepth;
    return -1;
}

int CLedra::Commit() {
    if (!initialized || commitDepth > 0 || isClosing() != 0) return -1;
    ++commitDepth;
    bool formulaChanged = false;
    if (activeEditor == 1) {
        if (formulaEditor->SendMessage(VXM_GETMODIFY) != 0) {
            CString text;
            formulaEditor->GetWindowText(text);
            if (!text.IsEmpty() && formulaCheck(text) == 0)
                return RefuseCell(formulaEditor, "Wrong format for Starting Material!");
            formulaChanged = *rows.formula(currentRow) != text;
            rows.setFormula(currentRow, text);
        }
    } else if (activeEditor == 2) {
        if (ratioEditor->SendMessage(EM_GETMODIFY) != 0) {
            CString text;
            ratioEditor->GetWindowText(text);  // the whole text, however long
            double value = 0.0;
            if (ReadNumberTextOr(text, UNDETERMINED_RATIO, &value) != 0)
                return RefuseCell(ratioEditor, "Wrong format for ratio of Starting Material!");
            if (value > UNDETERMINED_RATIO) {
                rows.setRatio(currentRow, value);
            } else {
                // The parent determines the ratios, perhaps in a modal dialog;
                // this commit stays in progress meanwhile.
                ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), LDN_AUTORATIO),
                               reinterpret_cast<LPARAM>(m_hWnd));
            }
        }
    } else {
        if (activeEditor == NUMBER_CELL) {
            activeEditor = 0;
            Invalidate(FALSE);
        }
        --commitDepth;
        return 0;
    }
    CWnd *editor = activeEditor == 1 ? formulaEditor : ratioEditor;
    activeEditor = 0;
    editor->ShowWindow(SW_HIDE);
    Invalidate(FALSE);
    // The commit stays in progress while the parent answers, perhaps with a
    // modal dialog: the focus changes it brings store nothing.
    if (formulaChanged)
        ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), LDN_FORMULACOMMITTED),
                       reinterpret_cast<LPARAM>(m_hWnd));
    --commitDepth;
    return 1;
}

// Loads a row's formula; a text the editor refuses leaves it empty and unchanged.
void CLedra::LoadFormula(int row) {
    const CString *formula = rows.formula(row);
    const char *text = formula != nullptr ? static_cast<const char *>(*formula) : "";
    if (formulaEditor->SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0)
        formulaEditor->SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
}

// Loads a row's ratio text; setting the text clears the editor's changed flag.
void CLedra::LoadRatio(int row) {
    const double *ratio = rows.ratio(row);
    char text[RATIO_TEXT_SIZE];
    FormatRatioText(ratio != nullptr ? *ratio : 1.0, text, sizeof text);
    ratioEditor->SetWindowText(text);
}

void CLedra::OnLButtonDown(UINT, CPoint point) { ClickAt(point.x, point.y); }

void CLedra::ClickAt(int x, int y) {
    // Points above or below the rows (only a caller's own messages make
    // them) are ignored: there is no cell to open.
    if (!initialized || y < 0 || y / rowHeight >= visibleRows) return;
    clickRow = y / rowHeight;
    int committed = Commit();
    if (committed == -1) return;
    if (committed == 1) Invalidate(TRUE);
    int row = clickRow + topRow;
    LedraRow *target = rows.row(row);
    if (target == nullptr) return;
    if (x < formulaLeft) {
        target->fixed = target->fixed == 0 ? 1 : 0;
        ::MessageBeep(MB_ICONASTERISK);
        Invalidate(TRUE);
        return;
    }
    currentRow = row;
    CWnd *editor;
    if (x < ratioLeft) {
        editor = formulaEditor;
        PlaceEditor(editor, 1, clickRow);
        LoadFormula(currentRow);
        activeEditor = lastColumn = 1;
    } else {
        editor = ratioEditor;
        PlaceEditor(editor, 2, clickRow);
        LoadRatio(currentRow);
        activeEditor = lastColumn = 2;
    }
    editor->SendMessage(EM_SETSEL, 0, LPARAM(-1));
    editor->ShowWindow(SW_SHOWNORMAL);
    editor->SetFocus();
}

// Lays an editor over the cell of a column (1 formula, 2 ratio) on a screen
// row. The formula editor takes the whole cell (the rows are drawn with its
// layout); the ratio editor, a single-line edit control that writes its
// text at its top, starts at the top of the cell's centred text and the
// list paints the cell's band above it as the editor's ground, so the text
// stays where it was.
void CLedra::PlaceEditor(CWnd *editor, int column, int screenRow) {
    int top = screenRow * rowHeight + 1;
    if (column == 1) {
        editor->MoveWindow(formulaLeft + 1, top, ratioLeft - formulaLeft - 1, rowHeight - 1, TRUE);
    } else {
        editor->MoveWindow(ratioLeft + 1, top + textOffset, clientRect.right - ratioLeft - 1,
                           rowHeight - 1 - textOffset, TRUE);
    }
}

// Tab and Shift+Tab walk the cells (number, formula, ratio of each row) and
// leave the list at its ends: forward from the formula cell of an unused row
// (the rows end there) or from the last ratio cell, backward from the first
// number cell; with Ctrl at once.
LRESULT CLedra::OnTabOut(WPARAM wParam, LPARAM) {
    bool backward = (wParam & 1) != 0, walk = (wParam & 2) == 0 && activeEditor != 0;
    int column = activeEditor == NUMBER_CELL ? 0 : activeEditor;
    if (Commit() == -1) return 0;
    int row = currentRow, target = -1, targetColumn = 0;
    if (walk) {
        if (backward) {
            target = column == 0 ? row - 1 : row;
            targetColumn = column == 0 ? 2 : column - 1;
        } else if (column == 1 && rows.formula(row) != nullptr && rows.formula(row)->IsEmpty()) {
            target = -1;
        } else {
            target = column == 2 ? row + 1 : row;
            targetColumn = column == 2 ? 0 : column + 1;
        }
    }
    if (target >= 0 && target < ROW_CAPACITY) {
        OpenCell(target, targetColumn);
        return 0;
    }
    CWnd *parent = GetParent();
    CWnd *next = parent != nullptr ? parent->GetNextDlgTabItem(this, backward) : nullptr;
    if (next != nullptr) {
        next->SetFocus();
        next->SendMessage(EM_SETSEL, 0, LPARAM(-1));
    }
    return 0;
}

// Opens a cell of a row (column 0 the number cell, 1 formula, 2 ratio),
// scrolled into view; the open cell is committed first.
void CLedra::OpenCell(int row, int column) {
    int newTop = topRow;
    if (row < topRow) newTop = row;
    if (row >= topRow + visibleRows) newTop = row - visibleRows + 1;
    if (column != 0) {
        if (Commit() == -1) return;
        if (newTop != topRow) ScrollTo(newTop);
        ClickAt((column == 1 ? formulaLeft : ratioLeft) + 2, (row - topRow) * rowHeight + 2);
        return;
    }
    if (Commit() == -1) return;
    if (newTop != topRow) ScrollTo(newTop);
    currentRow = row;
    clickRow = row - topRow;
    activeEditor = NUMBER_CELL;
    SetFocus();
    Invalidate(FALSE);
}

// While the number cell is current the list holds the focus itself: Space
// switches the row between Fixed and Unfixed (as a click does), Tab walks on,
// Right and Enter open the formula cell, Up and Down move to the neighbouring
// number cell.
void CLedra::OnKeyDown(UINT vk, UINT, UINT) {
    if (activeEditor != NUMBER_CELL) {
        Default();
        return;
    }
    switch (vk) {
    case VK_SPACE:
        rows.row(currentRow)->fixed = rows.row(currentRow)->fixed == 0 ? 1 : 0;
        ::MessageBeep(MB_ICONASTERISK);
        Invalidate(FALSE);
        break;
    case VK_TAB: OnTabOut(WPARAM(ModifierState() & 3), 0); break;
    case VK_RIGHT:
    case VK_RETURN: OpenCell(currentRow, 1); break;
    case VK_UP:
        if (currentRow > 0) OpenCell(currentRow - 1, 0);
        break;
    case VK_DOWN:
        if (currentRow < ROW_CAPACITY - 1) OpenCell(currentRow + 1, 0);
        break;
    default: Default(); break;
    }
}

// The number cell stops being current when the focus leaves the list.
void CLedra::OnKillFocus(CWnd *) {
    Default();
    if (activeEditor == NUMBER_CELL) {
        activeEditor = 0;
        Invalidate(FALSE);
    }
}

// Every key while the number cell is current; else the arrows only, so the
// dialog keeps Tab and Enter.
UINT CLedra::DialogCode() const { return activeEditor == NUMBER_CELL ? DLGC_WANTALLKEYS : DLGC_WANTARROWS; }

// Enter, Up and Down: the next (or previous) cell in reading order, scrolled into view.
LRESULT CLedra::OnStepCell(WPARAM wParam, LPARAM) {
    bool backward = (wParam & 1) != 0;
    if (!backward && activeEditor == 2 && currentRow == ROW_CAPACITY - 1) {
        ratioEditor->SetFocus();
        return 0;
    }
    if (backward && activeEditor == 1 && currentRow == 0) {
        formulaEditor->SetFocus();
        return 0;
    }
    int column = activeEditor;
    if (Commit() == -1) return 0;
    int target, targetColumn;
    if (backward) {
        target = column == 2 ? currentRow : currentRow - 1;
        targetColumn = column == 2 ? 1 : 2;
    } else {
        target = column == 1 ? currentRow : currentRow + 1;
        targetColumn = column == 1 ? 2 : 1;
    }
    if (target < 0 || target >= ROW_CAPACITY) return 0;
    int newTop = topRow;
    if (target < topRow) newTop = target;
    if (target >= topRow + visibleRows) newTop = target - visibleRows + 1;
    if (newTop != topRow) ScrollTo(newTop);
    ClickAt((targetColumn == 1 ? formulaLeft : ratioLeft) + 2, (target - topRow) * rowHeight + 2);
    return 0;
}

// Receiving the focus from outside (Tab or Shift+Tab from the dialog's
// fields, a click on nothing) goes on to the open cell, or opens the current
// row's formula cell, scrolled into view.
void CLedra::OnSetFocus(CWnd *oldWnd) {
    Default();
    if (IsDescendant(oldWnd) || commitDepth > 0 || !initialized || activeEditor == NUMBER_CELL) return;
    PostMessage(WM_APP_ENTER, 0, 0);
}

LRESULT CLedra::OnEnter(WPARAM, LPARAM) {
    if (::GetFocus() != m_hWnd) return 0;
    if (activeEditor == 1 || activeEditor == 2) {
        (activeEditor == 1 ? formulaEditor : ratioEditor)->SetFocus();
        return 0;
    }
    OpenCell(currentRow, 1);
    return 0;
}

// True for the list's own children (its editors).
bool CLedra::IsDescendant(CWnd *wnd) const {
    return wnd != nullptr && wnd->m_hWnd != nullptr && ::IsChild(m_hWnd, wnd->m_hWnd);
}

// ---------------------------------------------------------------------------
// Scrolling

// The top row kept within 0 .. 30 - visibleRows.
int CLedra::ClampTop(int top) const {
    int highest = ROW_CAPACITY - visibleRows;
    if (top > highest) top = highest;
    return top < 0 ? 0 : top;
}

// Shows the rows from newTop on at once.
void CLedra::ScrollTo(int newTop) {
    topRow = newTop;
    SetScrollPos(SB_VERT, topRow, TRUE);
    Invalidate(TRUE);
    UpdateWindow();
}

// The scroll bar moves the list when the thumb is released; it closes the
// open cell (a refused commit keeps the list where it is) and opens none.
void CLedra::OnVScroll(UINT code, int position, CWnd *) {
    if (!initialized || code == SB_THUMBTRACK || code > SB_BOTTOM) {
        Default();
        return;
    }
    if (Commit() == -1) {
        CWnd *focus = CWnd::GetFocus();
        if (IsDescendant(focus)) focus->SendMessage(WM_LBUTTONUP, 0, 0);
        Default();
        return;
    }
    int newTop = topRow;
    switch (code) {
    case SB_LINEUP: newTop = topRow - 1; break;
    case SB_LINEDOWN: newTop = topRow + 1; break;
    case SB_PAGEUP: newTop = topRow - visibleRows; break;
    case SB_PAGEDOWN: newTop = topRow + visibleRows; break;
    case SB_THUMBPOSITION: newTop = position; break;
    case SB_TOP: newTop = 0; break;
    case SB_BOTTOM: newTop = ROW_CAPACITY - visibleRows; break;
    }
    topRow = ClampTop(newTop);
    if (GetScrollPos(SB_VERT) != topRow) {
        SetScrollPos(SB_VERT, topRow, TRUE);
        Invalidate(TRUE);
    }
    Default();
}

// The wheel scrolls by the system's lines per notch (a page for
// WHEEL_PAGESCROLL), as the scroll bar would: the open cell is committed
// first, and a refused commit keeps the list where it is.
LRESULT CLedra::OnMouseWheel(WPARAM wParam, LPARAM) {
    if (!initialized) return 0;
    int delta = static_cast<short>(HIWORD(wParam));
    if ((delta < 0) != (wheelDelta < 0)) wheelDelta = 0;  // a turn the other way starts afresh
    wheelDelta += delta;
    int notches = wheelDelta / WHEEL_DELTA;
    if (notches == 0) return 0;
    wheelDelta -= notches * WHEEL_DELTA;
    UINT lines = 3;
    ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    int step = lines == WHEEL_PAGESCROLL || int(lines) > visibleRows ? visibleRows : int(lines);
    int newTop = ClampTop(topRow - notches * step);
    if (newTop == topRow) return 0;
    if (Commit() == -1) {
        wheelDelta = 0;
        return 0;
    }
    ScrollTo(newTop);
    return 0;
}

// Page Up and Page Down in an editor: the rows move under the open cell,
// which stays on the same screen row and column. Ctrl+Home and Ctrl+End: the
// list to the top or the bottom, the cell of the same column in the first or
// the last row open.
LRESULT CLedra::OnPageKey(WPARAM wParam, LPARAM) {
    if (wParam == VK_HOME || wParam == VK_END) {
        int row = wParam == VK_HOME ? 0 : ROW_CAPACITY - 1;
        if (activeEditor == 1 || activeEditor == 2) {
            if (row != currentRow) OpenCell(row, activeEditor);
        }
        return 0;
    }
    int newTop = topRow;
    switch (wParam) {
    case VK_PRIOR: newTop = topRow - visibleRows; break;
    case VK_NEXT: newTop = topRow + visibleRows; break;
    }
    newTop = ClampTop(newTop);
    if (newTop == topRow) return 0;
    if (Commit() == -1) return 0;
    ScrollTo(newTop);
    ClickAt((lastColumn == 1 ? formulaLeft : ratioLeft) + 2, clickRow * rowHeight + 2);
    return 0;
}

// ---------------------------------------------------------------------------
// Painting

// A new off-screen image of the client size; also before initialisation.
void CLedra::OnSize(UINT, int, int) {
    Default();
    GetClientRect(&clientRect);
    offscreenDC.DeleteDC();
    offscreenBitmap.DeleteObject();
    CDC *screen = GetDC();
    offscreenBitmap.CreateCompatibleBitmap(screen, clientRect.Width(), clientRect.Height());
    offscreenDC.CreateCompatibleDC(screen);
    offscreenDC.SelectObject(&offscreenBitmap);
    ReleaseDC(screen);
    if (initialized) Relayout();
}

// After a resize: whole rows for the new height, the ratio column at the
// right edge, the scroll range and position, the dividers written back, the
// hidden formula editor at cell size and an open cell kept in view.
void CLedra::Relayout() {
    int rowsShown = clientRect.Height() / rowHeight;
    visibleRows = rowsShown < 1 ? 1 : (rowsShown > ROW_CAPACITY ? ROW_CAPACITY : rowsShown);
    int newRatioLeft = clientRect.right - ratioChars * columnUnit;
    if (newRatioLeft > formulaLeft) {
        if (initRecord != nullptr) initRecord->ratioLeft += newRatioLeft - ratioLeft;
        ratioLeft = newRatioLeft;
    }
    if (activeEditor != 0) {
        if (currentRow < topRow) topRow = currentRow;
        if (currentRow >= topRow + visibleRows) topRow = currentRow - visibleRows + 1;
    }
    topRow = ClampTop(topRow);
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_POS | SIF_DISABLENOSCROLL, 0, ROW_CAPACITY - visibleRows, 0,
                       topRow, 0};
    ::SetScrollInfo(m_hWnd, SB_VERT, &info, TRUE);
    if (activeEditor != 0) clickRow = currentRow - topRow;
    PlaceEditor(formulaEditor, 1, activeEditor == 1 ? clickRow : 0);
    if (activeEditor == 2) PlaceEditor(ratioEditor, 2, clickRow);
    Invalidate(FALSE);
}

// Every pixel comes from the off-screen copy: nothing to erase.
BOOL CLedra::OnEraseBkgnd(CDC *) { return TRUE; }

// Composes the whole list off-screen and copies it in one step.
void CLedra::OnPaint() {
    if (!initialized || offscreenDC.GetSafeHdc() == nullptr) {
        ValidateRect(nullptr);
        return;
    }
    offscreenDC.FillRect(&clientRect, &backBrush);
    // The last line closes the rows when the list is higher than its whole rows.
    int lines = visibleRows * rowHeight < clientRect.Height() ? visibleRows + 1 : visibleRows;
    for (int i = 1; i < lines; ++i) {
        offscreenDC.MoveTo(0, i * rowHeight);
        offscreenDC.LineTo(clientRect.right, i * rowHeight);
    }
    offscreenDC.MoveTo(formulaLeft, 0);
    offscreenDC.LineTo(formulaLeft, clientRect.bottom);
    offscreenDC.MoveTo(ratioLeft, 0);
    offscreenDC.LineTo(ratioLeft, clientRect.bottom);
    COLORREF previousBack = offscreenDC.SetBkColor(backColor);
    DrawRows(offscreenDC);
    offscreenDC.SetBkColor(previousBack);
    int openRow = currentRow - topRow;
    if (activeEditor == NUMBER_CELL && openRow >= 0 && openRow < visibleRows) {
        CRect cell(2, openRow * rowHeight + 2, formulaLeft - 1, (openRow + 1) * rowHeight - 1);
        ::DrawFocusRect(offscreenDC.GetSafeHdc(), &cell);
    }
    if (activeEditor == 2 && openRow >= 0 && openRow < visibleRows && textOffset > 0) {
        CRect band(ratioLeft + 1, openRow * rowHeight + 1, clientRect.right, openRow * rowHeight + 1 + textOffset);
        ::FillRect(offscreenDC.GetSafeHdc(), &band, ::GetSysColorBrush(COLOR_WINDOW));
    }

    CPaintDC dc(this);
    dc.BitBlt(0, 0, clientRect.Width(), clientRect.Height(), &offscreenDC, 0, 0, SRCCOPY);
}

// Number, formula (through the formula editor) and ratio of each visible row.
void CLedra::DrawRows(CDC &dc) {
    // The formula cells' clip: one region, moved from row to row (cheaper
    // than saving and restoring the whole DC for each row).
    HRGN cell = ::CreateRectRgn(0, 0, 0, 0);
    // The formulas start where the open formula editor writes them.
    int formulaMargin = LOWORD(formulaEditor->SendMessage(EM_GETMARGINS));
    // The formula editor restores the DC's font: one selection serves every row.
    dc.SelectObject(font);
    for (int i = 0; i < visibleRows; ++i) {
        int r = topRow + i;
        const LedraRow *row = rows.row(r);
        if (row == nullptr) break;
        int top = i * rowHeight + 1;
        char text[RATIO_TEXT_SIZE];
        std::snprintf(text, sizeof text, row->fixed ? "+%2d" : "%3d", r + 1);
        dc.TextOut(numberX, top + textOffset, text, int(strlen(text)));
        if (row->formula.IsEmpty()) continue;
        VexilDraw draw = {row->formula, row->formula.GetLength(), formulaLeft + 1 + formulaMargin, top, ratioLeft - 1,
                          row->fixed ? FIXED_FORMULA_COLOR : dc.GetTextColor(), dc.GetBkColor()};
        // The digits' cells (drawn on their background) reach below their ink:
        // kept within the row, so they never cover the grid line under it.
        ::SetRectRgn(cell, formulaLeft + 1, top, ratioLeft, top + rowHeight - 1);
        ::SelectClipRgn(dc.GetSafeHdc(), cell);
        formulaEditor->SendMessage(VXM_DRAWFORMULA, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), reinterpret_cast<LPARAM>(&draw));
        ::SelectClipRgn(dc.GetSafeHdc(), nullptr);
        FormatRatioText(row->ratio, text, sizeof text);
        dc.TextOut(ratioLeft + textPad, top + textOffset, text, int(strlen(text)));
    }
    ::DeleteObject(cell);
}

// ---------------------------------------------------------------------------
// Window procedure

LRESULT CALLBACK LedraWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd *wnd = CWnd::FromHandlePermanent(hWnd);
    if (wnd == nullptr) {
        CLedra *list = new (std::nothrow) CLedra;
        if (list == nullptr || !list->Attach(hWnd)) {
            delete list;
            return ::DefWindowProcA(hWnd, message, wParam, lParam);
        }
        wnd = list;
    }
    // Only CLedra objects are attached to this class's windows.
    if (message == WM_GETDLGCODE) return static_cast<CLedra *>(wnd)->DialogCode();
    return AfxCallWndProc(wnd, hWnd, message, wParam, lParam);
}
