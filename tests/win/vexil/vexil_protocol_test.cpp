// The VEXIL control's library, its initialisation and its text model, driven
// through window messages as the main dialog and the list control drive it.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <regex>
#include <string>

#include "vexil_testbed.h"

using vexiltest::ClipboardText;
using vexiltest::LoadVexil;
using vexiltest::SetClipboardText;
using vexiltest::VexilTest;

namespace {

// ---------------------------------------------------------------------------
// Library and window class

TEST(VexilLibrary, RegistersTheGlobalClassAndExportsVexilDummy) {
    HMODULE module = LoadVexil();
    ASSERT_NE(nullptr, module);
    EXPECT_NE(nullptr, ::GetProcAddress(module, "VexilDummy"));

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    ASSERT_TRUE(::GetClassInfoExA(module, VEXIL_CLASS_NAME, &wc));
    EXPECT_EQ(UINT(CS_GLOBALCLASS | CS_DBLCLKS), wc.style);
    EXPECT_EQ(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)), wc.hCursor);
    EXPECT_EQ(::GetStockObject(WHITE_BRUSH), wc.hbrBackground);
    EXPECT_EQ(nullptr, wc.hIcon);
    EXPECT_EQ(0, wc.cbClsExtra);
    EXPECT_EQ(0, wc.cbWndExtra);
    // Global: any module may create it without naming the library's instance.
    WNDCLASSEXA again = {};
    again.cbSize = sizeof again;
    EXPECT_TRUE(::GetClassInfoExA(::GetModuleHandleA(nullptr), VEXIL_CLASS_NAME, &again));
}

TEST(VexilLibrary, LoadFailsWithAMessageWhenTheClassCannotBeRegistered) {
    qwintest::ChildResult r = qwintest::RunInChild([] {
        // Another global "VEXIL" class makes the library's registration fail.
        WNDCLASSA wc = {};
        wc.style = CS_GLOBALCLASS;
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = VEXIL_CLASS_NAME;
        if (!::RegisterClassA(&wc)) ::ExitProcess(3);
        ::ExitProcess(::LoadLibraryA("VEXIL.DLL") == nullptr ? 0 : 2);
    });
    ASSERT_TRUE(r.started);
    EXPECT_EQ(0u, r.exitCode) << r.output;
    ASSERT_EQ(1u, r.boxes.size()) << r.output;
    EXPECT_EQ("Fialed to register class in VEXIL.DLL.", r.boxes[0].text);
}

TEST(VexilLibrary, AWindowAsksForEveryKeyBeforeAndAfterInitialisation) {
    ASSERT_NE(nullptr, LoadVexil());
    qwintest::TestHost host;
    HWND edit = host.CreateChild(VEXIL_CLASS_NAME, "", 0, 0, 0, 100, 30, 1);
    ASSERT_NE(nullptr, edit);
    EXPECT_EQ(DLGC_WANTALLKEYS, ::SendMessageA(edit, WM_GETDLGCODE, 0, 0));
    VexilInit init = vexiltest::MainDialogInit();
    EXPECT_EQ(0, ::SendMessageA(edit, VXM_INITIALIZE, reinterpret_cast<WPARAM>(&init), 0));
    EXPECT_EQ(DLGC_WANTALLKEYS, ::SendMessageA(edit, WM_GETDLGCODE, VK_TAB, 0));
}

// Each window's object is released with the window: thousands of
// initialised controls created and destroyed leave the memory use flat.
TEST(VexilLibrary, DestroyedControlsReleaseTheirObjects) {
    ASSERT_NE(nullptr, LoadVexil());
    qwintest::TestHost host;
    VexilInit init = vexiltest::MainDialogInit();
    auto cycle = [&](int n) {
        for (int i = 0; i < n; ++i) {
            HWND edit = ::CreateWindowExA(0, VEXIL_CLASS_NAME, "", WS_CHILD, 0, 0, 100, 30, host, nullptr,
                                          nullptr, nullptr);
            ::SendMessageA(edit, VXM_INITIALIZE, reinterpret_cast<WPARAM>(&init), 0);
            ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Fe2O3"));
            ::DestroyWindow(edit);
        }
    };
    auto privateBytes = [] {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
        return static_cast<long long>(counters.PagefileUsage);
    };
    cycle(200);
    long long before = privateBytes();
    cycle(3000);  // two 4 KB cell arrays each: 24 MB if objects were kept
    long long grown = privateBytes() - before;
    EXPECT_LT(grown, 8ll << 20) << "memory grew by " << grown << " bytes";
}

// ---------------------------------------------------------------------------
// Before VXM_INITIALIZE

TEST(VexilUninitialised, MessagesGiveTheirNotInitialisedAnswers) {
    ASSERT_NE(nullptr, LoadVexil());
    qwintest::TestHost host;
    HWND edit = host.CreateChild(VEXIL_CLASS_NAME, "", 0, 0, 0, 200, 30, 1);
    ASSERT_NE(nullptr, edit);
    char buffer[16] = "unchanged";
    char lineBuffer[16] = {};
    WORD *line = reinterpret_cast<WORD *>(lineBuffer);
    int a = 7, b = 8;
    VexilDraw draw = {"Fe", 2, 0, 0, 100, 0, RGB(255, 255, 255)};
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    struct Case {
        const char *name;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT expected;
    } cases[] = {
        {"WM_SETTEXT", WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Fe"), -1},
        {"WM_GETTEXT", WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), -1},
        {"WM_GETTEXTLENGTH", WM_GETTEXTLENGTH, 0, 0, -1},
        {"EM_GETSEL", EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b), 0},
        {"EM_GETLINE", EM_GETLINE, 0, reinterpret_cast<LPARAM>(line), -1},
        {"EM_LIMITTEXT", EM_LIMITTEXT, 10, 0, 0},
        {"EM_SETMARGINS", EM_SETMARGINS, 5, 6, 0},
        {"EM_GETMARGINS", EM_GETMARGINS, 0, 0, 0},
        {"EM_GETLIMITTEXT", EM_GETLIMITTEXT, 0, 0, -1},
        {"VXM_GETMODIFY", VXM_GETMODIFY, 0, 0, 0},
        {"VXM_DRAWFORMULA", VXM_DRAWFORMULA, reinterpret_cast<WPARAM>(&dc), reinterpret_cast<LPARAM>(&draw), 0},
        // Editing messages have nothing to work on yet and must not crash.
        {"WM_PASTE", WM_PASTE, 0, 0, 1},
        {"WM_CLEAR", WM_CLEAR, 0, 0, 1},
        {"WM_CUT", WM_CUT, 0, 0, 1},
        {"EM_REPLACESEL", EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("Fe"), 1},
    };
    SetClipboardText("Fe");
    for (const Case &c : cases) {
        *line = 10;
        EXPECT_EQ(c.expected, ::SendMessageA(edit, c.message, c.wParam, c.lParam)) << c.name;
    }
    EXPECT_STREQ("unchanged", buffer);
    EXPECT_EQ(7, a);
    EXPECT_EQ(8, b);
    EXPECT_EQ(0, ::SendMessageA(edit, WM_UNDO, 0, 0));
    // After all that it still initialises normally.
    VexilInit init = vexiltest::MainDialogInit();
    EXPECT_EQ(0, ::SendMessageA(edit, VXM_INITIALIZE, reinterpret_cast<WPARAM>(&init), 0));
    EXPECT_EQ(0, ::SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0));
}

TEST(VexilUninitialised, PaintingValidatesTheWindow) {
    ASSERT_NE(nullptr, LoadVexil());
    qwintest::TestHost host;
    HWND edit = host.CreateChild(VEXIL_CLASS_NAME, "", 0, 0, 0, 200, 30, 1);
    ::InvalidateRect(edit, nullptr, TRUE);
    ::UpdateWindow(edit);
    EXPECT_FALSE(::GetUpdateRect(edit, nullptr, FALSE));
    // Only the white class background shows.
    qwintest::Bitmap32 image = qwintest::CaptureClient(edit);
    EXPECT_EQ(image.Width() * image.Height(), image.CountColor(RGB(255, 255, 255)));
}

// ---------------------------------------------------------------------------
// VXM_INITIALIZE

TEST(VexilInitialize, SecondInitialisationEndsTheProcess) {
    qwintest::ChildResult r = qwintest::RunInChild([] {
        if (!LoadVexil()) ::ExitProcess(3);
        qwintest::TestHost host;
        HWND edit = host.CreateChild(VEXIL_CLASS_NAME, "", 0, 0, 0, 200, 30, 1);
        VexilInit init = vexiltest::MainDialogInit();
        if (::SendMessageA(edit, VXM_INITIALIZE, reinterpret_cast<WPARAM>(&init), 0) != 0) ::ExitProcess(4);
        ::SendMessageA(edit, VXM_INITIALIZE, reinterpret_cast<WPARAM>(&init), 0);
        ::ExitProcess(5);  // not reached
    });
    ASSERT_TRUE(r.started);
    EXPECT_EQ(1u, r.exitCode) << r.output;
    ASSERT_EQ(1u, r.boxes.size()) << r.output;
    EXPECT_TRUE(std::regex_match(r.boxes[0].text,
                                 std::regex(R"(Multiple Initialization attempt in VEXIL\((0x)?[0-9A-Fa-f]{8}\)\.)")))
        << r.boxes[0].text;
}

TEST_F(VexilTest, LimitFromTheRecord) {
    struct Case {
        int32_t given;
        LRESULT limit;
    } cases[] = {{256, 256}, {1, 1}, {3, 3}, {0, 256}, {-5, 256}, {257, 256}, {100000, 256}};
    for (const Case &c : cases) {
        VexilInit record = vexiltest::MainDialogInit();
        record.maxLength = c.given;
        Recreate(300, record);
        EXPECT_EQ(c.limit, Send(EM_GETLIMITTEXT)) << "maxLength " << c.given;
    }
    // The record's limit holds for typing and for WM_SETTEXT.
    EXPECT_EQ(0, SetText("Fe2O3"));
    VexilInit three = vexiltest::MainDialogInit();
    three.maxLength = 3;
    Recreate(300, three);
    EXPECT_EQ(0, SetText("Fe2O3"));
    EXPECT_EQ("Fe2", Text());
    ::SetFocus(edit);
    Type("O");
    EXPECT_EQ("Fe2", Text());
    EXPECT_EQ(1, Modified()) << "a character refused by the limit still marks the text modified";
}

TEST_F(VexilTest, NullRecordIsRefused) {
    HWND other = CreateEdit(10, 50, 200, 30, 1002);
    EXPECT_EQ(1, ::SendMessageA(other, VXM_INITIALIZE, 0, 0));
    EXPECT_EQ(-1, ::SendMessageA(other, WM_GETTEXTLENGTH, 0, 0));
}

// ---------------------------------------------------------------------------
// WM_SETTEXT, WM_GETTEXT, EM_GETLINE

TEST_F(VexilTest, SetTextAcceptsFormulaCharactersAndSkipsBlanks) {
    struct Case {
        const char *text;
        LRESULT result;
        const char *stored;
    } cases[] = {
        {"Fe2O3", 0, "Fe2O3"},
        {"H2 O", 0, "H2O"},
        {" Ba(NO3)2 ", 0, "Ba(NO3)2"},
        {"Sr0.5Ba0.5TiO3", 0, "Sr0.5Ba0.5TiO3"},
        {"H2O+", 1, nullptr},
        {"H2O\r\n", 1, nullptr},
        {"Fe\tO", 1, nullptr},
        {"Na\xe9", 1, nullptr},
        {"   ", 0, ""},
        {"", 0, ""},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(0, SetText("Kept"));
        EXPECT_EQ(c.result, SetText(c.text)) << "'" << c.text << "'";
        EXPECT_EQ(c.stored ? c.stored : "Kept", Text()) << "'" << c.text << "'";
    }
    EXPECT_EQ(0, Send(WM_SETTEXT, 0, 0)) << "a null text empties the control";
    EXPECT_EQ("", Text());
}

TEST_F(VexilTest, SetTextClearsModifiedAndRepaints) {
    ::SetFocus(edit);
    Type("Fe");
    EXPECT_EQ(1, Modified());
    recorder->Clear();
    EXPECT_EQ(0, SetText("NaCl"));
    EXPECT_EQ(0, Modified());
    EXPECT_EQ(1, recorder->Count(WM_PAINT));
    recorder->Clear();
    EXPECT_EQ(1, SetText("Na+"));
    EXPECT_EQ(0, recorder->Count(WM_PAINT));
}

TEST_F(VexilTest, SetTextKeepsWhatFitsTheWidth) {
    Recreate(120, vexiltest::MainDialogInit());
    std::string wide(40, 'W');
    EXPECT_EQ(0, SetText(wide.c_str()));
    // A character goes in while its right edge stays left of width - rightMargin.
    vexiltest::Layout layout = vexiltest::Measure(wide, init);
    size_t fits = 0;
    while (fits < wide.size() && layout.edges[fits + 1] < 120 - init.rightMargin) ++fits;
    ASSERT_GT(fits, 0u);
    ASSERT_LT(fits, wide.size());
    EXPECT_EQ(std::string(fits, 'W'), Text());
    EXPECT_EQ(0, Modified());
}

TEST_F(VexilTest, WidthFollowsWmSize) {
    Recreate(120, vexiltest::MainDialogInit());
    std::string wide(40, 'W');
    SetText(wide.c_str());
    size_t narrow = Text().size();
    ::MoveWindow(edit, 10, 10, 240, 30, TRUE);
    ::SetFocus(edit);
    Type("WWWW");
    EXPECT_EQ(narrow + 4, Text().size());
}

TEST_F(VexilTest, GetTextNeverWritesPastTheGivenSize) {
    ASSERT_EQ(0, SetText("C6H12O6"));
    const int count = 7;
    struct Case {
        WPARAM n;
        LRESULT result;
        const char *text;  // nullptr: buffer untouched
    } cases[] = {
        {0, count + 1, nullptr},
        {count + 1, count - 1, "C6H12O6"},  // the size callers pass
        {count + 10, count - 1, "C6H12O6"},
        {count, count - 2, "C6H12O"},       // one short: the NUL takes the last byte
        {3, 1, "C6"},
        {1, -1, ""},
    };
    for (const Case &c : cases) {
        char buffer[32];
        memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(c.result, Send(WM_GETTEXT, c.n, reinterpret_cast<LPARAM>(buffer))) << "n = " << c.n;
        if (c.text) {
            EXPECT_STREQ(c.text, buffer) << "n = " << c.n;
        }
        size_t written = c.text ? strlen(c.text) + 1 : 0;
        for (size_t i = written; i < sizeof buffer; ++i)
            ASSERT_EQ('#', buffer[i]) << "n = " << c.n << ": byte " << i << " written";
        EXPECT_LE(written, c.n);
    }
    EXPECT_EQ(count + 1, Send(WM_GETTEXT, 20, 0)) << "no buffer";
    EXPECT_EQ(count, Send(WM_GETTEXTLENGTH));

    // GetWindowTextA and CWnd::GetWindowText, sizing their buffers from
    // WM_GETTEXTLENGTH, get the whole text.
    char whole[8];
    ::GetWindowTextA(edit, whole, sizeof whole);
    EXPECT_STREQ("C6H12O6", whole);
    CString text;
    CWnd::FromHandle(edit)->GetWindowText(text);
    EXPECT_STREQ("C6H12O6", text.GetString());
}

TEST_F(VexilTest, GetLineCopiesLineZeroWithinTheGivenSize) {
    ASSERT_EQ(0, SetText("C6H12O6"));
    struct Case {
        WORD size;
        LRESULT result;
        const char *text;
    } cases[] = {
        {8, 7, "C6H12O6"},
        {30, 7, "C6H12O6"},
        {7, 6, "C6H12O"},
        {3, 2, "C6"},
        {1, 0, ""},
    };
    for (const Case &c : cases) {
        char buffer[32];
        memset(buffer, '#', sizeof buffer);
        memcpy(buffer, &c.size, sizeof c.size);
        EXPECT_EQ(c.result, Send(EM_GETLINE, 0, reinterpret_cast<LPARAM>(buffer))) << "size " << c.size;
        EXPECT_STREQ(c.text, buffer) << "size " << c.size;
        // The size word itself may be overwritten, nothing past the text and its NUL.
        for (size_t i = std::max(strlen(c.text) + 1, sizeof(WORD)); i < sizeof buffer; ++i)
            ASSERT_EQ('#', buffer[i]) << "size " << c.size << ": byte " << i << " written";
    }
    char buffer[32] = {};
    buffer[0] = 20;
    EXPECT_EQ(0, Send(EM_GETLINE, 1, reinterpret_cast<LPARAM>(buffer))) << "line 1";
    EXPECT_EQ(20, buffer[0]);
    EXPECT_EQ(7, Send(EM_GETLINE, 0, 0)) << "no buffer";
}

// ---------------------------------------------------------------------------
// Selection

TEST_F(VexilTest, SetSelSelectsCharactersInclusively) {
    struct Case {
        const char *text;
        int start, end;
        const char *selection;  // EM_GETSEL
        const char *copied;     // the selected characters
        const char *afterShiftLeft;  // the selection after Shift+Left moves the caret end
    } cases[] = {
        {"C6H12O6", 2, 4, "2..4", "H12", "2..3"},
        {"C6H12O6", 4, 2, "2..4", "H12", "1..4"},
        {"C6H12O6", 0, 100, "0..6", "C6H12O6", "0..5"},
        {"C6H12O6", 0, -1, "0..6", "C6H12O6", "0..5"},
        {"C6H12O6", 5, 100, "5..6", "O6", "5..5"},
        {"C6H12O6", -3, 1, "0..1", "C6", "0..0"},
        {"C6H12O6", 3, 3, "3..3", "1", "none"},
        {"C6H12O6", 100, 200, "6..6", "6", "none"},
        {"C6H12O6", -1, 3, "none", "", "6..6"},
        {"", 2, 4, "none", "", "none"},
        {"", 0, -1, "none", "", "none"},
    };
    ::SetFocus(edit);
    for (const Case &c : cases) {
        SetText(c.text);
        SetClipboardText("");
        EXPECT_EQ(0, Send(EM_SETSEL, c.start, c.end));
        EXPECT_EQ(c.selection, Selection()) << c.start << "," << c.end;
        Send(WM_COPY);
        EXPECT_EQ(c.copied, ClipboardText()) << c.start << "," << c.end;
        Key(VK_LEFT, qwintest::kShift);
        EXPECT_EQ(c.afterShiftLeft, Selection()) << c.start << "," << c.end;
    }
}

TEST_F(VexilTest, SetSelOnEmptyTextKeepsPositionZero) {
    ::SetFocus(edit);
    Send(EM_SETSEL, 3, 5);
    Type("Fe");
    EXPECT_EQ("Fe", Text());
    EXPECT_EQ(vexiltest::Measure("Fe", init).edges[2], CaretX());
}

TEST_F(VexilTest, GetSelWithoutSelectionLeavesTheIntegers) {
    SetText("NaCl");
    int first = 77, last = 88;
    EXPECT_EQ(0, Send(EM_GETSEL, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&last)));
    EXPECT_EQ(77, first);
    EXPECT_EQ(88, last);
    Send(EM_SETSEL, 1, 2);
    EXPECT_EQ(1, Send(EM_GETSEL, reinterpret_cast<WPARAM>(&first), 0)) << "a null pointer is skipped";
    EXPECT_EQ(1, first);
}

// ---------------------------------------------------------------------------
// Limit and margins

TEST_F(VexilTest, LimitTextRefusesLimitsBelowTheLength) {
    SetText("Fe2O3");
    EXPECT_EQ(0, Send(EM_LIMITTEXT, 4));
    EXPECT_EQ(256, Send(EM_GETLIMITTEXT));
    EXPECT_EQ(1, Send(EM_LIMITTEXT, 5));
    EXPECT_EQ(5, Send(EM_GETLIMITTEXT));
    ::SetFocus(edit);
    Type("H");
    EXPECT_EQ("Fe2O3", Text());
    EXPECT_EQ(1, Send(EM_LIMITTEXT, 6));
    Type("H");
    EXPECT_EQ("Fe2O3H", Text());
}

TEST_F(VexilTest, LimitAbove256StillKeeps256Cells) {
    VexilInit record = vexiltest::MainDialogInit();
    record.maxLength = 10;
    Recreate(4000, record);  // wide enough for 300 digits
    EXPECT_EQ(1, Send(EM_LIMITTEXT, 1000));
    EXPECT_EQ(256, Send(EM_GETLIMITTEXT));
    EXPECT_EQ(1, Send(EM_LIMITTEXT, 0xFFFFFFFFu));
    EXPECT_EQ(256, Send(EM_GETLIMITTEXT));
    std::string digits(300, '1');
    EXPECT_EQ(0, SetText(digits.c_str()));
    EXPECT_EQ(256, Send(WM_GETTEXTLENGTH));
    ::SetFocus(edit);
    Type("1");
    Key(VK_NUMPAD1);
    EXPECT_EQ(256, Send(WM_GETTEXTLENGTH));
    Send(EM_SETSEL, 0, 9);
    EXPECT_EQ(0, Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("22222222222222222222")));
    EXPECT_EQ(256, Send(WM_GETTEXTLENGTH));
    EXPECT_EQ(std::string(10, '2') + std::string(246, '1'), Text());
}

TEST_F(VexilTest, MarginsAreSetAndReadAsWholeValues) {
    EXPECT_EQ(MAKELONG(2, 1), Send(EM_GETMARGINS));
    EXPECT_EQ(1, Send(EM_SETMARGINS, 12, 40));
    EXPECT_EQ(MAKELONG(12, 40), Send(EM_GETMARGINS));
    // The new left margin places the first character; the right margin
    // bounds the text.
    ::SetFocus(edit);
    Type("W");
    VexilInit shifted = init;
    shifted.leftMargin = 12;
    EXPECT_EQ(vexiltest::Measure("W", shifted).edges[1], CaretX());
    std::string wide(40, 'W');
    SetText(wide.c_str());
    vexiltest::Layout layout = vexiltest::Measure(wide, shifted);
    size_t fits = 0;
    while (fits < wide.size() && layout.edges[fits + 1] < 300 - 40) ++fits;
    EXPECT_EQ(fits, Text().size());
}

// ---------------------------------------------------------------------------
// EM_REPLACESEL

TEST_F(VexilTest, ReplaceSelActsOnlyOnASelection) {
    SetText("NaCl");
    EXPECT_EQ(1, Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("K"))) << "no selection";
    EXPECT_EQ("NaCl", Text());
    EXPECT_EQ(0, Modified());

    Send(EM_SETSEL, 0, 1);
    EXPECT_EQ(1, Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("K+"))) << "invalid text";
    EXPECT_EQ("NaCl", Text());
    EXPECT_EQ(0, Modified());

    EXPECT_EQ(1, Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("  "))) << "blank text";
    EXPECT_EQ("NaCl", Text());
    EXPECT_EQ("0..1", Selection());
    EXPECT_EQ(1, Modified()) << "the snapshot is taken before anything is inserted";

    recorder->Clear();
    EXPECT_EQ(0, Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("K B r")));
    EXPECT_EQ("KBrCl", Text());
    EXPECT_EQ("none", Selection());
    EXPECT_EQ(1, recorder->Count(WM_PAINT));
    // The replaced text comes back with undo.
    Send(WM_UNDO);
    EXPECT_EQ("NaCl", Text());
}

// ---------------------------------------------------------------------------
// Undo and the modified flag

TEST_F(VexilTest, UndoExchangesWithTheSnapshot) {
    ::SetFocus(edit);
    Type("H2");
    Key('Z', qwintest::kControl);
    EXPECT_EQ("", Text()) << "no snapshot yet: undo empties";
    Key('Z', qwintest::kControl);
    EXPECT_EQ("H2", Text()) << "the second undo redoes";
    Key('O', qwintest::kShift);
    EXPECT_EQ("H2O", Text());

    SetText("NaCl");
    Send(WM_UNDO);
    EXPECT_EQ("", Text()) << "WM_SETTEXT takes no snapshot";
    EXPECT_EQ(1, Modified());
    Send(WM_UNDO);
    EXPECT_EQ("NaCl", Text());

    Key(VK_BACK);
    Key(VK_BACK);
    EXPECT_EQ("Na", Text());
    Send(WM_UNDO);
    EXPECT_EQ("NaC", Text()) << "one level only";
}

TEST_F(VexilTest, UndoNeverBringsBackTheCaretOfAnUnfocusedControl) {
    HWND other = CreateEdit(10, 50, 200, 30, 1002);
    SetText("Fe");
    ::SetFocus(edit);
    ::SetFocus(other);    // the caret becomes -1
    Send(WM_UNDO);        // ...and goes into the snapshot
    EXPECT_EQ("", Text());
    ::SetFocus(edit);
    Key('Z', qwintest::kControl);  // the snapshot comes back with the focus here
    EXPECT_EQ("Fe", Text());
    EXPECT_EQ(vexiltest::Measure("Fe", init).edges[2], CaretX()) << "the caret stands in the text";
    Type("O");
    EXPECT_EQ("FeO", Text());
    EXPECT_EQ(vexiltest::Measure("FeO", init).edges[3], CaretX());
    Key(VK_LEFT);
    Key(VK_BACK);
    EXPECT_EQ("FO", Text());
}

TEST_F(VexilTest, ModifiedFlagFollowsTheOperations) {
    struct Case {
        const char *name;
        std::function<void()> act;
        LRESULT modified;
        const char *text;
    };
    auto selectAll = [this] { Send(EM_SETSEL, 0, -1); };
    Case cases[] = {
        {"WM_CUT", [&] { selectAll(); Send(WM_CUT); }, 0, ""},
        {"Ctrl+X", [&] { selectAll(); Key('X', qwintest::kControl); }, 1, ""},
        {"WM_COPY", [&] { selectAll(); Send(WM_COPY); }, 0, "NaCl"},
        {"Ctrl+C", [&] { selectAll(); Key('C', qwintest::kControl); }, 0, "NaCl"},
        {"WM_CLEAR", [&] { Send(WM_CLEAR); }, 1, "NaCl"},
        {"WM_PASTE", [&] { SetClipboardText("K"); Send(WM_PASTE); }, 1, "NaClK"},
        {"WM_PASTE refused", [&] { SetClipboardText("K+"); Send(WM_PASTE); }, 0, "NaCl"},
        {"Backspace", [&] { Key(VK_BACK); }, 1, "NaC"},
        {"Backspace at 0", [&] { Key(VK_HOME); Key(VK_BACK); }, 0, "NaCl"},
        {"Delete at the end", [&] { Key(VK_DELETE); }, 1, "NaCl"},
        {"Ctrl+V refused", [&] { SetClipboardText("\r\n"); Key('V', qwintest::kControl); }, 0, "NaCl"},
        {"WM_UNDO", [&] { Send(WM_UNDO); }, 1, ""},
        {"moving", [&] { Key(VK_LEFT); Key(VK_HOME); Key(VK_END); selectAll(); }, 0, "NaCl"},
        {"refused key", [&] { Key(VK_SPACE); Key(VK_OEM_PLUS); }, 0, "NaCl"},
    };
    for (const Case &c : cases) {
        Recreate(300, vexiltest::MainDialogInit());  // no snapshot from the case before
        ::SetFocus(edit);
        SetText("NaCl");
        ASSERT_EQ(0, Modified());
        c.act();
        EXPECT_EQ(c.modified, Modified()) << c.name;
        EXPECT_EQ(c.text, Text()) << c.name;
        EXPECT_EQ(c.modified, Modified()) << c.name << ": VXM_GETMODIFY leaves the flag";
    }
}

// ---------------------------------------------------------------------------
// Clipboard messages

TEST_F(VexilTest, ClipboardMessages) {
    SetText("Fe2O3");
    SetClipboardText("unchanged");
    EXPECT_EQ(1, Send(WM_COPY)) << "no selection";
    EXPECT_EQ(1, Send(WM_CUT)) << "no selection";
    EXPECT_EQ("unchanged", ClipboardText());

    Send(EM_SETSEL, 2, 4);
    EXPECT_EQ(0, Send(WM_COPY));
    EXPECT_EQ("2O3", ClipboardText());
    EXPECT_EQ("Fe2O3", Text());
    EXPECT_EQ("2..4", Selection());

    EXPECT_EQ(0, Send(WM_CUT));
    EXPECT_EQ("Fe", Text());
    EXPECT_EQ("2O3", ClipboardText());

    EXPECT_EQ(0, Send(WM_PASTE));
    EXPECT_EQ("Fe2O3", Text());
    Send(EM_SETSEL, 0, 1);
    EXPECT_EQ(0, Send(WM_PASTE)) << "pasting replaces the selection";
    EXPECT_EQ("2O32O3", Text());

    SetText("Ba");
    struct Paste {
        const char *clipboard;
        LRESULT result;
        const char *text;
    } pastes[] = {
        {"Fe2(SO4)3", 0, "BaFe2(SO4)3"},
        {"Fe2(SO4)3\r\n", 1, "Ba"},
        {" O ", 0, "BaO"},
        {"   ", 1, "Ba"},
        {"", 1, "Ba"},
    };
    for (const Paste &p : pastes) {
        SetText("Ba");
        Send(EM_SETSEL, -1, 0);
        SetClipboardText(p.clipboard);
        EXPECT_EQ(p.result, Send(WM_PASTE)) << "'" << p.clipboard << "'";
        EXPECT_EQ(p.text, Text()) << "'" << p.clipboard << "'";
    }
    // An empty clipboard.
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    ::CloseClipboard();
    EXPECT_EQ(1, Send(WM_PASTE));
}

TEST_F(VexilTest, ClearDeletesTheSelectionOrTheNextCharacter) {
    ::SetFocus(edit);
    SetText("Fe2O3");
    EXPECT_EQ(1, Send(WM_CLEAR)) << "the caret is at the end";
    Key(VK_HOME);
    EXPECT_EQ(0, Send(WM_CLEAR));
    EXPECT_EQ("e2O3", Text());
    Send(EM_SETSEL, 1, 2);
    EXPECT_EQ(0, Send(WM_CLEAR));
    EXPECT_EQ("e3", Text());
    Send(WM_UNDO);
    EXPECT_EQ("", Text()) << "WM_CLEAR took no snapshot";
    SetText("");
    EXPECT_EQ(1, Send(WM_CLEAR));
}

// Messages sent to a control after it lost the focus work at the end of the
// text, where the focus loss left the selection.
TEST_F(VexilTest, EditingAnUnfocusedControlWorksAtTheEnd) {
    HWND other = CreateEdit(10, 50, 200, 30, 1002);
    SetText("NaCl");
    ::SetFocus(edit);
    Key(VK_HOME);
    ::SetFocus(other);
    SetClipboardText("O");
    EXPECT_EQ(0, Send(WM_PASTE));
    EXPECT_EQ("NaClO", Text());
    EXPECT_EQ(1, Send(WM_CLEAR));
    EXPECT_EQ("NaClO", Text());
    Send(EM_SETSEL, -1, 0);
    EXPECT_EQ(0, Send(WM_PASTE));
    EXPECT_EQ("NaClOO", Text());
}

}  // namespace
