// The VEXIL control's text model: edits, caret and selection, undo, the
// limit and the layout of the cells, as the control's messages and keys use them.
#include "controls/formulaedit/formulatext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

namespace {

// Widths a font could have: letters 10, '(' ')' 4, '*' 5, the middle dot 4,
// subscripts 6, coefficients ('.' to '9' in the letter font) 9.
void Ready(FormulaText &t, int maxLength = 256) {
    int widths[256] = {0}, coefficients[12];
    for (int c = 'A'; c <= 'z'; ++c) widths[c] = 10;
    widths['('] = widths[')'] = widths[0xB7] = 4;
    widths['*'] = 5;
    for (int c = '.'; c <= '9'; ++c) widths[c] = 6, coefficients[c - '.'] = 9;
    t.Initialise(widths, coefficients, maxLength, 2);
}

// Runs a script of edits, separated by blanks, on a focused text; each is an
// operation letter with its argument after ':'. Answers the text, anchor>active,
// caret, modified flag and the last edit's result.
std::string Edit(FormulaText &t, const std::string &script) {
    std::istringstream in(script);
    std::string op;
    int result = 0;
    while (in >> op) {
        std::string arg;  // '_' stands for a blank, '~' for a tab, '/' for CR LF
        for (size_t i = op.find(':') + 1; i && i < op.size(); ++i)
            arg += op[i] == '_' ? " " : op[i] == '~' ? "\t" : op[i] == '/' ? "\r\n" : std::string(1, op[i]);
        switch (op[0]) {
        case 't': result = t.SetText(arg.c_str()); break;        // WM_SETTEXT
        case 'i': result = t.InsertChar(arg[0], true); break;    // typing
        case 'r': result = t.ReplaceSelection(arg.c_str()); break;  // EM_REPLACESEL
        case 'p': result = t.Paste(arg.c_str(), arg.size(), op[1] == 's'); break;  // p: WM_PASTE, ps: the keys'
        case 's': t.SetSel(std::stoi(arg), std::stoi(arg.substr(arg.find(',') + 1))); break;  // EM_SETSEL
        case 'b': result = t.DeleteBackward(true); break;
        case 'd': result = t.DeleteForward(op[1] == 's'); break;  // d: WM_CLEAR, ds: Delete
        case 'x': t.DeleteSelection(op[1] == 's'); break;          // x: WM_CUT, xs: Ctrl+X
        case '<': case '>': result = t.MoveCaret(op[0] == '<' ? -1 : 1); break;
        case '{': case '}': result = t.ExtendSelection(op[0] == '{' ? -1 : 1); break;
        case 'h': t.SetCaretAll(0); break;
        case 'u': t.SwapUndo(op[1] != 'n'); break;  // un: without the focus
        case 'f': t.Focus(); break;
        case 'k': t.Blur(); break;
        case 'l': result = t.SetLimit(std::stoul(arg)); break;
        }
    }
    std::ostringstream out;
    out << t.Text() << ' ' << t.SelectionStart() << (t.Active() < t.SelectionEnd() ? '<' : '>')
        << t.SelectionEnd() << " c" << t.Caret() << " m" << t.Modified() << " =" << result;
    return out.str();
}

struct Case {
    const char *script, *expected;
};

template <size_t N>
void RunCases(const Case (&cases)[N], int maxLength = 256) {
    for (const Case &c : cases) {
        FormulaText t;
        Ready(t, maxLength);
        std::string got = Edit(t, c.script);
        EXPECT_EQ(c.expected, got) << c.script;
    }
}

TEST(FormulaText, SetTextTakesFormulasWholeAndDropsBlanks) {
    const Case cases[] = {
        {"t:Ba(NO3)2", "Ba(NO3)2 8>8 c8 m0 =0"}, {"t:Kept t:H2O+", "Kept 4>4 c4 m0 =1"},
        {"t:Kept t:Fe~O", "Kept 4>4 c4 m0 =1"}, {"t:Kept t:Na\xe9", "Kept 4>4 c4 m0 =1"},
        {"t:Sr0.5Ba0.5TiO3", "Sr0.5Ba0.5TiO3 14>14 c14 m0 =0"}, {"i:H t:CuSO4\xB7" "5H2O", "CuSO4\xB7" "5H2O 10>10 c10 m0 =0"},
    };
    RunCases(cases);
    FormulaText t;
    Ready(t);
    EXPECT_EQ(0, t.SetText(" Ba(NO3) 2 "));
    EXPECT_EQ("Ba(NO3)2", t.Text());
    EXPECT_EQ(1, t.SetText("H2O+"));
    EXPECT_EQ(-1, FormulaText::ValidateText("Fe,O"));
    EXPECT_EQ(0, FormulaText::ValidateText("   "));
}

// The limit: from the record (out of 1..256 means 256) and EM_LIMITTEXT (at
// most 256, never below the length); what passes it is refused whole.
TEST(FormulaText, LimitKeepsWithinThe256Cells) {
    for (int given : {0, -5, 257, 100000}) {
        FormulaText t;
        Ready(t, given);
        EXPECT_EQ(256, t.Limit()) << given;
    }
    FormulaText t;
    EXPECT_FALSE(t.SetLimit(5)) << "not ready";
    Ready(t);
    EXPECT_TRUE(t.SetLimit(size_t(1) << 40));
    EXPECT_EQ(256, t.Limit());
    const std::string ones(256, '1');
    EXPECT_EQ(1, t.SetText((ones + "1").c_str()));
    EXPECT_EQ(0, t.SetText(ones.c_str()));
    EXPECT_EQ(EDIT_FULL, t.InsertChar('1', true));
    t.SetSel(0, 9);
    EXPECT_EQ(EDIT_FULL, t.ReplaceSelection("22222222222"));
    EXPECT_EQ(ones, t.Text());
    EXPECT_EQ(EDIT_DONE, t.ReplaceSelection("2222222222"));
    EXPECT_EQ(std::string(10, '2') + std::string(246, '1'), t.Text());
    const Case cases[] = {
        {"t:Fe2O3 l:4", "Fe2O3 5>5 c5 m0 =0"}, {"t:Fe2O3 l:5 i:H", "Fe2O3 5>5 c5 m1 =2"},
        {"t:Fe2O3 s:0,1 l:4 i:H", "H2O3 1>1 c1 m1 =0"}, {"t:Fe2O3 l:5 s:1,1 i:H", "FH2O3 2>2 c2 m1 =0"},
        {"t:Fe l:3 p:O2", "Fe 2>2 c2 m0 =2"}, {"t:Fe l:4 p:O2", "FeO2 4>4 c4 m1 =0"},
    };
    RunCases(cases);
}

// EM_SETSEL's inclusive end and clamping; the keys that move and extend.
TEST(FormulaText, CaretAndSelection) {
    const Case cases[] = {
        {"t:C6H12O6 s:4,2", "C6H12O6 2<5 c2 m0 =0"}, {"t:C6H12O6 s:0,-1", "C6H12O6 0>7 c7 m0 =0"},
        {"t:C6H12O6 s:-3,1", "C6H12O6 0>2 c2 m0 =0"}, {"t:C6H12O6 s:100,200", "C6H12O6 6>7 c7 m0 =0"},
        {"t:C6H12O6 s:3,3 s:-1,0", "C6H12O6 4>4 c4 m0 =0"}, {"t:C6 k s:-1,0", "C6 2>2 c2 m0 =0"},
        {"s:2,4", " 0>0 c0 m0 =0"}, {"t:C6H12O6 s:4,2 {", "C6H12O6 1<5 c1 m0 =0"},
        {"t:C6H12O6 s:0,-1 {", "C6H12O6 0>6 c6 m0 =0"}, {"t:abcd f { {", "abcd 2<4 c2 m0 =0"},
        {"t:abcd f { { <", "abcd 2>2 c2 m0 =0"}, {"t:abcd h } >", "abcd 1>1 c1 m0 =0"},
        {"t:ab h <", "ab 0>0 c0 m0 =1"}, {"t:ab f >", "ab 2>2 c2 m0 =1"}, {"t:ab f }", "ab 2>2 c2 m0 =1"},
        {"t:ab h {", "ab 0>0 c0 m0 =1"}, {"t:ab f k", "ab 2>2 c-1 m0 =0"}, {"t:ab s:0,0 f", "ab 0>1 c2 m0 =0"},
    };
    RunCases(cases);
}

// Typing, deleting, cutting and pasting: where they work and what they mark
// modified (the list's only sign of an edit).
TEST(FormulaText, Edits) {
    const Case cases[] = {
        {"f i:F i:e i:2 i:, i:+", "Fe2 3>3 c3 m1 =1"}, {"t:aO h i:N", "NaO 1>1 c1 m1 =0"},
        {"t:abcd f { { i:X", "abX 3>3 c3 m1 =0"}, {"t:abc f b h ds b", "b 0>0 c0 m1 =1"},
        {"t:abcd h } b", "bcd 0>0 c0 m1 =0"}, {"t:Fe2O3 s:2,4 x", "Fe 2>2 c2 m0 =0"},
        {"t:Fe2O3 s:2,4 xs", "Fe 2>2 c2 m1 =0"}, {"t:Fe2O3 s:2,3 d", "Fe3 2>2 c2 m1 =0"},
        {"t:Fe2O3 s:2,3 b", "Fe3 2>2 c2 m1 =0"}, {"t:Fe2O3 s:2,3 r:", "Fe2O3 2>4 c4 m1 =1"},
        {"t:Fe2O3 r:N", "Fe2O3 5>5 c5 m0 =1"}, {"t:Fe2O3 s:0,1 r:C+", "Fe2O3 0>2 c2 m0 =1"},
        {"t:Fe2O3 s:0,1 r:N a", "N2O3 1>1 c1 m1 =0"}, {"t:Fe2O3 s:0,0 p:2O3", "2O3e2O3 3>3 c3 m1 =0"},
        {"t:Ba f p:~O_/", "BaO 3>3 c3 m1 =0"}, {"t:Ba f p:Fe/O", "Ba 2>2 c2 m0 =1"},
        {"t:Ba f p:/", "Ba 2>2 c2 m0 =1"}, {"t:Ba f p:Fe2(SO4)3/", "BaFe2(SO4)3 11>11 c11 m1 =0"},
        {"t:Ba f ps:H", "BaH 3>3 c3 m1 =0"}, {"t:Ba f p:___", "Ba 2>2 c2 m0 =1"},
        // Unfocused, the caret -1 takes no part: edits work at the active end.
        {"t:NaCl f h k p:O", "NaClO 5>5 c5 m1 =0"}, {"t:NaCl f h k d", "NaCl 4>4 c4 m1 =1"},
        {"t:NaCl k b", "NaC 3>3 c3 m1 =0"},
    };
    RunCases(cases);
    FormulaText t;
    EXPECT_EQ(EDIT_NONE, t.InsertChar('H', true)) << "not ready";
    EXPECT_EQ(EDIT_NONE, t.Paste("H", 1, true));
    EXPECT_EQ(0, t.Count());
    Ready(t);
    EXPECT_EQ(EDIT_DONE, t.Paste("OH2", 2, false)) << "reads only the given bytes";
    EXPECT_EQ("OH", t.Text());
    EXPECT_TRUE(FormulaText::IsPasteable(" O\r\n", 4));
    EXPECT_FALSE(FormulaText::IsPasteable("\r\n", 2));
}

// One level of undo, exchanged with the snapshot: a second undo redoes.
TEST(FormulaText, UndoExchangesWithTheSnapshot) {
    const Case cases[] = {
        {"f i:H i:2 u", " 0>0 c0 m1 =0"}, {"f i:H i:2 u u", "H2 2>2 c2 m1 =0"}, {"t:NaCl u", " 0>0 c0 m1 =0"},
        {"t:NaCl f b b u", "NaC 3>3 c3 m1 =0"}, {"t:Fe2O3 s:2,4 x u", " 0>0 c0 m1 =0"},
        {"t:Fe2O3 s:2,4 xs u", "Fe2O3 2>5 c5 m1 =0"}, {"t:Fe k un", " 0>0 c0 m1 =0"},
        {"t:Fe f k un f u", "Fe 2>2 c2 m1 =0"}, {"t:Fe k un un", "Fe 2>2 c-1 m1 =0"},
        {"t:Fe f k un f u i:O < b", "FO 1>1 c1 m1 =0"}, {"t:Fe2O3 s:0,1 ps:N u", "Fe2O3 0>2 c2 m1 =0"},
    };
    RunCases(cases);
}

// Each cell's kind and x from its place: a count after a separator is a
// coefficient in the letter font, and deleting the separator makes it a subscript again.
TEST(FormulaText, CellsAreLaidOutByTheirPlaceInTheText) {
    struct Layout { const char *script; const char *kinds; const char *edges; } cases[] = {
        {"t:CuSO4*5H2O", "1111011101", "2 12 22 32 42 48 53 62 72 78 88"},
        {"t:CuSO4\xB7" "5.5H2O", "111101111101", "2 12 22 32 42 48 52 61 70 79 89 95 105"},
        {"t:CuSO4*5H2O s:5,5 d", "111100101", "2 12 22 32 42 48 54 64 70 80"},
        {"t:Ba(NO3)2 h i:O", "111111010", "2 12 22 32 36 46 56 62 66 72"},
        {"t:H2 h p:C", "110", "2 12 22 28"},
    };
    for (const Layout &c : cases) {
        FormulaText t;
        Ready(t);
        Edit(t, c.script);
        std::string kinds, edges;
        for (int i = 0; i < t.Count(); ++i) kinds += char('0' + t.Cell(i).kind);
        for (int i = 0; i <= t.Count(); ++i) edges += (i ? " " : "") + std::to_string(t.PositionOf(i));
        EXPECT_EQ(c.kinds, kinds) << c.script;
        EXPECT_EQ(c.edges, edges) << c.script;
    }
}

// The position a press at x puts the caret at, and the text copied into a
// caller's buffer of n bytes (never more than n written).
TEST(FormulaText, PositionsAndCopies) {
    FormulaText t;
    Ready(t);
    ASSERT_EQ(0, t.SetText("C6H12O6"));  // edges 2 12 18 28 34 40 50 56
    const int at[][2] = {{-20, 0}, {7, 0}, {8, 1}, {15, 1}, {16, 2}, {23, 2}, {24, 3}, {1000, 7}};
    for (const auto &a : at) EXPECT_EQ(a[1], t.IndexAt(a[0])) << "x " << a[0];
    EXPECT_EQ(-1, t.PositionOf(8));
    EXPECT_EQ(56, t.TextRightEdge());
    const struct { size_t n; int copied; const char *text; } copies[] = {
        {1, 0, ""}, {3, 2, "C6"}, {7, 6, "C6H12O"}, {8, 7, "C6H12O6"}, {20, 7, "C6H12O6"}};
    for (const auto &c : copies) {
        char buffer[24];
        memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(c.copied, t.CopyText(buffer, c.n)) << c.n;
        EXPECT_STREQ(c.text, buffer) << c.n;
        EXPECT_EQ('#', buffer[c.copied + 1]) << c.n;
    }
}

}  // namespace
