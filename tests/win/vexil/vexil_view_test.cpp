// What a person sees and does with the VEXIL control: its painting (checked
// in pixels against the layout measured here with the same fonts), the caret,
// VXM_DRAWFORMULA, the keyboard, the mouse and the context menu.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "vexil_testbed.h"

using qwintest::Bitmap32;
using qwintest::kAlt;
using qwintest::kControl;
using qwintest::kShift;
using vexiltest::ClipboardText;
using vexiltest::Layout;
using vexiltest::Measure;
using vexiltest::SetClipboardText;
using vexiltest::VexilTest;

namespace {

const COLORREF WHITE = RGB(255, 255, 255);

// Rows holding pixels other than background within columns [x0, x1):
// {first row, last row}, or {-1, -1} when there are none.
std::pair<int, int> InkRows(const Bitmap32 &image, int x0, int x1, COLORREF background = WHITE) {
    int first = -1, last = -1;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = x0; x < x1; ++x)
            if (image.At(x, y) != background) {
                if (first < 0) first = y;
                last = y;
                break;
            }
    return {first, last};
}

// Pixels of one colour within a rectangle.
int CountIn(const Bitmap32 &image, const RECT &r, COLORREF color) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (image.At(x, y) == color) ++n;
    return n;
}

// Number of pixels in which two images differ (all of them when the sizes differ).
int Differences(const Bitmap32 &a, const Bitmap32 &b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return a.Width() * a.Height() + 1;
    int n = 0;
    for (size_t i = 0; i < a.Pixels().size(); ++i)
        if (a.Pixels()[i] != b.Pixels()[i]) ++n;
    return n;
}

// Draws text the way the control should, with the test's own layout: each
// character opaque at its edge, letters at top, digits at digitTop.
void DrawReference(CDC &dc, const std::string &text, const Layout &layout, const VexilInit &init, int lo, int hi) {
    COLORREF windowText = ::GetSysColor(COLOR_WINDOWTEXT);
    COLORREF window = ::GetSysColor(COLOR_WINDOW);
    COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    int caretBottom = layout.baseline + std::max(layout.letterDescent, -init.digitOffset);
    if (lo != hi) {
        RECT band = {layout.edges[lo], init.top, layout.edges[hi], caretBottom};
        HBRUSH brush = ::CreateSolidBrush(highlight);
        ::FillRect(dc, &band, brush);
        ::DeleteObject(brush);
    }
    HGDIOBJ old = ::SelectObject(dc, init.letterFont);
    for (size_t i = 0; i < text.size(); ++i) {
        bool selected = int(i) >= lo && int(i) < hi;
        ::SetTextColor(dc, selected ? window : windowText);
        ::SetBkColor(dc, selected ? highlight : window);
        ::SelectObject(dc, layout.digit[i] ? init.digitFont : init.letterFont);
        ::TextOutA(dc, layout.edges[i], layout.digit[i] ? layout.digitTop : init.top, &text[i], 1);
    }
    ::SelectObject(dc, old);
}

// ---------------------------------------------------------------------------
// Painting

TEST_F(VexilTest, DigitsAreDrawnLowerAndSmallerThanLetters) {
    ::SetFocus(edit);
    Type("Fe2");
    ASSERT_EQ("Fe2", Text());
    ::SetFocus(nullptr);  // no caret in the picture
    Bitmap32 image = qwintest::CaptureClient(edit);
    Layout layout = Measure("Fe2", init);

    std::pair<int, int> f = InkRows(image, layout.edges[0] + 1, layout.edges[1] - 1);
    std::pair<int, int> two = InkRows(image, layout.edges[2] + 1, layout.edges[3] - 1);
    ASSERT_GE(f.first, 0) << "no F";
    ASSERT_GE(two.first, 0) << "no 2";
    // The F stands on the letter baseline; the 2 on a baseline 5 pixels lower.
    EXPECT_NEAR(layout.baseline - 1, f.second, 1);
    EXPECT_NEAR(5, two.second - f.second, 1) << "the 2 sits 5 pixels below the letters";
    EXPECT_GT(two.first, f.first + 5) << "the 2 starts well below the top of the F";
    EXPECT_LT(two.second - two.first, f.second - f.first - 2) << "the 2 is smaller than the F";
    // Nothing right of the text.
    EXPECT_EQ(-1, InkRows(image, layout.edges[3] + 2, image.Width()).first);

    Bitmap32 expected = qwintest::RenderToBitmap(image.Width(), image.Height(), [&](CDC &dc) {
        DrawReference(dc, "Fe2", layout, init, 0, 0);
    });
    EXPECT_EQ(0, Differences(expected, image));
}

TEST_F(VexilTest, SelectionIsDrawnInTheHighlightColours) {
    SetText("Ba(NO3)2");
    Send(EM_SETSEL, 2, 5);  // "(NO3"
    Bitmap32 image = qwintest::CaptureClient(edit);
    image.SavePng(qwintest::ArtifactPath("vexil-selection.png"));

    Layout layout = Measure("Ba(NO3)2", init);
    COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    COLORREF window = ::GetSysColor(COLOR_WINDOW);
    COLORREF windowText = ::GetSysColor(COLOR_WINDOWTEXT);
    int caretBottom = layout.baseline + std::max(layout.letterDescent, 5);
    RECT band = {layout.edges[2], 0, layout.edges[6], caretBottom};
    int area = (band.right - band.left) * (band.bottom - band.top);
    EXPECT_GT(CountIn(image, band, highlight), area / 2) << "the selected characters stand on the highlight";
    RECT columns = {band.left, 0, band.right, image.Height()};
    EXPECT_EQ(CountIn(image, columns, highlight), image.CountColor(highlight)) << "highlight only behind the selection";
    EXPECT_GT(CountIn(image, band, window), 10) << "selected characters are drawn in the window colour";
    EXPECT_EQ(0, CountIn(image, band, windowText));
    RECT left = {0, 0, layout.edges[2], image.Height()};
    RECT right = {layout.edges[6], 0, image.Width(), image.Height()};
    EXPECT_GT(CountIn(image, left, windowText), 10) << "Ba in the text colour";
    EXPECT_GT(CountIn(image, right, windowText), 5) << ")2 in the text colour";

    Bitmap32 expected = qwintest::RenderToBitmap(image.Width(), image.Height(), [&](CDC &dc) {
        DrawReference(dc, "Ba(NO3)2", layout, init, 2, 6);
    });
    EXPECT_EQ(0, Differences(expected, image));
}

TEST_F(VexilTest, LosingTheFocusRemovesTheSelectionFromTheScreen) {
    ::SetFocus(edit);
    SetText("Ba(NO3)2");
    Send(EM_SETSEL, 0, -1);
    COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_GT(qwintest::CaptureClient(edit).CountColor(highlight), 100);
    ::SetFocus(nullptr);
    EXPECT_EQ("none", Selection());
    EXPECT_EQ(0, qwintest::CaptureClient(edit).CountColor(highlight));
}

TEST_F(VexilTest, CaretStandsAtThePositionAndSpansLettersAndDigits) {
    SetText("Ba(NO3)2");
    Layout layout = Measure("Ba(NO3)2", init);
    ::SetFocus(edit);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(::GetGUIThreadInfo(::GetCurrentThreadId(), &info));
    EXPECT_EQ(edit, info.hwndCaret);
    EXPECT_EQ(layout.edges[8], info.rcCaret.left) << "gaining the focus puts the caret at the end";
    EXPECT_EQ(0, info.rcCaret.top);
    EXPECT_EQ(1, info.rcCaret.right - info.rcCaret.left);
    EXPECT_EQ(layout.baseline + std::max(layout.letterDescent, 5), info.rcCaret.bottom);

    struct Step {
        UINT vk;
        unsigned modifiers;
        int position;
    } steps[] = {{VK_HOME, 0, 0}, {VK_RIGHT, 0, 1}, {VK_RIGHT, kShift, 2}, {VK_END, 0, 8},
                 {VK_LEFT, 0, 7}, {VK_LEFT, kControl, 0}, {VK_RIGHT, kControl, 8}};
    for (const Step &s : steps) {
        Key(s.vk, s.modifiers);
        EXPECT_EQ(layout.edges[s.position], CaretX()) << "after key " << s.vk;
    }
    ::SetFocus(nullptr);
    ::GetGUIThreadInfo(::GetCurrentThreadId(), &info);
    EXPECT_NE(edit, info.hwndCaret) << "no caret without the focus";
}

// ---------------------------------------------------------------------------
// VXM_DRAWFORMULA

struct Drawn {
    LRESULT result;
    Bitmap32 image;
};

class VexilDrawTest : public VexilTest {
protected:
    Drawn Draw(const char *text, int length, int x, int y, int right, COLORREF fore = RGB(0, 0, 0),
               COLORREF back = WHITE) {
        VexilDraw request = {text, length, x, y, right, fore, back};
        Drawn drawn = {0, Bitmap32()};
        drawn.image = qwintest::RenderToBitmap(320, 40, [&](CDC &dc) {
            drawn.result = Send(VXM_DRAWFORMULA, reinterpret_cast<WPARAM>(&dc), reinterpret_cast<LPARAM>(&request));
        });
        return drawn;
    }
};

TEST_F(VexilDrawTest, RefusedTextsDrawNothing) {
    struct Case {
        const char *name;
        const char *text;
        int length;
    } cases[] = {
        {"length 0", "Fe2", 0},
        {"negative length", "Fe2", -2},
        {"blank inside", "Fe 2", 4},
        {"control character", "Fe\t2", 4},
        {"line end", "Fe2\n", 4},
        {"DEL", "Fe\x7f", 3},
        {"byte above 127", "Fe\xb2", 3},
        {"NUL inside the length", "Fe\0" "2", 4},
    };
    for (const Case &c : cases) {
        Drawn d = Draw(c.text, c.length, 0, 0, 300);
        EXPECT_EQ(0, d.result) << c.name;
        EXPECT_EQ(320 * 40, d.image.CountColor(WHITE)) << c.name;
    }
    EXPECT_EQ(0, Send(VXM_DRAWFORMULA, 0, 0)) << "no DC, no record";
}

TEST_F(VexilDrawTest, OnlyWholeCharactersLeftOfTheLimitAreDrawn) {
    const std::string text = "Ba(NO3)2";
    VexilInit at10 = init;
    at10.leftMargin = 10;
    Layout layout = Measure(text, at10);  // edges from x = 10
    const std::vector<int> &e = layout.edges;
    struct Case {
        int right;
        LRESULT drawn;
    } cases[] = {
        {e[3] - 1, 2},  // cuts through the third character
        {e[3], 3},      // the third ends exactly at the limit
        {e[1] - 1, 0},
        {e[8], 8},
        {1000, 8},
    };
    for (const Case &c : cases) {
        Drawn d = Draw(text.c_str(), int(text.size()), 10, 0, c.right);
        EXPECT_EQ(c.drawn, d.result) << "right " << c.right;
        int end = e[c.drawn];
        EXPECT_EQ(-1, InkRows(d.image, end, d.image.Width()).first) << "right " << c.right << ": ink past the last whole character";
        if (c.drawn > 0) {
            EXPECT_GE(InkRows(d.image, e[c.drawn - 1], end).first, 0) << "right " << c.right << ": last character missing";
        }
    }
    // The text need not be terminated: the length counts.
    EXPECT_EQ(3, Draw("Fe2O3", 3, 0, 0, 1000).result);
}

TEST_F(VexilDrawTest, LooksLikeTheControlItself) {
    const char *text = "Sr0.5Ba0.5TiO3";
    SetText(text);
    Bitmap32 control = qwintest::CaptureClient(edit);
    VexilDraw request = {text, int(strlen(text)), init.leftMargin, 0, 1000, ::GetSysColor(COLOR_WINDOWTEXT),
                         ::GetSysColor(COLOR_WINDOW)};
    Bitmap32 drawn = qwintest::RenderToBitmap(control.Width(), control.Height(), [&](CDC &dc) {
        EXPECT_EQ(14, Send(VXM_DRAWFORMULA, reinterpret_cast<WPARAM>(&dc), reinterpret_cast<LPARAM>(&request)));
    });
    EXPECT_EQ(0, Differences(control, drawn));
    EXPECT_GT(control.CountColor(::GetSysColor(COLOR_WINDOWTEXT)), 50);
}

TEST_F(VexilDrawTest, UsesTheGivenColoursAndOffsetAndRestoresTheContext) {
    const char *text = "A+B2";
    Layout layout = Measure(text, init);  // from x = 2
    const COLORREF red = RGB(200, 0, 0), blue = RGB(0, 0, 255);
    Drawn plain = Draw(text, 4, 2, 0, 1000, red, blue);
    ASSERT_EQ(4, plain.result);
    // Every drawn character stands on its own blue background; '+' takes its
    // width but is not drawn.
    RECT a = {layout.edges[0], 0, layout.edges[1], 40};
    RECT plus = {layout.edges[1], 0, layout.edges[2], 40};
    RECT b = {layout.edges[2], 0, layout.edges[3], 40};
    EXPECT_GT(CountIn(plain.image, a, blue), 20);
    EXPECT_GT(CountIn(plain.image, a, red), 5);
    EXPECT_EQ(0, CountIn(plain.image, plus, blue));
    EXPECT_EQ(0, CountIn(plain.image, plus, red));
    EXPECT_GT(CountIn(plain.image, b, red), 5);
    RECT outside = {layout.edges[4], 0, 320, 40};
    EXPECT_EQ(0, CountIn(plain.image, outside, blue));

    // y moves everything down.
    Drawn lower = Draw(text, 4, 2, 10, 1000, red, blue);
    std::pair<int, int> top = InkRows(plain.image, 0, 320);
    std::pair<int, int> moved = InkRows(lower.image, 0, 320);
    EXPECT_EQ(top.first + 10, moved.first);
    EXPECT_EQ(top.second + 10, moved.second);

    // The caller's font and colours are as they were.
    VexilDraw request = {text, 4, 2, 0, 1000, red, blue};
    qwintest::RenderToBitmap(100, 40, [&](CDC &dc) {
        HGDIOBJ font = ::GetStockObject(ANSI_FIXED_FONT);
        ::SelectObject(dc, font);
        ::SetTextColor(dc, RGB(1, 2, 3));
        ::SetBkColor(dc, RGB(4, 5, 6));
        EXPECT_EQ(4, Send(VXM_DRAWFORMULA, reinterpret_cast<WPARAM>(&dc), reinterpret_cast<LPARAM>(&request)));
        EXPECT_EQ(font, ::GetCurrentObject(dc, OBJ_FONT));
        EXPECT_EQ(RGB(1, 2, 3), ::GetTextColor(dc));
        EXPECT_EQ(RGB(4, 5, 6), ::GetBkColor(dc));
    });
    // The control's own text is untouched.
    EXPECT_EQ("", Text());
}

// ---------------------------------------------------------------------------
// Keyboard

struct KeyPress {
    UINT vk;
    unsigned modifiers;
};

TEST_F(VexilTest, KeysTypeFormulaCharactersOnly) {
    struct Case {
        const char *name;
        const char *start;  // WM_SETTEXT before the keys
        std::vector<KeyPress> keys;
        const char *text;
        const char *selection;
    } cases[] = {
        {"Shift gives capitals", "", {{'F', kShift}, {'E', 0}, {'2', 0}}, "Fe2", "none"},
        {"Shift+9 and Shift+0 give parentheses", "", {{'9', kShift}, {'0', kShift}}, "()", "none"},
        {"numeric pad", "", {{VK_NUMPAD1, 0}, {VK_NUMPAD0, 0}, {VK_NUMPAD9, kShift}, {VK_NUMPAD0, kShift}}, "10()", "none"},
        {"both period keys", "", {{VK_OEM_PERIOD, 0}, {VK_DECIMAL, 0}}, "..", "none"},
        {"refused combinations", "",
         {{'A', kControl}, {'A', kAlt}, {'A', kShift | kControl}, {'1', kShift}, {'5', kControl},
          {VK_OEM_PERIOD, kShift}, {VK_NUMPAD5, kShift}, {VK_SPACE, 0}, {VK_OEM_PLUS, 0}, {VK_OEM_MINUS, 0},
          {VK_F5, 0}},
         "", "none"},
        {"Home then type", "aO", {{VK_HOME, 0}, {'N', kShift}}, "NaO", "none"},
        {"End", "ab", {{VK_HOME, 0}, {VK_END, 0}, {'C', 0}}, "abc", "none"},
        {"Left and Right", "ac", {{VK_LEFT, 0}, {VK_LEFT, 0}, {VK_RIGHT, 0}, {'B', 0}}, "abc", "none"},
        {"Ctrl+Left and Ctrl+Right", "bc", {{VK_LEFT, kControl}, {'A', 0}, {VK_RIGHT, kControl}, {'D', 0}}, "abcd", "none"},
        {"Shift+Left selects", "abcd", {{VK_LEFT, kShift}, {VK_LEFT, kShift}}, "abcd", "2..3"},
        {"typing replaces the selection", "abcd", {{VK_LEFT, kShift}, {VK_LEFT, kShift}, {'X', kShift}}, "abX", "none"},
        {"Left collapses a selection at its left end", "abcd", {{VK_LEFT, kShift}, {VK_LEFT, kShift}, {VK_LEFT, 0}, {'X', kShift}}, "abXcd", "none"},
        {"Right collapses a selection at its right end", "abcd", {{VK_HOME, 0}, {VK_RIGHT, kShift}, {VK_RIGHT, 0}, {'X', kShift}}, "aXbcd", "none"},
        {"Shift+Right then back", "abc", {{VK_HOME, 0}, {VK_RIGHT, kShift}, {VK_RIGHT, kShift}, {VK_LEFT, kShift}}, "abc", "0..0"},
        {"Shift+Left at 0", "ab", {{VK_HOME, 0}, {VK_LEFT, kShift}}, "ab", "none"},
        {"Shift+Right at the end", "ab", {{VK_RIGHT, kShift}}, "ab", "none"},
        {"Backspace", "abc", {{VK_BACK, 0}}, "ab", "none"},
        {"Backspace at 0", "abc", {{VK_HOME, 0}, {VK_BACK, 0}}, "abc", "none"},
        {"Backspace with Ctrl", "abc", {{VK_BACK, kControl}}, "ab", "none"},
        {"Delete", "abc", {{VK_HOME, 0}, {VK_DELETE, 0}}, "bc", "none"},
        {"Delete a selection", "abcd", {{VK_LEFT, kShift}, {VK_LEFT, kShift}, {VK_DELETE, kShift}}, "ab", "none"},
        {"Backspace a selection", "abcd", {{VK_HOME, 0}, {VK_RIGHT, kShift}, {VK_BACK, 0}}, "bcd", "none"},
        {"Delete at the end", "abc", {{VK_DELETE, 0}}, "abc", "none"},
        {"Ctrl+Z undoes a deletion", "abc", {{VK_BACK, 0}, {'Z', kControl}}, "abc", "none"},
        {"Ctrl+Z twice redoes", "abc", {{VK_BACK, 0}, {'Z', kControl}, {'Z', kControl}}, "ab", "none"},
        {"Ctrl+Shift+J inserts nothing", "Fe", {{'J', kShift | kControl}}, "Fe", "none"},
    };
    ::SetFocus(edit);
    for (const Case &c : cases) {
        SetText(c.start);
        for (const KeyPress &k : c.keys) Key(k.vk, k.modifiers);
        EXPECT_EQ(c.text, Text()) << c.name;
        EXPECT_EQ(c.selection, Selection()) << c.name;
    }
}

TEST_F(VexilTest, CapsLockPlaysNoPart) {
    ::SetFocus(edit);
    BYTE state[256];
    ::GetKeyboardState(state);
    state[VK_CAPITAL] = 0x01;  // toggled on
    ::SetKeyboardState(state);
    Key('A');
    Key('B', kShift);
    state[VK_CAPITAL] = 0;
    ::SetKeyboardState(state);
    EXPECT_EQ("aB", Text());
}

TEST_F(VexilTest, CtrlShiftJPostsTheEditorSignalToTheParent) {
    ::SetFocus(edit);
    SetText("Fe");
    host->ClearReceived();
    recorder->Clear();
    Key('J', kShift | kControl);
    EXPECT_TRUE(host->ReceivedOf(VXN_EDITORSIGNAL).empty()) << "posted, not sent";
    qwintest::PumpMessages();
    std::vector<qwintest::HostMessage> signals = host->ReceivedOf(VXN_EDITORSIGNAL);
    ASSERT_EQ(1u, signals.size());
    EXPECT_EQ(0u, signals[0].wParam);
    EXPECT_EQ(0, signals[0].lParam);
    EXPECT_EQ("Fe", Text());
    EXPECT_EQ(0, recorder->Count(WM_PAINT));
}

// A key that changes nothing causes no repaint; one that does, one repaint.
TEST_F(VexilTest, KeysRepaintOnlyWhenTheyChangeSomething) {
    struct Case {
        const char *name;
        std::vector<KeyPress> setup;
        KeyPress key;
        int paints;
    } cases[] = {
        {"Shift+Left at 0", {{VK_HOME, 0}}, {VK_LEFT, kShift}, 0},
        {"Left at 0", {{VK_HOME, 0}}, {VK_LEFT, 0}, 0},
        {"Right at the end", {}, {VK_RIGHT, 0}, 0},
        {"Backspace at 0", {{VK_HOME, 0}}, {VK_BACK, 0}, 0},
        {"Delete at the end", {}, {VK_DELETE, 0}, 0},
        {"Ctrl+C without selection", {}, {'C', kControl}, 0},
        {"Ctrl+X without selection", {}, {'X', kControl}, 0},
        {"refused key", {}, {VK_OEM_PLUS, 0}, 0},
        {"Alt+letter", {}, {'F', kAlt}, 0},
        {"a letter", {}, {'F', kShift}, 1},
        {"Left", {}, {VK_LEFT, 0}, 1},
        {"Home at 0", {{VK_HOME, 0}}, {VK_HOME, 0}, 1},
        {"Ctrl+Z", {}, {'Z', kControl}, 1},
    };
    ::SetFocus(edit);
    for (const Case &c : cases) {
        SetText("Fe2O3");
        for (const KeyPress &k : c.setup) Key(k.vk, k.modifiers);
        recorder->Clear();
        Key(c.key.vk, c.key.modifiers);
        EXPECT_EQ(c.paints, recorder->Count(WM_PAINT)) << c.name;
    }
}

// A character refused for width still repaints when it deleted the
// selection it was to replace, so the screen shows the shorter text.
TEST_F(VexilTest, RefusalForWidthAfterDeletingTheSelectionRepaints) {
    Layout w = Measure("W", init);
    Layout one = Measure("1", init);
    int wW = w.edges[1] - w.edges[0];
    int w1 = one.edges[1] - one.edges[0];
    ASSERT_GT(wW, w1 + 1);
    // Room for "WWWW1" but not for a fifth W in place of the 1.
    Recreate(init.leftMargin + 4 * wW + w1 + 1 + init.rightMargin, vexiltest::MainDialogInit());
    ASSERT_EQ(0, SetText("WWWW1"));
    ASSERT_EQ("WWWW1", Text());
    ::SetFocus(edit);
    Key(VK_LEFT, kShift);
    recorder->Clear();
    Key('W', kShift);
    EXPECT_EQ("WWWW", Text());
    EXPECT_EQ(1, recorder->Count(WM_PAINT));
    Bitmap32 shown = qwintest::CaptureClient(edit);
    EXPECT_EQ(-1, InkRows(shown, Measure("WWWW", init).edges[4] + 1, shown.Width()).first)
        << "the deleted 1 is gone from the screen";

    SetText("WWWW1");
    Send(EM_SETSEL, 4, 4);
    recorder->Clear();
    EXPECT_EQ(1, Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("W")));
    EXPECT_EQ("WWWW", Text());
    EXPECT_EQ(1, recorder->Count(WM_PAINT));
}

TEST_F(VexilTest, TabMovesToTheNextTabStopAndSelectsItsText) {
    HWND other = CreateEdit(10, 50, 200, 30, 1002);
    VexilInit otherInit = vexiltest::MainDialogInit();
    ASSERT_EQ(0, ::SendMessageA(other, VXM_INITIALIZE, reinterpret_cast<WPARAM>(&otherInit), 0));
    ::SendMessageA(other, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("H2O"));
    SetText("NaCl");
    ::SetFocus(edit);
    Key(VK_TAB);
    EXPECT_EQ(other, ::GetFocus());
    EXPECT_EQ("0..2", SelectionOf(other));
    EXPECT_EQ(Measure("H2O", otherInit).edges[3], CaretX()) << "the caret at the end";
    EXPECT_EQ("none", Selection()) << "the control left behind has no selection";
    qwintest::SendKeyDown(other, VK_TAB, kShift);
    EXPECT_EQ(edit, ::GetFocus());
    EXPECT_EQ("0..3", Selection());
    EXPECT_EQ("NaCl", Text());
}

// ---------------------------------------------------------------------------
// Mouse

TEST_F(VexilTest, PressPutsTheCaretBeforeTheFirstCharacterWhoseMiddleIsRightOfIt) {
    const std::string text = "C6H12O6";
    SetText(text.c_str());
    Layout layout = Measure(text, init);
    auto middle = [&](int i) { return layout.edges[i] + (layout.edges[i + 1] - layout.edges[i]) / 2; };
    struct Case {
        int x;
        int position;
    } cases[] = {
        {-20, 0}, {0, 0}, {middle(0), 0}, {middle(0) + 1, 1}, {middle(2) - 1, 2},
        {middle(2), 2}, {middle(2) + 1, 3}, {middle(6), 6}, {middle(6) + 1, 7}, {1000, 7},
    };
    for (const Case &c : cases) {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, 5));
        EXPECT_EQ(edit, ::GetFocus());
        EXPECT_EQ(edit, ::GetCapture()) << "captured while the button is down";
        EXPECT_EQ(layout.edges[c.position], CaretX()) << "x " << c.x;
        EXPECT_EQ("none", Selection()) << "x " << c.x;
        Send(WM_LBUTTONUP, 0, MAKELPARAM(c.x, 5));
        EXPECT_EQ(nullptr, ::GetCapture());
    }
}

TEST_F(VexilTest, DragFromRightToLeftKeepsTheAnchorAtThePress) {
    const std::string text = "C6H12O6";
    SetText(text.c_str());
    Layout layout = Measure(text, init);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(layout.edges[5], 5));
    // The control reads the cursor itself while tracking.
    POINT p = {layout.edges[1], 5};
    ::ClientToScreen(edit, &p);
    ::SetCursorPos(p.x, p.y);
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(layout.edges[1], 5));
    EXPECT_EQ("1..4", Selection());
    Send(WM_LBUTTONUP, 0, MAKELPARAM(layout.edges[1], 5));
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ("1..4", Selection());
    EXPECT_EQ(layout.edges[1], CaretX());
    Key(VK_RIGHT, kShift);
    EXPECT_EQ("2..4", Selection()) << "the anchor stayed at the press";

    // Moving without the button does not select.
    p.x += layout.edges[3] - layout.edges[1];
    ::SetCursorPos(p.x, p.y);
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(layout.edges[3], 5));
    EXPECT_EQ("2..4", Selection());
}

TEST_F(VexilTest, DoubleClickSelectsEverything) {
    SetText("Fe2O3");
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(10, 5));
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 5));
    EXPECT_EQ("0..4", Selection());
    EXPECT_EQ(Measure("Fe2O3", init).edges[5], CaretX());
    EXPECT_EQ(nullptr, ::GetCapture());
    Send(WM_LBUTTONUP, 0, MAKELPARAM(10, 5));
    EXPECT_EQ("0..4", Selection());
}

TEST_F(VexilTest, LosingTheFocusEndsADrag) {
    SetText("Fe2O3");
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 5));
    ASSERT_EQ(edit, ::GetCapture());
    ::SetFocus(nullptr);
    EXPECT_EQ(nullptr, ::GetCapture());
    // A later move does not select.
    POINT p = {60, 5};
    ::ClientToScreen(edit, &p);
    ::SetCursorPos(p.x, p.y);
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 5));
    EXPECT_EQ("none", Selection());
}

// ---------------------------------------------------------------------------
// Context menu

// Drives the control's context menu: records the items when the menu opens
// and, once the menu loop is idle, chooses an item by keyboard or cancels.
class VexilMenuTest : public VexilTest {
protected:
    struct Item {
        std::string text;
        UINT id;
        bool enabled;
    };

    void SetUp() override {
        VexilTest::SetUp();
        recorder->before = [this](UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == WM_INITMENUPOPUP) {
                HMENU menu = reinterpret_cast<HMENU>(wParam);
                items.clear();
                for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
                    char text[32] = {};
                    ::GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
                    UINT state = ::GetMenuState(menu, i, MF_BYPOSITION);
                    items.push_back({text, ::GetMenuItemID(menu, i), (state & (MF_GRAYED | MF_DISABLED)) == 0});
                }
                ++opened;
            } else if (message == WM_ENTERIDLE && wParam == MSGF_MENU && !acted) {
                acted = true;
                HWND target = lParam ? reinterpret_cast<HWND>(lParam) : edit;
                if (choice == 0) {
                    ::EndMenu();
                } else {
                    for (int i = 0; i < choice; ++i) ::PostMessageA(target, WM_KEYDOWN, VK_DOWN, 0);
                    ::PostMessageA(target, WM_KEYDOWN, VK_RETURN, 0);
                }
            }
            return false;
        };
    }

    // Right-clicks the control and picks item choice (1..4), or cancels with 0.
    void RightClick(int choice) {
        this->choice = choice;
        acted = false;
        // Away from the host, so the menu covers nothing of the control.
        ::SetCursorPos(700, 600);
        UINT_PTR timer = ::SetTimer(nullptr, 0, 5000, &CloseMenu);
        Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 5));
        ::KillTimer(nullptr, timer);
    }

    // A safety net: a menu still open after some seconds is closed.
    static void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); }

    std::vector<Item> items;
    int opened = 0;
    int choice = 0;
    bool acted = false;
};

TEST_F(VexilMenuTest, UnfocusedControlOffersOnlyPaste) {
    SetText("Fe");
    ::SetFocus(edit);
    Send(EM_SETSEL, 0, -1);
    ::SetFocus(nullptr);  // the selection collapses
    SetClipboardText("2O3");
    RightClick(4);
    ASSERT_EQ(1, opened);
    ASSERT_EQ(4u, items.size());
    const char *texts[] = {"Copy", "Cut", "Delete", "Paste"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(texts[i], items[i].text);
        EXPECT_EQ(UINT(i + 1), items[i].id);
        EXPECT_EQ(i == 3, items[i].enabled) << texts[i];
    }
    EXPECT_EQ(edit, ::GetFocus()) << "the right button takes the focus";
    EXPECT_EQ("Fe2O3", Text());
    EXPECT_EQ(1, Modified());
    Send(WM_UNDO);
    EXPECT_EQ("Fe", Text()) << "the menu's paste takes a snapshot";
}

TEST_F(VexilMenuTest, PasteIsGrayedWithoutAFormulaOnTheClipboard) {
    const char *clipboards[] = {"a+b", "Fe\r\n", "  ", ""};
    SetText("Fe2O3");
    ::SetFocus(edit);
    Send(EM_SETSEL, 0, 1);
    for (const char *clipboard : clipboards) {
        SetClipboardText(clipboard);
        RightClick(0);
        ASSERT_EQ(4u, items.size());
        EXPECT_TRUE(items[0].enabled && items[1].enabled && items[2].enabled) << "'" << clipboard << "'";
        EXPECT_FALSE(items[3].enabled) << "'" << clipboard << "'";
    }
    EXPECT_EQ("Fe2O3", Text()) << "cancelling runs nothing";
    EXPECT_EQ("0..1", Selection());
    EXPECT_EQ(0, Modified());
}

TEST_F(VexilMenuTest, ItemsRunTheirOperations) {
    struct Case {
        int choice;
        const char *text;
        const char *clipboard;
    } cases[] = {
        {1, "Ba(NO3)2", "(NO3"},
        {2, "Ba)2", "(NO3"},
        {3, "Ba)2", "before"},
    };
    for (const Case &c : cases) {
        SetText("Ba(NO3)2");
        ::SetFocus(edit);
        Send(EM_SETSEL, 2, 5);
        SetClipboardText("before");
        recorder->Clear();
        RightClick(c.choice);
        EXPECT_EQ(c.text, Text()) << "item " << c.choice;
        EXPECT_EQ(c.clipboard, ClipboardText()) << "item " << c.choice;
        EXPECT_GE(recorder->Count(WM_PAINT), 1) << "item " << c.choice;
        if (c.choice != 1) {
            Send(WM_UNDO);
            EXPECT_EQ("Ba(NO3)2", Text()) << "item " << c.choice << " took a snapshot";
        }
    }
}

TEST_F(VexilMenuTest, RightButtonIsIgnoredWhileDragging) {
    SetText("Fe2O3");
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 5));
    SetClipboardText("O");
    RightClick(4);
    EXPECT_EQ(0, opened);
    EXPECT_EQ("Fe2O3", Text());
    Send(WM_LBUTTONUP, 0, MAKELPARAM(3, 5));
}

}  // namespace
