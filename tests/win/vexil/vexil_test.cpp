// The VEXIL control driven as the main dialog and the list control drive it: its library, initialisation and
// edit-control messages (the text model's own rules: tests/unit/formulaedit), and what a person sees and does
// with it: its painting (in pixels, against a reference drawn here with the same fonts), VXM_DRAWFORMULA, the
// keyboard, the mouse and the context menu.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <regex>
#include <string>

#include "tests/support/testbed/controls.h"

using namespace testbed;
using qwintest::Bitmap32;
using qwintest::ClipboardText;
using qwintest::kControl;
using qwintest::kShift;
using qwintest::SetClipboardText;

namespace {

// A second VXM_INITIALIZE of one window ends the process with a message.
TEST(VexilLibrary, SecondInitialisationEndsTheProcess) {
    qwintest::ChildResult r = qwintest::RunInChild([] {
        if (!testbed::LoadVexil()) ::ExitProcess(3);
        qwintest::TestHost host;
        HWND edit = host.CreateChild(VEXIL_CLASS_NAME, "", 0, 0, 0, 200, 30, 1);
        VexilInit init = testbed::MainDialogInit();
        if (::SendMessageA(edit, VXM_INITIALIZE, reinterpret_cast<WPARAM>(&init), 0) != 0) ::ExitProcess(4);
        ::SendMessageA(edit, VXM_INITIALIZE, reinterpret_cast<WPARAM>(&init), 0);
        ::ExitProcess(5);  // not reached
    });
    EXPECT_EQ(1u, r.exitCode) << r.output;
    ASSERT_EQ(1u, r.boxes.size()) << r.output;
    // The object's address, as wide as a pointer of this build.
    const std::string digits = "[0-9A-Fa-f]{" + std::to_string(2 * sizeof(void *)) + "}";
    EXPECT_TRUE(std::regex_match(r.boxes[0].text,
                                 std::regex(R"(Multiple Initialization attempt in VEXIL\((0x)?)" + digits + R"(\)\.)")))
        << r.boxes[0].text;
}

// One control from before VXM_INITIALIZE on, one message a step: its answer, then the text and the modified flag (-1:
// not asked; an undo before the record marks the text modified). Before the record the messages touch no cell array
// and painting still validates the window. arg is the text of WM_SETTEXT and EM_REPLACESEL, the clipboard WM_PASTE
// finds and WM_COPY and WM_CUT leave (they need a selection and mark nothing modified), or what WM_GETTEXT and
// EM_GETLINE write into wParam bytes (EM_GETLINE: their count in the first word), never past them (nullptr: nothing
// written). No message but EM_REPLACESEL takes a snapshot.
TEST_F(VexilTest, MessagesAnswerAsDocumented) {
    Use(host.CreateChild(VEXIL_CLASS_NAME, "", WS_TABSTOP, 10, 60, 300, 30, 1002));
    ::InvalidateRect(edit, nullptr, TRUE);
    qwintest::Bitmap32 image = qwintest::CaptureClient(edit);
    EXPECT_FALSE(::GetUpdateRect(edit, nullptr, FALSE));
    EXPECT_EQ(image.Width() * image.Height(), image.CountColor(RGB(255, 255, 255)));
    VexilInit record = testbed::MainDialogInit();
    record.maxLength = 7;
    const WPARAM seven = reinterpret_cast<WPARAM>(&record), none = WPARAM(-1), most = WPARAM(0xFFFFFFFFu);
    const char *const C6 = "C6H12O6";
    struct Step { UINT message; WPARAM wParam; LPARAM lParam; const char *arg; LRESULT result; const char *text; LRESULT modified; } steps[] = {
        {WM_SETTEXT, 0, 0, "Fe", -1, "", 0}, {WM_GETTEXTLENGTH, 0, 0, "", -1, "", 0}, {WM_GETTEXT, 16, 0, nullptr, -1, "", 0},
        {EM_GETLINE, 10, 0, nullptr, -1, "", 0}, {WM_PASTE, 0, 0, "Fe", 1, "", 0}, {WM_CLEAR, 0, 0, "", 1, "", 0},
        {WM_CUT, 0, 0, "Fe", 1, "", 0}, {EM_REPLACESEL, 0, 0, "Fe", 1, "", 0}, {WM_UNDO, 0, 0, "", 0, "", -1},
        {VXM_INITIALIZE, 0, 0, "", 1, "", -1} /* a null record */, {VXM_INITIALIZE, seven, 0, "", 0, "", -1},
        {EM_GETLIMITTEXT, 0, 0, "", 7, "", -1}, {WM_SETTEXT, 0, 0, C6, 0, C6, 0}, {WM_GETTEXT, 0, 0, nullptr, 8, C6, 0},
        {WM_GETTEXT, 3, 0, "C6", 1, C6, 0}, {WM_GETTEXT, 1, 0, "", -1, C6, 0}, {EM_GETLINE, 30, 0, C6, 7, C6, 0},
        {EM_GETLINE, 7, 0, "C6H12O", 6, C6, 0}, {EM_GETLINE, 1, 0, "", 0, C6, 0}, {WM_SETTEXT, 0, 0, " Fe2O3 ", 0, "Fe2O3", 0},
        {WM_SETTEXT, 0, 0, "H2O+", 1, "Fe2O3", 0}, {WM_COPY, 0, 0, "Fe", 1, "Fe2O3", 0} /* no selection */,
        {WM_CUT, 0, 0, "Fe", 1, "Fe2O3", 0}, {EM_SETSEL, 2, 4, "", 0, "Fe2O3", 0},
        {WM_CUT, 0, 0, "2O3", 0, "Fe", 0}, {EM_SETSEL, 0, 0, "", 0, "Fe", 0}, {WM_PASTE, 0, 0, "2O3", 0, "2O3e", 1},
        {WM_SETTEXT, 0, 0, "Ba", 0, "Ba", 0}, {EM_SETSEL, none, 0, "", 0, "Ba", 0},
        {WM_PASTE, 0, 0, "O2\r\n", 0, "BaO2", 1}, {WM_PASTE, 0, 0, "Fe\r\nO", 1, "BaO2", 1}, {WM_UNDO, 0, 0, "", 0, "", 1},
        {WM_SETTEXT, 0, 0, "Fe2O3", 0, "Fe2O3", 0}, {EM_LIMITTEXT, 4, 0, "", 0, "Fe2O3", 0} /* below the length */,
        {EM_LIMITTEXT, 5, 0, "", 1, "Fe2O3", 0}, {EM_GETLIMITTEXT, 0, 0, "", 5, "Fe2O3", 0}, {EM_SETSEL, 0, 1, "", 0, "Fe2O3", 0},
        {EM_REPLACESEL, 0, 0, "NNNN", 1, "Fe2O3", 0}, {EM_REPLACESEL, 0, 0, "N", 0, "N2O3", 1},
        {EM_LIMITTEXT, most, 0, "", 1, "N2O3", 1}, {EM_GETLIMITTEXT, 0, 0, "", 256, "N2O3", 1},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE("step " + std::to_string(&s - steps) + ", message " + std::to_string(s.message));
        if (s.message == WM_PASTE) SetClipboardText(s.arg);
        const bool text = s.message == WM_SETTEXT || s.message == EM_REPLACESEL, line = s.message == EM_GETLINE;
        const bool reads = line || s.message == WM_GETTEXT;
        char buffer[32];
        memset(buffer, '#', sizeof buffer);
        const WORD n = WORD(s.wParam);
        if (line) memcpy(buffer, &n, sizeof n);
        const LPARAM lParam = reads ? reinterpret_cast<LPARAM>(buffer) : text ? reinterpret_cast<LPARAM>(s.arg) : s.lParam;
        EXPECT_EQ(s.result, Send(s.message, line ? 0 : s.wParam, lParam));
        EXPECT_EQ(s.text, Text());
        if (s.modified >= 0) { EXPECT_EQ(s.modified, Modified()); }
        if (s.message == WM_COPY || s.message == WM_CUT) { EXPECT_EQ(s.arg, ClipboardText()); }
        if (reads && s.arg) { EXPECT_STREQ(s.arg, buffer); }
        for (size_t i = std::max(reads && s.arg ? strlen(s.arg) + 1 : 0, line ? sizeof n : 0); reads && i < sizeof buffer; ++i)
            ASSERT_EQ('#', buffer[i]) << "byte " << i << " written";
    }
    // An undo that brings back the caret -1 of an unfocused control puts it in the text when the control has the
    // focus.
    SetText("Fe");
    ::SetFocus(edit);
    ::SetFocus(nullptr);
    Send(WM_UNDO);  // the snapshot takes the caret -1
    ::SetFocus(edit);
    Key('Z', qwintest::kControl);
    EXPECT_EQ("Fe", Text());
    EXPECT_EQ(testbed::Measure("Fe", record).edges[2], CaretX()) << "the caret stands in the text";
}

// Whatever the fonts, the field (with a selection) and the list's drawing (VXM_DRAWFORMULA) give the picture of one
// TextOut per character, though the control draws runs at once and some glyphs' ink leaves their cell: smoothed or
// black-and-white, whose glyphs can be a pixel wider than the ABC widths.
TEST_F(VexilTest, AnyFontPaintsAsOneCallPerCharacter) {
    const struct { const char *face; int points; BYTE quality; } fonts[] = {
        {"Arial", 80, DEFAULT_QUALITY}, {"Arial", 130, NONANTIALIASED_QUALITY}, {"Arial", 140, DEFAULT_QUALITY},
        {"Times New Roman", 80, DEFAULT_QUALITY}, {"Times New Roman", 90, DEFAULT_QUALITY}, {"Courier New", 100, DEFAULT_QUALITY}};
    const char *const texts[] = {"yq4P0*FjXwz", "Ff(Jj)Vv2AV7Wy", "CuSO4\xB7" "5H2O", "Sr0.5Ba0.5TiO3"};
    for (const auto &f : fonts) {
        auto make = [&f](CFont &font, int points) {
            CFont plain;
            plain.CreatePointFont(points, f.face);
            LOGFONTA logFont;
            ::GetObjectA(plain, sizeof logFont, &logFont);
            logFont.lfQuality = f.quality;
            font.CreateFontIndirect(&logFont);
        };
        CFont letter, digit;
        make(letter, f.points);
        make(digit, f.points * 9 / 14);
        Recreate(400, VexilInit{256, letter, digit, 0, -5, 2, 1});
        for (const char *text : texts) {
            SCOPED_TRACE(std::string(f.face) + " " + std::to_string(f.points) + " quality " + std::to_string(f.quality) + ": " + text);
            SetText(text);
            Send(EM_SETSEL, 2, 5);
            Bitmap32 image = qwintest::CaptureClient(edit);
            EXPECT_TRUE(Reference(image, text, init, 2, 6).Pixels() == image.Pixels()) << "selected";
            const VexilDraw request = {text, static_cast<int32_t>(strlen(text)), init.leftMargin, 0, 1000,
                                       ::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_WINDOW)};
            Bitmap32 drawn = qwintest::RenderToBitmap(image.Width(), image.Height(), [&](CDC &dc) {
                Send(VXM_DRAWFORMULA, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), reinterpret_cast<LPARAM>(&request));
            });
            EXPECT_TRUE(drawn.Pixels() == Reference(image, text, init, 0, 0).Pixels()) << "drawn for the list";
        }
    }
}

VexilDraw Request(const char *text, int length, int right) { return {text, length, 10, 0, right, 0, RGB(255, 255, 255)}; }

// VXM_DRAWFORMULA draws only whole characters ending left of the limit, and no non-formula text; a cut formula ends a
// pixel before a mark in the last 4 pixels before the limit; the caller's DC comes back as it was given.
TEST_F(VexilTest, DrawFormulaCutsAtTheRightLimit) {
    const char *text = "Ba(NO3)2";
    VexilInit at10 = init;
    at10.leftMargin = 10;
    const std::vector<int> e = Measure(text, at10).edges;
    struct Case { VexilDraw request; LRESULT drawn; bool marked; } cases[] = {
        {Request(text, 8, e[3] + 4), 2, true}, {Request(text, 8, e[3] + 5), 3, true}, {Request(text, 8, e[1] + 4), 0, true},
        {Request(text, 8, 1000), 8, false},    {Request(text, 8, e[8]), 8, false},    {Request(text, 5, 1000), 5, false},
        {Request(text, -2, 1000), 0, false},   {Request("Ba 2", 4, 1000), 0, false},  {Request("Ba\xb2", 3, 1000), 0, false},
        {Request("Ba\0" "2", 4, 1000), 0, false},
    };
    for (const Case &c : cases) {
        LRESULT result = -1;
        std::string name = std::string(c.request.text) + " right " + std::to_string(c.request.right);
        HGDIOBJ font = ::GetStockObject(ANSI_FIXED_FONT);
        Bitmap32 image = qwintest::RenderToBitmap(320, 40, [&](CDC &dc) {
            dc.SelectObject(font);
            dc.SetTextColor(RGB(1, 2, 3));
            dc.SetBkColor(RGB(4, 5, 6));
            result = Send(VXM_DRAWFORMULA, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), reinterpret_cast<LPARAM>(&c.request));
            EXPECT_TRUE(font == ::GetCurrentObject(dc, OBJ_FONT) && dc.GetTextColor() == RGB(1, 2, 3) &&
                        dc.GetBkColor() == RGB(4, 5, 6) && ::GetBkMode(dc) == OPAQUE) << name << ": the DC not given back";
        });
        EXPECT_EQ(c.drawn, result) << name;
        int blankTo = c.marked ? c.request.right - 4 : 320;
        EXPECT_EQ(-1, InkRows(image, e[c.drawn], blankTo).first) << name << ": ink past the last whole character";
        EXPECT_EQ(-1, InkRows(image, std::min(c.request.right + 1, 320), 320).first) << name << ": ink past the limit";
        EXPECT_TRUE(!c.marked || InkRows(image, blankTo, c.request.right + 1).first >= 0) << name << ": no cut mark";
        EXPECT_TRUE(c.drawn == 0 || InkRows(image, e[c.drawn - 1], e[c.drawn]).first >= 0) << name << ": last character missing";
    }
}

// Characters come from WM_CHAR only (key downs type nothing, so a keystroke never types twice); keys move, select,
// delete and use the clipboard, their edits marked modified, the list's only sign of an edit (each edit's rules:
// tests/unit/formulaedit), Shift+Home/End and Ctrl+A select as the system's edit field does. Ctrl+Shift+J posts the
// editor signal to the parent.
TEST_F(VexilTest, Keyboard) {
    struct Case { const char *start; std::vector<KeyPress> keys; const char *text, *selection; LRESULT modified; } cases[] = {
        {"", {Char('F'), Char('+'), Char('e'), Char(' '), Char('2'), Char('\x03'), Char('('), Char('\r'), Char('.'), Char('\t'), Char(')'),
              Char('\x1b'), Char('*'), Char('\xe4'), Char('\xb7'), Char('\xb2'), Char(',')}, "Fe2(.)*\xb7", "none", 1},
        {"", {Down('A'), Down('9', kShift), Down('0', kShift), Down(VK_NUMPAD1), Down(VK_OEM_PERIOD),
              Down(VK_DECIMAL), Down('J', kShift | kControl)}, "", "none", 0},
        {"", {Char('C'), Down(VK_DECIMAL), Char(','), Char('5'), Down(VK_SEPARATOR), Char(','), Char('1'),
              Down(VK_OEM_COMMA), Char(',')}, "C.5.1", "none", 1},
        {"aO", {Down(VK_HOME), Char('N'), Down(VK_END), Char('X')}, "NaOX", "none", 1},
        {"bc", {Down(VK_LEFT, kControl), Char('a'), Down(VK_RIGHT, kControl), Char('d')}, "abcd", "none", 1},
        {"abcd", {Down(VK_LEFT, kShift), Down(VK_LEFT, kShift), Down(VK_LEFT), Down(VK_RIGHT, kShift)}, "abcd", "2..2", 0},
        {"abc", {Down(VK_BACK), Down(VK_HOME), Down(VK_DELETE), Down(VK_BACK)}, "b", "none", 1},
        {"Fe2O3", {Down(VK_LEFT, kShift), Down('C', kControl), Down(VK_HOME), Down('V', kControl), Down(VK_RIGHT, kShift),
                   Down('X', kControl), Down(VK_END), Down('V', kControl)}, "3e2O3F", "none", 1},
        {"Fe", {Down(VK_BACK), Down('Z', kControl)}, "Fe", "none", 1},
        // Shift+Home/End select from the anchor, which stays where the selection began; Ctrl+A selects all.
        {"abcd", {Down(VK_LEFT), Down(VK_LEFT), Down(VK_END, kShift), Down(VK_HOME, kShift)}, "abcd", "0..1", 0},
        {"NaCl", {Down(VK_HOME), Down(VK_RIGHT), Down(VK_END, kShift | kControl), Char('O')}, "NO", "none", 1},
        {"Fe2O3", {Down(VK_HOME), Down('A', kControl)}, "Fe2O3", "0..4", 0},
    };
    ::SetFocus(edit);
    MSG msg;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("from '") + c.start + "', case " + std::to_string(&c - cases));
        SetText(c.start);
        qwintest::SetClipboardText("N");
        Press(c.keys);
        EXPECT_EQ(c.text, Text());
        EXPECT_EQ(c.selection, Selection());
        EXPECT_EQ(c.modified, Modified());
        bool signal = &c == &cases[1];
        EXPECT_EQ(signal, ::PeekMessageA(&msg, host, VXN_EDITORSIGNAL, VXN_EDITORSIGNAL, PM_REMOVE) != 0);
        EXPECT_TRUE(!signal || (msg.wParam == 0 && msg.lParam == 0));
    }
    // Tab and Shift+Tab go to the next and previous tab stop and select all its text; the control left behind keeps
    // no selection.
    EXPECT_EQ(DLGC_WANTALLKEYS, Send(WM_GETDLGCODE, VK_TAB));
    HWND other = host.CreateChild(VEXIL_CLASS_NAME, "", WS_TABSTOP, 10, 50, 200, 30, 1002);
    ::SendMessageA(other, VXM_INITIALIZE, reinterpret_cast<WPARAM>(&init), 0);
    ::SendMessageA(other, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("H2O"));
    SetText("NaCl");
    Key(VK_TAB);
    EXPECT_TRUE(other == ::GetFocus() && SelectionOf(other) == "0..2" && Selection() == "none");
    EXPECT_EQ(Measure("H2O", init).edges[3], CaretX()) << "the caret at the end";
    qwintest::SendKeyDown(other, VK_TAB, kShift);
    EXPECT_TRUE(edit == ::GetFocus() && Selection() == "0..3");
}

// A press puts the caret before the first character whose middle is right of it; dragging from right to left selects
// backwards; a double click selects everything; the right button opens the context menu.
TEST_F(VexilTest, MouseAndContextMenu) {
    SetText("C6H12O6");
    Layout layout = Measure("C6H12O6", init);
    auto middle = [&](int i) { return (layout.edges[i] + layout.edges[i + 1]) / 2; };
    struct Case { int x, position; } cases[] = {{-20, 0}, {middle(2), 2}, {middle(2) + 1, 3}, {1000, 7}};
    for (const Case &c : cases) {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, 5));
        EXPECT_TRUE(edit == ::GetCapture() && layout.edges[c.position] == CaretX()) << "x " << c.x;
        Send(WM_LBUTTONUP, 0, MAKELPARAM(c.x, 5));
        EXPECT_EQ(nullptr, ::GetCapture()) << "released with the button";
    }
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(layout.edges[5], 5));
    POINT to = {layout.edges[2], 5};
    ::ClientToScreen(edit, &to);
    ::SetCursorPos(to.x, to.y);
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(layout.edges[2], 5));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(layout.edges[2], 5));
    EXPECT_EQ("2..4", Selection());
    EXPECT_EQ(layout.edges[2], CaretX()) << "the caret at the end dragged to";
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(layout.edges[3], 5));
    EXPECT_EQ("0..6", Selection());

    // The right button's menu: without a selection only Paste is offered, the button takes the focus and the menu's
    // paste is undoable; a selection offers Copy, Cut and Delete, and a clipboard of no formula greys Paste.
    SetText("Fe");
    ::SetFocus(nullptr);
    qwintest::SetClipboardText("2O3");
    EXPECT_EQ("Copy-1 Cut-2 Delete-3 Paste+4 ", qwintest::PickFromContextMenu(edit, 4));
    EXPECT_TRUE(edit == ::GetFocus() && Text() == "Fe2O3");
    Send(WM_UNDO);
    EXPECT_EQ("Fe", Text()) << "the menu's paste takes a snapshot";

    SetText("Fe2O3");
    Send(EM_SETSEL, 0, 1);
    qwintest::SetClipboardText("H2O+");
    EXPECT_EQ("Copy+1 Cut+2 Delete+3 Paste-4 ", qwintest::PickFromContextMenu(edit, 1));  // picks Copy
    EXPECT_EQ("Fe", qwintest::ClipboardText());
}

// A formula wider than the field scrolls sideways: every character is kept, the caret stays in the field, the picture
// is the whole text's picture shifted by the scroll, and a press selects by what is shown.
TEST_F(VexilTest, LongFormulaScrollsSideways) {
    Recreate(100, init);
    std::string formula;
    for (int i = 0; i < 16; ++i) formula += "H2O";
    const std::vector<int> e = Measure(formula, init).edges;
    ::SetFocus(edit);
    Type(formula);
    struct Case { std::vector<KeyPress> keys; int position; } cases[] = {
        {{}, 48}, {{Down(VK_HOME)}, 0}, {{Down(VK_RIGHT), Down(VK_RIGHT)}, 2}, {{Down(VK_RIGHT, kControl), Down(VK_BACK), Down(VK_BACK)}, 46}};
    for (const Case &c : cases) {
        Press(c.keys);
        int x = CaretX(), scroll = e[c.position] - x;
        std::string name = "caret at " + std::to_string(c.position);
        EXPECT_TRUE(x >= init.leftMargin && x <= 100 - init.rightMargin - 1 && scroll >= 0) << name << ": x " << x;
        VexilInit shifted = init;
        shifted.leftMargin -= scroll;
        ::HideCaret(edit);
        Bitmap32 image = qwintest::CaptureClient(edit);
        ::ShowCaret(edit);
        EXPECT_TRUE(Reference(image, Text(), shifted, 0, 0).Pixels() == image.Pixels()) << name;
    }
    // A press at the shown place of a character's left edge puts the caret before it.
    const int scroll = e[46] - CaretX();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(e[40] - scroll + 1, 5));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(e[40] - scroll + 1, 5));
    EXPECT_EQ(e[40] - scroll, CaretX()) << "pressed in the scrolled field";
    // Made wide enough for the whole text (as the main window does when it is enlarged), the field shows it all from
    // the left margin again.
    SetText(formula.substr(0, 30).c_str());
    ASSERT_LT(CaretX(), e[30]) << "scrolled before widening";
    ::MoveWindow(edit, 10, 10, e[30] + init.rightMargin + 2, 30, TRUE);
    ::HideCaret(edit);
    Bitmap32 wide = qwintest::CaptureClient(edit);
    EXPECT_TRUE(Reference(wide, Text(), init, 0, 0).Pixels() == wide.Pixels()) << "scrolled after widening";
}

// A field lower than the letters and their subscripts moves the text up, so the digits stay whole inside (their foot
// as far below the letters' as in a roomy field); a field of room enough keeps the given top.
TEST_F(VexilTest, SubscriptsStayInsideALowField) {
    const Layout layout = Measure("Fe2", init);
    const int room = layout.caretBottom;
    int drop = -1;  // the 2's foot below the F's, in the roomy field
    for (int height : {room + 4, room, room - 3}) {
        Use(host.CreateChild(VEXIL_CLASS_NAME, "", 0, 10, 60, 200, height, 1002));
        ASSERT_EQ(0, Send(VXM_INITIALIZE, reinterpret_cast<WPARAM>(&init)));
        SetText("Fe2Cu");
        Bitmap32 image = qwintest::CaptureClient(edit);
        std::pair<int, int> two = InkRows(image, layout.edges[2] + 1, layout.edges[3] - 1);
        std::pair<int, int> f = InkRows(image, layout.edges[0] + 1, layout.edges[1] - 1);
        ASSERT_GE(two.first, 0) << height;
        if (drop < 0) drop = two.second - f.second;
        EXPECT_EQ(drop, two.second - f.second) << "the 2 is cut at the bottom of a field " << height << " high";
        EXPECT_GT(f.first, 0) << "the F is cut at the top of a field " << height << " high";
        EXPECT_TRUE(height < room || layout.baseline - 1 == f.second) << "moved although the field had room, height " << height;
        ::DestroyWindow(edit);
    }
}

}  // namespace
