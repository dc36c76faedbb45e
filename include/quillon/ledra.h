// The protocol of the starting-materials list control "LEDRA" (LEDRA.DLL):
// its window class, its messages, its initialisation record and callbacks.
// The row records it hands out are in rows.h.
#ifndef QUILLON_COMMON_LEDRA_H
#define QUILLON_COMMON_LEDRA_H

#include <windows.h>

#include "rows.h"
#include "vexil.h"

#define LEDRA_CLASS_NAME "LEDRA"

// wParam: CWnd * of the sender (must be the parent); lParam: LedraInit *.
#define LDM_INITIALIZE 2024  // 0x07E8
// wParam: row index. Results: pointers into the row (read only).
#define LDM_GETFORMULA 2034  // 0x07F2, CString *
#define LDM_GETRATIO 2035    // 0x07F3, double *
#define LDM_GETROW 2036      // 0x07F4, LedraRow *
// wParam: row index; lParam: CString * / double * / the fixed flag.
#define LDM_SETFORMULA 2037  // 0x07F5, 1, or 0 for an index outside 0..29
#define LDM_SETRATIO 2038    // 0x07F6
#define LDM_SETFIXED 2039    // 0x07F7
#define LDM_RESETCONTENT 2124     // 0x084C, empties every row
#define LDM_GETROWS 2126          // 0x084E, wParam count, lParam LedraRowList *
#define LDM_GETUNFIXEDCOUNT 2128  // 0x0850
#define LDM_GETCAPACITY 2134      // 0x0856, 30
// Posted by the list's own editors to the list.
#define LDM_TABOUT 2224    // 0x08B0, wParam 1 for Shift+Tab
#define LDM_STEPCELL 2225  // 0x08B1, wParam bit 0 = backward
#define LDM_PAGEKEY 2226   // 0x08B2, wParam the virtual key
// Diagnostics for tests and benchmarks: the number of GDI handles owned by
// the framework wrappers of LEDRA.DLL (its off-screen bitmap, brush, ...).
#define LDM_GETGDICOUNT 2300  // 0x08FC
// Relayed to the parent when the formula editor signals (Ctrl+Shift+J).
#define LDM_FORWARDTOPARENT VXN_EDITORSIGNAL

// Notification code (WM_COMMAND high word) sent to the parent when "?" is
// committed as a ratio: the parent determines the ratios automatically.
#define LDN_AUTORATIO 10

typedef int (*LedraFormulaCheck)(const char *formula);  // nonzero = valid
typedef int (*LedraIsClosing)(void);                    // nonzero = shutting down

// Initialisation record of LDM_INITIALIZE; the program owns it for the life
// of the control. The control writes formulaLeft and ratioLeft back.
struct LedraInit {
    VexilInit *vexilInit;   // handed to the list's own formula editor
    HFONT font;             // row numbers, ratios and the ratio editor
    COLORREF backColor;     // list background
    int32_t rowHeight;      // pixels per row
    int32_t numberChars;    // number column width, in maximum character widths
    int32_t formulaLeft;    // out: x of the number/formula divider (window coordinates)
                            // (both dividers are written again when the list is resized:
                            // the ratio column keeps to the right edge)
    int32_t ratioChars;     // ratio column width, in maximum character widths
    int32_t ratioLeft;      // out: x of the formula/ratio divider (window coordinates)
    LedraFormulaCheck formulaCheck;
    LedraIsClosing isClosing;
    CString caption;        // caption of the list's message boxes
};

// The record's layout in the 32-bit program is part of the protocol.
#if defined(_WIN32) && !defined(_WIN64)
#include <stddef.h>
static_assert(sizeof(LedraInit) == 44 && offsetof(LedraInit, font) == 4 && offsetof(LedraInit, rowHeight) == 12 &&
                  offsetof(LedraInit, formulaLeft) == 20 && offsetof(LedraInit, ratioLeft) == 28 &&
                  offsetof(LedraInit, formulaCheck) == 32 && offsetof(LedraInit, caption) == 40,
              "LedraInit layout");
#endif

#endif
