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
//    Delete, Ctrl+C/X/V/Z, Tab, Ctrl+Shift+J). WM_SETFONT is ignored.
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

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <new>
#include <vector>

#include "controls/keystate.h"
#include "core/formula.h"

namespace {

const CharCell EMPTY_CELL = {0, -1, 0, -1};

// The cut mark of VXM_DRAWFORMULA: a triangle CUT_MARK_WIDTH pixels wide
// ending at the right limit, with a pixel of space before it.
const int CUT_MARK_WIDTH = 4;
const int CUT_MARK_SPACE = CUT_MARK_WIDTH + 1;

// Clamps value into lo..hi.
int Clamp(int value, int lo, int hi) {
    return value < lo ? lo : (value > hi ? hi : value);
}

// The number of non-blank characters of text (at most limit bytes, up to the
// first NUL), or -1 when one of them is not a formula character.
int ValidateSpan(const char *text, size_t limit) {
    int n = 0;
    for (size_t i = 0; i < limit && text[i] != '\0'; ++i) {
        if (text[i] == ' ') continue;
        if (!CFormulaEdit::IsAccepted(text[i])) return -1;
        ++n;
    }
    return n;
}

// The clipboard text text[first..end) without its leading and trailing
// blanks, tabs and line ends (the data need not be terminated: never read
// past limit bytes); answers ValidateSpan of that span.
int TrimmedSpan(const char *text, size_t limit, size_t *first, size_t *end) {
    size_t n = 0;
    while (n < limit && text[n] != '\0') ++n;
    size_t a = 0, b = n;
    while (a < b && static_cast<unsigned char>(text[a]) <= ' ') ++a;
    while (b > a && static_cast<unsigned char>(text[b - 1]) <= ' ') --b;
    *first = a;
    *end = b;
    return ValidateSpan(text + a, b - a);
}

// The blank rows above the ink of the tallest formula character of the font
// selected into dc, less one, so that moving the text up by it cuts nothing;
// the internal leading when the glyphs cannot be measured.
int LetterHeadroom(HDC dc, const TEXTMETRICA &metrics) {
    static const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    int tallest = 0;
    for (int code = 33; code < 127; ++code) {
        if (!CFormulaEdit::IsAccepted(static_cast<char>(code))) continue;
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
void SelectFont(CDC *dc, HFONT font, HGDIOBJ *original) {
    if (!font) return;
    HGDIOBJ previous = dc->SelectObject(static_cast<HGDIOBJ>(font));
    if (!*original) *original = previous;
}

}  // namespace

BEGIN_MESSAGE_MAP(CFormulaEdit, CWnd)
    ON_MESSAGE(VXM_INITIALIZE, OnInitialize)
    ON_MESSAGE(VXM_GETMODIFY, OnGetModify)
    ON_MESSAGE(VXM_DRAWFORMULA, OnDrawFormula)
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

// An object not yet initialised: no text arrays, no fonts, system colours.
CFormulaEdit::CFormulaEdit()
    : initialized(0), modified(0), maxLength(0), cells(nullptr), count(0), caret(0), anchor(0),
      active(0), undoCells(nullptr), undoCount(0), undoCaret(0), undoAnchor(0), undoActive(0),
      caretTop(-1), caretBottom(-1), leftMargin(0), rightMargin(0), top(0), baseline(0),
      digitTop(0), digitOffset(0), clientWidth(0), clientHeight(0), letterFont(nullptr),
      digitFont(nullptr), tracking(0), scrollX(0), givenTop(0), headroom(0), lastKey(0) {
    memset(charWidth, 0, sizeof charWidth);
    memset(coefficientWidth, 0, sizeof coefficientWidth);
    std::fill(letterInkOutside, letterInkOutside + 256, true);
    std::fill(digitInkOutside, digitInkOutside + 12, true);
    memset(&letterMetrics, 0, sizeof letterMetrics);
    memset(&digitMetrics, 0, sizeof digitMetrics);
    textColor = GetSysColor(COLOR_WINDOWTEXT);
    windowColor = GetSysColor(COLOR_WINDOW);
    highlightColor = GetSysColor(COLOR_HIGHLIGHT);
}

// Frees both cell arrays; the fonts belong to the caller.
CFormulaEdit::~CFormulaEdit() {
    delete[] cells;
    delete[] undoCells;
}

// The window is gone: the object goes with it.
void CFormulaEdit::PostNcDestroy() {
    delete this;
}

// True for '(' ')' '.' '0'-'9' 'A'-'Z' 'a'-'z', '*' and the middle dot.
bool CFormulaEdit::IsAccepted(char ch) {
    return ch == '(' || ch == ')' || ch == '.' || (ch >= '0' && ch <= '9') ||
           (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == '*' || ch == FORMULA_MIDDLE_DOT;
}

// The measured advance width of a character drawn as kind: a digit or '.'
// of the letter font (a coefficient) has the letter font's width.
int CFormulaEdit::FormulaWidth(char ch, int kind) const {
    if (kind == 1 && ch >= '.' && ch <= '9') return coefficientWidth[ch - '.'];
    return charWidth[static_cast<unsigned char>(ch)];
}

// True when the character's glyph, drawn as kind, puts ink outside its own
// cell (a negative A or C width), or when the font could not tell.
bool CFormulaEdit::InkOutsideCell(char ch, int kind) const {
    if (kind == 0 && ch >= '.' && ch <= '9') return digitInkOutside[ch - '.'];
    return letterInkOutside[static_cast<unsigned char>(ch)];
}

namespace {

// Which glyphs of the DC's font, first to last, put ink outside their cell.
// A font without ABC widths (a raster font) leaves every flag set.
void MeasureInkOutside(HDC dc, int first, int last, bool *inkOutside) {
    ABC abc[96];
    if (!::GetCharABCWidthsA(dc, UINT(first), UINT(last), abc)) return;
    for (int code = first; code <= last; ++code)
        inkOutside[code - first] = abc[code - first].abcA < 0 || abc[code - first].abcC < 0;
}


// Draws characters laid side by side, one ExtTextOut per run of adjacent
// characters instead of one TextOut each (the list paints 30 formulas at a
// time). A glyph whose ink leaves its cell is drawn alone, as before: with an
// opaque background its right neighbour's cell covers that ink, and where
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

// Gives every cell the kind its place in the text makes it (a digit after a
// separator is a coefficient) and lays the cells out from the first one's x.
void CFormulaEdit::Relayout() {
    FormulaSubscripts subscripts;
    int x = count > 0 ? cells[0].x : leftMargin;
    for (int i = 0; i < count; ++i) {
        cells[i].kind = subscripts.Next(cells[i].ch) ? 0 : 1;
        cells[i].width = FormulaWidth(cells[i].ch, cells[i].kind);
        cells[i].x = x;
        x += cells[i].width;
    }
}

// ---------------------------------------------------------------------------
// Positions

// The x of the gap before cell position (count: the end of the text).
int CFormulaEdit::PositionOf(int position) const {
    if (position < 0 || position > count) return -1;
    if (count == 0) return leftMargin;
    if (position == count) return cells[count - 1].x + cells[count - 1].width;
    return cells[position].x;
}

// The x just right of the last character, or the left margin when empty.
int CFormulaEdit::TextRightEdge() const {
    if (count <= 0) return leftMargin;
    return cells[count - 1].x + cells[count - 1].width;
}

// The position before the first character whose midpoint lies at or right
// of client x (the text scrolled by scrollX).
int CFormulaEdit::IndexAt(int x) const {
    x += scrollX;
    int lo = 0;
    int hi = count - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int m = cells[mid].x + cells[mid].width / 2;
        if (x == m) return mid;
        if (x < m) {
            hi = mid - 1;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

// Puts caret, anchor and active at one position (an empty selection).
void CFormulaEdit::SetCaretAll(int position) {
    caret = anchor = active = position;
}

// The position an edit works at: the caret, or the active end of the
// selection when the caret is not within the text (-1 without focus).
int CFormulaEdit::EditPosition() {
    if (caret < 0 || caret > count) caret = Clamp(active, 0, count);
    return caret;
}

// Removes cells lo..hi-1; the cells after them move left by their width.
void CFormulaEdit::RemoveCells(int lo, int hi) {
    int removed = hi - lo;
    int dx = PositionOf(lo) - PositionOf(hi);
    for (int i = hi; i < count; ++i) {
        cells[i - removed] = cells[i];
        cells[i - removed].x += dx;
    }
    for (int i = count - removed; i < count; ++i) cells[i] = EMPTY_CELL;
    count -= removed;
    Relayout();
    anchor = Clamp(anchor, 0, count);
    active = Clamp(active, 0, count);
    if (caret > count) caret = count;
}

// The client x of a position: its place in the text less the scroll offset.
int CFormulaEdit::ScreenX(int position) const {
    return PositionOf(position) - scrollX;
}

// Scrolls sideways just enough that the caret (the active end without the
// focus) stands inside the field between the margins, and never further than
// needed to show the end of the text.
void CFormulaEdit::ScrollToCaret() {
    if (!initialized) return;
    int at = (caret >= 0 && caret <= count) ? caret : Clamp(active, 0, count);
    int right = clientWidth - rightMargin - 1;  // the caret's column must fit left of this
    int x = PositionOf(at);
    if (x - scrollX > right) scrollX = x - right;
    if (x - scrollX < leftMargin) scrollX = x - leftMargin;
    int most = TextRightEdge() - right;
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
// Text model

// True when n more characters, replacing the selection, keep within the limit.
bool CFormulaEdit::FitsLimit(int n) const {
    int limit = maxLength < VEXIL_MAX_CELLS ? maxLength : VEXIL_MAX_CELLS;
    return count - (SelectionEnd() - SelectionStart()) + n <= limit;
}

// Inserts one character at the caret, replacing a selection.
int CFormulaEdit::InsertChar(char ch, bool snapshot) {
    if (!initialized || !IsAccepted(ch)) return 1;
    modified = 1;
    if (anchor != active) DeleteForward(snapshot);
    if (count >= maxLength || count >= VEXIL_MAX_CELLS) {
        MessageBeep(MB_ICONEXCLAMATION);
        return 1;
    }
    int at = EditPosition();
    int x = PositionOf(at);
    for (int i = count; i > at; --i) cells[i] = cells[i - 1];
    cells[at].ch = ch;
    cells[at].x = x;
    ++count;
    Relayout();
    SetCaretAll(at + 1);
    return 0;
}

// Inserts the characters of a NUL-terminated text, blanks skipped, until one
// is refused. Returns the number inserted.
int CFormulaEdit::InsertText(const char *text) {
    int n = 0;
    for (const char *p = text; p && *p; ++p) {
        if (*p == ' ') continue;
        if (InsertChar(*p, false) != 0) break;
        ++n;
    }
    return n;
}

// -1 when text holds a character outside the formula set (blanks aside),
// else the number of its non-blank characters.
int CFormulaEdit::ValidateText(const char *text) {
    return text ? ValidateSpan(text, static_cast<size_t>(-1)) : 0;
}

// Deletes the selection, or the character after the caret.
int CFormulaEdit::DeleteForward(bool snapshot) {
    if (!initialized || count <= 0) return 1;
    modified = 1;
    if (anchor == active) {
        int at = EditPosition();
        if (at == count) return 1;
        if (snapshot) TakeSnapshot();
        RemoveCells(at, at + 1);
        return 0;
    }
    DeleteSelection(snapshot);
    return 0;
}

// Removes the selected cells (snapshot first when asked) and leaves an empty
// selection where they began.
void CFormulaEdit::DeleteSelection(bool snapshot) {
    int lo = SelectionStart();
    int hi = SelectionEnd();
    if (snapshot) TakeSnapshot();
    RemoveCells(lo, hi);
    SetCaretAll(lo);
}

// Deletes the selection, or the character before the caret.
int CFormulaEdit::DeleteBackward(bool snapshot) {
    if (!initialized || count <= 0) return 1;
    if (anchor != active) {
        DeleteSelection(snapshot);
        return 0;
    }
    int at = EditPosition();
    if (at <= 0) return 1;
    if (snapshot) TakeSnapshot();
    RemoveCells(at - 1, at);
    SetCaretAll(at - 1);
    return 0;
}

// Puts the selected characters on the clipboard as CF_TEXT.
int CFormulaEdit::CopySelection() {
    if (!initialized || anchor == active) return 1;
    if (!OpenClipboard(m_hWnd)) return 1;
    EmptyClipboard();
    int lo = SelectionStart();
    int hi = SelectionEnd();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, hi - lo + 1);
    char *text = memory ? static_cast<char *>(GlobalLock(memory)) : nullptr;
    if (!text) {
        if (memory) GlobalFree(memory);
        CloseClipboard();
        return 1;
    }
    for (int i = lo; i < hi; ++i) text[i - lo] = cells[i].ch;
    text[hi - lo] = '\0';
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
    DeleteSelection(snapshot);
    return 0;
}

// Inserts the clipboard's CF_TEXT when it is a formula text as a whole.
int CFormulaEdit::PasteClipboard(bool snapshot) {
    if (!initialized || !OpenClipboard(m_hWnd)) return 1;
    int result = 1;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char *text = data ? static_cast<const char *>(GlobalLock(data)) : nullptr;
    if (text) {
        size_t first = 0, end = 0;
        int n = TrimmedSpan(text, GlobalSize(data), &first, &end);
        if (n > 0 && !FitsLimit(n)) {
            MessageBeep(MB_ICONEXCLAMATION);
        } else if (n > 0) {
            if (snapshot) TakeSnapshot();
            for (size_t i = first; i < end; ++i) {
                if (text[i] == ' ') continue;
                if (InsertChar(text[i], false) != 0) break;
            }
            result = 0;
        }
        GlobalUnlock(data);
    }
    CloseClipboard();
    return result;
}

// 1 when the clipboard holds a CF_TEXT formula with a non-blank character.
int CFormulaEdit::ClipboardHasFormula() {
    if (!OpenClipboard(m_hWnd)) return 0;
    int result = 0;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char *text = data ? static_cast<const char *>(GlobalLock(data)) : nullptr;
    if (text) {
        size_t first = 0, end = 0;
        result = TrimmedSpan(text, GlobalSize(data), &first, &end) > 0 ? 1 : 0;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return result;
}

// Keeps the text, caret and selection as the undo snapshot.
int CFormulaEdit::TakeSnapshot() {
    modified = 1;
    if (!initialized) return 1;
    undoCaret = caret;
    undoAnchor = anchor;
    undoActive = active;
    undoCount = count;
    for (int i = 0; i < count; ++i) undoCells[i] = cells[i];
    return 0;
}

// Exchanges the text and its positions with the undo snapshot.
int CFormulaEdit::SwapUndo() {
    modified = 1;
    if (!initialized) return 1;
    int t;
    t = caret, caret = undoCaret, undoCaret = t;
    t = anchor, anchor = undoAnchor, undoAnchor = t;
    t = active, active = undoActive, undoActive = t;
    t = count, count = undoCount, undoCount = t;
    CharCell *c = cells;
    cells = undoCells;
    undoCells = c;
    // A snapshot taken without focus holds the caret -1; with the focus the
    // caret must stand in the text.
    if ((caret < 0 || caret > count) && HasFocus()) caret = Clamp(active, 0, count);
    return 0;
}

// ---------------------------------------------------------------------------
// Protocol messages

// VXM_INITIALIZE: copies the record, measures the fonts, makes the cells.
LRESULT CFormulaEdit::OnInitialize(WPARAM wParam, LPARAM) {
    if (!m_hWnd) return 1;
    if (initialized) {
        char text[80];
        snprintf(text, sizeof text, "Multiple Initialization attempt in VEXIL(%p).", static_cast<void *>(this));
        AfxMessageBox(text, MB_OK);
        ExitProcess(1);
    }
    const VexilInit *init = reinterpret_cast<const VexilInit *>(wParam);
    if (!init) return 1;
    CharCell *newCells = new (std::nothrow) CharCell[VEXIL_MAX_CELLS];
    CharCell *newUndo = new (std::nothrow) CharCell[VEXIL_MAX_CELLS];
    if (!newCells || !newUndo) {
        delete[] newCells;
        delete[] newUndo;
        return 1;
    }

    letterFont = init->letterFont;
    digitFont = init->digitFont;
    leftMargin = init->leftMargin;
    rightMargin = init->rightMargin;
    top = givenTop = init->top;
    digitOffset = init->digitOffset;
    maxLength = (init->maxLength >= 1 && init->maxLength <= VEXIL_MAX_CELLS) ? init->maxLength : VEXIL_MAX_CELLS;

    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ original = nullptr;
    if (letterFont) original = ::SelectObject(dc, letterFont);
    ::GetTextMetricsA(dc, &letterMetrics);
    headroom = LetterHeadroom(dc, letterMetrics);
    baseline = top + letterMetrics.tmAscent;
    auto measure = [this, dc](int code) {
        char ch = static_cast<char>(code);
        SIZE size = {0, 0};
        ::GetTextExtentPointA(dc, &ch, 1, &size);
        charWidth[code] = size.cx;
    };
    for (int code = 32; code <= 126; ++code) measure(code);
    measure(static_cast<unsigned char>(FORMULA_MIDDLE_DOT));
    memcpy(coefficientWidth, charWidth + '.', sizeof coefficientWidth);
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

    for (int i = 0; i < VEXIL_MAX_CELLS; ++i) newCells[i] = newUndo[i] = EMPTY_CELL;
    cells = newCells;
    undoCells = newUndo;

    RECT client;
    ::GetClientRect(m_hWnd, &client);
    clientWidth = client.right - client.left;
    clientHeight = client.bottom - client.top;
    FitVertically();

    initialized = 1;
    return 0;
}

// VXM_GETMODIFY: the modified flag, unchanged.
LRESULT CFormulaEdit::OnGetModify(WPARAM, LPARAM) {
    return modified;
}

// VXM_DRAWFORMULA: lays a text out with the control's widths and draws the
// characters that end at or before the right limit into the caller's DC.
LRESULT CFormulaEdit::OnDrawFormula(WPARAM wParam, LPARAM lParam) {
    CDC *dc = reinterpret_cast<CDC *>(wParam);
    const VexilDraw *r = reinterpret_cast<const VexilDraw *>(lParam);
    if (!initialized || !dc || !r || !r->text || r->length <= 0) return 0;

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
        edge += FormulaWidth(c, subscript[i] ? 0 : 1);
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
        inkInCells = !IsAccepted(r->text[i]) || !InkOutsideCell(r->text[i], 1 - subscript[i]);
    COLORREF oldText = dc->SetTextColor(r->textColor);
    COLORREF oldBack = dc->SetBkColor(r->backColor);
    int oldMode = inkInCells ? ::SetBkMode(dc->GetSafeHdc(), TRANSPARENT) : 0;
    HGDIOBJ original = nullptr;
    SelectFont(dc, letterFont, &original);
    // Letters, parentheses, separators and coefficients first, then the
    // subscripts; other printable characters take their width undrawn.
    // Drawn on their ground, the subscripts' runs stop at each letter.
    for (int kind = 1; kind >= 0; --kind) {
        if (kind == 0) SelectFont(dc, digitFont, &original);
        int x = r->x;
        TextRuns runs(dc->GetSafeHdc(), r->y + (kind ? top : digitTop));
        for (int i = 0; i < n; ++i) {
            char c = r->text[i];
            int width = FormulaWidth(c, subscript[i] ? 0 : 1);
            if (IsAccepted(c) && subscript[i] == 1 - kind) runs.Add(x, c, width, InkOutsideCell(c, kind));
            else if (kind == 1 || inkInCells) runs.Gap(x, width);
            x += width;
        }
    }
    if (inkInCells) ::SetBkMode(dc->GetSafeHdc(), oldMode);
    if (original) dc->SelectObject(original);
    if (n < r->length) DrawCutMark(dc, r);
    dc->SetTextColor(oldText);
    dc->SetBkColor(oldBack);
    return n;
}

// The mark of a formula cut at the right limit: a small solid triangle in the
// text colour, pointing right, ending at the limit; the characters drawn end
// before it.
void CFormulaEdit::DrawCutMark(CDC *dc, const VexilDraw *r) {
    const int size = CUT_MARK_WIDTH;
    int right = r->right;
    int left = right - size;
    if (left < r->x) left = r->x;
    if (right - left < 2) return;
    int middle = r->y + baseline - letterMetrics.tmAscent / 3;
    POINT corner[3] = {{left, middle - size}, {right, middle}, {left, middle + size}};
    HDC hdc = dc->GetSafeHdc();
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
    if (!initialized) return -1;
    const char *text = lParam ? reinterpret_cast<const char *>(lParam) : "";
    int n = ValidateText(text);
    if (n < 0 || n > maxLength) return 1;
    count = caret = anchor = active = 0;
    scrollX = 0;
    InsertText(text);
    modified = 0;
    Repaint();
    return 0;
}

// WM_GETTEXT: copies the text into a buffer of wParam bytes; answers the
// number of characters copied minus one, or count + 1 without a buffer.
LRESULT CFormulaEdit::OnGetText(WPARAM wParam, LPARAM lParam) {
    if (!initialized) return -1;
    char *buffer = reinterpret_cast<char *>(lParam);
    if (!buffer || wParam == 0) return count + 1;
    int copied = wParam - 1 < static_cast<WPARAM>(count) ? static_cast<int>(wParam - 1) : count;
    for (int i = 0; i < copied; ++i) buffer[i] = cells[i].ch;
    buffer[copied] = '\0';
    return copied - 1;
}

// WM_GETTEXTLENGTH: the number of characters.
LRESULT CFormulaEdit::OnGetTextLength(WPARAM, LPARAM) {
    return initialized ? count : -1;
}

// EM_GETSEL: first selected position and last selected index (inclusive).
LRESULT CFormulaEdit::OnGetSel(WPARAM wParam, LPARAM lParam) {
    if (!initialized || anchor == active) return 0;
    int lo = SelectionStart();
    int hi = SelectionEnd();
    if (wParam) *reinterpret_cast<int *>(wParam) = lo;
    if (lParam) *reinterpret_cast<int *>(lParam) = hi - 1;
    return 1;
}

// EM_SETSEL: -1 removes the selection, (0, -1) selects all, otherwise the
// characters start..end (both included, clamped to the text) are selected
// with the caret at the end given by end.
LRESULT CFormulaEdit::OnSetSel(WPARAM wParam, LPARAM lParam) {
    int s = static_cast<int>(wParam);
    int e = static_cast<int>(lParam);
    if (s == -1) {
        int at = (caret >= 0 && caret <= count) ? caret : Clamp(active, 0, count);
        SetCaretAll(at);
    } else if (s == 0 && e == -1) {
        anchor = 0;
        active = caret = count;
    } else if (count == 0) {
        SetCaretAll(0);
    } else {
        s = Clamp(s, 0, count - 1);
        e = Clamp(e, 0, count - 1);
        if (s <= e) {
            anchor = s;
            active = caret = e + 1;
        } else {
            anchor = s + 1;
            active = caret = e;
        }
    }
    Repaint();
    return 0;
}

// EM_REPLACESEL: replaces a non-empty selection with a formula text.
LRESULT CFormulaEdit::OnReplaceSel(WPARAM, LPARAM lParam) {
    const char *text = lParam ? reinterpret_cast<const char *>(lParam) : "";
    if (!initialized || anchor == active || ValidateText(text) < 0) return 1;
    if (!FitsLimit(ValidateText(text))) {
        MessageBeep(MB_ICONEXCLAMATION);
        return 1;
    }
    TakeSnapshot();
    int before = count;
    if (InsertText(text) > 0) {
        Repaint();
        return 0;
    }
    if (count != before) Repaint();  // the selection went, nothing came in
    return 1;
}

// EM_GETLINE: copies line 0 into a buffer whose first word holds its size.
LRESULT CFormulaEdit::OnGetLine(WPARAM wParam, LPARAM lParam) {
    if (!initialized) return -1;
    if (wParam != 0) return 0;
    char *buffer = reinterpret_cast<char *>(lParam);
    if (!buffer) return count;
    WORD size;
    memcpy(&size, buffer, sizeof size);
    if (size == 0) return 0;
    int copied = size - 1 < count ? size - 1 : count;
    for (int i = 0; i < copied; ++i) buffer[i] = cells[i].ch;
    buffer[copied] = '\0';
    return copied;
}

// EM_LIMITTEXT: a new character limit, not below the current length.
LRESULT CFormulaEdit::OnLimitText(WPARAM wParam, LPARAM) {
    if (!initialized || wParam < static_cast<WPARAM>(count)) return 0;
    maxLength = wParam > VEXIL_MAX_CELLS ? VEXIL_MAX_CELLS : static_cast<int>(wParam);
    return 1;
}

// EM_SETMARGINS: both margins in pixels; existing characters stay put.
LRESULT CFormulaEdit::OnSetMargins(WPARAM wParam, LPARAM lParam) {
    if (!initialized) return 0;
    leftMargin = static_cast<int>(wParam);
    rightMargin = static_cast<int>(lParam);
    return 1;
}

// EM_GETMARGINS: left margin in the low word, right margin in the high word.
LRESULT CFormulaEdit::OnGetMargins(WPARAM, LPARAM) {
    return static_cast<LRESULT>(MAKELONG(leftMargin & 0xFFFF, rightMargin & 0xFFFF));
}

// EM_GETLIMITTEXT: the character limit.
LRESULT CFormulaEdit::OnGetLimitText(WPARAM, LPARAM) {
    return initialized ? maxLength : -1;
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
    if (DeleteForward(false) != 0) return 1;
    Repaint();
    return 0;
}

// WM_UNDO: exchange with the undo snapshot.
LRESULT CFormulaEdit::OnUndo(WPARAM, LPARAM) {
    SwapUndo();
    Repaint();
    return 0;
}

// ---------------------------------------------------------------------------
// Painting, focus and mouse

// Paints the selection highlight, then the letters, then the digits, each
// character on its own background, and puts the caret in place.
void CFormulaEdit::OnPaint() {
    CPaintDC dc(this);
    if (!initialized) return;
    int lo = SelectionStart();
    int hi = SelectionEnd();
    if (lo != hi) {
        CRect band(ScreenX(lo), caretTop, ScreenX(hi), caretBottom);
        CBrush brush(highlightColor);
        dc.FillRect(&band, &brush);
    }

    COLORREF oldText = dc.GetTextColor();
    COLORREF oldBack = dc.GetBkColor();
    HGDIOBJ original = nullptr;
    for (int kind = 1; kind >= 0; --kind) {
        SelectFont(&dc, kind == 1 ? letterFont : digitFont, &original);
        TextRuns runs(dc.GetSafeHdc(), kind == 1 ? top : digitTop);
        int previous = -1;  // selected state of the previous cell drawn
        for (int i = 0; i < count; ++i) {
            if (cells[i].kind != kind) continue;
            int x = cells[i].x - scrollX;
            if (x + cells[i].width < 0 || x > clientWidth) continue;  // scrolled out of the field
            int selected = (lo <= i && i < hi) ? 1 : 0;
            if (selected != previous) {
                runs.Flush();
                dc.SetTextColor(selected ? windowColor : textColor);
                dc.SetBkColor(selected ? highlightColor : windowColor);
                previous = selected;
            }
            runs.Add(x, cells[i].ch, cells[i].width, InkOutsideCell(cells[i].ch, kind));
        }
    }
    if (original) dc.SelectObject(original);
    dc.SetTextColor(oldText);
    dc.SetBkColor(oldBack);
    if (HasFocus()) ::SetCaretPos(ScreenX(caret), caretTop);
}

// Gaining the focus: caret at the end of the text, shown; selection kept.
void CFormulaEdit::OnSetFocus(CWnd *) {
    Default();
    caret = count;
    if (initialized) {
        CreateSolidCaret(1, caretBottom - caretTop);
        ScrollToCaret();
        ::SetCaretPos(ScreenX(caret), caretTop);
        ShowCaret();
    }
    Repaint();
}

// Losing the focus: no caret, the selection collapses at the end.
void CFormulaEdit::OnKillFocus(CWnd *) {
    caret = -1;
    anchor = active = count;
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
    SetCaretAll(IndexAt(point.x));
    Repaint();
    Default();
}

// Dragging with the left button moves the active end and the caret.
void CFormulaEdit::OnMouseMove(UINT, CPoint) {
    if (!tracking) return;
    POINT cursor;
    ::GetCursorPos(&cursor);
    ::ScreenToClient(m_hWnd, &cursor);
    int p = IndexAt(cursor.x);
    caret = p;
    if (p != active) {
        active = p;
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
    anchor = 0;
    active = caret = count;
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
    if (anchor != active) mask |= 1 | 2 | 4;
    if (ClipboardHasFormula() == 1) mask |= 8;

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
            case VEXIL_CMD_DELETE: result = DeleteForward(true); break;
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
    if (!initialized) return;
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
    int before = count;
    int result = HandleKey(vk);
    if (result == 0 || count != before) Repaint();
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
            case 'Z': SwapUndo(); return 0;
            }
        }
        return 1;
    }
    if (vk == VK_LEFT || vk == VK_RIGHT) {
        int d = vk == VK_LEFT ? -1 : 1;
        if (m == 0) return MoveCaret(d);
        if (m == SHIFT) return ExtendSelection(d);
        if (m == CTRL) {
            SetCaretAll(d < 0 ? 0 : count);
            return 0;
        }
        return 1;
    }
    switch (vk) {
    case VK_BACK: return DeleteBackward(true);
    case VK_DELETE: return DeleteForward(true);
    case VK_HOME: SetCaretAll(0); return 0;
    case VK_END: SetCaretAll(count); return 0;
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
    if (ch > 0 && ch < 256 && IsAccepted(static_cast<char>(ch))) {
        int before = count;
        if (InsertChar(static_cast<char>(ch), true) == 0 || count != before) Repaint();
    }
    Default();
}

// Left/Right: collapses a selection at its left/right end, or moves the
// caret one position.
int CFormulaEdit::MoveCaret(int d) {
    if (anchor != active) {
        int lo = SelectionStart();
        int hi = SelectionEnd();
        SetCaretAll(d < 0 ? lo : hi);
        return 0;
    }
    int at = EditPosition();
    if ((at == 0 && d < 0) || (at == count && d > 0)) return 1;
    SetCaretAll(at + d);
    return 0;
}

// Shift+Left/Right: moves the active end (and the caret); the anchor stays.
int CFormulaEdit::ExtendSelection(int d) {
    if ((active == 0 && d < 0) || (active == count && d > 0)) return 1;
    active += d;
    caret = active;
    return 0;
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
