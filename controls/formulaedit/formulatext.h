// FormulaText: the text of one VEXIL control as plain data, without a window
// or a device context. It holds the characters as cells laid out side by side
// (each cell's kind, width and x follow from its place in the text and the
// widths the control measured), the caret and the selection, the one level of
// undo, the character limit and the modified flag, and it runs every edit the
// control's messages and keys ask for. The window (CFormulaEdit) maps
// messages, keys and the mouse onto it, beeps, talks to the clipboard and
// draws the cells.
//
// Positions are gaps between characters, 0..Count(). The caret is -1 while
// the control has no focus; the selection runs between the anchor and the
// active end, and is empty when they meet.
#ifndef QUILLON_CONTROLS_FORMULAEDIT_FORMULATEXT_H
#define QUILLON_CONTROLS_FORMULAEDIT_FORMULATEXT_H

#include <stddef.h>

#include <string>

// The most characters a text holds (VEXIL_MAX_CELLS of the protocol).
const int FORMULA_TEXT_CELLS = 256;

// One character of the text with its place on the screen. An empty cell
// holds ch 0, x -1, width 0, kind -1.
struct CharCell {
    char ch;    // the character
    int x;      // left edge in text pixels (the client x before scrolling)
    int width;  // advance width in pixels
    int kind;   // 1 = letter font (letters, parentheses, separators, coefficients), 0 = subscript (digit font)
};

// What an edit did: something changed, nothing was done, or the limit
// refused it (the control beeps).
enum EditResult { EDIT_DONE = 0, EDIT_NONE = 1, EDIT_FULL = 2 };

class FormulaText {
public:
    FormulaText();
    FormulaText(const FormulaText &) = delete;
    FormulaText &operator=(const FormulaText &) = delete;

    // True for '(' ')' '.' '0'-'9' 'A'-'Z' 'a'-'z', '*' and the middle dot.
    static bool IsAccepted(char ch);
    // -1 when text holds a character outside the formula set (blanks aside),
    // else the number of its non-blank characters; 0 for a null text.
    static int ValidateText(const char *text);
    // True when clipboard data (at most size bytes, not necessarily
    // terminated) is a formula text with a non-blank character once its
    // leading and trailing blanks, tabs and line ends are dropped.
    static bool IsPasteable(const char *data, size_t size);

    // Makes the text usable: the advance widths of every character in the
    // font it usually takes (digits and '.': the digit font) and of '.' to
    // '9' in the letter font (coefficients), the limit (below 1 or above 256
    // means 256) and the left margin. Every edit does nothing before it.
    void Initialise(const int charWidth[256], const int coefficientWidth[12], int maxLength, int leftMargin);
    // Other widths and left margin for an initialised text: the characters are
    // laid out again from the margin; text, caret and selection are kept.
    void Remeasure(const int charWidth[256], const int coefficientWidth[12], int leftMargin);
    bool Ready() const { return ready_; }

    int Count() const { return count_; }
    const CharCell &Cell(int i) const { return cells_[i]; }
    std::string Text() const { return Range(0, count_); }
    std::string Selected() const { return Range(SelectionStart(), SelectionEnd()); }
    int Caret() const { return caret_; }
    int Active() const { return active_; }
    int SelectionStart() const { return anchor_ < active_ ? anchor_ : active_; }
    int SelectionEnd() const { return anchor_ < active_ ? active_ : anchor_; }
    bool HasSelection() const { return anchor_ != active_; }
    // The caret, or the active end of the selection while there is no caret.
    int CaretOrActive() const;
    int Modified() const { return modified_; }
    int Limit() const { return maxLength_; }
    int LeftMargin() const { return leftMargin_; }

    // The advance width of a character drawn as kind (1 letter font, 0 digit font).
    int Width(char ch, int kind) const;
    int PositionOf(int position) const;  // x of a position, -1 outside 0..Count()
    int TextRightEdge() const;           // x just right of the last character, the left margin when empty
    int IndexAt(int x) const;            // the position before the first character whose middle is at or right of x

    // The edits, each answering what it did. "snapshot" asks for an undo
    // snapshot before the text changes.
    int SetText(const char *text);  // 0, or 1 (text refused whole: not a formula, or over the limit)
    EditResult InsertChar(char ch, bool snapshot);
    int InsertText(const char *text);  // the number of characters inserted, blanks skipped
    EditResult ReplaceSelection(const char *text);  // a non-empty selection only
    EditResult Paste(const char *data, size_t size, bool snapshot);  // clipboard data, trimmed, whole or nothing
    EditResult DeleteForward(bool snapshot);   // the selection, or the character after the caret
    EditResult DeleteBackward(bool snapshot);  // the selection, or the character before the caret
    void DeleteSelection(bool snapshot);       // the selection goes, the caret stays at its start
    void TakeSnapshot();
    // Exchanges the text and its positions with the snapshot; with the focus
    // the caret brought back is kept inside the text.
    void SwapUndo(bool focused);
    int CopyText(char *buffer, size_t size) const;  // at most size - 1 characters and a NUL; the number copied

    // The caret and the selection.
    void SetCaretAll(int position);  // caret, anchor and active at one position
    void SelectAll();                // anchor 0, caret and active end at the end
    void SetSel(int start, int end);  // EM_SETSEL: end inclusive, clamped; -1 no selection, (0, -1) all
    EditResult MoveCaret(int d);       // Left/Right: collapses a selection, or moves one position
    EditResult ExtendSelection(int d);  // Shift+Left/Right: moves the active end
    EditResult ExtendTo(int position);  // Shift+Home/End: the active end to a position (clamped), the anchor kept
    bool DragTo(int position);          // the caret and the active end to a position; true when the end moved
    void Focus() { caret_ = count_; }   // the caret at the end, the selection kept
    void Blur();                        // no caret, the selection collapsed at the end
    bool SetLimit(size_t limit);        // EM_LIMITTEXT: at most 256, never below the length
    void SetLeftMargin(int margin) { leftMargin_ = margin; }  // the characters stay put

private:
    std::string Range(int lo, int hi) const;
    int EditPosition();               // the caret, made valid for an edit
    void RemoveCells(int lo, int hi);  // cells lo..hi-1 go, the rest move left
    void Relayout();                   // every cell's kind, width and x from its place in the text
    bool FitsLimit(int n) const;       // n more characters, replacing the selection, stay within the limit

    bool ready_;
    int modified_;
    int maxLength_;
    int leftMargin_;
    CharCell store_[2][FORMULA_TEXT_CELLS];  // the text and the undo snapshot, exchanged by SwapUndo
    CharCell *cells_;
    CharCell *undoCells_;
    int count_, caret_, anchor_, active_;
    int undoCount_, undoCaret_, undoAnchor_, undoActive_;
    int charWidth_[256];
    int coefficientWidth_[12];
};

#endif
