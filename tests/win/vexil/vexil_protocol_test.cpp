// The VEXIL control's library, initialisation and edit-control messages,
// driven as the main dialog and the list control drive it; the text model's
// own rules are tested natively (tests/unit/formulaedit).
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

// The limit through the record and the messages; what passes it is refused
// whole (the text's own rules: tests/unit/formulaedit).
TEST_F(VexilTest, LimitsAndSetText) {
    VexilInit record = testbed::MainDialogInit();
    record.maxLength = 7;
    Recreate(300, record);
    EXPECT_EQ(7, Send(EM_GETLIMITTEXT));
    EXPECT_EQ(1, Send(EM_LIMITTEXT, WPARAM(0xFFFFFFFFu)));
    EXPECT_EQ(256, Send(EM_GETLIMITTEXT));
    EXPECT_EQ(1, SetText("H2O+"));
    EXPECT_EQ(0, SetText(" Fe2O3 "));
    EXPECT_EQ(0, Send(EM_LIMITTEXT, 4)) << "below the length";
    EXPECT_EQ(1, Send(EM_LIMITTEXT, 5));
    EXPECT_EQ(5, Send(EM_GETLIMITTEXT));
    Send(EM_SETSEL, 0, 1);
    EXPECT_EQ(1, Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("NNNN")));
    EXPECT_EQ(0, Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("N")));
    EXPECT_EQ("N2O3", Text());
}

// WM_GETTEXT and EM_GETLINE (its size in the buffer's first word) never write
// past the n bytes they are given.
TEST_F(VexilTest, TextNeverWrittenPastTheGivenSize) {
    ASSERT_EQ(0, SetText("C6H12O6"));
    struct Case { UINT message; WORD n; LRESULT result; const char *text; } cases[] = {  // nullptr: untouched
        {WM_GETTEXT, 0, 8, nullptr}, {WM_GETTEXT, 3, 1, "C6"}, {WM_GETTEXT, 1, -1, ""},
        {EM_GETLINE, 30, 7, "C6H12O6"}, {EM_GETLINE, 7, 6, "C6H12O"}, {EM_GETLINE, 1, 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.message) + " n " + std::to_string(c.n));
        char buffer[32];
        memset(buffer, '#', sizeof buffer);
        bool line = c.message == EM_GETLINE;
        if (line) memcpy(buffer, &c.n, sizeof c.n);
        EXPECT_EQ(c.result, Send(c.message, line ? 0 : c.n, reinterpret_cast<LPARAM>(buffer)));
        size_t written = c.text ? strlen(c.text) + 1 : 0;
        EXPECT_STREQ(c.text ? c.text : buffer, buffer);
        for (size_t i = std::max(written, line ? sizeof(WORD) : 0); i < sizeof buffer; ++i)
            ASSERT_EQ('#', buffer[i]) << "byte " << i << " written";
    }
}

// Copy and cut need a selection; paste takes a whole formula text or nothing;
// the messages take no snapshot and WM_CUT and WM_COPY mark nothing modified.
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
    EXPECT_EQ(0, Modified());
    Send(EM_SETSEL, 0, 0);
    EXPECT_EQ(0, Send(WM_PASTE)) << "pasting replaces the selection";
    EXPECT_EQ("2O3e", Text());
    const std::string tooLong(255, 'C');  // "Ba" and this exceed the 256 characters
    struct Paste { const char *clipboard; LRESULT result; const char *text; } pastes[] = {
        {"Fe2(SO4)3\r\n", 0, "BaFe2(SO4)3"}, {"Fe\r\nO", 1, "Ba"}, {tooLong.c_str(), 1, "Ba"},
    };
    for (const Paste &p : pastes) {
        SetText("Ba");
        Send(EM_SETSEL, -1, 0);
        SetClipboardText(p.clipboard);
        EXPECT_EQ(p.result, Send(WM_PASTE)) << "'" << p.clipboard << "'";
        EXPECT_EQ(p.text, Text()) << "'" << p.clipboard << "'";
    }
    Send(WM_UNDO);
    EXPECT_EQ("", Text()) << "WM_SETTEXT and WM_PASTE take no snapshot";
    // An undo that brings back the caret -1 of an unfocused control puts it
    // in the text when the control has the focus.
    SetText("Fe");
    ::SetFocus(edit);
    ::SetFocus(nullptr);
    Send(WM_UNDO);  // the snapshot takes the caret -1
    ::SetFocus(edit);
    Key('Z', qwintest::kControl);
    EXPECT_EQ("Fe", Text());
    EXPECT_EQ(testbed::Measure("Fe", init).edges[2], CaretX()) << "the caret stands in the text";
}

}  // namespace
