// CFormulaEdit: the object behind every window of class "VEXIL", a single-line
// edit control for one chemical formula. Letters, parentheses, the
// separators of hydrates ('*', the middle dot) and the coefficient after a
// separator are drawn in one font, the counts' digits and '.' in a second,
// smaller font set lower, so that the counts of a formula read as subscripts. The protocol (messages, records) is
// in include/quillon/vexil.h; formulaedit.cpp describes how the control differs from the
// system edit control. The text, caret, selection and undo are a FormulaText
// (formulatext.h); this class maps messages, keys and the mouse onto it, and
// owns the fonts, the clipboard, the scrolling and the drawing.
#ifndef QUILLON_CONTROLS_FORMULAEDIT_FORMULAEDIT_H
#define QUILLON_CONTROLS_FORMULAEDIT_FORMULAEDIT_H

#include <windows.h>

#include "formulatext.h"
#include "framework/afxwin.h"
#include "quillon/vexil.h"

// Command ids of the context menu.
enum VexilMenuCommand {
    VEXIL_CMD_COPY = 1,
    VEXIL_CMD_CUT = 2,
    VEXIL_CMD_DELETE = 3,
    VEXIL_CMD_PASTE = 4,
};

class CFormulaEdit : public CWnd {
public:
    CFormulaEdit();
    ~CFormulaEdit() override;

    // The edits that beep or use the clipboard: 0 on success, 1 when nothing
    // was done. "snapshot" asks for an undo snapshot before the text changes.
    EditResult InsertChar(char ch, bool snapshot);
    int CopySelection();
    int CutSelection(bool snapshot);
    int PasteClipboard(bool snapshot);
    bool ClipboardHasFormula();
    int ScreenX(int position) const;  // client x of a position (its x in the text less the scroll)
    void Repaint();

protected:
    void PostNcDestroy() override;

    // Messages of the control's own protocol and of the edit control subset.
    LRESULT OnInitialize(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetModify(WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawFormula(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetFonts(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetText(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetTextLength(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetSel(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetSel(WPARAM wParam, LPARAM lParam);
    LRESULT OnReplaceSel(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetLine(WPARAM wParam, LPARAM lParam);
    LRESULT OnLimitText(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetMargins(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetMargins(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetLimitText(WPARAM wParam, LPARAM lParam);
    LRESULT OnCut(WPARAM wParam, LPARAM lParam);
    LRESULT OnCopy(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaste(WPARAM wParam, LPARAM lParam);
    LRESULT OnClear(WPARAM wParam, LPARAM lParam);
    LRESULT OnUndo(WPARAM wParam, LPARAM lParam);

    // Painting, focus, mouse and keyboard.
    void OnPaint();
    void OnSetFocus(CWnd *oldWnd);
    void OnKillFocus(CWnd *newWnd);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnKeyDown(UINT vk, UINT repeat, UINT flags);
    void OnChar(UINT ch, UINT repeat, UINT flags);
    void OnSize(UINT type, int cx, int cy);

    DECLARE_MESSAGE_MAP()

private:
    int HandleKey(UINT vk);  // the action of one key; 0 when something changed
    bool HasFocus() const { return ::GetFocus() == m_hWnd; }
    bool InkOutsideCell(char ch, int kind) const;  // the glyph's ink reaches into a neighbour's cell
    void ReleaseMouse();
    void ScrollToCaret();  // scrollX so that the caret stands in the field
    void MeasureFonts(const VexilInit *init, int charWidth[256], int coefficientWidth[12]);
    void FitVertically();  // top, baseline, digitTop and caret extent for the client height
    void DrawCutMark(HDC dc, const VexilDraw *r);

    // The object's state: the text, and how it is shown.
    FormulaText text;
    bool letterInkOutside[256];  // the letter font's glyph inks outside its cell (or unknown)
    bool digitInkOutside[12];    // the same for '.' to '9' in the digit font
    int caretTop, caretBottom;
    int rightMargin;
    TEXTMETRICA letterMetrics;
    int top;
    int baseline;
    TEXTMETRICA digitMetrics;
    int digitTop;
    int digitOffset;
    int clientWidth, clientHeight;
    HFONT letterFont, digitFont;
    COLORREF textColor, windowColor, highlightColor;
    int tracking;
    int scrollX;   // pixels the text is scrolled left, 0 .. what shows the end of the text
    int givenTop;  // top of the initialisation record (top may be moved up to fit)
    int headroom;  // pixels the text may move up without cutting a letter
    UINT lastKey;  // the virtual key of the last WM_KEYDOWN (the key a WM_CHAR comes from)
};

// The window procedure of the class "VEXIL": attaches a CFormulaEdit to the
// window on its first message and runs every message through it.
LRESULT CALLBACK VexilWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

#endif
