// The list's library, initialisation and row messages, driven as the main dialog drives them, and editing the
// list as a person does: clicks, typing, keys, focus and the scroll bar, with the rows, the open cell, message
// boxes and the parent's notifications checked. Every editor here is opened well after the list's creation
// messages have returned (the editors outlive the temporary wrappers of those messages).
#include <windows.h>

#include <climits>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/testbed/controls.h"

using fwtest::Message;
using testbed::LedraHost;
using testbed::LedraTest;

namespace {

// Each broken initialisation contract ends the process with exit code 1 after one message box with the library's
// caption and the exclamation icon.
struct InitFailure {
    const char *text;
    void (*breakIt)(LedraHost &);  // spoils the record or the set-up; LDM_INITIALIZE follows
};

class LedraInitFailure : public ::testing::TestWithParam<InitFailure> {};

TEST_P(LedraInitFailure, ShowsTheMessageAndEndsTheProcess) {
    qwintest::ChildResult r = qwintest::RunInChild([] {
        if (testbed::LoadLedra() == nullptr) ::ExitProcess(3);
        LedraHost host;
        host.FillRecord();
        GetParam().breakIt(host);
        host.Initialise();
        ::ExitProcess(5);  // not reached
    });
    EXPECT_EQ(1u, r.exitCode) << r.output;
    ASSERT_EQ(1u, r.boxes.size()) << r.output;
    EXPECT_EQ(GetParam().text, r.boxes[0].text);
    EXPECT_TRUE(r.boxes[0].caption == "LEDRA" && r.boxes[0].icon == qwintest::BoxIcon::Exclamation) << r.boxes[0].caption;
}

int Reject(const char *) { return 0; }
int Closing() { return 1; }

INSTANTIATE_TEST_SUITE_P(
    Ledra, LedraInitFailure,
    ::testing::Values(
        InitFailure{"NULL parameter passed to Initialization.", [](LedraHost &h) { h.init.parent = nullptr; }},
        InitFailure{"NULL parameter passed to Initialization.",
                    [](LedraHost &h) { ::SendMessageA(h.list, LDM_INITIALIZE, 0, 0); }},
        InitFailure{"Initialization attempt by non-parent.", [](LedraHost &h) { h.init.parent = h.product; }},
        InitFailure{"Multiple initialization attempt.", [](LedraHost &h) { h.Initialise(); }},
        InitFailure{"Vexil initialization attempt failed.", [](LedraHost &h) { h.init.vexilInit = nullptr; }},
        InitFailure{"Application closing function pointer is NULL.", [](LedraHost &h) { h.init.isClosing = nullptr; }},
        InitFailure{"Application closing indicator has wrong value.", [](LedraHost &h) { h.init.isClosing = Closing; }},
        InitFailure{"Formula check function pointer is NULL.", [](LedraHost &h) { h.init.formulaCheck = nullptr; }},
        InitFailure{"Given Formula check function doesn't function properly.",
                    [](LedraHost &h) { h.init.formulaCheck = Reject; }},
        // Without the VEXIL class the list cannot make its formula editor.
        InitFailure{"Failed to subclass VEXIL in Ledra.DLL.", [](LedraHost &h) {
                        ::DestroyWindow(h.dialog);  // no VEXIL window may be left
                        ::UnregisterClassA(VEXIL_CLASS_NAME, ::GetModuleHandleA("VEXIL.DLL"));
                        qwintest::TestHost plain;
                        plain.CreateChild(LEDRA_CLASS_NAME, "", WS_BORDER | WS_VSCROLL, 0, 0, 300, 200, 1005);
                    }}));

// Without VEXIL.DLL the library loads and registers its class, showing nothing, but no list window can be made: its
// creation says so and fails. The child is a copy of this program in a folder holding LEDRA.DLL alone.
TEST(LedraLibrary, NoListWithoutVexil) {
    std::string folder = qwintest::ArtifactPath("no-vexil");
    ::CreateDirectoryA(folder.c_str(), nullptr);
    std::string copy = folder + "\\ledra_tests.exe";
    ASSERT_TRUE(::CopyFileA(qwintest::ProgramPath().c_str(), copy.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileA((qwintest::ProgramFolder() + "LEDRA.DLL").c_str(), (folder + "\\LEDRA.DLL").c_str(), FALSE));
    qwintest::ChildResult r = qwintest::RunInChild(
        [] {
            ::SetCurrentDirectoryA(qwintest::ProgramFolder().c_str());
            HMODULE ledra = ::LoadLibraryA("LEDRA.DLL");
            WNDCLASSA wc;
            if (ledra == nullptr || !::GetClassInfoA(nullptr, LEDRA_CLASS_NAME, &wc)) ::ExitProcess(6);
            HWND list = ::CreateWindowExA(0, LEDRA_CLASS_NAME, "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                          nullptr, nullptr);
            ::ExitProcess(list == nullptr ? 0 : 7);
        },
        copy);
    EXPECT_EQ(0u, r.exitCode) << r.output;
    ASSERT_EQ(1u, r.boxes.size()) << r.output;
    EXPECT_EQ("Failed to load VEXIL.DLL.", r.boxes[0].text);  // captioned as ShowsTheMessageAndEndsTheProcess's
}

// Row messages answer for rows 0..29 only; other indexes touch nothing. Before LDM_INITIALIZE there are no rows at
// all, nothing is drawn and clicks and the scroll bar do nothing. LDM_GETROWS hands out the store's own rows (the
// store's normalisation is tested natively).
TEST_F(LedraTest, RowMessagesStayWithinTheRows) {
    SetRow(29, "CuO", 3.0, 1);
    EXPECT_TRUE(Formula(29) == "CuO" && Ratio(29) == 3.0 && Fixed(29) == 1);
    CString text("BaO");
    double ratio = 2.0;
    for (WPARAM index : {WPARAM(30), WPARAM(-1), WPARAM(UINT_MAX), WPARAM(INT_MIN)}) {
        SCOPED_TRACE(index);
        for (UINT message : {LDM_GETFORMULA, LDM_GETRATIO, LDM_GETROW}) EXPECT_EQ(0, Send(message, index));
        EXPECT_EQ(0, Send(LDM_SETFORMULA, index, reinterpret_cast<LPARAM>(&text)));
        EXPECT_EQ(0, Send(LDM_SETRATIO, index, reinterpret_cast<LPARAM>(&ratio)));
        EXPECT_EQ(0, Send(LDM_SETFIXED, index, 1));
    }
    SetRow(6, "Y2O3", UNDETERMINED_RATIO, 1);
    LedraRow *pointers[2] = {};
    LedraRowList request = {2, -1, pointers};
    ASSERT_EQ(0, Send(LDM_GETROWS, 2, reinterpret_cast<LPARAM>(&request)));
    EXPECT_EQ(reinterpret_cast<LedraRow *>(Send(LDM_GETROW, 6)), pointers[0]);
    EXPECT_EQ(reinterpret_cast<LedraRow *>(Send(LDM_GETROW, 29)), pointers[1]);
    EXPECT_EQ(1, Send(LDM_GETUNFIXEDCOUNT));

    LedraHost bare;
    ::InvalidateRect(bare.list, nullptr, TRUE);
    ::UpdateWindow(bare.list);
    EXPECT_FALSE(::GetUpdateRect(bare.list, nullptr, FALSE)) << "painting validates";
    EXPECT_EQ(0, ::SendMessageA(bare.list, LDM_GETROW, 0, 0));
    EXPECT_EQ(0, ::SendMessageA(bare.list, LDM_GETCAPACITY, 0, 0));
    EXPECT_EQ(-1, ::SendMessageA(bare.list, LDM_GETCURRENTROW, 0, 0));
    ::SendMessageA(bare.list, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(0, ::GetScrollPos(bare.list, SB_VERT));
    ::SendMessageA(bare.list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 5));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(bare.list, 101)));
}

// Ratio texts: one number, blank (0), or "?" first (the parent is asked, once, to determine the ratios). The parent
// may answer "?" with a modal loop: the focus changes it brings commit nothing more, and the cell closes once the
// parent has returned.
TEST_F(LedraTest, RatioCommit) {
    const std::string longOne = "1" + std::string(98, '0') + "e-98";  // 1, read whole
    const char *refused = "Wrong format for ratio of Starting Material!", *modal = "Ratios determined.";
    struct Case { const char *typed; double stored; bool asks; const char *box; } cases[] = {
        {"2.50", 2.5, false, nullptr}, {" -3 ", -3.0, false, nullptr}, {"", 0.0, false, nullptr},
        {"?", 7.0, true, nullptr},     {"?x", 7.0, true, nullptr},     {" ?", 7.0, false, refused},
        {"1e999", 7.0, false, refused}, {"2,5", 7.0, false, refused},  {"?", 7.0, true, modal},
        // strtod spellings: "nan" acted as "?", "0x10" stored 16.
        {"nan", 7.0, false, refused},  {"inf", 7.0, false, refused},  {"0x10", 7.0, false, refused},
        {longOne.c_str(), 1.0, false, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        SetRow(2, "CuO", 7.0, 1);
        fwtest::g_recorded.clear();
        testbed::g_boxOnAutoRatio = c.box == modal;
        Click(2, 2);
        ASSERT_EQ("3:R", OpenCell());
        EXPECT_EQ("7", qwintest::WindowText(RatioEditor()));
        Type(c.typed);
        qwintest::MessageBoxWatcher boxes;
        Click(5, 1);
        EXPECT_EQ(c.stored, Ratio(2));
        std::vector<Message> asked;
        if (c.asks) asked.push_back({WM_COMMAND, MAKEWPARAM(IDC_LIST, LDN_AUTORATIO), reinterpret_cast<LPARAM>(list)});
        EXPECT_EQ(asked, fwtest::g_recorded);
        ASSERT_EQ(c.box ? 1u : 0u, boxes.Count());
        EXPECT_EQ(c.box ? c.box : "", boxes.Count() ? boxes[0].text : "");
        if (c.box == refused) {
            EXPECT_EQ("3:R", OpenCell());
            Type("7");
            Click(5, 1);
        }
        EXPECT_EQ("6:F", OpenCell());
    }
    // Leaving an opened cell untyped stores nothing, even an unused row's ratio.
    SetRow(4, "", 1e308, 0);
    Click(4, 2);
    EXPECT_EQ("1e+308", qwintest::WindowText(RatioEditor()));
    Key(VK_RETURN);
    EXPECT_EQ(1e308, Ratio(4));
}

// A formula is checked and stored on Enter, which opens the ratio cell of the same row (an emptied cell needs no
// check); stored and different from the row's before, it tells the parent once the cell has closed, LDM_GETCURRENTROW
// answering that row however the cell was left; a modal box of the parent's in the middle stores nothing more, and
// the cell the user went to opens after it. A rejected formula keeps its cell open with the whole text selected and
// stores nothing, whichever way the cell is left: no other cell opens and the list does not scroll. Nothing is
// checked while the program closes.
TEST_F(LedraTest, FormulaCommit) {
    const char *refused = "Wrong format for Starting Material!", *modal = "Ratios determined.";
    enum Leave { ENTER, CLICK, SCROLL_BAR, WHEEL };
    const std::function<void()> leave[] = {
        [&] { Key(VK_RETURN); }, [&] { Click(5, 1); }, [&] { Send(WM_VSCROLL, SB_LINEDOWN); },
        [&] { ::SendMessageA(FormulaEditor(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0); }};
    struct Case { const char *before, *typed; Leave way; const char *box, *stored; bool tells; const char *open; };
    const Case cases[] = {
        {"", "CuO", ENTER, nullptr, "CuO", true, "3:R"},   {"CuO", "BaO", CLICK, nullptr, "BaO", true, "6:F"},
        {"CuO", "", ENTER, nullptr, "", true, "3:R"},      {"CuO", "CuO", ENTER, nullptr, "CuO", false, "3:R"},
        {"CuO", "2H", ENTER, refused, "CuO", false, "3:F"}, {"CuO", "2H", CLICK, refused, "CuO", false, "3:F"},
        {"", "2H", SCROLL_BAR, refused, "", false, "3:F"},  {"", "2H", WHEEL, refused, "", false, "3:F"},
        {"", "CuO", CLICK, modal, "CuO", true, "6:F"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.before) + " -> " + c.typed + ", way " + std::to_string(c.way));
        SetRow(2, c.before, 1.0, 0);
        testbed::g_boxOnAutoRatio = c.box == modal;
        Click(2, 1);
        Type(c.typed);
        fwtest::g_recorded.clear();
        const int checks = testbed::g_checks;
        qwintest::MessageBoxWatcher boxes;
        leave[c.way]();
        std::vector<Message> told;
        if (c.tells)
            told = {{WM_COMMAND, MAKEWPARAM(IDC_LIST, LDN_FORMULACOMMITTED), reinterpret_cast<LPARAM>(list)},
                    {LDM_GETCURRENTROW, 2, 0}};
        EXPECT_EQ(told, fwtest::g_recorded);
        EXPECT_EQ(c.stored, Formula(2));
        ASSERT_EQ(c.box ? 1u : 0u, boxes.Count());
        EXPECT_EQ(c.box ? c.box : "", boxes.Count() ? boxes[0].text : "");
        EXPECT_EQ(c.open, OpenCell());
        EXPECT_TRUE(*c.typed || checks == testbed::g_checks) << "an emptied cell needs no check";
        if (c.box != refused) continue;
        EXPECT_TRUE(boxes[0].caption == "Quillon " && boxes[0].icon == qwintest::BoxIcon::Hand);
        EXPECT_TRUE(::GetFocus() == FormulaEditor() && Top() == 0) << "focused, not scrolled";
        int first = -1, last = -1;
        ::SendMessageA(FormulaEditor(), EM_GETSEL, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&last));
        EXPECT_EQ("0..1", std::to_string(first) + ".." + std::to_string(last)) << "the whole text selected";
        Type("");
        Key(VK_RETURN);  // emptied, the cell closes unchecked
    }
    // While the program closes, leaving an invalid cell shows nothing and stores nothing.
    Click(3, 1);
    Type("2H");
    testbed::g_closing = 1;
    ::SetFocus(::GetDlgItem(host.dialog, IDC_AMOUNT));
    qwintest::PumpMessages();
    EXPECT_EQ("", Formula(3));
}

// Enter, Up and Down walk the cells in reading order, scrolling at the edges, and stop without a commit at the first
// and last cells; page keys move the rows under the open cell, which keeps its place on screen (with nothing to move
// it stays open with its text); Ctrl+Home and Ctrl+End open the first and the last row's cell; the scroll bar closes
// it.
TEST_F(LedraTest, KeysWalkTheCellsAndPageTheRows) {
    const int end = visibleRows - 1, last = 30 - visibleRows;
    auto ratioCell = [](int row) { return std::to_string(row) + ":R"; };
    // A press in the ratio cell of screen row click (-1: none), a text typed, then the key.
    struct Step { int click; const char *typed; UINT vk; unsigned modifiers; std::string open; int top; } steps[] = {
        {-1, "", VK_DOWN, 0, "1:R", 0}, {-1, "", VK_DOWN, 0, "2:F", 0}, {-1, "", VK_UP, 0, "1:R", 0},
        {-1, "", VK_RETURN, qwintest::kShift, "1:F", 0}, {-1, "", VK_UP, 0, "1:F", 0},
        {-1, "", VK_RETURN, qwintest::kControl, "1:R", 0},
        {end, "", VK_RETURN, 0, std::to_string(visibleRows + 1) + ":F", 1},
        {2, "9", VK_NEXT, 0, ratioCell(visibleRows + 4), visibleRows + 1},
        {-1, "", VK_HOME, qwintest::kControl, "1:R", 0},
        {-1, "7", VK_PRIOR, 0, "1:R", 0},
        {-1, "", VK_END, qwintest::kControl, "30:R", last},
        {-1, "5", VK_DOWN, 0, "30:R", last},
    };
    Click(0, 1);
    for (const Step &s : steps) {
        if (s.click >= 0) Click(s.click, 2);
        if (*s.typed) Type(s.typed);
        Key(s.vk, s.modifiers);
        EXPECT_EQ(s.open, OpenCell()) << "key " << s.vk << " to " << s.open;
        EXPECT_EQ(s.top, Top()) << "key " << s.vk << " to " << s.open;
    }
    EXPECT_EQ(9.0, Ratio(3));
    EXPECT_EQ(7.0, Ratio(0)) << "the text of the cell kept open, stored by Ctrl+End";
    EXPECT_EQ(1.0, Ratio(29)) << "no commit at the last cell";
    EXPECT_EQ("5", qwintest::WindowText(RatioEditor()));

    struct Scroll { WPARAM code; int from, to; } scrolls[] = {
        {SB_LINEDOWN, last, last}, {SB_PAGEDOWN, last - 3, last}, {MAKEWPARAM(SB_THUMBTRACK, 3), 0, 0},
    };
    for (const Scroll &s : scrolls) {
        Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, s.from));
        Send(WM_VSCROLL, s.code);
        EXPECT_EQ(s.to, Top()) << "code " << LOWORD(s.code) << " from " << s.from;
    }
    EXPECT_EQ("none", OpenCell());
}

// Home and End (with Shift: select) move the caret in either open cell, as in any text field, and never the list: the
// same keys in a formula and a ratio cell opened in a scrolled list, each followed by a typed character.
TEST_F(LedraTest, HomeAndEndStayInTheCell) {
    const struct { UINT vk; unsigned modifiers; } caretKeys[][3] = {
        {{VK_HOME, 0}}, {{VK_END, 0}}, {{VK_LEFT, 0}, {VK_HOME, qwintest::kShift}},
        {{VK_HOME, 0}, {VK_RIGHT, 0}, {VK_END, qwintest::kShift}},
    };
    const char *typed = "1234";
    const char *expected[2][4] = {{"1Fe2O3", "1Fe2O32", "32", "34"}, {"112.5", "112.52", "32", "34"}};
    SetRow(6, "Fe2O3", 12.5, 0);
    for (int column : {1, 2}) {
        SCOPED_TRACE(column == 1 ? "formula" : "ratio");
        Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 5));
        Click(1, column);
        const std::string open = column == 1 ? "7:F" : "7:R";
        ASSERT_EQ(open, OpenCell());
        for (int i = 0; i < 4; ++i) {
            for (const auto &k : caretKeys[i])
                if (k.vk != 0) Key(k.vk, k.modifiers);
            ::SendMessageA(::GetFocus(), WM_CHAR, static_cast<unsigned char>(typed[i]), 0);
            EXPECT_EQ(expected[column - 1][i], qwintest::WindowText(::GetFocus())) << "keys " << i;
            EXPECT_EQ(open, OpenCell()) << "keys " << i;
            EXPECT_EQ(5, Top()) << "keys " << i;
        }
        Type(column == 1 ? "Fe2O3" : "12.5");
        Key(VK_RETURN);
    }
}

// Tab and Shift+Tab walk number, formula and ratio cells; Space in a number cell switches its row's mark; the list is
// entered at the current row's formula cell and left at the ends of the rows, or at once with Ctrl.
TEST_F(LedraTest, TabWalksTheCellsAndLeavesAtTheEnds) {
    SetRow(0, "BaCO3", 1.0, 0);
    SetRow(1, "TiO2", 1.0, 0);
    HWND amount = ::GetDlgItem(host.dialog, IDC_AMOUNT);
    ::SetWindowTextA(amount, "12");
    auto where = [&]() -> std::string {
        HWND focus = ::GetFocus();
        if (focus == list) return "#";  // a number cell: the list holds the focus itself
        if (focus == amount || focus == host.product) return focus == amount ? "amount" : "product";
        return OpenCell();
    };
    const unsigned S = qwintest::kShift, C = qwintest::kControl;
    // vk 0: the focus given to the list from outside. fixed: row 1 and 2's marks after the step.
    struct Step { UINT vk; unsigned modifiers; const char *typed; const char *at; const char *fixed; } steps[] = {
        {VK_TAB, 0, "", "1:R", "00"},   {VK_TAB, 0, "", "#", "00"},     {VK_SPACE, 0, "", "#", "01"},
        {VK_TAB, S, "", "1:R", "01"},   {VK_TAB, S, "", "1:F", "01"},   {VK_TAB, S, "", "#", "01"},
        {VK_SPACE, 0, "", "#", "11"},   {VK_DOWN, 0, "", "#", "11"},    {VK_SPACE, 0, "", "#", "10"},
        {VK_UP, 0, "", "#", "10"},      {VK_TAB, S, "", "product", "10"}, {0, 0, "", "1:F", "10"},
        {VK_TAB, 0, "", "1:R", "10"},   {VK_TAB, 0, "", "#", "10"},     {VK_RIGHT, 0, "", "2:F", "10"},
        {VK_TAB, 0, "", "2:R", "10"},   {VK_TAB, 0, "", "#", "10"},     {VK_TAB, 0, "", "3:F", "10"},
        {VK_TAB, 0, "", "amount", "10"}, {0, 0, "", "3:F", "10"},       {VK_TAB, 0, "NaCl", "3:R", "10"},
        {VK_TAB, C, "", "amount", "10"}, {0, 0, "", "3:F", "10"},       {VK_TAB, C | S, "", "product", "10"},
    };
    ::SetFocus(host.product);
    qwintest::SendKeyDown(host.product, VK_TAB);  // the product field passes Tab to the dialog's next control
    qwintest::PumpMessages();
    ASSERT_EQ("1:F", where());
    for (const Step &s : steps) {
        SCOPED_TRACE(std::to_string(&s - steps) + ": to " + s.at);
        if (*s.typed) Type(s.typed);
        if (s.vk == 0) {
            ::SetFocus(list);
            qwintest::PumpMessages();
        } else {
            Key(s.vk, s.modifiers);
        }
        EXPECT_EQ(s.at, where());
        EXPECT_EQ(s.fixed, std::to_string(Fixed(0)) + std::to_string(Fixed(1)));
        EXPECT_EQ(where() == "#" ? DLGC_WANTALLKEYS : DLGC_WANTARROWS, Send(WM_GETDLGCODE)) << "the dialog keeps Tab";
    }
    EXPECT_EQ("NaCl", Formula(2));
    DWORD start = 0, end = 0;
    ::SendMessageA(amount, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(2u, end - start) << "the field reached has its text selected";
}

// A click in the number cell toggles the mark and nothing else; the class has no double-click style, so a double
// click arrives as two presses and toggles twice. LDM_TOGGLEFIXED switches a row's mark, or the current row's for -1,
// and leaves the open cell open with its text.
TEST_F(LedraTest, TogglingTheMark) {
    SetRow(3, "NaCl", 2.0, 0);
    EXPECT_EQ(0u, ::GetClassLongPtrA(list, GCL_STYLE) & CS_DBLCLKS);
    for (int fixed : {1, 0, 1, 0}) {
        Click(3, 0);
        EXPECT_EQ(fixed, Fixed(3));
    }
    EXPECT_TRUE(Formula(3) == "NaCl" && Ratio(3) == 2.0 && OpenCell() == "none");
    Click(3, 1);
    Type("KCl");
    const struct { WPARAM row; LRESULT answer; int index; } cases[] = {
        {WPARAM(-1), 1, 3}, {3, 0, 3}, {29, 1, 29}, {WPARAM(-1), 1, 3}, {30, -1, -1},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.answer, Send(LDM_TOGGLEFIXED, c.row)) << "row " << int(c.row);
        if (c.index >= 0) {
            EXPECT_EQ(c.answer, Fixed(c.index)) << "row " << int(c.row);
        }
    }
    EXPECT_EQ("4:F KCl NaCl", OpenCell() + " " + qwintest::WindowText(FormulaEditor()) + " " + Formula(3));
}

// Ctrl+Shift+J in the formula editor reaches the parent as message 1801; LDM_RESETCONTENT empties the rows, scrolls
// to the top and closes the cell.
TEST_F(LedraTest, SignalRelayAndReset) {
    Click(0, 1);
    Key('J', qwintest::kShift | qwintest::kControl);
    EXPECT_EQ((std::vector<Message>{{LDM_FORWARDTOPARENT, 0, 0}}), fwtest::g_recorded);
    SetRow(3, "NaCl", 2.0, 1);
    Send(WM_VSCROLL, SB_BOTTOM);
    Click(0, 1);
    Send(LDM_RESETCONTENT);
    EXPECT_TRUE(Formula(3) == "" && Fixed(3) == 0 && Ratio(3) == 1.0) << "the row emptied";
    EXPECT_TRUE(Top() == 0 && OpenCell() == "none");
}

}  // namespace
