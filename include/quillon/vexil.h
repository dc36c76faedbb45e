// VEXIL: the formula edit control of VEXIL.DLL.
//
// Loading VEXIL.DLL registers the global window class VEXIL_CLASS_NAME and
// shows nothing (a load that cannot register it fails, GetLastError
// ERROR_DLL_INIT_FAILED; the loader says so). A window of that
// class is a single-line edit control for one chemical formula: it holds at
// most VEXIL_MAX_CELLS characters, only letters, digits, '.', '(', ')' and
// the separators of hydrates and adducts, '*' and the middle dot (the
// Windows-1252 byte 0xB7); letters, parentheses, separators and the count
// right after a separator (a coefficient: the 5 of CuSO4*5H2O) are drawn in
// one font, the other digits and '.' in a second font set lower, so that
// counts read as subscripts. Its owner sends it
// VXM_INITIALIZE once; before that it draws only its background and answers
// as said below.
//
// Typed characters come as WM_CHAR (the message loop must call
// TranslateMessage); WM_KEYDOWN carries the editing commands (arrows,
// Home/End, Backspace, Delete, Ctrl+C/X/V/Z), and selects as the system's
// edit field does: Shift+Left/Right, Shift+Home/End (from the anchor to the
// start or the end), Ctrl+A (all). WM_GETDLGCODE answers
// DLGC_WANTALLKEYS. WM_SETFONT is ignored: the fonts come with VXM_INITIALIZE.
//
// What the control sends: no WM_COMMAND notifications at all; its one
// message to its parent is VXN_EDITORSIGNAL. A character refused by the limit
// beeps (MessageBeep).
//
// The system edit control's messages it answers, with results of its own
// (n: the number of characters held; "before" = before VXM_INITIALIZE):
//   WM_SETTEXT      lParam const char * (NULL as ""). Blanks are dropped.
//                   0 the text replaced, the modified flag cleared; 1 a
//                   character outside the formula set, or more characters
//                   than the limit (nothing changed); -1 before.
//   WM_GETTEXT      wParam buffer size, lParam char *. Copies at most
//                   wParam - 1 characters and a NUL; answers the number
//                   copied minus one; n + 1 when lParam is NULL or wParam 0;
//                   -1 before.
//   WM_GETTEXTLENGTH  n; -1 before.
//   EM_GETSEL       wParam, lParam int * or NULL: first selected position,
//                   last selected index (inclusive). 1 with a selection, 0
//                   without one (nothing written) and before.
//   EM_SETSEL       wParam start, lParam end, both inclusive character
//                   indexes clamped to the text; (0, -1) selects all, start
//                   -1 removes the selection; the caret goes to end. 0.
//   EM_REPLACESEL   lParam const char *: replaces a non-empty selection
//                   with a formula text. 0 done; 1 no selection, a character
//                   outside the set, the limit (with a beep), or before.
//   EM_GETLINE      wParam 0, lParam a buffer whose first WORD holds its
//                   size: copies at most size - 1 characters and a NUL,
//                   answers the number copied; n when lParam is NULL; 0 for
//                   a line other than 0; -1 before.
//   EM_LIMITTEXT    wParam the new limit (above 256 taken as 256). 1 set; 0
//                   when it is below n, or before.
//   EM_GETLIMITTEXT the limit; -1 before.
//   EM_SETMARGINS   wParam left, lParam right, in pixels (both always set).
//                   1; 0 before.
//   EM_GETMARGINS   MAKELONG(left, right).
//   WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR  0 done; 1 nothing to do (no
//                   selection, no formula text on the clipboard, nothing
//                   after the caret) or before. Clipboard text is CF_TEXT;
//                   pasted text loses blanks and line ends at its ends and
//                   is refused whole when it does not fit the limit.
//   WM_UNDO         exchanges the text with the one snapshot (undo twice
//                   redoes). 0.
#ifndef QUILLON_INCLUDE_QUILLON_VEXIL_H
#define QUILLON_INCLUDE_QUILLON_VEXIL_H

#include <stdint.h>
#include <windows.h>

#define VEXIL_CLASS_NAME "VEXIL"

// The number of characters a control holds at most.
#define VEXIL_MAX_CELLS 256

// VXM_INITIALIZE: the one initialisation of a control, by its owner.
//   wParam  const VexilInit *, read during the call only (owned by the
//           sender); lParam unused
// Result: 0 initialised (the text empty, not modified); 1 when wParam is
// NULL or memory for the characters cannot be had (the control stays
// uninitialised and may be initialised again). A second VXM_INITIALIZE of
// an initialised control shows a message box and ends the process (exit
// code 1).
#define VXM_INITIALIZE 4025  // 0x0FB9

// VXM_GETMODIFY: Result: the modified flag, unchanged by the call: 1 after
// an edit by the user (typing, deleting, cutting, pasting, undo), 0 when the
// control is made and after WM_SETTEXT.
#define VXM_GETMODIFY 4026  // 0x0FBA

// VXM_DRAWFORMULA: draws a formula text with this control's fonts, widths
// and vertical layout into another window's device context (the list draws
// its rows so).
//   wParam  HDC of the caller
//   lParam  const VexilDraw *, read during the call only
// Result: the number of characters drawn; 0 when nothing is drawn: before
// VXM_INITIALIZE, a NULL wParam, lParam or text, a length below 1, or a
// character that is a blank, a control character or outside ASCII other
// than the middle dot 0xB7. The DC's
// selected font and its text and background colours are restored. Each
// character stands on backColor in its cell, and the caller's ground under
// the formula should be backColor too: the letters and the subscripts are
// drawn as few text calls, whose grounds may reach over the places between
// the cells or be left out where they would change no pixel.
#define VXM_DRAWFORMULA 4029  // 0x0FBD

// VXM_SETFONTS: other fonts and sizes for an initialised control (a move to
// a monitor of another DPI).
//   wParam  const VexilInit *, read during the call only, as VXM_INITIALIZE's
//           (its fonts kept alive by the sender from then on); maxLength is
//           ignored; lParam unused
// Result: 0 the fonts, top, digit offset and margins taken, the characters
// measured and laid out again, the control repainted; the text, the
// selection and the modified flag are kept. 1 when wParam is NULL or before
// VXM_INITIALIZE (nothing changed).
#define VXM_SETFONTS 4030  // 0x0FBE

// VXN_EDITORSIGNAL: posted by the control to its parent on Ctrl+Shift+J
// (wParam 0, lParam 0; the answer is ignored). The list control relays it to
// its own parent under the same number (LDM_FORWARDTOPARENT in ledra.h).
#define VXN_EDITORSIGNAL 1801  // 0x0709

// The record of VXM_INITIALIZE. The fonts stay the sender's: it keeps them
// alive for the life of the control.
// Its sizes are pixels at the DPI of the control's window (quillon/dpi.h).
struct VexilInit {
    int32_t maxLength;    // character limit; <= 0 or > 256 means 256
    HFONT letterFont;     // letters and parentheses (NULL: the DC's font)
    HFONT digitFont;      // digits and '.' (NULL: the DC's font)
    int32_t top;          // y of the top of the letter cells and of the caret
                          // (moved up when the field is too low for the subscripts)
    int32_t digitOffset;  // digit baseline shift in pixels, positive upward
    int32_t leftMargin;   // x of the first character
    int32_t rightMargin;  // pixels kept free at the right edge
};

// The request of VXM_DRAWFORMULA.
struct VexilDraw {
    const char *text;    // single-byte characters, not necessarily terminated
    int32_t length;      // number of characters in text
    int32_t x;           // left edge of the first character
    int32_t y;           // added to the control's letter and digit tops
    int32_t right;       // only characters ending at or before this x are drawn; a
                         // formula cut there ends 5 pixels short, with a mark there
    COLORREF textColor;  // text colour
    COLORREF backColor;  // background colour behind each character, and the colour
                         // the caller's ground under the formula should have
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
