// The records the main dialog initialises its custom controls with: the VEXIL
// record of its formula fields and the LEDRA record of its list, with the
// fonts and the colour they name. The program fills its records here, and so
// do the test beds and benchmarks that host the controls as the program does.
#ifndef QUILLON_APP_CONTROLRECORDS_H
#define QUILLON_APP_CONTROLRECORDS_H

#include <windows.h>

#include "framework/afxwin.h"
#include "quillon/dpi.h"
#include "quillon/ledra.h"
#include "quillon/vexil.h"

// The face of the formula fonts.
const char FORMULA_FONT_FACE[] = "Times New Roman";

// The ground of the list's rows and of their text.
const COLORREF LIST_BACK_COLOR = 0x00D1FBFE;

// The formula fonts in a face for a window at dpi (0: the screen's): letters
// in 14 points, digits in 9, as pixel heights truncated as CreatePointFont
// makes them. The digits' font is the letters' with another height, so the
// subscripts are drawn in the formula's own face at every size.
inline void CreateFormulaFonts(CFont &letter, CFont &digit, const char *face, int dpi = 0) {
    if (dpi <= 0) dpi = QuillonDpiOf(nullptr);
    LOGFONTA font = {};
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_TT_PRECIS;
    ::lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    font.lfHeight = -(dpi * 140 / 720);
    letter.CreateFontIndirect(&font);
    font.lfHeight = -(dpi * 90 / 720);
    digit.CreateFontIndirect(&font);
}

// The formula fields' record over the two formula fonts, for a window at
// dpi: the full limit of 256 characters, top 0, margins 3 and 1 pixels at 96
// DPI, scaled; digits lowered by 5/18 of the letters' height (5 pixels
// under the 18-pixel letters at 96 DPI), so that they sit as low in the
// letters at every DPI.
inline VexilInit FormulaFieldInit(HFONT letterFont, HFONT digitFont, int dpi = 96) {
    LOGFONTA letter = {};
    int letterHeight = letterFont != nullptr && ::GetObjectA(letterFont, sizeof letter, &letter) == sizeof letter
                           ? (letter.lfHeight < 0 ? -letter.lfHeight : letter.lfHeight)
                           : 18;
    return VexilInit{256, letterFont, digitFont, 0, -::MulDiv(5, letterHeight, 18), QuillonScale(3, dpi),
                     QuillonScale(1, dpi)};
}

// The list's record for a parent window: its formula editor takes vexilInit,
// its rows font and rowHeight; the number column is 7 and the ratio column 19
// digits wide (as wide as 3 and 8 of the widest characters of the metric-
// compatible sans serif's first version, whose widest character later grew);
// the message boxes are captioned "Quillon ".
inline LedraInit ListInit(HWND parent, VexilInit *vexilInit, HFONT font, int rowHeight,
                          LedraFormulaCheck formulaCheck, LedraIsClosing isClosing) {
    LedraInit init = {};
    init.vexilInit = vexilInit;
    init.font = font;
    init.backColor = LIST_BACK_COLOR;
    init.rowHeight = rowHeight;
    init.numberChars = 7;
    init.formulaLeft = 0;
    init.ratioChars = 19;
    init.ratioLeft = 0;
    init.formulaCheck = formulaCheck;
    init.isClosing = isClosing;
    init.caption = "Quillon ";
    init.parent = parent;
    return init;
}

#endif
