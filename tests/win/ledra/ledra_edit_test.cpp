// Editing the list as a person does: clicks, typing, keys, focus and the
// scroll bar, with the rows, the open cell, message boxes and the parent's
// notifications checked. Every editor here is opened well after the list's
// creation messages have returned (the editors outlive the temporary
// wrappers of those messages).
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/testbed/controls.h"

using fwtest::Message;
using testbed::LedraTest;

namespace {

// The number cell toggles the mark and nothing else; the class has no
// double-click style, so a double click arrives as two presses and toggles twice.
TEST_F(LedraTest, NumberCellTogglesTheMark) {
    SetRow(4, "NaCl", 2.0, 0);
    EXPECT_EQ(0u, ::GetClassLongPtrA(list, GCL_STYLE) & CS_DBLCLKS);
    for (int fixed : {1, 0, 1}) {
        Click(4, 0);
        EXPECT_EQ(fixed, Fixed(4));
    }
    EXPECT_EQ("NaCl", Formula(4));
    EXPECT_EQ(2.0, Ratio(4));
    EXPECT_EQ("none", OpenCell());
}

// A formula is checked and stored on Enter, which opens the ratio cell of the
// same row; an emptied cell needs no check; nothing is checked while the
// program closes.
TEST_F(LedraTest, FormulaCommit) {
    Click(0, 1);
    Type("Ba(NO3)2");  // into the focused window: the opened editor
    Key(VK_RETURN);
    EXPECT_EQ("Ba(NO3)2", Formula(0));
    EXPECT_EQ("1:R", OpenCell());
    EXPECT_EQ("1", qwintest::WindowText(RatioEditor())) << "a new row's ratio";

    Click(1, 1);
    Type("2H");
    Type("");
    int checks = testbed::g_checks;
    Key(VK_RETURN);
    EXPECT_EQ("2:R", OpenCell()) << "an emptied cell needs no check";
    EXPECT_EQ(checks, testbed::g_checks);

    // While the program closes, leaving an invalid cell shows nothing and stores nothing.
    Click(2, 1);
    Type("2H");
    testbed::g_closing = 1;
    ::SetFocus(::GetDlgItem(host.dialog, IDC_AMOUNT));
    qwintest::PumpMessages();
    EXPECT_EQ("", Formula(2));
}

// A rejected formula keeps its cell open with the whole text selected and
// stores nothing, whichever way the cell is left: no other cell opens and the
// list does not scroll.
TEST_F(LedraTest, RejectedFormulaKeepsItsCell) {
    const std::pair<const char *, std::function<void()>> ways[] = {
        {"Enter", [&] { Key(VK_RETURN); }},
        {"a click in another cell", [&] { Click(3, 2); }},
        {"the scroll bar", [&] { Send(WM_VSCROLL, SB_LINEDOWN); }},
        {"the wheel", [&] { ::SendMessageA(FormulaEditor(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0); }},
    };
    for (const auto &way : ways) {
        SCOPED_TRACE(way.first);
        Click(0, 1);
        Type("2H");
        qwintest::MessageBoxWatcher boxes;
        way.second();
        ASSERT_EQ(1u, boxes.Count());
        EXPECT_EQ("Wrong format for Starting Material!", boxes[0].text);
        EXPECT_EQ("Quillon ", boxes[0].caption);
        EXPECT_EQ(qwintest::BoxIcon::Hand, boxes[0].icon);
        EXPECT_EQ("1:F", OpenCell());
        EXPECT_EQ(FormulaEditor(), ::GetFocus());
        EXPECT_EQ(0, Top());
        int first = -1, last = -1;
        ::SendMessageA(FormulaEditor(), EM_GETSEL, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&last));
        EXPECT_EQ("0..1", std::to_string(first) + ".." + std::to_string(last)) << "the whole text selected";
        EXPECT_EQ("", Formula(0));
        Type("");
        Key(VK_RETURN);  // emptied, the cell closes unchecked
    }
}

// Ratio texts: one number, blank (0), or "?" first (the parent is asked, once,
// to determine the ratios). The parent may answer "?" with a modal loop: the
// focus changes it brings commit nothing more, and the cell closes once the
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

// Enter, Up and Down walk the cells in reading order, scrolling at the edges,
// and stop without a commit at the first and last cells; page keys move the
// rows under the open cell, which keeps its place on screen (with nothing to
// move it stays open with its text); the scroll bar closes it.
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
        {-1, "", VK_END, 0, ratioCell(last + 3), last},
        {-1, "7", VK_NEXT, 0, ratioCell(last + 3), last},
        {end, "5", VK_DOWN, 0, "30:R", last},
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
    EXPECT_EQ(7.0, Ratio(last + 2)) << "the text of the cell kept open";
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

// Tab leaves the list for the neighbouring controls; coming back reopens the last cell.
TEST_F(LedraTest, TabLeavesAndFocusReturnsToTheLastCell) {
    HWND amount = ::GetDlgItem(host.dialog, IDC_AMOUNT);
    ::SetWindowTextA(amount, "12");
    Click(1, 2);
    Type("4");
    Key(VK_TAB);
    EXPECT_EQ(amount, ::GetFocus());
    EXPECT_EQ(4.0, Ratio(1));
    EXPECT_EQ("none", OpenCell());
    DWORD start = 0, end = 0;
    ::SendMessageA(amount, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(2u, end - start);
    ::SetFocus(list);
    qwintest::PumpMessages();
    EXPECT_EQ("2:R", OpenCell());
    Key(VK_TAB, qwintest::kShift);
    EXPECT_EQ(host.product, ::GetFocus());
}

// Ctrl+Shift+J in the formula editor reaches the parent as message 1801;
// LDM_RESETCONTENT empties the rows, scrolls to the top and closes the cell.
TEST_F(LedraTest, SignalRelayAndReset) {
    Click(0, 1);
    Key('J', qwintest::kShift | qwintest::kControl);
    EXPECT_EQ((std::vector<Message>{{LDM_FORWARDTOPARENT, 0, 0}}), fwtest::g_recorded);
    SetRow(3, "NaCl", 2.0, 1);
    Send(WM_VSCROLL, SB_BOTTOM);
    Click(0, 1);
    Send(LDM_RESETCONTENT);
    EXPECT_EQ("", Formula(3));
    EXPECT_EQ(0, Fixed(3));
    EXPECT_EQ(1.0, Ratio(3));
    EXPECT_EQ(0, Top());
    EXPECT_EQ("none", OpenCell());
}

}  // namespace
