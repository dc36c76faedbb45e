// LEDRA: the starting-materials list control of LEDRA.DLL.
//
// Loading LEDRA.DLL registers the global window class LEDRA_CLASS_NAME and
// does nothing more (it loads no library and shows nothing). The first list
// window created loads VEXIL.DLL for good; when it cannot, a message box
// "Failed to load VEXIL.DLL." (captioned "LEDRA") says so and the window is
// not created (the next one tries again). A program puts a
// window of that class into a dialog, sends it LDM_INITIALIZE once and then
// meets it only through the messages below. The list has ROW_CAPACITY (30)
// numbered rows of formula, ratio and Fixed/Unfixed mark (LedraRow, rows.h),
// created by LDM_INITIALIZE and owned by the list for the life of its window.
// The user edits them in place: a VEXIL child for formulas, a system EDIT
// child for ratios; a click in the number cell toggles Fixed/Unfixed.
//
// The keyboard:
//  - In an open cell, Home and End move the caret to the start or the end of
//    its text, with Shift they select to there (as in any text field); they
//    never move the list. Ctrl+Home and Ctrl+End scroll the list to the top
//    or the bottom and open the cell of the same column in the first or the
//    last row, so the caret is always in a cell that can be seen. Page Up and
//    Page Down move the rows under the open cell, which keeps its place on
//    the screen. Enter, Up and Down go to the next or previous cell in
//    reading order (formula, ratio, next row's formula).
//  - Tab and Shift+Tab walk every cell: the number cell, the formula and the
//    ratio of each row. The number cell has no editor: the list holds the
//    focus, draws a focus rectangle in it, and Space there switches the row
//    between Fixed and Unfixed as a click does (Right or Enter: its formula
//    cell, Up and Down: the neighbouring number cell).
//  - Into and out of the list: when the list receives the focus from another
//    control of the dialog (Tab, Shift+Tab), the current row's formula cell
//    opens (row 1 at first and after LDM_RESETCONTENT), scrolled into view.
//    Tab leaves the list for the next control of the dialog from the formula
//    cell of an unused row (the end of the rows, once a typed formula there
//    has been stored the walk goes on to its ratio) and from row 30's ratio;
//    Shift+Tab leaves for the previous control from row 1's number cell;
//    Ctrl+Tab and Ctrl+Shift+Tab leave at once from any cell. The control
//    reached has its text selected.
//
// Unless a message says otherwise: wParam and lParam not named are ignored;
// "index" is a row index 0..29; the messages are answered synchronously by
// the list's window procedure, are meant to be sent by the list's parent, and
// nothing repaints the list (the caller invalidates it after filling rows).
//
// Before LDM_INITIALIZE there are no rows: every row message answers as for
// an index outside the rows (0, a null pointer), LDM_GETCAPACITY answers 0.
//
// What the list sends:
//  - to its parent: WM_COMMAND with LDN_AUTORATIO and LDN_FORMULACOMMITTED
//    (sent) and LDM_FORWARDTOPARENT (posted), below;
//  - message boxes (MB_ICONHAND, captioned LedraInit::caption) when a cell
//    the user leaves does not read: "Wrong format for Starting Material!"
//    (the formula check refused the text) and "Wrong format for ratio of
//    Starting Material!" (not one number and not "?"); the cell stays open
//    with its text selected;
//  - to its VEXIL child, the messages of vexil.h.
#ifndef QUILLON_INCLUDE_QUILLON_LEDRA_H
#define QUILLON_INCLUDE_QUILLON_LEDRA_H

#include <windows.h>

#include "rows.h"
#include "vexil.h"

#define LEDRA_CLASS_NAME "LEDRA"

// ---------------------------------------------------------------------------
// Initialisation

// LDM_INITIALIZE: the one initialisation of a list window.
//   wParam  unused (the sender's window is the record's parent)
//   lParam  LedraInit *, owned by the sender, which keeps it alive and
//           unmoved for the life of the list (the list writes formulaLeft and
//           ratioLeft back into it whenever its size changes)
// Result: 0. The list initialises its VEXIL child with lParam->vexilInit,
// lays out its columns, fits its height to whole rows and makes the rows
// (all Unfixed, empty, ratio 1.0).
// There is no failure result: a null lParam or parent, a parent that is not
// the list's parent window, a second LDM_INITIALIZE, a VEXIL child that
// refuses vexilInit, a null isClosing or one that answers nonzero, a null formulaCheck or one
// that refuses the list's test formula "H2.1(Re3Os7.8)(PtAu)3.4" each show a
// message box saying so and end the process (exit code 1).
#define LDM_INITIALIZE 2024  // 0x07E8

// LDM_SETMETRICS: other fonts and sizes for an initialised list (a move to a
// monitor of another DPI).
//   wParam  unused
//   lParam  LedraInit *: the list takes its vexilInit (sent to its VEXIL child
//           as VXM_SETFONTS), font, rowHeight, numberChars and ratioChars; the
//           record then takes the place of LDM_INITIALIZE's (kept alive and
//           unmoved the same way: formulaLeft and ratioLeft are written back
//           into it now and at every resize). Its other fields are ignored.
// Result: 0 the columns and rows laid out again in the list's present window
// (its size is not changed: as many whole rows as its height holds), the
// rows' contents and the open cell kept, the list repainted. 1 before
// LDM_INITIALIZE, for a null lParam or a null font, or when the VEXIL child
// refuses vexilInit (nothing changed).
#define LDM_SETMETRICS 2025  // 0x07E9

// The formula check: nonzero when formula (a NUL-terminated formula text,
// never empty) may be stored in a row. Called by the list while the user
// leaves a changed formula cell, and once by LDM_INITIALIZE.
typedef int (*LedraFormulaCheck)(const char *formula);
// Nonzero while the program shuts down: the list then stores nothing the
// user leaves. Called by LDM_INITIALIZE (must answer 0) and whenever a cell
// is left.
typedef int (*LedraIsClosing)(void);

// The record of LDM_INITIALIZE (see there for its lifetime).
// rowHeight is in pixels at the list window's DPI; the list scales its own
// spacings to that DPI (quillon/dpi.h).
struct LedraInit {
    VexilInit *vexilInit;   // in: handed to the list's VEXIL child (VXM_INITIALIZE)
    HFONT font;             // in: row numbers, ratios and the ratio editor; the sender keeps it alive
    COLORREF backColor;     // in: ground of the rows and of their numbers, formulas and ratios
    int32_t rowHeight;      // in: pixels per row (below 1 is taken as 1)
    int32_t numberChars;    // in: number column width, in digit widths of font ("0")
    int32_t formulaLeft;    // out: x of the number/formula divider, in the list's window
                            // coordinates (border included)
    int32_t ratioChars;     // in: ratio column width, in digit widths of font
    int32_t ratioLeft;      // out: x of the formula/ratio divider, as formulaLeft; the ratio
                            // column keeps to the right edge when the list is resized
    LedraFormulaCheck formulaCheck;  // in: required
    LedraIsClosing isClosing;        // in: required
    CString caption;        // in: caption of the list's message boxes (copied)
    HWND parent;            // in: the sender's window, which must be the list's parent window
};
// The sender is named by its window handle, parent, and LDM_INITIALIZE's
// wParam carries nothing: the list reads no object of another module (no
// framework CWnd of the sender's), only the record and window handles.

// The record's layout in the 32-bit program is part of the protocol.
#if defined(_WIN32) && !defined(_WIN64)
#include <stddef.h>
static_assert(sizeof(LedraInit) == 48 && offsetof(LedraInit, font) == 4 && offsetof(LedraInit, rowHeight) == 12 &&
                  offsetof(LedraInit, formulaLeft) == 20 && offsetof(LedraInit, ratioLeft) == 28 &&
                  offsetof(LedraInit, formulaCheck) == 32 && offsetof(LedraInit, caption) == 40 &&
                  offsetof(LedraInit, parent) == 44,
              "LedraInit layout");
#endif

// ---------------------------------------------------------------------------
// Rows
//
// Row pointers that the list hands out point into its own rows: valid until
// the list window is destroyed, the same pointer for the same row every time.
// The caller may read and write the fields through them (the list shows what
// they hold at its next paint); the CString must only be assigned, never
// freed.

// LDM_GETFORMULA / LDM_GETRATIO / LDM_GETROW: wParam index.
// Result: CString * (the formula, empty for an unused row) / double * (the
// ratio) / LedraRow * (the whole row); 0 for an index outside the rows.
#define LDM_GETFORMULA 2034  // 0x07F2
#define LDM_GETRATIO 2035    // 0x07F3
#define LDM_GETROW 2036      // 0x07F4

// LDM_SETFORMULA: wParam index, lParam const CString * (copied; not checked
// against the formula check). LDM_SETRATIO: wParam index, lParam const
// double * (copied; UNDETERMINED_RATIO shows "?"). LDM_SETFIXED: wParam
// index, lParam 1 Fixed or 0 Unfixed (stored as given).
// Result: 1 stored; 0 for an index outside the rows or a null lParam
// (LDM_SETFORMULA, LDM_SETRATIO), nothing changed.
#define LDM_SETFORMULA 2037  // 0x07F5
#define LDM_SETRATIO 2038    // 0x07F6
#define LDM_SETFIXED 2039    // 0x07F7

// LDM_RESETCONTENT: every row back to Unfixed, empty, ratio 1.0; an open cell
// is closed without storing its text; scrolled to the top and repainted at
// once. Result: 0.
#define LDM_RESETCONTENT 2124  // 0x084C

// LDM_GETROWS: the used rows (formula not empty), in row order.
//   wParam  count: the number of used rows the caller expects
//   lParam  LedraRowList *, owned by the caller; list->count must equal
//           count and list->rows must point to count writable pointers
// Except where the result is -1, the used rows are first normalised: a row
// whose ratio is at or below UNDETERMINED_RATIO becomes Unfixed, and every
// Unfixed row's ratio becomes 1.0 (a caller that wants the shown ratios
// kept reads them before and writes them back after).
// Result:
//   (0, NULL)      the number of used rows N (0 before LDM_INITIALIZE);
//   (count, list)  0: list->fixedCount = the number of Fixed rows among
//                  them, list->rows[0..N-1] = the row pointers; 1 when N is
//                  0, N differs from count or from list->count, or
//                  list->rows is null (the record untouched);
//   one of wParam, lParam zero and the other not: -1, nothing normalised.
#define LDM_GETROWS 2126  // 0x084E

// LDM_GETUNFIXEDCOUNT: normalises the used rows as LDM_GETROWS does.
// Result: the number of used rows that are Unfixed (0 before LDM_INITIALIZE).
#define LDM_GETUNFIXEDCOUNT 2128  // 0x0850

// LDM_GETCAPACITY: Result: the number of rows, ROW_CAPACITY (30); 0 before
// LDM_INITIALIZE.
#define LDM_GETCAPACITY 2134  // 0x0856

// LDM_TOGGLEFIXED: switches a row between Fixed and Unfixed, as a click in its
// number cell does (without the beep).
//   wParam  index, or (WPARAM)-1 for the current row: the row of the open
//           cell, else the row whose cell was open last (row 0 at first)
// An open cell stays open, its text untouched; the list is repainted.
// Result: the row's new mark (1 Fixed, 0 Unfixed); -1 for an index outside
// the rows (and before LDM_INITIALIZE), nothing changed.
#define LDM_TOGGLEFIXED 2136  // 0x0858

// LDM_GETCURRENTROW: Result: the current row's index, as LDM_TOGGLEFIXED
// takes it (the row of the open cell, else the row whose cell was open last,
// row 0 at first): while LDN_FORMULACOMMITTED is being sent, the row whose
// formula was stored. -1 before LDM_INITIALIZE.
#define LDM_GETCURRENTROW 2137  // 0x0859

// ---------------------------------------------------------------------------
// The list's own messages: posted by its editors to the list, never by a
// program. Each commits the open cell first and does nothing more when the
// cell is refused. Result: 0.

// Tab in a cell: the next cell of the walk, or out of the list at its ends
// (see "The keyboard" above). wParam bit 0 set: Shift+Tab (backward); bit 1
// set: Ctrl+Tab (out at once).
#define LDM_TABOUT 2224  // 0x08B0
// Enter, Up, Down: to the next cell in reading order (wParam bit 0 set:
// backward), scrolled into view.
#define LDM_STEPCELL 2225  // 0x08B1
// Page Up, Page Down, Ctrl+Home, Ctrl+End in a cell (wParam VK_PRIOR,
// VK_NEXT, VK_HOME, VK_END): Page Up and Page Down scroll the rows under the
// open cell, which keeps its screen row and column; VK_HOME and VK_END scroll
// to the top or the bottom and open the same column's cell of row 1 or 30.
#define LDM_PAGEKEY 2226  // 0x08B2

// ---------------------------------------------------------------------------
// Notifications to the parent

// Ctrl+Shift+J in the list's formula editor: the VEXIL child posts
// VXN_EDITORSIGNAL to the list, which posts LDM_FORWARDTOPARENT (the same
// number; wParam 0, lParam 0) to its parent. The list answers it with 0.
#define LDM_FORWARDTOPARENT VXN_EDITORSIGNAL

// Sent (not posted) to the parent as WM_COMMAND, wParam MAKEWPARAM(the
// list's control id, LDN_AUTORATIO), lParam the list's HWND, when the user
// leaves a ratio cell holding "?": the row's ratio is not stored; the parent
// determines the ratios (perhaps in a modal dialog) before the SendMessage
// returns, and the cell then closes. The parent's answer is ignored.
#define LDN_AUTORATIO 10

// Sent (not posted) to the parent as WM_COMMAND, wParam MAKEWPARAM(the
// list's control id, LDN_FORMULACOMMITTED), lParam the list's HWND, when the
// user leaves a formula cell whose text the list has just stored into its
// row and which differs from the row's formula before (an emptied cell
// included; LDM_SETFORMULA and LDM_RESETCONTENT send nothing). The cell has
// closed already; LDM_GETCURRENTROW answers the row. The parent may answer
// with a modal dialog before the SendMessage returns: cells left meanwhile
// store nothing, and the list then goes on where the user went (the next
// cell opens). The parent's answer is ignored.
#define LDN_FORMULACOMMITTED 11

#endif
