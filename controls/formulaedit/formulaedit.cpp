// The formula edit control "VEXIL": a single-line edit control for one
// chemical formula. Letters and parentheses are drawn in a letter font, digits
// and '.' in a smaller digit font set lower, so counts read as subscripts. It
// accepts only '(' ')' '.' digits, letters and the separators of hydrates and
// adducts, '*' and the middle dot (0xB7 in Windows-1252, the program's code
// page). A separator is drawn in the letter font (the middle dot's glyph
// stands at mid-height of the letters) and so is the count right after it:
// in CuSO4*5H2O the 5 is a coefficient at full size, the 4 and the 2 are
// subscripts. A cell's kind and width follow from its place in the text, so
// every edit lays the cells out again. It keeps at most 256 characters,
// one level of undo and CF_TEXT clipboard exchange, and draws formulas into
// other windows on request (VXM_DRAWFORMULA).
//
// Deliberate departures from the system edit control:
//  - No notifications to the parent (no WM_COMMAND/EN_ codes); the only
//    message it sends is VXN_EDITORSIGNAL, posted on Ctrl+Shift+J.
//  - WM_SETTEXT answers 0 on success, 1 for text with a character outside
//    the formula set (blanks are dropped), -1 before VXM_INITIALIZE.
//  - WM_GETTEXT answers the number of characters copied minus one.
//  - EM_GETSEL and EM_SETSEL take the end as an inclusive character index;
//    EM_GETSEL answers 1 with a selection and 0 without one.
//  - EM_GETLINE stores a NUL after the characters it copies.
//  - EM_REPLACESEL acts only on a non-empty selection and answers 0/1.
//  - EM_SETMARGINS always sets both margins, as whole pixel values.
//  - Characters come from WM_CHAR, as TranslateMessage makes them with the
//    keyboard layout in use (so Caps Lock and national layouts apply);
//    WM_KEYDOWN carries only the commands (arrows, Home/End, Backspace,
//    Delete, Ctrl+A/C/X/V/Z, Tab, Ctrl+Shift+J). WM_SETFONT is ignored.
//  - Undo is a single exchange with the last snapshot, so undo twice redoes.
//  - Character widths are measured once, at VXM_INITIALIZE. Text wider than
//    the field scrolls sideways so that the caret stays in view; only the
//    character limit refuses a character (with a beep), never the width.
//  - When the field is too low for the subscripts, the whole text moves up
//    (at most by the blank space above the tallest formula character, less a
//    pixel) so that digits stay inside the field and inside a list row drawn
//    with it.
//
// Choices made where the control's contract leaves room:
//  - The object deletes itself after WM_NCDESTROY (PostNcDestroy).
//  - Painting before VXM_INITIALIZE still begins and ends a paint cycle,
//    so the window is validated and draws only its background.
//  - EM_SETSEL with explicit positions on an empty text leaves everything
//    at position 0.
//  - clientWidth/clientHeight are read from the client rectangle at
//    VXM_INITIALIZE; later WM_SIZE messages update them.
//  - WM_GETTEXT and EM_GETLINE never write more than the n bytes the caller
//    gave: with a buffer too small for the whole text they copy n - 1
//    characters and the NUL. A caller with a buffer of count + 1 gets the
//    whole text.
//  - EM_LIMITTEXT stores at most 256, the number of cells there are.
//  - A caret of -1 (no focus) never takes part in an edit: operations on an
//    unfocused control work at the active end of the selection, an undo
//    that brings back -1 while the control has the focus puts the caret at
//    the active end, and Shift+Left/Right move the active end itself.
//  - Messages that edit the text do nothing before VXM_INITIALIZE (the cell
//    arrays do not exist yet); a null VexilInit record is refused with 1.
//  - A character refused by the limit after it deleted the selection it was
//    to replace still repaints, so the window shows the shortened text.
//  - Pasted text loses leading and trailing blanks and line ends (a cell
//    copied from a spreadsheet ends in CR LF); a paste or WM_SETTEXT longer
//    than the limit is refused whole rather than cut.
//  - VXM_DRAWFORMULA marks a formula cut at the right limit with a small
//    triangle at the cut edge, so a shortened display is never mistaken for
//    the whole formula; the characters of a cut formula stop 5 pixels short
//    of the limit, so that the mark stands clear of them.
//  - The caret is only moved while the control has the focus, so painting
//    an unfocused control never moves another window's caret.
#include "formulaedit.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "controls/keystate.h"
#include "core/formula.h"

static_assert(FORMULA_TEXT_CELLS == VEXIL_MAX_CELLS, "the text holds as many characters as the protocol says");

namespace {

// The cut mark of VXM_DRAWFORMULA: a triangle CUT_MARK_WIDTH pixels wide
// ending at the right limit, with a pixel of space before it.
const int CUT_MARK_WIDTH = 4;
const int CUT_MARK_SPACE = CUT_MARK_WIDTH + 1;

// The blank rows above the ink of the tallest formula character of the font
// selected into dc, less one, so that moving the text up by it cuts nothing;
// the internal leading when the glyphs cannot be measured.
int LetterHeadroom(HDC dc, const TEXTMETRICA &metrics) {
    static const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    int tallest = 0;
    for (int code = 33; code < 127; ++code) {
        if (!FormulaText::IsAccepted(static_cast<char>(code))) continue;
        GLYPHMETRICS glyph;
        if (::GetGlyphOutlineA(dc, code, GGO_METRICS, &glyph, 0, nullptr, &identity) == GDI_ERROR)
            return metrics.tmInternalLeading;
        if (glyph.gmptGlyphOrigin.y > tallest) tallest = glyph.gmptGlyphOrigin.y;
    }
    int blank = metrics.tmAscent - tallest - 1;
    return blank > 0 ? blank : 0;
}

// Selects font into dc when there is one; keeps the first font it replaced
// in *original so that it can be put back.
void SelectFont(HDC dc, HFONT font, HGDIOBJ *original) {
    if (!font) return;
    HGDIOBJ previous = ::SelectObject(dc, static_cast<HGDIOBJ>(font));
    if (!*original) *original = previous;
}

// Which glyphs of the DC's font, first to last, put ink outside their cell.
// The ABC widths describe the smoothed glyph; a font whose table asks for
// plain black-and-white glyphs at this size is drawn with its one-bit
// bitmaps, hinted for that, which can be a pixel wider (Liberation Sans 2's
// T at 8 points: 7 pixels of ink in a cell of 6). So a glyph counts as inking
// outside when either picture leaves the cell. A font without ABC widths (a
// raster font) or without glyph outlines leaves its flags set.
void MeasureInkOutside(HDC dc, int first, int last, bool *inkOutside) {
    static const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    ABC abc[96];
    if (!::GetCharABCWidthsA(dc, UINT(first), UINT(last), abc)) return;
    for (int code = first; code <= last; ++code) {
        const ABC &w = abc[code - first];
        const int cell = w.abcA + int(w.abcB) + w.abcC;
        GLYPHMETRICS mono;
        bool known = ::GetGlyphOutlineA(dc, UINT(code), GGO_BITMAP, &mono, 0, nullptr, &identity) != GDI_ERROR;
        inkOutside[code - first] = w.abcA < 0 || w.abcC < 0 || !known || mono.gmptGlyphOrigin.x < 0 ||
                                   mono.gmptGlyphOrigin.x + int(mono.gmBlackBoxX) > cell;
    }
}

// Draws characters laid side by side, one ExtTextOut per run of adjacent
// characters instead of one TextOut each (the list paints 30 formulas at a
// time). A glyph whose ink leaves its cell is drawn in a call of its own: with
// an opaque background its right neighbour's cell covers that ink, and where
// the smoothed edges of two glyphs share a pixel, one call draws them
// differently from two. Runs of the other glyphs give the same pixels as
// one call per character.
class TextRuns {
public:
    TextRuns(HDC dc, int y) : dc_(dc), y_(y) {}
    ~TextRuns() { Flush(); }
    TextRuns(const TextRuns &) = delete;
    TextRuns &operator=(const TextRuns &) = delete;

    void Add(int x, char ch, int width, bool inkOutside) {
        if (n_ == CAPACITY || (n_ > 0 && (x != next_ || inkOutside))) Flush();
        if (n_ == 0) start_ = x;
        chars_[n_] = ch;
        advances_[n_] = width;
        ++n_;
        next_ = x + width;
        if (inkOutside) Flush();
    }
    // The place of a character drawn in the other pass (or not drawn): the
    // run goes on past it, the character before it advancing over it. With
    // an opaque background the run's ground covers that place too.
    void Gap(int x, int width) {
        if (n_ == 0 || x != next_) return;
        advances_[n_ - 1] += width;
        next_ = x + width;
    }
    void Flush() {
        if (n_ > 0) ::ExtTextOutA(dc_, start_, y_, 0, nullptr, chars_, n_, advances_);
        n_ = 0;
    }

private:
    static const unsigned CAPACITY = 64;
    HDC dc_;
    int y_;
    int start_ = 0, next_ = 0;
    unsigned n_ = 0;
    char chars_[CAPACITY];
    INT advances_[CAPACITY];
};

}  // namespace

BEGIN_MESSAGE_MAP(CFormulaEdit, CWnd)
    ON_MESSAGE(VXM_INITIALIZE, OnInitialize)
    ON_MESSAGE(VXM_GETMODIFY, OnGetModify)
    ON_MESSAGE(VXM_DRAWFORMULA, OnDrawFormula)
    ON_MESSAGE(VXM_SETFONTS, OnSetFonts)
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_GETTEXT, OnGetText)
    ON_MESSAGE(WM_GETTEXTLENGTH, OnGetTextLength)
    ON_MESSAGE(EM_GETSEL, OnGetSel)
    ON_MESSAGE(EM_SETSEL, OnSetSel)
    ON_MESSAGE(EM_REPLACESEL, OnReplaceSel)
    ON_MESSAGE(EM_GETLINE, OnGetLine)
    ON_MESSAGE(EM_LIMITTEXT, OnLimitText)
    ON_MESSAGE(EM_SETMARGINS, OnSetMargins)
    ON_MESSAGE(EM_GETMARGINS, OnGetMargins)
    ON_MESSAGE(EM_GETLIMITTEXT, OnGetLimitText)
    ON_MESSAGE(WM_CUT, OnCut)
    ON_MESSAGE(WM_COPY, OnCopy)
    ON_MESSAGE(WM_PASTE, OnPaste)
    ON_MESSAGE(WM_CLEAR, OnClear)
    ON_MESSAGE(WM_UNDO, OnUndo)
    ON_WM_PAINT()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_KEYDOWN()
    ON_WM_CHAR()
    ON_WM_SIZE()
    // WM_MOVE, WM_SETFONT and the rest get default processing.
END_MESSAGE_MAP()

// An object not yet initialised: an empty text that is not ready, no fonts,
// system colours.
CFormulaEdit::CFormulaEdit()
    : caretTop(-1), caretBottom(-1), rightMargin(0), top(0), baseline(0), digitTop(0), digitOffset(0),
      clientWidth(0), clientHeight(0), letterFont(nullptr), digitFont(nullptr), tracking(0), scrollX(0),
      givenTop(0), headroom(0), lastKey(0) {
    std::fill(letterInkOutside, letterInkOutside + 256, true);
    std::fill(digitInkOutside, digitInkOutside + 12, true);
    memset(&letterMetrics, 0, sizeof letterMetrics);
    memset(&digitMetrics, 0, sizeof digitMetrics);
    textColor = GetSysColor(COLOR_WINDOWTEXT);
    windowColor = GetSysColor(COLOR_WINDOW);
    highlightColor = GetSysColor(COLOR_HIGHLIGHT);
}

// The fonts belong to the caller.
CFormulaEdit::~CFormulaEdit() {}

// The window is gone: the object goes with it.
void CFormulaEdit::PostNcDestroy() {
    delete this;
}

// True when the character's glyph, drawn as kind, puts ink outside its own
// cell (a negative A or C width, or a black-and-white glyph wider than its
// cell), or when the font could not tell.
bool CFormulaEdit::InkOutsideCell(char ch, int kind) const {
    if (kind == 0 && ch >= '.' && ch <= '9') return digitInkOutside[ch - '.'];
    return letterInkOutside[static_cast<unsigned char>(ch)];
}

// ---------------------------------------------------------------------------
// Positions

// The client x of a position: its place in the text less the scroll offset.
int CFormulaEdit::ScreenX(int position) const {
    return text.PositionOf(position) - scrollX;
}

// Scrolls sideways just enough that the caret (the active end without the
// focus) stands inside the field between the margins, and never further than
// needed to show the end of the text.
void CFormulaEdit::ScrollToCaret() {
    if (!text.Ready()) return;
    int right = clientWidth - rightMargin - 1;  // the caret's column must fit left of this
    int x = text.PositionOf(text.CaretOrActive());
    if (x - scrollX > right) scrollX = x - right;
    if (x - scrollX < text.LeftMargin()) scrollX = x - text.LeftMargin();
    int most = text.TextRightEdge() - right;
    if (scrollX > most) scrollX = most;
    if (scrollX < 0) scrollX = 0;
}

// The letters' top for the field's height: the given top, moved up when the
// subscripts' feet or the descenders would reach below the field, but never so
// far that the letters' ink is cut at the top (headroom).
void CFormulaEdit::FitVertically() {
    int below = -digitOffset > letterMetrics.tmDescent ? -digitOffset : letterMetrics.tmDescent;
    int bottom = letterMetrics.tmAscent + below;
    int newTop = givenTop;
    if (clientHeight > 0 && newTop + bottom > clientHeight) {
        newTop = clientHeight - bottom;
        int highest = -headroom;
        if (newTop < highest) newTop = highest;
        if (newTop > givenTop) newTop = givenTop;
    }
    top = newTop;
    baseline = top + letterMetrics.tmAscent;
    digitTop = baseline - digitOffset - digitMetrics.tmAscent;
    caretTop = top > 0 ? top : 0;
    caretBottom = baseline + below;
    if (clientHeight > 0 && caretBottom > clientHeight) caretBottom = clientHeight;
}

// Invalidates the whole client area with erase and paints it at once, with
// the caret scrolled into view.
void CFormulaEdit::Repaint() {
    ScrollToCaret();
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    ::UpdateWindow(m_hWnd);
}

// ---------------------------------------------------------------------------
// Edits that beep or use the clipboard

// Types one character at the caret, replacing a selection; beeps when the
// limit refuses it.
EditResult CFormulaEdit::InsertChar(char ch, bool snapshot) {
    EditResult result = text.InsertChar(ch, snapshot);
    if (result == EDIT_FULL) MessageBeep(MB_ICONEXCLAMATION);
    return result;
}

// Puts the selected characters on the clipboard as CF_TEXT.
int CFormulaEdit::CopySelection() {
    if (!text.Ready() || !text.HasSelection()) return 1;
    if (!OpenClipboard(m_hWnd)) return 1;
    EmptyClipboard();
    const std::string selected = text.Selected();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, selected.size() + 1);
    char *data = memory ? static_cast<char *>(GlobalLock(memory)) : nullptr;
    if (!data) {
        if (memory) GlobalFree(memory);
        CloseClipboard();
        return 1;
    }
    memcpy(data, selected.c_str(), selected.size() + 1);
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_TEXT, memory)) {
        GlobalFree(memory);
        CloseClipboard();
        return 1;
    }
    CloseClipboard();
    return 0;
}

// Copies the selection to the clipboard and deletes it.
int CFormulaEdit::CutSelection(bool snapshot) {
    if (CopySelection() != 0) return 1;
    text.DeleteSelection(snapshot);
    return 0;
}

// Inserts the clipboard's CF_TEXT when it is a formula text as a whole;
// beeps when it would pass the limit.
int CFormulaEdit::PasteClipboard(bool snapshot) {
    if (!text.Ready() || !OpenClipboard(m_hWnd)) return 1;
    EditResult result = EDIT_NONE;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char *clip = data ? static_cast<const char *>(GlobalLock(data)) : nullptr;
    if (clip) {
        result = text.Paste(clip, GlobalSize(data), snapshot);
        if (result == EDIT_FULL) MessageBeep(MB_ICONEXCLAMATION);
        GlobalUnlock(data);
    }
    CloseClipboard();
    return result == EDIT_DONE ? 0 : 1;
}

// True when the clipboard holds a CF_TEXT formula with a non-blank character.
bool CFormulaEdit::ClipboardHasFormula() {
    if (!OpenClipboard(m_hWnd)) return false;
    bool result = false;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char *clip = data ? static_cast<const char *>(GlobalLock(data)) : nullptr;
    if (clip) {
        result = FormulaText::IsPasteable(clip, GlobalSize(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return result;
}

// ---------------------------------------------------------------------------
// Protocol messages

// Takes a record's fonts, top, digit offset and right margin, measures the
// fonts' metrics and widths into charWidth and coefficientWidth, and fits the
// letters to the field's height.
void CFormulaEdit::MeasureFonts(const VexilInit *init, int charWidth[256], int coefficientWidth[12]) {
    letterFont = init->letterFont;
    digitFont = init->digitFont;
    rightMargin = init->rightMargin;
    top = givenTop = init->top;
    digitOffset = init->digitOffset;

    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ original = nullptr;
    if (letterFont) original = ::SelectObject(dc, letterFont);
    ::GetTextMetricsA(dc, &letterMetrics);
    headroom = LetterHeadroom(dc, letterMetrics);
    baseline = top + letterMetrics.tmAscent;
    auto measure = [&charWidth, dc](int code) {
        char ch = static_cast<char>(code);
        SIZE size = {0, 0};
        ::GetTextExtentPointA(dc, &ch, 1, &size);
        charWidth[code] = size.cx;
    };
    for (int code = 32; code <= 126; ++code) measure(code);
    measure(static_cast<unsigned char>(FORMULA_MIDDLE_DOT));
    memcpy(coefficientWidth, charWidth + '.', 12 * sizeof(int));
    MeasureInkOutside(dc, 32, 126, letterInkOutside + 32);
    MeasureInkOutside(dc, 0xB7, 0xB7, letterInkOutside + 0xB7);
    if (digitFont) {
        HGDIOBJ previous = ::SelectObject(dc, digitFont);
        if (!original) original = previous;
    }
    ::GetTextMetricsA(dc, &digitMetrics);
    digitTop = baseline - digitOffset - digitMetrics.tmAscent;
    for (int code = '.'; code <= '9'; ++code) measure(code);
    MeasureInkOutside(dc, '.', '9', digitInkOutside);
    if (original) ::SelectObject(dc, original);
    ::ReleaseDC(m_hWnd, dc);

    RECT client;
    ::GetClientRect(m_hWnd, &client);
    clientWidth = client.right - client.left;
    clientHeight = client.bottom - client.top;
    FitVertically();
}

// VXM_SETFONTS: another record's fonts and sizes; the text, the selection and
// the modified flag are kept, the characters laid out again and repainted.
LRESULT CFormulaEdit::OnSetFonts(WPARAM wParam, LPARAM) {
    const VexilInit *init = reinterpret_cast<const VexilInit *>(wParam);
    if (!text.Ready() || !init) return 1;
    int charWidth[256] = {0};
    int coefficientWidth[12];
    MeasureFonts(init, charWidth, coefficientWidth);
    text.Remeasure(charWidth, coefficientWidth, init->leftMargin);
    if (::GetFocus() == m_hWnd) {
        CreateSolidCaret(1, caretBottom - caretTop);
        ScrollToCaret();
        ::SetCaretPos(ScreenX(text.Caret()), caretTop);
        ShowCaret();
    }
    Repaint();
    return 0;
}

// VXM_INITIALIZE: copies the record and measures the fonts.
LRESULT CFormulaEdit::OnInitialize(WPARAM wParam, LPARAM) {
    if (!m_hWnd) return 1;
    if (text.Ready()) {
        char message[80];
        snprintf(message, sizeof message, "Multiple Initialization attempt in VEXIL(%p).", static_cast<void *>(this));
        AfxMessageBox(message, MB_OK);
        ExitProcess(1);
    }
    const VexilInit *init = reinterpret_cast<const VexilInit *>(wParam);
    if (!init) return 1;

    int charWidth[256] = {0};  // in the font each character usually takes (digits: digit font)
    int coefficientWidth[12];  // '.' to '9' in the letter font, for coefficients
    MeasureFonts(init, charWidth, coefficientWidth);
    text.Initialise(charWidth, coefficientWidth, init->maxLength, init->leftMargin);
    return 0;
}

// VXM_GETMODIFY: the modified flag, unchanged.
LRESULT CFormulaEdit::OnGetModify(WPARAM, LPARAM) {
    return text.Modified();
}

// VXM_DRAWFORMULA: lays a text out with the control's widths and draws the
// characters that end at or before the right limit into the caller's DC.
LRESULT CFormulaEdit::OnDrawFormula(WPARAM wParam, LPARAM lParam) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    const VexilDraw *r = reinterpret_cast<const VexilDraw *>(lParam);
    if (!text.Ready() || !dc || !r || !r->text || r->length <= 0) return 0;

    // Every character must be printable and not blank (the middle dot is
    // printable); count those that fit (n) and those that also leave room for
    // the cut mark (beforeMark). Subscripts are told apart as the control
    // tells its own cells apart.
    std::vector<char> subscript(static_cast<size_t>(r->length));
    FormulaSubscripts subscripts;
    long long edge = r->x;
    int n = 0, beforeMark = 0;
    for (int i = 0; i < r->length; ++i) {
        char c = r->text[i];
        if ((c <= 32 || c >= 127) && c != FORMULA_MIDDLE_DOT) return 0;
        subscript[i] = subscripts.Next(c) ? 1 : 0;
        edge += text.Width(c, subscript[i] ? 0 : 1);
        if (n == i && edge <= r->right) ++n;
        if (beforeMark == i && edge <= static_cast<long long>(r->right) - CUT_MARK_SPACE) ++beforeMark;
    }
    if (n < r->length) n = beforeMark;  // cut: the mark stands clear of the last character

    // On the caller's ground of backColor, a glyph that keeps its ink in its
    // cell looks the same drawn with its cell's background or without: when
    // every glyph does, the letters and the subscripts are one transparent
    // call each. Otherwise each run is drawn on its background, so that a
    // cell covers the ink its neighbour put into it, as one call per
    // character would.
    bool inkInCells = true;
    for (int i = 0; i < n && inkInCells; ++i)
        inkInCells = !FormulaText::IsAccepted(r->text[i]) || !InkOutsideCell(r->text[i], 1 - subscript[i]);
    COLORREF oldText = ::SetTextColor(dc, r->textColor);
    COLORREF oldBack = ::SetBkColor(dc, r->backColor);
    int oldMode = inkInCells ? ::SetBkMode(dc, TRANSPARENT) : 0;
    HGDIOBJ original = nullptr;
    SelectFont(dc, letterFont, &original);
    // Letters, parentheses, separators and coefficients first, then the
    // subscripts; other printable characters take their width undrawn.
    // Drawn on their ground, the subscripts' runs stop at each letter.
    for (int kind = 1; kind >= 0; --kind) {
        if (kind == 0) SelectFont(dc, digitFont, &original);
        int x = r->x;
        TextRuns runs(dc, r->y + (kind ? top : digitTop));
        for (int i = 0; i < n; ++i) {
            char c = r->text[i];
            int width = text.Width(c, subscript[i] ? 0 : 1);
            if (FormulaText::IsAccepted(c) && subscript[i] == 1 - kind) runs.Add(x, c, width, InkOutsideCell(c, kind));
            else if (kind == 1 || inkInCells) runs.Gap(x, width);
            x += width;
        }
    }
    if (inkInCells) ::SetBkMode(dc, oldMode);
    if (original) ::SelectObject(dc, original);
    if (n < r->length) DrawCutMark(dc, r);
    ::SetTextColor(dc, oldText);
    ::SetBkColor(dc, oldBack);
    return n;
}

// The mark of a formula cut at the right limit: a small solid triangle in the
// text colour, pointing right, ending at the limit; the characters drawn end
// before it.
void CFormulaEdit::DrawCutMark(HDC hdc, const VexilDraw *r) {
    const int size = CUT_MARK_WIDTH;
    int right = r->right;
    int left = right - size;
    if (left < r->x) left = r->x;
    if (right - left < 2) return;
    int middle = r->y + baseline - letterMetrics.tmAscent / 3;
    POINT corner[3] = {{left, middle - size}, {right, middle}, {left, middle + size}};
    HBRUSH brush = ::CreateSolidBrush(r->textColor);
    HPEN pen = ::CreatePen(PS_SOLID, 1, r->textColor);
    HGDIOBJ oldBrush = ::SelectObject(hdc, brush);
    HGDIOBJ oldPen = ::SelectObject(hdc, pen);
    ::Polygon(hdc, corner, 3);
    ::SelectObject(hdc, oldBrush);
    ::SelectObject(hdc, oldPen);
    ::DeleteObject(brush);
    ::DeleteObject(pen);
}

// WM_SETTEXT: replaces the text (0), or refuses a non-formula text (1).
LRESULT CFormulaEdit::OnSetText(WPARAM, LPARAM lParam) {
    if (!text.Ready()) return -1;
    if (text.SetText(lParam ? reinterpret_cast<const char *>(lParam) : "") != 0) return 1;
    scrollX = 0;
    Repaint();
    return 0;
}

// WM_GETTEXT: copies the text into a buffer of wParam bytes; answers the
// number of characters copied minus one, or count + 1 without a buffer.
LRESULT CFormulaEdit::OnGetText(WPARAM wParam, LPARAM lParam) {
    if (!text.Ready()) return -1;
    char *buffer = reinterpret_cast<char *>(lParam);
    if (!buffer || wParam == 0) return text.Count() + 1;
    return text.CopyText(buffer, wParam) - 1;
}

// WM_GETTEXTLENGTH: the number of characters.
LRESULT CFormulaEdit::OnGetTextLength(WPARAM, LPARAM) {
    return text.Ready() ? text.Count() : -1;
}

// EM_GETSEL: first selected position and last selected index (inclusive).
LRESULT CFormulaEdit::OnGetSel(WPARAM wParam, LPARAM lParam) {
    if (!text.Ready() || !text.HasSelection()) return 0;
    if (wParam) *reinterpret_cast<int *>(wParam) = text.SelectionStart();
    if (lParam) *reinterpret_cast<int *>(lParam) = text.SelectionEnd() - 1;
    return 1;
}

// EM_SETSEL: -1 removes the selection, (0, -1) selects all, otherwise the
// characters start..end (both included, clamped to the text) are selected
// with the caret at the end given by end.
LRESULT CFormulaEdit::OnSetSel(WPARAM wParam, LPARAM lParam) {
    text.SetSel(static_cast<int>(wParam), static_cast<int>(lParam));
    Repaint();
    return 0;
}

// EM_REPLACESEL: replaces a non-empty selection with a formula text.
LRESULT CFormulaEdit::OnReplaceSel(WPARAM, LPARAM lParam) {
    int before = text.Count();
    EditResult result = text.ReplaceSelection(lParam ? reinterpret_cast<const char *>(lParam) : "");
    if (result == EDIT_FULL) MessageBeep(MB_ICONEXCLAMATION);
    if (result == EDIT_DONE || text.Count() != before) Repaint();  // or the selection went, nothing came in
    return result == EDIT_DONE ? 0 : 1;
}

// EM_GETLINE: copies line 0 into a buffer whose first word holds its size.
LRESULT CFormulaEdit::OnGetLine(WPARAM wParam, LPARAM lParam) {
    if (!text.Ready()) return -1;
    if (wParam != 0) return 0;
    char *buffer = reinterpret_cast<char *>(lParam);
    if (!buffer) return text.Count();
    WORD size;
    memcpy(&size, buffer, sizeof size);
    if (size == 0) return 0;
    return text.CopyText(buffer, size);
}

// EM_LIMITTEXT: a new character limit, not below the current length.
LRESULT CFormulaEdit::OnLimitText(WPARAM wParam, LPARAM) {
    return text.SetLimit(wParam) ? 1 : 0;
}

// EM_SETMARGINS: both margins in pixels; existing characters stay put.
LRESULT CFormulaEdit::OnSetMargins(WPARAM wParam, LPARAM lParam) {
    if (!text.Ready()) return 0;
    text.SetLeftMargin(static_cast<int>(wParam));
    rightMargin = static_cast<int>(lParam);
    return 1;
}

// EM_GETMARGINS: left margin in the low word, right margin in the high word.
LRESULT CFormulaEdit::OnGetMargins(WPARAM, LPARAM) {
    return static_cast<LRESULT>(MAKELONG(text.LeftMargin() & 0xFFFF, rightMargin & 0xFFFF));
}

// EM_GETLIMITTEXT: the character limit.
LRESULT CFormulaEdit::OnGetLimitText(WPARAM, LPARAM) {
    return text.Ready() ? text.Limit() : -1;
}

// WM_CUT: cut without undo snapshot.
LRESULT CFormulaEdit::OnCut(WPARAM, LPARAM) {
    if (CutSelection(false) != 0) return 1;
    Repaint();
    return 0;
}

// WM_COPY: copy the selection.
LRESULT CFormulaEdit::OnCopy(WPARAM, LPARAM) {
    if (CopySelection() != 0) return 1;
    Repaint();
    return 0;
}

// WM_PASTE: paste without undo snapshot.
LRESULT CFormulaEdit::OnPaste(WPARAM, LPARAM) {
    if (PasteClipboard(false) != 0) return 1;
    Repaint();
    return 0;
}

// WM_CLEAR: delete the selection or the next character, without snapshot.
LRESULT CFormulaEdit::OnClear(WPARAM, LPARAM) {
    if (text.DeleteForward(false) != EDIT_DONE) return 1;
    Repaint();
    return 0;
}

// WM_UNDO: exchange with the undo snapshot.
LRESULT CFormulaEdit::OnUndo(WPARAM, LPARAM) {
    text.SwapUndo(HasFocus());
    Repaint();
    return 0;
}

// ---------------------------------------------------------------------------
// Painting, focus and mouse

// Paints the selection highlight, then the letters, then the digits, each
// character on its own background, and puts the caret in place.
void CFormulaEdit::OnPaint() {
    CPaintDC dc(this);
    if (!text.Ready()) return;
    int lo = text.SelectionStart();
    int hi = text.SelectionEnd();
    if (lo != hi) {
        CRect band(ScreenX(lo), caretTop, ScreenX(hi), caretBottom);
        CBrush brush(highlightColor);
        dc.FillRect(&band, &brush);
    }

    COLORREF oldText = dc.GetTextColor();
    COLORREF oldBack = dc.GetBkColor();
    HGDIOBJ original = nullptr;
    for (int kind = 1; kind >= 0; --kind) {
        SelectFont(dc.GetSafeHdc(), kind == 1 ? letterFont : digitFont, &original);
        TextRuns runs(dc.GetSafeHdc(), kind == 1 ? top : digitTop);
        int previous = -1;  // selected state of the previous cell drawn
        for (int i = 0; i < text.Count(); ++i) {
            const CharCell &cell = text.Cell(i);
            if (cell.kind != kind) continue;
            int x = cell.x - scrollX;
            if (x + cell.width < 0 || x > clientWidth) continue;  // scrolled out of the field
            int selected = (lo <= i && i < hi) ? 1 : 0;
            if (selected != previous) {
                runs.Flush();
                dc.SetTextColor(selected ? windowColor : textColor);
                dc.SetBkColor(selected ? highlightColor : windowColor);
                previous = selected;
            }
            runs.Add(x, cell.ch, cell.width, InkOutsideCell(cell.ch, kind));
        }
    }
    if (original) dc.SelectObject(original);
    dc.SetTextColor(oldText);
    dc.SetBkColor(oldBack);
    if (HasFocus()) ::SetCaretPos(ScreenX(text.Caret()), caretTop);
}

// Gaining the focus: caret at the end of the text, shown; selection kept.
void CFormulaEdit::OnSetFocus(CWnd *) {
    Default();
    text.Focus();
    if (text.Ready()) {
        CreateSolidCaret(1, caretBottom - caretTop);
        ScrollToCaret();
        ::SetCaretPos(ScreenX(text.Caret()), caretTop);
        ShowCaret();
    }
    Repaint();
}

// Losing the focus: no caret, the selection collapses at the end.
void CFormulaEdit::OnKillFocus(CWnd *) {
    text.Blur();
    ::DestroyCaret();
    tracking = 0;
    ReleaseMouse();
    Repaint();
    Default();
}

// Releases the mouse capture when this window holds it.
void CFormulaEdit::ReleaseMouse() {
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
}

// A left press: focus, capture, an empty selection at the nearest position.
void CFormulaEdit::OnLButtonDown(UINT, CPoint point) {
    SetFocus();
    SetCapture();
    tracking = 1;
    text.SetCaretAll(text.IndexAt(point.x + scrollX));
    Repaint();
    Default();
}

// Dragging with the left button moves the active end and the caret.
void CFormulaEdit::OnMouseMove(UINT, CPoint) {
    if (!tracking) return;
    POINT cursor;
    ::GetCursorPos(&cursor);
    ::ScreenToClient(m_hWnd, &cursor);
    if (text.DragTo(text.IndexAt(cursor.x + scrollX))) {
        Default();
        Repaint();
    }
}

// Releasing the left button ends the drag.
void CFormulaEdit::OnLButtonUp(UINT, CPoint) {
    tracking = 0;
    ReleaseMouse();
    Default();
    Repaint();
}

// A double click selects everything.
void CFormulaEdit::OnLButtonDblClk(UINT, CPoint) {
    text.SelectAll();
    tracking = 0;
    ReleaseMouse();
    Default();
    Repaint();
}

// The right button opens the context menu: Copy, Cut, Delete, Paste.
void CFormulaEdit::OnRButtonDown(UINT, CPoint) {
    if (tracking) return;
    SetFocus();
    int mask = 0;
    if (text.HasSelection()) mask |= 1 | 2 | 4;
    if (ClipboardHasFormula()) mask |= 8;

    HMENU menu = ::CreatePopupMenu();
    int result = 1;
    if (menu) {
        static const char *const texts[4] = {"Copy", "Cut", "Delete", "Paste"};
        for (int k = 0; k < 4; ++k) {
            UINT flags = MF_STRING | ((mask & (1 << k)) ? MF_ENABLED : (MF_GRAYED | MF_DISABLED));
            ::AppendMenuA(menu, flags, k + 1, texts[k]);
        }
        POINT at;
        ::GetCursorPos(&at);
        int command = ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, m_hWnd, nullptr);
        ::DestroyMenu(menu);
        // Only an item that was enabled can run.
        if (command >= 1 && command <= 4 && (mask & (1 << (command - 1)))) {
            switch (command) {
            case VEXIL_CMD_COPY: result = CopySelection(); break;
            case VEXIL_CMD_CUT: result = CutSelection(true); break;
            case VEXIL_CMD_DELETE: result = text.DeleteForward(true); break;
            case VEXIL_CMD_PASTE: result = PasteClipboard(true); break;
            }
        }
    }
    Default();
    if (result == 0) Repaint();
}

// WM_SIZE: remembers the client size, fits the text to the new height and
// keeps the caret in view (a wider field scrolls back to show more text).
void CFormulaEdit::OnSize(UINT, int cx, int cy) {
    Default();
    clientWidth = cx;
    clientHeight = cy;
    if (!text.Ready()) return;
    FitVertically();
    if (HasFocus()) {
        ::DestroyCaret();
        CreateSolidCaret(1, caretBottom - caretTop);
        ShowCaret();
    }
    Repaint();
}

// ---------------------------------------------------------------------------
// Keyboard

// WM_KEYDOWN: runs the key's action and repaints when it changed something.
void CFormulaEdit::OnKeyDown(UINT vk, UINT, UINT) {
    lastKey = vk;
    int before = text.Count();
    int result = HandleKey(vk);
    if (result == 0 || text.Count() != before) Repaint();
    Default();
}

// The action of one key with the current modifiers; 0 when it did something
// that needs a repaint, 1 otherwise.
int CFormulaEdit::HandleKey(UINT vk) {
    int m = ModifierState();
    const int SHIFT = 1, CTRL = 2;

    if (vk == VK_TAB) {
        HWND parent = ::GetParent(m_hWnd);
        HWND next = parent ? ::GetNextDlgTabItem(parent, m_hWnd, (m & SHIFT) ? TRUE : FALSE) : nullptr;
        if (next) {
            ::SetFocus(next);
            ::SendMessageA(next, EM_SETSEL, 0, -1);
        }
        return 1;
    }
    if (vk == 'J' && m == (SHIFT | CTRL)) {
        ::PostMessageA(::GetParent(m_hWnd), VXN_EDITORSIGNAL, 0, 0);
        return 1;
    }
    if (vk >= 'A' && vk <= 'Z') {
        if (m == CTRL) {
            switch (vk) {
            case 'C': return CopySelection();
            case 'V': return PasteClipboard(true);
            case 'X': return CutSelection(true);
            case 'Z': text.SwapUndo(HasFocus()); return 0;
            case 'A': text.SelectAll(); return 0;
            }
        }
        return 1;
    }
    if (vk == VK_LEFT || vk == VK_RIGHT) {
        int d = vk == VK_LEFT ? -1 : 1;
        if (m == 0) return text.MoveCaret(d);
        if (m == SHIFT) return text.ExtendSelection(d);
        if (m == CTRL) {
            text.SetCaretAll(d < 0 ? 0 : text.Count());
            return 0;
        }
        return 1;
    }
    if (vk == VK_HOME || vk == VK_END) {
        int to = vk == VK_HOME ? 0 : text.Count();
        // Ctrl changes nothing on one line: Ctrl+Home is Home, Ctrl+Shift+End is Shift+End.
        if ((m & ~CTRL) == SHIFT) return text.ExtendTo(to);
        if ((m & ~CTRL) == 0) {
            text.SetCaretAll(to);
            return 0;
        }
        return 1;
    }
    switch (vk) {
    case VK_BACK: return text.DeleteBackward(true);
    case VK_DELETE: return text.DeleteForward(true);
    }
    return 1;
}

// WM_CHAR: a formula character as the keyboard layout made it (Shift, Caps
// Lock, AltGr and the layout applied). Other characters, and the control
// codes of Ctrl+letter, Enter, Tab and Backspace, type nothing.
void CFormulaEdit::OnChar(UINT ch, UINT, UINT) {
    // The keypad's decimal key (VK_DECIMAL, or VK_SEPARATOR on some layouts)
    // types the layout's decimal separator, a comma on many layouts; in a
    // formula it can only mean the period.
    if (ch == ',' && (lastKey == VK_DECIMAL || lastKey == VK_SEPARATOR)) ch = '.';
    if (ch > 0 && ch < 256 && FormulaText::IsAccepted(static_cast<char>(ch))) {
        int before = text.Count();
        if (InsertChar(static_cast<char>(ch), true) == EDIT_DONE || text.Count() != before) Repaint();
    }
    Default();
}

// ---------------------------------------------------------------------------
// Window procedure

// Finds or makes the window's CFormulaEdit and runs the message through it;
// WM_GETDLGCODE asks for every key, Tab and arrows included.
LRESULT CALLBACK VexilWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd *wnd = CWnd::FromHandlePermanent(hWnd);
    if (!wnd) {
        CFormulaEdit *edit = new (std::nothrow) CFormulaEdit;
        if (!edit || !edit->Attach(hWnd)) {
            delete edit;
            return ::DefWindowProcA(hWnd, message, wParam, lParam);
        }
        wnd = edit;
    }
    if (message == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
    return AfxCallWndProc(wnd, hWnd, message, wParam, lParam);
}
