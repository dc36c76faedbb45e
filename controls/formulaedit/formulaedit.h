// CFormulaEdit: the object behind every window of class "VEXIL", a single-line
// edit control for one chemical formula. Letters, parentheses, the
// separators of hydrates ('*', the middle dot) and the coefficient after a
// separator are drawn in one font, the counts' digits and '.' in a second,
// smaller font set lower, so that the counts of a formula read as subscripts. The protocol (messages, records) is
// in include/quillon/vexil.h; formulaedit.cpp describes how the control differs from the
// system edit control.
#ifndef QUILLON_FORMULAEDIT_MYEDIT_H
#define QUILLON_FORMULAEDIT_MYEDIT_H

#include <windows.h>

#include "framework/afxwin.h"
#include "quillon/vexil.h"

// One character of the text with its place on the screen. An empty cell
// holds ch 0, x -1, width 0, kind -1.
struct CharCell {
    char ch;    // the character
    int x;      // left edge in client pixels
    int width;  // advance width in pixels, measured when the cell was made
    int kind;   // 1 = letter font (letters, parentheses, separators, coefficients), 0 = subscript (digit font)
};

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

    // Text model operations: each returns 0 on success and 1 when nothing
    // was done, unless said otherwise. "snapshot" asks for an undo snapshot
    // before the text changes.
    int InsertChar(char ch, bool snapshot);
    int InsertText(const char *text);  // number of characters inserted
    static int ValidateText(const char *text);  // -1, or the number of non-blank characters
    int DeleteForward(bool snapshot);
    int DeleteBackward(bool snapshot);
    int CopySelection();
    int CutSelection(bool snapshot);
    int PasteClipboard(bool snapshot);
    int ClipboardHasFormula();  // 1 or 0
    int TakeSnapshot();
    int SwapUndo();
    int PositionOf(int position) const;  // x of a position, -1 outside 0..count
    int IndexAt(int x) const;            // the position nearest to client x
    int ScreenX(int position) const;     // client x of a position (PositionOf less the scroll)
    int TextRightEdge() const;           // x just right of the last character
    void Repaint();

    // True for the characters a formula may hold.
    static bool IsAccepted(char ch);

protected:
    void PostNcDestroy() override;

    // Messages of the control's own protocol and of the edit control subset.
    LRESULT OnInitialize(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetModify(WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawFormula(WPARAM wParam, LPARAM lParam);
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
    int HandleKey(UINT vk);      // the action of one key; 0 when something changed
    int MoveCaret(int d);        // Left/Right without Shift
    int ExtendSelection(int d);  // Left/Right with Shift
    void SetCaretAll(int position);  // caret, anchor and active to one position
    int EditPosition();          // the caret, made valid for an edit
    void RemoveCells(int lo, int hi);  // cells lo..hi-1 go, the rest move left
    void DeleteSelection(bool snapshot);  // the selected cells go, the caret stays at their start
    int SelectionStart() const { return anchor < active ? anchor : active; }
    int SelectionEnd() const { return anchor < active ? active : anchor; }
    bool HasFocus() const { return ::GetFocus() == m_hWnd; }
    int FormulaWidth(char ch, int kind) const;  // advance width of a character drawn as kind
    bool InkOutsideCell(char ch, int kind) const;  // the glyph's ink reaches into a neighbour's cell
    void Relayout();              // every cell's kind, width and x from its place in the text
    void ReleaseMouse();
    bool FitsLimit(int n) const;  // n more characters, replacing the selection, stay within the limit
    void ScrollToCaret();         // scrollX so that the caret stands in the field
    void FitVertically();         // top, baseline, digitTop and caret extent for the client height
    void DrawCutMark(CDC *dc, const VexilDraw *r);

    // The object's state.
    int initialized;
    int modified;
    int maxLength;
    CharCell *cells;
    int count;
    int caret;
    int anchor;
    int active;
    CharCell *undoCells;
    int undoCount, undoCaret, undoAnchor, undoActive;
    int charWidth[256];        // in the font each character usually takes (digits: digit font)
    int coefficientWidth[12];  // '.' to '9' in the letter font, for coefficients
    bool letterInkOutside[256];  // the letter font's glyph inks outside its cell (or unknown)
    bool digitInkOutside[12];    // the same for '.' to '9' in the digit font
    int caretTop, caretBottom;
    int leftMargin, rightMargin;
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
