// The text model of the VEXIL control (formulatext.h). A cell's kind and
// width follow from its place in the text (a digit after a hydrate's
// separator is a coefficient in the letter font), so every edit lays the
// cells out again from the first one's x.
#include "formulatext.h"

#include <string.h>

#include <algorithm>

#include "core/formula.h"

namespace {

const CharCell EMPTY_CELL = {0, -1, 0, -1};

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
        if (!FormulaText::IsAccepted(text[i])) return -1;
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

}  // namespace

// An empty text that is not ready: no widths, the full limit, no margin.
FormulaText::FormulaText()
    : ready_(false), modified_(0), maxLength_(0), leftMargin_(0), cells_(store_[0]), undoCells_(store_[1]),
      count_(0), caret_(0), anchor_(0), active_(0), undoCount_(0), undoCaret_(0), undoAnchor_(0),
      undoActive_(0) {
    std::fill(&store_[0][0], &store_[0][0] + 2 * FORMULA_TEXT_CELLS, EMPTY_CELL);
    memset(charWidth_, 0, sizeof charWidth_);
    memset(coefficientWidth_, 0, sizeof coefficientWidth_);
}

bool FormulaText::IsAccepted(char ch) {
    return ch == '(' || ch == ')' || ch == '.' || (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') ||
           (ch >= 'a' && ch <= 'z') || ch == '*' || ch == FORMULA_MIDDLE_DOT;
}

int FormulaText::ValidateText(const char *text) {
    return text ? ValidateSpan(text, static_cast<size_t>(-1)) : 0;
}

bool FormulaText::IsPasteable(const char *data, size_t size) {
    size_t first = 0, end = 0;
    return TrimmedSpan(data, size, &first, &end) > 0;
}

void FormulaText::Initialise(const int charWidth[256], const int coefficientWidth[12], int maxLength,
                             int leftMargin) {
    memcpy(charWidth_, charWidth, sizeof charWidth_);
    memcpy(coefficientWidth_, coefficientWidth, sizeof coefficientWidth_);
    maxLength_ = (maxLength >= 1 && maxLength <= FORMULA_TEXT_CELLS) ? maxLength : FORMULA_TEXT_CELLS;
    leftMargin_ = leftMargin;
    ready_ = true;
}

void FormulaText::Remeasure(const int charWidth[256], const int coefficientWidth[12], int leftMargin) {
    memcpy(charWidth_, charWidth, sizeof charWidth_);
    memcpy(coefficientWidth_, coefficientWidth, sizeof coefficientWidth_);
    leftMargin_ = leftMargin;
    if (count_ > 0) cells_[0].x = leftMargin_;
    Relayout();
}

std::string FormulaText::Range(int lo, int hi) const {
    std::string text;
    for (int i = lo; i < hi; ++i) text += cells_[i].ch;
    return text;
}

int FormulaText::CaretOrActive() const {
    return (caret_ >= 0 && caret_ <= count_) ? caret_ : Clamp(active_, 0, count_);
}

// A digit or '.' of the letter font (a coefficient) has the letter font's width.
int FormulaText::Width(char ch, int kind) const {
    if (kind == 1 && ch >= '.' && ch <= '9') return coefficientWidth_[ch - '.'];
    return charWidth_[static_cast<unsigned char>(ch)];
}

void FormulaText::Relayout() {
    FormulaSubscripts subscripts;
    int x = count_ > 0 ? cells_[0].x : leftMargin_;
    for (int i = 0; i < count_; ++i) {
        cells_[i].kind = subscripts.Next(cells_[i].ch) ? 0 : 1;
        cells_[i].width = Width(cells_[i].ch, cells_[i].kind);
        cells_[i].x = x;
        x += cells_[i].width;
    }
}

int FormulaText::PositionOf(int position) const {
    if (position < 0 || position > count_) return -1;
    if (count_ == 0) return leftMargin_;
    if (position == count_) return cells_[count_ - 1].x + cells_[count_ - 1].width;
    return cells_[position].x;
}

int FormulaText::TextRightEdge() const {
    if (count_ <= 0) return leftMargin_;
    return cells_[count_ - 1].x + cells_[count_ - 1].width;
}

// A binary search over the cells' midpoints.
int FormulaText::IndexAt(int x) const {
    int lo = 0;
    int hi = count_ - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int m = cells_[mid].x + cells_[mid].width / 2;
        if (x == m) return mid;
        if (x < m) {
            hi = mid - 1;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

void FormulaText::SetCaretAll(int position) {
    caret_ = anchor_ = active_ = position;
}

void FormulaText::SelectAll() {
    anchor_ = 0;
    active_ = caret_ = count_;
}

void FormulaText::Blur() {
    caret_ = -1;
    anchor_ = active_ = count_;
}

// The caret of an unfocused control (-1) never takes part in an edit: the
// edit works at the active end of the selection.
int FormulaText::EditPosition() {
    if (caret_ < 0 || caret_ > count_) caret_ = Clamp(active_, 0, count_);
    return caret_;
}

void FormulaText::RemoveCells(int lo, int hi) {
    int removed = hi - lo;
    int dx = PositionOf(lo) - PositionOf(hi);
    for (int i = hi; i < count_; ++i) {
        cells_[i - removed] = cells_[i];
        cells_[i - removed].x += dx;
    }
    for (int i = count_ - removed; i < count_; ++i) cells_[i] = EMPTY_CELL;
    count_ -= removed;
    Relayout();
    anchor_ = Clamp(anchor_, 0, count_);
    active_ = Clamp(active_, 0, count_);
    if (caret_ > count_) caret_ = count_;
}

bool FormulaText::FitsLimit(int n) const {
    int limit = maxLength_ < FORMULA_TEXT_CELLS ? maxLength_ : FORMULA_TEXT_CELLS;
    return count_ - (SelectionEnd() - SelectionStart()) + n <= limit;
}

bool FormulaText::SetLimit(size_t limit) {
    if (!ready_ || limit < static_cast<size_t>(count_)) return false;
    maxLength_ = limit > static_cast<size_t>(FORMULA_TEXT_CELLS) ? FORMULA_TEXT_CELLS : static_cast<int>(limit);
    return true;
}

int FormulaText::SetText(const char *text) {
    int n = ValidateText(text);
    if (n < 0 || n > maxLength_) return 1;
    count_ = caret_ = anchor_ = active_ = 0;
    InsertText(text);
    modified_ = 0;
    return 0;
}

// A character refused by the limit still marks the text modified, and a
// selection it was to replace is gone.
EditResult FormulaText::InsertChar(char ch, bool snapshot) {
    if (!ready_ || !IsAccepted(ch)) return EDIT_NONE;
    modified_ = 1;
    if (anchor_ != active_) DeleteForward(snapshot);
    if (count_ >= maxLength_ || count_ >= FORMULA_TEXT_CELLS) return EDIT_FULL;
    int at = EditPosition();
    int x = PositionOf(at);
    for (int i = count_; i > at; --i) cells_[i] = cells_[i - 1];
    cells_[at].ch = ch;
    cells_[at].x = x;
    ++count_;
    Relayout();
    SetCaretAll(at + 1);
    return EDIT_DONE;
}

int FormulaText::InsertText(const char *text) {
    int n = 0;
    for (const char *p = text; p && *p; ++p) {
        if (*p == ' ') continue;
        if (InsertChar(*p, false) != EDIT_DONE) break;
        ++n;
    }
    return n;
}

EditResult FormulaText::ReplaceSelection(const char *text) {
    int n = ValidateText(text);
    if (!ready_ || anchor_ == active_ || n < 0) return EDIT_NONE;
    if (!FitsLimit(n)) return EDIT_FULL;
    TakeSnapshot();
    return InsertText(text) > 0 ? EDIT_DONE : EDIT_NONE;
}

EditResult FormulaText::Paste(const char *data, size_t size, bool snapshot) {
    if (!ready_ || !data) return EDIT_NONE;
    size_t first = 0, end = 0;
    int n = TrimmedSpan(data, size, &first, &end);
    if (n <= 0) return EDIT_NONE;
    if (!FitsLimit(n)) return EDIT_FULL;
    if (snapshot) TakeSnapshot();
    for (size_t i = first; i < end; ++i) {
        if (data[i] == ' ') continue;
        if (InsertChar(data[i], false) != EDIT_DONE) break;
    }
    return EDIT_DONE;
}

EditResult FormulaText::DeleteForward(bool snapshot) {
    if (!ready_ || count_ <= 0) return EDIT_NONE;
    modified_ = 1;
    if (anchor_ == active_) {
        int at = EditPosition();
        if (at == count_) return EDIT_NONE;
        if (snapshot) TakeSnapshot();
        RemoveCells(at, at + 1);
        return EDIT_DONE;
    }
    DeleteSelection(snapshot);
    return EDIT_DONE;
}

void FormulaText::DeleteSelection(bool snapshot) {
    int lo = SelectionStart();
    int hi = SelectionEnd();
    if (snapshot) TakeSnapshot();
    RemoveCells(lo, hi);
    SetCaretAll(lo);
}

EditResult FormulaText::DeleteBackward(bool snapshot) {
    if (!ready_ || count_ <= 0) return EDIT_NONE;
    if (anchor_ != active_) {
        DeleteSelection(snapshot);
        return EDIT_DONE;
    }
    int at = EditPosition();
    if (at <= 0) return EDIT_NONE;
    if (snapshot) TakeSnapshot();
    RemoveCells(at - 1, at);
    SetCaretAll(at - 1);
    return EDIT_DONE;
}

void FormulaText::TakeSnapshot() {
    modified_ = 1;
    if (!ready_) return;
    undoCaret_ = caret_;
    undoAnchor_ = anchor_;
    undoActive_ = active_;
    undoCount_ = count_;
    for (int i = 0; i < count_; ++i) undoCells_[i] = cells_[i];
}

// Undo twice redoes. A snapshot taken without focus holds the caret -1.
void FormulaText::SwapUndo(bool focused) {
    modified_ = 1;
    if (!ready_) return;
    std::swap(caret_, undoCaret_);
    std::swap(anchor_, undoAnchor_);
    std::swap(active_, undoActive_);
    std::swap(count_, undoCount_);
    std::swap(cells_, undoCells_);
    if ((caret_ < 0 || caret_ > count_) && focused) caret_ = Clamp(active_, 0, count_);
}

int FormulaText::CopyText(char *buffer, size_t size) const {
    int copied = size - 1 < static_cast<size_t>(count_) ? static_cast<int>(size - 1) : count_;
    for (int i = 0; i < copied; ++i) buffer[i] = cells_[i].ch;
    buffer[copied] = '\0';
    return copied;
}

void FormulaText::SetSel(int s, int e) {
    if (s == -1) {
        SetCaretAll(CaretOrActive());
    } else if (s == 0 && e == -1) {
        SelectAll();
    } else if (count_ == 0) {
        SetCaretAll(0);
    } else {
        s = Clamp(s, 0, count_ - 1);
        e = Clamp(e, 0, count_ - 1);
        if (s <= e) {
            anchor_ = s;
            active_ = caret_ = e + 1;
        } else {
            anchor_ = s + 1;
            active_ = caret_ = e;
        }
    }
}

EditResult FormulaText::MoveCaret(int d) {
    if (anchor_ != active_) {
        SetCaretAll(d < 0 ? SelectionStart() : SelectionEnd());
        return EDIT_DONE;
    }
    int at = EditPosition();
    if ((at == 0 && d < 0) || (at == count_ && d > 0)) return EDIT_NONE;
    SetCaretAll(at + d);
    return EDIT_DONE;
}

EditResult FormulaText::ExtendSelection(int d) {
    if ((active_ == 0 && d < 0) || (active_ == count_ && d > 0)) return EDIT_NONE;
    active_ += d;
    caret_ = active_;
    return EDIT_DONE;
}

EditResult FormulaText::ExtendTo(int position) {
    position = Clamp(position, 0, count_);
    if (position == active_) return EDIT_NONE;
    active_ = caret_ = position;
    return EDIT_DONE;
}

bool FormulaText::DragTo(int position) {
    caret_ = position;
    if (position == active_) return false;
    active_ = position;
    return true;
}
