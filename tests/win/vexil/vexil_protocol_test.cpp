// The VEXIL control's library, initialisation and text model, driven through
// window messages as the main dialog and the list control drive it.
#include <windows.h>

#include <regex>
#include <string>

#include "tests/support/testbed/controls.h"

using qwintest::ClipboardText;
using qwintest::SetClipboardText;
using testbed::VexilTest;

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

// Before VXM_INITIALIZE there are no cell arrays: messages must answer without
// touching them, and painting must still validate the window.
TEST(VexilUninitialised, MessagesAnswerWithoutCrashingAndPaintingValidates) {
    ASSERT_NE(nullptr, testbed::LoadVexil());
    qwintest::TestHost host;
    HWND edit = host.CreateChild(VEXIL_CLASS_NAME, "", 0, 0, 0, 200, 30, 1);
    char buffer[16] = "unchanged";
    WORD line[8] = {10};
    SetClipboardText("Fe");
    const LPARAM fe = reinterpret_cast<LPARAM>("Fe");
    struct Case { UINT message; WPARAM wParam; LPARAM lParam; LRESULT expected; } cases[] = {
        {VXM_INITIALIZE, 0, 0, 1} /* a null record */, {WM_SETTEXT, 0, fe, -1}, {WM_GETTEXTLENGTH, 0, 0, -1},
        {WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), -1},
        {EM_GETLINE, 0, reinterpret_cast<LPARAM>(line), -1}, {WM_PASTE, 0, 0, 1}, {WM_CLEAR, 0, 0, 1},
        {WM_CUT, 0, 0, 1}, {EM_REPLACESEL, 0, fe, 1}, {WM_UNDO, 0, 0, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.expected, ::SendMessageA(edit, c.message, c.wParam, c.lParam)) << "message " << c.message;
    EXPECT_STREQ("unchanged", buffer);
    ::InvalidateRect(edit, nullptr, TRUE);
    qwintest::Bitmap32 image = qwintest::CaptureClient(edit);
    EXPECT_FALSE(::GetUpdateRect(edit, nullptr, FALSE));
    EXPECT_EQ(image.Width() * image.Height(), image.CountColor(RGB(255, 255, 255)));
}

// Limits never exceed the 256 cells (record or EM_LIMITTEXT) nor drop below the length.
TEST_F(VexilTest, LimitsKeepWithinThe256Cells) {
    for (int32_t given : {0, -5, 257, 100000}) {
        VexilInit record = testbed::MainDialogInit();
        record.maxLength = given;
        Recreate(4000, record);  // wide enough for 300 digits
        EXPECT_EQ(256, Send(EM_GETLIMITTEXT)) << "maxLength " << given;
    }
    for (WPARAM asked : {WPARAM(1000), WPARAM(0xFFFFFFFFu)}) {
        EXPECT_EQ(1, Send(EM_LIMITTEXT, asked));
        EXPECT_EQ(256, Send(EM_GETLIMITTEXT)) << asked;
    }
    // Nothing is cut to fit: a text or replacement beyond the limit is refused whole.
    EXPECT_EQ(1, SetText(std::string(257, '1').c_str()));
    EXPECT_EQ(0, Send(WM_GETTEXTLENGTH));
    EXPECT_EQ(0, SetText(std::string(256, '1').c_str()));
    ::SetFocus(edit);
    Type("1");
    Send(EM_SETSEL, 0, 9);
    EXPECT_EQ(1, Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("22222222222")));
    EXPECT_EQ(std::string(256, '1'), Text());
    EXPECT_EQ(0, Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("2222222222")));
    EXPECT_EQ(std::string(10, '2') + std::string(246, '1'), Text());
    SetText("Fe2O3");
    EXPECT_EQ(0, Send(EM_LIMITTEXT, 4)) << "below the length";
    EXPECT_EQ(1, Send(EM_LIMITTEXT, 5));
    Type("H");
    EXPECT_EQ("Fe2O3", Text());
    EXPECT_EQ(1, Modified()) << "a character refused by the limit still marks the text modified";
}

// WM_SETTEXT takes formula characters, drops blanks and refuses the rest whole.
TEST_F(VexilTest, SetTextAcceptsFormulaCharactersAndSkipsBlanks) {
    struct Case { const char *text; LRESULT result; const char *stored; } cases[] = {
        {" Ba(NO3) 2 ", 0, "Ba(NO3)2"}, {"Sr0.5Ba0.5TiO3", 0, "Sr0.5Ba0.5TiO3"}, {"H2O+", 1, "Kept"},
        {"Fe\tO", 1, "Kept"}, {"Na\xe9", 1, "Kept"}, {"   ", 0, ""},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(0, SetText("Kept"));
        EXPECT_EQ(c.result, SetText(c.text)) << "'" << c.text << "'";
        EXPECT_EQ(c.stored, Text()) << "'" << c.text << "'";
    }
}

// WM_GETTEXT and EM_GETLINE (its size in the buffer's first word) never write
// past the n bytes they are given.
TEST_F(VexilTest, TextNeverWrittenPastTheGivenSize) {
    ASSERT_EQ(0, SetText("C6H12O6"));
    struct Case { UINT message; WORD n; LRESULT result; const char *text; } cases[] = {  // nullptr: untouched
        {WM_GETTEXT, 0, 8, nullptr},         {WM_GETTEXT, 8, 6, "C6H12O6"}, {WM_GETTEXT, 17, 6, "C6H12O6"},
        {WM_GETTEXT, 7, 5, "C6H12O"},        {WM_GETTEXT, 3, 1, "C6"},      {WM_GETTEXT, 1, -1, ""},
        {EM_GETLINE, 8, 7, "C6H12O6"},       {EM_GETLINE, 30, 7, "C6H12O6"}, {EM_GETLINE, 7, 6, "C6H12O"},
        {EM_GETLINE, 1, 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.message) + " n " + std::to_string(c.n));
        char buffer[32];
        memset(buffer, '#', sizeof buffer);
        bool line = c.message == EM_GETLINE;
        if (line) memcpy(buffer, &c.n, sizeof c.n);
        EXPECT_EQ(c.result, Send(c.message, line ? 0 : c.n, reinterpret_cast<LPARAM>(buffer)));
        size_t written = c.text ? strlen(c.text) + 1 : 0;
        if (c.text) {
            EXPECT_STREQ(c.text, buffer);
        }
        EXPECT_LE(written, c.n);
        for (size_t i = std::max(written, line ? sizeof(WORD) : 0); i < sizeof buffer; ++i)
            ASSERT_EQ('#', buffer[i]) << "byte " << i << " written";
    }
    char whole[8];
    ::GetWindowTextA(edit, whole, sizeof whole);
    EXPECT_STREQ("C6H12O6", whole) << "a caller sizing from WM_GETTEXTLENGTH gets the whole text";
}

// EM_SETSEL's inclusive end, clamping and reversal; WM_COPY and Shift+Left follow it.
TEST_F(VexilTest, SetSelSelectsCharactersInclusively) {
    struct Case { int start, end; const char *selection, *copied, *afterShiftLeft; } cases[] = {
        {4, 2, "2..4", "H12", "1..4"}, {0, -1, "0..6", "C6H12O6", "0..5"}, {-3, 1, "0..1", "C6", "0..0"},
        {3, 3, "3..3", "1", "none"},   {100, 200, "6..6", "6", "none"},    {-1, 3, "none", "", "6..6"},
    };
    ::SetFocus(edit);
    for (const Case &c : cases) {
        SetText("C6H12O6");
        SetClipboardText("");
        EXPECT_EQ(0, Send(EM_SETSEL, c.start, c.end));
        EXPECT_EQ(c.selection, Selection()) << c.start << "," << c.end;
        Send(WM_COPY);
        EXPECT_EQ(c.copied, ClipboardText()) << c.start << "," << c.end;
        Key(VK_LEFT, qwintest::kShift);
        EXPECT_EQ(c.afterShiftLeft, Selection()) << c.start << "," << c.end;
    }
}

// One level of undo, exchanged with the snapshot: a second undo redoes.
TEST_F(VexilTest, UndoExchangesWithTheSnapshot) {
    ::SetFocus(edit);
    Type("H2");
    Key('Z', qwintest::kControl);
    EXPECT_EQ("", Text()) << "no snapshot yet: undo empties";
    Key('Z', qwintest::kControl);
    EXPECT_EQ("H2", Text()) << "the second undo redoes";
    SetText("NaCl");
    Send(WM_UNDO);
    EXPECT_EQ("", Text()) << "WM_SETTEXT takes no snapshot";
    Send(WM_UNDO);
    Key(VK_BACK);
    Key(VK_BACK);
    Send(WM_UNDO);
    EXPECT_EQ("NaC", Text()) << "one level only";
}

// The caret -1 of an unfocused control never takes part in an edit, not even
// when an undo brings it back with the focus.
TEST_F(VexilTest, CaretOfAnUnfocusedControlNeverTakesPartInAnEdit) {
    SetText("NaCl");
    ::SetFocus(edit);
    Key(VK_HOME);
    ::SetFocus(nullptr);
    SetClipboardText("O");
    EXPECT_EQ(0, Send(WM_PASTE)) << "works at the end";
    EXPECT_EQ(1, Send(WM_CLEAR)) << "nothing after the end";
    EXPECT_EQ("NaClO", Text());
    SetText("Fe");
    ::SetFocus(edit);
    ::SetFocus(nullptr);
    Send(WM_UNDO);  // the snapshot takes the caret -1
    ::SetFocus(edit);
    Key('Z', qwintest::kControl);
    EXPECT_EQ("Fe", Text());
    EXPECT_EQ(testbed::Measure("Fe", init).edges[2], CaretX()) << "the caret stands in the text";
    Type("O");
    Key(VK_LEFT);
    Key(VK_BACK);
    EXPECT_EQ("FO", Text());
}

// Copy and cut need a selection; paste takes a whole formula text or nothing.
TEST_F(VexilTest, ClipboardMessages) {
    SetText("Fe2O3");
    SetClipboardText("unchanged");
    EXPECT_EQ(1, Send(WM_COPY)) << "no selection";
    EXPECT_EQ(1, Send(WM_CUT)) << "no selection";
    EXPECT_EQ("unchanged", ClipboardText());
    Send(EM_SETSEL, 2, 4);
    EXPECT_EQ(0, Send(WM_CUT));
    EXPECT_EQ("Fe", Text());
    EXPECT_EQ("2O3", ClipboardText());
    Send(EM_SETSEL, 0, 0);
    EXPECT_EQ(0, Send(WM_PASTE)) << "pasting replaces the selection";
    EXPECT_EQ("2O3e", Text());
    const std::string tooLong(255, 'C');  // "Ba" and this exceed the 256 characters
    struct Paste { const char *clipboard; LRESULT result; const char *text; } pastes[] = {
        {"Fe2(SO4)3", 0, "BaFe2(SO4)3"}, {"Fe2(SO4)3\r\n", 0, "BaFe2(SO4)3"}, {"\tO \r\n", 0, "BaO"},
        {"Fe\r\nO", 1, "Ba"}, {"   ", 1, "Ba"}, {"\r\n", 1, "Ba"}, {"", 1, "Ba"},
        {tooLong.c_str(), 1, "Ba"},
    };
    for (const Paste &p : pastes) {
        SetText("Ba");
        Send(EM_SETSEL, -1, 0);
        SetClipboardText(p.clipboard);
        EXPECT_EQ(p.result, Send(WM_PASTE)) << "'" << p.clipboard << "'";
        EXPECT_EQ(p.text, Text()) << "'" << p.clipboard << "'";
    }
}

}  // namespace
