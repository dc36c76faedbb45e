// The protocol of the formula edit control "VEXIL" (VEXIL.DLL): its window
// class, its messages and the records they carry. The control also answers a
// subset of the system edit control's messages (WM_SETTEXT, WM_GETTEXT,
// EM_SETSEL, EM_GETSEL, EM_REPLACESEL, EM_LIMITTEXT, WM_CUT, WM_PASTE, ...)
// with results of its own; see formulaedit/myedit.h. Typed characters come
// as WM_CHAR (the message loop must call TranslateMessage); WM_KEYDOWN
// carries the editing commands.
#ifndef QUILLON_COMMON_VEXIL_H
#define QUILLON_COMMON_VEXIL_H

#include <stdint.h>
#include <windows.h>

#define VEXIL_CLASS_NAME "VEXIL"

// wParam: VexilInit *; lParam: unused. Result 0, or 1 when the object has no
// window. A second initialisation of one window ends the process.
#define VXM_INITIALIZE 4025  // 0x0FB9
// Result: the modified flag (1 after an edit, 0 after WM_SETTEXT).
#define VXM_GETMODIFY 4026  // 0x0FBA
// wParam: CDC * of the caller; lParam: VexilDraw *. Result: characters drawn.
#define VXM_DRAWFORMULA 4029  // 0x0FBD

// Posted (wParam 0, lParam 0) by the control to its parent on Ctrl+Shift+J.
// The list control relays it to its own parent under the same number.
#define VXN_EDITORSIGNAL 1801  // 0x0709

// The number of characters a control holds at most.
#define VEXIL_MAX_CELLS 256

// Initialisation record, read by VXM_INITIALIZE; the caller keeps it.
struct VexilInit {
    int32_t maxLength;    // character limit; <= 0 or > 256 means 256
    HFONT letterFont;     // letters and parentheses
    HFONT digitFont;      // digits and '.'
    int32_t top;          // y of the top of the letter cells and of the caret
    int32_t digitOffset;  // digit baseline shift in pixels, positive upward
    int32_t leftMargin;   // x of the first character
    int32_t rightMargin;  // pixels kept free at the right edge
};

// Drawing request of VXM_DRAWFORMULA, read for the duration of the call.
struct VexilDraw {
    const char *text;    // single-byte characters, not necessarily terminated
    int32_t length;      // number of characters in text
    int32_t x;           // left edge of the first character
    int32_t y;           // added to the control's letter and digit tops
    int32_t right;       // only characters ending at or before this x are drawn; a
                         // formula cut there ends 5 pixels short, with a mark there
    COLORREF textColor;  // text colour
    COLORREF backColor;  // background colour behind each character
};

// The records' layout in the 32-bit program is part of the protocol.
#if defined(_WIN32) && !defined(_WIN64)
#include <stddef.h>
static_assert(sizeof(VexilInit) == 28 && offsetof(VexilInit, letterFont) == 4 &&
                  offsetof(VexilInit, digitFont) == 8 && offsetof(VexilInit, top) == 12 &&
                  offsetof(VexilInit, rightMargin) == 24,
              "VexilInit layout");
static_assert(sizeof(VexilDraw) == 28 && offsetof(VexilDraw, length) == 4 && offsetof(VexilDraw, right) == 16 &&
                  offsetof(VexilDraw, backColor) == 24,
              "VexilDraw layout");
#endif

#endif
