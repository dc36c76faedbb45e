// The VEXIL control's text model: edits, caret and selection, undo, the
// limit and the layout of the cells, as the control's messages and keys use them.
#include "controls/formulaedit/formulatext.h"

#include <gtest/gtest.h>

#include <cstdint>
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

// Runs a script of edits separated by blanks, each an operation with its
// argument after ':' ('_' a blank, '~' a tab, '/' CR LF in it), on a text made
// ready unless the script starts with '!'. Answers the text, the selection
// (start > end, or start < end when the active end is the start), the caret,
// the modified flag and the last operation's result.
std::string Edit(const std::string &script) {
    FormulaText t;
    if (script[0] != '!') Ready(t);
    std::istringstream in(script);
    std::string op;
    long long result = 0;
    while (in >> op) {
        std::string arg;
        for (size_t i = op.find(':') + 1; i && i < op.size(); ++i)
            arg += op[i] == '_' ? " " : op[i] == '~' ? "\t" : op[i] == '/' ? "\r\n" : std::string(1, op[i]);
        switch (op[0]) {
        case 't': result = t.SetText(arg.c_str()); break;           // WM_SETTEXT
        case 'i': result = t.InsertChar(arg[0], true); break;       // typing
        case 'r': result = t.ReplaceSelection(arg.c_str()); break;  // EM_REPLACESEL
        case 'p': result = t.Paste(arg.c_str(), arg.size(), op[1] == 's'); break;  // p: WM_PASTE, ps: Ctrl+V
        case 's': t.SetSel(std::stoi(arg), std::stoi(arg.substr(arg.find(',') + 1))); break;  // EM_SETSEL
        case 'b': result = t.DeleteBackward(true); break;
        case 'd': result = t.DeleteForward(op[1] == 's'); break;  // d: WM_CLEAR, ds: Delete
        case 'x': t.DeleteSelection(op[1] == 's'); break;          // x: WM_CUT, xs: Ctrl+X
        case '<': case '>': result = t.MoveCaret(op[0] == '<' ? -1 : 1); break;
        case '{': case '}': result = t.ExtendSelection(op[0] == '{' ? -1 : 1); break;
        case 'e': result = t.ExtendTo(std::stoi(arg)); break;  // Shift+Home/End
        case 'h': t.SetCaretAll(0); break;
        case 'a': t.SelectAll(); break;
        case 'u': t.SwapUndo(op[1] != 'n'); break;  // un: without the focus
        case 'f': t.Focus(); break;
        case 'k': t.Blur(); break;
        // EM_LIMITTEXT; "max" is the largest WPARAM (2^32 - 1 or 2^64 - 1).
        case 'l': result = t.SetLimit(arg == "max" ? SIZE_MAX : size_t(std::stoull(arg))); break;
        case 'L': Ready(t, std::stoi(arg)); result = t.Limit(); break;  // the record's limit
        case 'g': result = t.Limit(); break;
        }
    }
    std::ostringstream out;
    out << t.Text() << ' ' << t.SelectionStart() << (t.Active() < t.SelectionEnd() ? '<' : '>')
        << t.SelectionEnd() << " c" << t.Caret() << " m" << t.Modified() << " =" << result;
    return out.str();
}

TEST(FormulaText, Edits) {
    const struct { const char *script, *expected; } cases[] = {
        // WM_SETTEXT: formula characters, blanks dropped, the rest refused whole.
        {"t:_Ba(NO3)_2_", "Ba(NO3)2 8>8 c8 m0 =0"}, {"t:Kept t:H2O+", "Kept 4>4 c4 m0 =1"},
        {"t:Kept t:Fe~O", "Kept 4>4 c4 m0 =1"}, {"t:Kept t:Na\xe9", "Kept 4>4 c4 m0 =1"},
        {"i:H t:CuSO4\xB7" "5H2O", "CuSO4\xB7" "5H2O 10>10 c10 m0 =0"}, {"t:Kept t:___", " 0>0 c0 m0 =0"},
        // The limit: out of 1..256 means 256, never below the length; what passes it is refused whole.
        {"L:0", " 0>0 c0 m0 =256"}, {"L:-5", " 0>0 c0 m0 =256"}, {"L:257", " 0>0 c0 m0 =256"},
        {"L:5 t:Fe2O3H", " 0>0 c0 m0 =1"}, {"l:max g", " 0>0 c0 m0 =256"},
        {"t:Fe2O3 l:4", "Fe2O3 5>5 c5 m0 =0"}, {"t:Fe2O3 l:5 i:H", "Fe2O3 5>5 c5 m1 =2"},
        {"t:Fe2O3 s:0,1 l:4 i:H", "H2O3 1>1 c1 m1 =0"}, {"t:Fe2O3 l:5 s:1,1 i:H", "FH2O3 2>2 c2 m1 =0"},
        {"t:Fe l:3 p:O2", "Fe 2>2 c2 m0 =2"}, {"t:Fe l:4 p:O2", "FeO2 4>4 c4 m1 =0"},
        {"t:Fe2O3 l:5 s:0,1 r:NNN", "Fe2O3 0>2 c2 m0 =2"}, {"t:Fe2O3 l:5 s:0,1 r:NN", "NN2O3 2>2 c2 m1 =0"},
        // Nothing is done before the text is ready.
        {"! i:H", " 0>0 c0 m0 =1"}, {"! p:H", " 0>0 c0 m0 =1"}, {"! l:5", " 0>0 c0 m0 =0"},
        // EM_SETSEL's inclusive end and clamping; the keys that move and extend.
        {"t:C6H12O6 s:4,2", "C6H12O6 2<5 c2 m0 =0"}, {"t:C6H12O6 s:0,-1", "C6H12O6 0>7 c7 m0 =0"},
        {"t:C6H12O6 s:-3,1", "C6H12O6 0>2 c2 m0 =0"}, {"t:C6H12O6 s:100,200", "C6H12O6 6>7 c7 m0 =0"},
        {"t:C6H12O6 s:3,3 s:-1,0", "C6H12O6 4>4 c4 m0 =0"}, {"s:2,4", " 0>0 c0 m0 =0"},
        {"t:C6H12O6 s:4,2 {", "C6H12O6 1<5 c1 m0 =0"}, {"t:C6H12O6 s:0,-1 {", "C6H12O6 0>6 c6 m0 =0"},
        {"t:abcd f { {", "abcd 2<4 c2 m0 =0"}, {"t:abcd f { { <", "abcd 2>2 c2 m0 =0"},
        {"t:abcd h } >", "abcd 1>1 c1 m0 =0"}, {"t:ab h <", "ab 0>0 c0 m0 =1"}, {"t:ab f >", "ab 2>2 c2 m0 =1"},
        {"t:ab f }", "ab 2>2 c2 m0 =1"}, {"t:ab h {", "ab 0>0 c0 m0 =1"}, {"t:ab f k", "ab 2>2 c-1 m0 =0"},
        {"t:ab s:0,0 f", "ab 0>1 c2 m0 =0"},
        // Shift+Home/End: the active end to a clamped position, the anchor kept.
        {"t:abcd s:2,3 e:0", "abcd 0<2 c0 m0 =0"}, {"t:abcd h } } e:4", "abcd 0>4 c4 m0 =0"},
        {"t:ab e:-4", "ab 0<2 c0 m0 =0"}, {"t:ab e:9", "ab 2>2 c2 m0 =1"}, {"t:abc s:0,-1 e:0 i:X", "Xabc 1>1 c1 m1 =0"},
        // Typing, deleting, cutting and pasting, and what they mark modified.
        {"f i:F i:e i:2 i:, i:+", "Fe2 3>3 c3 m1 =1"}, {"t:aO h i:N", "NaO 1>1 c1 m1 =0"},
        {"t:abcd f { { i:X", "abX 3>3 c3 m1 =0"}, {"t:abc f b h ds b", "b 0>0 c0 m1 =1"},
        {"t:abcd h } b", "bcd 0>0 c0 m1 =0"}, {"t:Fe2O3 s:2,4 x", "Fe 2>2 c2 m0 =0"},
        {"t:Fe2O3 s:2,4 xs", "Fe 2>2 c2 m1 =0"}, {"t:Fe2O3 s:2,3 d", "Fe3 2>2 c2 m1 =0"},
        {"t:Fe2O3 s:2,3 b", "Fe3 2>2 c2 m1 =0"}, {"t:Fe2O3 s:2,3 r:", "Fe2O3 2>4 c4 m1 =1"},
        {"t:Fe2O3 r:N", "Fe2O3 5>5 c5 m0 =1"}, {"t:Fe2O3 s:0,1 r:C+", "Fe2O3 0>2 c2 m0 =1"},
        {"t:Fe2O3 s:0,1 r:N a", "N2O3 0>4 c4 m1 =0"}, {"t:Fe2O3 s:0,0 p:2O3", "2O3e2O3 3>3 c3 m1 =0"},
        {"t:Ba f p:~O_/", "BaO 3>3 c3 m1 =0"}, {"t:Ba f p:Fe/O", "Ba 2>2 c2 m0 =1"},
        {"t:Ba f p:/", "Ba 2>2 c2 m0 =1"}, {"t:Ba f p:Fe2(SO4)3/", "BaFe2(SO4)3 11>11 c11 m1 =0"},
        {"t:Ba f ps:H", "BaH 3>3 c3 m1 =0"}, {"t:Ba f p:___", "Ba 2>2 c2 m0 =1"},
        // Unfocused, the caret -1 takes no part: edits work at the active end.
        {"t:NaCl f h k p:O", "NaClO 5>5 c5 m1 =0"}, {"t:NaCl f h k d", "NaCl 4>4 c4 m1 =1"},
        {"t:NaCl k b", "NaC 3>3 c3 m1 =0"},
        // One level of undo, exchanged with the snapshot: a second undo redoes.
        {"f i:H i:2 u", " 0>0 c0 m1 =0"}, {"f i:H i:2 u u", "H2 2>2 c2 m1 =0"}, {"t:NaCl u", " 0>0 c0 m1 =0"},
        {"t:NaCl f b b u", "NaC 3>3 c3 m1 =0"}, {"t:Fe2O3 s:2,4 x u", " 0>0 c0 m1 =0"},
        {"t:Fe2O3 s:2,4 xs u", "Fe2O3 2>5 c5 m1 =0"}, {"t:Fe k un", " 0>0 c0 m1 =0"},
        {"t:Fe f k un f u", "Fe 2>2 c2 m1 =0"}, {"t:Fe k un un", "Fe 2>2 c-1 m1 =0"},
        {"t:Fe f k un f u i:O < b", "FO 1>1 c1 m1 =0"}, {"t:Fe2O3 s:0,1 ps:N u", "Fe2O3 0>2 c2 m1 =0"},
    };
    for (const auto &c : cases) EXPECT_EQ(c.expected, Edit(c.script)) << c.script;

    FormulaText t;
    Ready(t);
    const std::string ones(256, '1');
    EXPECT_EQ(1, t.SetText((ones + "1").c_str()));
    EXPECT_EQ(0, t.SetText(ones.c_str()));
    EXPECT_EQ(EDIT_FULL, t.InsertChar('1', true)) << "256 cells at most";
    t.SetSel(0, -1);
    EXPECT_EQ(EDIT_DONE, t.Paste("OH2", 2, false)) << "reads only the given bytes";
    EXPECT_EQ("OH", t.Text());
    EXPECT_FALSE(FormulaText::IsPasteable("\r\n", 2));
}

// Each cell's kind and x from its place: a count after a separator is a
// coefficient in the letter font, and deleting the separator makes it a
// subscript again.
TEST(FormulaText, CellsAreLaidOutByTheirPlaceInTheText) {
    const struct { const char *text; int del; const char *kinds, *edges; } cases[] = {
        {"CuSO4*5H2O", -1, "1111011101", "2 12 22 32 42 48 53 62 72 78 88"},
        {"CuSO4\xB7" "5.5H2O", -1, "111101111101", "2 12 22 32 42 48 52 61 70 79 89 95 105"},
        {"CuSO4*5H2O", 5, "111100101", "2 12 22 32 42 48 54 64 70 80"},
        {"Ba(NO3)2", 0, "1111010", "2 12 16 26 36 42 46 52"},
    };
    for (const auto &c : cases) {
        FormulaText t;
        Ready(t);
        t.SetText(c.text);
        if (c.del >= 0) t.SetSel(c.del, c.del), t.DeleteForward(false);
        std::string kinds, edges;
        for (int i = 0; i < t.Count(); ++i) kinds += char('0' + t.Cell(i).kind);
        for (int i = 0; i <= t.Count(); ++i) edges += (i ? " " : "") + std::to_string(t.PositionOf(i));
        EXPECT_EQ(c.kinds, kinds) << c.text << " " << c.del;
        EXPECT_EQ(c.edges, edges) << c.text << " " << c.del;
        EXPECT_EQ(t.PositionOf(t.Count()), t.TextRightEdge());
        EXPECT_EQ(-1, t.PositionOf(t.Count() + 1));
    }
}

}  // namespace
