// The VEXIL control's library, initialisation and edit-control messages, driven as the main dialog and the list
// control drive it (the text model's own rules: tests/unit/formulaedit).
#include <windows.h>

#include <algorithm>
#include <cstring>
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

}  // namespace
