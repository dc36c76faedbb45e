// The records the main dialog initialises its custom controls with: the VEXIL
// record of its formula fields and the LEDRA record of its list, with the
// fonts and the colour they name. The program fills its records here, and so
// do the test beds and benchmarks that host the controls as the program does.
#ifndef QUILLON_APP_CONTROLRECORDS_H
#define QUILLON_APP_CONTROLRECORDS_H

#include <windows.h>

#include "framework/afxwin.h"
#include "quillon/ledra.h"
#include "quillon/vexil.h"

// The face of the formula fonts.
const char FORMULA_FONT_FACE[] = "Times New Roman";

// The ground of the list's rows and of their text.
const COLORREF LIST_BACK_COLOR = 0x00D1FBFE;

// The formula fonts in a face: letters in 14 points, digits in 9 (for dc, or
// the screen without one).
inline void CreateFormulaFonts(CFont &letter, CFont &digit, const char *face, CDC *dc = nullptr) {
    letter.CreatePointFont(140, face, dc);
    digit.CreatePointFont(90, face, dc);
}

// The formula fields' record over the two formula fonts: the full limit of
// 256 characters, top 0, digits 5 pixels lower, margins 2 and 1.
inline VexilInit FormulaFieldInit(HFONT letterFont, HFONT digitFont) {
    return VexilInit{256, letterFont, digitFont, 0, -5, 2, 1};
}

// The list's record for a parent window: its formula editor takes vexilInit,
// its rows font and rowHeight; the number column is 3 and the ratio column 8
// widest characters wide; the message boxes are captioned "Quillon ".
inline LedraInit ListInit(HWND parent, VexilInit *vexilInit, HFONT font, int rowHeight,
                          LedraFormulaCheck formulaCheck, LedraIsClosing isClosing) {
    LedraInit init = {};
    init.vexilInit = vexilInit;
    init.font = font;
    init.backColor = LIST_BACK_COLOR;
    init.rowHeight = rowHeight;
    init.numberChars = 3;
    init.formulaLeft = 0;
    init.ratioChars = 8;
    init.ratioLeft = 0;
    init.formulaCheck = formulaCheck;
    init.isClosing = isClosing;
    init.caption = "Quillon ";
    init.parent = parent;
    return init;
}

#endif
