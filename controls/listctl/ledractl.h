// CLedra: the object behind every window of class "LEDRA", the list of 30
// starting materials (formula, ratio, Fixed/Unfixed mark) edited in place
// with two child editors, and CCellEditHook, the subclass that routes the
// editors' keys and focus changes to the list. The protocol is in
// include/quillon/ledra.h; ledractl.cpp describes the choices made.
#ifndef QUILLON_CONTROLS_LISTCTL_LEDRACTL_H
#define QUILLON_CONTROLS_LISTCTL_LEDRACTL_H

#include <windows.h>

#include "framework/afxwin.h"
#include "quillon/ledra.h"
#include "core/rowstore.h"

class CLedra;

// Subclasses one editor child: Tab, Enter, the arrows and the page keys
// become navigation messages posted to the list, and losing the focus
// commits the cell. Everything else goes on to the editor's own procedure.
// Once subclassed, the hook is this module's permanent object for the child,
// so the list reaches the child through it for the child's whole life.
class CCellEditHook : public CWnd {
public:
    explicit CCellEditHook(CLedra *list) : owner(list) {}

protected:
    void OnKillFocus(CWnd *newWnd);
    UINT OnGetDlgCode();
    void OnKeyDown(UINT vk, UINT repeat, UINT flags);
    void OnSetFocus(CWnd *oldWnd);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    CLedra *owner;
};

class CLedra : public CWnd {
public:
    CLedra();
    ~CLedra() override;

    // Closes the open cell: -1 refused (nothing changed, the cell stays
    // open), 0 no cell was open, 1 closed (and stored when it had changed).
    int Commit();
    // WM_GETDLGCODE: every key while the number cell is current, else the arrows.
    UINT DialogCode() const;
    // The WM_LBUTTONDOWN algorithm at client point (x, y): commit, then
    // toggle the mark or open the formula or ratio cell there.
    void ClickAt(int x, int y);

protected:
    void PostNcDestroy() override;

    int OnCreate(LPCREATESTRUCT create);
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    BOOL OnEraseBkgnd(CDC *dc);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnVScroll(UINT code, int position, CWnd *scrollBar);
    void OnSetFocus(CWnd *oldWnd);
    void OnKillFocus(CWnd *newWnd);
    void OnKeyDown(UINT vk, UINT repeat, UINT flags);
    void OnDestroy();

    LRESULT OnInitialize(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetMetrics(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetFormula(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetRatio(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetRow(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetFormula(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetRatio(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetFixed(WPARAM wParam, LPARAM lParam);
    LRESULT OnResetContent(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetRows(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetUnfixedCount(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetCapacity(WPARAM wParam, LPARAM lParam);
    LRESULT OnToggleFixed(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetCurrentRow(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnter(WPARAM wParam, LPARAM lParam);
    LRESULT OnTabOut(WPARAM wParam, LPARAM lParam);
    LRESULT OnStepCell(WPARAM wParam, LPARAM lParam);
    LRESULT OnPageKey(WPARAM wParam, LPARAM lParam);
    LRESULT OnForwardToParent(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    int RowIndex(WPARAM wParam) const;  // the row index, or -1 outside the rows
    int RefuseCell(CWnd *editor, const char *text);
    void LoadFormula(int row);
    void LoadRatio(int row);
    void OpenCell(int row, int column);  // column 0 number, 1 formula, 2 ratio; scrolled into view
    void ScrollTo(int newTop);  // topRow, scroll position and an immediate repaint
    int ClampTop(int top) const;
    void DrawRows(CDC &dc);
    void PlaceEditor(CWnd *editor, int column, int screenRow);
    void Relayout();
    void MeasureColumns();  // spacings and dividers from the font, row height and column widths
    void WriteColumns();    // the dividers into the record
    bool IsDescendant(CWnd *wnd) const;

    LedraFormulaCheck formulaCheck;
    LedraIsClosing isClosing;
    int commitDepth;
    CCellEditHook *formulaEditorHook;
    CCellEditHook *ratioEditorHook;
    CWnd *formulaEditor;  // the hooks themselves: permanent objects of the children
    CWnd *ratioEditor;
    static const int NUMBER_CELL = 3;
    int activeEditor;  // 0 none, 1 formula, 2 ratio, NUMBER_CELL: the current row's number cell, the focus the list's
    int lastColumn;    // 1 formula, 2 ratio; 0 after LDM_RESETCONTENT
    LedraRowStore rows;
    int currentRow;
    int topRow;
    int clickRow;
    CBitmap offscreenBitmap;
    CDC offscreenDC;
    CRect clientRect;
    int visibleRows;
    int rowHeight, numberChars, ratioChars;
    int formulaLeft, ratioLeft;
    int initialized;
    COLORREF backColor;  // the record's: the ground of the rows and of their text
    CBrush backBrush;
    HFONT font;
    CString caption;
    LedraInit *initRecord;  // the program's record: the dividers are written back after a resize
    int columnUnit;         // of font: its digit width, the unit of the column widths
    int wheelDelta;         // wheel movement not yet scrolled (less than a notch)
    int numberX;            // x of the row numbers
    int textPad;            // from a column's left line to its ratio text
    int textOffset;         // from a row's top to its number and ratio text (centred)
};

// The window procedure of the class "LEDRA": attaches a CLedra on the
// window's first message, answers WM_GETDLGCODE and runs everything else
// through the object's message map.
LRESULT CALLBACK LedraWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

#endif
